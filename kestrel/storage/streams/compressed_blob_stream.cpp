#include "kestrel/storage/streams/compressed_blob_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/streams/checksum.h"
#include "kestrel/storage/streams/codecs/compression.h"
#include "kestrel/storage/streams/stream_errors.h"

namespace kestrel {
namespace {

using Header = TKestrelCompressedStreamBlockHeader;
constexpr int64_t kHeaderSize = Header::kSize;

[[noreturn]] void RaiseDamagedDescriptor(const TKestrelBlobDescriptor& descriptor) {
  throw EKestrelException(
      "Invalid BLOB descriptor. BlockSize = %d, BlockCount = %d, ValueLength = %d",
      {descriptor.BlockSize, descriptor.BlockCount, descriptor.ValueLength},
      stream_site::kDamagedDescriptor);
}

[[noreturn]] void RaiseTooSmall(int64_t size, int64_t needed, int nativeError) {
  throw EKestrelException("Stream size = %d too small. Should be at least = %d", {size, needed},
                          nativeError);
}

}  // namespace

struct TKestrelCompressedBLOBStream::RefreshOnExit {
  TKestrelCompressedBLOBStream& stream;
  ~RefreshOnExit() { stream.Refresh(); }
};

TKestrelCompressedBLOBStream::TKestrelCompressedBLOBStream(TKestrelStream& underlying, bool repair,
                                                           bool newValue,
                                                           const TKestrelBlobDescriptor& descriptor)
    : underlying_(underlying),
      descriptor_(descriptor),
      compressed_(descriptor.CompressionAlgorithm != 0),
      start_(descriptor.StartPosition),
      blockSize_(descriptor.BlockSize) {
  if (start_ < 0) {
    throw EKestrelException("Cannot set stream position to %d. Position = %d, Size = %d",
                            {start_, underlying_.Position(), underlying_.Size()},
                            stream_site::kOpenPosition);
  }
  SetStreamPosition(underlying_, start_, stream_site::kOpenPosition);
  if (compressed_) {
    if (blockSize_ == 0) {
      blockSize_ = DefaultBlockSize(descriptor.CompressionMode);
    }
    if (blockSize_ < 0 || (!newValue && descriptor.BlockCount < 0)) {
      RaiseDamagedDescriptor(descriptor);
    }
    if (!newValue) {
      Scan(descriptor.BlockCount, repair);
    }
  } else if (newValue) {
    if (underlying_.Size() > start_) {
      underlying_.SetSize(start_);
    }
  } else {
    if (descriptor.ValueLength < 0) {
      RaiseDamagedDescriptor(descriptor);
    }
    const int64_t available = std::max<int64_t>(0, underlying_.Size() - start_);
    valueLength_ = descriptor.ValueLength;
    if (available < valueLength_) {
      if (!repair) {
        RaiseTooSmall(underlying_.Size(), start_ + valueLength_, stream_site::kOpenTooSmall);
      }
      valueLength_ = available;
    }
  }
  Refresh();
}

// Scanning.

bool TKestrelCompressedBLOBStream::HeaderIsSound(const Header& header, bool last) const {
  return header.CompressedSize >= 0 && header.UncompressedSize >= 1 &&
         header.UncompressedSize <= blockSize_ && (last || header.UncompressedSize == blockSize_) &&
         header.TotalSize >= kHeaderSize;
}

void TKestrelCompressedBLOBStream::RaiseDamaged(std::size_t block) const {
  const Header header = block < blocks_.size() ? blocks_[block].Header : Header{};
  const int64_t position = block < blocks_.size() ? blocks_[block].Position : -1;
  throw EKestrelException(
      "Invalid block header. Block = %d, CompSize = %d, UncompSize = %d, Position = %d",
      {static_cast<int64_t>(block), header.CompressedSize, header.UncompressedSize, position},
      stream_site::kDamagedHeader);
}

void TKestrelCompressedBLOBStream::Scan(int64_t blockCount, bool repair) {
  int64_t position = start_;
  // A damaged count must not reserve more than the stream could hold.
  const int64_t room = std::max<int64_t>(0, underlying_.Size() - start_) / kHeaderSize;
  blocks_.reserve(static_cast<std::size_t>(std::min(blockCount, room)));
  for (int64_t i = 0; i < blockCount; ++i) {
    const int64_t size = underlying_.Size();
    if (size - position < kHeaderSize) {
      if (repair) {
        break;
      }
      RaiseTooSmall(size, position + kHeaderSize, stream_site::kScanTooSmall);
    }
    uint8_t bytes[Header::kSize];
    ReadStreamBuffer(underlying_, bytes, Header::kSize, stream_site::kScanHeaderRead);
    const Header header = Header::Decode(bytes);
    const bool sound = HeaderIsSound(header, i == blockCount - 1) &&
                       header.TotalSize <= std::numeric_limits<int64_t>::max() - position;
    if (repair && (!sound || header.CompressedSize > size - position - kHeaderSize)) {
      break;
    }
    blocks_.push_back({header, position});
    if (!sound) {
      RaiseDamaged(blocks_.size() - 1);
    }
    valueLength_ += header.UncompressedSize;
    storedLength_ += header.CompressedSize;
    position += header.TotalSize;
    SetStreamPosition(underlying_, position, stream_site::kScanNextPosition);
  }
}

// Reading.

int64_t TKestrelCompressedBLOBStream::Position() const {
  return compressed_ ? position_ : underlying_.Position() - start_;
}

void TKestrelCompressedBLOBStream::SetPosition(int64_t position) {
  position = std::max<int64_t>(0, position);
  if (compressed_) {
    position_ = position;
  } else {
    underlying_.SetPosition(position > std::numeric_limits<int64_t>::max() - start_
                                ? std::numeric_limits<int64_t>::max()
                                : start_ + position);
  }
}

const std::vector<uint8_t>& TKestrelCompressedBLOBStream::LoadBlock(std::size_t k) {
  if (cachedBlock_ >= 0 && static_cast<std::size_t>(cachedBlock_) == k) {
    return cache_;
  }
  if (k >= blocks_.size()) {
    RaiseDamaged(k);
  }
  const TKestrelCompressedStreamBlock& block = blocks_[k];
  const Header& header = block.Header;
  if (!HeaderIsSound(header, k + 1 == blocks_.size()) ||
      header.CompressedSize > underlying_.Size() - block.Position - kHeaderSize) {
    RaiseDamaged(k);
  }
  cachedBlock_ = -1;
  SetStreamPosition(underlying_, block.Position + kHeaderSize, stream_site::kReadPosition);
  compressedBuffer_.resize(static_cast<std::size_t>(header.CompressedSize));
  ReadStreamBuffer(underlying_, compressedBuffer_.data(), header.CompressedSize,
                   stream_site::kReadData);
  const auto algorithm =
      static_cast<TKestrelCompressionAlgorithm>(descriptor_.CompressionAlgorithm);
  std::optional<std::vector<uint8_t>> bytes =
      DecompressBuffer(algorithm, compressedBuffer_, header.UncompressedSize);
  if (!bytes) {
    throw EKestrelException(
        "Decompress buffer failed. CompAlg = %d, InSize = %d, OutSize = %d",
        {int{descriptor_.CompressionAlgorithm}, header.CompressedSize, header.UncompressedSize},
        stream_site::kReadDecompress);
  }
  if (static_cast<int64_t>(bytes->size()) != header.UncompressedSize) {
    throw EKestrelException("Decompress buffer failed. UncompSize = %d, Header.UncompSize = %d",
                            {static_cast<int64_t>(bytes->size()), header.UncompressedSize},
                            stream_site::kReadLength);
  }
  const uint32_t checksum = BlobChecksum(*bytes);
  if (checksum != header.Checksum) {
    throw EKestrelException("Decompress buffer failed. CheckSum = %d, Header.Crc32 = %d",
                            {static_cast<int32_t>(checksum), static_cast<int32_t>(header.Checksum)},
                            stream_site::kReadChecksum);
  }
  cache_ = std::move(*bytes);
  cachedBlock_ = static_cast<int64_t>(k);
  return cache_;
}

int32_t TKestrelCompressedBLOBStream::Read(void* buffer, int32_t count) {
  if (!compressed_) {
    const int64_t left = valueLength_ - Position();
    return left <= 0
               ? 0
               : underlying_.Read(buffer, static_cast<int32_t>(std::min<int64_t>(count, left)));
  }
  if (count < 1 || position_ >= valueLength_) {
    return 0;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  int32_t delivered = 0;
  auto block = static_cast<std::size_t>(position_ / blockSize_);
  while (position_ < valueLength_ && delivered < count) {
    const std::vector<uint8_t>& bytes = LoadBlock(block);
    const int64_t offset = position_ % blockSize_;
    const int64_t piece =
        std::min({blockSize_ - offset, int64_t{count - delivered}, valueLength_ - position_});
    if (offset + piece > static_cast<int64_t>(bytes.size())) {
      RaiseDamaged(block);
    }
    std::memcpy(out + delivered, bytes.data() + offset, static_cast<std::size_t>(piece));
    delivered += static_cast<int32_t>(piece);
    position_ += piece;
    ++block;
  }
  return delivered;
}

// Writing.

std::vector<uint8_t> TKestrelCompressedBLOBStream::CompressBlock(std::span<const uint8_t> bytes,
                                                                 int nativeError) const {
  const auto algorithm =
      static_cast<TKestrelCompressionAlgorithm>(descriptor_.CompressionAlgorithm);
  std::optional<std::vector<uint8_t>> compressed =
      CompressBuffer(algorithm, descriptor_.CompressionMode, bytes);
  const int64_t produced = compressed ? static_cast<int64_t>(compressed->size()) : 0;
  if (!compressed || produced > std::numeric_limits<int32_t>::max() - kHeaderSize) {
    throw EKestrelException(
        "Compress buffer failed. CompAlg = %d, CompMode = %d, InSize = %d, OutSize = %d",
        {int{descriptor_.CompressionAlgorithm}, int{descriptor_.CompressionMode},
         static_cast<int64_t>(bytes.size()), produced},
        nativeError);
  }
  return std::move(*compressed);
}

Header TKestrelCompressedBLOBStream::MakeHeader(std::span<const uint8_t> bytes,
                                                std::vector<uint8_t>& compressed,
                                                int compressError) const {
  Header header;
  header.Checksum = BlobChecksum(bytes);
  compressed = CompressBlock(bytes, compressError);
  header.CompressedSize = static_cast<int32_t>(compressed.size());
  header.UncompressedSize = static_cast<int32_t>(bytes.size());
  header.TotalSize = header.CompressedSize + kHeaderSize;
  return header;
}

void TKestrelCompressedBLOBStream::WriteBlock(const Header& header,
                                              const std::vector<uint8_t>& compressed,
                                              int headerError, int dataError) {
  uint8_t bytes[Header::kSize];
  header.Encode(bytes);
  WriteStreamBuffer(underlying_, bytes, Header::kSize, headerError);
  WriteStreamBuffer(underlying_, compressed.data(), header.CompressedSize, dataError);
}

void TKestrelCompressedBLOBStream::AppendBlock(const uint8_t* bytes, int32_t count) {
  int64_t position = start_;
  if (!blocks_.empty()) {
    const TKestrelCompressedStreamBlock& last = blocks_.back();
    if (last.Header.TotalSize > std::numeric_limits<int64_t>::max() - last.Position) {
      RaiseDamaged(blocks_.size() - 1);
    }
    position = last.Position + last.Header.TotalSize;
  }
  SetStreamPosition(underlying_, position, stream_site::kWriteBlockPosition);
  std::vector<uint8_t> compressed;
  const Header header =
      MakeHeader({bytes, static_cast<std::size_t>(count)}, compressed, stream_site::kWriteCompress);
  WriteBlock(header, compressed, stream_site::kWriteHeader, stream_site::kWriteData);
  blocks_.push_back({header, position});
  valueLength_ += count;
  storedLength_ += header.CompressedSize;
}

void TKestrelCompressedBLOBStream::ExtendLastBlock(const uint8_t* bytes, int32_t count) {
  const std::size_t k = blocks_.size() - 1;
  const std::vector<uint8_t>& old = LoadBlock(k);
  std::vector<uint8_t> joined;
  joined.reserve(old.size() + static_cast<std::size_t>(count));
  joined.insert(joined.end(), old.begin(), old.end());
  joined.insert(joined.end(), bytes, bytes + count);
  std::vector<uint8_t> compressed;
  const Header header = MakeHeader(joined, compressed, stream_site::kRewriteCompress);
  TKestrelCompressedStreamBlock& block = blocks_[k];
  SetStreamPosition(underlying_, block.Position, stream_site::kRewritePosition);
  cachedBlock_ = -1;
  try {
    WriteBlock(header, compressed, stream_site::kRewriteHeader, stream_site::kRewriteData);
  } catch (...) {
    // The old block may be overwritten in part: it no longer counts.
    DropBlocksFrom(k);
    throw;
  }
  storedLength_ += header.CompressedSize - block.Header.CompressedSize;
  valueLength_ += count;
  block.Header = header;
  cache_ = std::move(joined);
  cachedBlock_ = static_cast<int64_t>(k);
}

void TKestrelCompressedBLOBStream::Append(const uint8_t* bytes, int32_t count) {
  int32_t done = 0;
  const int64_t offset = valueLength_ % blockSize_;
  if (offset != 0 && !blocks_.empty()) {
    done = static_cast<int32_t>(std::min<int64_t>(count, blockSize_ - offset));
    ExtendLastBlock(bytes, done);
  }
  while (done < count) {
    const int32_t piece = std::min(count - done, blockSize_);
    AppendBlock(bytes + done, piece);
    done += piece;
  }
}

int32_t TKestrelCompressedBLOBStream::Write(const void* buffer, int32_t count) {
  RefreshOnExit refresh{*this};
  if (!compressed_) {
    const int32_t written = underlying_.Write(buffer, count);
    valueLength_ = std::max<int64_t>(0, underlying_.Size() - start_);
    return written;
  }
  if (count < 1 || position_ < valueLength_) {
    return 0;
  }
  if (position_ > valueLength_) {
    SetSize(position_);  // zeros up to the position, which stays
  }
  Append(static_cast<const uint8_t*>(buffer), count);
  position_ = valueLength_;
  return count;
}

// Size changes.

void TKestrelCompressedBLOBStream::DropBlocksFrom(std::size_t k) {
  for (std::size_t i = k; i < blocks_.size(); ++i) {
    valueLength_ -= blocks_[i].Header.UncompressedSize;
    storedLength_ -= blocks_[i].Header.CompressedSize;
  }
  blocks_.resize(std::min(k, blocks_.size()));
  cachedBlock_ = -1;
}

void TKestrelCompressedBLOBStream::Grow(int64_t size) {
  const int64_t keep = position_;
  const std::vector<uint8_t> zeros(
      static_cast<std::size_t>(std::min<int64_t>(blockSize_, size - valueLength_)));
  while (valueLength_ < size) {
    // Up to the next block boundary, so that each block is compressed once.
    const auto piece = static_cast<int32_t>(
        std::min<int64_t>(size - valueLength_, blockSize_ - valueLength_ % blockSize_));
    position_ = valueLength_;
    WriteStreamBuffer(*this, zeros.data(), piece, stream_site::kGrowWrite);
  }
  position_ = std::min(keep, size);
}

void TKestrelCompressedBLOBStream::Shrink(int64_t size) {
  const auto k = static_cast<std::size_t>(size / blockSize_);
  const auto r = static_cast<int32_t>(size % blockSize_);
  if (r == 0) {
    DropBlocksFrom(k);
    return;
  }
  const std::vector<uint8_t>& whole = LoadBlock(k);
  const std::span<const uint8_t> head(whole.data(), static_cast<std::size_t>(r));
  std::vector<uint8_t> compressed;
  const Header header = MakeHeader(head, compressed, stream_site::kCutCompress);
  const int64_t position = blocks_[k].Position;
  // From here on block k and those after it are gone, whatever follows.
  DropBlocksFrom(k);
  underlying_.SetSize(position);
  if (underlying_.Size() != position) {
    throw EKestrelException("Invalid stream size = %d. Should be = %d",
                            {underlying_.Size(), position}, stream_site::kCutSize);
  }
  SetStreamPosition(underlying_, underlying_.Size(), stream_site::kCutPosition);
  uint8_t bytes[Header::kSize];
  header.Encode(bytes);
  if (underlying_.Write(bytes, Header::kSize) != Header::kSize ||
      underlying_.Write(compressed.data(), header.CompressedSize) != header.CompressedSize) {
    throw EKestrelException("Error writing to stream", stream_site::kCutWrite);
  }
  blocks_.push_back({header, position});
  valueLength_ += r;
  storedLength_ += header.CompressedSize;
}

void TKestrelCompressedBLOBStream::SetSize(int64_t size) {
  RefreshOnExit refresh{*this};
  if (size < 0) {
    throw EKestrelException("Invalid stream size = %d. Should be = %d", {valueLength_, size},
                            stream_site::kNegativeSize);
  }
  if (!compressed_) {
    const int64_t position = Position();
    underlying_.SetSize(start_ + size);
    valueLength_ = size;
    if (position > size) {
      SetPosition(size);
    }
    return;
  }
  if (size > valueLength_) {
    Grow(size);
  } else if (size < valueLength_) {
    Shrink(size);
  }
  position_ = std::min(position_, size);
}

void TKestrelCompressedBLOBStream::Refresh() noexcept {
  descriptor_.BlockSize = blockSize_;
  descriptor_.BlockCount = compressed_ ? static_cast<int64_t>(blocks_.size()) : 0;
  descriptor_.ValueLength = valueLength_;
  compressionRatio_ =
      compressed_ && valueLength_ > 0
          ? (1.0 - static_cast<double>(storedLength_) / static_cast<double>(valueLength_)) * 100.0
          : 0.0;
}

}  // namespace kestrel
