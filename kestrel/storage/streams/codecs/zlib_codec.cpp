#include "kestrel/storage/streams/codecs/zlib_codec.h"

#include <zlib.h>

#include "kestrel/storage/streams/codecs/codec_driver.h"

namespace kestrel {
namespace {

using codec_driver::TCoderStatus;
using codec_driver::TCoderWindow;

// A z_stream that is ended on every way out.
class ZStream {
 public:
  explicit ZStream(bool deflating) : deflating_(deflating) {}
  ~ZStream() {
    if (!started_) {
      return;
    }
    if (deflating_) {
      deflateEnd(&stream_);
    } else {
      inflateEnd(&stream_);
    }
  }
  ZStream(const ZStream&) = delete;
  ZStream& operator=(const ZStream&) = delete;

  bool Start(int level) {
    started_ = (deflating_ ? deflateInit(&stream_, level) : inflateInit(&stream_)) == Z_OK;
    return started_;
  }

  // One deflate or inflate call over the window.
  TCoderStatus Step(TCoderWindow& window) {
    const int result = codec_driver::CallOnWindow(stream_, window, [&](bool lastInput) {
      return deflating_ ? deflate(&stream_, lastInput ? Z_FINISH : Z_NO_FLUSH)
                        : inflate(&stream_, Z_NO_FLUSH);
    });
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

 private:
  z_stream stream_{};
  bool deflating_;
  bool started_ = false;
};

}  // namespace

std::optional<std::vector<uint8_t>> TKestrelZlibCodec::Compress(
    int level, std::span<const uint8_t> input) const {
  if (level < kMinLevel || level > kMaxLevel) {
    return std::nullopt;
  }
  ZStream stream(true);
  if (!stream.Start(level)) {
    return std::nullopt;
  }
  return codec_driver::RunCoder(input, codec_driver::InitialCompressBuffer(input.size()),
                                codec_driver::kCompressGrowth, SIZE_MAX,
                                [&](TCoderWindow& window) { return stream.Step(window); });
}

std::optional<std::vector<uint8_t>> TKestrelZlibCodec::Decompress(std::span<const uint8_t> input,
                                                                  int64_t expectedLength) const {
  ZStream stream(false);
  if (!stream.Start(0)) {
    return std::nullopt;
  }
  const auto buffer = codec_driver::DecompressBufferFor(input.size(), expectedLength);
  return codec_driver::RunCoder(input, buffer.initial, buffer.growth, buffer.maxOutput,
                                [&](TCoderWindow& window) { return stream.Step(window); });
}

}  // namespace kestrel
