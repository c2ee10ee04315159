// What the grammar refuses, with each error's native code, message and
// position; and the shapes the grammar gives to what it accepts.

#include <gtest/gtest.h>

#include "kestrel/sql/expressions/nodes_arithmetic.h"
#include "kestrel/sql/expressions/nodes_basic.h"
#include "kestrel/sql/tests/expressions/expression_fixture.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

struct RefusalCase {
  const char* filter;
  const char* error;  // "<code> <text>"
};

class Grammar : public ExpressionFixture {};

TEST_F(Grammar, RefusalsWithCodesAndPositions) {
  const RefusalCase cases[] = {
      // A condition must be Boolean: "(" always opens a condition.
      {"(A + 1) > 2", "30066 Boolean expression expected, but 'A' found at line 1, column 2"},
      {"NULL", "30066 Boolean expression expected, but 'NULL' found at line 1, column 1"},
      {"ACTIVE", "30066 Boolean expression expected, but 'ACTIVE' found at line 1, column 1"},
      {"ACTIVE IS TRUE",
       "30066 Boolean expression expected, but 'ACTIVE' found at line 1, column 1"},
      {"A = 1 OR B", "30070 Boolean expression expected, but 'B' found at line 1, column 10"},
      {"A = 1 AND B", "30069 Boolean expression expected, but 'B' found at line 1, column 11"},
      {"NOT B", "30068 Boolean expression expected, but 'B' found at line 1, column 5"},
      {"NOT NOT A = 1", "30068 Boolean expression expected, but 'NOT' found at line 1, column 5"},
      {"A = 1 IS MAYBE",
       "30067 Token 'TRUE, FALSE or UNKNOWN' expected, but 'MAYBE' found at line 1, column 10"},
      {"A = 1\n  AND\n  B", "30069 Boolean expression expected, but 'B' found at line 3, column 3"},
      // Running out of tokens, and tokens that cannot follow.
      {"A = 1 OR", "30063 Unexpected end of SQL command found at line 1, column 7"},
      {"A =", "30063 Unexpected end of SQL command found at line 1, column 3"},
      {"A = 1 garbage", "30064 Unexpected token 'garbage' found at line 1, column 7"},
      {"A = 1; B = 2", "30064 Unexpected token 'B' found at line 1, column 2"},
      {"A = ,", "30064 Unexpected token ',' found at line 1, column 5"},
      {"A LIKE ,", "30064 Unexpected token ',' found at line 1, column 8"},
      {"A BETWEEN 1 OR 2", "30064 Token 'AND' expected, but 'OR' found at line 1, column 13"},
      {"A IN ()", "30064 Unexpected token ')' found at line 1, column 7"},
      {"A IN (1,)", "30064 Unexpected token ')' found at line 1, column 9"},
      {"A IN 1", "30064 Unexpected token '1' found at line 1, column 6"},
      {"EXISTS A", "30064 Unexpected token 'A' found at line 1, column 8"},
      {"1.2.3 > A", "30064 Unexpected token '1.2.3' found at line 1, column 1"},
      {"A = (1 2)", "30071 Token ')' expected, but '2' found at line 1, column 8"},
      // Aggregates.
      {"COUNT(* 1) > 1", "30073 Token ')' expected, but '1' found at line 1, column 9"},
      {"SUM A > 1", "30074 Token '(' expected, but 'A' found at line 1, column 5"},
      {"SUM(A B) > 1", "30075 Token ')' expected, but 'B' found at line 1, column 7"},
      {"SUM() > 1", "30102 Argument expected for function 'SUM' at line 1, column 5"},
      {"COUNT(DISTINCT *) > 1",
       "30102 Argument expected for function 'COUNT' at line 1, column 16"},
      // CAST.
      {"CAST(A AS INTEGER B) > 1", "30076 Token ')' expected, but 'B' found at line 1, column 19"},
      {"CAST(A AS BLOB) > 1", "30077 Cannot convert an expression to specified type: 'BLOB'"},
      {"CAST(A AS MEMO) > 1", "30077 Cannot convert an expression to specified type: 'MEMO'"},
      {"CAST(A AS FOO) > 1", "30077 Cannot convert an expression to specified type: 'FOO'"},
      {"CAST(A INTEGER) > 1", "30064 Token 'AS' expected, but 'INTEGER' found at line 1, column 8"},
      // POS, LENGTH.
      {"POS 'a' > 1", "30078 Token '(' expected, but 'a' found at line 1, column 5"},
      {"POS(, 'a') > 1", "30079 Token 'string' expected, but ',' found at line 1, column 5"},
      {"POS('a' 'b') > 1", "30080 Token ',' or 'IN' expected, but 'b' found at line 1, column 9"},
      {"POS('a' IN ,) > 1", "30081 Token 'string' expected, but ',' found at line 1, column 12"},
      {"POS('a' IN 'b' 'c') > 1", "30082 Token ')' expected, but 'c' found at line 1, column 16"},
      {"LENGTH 'a' > 1", "30083 Token '(' expected, but 'a' found at line 1, column 8"},
      {"LENGTH('a' 'b') > 1", "30084 Token ')' expected, but 'b' found at line 1, column 12"},
      {"LENGTH(,) > 1", "30085 Token 'string' expected, but ',' found at line 1, column 8"},
      // UPPER to RTRIM.
      {"UPPER 'a' = 'A'", "30090 Token '(' expected, but 'a' found at line 1, column 7"},
      {"UPPER('a' 'b') = 'A'", "30091 Token ')' expected, but 'b' found at line 1, column 11"},
      {"RTRIM(,) = 'A'",
       "30092 String argument expected for function 'RTRIM', but ',' found at line 1, column 7"},
      // TOSTRING.
      {"TOSTRING D = 'x'", "30093 Token '(' expected, but 'D' found at line 1, column 10"},
      {"TOSTRING(, 'YYYY') = 'x'",
       "30094 Token 'value' expected, but ',' found at line 1, column 10"},
      {"TOSTRING(D 'YYYY') = 'x'",
       "30095 Token ',' expected, but 'YYYY' found at line 1, column 12"},
      {"TOSTRING(D, YYYY) = 'x'",
       "30096 Const DateFormat string expected, but 'YYYY' found at line 1, column 13"},
      {"TOSTRING(D, 'YYYY' 1) = 'x'",
       "30097 Token ')' expected, but '1' found at line 1, column 20"},
      // SUBSTRING.
      {"SUBSTRING NAME = 'x'", "30098 Token '(' expected, but 'NAME' found at line 1, column 11"},
      {"SUBSTRING(, 1) = 'x'", "30099 Token 'string' expected, but ',' found at line 1, column 11"},
      {"SUBSTRING(NAME 1) = 'x'",
       "30100 Token ',' or 'from' expected, but '1' found at line 1, column 16"},
      {"SUBSTRING(NAME, 'a') = 'x'",
       "30101 Token 'number' expected, but 'a' found at line 1, column 17"},
      {"SUBSTRING(NAME, 1, ) = 'x'",
       "30101 Token 'number' expected, but ')' found at line 1, column 20"},
      {"SUBSTRING(NAME, 1 2) = 'x'",
       "30103 Token ')' or ',' or 'FOR' expected, but '2' found at line 1, column 19"},
      {"SUBSTRING(NAME, 1, 2 3) = 'x'",
       "30104 Token ')' expected, but '3' found at line 1, column 22"},
      // TODATE.
      {"D = TODATE 'x'", "30105 Token '(' expected, but 'x' found at line 1, column 12"},
      {"D = TODATE(, 'YYYY')",
       "30107 Argument expected for function 'ToDate' at line 1, column 12"},
      {"D = TODATE(NAME 'YYYY')",
       "30108 Token ',' expected, but 'YYYY' found at line 1, column 17"},
      {"D = TODATE(NAME, 1)",
       "30109 Const DateFormat string expected, but '1' found at line 1, column 18"},
      {"D = TODATE(NAME, 'YYYY' 1)",
       "30106 Token ')' expected, but '1' found at line 1, column 25"},
      // TOBLOB.
      {"NOTE = TOBLOB 'x'", "11345 Token '(' expected, but 'x' found at line 1, column 15"},
      {"NOTE = TOBLOB(x)",
       "11346 Const BLOB value as quoted string expected, but 'x' found at line 1, column 15"},
      {"NOTE = TOBLOB('YWJj', BASE)",
       "11347 BLOB value format expected, but 'BASE' found at line 1, column 23"},
      {"NOTE = TOBLOB('YWJj' 1)", "11348 Token ')' expected, but '1' found at line 1, column 22"},
      {"NOTE = TOBLOB('zz', HEX)", "11344 Error - cannot convert BLOB value \"zz\", format = 1"},
      {"NOTE = TOBLOB('YW#j', MIME64)",
       "11344 Error - cannot convert BLOB value \"YW#j\", format = 0"},
      // LASTAUTOINC without table access.
      {"LASTAUTOINC T > 1", "30086 Token '(' expected, but 'T' found at line 1, column 13"},
      {"LASTAUTOINC(T, ID) > 1",
       "30336 LASTAUTOINC is not available: no table access is installed"},
      // Blank texts.
      {"", "30119 Blank SQL command"},
      {"  -- nothing but a comment", "30119 Blank SQL command"},
  };
  for (const RefusalCase& test : cases) {
    SCOPED_TRACE(test.filter);
    EXPECT_EQ(ErrorOf([&] { Filter(test.filter); }), test.error);
  }
}

TEST_F(Grammar, NothingLeftToParse) {
  TKestrelLexer lexer("WHERE", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  TToken token;
  lexer.GetNextToken(token);
  TKestrelExpression condition;
  EXPECT_EQ(ErrorOf([&] { condition.ParseCondition(lexer); }),
            "30118 Unexpected end of SQL command found at line 1, column 1");
  TKestrelExpression value;
  EXPECT_EQ(ErrorOf([&] { value.ParseValue(lexer); }),
            "30136 Unexpected end of SQL command found at line 1, column 1");
}

TEST_F(Grammar, DeepNestingIsRefusedBeforeTheStackRunsOut) {
  const std::string deep = std::string(300, '(') + "A = 1" + std::string(300, ')');
  EXPECT_EQ(ErrorOf([&] { Filter(deep); }).substr(0, 5), "30065");
  const std::string values = "A = " + std::string(300, '(') + "1" + std::string(300, ')');
  EXPECT_EQ(ErrorOf([&] { Filter(values); }).substr(0, 5), "30065");
  std::string functions = "NAME = ";
  for (int level = 0; level < 300; ++level) {
    functions += level % 2 == 0 ? "UPPER(" : "SUBSTRING(";
  }
  functions += "NAME";
  for (int level = 299; level >= 0; --level) {
    functions += level % 2 == 0 ? ")" : ", 1)";
  }
  EXPECT_EQ(ErrorOf([&] { Filter(functions); }).substr(0, 5), "30065");
  // The same shape, shallow, parses.
  EXPECT_EQ(Truths(*Filter("NAME = UPPER(SUBSTRING(UPPER(NAME), 1))")), "FFFFF");
  EXPECT_EQ(Truths(*Filter("UPPER(SUBSTRING(UPPER(NAME), 1)) = 'ABC'")), "TFTFF");
  // Fifty levels of a text constant, which arithmetic refuses at every level.
  const std::string fine = "NAME = " + std::string(50, '(') + "'a'" + std::string(50, ')');
  EXPECT_EQ(Truths(*Filter(fine)), "FFFFF");
}

TEST_F(Grammar, ParsesAStatementsConditionAndStopsAtTheClauseAfterIt) {
  TKestrelLexer lexer("SELECT * FROM T WHERE A = 1 AND NAME LIKE 'a%' ORDER BY ID", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  TToken token;
  lexer.SetCurrentTokenNo(5, token);
  ASSERT_EQ(token.Text, "A");
  TKestrelExpression where;
  where.BindToCursor(source_.get());
  where.ParseCondition(lexer);
  ASSERT_TRUE(lexer.GetCurrentToken(token));
  EXPECT_EQ(token.Text, "ORDER");
  EXPECT_EQ(Truths(where), "TFFFT");
}

TEST_F(Grammar, SignedTermsAndLeftNestedProducts) {
  auto sum = ValueOf("A - B - ID");
  ASSERT_EQ(sum->Root()->Operator, TKestrelExprOp::kSum);
  ASSERT_EQ(sum->Root()->Children.size(), 3u);
  EXPECT_EQ(sum->Root()->Child(1).Operator, TKestrelExprOp::kNegate);
  EXPECT_EQ(sum->Root()->Child(2).Operator, TKestrelExprOp::kNegate);

  auto product = ValueOf("A * B / ID");
  ASSERT_EQ(product->Root()->Operator, TKestrelExprOp::kDivide);
  EXPECT_EQ(product->Root()->Child(0).Operator, TKestrelExprOp::kMultiply);

  auto negated = ValueOf("-A * B");
  ASSERT_EQ(negated->Root()->Operator, TKestrelExprOp::kMultiply);
  EXPECT_EQ(negated->Root()->Child(0).Operator, TKestrelExprOp::kNegate);

  // Arithmetic gives way to concatenation at "||".
  auto concatenation = ValueOf("1 + 2 || 'x'");
  ASSERT_EQ(concatenation->Root()->Operator, TKestrelExprOp::kConcat);
  EXPECT_EQ(concatenation->Root()->Children.size(), 3u);
}

TEST_F(Grammar, SubstringPositionAndCastForms) {
  for (const char* text : {"SUBSTRING(NAME FROM 2 FOR 3)", "SUBSTRING(NAME, 2, 3)",
                           "SUBSTRING(NAME, 2)", "SUBSTRING(NAME FROM 2)"}) {
    SCOPED_TRACE(text);
    auto expression = ValueOf(text);
    ASSERT_FALSE(expression->IsEmpty());
    EXPECT_EQ(expression->Root()->Operator, TKestrelExprOp::kSubstring);
  }
  auto cast = ValueOf("CAST(ID, VARCHAR)");
  ASSERT_FALSE(cast->IsEmpty());
  EXPECT_EQ(cast->Root()->Operator, TKestrelExprOp::kCast);
  auto castNull = ValueOf("CAST(NULL AS DATE)");
  EXPECT_EQ(castNull->GetDataType(), TKestrelDataType::kDate);
}

TEST_F(Grammar, ColumnReferencesNeedANonReservedColumnWord) {
  auto bracketed = ValueOf("[T].[ID] + 1");
  EXPECT_EQ(Values(*bracketed), "2|3|4|5|6");
  // A reserved word qualifies but does not name a column.
  EXPECT_TRUE(ValueOf("ORDER").get()->IsEmpty());
  EXPECT_TRUE(ValueOf("T.ORDER").get()->IsEmpty());
  // A word followed by "(" is no column (there are no other functions).
  EXPECT_TRUE(ValueOf("FOO(1)").get()->IsEmpty());
}

}  // namespace
}  // namespace kestrel
