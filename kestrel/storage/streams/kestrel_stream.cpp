#include "kestrel/storage/streams/kestrel_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/streams/stream_errors.h"

namespace kestrel {
namespace {

// a + b, held at the int64 range instead of overflowing.
int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) {
    return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  }
  return sum;
}

}  // namespace

// Base stream.

void TKestrelStream::SetSize(int64_t size) {
  throw EKestrelException("Invalid stream size = %d. Should be = %d", {Size(), size},
                          stream_site::kFixedSize);
}

int64_t TKestrelStream::Seek(int64_t offset, TKestrelSeekOrigin origin) {
  switch (origin) {
    case TKestrelSeekOrigin::Beginning:
      SetPosition(offset);
      break;
    case TKestrelSeekOrigin::Current:
      SetPosition(SaturatingAdd(Position(), offset));
      break;
    case TKestrelSeekOrigin::End:
      SetPosition(SaturatingAdd(Size(), offset));
      break;
  }
  return Position();
}

void TKestrelStream::SetCopyBlockSize(int32_t size) {
  copyBlockSize_ = size > 0 ? size : kDefaultCopyBlockSize;
}

int64_t TKestrelStream::CopyFrom(TKestrelStream& source, int64_t count) {
  if (count <= 0) {
    return 0;
  }
  std::vector<uint8_t> piece(static_cast<std::size_t>(std::min<int64_t>(count, copyBlockSize_)));
  int64_t copied = 0;
  while (copied < count) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(count - copied, copyBlockSize_));
    ReadStreamBuffer(source, piece.data(), n, stream_site::kCopyRead);
    WriteStreamBuffer(*this, piece.data(), n, stream_site::kCopyWrite);
    copied += n;
  }
  return copied;
}

// Memory stream.

TKestrelMemoryStream::TKestrelMemoryStream(const std::vector<uint8_t>& bytes,
                                           TKestrelMemoryManager& memory)
    : memory_(&memory) {
  if (static_cast<int64_t>(bytes.size()) > kMaxSize) {
    throw EKestrelException("Invalid stream size = %d. Should be = %d",
                            {int64_t{0}, static_cast<int64_t>(bytes.size())},
                            stream_site::kFixedSize);
  }
  if (!bytes.empty()) {
    WriteStreamBuffer(*this, bytes.data(), static_cast<int32_t>(bytes.size()),
                      stream_site::kCopyWrite);
    position_ = 0;
  }
}

TKestrelMemoryStream TKestrelMemoryStream::Adopt(void* block, TKestrelMemoryManager& memory) {
  TKestrelMemoryStream stream(memory);
  const int32_t size = memory.AllocatedSize(block);
  stream.data_ = static_cast<uint8_t*>(block);
  stream.size_ = size;
  stream.capacity_ = size;
  return stream;
}

TKestrelMemoryStream::~TKestrelMemoryStream() {
  FreeData();
}

TKestrelMemoryStream::TKestrelMemoryStream(TKestrelMemoryStream&& other) noexcept
    : memory_(other.memory_),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      position_(std::exchange(other.position_, 0)) {
  other.copyCurrent_ = false;
}

TKestrelMemoryStream& TKestrelMemoryStream::operator=(TKestrelMemoryStream&& other) noexcept {
  if (this != &other) {
    FreeData();
    copyCurrent_ = false;
    other.copyCurrent_ = false;
    memory_ = other.memory_;
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    position_ = std::exchange(other.position_, 0);
  }
  return *this;
}

void TKestrelMemoryStream::FreeData() {
  if (data_ == nullptr) {
    return;
  }
  try {
    memory_->Free(data_);
  } catch (const EKestrelException&) {
    // An overrun report on the way out cannot be raised from a destructor;
    // the block has been returned either way.
  }
  data_ = nullptr;
}

bool TKestrelMemoryStream::Reserve(int64_t size) {
  if (size <= capacity_) {
    return true;
  }
  if (size > kMaxSize) {
    return false;
  }
  const int64_t grown =
      std::min(kMaxSize, std::max({size, capacity_ + capacity_ / 2, int64_t{256}}));
  memory_->Resize(data_, static_cast<int32_t>(grown), false);
  capacity_ = grown;
  return true;
}

int32_t TKestrelMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || position_ < 0 || position_ >= size_) {
    return 0;
  }
  const auto n = static_cast<int32_t>(std::min<int64_t>(count, size_ - position_));
  std::memcpy(buffer, data_ + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

int32_t TKestrelMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || position_ < 0 || position_ > kMaxSize - count) {
    return 0;
  }
  const int64_t end = position_ + count;
  if (!Reserve(end)) {
    return 0;
  }
  if (position_ > size_) {
    std::memset(data_ + size_, 0, static_cast<std::size_t>(position_ - size_));
  }
  std::memcpy(data_ + position_, buffer, static_cast<std::size_t>(count));
  copyCurrent_ = false;
  size_ = std::max(size_, end);
  position_ = end;
  return count;
}

void TKestrelMemoryStream::SetSize(int64_t size) {
  if (size < 0 || !Reserve(size)) {
    throw EKestrelException("Invalid stream size = %d. Should be = %d", {size_, size},
                            stream_site::kFixedSize);
  }
  if (size > size_) {
    std::memset(data_ + size_, 0, static_cast<std::size_t>(size - size_));
  }
  copyCurrent_ = false;
  size_ = size;
}

const std::vector<uint8_t>& TKestrelMemoryStream::Bytes() const {
  if (!copyCurrent_) {
    copy_.assign(data_, data_ + size_);
    copyCurrent_ = true;
  }
  return copy_;
}

void* TKestrelMemoryStream::Release() {
  if (size_ == 0) {
    FreeData();
  } else if (capacity_ > size_) {
    memory_->Resize(data_, static_cast<int32_t>(size_), false);
  }
  void* block = std::exchange(data_, nullptr);
  copyCurrent_ = false;
  size_ = 0;
  capacity_ = 0;
  position_ = 0;
  return block;
}

// Exact reads and writes.

void ReadStreamBuffer(TKestrelStream& stream, void* buffer, int32_t count, int nativeError) {
  const int64_t position = stream.Position();
  const int32_t read = stream.Read(buffer, count);
  if (read != count) {
    throw EKestrelException(
        "Cannot read from stream. Position = %d, Stream size = %d, Block size = %d, Bytes Read = "
        "%d",
        {position, stream.Size(), count, read}, nativeError);
  }
}

void RequireStreamBytes(TKestrelStream& stream, int64_t count, int nativeError) {
  const int64_t available = std::max<int64_t>(0, stream.Size() - stream.Position());
  if (count < 0 || count > available) {
    throw EKestrelException(
        "Cannot read from stream. Position = %d, Stream size = %d, Block size = %d, Bytes Read = "
        "%d",
        {stream.Position(), stream.Size(), count, available}, nativeError);
  }
}

void WriteStreamBuffer(TKestrelStream& stream, const void* buffer, int32_t count, int nativeError) {
  const int64_t position = stream.Position();
  const int32_t written = stream.Write(buffer, count);
  if (written != count) {
    throw EKestrelException(
        "Cannot write to stream. Position = %d, Stream size = %d, Block size = %d, Bytes Write = "
        "%d",
        {position, stream.Size(), count, written}, nativeError);
  }
}

void SetStreamPosition(TKestrelStream& stream, int64_t position, int nativeError) {
  stream.SetPosition(position);
  if (stream.Position() != position) {
    throw EKestrelException("Cannot set stream position to %d. Position = %d, Size = %d",
                            {position, stream.Position(), stream.Size()}, nativeError);
  }
}

}  // namespace kestrel
