// Conditions over the fixture table: each case is a filter text and the
// truth it has on the five rows (T true, F false, N NULL), which covers the
// NULL rules of comparisons, NOT, AND, OR, IN, BETWEEN, LIKE and IS, the
// fast comparison paths against the value comparison, and the options of
// filters (case-insensitive, partial) and key lookups.

#include <gtest/gtest.h>

#include "kestrel/sql/tests/expressions/expression_fixture.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

struct TruthCase {
  const char* condition;
  const char* truths;
};

class Conditions : public ExpressionFixture {};

TEST_F(Conditions, TruthOnEveryRow) {
  const TruthCase cases[] = {
      // Comparisons never give NULL: a NULL side makes <> true, the others false.
      {"A = 1", "TFFFT"},
      {"A <> 1", "FTTTF"},
      {"A <> NULL", "TTTTT"},
      {"A = NULL", "FFFFF"},
      {"NULL = NULL", "FFFFF"},
      {"NULL <> NULL", "TTTTT"},
      {"A >= 2", "FTTFF"},
      {"A <= 2", "TTFFT"},
      {"NOT (A = 1)", "FTTTF"},
      {"A IS NULL", "FFFTF"},
      {"A IS NOT NULL", "TTTFT"},
      // Three-valued NOT, AND, OR (NAME is NULL on row 4, where ID is 4).
      {"NAME LIKE 'x%' OR ID = 4", "FFFTF"},
      {"NAME LIKE 'x%' AND ID = 4", "FFFNF"},
      {"NOT (NAME LIKE 'x%')", "TTTNT"},
      {"NOT NAME LIKE 'x%'", "TTTNT"},
      {"NAME LIKE 'x%' OR NAME LIKE 'y%'", "FFFNF"},
      {"ID = 1 OR ID = 5 OR ID = 3", "TFTFT"},
      {"ID > 2 AND ID < 5", "FFTTF"},
      {"(ID > 2 AND ID < 5) AND A = 3", "FFTFF"},
      {"ID = 1 OR ID = 2 AND A = 3", "TFFFF"},
      // BETWEEN and IN.
      {"A BETWEEN 1 AND 2", "TTFNT"},
      {"A NOT BETWEEN 1 AND 2", "FFTNF"},
      {"A BETWEEN 1 AND NULL", "NNNNN"},
      {"A IN (1, 3)", "TFTNT"},
      {"A IN (1 3)", "TFTNT"},
      {"A NOT IN (1, 3)", "FTFNF"},
      {"A IN (NULL, 2)", "FTFNF"},
      {"A IN (ID, 99)", "TTTNF"},
      // LIKE: case-sensitive, "%" any run, "_" one character, no escape.
      {"NAME LIKE 'ab%'", "TTFNF"},
      {"NAME LIKE 'a_c'", "TFFNT"},
      {"NAME LIKE '%'", "TTTNT"},
      {"NAME LIKE '%%'", "TTTNT"},
      {"NAME LIKE '%c'", "TFTNT"},
      {"NAME LIKE '%b%'", "TTTNF"},
      {"NAME LIKE '_'", "FFFNF"},
      {"NAME LIKE '___'", "TFTNT"},
      {"NAME NOT LIKE 'ab%'", "FFTNT"},
      {"'' LIKE '%'", "TTTTT"},
      {"NAME LIKE NULL", "NNNNN"},
      {"W LIKE 'w%'", "TNFFN"},
      {"W LIKE '%\\_%'", "FNFFN"},
      {"W LIKE 'a_c'", "FNFTN"},
      {"NOTE LIKE 'memo%'", "TNFNT"},
      // Booleans, TRUE/FALSE and IS TRUE / FALSE / UNKNOWN.
      {"ACTIVE = TRUE", "TFFTF"},
      {"TRUE = ACTIVE", "TFFTF"},
      {"ACTIVE <> FALSE", "TFTTF"},
      {"TRUE", "TTTTT"},
      {"NOT FALSE", "TTTTT"},
      {"A = 1 IS TRUE", "TFFFT"},
      {"A = 1 IS NOT TRUE", "FTTTF"},
      {"A = 1 IS FALSE", "FTTTF"},
      {"A = 1 IS NOT FALSE", "TFFFT"},
      {"(NAME LIKE 'a%') IS UNKNOWN", "FFFTF"},
      {"(NAME LIKE 'a%') IS NOT UNKNOWN", "TTTFT"},
      // Arithmetic and mixed types on both sides.
      {"2 < (A + 1)", "FTTFF"},
      {"A - B - 1 < 0", "FTTFT"},
      {"A + B > 30", "FFTFF"},
      {"A * 2 + B >= 24", "FTTFF"},
      {"ID / 2 = 1", "FTTFF"},
      {"-ID * 2 = -4", "FTFFF"},
      {"PRICE > 2", "FTFTF"},
      {"PRICE > A", "TTFFF"},
      {"A < PRICE", "TTFFF"},
      {"S < U", "TTFFT"},
      {"U - 10 < 0", "TFTFF"},
      {"ID = 2.0", "FTFFF"},
      {"ID + 0.5 > 3", "FFTTT"},
      {"ID = '3'", "FFTFF"},
      {"3000000000 > ID", "TTTTT"},
      // Texts by the locale's collation; wide against narrow; memo as text.
      {"NAME = 'ABC'", "FFFFF"},
      {"NAME = 'ab*'", "FFFFF"},
      {"NAME > 'ab'", "TFTFF"},
      {"W = 'wide'", "TFFFF"},
      {"NOTE = 'other'", "FFTFF"},
      {"NAME || 'x' = 'abx'", "FTFFF"},
      {"UPPER(NAME) = 'ABC'", "TFTFF"},
      // Dates.
      {"D = TODATE('2004-03-07', 'YYYY-MM-DD')", "TFFTF"},
      {"D > TODATE('1.1.2005', 'D.M.YYYY') OR D IS NULL", "FTFFT"},
      {"TOSTRING(D, 'YYYY') = '2004'", "TFFTF"},
  };
  for (const TruthCase& test : cases) {
    SCOPED_TRACE(test.condition);
    auto expression = Filter(test.condition);
    EXPECT_EQ(Truths(*expression), test.truths);
  }
}

TEST_F(Conditions, FilterOptionsIgnoreCaseAndCompareStarredConstantsAsPrefixes) {
  EXPECT_EQ(Truths(*Filter("NAME = 'ABC'", false, true)), "TFTFF");
  EXPECT_EQ(Truths(*Filter("NAME IN ('AB', 'x')", false, true)), "FTFNF");
  EXPECT_EQ(Truths(*Filter("NAME = 'ab*'", true)), "TTFFF");
  EXPECT_EQ(Truths(*Filter("NAME = 'AB*'", true, true)), "TTTFF");
  EXPECT_EQ(Truths(*Filter("'ab*' = NAME", true)), "TTFFF");
  // A lone "*" leaves an empty prefix, which every text has.
  EXPECT_EQ(Truths(*Filter("NAME = '*'", true)), "TTTFT");
}

TEST_F(Conditions, EvaluateConditionCountsNullAsFalseAndEvaluateTurnsItIntoFalse) {
  auto expression = Filter("NAME LIKE 'x%' AND ID = 4");
  const auto rows = StoredRows();
  expression->SetRecordBuffer(rows[3].data());
  EXPECT_FALSE(expression->EvaluateCondition());
  EXPECT_TRUE(expression->Evaluate(true)->IsNull());
  const TKestrelVariant* asFalse = expression->Evaluate(false);
  ASSERT_FALSE(asFalse->IsNull());
  EXPECT_FALSE(asFalse->AsBoolean());

  TKestrelExpression empty;
  EXPECT_EQ(empty.Evaluate(), nullptr);
  EXPECT_EQ(ErrorOf([&] { empty.EvaluateCondition(); }), "30110 Value is Null");
}

TEST_F(Conditions, ColumnsNeedARecordBufferAndABinding) {
  auto expression = Filter("A = 1");
  EXPECT_EQ(ErrorOf([&] { expression->EvaluateCondition(); }), "30196 Dataset and AO not assigned");
  TKestrelExpression unbound;
  TKestrelLexer lexer("A = 1", nullptr);
  ASSERT_TRUE(lexer.NextStatement());
  unbound.ParseCondition(lexer);
  EXPECT_EQ(ErrorOf([&] { unbound.EvaluateCondition(); }), "30196 Dataset and AO not assigned");
  EXPECT_EQ(ErrorOf([&] { unbound.BindToCursor(nullptr); }), "30202 Value is Null");
  EXPECT_EQ(ErrorOf([&] { Filter("NOPE = 1"); }), "30115 Field 'NOPE' not found");
}

TEST_F(Conditions, EvaluationErrorsLeaveTheExpressionUsable) {
  auto like = Filter("ID LIKE '1%'");
  const auto rows = StoredRows();
  like->SetRecordBuffer(rows[0].data());
  EXPECT_EQ(ErrorOf([&] { like->EvaluateCondition(); }),
            "30120 Not string argument in function 'LIKE'");
  auto divide = Filter("10 / (A - 1) > 1");
  divide->SetRecordBuffer(rows[0].data());
  EXPECT_EQ(ErrorOf([&] { divide->EvaluateCondition(); }),
            "30128 Division error: Division by zero");
  divide->SetRecordBuffer(rows[1].data());
  EXPECT_TRUE(divide->EvaluateCondition());
  auto incompatible = Filter("NOTE = TOBLOB('YWJj')");
  incompatible->SetRecordBuffer(rows[0].data());
  EXPECT_EQ(ErrorOf([&] { incompatible->EvaluateCondition(); }),
            "30044 Cannot compare Incompatible DataTypes: 'MEMO' and 'BLOB'");
}

TEST_F(Conditions, ParsedAndsUnderARootAndAreMerged) {
  auto expression = Filter("A = 1 AND (B = 2 AND (ID = 3 AND ID = 4)) AND NAME = 'x'");
  ASSERT_EQ(expression->Root()->Operator, TKestrelExprOp::kAnd);
  EXPECT_EQ(expression->Root()->Children.size(), 5u);
  auto orNested = Filter("A = 1 OR B = 2 OR ID = 3");
  ASSERT_EQ(orNested->Root()->Operator, TKestrelExprOp::kOr);
  EXPECT_EQ(orNested->Root()->Child(0).Operator, TKestrelExprOp::kOr);  // nests to the left
}

TEST_F(Conditions, OperatorBindingsReadTheCurrentRowThroughTheSource) {
  TableColumnSource rows(*table_, false);
  auto expression = std::make_unique<TKestrelExpression>();
  expression->ParseFilter(&rows, "A + B > 30 OR NAME LIKE 'a_c'", false, false);
  std::string truths;
  for (const auto& row : StoredRows()) {
    rows.SetCurrent(row.data());
    truths += expression->EvaluateCondition() ? 'T' : 'F';
  }
  EXPECT_EQ(truths, "TFTFT");
}

struct LookupCase {
  const char* fields;
  std::vector<Cell> keys;
  bool partial;
  bool caseInsensitive;
  const char* truths;
};

TEST_F(Conditions, KeyLookupsCompareWithNullEqualToNull) {
  const Cell null;
  const LookupCase cases[] = {
      {"ID", {"3"}, false, false, "FFTFF"},   {" a ; name ", {"1", "a_c"}, false, false, "FFFFT"},
      {"A", {null}, false, false, "FFFTF"},   {"NAME", {"Ab"}, true, true, "TTTFF"},
      {"NAME", {"ab"}, true, false, "TTFFF"}, {"PRICE", {"2.25"}, false, false, "FTFFF"},
  };
  for (const LookupCase& test : cases) {
    SCOPED_TRACE(test.fields);
    std::vector<TKestrelVariant> keys;
    for (const Cell& key : test.keys) {
      TKestrelVariant value(TKestrelStorageType::kString);
      if (key) {
        value.SetAsString(*key);
      }
      keys.push_back(value);
    }
    TKestrelExpression lookup;
    lookup.BuildLookup(source_.get(), test.fields, keys, test.partial, test.caseInsensitive);
    EXPECT_FALSE(lookup.SqlNulls());
    EXPECT_EQ(Truths(lookup), test.truths);
  }
  TKestrelExpression mismatch;
  const TKestrelVariant one[] = {TKestrelVariant(TKestrelStorageType::kString)};
  EXPECT_EQ(ErrorOf([&] { mismatch.BuildLookup(source_.get(), "A;B", one, false, false); }),
            "30112 Count of FieldNames (2) not equal counts of KeyValues (1)");
}

}  // namespace
}  // namespace kestrel
