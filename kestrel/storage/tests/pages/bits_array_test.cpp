// The counted bit array: bit numbering, counts kept by every change,
// resizing, FindFirst and the stream form with its damage checks.

#include "kestrel/storage/pages/bits_array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/tests/kestrel_test_util.h"

namespace kestrel {
namespace {

using test::ExpectKestrelError;

TEST(BitsArray, BitsCountsAndBounds) {
  TKestrelMemoryManager memory;
  TKestrelBitsArray bits(memory);
  bits.SetBitCount(20);
  EXPECT_EQ(bits.FindFirst(true), -1);
  EXPECT_EQ(bits.FindFirst(false), 0);
  bits.SetBit(9, true);
  bits.SetBit(9, true);  // no change, no count
  bits.SetBit(17, true);
  EXPECT_EQ(bits.SetBitsCount(), 2);
  EXPECT_TRUE(bits.Bit(9));
  EXPECT_FALSE(bits.Bit(8));
  EXPECT_EQ(bits.FindFirst(true), 9);
  ExpectKestrelError([&] { (void)bits.Bit(20); }, "Invalid bit no = 20, number of bits = 20",
                     10394);
  ExpectKestrelError([&] { bits.SetBit(-1, true); }, "Invalid bit no = -1, number of bits = 20",
                     10395);

  // Shrinking drops bit 17 from the count; growing again brings 0 bits.
  bits.SetBitCount(12);
  EXPECT_EQ(bits.SetBitsCount(), 1);
  bits.SetBitCount(24);
  EXPECT_FALSE(bits.Bit(17));
  for (int32_t n = 0; n < 24; ++n) {
    bits.SetBit(n, true);
  }
  EXPECT_EQ(bits.FindFirst(false), -1);
  bits.SetBit(21, false);
  EXPECT_EQ(bits.FindFirst(false), 21);
  bits.SetBitCount(0);
  EXPECT_EQ(bits.SetBitsCount(), 0);
  EXPECT_EQ(memory.BytesInUse(), 0);
}

TEST(BitsArray, StreamFormAndDamage) {
  TKestrelMemoryManager memory;
  TKestrelBitsArray bits(memory);
  bits.SetBitCount(10);
  bits.SetBit(0, true);
  bits.SetBit(9, true);
  TKestrelMemoryStream stream;
  bits.SaveToStream(stream, 1);
  EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{10, 0, 0, 0, 2, 0, 0, 0, 0x01, 0x02}));

  TKestrelBitsArray loaded(memory);
  stream.SetPosition(0);
  loaded.LoadFromStream(stream, 1);
  EXPECT_EQ(loaded.BitCount(), 10);
  EXPECT_EQ(loaded.SetBitsCount(), 2);
  EXPECT_TRUE(loaded.Bit(9));

  const struct {
    std::vector<uint8_t> bytes;
    std::string text;
    int code;
  } cases[] = {
      {{10, 0, 0, 0, 3, 0, 0, 0, 0x01, 0x02},
       "Invalid bits array. Bits = 10, set bits = 3, counted = 2",
       10700},
      {{10, 0, 0, 0, 2, 0, 0, 0, 0x01, 0x06},  // a padding bit set
       "Invalid bits array. Bits = 10, set bits = 2, counted = 3",
       10700},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0},
       "Invalid bits array. Bits = -1, set bits = 0, counted = 0",
       10700},
      {{0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0},
       "Cannot read from stream. Position = 8, Stream size = 8, Block size = 268435456, Bytes "
       "Read = 0",
       3},
      {{10, 0, 0},
       "Cannot read from stream. Position = 0, Stream size = 3, Block size = 4, Bytes "
       "Read = 3",
       1},
  };
  for (const auto& c : cases) {
    TKestrelMemoryStream damaged(c.bytes);
    ExpectKestrelError([&] { loaded.LoadFromStream(damaged, 1); }, c.text, c.code);
  }
  // A failed load leaves no bits behind.
  EXPECT_EQ(loaded.BitCount(), 0);
}

}  // namespace
}  // namespace kestrel
