#include "kestrel/storage/records/database_data.h"

#include <algorithm>

#include "kestrel/storage/btree/btree_index.h"
#include "kestrel/storage/kestrel_exception.h"
#include "platform/text.h"

namespace kestrel {

TKestrelDatabaseData::TKestrelDatabaseData(std::string name, TKestrelMemoryManager& memory,
                                           TKestrelTableIndexFactory indexFactory)
    : name_(std::move(name)),
      memory_(memory),
      indexFactory_(indexFactory ? std::move(indexFactory) : BTreeIndexFactory()) {
  identifiers_.Name = "$ObjectIdentifiers";
}

TKestrelDatabaseData::~TKestrelDatabaseData() {
  std::lock_guard guard(lock_);
  tables_.clear();
}

int32_t TKestrelDatabaseData::NextObjectID() {
  std::lock_guard guard(lock_);
  return kestrel::NextObjectID(identifiers_);
}

void TKestrelDatabaseData::RegisterClient(const void* client) {
  std::lock_guard guard(lock_);
  clients_.push_back(client);
}

void TKestrelDatabaseData::UnregisterClient(const void* client) {
  std::lock_guard guard(lock_);
  const auto it = std::find(clients_.begin(), clients_.end(), client);
  if (it != clients_.end()) {
    clients_.erase(it);
  }
}

int TKestrelDatabaseData::ClientCount() const {
  std::lock_guard guard(lock_);
  return static_cast<int>(clients_.size());
}

void TKestrelDatabaseData::GetTableNames(std::vector<std::string>& names) const {
  std::lock_guard guard(lock_);
  for (const auto& table : tables_) {
    names.push_back(table->TableName());
  }
}

bool TKestrelDatabaseData::TableExists(const std::string& tableName) const {
  std::vector<std::string> names;
  GetTableNames(names);
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& name) { return platform::SameText(name, tableName); });
}

TKestrelTableData* TKestrelDatabaseData::FindTableData(const std::string& tableName) const {
  std::lock_guard guard(lock_);
  const std::string wanted = platform::UpperCase(tableName);
  for (const auto& table : tables_) {
    if (platform::UpperCase(table->TableName()) == wanted) {
      return table.get();
    }
  }
  return nullptr;
}

TKestrelTableData& TKestrelDatabaseData::OpenTableData(const std::string& tableName,
                                                       int32_t allocBy) {
  std::lock_guard guard(lock_);
  TKestrelTableData* table = FindTableData(tableName);
  return table != nullptr ? *table : CreateTableData(tableName, allocBy);
}

TKestrelTableData& TKestrelDatabaseData::AddTable(std::unique_ptr<TKestrelTableData> table) {
  std::lock_guard guard(lock_);
  tables_.push_back(std::move(table));
  return *tables_.back();
}

TKestrelTableData* TKestrelDatabaseData::OpenTableClient(const std::string& tableName,
                                                         TKestrelTableClient* client) {
  std::lock_guard guard(lock_);
  TKestrelTableData* table = FindTableData(tableName);
  if (table != nullptr) {
    table->OpenClient(client);
  }
  return table;
}

void TKestrelDatabaseData::DeleteTable(TKestrelTableData& table,
                                       const TKestrelTableClient* caller) {
  std::lock_guard guard(lock_);
  std::unique_ptr<TKestrelTableData> removed;
  {
    std::lock_guard tableGuard(table.Lock());
    if (table.OtherClientCount(caller) > 0) {
      throw EKestrelException("Cannot delete table '%s'. Table is open by another dataset",
                              {table.TableName()}, 20017);
    }
    const auto it = std::find_if(tables_.begin(), tables_.end(),
                                 [&](const auto& item) { return item.get() == &table; });
    if (it != tables_.end()) {
      removed = std::move(*it);
      tables_.erase(it);
    }
  }
  // Destroyed outside its own lock, still under the database's: clients
  // register only under the database lock and find the table gone.
  removed.reset();
}

int TKestrelDatabaseData::TableCount() const {
  std::lock_guard guard(lock_);
  return static_cast<int>(tables_.size());
}

TKestrelTableData& TKestrelMemoryDatabaseData::CreateTableData(const std::string& tableName,
                                                               int32_t allocBy) {
  return AddTable(std::make_unique<TKestrelMemoryTableData>(*this, tableName, allocBy));
}

TKestrelTableData& TKestrelTemporaryDatabaseData::CreateTableData(const std::string& tableName,
                                                                  int32_t) {
  return AddTable(std::make_unique<TKestrelTemporaryTableData>(*this, tableName));
}

}  // namespace kestrel
