#pragma once
// A memory stream that misbehaves on request, for the fault tests of code
// that reads and writes through streams: writes stop after a number of
// bytes (counted over the stream's life, so "fails after N bytes" holds
// across calls), reads stop after a number of bytes or deliver at most a
// few bytes per call (short reads), and size changes can be refused.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel::test_support {

class FaultStream : public TKestrelMemoryStream {
 public:
  static constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();

  FaultStream() = default;
  explicit FaultStream(const std::vector<uint8_t>& bytes) : TKestrelMemoryStream(bytes) {}

  // Writes take only the next `bytes` bytes, then nothing.
  void FailWritesAfter(int64_t bytes) { writeBudget_ = bytes; }
  // Reads deliver only the next `bytes` bytes, then nothing.
  void FailReadsAfter(int64_t bytes) { readBudget_ = bytes; }
  // Every read delivers at most `bytes` bytes.
  void ShortReadsOf(int32_t bytes) { readChunk_ = bytes; }
  void RefuseSetSize() { refuseSetSize_ = true; }
  // Back to a well-behaved stream.
  void Heal() {
    writeBudget_ = kNoLimit;
    readBudget_ = kNoLimit;
    readChunk_ = std::numeric_limits<int32_t>::max();
    refuseSetSize_ = false;
  }

  int32_t Read(void* buffer, int32_t count) override {
    const auto allowed =
        static_cast<int32_t>(std::min<int64_t>({count, readBudget_, int64_t{readChunk_}}));
    const int32_t n = TKestrelMemoryStream::Read(buffer, std::max(0, allowed));
    if (readBudget_ != kNoLimit) {
      readBudget_ -= n;
    }
    return n;
  }
  int32_t Write(const void* buffer, int32_t count) override {
    const auto allowed = static_cast<int32_t>(std::min<int64_t>(count, writeBudget_));
    const int32_t n = TKestrelMemoryStream::Write(buffer, std::max(0, allowed));
    if (writeBudget_ != kNoLimit) {
      writeBudget_ -= n;
    }
    return n;
  }
  void SetSize(int64_t size) override {
    if (refuseSetSize_) {
      throw EKestrelException("Invalid stream size = %d. Should be = %d", {Size(), size}, 1);
    }
    TKestrelMemoryStream::SetSize(size);
  }

 private:
  int64_t writeBudget_ = kNoLimit;
  int64_t readBudget_ = kNoLimit;
  int32_t readChunk_ = std::numeric_limits<int32_t>::max();
  bool refuseSetSize_ = false;
};

}  // namespace kestrel::test_support
