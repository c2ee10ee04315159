// The shape of B-trees: page capacity and splits by the numbers, a root
// that keeps its page number, deletes down to an empty root, and the keys
// an index refuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "kestrel/storage/pages/page_manager_temporary.h"
#include "kestrel/storage/tests/btree/btree_fixture.h"

namespace kestrel::btree_test {
namespace {

using DT = TKestrelDataType;

class IntegerIndex : public BTreeTable {
 protected:
  void SetUp() override { CreateIntegerIndex(); }
  TKestrelBTreePage Page(const TKestrelPageHandle& handle) {
    return TKestrelBTreePage(handle.Data(), keyRef(), Pages().PageSize());
  }
  const TKestrelBTreeKeyRef& keyRef() { return static_cast<TKestrelBTreeIndex&>(Index()).KeyRef(); }
};

TEST_F(IntegerIndex, OneIntegerKeyTakesFiveBytesAndALeafHolds370Entries) {
  EXPECT_EQ(Index().KeyLength(), 5);
  EXPECT_EQ(Def().RootPageNo, -1);
  for (int32_t n = 0; n < 370; ++n) {
    InsertInt("N", n);
  }
  const int32_t root = Def().RootPageNo;
  ASSERT_NE(root, -1);
  {
    const TKestrelPageHandle handle = Pages().GetPage(kSession, root);
    const TKestrelBTreePage page = Page(handle);
    EXPECT_TRUE(page.IsLeaf());
    EXPECT_EQ(page.ItemSize(), 11);
    EXPECT_EQ(page.Capacity(), 370);
    EXPECT_EQ(page.ItemCount(), 370);
  }
  InsertInt("N", 370);
  EXPECT_EQ(Def().RootPageNo, root);
  const TKestrelPageHandle handle = Pages().GetPage(kSession, root);
  const TKestrelBTreePage page = Page(handle);
  ASSERT_FALSE(page.IsLeaf());
  ASSERT_EQ(page.ItemCount(), 2);
  const TKestrelPageHandle left = Pages().GetPage(kSession, page.Child(0));
  const TKestrelPageHandle right = Pages().GetPage(kSession, page.Child(1));
  EXPECT_EQ(Page(left).ItemCount(), 185);
  EXPECT_EQ(Page(right).ItemCount(), 186);
  EXPECT_EQ(Page(left).NextPageNo(), page.Child(1));
  EXPECT_EQ(Page(right).PrevPageNo(), page.Child(0));
  EXPECT_FALSE(Page(left).IsRoot());
  // The separator is the right page's first key.
  EXPECT_EQ(keyRef().CompareKeys(page.Key(1), Page(right).Key(0), 0), 0);
  Index().CheckIntegrity(kSession);
}

TEST_F(IntegerIndex, AscendingAndDescendingInsertsKeepTheRootPage) {
  for (const bool ascending : {true, false}) {
    table_->EmptyTable(nullptr);
    InsertInt("N", 0);
    const int32_t root = Def().RootPageNo;
    std::vector<int32_t> expected;
    for (int32_t i = 1; i <= 40000; ++i) {
      InsertInt("N", ascending ? i : -i);
      ASSERT_EQ(Def().RootPageNo, root) << i;
    }
    Index().CheckIntegrity(kSession);
    std::vector<int32_t> ids = Order();
    ASSERT_EQ(ids.size(), 40001u);
    // Record i holds i (ascending) or -i: the order is by value.
    std::vector<int32_t> sorted(ids.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    if (!ascending) {
      std::reverse(sorted.begin() + 1, sorted.end());
      std::rotate(sorted.begin(), sorted.begin() + 1, sorted.end());
    }
    EXPECT_EQ(ids, sorted);
    EXPECT_EQ(ReverseOrder(), sorted);
  }
}

TEST_F(IntegerIndex, DeletingEveryRecordLeavesAnEmptyRootThatIsUsedAgain) {
  std::vector<TKestrelRecordID> ids;
  for (int32_t n = 0; n < 5000; ++n) {
    ids.push_back(InsertInt("N", (n * 7919) % 5000));
  }
  const int32_t root = Def().RootPageNo;
  EXPECT_GT(Pages().GetUsedPageCount(), 14);
  std::mt19937 random(7);
  std::shuffle(ids.begin(), ids.end(), random);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    ASSERT_TRUE(table_->DeleteRecord(ids[i], kSession));
    if (i % 500 == 0) {
      Index().CheckIntegrity(kSession);
    }
  }
  EXPECT_EQ(Def().RootPageNo, root);
  EXPECT_TRUE(Index().IsEmpty(kSession));
  EXPECT_EQ(Pages().GetUsedPageCount(), 1);
  {
    const TKestrelPageHandle handle = Pages().GetPage(kSession, root);
    EXPECT_TRUE(Page(handle).IsLeaf());
    EXPECT_TRUE(Page(handle).IsRoot());
    EXPECT_EQ(Page(handle).ItemCount(), 0);
  }
  InsertInt("N", 1);
  EXPECT_EQ(Def().RootPageNo, root);
  EXPECT_EQ(Order().size(), 1u);
}

TEST_F(IntegerIndex, EmptyingOrDroppingGivesThePagesBack) {
  for (int32_t n = 0; n < 2000; ++n) {
    InsertInt("N", n);
  }
  EXPECT_GT(memory_.BytesInUse(), 6 * 4096);
  table_->EmptyTable(nullptr);
  EXPECT_EQ(Def().RootPageNo, -1);
  EXPECT_EQ(Pages().GetUsedPageCount(), 0);
  EXPECT_EQ(static_cast<TKestrelMemoryPageManager&>(Pages()).PageCount(), 0);
  for (int32_t n = 0; n < 2000; ++n) {
    InsertInt("N", n);
  }
  EXPECT_TRUE(table_->DropIndex("IX"));
  EXPECT_EQ(Pages().GetUsedPageCount(), 0);
  database_.DeleteTable(*table_, nullptr);
  EXPECT_EQ(memory_.BytesInUse(), 0);
}

TEST_F(IntegerIndex, BuildInsertsTheKeysOfEveryStoredRecord) {
  for (int32_t n = 0; n < 3000; ++n) {
    InsertInt("N", (n * 131) % 3000);
  }
  const std::vector<int32_t> before = Order();
  Index().DropPages(kSession);
  Index().CommitPages(kSession);
  EXPECT_TRUE(Index().IsEmpty(kSession));
  EXPECT_EQ(Pages().GetUsedPageCount(), 0);
  Index().Build(kSession);
  Index().CommitPages(kSession);
  Index().CheckIntegrity(kSession);
  EXPECT_EQ(Order(), before);
}

TEST(TemporaryTables, IndexesOfResultTablesKeepTheirPagesInTheTemporaryManager) {
  TKestrelMemoryManager memory;
  TKestrelTemporaryDatabaseData database(memory, BTreeIndexFactory());
  TKestrelFieldDefs fields;
  fields.AddField("N", DT::kInteger);
  TKestrelIndexDefs indexes;
  AddIndexDef(indexes, "ORDER", {{"N", true}});
  TKestrelTableData& table = database.CreateTableData("R", 0);
  table.CreateTable(fields, indexes, TKestrelConstraintDefs());
  std::vector<uint8_t> record(static_cast<std::size_t>(table.RecordSize()));
  for (int32_t n = 0; n < 2000; ++n) {
    table.InitRecord(record.data(), true, true);
    std::memcpy(record.data() + table.FieldDefs().Items(0)->DataOffset(), &n, 4);
    SetFieldNull(record.data(), 0, false);
    TKestrelRecordID id;
    ASSERT_TRUE(table.InsertRecord(record.data(), id, kSession));
  }
  EXPECT_NE(dynamic_cast<TKestrelTemporaryPageManager*>(&table.PageManager()), nullptr);
  EXPECT_GT(table.PageManager().GetUsedPageCount(), 5);
  TKestrelTableIndex& index =
      table.IndexManager().IndexByID(table.IndexManager().IndexDefs().Items(0)->ObjectID);
  index.CheckIntegrity(kSession);
  TKestrelKeyPath path;
  ASSERT_TRUE(index.FirstEntry(kSession, path));
  EXPECT_EQ(index.EntryRecordID(kSession, path).RecordNo, 1999);
}

struct RefusedKey {
  TKestrelDataType type;
  int32_t size;
  std::string text;
  int code;
};

class RefusedKeys : public ::testing::TestWithParam<RefusedKey> {};

TEST_P(RefusedKeys, AreRefusedWhenTheTableIsCreatedAndWhenAnIndexIsAdded) {
  const RefusedKey& c = GetParam();
  TKestrelMemoryManager memory;
  TKestrelMemoryDatabaseData database(memory, BTreeIndexFactory());
  TKestrelFieldDefs fields;
  fields.AddField("K", c.type, c.size);
  fields.AddField("OTHER", DT::kInteger);
  TKestrelIndexDefs indexes;
  AddIndexDef(indexes, "PK", {{"K"}}, true);
  TKestrelTableData& table = database.CreateTableData("T", 10);
  ExpectKestrelError([&] { table.CreateTable(fields, indexes, TKestrelConstraintDefs()); }, c.text,
                     c.code);

  table.CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());
  ExpectKestrelError([&] { table.AddIndex(*indexes.Items(0)); }, c.text, c.code);
  EXPECT_EQ(table.IndexManager().IndexDefs().Count(), 0);
  EXPECT_EQ(table.ConstraintDefs().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RefusedKeys,
    ::testing::Values(
        RefusedKey{DT::kBlob, 0, "Unknown DataType: 'BLOB'", 30047},
        RefusedKey{DT::kMemo, 0, "Unknown DataType: 'MEMO'", 30047},
        RefusedKey{DT::kBytes, 8, "Unknown DataType: 'BYTES'", 30047},
        // A PRIMARY KEY on VARCHAR(2100): two items would not fit a page.
        RefusedKey{DT::kVarchar, 2100,
                   "Cannot create index 'PK'. Key length = 2102, a page holds keys of at most "
                   "1353 bytes",
                   20100},
        RefusedKey{DT::kVarchar, 1352,
                   "Cannot create index 'PK'. Key length = 1354, a page holds keys of at most "
                   "1353 bytes",
                   20100}));

TEST_F(BTreeTable, TheLongestKeyAPageTakesWorks) {
  TKestrelFieldDefs fields;
  fields.AddField("K", DT::kVarchar, 1351);  // slot 1353 bytes: three leaf items fit
  TKestrelIndexDefs indexes;
  AddIndexDef(indexes, "IX", {{"K"}});
  Create(fields, indexes);
  EXPECT_EQ(Index().KeyLength(), 1353);
  for (int i = 0; i < 60; ++i) {
    InsertText("K", std::string(1300, 'a') + std::to_string(1000 + (i * 37) % 60));
  }
  Index().CheckIntegrity(kSession);
  EXPECT_EQ(Order().size(), 60u);
  EXPECT_GT(Pages().GetUsedPageCount(), 20);
}

TEST_F(BTreeTable, AnIndexOnAnUnknownFieldIsRefused) {
  TKestrelFieldDefs fields;
  fields.AddField("A", DT::kInteger);
  TKestrelIndexDefs indexes;
  AddIndexDef(indexes, "IX", {{"NOPE"}});
  table_ = &database_.CreateTableData("T", 10);
  ExpectKestrelError([&] { table_->CreateTable(fields, indexes, TKestrelConstraintDefs()); },
                     "Cannot find index field 'NOPE'", 20043);
}

}  // namespace
}  // namespace kestrel::btree_test
