#pragma once
// Database storage: the tables of one database, the clients that opened it
// and the object identifier sequence every definition is numbered from.
//
// The memory database ("MEMORY") holds the user's tables and deletes them
// when it is destroyed. Table list operations run under the database lock;
// an operation that also locks a table takes the database lock first.
// Memory databases have no transactions: every lock request succeeds.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kestrel/storage/dictionary/sequences.h"
#include "kestrel/storage/memory_manager.h"
#include "kestrel/storage/records/table_data.h"

namespace kestrel {

class TKestrelDatabaseData {
 public:
  // indexFactory makes the index objects of every table of the database;
  // none given means the engine's B-trees (BTreeIndexFactory()).
  TKestrelDatabaseData(std::string name,
                       TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance(),
                       TKestrelTableIndexFactory indexFactory = nullptr);
  virtual ~TKestrelDatabaseData();
  TKestrelDatabaseData(const TKestrelDatabaseData&) = delete;
  TKestrelDatabaseData& operator=(const TKestrelDatabaseData&) = delete;

  const std::string& Name() const { return name_; }
  TKestrelMemoryManager& Memory() const { return memory_; }
  std::recursive_mutex& Lock() const { return lock_; }
  TKestrelSequenceDef& ObjectIdentifiers() { return identifiers_; }
  const TKestrelTableIndexFactory& IndexFactory() const { return indexFactory_; }
  int32_t NextObjectID();

  void RegisterClient(const void* client);
  void UnregisterClient(const void* client);
  int ClientCount() const;

  void GetTableNames(std::vector<std::string>& names) const;
  bool TableExists(const std::string& tableName) const;
  // A new table of the database's kind, added to the list.
  virtual TKestrelTableData& CreateTableData(const std::string& tableName, int32_t allocBy) = 0;
  // The first table whose upper-cased name equals the upper-cased name.
  TKestrelTableData* FindTableData(const std::string& tableName) const;
  TKestrelTableData& OpenTableData(const std::string& tableName, int32_t allocBy);
  // Finds the table and registers client with it in one step under the
  // database lock, so that the table cannot be deleted in between; nullptr
  // when there is no such table.
  TKestrelTableData* OpenTableClient(const std::string& tableName, TKestrelTableClient* client);
  // Refused while a client other than caller has the table open ("Cannot
  // delete table '%s'. Table is open by another dataset", 20017). The
  // table leaves the list under both locks; no client can register with
  // it from the check on.
  void DeleteTable(TKestrelTableData& table, const TKestrelTableClient* caller);
  int TableCount() const;

  // The session's lock requests; always granted here.
  virtual bool LockTable(const std::string&, bool) { return true; }
  virtual void UnlockTable(const std::string&) {}

 protected:
  TKestrelTableData& AddTable(std::unique_ptr<TKestrelTableData> table);

 private:
  std::string name_;
  TKestrelMemoryManager& memory_;
  mutable std::recursive_mutex lock_;
  TKestrelSequenceDef identifiers_;
  TKestrelTableIndexFactory indexFactory_;
  std::vector<std::unique_ptr<TKestrelTableData>> tables_;
  std::vector<const void*> clients_;
};

class TKestrelMemoryDatabaseData : public TKestrelDatabaseData {
 public:
  explicit TKestrelMemoryDatabaseData(
      TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance(),
      TKestrelTableIndexFactory indexFactory = nullptr)
      : TKestrelDatabaseData("MEMORY", memory, std::move(indexFactory)) {}
  TKestrelTableData& CreateTableData(const std::string& tableName, int32_t allocBy) override;
};

// The "TEMP" database of result sets and work tables.
class TKestrelTemporaryDatabaseData : public TKestrelDatabaseData {
 public:
  explicit TKestrelTemporaryDatabaseData(
      TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance(),
      TKestrelTableIndexFactory indexFactory = nullptr)
      : TKestrelDatabaseData("TEMP", memory, std::move(indexFactory)) {}
  TKestrelTableData& CreateTableData(const std::string& tableName, int32_t allocBy) override;
};

}  // namespace kestrel
