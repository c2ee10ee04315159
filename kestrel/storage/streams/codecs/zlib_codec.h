#pragma once
// Algorithm 1: zlib streams (the RFC 1950 wrapper around deflate) made by
// libz with its default window and memory settings at levels 0 to 9; any
// other level fails. Decompression runs to the end of the stream; bytes
// after it are ignored.

#include "kestrel/storage/streams/codecs/codec.h"

namespace kestrel {

class TKestrelZlibCodec final : public TKestrelCodec {
 public:
  static constexpr int kMinLevel = 0;
  static constexpr int kMaxLevel = 9;

  std::optional<std::vector<uint8_t>> Compress(int level,
                                               std::span<const uint8_t> input) const override;
  std::optional<std::vector<uint8_t>> Decompress(std::span<const uint8_t> input,
                                                 int64_t expectedLength) const override;
};

}  // namespace kestrel
