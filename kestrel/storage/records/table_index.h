#pragma once
// One index of a table as the record operations and the cursors see it:
// key maintenance with the uniqueness questions, ordered navigation, the
// boundary searches and range scans that drive scan conditions, record
// numbers in index order and duplicate removal. Cursors reach every index
// through this interface and never need to know its class.
//
// Every call names the session it works for: the index obtains its pages
// for that session, and the table commits or rolls back the session's
// pages when the record operation ends (kMaintenanceSession for the table's
// own work).
//
// Keys are byte strings in the index's key format (the B-tree's: one flag
// byte and the field's bytes per column); a search may use only the first
// `columns` columns of a key. Positions are key paths: the route from the
// root to one leaf entry, valid until the index changes.

#include <array>
#include <cstdint>

#include "kestrel/storage/pages/page_manager.h"
#include "kestrel/storage/records/record_manager.h"

namespace kestrel {

// The comparison of a scan condition or boundary search.
enum class TKestrelKeyComparison : uint8_t {
  kNone = 0,  // expression only; no boundary
  kEqual = 1,
  kLess = 2,
  kGreater = 3,
  kLessOrEqual = 4,
  kGreaterOrEqual = 5,
};

inline constexpr int kMaxKeyPathDepth = 32;

struct TKestrelKeyPathLevel {
  int32_t PageNo = -1;
  int32_t Position = 0;
  int32_t ItemCount = 0;
};

struct TKestrelKeyPath {
  int32_t Depth = 0;
  std::array<TKestrelKeyPathLevel, kMaxKeyPathDepth> Levels{};

  bool IsEmpty() const { return Depth == 0; }
  void Clear() { Depth = 0; }
  TKestrelKeyPathLevel& Leaf() { return Levels[static_cast<std::size_t>(Depth - 1)]; }
  const TKestrelKeyPathLevel& Leaf() const { return Levels[static_cast<std::size_t>(Depth - 1)]; }
};

// A boundary of a range: entries whose key compares with Key (on its first
// Columns columns) as Comparison says. A null Key means no boundary.
struct TKestrelIndexBound {
  TKestrelKeyComparison Comparison = TKestrelKeyComparison::kNone;
  const uint8_t* Key = nullptr;
  int Columns = 0;
};

// A range scan in progress: Position is the entry ScanNext delivers next,
// End the last entry of the range.
struct TKestrelIndexScan {
  TKestrelKeyPath Position;
  TKestrelKeyPath End;
  bool Backward = false;
  bool Finished = true;
};

// The record IDs a filtered cursor sees (its record map), for counting and
// for duplicate removal.
class TKestrelRecordSet {
 public:
  virtual ~TKestrelRecordSet() = default;
  virtual bool Contains(TKestrelRecordID id) const = 0;
  virtual void Remove(TKestrelRecordID id) = 0;
};

class TKestrelTableIndex {
 public:
  virtual ~TKestrelTableIndex() = default;

  // Maintenance, for every record operation of the table.
  virtual void InsertKey(int32_t session, const uint8_t* record, TKestrelRecordID id) = 0;
  virtual void UpdateKey(int32_t session, const uint8_t* oldRecord, const uint8_t* newRecord,
                         TKestrelRecordID id) = 0;
  virtual void DeleteKey(int32_t session, const uint8_t* record, TKestrelRecordID id) = 0;
  // True unless the index is unique (or primary) and holds an entry whose
  // key equals the record's; NULL equals NULL.
  virtual bool IsKeyUnique(int32_t session, const uint8_t* record) = 0;
  // True when the edited record keeps its stored key, else IsKeyUnique.
  virtual bool IsUpdateUnique(int32_t session, const uint8_t* storedRecord,
                              const uint8_t* newRecord) = 0;
  // Inserts the key of every stored record, in record order.
  virtual void Build(int32_t session) = 0;
  // Frees every page; the index is empty.
  virtual void DropPages(int32_t session) = 0;
  virtual void CommitPages(int32_t session) = 0;
  virtual void RollbackPages(int32_t session) = 0;
  virtual bool IsEmpty(int32_t session) = 0;
  // "Index integrity violated. PageNo=%d EntryNo=%d" (20028) for an entry
  // out of order or a broken structure.
  virtual void CheckIntegrity(int32_t session) = 0;

  // Keys.
  virtual int32_t KeyLength() const = 0;
  virtual int ColumnCount() const = 0;
  // REQUIRES: key has KeyLength() bytes.
  virtual void BuildKey(const uint8_t* record, uint8_t* key) const = 0;
  // -1, 0 or 1 on the first `columns` columns.
  virtual int CompareKeys(const uint8_t* left, const uint8_t* right, int columns) const = 0;
  virtual int CompareRecordKeys(const uint8_t* left, const uint8_t* right, int columns) = 0;

  // Ordered navigation of a cursor (requests as for the record managers);
  // the record is fetched into the request's buffer.
  virtual TKestrelNavigationResult GetRecord(int32_t session, TKestrelRecordRequest& request) = 0;
  // The first (or last) entry satisfying the bound; false when none.
  virtual bool FindBoundary(int32_t session, const TKestrelIndexBound& bound, bool last,
                            TKestrelKeyPath& path) = 0;
  // The entry of (key, id); false when none.
  virtual bool FindEntry(int32_t session, const uint8_t* key, TKestrelRecordID id,
                         TKestrelKeyPath& path) = 0;
  virtual bool FirstEntry(int32_t session, TKestrelKeyPath& path) = 0;
  virtual bool LastEntry(int32_t session, TKestrelKeyPath& path) = 0;
  // Move to the neighbouring entry; false (path unchanged) at the end.
  virtual bool NextEntry(int32_t session, TKestrelKeyPath& path) = 0;
  virtual bool PriorEntry(int32_t session, TKestrelKeyPath& path) = 0;
  virtual TKestrelRecordID EntryRecordID(int32_t session, const TKestrelKeyPath& path) = 0;
  // Copies the entry's key (KeyLength() bytes).
  virtual void EntryKey(int32_t session, const TKestrelKeyPath& path, uint8_t* key) = 0;
  // -1, 0 or 1 by position; "Invalid index key path" (20051, 20052) for
  // paths of different depths or pages.
  virtual int CompareKeyPaths(const TKestrelKeyPath& left, const TKestrelKeyPath& right) const = 0;

  // 1-based number of the record in index order, counting only records of
  // `visible` when given; -1 when the record has no entry.
  virtual int64_t GetRecNo(int32_t session, TKestrelRecordID id,
                           const TKestrelRecordSet* visible) = 0;
  // The record at a 1-based number; false beyond the last. "Cannot
  // retreive record from empty index" (20074) when empty.
  virtual bool GetRecordAtRecNo(int32_t session, int64_t recNo, const TKestrelRecordSet* visible,
                                TKestrelRecordID& id) = 0;
  // Keeps the first record of every run of equal keys among the set's
  // records and removes the others from it.
  virtual void RemoveDuplicates(int32_t session, TKestrelRecordSet& records) = 0;

  // Range scans: the range is what every bound admits (no bound: the whole
  // index), walked forward or backward.
  virtual void StartScan(int32_t session, const TKestrelIndexBound& first,
                         const TKestrelIndexBound& second, bool backward,
                         TKestrelIndexScan& scan) = 0;
  virtual bool ScanNext(int32_t session, TKestrelIndexScan& scan, TKestrelRecordID& id) = 0;
  // Entries between the first one satisfying lower and the last one
  // satisfying upper, estimated from their positions.
  virtual int64_t EstimateRangeCount(int32_t session, const TKestrelIndexBound& lower,
                                     const TKestrelIndexBound& upper, int64_t recordCount) = 0;
};

// -1 for a lower bound (">", ">="), 1 for an upper bound ("<", "<="), else 0.
inline int ConditionDirection(TKestrelKeyComparison comparison) {
  switch (comparison) {
    case TKestrelKeyComparison::kGreater:
    case TKestrelKeyComparison::kGreaterOrEqual:
      return -1;
    case TKestrelKeyComparison::kLess:
    case TKestrelKeyComparison::kLessOrEqual:
      return 1;
    default:
      return 0;
  }
}

}  // namespace kestrel
