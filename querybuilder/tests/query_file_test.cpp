// The query file: what is written for a model, what a file gives back, and
// what a file that is not a query file, a stale one, a damaged one or one
// from a newer program gives.

#include "querybuilder/query_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/errors.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"
#include "querybuilder/tests/model_testing.h"

namespace querybuilder {
namespace {

using platform::DialogButton;
using platform::testing::ReadFileBytes;
using platform::testing::ScriptedUserDialogs;
using platform::testing::TempDirectory;
using platform::testing::WriteFileBytes;
using testing::BrokenInvariant;
using testing::ListedTable;
using testing::ListEngine;
using Outcome = QueryFileReadResult::Outcome;

std::vector<ListedTable> ShopTables() {
  return {{"customers", {"id", "name"}},
          {"orders", {"id", "customer_id", "total"}},
          {"[odd], name; 100%\r\n", {"a,b", "c;d", "e%2Cf"}}};
}

const char* const kHeader =
    "# Wrenfold\r\n# Don't change this file !\r\n[Options]\r\n100,50,480,640;\r\n1,150,0,200;\r\n"
    "[Database]\r\nshop,1;\r\n[Tables]\r\n";

// A model and its engine, as one builder window holds them.
struct Builder {
  Builder() : engine(ShopTables()), model(engine) {
    engine.SetDatabaseName("shop");
    engine.Load();
  }
  TWrenTable& Box(const char* name, int left, int top) {
    return *model.InsertTable(name, left, top);
  }

  ListEngine engine;
  QueryModel model;
};

class QueryFile : public ::testing::Test {
 protected:
  QueryFile() {
    layout_ = {false, 100, 50, 480, 640, true, 150, false, 200};
    builder_.engine.SetShowSystemTables(true);
  }
  void TearDown() override {
    EXPECT_EQ(BrokenInvariant(builder_.model), "");
    EXPECT_EQ(BrokenInvariant(opened_.model), "");
  }

  std::string Saved() {
    WriteQueryFile(path_, builder_.model, layout_);
    return ReadFileBytes(path_);
  }
  // Opens the file into the second builder, as another window would.
  QueryFileReadResult Open() { return ReadQueryFile(path_, opened_.model, openedLayout_); }
  // Fills the model used by the round trips.
  void BuildShopModel() {
    TWrenTable& customers = builder_.Box("customers", 20, 10);
    TWrenTable& orders = builder_.Box("orders", 300, 40);
    TWrenTable& odd = builder_.Box("[odd], name; 100%\r\n", 600, 900);
    QueryModel& model = builder_.model;
    model.CheckField(customers, 2, true);
    model.CheckField(orders, 3, true);
    model.CheckField(odd, 2, true);
    model.CheckField(customers, 0, true);
    model.SetSort(1, TWrenSort::kDesc);
    model.SetFunction(1, TWrenFunction::kSum);
    model.SetShow(2, false);
    model.SetGroup(0, true);
    model.InsertLink(orders, 2, customers, 1);
    model.SetLinkOptions(*model.Links().back(), TWrenOperator::kGreaterOrEqual,
                         TWrenJoinType::kLeftOuter);
    model.InsertLink(odd, 1, orders, 1);
    model.SetLinkOptions(*model.Links().back(), TWrenOperator::kLessOrEqual,
                         TWrenJoinType::kFullOuter);
  }

  ScriptedUserDialogs dialogs_;
  Builder builder_;
  WrenWindowLayout layout_;
  Builder opened_;
  WrenWindowLayout openedLayout_;
  TempDirectory directory_;
  std::string path_ = directory_.File("shop.qry");
};

TEST_F(QueryFile, WritesTheModelLineByLine) {
  TWrenTable& customers = builder_.Box("customers", 20, 10);
  builder_.model.CheckField(customers, 1, true);
  builder_.model.CheckField(customers, 2, true);
  builder_.model.SetSort(1, TWrenSort::kDesc);
  EXPECT_EQ(Saved(), std::string(kHeader) +
                         "customers,10,20,0,1,1;\r\n"
                         "[Links]\r\n"
                         "[Columns]\r\n"
                         "1,id,customers,Show,,,;\r\n"
                         "2,name,customers,Show,Desc,,;\r\n"
                         "[End]\r\n");
}

TEST_F(QueryFile, LinksAreWrittenWithFieldIndexesAndOptionIndexes) {
  BuildShopModel();
  const std::string text = Saved();
  EXPECT_NE(text.find("[Links]\r\norders,2,customers,1,4,1;\r\n"
                      "%5Bodd]%2C name%3B 100%25%0D%0A,1,orders,1,3,3;\r\n[Columns]\r\n"),
            std::string::npos)
      << text;
  // A leading "[" is escaped, so a name is never taken for a heading.
  EXPECT_NE(text.find("\r\n%5Bodd]%2C name%3B 100%25%0D%0A,900,600,0,0,1,0;\r\n"),
            std::string::npos)
      << text;
}

TEST_F(QueryFile, AnEmptyGridHasColumnsDirectlyFollowedByEnd) {
  builder_.Box("orders", 1, 2);
  const std::string text = Saved();
  EXPECT_NE(text.find("[Columns]\r\n[End]\r\n"), std::string::npos) << text;

  EXPECT_EQ(Open().outcome, Outcome::kRead);
  EXPECT_TRUE(opened_.model.Grid().Empty());
  ASSERT_EQ(opened_.model.Tables().size(), 1u);
}

TEST_F(QueryFile, AMaximizedWindowIsAPlusAndOpensMaximized) {
  layout_.maximized = true;
  const std::string text = Saved();
  EXPECT_EQ(text.substr(0, text.find("1,150")),
            "# Wrenfold\r\n# Don't change this file !\r\n[Options]\r\n+\r\n");
  openedLayout_.width = 777;
  const QueryFileReadResult result = Open();
  EXPECT_TRUE(result.placementRead);
  EXPECT_TRUE(openedLayout_.maximized);
  EXPECT_EQ(openedLayout_.width, 777) << "a maximized window keeps its normal size";
}

TEST_F(QueryFile, WhatIsSavedOpensAsItWasAndSavesTheSameAgain) {
  BuildShopModel();
  const std::string text = Saved();

  TWrenTable& stale = opened_.Box("orders", 0, 0);
  opened_.model.CheckField(stale, 1, true);
  const QueryFileReadResult result = Open();
  EXPECT_EQ(result.outcome, Outcome::kRead);
  EXPECT_TRUE(result.problems.empty());
  EXPECT_TRUE(result.placementRead && result.panesRead && result.databaseRead);
  EXPECT_EQ(openedLayout_, layout_);
  EXPECT_EQ(opened_.engine.DatabaseName(), "shop");
  EXPECT_TRUE(opened_.engine.ShowSystemTables());
  EXPECT_EQ(opened_.engine.AliasList().Count(), 3u) << "aliases are made for the database";

  const QueryModel& original = builder_.model;
  const QueryModel& copy = opened_.model;
  ASSERT_EQ(copy.Tables().size(), original.Tables().size());
  for (std::size_t i = 0; i < original.Tables().size(); ++i) {
    const TWrenTable& expected = *original.Tables()[i];
    const TWrenTable& actual = *copy.Tables()[i];
    EXPECT_EQ(actual.TableName(), expected.TableName());
    EXPECT_EQ(actual.Alias(), expected.Alias());
    EXPECT_EQ(actual.Left(), expected.Left());
    EXPECT_EQ(actual.Top(), expected.Top());
    ASSERT_EQ(actual.FieldCount(), expected.FieldCount());
    for (int field = 0; field < expected.FieldCount(); ++field) {
      EXPECT_EQ(actual.Field(field).name, expected.Field(field).name);
      EXPECT_EQ(actual.Field(field).checked, expected.Field(field).checked);
      EXPECT_EQ(actual.Field(field).linked, expected.Field(field).linked);
    }
  }
  ASSERT_EQ(copy.Links().size(), original.Links().size());
  for (std::size_t i = 0; i < original.Links().size(); ++i) {
    const TWrenLink& expected = *original.Links()[i];
    const TWrenLink& actual = *copy.Links()[i];
    EXPECT_EQ(actual.Table1().TableName(), expected.Table1().TableName());
    EXPECT_EQ(actual.Field1(), expected.Field1());
    EXPECT_EQ(actual.Table2().TableName(), expected.Table2().TableName());
    EXPECT_EQ(actual.Field2(), expected.Field2());
    EXPECT_EQ(actual.Operator(), expected.Operator());
    EXPECT_EQ(actual.JoinType(), expected.JoinType());
  }
  EXPECT_EQ(copy.Grid().Columns(), original.Grid().Columns());

  WriteQueryFile(path_, opened_.model, openedLayout_);
  EXPECT_EQ(ReadFileBytes(path_), text);
  EXPECT_FALSE(std::filesystem::exists(path_ + ".part"));
}

TEST_F(QueryFile, AColumnSortedDescendingWithoutFunctionOrGroupReadsBackSo) {
  WriteFileBytes(path_, std::string(kHeader) +
                            "customers,10,20,0,1,0;\r\n[Links]\r\n[Columns]\r\n"
                            "1,id,customers,Show,Desc,,;\r\n2,id,customers,,asc,count,GROUP;\r\n"
                            "[End]\r\n");
  EXPECT_EQ(Open().outcome, Outcome::kRead);
  ASSERT_EQ(opened_.model.Grid().Count(), 2);
  const TWrenColumn& desc = opened_.model.Grid().Column(0);
  EXPECT_EQ(desc.CellText(TWrenGridRow::kShow), "Show");
  EXPECT_EQ(desc.CellText(TWrenGridRow::kSort), "Desc");
  EXPECT_EQ(desc.CellText(TWrenGridRow::kFunction), "");
  EXPECT_EQ(desc.CellText(TWrenGridRow::kGroup), "");
  const TWrenColumn& other = opened_.model.Grid().Column(1);
  EXPECT_FALSE(other.show);
  EXPECT_EQ(other.sort, TWrenSort::kAsc);
  EXPECT_EQ(other.function, TWrenFunction::kCount);
  EXPECT_TRUE(other.group);
}

TEST_F(QueryFile, ColumnsGoToTheirStoredNumbers) {
  WriteFileBytes(path_, std::string(kHeader) +
                            "customers,10,20,0,1,1;\r\n[Links]\r\n[Columns]\r\n"
                            "1,id,customers,Show,,,;\r\n1,name,customers,Show,,,;\r\n"
                            "9,*,customers,Show,,,;\r\n-4,id,customers,,,,;\r\n[End]\r\n");
  EXPECT_EQ(Open().outcome, Outcome::kRead);
  std::vector<std::string> order;
  for (const TWrenColumn& column : opened_.model.Grid().Columns())
    order.push_back(column.field + (column.show ? "+" : "-"));
  EXPECT_EQ(order, (std::vector<std::string>{"id-", "name+", "id+", "*+"}));
}

TEST_F(QueryFile, AFileWithoutTheSignatureIsRefusedAndChangesNothing) {
  TWrenTable& kept = builder_.Box("orders", 3, 4);
  builder_.model.CheckField(kept, 1, true);
  const std::string samples[] = {"", "# Wrenfold2\r\n", " # Wrenfold\r\n", "# wrenfold\r\n",
                                 std::string("\x89PNG\r\n\x1a\n\0\0", 10)};
  for (const std::string& sample : samples) {
    WriteFileBytes(path_, sample);
    dialogs_.AnswerMessage(DialogButton::kOk);
    EXPECT_EQ(ReadQueryFile(path_, builder_.model, openedLayout_).outcome, Outcome::kRefused);
    EXPECT_EQ(dialogs_.MessageTexts().back(), "File " + path_ + " is not Wrenfold's query file.");
    EXPECT_EQ(openedLayout_, WrenWindowLayout());
  }
  EXPECT_EQ(builder_.model.Tables().size(), 1u);
  EXPECT_EQ(builder_.model.Grid().Count(), 1);
}

TEST_F(QueryFile, AMissingFileIsReportedAndNotCreated) {
  dialogs_.AnswerMessage(DialogButton::kOk);
  const std::string missing = directory_.File("none.qry");
  EXPECT_EQ(ReadQueryFile(missing, builder_.model, openedLayout_).outcome, Outcome::kRefused);
  EXPECT_EQ(dialogs_.MessageTexts(), std::vector<std::string>{"File " + missing + " not found."});
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(QueryFile, ATableThatNoLongerExistsGetsABoxHoldingTheAllEntryAlone) {
  BuildShopModel();
  Saved();
  opened_.engine.DropTable("orders");
  dialogs_.AnswerMessage(DialogButton::kOk);
  const QueryFileReadResult result = Open();
  EXPECT_EQ(result.outcome, Outcome::kPartial);
  const TWrenTable* orders = opened_.model.FindTable("orders");
  ASSERT_NE(orders, nullptr);
  EXPECT_EQ(orders->FieldCount(), 1);
  // Both links use a field of orders, and one column shows orders.total.
  EXPECT_TRUE(opened_.model.Links().empty());
  EXPECT_EQ(opened_.model.Grid().Count(), builder_.model.Grid().Count() - 1);
  ASSERT_EQ(result.problems.size(), 3u);
  EXPECT_EQ(result.problems[0],
            "line 13: A link between fields that cannot be linked is left out.");
  EXPECT_EQ(result.problems[2],
            "line 17: A column of a field the table does not have is left out: orders.total");
  EXPECT_EQ(dialogs_.MessageTexts().back(),
            "Query file " + path_ + " could not be read completely:\r\n" + result.problems[0] +
                "\r\n" + result.problems[1] + "\r\n" + result.problems[2]);
}

TEST_F(QueryFile, ANumberThatIsNotOneStopsTheReadingAndWhatWasReadStays) {
  WriteFileBytes(path_, std::string(kHeader) +
                            "customers,10,20,0,1,1;\r\norders,5,5,0,0,0,1;\r\n[Links]\r\n"
                            "orders,2,customers,x,0,0;\r\norders,2,customers,1,0,0;\r\n"
                            "[Columns]\r\n1,id,customers,Show,,,;\r\n[End]\r\n");
  dialogs_.AnswerMessage(DialogButton::kOk);
  const QueryFileReadResult result = Open();
  EXPECT_EQ(result.outcome, Outcome::kPartial);
  EXPECT_EQ(
      result.problems,
      std::vector<std::string>{"line 12: 'x' is not a valid integer value (reading stopped here)"});
  EXPECT_EQ(opened_.model.Tables().size(), 2u);
  EXPECT_TRUE(opened_.model.Links().empty());
  EXPECT_TRUE(opened_.model.Grid().Empty());
}

TEST_F(QueryFile, ABoxThatCannotBeSetUpIsLeftOutAndTheNextLineFollows) {
  WriteFileBytes(path_, std::string(kHeader) +
                            "customers,10,20,0,1,y;\r\norders,five,5;\r\n,1,2;\r\n"
                            "orders,5,5,0,0,0,1;\r\norders,6,6;\r\n[Links]\r\n[Columns]\r\n"
                            "1,total,orders,Show,,,;\r\n[End]\r\n");
  dialogs_.AnswerMessage(DialogButton::kOk);
  const QueryFileReadResult result = Open();
  EXPECT_EQ(result.problems,
            (std::vector<std::string>{
                "line 9: The table is left out: customers ('y' is not a valid integer value)",
                "line 10: The table is left out: orders ('five' is not a valid integer value)",
                "line 11: A table line without a table name is left out.",
                "line 13: The table is on the canvas already: orders"}));
  ASSERT_EQ(opened_.model.Tables().size(), 1u);
  EXPECT_EQ(opened_.model.Tables()[0]->Top(), 5);
  EXPECT_TRUE(opened_.model.Tables()[0]->Field(3).checked);
  EXPECT_EQ(opened_.model.Grid().Count(), 1);
}

TEST_F(QueryFile, LinksAndColumnsThatCannotBeResolvedAreLeftOut) {
  WriteFileBytes(path_, std::string(kHeader) +
                            "customers,10,20,0,1,1;\r\norders,5,5,0,0,0,1;\r\n[Links]\r\n"
                            "cars,1,customers,1,0,0;\r\norders,2,customers,1,9,0;\r\n"
                            "orders,2,customers,1,0,4;\r\norders,0,customers,1,0,0;\r\n"
                            "orders,2,customers,1,5,2;\r\ncustomers,1,orders,2,0,0;\r\n"
                            "[Columns]\r\n1,id,cars,Show,,,;\r\n1,id,customers,Sometimes,Up,"
                            "Median,Grouped;\r\n[End]\r\n");
  dialogs_.AnswerMessage(DialogButton::kOk);
  const QueryFileReadResult result = Open();
  EXPECT_EQ(result.problems,
            (std::vector<std::string>{
                "line 12: A link to a table that is not on the canvas is left out.",
                "line 13: A link with an unknown operator or join type is left out.",
                "line 14: A link with an unknown operator or join type is left out.",
                "line 15: A link between fields that cannot be linked is left out.",
                "line 17: A repeated link is left out.",
                "line 19: A column of a table that is not on the canvas is left out: cars.id",
                "line 20: An unknown column option is left out: Sometimes",
                "line 20: An unknown column option is left out: Grouped",
                "line 20: An unknown column option is left out: Up",
                "line 20: An unknown column option is left out: Median"}));
  ASSERT_EQ(opened_.model.Links().size(), 1u);
  EXPECT_EQ(opened_.model.Links()[0]->Operator(), TWrenOperator::kNotEqual);
  EXPECT_EQ(opened_.model.Links()[0]->JoinType(), TWrenJoinType::kRightOuter);
  ASSERT_EQ(opened_.model.Grid().Count(), 1);
  EXPECT_EQ(opened_.model.Grid().Column(0), (TWrenColumn{"id", "customers"}));
}

TEST_F(QueryFile, AFileFromANewerProgramGivesWhatThisOneKnows) {
  WriteFileBytes(path_,
                 "# Wrenfold\r\n# Don't change this file !\r\n[Options]\r\n100,50,480,640,1;\r\n"
                 "1,150,0,200,7,7;\r\n[Database]\r\nshop,1,utf8;\r\n[Tables]\r\n"
                 "customers,10,20,0,1,1,1,1;\r\n[Links]\r\norders,2,customers,1,0,0,x;\r\n"
                 "[Filters]\r\ncustomers,id,>,5;\r\n[Columns]\r\n"
                 "1,id,customers,Show,,,,wide;\r\n[End]\r\nanything,at,all\r\n");
  opened_.model.InsertTable("orders", 1, 1);
  dialogs_.AnswerMessage(DialogButton::kOk);
  const QueryFileReadResult result = Open();
  EXPECT_EQ(
      result.problems,
      (std::vector<std::string>{"line 11: A link to a table that is not on the canvas is left out.",
                                "line 12: Unknown section left out: [Filters]"}));
  EXPECT_EQ(openedLayout_, layout_);
  ASSERT_EQ(opened_.model.Tables().size(), 1u);
  EXPECT_TRUE(opened_.model.Tables()[0]->Field(2).checked);
  EXPECT_EQ(opened_.model.Grid().Count(), 1);
}

TEST_F(QueryFile, AShortFileGivesWhatItHasAndSaysWhereItEnds) {
  WriteFileBytes(path_, "# Wrenfold\r\n# Don't change this file !\r\n[Options]\r\n+\r\n");
  dialogs_.AnswerMessage(DialogButton::kOk);
  const QueryFileReadResult result = ReadQueryFile(path_, builder_.model, openedLayout_);
  EXPECT_EQ(result.outcome, Outcome::kPartial);
  EXPECT_TRUE(result.placementRead);
  EXPECT_FALSE(result.panesRead);
  EXPECT_FALSE(result.databaseRead);
  EXPECT_TRUE(openedLayout_.maximized);
  EXPECT_EQ(result.problems, std::vector<std::string>{"line 5: The file ends before its options."});
}

TEST_F(QueryFile, BoxPositionsStayOnTheCanvas) {
  WriteFileBytes(path_, std::string(kHeader) +
                            "customers,-40,2147483647;\r\n[Links]\r\n[Columns]\r\n[End]\r\n");
  EXPECT_EQ(Open().outcome, Outcome::kRead);
  ASSERT_EQ(opened_.model.Tables().size(), 1u);
  EXPECT_EQ(opened_.model.Tables()[0]->Top(), 0);
  EXPECT_EQ(opened_.model.Tables()[0]->Left(), kCanvasLimit);
}

TEST_F(QueryFile, AFileThatCannotBeWrittenRaisesAndLeavesNothingBehind) {
  const std::string path = directory_.File("missing-folder/shop.qry");
  EXPECT_THROW(WriteQueryFile(path, builder_.model, layout_), platform::EInOutError);
  EXPECT_TRUE(std::filesystem::is_empty(directory_.Path()));
}

TEST(QueryFileValues, EscapingKeepsTheLineFormatAndReadsLegacyPercentSignsLiterally) {
  const std::pair<const char*, const char*> cases[] = {
      {"plain", "plain"}, {"a,b;c", "a%2Cb%3Bc"}, {"100%", "100%25"}, {"[x]", "%5Bx]"},
      {"a[b", "a[b"},     {"\r\n", "%0D%0A"},     {"%2c", "%252c"},
  };
  for (const auto& [value, escaped] : cases) {
    EXPECT_EQ(EscapeQueryFileValue(value), escaped);
    EXPECT_EQ(UnescapeQueryFileValue(escaped), value);
  }
  EXPECT_EQ(UnescapeQueryFileValue("50% off %zz %"), "50% off %zz %");
}

}  // namespace
}  // namespace querybuilder
