#pragma once
// A BLOB value as a stream over the bytes that store it.
//
// With compression the value is cut into blocks of BlockSize uncompressed
// bytes, each compressed on its own and stored behind a 20-byte header
// (blob_format.h). A read decompresses only the blocks it touches (the last
// one stays decoded for the next read); a write only ever extends the value
// at its end, recompressing just the last block when it was partial; a cut
// rewrites at most one block. Without compression the underlying stream
// from StartPosition on is the value itself.
//
// Block headers come from stored data, so every header is checked before it
// is used, at the scan and again on every read: C >= 0, U = BlockSize
// (1..BlockSize in the last block), a total length of at least 20, and the
// C compressed bytes inside the underlying stream. A damaged header raises
// "Invalid block header. Block = %d, CompSize = %d, UncompSize = %d,
// Position = %d" (10615); a damaged block raises the decompress messages;
// neither returns data.
//
// A block counts as part of the value only once its header and bytes are
// written in full. When rewriting the last block in place fails half way,
// that block is dropped from the value; blocks written before stay.
//
// REQUIRES: the underlying stream outlives this one, and from StartPosition
// on it holds this value and nothing else.

#include <cstdint>
#include <span>
#include <vector>

#include "kestrel/storage/streams/blob_format.h"
#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

class TKestrelCompressedBLOBStream : public TKestrelStream {
 public:
  // repair: an existing value whose stored bytes end early opens as the
  // blocks before the first incomplete one (uncompressed: as the bytes
  // there are) instead of raising "Stream size = %d too small. Should be at
  // least = %d". newValue: the value starts empty.
  TKestrelCompressedBLOBStream(TKestrelStream& underlying, bool repair, bool newValue,
                               const TKestrelBlobDescriptor& descriptor);
  TKestrelCompressedBLOBStream(const TKestrelCompressedBLOBStream&) = delete;
  TKestrelCompressedBLOBStream& operator=(const TKestrelCompressedBLOBStream&) = delete;

  // Nothing at or beyond the value's end.
  int32_t Read(void* buffer, int32_t count) override;
  // Compressed: 0 bytes before the end; beyond the end the gap is first
  // filled with zeros.
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Position() const override;
  // Negative positions become 0; beyond the end is allowed.
  void SetPosition(int64_t position) override;
  int64_t Size() const override { return valueLength_; }
  void SetSize(int64_t size) override;

  // BlockCount and ValueLength are current after every write and size change.
  const TKestrelBlobDescriptor& Descriptor() const { return descriptor_; }
  const TKestrelCompressedStreamBlockHeadersArray& Blocks() const { return blocks_; }
  bool Compressed() const { return compressed_; }
  // The sum of the blocks' compressed lengths.
  int64_t StoredLength() const { return storedLength_; }
  // (1 - stored / uncompressed) * 100; 0 without compression.
  double CompressionRatio() const { return compressionRatio_; }
  TKestrelStream& Underlying() const { return underlying_; }

 private:
  // Brings the descriptor and the statistic up to date on every way out.
  struct RefreshOnExit;

  void Scan(int64_t blockCount, bool repair);
  bool HeaderIsSound(const TKestrelCompressedStreamBlockHeader& header, bool last) const;
  [[noreturn]] void RaiseDamaged(std::size_t block) const;
  // Block k decompressed and checked; kept until another block is loaded
  // or the value changes.
  const std::vector<uint8_t>& LoadBlock(std::size_t k);
  std::vector<uint8_t> CompressBlock(std::span<const uint8_t> bytes, int nativeError) const;
  void WriteBlock(const TKestrelCompressedStreamBlockHeader& header,
                  const std::vector<uint8_t>& compressed, int headerError, int dataError);
  // The header of new uncompressed bytes and their compressed form.
  TKestrelCompressedStreamBlockHeader MakeHeader(std::span<const uint8_t> bytes,
                                                 std::vector<uint8_t>& compressed,
                                                 int compressError) const;
  void Append(const uint8_t* bytes, int32_t count);
  void ExtendLastBlock(const uint8_t* bytes, int32_t count);
  void AppendBlock(const uint8_t* bytes, int32_t count);
  void Grow(int64_t size);
  void Shrink(int64_t size);
  void DropBlocksFrom(std::size_t k);
  void Refresh() noexcept;

  TKestrelStream& underlying_;
  TKestrelBlobDescriptor descriptor_;
  bool compressed_;
  int64_t start_;
  int32_t blockSize_ = 0;
  int64_t valueLength_ = 0;
  int64_t storedLength_ = 0;
  int64_t position_ = 0;  // compressed only; else the underlying position
  double compressionRatio_ = 0;
  TKestrelCompressedStreamBlockHeadersArray blocks_;
  int64_t cachedBlock_ = -1;
  std::vector<uint8_t> cache_;
  std::vector<uint8_t> compressedBuffer_;
};

}  // namespace kestrel
