#pragma once
// The byte streams the storage side reads and writes through, and the
// helpers that turn a short read or write into the engine's error.
//
// Storage code never talks to files directly: tests hand it a memory stream,
// or one that fails after N bytes, and see the error it reports.
//
// Positions and sizes are 64-bit; one Read or Write moves at most 2 GiB - 1
// bytes, so callers moving more loop (CopyFrom does). A position may be set
// anywhere, negative included; reading or writing at a negative position
// moves nothing.

#include <cstdint>
#include <vector>

#include "kestrel/storage/memory_manager.h"

namespace kestrel {

enum class TKestrelSeekOrigin : uint8_t { Beginning = 0, Current = 1, End = 2 };

class TKestrelStream {
 public:
  static constexpr int32_t kDefaultCopyBlockSize = 65536;

  virtual ~TKestrelStream() = default;
  // Both return the number of bytes moved, fewer on a short read or write.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  virtual int64_t Position() const = 0;
  virtual void SetPosition(int64_t position) = 0;
  virtual int64_t Size() const = 0;
  // Cuts or extends the stream (the extension reads as zeros); the position
  // stays where it is. A stream whose size cannot change raises "Invalid
  // stream size = %d. Should be = %d" (10602).
  virtual void SetSize(int64_t size);

  // Moves the position by offset from origin and returns the new position.
  int64_t Seek(int64_t offset, TKestrelSeekOrigin origin);

  int32_t CopyBlockSize() const { return copyBlockSize_; }
  // A size of 0 or less restores the default.
  void SetCopyBlockSize(int32_t size);
  // Copies count bytes from source's position to this stream's position,
  // CopyBlockSize bytes at a time, and returns count. A short read raises
  // the read message (10600), a short write the write message (10601); the
  // pieces copied before stay copied.
  int64_t CopyFrom(TKestrelStream& source, int64_t count);

 private:
  int32_t copyBlockSize_ = kDefaultCopyBlockSize;
};

// A stream over one block of the engine allocator. The stream's size is its
// data; the block may be larger (it grows by half again, so that many small
// writes do not copy the data each time) and Release hands it over cut to
// the data. A write past the end extends the stream, zero-filling any gap;
// a read past the end returns 0 bytes. The allocator sizes blocks with 32
// bits, so the stream holds at most 2 GiB - 1 bytes: a write beyond that
// moves nothing.
class TKestrelMemoryStream : public TKestrelStream {
 public:
  static constexpr int64_t kMaxSize = INT32_MAX;

  TKestrelMemoryStream() : TKestrelMemoryStream(TKestrelMemoryManager::Instance()) {}
  explicit TKestrelMemoryStream(TKestrelMemoryManager& memory) : memory_(&memory) {}
  explicit TKestrelMemoryStream(const std::vector<uint8_t>& bytes,
                                TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance());
  // Takes over an engine block of memory; its allocated size is the
  // stream's size. A null block gives an empty stream.
  static TKestrelMemoryStream Adopt(void* block, TKestrelMemoryManager& memory);
  ~TKestrelMemoryStream() override;
  TKestrelMemoryStream(TKestrelMemoryStream&& other) noexcept;
  TKestrelMemoryStream& operator=(TKestrelMemoryStream&& other) noexcept;
  TKestrelMemoryStream(const TKestrelMemoryStream&) = delete;
  TKestrelMemoryStream& operator=(const TKestrelMemoryStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Position() const override { return position_; }
  void SetPosition(int64_t position) override { position_ = position; }
  int64_t Size() const override { return size_; }
  // Beyond kMaxSize raises "Invalid stream size = %d. Should be = %d" (10602).
  void SetSize(int64_t size) override;

  // The Size() bytes of the stream (null while nothing was ever written).
  const uint8_t* Data() const { return data_; }
  // A copy of the contents, made when asked for and kept until the stream
  // changes: the reference, and iterators into it, stay valid while the
  // stream is not written, resized or released.
  const std::vector<uint8_t>& Bytes() const;
  // Hands over the data as an engine block of exactly Size() bytes (null
  // when empty); the stream is empty afterwards.
  void* Release();
  TKestrelMemoryManager& Memory() const { return *memory_; }

 private:
  // Makes room for size bytes; false when that is beyond kMaxSize.
  bool Reserve(int64_t size);
  void FreeData();

  TKestrelMemoryManager* memory_;
  uint8_t* data_ = nullptr;
  int64_t size_ = 0;
  int64_t capacity_ = 0;
  int64_t position_ = 0;
  mutable std::vector<uint8_t> copy_;
  mutable bool copyCurrent_ = false;
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

// "Cannot set stream position to %d. Position = %d, Size = %d" unless
// the stream now stands at position.
void SetStreamPosition(TKestrelStream& stream, int64_t position, int nativeError);

}  // namespace kestrel
