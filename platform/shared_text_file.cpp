#include "platform/shared_text_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// The permission bits a newly created file gets.
mode_t DefaultFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return kNewFileMode & ~mask;
}

// Makes a rename in the folder durable; a folder that cannot be synced
// still holds the renamed file.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

SharedTextFile::SharedTextFile(std::string path, TextFileMode mode, std::size_t bufferSize)
    : path_(std::move(path)), mode_(mode), bufferSize_(bufferSize == 0 ? 1 : bufferSize) {
  Open();
}

SharedTextFile::~SharedTextFile() {
  if (mode_ == TextFileMode::kReplace) {
    // Not closed: the run did not finish, and the old file is worth more
    // than part of a new one.
    Discard();
    return;
  }
  try {
    Close();
  } catch (const EInOutError&) {
    // Nothing can be reported from a destructor; callers that care call Close().
  }
}

int SharedTextFile::OpenLocked(const std::string& path, int flags, int lock, bool mayBeMissing) {
  for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
    const int fd = ::open(path.c_str(), flags, kNewFileMode);
    if (fd < 0) {
      if (mayBeMissing && errno == ENOENT) {
        return -1;
      }
      Fail(errno, "open");
    }
    if (::flock(fd, lock) == 0) {
      return fd;
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
  throw EInOutError(EInOutError::kSharingViolation,
                    "I/O error 32: the file is in use by another program: " + path_);
}

void SharedTextFile::Open() {
  if (mode_ == TextFileMode::kReplace) {
    OpenReplacement();
    return;
  }
  const bool reading = mode_ == TextFileMode::kReset;
  const int flags = (reading ? O_RDONLY : O_WRONLY) | O_CREAT | O_CLOEXEC;
  const int lock = (reading ? LOCK_SH : LOCK_EX) | LOCK_NB;
  fd_ = OpenLocked(path_, flags, lock, false);
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

void SharedTextFile::OpenReplacement() {
  // A link is followed: the file it points at is the one replaced.
  target_ = path_;
  struct stat link {};
  if (::lstat(path_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
      target_ = resolved;
      std::free(resolved);
    }
  }
  // The old file is opened for writing only to hold it locked and to be
  // refused where a rewrite would be; something else in its place (a
  // folder) is left to the rename to refuse.
  struct stat old {};
  const bool oldExists = ::stat(target_.c_str(), &old) == 0;
  const int flags = (oldExists && S_ISREG(old.st_mode) ? O_WRONLY : O_RDONLY) | O_CLOEXEC;
  targetFd_ = oldExists ? OpenLocked(target_, flags, LOCK_EX | LOCK_NB, true) : -1;
  tempPath_ = target_ + ".XXXXXX";
  const int fd = ::mkostemp(tempPath_.data(), O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    tempPath_.clear();
    Discard();
    Fail(error, "open");
  }
  fd_ = fd;
  const mode_t bits = oldExists && S_ISREG(old.st_mode) ? (old.st_mode & 07777) : DefaultFileMode();
  if (::fchmod(fd_, bits) != 0) {
    const int error = errno;
    Discard();
    Fail(error, "open");
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
      writeFailed_ = true;
      Fail(error, "write");
    }
    written += static_cast<std::size_t>(count);
  }
  buffer_.clear();
}

void SharedTextFile::Sync() {
  Flush();
  if (fd_ >= 0 && ::fsync(fd_) != 0) {
    const int error = errno;
    writeFailed_ = true;
    Fail(error, "sync");
  }
}

void SharedTextFile::Close() {
  if (mode_ == TextFileMode::kReplace) {
    CommitReplacement();
    return;
  }
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

void SharedTextFile::CommitReplacement() {
  if (writeFailed_) {
    Discard();
    throw EInOutError(EIO, "I/O error " + std::to_string(EIO) + ": a write to " + path_ +
                               " failed; the file is as it was");
  }
  if (fd_ < 0) {
    return;
  }
  try {
    Sync();
  } catch (...) {
    Discard();
    throw;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) {
    const int error = errno;
    Discard();
    Fail(error, "close");
  }
  if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
    const int error = errno;
    Discard();
    Fail(error, "replace");
  }
  tempPath_.clear();
  SyncFolderOf(target_);
  CloseQuietly(targetFd_);
  targetFd_ = -1;
}

void SharedTextFile::Discard() noexcept {
  buffer_.clear();
  CloseQuietly(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
  }
  CloseQuietly(targetFd_);
  targetFd_ = -1;
}

}  // namespace platform
