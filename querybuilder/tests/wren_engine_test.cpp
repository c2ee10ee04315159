// The engine's own rules: aliases of the table list and the text of a
// statement from its clause lists, continued past 70 characters.

#include "querybuilder/wren_engine.h"

#include <gtest/gtest.h>

#include "querybuilder/tests/model_testing.h"

namespace querybuilder {
namespace {

using testing::ListEngine;

struct AliasCase {
  std::vector<std::string> names;
  std::vector<std::string> aliases;
};

class Aliases : public ::testing::TestWithParam<AliasCase> {};

TEST_P(Aliases, TakeTheFirstCharacterAndTheFirstFreeNumber) {
  platform::StringList names;
  for (const std::string& name : GetParam().names)
    names.Add(name);
  EXPECT_EQ(MakeAliases(names).Items(), GetParam().aliases);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Aliases,
    ::testing::Values(AliasCase{{"Customers", "cities", "Cars"}, {"C", "c2", "C3"}},
                      AliasCase{{"orders", "items", "order_lines", "o2x"}, {"o", "i", "o2", "o3"}},
                      // The first character of a UTF-8 name is its whole sequence, and
                      // letter case is folded beyond ASCII.
                      AliasCase{{"Ártér", "ároK", "Ásó"}, {"Á", "á2", "Á3"}},
                      AliasCase{{"", "t"}, {"T", "t2"}}));

TEST(WrenEngine, AliasOfPrefersTheExactSpellingAndIsEmptyForUnlistedTables) {
  ListEngine engine(
      std::vector<testing::ListedTable>{{"Orders", {}}, {"orders", {}}, {"items", {}}});
  EXPECT_EQ(engine.AliasOf("items"), "") << "no aliases before GenerateAliases";
  engine.Load();
  EXPECT_EQ(engine.AliasList().Items(), (std::vector<std::string>{"O", "o2", "i"}));
  EXPECT_EQ(engine.AliasOf("orders"), "o2");
  EXPECT_EQ(engine.AliasOf("ITEMS"), "i");
  EXPECT_EQ(engine.AliasOf("cars"), "");
}

TEST(WrenEngine, SetDatabaseNameDropsTheTablesAndClosesTheResult) {
  ListEngine engine(std::vector<testing::ListedTable>{{"a", {}}});
  engine.Load();
  engine.OpenResultQuery();
  engine.SetDatabaseName("shop");
  EXPECT_EQ(engine.DatabaseName(), "shop");
  EXPECT_TRUE(engine.TableList().Empty());
  EXPECT_TRUE(engine.AliasList().Empty());
  EXPECT_FALSE(engine.ResultOpen());
}

std::string Generated(ListEngine& engine) {
  std::string text = "unchanged";
  engine.GenerateSQL(text);
  return text;
}

TEST(GenerateSql, ClausesInOrderWithTheirHeadingsAndSeparators) {
  ListEngine engine(std::vector<testing::ListedTable>{});
  engine.SelectColumns() = {"c.id", "c.name", "o.id"};
  engine.SelectFunctions() = {"", "", "COUNT"};
  engine.FromItems() = {"customers c", "orders o"};
  engine.WhereItems() = {"o.customer_id=c.id", "o.total>c.credit"};
  engine.GroupByItems() = {"c.id", "c.name"};
  engine.OrderByItems() = {"3 DESC"};
  EXPECT_EQ(Generated(engine),
            "SELECT  c.id, c.name, COUNT(o.id)\r\n"
            "FROM  customers c, orders o\r\n"
            "WHERE  o.customer_id=c.id AND o.total>c.credit\r\n"
            "GROUP BY  c.id, c.name\r\n"
            "ORDER BY  3 DESC");
  EXPECT_EQ(engine.SQLLines().Count(), 5u);
}

TEST(GenerateSql, ClausesWithoutItemsEmitNothing) {
  ListEngine engine(std::vector<testing::ListedTable>{});
  EXPECT_EQ(Generated(engine), "");
  engine.SelectColumns() = {"c.id"};
  engine.SelectFunctions() = {""};
  engine.FromItems() = {"customers c"};
  EXPECT_EQ(Generated(engine), "SELECT  c.id\r\nFROM  customers c");
}

TEST(GenerateSql, ALineLongerThanSeventyCharactersIsContinuedAfterTwoBlanks) {
  ListEngine engine(std::vector<testing::ListedTable>{});
  for (int i = 1; i <= 12; ++i) {
    engine.SelectColumns().Add("customers_alias.column_" + std::to_string(i));
    engine.SelectFunctions().Add("");
  }
  engine.FromItems() = {"customers customers_alias"};
  // Each item with its separator is 27 or 28 characters: a line is emitted
  // as soon as it has passed 70, so it holds three items.
  EXPECT_EQ(Generated(engine),
            "SELECT  customers_alias.column_1, customers_alias.column_2, "
            "customers_alias.column_3, \r\n"
            "  customers_alias.column_4, customers_alias.column_5, "
            "customers_alias.column_6, \r\n"
            "  customers_alias.column_7, customers_alias.column_8, "
            "customers_alias.column_9, \r\n"
            "  customers_alias.column_10, customers_alias.column_11, "
            "customers_alias.column_12\r\n"
            "FROM  customers customers_alias");
}

TEST(GenerateSql, ContinuationCountsCharactersNotBytes) {
  ListEngine engine(std::vector<testing::ListedTable>{});
  // 8 + 3 * 21 = 71 characters but far more bytes: the line breaks after
  // the third item, not the first.
  for (int i = 0; i < 4; ++i) {
    engine.SelectColumns().Add("ő.őőőőőőőőőőőőőőőőő");
    engine.SelectFunctions().Add("");
  }
  Generated(engine);
  ASSERT_EQ(engine.SQLLines().Count(), 2u);
  EXPECT_EQ(engine.SQLLines()[1], "  ő.őőőőőőőőőőőőőőőőő");
}

}  // namespace
}  // namespace querybuilder
