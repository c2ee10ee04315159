#include "platform/shared_text_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>

#include "platform/errors.h"
#include "platform/user_dialogs.h"

namespace platform {
namespace {

constexpr mode_t kNewFileMode = 0666;

void CloseQuietly(int fd) {
  if (fd >= 0) {
    ::close(fd);
  }
}

}  // namespace

SharedTextFile::SharedTextFile(std::string path, TextFileMode mode, std::size_t bufferSize)
    : path_(std::move(path)), mode_(mode), bufferSize_(bufferSize == 0 ? 1 : bufferSize) {
  Open();
}

SharedTextFile::~SharedTextFile() {
  try {
    Close();
  } catch (const EInOutError&) {
    // Nothing can be reported from a destructor; callers that care call Close().
  }
}

void SharedTextFile::Open() {
  const bool reading = mode_ == TextFileMode::kReset;
  const int flags = (reading ? O_RDONLY : O_WRONLY) | O_CREAT | O_CLOEXEC;
  const int lock = (reading ? LOCK_SH : LOCK_EX) | LOCK_NB;
  for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
    const int fd = ::open(path_.c_str(), flags, kNewFileMode);
    if (fd < 0) {
      Fail(errno, "open");
    }
    if (::flock(fd, lock) == 0) {
      fd_ = fd;
      break;
    }
    const int error = errno;
    CloseQuietly(fd);
    if (error != EWOULDBLOCK && error != EINTR) {
      Fail(error, "lock");
    }
    if (attempt < kOpenAttempts) {
      Dialogs().ProcessMessages();
    }
  }
  if (fd_ < 0) {
    throw EInOutError(EInOutError::kSharingViolation,
                      "I/O error 32: the file is in use by another program: " + path_);
  }
  // Truncate or seek only once the lock is held, so a reader never sees a
  // half-replaced file.
  if (mode_ == TextFileMode::kRewrite && ::ftruncate(fd_, 0) != 0) {
    const int error = errno;
    CloseQuietly(fd_);
    fd_ = -1;
    Fail(error, "truncate");
  }
  if (mode_ == TextFileMode::kAppend && ::lseek(fd_, 0, SEEK_END) < 0) {
    const int error = errno;
    CloseQuietly(fd_);
    fd_ = -1;
    Fail(error, "seek in");
  }
}

void SharedTextFile::Fail(int errorCode, std::string_view action) const {
  throw EInOutError(errorCode, "I/O error " + std::to_string(errorCode) + ": cannot " +
                                   std::string(action) + " " + path_ + ": " +
                                   std::strerror(errorCode));
}

bool SharedTextFile::FillBuffer() {
  buffer_.resize(bufferSize_);
  bufferPos_ = 0;
  for (;;) {
    const ssize_t count = ::read(fd_, buffer_.data(), bufferSize_);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      buffer_.clear();
      Fail(errno, "read");
    }
    buffer_.resize(static_cast<std::size_t>(count));
    if (count == 0) {
      endOfFile_ = true;
    }
    return count > 0;
  }
}

bool SharedTextFile::Eof() {
  if (bufferPos_ < buffer_.size()) {
    return false;
  }
  return endOfFile_ || !FillBuffer();
}

bool SharedTextFile::ReadLine(std::string& line) {
  std::string ending;
  return ReadLine(line, ending);
}

bool SharedTextFile::ReadLine(std::string& line, std::string& ending) {
  line.clear();
  ending.clear();
  if (Eof()) {
    return false;
  }
  for (;;) {
    if (bufferPos_ >= buffer_.size() && !FillBuffer()) {
      return true;
    }
    const char* begin = buffer_.data() + bufferPos_;
    const std::size_t available = buffer_.size() - bufferPos_;
    std::size_t length = 0;
    while (length < available && begin[length] != '\r' && begin[length] != '\n') {
      ++length;
    }
    line.append(begin, length);
    bufferPos_ += length;
    if (length == available) {
      continue;
    }
    const char last = buffer_[bufferPos_++];
    ending += last;
    if (last == '\r') {
      // CR LF is one ending even when the buffer splits it.
      if (bufferPos_ >= buffer_.size()) {
        FillBuffer();
      }
      if (bufferPos_ < buffer_.size() && buffer_[bufferPos_] == '\n') {
        ++bufferPos_;
        ending += '\n';
      }
    }
    return true;
  }
}

void SharedTextFile::Write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= bufferSize_) {
    Flush();
  }
}

void SharedTextFile::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
}

void SharedTextFile::Flush() {
  if (fd_ < 0 || mode_ == TextFileMode::kReset) {
    return;
  }
  std::size_t written = 0;
  while (written < buffer_.size()) {
    const ssize_t count = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      const int error = errno;
      buffer_.clear();
      Fail(error, "write");
    }
    written += static_cast<std::size_t>(count);
  }
  buffer_.clear();
}

void SharedTextFile::Sync() {
  Flush();
  if (fd_ >= 0 && ::fsync(fd_) != 0) {
    Fail(errno, "sync");
  }
}

void SharedTextFile::Close() {
  if (fd_ < 0) {
    return;
  }
  try {
    Flush();
  } catch (...) {
    CloseQuietly(fd_);
    fd_ = -1;
    throw;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) {
    Fail(errno, "close");
  }
}

}  // namespace platform
