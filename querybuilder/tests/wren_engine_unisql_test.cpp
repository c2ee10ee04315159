// The engine over the uniform data access, against the test run's MariaDB
// server: table and field lists, database choice, and generated statements
// run for real, rows checked.

#include "querybuilder/wren_engine_unisql.h"

#include <gtest/gtest.h>

#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"
#include "querybuilder/clause_builder.h"
#include "querybuilder/query_file.h"
#include "querybuilder/tests/model_testing.h"
#include "uniaccess/testing/mysql_test_server.h"

namespace querybuilder {
namespace {

using platform::DialogButton;
using platform::testing::ScriptedUserDialogs;
using Rows = std::vector<std::vector<std::string>>;

TEST(ListedTableNames, KeepInnerBlanksAndLoseWhatFollowsAControlCharacter) {
  const std::pair<const char*, const char*> cases[] = {
      {"orders", "orders"}, {"order items", "order items"},
      {"name  ", "name"},   {"t\tx", "t"},
      {"a\r\n", "a"},       {" lead", " lead"},
      {"\x7F", ""},
  };
  for (const auto& [listed, name] : cases)
    EXPECT_EQ(ListedTableName(listed), name) << listed;
}

class WrenEngineUnisql : public uniaccess::testing::MysqlTest {
 protected:
  void SetUp() override {
    MysqlTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    Run("create table Customers (id int, name varchar(20), city_id int)");
    Run("create table orders (id int, customer_id int, total int)");
    Run("create table cities (id int, name varchar(20))");
    Run("insert into Customers values (1,'Ann',10),(2,'Bob',20),(3,'Cyd',10)");
    Run("insert into orders values (100,1,5),(101,1,7),(102,2,50)");
    Run("insert into cities values (10,'Pécs'),(20,'Győr')");
    engine_ = std::make_unique<TWrenEngineUNISQL>();
    Configure(engine_->Database());
    engine_->SetDatabaseName(database_);
    engine_->ReadTableList();
    engine_->GenerateAliases();
    model_ = std::make_unique<QueryModel>(*engine_);
    steps_ = std::make_unique<testing::ModelSteps>(*model_);
  }
  void TearDown() override {
    steps_.reset();
    model_.reset();
    engine_.reset();
    MysqlTest::TearDown();
  }

  // Generates the statement, runs it as the Run command does and returns
  // the rows of the result as texts.
  Rows RunGenerated(std::string* sqlOut = nullptr) {
    std::string sql;
    EXPECT_TRUE(GenerateQuerySql(*model_, *engine_, sql));
    if (sqlOut != nullptr)
      *sqlOut = sql;
    engine_->CloseResultQuery();
    engine_->SetQuerySQL(sql);
    engine_->OpenResultQuery();
    dataset::TDataSet& result = *engine_->ResultQuery();
    EXPECT_TRUE(result.Active()) << sql;
    Rows rows;
    for (result.First(); !result.Eof(); result.Next()) {
      std::vector<std::string> row;
      for (int i = 0; i < result.FieldCount(); ++i)
        row.push_back(result.Fields(i).IsNull() ? "NULL" : result.Fields(i).AsString());
      rows.push_back(std::move(row));
    }
    EXPECT_EQ(engine_->RowCount(), static_cast<int>(rows.size()));
    return rows;
  }

  ScriptedUserDialogs dialogs_;
  std::unique_ptr<TWrenEngineUNISQL> engine_;
  std::unique_ptr<QueryModel> model_;
  std::unique_ptr<testing::ModelSteps> steps_;
};

TEST_F(WrenEngineUnisql, TheTableListGetsOneAliasPerTable) {
  Run("create table Cars (id int)");
  Run("drop table orders");
  engine_->ReadTableList();
  engine_->GenerateAliases();
  const platform::StringList& tables = engine_->TableList();
  ASSERT_EQ(tables.Count(), 3u);
  // Every name starts with a "c" of one case or the other, so in any
  // listing order the aliases are that letter, then with 2 and 3.
  for (std::size_t i = 0; i < tables.Count(); ++i) {
    const std::string expected = tables[i].substr(0, 1) + (i == 0 ? "" : std::to_string(i + 1));
    EXPECT_EQ(engine_->AliasList()[i], expected) << tables[i];
  }
}

TEST_F(WrenEngineUnisql, FieldListsComeFromTheTableAndAMissingTableGivesTheAllEntryAlone) {
  engine_->ReadFieldList("Customers");
  EXPECT_EQ(engine_->FieldList().Items(), (std::vector<std::string>{"*", "id", "name", "city_id"}));
  dialogs_.AnswerMessage(DialogButton::kOk);
  engine_->ReadFieldList("gone");
  EXPECT_EQ(engine_->FieldList().Items(), std::vector<std::string>{"*"});
  ASSERT_EQ(dialogs_.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_.MessageTexts()[0].rfind("MySQL Error /", 0), 0u) << dialogs_.MessageTexts()[0];
}

TEST_F(WrenEngineUnisql, TwoInnerLinksJoinThreeTables) {
  TWrenTable& customers = steps_->Box("Customers");
  TWrenTable& orders = steps_->Box("orders");
  TWrenTable& cities = steps_->Box("cities");
  steps_->Check(customers, "name");
  steps_->Check(cities, "name");
  model_->SetSort(steps_->Check(orders, "total"), TWrenSort::kAsc);
  steps_->Link(orders, "customer_id", customers, "id");
  steps_->Link(customers, "city_id", cities, "id");
  std::string sql;
  EXPECT_EQ(RunGenerated(&sql),
            (Rows{{"Ann", "Pécs", "5"}, {"Ann", "Pécs", "7"}, {"Bob", "Győr", "50"}}));
  EXPECT_EQ(sql,
            "SELECT  c.name, c2.name, o.total\r\n"
            "FROM  Customers c, orders o, cities c2\r\n"
            "WHERE  o.customer_id=c.id AND c.city_id=c2.id\r\n"
            "ORDER BY  o.total");
}

TEST_F(WrenEngineUnisql, ALeftOuterLinkKeepsCustomersWithoutOrders) {
  TWrenTable& customers = steps_->Box("Customers");
  TWrenTable& orders = steps_->Box("orders");
  model_->SetSort(steps_->Check(customers, "name"), TWrenSort::kAsc);
  model_->SetSort(steps_->Check(orders, "id"), TWrenSort::kAsc);
  steps_->Link(customers, "id", orders, "customer_id", TWrenJoinType::kLeftOuter);
  EXPECT_EQ(RunGenerated(),
            (Rows{{"Ann", "100"}, {"Ann", "101"}, {"Bob", "102"}, {"Cyd", "NULL"}}));
}

TEST_F(WrenEngineUnisql, OuterLinksSharingATableRunAsOneJoin) {
  TWrenTable& orders = steps_->Box("orders");
  TWrenTable& customers = steps_->Box("Customers");
  TWrenTable& cities = steps_->Box("cities");
  model_->SetSort(steps_->Check(cities, "name"), TWrenSort::kAsc);
  model_->SetSort(steps_->Check(customers, "name"), TWrenSort::kAsc);
  model_->SetSort(steps_->Check(orders, "total"), TWrenSort::kAsc);
  steps_->Link(orders, "customer_id", customers, "id", TWrenJoinType::kRightOuter);
  steps_->Link(cities, "id", customers, "city_id", TWrenJoinType::kLeftOuter);
  EXPECT_EQ(RunGenerated(), (Rows{{"Győr", "Bob", "50"},
                                  {"Pécs", "Ann", "5"},
                                  {"Pécs", "Ann", "7"},
                                  {"Pécs", "Cyd", "NULL"}}));
}

TEST_F(WrenEngineUnisql, SortingOnAnAggregatedColumnUsesItsPositionInTheSelectList) {
  TWrenTable& customers = steps_->Box("Customers");
  TWrenTable& orders = steps_->Box("orders");
  steps_->Link(orders, "customer_id", customers, "id");
  const int id = steps_->Check(customers, "id");
  const int name = steps_->Check(customers, "name");
  const int total = steps_->Check(orders, "total");
  model_->SetShow(id, false);
  model_->SetGroup(id, true);
  model_->SetGroup(name, true);
  model_->SetFunction(total, TWrenFunction::kSum);
  model_->SetSort(total, TWrenSort::kDesc);
  // Counting the hidden column as well would make it ORDER BY 3, which
  // the server refuses: the select list has two columns.
  EXPECT_EQ(RunGenerated(), (Rows{{"Bob", "50"}, {"Ann", "12"}}));
}

TEST_F(WrenEngineUnisql, EveryLinkOperatorRuns) {
  // Orders by their customer number compared with customer 1's id.
  Run("delete from Customers where id <> 1");
  const std::pair<TWrenOperator, Rows> cases[] = {
      {TWrenOperator::kEqual, {{"5"}, {"7"}}},
      {TWrenOperator::kLess, {}},
      {TWrenOperator::kGreater, {{"50"}}},
      {TWrenOperator::kLessOrEqual, {{"5"}, {"7"}}},
      {TWrenOperator::kGreaterOrEqual, {{"5"}, {"7"}, {"50"}}},
      {TWrenOperator::kNotEqual, {{"50"}}},
  };
  for (const auto& [op, rows] : cases) {
    model_->NewModel();
    TWrenTable& customers = steps_->Box("Customers");
    TWrenTable& orders = steps_->Box("orders");
    model_->SetSort(steps_->Check(orders, "total"), TWrenSort::kAsc);
    steps_->Link(orders, "customer_id", customers, "id", TWrenJoinType::kInner, op);
    EXPECT_EQ(RunGenerated(), rows) << OperatorText(op);
  }
}

TEST_F(WrenEngineUnisql, HostileNamesAreQuotedAndStayNames) {
  Run("create table y (k int)");
  Run("create table `x``; drop table y; --` (`select` int, `two words` varchar(5))");
  Run("insert into `x``; drop table y; --` values (1,'a'),(2,'b')");
  engine_->ReadTableList();
  engine_->GenerateAliases();
  TWrenTable& hostile = steps_->Box("x`; drop table y; --");
  ASSERT_EQ(hostile.FieldCount(), 3);
  model_->SetSort(steps_->Check(hostile, "select"), TWrenSort::kDesc);
  steps_->Check(hostile, "two words");
  std::string sql;
  EXPECT_EQ(RunGenerated(&sql), (Rows{{"2", "b"}, {"1", "a"}}));
  EXPECT_EQ(sql,
            "SELECT  x.`select`, x.`two words`\r\n"
            "FROM  `x``; drop table y; --` x\r\n"
            "ORDER BY  x.`select` DESC");
  EXPECT_EQ(Query("select count(*) from y"), Rows{{"0"}});
}

class RecordingChooser : public DatabaseChooser {
 public:
  std::optional<DatabaseChoice> ChooseDatabase(const platform::StringList& databases,
                                               bool includeSystemTables) override {
    offered = databases;
    offeredSystemTables = includeSystemTables;
    return answer;
  }
  std::optional<DatabaseChoice> answer;
  platform::StringList offered;
  bool offeredSystemTables = false;
};

TEST_F(WrenEngineUnisql, SelectDatabaseOffersTheServersDatabasesAndTakesTheChoice) {
  TWrenEngineUNISQL engine;
  Configure(engine.Database());
  engine.Database().SetDatabasename("");
  EXPECT_FALSE(engine.SelectDatabase()) << "no dialog installed";

  RecordingChooser chooser;
  engine.SetDatabaseChooser(&chooser);
  EXPECT_FALSE(engine.SelectDatabase());
  EXPECT_GE(chooser.offered.IndexOf(database_), 0);
  EXPECT_GE(chooser.offered.IndexOf("mysql"), 0);

  chooser.answer = DatabaseChoice{database_, "", true};
  EXPECT_TRUE(engine.SelectDatabase());
  EXPECT_EQ(engine.DatabaseName(), database_);
  EXPECT_EQ(engine.Database().Databasename(), database_);
  EXPECT_TRUE(engine.ShowSystemTables());
  engine.ReadTableList();
  EXPECT_EQ(engine.TableList().Count(), 3u);

  chooser.answer = DatabaseChoice{database_, "/data/kestrel/shop", false};
  EXPECT_TRUE(engine.SelectDatabase());
  EXPECT_TRUE(chooser.offeredSystemTables);
  EXPECT_EQ(engine.DatabaseName(), "/data/kestrel/shop");
  EXPECT_FALSE(engine.ShowSystemTables());
}

TEST_F(WrenEngineUnisql, SavingResultsIsNotSupported) {
  dialogs_.AnswerMessage(DialogButton::kOk);
  engine_->SaveResultQuery();
  EXPECT_EQ(dialogs_.MessageTexts(), std::vector<std::string>{"Not supported"});
}

TEST_F(WrenEngineUnisql, ClearingTheQuerySqlForgetsTheRowCount) {
  steps_->Check(steps_->Box("Customers"), "id");
  EXPECT_EQ(RunGenerated().size(), 3u);
  engine_->CloseResultQuery();
  engine_->ClearQuerySQL();
  EXPECT_EQ(engine_->RowCount(), 0);
  EXPECT_TRUE(engine_->Query().SQL().Empty());
}

TEST_F(WrenEngineUnisql, AQueryFileNamingADroppedTableOpensWithTheDataAccessError) {
  TWrenTable& customers = steps_->Box("Customers");
  TWrenTable& orders = steps_->Box("orders");
  steps_->Check(customers, "name");
  steps_->Check(orders, "total");
  steps_->Link(orders, "customer_id", customers, "id");
  platform::testing::TempDirectory directory;
  const std::string path = directory.File("shop.qry");
  WriteQueryFile(path, *model_, WrenWindowLayout{});
  Run("drop table orders");

  TWrenEngineUNISQL engine;
  Configure(engine.Database());
  QueryModel opened(engine);
  dialogs_.AnswerMessage(DialogButton::kOk);  // the server's error
  dialogs_.AnswerMessage(DialogButton::kOk);  // what the file lost
  WrenWindowLayout layout;
  const QueryFileReadResult result = ReadQueryFile(path, opened, layout);
  EXPECT_EQ(result.outcome, QueryFileReadResult::Outcome::kPartial);
  ASSERT_EQ(dialogs_.MessageTexts().size(), 2u);
  EXPECT_EQ(dialogs_.MessageTexts()[0].rfind("MySQL Error /", 0), 0u);
  EXPECT_NE(dialogs_.MessageTexts()[0].find("orders"), std::string::npos);
  ASSERT_NE(opened.FindTable("orders"), nullptr);
  EXPECT_EQ(opened.FindTable("orders")->FieldCount(), 1);
  EXPECT_EQ(opened.FindTable("Customers")->FieldCount(), 4);
  EXPECT_EQ(engine.DatabaseName(), database_);
  EXPECT_EQ(opened.Grid().Count(), 1);
}

}  // namespace
}  // namespace querybuilder
