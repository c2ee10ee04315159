#pragma once
// The engine's entry points for compression: BLOB blocks and table file
// bodies call CompressBuffer/DecompressBuffer with a stored algorithm
// number, and one table maps that number to its codec.
//
// Failure is an empty optional: the algorithm has no codec (0, unknown
// numbers, and any algorithm whose codec is not built in), the codec fails
// or throws, or it produces no bytes. An empty input never compresses.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "kestrel/storage/streams/codecs/codec.h"

namespace kestrel {

struct TKestrelCodecEntry {
  TKestrelCompressionAlgorithm Algorithm;
  const char* Name;
  // The level that matches the codec's usual command-line setting; the
  // benchmark measures each codec there.
  int TypicalLevel;
  const TKestrelCodec* Codec;
};

// Every algorithm that has a codec, in algorithm order.
std::span<const TKestrelCodecEntry> CodecTable();
// The codec of an algorithm, or nullptr.
const TKestrelCodec* FindCodec(TKestrelCompressionAlgorithm algorithm);

std::optional<std::vector<uint8_t>> CompressBuffer(TKestrelCompressionAlgorithm algorithm,
                                                   int level, std::span<const uint8_t> input);
// expectedLength: the exact output length when known, else -1.
std::optional<std::vector<uint8_t>> DecompressBuffer(TKestrelCompressionAlgorithm algorithm,
                                                     std::span<const uint8_t> input,
                                                     int64_t expectedLength);

}  // namespace kestrel
