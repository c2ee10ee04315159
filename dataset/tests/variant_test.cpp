#include "dataset/variant.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/format_settings.h"

namespace dataset {
namespace {

TEST(Variant, EmptyAndNullAreDifferent) {
  const Variant empty;
  const Variant null = Variant::Null();
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_FALSE(empty.IsNull());
  EXPECT_TRUE(null.IsNull());
  EXPECT_TRUE(empty.IsClear() && null.IsClear());
  EXPECT_EQ(empty.ToInt64(), 0);
  EXPECT_EQ(empty.ToString(), "");
  EXPECT_EQ(null.ToString(), "");
  EXPECT_THROW(null.ToInt64(), platform::EConvertError);
  EXPECT_THROW(null.ToDouble(), platform::EConvertError);
  EXPECT_FALSE(empty == null);
  EXPECT_TRUE(null == Variant::Null());
}

TEST(Variant, TypeCodesAreTheOleCodes) {
  const struct {
    Variant value;
    uint16_t code;
  } cases[] = {
      {Variant(), 0},
      {Variant::Null(), 1},
      {Variant::FromSmallint(1), 2},
      {Variant::FromInteger(1), 3},
      {Variant::FromSingle(1), 4},
      {Variant::FromDouble(1), 5},
      {Variant::FromCurrency(1), 6},
      {Variant::FromDateTime(1), 7},
      {Variant::FromOleStr(u"x"), 8},
      {Variant::FromBoolean(true), 11},
      {Variant::FromShortInt(1), 16},
      {Variant::FromByte(1), 17},
      {Variant::FromWord(1), 18},
      {Variant::FromLongWord(1), 19},
      {Variant::FromInt64(1), 20},
      {Variant::FromString("x"), 256},
      {Variant::FromBytes({1}), 0x2011},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<uint16_t>(c.value.Type()), c.code) << VarTypeName(c.value.Type());
  }
}

TEST(Variant, ConversionsBetweenNumbersTextAndDates) {
  EXPECT_EQ(Variant::FromString(" 42").ToInt64(), 42);
  EXPECT_EQ(Variant::FromString("2.5").ToInt64(), 2);  // ties to even
  EXPECT_EQ(Variant::FromDouble(3.5).ToInt64(), 4);
  EXPECT_EQ(Variant::FromString("1.5e3").ToDouble(), 1500);
  EXPECT_EQ(Variant::FromCurrency(12.3456).ToCurrencyUnits(), 123456);
  EXPECT_EQ(Variant::FromCurrency(12.3456).ToString(), "12.3456");
  EXPECT_EQ(Variant::FromDouble(0.1).ToString(), "0.1");
  EXPECT_EQ(Variant::FromSingle(0.1f).ToString(), "0.1");
  EXPECT_EQ(Variant::FromBoolean(true).ToString(), "True");
  EXPECT_EQ(Variant::FromBoolean(true).ToInt64(), 1);
  EXPECT_TRUE(Variant::FromString("true").ToBoolean());
  EXPECT_FALSE(Variant::FromString("0").ToBoolean());
  EXPECT_TRUE(Variant::FromInteger(-3).ToBoolean());
  EXPECT_EQ(Variant::FromOleStr(u"árvíz").ToString(), "árvíz");
  EXPECT_EQ(Variant::FromString("árvíz").ToOleStr(), u"árvíz");
  const platform::DateTime moment = platform::EncodeDate(2004, 2, 5) + 0.5;
  EXPECT_EQ(Variant::FromDateTime(moment).ToString(), "2004-02-05 12:00:00");
  EXPECT_EQ(Variant::FromString("2004-02-05 12:00:00").ToDateTime(), moment);
  EXPECT_EQ(Variant::FromInt64(INT64_MIN).ToString(), "-9223372036854775808");
  EXPECT_EQ(Variant::FromBytes({'a', 0, 'b'}).ToString(), std::string("a\0b", 3));
  EXPECT_EQ(Variant::FromString("ab").ToBytes(), (Variant::Bytes{'a', 'b'}));
}

TEST(Variant, ImpossibleConversionsNameBothTypes) {
  try {
    Variant::FromString("abc").ToInt64();
    ADD_FAILURE() << "no error";
  } catch (const platform::EConvertError& error) {
    EXPECT_STREQ(error.what(), "Could not convert variant of type (String) into type (Int64)");
  }
  EXPECT_THROW(Variant::FromInt64(INT64_MAX).ToInteger(), platform::EConvertError);
  EXPECT_THROW(Variant::FromDouble(1e300).ToInt64(), platform::EConvertError);
  EXPECT_THROW(Variant::FromBoolean(true).ToDateTime(), platform::EConvertError);
  EXPECT_THROW(Variant::FromInteger(1).ToBytes(), platform::EConvertError);
  EXPECT_THROW(Variant::FromString("maybe").ToBoolean(), platform::EConvertError);
  EXPECT_THROW(Variant::FromCurrency(1e300), platform::EConvertError);
}

}  // namespace
}  // namespace dataset
