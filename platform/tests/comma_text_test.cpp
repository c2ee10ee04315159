#include <gtest/gtest.h>

#include "platform/string_list.h"

namespace platform {
namespace {

using Items = std::vector<std::string>;

TEST(CommaText, QuotesOnlyItemsThatNeedIt) {
  const struct {
    Items items;
    const char* text;
  } cases[] = {
      {{"English", "Hungarian"}, "English,Hungarian"},
      {{"a b", "c"}, "\"a b\",c"},
      {{"x\"y"}, "\"x\"\"y\""},
      {{"1,5"}, "\"1,5\""},
      {{"tab\there"}, "\"tab\there\""},
      {{"a", "", "b"}, "a,,b"},
      {{""}, "\"\""},
      {{}, ""},
      {{"árvíz"}, "árvíz"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToCommaText(c.items), c.text);
  }
}

TEST(CommaText, EveryListReadsBackUnchanged) {
  const Items cases[] = {
      {},
      {""},
      {"a"},
      {"English", "Hungarian"},
      {"a b", "c d e"},
      {"a,b", ",", ",,"},
      {"say \"hi\"", "\"", "\"\""},
      {"", "a"},
      {"a", ""},
      {"", ""},
      {"a", "", "b"},
      {" leading", "trailing ", "  "},
      {"line\r\nbreak", "ünï"},
  };
  for (const Items& items : cases) {
    const std::string text = ToCommaText(items);
    EXPECT_EQ(FromCommaText(text), items) << text;
  }
}

TEST(CommaText, ReadingRules) {
  const struct {
    const char* text;
    Items items;
  } cases[] = {
      {"\"English\",\"Hungarian\"", {"English", "Hungarian"}},
      {"a b,c", {"a", "b", "c"}},  // a blank ends an unquoted item
      {" a , b ", {"a", "b"}},
      {"\"a,b\",c", {"a,b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"unterminated", {"unterminated"}},
      {"a,", {"a", ""}},
      {",a", {"", "a"}},
      {"\"My server\",0,localhost,3306,root,,/data",
       {"My server", "0", "localhost", "3306", "root", "", "/data"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FromCommaText(c.text), c.items) << c.text;
  }
}

TEST(StringList, CommaTextAndCaseInsensitiveLookup) {
  StringList list;
  list.SetCommaText("\"English\",\"Hungarian\"");
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.IndexOf("hungarian"), 1);
  EXPECT_EQ(list.IndexOf("German"), -1);
  list.Insert(0, "German");
  list.Delete(2);
  EXPECT_EQ(list.CommaText(), "German,English");
  EXPECT_EQ(list.Text(), "German\r\nEnglish\r\n");
}

}  // namespace
}  // namespace platform
