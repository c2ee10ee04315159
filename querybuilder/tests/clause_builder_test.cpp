// The Generate SQL command over a model: which clauses the boxes, links and
// grid columns give, and how names are written.

#include "querybuilder/clause_builder.h"

#include <gtest/gtest.h>

#include "platform/testing/scripted_user_dialogs.h"
#include "querybuilder/tests/model_testing.h"

namespace querybuilder {
namespace {

using platform::testing::ScriptedUserDialogs;
using testing::ListEngine;

class SqlFixture : public ::testing::Test {
 protected:
  SqlFixture(std::vector<testing::ListedTable> tables, SqlNameDialect dialect)
      : engine_(std::move(tables), dialect), model_(engine_) {
    engine_.Load();
  }

  std::string Sql() {
    std::string sql;
    EXPECT_TRUE(GenerateQuerySql(model_, engine_, sql));
    return sql;
  }

  ScriptedUserDialogs dialogs_;
  ListEngine engine_;
  QueryModel model_;
  testing::ModelSteps steps_{model_};
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

  struct Boxes {
    TWrenTable& orders;
    TWrenTable& customers;
    TWrenTable& shippers;
    TWrenTable& cities;
  };
  // A box for every table, orders.id selected.
  Boxes AllBoxes() {
    Boxes boxes{steps_.Box("orders"), steps_.Box("Customers"), steps_.Box("shippers"),
                steps_.Box("cities")};
    steps_.Check(boxes.orders, "id");
    return boxes;
  }
};

TEST_F(ClauseBuilder, CheckedFieldsSortedDescendingGiveThreeLines) {
  TWrenTable& customers = steps_.Box("Customers");
  steps_.Check(customers, "id");
  model_.SetSort(steps_.Check(customers, "name"), TWrenSort::kDesc);
  // Table names keep their spelling: servers on case-sensitive file
  // systems would not find "customers".
  EXPECT_EQ(Sql(), "SELECT  c.id, c.name\r\nFROM  Customers c\r\nORDER BY  c.name DESC");
  EXPECT_EQ(engine_.SQLLines().Count(), 3u);
}

TEST_F(ClauseBuilder, AFunctionWrapsItsColumnInUpperCase) {
  TWrenTable& customers = steps_.Box("Customers");
  model_.SetFunction(steps_.Check(customers, "id"), TWrenFunction::kCount);
  model_.SetFunction(steps_.Check(customers, "credit"), TWrenFunction::kAvg);
  EXPECT_EQ(Sql(), "SELECT  COUNT(c.id), AVG(c.credit)\r\nFROM  Customers c");
}

TEST_F(ClauseBuilder, TwoInnerLinksAreWhereConditionsJoinedByAnd) {
  TWrenTable& customers = steps_.Box("Customers");
  TWrenTable& orders = steps_.Box("orders");
  TWrenTable& cities = steps_.Box("cities");
  steps_.Check(customers, "name");
  steps_.Check(cities, "name");
  steps_.Check(orders, "total");
  steps_.Link(orders, "customer_id", customers, "id");
  steps_.Link(customers, "city_id", cities, "id");
  EXPECT_EQ(Sql(),
            "SELECT  c.name, c2.name, o.total\r\n"
            "FROM  Customers c, orders o, cities c2\r\n"
            "WHERE  o.customer_id=c.id AND c.city_id=c2.id");
}

TEST_F(ClauseBuilder, ALeftOuterLinkIsOneFromItemAndNeitherTableComesAgain) {
  TWrenTable& orders = steps_.Box("orders");
  TWrenTable& customers = steps_.Box("Customers");
  steps_.Box("shippers");
  steps_.Check(orders, "id");
  steps_.Check(customers, "name");
  steps_.Link(orders, "customer_id", customers, "id", TWrenJoinType::kLeftOuter);
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
    TWrenTable& orders = steps_.Box("orders");
    TWrenTable& customers = steps_.Box("Customers");
    steps_.Check(orders, "id");
    steps_.Link(orders, "customer_id", customers, "id", joinType);
    EXPECT_EQ(Sql(), std::string("SELECT  o.id\r\nFROM  orders o") + keywords +
                         "Customers c ON o.customer_id=c.id")
        << keywords;
  }
}

TEST_F(ClauseBuilder, OuterLinksSharingATableExtendOneJoin) {
  auto [orders, customers, shippers, cities] = AllBoxes();
  steps_.Link(orders, "customer_id", customers, "id", TWrenJoinType::kLeftOuter);
  steps_.Link(orders, "shipper_id", shippers, "id", TWrenJoinType::kLeftOuter);
  // Written from its second table: the kept side must stay the cities one.
  steps_.Link(cities, "id", customers, "city_id", TWrenJoinType::kLeftOuter);
  EXPECT_EQ(Sql(),
            "SELECT  o.id\r\n"
            "FROM  orders o LEFT OUTER JOIN Customers c ON o.customer_id=c.id LEFT OUTER JOIN "
            "shippers s ON o.shipper_id=s.id RIGHT OUTER JOIN cities c2 ON c2.id=c.city_id");
}

TEST_F(ClauseBuilder, AnOuterLinkBetweenTwoJoinsNestsTheSecond) {
  auto [orders, customers, shippers, cities] = AllBoxes();
  steps_.Link(orders, "customer_id", customers, "id", TWrenJoinType::kLeftOuter);
  steps_.Link(shippers, "id", cities, "id", TWrenJoinType::kLeftOuter);
  steps_.Link(customers, "name", shippers, "name", TWrenJoinType::kLeftOuter);
  steps_.Link(orders, "total", customers, "credit", TWrenJoinType::kLeftOuter,
              TWrenOperator::kLess);
  EXPECT_EQ(Sql(),
            "SELECT  o.id\r\n"
            "FROM  orders o LEFT OUTER JOIN Customers c ON o.customer_id=c.id LEFT OUTER JOIN "
            "(shippers s LEFT OUTER JOIN cities c2 ON s.id=c2.id) ON c.name=s.name AND "
            "o.total<c.credit");
}

TEST_F(ClauseBuilder, ALinkWithinOneBoxIsAWhereCondition) {
  TWrenTable& customers = steps_.Box("Customers");
  steps_.Check(customers, "id");
  steps_.Link(customers, "id", customers, "city_id", TWrenJoinType::kLeftOuter,
              TWrenOperator::kNotEqual);
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
    TWrenTable& orders = steps_.Box("orders");
    TWrenTable& customers = steps_.Box("Customers");
    steps_.Check(orders, "id");
    steps_.Link(orders, "total", customers, "credit", TWrenJoinType::kInner, op);
    EXPECT_EQ(Sql(), std::string("SELECT  o.id\r\nFROM  orders o, Customers c\r\nWHERE  o.total") +
                         text + "c.credit")
        << text;
  }
}

TEST_F(ClauseBuilder, SortingOnAnAggregateUsesItsPositionAmongShownColumns) {
  TWrenTable& customers = steps_.Box("Customers");
  TWrenTable& orders = steps_.Box("orders");
  steps_.Link(orders, "customer_id", customers, "id");
  const int hiddenId = steps_.Check(customers, "id");
  const int name = steps_.Check(customers, "name");
  const int total = steps_.Check(orders, "total");
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
  TWrenTable& customers = steps_.Box("Customers");
  TWrenTable& orders = steps_.Box("orders");
  steps_.Link(orders, "customer_id", customers, "id");
  model_.SetGroup(steps_.Check(customers, "name"), true);
  const int count = steps_.Check(orders, "id");
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
  TWrenTable& customers = steps_.Box("Customers");
  model_.CheckField(customers, 0, true);
  EXPECT_EQ(Sql(), "SELECT  c.*\r\nFROM  Customers c");
}

TEST_F(ClauseBuilder, ALongSelectListIsContinuedOnIndentedLines) {
  TWrenTable& customers = steps_.Box("Customers");
  TWrenTable& orders = steps_.Box("orders");
  model_.SelectAll(customers);
  model_.SelectAll(orders);
  model_.SelectAll(steps_.Box("shippers"));
  EXPECT_EQ(Sql(),
            "SELECT  c.id, c.name, c.city_id, c.credit, o.id, o.customer_id, o.total, \r\n"
            "  o.shipper_id, s.id, s.name\r\n"
            "FROM  Customers c, orders o, shippers s");
}

TEST_F(ClauseBuilder, WithoutAShownColumnNothingIsGenerated) {
  TWrenTable& customers = steps_.Box("Customers");
  std::string sql = "kept";
  dialogs_.AnswerMessage(platform::DialogButton::kOk);
  EXPECT_FALSE(GenerateQuerySql(model_, engine_, sql));
  model_.SetShow(steps_.Check(customers, "id"), false);
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
  TWrenTable& items = steps_.Box("order items");
  TWrenTable& first = steps_.Box("1st");
  steps_.Check(items, "select");
  steps_.Check(items, "x`y\"z]");
  steps_.Check(first, "id");
  steps_.Link(items, "qty", first, "id", TWrenJoinType::kLeftOuter);
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
