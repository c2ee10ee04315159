// The table and index scripts, on a small in-memory table.

#include "app/core/table_script.h"

#include <gtest/gtest.h>

#include "dataset/memory_dataset.h"

namespace app {
namespace {

using dataset::TFieldType;

class TableScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& defs = table_.FieldDefs();
    defs.Add("id", TFieldType::ftInteger);
    defs.Add("a_name_that_is_longer_than_thirty_two_characters", TFieldType::ftString, 20);
    defs.Add("price", TFieldType::ftFloat);
    defs.Add("born", TFieldType::ftDate);
    defs.Add("at", TFieldType::ftDateTime);
    defs.Add("big", TFieldType::ftLargeint);
    table_.CreateDataSet();
  }
  dataset::TMemoryDataSet table_;
  platform::StringList indexes_{"PRIMARY (id)", "ab (born,at)"};
};

TEST_F(TableScriptTest, ListingUsesTheTypeWordsAndPadsNamesTo32) {
  const std::vector<std::string> expected = {
      "CREATE TABLE people (",
      "id                               SMALLINT,",
      "a_name_that_is_longer_than_thirt CHAR(20),",
      "price                            NUMERIC(14,2),",
      "born                             DATE,",
      "at                               DATETIME,",
      "big                              ?",
      ");",
      "CREATE INDEX PRIMARY  ON people (id);",
      "CREATE INDEX ab  ON people (born,at);",
  };
  EXPECT_EQ(TableScript(ScriptPart::kBoth, "people", table_, indexes_), expected);
  EXPECT_EQ(TableScript(ScriptPart::kIndexes, "people", table_, indexes_).size(), 2u);
  EXPECT_EQ(TableScript(ScriptPart::kTable, "people", table_, indexes_).size(), 8u);
}

TEST_F(TableScriptTest, ServerTypesReplaceTheTypeWordsWhenGiven) {
  const std::vector<std::string> types = {"int(11)", "varchar(20)", "double",
                                          "date",    "datetime",    "bigint(20) unsigned"};
  const auto lines = TableScript(ScriptPart::kTable, "t", table_, {}, &types);
  EXPECT_EQ(lines[1], "id                               int(11),");
  EXPECT_EQ(lines[6], "big                              bigint(20) unsigned");
}

TEST_F(TableScriptTest, DumpsRecreateThePrimaryKeyWithAlterTable) {
  EXPECT_EQ(DumpIndexScript("people", indexes_),
            (std::vector<std::string>{"ALTER TABLE people ADD PRIMARY KEY (id);",
                                      "CREATE INDEX ab  ON people (born,at);"}));
}

TEST_F(TableScriptTest, ReindexDropsAndCreatesEachIndex) {
  EXPECT_EQ(
      ReindexScript("people", indexes_),
      (std::vector<std::string>{"DROP INDEX PRIMARY ;", "CREATE INDEX PRIMARY  ON people (id);",
                                "DROP INDEX ab ;", "CREATE INDEX ab  ON people (born,at);"}));
}

}  // namespace
}  // namespace app
