#include "kestrel/storage/streams/file_stream.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

std::unique_ptr<TKestrelFileStream> TKestrelFileStream::CreateTemporary() {
  std::error_code error;
  const std::filesystem::path directory = std::filesystem::temp_directory_path(error);
  std::string pattern = (error ? std::filesystem::path("/tmp") : directory) / "kestrelXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int descriptor = mkstemp(name.data());
  std::FILE* file = descriptor < 0 ? nullptr : fdopen(descriptor, "w+b");
  if (file == nullptr) {
    if (descriptor >= 0) {
      close(descriptor);
      unlink(name.data());
    }
    throw EKestrelException("Cannot create file. FileName = %s", {pattern}, 10104);
  }
  return std::unique_ptr<TKestrelFileStream>(new TKestrelFileStream(file, name.data(), true));
}

TKestrelFileStream::TKestrelFileStream(std::FILE* file, std::string fileName, bool removeOnClose)
    : file_(file), fileName_(std::move(fileName)), removeOnClose_(removeOnClose) {}

TKestrelFileStream::~TKestrelFileStream() {
  std::fclose(file_);
  if (removeOnClose_) {
    std::remove(fileName_.c_str());
  }
}

int32_t TKestrelFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || fseeko(file_, position_, SEEK_SET) != 0) {
    return 0;
  }
  const auto n =
      static_cast<int32_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), file_));
  position_ += n;
  return n;
}

int32_t TKestrelFileStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || fseeko(file_, position_, SEEK_SET) != 0) {
    return 0;
  }
  const auto n =
      static_cast<int32_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), file_));
  position_ += n;
  return n;
}

int64_t TKestrelFileStream::Size() const {
  std::fflush(file_);
  const off_t current = ftello(file_);
  fseeko(file_, 0, SEEK_END);
  const int64_t size = ftello(file_);
  fseeko(file_, current, SEEK_SET);
  return size;
}

}  // namespace kestrel
