// Table storage: creation with identifiers, sequences and constraint names;
// new records with defaults and auto-increment values; every constraint
// failure; BLOB ownership; clients that block table operations; the
// allocator's counters over a table's life.

#include "kestrel/storage/records/table_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kestrel/storage/btree/btree_index.h"
#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/records/database_data.h"
#include "kestrel/storage/tests/kestrel_test_util.h"

namespace kestrel {
namespace {

using DT = TKestrelDataType;
constexpr int32_t kSession = 1;

using test::ExpectKestrelError;

class NoopClient : public TKestrelTableClient {
 public:
  void RecordDeleted(TKestrelRecordID id) override { deleted.push_back(id.RecordNo); }
  std::vector<int32_t> deleted;
};

// Table T: ID AutoInc (primary key), NAME Varchar(10) default 'none'
// (unique), QTY Integer (not null, 1..10), DATA BLOB.
class Table : public ::testing::Test {
 protected:
  void SetUp() override {
    TKestrelFieldDefs fields;
    fields.AddField("ID", DT::kAutoInc)->InitialValue = 100;
    fields.AddField("NAME", DT::kVarchar, 10)->DefaultValue.SetAsString("none");
    fields.AddField("QTY", DT::kInteger);
    fields.AddField("DATA", DT::kBlob);
    fields.CalculateLayout();

    TKestrelIndexDefs indexes;
    auto* pk = static_cast<TKestrelIndexDef*>(indexes.AddCreated());
    pk->Name = "PK";
    pk->Primary = true;
    pk->SetColumnCount(1);
    pk->Columns[0]->FieldName = "ID";
    auto* ux = static_cast<TKestrelIndexDef*>(indexes.AddCreated());
    ux->Name = "UX";
    ux->Unique = true;
    ux->SetColumnCount(1);
    ux->Columns[0]->FieldName = "NAME";
    ux->Columns[0]->CaseInsensitive = true;

    TKestrelConstraintDefs constraints;
    constraints.Add(ConstraintForIndex(*pk));
    constraints.Add(ConstraintForIndex(*ux));
    auto notNull = std::make_unique<TKestrelConstraintDefNotNull>();
    notNull->TargetReference.Name = "QTY";
    constraints.Add(std::move(notNull));
    auto check = std::make_unique<TKestrelConstraintDefCheck>();
    check->Name = "QTY_RANGE";
    check->TargetReference.Name = "QTY";
    check->LowerBound.SetAsInteger(1);
    check->UpperBound.SetAsInteger(10);
    constraints.Add(std::move(check));

    table_ = &database_.CreateTableData("T", 2);
    table_->CreateTable(fields, indexes, constraints);
    buffer_.resize(static_cast<std::size_t>(table_->RecordSize()));
  }

  const TKestrelFieldDef& Field(const char* name) const { return *table_->FieldDefs().Find(name); }
  int FieldNo(const char* name) const { return table_->FieldDefs().IndexOf(name); }
  void SetInteger(const char* name, int32_t value) {
    std::memcpy(buffer_.data() + Field(name).DataOffset(), &value, 4);
    SetFieldNull(buffer_.data(), FieldNo(name), false);
  }
  void SetText(const char* name, const std::string& text) {
    std::memset(buffer_.data() + Field(name).DataOffset(), 0,
                static_cast<std::size_t>(Field(name).DataSize()));
    std::memcpy(buffer_.data() + Field(name).DataOffset(), text.data(), text.size());
    SetFieldNull(buffer_.data(), FieldNo(name), false);
  }
  int32_t Integer(const char* name) const {
    int32_t value = 0;
    std::memcpy(&value, buffer_.data() + Field(name).DataOffset(), 4);
    return value;
  }
  // A new record with the given quantity, checked and inserted.
  TKestrelRecordID Insert(const std::string& name, int32_t qty) {
    table_->InitRecord(buffer_.data(), true, true);
    SetText("NAME", name);
    SetInteger("QTY", qty);
    table_->CheckConstraints(buffer_.data(), {}, true, kSession);
    TKestrelRecordID id;
    EXPECT_TRUE(table_->InsertRecord(buffer_.data(), id, kSession));
    return id;
  }

  TKestrelMemoryManager memory_;
  TKestrelMemoryDatabaseData database_{memory_, BTreeIndexFactory()};
  TKestrelTableData* table_ = nullptr;
  std::vector<uint8_t> buffer_;
};

TEST_F(Table, CreationNumbersEveryDefinitionAndNamesWhatHasNoName) {
  EXPECT_EQ(database_.Name(), "MEMORY");
  std::vector<int32_t> ids;
  for (int i = 0; i < table_->FieldDefs().Count(); ++i) {
    ids.push_back(table_->FieldDefs().Items(i)->ObjectID);
  }
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 3, 4}));
  const TKestrelIndexDefs& indexes = table_->IndexManager().IndexDefs();
  EXPECT_EQ(indexes.Items(0)->ObjectID, 5);
  EXPECT_EQ(indexes.Items(0)->RootPageNo, -1);
  const TKestrelConstraintDefs& constraints = table_->ConstraintDefs();
  EXPECT_EQ(constraints.Items(0)->Name, "C_PK$ID");
  EXPECT_EQ(constraints.Items(0)->TargetReference.ObjectID, 5);
  EXPECT_EQ(static_cast<TKestrelConstraintDefUnique*>(constraints.Items(0))->Columns[0].ObjectID,
            1);
  EXPECT_EQ(constraints.Items(2)->Name, "$C_NotNull$T$QTY");
  EXPECT_EQ(constraints.Items(2)->TargetReference.ObjectID, 3);
  EXPECT_EQ(constraints.Items(3)->TableReference.Name, "T");
  const TKestrelSequenceDef& sequence = table_->SequenceManager().Sequence(Field("ID").SequenceID);
  EXPECT_EQ(sequence.Name, "$S_Autoinc$T$ID");
  EXPECT_EQ(sequence.StorageType, TKestrelStorageType::kSignedInt32);
  EXPECT_EQ(sequence.CurrentValue, 100);
  EXPECT_EQ(sequence.ObjectID, 11);
  EXPECT_TRUE(table_->HasBlobs());
}

TEST_F(Table, NewRecordsGetDefaultsAndAutoIncrementValues) {
  table_->InitRecord(buffer_.data(), true, true, 7);
  EXPECT_EQ(Integer("ID"), 101);
  EXPECT_FALSE(IsFieldNull(buffer_.data(), FieldNo("ID")));
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer_.data() + Field("NAME").DataOffset()), "none");
  EXPECT_FALSE(IsFieldNull(buffer_.data(), FieldNo("NAME")));
  EXPECT_TRUE(IsFieldNull(buffer_.data(), FieldNo("QTY")));
  EXPECT_EQ(table_->SequenceManager().LastValue(Field("ID").SequenceID, 7), 101);
  ExpectKestrelError([&] { table_->SequenceManager().LastValue(Field("ID").SequenceID, 8); },
                     "No SequenceLastValue in session for sequence '$S_Autoinc$T$ID'. Call "
                     "GetNextVal first",
                     30012);

  // A cancelled insert still used its value; an edit gets none.
  table_->InitRecord(buffer_.data(), true, true);
  EXPECT_EQ(Integer("ID"), 102);
  table_->InitRecord(buffer_.data(), false, true);
  EXPECT_TRUE(IsFieldNull(buffer_.data(), FieldNo("ID")));
  table_->InitRecord(buffer_.data(), true, false);
  EXPECT_EQ(buffer_[0], 0xFF);
  EXPECT_TRUE(IsFieldNull(buffer_.data(), FieldNo("NAME")));
  ExpectKestrelError([&] { table_->SequenceManager().Sequence(99); }, "Sequence #99 not found",
                     30010);
}

TEST_F(Table, EveryConstraintFailureHasItsMessage) {
  Insert("first", 5);
  const struct {
    const char* name;
    int32_t qty;  // 0: NULL
    bool nullID;
    bool sameID;
    std::string text;
    int code;
  } cases[] = {
      {"second", 0, false, false,
       "Constraint '$C_NotNull$T$QTY' violated. Value in field 'QTY' cannot be null", 30026},
      {"second", -3, false, false,
       "Constraint 'QTY_RANGE' violated. Value in field 'QTY' cannot be lower then '1'", 30029},
      {"second", 11, false, false,
       "Constraint 'QTY_RANGE' violated. Value in field 'QTY' cannot be greater then '10'", 30030},
      {"FIRST", 5, false, false, "Constraint unique 'C_Unique$NAME' violated. Duplicate found.",
       30320},
      {"second", 5, true, false,
       "Constraint 'C_PK$ID' violated. Value in field 'ID' cannot be null", 30330},
      {"second", 5, false, true, "Primary Key constraint 'C_PK$ID' violated. Duplicate found.",
       30319},
  };
  for (const auto& c : cases) {
    table_->InitRecord(buffer_.data(), true, true);
    SetText("NAME", c.name);
    if (c.qty != 0) {
      SetInteger("QTY", c.qty);
    }
    if (c.nullID) {
      SetFieldNull(buffer_.data(), FieldNo("ID"), true);
    }
    if (c.sameID) {
      SetInteger("ID", 101);
    }
    ExpectKestrelError([&] { table_->CheckConstraints(buffer_.data(), {}, true, kSession); },
                       c.text, c.code);
  }
  // Updating the stored record with its own key is no duplicate.
  TKestrelRecordRequest request{TKestrelNavigation::kExact, {0, 0}, buffer_.data(), false, false};
  ASSERT_EQ(table_->RecordManager()->GetRecord(request), TKestrelNavigationResult::kFound);
  table_->CheckConstraints(buffer_.data(), {0, 0}, false, kSession);
}

TEST_F(Table, ANullKeyPassesOnceAndEqualsTheNextNull) {
  Insert("a", 1);
  Insert("b", 10);
  table_->InitRecord(buffer_.data(), true, true);
  SetFieldNull(buffer_.data(), FieldNo("NAME"), true);
  SetInteger("QTY", 2);
  table_->CheckConstraints(buffer_.data(), {}, true, kSession);
  TKestrelRecordID id;
  ASSERT_TRUE(table_->InsertRecord(buffer_.data(), id, kSession));
  // A unique index holds NULL equal to NULL: a second NULL name is a
  // duplicate.
  table_->InitRecord(buffer_.data(), true, true);
  SetFieldNull(buffer_.data(), FieldNo("NAME"), true);
  SetInteger("QTY", 2);
  ExpectKestrelError([&] { table_->CheckConstraints(buffer_.data(), {}, true, kSession); },
                     "Constraint unique 'C_Unique$NAME' violated. Duplicate found.", 30320);
  EXPECT_EQ(table_->GetRecordCount(), 3);
}

TEST_F(Table, BlobBlocksBelongToTheBufferUntilStored) {
  const int data = FieldNo("DATA");
  const uint8_t* blobField = buffer_.data() + Field("DATA").DataOffset();
  table_->InitRecord(buffer_.data(), true, true);
  SetText("NAME", "b");
  SetInteger("QTY", 1);
  table_->WriteBlob(buffer_.data(), data, {0, 3, {'a', 'b', 'c'}});
  EXPECT_EQ(blobField[6], 0x0F);
  table_->WriteBlob(buffer_.data(), data, {0, 2, {'x', 'y'}});  // frees the first block
  EXPECT_EQ(table_->LiveBlobBlocks(), 1);
  TKestrelRecordID id;
  ASSERT_TRUE(table_->InsertRecord(buffer_.data(), id, kSession));
  EXPECT_EQ(blobField[6], 0xF0);
  EXPECT_EQ(blobField[7], 0xF0);
  TKestrelBlobValue value = table_->OpenBlob(buffer_.data(), data);
  EXPECT_EQ(value.ValueLength, 2);
  EXPECT_EQ(value.StoredBytes, (std::vector<uint8_t>{'x', 'y'}));

  // Freeing in an edit keeps the stored block until the update.
  table_->FreeBlob(buffer_.data(), data);
  EXPECT_EQ(table_->LiveBlobBlocks(), 1);
  table_->WriteBlob(buffer_.data(), data, {0, 1, {'z'}});
  EXPECT_EQ(table_->LiveBlobBlocks(), 2);
  ASSERT_TRUE(table_->UpdateRecord(buffer_.data(), id, kSession));
  EXPECT_EQ(table_->LiveBlobBlocks(), 1);
  EXPECT_EQ(table_->OpenBlob(buffer_.data(), data).StoredBytes, (std::vector<uint8_t>{'z'}));
  ASSERT_TRUE(table_->DeleteRecord(id, kSession));
  EXPECT_EQ(table_->LiveBlobBlocks(), 0);
  EXPECT_FALSE(table_->DeleteRecord(id, kSession));
}

TEST_F(Table, OpenClientsBlockEmptyRenameAndDelete) {
  Insert("a", 1);
  NoopClient mine;
  NoopClient other;
  table_->OpenClient(&mine);
  table_->OpenClient(&other);
  ExpectKestrelError([&] { table_->EmptyTable(&mine); },
                     "Cannot delete table 'T'. Table is open by another dataset", 10072);
  ExpectKestrelError([&] { table_->RenameTable("U", &mine); },
                     "Cannot rename table 'T'. Table is open by another dataset", 10150);
  ExpectKestrelError([&] { database_.DeleteTable(*table_, &mine); },
                     "Cannot delete table 'T'. Table is open by another dataset", 20017);
  ASSERT_TRUE(table_->DeleteRecord({0, 0}, kSession));
  EXPECT_EQ(other.deleted, (std::vector<int32_t>{0}));
  table_->CloseClient(&other);
  table_->RenameTable("U", &mine);
  EXPECT_TRUE(database_.TableExists("u"));
  EXPECT_EQ(database_.FindTableData("U"), table_);
  table_->CloseClient(&mine);
  database_.DeleteTable(*table_, nullptr);
  EXPECT_EQ(database_.TableCount(), 0);
}

TEST_F(Table, TheAllocatorIsEmptyAgainAfterTheTableIsDeleted) {
  for (int i = 0; i < 25; ++i) {  // AllocBy 2: many growth steps
    table_->InitRecord(buffer_.data(), true, true);
    SetText("NAME", "n" + std::to_string(i));
    SetInteger("QTY", 1 + i % 10);
    table_->WriteBlob(buffer_.data(), FieldNo("DATA"), {0, 4, {1, 2, 3, 4}});
    TKestrelRecordID id;
    ASSERT_TRUE(table_->InsertRecord(buffer_.data(), id, kSession));
  }
  table_->DeleteRecord({3, 0}, kSession);
  EXPECT_GT(memory_.BytesInUse(), 0);
  EXPECT_EQ(table_->LiveBlobBlocks(), 24);
  table_->EmptyTable(nullptr);
  EXPECT_EQ(table_->LiveBlobBlocks(), 0);
  EXPECT_EQ(memory_.BytesInUse(), 0);
  Insert("again", 3);
  database_.DeleteTable(*table_, nullptr);
  EXPECT_EQ(memory_.BytesInUse(), 0);
  EXPECT_EQ(memory_.BlockCount(), 0);
  EXPECT_GT(memory_.PeakBytes(), 0);
}

TEST(TableCreation, Errors) {
  TKestrelMemoryManager memory;
  TKestrelMemoryDatabaseData database(memory);
  TKestrelTableData& table = database.CreateTableData("E", 10);
  TKestrelFieldDefs none;
  TKestrelIndexDefs noIndexes;
  TKestrelConstraintDefs noConstraints;
  ExpectKestrelError([&] { table.CreateTable(none, noIndexes, noConstraints); },
                     "Error creating table - no fields were specified", 10025);
  ExpectKestrelError([&] { (void)table.RecordSize(); }, "Invalid record size = 0", 10124);

  TKestrelFieldDefs blob;
  blob.AddField("B", DT::kMemo)->BlobBlockSize = 0;
  ExpectKestrelError([&] { table.CreateTable(blob, noIndexes, noConstraints); },
                     "BLOB block size should be > 0 for field B", 10421);

  TKestrelFieldDefs fields;
  fields.AddField("A", DT::kInteger);
  TKestrelConstraintDefs constraints;
  auto unique = std::make_unique<TKestrelConstraintDefUnique>();
  unique->Name = "U";
  unique->TargetReference.Name = "NOPE";
  constraints.Add(std::move(unique));
  ExpectKestrelError([&] { table.CreateTable(fields, noIndexes, constraints); },
                     "Index 'NOPE' not found", 30326);
  constraints.Clear();
  auto check = std::make_unique<TKestrelConstraintDefCheck>();
  check->TargetReference.Name = "Z";
  constraints.Add(std::move(check));
  ExpectKestrelError([&] { table.CreateTable(fields, noIndexes, constraints); },
                     "Field 'Z' not found", 30027);
  constraints.Clear();
  constraints.Add(std::make_unique<TKestrelConstraintDefPrimary>());
  ExpectKestrelError([&] { table.CreateTable(fields, noIndexes, constraints); },
                     "Not implemented yet", 30038);
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST_F(Table, DeleteVisibleRecordsByTheCursorsView) {
  for (int i = 0; i < 5; ++i) {
    Insert("r" + std::to_string(i), 1);
  }
  std::vector<TKestrelRecordID> tooMany(6);
  ExpectKestrelError([&] { table_->DeleteVisibleRecords(&tooMany, kSession); },
                     "Invalid record count = 6. Limit is 5", 11311);
  const std::vector<TKestrelRecordID> some = {{1, 0}, {3, 0}};
  table_->DeleteVisibleRecords(&some, kSession);
  EXPECT_EQ(table_->GetRecordCount(), 3);
  EXPECT_FALSE(table_->RecordManager()->RecordExists({3, 0}));
  table_->DeleteVisibleRecords(nullptr, kSession);
  EXPECT_EQ(table_->GetRecordCount(), 0);
}

TEST_F(Table, IndexesAddedLaterBringAndTakeTheirConstraints) {
  Insert("a", 4);
  TKestrelIndexDef index;
  index.Name = "UQ";
  index.Unique = true;
  index.SetColumnCount(1);
  index.Columns[0]->FieldName = "QTY";
  table_->AddIndex(index);
  const TKestrelConstraintDefs& constraints = table_->ConstraintDefs();
  ASSERT_EQ(constraints.Count(), 5);
  EXPECT_EQ(constraints.Items(4)->Name, "C_Unique$QTY");
  EXPECT_EQ(constraints.Items(4)->TargetReference.ObjectID,
            table_->IndexManager().IndexDefs().Find("UQ")->ObjectID);
  table_->InitRecord(buffer_.data(), true, true);
  SetText("NAME", "b");
  SetInteger("QTY", 4);
  ExpectKestrelError([&] { table_->CheckConstraints(buffer_.data(), {}, true, kSession); },
                     "Constraint unique 'C_Unique$QTY' violated. Duplicate found.", 30320);
  EXPECT_TRUE(table_->DropIndex("uq"));
  EXPECT_EQ(constraints.Count(), 4);
  table_->CheckConstraints(buffer_.data(), {}, true, kSession);
  EXPECT_FALSE(table_->DropIndex("uq"));

  index.Columns[0]->FieldName = "MISSING";
  ExpectKestrelError([&] { table_->AddIndex(index); }, "Field 'MISSING' not found", 30027);
  EXPECT_EQ(table_->IndexManager().IndexDefs().Find("UQ"), nullptr);
}

}  // namespace
}  // namespace kestrel
