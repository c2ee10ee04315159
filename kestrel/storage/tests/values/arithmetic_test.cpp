#include <gtest/gtest.h>

#include "kestrel/storage/tests/values/value_factory.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

struct ArithmeticCase {
  TKestrelVariant left;
  char op;
  TKestrelVariant right;
  const char* expected;  // the result described, or the outcome of a failure
};

std::string Run(const ArithmeticCase& c, TKestrelVariant& left) {
  const std::string outcome = Outcome([&] {
    switch (c.op) {
      case '+':
        left.Add(c.right);
        break;
      case '*':
        left.Multiply(c.right);
        break;
      default:
        left.Divide(c.right);
        break;
    }
  });
  return outcome == "ok" ? Describe(left) : outcome;
}

void CheckArithmetic(const std::vector<ArithmeticCase>& cases) {
  for (const ArithmeticCase& c : cases) {
    TKestrelVariant left = c.left;
    const TKestrelVariant rightBefore = c.right;
    EXPECT_EQ(Run(c, left), c.expected)
        << Describe(c.left) << " " << c.op << " " << Describe(c.right);
    EXPECT_TRUE(SameValue(c.right, rightBefore));
  }
}

TEST(Arithmetic, NullRules) {
  CheckArithmetic({
      {Null(ST::kSignedInt32), '+', I32(5), "SIGNEDINT32 5"},
      {Null(ST::kString), '+', I16(5), "SIGNEDINT16 5"},
      {I32(5), '+', Null(ST::kSignedInt32), "SIGNEDINT32 NULL"},
      {Str("x"), '+', Null(ST::kFloat), "STRING NULL"},
      {Null(ST::kSignedInt32), '*', I32(5), "SIGNEDINT32 NULL"},
      {I32(5), '*', Null(ST::kSignedInt32), "SIGNEDINT32 NULL"},
      {Null(ST::kSignedInt32), '/', I32(5), "SIGNEDINT32 NULL"},
      {I32(5), '/', Null(ST::kSignedInt32), "SIGNEDINT32 NULL"},
  });
}

TEST(Arithmetic, Add) {
  CheckArithmetic({
      {I8(100), '+', I8(100), "F Range check error"},
      {I8(100), '+', I8(27), "SIGNEDINT8 127"},
      {U8(200), '+', U8(100), "F Range check error"},
      {I16(-5), '+', U8(3), "SIGNEDINT16 -2"},
      {U16(65535), '+', U16(1), "F Range check error"},
      {I32(2147483647), '+', I32(1), "SIGNEDINT32 -2147483648"},
      {U32(4294967295u), '+', U32(1), "UNSIGNEDINT32 0"},
      {I64(INT64_MAX), '+', I64(1), "SIGNEDINT64 -9223372036854775808"},
      {I8(-1), '+', U32(1), "SIGNEDINT64 0"},
      {Cur(1.5), '+', I32(1), "CURRENCY 2.5"},
      {I32(1), '+', Cur(1.5), "CURRENCY 2.5"},
      {Cur(0.1), '+', Cur(0.2), "CURRENCY 0.3"},
      {F64(1.5), '+', F32(0.25f), "FLOAT 1.75"},
      {F32(1.5f), '+', I32(2), "SINGLE 3.5"},
      {F64(1e308), '+', F64(1e308), "F Floating point overflow"},
      {Str("ab"), '+', Str("cd"), "STRING abcd"},
      {Str("ab"), '+', I32(5), "STRING ab5"},
      {I32(5), '+', Str("ab"), "STRING 5ab"},
      {Chr("ab"), '+', WStr(u"ü"), "WIDESTRING abü"},
      {Date(731647), '+', I32(1), "DATE 731648"},
      {Time(86399999), '+', Time(1), "TIME 86400000"},
      {Stamp(731647, 86399999), '+', Stamp(0, 2), "DATETIME 731648+1"},
      {Date(731647), '+', Time(43200000), "DATETIME 731647+43200000"},
      {Bool(false), '+', Bool(true), "LOGICAL True"},
      {Bool(false), '+', Bool(false), "LOGICAL False"},
      {Bytes(ST::kMemo, "a"), '+', Bytes(ST::kMemo, "b"),
       "E30124 Not numeric argument in numeric operator '+'"},
      {Bytes(ST::kBlob, "a"), '+', Bytes(ST::kBlob, "b"),
       "E30052 Cannot cast from 'BLOB' to 'Unknown'"},
      {Str("abc"), '+', Date(1), "E30051 Cannot cast from 'STRING' to 'DATE'"},
  });
}

TEST(Arithmetic, Multiply) {
  CheckArithmetic({
      {I8(20), '*', I8(10), "F Range check error"},
      {I8(-8), '*', I8(16), "SIGNEDINT8 -128"},
      {U16(300), '*', U16(300), "F Range check error"},
      {I32(65536), '*', I32(65536), "SIGNEDINT32 0"},
      {U32(65536), '*', U32(65537), "UNSIGNEDINT32 65536"},
      {I64(1LL << 62), '*', I64(4), "SIGNEDINT64 0"},
      {F64(2), '*', I32(3), "FLOAT 6"},
      {Cur(1.5), '*', Cur(1.5), "CURRENCY 2.25"},
      {Date(3), '*', Date(4), "DATE 12"},
      {Stamp(2, 50000000), '*', Stamp(3, 2), "DATETIME 7+13600000"},
      {Bool(false), '*', Bool(true), "LOGICAL True"},
      {Str("a"), '*', Str("b"), "E30126 Not numeric argument in numeric operator '*'"},
  });
}

TEST(Arithmetic, Divide) {
  CheckArithmetic({
      {I32(-7), '/', I32(2), "SIGNEDINT32 -3"},
      {I32(10), '/', I32(0), "E30128 Division error: Division by zero"},
      {I8(10), '/', I8(0), "E30128 Division error: Division by zero"},
      {I64(10), '/', I64(0), "E30128 Division error: Division by zero"},
      {U32(10), '/', U32(0), "E30128 Division error: Division by zero"},
      {U8(10), '/', U8(0), "E30128 Division error: Range check error"},
      {U16(10), '/', U16(0), "E30128 Division error: Range check error"},
      {I8(-128), '/', I8(-1), "E30128 Division error: Range check error"},
      {I16(-32768), '/', I16(-1), "E30128 Division error: Range check error"},
      {I32(INT32_MIN), '/', I32(-1), "E30128 Division error: Integer overflow"},
      {I64(INT64_MIN), '/', I64(-1), "E30128 Division error: Integer overflow"},
      {U8(200), '/', I8(-2), "SIGNEDINT16 -100"},
      {F64(1), '/', F64(4), "FLOAT 0.25"},
      {F64(1), '/', F64(0), "E30128 Division error: Floating point division by zero"},
      {F64(0), '/', F64(0), "E30128 Division error: Invalid floating point operation"},
      {Cur(10), '/', I32(4), "CURRENCY 2.5"},
      {Cur(1), '/', Cur(3), "CURRENCY 0.3333"},
      {Date(10), '/', Date(3), "DATE 3"},
      {Time(10), '/', Time(0), "E30128 Division error: Division by zero"},
      {Stamp(10, 9), '/', Stamp(2, 3), "DATETIME 5+3"},
      {Bool(true), '/', Bool(false), "LOGICAL True"},
      {Str("a"), '/', I32(1), "E30127 Not numeric argument in numeric operator '/'"},
      {Str("x"), '/', Date(1), "E30051 Cannot cast from 'STRING' to 'DATE'"},
  });
}

TEST(Arithmetic, FailedConversionKeepsTheLeftOperand) {
  TKestrelVariant left = Str("not a date");
  EXPECT_EQ(Outcome([&] { left.Add(Date(5)); }), "E30051 Cannot cast from 'STRING' to 'DATE'");
  EXPECT_EQ(Describe(left), "STRING not a date");
  TKestrelVariant right = Str("nope");
  TKestrelVariant date = Date(5);
  EXPECT_EQ(Outcome([&] { date.Multiply(right); }).substr(0, 6), "E30051");
  EXPECT_EQ(Describe(date), "DATE 5");
}

TEST(Arithmetic, SumStartsFromANullAccumulator) {
  TKestrelVariant sum(ST::kNone);
  for (int i = 1; i <= 4; ++i) {
    sum.Add(I32(i));
  }
  EXPECT_EQ(Describe(sum), "SIGNEDINT32 10");
}

TEST(Arithmetic, Negate) {
  const struct {
    TKestrelVariant value;
    const char* expected;
  } cases[] = {
      {I8(5), "SIGNEDINT8 -5"},
      {I8(-128), "F Range check error"},
      {I16(-32768), "F Range check error"},
      {I32(INT32_MIN), "F Integer overflow"},
      {I32(7), "SIGNEDINT32 -7"},
      {I64(INT64_MIN), "F Integer overflow"},
      {Date(5), "DATE -5"},
      {Date(INT32_MIN), "F Integer overflow"},
      {U8(0), "UNSIGNEDINT8 0"},
      {U8(1), "E30051 Cannot cast from 'SIGNEDINT8' to 'UNSIGNEDINT8'"},
      {U8(128), "E30051 Cannot cast from 'SIGNEDINT8' to 'UNSIGNEDINT8'"},
      {U8(129), "F Range check error"},
      {U16(2), "E30051 Cannot cast from 'SIGNEDINT16' to 'UNSIGNEDINT16'"},
      {U16(32769), "F Range check error"},
      {U32(0), "UNSIGNEDINT32 0"},
      {U32(1), "F Integer overflow"},
      {F32(2.5f), "SINGLE -2.5"},
      {F64(2.5), "FLOAT -2.5"},
      {F80(-0.5L), "EXTENDED 0.5"},
      {Cur(1.5), "CURRENCY -1.5"},
      {Bool(false), "LOGICAL True"},
      {Bool(true), "LOGICAL False"},
      {Time(5), "E30123 Cannot invert value with not numeric type 'TIME'"},
      {Stamp(1, 1), "E30123 Cannot invert value with not numeric type 'DATETIME'"},
      {Str("1"), "E30123 Cannot invert value with not numeric type 'STRING'"},
      {Null(ST::kSignedInt32), "SIGNEDINT32 NULL"},
  };
  for (const auto& c : cases) {
    TKestrelVariant v = c.value;
    const std::string outcome = Outcome([&] { v.Negate(); });
    EXPECT_EQ(outcome == "ok" ? Describe(v) : outcome, c.expected) << Describe(c.value);
  }
}

}  // namespace
}  // namespace kestrel
