#include "kestrel/storage/streams/codecs/bzip2_codec.h"

#include <bzlib.h>

#include "kestrel/storage/streams/codecs/codec_driver.h"

namespace kestrel {
namespace {

using codec_driver::TCoderStatus;

constexpr int kVerbosity = 0;
constexpr int kDefaultWorkFactor = 0;
constexpr int kFastDecompression = 0;  // not the library's low-memory mode

struct Bzip2 {
  using Stream = bz_stream;
  static bool Start(Stream& stream, bool compressing, int blockSize100k) {
    return (compressing ? BZ2_bzCompressInit(&stream, blockSize100k, kVerbosity, kDefaultWorkFactor)
                        : BZ2_bzDecompressInit(&stream, kVerbosity, kFastDecompression)) == BZ_OK;
  }
  static void End(Stream& stream, bool compressing) {
    if (compressing) {
      BZ2_bzCompressEnd(&stream);
    } else {
      BZ2_bzDecompressEnd(&stream);
    }
  }
  static int Call(Stream& stream, bool compressing, bool lastInput) {
    return compressing ? BZ2_bzCompress(&stream, lastInput ? BZ_FINISH : BZ_RUN)
                       : BZ2_bzDecompress(&stream);
  }
  static TCoderStatus Status(int result) {
    switch (result) {
      case BZ_STREAM_END:
        return TCoderStatus::End;
      case BZ_OK:
      case BZ_RUN_OK:
      case BZ_FINISH_OK:
        return TCoderStatus::Progress;
      default:
        return TCoderStatus::Failure;
    }
  }
};

}  // namespace

std::optional<std::vector<uint8_t>> TKestrelBzip2Codec::Compress(
    int level, std::span<const uint8_t> input) const {
  if (level < kMinLevel || level > kMaxLevel) {
    return std::nullopt;
  }
  return codec_driver::CompressWith<Bzip2>(level, input);
}

std::optional<std::vector<uint8_t>> TKestrelBzip2Codec::Decompress(std::span<const uint8_t> input,
                                                                   int64_t expectedLength) const {
  return codec_driver::DecompressWith<Bzip2>(input, expectedLength);
}

}  // namespace kestrel
