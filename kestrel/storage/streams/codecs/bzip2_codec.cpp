#include "kestrel/storage/streams/codecs/bzip2_codec.h"

#include <bzlib.h>

#include "kestrel/storage/streams/codecs/codec_driver.h"

namespace kestrel {
namespace {

using codec_driver::TCoderStatus;
using codec_driver::TCoderWindow;

constexpr int kVerbosity = 0;
constexpr int kDefaultWorkFactor = 0;

// A bz_stream that is ended on every way out.
class BzStream {
 public:
  explicit BzStream(bool compressing) : compressing_(compressing) {}
  ~BzStream() {
    if (!started_) {
      return;
    }
    if (compressing_) {
      BZ2_bzCompressEnd(&stream_);
    } else {
      BZ2_bzDecompressEnd(&stream_);
    }
  }
  BzStream(const BzStream&) = delete;
  BzStream& operator=(const BzStream&) = delete;

  bool Start(int blockSize100k) {
    const int result =
        compressing_ ? BZ2_bzCompressInit(&stream_, blockSize100k, kVerbosity, kDefaultWorkFactor)
                     : BZ2_bzDecompressInit(&stream_, kVerbosity, 0);
    started_ = result == BZ_OK;
    return started_;
  }

  // One compress or decompress call over the window.
  TCoderStatus Step(TCoderWindow& window) {
    const int result = codec_driver::CallOnWindow(stream_, window, [&](bool lastInput) {
      return compressing_ ? BZ2_bzCompress(&stream_, lastInput ? BZ_FINISH : BZ_RUN)
                          : BZ2_bzDecompress(&stream_);
    });
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

 private:
  bz_stream stream_{};
  bool compressing_;
  bool started_ = false;
};

}  // namespace

std::optional<std::vector<uint8_t>> TKestrelBzip2Codec::Compress(
    int level, std::span<const uint8_t> input) const {
  if (level < kMinLevel || level > kMaxLevel) {
    return std::nullopt;
  }
  BzStream stream(true);
  if (!stream.Start(level)) {
    return std::nullopt;
  }
  return codec_driver::RunCoder(input, codec_driver::InitialCompressBuffer(input.size()),
                                codec_driver::kCompressGrowth, SIZE_MAX,
                                [&](TCoderWindow& window) { return stream.Step(window); });
}

std::optional<std::vector<uint8_t>> TKestrelBzip2Codec::Decompress(std::span<const uint8_t> input,
                                                                   int64_t expectedLength) const {
  BzStream stream(false);
  if (!stream.Start(0)) {
    return std::nullopt;
  }
  const auto buffer = codec_driver::DecompressBufferFor(input.size(), expectedLength);
  return codec_driver::RunCoder(input, buffer.initial, buffer.growth, buffer.maxOutput,
                                [&](TCoderWindow& window) { return stream.Step(window); });
}

}  // namespace kestrel
