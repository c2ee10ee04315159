#pragma once
// Algorithm 2: bzip2 streams made by libbz2 with the level as the block
// size in units of 100 kB (1 to 9; any other level fails), verbosity 0 and
// the default work factor. Decompression runs to the end of the stream;
// bytes after it are ignored.

#include "kestrel/storage/streams/codecs/codec.h"

namespace kestrel {

class TKestrelBzip2Codec final : public TKestrelCodec {
 public:
  static constexpr int kMinLevel = 1;
  static constexpr int kMaxLevel = 9;

  std::optional<std::vector<uint8_t>> Compress(int level,
                                               std::span<const uint8_t> input) const override;
  std::optional<std::vector<uint8_t>> Decompress(std::span<const uint8_t> input,
                                                 int64_t expectedLength) const override;
};

}  // namespace kestrel
