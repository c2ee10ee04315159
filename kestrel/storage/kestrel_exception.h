#pragma once
// The engine's exception and the runtime's arithmetic faults.
//
// Every engine error carries a native error code. The message is the
// formatted text, " - Native error: " and the code: "%5d" (blank-padded) for
// a formatted text, "%.5d" (zero-padded) for a plain one. A format whose
// arguments do not fit it becomes the format itself followed by
// " Arguments are invalid!".

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "platform/errors.h"

namespace kestrel {

// One argument of a formatted message: a number for %d, a text for %s.
class FormatArg {
 public:
  FormatArg(int value) : value_(int64_t{value}) {}                   // NOLINT: implicit by design
  FormatArg(int64_t value) : value_(value) {}                        // NOLINT
  FormatArg(uint32_t value) : value_(int64_t{value}) {}              // NOLINT
  FormatArg(std::string_view value) : value_(std::string(value)) {}  // NOLINT
  FormatArg(const char* value) : value_(std::string(value)) {}       // NOLINT
  FormatArg(const std::string& value) : value_(value) {}             // NOLINT

  bool IsNumber() const { return std::holds_alternative<int64_t>(value_); }
  int64_t Number() const { return std::get<int64_t>(value_); }
  const std::string& Text() const { return std::get<std::string>(value_); }

 private:
  std::variant<int64_t, std::string> value_;
};

// Formats %s, %d, %u and %x with optional "-", width and ".precision", and %%.
// Returns false when an argument is missing or of the wrong kind.
bool TryFormatMessage(std::string_view format, std::initializer_list<FormatArg> args,
                      std::string& result);

class EKestrelException : public platform::Exception {
 public:
  // A plain text; the code is written zero-padded.
  EKestrelException(std::string_view text, int nativeError);
  // A format with its arguments; the code is written blank-padded.
  EKestrelException(std::string_view format, std::initializer_list<FormatArg> args,
                    int nativeError);

  int NativeError() const { return nativeError_; }
  // The message without the native error part.
  const std::string& Text() const { return text_; }

 private:
  EKestrelException(std::string text, std::string message, int nativeError);
  static EKestrelException Make(std::string_view format, std::initializer_list<FormatArg> args,
                                int nativeError);

  std::string text_;
  int nativeError_;
};

// The runtime's arithmetic faults. They are not engine errors: conversions
// turn them into a cast error and division into a division error, elsewhere
// they reach the caller as they are.
class EArithmeticFault : public platform::Exception {
 public:
  using Exception::Exception;
};

class ERangeError : public EArithmeticFault {
 public:
  ERangeError() : EArithmeticFault("Range check error") {}
};

class EIntOverflow : public EArithmeticFault {
 public:
  EIntOverflow() : EArithmeticFault("Integer overflow") {}
};

class EDivByZero : public EArithmeticFault {
 public:
  EDivByZero() : EArithmeticFault("Division by zero") {}
};

class EZeroDivide : public EArithmeticFault {
 public:
  EZeroDivide() : EArithmeticFault("Floating point division by zero") {}
};

class EOverflow : public EArithmeticFault {
 public:
  EOverflow() : EArithmeticFault("Floating point overflow") {}
};

class EInvalidOp : public EArithmeticFault {
 public:
  EInvalidOp() : EArithmeticFault("Invalid floating point operation") {}
};

}  // namespace kestrel
