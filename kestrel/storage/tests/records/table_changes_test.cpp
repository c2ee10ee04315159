// Record changes that must hold together: a default BLOB value gets a block
// of its own, an index added later checks the stored records, a failing
// index undoes the insert, one lock covers the constraint check and the
// store, and no client can reach a table that is being deleted.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "kestrel/storage/btree/btree_index.h"
#include "kestrel/storage/records/database_data.h"
#include "kestrel/storage/tests/kestrel_test_util.h"

namespace kestrel {
namespace {

using DT = TKestrelDataType;
using test::ExpectKestrelError;
constexpr int32_t kSession = 5;

class NoClient : public TKestrelTableClient {
 public:
  void RecordDeleted(TKestrelRecordID) override {}
};

TKestrelIndexDef& AddIndex(TKestrelIndexDefs& indexes, const std::string& name,
                           const std::string& field, bool unique, bool primary = false) {
  auto* index = static_cast<TKestrelIndexDef*>(indexes.AddCreated());
  index->Name = name;
  index->Unique = unique;
  index->Primary = primary;
  index->SetColumnCount(1);
  index->Columns[0]->FieldName = field;
  return *index;
}

void PutInt(std::vector<uint8_t>& record, const TKestrelTableData& table, const char* field,
            int32_t value) {
  const TKestrelFieldDef& def = *table.FieldDefs().Find(field);
  std::memcpy(record.data() + def.DataOffset(), &value, 4);
  SetFieldNull(record.data(), table.FieldDefs().IndexOf(field), false);
}

TEST(TableChanges, ADefaultBlobValueGetsABlockOfItsOwnInEveryRecord) {
  TKestrelMemoryManager memory;
  TKestrelMemoryDatabaseData database(memory, BTreeIndexFactory());
  TKestrelFieldDefs fields;
  fields.AddField("ID", DT::kInteger);
  fields.AddField("NOTE", DT::kMemo)->DefaultValue.SetAsString("hello");
  TKestrelTableData& table = database.CreateTableData("T", 10);
  table.CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());
  const int note = table.FieldDefs().IndexOf("NOTE");
  std::vector<uint8_t> first(static_cast<std::size_t>(table.RecordSize()));
  std::vector<uint8_t> second(first.size());
  table.InitRecord(first.data(), true, true);
  table.InitRecord(second.data(), true, true);
  EXPECT_EQ(table.LiveBlobBlocks(), 2);
  const std::vector<uint8_t> hello = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_EQ(table.OpenBlob(first.data(), note).StoredBytes, hello);
  EXPECT_EQ(table.OpenBlob(first.data(), note).ValueLength, 5);
  TKestrelRecordID firstID;
  TKestrelRecordID secondID;
  ASSERT_TRUE(table.InsertRecord(first.data(), firstID, kSession));
  ASSERT_TRUE(table.InsertRecord(second.data(), secondID, kSession));
  // Deleting one record frees its block only.
  ASSERT_TRUE(table.DeleteRecord(firstID, kSession));
  EXPECT_EQ(table.LiveBlobBlocks(), 1);
  EXPECT_EQ(table.OpenBlob(second.data(), note).StoredBytes, hello);

  // A compressed field's default is stored compressed, in blocks of its own.
  TKestrelFieldDefs compressed;
  TKestrelFieldDef* blob = compressed.AddField("DATA", DT::kMemo);
  const std::string text(5000, 'x');
  blob->DefaultValue.SetAsString(text);
  blob->BlobCompressionAlgorithm = 1;
  blob->BlobCompressionMode = 6;
  TKestrelTableData& other = database.CreateTableData("C", 10);
  other.CreateTable(compressed, TKestrelIndexDefs(), TKestrelConstraintDefs());
  std::vector<uint8_t> record(static_cast<std::size_t>(other.RecordSize()));
  std::vector<uint8_t> copy(record.size());
  other.InitRecord(record.data(), true, true);
  other.InitRecord(copy.data(), true, true);
  const TKestrelBlobValue stored = other.OpenBlob(record.data(), 0);
  EXPECT_EQ(stored.ValueLength, 5000);
  EXPECT_EQ(stored.BlockCount, 1);
  EXPECT_LT(stored.StoredBytes.size(), 1000u) << "the default is stored compressed";
  auto stream = other.OpenBlobStream(copy.data(), 0, TKestrelBlobOpenMode::Read);
  std::string back(5000, '\0');
  ASSERT_EQ(stream->Read(back.data(), 5000), 5000);
  EXPECT_EQ(back, text);
  other.FreeBlob(record.data(), 0);
  EXPECT_EQ(other.OpenBlob(copy.data(), 0).ValueLength, 5000) << "each record owns its block";
  other.FreeBlob(copy.data(), 0);
}

class StoredRows : public ::testing::Test {
 protected:
  void SetUp() override {
    fields_.AddField("ID", DT::kInteger);
    fields_.AddField("QTY", DT::kInteger);
    table_ = &database_.CreateTableData("T", 100);
    table_->CreateTable(fields_, TKestrelIndexDefs(), TKestrelConstraintDefs());
    record_.resize(static_cast<std::size_t>(table_->RecordSize()));
  }
  void Insert(int32_t id, std::optional<int32_t> qty) {
    table_->InitRecord(record_.data(), true, true);
    PutInt(record_, *table_, "ID", id);
    if (qty) {
      PutInt(record_, *table_, "QTY", *qty);
    }
    TKestrelRecordID stored;
    ASSERT_TRUE(table_->InsertRecord(record_.data(), stored, kSession));
  }

  TKestrelMemoryManager memory_;
  TKestrelMemoryDatabaseData database_{memory_, BTreeIndexFactory()};
  TKestrelFieldDefs fields_;
  TKestrelTableData* table_ = nullptr;
  std::vector<uint8_t> record_;
};

TEST_F(StoredRows, AnIndexAddedLaterChecksTheStoredRecords) {
  Insert(1, 10);
  Insert(2, std::nullopt);
  Insert(3, 20);
  Insert(4, 10);
  TKestrelIndexDefs indexes;
  AddIndex(indexes, "UQ", "QTY", true);
  ExpectKestrelError([&] { table_->AddIndex(*indexes.Items(0)); },
                     "Constraint unique 'C_Unique$QTY' violated. Duplicate found.", 30320);
  EXPECT_EQ(table_->IndexManager().IndexDefs().Count(), 0);
  EXPECT_EQ(table_->ConstraintDefs().Count(), 0);
  EXPECT_EQ(table_->PageManager().GetUsedPageCount(), 0);

  AddIndex(indexes, "PK", "QTY", false, true);
  ExpectKestrelError([&] { table_->AddIndex(*indexes.Items(1)); },
                     "Constraint 'C_PK$QTY' violated. Value in field 'QTY' cannot be null", 30330);

  // On ID every record passes; the index holds them all.
  AddIndex(indexes, "PKID", "ID", false, true);
  table_->AddIndex(*indexes.Items(2));
  TKestrelTableIndex& index =
      table_->IndexManager().IndexByID(table_->IndexManager().IndexDefs().Find("PKID")->ObjectID);
  index.CheckIntegrity(kSession);
  table_->InitRecord(record_.data(), true, true);
  PutInt(record_, *table_, "ID", 3);
  EXPECT_FALSE(index.IsKeyUnique(kSession, record_.data()));
}

TEST_F(StoredRows, AnIndexThatFailsUndoesTheInsert) {
  // QTY's index comes first and rarely splits; BIG's pages fill quickly.
  TKestrelFieldDefs fields;
  fields.AddField("QTY", DT::kInteger);
  fields.AddField("BIG", DT::kVarchar, 1300);
  TKestrelIndexDefs indexes;
  AddIndex(indexes, "BY_QTY", "QTY", false);
  AddIndex(indexes, "BY_BIG", "BIG", false);
  TKestrelTableData& table = database_.CreateTableData("U", 1000);
  table.CreateTable(fields, indexes, TKestrelConstraintDefs());
  std::vector<uint8_t> record(static_cast<std::size_t>(table.RecordSize()));
  TKestrelIndexManager& manager = table.IndexManager();
  TKestrelTableIndex& byQty = manager.IndexByID(manager.IndexDefs().Items(0)->ObjectID);
  TKestrelTableIndex& byBig = manager.IndexByID(manager.IndexDefs().Items(1)->ObjectID);
  const auto fill = [&](int32_t i) {
    table.InitRecord(record.data(), true, true);
    PutInt(record, table, "QTY", i);
    const std::string big = std::string(1200, 'b') + std::to_string(100000 + (i * 7) % 997);
    const TKestrelFieldDef& field = *table.FieldDefs().Find("BIG");
    std::memcpy(record.data() + field.DataOffset(), big.c_str(), big.size() + 1);
    SetFieldNull(record.data(), table.FieldDefs().IndexOf("BIG"), false);
  };
  const auto entries = [&](TKestrelTableIndex& index) {
    int64_t count = 0;
    TKestrelKeyPath path;
    for (bool more = index.FirstEntry(kSession, path); more;
         more = index.NextEntry(kSession, path)) {
      ++count;
    }
    return count;
  };
  // The first record brings the record slots (1000 of them) and the first
  // page memory. Then, with no memory to spare, the first insert whose BIG
  // page must come from new page memory fails after BY_QTY (whose one leaf
  // has room for 370 entries) took its key.
  fill(0);
  TKestrelRecordID first;
  ASSERT_TRUE(table.InsertRecord(record.data(), first, kSession));
  bool failed = false;
  for (int32_t i = 1; i < 360 && !failed; ++i) {
    fill(i);
    memory_.SetLimit(memory_.BytesInUse() + 2 * 4096);
    TKestrelRecordID id;
    try {
      ASSERT_TRUE(table.InsertRecord(record.data(), id, kSession));
    } catch (const EKestrelException& e) {
      EXPECT_EQ(e.NativeError(), 30004);
      failed = true;
    }
    memory_.SetLimit(0);
  }
  ASSERT_TRUE(failed);
  const int64_t stored = table.GetRecordCount();
  EXPECT_GT(stored, 40);
  EXPECT_EQ(entries(byQty), stored);
  EXPECT_EQ(entries(byBig), stored);
  byQty.CheckIntegrity(kSession);
  byBig.CheckIntegrity(kSession);
  EXPECT_EQ(table.PageManager().ChangedPageCount(kSession), 0);
  // With memory again the same record goes in.
  TKestrelRecordID id;
  ASSERT_TRUE(table.InsertRecord(record.data(), id, kSession));
  EXPECT_EQ(entries(byQty), stored + 1);
  EXPECT_EQ(entries(byBig), stored + 1);
}

TEST(TableLocks, OnlyOneOfManySessionsPostsAKey) {
  TKestrelMemoryManager memory;
  TKestrelMemoryDatabaseData database(memory, BTreeIndexFactory());
  TKestrelFieldDefs fields;
  fields.AddField("ID", DT::kInteger);
  TKestrelIndexDefs indexes;
  TKestrelIndexDef& pk = AddIndex(indexes, "PK", "ID", false, true);
  TKestrelConstraintDefs constraints;
  constraints.Add(ConstraintForIndex(pk));
  TKestrelTableData& table = database.CreateTableData("T", 1000);
  table.CreateTable(fields, indexes, constraints);
  constexpr int kRounds = 300;
  std::vector<std::atomic<int>> posted(kRounds);
  std::vector<std::thread> sessions;
  for (int32_t session = 1; session <= 4; ++session) {
    sessions.emplace_back([&, session] {
      std::vector<uint8_t> record(static_cast<std::size_t>(table.RecordSize()));
      for (int32_t round = 0; round < kRounds; ++round) {
        table.InitRecord(record.data(), true, true, session);
        PutInt(record, table, "ID", round);
        TKestrelRecordID id;
        try {
          if (table.PostRecord(record.data(), id, true, session)) {
            ++posted[static_cast<std::size_t>(round)];
          }
        } catch (const EKestrelException& e) {
          if (e.NativeError() != 30319) {
            ++posted[static_cast<std::size_t>(round)];  // counted as a wrong outcome
          }
        }
      }
    });
  }
  for (std::thread& thread : sessions) {
    thread.join();
  }
  for (int round = 0; round < kRounds; ++round) {
    ASSERT_EQ(posted[static_cast<std::size_t>(round)].load(), 1) << round;
  }
  EXPECT_EQ(table.GetRecordCount(), kRounds);
}

TEST(TableLocks, RegisteringAClientWaitsForTheDatabaseLock) {
  TKestrelMemoryManager memory;
  TKestrelMemoryDatabaseData database(memory, BTreeIndexFactory());
  TKestrelTableData& table = database.CreateTableData("T", 10);
  NoClient client;
  std::promise<void> locked;
  std::promise<void> release;
  std::thread holder([&] {
    std::lock_guard guard(database.Lock());
    locked.set_value();
    release.get_future().wait();
  });
  locked.get_future().wait();
  auto opening = std::async(std::launch::async, [&] { table.OpenClient(&client); });
  EXPECT_EQ(opening.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  release.set_value();
  holder.join();
  opening.get();
  EXPECT_EQ(table.OtherClientCount(nullptr), 1);
  ExpectKestrelError([&] { database.DeleteTable(table, nullptr); },
                     "Cannot delete table 'T'. Table is open by another dataset", 20017);
  table.CloseClient(&client);
}

TEST(TableLocks, AClientNeverReachesADeletedTable) {
  TKestrelMemoryManager memory;
  TKestrelMemoryDatabaseData database(memory, BTreeIndexFactory());
  for (int attempt = 0; attempt < 50; ++attempt) {
    TKestrelFieldDefs fields;
    fields.AddField("ID", DT::kInteger);
    database.CreateTableData("T", 10).CreateTable(fields, TKestrelIndexDefs(),
                                                  TKestrelConstraintDefs());
    std::atomic<bool> deleted = false;
    std::thread cursor([&] {
      NoClient client;
      while (!deleted) {
        if (TKestrelTableData* table = database.OpenTableClient("t", &client)) {
          // Registered: the table stays until the client closes.
          EXPECT_EQ(table->TableName(), "T");
          EXPECT_GT(table->RecordSize(), 0);
          table->CloseClient(&client);
        }
      }
      EXPECT_EQ(database.OpenTableClient("T", &client), nullptr);
    });
    for (;;) {
      TKestrelTableData* table = database.FindTableData("T");
      try {
        database.DeleteTable(*table, nullptr);
        break;
      } catch (const EKestrelException& e) {
        ASSERT_EQ(e.NativeError(), 20017);
      }
    }
    deleted = true;
    cursor.join();
    EXPECT_EQ(database.TableCount(), 0);
  }
}

}  // namespace
}  // namespace kestrel
