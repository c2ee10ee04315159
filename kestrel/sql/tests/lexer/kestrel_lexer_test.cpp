#include "kestrel/sql/lexer/kestrel_lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestrel/sql/tests/lexer/lexer_test_support.h"
#include "kestrel/storage/tests/values/value_factory.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

struct OutlineCase {
  const char* sql;
  const char* outline;
};

void ExpectOutlines(const std::vector<OutlineCase>& cases) {
  for (const OutlineCase& c : cases) {
    EXPECT_EQ(Outline(c.sql), c.outline) << "SQL: " << c.sql;
  }
}

TEST(KestrelLexer, QuotedAndBracketedTokens) {
  ExpectOutlines({
      {"SELECT 'it''s'", "Rw:SELECT Quo:it's"},
      {"\"a b\"", "Quo:a b"},
      {"\"a\"\"b\" 'x\"y' \"x'y\"", "Quo:a\"b Quo:x\"y Quo:x'y"},
      {"''", "Quo:"},
      {"''''", "Quo:'"},
      {"'a''''b'''", "Quo:a''b'"},
      {"[order]", "Brk:order"},
      {"[a]]b] [a[b] [it's]", "Brk:a]b Brk:a[b Brk:it's"},
      {"[t].[c]", "Brk:t Dot:. Brk:c"},
      {"'a;b' '-- x' '/* y'", "Quo:a;b Quo:-- x Quo:/* y"},
      {"'line\nbreak'", "Quo:line\nbreak"},
      {"'a'b", "Quo:a Str:b"},
      // Inside a word quotes and brackets are ordinary characters.
      {"it's a'b' t[x]", "Str:it's Str:a'b' Str:t[x]"},
  });
}

TEST(KestrelLexer, Numbers) {
  ExpectOutlines({
      {"1.5 .5 1e10 1E-3 12", "Flt:1.5 Flt:.5 Flt:1e10 Flt:1E-3 Int:12"},
      {"1. 1e 1e+5 1.2.3 0", "Flt:1. Flt:1e Flt:1e+5 Flt:1.2.3 Int:0"},
      {"1-2 1+2 1e-2", "Int:1 Str:- Int:2 Int:1 Str:+ Int:2 Flt:1e-2"},
      {"1e+-2", "Flt:1e+ Str:- Int:2"},
      {"(1,2)", "LP:( Int:1 Com:, Int:2 RP:)"},
      {"(1)=2*3/4", "LP:( Int:1 RP:) Str:= Int:2 Str:* Int:3 Str:/ Int:4"},
      {"1<2 1|2", "Int:1 Str:< Int:2 Int:1 Str:| Int:2"},
      {"1:p", "! E30358 Value for parameter 'p' not found"},
      // A digit directly after a dot makes the dot a number.
      {"t.5 a.b5", "Str:t Flt:.5 Str:a Dot:. Str:b5"},
      {"1--2\n3", "Int:1 Int:3"},
      {"1e--2", "Flt:1e"},
      {"1/*c*/2", "Int:1 Int:2"},
  });
}

TEST(KestrelLexer, WordsAndReservedWords) {
  ExpectOutlines({
      {"abc$#!_1 x2", "Str:abc$#!_1 Str:x2"},
      {"select SeLeCt FROM", "Rw:select Rw:SeLeCt Rw:FROM"},
      {"a-b", "Str:a Str:- Str:b"},
      {"a+b", "Str:a Str:+ Str:b"},
      {"t.col t.*", "Str:t Dot:. Str:col Str:t Dot:. Str:*"},
      {"a.b.c", "Str:a Dot:. Str:b Dot:. Str:c"},
      {". x", "Dot:. Str:x"},
      {"END-EXEC", "Rw:END Str:- Rw:EXEC"},
      {"café naïve", "Str:café Str:naïve"},
      {"selectx xselect [select] 'select'", "Str:selectx Str:xselect Brk:select Quo:select"},
      {"a]b ]", "Str:a]b Str:]"},
  });
}

TEST(KestrelLexer, Operators) {
  ExpectOutlines({
      {"x<>y x<=y x>=y a||b",
       "Str:x Str:<> Str:y Str:x Str:<= Str:y Str:x Str:>= Str:y Str:a "
       "Str:|| Str:b"},
      {"x=<y", "Str:x Str:= Str:< Str:y"},
      {"x=>y", "Str:x Str:= Str:> Str:y"},
      {"a<b>c", "Str:a Str:< Str:b Str:> Str:c"},
      {"a|b a|||b", "Str:a Str:| Str:b Str:a Str:|| Str:| Str:b"},
      {"a*b/c,d=e", "Str:a Str:* Str:b Str:/ Str:c Com:, Str:d Str:= Str:e"},
      {"<><=>=>", "Str:<> Str:<= Str:>= Str:>"},
      {"f(a,b)", "Str:f LP:( Str:a Com:, Str:b RP:)"},
      {"--x\n-+-", "Str:- Str:+ Str:-"},
  });
}

TEST(KestrelLexer, CommentsAndWhitespace) {
  ExpectOutlines({
      {"a -- c ; d\nb", "Str:a Str:b"},
      {"a--b", "Str:a"},
      {"a /* ; */ b", "Str:a Str:b"},
      {"a/**/b", "Str:a Str:b"},
      {"a /*/ b */ c", "Str:a Str:c"},
      {"a /* unterminated ; b", "Str:a"},
      {"a\tb\r\nc\rd", "Str:a Str:b Str:c Str:d"},
      {"a*/b", "Str:a Str:* Str:/ Str:b"},
  });
}

TEST(KestrelLexer, StatementsAndEmptyStatements) {
  ExpectOutlines({
      {"SELECT 1;;SELECT 2", "Rw:SELECT Int:1 ; Rw:SELECT Int:2"},
      {"SELECT 1; ; -- none\n ;\nSELECT 2;", "Rw:SELECT Int:1 ; Rw:SELECT Int:2"},
      {";;SELECT 1", "Rw:SELECT Int:1"},
      {"SELECT 'a;b'; SELECT 2", "Rw:SELECT Quo:a;b ; Rw:SELECT Int:2"},
      {"a /* ; */ b; c", "Str:a Str:b ; Str:c"},
      {"", ""},
      {"   \t\r\n", ""},
      {"-- only a comment; really\n/* and ; another */ ;; ;", ""},
      {"/* unterminated ; SELECT 2", ""},
  });
}

TEST(KestrelLexer, LexicalErrorsAndTheirPositions) {
  ExpectOutlines({
      {"12abc", "! E30062 Invalid numeric symbol 'a' at line 1, column 3"},
      {"SELECT 1x", "! E30062 Invalid numeric symbol 'x' at line 1, column 9"},
      {"1_", "! E30062 Invalid numeric symbol '_' at line 1, column 2"},
      {"1'a'", "! E30062 Invalid numeric symbol ''' at line 1, column 2"},
      {"\n  3$", "! E30062 Invalid numeric symbol '$' at line 2, column 4"},
      {"'é' 1é", "! E30062 Invalid numeric symbol 'é' at line 1, column 6"},
      {"1.5.x", "! E30062 Invalid numeric symbol 'x' at line 1, column 5"},
      {"1[", "! E30062 Invalid numeric symbol '[' at line 1, column 2"},
      {"(a))", "! E30060 Unexpected symbol ')' found at line 1, column 4"},
      {"((a)", "! E30059 Missing symbol ')' at line 1, column 2"},
      {"SELECT (a\n, (b) ,(c", "! E30059 Missing symbol ')' at line 2, column 8"},
      {"a)\n b)", "! E30060 Unexpected symbol ')' found at line 2, column 3"},
      {"'abc", "! E30061 Unterminated string at line 1, column 1"},
      {"SELECT a,\n  'x''", "! E30061 Unterminated string at line 2, column 3"},
      {"[abc", "! E30061 Unterminated string at line 1, column 1"},
      {"\"abc ; SELECT 2", "! E30061 Unterminated string at line 1, column 1"},
      // The parenthesis checks come before the string check.
      {"(\"abc", "! E30059 Missing symbol ')' at line 1, column 1"},
      {"a) 'x", "! E30060 Unexpected symbol ')' found at line 1, column 2"},
      {":nope", "! E30358 Value for parameter 'nope' not found"},
      {"a = :", "! E30358 Value for parameter '' not found"},
      // Positions are relative to the statement; earlier statements stand.
      {"SELECT 1; SELECT 2;\n SELECT (3",
       "Rw:SELECT Int:1 ; Rw:SELECT Int:2 ! E30059 Missing symbol ')' at line 2, column 9"},
  });
}

TEST(KestrelLexer, ErrorMessageCarriesTheNativeCode) {
  TKestrelLexer lexer("SELECT ((a)", nullptr);
  try {
    lexer.NextStatement();
    FAIL() << "no error";
  } catch (const EKestrelException& error) {
    EXPECT_EQ(error.NativeError(), 30059);
    EXPECT_EQ(error.Message(), "Missing symbol ')' at line 1, column 9 - Native error: 30059");
  }
  // The failed statement leaves no tokens behind.
  EXPECT_EQ(lexer.Command().NumTokens(), 0);
  TToken token;
  EXPECT_FALSE(lexer.GetCurrentToken(token));
}

TEST(KestrelLexer, PositionsAreRelativeToTheStatement) {
  TKestrelLexer lexer("SELECT a;\n  SELECT\n b /* x\n y */ c -- d\ne\r\n\tf 'é' g", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  EXPECT_EQ(lexer.StatementNo(), 0);
  ASSERT_EQ(lexer.Command().NumTokens(), 2);
  EXPECT_EQ(lexer.Command().Tokens[1].ColumnNum, 8);
  ASSERT_TRUE(lexer.NextStatement());
  EXPECT_EQ(lexer.StatementNo(), 1);
  struct Expected {
    const char* text;
    int32_t line;
    int32_t column;
  };
  const Expected expected[] = {{"SELECT", 2, 3}, {"b", 3, 2}, {"c", 4, 7}, {"e", 5, 1},
                               {"f", 6, 2},      {"é", 6, 4}, {"g", 6, 8}};
  const std::vector<TToken>& tokens = lexer.Command().Tokens;
  ASSERT_EQ(tokens.size(), std::size(expected));
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    EXPECT_EQ(tokens[i].Text, expected[i].text);
    EXPECT_EQ(tokens[i].LineNum, expected[i].line) << expected[i].text;
    EXPECT_EQ(tokens[i].ColumnNum, expected[i].column) << expected[i].text;
  }
  EXPECT_FALSE(lexer.NextStatement());
  EXPECT_FALSE(lexer.NextStatement());
}

TEST(KestrelLexer, ReservedWordsCarryTheirIndex) {
  TKestrelLexer lexer("select Rename end-exec ZONE selects", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  const std::vector<TToken>& tokens = lexer.Command().Tokens;
  ASSERT_EQ(tokens.size(), 7u);
  EXPECT_EQ(tokens[0].ReservedWord, TReservedWord::kSelect);
  EXPECT_EQ(tokens[0].Text, "select");
  EXPECT_EQ(tokens[1].ReservedWord, TReservedWord::kRename);
  EXPECT_EQ(tokens[2].ReservedWord, TReservedWord::kEnd);
  EXPECT_EQ(tokens[3].ReservedWord, TReservedWord::kNoWord);
  EXPECT_EQ(tokens[4].ReservedWord, TReservedWord::kExec);
  EXPECT_EQ(tokens[5].ReservedWord, TReservedWord::kZone);
  EXPECT_EQ(tokens[6].TokenType, TTokenType::tktString);
  EXPECT_EQ(tokens[6].ReservedWord, TReservedWord::kNoWord);

  EXPECT_TRUE(IsReservedWord(tokens[0], TReservedWord::kSelect));
  EXPECT_TRUE(IsReservedWord(tokens[0], TReservedWord::kAnyWord));
  EXPECT_FALSE(IsReservedWord(tokens[0], TReservedWord::kFrom));
  EXPECT_FALSE(IsReservedWord(tokens[6], TReservedWord::kAnyWord));
  EXPECT_FALSE(IsReservedWord(tokens[3], TReservedWord::kNoWord));
}

TEST(KestrelLexer, CursorMovesAndBackTracks) {
  TKestrelLexer lexer("a b c; d", nullptr);
  TToken token;
  EXPECT_FALSE(lexer.GetCurrentToken(token));  // before the first statement
  ASSERT_TRUE(lexer.NextStatement());
  EXPECT_EQ(lexer.GetCurrentTokenNo(), 0);
  ASSERT_TRUE(lexer.GetCurrentToken(token));
  EXPECT_EQ(token.Text, "a");
  ASSERT_TRUE(lexer.LookAhead(token));
  EXPECT_EQ(token.Text, "b");
  EXPECT_EQ(lexer.GetCurrentTokenNo(), 0);
  ASSERT_TRUE(lexer.GetNextToken(token));
  EXPECT_EQ(token.Text, "b");
  ASSERT_TRUE(lexer.GetNextToken(token));
  EXPECT_EQ(token.Text, "c");
  EXPECT_EQ(lexer.GetCurrentTokenNo(), 2);

  // Past the end the kind becomes tktNone and the rest stays, so the
  // position of the last token read is still at hand.
  EXPECT_FALSE(lexer.LookAhead(token));
  EXPECT_EQ(token.TokenType, TTokenType::tktNone);
  EXPECT_EQ(token.Text, "c");
  EXPECT_EQ(token.ColumnNum, 5);
  EXPECT_EQ(lexer.GetCurrentTokenNo(), 2);
  EXPECT_FALSE(lexer.GetNextToken(token));
  EXPECT_EQ(lexer.GetCurrentTokenNo(), 3);  // moves also when there is none
  EXPECT_FALSE(lexer.GetNextToken(token));
  EXPECT_EQ(lexer.GetCurrentTokenNo(), 4);
  EXPECT_FALSE(lexer.GetCurrentToken(token));

  ASSERT_TRUE(lexer.SetCurrentTokenNo(1, token));
  EXPECT_EQ(token.Text, "b");
  EXPECT_EQ(token.TokenType, TTokenType::tktString);
  EXPECT_FALSE(lexer.SetCurrentTokenNo(-1, token));
  EXPECT_EQ(token.TokenType, TTokenType::tktNone);
  ASSERT_TRUE(lexer.GetNextToken(token));
  EXPECT_EQ(token.Text, "a");
  EXPECT_FALSE(lexer.SetCurrentTokenNo(std::numeric_limits<int32_t>::max(), token));
  EXPECT_FALSE(lexer.LookAhead(token));
  EXPECT_FALSE(lexer.GetNextToken(token));

  ASSERT_TRUE(lexer.NextStatement());
  EXPECT_EQ(lexer.GetCurrentTokenNo(), 0);
  ASSERT_TRUE(lexer.GetCurrentToken(token));
  EXPECT_EQ(token.Text, "d");
}

TEST(KestrelLexer, StatementsMayBeRewrittenInPlace) {
  TKestrelLexer lexer("DELETE FROM t", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  TSQLCommand& command = lexer.Command();
  command.Tokens.insert(command.Tokens.begin(), TToken{});
  command.Tokens[0] = {
      TTokenType::tktReservedWord, TReservedWord::kSelect, "select", nullptr, 1, 1};
  command.Tokens[1] = {TTokenType::tktNone, TReservedWord::kNoWord, "*", nullptr, 1, 1};
  TToken token;
  ASSERT_TRUE(lexer.SetCurrentTokenNo(0, token));
  EXPECT_TRUE(IsReservedWord(token, TReservedWord::kSelect));
  ASSERT_TRUE(lexer.GetNextToken(token));
  EXPECT_EQ(token.Text, "*");
  ASSERT_TRUE(lexer.GetNextToken(token));
  EXPECT_TRUE(IsReservedWord(token, TReservedWord::kFrom));
  EXPECT_EQ(command.NumTokens(), 4);
}

class KestrelLexerParams : public ::testing::Test {
 protected:
  void SetUp() override { AddSampleParams(params_); }

  TKestrelSQLParams params_;
};

TEST_F(KestrelLexerParams, ResolvedInAnyCaseWithACopyOfTheValue) {
  TKestrelLexer lexer("SELECT :P, :name FROM t WHERE x=:p AND y = :EMPTY", &params_);
  ASSERT_TRUE(lexer.NextStatement());
  std::vector<TToken> parameters;
  for (const TToken& token : lexer.Command().Tokens) {
    if (token.TokenType == TTokenType::tktParameter) {
      parameters.push_back(token);
    } else {
      EXPECT_EQ(token.ParamValue, nullptr) << token.Text;
    }
  }
  ASSERT_EQ(parameters.size(), 4u);
  EXPECT_EQ(parameters[0].Text, "P");
  EXPECT_EQ(parameters[0].ColumnNum, 8);
  EXPECT_EQ(parameters[1].Text, "name");
  EXPECT_EQ(parameters[2].Text, "p");
  EXPECT_EQ(parameters[3].Text, "EMPTY");
  for (const TToken& token : parameters) {
    ASSERT_NE(token.ParamValue, nullptr) << token.Text;
  }
  EXPECT_EQ(parameters[0].ParamValue->AsInteger(), 7);
  EXPECT_EQ(parameters[1].ParamValue->AsString(), "Smith");
  EXPECT_EQ(parameters[2].ParamValue->AsInteger(), 7);
  EXPECT_NE(parameters[0].ParamValue, parameters[2].ParamValue);  // one copy per token
  EXPECT_TRUE(parameters[3].ParamValue->IsNull());

  // The tokens keep their own copies when the list changes afterwards.
  params_.Items(0).SetAsInteger(8);
  params_.Clear();
  EXPECT_EQ(parameters[0].ParamValue->AsInteger(), 7);
  EXPECT_EQ(parameters[1].ParamValue->AsString(), "Smith");
}

TEST_F(KestrelLexerParams, UnknownParametersFail) {
  EXPECT_EQ(Outline("SELECT :p; SELECT :q", &params_),
            "Rw:SELECT Par:p ! E30358 Value for parameter 'q' not found");
  EXPECT_EQ(Outline("SELECT :pp", &params_), "! E30358 Value for parameter 'pp' not found");
  // A filter's text is lexed without parameters: every reference is unknown.
  EXPECT_EQ(Outline("x = :p"), "! E30358 Value for parameter 'p' not found");
  // Quoted and commented references are no references.
  EXPECT_EQ(Outline("':q' -- :q\n/* :q */ [:q]"), "Quo::q Brk::q");
  EXPECT_EQ(Outline(":p.x :p", &params_), "Par:p Dot:. Str:x Par:p");
  EXPECT_EQ(Outline(":p.x :p(", &params_), "! E30059 Missing symbol ')' at line 1, column 8");
}

TEST(ScanParameterNames, EveryReferenceOnceInOrder) {
  EXPECT_EQ(ScanParameterNames("SELECT :a, ':b' -- :c\n FROM t WHERE x = :A AND y = :B2;"
                               " UPDATE t SET [:d] = :c /* :e */"),
            (std::vector<std::string>{"a", "B2", "c"}));
  EXPECT_EQ(ScanParameterNames("x = :p; y = 1z + :q"), (std::vector<std::string>{"p"}));
  EXPECT_TRUE(ScanParameterNames("").empty());
}

}  // namespace
}  // namespace kestrel
