#pragma once
// A counted bit array over engine memory: the in-use maps of the page
// managers.
//
// Bit n is bit (n mod 8), least significant first, of byte n / 8. The
// number of set bits is kept current by every change; bits at or beyond
// BitCount() never exist (padding bits of the last byte stay 0).
//
// Stream form (little-endian):
//   size            field
//   4               bit count
//   4               number of set bits
//   ceil(count/8)   the bytes, only when the bit count is above 0

#include <cstdint>

#include "kestrel/storage/memory_manager.h"
#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

class TKestrelBitsArray {
 public:
  explicit TKestrelBitsArray(TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance());
  ~TKestrelBitsArray();
  TKestrelBitsArray(const TKestrelBitsArray&) = delete;
  TKestrelBitsArray& operator=(const TKestrelBitsArray&) = delete;

  int32_t BitCount() const { return bitCount_; }
  // New bits are 0; shrinking recounts the set bits; 0 frees the bytes.
  void SetBitCount(int32_t count);
  int32_t SetBitsCount() const { return setBits_; }

  // "Invalid bit no = %d, number of bits = %d" (10394) at or beyond the count.
  bool Bit(int32_t n) const;
  // The same message with 10395. Setting a bit to the value it has does
  // nothing.
  void SetBit(int32_t n, bool value);
  // The lowest bit number holding value, or -1.
  int32_t FindFirst(bool value) const;

  // Damaged forms (a negative count, a set-bit count that disagrees with
  // the bytes, set padding bits) raise "Invalid bits array. Bits = %d, set
  // bits = %d, counted = %d" (10700); short reads and writes raise the
  // stream messages with readError / writeError and the two following codes.
  void LoadFromStream(TKestrelStream& stream, int readError);
  void SaveToStream(TKestrelStream& stream, int writeError) const;

 private:
  static int32_t ByteCount(int32_t bits) { return static_cast<int32_t>((int64_t{bits} + 7) / 8); }
  int32_t CountSetBits(int32_t bytes) const;

  TKestrelMemoryManager& memory_;
  uint8_t* bytes_ = nullptr;
  int32_t bitCount_ = 0;
  int32_t setBits_ = 0;
};

// Set bits of a byte value.
int BitsInByte(uint8_t value);

}  // namespace kestrel
