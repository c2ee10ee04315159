#pragma once
// Table storage: one table's definitions, records, BLOB values and indexes,
// and the record operations with default values, auto-increment values and
// constraint checks.
//
// Every operation runs under the table lock; a caller that also needs the
// database lock takes it first (database before table, no other order).
//
// A BLOB field's 8 bytes in a record:
//   bytes  field
//   0..3   handle of the value's BLOB block in the table (1-based)
//   4..5   0
//   6..7   ownership marker: 0x0F0F the edit buffer's (new or replaced, not
//          yet stored), 0xF0F0 the stored record's
// A BLOB block: 4 bytes count of compressed blocks (0 uncompressed), 8 bytes
// value length, then the stored bytes (the compressed stream's contents, or
// the raw value when the field is not compressed).
//
// Indexes are reached only through TKestrelTableIndex: insert, update and
// delete hand every index the record, and the key checks ask the index for
// duplicates. Until B-tree indexes are plugged in through
// TKestrelIndexManager::SetIndexFactory, a scanning index answers the
// duplicate questions by walking the records.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "kestrel/storage/dictionary/dictionary_constraints.h"
#include "kestrel/storage/dictionary/dictionary_fields.h"
#include "kestrel/storage/dictionary/dictionary_indexes.h"
#include "kestrel/storage/dictionary/sequences.h"
#include "kestrel/storage/memory_manager.h"
#include "kestrel/storage/records/record_manager.h"
#include "kestrel/storage/records/record_manager_temporary.h"

namespace kestrel {

class TKestrelDatabaseData;
class TKestrelTableData;

inline constexpr uint16_t kBlobOwnedByBuffer = 0x0F0F;
inline constexpr uint16_t kBlobOwnedByRecord = 0xF0F0;

// What a cursor open on a table must answer to the table.
class TKestrelTableClient {
 public:
  virtual ~TKestrelTableClient() = default;
  // A record the client may hold in its filtered record set was deleted.
  virtual void RecordDeleted(TKestrelRecordID id) = 0;
};

// One index of a table as the record operations see it.
class TKestrelTableIndex {
 public:
  virtual ~TKestrelTableIndex() = default;
  virtual void InsertKey(const uint8_t* record, TKestrelRecordID id) = 0;
  virtual void UpdateKey(const uint8_t* oldRecord, const uint8_t* newRecord,
                         TKestrelRecordID id) = 0;
  virtual void DeleteKey(const uint8_t* record, TKestrelRecordID id) = 0;
  // Whether a stored record other than `self` (when hasSelf) has the key of
  // record.
  virtual bool HasDuplicate(const uint8_t* record, TKestrelRecordID self, bool hasSelf) = 0;
  // All keys go; the index pages are released.
  virtual void Clear() = 0;
};

using TKestrelTableIndexFactory = std::function<std::unique_ptr<TKestrelTableIndex>(
    const TKestrelIndexDef& index, TKestrelTableData& table)>;

// The index definitions of a table and one index object per definition.
class TKestrelIndexManager {
 public:
  explicit TKestrelIndexManager(TKestrelTableData& table) : table_(table) {}

  TKestrelIndexDefs& IndexDefs() { return defs_; }
  const TKestrelIndexDefs& IndexDefs() const { return defs_; }
  // The factory for every index built from now on (the B-tree's).
  static void SetIndexFactory(TKestrelTableIndexFactory factory);
  // Builds the index objects of every definition.
  void BuildIndexes();
  // Builds the index object of one definition and returns it.
  TKestrelTableIndex& BuildIndex(const TKestrelIndexDef& def);
  // Drops the index object of a definition.
  void DropIndex(int32_t objectID) { indexes_.erase(objectID); }
  TKestrelTableIndex* Index(int32_t objectID) const;

  void InsertRecord(const uint8_t* record, TKestrelRecordID id);
  void UpdateRecord(const uint8_t* oldRecord, const uint8_t* newRecord, TKestrelRecordID id);
  void DeleteRecord(const uint8_t* record, TKestrelRecordID id);
  void Clear();

 private:
  TKestrelTableData& table_;
  TKestrelIndexDefs defs_;
  std::map<int32_t, std::unique_ptr<TKestrelTableIndex>> indexes_;
};

// A table's sequences and the last value each session took from them.
class TKestrelSequenceManager {
 public:
  TKestrelSequenceDefs& Sequences() { return sequences_; }
  const TKestrelSequenceDefs& Sequences() const { return sequences_; }
  void Clear() {
    sequences_.Clear();
    lastValues_.clear();
  }
  // "Sequence #%d not found" (30010).
  TKestrelSequenceDef& Sequence(int32_t sequenceID);
  // GetNextValue, remembered as the session's last value (30011).
  int64_t NextValue(int32_t sequenceID, int64_t sessionID);
  // 30013; "No SequenceLastValue in session for sequence '%s'. Call
  // GetNextVal first" (30012).
  int64_t LastValue(int32_t sequenceID, int64_t sessionID);

 private:
  TKestrelSequenceDefs sequences_;
  std::map<std::pair<int64_t, int32_t>, int64_t> lastValues_;
};

// The stored form of a BLOB value, as the compressed stream reads and
// writes it.
struct TKestrelBlobValue {
  int32_t BlockCount = 0;
  int64_t ValueLength = 0;
  std::vector<uint8_t> StoredBytes;
};

class TKestrelTableData {
 public:
  TKestrelTableData(TKestrelDatabaseData& database, std::string tableName);
  virtual ~TKestrelTableData();
  TKestrelTableData(const TKestrelTableData&) = delete;
  TKestrelTableData& operator=(const TKestrelTableData&) = delete;

  const std::string& TableName() const { return tableName_; }
  TKestrelDatabaseData& Database() const { return database_; }
  std::recursive_mutex& Lock() const { return lock_; }
  TKestrelMemoryManager& Memory() const;

  const TKestrelFieldDefs& FieldDefs() const { return fields_; }
  const TKestrelConstraintDefs& ConstraintDefs() const { return constraints_; }
  TKestrelIndexManager& IndexManager() { return indexes_; }
  TKestrelSequenceManager& SequenceManager() { return sequences_; }
  TKestrelBaseRecordManager* RecordManager() const { return records_.get(); }
  bool HasBlobs() const { return hasBlobs_; }
  // "Invalid record size = 0" (10124) before the table is created.
  int32_t RecordSize() const;

  // "Error creating table - no fields were specified" (10025); installs the
  // fields, indexes and constraints with fresh identifiers, creates the
  // auto-increment sequences and the record manager.
  void CreateTable(const TKestrelFieldDefs& fields, const TKestrelIndexDefs& indexes,
                   const TKestrelConstraintDefs& constraints);
  // Refused while a client other than caller is open ("Cannot rename table
  // '%s'. Table is open by another dataset", 10150).
  void RenameTable(const std::string& newName, const TKestrelTableClient* caller);
  // Refused while a client other than caller is open (10072).
  void EmptyTable(const TKestrelTableClient* caller);

  // A DELETE that removes every record its cursor sees: visible lists the
  // cursor's filtered record set, or is null when it sees every record.
  // More records than the table holds raise "Invalid record count = %d.
  // Limit is %d" (11311); all of them empty the table; fewer are deleted one
  // by one with their index keys.
  void DeleteVisibleRecords(const std::vector<TKestrelRecordID>* visible);

  // An index on the existing table, numbered, filled with the stored
  // records' keys; a unique or primary index also adds its constraint.
  void AddIndex(const TKestrelIndexDef& index);
  // Drops the index and the first primary-key or unique constraint backed
  // by it; false when no index has the name.
  bool DropIndex(const std::string& indexName);

  void OpenClient(TKestrelTableClient* client);
  void CloseClient(TKestrelTableClient* client);
  // Open clients other than caller.
  int OtherClientCount(const TKestrelTableClient* caller) const;

  // Null bitmap all NULL; for a new record of a table opened for writing
  // the defaults, then (newRecord) the auto-increment values.
  void InitRecord(uint8_t* buffer, bool newRecord, bool forWriting, int64_t sessionID = 0);
  // Raises the first failing constraint's error.
  void CheckConstraints(const uint8_t* buffer, TKestrelRecordID id, bool inserting) const;
  // False when the record manager refuses.
  bool InsertRecord(uint8_t* buffer, TKestrelRecordID& id);
  bool UpdateRecord(uint8_t* buffer, TKestrelRecordID id);
  bool DeleteRecord(TKestrelRecordID id);
  int64_t GetRecordCount() const;

  // BLOB values of a record buffer. OpenBlob gives the stored value (empty
  // for NULL); WriteBlob stores a value into the buffer as a new block owned
  // by the buffer (an empty value makes the field NULL); FreeBlob frees a
  // non-NULL field's block and makes it NULL. A BLOB field with
  // BlobBlockSize 0 raises "Stream block size = 0 is not allowed" (10420).
  TKestrelBlobValue OpenBlob(const uint8_t* buffer, int fieldNo) const;
  void WriteBlob(uint8_t* buffer, int fieldNo, const TKestrelBlobValue& value);
  void FreeBlob(uint8_t* buffer, int fieldNo);
  int64_t LiveBlobBlocks() const;

 protected:
  virtual std::unique_ptr<TKestrelBaseRecordManager> CreateRecordManager(int32_t recordSize) = 0;
  // Frees every BLOB block of every stored record and empties the records.
  void DropRecords();

 private:
  void InstallFields(const TKestrelFieldDefs& fields);
  void InstallIndexes(const TKestrelIndexDefs& indexes);
  void InstallConstraints(const TKestrelConstraintDefs& constraints);
  void ResolveConstraint(TKestrelConstraintDef& constraint);
  void CreateAutoIncSequences();
  void CheckConstraint(const TKestrelConstraintDef& constraint, const uint8_t* buffer,
                       TKestrelRecordID id, bool inserting) const;
  void FreeRecordBlobs(const uint8_t* record);
  uint32_t BlobHandle(const uint8_t* buffer, int fieldNo) const;
  void FreeBlobBlock(uint32_t handle);
  int32_t NewObjectID();

  TKestrelDatabaseData& database_;
  std::string tableName_;
  mutable std::recursive_mutex lock_;
  TKestrelFieldDefs fields_;
  TKestrelConstraintDefs constraints_;
  TKestrelIndexManager indexes_;
  TKestrelSequenceManager sequences_;
  std::unique_ptr<TKestrelBaseRecordManager> records_;
  bool hasBlobs_ = false;
  std::vector<TKestrelTableClient*> clients_;
  std::vector<uint8_t*> blobBlocks_;  // by handle - 1; null when free
  std::vector<uint32_t> freeHandles_;
  std::vector<uint8_t> scratch_;  // the image being inserted, under the lock
};

class TKestrelMemoryTableData : public TKestrelTableData {
 public:
  TKestrelMemoryTableData(TKestrelDatabaseData& database, std::string tableName, int32_t allocBy);
  ~TKestrelMemoryTableData() override;
  int32_t AllocBy() const { return allocBy_; }

 protected:
  std::unique_ptr<TKestrelBaseRecordManager> CreateRecordManager(int32_t recordSize) override;

 private:
  int32_t allocBy_;
};

// Result sets and work tables: records are appended and never changed.
class TKestrelTemporaryTableData : public TKestrelTableData {
 public:
  // threshold and spill as for TKestrelTemporaryRecordManager.
  TKestrelTemporaryTableData(TKestrelDatabaseData& database, std::string tableName,
                             std::optional<int64_t> threshold = std::nullopt,
                             TKestrelSpillStreamFactory spill = nullptr);
  ~TKestrelTemporaryTableData() override;

 protected:
  std::unique_ptr<TKestrelBaseRecordManager> CreateRecordManager(int32_t recordSize) override;

 private:
  std::optional<int64_t> threshold_;
  TKestrelSpillStreamFactory spill_;
};

// The typed value of a field in a record buffer, borrowing the buffer; a
// text reaches up to its terminating zero.
TKestrelVariant FieldValue(const uint8_t* record, int fieldNo, const TKestrelFieldDef& field);
// Stores a value into a field of a record buffer, converted to the field's
// storage type; a text longer than the field is cut and keeps its zero. NULL
// sets the field's null bit. Conversion errors propagate.
void SetFieldValue(uint8_t* record, int fieldNo, const TKestrelFieldDef& field,
                   const TKestrelVariant& value);

}  // namespace kestrel
