#include "kestrel/storage/streams/codecs/zlib_codec.h"

#include <zlib.h>

#include "kestrel/storage/streams/codecs/codec_driver.h"

namespace kestrel {
namespace {

using codec_driver::TCoderStatus;

struct Zlib {
  using Stream = z_stream;
  static bool Start(Stream& stream, bool compressing, int level) {
    return (compressing ? deflateInit(&stream, level) : inflateInit(&stream)) == Z_OK;
  }
  static void End(Stream& stream, bool compressing) {
    if (compressing) {
      deflateEnd(&stream);
    } else {
      inflateEnd(&stream);
    }
  }
  static int Call(Stream& stream, bool compressing, bool lastInput) {
    return compressing ? deflate(&stream, lastInput ? Z_FINISH : Z_NO_FLUSH)
                       : inflate(&stream, Z_NO_FLUSH);
  }
  static TCoderStatus Status(int result) {
    switch (result) {
      case Z_STREAM_END:
        return TCoderStatus::End;
      case Z_OK:
      case Z_BUF_ERROR:  // no room or no input: the driver decides
        return TCoderStatus::Progress;
      default:
        return TCoderStatus::Failure;
    }
  }
};

}  // namespace

std::optional<std::vector<uint8_t>> TKestrelZlibCodec::Compress(
    int level, std::span<const uint8_t> input) const {
  if (level < kMinLevel || level > kMaxLevel) {
    return std::nullopt;
  }
  return codec_driver::CompressWith<Zlib>(level, input);
}

std::optional<std::vector<uint8_t>> TKestrelZlibCodec::Decompress(std::span<const uint8_t> input,
                                                                  int64_t expectedLength) const {
  return codec_driver::DecompressWith<Zlib>(input, expectedLength);
}

}  // namespace kestrel
