#include "kestrel/storage/pages/bits_array.h"

#include <array>
#include <cstring>

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/pages/stream_checks.h"

namespace kestrel {
namespace {

constexpr std::array<uint8_t, 256> MakeBitCounts() {
  std::array<uint8_t, 256> counts{};
  for (int value = 0; value < 256; ++value) {
    int bits = 0;
    for (int bit = 0; bit < 8; ++bit) {
      bits += value >> bit & 1;
    }
    counts[static_cast<std::size_t>(value)] = static_cast<uint8_t>(bits);
  }
  return counts;
}

constexpr std::array<uint8_t, 256> kBitCounts = MakeBitCounts();

// The bits of the last byte that lie at or beyond count.
uint8_t PaddingMask(int32_t count) {
  const int used = count % 8;
  return used == 0 ? 0 : static_cast<uint8_t>(0xFF << used);
}

}  // namespace

int BitsInByte(uint8_t value) {
  return kBitCounts[value];
}

TKestrelBitsArray::TKestrelBitsArray(TKestrelMemoryManager& memory) : memory_(memory) {}

TKestrelBitsArray::~TKestrelBitsArray() {
  memory_.Free(bytes_);
}

int32_t TKestrelBitsArray::CountSetBits(int32_t bytes) const {
  int32_t count = 0;
  for (int32_t i = 0; i < bytes; ++i) {
    count += kBitCounts[bytes_[i]];
  }
  return count;
}

void TKestrelBitsArray::SetBitCount(int32_t count) {
  if (count < 0) {
    throw EKestrelException("Invalid bit no = %d, number of bits = %d", {count, bitCount_}, 10395);
  }
  if (count == 0) {
    memory_.Free(bytes_);
    bitCount_ = 0;
    setBits_ = 0;
    return;
  }
  const int32_t oldBytes = ByteCount(bitCount_);
  const int32_t newBytes = ByteCount(count);
  if (newBytes != oldBytes) {
    memory_.Resize(bytes_, newBytes, true);
  }
  if (count < bitCount_) {
    bytes_[newBytes - 1] &= static_cast<uint8_t>(~PaddingMask(count));
    bitCount_ = count;
    setBits_ = CountSetBits(newBytes);
    return;
  }
  bitCount_ = count;
}

bool TKestrelBitsArray::Bit(int32_t n) const {
  if (n < 0 || n >= bitCount_) {
    throw EKestrelException("Invalid bit no = %d, number of bits = %d", {n, bitCount_}, 10394);
  }
  return (bytes_[n / 8] >> (n % 8) & 1) != 0;
}

void TKestrelBitsArray::SetBit(int32_t n, bool value) {
  if (n < 0 || n >= bitCount_) {
    throw EKestrelException("Invalid bit no = %d, number of bits = %d", {n, bitCount_}, 10395);
  }
  const auto mask = static_cast<uint8_t>(1u << (n % 8));
  uint8_t& byte = bytes_[n / 8];
  if (((byte & mask) != 0) == value) {
    return;
  }
  byte = static_cast<uint8_t>(value ? byte | mask : byte & ~mask);
  setBits_ += value ? 1 : -1;
}

int32_t TKestrelBitsArray::FindFirst(bool value) const {
  const int32_t bytes = ByteCount(bitCount_);
  const uint8_t skip = value ? 0x00 : 0xFF;
  for (int32_t i = 0; i < bytes; ++i) {
    if (bytes_[i] == skip) {
      continue;
    }
    for (int bit = 0; bit < 8; ++bit) {
      const int32_t n = i * 8 + bit;
      if (n >= bitCount_) {
        return -1;
      }
      if (((bytes_[i] >> bit & 1) != 0) == value) {
        return n;
      }
    }
  }
  return -1;
}

void TKestrelBitsArray::SaveToStream(TKestrelStream& stream, int writeError) const {
  WriteInt32(stream, bitCount_, writeError);
  WriteInt32(stream, setBits_, writeError + 1);
  if (bitCount_ > 0) {
    WriteStreamBuffer(stream, bytes_, ByteCount(bitCount_), writeError + 2);
  }
}

void TKestrelBitsArray::LoadFromStream(TKestrelStream& stream, int readError) {
  SetBitCount(0);
  const int32_t count = ReadInt32(stream, readError);
  const int32_t stored = ReadInt32(stream, readError + 1);
  if (count < 0 || stored < 0 || stored > count) {
    throw EKestrelException("Invalid bits array. Bits = %d, set bits = %d, counted = %d",
                            {count, stored, 0}, 10700);
  }
  if (count == 0) {
    return;
  }
  // The bytes come from the stream's own size first: a damaged count must
  // not make us allocate what the stream cannot hold.
  const int32_t bytes = ByteCount(count);
  RequireStreamBytes(stream, bytes, readError + 2);
  SetBitCount(count);
  ReadStreamBuffer(stream, bytes_, bytes, readError + 2);
  const int32_t counted = CountSetBits(bytes);
  if ((bytes_[bytes - 1] & PaddingMask(count)) != 0 || counted != stored) {
    SetBitCount(0);
    throw EKestrelException("Invalid bits array. Bits = %d, set bits = %d, counted = %d",
                            {count, stored, counted}, 10700);
  }
  setBits_ = counted;
}

}  // namespace kestrel
