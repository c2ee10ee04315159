#pragma once
// The pieces of a compressed BLOB value: the descriptor a stream is opened
// with, the 20-byte header in front of every block, and the default block
// sizes. docs/kestrel-blobs.md draws the layouts.
//
// Block header (little-endian):
//   offset  size  field
//   0       4     compressed length C, signed
//   4       4     uncompressed length U, signed (BlockSize except in the
//                 last block)
//   8       4     checksum of the U uncompressed bytes (BlobChecksum)
//   12      8     total block length C + 20, signed: the distance to the
//                 next block
//
// Blocks follow each other from StartPosition. Without compression there
// are no blocks: the stream from StartPosition on is the value.

#include <cstdint>
#include <vector>

namespace kestrel {

// Passed when a compressed BLOB stream is opened, and kept current while
// the value is written.
struct TKestrelBlobDescriptor {
  int32_t BlockSize = 0;
  int64_t BlockCount = 0;
  int64_t ValueLength = 0;
  int64_t StartPosition = 0;
  uint8_t CompressionAlgorithm = 0;  // 0 none, 1 zlib, 2 bzip2, 3 PPM
  uint8_t CompressionMode = 0;       // the level
};

struct TKestrelCompressedStreamBlockHeader {
  static constexpr int32_t kSize = 20;

  int32_t CompressedSize = 0;
  int32_t UncompressedSize = 0;
  uint32_t Checksum = 0;
  int64_t TotalSize = 0;

  void Encode(uint8_t (&bytes)[kSize]) const;
  static TKestrelCompressedStreamBlockHeader Decode(const uint8_t (&bytes)[kSize]);
};

// A block header with the block's position in the underlying stream.
struct TKestrelCompressedStreamBlock {
  TKestrelCompressedStreamBlockHeader Header;
  int64_t Position = 0;
};

using TKestrelCompressedStreamBlockHeadersArray = std::vector<TKestrelCompressedStreamBlock>;

// The block size a stream opened with BlockSize 0 uses: 102400 for level 0,
// 524288 for levels 1 to 3, 1048576 for 4 to 6, 1572864 from 7 on.
int32_t DefaultBlockSize(int level);

}  // namespace kestrel
