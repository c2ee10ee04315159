#include "kestrel/storage/kestrel_exception.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(KestrelException, FormattedTextPadsTheCodeWithBlanks) {
  const EKestrelException error("Cannot cast from '%s' to '%s'", {"STRING", "UNSIGNEDINT32"},
                                30051);
  EXPECT_STREQ(error.what(), "Cannot cast from 'STRING' to 'UNSIGNEDINT32' - Native error: 30051");
  EXPECT_EQ(error.NativeError(), 30051);
  EXPECT_EQ(error.Text(), "Cannot cast from 'STRING' to 'UNSIGNEDINT32'");
  EXPECT_STREQ(EKestrelException("Code %d", {7}, 42).what(), "Code 7 - Native error:    42");
}

TEST(KestrelException, PlainTextPadsTheCodeWithZeros) {
  EXPECT_STREQ(EKestrelException("Value is Null", 30016).what(),
               "Value is Null - Native error: 30016");
  EXPECT_STREQ(EKestrelException("Broken", 42).what(), "Broken - Native error: 00042");
}

TEST(KestrelException, ArgumentsThatDoNotFitKeepTheFormat) {
  const struct {
    const char* format;
    std::initializer_list<FormatArg> args;
  } cases[] = {
      {"Position = %d", {"text"}},
      {"Name %s", {12}},
      {"Two %s and %s", {"one"}},
      {"Bad %q", {1}},
  };
  for (const auto& c : cases) {
    const EKestrelException error(c.format, c.args, 123);
    EXPECT_EQ(error.Text(), std::string(c.format) + " Arguments are invalid!");
    EXPECT_EQ(error.what(), error.Text() + " - Native error:   123");
  }
}

TEST(KestrelException, FormatsWidthPrecisionAndPercent) {
  std::string text;
  ASSERT_TRUE(TryFormatMessage("[%5d|%-4s|%.3d|%%|%x]", {12, "ab", 7, 255}, text));
  EXPECT_EQ(text, "[   12|ab  |007|%|FF]");
}

}  // namespace
}  // namespace kestrel
