#include "kestrel/storage/streams/codecs/compression.h"

#include "kestrel/storage/streams/codecs/bzip2_codec.h"
#include "kestrel/storage/streams/codecs/zlib_codec.h"

namespace kestrel {
namespace {

// The codecs keep no state between calls, so one instance each serves
// every caller.
const TKestrelZlibCodec kZlib;
const TKestrelBzip2Codec kBzip2;

const TKestrelCodecEntry kCodecs[] = {
    {TKestrelCompressionAlgorithm::Zlib, "zlib", 6, &kZlib},
    {TKestrelCompressionAlgorithm::Bzip2, "bzip2", 9, &kBzip2},
};

// Runs a codec call; an exception out of it (memory, most likely) is a
// failure like any other, and so is an empty result.
template <typename Call>
std::optional<std::vector<uint8_t>> Guarded(Call&& call) {
  try {
    std::optional<std::vector<uint8_t>> output = call();
    if (output && output->empty()) {
      return std::nullopt;
    }
    return output;
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

std::span<const TKestrelCodecEntry> CodecTable() {
  return kCodecs;
}

const TKestrelCodec* FindCodec(TKestrelCompressionAlgorithm algorithm) {
  for (const TKestrelCodecEntry& entry : kCodecs) {
    if (entry.Algorithm == algorithm) {
      return entry.Codec;
    }
  }
  return nullptr;
}

std::optional<std::vector<uint8_t>> CompressBuffer(TKestrelCompressionAlgorithm algorithm,
                                                   int level, std::span<const uint8_t> input) {
  const TKestrelCodec* codec = FindCodec(algorithm);
  if (codec == nullptr || input.empty()) {
    return std::nullopt;
  }
  return Guarded([&] { return codec->Compress(level, input); });
}

std::optional<std::vector<uint8_t>> DecompressBuffer(TKestrelCompressionAlgorithm algorithm,
                                                     std::span<const uint8_t> input,
                                                     int64_t expectedLength) {
  const TKestrelCodec* codec = FindCodec(algorithm);
  if (codec == nullptr) {
    return std::nullopt;
  }
  return Guarded([&] { return codec->Decompress(input, expectedLength); });
}

}  // namespace kestrel
