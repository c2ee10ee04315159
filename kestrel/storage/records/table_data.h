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
// Indexes are reached only through TKestrelTableIndex (table_index.h),
// made by the index factory the database hands its tables (the B-tree's,
// btree/btree_index.h): insert, update and delete hand every index the
// record, and the key checks ask the index for duplicates.
//
// Record operations name the session they work for; the table commits the
// session's index pages when the operation ends, and a failed one is
// undone first (the stored record taken back, the indexes changed back).
// PostRecord checks the constraints and stores the record under one hold
// of the table lock, so that two sessions cannot both pass a uniqueness
// check for the same key.

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
#include "kestrel/storage/pages/page_manager_memory.h"
#include "kestrel/storage/pages/page_manager_temporary.h"
#include "kestrel/storage/records/record_manager.h"
#include "kestrel/storage/records/record_manager_temporary.h"
#include "kestrel/storage/records/table_index.h"
#include "kestrel/storage/streams/local_blob_stream.h"

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

using TKestrelTableIndexFactory = std::function<std::unique_ptr<TKestrelTableIndex>(
    TKestrelIndexDef& index, TKestrelTableData& table)>;

// The index definitions of a table and one index object per definition,
// made by the table's index factory. An index keeps a reference to its
// definition (it updates RootPageNo); definitions are therefore replaced
// only together with their index objects.
class TKestrelIndexManager {
 public:
  TKestrelIndexManager(TKestrelTableData& table, TKestrelTableIndexFactory factory)
      : table_(table), factory_(std::move(factory)) {}

  TKestrelIndexDefs& IndexDefs() { return defs_; }
  const TKestrelIndexDefs& IndexDefs() const { return defs_; }
  const TKestrelTableIndexFactory& IndexFactory() const { return factory_; }
  void SetIndexFactory(TKestrelTableIndexFactory factory) { factory_ = std::move(factory); }
  // Opens the index objects of every definition.
  void OpenIndexes();
  // Opens the index object of one definition and returns it. Without a
  // factory: "Cannot create index '%s'. No index factory is installed"
  // (20105).
  TKestrelTableIndex& OpenIndex(TKestrelIndexDef& def);
  // Drops the index object of a definition.
  void CloseIndex(int32_t objectID) { indexes_.erase(objectID); }
  TKestrelTableIndex* Index(int32_t objectID) const;
  // "Index not found" (20018) for an unknown identifier.
  TKestrelTableIndex& IndexByID(int32_t objectID) const;

  // Each keeps every index or none: when one index fails, the indexes
  // already changed are changed back before the error goes on.
  void InsertRecord(int32_t session, const uint8_t* record, TKestrelRecordID id);
  void UpdateRecord(int32_t session, const uint8_t* oldRecord, const uint8_t* newRecord,
                    TKestrelRecordID id);
  void DeleteRecord(int32_t session, const uint8_t* record, TKestrelRecordID id);
  // Every index loses its pages.
  void Clear(int32_t session);
  void CommitPages(int32_t session);

 private:
  TKestrelTableData& table_;
  TKestrelTableIndexFactory factory_;
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

// How a cursor opens a BLOB field: Write starts from an empty value, Read
// refuses changes, ReadWrite starts from the stored value.
enum class TKestrelBlobOpenMode : uint8_t { Write = 0, Read = 1, ReadWrite = 2 };

// The stored form of a BLOB value, as the compressed stream reads and
// writes it.
struct TKestrelBlobValue {
  int32_t BlockCount = 0;
  int64_t ValueLength = 0;
  std::vector<uint8_t> StoredBytes;
};

class TKestrelTableData {
 public:
  // The table's indexes come from the database's index factory.
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
  // The page manager of the table's indexes.
  virtual TKestrelPageManager& PageManager() = 0;
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
  void DeleteVisibleRecords(const std::vector<TKestrelRecordID>* visible, int32_t session);

  // An index on the existing table, numbered, filled with the stored
  // records' keys; a unique or primary index also adds its constraint,
  // which every stored record must pass (else its error, and no index).
  void AddIndex(const TKestrelIndexDef& index);
  // Drops the index (its pages too) and the first primary-key or unique
  // constraint backed by it; false when no index has the name.
  bool DropIndex(const std::string& indexName);

  void OpenClient(TKestrelTableClient* client);
  void CloseClient(TKestrelTableClient* client);
  // Open clients other than caller.
  int OtherClientCount(const TKestrelTableClient* caller) const;

  // Null bitmap all NULL; for a new record of a table opened for writing
  // the defaults, then (newRecord) the auto-increment values.
  void InitRecord(uint8_t* buffer, bool newRecord, bool forWriting, int64_t sessionID = 0);
  // Raises the first failing constraint's error.
  void CheckConstraints(const uint8_t* buffer, TKestrelRecordID id, bool inserting,
                        int32_t session);
  // False when the record manager refuses. An index that fails undoes the
  // operation and its error goes on.
  bool InsertRecord(uint8_t* buffer, TKestrelRecordID& id, int32_t session);
  bool UpdateRecord(uint8_t* buffer, TKestrelRecordID id, int32_t session);
  bool DeleteRecord(TKestrelRecordID id, int32_t session);
  // The constraint check and the insert (or the update of the record id)
  // under one hold of the table lock.
  bool PostRecord(uint8_t* buffer, TKestrelRecordID& id, bool inserting, int32_t session);
  int64_t GetRecordCount() const;

  // BLOB values of a record buffer. OpenBlob gives the stored value (empty
  // for NULL); WriteBlob stores a value into the buffer as a new block owned
  // by the buffer (an empty value makes the field NULL); FreeBlob frees a
  // non-NULL field's block and makes it NULL. A BLOB field with
  // BlobBlockSize 0 raises "Stream block size = 0 is not allowed" (10420).
  //
  // A block holds at most 2 GiB - 13 stored bytes (the allocator sizes
  // blocks with 32 bits) and counts its compressed blocks in 32 bits; a
  // value beyond either raises "BLOB value too large. Stored size = %d,
  // Limit = %d" (10652) or "Too many BLOB blocks. Block count = %d, Limit =
  // %d" (10653) and leaves the field as it was. Compressed values may be
  // longer than that uncompressed: their length is 64-bit.
  TKestrelBlobValue OpenBlob(const uint8_t* buffer, int fieldNo) const;
  void WriteBlob(uint8_t* buffer, int fieldNo, const TKestrelBlobValue& value);
  // The value as a stream: a copy of the stored bytes in a temporary
  // stream under a compressed BLOB stream with the field's block size,
  // algorithm and level. NULL values and mode Write start empty.
  std::unique_ptr<TKestrelLocalBLOBStream> OpenBlobStream(const uint8_t* buffer, int fieldNo,
                                                          TKestrelBlobOpenMode mode) const;
  // Stores what the stream holds (its descriptor's block count and value
  // length, the underlying bytes from StartPosition on) as WriteBlob does;
  // a short read of those bytes raises the read message (10117).
  void WriteBlob(uint8_t* buffer, int fieldNo, TKestrelLocalBLOBStream& stream);
  void FreeBlob(uint8_t* buffer, int fieldNo);
  int64_t LiveBlobBlocks() const;

 protected:
  virtual std::unique_ptr<TKestrelBaseRecordManager> CreateRecordManager(int32_t recordSize) = 0;
  // Frees every BLOB block of every stored record, empties the records and
  // drops the index pages.
  void DropRecords();
  // Gives back the page memory of indexes that hold no pages any more.
  virtual void ReleaseIndexMemory() {}

 private:
  void StoreDefaultBlob(uint8_t* buffer, int fieldNo, const TKestrelBlobValue& value);
  void InstallFields(const TKestrelFieldDefs& fields);
  void InstallIndexes(const TKestrelIndexDefs& indexes);
  void InstallConstraints(const TKestrelConstraintDefs& constraints);
  void ResolveConstraint(TKestrelConstraintDef& constraint);
  void CreateAutoIncSequences();
  void CheckConstraint(const TKestrelConstraintDef& constraint, const uint8_t* buffer,
                       TKestrelRecordID id, bool inserting, int32_t session);
  // The stored image of a record into the table's second scratch buffer;
  // nullptr when it does not exist.
  const uint8_t* StoredRecord(TKestrelRecordID id);
  // The markers of a buffer whose insert was undone: its blocks are the
  // buffer's again.
  void MarkBlobsOwnedByBuffer(uint8_t* buffer);
  void FreeRecordBlobs(const uint8_t* record);
  uint32_t BlobHandle(const uint8_t* buffer, int fieldNo) const;
  void FreeBlobBlock(uint32_t handle);
  // A new block with its 12-byte header and room for storedLength bytes
  // after it, refused beyond the limits above.
  uint8_t* NewBlobBlock(int64_t blockCount, int64_t valueLength, int64_t storedLength) const;
  // Puts a new block into the field (owned by the buffer), freeing the
  // buffer's own old block, or makes the field NULL when block is null.
  void InstallBlobBlock(uint8_t* buffer, int fieldNo, uint8_t* block);
  // The field, or "Stream block size = 0 is not allowed" (10420).
  const TKestrelFieldDef& BlobField(int fieldNo) const;
  // The block of a non-NULL field, or "Invalid pointer" (30005).
  const uint8_t* StoredBlobBlock(const uint8_t* buffer, int fieldNo) const;
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
  std::vector<uint8_t> stored_;   // a stored image being looked at, under the lock
};

class TKestrelMemoryTableData : public TKestrelTableData {
 public:
  TKestrelMemoryTableData(TKestrelDatabaseData& database, std::string tableName, int32_t allocBy);
  ~TKestrelMemoryTableData() override;
  int32_t AllocBy() const { return allocBy_; }
  TKestrelPageManager& PageManager() override { return pages_; }

 protected:
  std::unique_ptr<TKestrelBaseRecordManager> CreateRecordManager(int32_t recordSize) override;
  void ReleaseIndexMemory() override { pages_.ReleaseMemory(); }

 private:
  int32_t allocBy_;
  TKestrelMemoryPageManager pages_;
};

// Result sets and work tables: records are appended and never changed.
class TKestrelTemporaryTableData : public TKestrelTableData {
 public:
  // threshold and spill as for TKestrelTemporaryRecordManager.
  TKestrelTemporaryTableData(TKestrelDatabaseData& database, std::string tableName,
                             std::optional<int64_t> threshold = std::nullopt,
                             TKestrelSpillStreamFactory spill = nullptr);
  ~TKestrelTemporaryTableData() override;
  TKestrelPageManager& PageManager() override { return pages_; }

 protected:
  std::unique_ptr<TKestrelBaseRecordManager> CreateRecordManager(int32_t recordSize) override;

 private:
  std::optional<int64_t> threshold_;
  TKestrelSpillStreamFactory spill_;
  TKestrelTemporaryPageManager pages_;
};

// The typed value of a field in a record buffer, borrowing the buffer; a
// text reaches up to its terminating zero.
TKestrelVariant FieldValue(const uint8_t* record, int fieldNo, const TKestrelFieldDef& field);
// Stores a value into a field of a record buffer, converted to the field's
// storage type; a text longer than the field is cut and keeps its zero. NULL
// sets the field's null bit. Conversion errors propagate. BLOB fields hold
// a block reference, not their value: they go through the table's WriteBlob
// ("Invalid field type for a direct value = %s", 10656, here).
void SetFieldValue(uint8_t* record, int fieldNo, const TKestrelFieldDef& field,
                   const TKestrelVariant& value);

}  // namespace kestrel
