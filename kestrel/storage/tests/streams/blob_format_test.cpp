// The numbers of docs/kestrel-blobs.md: the block header's bytes, the
// checksum, the default block sizes, and a whole stored value laid out by
// hand.

#include "kestrel/storage/streams/blob_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestrel/storage/streams/checksum.h"
#include "kestrel/storage/streams/codecs/compression.h"
#include "kestrel/storage/streams/compressed_blob_stream.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Span(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

TEST(BlobFormat, TheChecksumIsCrc32FromZeroWithoutTheFinalInversion) {
  EXPECT_EQ(BlobChecksum(Span("abc")), 0xCA6598D0u);
  EXPECT_EQ(BlobChecksum(Bytes{}), 0u);
  // The register starts at 0, so a zero byte leaves it at 0.
  EXPECT_EQ(BlobChecksum(Bytes{0, 0, 0}), 0u);
  // Against the published table, bit by bit.
  const Bytes text = Span("The quick brown fox jumps over the lazy dog");
  uint32_t crc = 0;
  for (uint8_t byte : text) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xEDB88320u : 0u);
    }
  }
  EXPECT_EQ(BlobChecksum(text), crc);
}

TEST(BlobFormat, TheBlockHeaderIsTwentyLittleEndianBytes) {
  TKestrelCompressedStreamBlockHeader header;
  header.CompressedSize = 0x01020304;
  header.UncompressedSize = 102400;
  header.Checksum = 0xCA6598D0;
  header.TotalSize = 0x01020304 + 20;
  uint8_t bytes[20];
  header.Encode(bytes);
  const Bytes expected = {0x04, 0x03, 0x02, 0x01,                           // C
                          0x00, 0x90, 0x01, 0x00,                           // U = 102400
                          0xD0, 0x98, 0x65, 0xCA,                           // checksum
                          0x18, 0x03, 0x02, 0x01, 0x00, 0x00, 0x00, 0x00};  // C + 20
  EXPECT_EQ(Bytes(bytes, bytes + 20), expected);
  const auto back = TKestrelCompressedStreamBlockHeader::Decode(bytes);
  EXPECT_EQ(back.CompressedSize, header.CompressedSize);
  EXPECT_EQ(back.UncompressedSize, header.UncompressedSize);
  EXPECT_EQ(back.Checksum, header.Checksum);
  EXPECT_EQ(back.TotalSize, header.TotalSize);
  uint8_t negative[20] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(TKestrelCompressedStreamBlockHeader::Decode(negative).CompressedSize, -1);
}

TEST(BlobFormat, DefaultBlockSizesFollowTheLevel) {
  const int32_t expected[] = {102400,  524288,  524288,  524288,  1048576, 1048576,
                              1048576, 1572864, 1572864, 1572864, 1572864};
  for (int level = 0; level <= 10; ++level) {
    EXPECT_EQ(DefaultBlockSize(level), expected[level]) << level;
  }
  EXPECT_EQ(DefaultBlockSize(255), 1572864);
}

// Two blocks of 4 bytes and one of 2, written by the stream, then read
// back field by field at the offsets the page gives.
TEST(BlobFormat, AStoredValueIsItsBlocksOneAfterTheOther) {
  TKestrelMemoryStream stored;
  TKestrelBlobDescriptor descriptor;
  descriptor.BlockSize = 4;
  descriptor.CompressionAlgorithm = 1;
  descriptor.CompressionMode = 6;
  TKestrelCompressedBLOBStream stream(stored, false, true, descriptor);
  const Bytes value = Span("abcdefgh12");
  ASSERT_EQ(stream.Write(value.data(), 10), 10);
  EXPECT_EQ(stream.Descriptor().BlockCount, 3);
  EXPECT_EQ(stream.Descriptor().ValueLength, 10);

  const Bytes bytes = stored.Bytes();
  std::size_t at = 0;
  for (int block = 0; block < 3; ++block) {
    SCOPED_TRACE(block);
    ASSERT_LE(at + 20, bytes.size());
    uint8_t raw[20];
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
              bytes.begin() + static_cast<std::ptrdiff_t>(at + 20), raw);
    const auto header = TKestrelCompressedStreamBlockHeader::Decode(raw);
    const Bytes piece(value.begin() + block * 4, value.begin() + std::min(block * 4 + 4, 10));
    EXPECT_EQ(header.UncompressedSize, static_cast<int32_t>(piece.size()));
    EXPECT_EQ(header.Checksum, BlobChecksum(piece));
    EXPECT_EQ(header.TotalSize, header.CompressedSize + 20);
    EXPECT_EQ(stream.Blocks()[static_cast<std::size_t>(block)].Position, static_cast<int64_t>(at));
    const Bytes compressed(
        bytes.begin() + static_cast<std::ptrdiff_t>(at + 20),
        bytes.begin() + static_cast<std::ptrdiff_t>(at + 20) + header.CompressedSize);
    EXPECT_EQ(
        DecompressBuffer(TKestrelCompressionAlgorithm::Zlib, compressed, header.UncompressedSize),
        piece);
    at += static_cast<std::size_t>(header.TotalSize);
  }
  EXPECT_EQ(at, bytes.size());
}

}  // namespace
}  // namespace kestrel
