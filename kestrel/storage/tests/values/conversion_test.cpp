// The conversion table row by row, the text forms that must read back as the
// same value, and the common types of two operands.

#include <gtest/gtest.h>

#include <limits>

#include "kestrel/storage/tests/values/value_factory.h"
#include "kestrel/storage/values/variant.h"
#include "platform/format_settings.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;
using DT = TKestrelDataType;

struct ConversionCase {
  TKestrelVariant source;
  ST target;
  // The converted value, or null with `error` set.
  TKestrelVariant expected;
  int error = 0;
};

ConversionCase To(TKestrelVariant source, TKestrelVariant expected) {
  const ST target = expected.DataType();
  return {std::move(source), target, std::move(expected), 0};
}

ConversionCase Fails(TKestrelVariant source, ST target, int error) {
  return {std::move(source), target, TKestrelVariant(), error};
}

void CheckConversions(const std::vector<ConversionCase>& cases) {
  for (const ConversionCase& c : cases) {
    const std::string label = Describe(c.source) + " -> " + StorageTypeName(c.target);
    TKestrelVariant value = c.source;
    if (c.error == 0) {
      try {
        value.ConvertTo(c.target);
      } catch (const EKestrelException& error) {
        ADD_FAILURE() << label << ": " << error.what();
        continue;
      }
      EXPECT_TRUE(SameValue(value, c.expected))
          << label << ": got " << HexOf(value) << ", expected " << HexOf(c.expected);
    } else {
      try {
        value.ConvertTo(c.target);
        ADD_FAILURE() << label << ": no error, got " << HexOf(value);
      } catch (const EKestrelException& error) {
        EXPECT_EQ(error.NativeError(), c.error) << label;
        EXPECT_EQ(error.Text(), std::string("Cannot cast from '") +
                                    StorageTypeName(c.source.DataType()) + "' to '" +
                                    StorageTypeName(c.target) + "'")
            << label;
      }
      // A failed conversion leaves the value as it was.
      EXPECT_TRUE(SameValue(value, c.source)) << label;
    }
  }
}

TEST(Conversion, FromText) {
  CheckConversions({
      To(Str("abc"), Chr("abc")),
      To(Str("žluť"), WStr(u"žluť")),
      To(WStr(u"žluť"), Str("žluť")),
      To(WStr(u"12"), I16(12)),
      To(Str("42"), I8(42)),
      To(Str("$FF"), U8(255)),
      To(Str("2147483647"), U32(2147483647u)),
      Fails(Str("3000000000"), ST::kUnsignedInt32, 30051),
      Fails(Str("-1"), ST::kUnsignedInt8, 30051),
      Fails(Str("128"), ST::kSignedInt8, 30051),
      Fails(Str("abc"), ST::kSignedInt32, 30051),
      To(Str("9000000000"), I64(9000000000)),
      To(Str("1.5"), F64(1.5)),
      To(Str(" 2.5e3 "), F32(2500)),
      To(Str("0.1"), F80(0.1L)),
      Fails(Str("1,5"), ST::kFloat, 30051),
      Fails(Str("1e400"), ST::kFloat, 30051),
      To(Str("1.23456"), Cur(1.2346)),
      Fails(Str("1e20"), ST::kCurrency, 30051),
      To(Str("2004-03-07"), Date(731647)),
      To(Str("12:00:00"), Time(43200000)),
      To(Str("2004-03-07 12:00:00"), Stamp(731647, 43200000)),
      Fails(Str("2004-02-30"), ST::kDate, 30051),
      Fails(Str("noon"), ST::kTime, 30051),
      To(Str("abc"), Bytes(ST::kBlob, std::string("abc\0", 4))),
      To(Str("abc"), Bytes(ST::kMemo, std::string("abc\0", 4))),
      To(Str("ab"), Bytes(ST::kWideMemo, std::string("a\0b\0\0\0", 6))),
      To(WStr(u"ab"), Bytes(ST::kMemo, std::string("ab\0", 3))),
      To(Str("yes"), Bool(false)),
      To(Str("True"), Bool(true)),
      To(Str("1"), Bool(true)),
      To(WStr(u"true"), Bool(true)),
      To(WStr(u"1.5"), F64(1.5)),
      To(WStr(u"2.5"), Cur(2.5)),
      To(WStr(u"2004-03-07"), Date(731647)),
      To(WStr(u"12:00:00"), Time(43200000)),
      To(WStr(u"2004-03-07 12:00:00"), Stamp(731647, 43200000)),
      To(WStr(u"ab"), Bytes(ST::kWideMemo, std::string("a\0b\0\0\0", 6))),
      Fails(WStr(u"x"), ST::kBytes, 30052),
      Fails(Str("abc"), ST::kBytes, 30052),
      Fails(Str("abc"), ST::kVarBytes, 30052),
      Fails(Str("abc"), ST::kNone, 30052),
  });
}

TEST(Conversion, FromIntegers) {
  CheckConversions({
      To(I16(-5), Str("-5")),
      To(I16(-5), WText(ST::kWideChar, u"-5")),
      To(I16(-5), I64(-5)),
      Fails(I16(-5), ST::kUnsignedInt8, 30051),
      Fails(I32(300), ST::kSignedInt8, 30051),
      Fails(I64(1LL << 40), ST::kSignedInt32, 30051),
      To(U32(4000000000u), I64(4000000000)),
      Fails(U32(4000000000u), ST::kSignedInt32, 30051),
      To(U32(4000000000u), F64(4e9)),
      To(I32(7), F32(7)),
      To(I32(7), F80(7)),
      To(I8(-7), Cur(-7)),
      To(I32(7), Date(7)),
      To(I32(7), Time(7)),
      To(U8(7), Stamp(7, 0)),
      Fails(I64(3000000000), ST::kDate, 30051),
      Fails(U32(3000000000u), ST::kTime, 30051),
      Fails(I64(-3000000000), ST::kDateTime, 30051),
      Fails(I64(INT64_MAX), ST::kCurrency, 30051),
      To(I32(-3), Bool(true)),
      To(U16(0), Bool(false)),
      Fails(I32(1), ST::kBlob, 30052),
      Fails(I32(1), ST::kMemo, 30052),
      Fails(I32(1), ST::kWideMemo, 30052),
      Fails(I32(1), ST::kBytes, 30052),
  });
}

TEST(Conversion, FromFloats) {
  CheckConversions({
      To(F64(2.75), Str("2.75")),
      To(F64(1e20), Str("1E20")),
      To(F64(-1.5e-7), WStr(u"-1.5E-7")),
      To(F32(0.1f), Str("0.1")),
      To(F64(-2.75), I32(-2)),
      To(F64(2.999), U8(2)),
      Fails(F64(300.5), ST::kSignedInt8, 30051),
      Fails(F64(-0.5e10), ST::kSignedInt32, 30051),
      To(F64(-1e15), I64(-1000000000000000)),
      Fails(F64(1e30), ST::kSignedInt64, 30051),
      Fails(F64(std::numeric_limits<double>::quiet_NaN()), ST::kSignedInt32, 30051),
      To(F64(2.75), F32(2.75f)),
      Fails(F64(1e300), ST::kSingle, 30051),
      To(F32(0.5f), F80(0.5L)),
      To(F80(0.25L), F64(0.25)),
      To(F64(2.75), Cur(2.75)),
      Fails(F64(1e20), ST::kCurrency, 30051),
      To(F64(731647.9), Date(731647)),
      To(F64(86400001.5), Time(1)),
      To(F64(693594.5), Stamp(693594, 43200000)),
      To(F64(0.1), Bool(true)),
      To(F32(0), Bool(false)),
      Fails(F64(1), ST::kBlob, 30052),
      Fails(F80(1), ST::kWideMemo, 30052),
      Fails(F64(1), ST::kVarBytes, 30052),
  });
}

TEST(Conversion, FromDatesAndTimes) {
  CheckConversions({
      To(Date(731647), Str("2004-03-07")),
      To(Date(731647), I32(731647)),
      Fails(Date(731647), ST::kSignedInt16, 30051),
      To(Date(731647), F64(731647)),
      To(Date(731647), Cur(731647)),
      To(Date(731647), Time(731647)),
      To(Date(731647), Stamp(731647, 0)),
      To(Date(731647), Bool(true)),
      Fails(Date(731647), ST::kBlob, 30052),
      Fails(Date(731647), ST::kBytes, 30052),
      Fails(Date(0), ST::kString, 30051),  // before the year 1
      To(Time(43200000), Str("12:00:00")),
      To(Time(45296789), Str("12:34:56.789")),
      To(Time(43200000), I32(43200000)),
      Fails(Time(43200000), ST::kUnsignedInt16, 30051),
      To(Time(43200000), F64(43200000)),
      To(Time(5), Cur(5)),
      To(Time(5), Date(5)),
      To(Time(43200000), Stamp(0, 43200000)),
      To(Time(0), Bool(false)),
      To(Time(1), Bool(true)),
      Fails(Time(1), ST::kMemo, 30052),
      To(Stamp(731647, 43200000), Str("2004-03-07 12:00:00")),
      To(Stamp(731647, 0), Str("2004-03-07")),
      To(Stamp(731647, 43200000), I32(731647)),
      Fails(Stamp(731647, 43200000), ST::kSignedInt8, 30051),
      To(Stamp(693594, 43200000), F64(693594.5)),
      To(Stamp(731647, 1), Cur(731647)),
      To(Stamp(731647, 43200000), Date(731647)),
      To(Stamp(731647, 43200000), Time(43200000)),
      To(Stamp(731647, 43200000), Bool(true)),
      Fails(Stamp(1, 1), ST::kBlob, 30052),
  });
}

TEST(Conversion, FromBlobsLogicalsAndCurrency) {
  CheckConversions({
      To(Bytes(ST::kBlob, std::string("12\0", 3)), I32(12)),
      To(Bytes(ST::kBlob, std::string("abc\0def", 7)), Str("abc")),
      Fails(Bytes(ST::kBlob, std::string("\0abc", 4)), ST::kString, 30052),
      Fails(Bytes(ST::kBlob, std::string("\0abc", 4)), ST::kSignedInt32, 30051),
      To(Bytes(ST::kMemo, std::string("hello\0", 6)), WStr(u"hello")),
      To(Bytes(ST::kMemo, std::string("hi", 2)), Bytes(ST::kBlob, std::string("hi\0", 3))),
      To(Bytes(ST::kWideMemo, std::string("h\0i\0\0\0", 6)), Str("hi")),
      To(Bytes(ST::kBlob, std::string("TRUE")), Bool(true)),
      To(Bytes(ST::kMemo, std::string("2004-03-07")), Date(731647)),
      To(Bytes(ST::kMemo, std::string("2.5")), Cur(2.5)),
      To(Bytes(ST::kBlob, std::string("1.5")), F64(1.5)),
      To(Bytes(ST::kBlob, std::string("12:00:00")), Time(43200000)),
      Fails(Bytes(ST::kBlob, "x"), ST::kBytes, 30052),
      To(Bool(true), Str("True")),
      To(Bool(false), WStr(u"False")),
      To(Bool(true), I8(1)),
      To(Bool(false), U32(0)),
      To(Bool(true), F64(1)),
      Fails(Bool(true), ST::kDate, 30052),
      Fails(Bool(true), ST::kDateTime, 30052),
      Fails(Bool(true), ST::kCurrency, 30052),
      Fails(Bool(true), ST::kBlob, 30052),
      To(Cur(2.5), Str("2.5")),
      To(Cur(1.23456), Str("1.2346")),
      To(Cur(-2.5), I32(-2)),
      Fails(Cur(-2.5), ST::kUnsignedInt8, 30051),
      To(Cur(2.5), F64(2.5)),
      To(Cur(0.5), Bool(true)),
      Fails(Cur(1), ST::kDate, 30052),
      Fails(Cur(1), ST::kTime, 30052),
      Fails(Cur(1), ST::kMemo, 30052),
      Fails(Bytes(ST::kBytes, "ab"), ST::kString, 30052),
      Fails(Bytes(ST::kBytes, "ab"), ST::kVarBytes, 30052),
      Fails(Bytes(ST::kVarBytes, "ab"), ST::kBlob, 30052),
  });
}

TEST(Conversion, SetTypeTurnsFailuresIntoNull) {
  TKestrelVariant v = Str("abc");
  v.SetType(ST::kSignedInt32);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(v.DataType(), ST::kSignedInt32);
  v = Str("12");
  v.SetType(ST::kSignedInt32);
  EXPECT_EQ(Describe(v), "SIGNEDINT32 12");
  TKestrelVariant null(ST::kString);
  null.SetType(ST::kDate);
  EXPECT_TRUE(null.IsNull());
  EXPECT_EQ(null.DataType(), ST::kDate);
  null.ConvertTo(ST::kBlob);  // a NULL value only changes its type
  EXPECT_EQ(null.DataType(), ST::kBlob);
}

class TextForms : public ::testing::Test {
 protected:
  void TearDown() override { platform::GlobalFormatSettings() = saved_; }
  platform::FormatSettings saved_ = platform::GlobalFormatSettings();
};

void ExpectReadsBack(const TKestrelVariant& value) {
  TKestrelVariant text = value;
  text.ConvertTo(ST::kString);
  TKestrelVariant back = text;
  back.ConvertTo(value.DataType());
  EXPECT_TRUE(SameValue(back, value))
      << Describe(value) << " as text '" << text.AsString() << "' reads back as " << HexOf(back);
}

TEST_F(TextForms, ValuesReadBackAsTheSameValue) {
  const TKestrelVariant values[] = {
      F64(0.1),
      F64(0.1 + 0.2),
      F64(1.0 / 3),
      F64(1e300),
      F64(-2.5e-10),
      F64(1234567890123456789.0),
      F32(0.1f),
      F32(3.4e38f),
      F32(1.0f / 3),
      F80(1.0L / 3),
      F80(1e4000L),
      Cur(0.3),
      Cur(-12345678901.2345),
      I64(INT64_MIN),
      U32(2147483647u),
      Date(731647),
      Date(1),
      Time(45296789),
      Time(1),
      Stamp(731647, 45296789),
      Stamp(731647, 0),
      Bool(true),
      Bool(false),
  };
  for (const char separator : {'.', ','}) {
    platform::GlobalFormatSettings().decimalSeparator = separator;
    for (const TKestrelVariant& value : values) {
      ExpectReadsBack(value);
    }
  }
  // A locale date format with a two-digit year still reads back.
  platform::GlobalFormatSettings().shortDateFormat = "d.m.yy";
  platform::GlobalFormatSettings().dateSeparator = '.';
  platform::GlobalFormatSettings().longTimeFormat = "h:nn";
  for (const TKestrelVariant& value :
       {Date(731647), Date(1), Stamp(731647, 45296789), Time(45296789), Stamp(731647, 0)}) {
    ExpectReadsBack(value);
  }
}

TEST_F(TextForms, FollowTheLocale) {
  platform::GlobalFormatSettings().decimalSeparator = ',';
  platform::GlobalFormatSettings().shortDateFormat = "dd.mm.yyyy";
  platform::GlobalFormatSettings().dateSeparator = '.';
  EXPECT_EQ(Describe(F64(2.5)), "FLOAT 2,5");
  EXPECT_EQ(Date(731647).AsString(), "07.03.2004");
  EXPECT_EQ(Str("07.03.2004").AsDateNumber(), 731647);
  EXPECT_DOUBLE_EQ(Str("1,25").AsDouble(), 1.25);
}

TEST(CommonType, IntegerTable) {
  const ST order[] = {ST::kSignedInt8,   ST::kSignedInt16,   ST::kSignedInt32,  ST::kSignedInt64,
                      ST::kUnsignedInt8, ST::kUnsignedInt16, ST::kUnsignedInt32};
  using S = ST;
  const ST table[7][7] = {
      {S::kSignedInt8, S::kSignedInt16, S::kSignedInt32, S::kSignedInt64, S::kSignedInt16,
       S::kSignedInt32, S::kSignedInt64},
      {S::kSignedInt16, S::kSignedInt16, S::kSignedInt32, S::kSignedInt64, S::kSignedInt16,
       S::kSignedInt32, S::kSignedInt64},
      {S::kSignedInt32, S::kSignedInt32, S::kSignedInt32, S::kSignedInt64, S::kSignedInt32,
       S::kSignedInt32, S::kSignedInt64},
      {S::kSignedInt64, S::kSignedInt64, S::kSignedInt64, S::kSignedInt64, S::kSignedInt64,
       S::kSignedInt64, S::kSignedInt64},
      {S::kSignedInt16, S::kSignedInt16, S::kSignedInt32, S::kSignedInt64, S::kUnsignedInt8,
       S::kUnsignedInt16, S::kUnsignedInt32},
      {S::kSignedInt32, S::kSignedInt32, S::kSignedInt32, S::kSignedInt64, S::kUnsignedInt16,
       S::kUnsignedInt16, S::kUnsignedInt32},
      {S::kSignedInt64, S::kSignedInt64, S::kSignedInt64, S::kSignedInt64, S::kUnsignedInt32,
       S::kUnsignedInt32, S::kUnsignedInt32},
  };
  for (int row = 0; row < 7; ++row) {
    for (int column = 0; column < 7; ++column) {
      EXPECT_EQ(CommonStorageType(order[row], order[column]), table[row][column])
          << StorageTypeName(order[row]) << " with " << StorageTypeName(order[column]);
    }
  }
}

TEST(CommonType, Rules) {
  const struct {
    ST a;
    ST b;
    ST common;
  } cases[] = {
      {ST::kNone, ST::kString, ST::kNone},
      {ST::kChar, ST::kWideChar, ST::kWideChar},
      {ST::kString, ST::kWideChar, ST::kWideChar},
      {ST::kWideString, ST::kChar, ST::kWideString},
      {ST::kChar, ST::kString, ST::kString},
      {ST::kChar, ST::kChar, ST::kChar},
      {ST::kString, ST::kMemo, ST::kChar},
      {ST::kString, ST::kWideMemo, ST::kWideChar},
      {ST::kMemo, ST::kString, ST::kString},
      {ST::kWideMemo, ST::kChar, ST::kWideChar},
      {ST::kWideMemo, ST::kString, ST::kWideString},
      {ST::kMemo, ST::kWideMemo, ST::kWideMemo},
      {ST::kMemo, ST::kMemo, ST::kMemo},
      {ST::kString, ST::kSignedInt32, ST::kString},
      {ST::kFloat, ST::kWideChar, ST::kWideChar},
      {ST::kString, ST::kLogical, ST::kString},
      {ST::kCurrency, ST::kChar, ST::kChar},
      {ST::kString, ST::kDate, ST::kDate},
      {ST::kTime, ST::kWideString, ST::kTime},
      {ST::kSignedInt64, ST::kSingle, ST::kSingle},
      {ST::kExtended, ST::kUnsignedInt8, ST::kExtended},
      {ST::kSingle, ST::kFloat, ST::kFloat},
      {ST::kExtended, ST::kFloat, ST::kExtended},
      {ST::kSignedInt32, ST::kDate, ST::kDate},
      {ST::kDateTime, ST::kFloat, ST::kDateTime},
      {ST::kDate, ST::kDate, ST::kDate},
      {ST::kDate, ST::kTime, ST::kDateTime},
      {ST::kTime, ST::kDateTime, ST::kDateTime},
      {ST::kSignedInt8, ST::kLogical, ST::kSignedInt8},
      {ST::kLogical, ST::kFloat, ST::kFloat},
      {ST::kLogical, ST::kLogical, ST::kLogical},
      {ST::kUnsignedInt32, ST::kCurrency, ST::kCurrency},
      {ST::kCurrency, ST::kSingle, ST::kCurrency},
      {ST::kCurrency, ST::kCurrency, ST::kCurrency},
      {ST::kBlob, ST::kBlob, ST::kNone},
      {ST::kBlob, ST::kString, ST::kNone},
      {ST::kString, ST::kBlob, ST::kNone},
      {ST::kBytes, ST::kBytes, ST::kNone},
      {ST::kVarBytes, ST::kSignedInt32, ST::kNone},
      {ST::kMemo, ST::kSignedInt32, ST::kNone},
      {ST::kDate, ST::kLogical, ST::kNone},
      {ST::kDateTime, ST::kCurrency, ST::kNone},
      {ST::kTime, ST::kMemo, ST::kNone},
      {ST::kLogical, ST::kCurrency, ST::kNone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommonStorageType(c.a, c.b), c.common)
        << StorageTypeName(c.a) << " with " << StorageTypeName(c.b);
  }
}

TEST(CommonType, DataTypes) {
  EXPECT_EQ(CommonDataType(DT::kInteger, DT::kAutoInc), DT::kInteger);
  EXPECT_EQ(CommonDataType(DT::kAutoInc, DT::kInteger), DT::kAutoInc);
  EXPECT_EQ(CommonDataType(DT::kShortInt, DT::kByte), DT::kSmallInt);
  EXPECT_EQ(CommonDataType(DT::kByte, DT::kDouble), DT::kDouble);
  EXPECT_EQ(CommonDataType(DT::kTimeStamp, DT::kDate), DT::kTimeStamp);
  EXPECT_EQ(CommonDataType(DT::kDate, DT::kTime), DT::kDateTime);
  EXPECT_EQ(CommonDataType(DT::kBlob, DT::kVarchar), DT::kNone);
  EXPECT_EQ(CommonDataType(DT::kNone, DT::kInteger), DT::kNone);
}

}  // namespace
}  // namespace kestrel
