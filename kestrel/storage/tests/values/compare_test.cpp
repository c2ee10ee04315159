#include <gtest/gtest.h>

#include <limits>

#include "kestrel/storage/tests/values/value_factory.h"
#include "kestrel/storage/values/variant.h"
#include "platform/text.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;
using Code = TKestrelCompareCode;

std::string CompareText(const TKestrelVariant& left, const TKestrelVariant& right, bool raw,
                        bool partial, bool caseInsensitive) {
  Code code = Code::kEqual;
  const std::string outcome =
      Outcome([&] { code = left.Compare(right, raw, partial, caseInsensitive); });
  return outcome == "ok" ? std::to_string(static_cast<int>(code)) : outcome;
}

TEST(Compare, AcrossTypes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    TKestrelVariant left;
    TKestrelVariant right;
    const char* expected;
  } cases[] = {
      {I8(-1), U16(5), "1"},
      {U16(5), I8(-1), "2"},
      {U32(4000000000u), I32(-1), "2"},
      {I64(-1), I64(1), "1"},
      {Date(5), I32(5), "0"},
      {F32(0.5f), F64(0.5), "0"},
      {F64(nan), F64(1), "0"},
      {F80(1.0L / 3), F80(1.0L / 3 + 1e-18L), "1"},
      {Cur(2.5), I8(3), "1"},
      {Stamp(1, 5), Stamp(1, 6), "1"},
      {Stamp(2, 0), Stamp(1, 9), "2"},
      {Date(731647), Stamp(731647, 1), "1"},
      {Bool(true), Raw(ST::kLogical, int16_t{1}), "0"},
      {Bool(false), Bool(true), "1"},
      {Str("abc"), I32(5), "2"},  // compared as the texts "abc" and "5"
      {Str("10"), I32(9), "1"},   // as text, "10" sorts before "9"
      {WStr(u"abc"), Str("abd"), "1"},
      {Bytes(ST::kMemo, std::string("abc\0", 4)), Str("abc"), "0"},
      {Bytes(ST::kBlob, "a"), Bytes(ST::kBlob, "a"), "E30047 Unknown DataType: 'BLOB'"},
      {Bytes(ST::kMemo, "a"), Bytes(ST::kMemo, "a"), "E30047 Unknown DataType: 'MEMO'"},
      {Bytes(ST::kBytes, "a"), Bytes(ST::kBytes, "a"), "E30047 Unknown DataType: 'BYTES'"},
      {Bytes(ST::kBlob, "a"), Str("a"),
       "E30044 Cannot compare Incompatible DataTypes: 'BLOB' and 'STRING'"},
      {Bool(true), Date(1), "E30044 Cannot compare Incompatible DataTypes: 'LOGICAL' and 'DATE'"},
      {Str("abc"), Date(1), "E30051 Cannot cast from 'STRING' to 'DATE'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareText(c.left, c.right, true, false, false), c.expected)
        << Describe(c.left) << " vs " << Describe(c.right);
  }
}

TEST(Compare, NullCodes) {
  const TKestrelVariant null(ST::kSignedInt32);
  const TKestrelVariant five = I32(5);
  EXPECT_EQ(CompareText(null, five, true, false, false), "3");
  EXPECT_EQ(CompareText(five, null, true, false, false), "4");
  EXPECT_EQ(CompareText(null, null, true, false, false), "5");
  // Without raw codes NULL sorts first and equals NULL.
  EXPECT_EQ(CompareText(null, five, false, false, false), "1");
  EXPECT_EQ(CompareText(five, null, false, false, false), "2");
  EXPECT_EQ(CompareText(null, null, false, false, false), "0");
  // NULL against an incompatible type is still just NULL.
  EXPECT_EQ(CompareText(null, Bytes(ST::kBlob, "x"), true, false, false), "3");
}

TEST(Compare, TextsFollowTheCollation) {
  const struct {
    const char* left;
    const char* right;
    bool partial;
    bool caseInsensitive;
    const char* expected;
  } cases[] = {
      {"a", "B", false, false, "1"},  // not byte order
      {"abc", "ABC", false, false, "1"},
      {"ABC", "abc", false, true, "0"},
      {"ABC", "abcdef", true, true, "0"},
      {"ABC", "abcdef", false, true, "1"},
      {"abcdef", "ABC", true, false, "1"},  // "abc" before "ABC"
      {"a-c", "ab", false, false, "1"},     // punctuation takes part in the order
      {"a c", "ab", false, false, "1"},
      {"résumé", "resume", false, true, "2"},  // accents are not case
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareText(Str(c.left), Str(c.right), true, c.partial, c.caseInsensitive),
              c.expected)
        << c.left << " vs " << c.right;
    EXPECT_EQ(CompareText(WStr(platform::Utf8ToUtf16(c.left)), WStr(platform::Utf8ToUtf16(c.right)),
                          true, c.partial, c.caseInsensitive),
              c.expected)
        << "wide " << c.left << " vs " << c.right;
  }
}

TEST(Compare, TheLocaleDecides) {
  const std::string ae = "ä";
  const std::string z = "z";
  const TKestrelCompareSide left{ae.c_str(), static_cast<int32_t>(ae.size() + 1), ST::kString,
                                 false};
  const TKestrelCompareSide right{z.c_str(), 2, ST::kString, false};
  EXPECT_EQ(CompareValues(left, right, false, -1, "de_DE"), Code::kLess);
  EXPECT_EQ(CompareValues(left, right, false, -1, "sv_SE"), Code::kGreater);
  EXPECT_EQ(CompareOrder(left, right, false, -1, "sv_SE"), 1);
}

TEST(Compare, BufferComparisons) {
  const int32_t one = 1;
  const int32_t two = 2;
  const TKestrelCompareSide a{&one, 4, ST::kSignedInt32, false};
  const TKestrelCompareSide b{&two, 4, ST::kSignedInt32, false};
  const TKestrelCompareSide null{nullptr, 0, ST::kSignedInt32, true};
  const TKestrelCompareSide noBytes{nullptr, 0, ST::kSignedInt32, false};
  EXPECT_EQ(CompareOrder(a, b, false, -1, kUserDefaultLocale), -1);
  EXPECT_EQ(CompareOrder(b, a, false, -1, kUserDefaultLocale), 1);
  EXPECT_EQ(CompareOrder(a, a, false, -1, kUserDefaultLocale), 0);
  EXPECT_EQ(CompareOrder(null, a, false, -1, kUserDefaultLocale), -1);
  EXPECT_EQ(CompareOrder(a, null, false, -1, kUserDefaultLocale), 1);
  EXPECT_EQ(CompareOrder(null, null, false, -1, kUserDefaultLocale), 0);
  EXPECT_EQ(Outcome([&] { CompareValues(noBytes, a, false, -1, kUserDefaultLocale); }),
            "E30140 Value is Null");
  // The character limit applies to the texts of both sides.
  const char* left = "abcX";
  const char* right = "abcY";
  EXPECT_EQ(CompareValues({left, 5, ST::kChar, false}, {right, 5, ST::kChar, false}, false, 3,
                          kUserDefaultLocale),
            Code::kEqual);
  EXPECT_EQ(CompareValues({left, 5, ST::kChar, false}, {right, 5, ST::kChar, false}, false, -1,
                          kUserDefaultLocale),
            Code::kLess);
}

}  // namespace
}  // namespace kestrel
