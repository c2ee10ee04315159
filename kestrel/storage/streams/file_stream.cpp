#include "kestrel/storage/streams/file_stream.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/streams/stream_errors.h"

namespace kestrel {
namespace {

// Read once, as the engine asks the platform only the first time.
const std::filesystem::path& TemporaryDirectory() {
  static const std::filesystem::path directory = [] {
    std::error_code error;
    std::filesystem::path path = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : path;
  }();
  return directory;
}

int OpenFlags(uint16_t mode) {
  if (mode == TKestrelFileStream::kModeCreate) {
    return O_RDWR | O_CREAT | O_TRUNC;
  }
  switch (mode & 3) {
    case TKestrelFileStream::kModeRead:
      return O_RDONLY;
    case TKestrelFileStream::kModeWrite:
      return O_WRONLY;
    case TKestrelFileStream::kModeReadWrite:
      return O_RDWR;
    default:
      return -1;
  }
}

// Runs transfer(bytes done so far), a pread or pwrite of the rest, until
// count bytes moved, the end of the file or an error; interrupted calls are
// repeated. Returns the bytes moved.
template <typename Transfer>
int64_t Repeat(int64_t count, Transfer&& transfer) {
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = transfer(done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    done += n;
  }
  return done;
}

int64_t FileSizeOf(int descriptor) {
  struct stat status {};
  return fstat(descriptor, &status) == 0 ? static_cast<int64_t>(status.st_size) : 0;
}

}  // namespace

TKestrelFileStream::TKestrelFileStream(const std::string& fileName, uint16_t mode)
    : descriptor_(-1), fileName_(fileName), mode_(mode), removeOnClose_(false) {
  SetCopyBlockSize(kCopyBlockSize);
  const int flags = OpenFlags(mode);
  if (flags >= 0) {
    descriptor_ = open(fileName.c_str(), flags | O_CLOEXEC, 0666);
  }
  if (descriptor_ < 0) {
    if (mode == kModeCreate) {
      throw EKestrelException("Cannot create file. FileName = %s", {fileName}, 10104);
    }
    throw EKestrelException("Cannot open file. FileName = %s, Mode = %d", {fileName, int{mode}},
                            10105);
  }
  fileSize_ = FileSizeOf(descriptor_);
}

TKestrelFileStream::TKestrelFileStream(int descriptor, std::string fileName, uint16_t mode,
                                       bool removeOnClose)
    : descriptor_(descriptor),
      fileName_(std::move(fileName)),
      mode_(mode),
      removeOnClose_(removeOnClose) {
  SetCopyBlockSize(kCopyBlockSize);
  fileSize_ = FileSizeOf(descriptor_);
}

std::unique_ptr<TKestrelFileStream> TKestrelFileStream::CreateTemporary() {
  const std::string pattern = TemporaryDirectory() / "KestrelXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int descriptor = mkostemp(name.data(), O_CLOEXEC);
  if (descriptor < 0) {
    throw EKestrelException("Cannot create file. FileName = %s", {pattern}, 10104);
  }
  return std::unique_ptr<TKestrelFileStream>(
      new TKestrelFileStream(descriptor, name.data(), kModeCreate, true));
}

TKestrelFileStream::~TKestrelFileStream() {
  FlushBuffer();
  close(descriptor_);
  if (removeOnClose_) {
    unlink(fileName_.c_str());
  }
}

int64_t TKestrelFileStream::ReadAt(int64_t offset, uint8_t* buffer, int64_t count) const {
  return Repeat(count, [&](int64_t done) {
    return pread(descriptor_, buffer + done, static_cast<std::size_t>(count - done),
                 static_cast<off_t>(offset + done));
  });
}

int64_t TKestrelFileStream::WriteAt(int64_t offset, const uint8_t* buffer, int64_t count) {
  const int64_t done = Repeat(count, [&](int64_t written) {
    return pwrite(descriptor_, buffer + written, static_cast<std::size_t>(count - written),
                  static_cast<off_t>(offset + written));
  });
  if (done > 0) {
    fileSize_ = std::max(fileSize_, offset + done);
  }
  return done;
}

bool TKestrelFileStream::FlushBuffer() {
  if (!bufferDirty_) {
    return true;
  }
  const int64_t length = bufferLength_;
  const int64_t written = WriteAt(bufferStart_, buffer_.data(), length);
  bufferDirty_ = false;
  bufferLength_ = 0;
  return written == length;
}

void TKestrelFileStream::Flush() {
  if (!FlushBuffer()) {
    throw EKestrelException("Error writing to stream", stream_site::kFileFlush);
  }
}

int32_t TKestrelFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || position_ < 0 || !FlushBuffer()) {
    return 0;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const int64_t bufferEnd = bufferStart_ + bufferLength_;
    if (position_ >= bufferStart_ && position_ < bufferEnd) {
      const int64_t n = std::min<int64_t>(count - done, bufferEnd - position_);
      std::memcpy(out + done, buffer_.data() + (position_ - bufferStart_),
                  static_cast<std::size_t>(n));
      done += n;
      position_ += n;
      continue;
    }
    if (count - done >= kBufferSize) {
      const int64_t n = ReadAt(position_, out + done, count - done);
      done += n;
      position_ += n;
      break;
    }
    buffer_.resize(kBufferSize);
    bufferStart_ = position_;
    bufferLength_ = ReadAt(position_, buffer_.data(), kBufferSize);
    if (bufferLength_ == 0) {
      break;
    }
  }
  return static_cast<int32_t>(done);
}

int32_t TKestrelFileStream::Write(const void* buffer, int32_t count) {
  const bool readOnly = mode_ != kModeCreate && (mode_ & 3) == kModeRead;
  if (count <= 0 || position_ < 0 || readOnly) {
    return 0;
  }
  const auto* in = static_cast<const uint8_t*>(buffer);
  const bool adjacent = bufferDirty_ && position_ == bufferStart_ + bufferLength_;
  if (!adjacent || bufferLength_ + count > kBufferSize) {
    if (!FlushBuffer()) {
      return 0;
    }
    bufferLength_ = 0;  // a read buffer the write may overlap
  }
  if (count >= kBufferSize) {
    const int64_t n = WriteAt(position_, in, count);
    position_ += n;
    return static_cast<int32_t>(n);
  }
  if (!bufferDirty_) {
    buffer_.resize(kBufferSize);
    bufferStart_ = position_;
    bufferLength_ = 0;
    bufferDirty_ = true;
  }
  std::memcpy(buffer_.data() + bufferLength_, in, static_cast<std::size_t>(count));
  bufferLength_ += count;
  position_ += count;
  return count;
}

int64_t TKestrelFileStream::Size() const {
  return bufferDirty_ ? std::max(fileSize_, bufferStart_ + bufferLength_) : fileSize_;
}

void TKestrelFileStream::SetSize(int64_t size) {
  Flush();
  bufferLength_ = 0;
  if (size < 0 || ftruncate(descriptor_, static_cast<off_t>(size)) != 0) {
    throw EKestrelException("Invalid stream size = %d. Should be = %d", {fileSize_, size},
                            stream_site::kFileSetSize);
  }
  fileSize_ = size;
}

}  // namespace kestrel
