#include "kestrel/storage/streams/kestrel_stream.h"

#include <algorithm>
#include <cstring>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

int32_t TKestrelMemoryStream::Read(void* buffer, int32_t count) {
  const int64_t available = std::max<int64_t>(0, Size() - position_);
  const auto n = static_cast<int32_t>(std::clamp<int64_t>(count, 0, available));
  if (n > 0) {
    std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
  }
  return n;
}

int32_t TKestrelMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) {
    return 0;
  }
  const auto end = static_cast<std::size_t>(position_ + count);
  if (end > bytes_.size()) {
    bytes_.resize(end);
  }
  std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ += count;
  return count;
}

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

}  // namespace kestrel
