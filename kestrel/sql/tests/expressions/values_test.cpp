// Value expressions over the fixture table: arithmetic with its signed
// terms, concatenation, the string, date, cast and BLOB functions, and
// parameters in the places their types allow; then the declared type and
// size of expressions.

#include <gtest/gtest.h>

#include "kestrel/sql/tests/expressions/expression_fixture.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;
using DT = TKestrelDataType;

struct ValueCase {
  const char* value;
  const char* values;  // each row's value as text, "|" between rows
};

class ValueExpressions : public ExpressionFixture {};

TEST_F(ValueExpressions, OnEveryRow) {
  const ValueCase cases[] = {
      // a - b - c is a + (-b) + (-c); a * b / c is (a * b) / c; -a * b is (-a) * b.
      {"A - B - 1", "NULL|-19|-28|NULL|-20"},
      {"ID * 2 / 3", "0|1|2|2|3"},
      {"-ID * 2", "-2|-4|-6|-8|-10"},
      {"ID - -1", "2|3|4|5|6"},
      {"+ID", "1|2|3|4|5"},
      {"(ID + 1) * 2", "4|6|8|10|12"},
      {"ID + 0.5", "1.5|2.5|3.5|4.5|5.5"},
      {"PRICE * 2", "3|4.5|NULL|20|-7"},
      {"S + 1", "0|101|NULL|8|-32767"},
      {"10 - U", "5|-190|10|NULL|-245"},
      {"2147483647 + ID - 1", "2147483647|-2147483648|-2147483647|-2147483646|-2147483645"},
      {"3000000000 + ID", "3000000001|3000000002|3000000003|3000000004|3000000005"},
      // Concatenation: 'x' + 1 and name + 'x' concatenate; NULL operands drop out.
      {"'x' + 1", "x1|x1|x1|x1|x1"},
      {"NAME + 'x'", "abcx|abx|Abcx|x|a_cx"},
      {"NAME || 'x'", "abcx|abx|Abcx|x|a_cx"},
      {"1 + 2 || 'x'", "12x|12x|12x|12x|12x"},
      {"A || B", "1|220|330|40|120"},
      {"NAME || W", "abcwide|ab|AbcWx|a_c|a_c"},
      {"NAME", "abc|ab|Abc|NULL|a_c"},
      {"'it''s'", "it's|it's|it's|it's|it's"},
      // String functions.
      {"UPPER(NAME)", "ABC|AB|ABC|NULL|A_C"},
      {"LOWER(W)", "wide|NULL|wx|a_c|NULL"},
      {"UPPER(ID)", "1|2|3|4|5"},
      {"TRIM('  a b  ') || '|'", "a b||a b||a b||a b||a b|"},
      {"LTRIM('  a ') || '|'", "a ||a ||a ||a ||a |"},
      {"RTRIM('  a ') || '|'", "  a||  a||  a||  a||  a|"},
      {"LENGTH(NAME)", "3|2|3|0|3"},
      {"LENGTH(NAME || W)", "7|2|5|3|3"},
      {"POS('b' IN NAME)", "2|2|2|0|0"},
      {"POSITION('c', NAME)", "3|0|3|0|3"},
      {"POS('b' IN 'abc')", "2|2|2|2|2"},
      {"SUBSTRING(NAME FROM 2 FOR 3)", "bc|b|bc|NULL|_c"},
      {"SUBSTRING(NAME, 2, 1)", "b|b|b|NULL|_"},
      {"SUBSTRING(NAME, 2)", "bc|b|bc|NULL|_c"},
      {"SUBSTRING(NAME, 0, 2)", "ab|ab|Ab|NULL|a_"},
      {"SUBSTRING(NAME, 9)", "NULL|NULL|NULL|NULL|NULL"},
      {"SUBSTRING(W, ID - 1)", "wide|NULL|x|c|NULL"},
      // CAST.
      {"CAST(A AS VARCHAR)", "1|2|3|NULL|1"},
      {"CAST('12' AS INTEGER) + 1", "13|13|13|13|13"},
      {"CAST(PRICE AS INTEGER)", "1|2|NULL|10|-3"},
      {"CAST(ID, FLOAT) / 2", "0.5|1|1.5|2|2.5"},
      {"CAST(NULL AS INTEGER)", "NULL|NULL|NULL|NULL|NULL"},
      // Dates.
      {"TOSTRING(D, 'DD.MM.YYYY')", "07.03.2004|NULL|01.01.2005|07.03.2004|NULL"},
      {"TOSTRING(TODATE('7.3.04', 'D.M.YY'), 'YYYY-MM-DD')",
       "2004-03-07|2004-03-07|2004-03-07|2004-03-07|2004-03-07"},
      {"TOSTRING(TODATE('7.3.31', 'D.M.YY'), 'YYYY-MM-DD')",
       "1931-03-07|1931-03-07|1931-03-07|1931-03-07|1931-03-07"},
      // TOBLOB decodes once, when parsed.
      {"TOBLOB('YWJj')", "abc|abc|abc|abc|abc"},
      {"TRUE", "True|True|True|True|True"},
      {"NULL", "NULL|NULL|NULL|NULL|NULL"},
  };
  for (const ValueCase& test : cases) {
    SCOPED_TRACE(test.value);
    auto expression = ValueOf(test.value);
    ASSERT_FALSE(expression->IsEmpty());
    EXPECT_EQ(Values(*expression), test.values);
  }
}

TEST_F(ValueExpressions, ToDateGivesATimeADateOrADateTime) {
  const struct {
    const char* text;
    TKestrelStorageType type;
  } cases[] = {
      {"TODATE('12:30', 'HH24:NN')", TKestrelStorageType::kTime},
      {"TODATE('2004-03-07', 'YYYY-MM-DD')", TKestrelStorageType::kDate},
      {"TODATE('2004-03-07 12:30', 'YYYY-MM-DD HH24:NN')", TKestrelStorageType::kDateTime},
      {"TODATE('00:30 PM', 'HH:NN AMPM')", TKestrelStorageType::kTime},
  };
  const auto rows = StoredRows();
  for (const auto& test : cases) {
    SCOPED_TRACE(test.text);
    auto expression = ValueOf(test.text);
    expression->SetRecordBuffer(rows[0].data());
    EXPECT_EQ(expression->Evaluate(true)->DataType(), test.type);
  }
  auto pm = ValueOf("TOSTRING(TODATE('00:30 PM', 'HH:NN AMPM'), 'HH24:NN')");
  EXPECT_EQ(Values(*pm), "12:30|12:30|12:30|12:30|12:30");
  auto wrongWord = ValueOf("TODATE('11:00 XM', 'HH:NN AMPM')");
  EXPECT_EQ(ErrorOf([&] { wrongWord->Evaluate(); }), "30129 AM/PM word expected, but 'XM' found");
}

TEST_F(ValueExpressions, CurrentDateAndTimeAreTodayAndNow) {
  auto today = ValueOf("CURRENT_DATE");
  const TKestrelVariant* date = today->Evaluate();
  EXPECT_EQ(date->DataType(), TKestrelStorageType::kDate);
  EXPECT_EQ(date->AsDate(), platform::Today());
  for (const char* now : {"SYSDATE", "NOW", "CURRENT_TIMESTAMP"}) {
    auto expression = ValueOf(now);
    const double moment = expression->Evaluate()->AsDateTime();
    EXPECT_NEAR(moment, platform::Now(), 1.0 / 86400 * 5) << now;
  }
  auto time = ValueOf("CURRENT_TIME");
  EXPECT_EQ(time->Evaluate()->DataType(), TKestrelStorageType::kTime);
}

TEST_F(ValueExpressions, ParametersStandWhereTheirTypeFits) {
  TKestrelSQLParams params;
  params.AddParam().Name = "n";
  params.Items(0).SetAsInteger(7);
  params.AddParam().Name = "s";
  params.Items(1).SetAsString("ab");
  params.AddParam().Name = "d";
  params.Items(2).SetAsDate(platform::EncodeDate(2004, 3, 7));
  params.AddParam().Name = "flag";
  params.Items(3).SetAsBoolean(true);
  TKestrelSQLParam& empty = params.AddParam();
  empty.Name = "e";
  empty.Clear(TKestrelStorageType::kSignedInt32);

  EXPECT_EQ(Values(*ValueOf(":n + 1", &params)), "8|8|8|8|8");
  EXPECT_EQ(Values(*ValueOf(":S || 'x'", &params)), "abx|abx|abx|abx|abx");
  EXPECT_EQ(Values(*ValueOf(":e + 1", &params)), "NULL|NULL|NULL|NULL|NULL");
  EXPECT_EQ(Values(*ValueOf("TOSTRING(:d, 'YYYY')", &params)), "2004|2004|2004|2004|2004");

  // A date parameter is a date value: "= D" works, ":d + 1" stops after :d.
  const auto condition = [&](const char* text) {
    auto expression = std::make_unique<TKestrelExpression>();
    expression->BindToCursor(source_.get());
    TKestrelLexer lexer(text, &params);
    EXPECT_TRUE(lexer.NextStatement());
    expression->ParseCondition(lexer);
    TToken rest;
    EXPECT_FALSE(lexer.GetCurrentToken(rest)) << text << ": stopped at " << rest.Text;
    return expression;
  };
  EXPECT_EQ(Truths(*condition("D = :d")), "TFFTF");
  EXPECT_EQ(Truths(*condition(":flag")), "TTTTT");
  EXPECT_EQ(Truths(*condition("ACTIVE = :flag")), "TFFTF");
  EXPECT_EQ(Truths(*condition("NAME = :s")), "FTFFF");
  auto dateSum = ValueOf(":d + 1", &params);
  EXPECT_EQ(dateSum->Root()->Operator, TKestrelExprOp::kNone);  // the constant alone
}

struct TypeCase {
  const char* value;
  DT type;
  int32_t size;
};

TEST_F(ValueExpressions, DeclaredTypesAndSizes) {
  const TypeCase cases[] = {
      {"ID", DT::kInteger, 0},
      {"NAME", DT::kVarchar, 20},
      {"W", DT::kWideVarchar, 10},
      {"1", DT::kInteger, 0},
      {"3000000000", DT::kLargeInt, 0},
      {"1.5", DT::kDouble, 0},
      {"'abc'", DT::kVarchar, 3},
      {"ID + 1.5", DT::kDouble, 0},
      {"ID + S", DT::kInteger, 0},
      {"S + U", DT::kSmallInt, 0},
      {"-U", DT::kSmallInt, 0},
      {"D + 1", DT::kDate, 0},
      {"NAME || 'x'", DT::kVarchar, 21},
      {"NAME || W", DT::kWideVarchar, 30},
      {"1 || 2", DT::kVarchar, 510},
      {"UPPER(NAME)", DT::kVarchar, 20},
      {"UPPER(ID)", DT::kVarchar, 255},
      {"SUBSTRING(NAME, 2)", DT::kVarchar, 20},
      {"LENGTH(NAME)", DT::kInteger, 0},
      {"POS('a' IN NAME)", DT::kInteger, 0},
      {"CAST(ID AS VARCHAR)", DT::kVarchar, 255},
      {"CAST(NAME AS CHAR)", DT::kChar, 20},
      {"CAST(NAME AS INTEGER)", DT::kInteger, 0},
      {"TOSTRING(D, 'DD-MON-YYYY')", DT::kVarchar, 11},
      {"TODATE(NAME, 'YYYY')", DT::kDateTime, 0},
      {"SYSDATE", DT::kDateTime, 0},
      {"CURRENT_DATE", DT::kDateTime, 0},
      {"TOBLOB('YWJj')", DT::kBlob, 0},
      {"COUNT(*)", DT::kInteger, 0},
      {"COUNT(NAME)", DT::kInteger, 0},
      {"AVG(A)", DT::kDouble, 0},
      {"SUM(A)", DT::kLargeInt, 0},
      {"SUM(PRICE)", DT::kDouble, 0},
      {"MIN(NAME)", DT::kVarchar, 20},
      {"MAX(D)", DT::kDate, 0},
      {"ACTIVE", DT::kBoolean, 0},
      {"TRUE", DT::kBoolean, 0},
  };
  for (const TypeCase& test : cases) {
    SCOPED_TRACE(test.value);
    auto expression = ValueOf(test.value);
    EXPECT_EQ(expression->GetDataType(), test.type);
    EXPECT_EQ(expression->GetDataSize(), test.size);
  }
  EXPECT_EQ(ErrorOf([&] { ValueOf("ID + NOTE")->GetDataType(); }),
            "30283 Cannot determine expression type");
  TKestrelExpression unbound;
  TKestrelLexer lexer("ID", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  unbound.ParseValue(lexer);
  EXPECT_EQ(ErrorOf([&] { unbound.GetDataType(); }), "30284 Cannot determine expression type");
}

TEST_F(ValueExpressions, SingleFieldsAndTheirNames) {
  auto field = ValueOf("t.[Name]");
  ASSERT_TRUE(field->IsSingleField());
  std::string table;
  std::string name;
  field->GetFieldName(table, name);
  EXPECT_EQ(table, "t");
  EXPECT_EQ(name, "Name");
  auto computed = ValueOf("ID + 1");
  EXPECT_FALSE(computed->IsSingleField());
  EXPECT_EQ(ErrorOf([&] { computed->GetFieldName(table, name); }), "30198 Node is not field");
}

TEST_F(ValueExpressions, NothingToParseLeavesTheExpressionEmptyAndTheCursorInPlace) {
  TKestrelExpression expression;
  TKestrelLexer lexer("FROM t", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  expression.ParseValue(lexer);
  EXPECT_TRUE(expression.IsEmpty());
  EXPECT_EQ(lexer.GetCurrentTokenNo(), 0);
  // t.* is no value either: the statement layer reads it as a select item.
  TKestrelLexer star("t.*", nullptr);
  ASSERT_TRUE(star.NextStatement());
  expression.ParseValue(star);
  EXPECT_TRUE(expression.IsEmpty());
  EXPECT_EQ(star.GetCurrentTokenNo(), 0);
}

}  // namespace
}  // namespace kestrel
