#pragma once
// A memory table with B-tree indexes for the index tests: records are
// built field by field, stored through the table (so the index manager and
// its commits take part) and their index entries read back in order.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "kestrel/storage/btree/btree_index.h"
#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/records/database_data.h"
#include "kestrel/storage/tests/kestrel_test_util.h"

namespace kestrel::btree_test {

inline constexpr int32_t kSession = 3;

using test::ExpectKestrelError;

// One index column: field name, descending, case-insensitive.
struct Column {
  std::string field;
  bool descending = false;
  bool caseInsensitive = false;
};

inline void AddIndexDef(TKestrelIndexDefs& indexes, const std::string& name,
                        const std::vector<Column>& columns, bool unique = false) {
  auto* index = static_cast<TKestrelIndexDef*>(indexes.AddCreated());
  index->Name = name;
  index->Unique = unique;
  index->SetColumnCount(static_cast<int>(columns.size()));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    index->Columns[i]->FieldName = columns[i].field;
    index->Columns[i]->Descending = columns[i].descending;
    index->Columns[i]->CaseInsensitive = columns[i].caseInsensitive;
  }
}

class BTreeTable : public ::testing::Test {
 protected:
  void Create(const TKestrelFieldDefs& fields, const TKestrelIndexDefs& indexes) {
    table_ = &database_.CreateTableData("T", 1000);
    table_->CreateTable(fields, indexes, TKestrelConstraintDefs());
    record_.assign(static_cast<std::size_t>(table_->RecordSize()), 0);
  }

  // Field N Integer with index IX on it.
  void CreateIntegerIndex(bool temporary = false) {
    TKestrelFieldDefs fields;
    fields.AddField("N", TKestrelDataType::kInteger);
    TKestrelIndexDefs indexes;
    AddIndexDef(indexes, "IX", {{"N"}});
    indexes.Items(0)->Temporary = temporary;
    Create(fields, indexes);
  }

  const TKestrelFieldDef& Field(const std::string& name) const {
    return *table_->FieldDefs().Find(name);
  }
  int FieldNo(const std::string& name) const { return table_->FieldDefs().IndexOf(name); }

  void Clear() { table_->InitRecord(record_.data(), false, false); }
  void SetNull(const std::string& name) { SetFieldNull(record_.data(), FieldNo(name), true); }
  void SetInt(const std::string& name, int32_t value) {
    std::memcpy(record_.data() + Field(name).DataOffset(), &value, 4);
    SetFieldNull(record_.data(), FieldNo(name), false);
  }
  void SetText(const std::string& name, const std::string& text) {
    uint8_t* at = record_.data() + Field(name).DataOffset();
    std::memset(at, 0, static_cast<std::size_t>(Field(name).DataSize()));
    std::memcpy(at, text.data(), std::min<std::size_t>(text.size(), Field(name).DataSize() - 1));
    SetFieldNull(record_.data(), FieldNo(name), false);
  }
  void SetWide(const std::string& name, const std::u16string& text) {
    uint8_t* at = record_.data() + Field(name).DataOffset();
    std::memset(at, 0, static_cast<std::size_t>(Field(name).DataSize()));
    std::memcpy(at, text.data(), text.size() * 2);
    SetFieldNull(record_.data(), FieldNo(name), false);
  }
  TKestrelRecordID Store() {
    TKestrelRecordID id;
    EXPECT_TRUE(table_->InsertRecord(record_.data(), id, kSession));
    return id;
  }
  TKestrelRecordID InsertInt(const std::string& name, int32_t value) {
    Clear();
    SetInt(name, value);
    return Store();
  }
  TKestrelRecordID InsertText(const std::string& name, const std::string& text) {
    Clear();
    SetText(name, text);
    return Store();
  }

  TKestrelTableIndex& Index(int position = 0) {
    return table_->IndexManager().IndexByID(
        table_->IndexManager().IndexDefs().Items(position)->ObjectID);
  }
  TKestrelIndexDef& Def(int position = 0) {
    return *table_->IndexManager().IndexDefs().Items(position);
  }
  TKestrelPageManager& Pages() { return table_->PageManager(); }

  // The record IDs in index order, walked forward.
  std::vector<int32_t> Order(int position = 0) {
    std::vector<int32_t> ids;
    TKestrelKeyPath path;
    TKestrelTableIndex& index = Index(position);
    for (bool more = index.FirstEntry(kSession, path); more;
         more = index.NextEntry(kSession, path)) {
      ids.push_back(index.EntryRecordID(kSession, path).RecordNo);
    }
    return ids;
  }
  // The same walked backward, reversed again.
  std::vector<int32_t> ReverseOrder(int position = 0) {
    std::vector<int32_t> ids;
    TKestrelKeyPath path;
    TKestrelTableIndex& index = Index(position);
    for (bool more = index.LastEntry(kSession, path); more;
         more = index.PriorEntry(kSession, path)) {
      ids.insert(ids.begin(), index.EntryRecordID(kSession, path).RecordNo);
    }
    return ids;
  }

  TKestrelMemoryManager memory_;
  TKestrelMemoryDatabaseData database_{memory_, BTreeIndexFactory()};
  TKestrelTableData* table_ = nullptr;
  std::vector<uint8_t> record_;
};

}  // namespace kestrel::btree_test
