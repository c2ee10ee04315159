// The canvas model: boxes, check marks and the grid columns they make,
// links and their marks, and the grid's options.

#include "querybuilder/query_model.h"

#include <gtest/gtest.h>

#include "platform/testing/scripted_user_dialogs.h"
#include "querybuilder/tests/model_testing.h"

namespace querybuilder {
namespace {

using platform::DialogButton;
using platform::testing::ScriptedUserDialogs;
using testing::BrokenInvariant;
using testing::ListEngine;

class QueryModelTest : public ::testing::Test {
 protected:
  QueryModelTest()
      : engine_({{"customers", {"id", "name"}},
                 {"orders", {"id", "customer_id", "total"}},
                 {"cities", {"id", "name"}}}),
        model_(engine_) {
    engine_.Load();
  }
  void TearDown() override { EXPECT_EQ(BrokenInvariant(model_), ""); }

  TWrenTable& Box(const char* name) { return *model_.InsertTable(name, 5, 7); }
  std::vector<std::string> ColumnNames() const {
    std::vector<std::string> names;
    for (const TWrenColumn& column : model_.Grid().Columns())
      names.push_back(column.table + "." + column.field);
    return names;
  }
  using Names = std::vector<std::string>;

  ScriptedUserDialogs dialogs_;
  ListEngine engine_;
  QueryModel model_;
};

TEST_F(QueryModelTest, ABoxTakesItsAliasAndFieldsFromTheEngine) {
  TWrenTable& orders = Box("orders");
  EXPECT_EQ(orders.TableName(), "orders");
  EXPECT_EQ(orders.Alias(), "o");
  EXPECT_EQ(orders.Left(), 5);
  EXPECT_EQ(orders.Top(), 7);
  ASSERT_EQ(orders.FieldCount(), 4);
  EXPECT_EQ(orders.Field(0).name, "*");
  EXPECT_EQ(orders.Field(2).name, "customer_id");
  EXPECT_EQ(Box("cities").Alias(), "c2");
}

TEST_F(QueryModelTest, ATableCanBeInsertedOnce) {
  Box("customers");
  dialogs_.AnswerMessage(DialogButton::kOk);
  EXPECT_EQ(model_.InsertTable("customers", 50, 50), nullptr);
  EXPECT_EQ(dialogs_.MessageTexts(), Names{"This table is already inserted."});
  EXPECT_EQ(model_.Tables().size(), 1u);
  EXPECT_EQ(model_.AddTableQuietly("customers", 50, 50), nullptr);
}

TEST_F(QueryModelTest, ATableWithoutReadableFieldsHoldsTheAllEntryAloneAndAFreeAlias) {
  TWrenTable& customers = Box("customers");
  TWrenTable& gone = Box("cars");
  ASSERT_EQ(gone.FieldCount(), 1);
  EXPECT_EQ(gone.Field(0).name, "*");
  // Not listed, so the engine has no alias for it: "c", "c2" are taken.
  EXPECT_EQ(customers.Alias(), "c");
  EXPECT_EQ(gone.Alias(), "c3");
}

TEST_F(QueryModelTest, CheckingAddsAColumnAtTheEnd) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  model_.CheckField(customers, 2, true);
  model_.CheckField(orders, 3, true);
  model_.CheckField(customers, 1, true);
  model_.CheckField(customers, 1, true);  // already checked: no second column
  EXPECT_EQ(ColumnNames(), (Names{"customers.name", "orders.total", "customers.id"}));
  const TWrenColumn& column = model_.Grid().Column(0);
  EXPECT_TRUE(column.show);
  EXPECT_EQ(column.sort, TWrenSort::kNone);
  EXPECT_EQ(column.function, TWrenFunction::kNone);
  EXPECT_FALSE(column.group);
  EXPECT_TRUE(customers.Field(2).checked);
}

TEST_F(QueryModelTest, UncheckingRemovesTheColumnsOfThatFieldOfThatBox) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  model_.CheckField(customers, 1, true);
  model_.CheckField(orders, 1, true);
  model_.CheckField(orders, 3, true);
  model_.InsertColumn(0, "id", "orders");  // a second id column of orders
  model_.CheckField(orders, 1, false);
  // The id column of customers stays: its box still has id checked.
  EXPECT_EQ(ColumnNames(), (Names{"customers.id", "orders.total"}));
  EXPECT_FALSE(orders.Field(1).checked);
  EXPECT_TRUE(customers.Field(1).checked);
}

TEST_F(QueryModelTest, RemovingAColumnUnchecksItsFieldWhenNoOtherColumnShowsIt) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  model_.CheckField(customers, 1, true);
  model_.CheckField(orders, 1, true);
  model_.InsertColumn(2, "id", "customers");
  model_.RemoveColumn(0);
  EXPECT_TRUE(customers.Field(1).checked) << "the second customers.id column shows it";
  model_.RemoveColumn(1);
  EXPECT_FALSE(customers.Field(1).checked);
  EXPECT_TRUE(orders.Field(1).checked) << "another table's id is another field";
  EXPECT_EQ(ColumnNames(), Names{"orders.id"});
  model_.RemoveColumn(5);  // out of range: nothing happens
  EXPECT_EQ(model_.Grid().Count(), 1);
}

TEST_F(QueryModelTest, ColumnsAreInsertedOnlyForBoxesAndWithinTheGrid) {
  Box("customers");
  EXPECT_EQ(model_.InsertColumn(0, "id", "orders"), -1);
  EXPECT_EQ(model_.InsertColumn(-3, "id", "customers"), 0);
  EXPECT_EQ(model_.InsertColumn(99, "name", "customers"), 1);
  EXPECT_EQ(model_.InsertColumn(1, "*", "customers"), 1);
  EXPECT_EQ(ColumnNames(), (Names{"customers.id", "customers.*", "customers.name"}));
}

TEST_F(QueryModelTest, SelectAllChecksEveryFieldButTheAllEntryAndUnselectAllClearsTheBox) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  model_.CheckField(orders, 3, true);
  model_.CheckField(customers, 2, true);
  model_.SelectAll(customers);
  EXPECT_FALSE(customers.Field(0).checked);
  EXPECT_EQ(ColumnNames(), (Names{"orders.total", "customers.name", "customers.id"}));
  model_.CheckField(customers, 0, true);
  model_.UnselectAll(customers);
  for (const TWrenFieldEntry& entry : customers.Fields())
    EXPECT_FALSE(entry.checked) << entry.name;
  EXPECT_EQ(ColumnNames(), Names{"orders.total"});
}

TEST_F(QueryModelTest, ALinkMarksBothFieldsAndStartsAsAnInnerEquality) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  ASSERT_EQ(model_.InsertLink(orders, 2, customers, 1), QueryModel::LinkResult::kAdded);
  const TWrenLink& link = *model_.Links().front();
  EXPECT_EQ(&link.Table1(), &orders);
  EXPECT_EQ(link.FieldName1(), "customer_id");
  EXPECT_EQ(link.FieldName2(), "id");
  EXPECT_EQ(link.Operator(), TWrenOperator::kEqual);
  EXPECT_EQ(link.JoinType(), TWrenJoinType::kInner);
  EXPECT_TRUE(orders.Field(2).linked);
  EXPECT_TRUE(customers.Field(1).linked);
  EXPECT_FALSE(customers.Field(2).linked);
}

TEST_F(QueryModelTest, TheSameTwoFieldsAreLinkedOnceInEitherDirection) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  model_.InsertLink(orders, 2, customers, 1);
  dialogs_.AnswerMessage(DialogButton::kOk);
  EXPECT_EQ(model_.InsertLink(customers, 1, orders, 2), QueryModel::LinkResult::kAlreadyLinked);
  EXPECT_EQ(dialogs_.MessageTexts(), Names{"These tables are already linked."});
  EXPECT_EQ(model_.AddLinkQuietly(orders, 2, customers, 1), QueryModel::LinkResult::kAlreadyLinked);
  EXPECT_EQ(model_.Links().size(), 1u);
}

TEST_F(QueryModelTest, LinksNeedTwoRealFieldsOfBoxesOnTheCanvas) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  TWrenTable stray("cities", "c2", 0, 0, {"*", "id"});
  const struct {
    TWrenTable* table1;
    int field1;
    TWrenTable* table2;
    int field2;
  } refused[] = {
      {&orders, 0, &customers, 1},  {&orders, 2, &customers, 0}, {&orders, 4, &customers, 1},
      {&orders, 2, &customers, -1}, {&orders, 2, &stray, 1},     {&customers, 1, &customers, 1},
  };
  for (const auto& link : refused) {
    EXPECT_EQ(model_.InsertLink(*link.table1, link.field1, *link.table2, link.field2),
              QueryModel::LinkResult::kInvalid);
  }
  EXPECT_TRUE(model_.Links().empty());
  EXPECT_EQ(model_.InsertLink(customers, 1, customers, 2), QueryModel::LinkResult::kAdded)
      << "two fields of one box";
}

TEST_F(QueryModelTest, RemovingALinkUnmarksOnlyFieldsNoOtherLinkUses) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  TWrenTable& cities = Box("cities");
  model_.InsertLink(orders, 2, customers, 1);
  model_.InsertLink(cities, 1, customers, 1);
  model_.RemoveLink(*model_.Links().front());
  EXPECT_FALSE(orders.Field(2).linked);
  EXPECT_TRUE(customers.Field(1).linked);
  EXPECT_TRUE(cities.Field(1).linked);
  model_.UnlinkTable(customers);
  EXPECT_TRUE(model_.Links().empty());
  EXPECT_FALSE(customers.Field(1).linked);
  EXPECT_FALSE(cities.Field(1).linked);
}

TEST_F(QueryModelTest, RemovingABoxTakesItsColumnsAndLinks) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  model_.CheckField(customers, 2, true);
  model_.CheckField(orders, 3, true);
  model_.InsertLink(orders, 2, customers, 1);
  model_.RemoveTable(customers);
  EXPECT_EQ(model_.Tables().size(), 1u);
  EXPECT_EQ(model_.FindTable("customers"), nullptr);
  EXPECT_TRUE(model_.Links().empty());
  EXPECT_FALSE(orders.Field(2).linked);
  EXPECT_EQ(ColumnNames(), Names{"orders.total"});
}

TEST_F(QueryModelTest, GridOptionsToggleAndSet) {
  TWrenTable& customers = Box("customers");
  model_.CheckField(customers, 1, true);
  model_.ToggleShow(0);
  model_.ToggleGroup(0);
  model_.SetSort(0, TWrenSort::kDesc);
  model_.SetFunction(0, TWrenFunction::kMax);
  const TWrenColumn& column = model_.Grid().Column(0);
  const std::pair<TWrenGridRow, const char*> cells[] = {
      {TWrenGridRow::kField, "id"},     {TWrenGridRow::kTable, "customers"},
      {TWrenGridRow::kShow, ""},        {TWrenGridRow::kSort, "Desc"},
      {TWrenGridRow::kFunction, "Max"}, {TWrenGridRow::kGroup, "Group"},
  };
  for (const auto& [row, text] : cells)
    EXPECT_EQ(column.CellText(row), text) << kWrenGridRowTitles[static_cast<int>(row)];
  model_.ToggleShow(0);
  model_.ToggleGroup(0);
  EXPECT_EQ(column.CellText(TWrenGridRow::kShow), "Show");
  EXPECT_EQ(column.CellText(TWrenGridRow::kGroup), "");
}

TEST_F(QueryModelTest, NewModelClearsTheCanvasTheGridAndTheResult) {
  TWrenTable& customers = Box("customers");
  TWrenTable& orders = Box("orders");
  model_.CheckField(customers, 1, true);
  model_.InsertLink(orders, 2, customers, 1);
  engine_.SelectColumns() = {"c.id"};
  engine_.FromItems() = {"customers c"};
  std::string sql;
  engine_.GenerateSQL(sql);
  engine_.SetQuerySQL(sql);
  engine_.OpenResultQuery();
  model_.NewModel();
  EXPECT_TRUE(model_.Tables().empty());
  EXPECT_TRUE(model_.Links().empty());
  EXPECT_TRUE(model_.Grid().Empty());
  EXPECT_TRUE(engine_.SQLLines().Empty());
  EXPECT_FALSE(engine_.ResultOpen());
  EXPECT_EQ(engine_.QuerySql(), "");
}

}  // namespace
}  // namespace querybuilder
