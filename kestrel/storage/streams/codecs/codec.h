#pragma once
// One compression algorithm of the engine, as BLOB blocks and table file
// bodies use it. CompressBuffer/DecompressBuffer pick the codec for an
// algorithm number; each codec only turns bytes into bytes.
//
// A codec reports failure as an empty optional (a bad level, a damaged
// input, memory it cannot have); it never throws for bad input. An
// exception escaping a codec is still caught by the dispatcher and counted
// as a failure.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrel {

// The stored algorithm numbers of BLOB descriptors and table file headers.
enum class TKestrelCompressionAlgorithm : uint8_t { None = 0, Zlib = 1, Bzip2 = 2, Ppm = 3 };

class TKestrelCodec {
 public:
  virtual ~TKestrelCodec() = default;
  // The compressed form of input at level; nullopt when the codec fails.
  virtual std::optional<std::vector<uint8_t>> Compress(int level,
                                                       std::span<const uint8_t> input) const = 0;
  // The bytes input decompresses to; expectedLength is the exact length
  // when the caller knows it (block headers do), or -1. nullopt on failure.
  virtual std::optional<std::vector<uint8_t>> Decompress(std::span<const uint8_t> input,
                                                         int64_t expectedLength) const = 0;
};

}  // namespace kestrel
