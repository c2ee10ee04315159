#pragma once
// The output buffer rules shared by the streaming codecs (zlib, bzip2) and
// the loop that drives one coder call after another into that buffer.
//
// Compression: the buffer starts at n + n / 10 + 12 bytes rounded up to a
// multiple of 256 and grows by 256 bytes whenever the coder stops for room.
// Decompression: the buffer is the expected length when the caller knows
// it (block headers and table file headers do); then output beyond that
// length means a damaged input and the coder fails at once, so a damaged
// stream cannot make us inflate gigabytes. Without an expected length the
// buffer starts at the input length rounded up to 256 and grows by as much
// each time the coder fills it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace kestrel::codec_driver {

inline constexpr std::size_t kCompressGrowth = 256;

inline std::size_t RoundUp256(std::size_t n) {
  return (n + 255) / 256 * 256;
}

inline std::size_t InitialCompressBuffer(std::size_t inputLength) {
  return RoundUp256(inputLength + inputLength / 10 + 12);
}

// What a coder reports after one call.
enum class TCoderStatus { Progress, End, Failure };

// The window a coder call works on: it advances in/out and shrinks the
// counts by what it consumed and produced.
struct TCoderWindow {
  const uint8_t* in;
  std::size_t inAvailable;
  uint8_t* out;
  std::size_t outAvailable;
};

// The libraries count in 32 bits; a window wider than that is handed over
// a piece at a time.
inline unsigned int Clamp32(std::size_t n) {
  return static_cast<unsigned int>(std::min<std::size_t>(n, std::numeric_limits<unsigned>::max()));
}

// Hands the window to a zlib- or bzip2-style library stream (next_in,
// avail_in, next_out, avail_out), makes one call(lastInput) and takes back
// what it consumed and produced. lastInput is true when the whole rest of
// the input fits in the library's 32-bit count. Returns the call's result.
template <typename LibraryStream, typename Call>
int CallOnWindow(LibraryStream& stream, TCoderWindow& window, Call&& call) {
  using InPointer = decltype(stream.next_in);
  using OutPointer = decltype(stream.next_out);
  stream.next_in = reinterpret_cast<InPointer>(const_cast<uint8_t*>(window.in));
  stream.avail_in = Clamp32(window.inAvailable);
  stream.next_out = reinterpret_cast<OutPointer>(window.out);
  stream.avail_out = Clamp32(window.outAvailable);
  const unsigned inGiven = stream.avail_in;
  const unsigned outGiven = stream.avail_out;
  const int result = call(inGiven == window.inAvailable);
  window.in += inGiven - stream.avail_in;
  window.inAvailable -= inGiven - stream.avail_in;
  window.out += outGiven - stream.avail_out;
  window.outAvailable -= outGiven - stream.avail_out;
  return result;
}

// Runs coder (TCoderStatus(TCoderWindow&)) over input until it reports End,
// growing the output buffer by growth bytes whenever it is full. nullopt on
// Failure, when a call moves nothing (a truncated input), and when the
// output would pass maxOutput bytes: the buffer stops one byte beyond it, so
// a stream that goes on is told from one that ends there.
template <typename Coder>
std::optional<std::vector<uint8_t>> RunCoder(std::span<const uint8_t> input, std::size_t initial,
                                             std::size_t growth, std::size_t maxOutput,
                                             Coder&& coder) {
  const std::size_t limit = maxOutput == SIZE_MAX ? SIZE_MAX : maxOutput + 1;
  std::vector<uint8_t> output(std::min(initial, limit));
  TCoderWindow window{input.data(), input.size(), nullptr, 0};
  std::size_t produced = 0;
  for (;;) {
    if (produced == output.size()) {
      if (output.size() >= limit) {
        return std::nullopt;
      }
      output.resize(output.size() + std::min(growth, limit - output.size()));
    }
    window.out = output.data() + produced;
    window.outAvailable = output.size() - produced;
    const std::size_t inBefore = window.inAvailable;
    const std::size_t outBefore = window.outAvailable;
    const TCoderStatus status = coder(window);
    produced += outBefore - window.outAvailable;
    if (status == TCoderStatus::End) {
      if (produced > maxOutput) {
        return std::nullopt;
      }
      output.resize(produced);
      return output;
    }
    if (status == TCoderStatus::Failure ||
        (inBefore == window.inAvailable && outBefore == window.outAvailable)) {
      return std::nullopt;
    }
  }
}

// The buffer sizes of a decompression for RunCoder.
struct TDecompressBuffer {
  std::size_t initial;
  std::size_t growth;
  std::size_t maxOutput;
};

inline TDecompressBuffer DecompressBufferFor(std::size_t inputLength, int64_t expectedLength) {
  if (expectedLength >= 0) {
    const auto expected = static_cast<std::size_t>(expectedLength);
    return {expected, 1, expected};
  }
  const std::size_t step = std::max<std::size_t>(256, RoundUp256(inputLength));
  return {step, step, std::numeric_limits<std::size_t>::max()};
}

// A zlib- or bzip2-style library stream, started on construction and ended
// on every way out. Library supplies:
//   using Stream = ...;                                  // z_stream, bz_stream
//   static bool Start(Stream&, bool compressing, int level);
//   static void End(Stream&, bool compressing);
//   static int Call(Stream&, bool compressing, bool lastInput);
//   static TCoderStatus Status(int result);
template <typename Library>
class TLibraryCoder {
 public:
  TLibraryCoder(bool compressing, int level) : compressing_(compressing) {
    started_ = Library::Start(stream_, compressing, level);
  }
  ~TLibraryCoder() {
    if (started_) {
      Library::End(stream_, compressing_);
    }
  }
  TLibraryCoder(const TLibraryCoder&) = delete;
  TLibraryCoder& operator=(const TLibraryCoder&) = delete;

  bool Started() const { return started_; }
  TCoderStatus operator()(TCoderWindow& window) {
    return Library::Status(CallOnWindow(stream_, window, [&](bool lastInput) {
      return Library::Call(stream_, compressing_, lastInput);
    }));
  }

 private:
  typename Library::Stream stream_{};
  bool compressing_;
  bool started_ = false;
};

template <typename Library>
std::optional<std::vector<uint8_t>> CompressWith(int level, std::span<const uint8_t> input) {
  TLibraryCoder<Library> coder(true, level);
  if (!coder.Started()) {
    return std::nullopt;
  }
  return RunCoder(input, InitialCompressBuffer(input.size()), kCompressGrowth, SIZE_MAX, coder);
}

template <typename Library>
std::optional<std::vector<uint8_t>> DecompressWith(std::span<const uint8_t> input,
                                                   int64_t expectedLength) {
  TLibraryCoder<Library> coder(false, 0);
  if (!coder.Started()) {
    return std::nullopt;
  }
  const TDecompressBuffer buffer = DecompressBufferFor(input.size(), expectedLength);
  return RunCoder(input, buffer.initial, buffer.growth, buffer.maxOutput, coder);
}

}  // namespace kestrel::codec_driver
