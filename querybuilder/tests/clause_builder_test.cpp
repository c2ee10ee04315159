// The Generate SQL command over a model: which clauses the boxes, links and
// grid columns give, and how names are written.

#include "querybuilder/clause_builder.h"

#include <gtest/gtest.h>

#include "platform/testing/scripted_user_dialogs.h"
#include "querybuilder/tests/list_engine.h"

namespace querybuilder {
namespace {

using platform::testing::ScriptedUserDialogs;
using testing::ListEngine;

class SqlFixture : public ::testing::Test {
 protected:
  SqlFixture(std::vector<testing::ListedTable> tables, SqlNameDialect dialect)
      : engine_(std::move(tables), dialogs_, dialect), model_(engine_) {
    engine_.Load();
  }

  TWrenTable& Box(const char* name) {
    TWrenTable* table = model_.InsertTable(name, 10, 10);
    EXPECT_NE(table, nullptr) << name;
    return *table;
  }
  static int FieldIndex(const TWrenTable& table, const char* field) {
    const int index = table.IndexOfField(field);
    EXPECT_GE(index, 0) << table.TableName() << "." << field;
    return index;
  }
  // Checks the field and returns its grid column.
  int Check(TWrenTable& table, const char* field) {
    model_.CheckField(table, FieldIndex(table, field), true);
    return model_.Grid().Count() - 1;
  }
  TWrenLink& Link(TWrenTable& table1, const char* field1, TWrenTable& table2, const char* field2,
                  TWrenJoinType joinType = TWrenJoinType::kInner,
                  TWrenOperator op = TWrenOperator::kEqual) {
    EXPECT_EQ(
        model_.InsertLink(table1, FieldIndex(table1, field1), table2, FieldIndex(table2, field2)),
        QueryModel::LinkResult::kAdded);
    TWrenLink& link = *model_.Links().back();
    model_.SetLinkOptions(link, op, joinType);
    return link;
  }
  std::string Sql() {
    std::string sql;
    EXPECT_TRUE(GenerateQuerySql(model_, engine_, sql));
    return sql;
  }

  ScriptedUserDialogs dialogs_;
  ListEngine engine_;
  QueryModel model_;
};

class ClauseBuilder : public SqlFixture {
 protected:
  ClauseBuilder()
      : SqlFixture(
            {
                {"Customers", {"id", "name", "city_id", "credit"}},
                {"orders", {"id", "customer_id", "total", "shipper_id"}},
                {"shippers", {"id", "name"}},
                {"cities", {"id", "name"}},
            },
            SqlNameDialect::kMySql) {}
};

TEST_F(ClauseBuilder, CheckedFieldsSortedDescendingGiveThreeLines) {
  TWrenTable& customers = Box("Customers");
  Check(customers, "id");
  model_.SetSort(Check(customers, "name"), TWrenSort::kDesc);
  // Table names keep their spelling: servers on case-sensitive file
  // systems would not find "customers".
  EXPECT_EQ(Sql(), "SELECT  c.id, c.name\r\nFROM  Customers c\r\nORDER BY  c.name DESC");
  EXPECT_EQ(engine_.SQLLines().Count(), 3u);
}

TEST_F(ClauseBuilder, AFunctionWrapsItsColumnInUpperCase) {
  TWrenTable& customers = Box("Customers");
  model_.SetFunction(Check(customers, "id"), TWrenFunction::kCount);
  model_.SetFunction(Check(customers, "credit"), TWrenFunction::kAvg);
  EXPECT_EQ(Sql(), "SELECT  COUNT(c.id), AVG(c.credit)\r\nFROM  Customers c");
}

TEST_F(ClauseBuilder, TwoInnerLinksAreWhereConditionsJoinedByAnd) {
  TWrenTable& customers = Box("Customers");
  TWrenTable& orders = Box("orders");
  TWrenTable& cities = Box("cities");
  Check(customers, "name");
  Check(cities, "name");
  Check(orders, "total");
  Link(orders, "customer_id", customers, "id");
  Link(customers, "city_id", cities, "id");
  EXPECT_EQ(Sql(),
            "SELECT  c.name, c2.name, o.total\r\n"
            "FROM  Customers c, orders o, cities c2\r\n"
            "WHERE  o.customer_id=c.id AND c.city_id=c2.id");
}

TEST_F(ClauseBuilder, ALeftOuterLinkIsOneFromItemAndNeitherTableComesAgain) {
  TWrenTable& orders = Box("orders");
  TWrenTable& customers = Box("Customers");
  Box("shippers");
  Check(orders, "id");
  Check(customers, "name");
  Link(orders, "customer_id", customers, "id", TWrenJoinType::kLeftOuter);
  EXPECT_EQ(Sql(),
            "SELECT  o.id, c.name\r\n"
            "FROM  orders o LEFT OUTER JOIN Customers c ON o.customer_id=c.id, shippers s");
}

TEST_F(ClauseBuilder, EveryJoinTypeHasItsKeywords) {
  const std::pair<TWrenJoinType, const char*> cases[] = {
      {TWrenJoinType::kLeftOuter, " LEFT OUTER JOIN "},
      {TWrenJoinType::kRightOuter, " RIGHT OUTER JOIN "},
      {TWrenJoinType::kFullOuter, " FULL OUTER JOIN "},
  };
  for (const auto& [joinType, keywords] : cases) {
    model_.NewModel();
    TWrenTable& orders = Box("orders");
    TWrenTable& customers = Box("Customers");
    Check(orders, "id");
    Link(orders, "customer_id", customers, "id", joinType);
    EXPECT_EQ(Sql(), std::string("SELECT  o.id\r\nFROM  orders o") + keywords +
                         "Customers c ON o.customer_id=c.id")
        << keywords;
  }
}

TEST_F(ClauseBuilder, OuterLinksSharingATableExtendOneJoin) {
  TWrenTable& orders = Box("orders");
  TWrenTable& customers = Box("Customers");
  TWrenTable& shippers = Box("shippers");
  TWrenTable& cities = Box("cities");
  Check(orders, "id");
  Link(orders, "customer_id", customers, "id", TWrenJoinType::kLeftOuter);
  Link(orders, "shipper_id", shippers, "id", TWrenJoinType::kLeftOuter);
  // Written from its second table: the kept side must stay the cities one.
  Link(cities, "id", customers, "city_id", TWrenJoinType::kLeftOuter);
  EXPECT_EQ(Sql(),
            "SELECT  o.id\r\n"
            "FROM  orders o LEFT OUTER JOIN Customers c ON o.customer_id=c.id LEFT OUTER JOIN "
            "shippers s ON o.shipper_id=s.id RIGHT OUTER JOIN cities c2 ON c2.id=c.city_id");
}

TEST_F(ClauseBuilder, AnOuterLinkBetweenTwoJoinsNestsTheSecond) {
  TWrenTable& orders = Box("orders");
  TWrenTable& customers = Box("Customers");
  TWrenTable& shippers = Box("shippers");
  TWrenTable& cities = Box("cities");
  Check(orders, "id");
  Link(orders, "customer_id", customers, "id", TWrenJoinType::kLeftOuter);
  Link(shippers, "id", cities, "id", TWrenJoinType::kLeftOuter);
  Link(customers, "name", shippers, "name", TWrenJoinType::kLeftOuter);
  Link(orders, "total", customers, "credit", TWrenJoinType::kLeftOuter, TWrenOperator::kLess);
  EXPECT_EQ(Sql(),
            "SELECT  o.id\r\n"
            "FROM  orders o LEFT OUTER JOIN Customers c ON o.customer_id=c.id LEFT OUTER JOIN "
            "(shippers s LEFT OUTER JOIN cities c2 ON s.id=c2.id) ON c.name=s.name AND "
            "o.total<c.credit");
}

TEST_F(ClauseBuilder, ALinkWithinOneBoxIsAWhereCondition) {
  TWrenTable& customers = Box("Customers");
  Check(customers, "id");
  Link(customers, "id", customers, "city_id", TWrenJoinType::kLeftOuter, TWrenOperator::kNotEqual);
  EXPECT_EQ(Sql(), "SELECT  c.id\r\nFROM  Customers c\r\nWHERE  c.id<>c.city_id");
}

TEST_F(ClauseBuilder, EveryOperatorIsWrittenAsSqlReadsIt) {
  const std::pair<TWrenOperator, const char*> cases[] = {
      {TWrenOperator::kEqual, "="},           {TWrenOperator::kLess, "<"},
      {TWrenOperator::kGreater, ">"},         {TWrenOperator::kLessOrEqual, "<="},
      {TWrenOperator::kGreaterOrEqual, ">="}, {TWrenOperator::kNotEqual, "<>"},
  };
  for (const auto& [op, text] : cases) {
    model_.NewModel();
    TWrenTable& orders = Box("orders");
    TWrenTable& customers = Box("Customers");
    Check(orders, "id");
    Link(orders, "total", customers, "credit", TWrenJoinType::kInner, op);
    EXPECT_EQ(Sql(), std::string("SELECT  o.id\r\nFROM  orders o, Customers c\r\nWHERE  o.total") +
                         text + "c.credit")
        << text;
  }
}

TEST_F(ClauseBuilder, SortingOnAnAggregateUsesItsPositionAmongShownColumns) {
  TWrenTable& customers = Box("Customers");
  TWrenTable& orders = Box("orders");
  Link(orders, "customer_id", customers, "id");
  const int hiddenId = Check(customers, "id");
  const int name = Check(customers, "name");
  const int total = Check(orders, "total");
  model_.SetShow(hiddenId, false);
  model_.SetGroup(hiddenId, true);
  model_.SetGroup(name, true);
  model_.SetFunction(total, TWrenFunction::kSum);
  model_.SetSort(total, TWrenSort::kDesc);
  model_.SetSort(name, TWrenSort::kAsc);
  // The sum is the second column of the select list, though the third of
  // the grid: the hidden column is not counted.
  EXPECT_EQ(Sql(),
            "SELECT  c.name, SUM(o.total)\r\n"
            "FROM  Customers c, orders o\r\n"
            "WHERE  o.customer_id=c.id\r\n"
            "GROUP BY  c.id, c.name\r\n"
            "ORDER BY  c.name, 2 DESC");
}

TEST_F(ClauseBuilder, AHiddenAggregateSortsByTheAggregateItself) {
  TWrenTable& customers = Box("Customers");
  TWrenTable& orders = Box("orders");
  Link(orders, "customer_id", customers, "id");
  model_.SetGroup(Check(customers, "name"), true);
  const int count = Check(orders, "id");
  model_.SetFunction(count, TWrenFunction::kCount);
  model_.SetShow(count, false);
  model_.SetSort(count, TWrenSort::kDesc);
  EXPECT_EQ(Sql(),
            "SELECT  c.name\r\n"
            "FROM  Customers c, orders o\r\n"
            "WHERE  o.customer_id=c.id\r\n"
            "GROUP BY  c.name\r\n"
            "ORDER BY  COUNT(o.id) DESC");
}

TEST_F(ClauseBuilder, TheAllFieldsEntrySelectsEveryFieldOfItsTable) {
  TWrenTable& customers = Box("Customers");
  model_.CheckField(customers, 0, true);
  EXPECT_EQ(Sql(), "SELECT  c.*\r\nFROM  Customers c");
}

TEST_F(ClauseBuilder, ALongSelectListIsContinuedOnIndentedLines) {
  TWrenTable& customers = Box("Customers");
  TWrenTable& orders = Box("orders");
  model_.SelectAll(customers);
  model_.SelectAll(orders);
  model_.SelectAll(Box("shippers"));
  EXPECT_EQ(Sql(),
            "SELECT  c.id, c.name, c.city_id, c.credit, o.id, o.customer_id, o.total, \r\n"
            "  o.shipper_id, s.id, s.name\r\n"
            "FROM  Customers c, orders o, shippers s");
}

TEST_F(ClauseBuilder, WithoutAShownColumnNothingIsGenerated) {
  TWrenTable& customers = Box("Customers");
  std::string sql = "kept";
  dialogs_.AnswerMessage(platform::DialogButton::kOk);
  EXPECT_FALSE(GenerateQuerySql(model_, engine_, sql));
  model_.SetShow(Check(customers, "id"), false);
  dialogs_.AnswerMessage(platform::DialogButton::kOk);
  EXPECT_FALSE(GenerateQuerySql(model_, engine_, sql));
  EXPECT_EQ(sql, "kept");
  EXPECT_EQ(dialogs_.MessageTexts(),
            (std::vector<std::string>{"Columns are not selected.", "Columns are not selected."}));
}

class QuotedNames : public SqlFixture,
                    public ::testing::WithParamInterface<std::pair<SqlNameDialect, const char*>> {
 protected:
  QuotedNames()
      : SqlFixture({{"order items", {"select", "qty", "x`y\"z]"}}, {"1st", {"id"}}},
                   GetParam().first) {}
};

TEST_P(QuotedNames, NamesThatNeedItAreQuotedInTheBackendsWay) {
  TWrenTable& items = Box("order items");
  TWrenTable& first = Box("1st");
  Check(items, "select");
  Check(items, "x`y\"z]");
  Check(first, "id");
  Link(items, "qty", first, "id", TWrenJoinType::kLeftOuter);
  EXPECT_EQ(Sql(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, QuotedNames,
    ::testing::Values(
        std::pair{SqlNameDialect::kMySql,
                  "SELECT  o.`select`, o.`x``y\"z]`, `1`.id\r\n"
                  "FROM  `order items` o LEFT OUTER JOIN `1st` `1` ON o.qty=`1`.id"},
        std::pair{SqlNameDialect::kSqlServer,
                  "SELECT  o.\"select\", o.\"x`y\"\"z]\", \"1\".id\r\n"
                  "FROM  \"order items\" o LEFT OUTER JOIN \"1st\" \"1\" ON o.qty=\"1\".id"},
        std::pair{SqlNameDialect::kKestrel,
                  "SELECT  o.[select], o.[x`y\"z]]], [1].id\r\n"
                  "FROM  [order items] o LEFT OUTER JOIN [1st] [1] ON o.qty=[1].id"}));

}  // namespace
}  // namespace querybuilder
