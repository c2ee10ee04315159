#include "kestrel/storage/records/record_manager.h"

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

int64_t RecordIDToInt64(TKestrelRecordID id) {
  return static_cast<int64_t>(static_cast<uint32_t>(id.RecordNo)) |
         (static_cast<int64_t>(id.High) << 32);
}

TKestrelRecordID Int64ToRecordID(int64_t value) {
  TKestrelRecordID id;
  id.RecordNo = static_cast<int32_t>(static_cast<uint32_t>(value & 0xFFFFFFFF));
  id.High = static_cast<uint16_t>((value >> 32) & 0xFFFF);
  return id;
}

void RecordIDToBytes(TKestrelRecordID id, uint8_t* bytes) {
  const auto number = static_cast<uint32_t>(id.RecordNo);
  for (int b = 0; b < 4; ++b) {
    bytes[b] = static_cast<uint8_t>(number >> (8 * b));
  }
  bytes[4] = static_cast<uint8_t>(id.High & 0xFF);
  bytes[5] = static_cast<uint8_t>(id.High >> 8);
}

TKestrelRecordID RecordIDFromBytes(const uint8_t* bytes) {
  TKestrelRecordID id;
  id.RecordNo = static_cast<int32_t>(
      static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
      static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
  id.High = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
  return id;
}

int CompareRecordIDs(TKestrelRecordID left, TKestrelRecordID right) {
  return left.RecordNo < right.RecordNo ? -1 : left.RecordNo > right.RecordNo ? 1 : 0;
}

TKestrelBaseRecordManager::TKestrelBaseRecordManager(int32_t recordSize) : recordSize_(recordSize) {
  if (recordSize <= 0) {
    throw EKestrelException("Invalid record size = 0", 10011);
  }
}

int64_t TKestrelBaseRecordManager::GetRecordCount() const {
  std::lock_guard guard(lock_);
  return count_;
}

bool TKestrelBaseRecordManager::InsertRecord(const uint8_t*, TKestrelRecordID&) {
  return false;
}
bool TKestrelBaseRecordManager::UpdateRecord(const uint8_t*, TKestrelRecordID) {
  return false;
}
bool TKestrelBaseRecordManager::DeleteRecord(TKestrelRecordID) {
  return false;
}

}  // namespace kestrel
