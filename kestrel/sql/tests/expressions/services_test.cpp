// Subqueries and LASTAUTOINC, the parts of an expression that reach beyond
// its tree: the subquery text rebuilt from its tokens, what happens without
// a runner, how the subquery nodes use a runner, and LASTAUTOINC over a real
// table's sequence through a table opener.

#include <gtest/gtest.h>

#include "kestrel/sql/expressions/nodes_subquery.h"
#include "kestrel/sql/tests/expressions/expression_fixture.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

// Answers every subquery with a fixed first column and records what it was
// asked. (Queries come with the statement layer; this runner only feeds the
// nodes.)
class ListRunner : public TKestrelSubQueryRunner {
 public:
  class Query : public TKestrelSubQuery {
   public:
    explicit Query(ListRunner& runner) : runner_(runner) {}
    void Open() override {
      ++runner_.opens;
      row_ = 0;
    }
    void Close() override { ++runner_.closes; }
    bool Eof() const override { return row_ >= runner_.rows.size(); }
    void Next() override { ++row_; }
    void ReadFirstColumn(TKestrelVariant& value) override { value = runner_.rows[row_]; }
    bool LocateFirstColumn(const TKestrelVariant& value) override {
      for (const TKestrelVariant& row : runner_.rows) {
        if (row.Compare(value, false, false, false) == TKestrelCompareCode::kEqual) {
          return true;
        }
      }
      return false;
    }
    TKestrelDataType FirstColumnDataType() override { return TKestrelDataType::kInteger; }
    int32_t FirstColumnSize() override { return 0; }

   private:
    ListRunner& runner_;
    std::size_t row_ = 0;
  };

  std::unique_ptr<TKestrelSubQuery> CreateSubQuery(
      const std::string& sqlText, const TKestrelSubQueryContext& context) override {
    texts.push_back(sqlText);
    contexts.push_back(context);
    return std::make_unique<Query>(*this);
  }

  void SetRows(std::initializer_list<std::optional<int32_t>> values) {
    rows.clear();
    for (const auto& value : values) {
      TKestrelVariant row(TKestrelStorageType::kSignedInt32);
      if (value) {
        row.SetAsInteger(*value);
      }
      rows.push_back(row);
    }
  }

  std::vector<TKestrelVariant> rows;
  std::vector<std::string> texts;
  std::vector<TKestrelSubQueryContext> contexts;
  int opens = 0;
  int closes = 0;
};

class Services : public ExpressionFixture {
 protected:
  std::unique_ptr<TKestrelExpression> Condition(const std::string& text,
                                                TKestrelSubQueryRunner* runner,
                                                const TKestrelSQLParams* params = nullptr) {
    auto expression = std::make_unique<TKestrelExpression>();
    expression->SetSubQueryRunner(runner);
    expression->SetDatabaseName("DB");
    expression->SetSessionName("S1");
    expression->SetQueryParams(params);
    expression->BindToCursor(source_.get());
    TKestrelLexer lexer(text, params);
    EXPECT_TRUE(lexer.NextStatement());
    expression->ParseCondition(lexer);
    return expression;
  }
};

TEST_F(Services, SubqueryTextIsRebuiltFromItsTokens) {
  TKestrelSQLParams params;
  params.AddParam().Name = "p";
  ListRunner runner;
  Condition(
      "A IN (select [my col], \"it's\" FROM t WHERE t.x = :p AND (y > 1) /* c */ AND t.* <> 2)",
      &runner, &params);
  Condition("EXISTS (SELECT 1 FROM [a]]b] WHERE n = 'x')", &runner);
  Condition("A = (SELECT MAX(a) FROM t)", &runner);
  ASSERT_EQ(runner.texts.size(), 3u);
  EXPECT_EQ(runner.texts[0],
            "select [my col] , 'it''s' FROM t WHERE t.x = :p AND ( y > 1 ) AND t.* <> 2");
  EXPECT_EQ(runner.texts[1], "SELECT 1 FROM [a]]b] WHERE n = 'x'");
  EXPECT_EQ(runner.texts[2], "SELECT MAX ( a ) FROM t");
  EXPECT_EQ(runner.contexts[0].DatabaseName, "DB");
  EXPECT_EQ(runner.contexts[0].SessionName, "S1");
  EXPECT_EQ(runner.contexts[0].OuterParams, &params);
  EXPECT_EQ(runner.opens, 0);  // nothing runs while parsing
}

TEST_F(Services, WithoutARunnerSubqueriesParseButDoNotRun) {
  const auto rows = StoredRows();
  auto scalar = Condition("A = (SELECT MAX(a) FROM t)", nullptr);
  const auto& node = dynamic_cast<const TKestrelExprNodeSubQuery&>(scalar->Root()->Child(1));
  EXPECT_EQ(node.SqlText(), "SELECT MAX ( a ) FROM t");
  EXPECT_FALSE(node.HasQuery());
  scalar->SetRecordBuffer(rows[0].data());
  const std::string unavailable =
      "10852 Subqueries are not available: no query runner is installed";
  EXPECT_EQ(ErrorOf([&] { scalar->EvaluateCondition(); }), unavailable);
  EXPECT_EQ(ErrorOf([&] { node.GetDataType(); }), unavailable);
  auto in = Condition("A NOT IN (SELECT a FROM t)", nullptr);
  in->SetRecordBuffer(rows[0].data());
  EXPECT_EQ(ErrorOf([&] { in->EvaluateCondition(); }), unavailable);
  auto exists = Condition("NOT EXISTS (SELECT a FROM t)", nullptr);
  EXPECT_EQ(ErrorOf([&] { exists->EvaluateCondition(); }), unavailable);
}

TEST_F(Services, AScalarSubqueryRunsOnceAndNeedsExactlyOneRow) {
  ListRunner runner;
  runner.SetRows({2});
  auto scalar = Condition("A = (SELECT MAX(a) FROM t)", &runner);
  EXPECT_EQ(Truths(*scalar), "FTFFF");
  EXPECT_EQ(runner.opens, 1);
  EXPECT_EQ(runner.closes, 1);

  const auto rows = StoredRows();
  runner.SetRows({});
  auto none = Condition("A = (SELECT a FROM t WHERE 1 = 0)", &runner);
  none->SetRecordBuffer(rows[0].data());
  EXPECT_EQ(ErrorOf([&] { none->EvaluateCondition(); }), "10848 Subquery returns no rows");
  runner.SetRows({1, 2});
  auto many = Condition("A = (SELECT a FROM t)", &runner);
  many->SetRecordBuffer(rows[0].data());
  EXPECT_EQ(ErrorOf([&] { many->EvaluateCondition(); }), "10849 Subquery returns multiple rows");
}

TEST_F(Services, InAndExistsSubqueriesAreNeverNull) {
  ListRunner runner;
  runner.SetRows({1, 3, std::nullopt});
  auto in = Condition("A IN (SELECT a FROM t)", &runner);
  EXPECT_EQ(Truths(*in), "TFTTT");  // the NULL of row 4 finds the NULL row
  EXPECT_EQ(runner.opens, 1);       // opened once and kept open
  auto notIn = Condition("B NOT IN (SELECT a FROM t)", &runner);
  EXPECT_EQ(Truths(*notIn), "FTTTT");

  runner.SetRows({});
  auto exists = Condition("EXISTS (SELECT a FROM t)", &runner);
  EXPECT_EQ(Truths(*exists), "FFFFF");
  auto notExists = Condition("NOT EXISTS (SELECT a FROM t)", &runner);
  EXPECT_EQ(Truths(*notExists), "TTTTT");
}

// Opens the tables of one memory database for one session.
class DatabaseTableOpener : public TKestrelTableOpener {
 public:
  class Opened : public TKestrelOpenedTable {
   public:
    Opened(TKestrelTableData& table, int64_t sessionID) : table_(table), sessionID_(sessionID) {}
    bool FindField(std::string_view fieldName, int32_t& fieldNo,
                   TKestrelDataType& dataType) const override {
      fieldNo = table_.FieldDefs().IndexOf(fieldName);
      if (fieldNo < 0) {
        return false;
      }
      dataType = table_.FieldDefs().Items(fieldNo)->DataType();
      return true;
    }
    int64_t LastAutoIncValue(int32_t fieldNo) override {
      const TKestrelFieldDef& field = *table_.FieldDefs().Items(fieldNo);
      return table_.SequenceManager().LastValue(field.SequenceID, sessionID_);
    }

   private:
    TKestrelTableData& table_;
    int64_t sessionID_;
  };

  DatabaseTableOpener(TKestrelDatabaseData& database, int64_t sessionID)
      : database_(database), sessionID_(sessionID) {}

  std::unique_ptr<TKestrelOpenedTable> OpenReadOnly(std::string_view databaseName,
                                                    std::string_view sessionName,
                                                    std::string_view tableName,
                                                    bool inMemory) override {
    asked = std::string(databaseName) + "/" + std::string(sessionName) + "/" +
            std::string(tableName) + (inMemory ? "/memory" : "");
    TKestrelTableData* table = database_.FindTableData(std::string(tableName));
    if (table == nullptr) {
      throw EKestrelException("Table not found, table name = %s", {tableName}, 30001);
    }
    return std::make_unique<Opened>(*table, sessionID_);
  }

  std::string asked;

 private:
  TKestrelDatabaseData& database_;
  int64_t sessionID_;
};

TEST_F(Services, LastAutoIncReadsTheSessionsLastValue) {
  TKestrelFieldDefs fields;
  fields.AddField("ID", TKestrelDataType::kAutoInc)->InitialValue = 40;
  TKestrelTableData& sequenced = database_.CreateTableData("SEQ", 10);
  sequenced.CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());

  DatabaseTableOpener opener(database_, 7);
  const auto parse = [&](const std::string& text) {
    auto expression = std::make_unique<TKestrelExpression>();
    expression->SetTableOpener(&opener);
    expression->SetDatabaseName("DB");
    expression->SetSessionName("S7");
    TKestrelLexer lexer(text, nullptr);
    EXPECT_TRUE(lexer.NextStatement());
    expression->ParseValue(lexer);
    return expression;
  };
  auto last = parse("LASTAUTOINC(seq, id)");
  EXPECT_EQ(opener.asked, "DB/S7/seq");
  EXPECT_EQ(last->GetDataType(), TKestrelDataType::kAutoInc);
  EXPECT_EQ(ErrorOf([&] { last->Evaluate(); }).substr(0, 6), "30012 ");

  std::vector<uint8_t> record(static_cast<std::size_t>(sequenced.RecordSize()));
  for (int64_t session : {7, 8, 7}) {
    sequenced.InitRecord(record.data(), true, true, session);
    TKestrelRecordID id;
    ASSERT_TRUE(sequenced.InsertRecord(record.data(), id, 1));
  }
  EXPECT_EQ(last->Evaluate()->AsInteger(), 43);  // session 8 drew 42
  EXPECT_EQ(last->Evaluate()->DataType(), TKestrelStorageType::kSignedInt32);

  parse("LASTAUTOINC(MEMORY SEQ, ID) + 1");
  EXPECT_EQ(opener.asked, "DB/S7/SEQ/memory");
  EXPECT_EQ(ErrorOf([&] { parse("LASTAUTOINC(SEQ, NOPE)"); }), "30337 Field 'NOPE' not found");
  EXPECT_EQ(ErrorOf([&] { parse("LASTAUTOINC(SEQ ID)"); }),
            "30334 Token ',' expected, but 'ID' found at line 1, column 17");
  EXPECT_EQ(ErrorOf([&] { parse("LASTAUTOINC(SEQ, ID X)"); }),
            "30089 Token ')' expected, but 'X' found at line 1, column 21");
  EXPECT_EQ(ErrorOf([&] { parse("LASTAUTOINC(NONE, ID)"); }),
            "30001 Table not found, table name = NONE");
}

}  // namespace
}  // namespace kestrel
