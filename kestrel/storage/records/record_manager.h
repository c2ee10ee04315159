#pragma once
// Record IDs and the base of the record managers, which hold a table's
// records as fixed-size images (null bitmap, then the fields).
//
// TKestrelRecordID (6 bytes): a signed 32-bit record number and a 16-bit
// part. Memory tables use the slot number and leave the 16-bit part 0;
// temporary tables use the 48-bit sequence number. IDs compare by the 32-bit
// number.

#include <cstdint>
#include <mutex>

#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

// In memory the ID is an aligned struct; after a record in a cursor's buffer
// it takes its 6-byte form (RecordNo little-endian, then High).
struct TKestrelRecordID {
  int32_t RecordNo = 0;
  uint16_t High = 0;
};
inline constexpr int32_t kRecordIDSize = 6;
void RecordIDToBytes(TKestrelRecordID id, uint8_t* bytes);
TKestrelRecordID RecordIDFromBytes(const uint8_t* bytes);

int64_t RecordIDToInt64(TKestrelRecordID id);
TKestrelRecordID Int64ToRecordID(int64_t value);
// -1, 0 or 1 by the 32-bit number.
int CompareRecordIDs(TKestrelRecordID left, TKestrelRecordID right);

enum class TKestrelNavigation : uint8_t { kExact = 0, kNext = 1, kPrior = 2 };
enum class TKestrelNavigationResult : uint8_t {
  kFound = 0,
  kBeginningOfTable = 1,
  kEndOfTable = 2,
  kNotFound = 3,
};

// One navigation request. The ID goes in and, when found, comes out; the
// flags are cleared once a record is found.
struct TKestrelRecordRequest {
  TKestrelNavigation Direction = TKestrelNavigation::kExact;
  TKestrelRecordID RecordID;
  uint8_t* Buffer = nullptr;  // receives the record; may be null to only move
  bool AtBeginning = false;
  bool AtEnd = false;
};

class TKestrelBaseRecordManager {
 public:
  explicit TKestrelBaseRecordManager(int32_t recordSize);
  virtual ~TKestrelBaseRecordManager() = default;
  TKestrelBaseRecordManager(const TKestrelBaseRecordManager&) = delete;
  TKestrelBaseRecordManager& operator=(const TKestrelBaseRecordManager&) = delete;

  int32_t RecordSize() const { return recordSize_; }
  virtual int64_t GetRecordCount() const;
  virtual void EmptyRecords() = 0;
  // The base refuses to change records.
  virtual bool InsertRecord(const uint8_t* buffer, TKestrelRecordID& id);
  virtual bool UpdateRecord(const uint8_t* buffer, TKestrelRecordID id);
  virtual bool DeleteRecord(TKestrelRecordID id);
  virtual bool RecordExists(TKestrelRecordID id) const = 0;
  virtual TKestrelNavigationResult GetRecord(TKestrelRecordRequest& request) = 0;
  virtual int64_t GetApproxRecNo(TKestrelRecordID id) const = 0;
  // 1-based record numbers; false when the number is outside 1..count.
  virtual bool RecNoToRecordID(int64_t recNo, TKestrelRecordID& id) const = 0;
  virtual void LoadFromStream(TKestrelStream&) {}
  virtual void SaveToStream(TKestrelStream&) const {}
  virtual bool AddLoadedRecord(const uint8_t*, TKestrelRecordID&) { return false; }

 protected:
  mutable std::recursive_mutex lock_;
  int64_t count_ = 0;

 private:
  int32_t recordSize_;
};

}  // namespace kestrel
