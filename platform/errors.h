#pragma once
// The exception classes shared by every module. Each carries the message that
// the user sees when the error reaches the application's error handler.

#include <stdexcept>
#include <string>

namespace platform {

// Base of every error the system raises on purpose.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A text could not be converted to a number, date or time (or back).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A dataset operation was refused or a field value is invalid.
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// A file operation failed; ErrorCode() is the operating system's code, or
// kSharingViolation when a file stayed locked by another program.
class EInOutError : public Exception {
 public:
  static constexpr int kSharingViolation = 32;

  EInOutError(int errorCode, const std::string& message)
      : Exception(message), errorCode_(errorCode) {}
  int ErrorCode() const { return errorCode_; }

 private:
  int errorCode_;
};

}  // namespace platform
