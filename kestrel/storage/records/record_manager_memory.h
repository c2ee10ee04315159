#pragma once
// The record store of memory tables: one contiguous array of record slots,
// so access by ID is a multiplication, and a deleted bitmap.
//
// Invariants: bit i of the bitmap set means slot i holds no record (slots
// beyond HighestID, including fresh ones after growth, are marked so);
// LowestID and HighestID are the smallest and largest live slots, both 0
// when empty; IDs are never reused below HighestID; NoHoles stays true until
// a record is deleted, and record number n is then simply ID n - 1.
//
// Slot state stream form (part of the table file):
//   size            field
//   4               Capacity
//   1               NoHoles (0 false, 255 true)
//   4               LowestID
//   4               HighestID
//   ceil(Cap / 8)   deleted bitmap, only when Capacity > 0

#include <cstdint>

#include "kestrel/storage/memory_manager.h"
#include "kestrel/storage/records/record_manager.h"

namespace kestrel {

class TKestrelMemoryRecordManager : public TKestrelBaseRecordManager {
 public:
  TKestrelMemoryRecordManager(int32_t recordSize, int32_t allocBy,
                              TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance());
  ~TKestrelMemoryRecordManager() override;

  void EmptyRecords() override;
  bool InsertRecord(const uint8_t* buffer, TKestrelRecordID& id) override;
  bool UpdateRecord(const uint8_t* buffer, TKestrelRecordID id) override;
  bool DeleteRecord(TKestrelRecordID id) override;
  bool RecordExists(TKestrelRecordID id) const override;
  TKestrelNavigationResult GetRecord(TKestrelRecordRequest& request) override;
  // The exact 1-based record number of a live record; -1 outside
  // LowestID..HighestID.
  int64_t GetApproxRecNo(TKestrelRecordID id) const override;
  bool RecNoToRecordID(int64_t recNo, TKestrelRecordID& id) const override;
  // The stored slot state is checked: LowestID and HighestID must be live
  // and no slot below LowestID; the bits above HighestID (also the padding
  // bits past the capacity) mean nothing and are marked free. A damaged
  // state raises "Invalid record No = %d" (10290). The slots start zeroed.
  void LoadFromStream(TKestrelStream& stream) override;
  // The same, and the live slots must be exactly the file's record count
  // ("Invalid record count = %d. Limit is %d", 10291).
  void LoadFromStream(TKestrelStream& stream, int64_t recordCount);
  // Live slots of the last load.
  int64_t LoadedLiveSlots() const { return loadedLive_; }
  void SaveToStream(TKestrelStream& stream) const override;
  // Places the next loaded record into the next live slot of the loaded
  // bitmap; "Invalid record No = %d" when the live slots run out.
  bool AddLoadedRecord(const uint8_t* buffer, TKestrelRecordID& id) override;

  // The stored image of a live slot, for the table's own use (BLOB
  // ownership, index keys). REQUIRES: RecordExists(id).
  const uint8_t* RecordAt(int32_t id) const;

  int32_t Capacity() const { return capacity_; }
  int32_t AllocBy() const { return allocBy_; }
  int32_t LowestID() const { return lowestID_; }
  int32_t HighestID() const { return highestID_; }
  bool NoHoles() const { return noHoles_; }

 private:
  bool IsDeleted(int32_t slot) const { return (bitmap_[slot / 8] >> (slot % 8) & 1) != 0; }
  void SetDeleted(int32_t slot, bool deleted);
  void Grow(int32_t newCapacity);
  void Release();

  TKestrelMemoryManager& memory_;
  int32_t allocBy_;
  uint8_t* slots_ = nullptr;
  uint8_t* bitmap_ = nullptr;
  int32_t capacity_ = 0;
  int32_t lowestID_ = 0;
  int32_t highestID_ = 0;
  bool noHoles_ = true;
  int32_t loadNext_ = 0;  // the next slot AddLoadedRecord tries
  int64_t loadedLive_ = 0;
};

// Live records (zero bits) in a bitmap byte.
int LiveRecordsInByte(uint8_t bits);

}  // namespace kestrel
