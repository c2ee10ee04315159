#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace platform {
namespace {

TEST(IntegerText, DecimalAndHexadecimalForms) {
  const struct {
    const char* text;
    bool valid;
    int32_t value;
  } cases[] = {
      {"42", true, 42},
      {"  42", true, 42},
      {"+7", true, 7},
      {"-2147483648", true, INT32_MIN},
      {"2147483647", true, INT32_MAX},
      {"$10", true, 16},
      {"0x1F", true, 31},
      {"0X1f", true, 31},
      {"x1f", true, 31},
      {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"$100000000", false, 0},
      {"42 ", false, 0},
      {"4 2", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"$", false, 0},
      {"0x", false, 0},
      {"abc", false, 0},
      {"1.5", false, 0},
  };
  for (const auto& c : cases) {
    int32_t value = 0;
    ASSERT_EQ(TryStrToInt(c.text, value), c.valid) << '"' << c.text << '"';
    if (c.valid) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
  EXPECT_EQ(StrToIntDef("abc", -9), -9);
  int64_t big = 0;
  EXPECT_TRUE(TryStrToInt64("-9223372036854775808", big));
  EXPECT_EQ(big, INT64_MIN);
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", big));
  EXPECT_TRUE(TryStrToInt64("$FFFFFFFFFFFFFFFF", big));
  EXPECT_EQ(big, -1);
  try {
    StrToInt("1x");
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "'1x' is not a valid integer value");
  }
}

TEST(LetterCase, ComparisonIgnoresCaseBeyondAscii) {
  EXPECT_TRUE(SameText("Brindle", "bRINDLE"));
  EXPECT_FALSE(SameText("Brindle", "Brindl"));
  EXPECT_TRUE(SameText("ÁRVÍZTŰRŐ", "árvíztűrő"));
  EXPECT_FALSE(SameText("árvíz", "arviz"));
  EXPECT_TRUE(SameText("", ""));
  EXPECT_LT(CompareText("apple", "Banana"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_EQ(CompareText("ÉS", "és"), 0);
  EXPECT_EQ(UpperCase("tükörfúrógép"), "TÜKÖRFÚRÓGÉP");
  EXPECT_EQ(LowerCase("ABC-Ő"), "abc-ő");
  EXPECT_TRUE(StartsWithText("/Run:batch", "/RUN:"));
  EXPECT_FALSE(StartsWithText("/RU", "/RUN:"));
}

TEST(TextCutting, TrimAndUtf8Prefix) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("   "), "");
  // "é" is two bytes: a cut through it steps back before it.
  EXPECT_EQ(Utf8Prefix("abé", 3), "ab");
  EXPECT_EQ(Utf8Prefix("abé", 4), "abé");
  EXPECT_EQ(Utf8Prefix("a€", 3), "a");
  EXPECT_EQ(Utf8Prefix("abc", 2), "ab");
  EXPECT_EQ(Utf8Prefix("abc", 0), "");
}

TEST(TextEncoding, Utf8AndUtf16RoundTrip) {
  const std::string samples[] = {"", "plain", "árvíztűrő", "€ and 𝄞", std::string("nul\0in", 6)};
  for (const std::string& sample : samples) {
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample);
  }
  EXPECT_EQ(Utf8ToUtf16("𝄞").size(), 2u);  // a surrogate pair
  EXPECT_EQ(Utf8ToUtf16("a\xFF"), u"a\uFFFD");
}

}  // namespace
}  // namespace platform
