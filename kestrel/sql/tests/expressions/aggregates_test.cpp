// Aggregates over groups of fixture rows, with and without DISTINCT, and
// the temporary tables DISTINCT keeps its values in.

#include <gtest/gtest.h>

#include "kestrel/sql/tests/expressions/expression_fixture.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

class Aggregates : public ExpressionFixture {
 protected:
  // The aggregate's value over the rows with the given numbers (1-based),
  // as text ("NULL" for NULL).
  std::string Over(TKestrelExpression& expression, const std::vector<int>& rowNumbers) {
    const auto rows = StoredRows();
    expression.ResetAggregate();
    for (const int number : rowNumbers) {
      expression.SetRecordBuffer(rows[static_cast<std::size_t>(number - 1)].data());
      expression.Accumulate();
    }
    const TKestrelVariant* value = expression.Evaluate(true);
    return value->IsNull() ? "NULL" : value->AsString();
  }

  const std::vector<int> all_ = {1, 2, 3, 4, 5};
};

TEST_F(Aggregates, OverAllRowsAndOverNullsOnly) {
  const struct {
    const char* aggregate;
    const char* all;
    const char* firstRow;  // B is NULL there
  } cases[] = {
      {"COUNT(*)", "5", "1"},
      {"COUNT(A)", "4", "1"},
      {"COUNT(B)", "4", "0"},
      {"SUM(A)", "7", "1"},
      {"SUM(B)", "110", "NULL"},
      {"AVG(A)", "1.75", "1"},
      {"AVG(B)", "27.5", "NULL"},
      {"MIN(A)", "1", "1"},
      {"MAX(B)", "40", "NULL"},
      {"SUM(PRICE)", "10.25", "1.5"},
      {"MIN(NAME)", "a_c", "abc"},
      {"MAX(NAME)", "Abc", "abc"},
      {"COUNT(DISTINCT A)", "3", "1"},
      {"COUNT(DISTINCT B)", "3", "0"},
      {"SUM(DISTINCT B)", "90", "NULL"},
      {"AVG(DISTINCT B)", "30", "NULL"},
      {"COUNT(DISTINCT NAME)", "4", "1"},
      {"COUNT(DISTINCT UPPER(NAME))", "3", "1"},
      {"COUNT(DISTINCT D)", "2", "1"},
      {"DISTINCT COUNT(ACTIVE)", "", ""},
      {"SUM(A) * 2 + COUNT(*)", "19", "3"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.aggregate);
    auto expression = ValueOf(test.aggregate);
    if (*test.all == 0) {
      EXPECT_TRUE(expression->IsEmpty());
      continue;
    }
    ASSERT_TRUE(expression->HasAggregate());
    EXPECT_EQ(Over(*expression, all_), test.all);
    EXPECT_EQ(Over(*expression, {1}), test.firstRow);
  }
}

TEST_F(Aggregates, DistinctCountsEachValueOnceAndResetsPerGroup) {
  auto sum = ValueOf("SUM(DISTINCT A)");
  EXPECT_EQ(Over(*sum, {1, 2, 5}), "3");  // 1, 2, 1
  EXPECT_EQ(Over(*sum, {1, 5}), "1");
  EXPECT_EQ(Over(*sum, {}), "NULL");
  auto count = ValueOf("COUNT(*)");
  EXPECT_EQ(Over(*count, {}), "0");
}

TEST_F(Aggregates, SumsDoNotWrapAtThirtyTwoBits) {
  auto sum = ValueOf("SUM(A + 2147483600)");
  EXPECT_EQ(sum->GetDataType(), TKestrelDataType::kLargeInt);
  EXPECT_EQ(Over(*sum, {1, 2}), "4294967203");
}

TEST_F(Aggregates, SumAndAvgNeedNumbers) {
  auto sum = ValueOf("SUM(NAME)");
  EXPECT_EQ(ErrorOf([&] { Over(*sum, all_); }),
            "30132 Not numeric argument in numeric operator 'SUM'");
  auto average = ValueOf("AVG(D)");
  EXPECT_EQ(ErrorOf([&] { Over(*average, all_); }),
            "30133 Not numeric argument in numeric operator 'AVG'");
}

TEST_F(Aggregates, DistinctTablesLiveInTheTemporaryDatabaseWhileTheNodeLives) {
  TKestrelTemporaryDatabaseData temporary;
  {
    auto expression = std::make_unique<TKestrelExpression>();
    expression->SetTemporaryDatabase(&temporary);
    expression->BindToCursor(source_.get());
    TKestrelLexer lexer("COUNT(DISTINCT A) + COUNT(DISTINCT B)", nullptr);
    ASSERT_TRUE(lexer.NextStatement());
    expression->ParseValue(lexer);
    EXPECT_EQ(Over(*expression, all_), "6");
    std::vector<std::string> names;
    temporary.GetTableNames(names);
    ASSERT_EQ(names.size(), 2u);
    for (const std::string& name : names) {
      EXPECT_EQ(name.rfind("TEMPORARY_TABLE_", 0), 0u) << name;
      const TKestrelTableData& table = *temporary.FindTableData(name);
      EXPECT_EQ(table.FieldDefs().Items(0)->Name, "Expr");
      EXPECT_EQ(table.FieldDefs().Items(0)->DataType(), TKestrelDataType::kInteger);
      EXPECT_EQ(table.GetRecordCount(), 3);
    }
    EXPECT_EQ(Over(*expression, {2}), "2");  // a new group starts new tables
    names.clear();
    temporary.GetTableNames(names);
    EXPECT_EQ(names.size(), 2u);
  }
  EXPECT_EQ(temporary.TableCount(), 0);
}

TEST_F(Aggregates, LongTextsWidenTheDistinctField) {
  const std::string longText(300, 'x');
  const Cell null;
  AddRow({"6", null, null, null, null, null, null, null, null, null, longText});
  AddRow({"7", null, null, null, null, null, null, null, null, null, longText + "y"});
  AddRow({"8", null, null, null, null, null, null, null, null, null, longText});
  // CAST of a memo declares 255 characters; the values need more.
  EXPECT_EQ(ValueOf("CAST(NOTE AS VARCHAR)")->GetDataSize(), 255);
  auto count = ValueOf("COUNT(DISTINCT CAST(NOTE AS VARCHAR))");
  EXPECT_EQ(Over(*count, {1, 3, 5, 6, 7, 8}), "5");
}

}  // namespace
}  // namespace kestrel
