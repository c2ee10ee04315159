#pragma once
// The byte streams the storage side reads and writes through, and the
// helpers that turn a short read or write into the engine's error.
//
// Storage code never talks to files directly: tests hand it a memory stream,
// or one that fails after N bytes, and see the error it reports.

#include <cstdint>
#include <vector>

namespace kestrel {

class TKestrelStream {
 public:
  virtual ~TKestrelStream() = default;
  // Both return the number of bytes moved, fewer on a short read or write.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  virtual int64_t Position() const = 0;
  virtual void SetPosition(int64_t position) = 0;
  virtual int64_t Size() const = 0;
};

// A stream over a growable byte buffer.
class TKestrelMemoryStream : public TKestrelStream {
 public:
  TKestrelMemoryStream() = default;
  explicit TKestrelMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Position() const override { return position_; }
  void SetPosition(int64_t position) override { position_ = position; }
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

// Read or write exactly count bytes; otherwise throw EKestrelException
// "Cannot read from stream. Position = %d, Stream size = %d, Block size = %d,
// Bytes Read = %d" (or the write form) with the site's native error code.
void ReadStreamBuffer(TKestrelStream& stream, void* buffer, int32_t count, int nativeError);
void WriteStreamBuffer(TKestrelStream& stream, const void* buffer, int32_t count, int nativeError);
// Throws the read error above when count is negative or fewer than count
// bytes are left, so that a damaged length is refused before anything is
// allocated for it.
void RequireStreamBytes(TKestrelStream& stream, int64_t count, int nativeError);

}  // namespace kestrel
