#include "dataset/blob_stream.h"

#include <algorithm>
#include <cstring>

#include "dataset/dataset_errors.h"

namespace dataset {

std::string TBlobStream::ReadAll() {
  Seek(0, 0);
  std::string result(static_cast<size_t>(Size()), '\0');
  result.resize(Read(result.data(), result.size()));
  return result;
}

void TBlobStream::WriteAll(std::string_view bytes) {
  Seek(0, 0);
  Truncate();
  Write(bytes.data(), bytes.size());
}

TMemoryBlobStream::TMemoryBlobStream(std::string value, TBlobStreamMode mode, Commit commit)
    : value_(std::move(value)), mode_(mode), commit_(std::move(commit)) {
  if (mode_ == TBlobStreamMode::bmWrite) {
    value_.clear();
    modified_ = true;
  }
}

TMemoryBlobStream::~TMemoryBlobStream() {
  if (modified_ && commit_) {
    try {
      commit_(value_);
    } catch (...) {
      // A destructor must not throw; the caller sees the field unchanged.
    }
  }
}

size_t TMemoryBlobStream::Read(void* buffer, size_t count) {
  const size_t available = position_ < value_.size() ? value_.size() - position_ : 0;
  const size_t n = std::min(count, available);
  if (n > 0)
    std::memcpy(buffer, value_.data() + position_, n);
  position_ += n;
  return n;
}

size_t TMemoryBlobStream::Write(const void* buffer, size_t count) {
  if (mode_ == TBlobStreamMode::bmRead)
    DatabaseError(kNotEditing);
  if (position_ + count > value_.size())
    value_.resize(position_ + count);
  if (count > 0)
    std::memcpy(value_.data() + position_, buffer, count);
  position_ += count;
  modified_ = true;
  return count;
}

int64_t TMemoryBlobStream::Seek(int64_t offset, int origin) {
  int64_t base = 0;
  if (origin == 1)
    base = static_cast<int64_t>(position_);
  if (origin == 2)
    base = static_cast<int64_t>(value_.size());
  position_ = static_cast<size_t>(std::max<int64_t>(0, base + offset));
  return static_cast<int64_t>(position_);
}

void TMemoryBlobStream::Truncate() {
  if (mode_ == TBlobStreamMode::bmRead)
    DatabaseError(kNotEditing);
  value_.resize(std::min(position_, value_.size()));
  modified_ = true;
}

}  // namespace dataset
