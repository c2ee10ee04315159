#include "kestrel/storage/records/record_manager_memory.h"

#include <array>
#include <cstring>
#include <limits>

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/pages/stream_checks.h"

namespace kestrel {
namespace {

constexpr std::array<uint8_t, 256> MakeLiveCounts() {
  std::array<uint8_t, 256> counts{};
  for (int value = 0; value < 256; ++value) {
    int zeros = 0;
    for (int bit = 0; bit < 8; ++bit) {
      zeros += (value >> bit & 1) == 0 ? 1 : 0;
    }
    counts[static_cast<std::size_t>(value)] = static_cast<uint8_t>(zeros);
  }
  return counts;
}

constexpr std::array<uint8_t, 256> kLiveCounts = MakeLiveCounts();

// Stream sites of the slot state.
constexpr int kWriteSlotState = 10280;
constexpr int kReadSlotState = 10285;

}  // namespace

int LiveRecordsInByte(uint8_t bits) {
  return kLiveCounts[bits];
}

TKestrelMemoryRecordManager::TKestrelMemoryRecordManager(int32_t recordSize, int32_t allocBy,
                                                         TKestrelMemoryManager& memory)
    : TKestrelBaseRecordManager(recordSize), memory_(memory), allocBy_(allocBy > 0 ? allocBy : 1) {}

TKestrelMemoryRecordManager::~TKestrelMemoryRecordManager() {
  Release();
}

void TKestrelMemoryRecordManager::Release() {
  memory_.Free(slots_);
  memory_.Free(bitmap_);
  capacity_ = 0;
}

void TKestrelMemoryRecordManager::EmptyRecords() {
  std::lock_guard guard(lock_);
  Release();
  loadedLive_ = 0;
  count_ = 0;
  lowestID_ = 0;
  highestID_ = 0;
  loadNext_ = 0;
}

void TKestrelMemoryRecordManager::SetDeleted(int32_t slot, bool deleted) {
  const auto bit = static_cast<uint8_t>(1u << (slot % 8));
  bitmap_[slot / 8] =
      static_cast<uint8_t>(deleted ? bitmap_[slot / 8] | bit : bitmap_[slot / 8] & ~bit);
}

void TKestrelMemoryRecordManager::Grow(int32_t newCapacity) {
  const int64_t slotBytes = int64_t{newCapacity} * RecordSize();
  if (slotBytes > std::numeric_limits<int32_t>::max()) {
    throw EKestrelException("Memory limit exceeded (Limit = %d bytes)",
                            {int64_t{std::numeric_limits<int32_t>::max()}}, 30004);
  }
  const int32_t oldBitmapBytes = (capacity_ + 7) / 8;
  const int32_t newBitmapBytes = (newCapacity + 7) / 8;
  memory_.Resize(slots_, static_cast<int32_t>(slotBytes), false);
  memory_.Resize(bitmap_, newBitmapBytes, false);
  // Fresh slots hold no record.
  std::memset(bitmap_ + oldBitmapBytes, 0xFF,
              static_cast<std::size_t>(newBitmapBytes - oldBitmapBytes));
  for (int32_t slot = capacity_; slot < oldBitmapBytes * 8 && slot < newCapacity; ++slot) {
    SetDeleted(slot, true);
  }
  capacity_ = newCapacity;
}

bool TKestrelMemoryRecordManager::InsertRecord(const uint8_t* buffer, TKestrelRecordID& id) {
  std::lock_guard guard(lock_);
  if (buffer == nullptr) {
    throw EKestrelException("Nil pointer occured", 10001);
  }
  if (count_ > 0 && highestID_ == std::numeric_limits<int32_t>::max()) {
    return false;
  }
  const int32_t slot = count_ == 0 ? 0 : highestID_ + 1;
  if (slot >= capacity_) {
    const int64_t grown = int64_t{capacity_} + allocBy_;
    Grow(static_cast<int32_t>(std::min<int64_t>(grown, std::numeric_limits<int32_t>::max())));
  }
  std::memcpy(slots_ + int64_t{slot} * RecordSize(), buffer,
              static_cast<std::size_t>(RecordSize()));
  SetDeleted(slot, false);
  if (count_ == 0) {
    lowestID_ = slot;
  }
  highestID_ = slot;
  ++count_;
  id = TKestrelRecordID{slot, 0};
  return true;
}

bool TKestrelMemoryRecordManager::UpdateRecord(const uint8_t* buffer, TKestrelRecordID id) {
  std::lock_guard guard(lock_);
  if (count_ == 0 || id.RecordNo < lowestID_ || id.RecordNo > highestID_ ||
      IsDeleted(id.RecordNo)) {
    return false;
  }
  std::memcpy(slots_ + int64_t{id.RecordNo} * RecordSize(), buffer,
              static_cast<std::size_t>(RecordSize()));
  return true;
}

bool TKestrelMemoryRecordManager::DeleteRecord(TKestrelRecordID id) {
  std::lock_guard guard(lock_);
  const int32_t slot = id.RecordNo;
  if (count_ == 0 || slot < lowestID_ || slot > highestID_ || IsDeleted(slot)) {
    return false;
  }
  SetDeleted(slot, true);
  --count_;
  noHoles_ = false;
  if (count_ == 0) {
    lowestID_ = 0;
    highestID_ = 0;
    return true;
  }
  if (slot == lowestID_) {
    do {
      ++lowestID_;
    } while (IsDeleted(lowestID_));
  }
  if (slot == highestID_) {
    do {
      --highestID_;
    } while (IsDeleted(highestID_));
  }
  return true;
}

bool TKestrelMemoryRecordManager::RecordExists(TKestrelRecordID id) const {
  std::lock_guard guard(lock_);
  return count_ > 0 && id.RecordNo >= 0 && id.RecordNo < capacity_ && !IsDeleted(id.RecordNo);
}

const uint8_t* TKestrelMemoryRecordManager::RecordAt(int32_t id) const {
  return slots_ + int64_t{id} * RecordSize();
}

TKestrelNavigationResult TKestrelMemoryRecordManager::GetRecord(TKestrelRecordRequest& request) {
  using R = TKestrelNavigationResult;
  using D = TKestrelNavigation;
  std::lock_guard guard(lock_);
  if (count_ == 0) {
    return R::kEndOfTable;
  }
  int32_t slot = request.RecordID.RecordNo;
  if (request.AtBeginning) {
    if (request.Direction != D::kNext) {
      return request.Direction == D::kPrior ? R::kBeginningOfTable : R::kNotFound;
    }
    slot = lowestID_;
  } else if (request.AtEnd) {
    if (request.Direction != D::kPrior) {
      return request.Direction == D::kNext ? R::kEndOfTable : R::kNotFound;
    }
    slot = highestID_;
  } else if (request.Direction == D::kExact) {
    if (slot < lowestID_ || slot > highestID_ || IsDeleted(slot)) {
      return R::kNotFound;
    }
  } else if (request.Direction == D::kNext) {
    if (slot >= capacity_ - 1) {
      return R::kEndOfTable;
    }
    slot = std::max(slot + 1, lowestID_);
    while (slot <= highestID_ && IsDeleted(slot)) {
      ++slot;
    }
    if (slot > highestID_) {
      return R::kEndOfTable;
    }
  } else {
    if (slot < 1) {
      return R::kBeginningOfTable;
    }
    slot = std::min(slot - 1, highestID_);
    while (slot >= lowestID_ && IsDeleted(slot)) {
      --slot;
    }
    if (slot < lowestID_) {
      return R::kBeginningOfTable;
    }
  }
  if (request.Buffer != nullptr) {
    std::memcpy(request.Buffer, RecordAt(slot), static_cast<std::size_t>(RecordSize()));
  }
  request.RecordID = TKestrelRecordID{slot, 0};
  request.AtBeginning = false;
  request.AtEnd = false;
  return R::kFound;
}

int64_t TKestrelMemoryRecordManager::GetApproxRecNo(TKestrelRecordID id) const {
  std::lock_guard guard(lock_);
  if (count_ == 0 || id.RecordNo < lowestID_ || id.RecordNo > highestID_) {
    return -1;
  }
  if (noHoles_) {
    return int64_t{id.RecordNo} + 1;
  }
  int64_t before = 0;
  const int32_t fullBytes = id.RecordNo / 8;
  for (int32_t i = 0; i < fullBytes; ++i) {
    before += kLiveCounts[bitmap_[i]];
  }
  for (int32_t slot = fullBytes * 8; slot < id.RecordNo; ++slot) {
    before += IsDeleted(slot) ? 0 : 1;
  }
  return before + 1;
}

bool TKestrelMemoryRecordManager::RecNoToRecordID(int64_t recNo, TKestrelRecordID& id) const {
  std::lock_guard guard(lock_);
  if (recNo < 1 || recNo > count_) {
    return false;
  }
  if (noHoles_) {
    id = TKestrelRecordID{static_cast<int32_t>(recNo - 1), 0};
    return true;
  }
  const int32_t bitmapBytes = (capacity_ + 7) / 8;
  int64_t seen = 0;
  int32_t byte = 0;
  while (byte < bitmapBytes && seen + kLiveCounts[bitmap_[byte]] < recNo) {
    seen += kLiveCounts[bitmap_[byte]];
    ++byte;
  }
  for (int32_t slot = byte * 8; slot < bitmapBytes * 8; ++slot) {
    if (!IsDeleted(slot) && ++seen == recNo) {
      id = TKestrelRecordID{slot, 0};
      return true;
    }
  }
  throw EKestrelException("Invalid bit no = %d, number of bits = %d",
                          {static_cast<int64_t>(bitmapBytes) * 8, capacity_}, 10457);
}

void TKestrelMemoryRecordManager::SaveToStream(TKestrelStream& stream) const {
  std::lock_guard guard(lock_);
  WriteInt32(stream, capacity_, kWriteSlotState);
  WriteUInt8(stream, noHoles_ ? 255 : 0, kWriteSlotState + 1);
  WriteInt32(stream, lowestID_, kWriteSlotState + 2);
  WriteInt32(stream, highestID_, kWriteSlotState + 3);
  if (capacity_ > 0) {
    WriteStreamBuffer(stream, bitmap_, (capacity_ + 7) / 8, kWriteSlotState + 4);
  }
}

void TKestrelMemoryRecordManager::LoadFromStream(TKestrelStream& stream) {
  std::lock_guard guard(lock_);
  EmptyRecords();
  const int32_t capacity = ReadInt32(stream, kReadSlotState);
  const bool noHoles = ReadUInt8(stream, kReadSlotState + 1) != 0;
  const int32_t lowest = ReadInt32(stream, kReadSlotState + 2);
  const int32_t highest = ReadInt32(stream, kReadSlotState + 3);
  if (capacity < 0 || lowest < 0 || highest < lowest || (capacity > 0 && highest >= capacity)) {
    throw EKestrelException("Invalid record No = %d", {highest}, 10290);
  }
  if (capacity == 0) {
    noHoles_ = noHoles;
    return;
  }
  // The stored slots are checked against the stream before anything is
  // allocated for them.
  RequireStreamBytes(stream, (int64_t{capacity} + 7) / 8, kReadSlotState + 4);
  Grow(capacity);
  std::memset(slots_, 0, static_cast<std::size_t>(int64_t{capacity} * RecordSize()));
  ReadStreamBuffer(stream, bitmap_, (capacity + 7) / 8, kReadSlotState + 4);
  // Only the bits up to HighestID mean anything; the ones above it and the
  // padding bits past the capacity are marked free whatever they hold.
  for (int32_t slot = highest + 1; slot < (capacity + 7) / 8 * 8; ++slot) {
    SetDeleted(slot, true);
  }
  // LowestID and HighestID must be live and nothing below LowestID may be.
  int64_t live = 0;
  for (int32_t slot = 0; slot <= highest; ++slot) {
    if (IsDeleted(slot)) {
      continue;
    }
    if (slot < lowest) {
      Release();
      throw EKestrelException("Invalid record No = %d", {slot}, 10290);
    }
    ++live;
  }
  if (IsDeleted(lowest) || IsDeleted(highest)) {
    const int32_t dead = IsDeleted(lowest) ? lowest : highest;
    Release();
    throw EKestrelException("Invalid record No = %d", {dead}, 10290);
  }
  noHoles_ = noHoles;
  lowestID_ = lowest;
  highestID_ = highest;
  loadNext_ = 0;
  loadedLive_ = live;
}

void TKestrelMemoryRecordManager::LoadFromStream(TKestrelStream& stream, int64_t recordCount) {
  std::lock_guard guard(lock_);
  LoadFromStream(stream);
  if (loadedLive_ != recordCount) {
    const int64_t live = loadedLive_;
    EmptyRecords();
    throw EKestrelException("Invalid record count = %d. Limit is %d", {recordCount, live}, 10291);
  }
}

bool TKestrelMemoryRecordManager::AddLoadedRecord(const uint8_t* buffer, TKestrelRecordID& id) {
  std::lock_guard guard(lock_);
  while (loadNext_ < capacity_ && IsDeleted(loadNext_)) {
    ++loadNext_;
  }
  if (loadNext_ >= capacity_) {
    throw EKestrelException("Invalid record No = %d", {loadNext_}, 10290);
  }
  std::memcpy(slots_ + int64_t{loadNext_} * RecordSize(), buffer,
              static_cast<std::size_t>(RecordSize()));
  id = TKestrelRecordID{loadNext_++, 0};
  ++count_;
  return true;
}

}  // namespace kestrel
