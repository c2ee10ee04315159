#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "highlight/sql_keywords.h"
#include "highlight/sql_rtf_highlighter.h"

namespace highlight {
namespace {

using Kind = SqlTokenKind;

struct Token {
  Kind kind;
  std::string text;
  bool operator==(const Token&) const = default;
};

void PrintTo(const Token& token, std::ostream* out) {
  *out << static_cast<int>(token.kind) << ":\"" << token.text << '"';
}

std::vector<Token> Tokens(const std::string& text) {
  TSqlRtfHighlighter highlighter;
  highlighter.SetText(text);
  std::vector<Token> tokens;
  while (!highlighter.AtEnd()) {
    tokens.push_back({highlighter.TokenKind(), highlighter.GetToken()});
    EXPECT_EQ(highlighter.GetTokenAttribute(), static_cast<int>(highlighter.TokenKind()));
    highlighter.Next();
  }
  EXPECT_EQ(highlighter.GetTokenAttribute(), 8);
  return tokens;
}

struct TokenCase {
  std::string text;
  std::vector<Token> tokens;
};

void ExpectTokens(std::span<const TokenCase> cases) {
  for (const TokenCase& c : cases) {
    EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
  }
}

TEST(SqlTokenizer, SplitsStatementsIntoKinds) {
  const TokenCase cases[] = {
      {"select * from t -- x",
       {{Kind::kKeyword, "select"},
        {Kind::kSymbol, " "},
        {Kind::kSymbol, "*"},
        {Kind::kSymbol, " "},
        {Kind::kKeyword, "from"},
        {Kind::kSymbol, " "},
        {Kind::kIdentifier, "t"},
        {Kind::kSymbol, " "},
        {Kind::kComment, "-- x"}}},
      {"a<=b|c",
       {{Kind::kIdentifier, "a"},
        {Kind::kSymbol, "<"},
        {Kind::kSymbol, "="},
        {Kind::kIdentifier, "b"},
        {Kind::kSymbol, "|"},
        {Kind::kIdentifier, "c"}}},
      {" \t\x01\x1f x", {{Kind::kSymbol, " \t\x01\x1f "}, {Kind::kIdentifier, "x"}}},
      {"a\r\nb\rc\nd\n\r",
       {{Kind::kIdentifier, "a"},
        {Kind::kSymbol, "\r\n"},
        {Kind::kIdentifier, "b"},
        {Kind::kSymbol, "\r"},
        {Kind::kIdentifier, "c"},
        {Kind::kSymbol, "\n"},
        {Kind::kIdentifier, "d"},
        {Kind::kSymbol, "\n"},
        {Kind::kSymbol, "\r"}}},
      {"$%{}@!~`",
       {{Kind::kOther, "$"},
        {Kind::kOther, "%"},
        {Kind::kOther, "{"},
        {Kind::kOther, "}"},
        {Kind::kOther, "@"},
        {Kind::kOther, "!"},
        {Kind::kOther, "~"},
        {Kind::kOther, "`"}}},
      // A character outside ASCII is one token however many bytes it takes.
      {"n\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
       {{Kind::kIdentifier, "n"},
        {Kind::kOther, "\xC3\xA9"},
        {Kind::kOther, "\xE2\x82\xAC"},
        {Kind::kOther, "\xF0\x9F\x98\x80"}}},
      // A NUL inside the text does not end it.
      {std::string("a\0b", 3),
       {{Kind::kIdentifier, "a"}, {Kind::kOther, std::string(1, '\0')}, {Kind::kIdentifier, "b"}}},
      {"", {}},
  };
  ExpectTokens(cases);
}

TEST(SqlTokenizer, KeywordsInAnyLetterCase) {
  ASSERT_EQ(SqlKeywords().size(), 126u);
  for (const std::string_view keyword : SqlKeywords()) {
    std::string lower(keyword);
    std::string mixed(keyword);
    for (std::size_t i = 0; i < lower.size(); ++i) {
      lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
      if (i % 2 == 1) {
        mixed[i] = lower[i];
      }
    }
    for (const std::string& word : {std::string(keyword), lower, mixed}) {
      EXPECT_EQ(Tokens(word), (std::vector<Token>{{Kind::kKeyword, word}})) << word;
    }
  }
  const struct {
    const char* word;
    Kind kind;
  } words[] = {
      {"SeLeCt", Kind::kKeyword},        {"BASE_NAME", Kind::kKeyword},
      {"entry_point", Kind::kKeyword},   {"selected", Kind::kIdentifier},
      {"my_select", Kind::kIdentifier},  {"select1", Kind::kIdentifier},
      {"_", Kind::kIdentifier},          {"t2", Kind::kIdentifier},
      {"zzzzzzzzzz", Kind::kIdentifier}, {"UNCOMMITTEDX", Kind::kIdentifier},
      {"BASENAME", Kind::kIdentifier},   {"ENTRYPOINT_", Kind::kIdentifier},
  };
  for (const auto& w : words) {
    EXPECT_EQ(Tokens(w.word), (std::vector<Token>{{w.kind, w.word}})) << w.word;
  }
}

TEST(SqlTokenizer, KeywordBucketsAreLetterSums) {
  EXPECT_EQ(KeywordBucket("abc"), 6);
  EXPECT_EQ(KeywordBucket("A_1b"), 3);
  EXPECT_EQ(KeywordBucket("ZZZZZZ"), 156);  // the last bucket
  EXPECT_EQ(KeywordBucket("ZZZZZZA"), -1);
  for (const std::string_view keyword : SqlKeywords()) {
    EXPECT_GE(KeywordBucket(keyword), 0) << keyword;
  }
}

TEST(SqlTokenizer, Numbers) {
  const TokenCase cases[] = {
      {"5", {{Kind::kSymbol, "5"}}},
      {"55", {{Kind::kNumber, "55"}}},
      {".5", {{Kind::kNumber, ".5"}}},
      {".", {{Kind::kSymbol, "."}}},
      {"12..34", {{Kind::kNumber, "12"}, {Kind::kSymbol, "."}, {Kind::kNumber, ".34"}}},
      {"5a", {{Kind::kSymbol, "5"}, {Kind::kIdentifier, "a"}}},
      // The second character decides: "0x1F" is no number, "10xAf" is.
      {"0x1F", {{Kind::kSymbol, "0"}, {Kind::kIdentifier, "x1F"}}},
      {"10xAfz", {{Kind::kNumber, "10xAf"}, {Kind::kIdentifier, "z"}}},
      {"12.5_0", {{Kind::kNumber, "12.5_0"}}},
      {"12-e4", {{Kind::kNumber, "12-e4"}}},
      {"12-4", {{Kind::kNumber, "12"}, {Kind::kSymbol, "-"}, {Kind::kSymbol, "4"}}},
      {"10-", {{Kind::kNumber, "10"}, {Kind::kSymbol, "-"}}},
      {"10.", {{Kind::kNumber, "10."}}},
  };
  ExpectTokens(cases);
}

TEST(SqlTokenizer, Strings) {
  const TokenCase cases[] = {
      {"'abc'd", {{Kind::kString, "'abc'"}, {Kind::kIdentifier, "d"}}},
      {"'it''s'", {{Kind::kString, "'it'"}, {Kind::kString, "'s'"}}},
      {"'a\\'b", {{Kind::kString, "'a\\'"}, {Kind::kIdentifier, "b"}}},
      {"'abc\r\nx", {{Kind::kString, "'abc"}, {Kind::kSymbol, "\r\n"}, {Kind::kIdentifier, "x"}}},
      {"'abc\nx", {{Kind::kString, "'abc"}, {Kind::kSymbol, "\n"}, {Kind::kIdentifier, "x"}}},
      {"'abc", {{Kind::kString, "'abc"}}},
      {"\"a\\\"b\"c", {{Kind::kString, "\"a\\\"b\""}, {Kind::kIdentifier, "c"}}},
      {"\"\"x", {{Kind::kString, "\"\""}, {Kind::kIdentifier, "x"}}},
      {"\"\"\"doc\"x", {{Kind::kString, "\"\"\"doc\""}, {Kind::kIdentifier, "x"}}},
      {"\"\"\"\"x", {{Kind::kString, "\"\"\"\""}, {Kind::kIdentifier, "x"}}},
      {"\"\"\"", {{Kind::kString, "\"\"\""}}},
      {"\"ab\r\ncd\"",
       {{Kind::kString, "\"ab"},
        {Kind::kSymbol, "\r\n"},
        {Kind::kIdentifier, "cd"},
        {Kind::kString, "\""}}},
  };
  ExpectTokens(cases);
}

TEST(SqlTokenizer, Comments) {
  const TokenCase cases[] = {
      {"# x\ny", {{Kind::kComment, "# x"}, {Kind::kSymbol, "\n"}, {Kind::kIdentifier, "y"}}},
      {"a// b\r\nc",
       {{Kind::kIdentifier, "a"},
        {Kind::kComment, "// b"},
        {Kind::kSymbol, "\r\n"},
        {Kind::kIdentifier, "c"}}},
      {"-1/2",
       {{Kind::kSymbol, "-"}, {Kind::kSymbol, "1"}, {Kind::kSymbol, "/"}, {Kind::kSymbol, "2"}}},
      {"/* a */b", {{Kind::kComment, "/* a */"}, {Kind::kIdentifier, "b"}}},
      {"/*/b", {{Kind::kComment, "/*/"}, {Kind::kIdentifier, "b"}}},
      {"/**/b", {{Kind::kComment, "/**/"}, {Kind::kIdentifier, "b"}}},
      {"/* a", {{Kind::kComment, "/* a"}}},
      {"a /* one\r\ntwo\r\nthree */ b",
       {{Kind::kIdentifier, "a"},
        {Kind::kSymbol, " "},
        {Kind::kComment, "/* one"},
        {Kind::kSymbol, "\r\n"},
        {Kind::kComment, "two"},
        {Kind::kSymbol, "\r\n"},
        {Kind::kComment, "three */"},
        {Kind::kSymbol, " "},
        {Kind::kIdentifier, "b"}}},
      // Line breaks of every kind keep the comment open; empty lines give no
      // comment token; "*/" at the start of a line closes it.
      {"/*\n\r\r\n*/x",
       {{Kind::kComment, "/*"},
        {Kind::kSymbol, "\n"},
        {Kind::kSymbol, "\r"},
        {Kind::kSymbol, "\r\n"},
        {Kind::kComment, "*/"},
        {Kind::kIdentifier, "x"}}},
      // A "*" and "/" split by a line break do not close it.
      {"/* *\n/ 'x'", {{Kind::kComment, "/* *"}, {Kind::kSymbol, "\n"}, {Kind::kComment, "/ 'x'"}}},
  };
  ExpectTokens(cases);
}

TEST(SqlTokenizer, LineByLineMatchesWholeText) {
  const std::vector<std::string> lines = {"select a, 'b' /* open",
                                          "still comment 'x' -- y",
                                          "",
                                          "end */ from t where c = \"q\"",
                                          "/* one line */ x /* and",
                                          "*/ y -- z",
                                          "#",
                                          "/*/ lone",
                                          "*/",
                                          "update t set n = 12..34"};
  std::string whole;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    whole += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
  }
  std::vector<Token> expected;
  for (const Token& token : Tokens(whole)) {
    if (token.text != "\r\n") {
      expected.push_back(token);
    }
  }

  TSqlRtfHighlighter highlighter;
  std::vector<Token> byLine;
  SqlRangeState range = SqlRangeState::kDefault;
  for (const std::string& line : lines) {
    highlighter.SetRangeState(range);
    highlighter.SetLine(line, 1);
    std::size_t covered = 0;
    while (!highlighter.AtEnd()) {
      EXPECT_EQ(highlighter.TokenPosition(), covered);
      covered += highlighter.TokenLength();
      byLine.push_back({highlighter.TokenKind(), highlighter.GetToken()});
      highlighter.Next();
    }
    EXPECT_EQ(covered, line.size());
    range = highlighter.RangeState();
  }
  EXPECT_EQ(byLine, expected);
  EXPECT_EQ(range, SqlRangeState::kDefault);
}

}  // namespace
}  // namespace highlight
