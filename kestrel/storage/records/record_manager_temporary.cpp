#include "kestrel/storage/records/record_manager_temporary.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

constexpr int kReadSpillRecord = 10295;

int64_t DefaultThreshold(const TKestrelMemoryManager& memory, int32_t recordSize) {
  return memory.AvailableMemory() / 10 / recordSize;
}

}  // namespace

TKestrelTemporaryRecordManager::TKestrelTemporaryRecordManager(int32_t recordSize,
                                                               TKestrelMemoryManager& memory,
                                                               std::optional<int64_t> threshold,
                                                               TKestrelSpillStreamFactory spill)
    : TKestrelBaseRecordManager(recordSize),
      memory_(memory),
      threshold_(
          std::max<int64_t>(0, threshold ? *threshold : DefaultThreshold(memory, recordSize))),
      spillFactory_(std::move(spill)) {
  // The memory array is addressed with 32-bit block sizes.
  threshold_ = std::min<int64_t>(threshold_, std::numeric_limits<int32_t>::max() / recordSize);
  writeBuffer_.resize(static_cast<std::size_t>(kWriteBufferRecords) * recordSize);
}

TKestrelTemporaryRecordManager::~TKestrelTemporaryRecordManager() {
  memory_.Free(array_);
}

void TKestrelTemporaryRecordManager::EmptyRecords() {
  std::lock_guard guard(lock_);
  memory_.Free(array_);
  arrayCapacity_ = 0;
  spill_.reset();
  buffered_ = 0;
  count_ = 0;
}

void TKestrelTemporaryRecordManager::FlushWriteBuffer() {
  if (buffered_ == 0) {
    return;
  }
  if (buffered_ > kWriteBufferRecords) {
    throw EKestrelException("Invalid record count = %d. Limit is %d",
                            {buffered_, kWriteBufferRecords}, 10296);
  }
  if (spill_ == nullptr) {
    spill_ = CreateSpillStream(spillFactory_);
  }
  const int64_t offset = (firstBuffered_ - threshold_) * RecordSize();
  spill_->SetPosition(offset);
  if (spill_->Position() != offset) {
    throw EKestrelException("Cannot set stream position to %d. Position = %d, Size = %d",
                            {offset, spill_->Position(), spill_->Size()}, 10297);
  }
  const int32_t bytes = buffered_ * RecordSize();
  if (spill_->Write(writeBuffer_.data(), bytes) != bytes) {
    throw EKestrelException("Error writing to stream", 10298);
  }
  buffered_ = 0;
}

bool TKestrelTemporaryRecordManager::InsertRecord(const uint8_t* buffer, TKestrelRecordID& id) {
  std::lock_guard guard(lock_);
  const int64_t next = count_;
  if (next < threshold_) {
    if (next >= arrayCapacity_) {
      const int64_t capacity = std::min<int64_t>(arrayCapacity_ + kGrowBy, threshold_);
      memory_.Resize(array_, static_cast<int32_t>(capacity * RecordSize()), false);
      arrayCapacity_ = capacity;
    }
    std::memcpy(array_ + next * RecordSize(), buffer, static_cast<std::size_t>(RecordSize()));
  } else {
    if (buffered_ == kWriteBufferRecords) {
      FlushWriteBuffer();
    }
    if (buffered_ == 0) {
      firstBuffered_ = next;
    }
    std::memcpy(writeBuffer_.data() + int64_t{buffered_} * RecordSize(), buffer,
                static_cast<std::size_t>(RecordSize()));
    ++buffered_;
  }
  ++count_;
  id = Int64ToRecordID(next);
  return true;
}

bool TKestrelTemporaryRecordManager::RecordExists(TKestrelRecordID id) const {
  std::lock_guard guard(lock_);
  const int64_t n = RecordIDToInt64(id);
  return n >= 0 && n < count_;
}

void TKestrelTemporaryRecordManager::ReadRecord(int64_t id, uint8_t* buffer) {
  if (id < threshold_) {
    std::memcpy(buffer, array_ + id * RecordSize(), static_cast<std::size_t>(RecordSize()));
    return;
  }
  FlushWriteBuffer();
  if (spill_ == nullptr) {
    throw EKestrelException("Error retreiving record", 10019);
  }
  const int64_t offset = (id - threshold_) * RecordSize();
  spill_->SetPosition(offset);
  if (spill_->Position() != offset) {
    throw EKestrelException("Cannot set stream position to %d. Position = %d, Size = %d",
                            {offset, spill_->Position(), spill_->Size()}, 10299);
  }
  ReadStreamBuffer(*spill_, buffer, RecordSize(), kReadSpillRecord);
}

TKestrelNavigationResult TKestrelTemporaryRecordManager::GetRecord(TKestrelRecordRequest& request) {
  using R = TKestrelNavigationResult;
  using D = TKestrelNavigation;
  std::lock_guard guard(lock_);
  if (count_ == 0) {
    return R::kEndOfTable;
  }
  int64_t id = RecordIDToInt64(request.RecordID);
  if (request.AtBeginning) {
    if (request.Direction != D::kNext) {
      return request.Direction == D::kPrior ? R::kBeginningOfTable : R::kNotFound;
    }
    id = 0;
  } else if (request.AtEnd) {
    if (request.Direction != D::kPrior) {
      return request.Direction == D::kNext ? R::kEndOfTable : R::kNotFound;
    }
    id = count_ - 1;
  } else if (request.Direction == D::kExact) {
    if (id < 0 || id >= count_) {
      return R::kNotFound;
    }
  } else if (request.Direction == D::kNext) {
    if (++id >= count_) {
      return R::kEndOfTable;
    }
  } else {
    if (--id < 0) {
      return R::kBeginningOfTable;
    }
    id = std::min(id, count_ - 1);
  }
  if (request.Buffer != nullptr) {
    ReadRecord(id, request.Buffer);
  }
  request.RecordID = Int64ToRecordID(id);
  request.AtBeginning = false;
  request.AtEnd = false;
  return R::kFound;
}

int64_t TKestrelTemporaryRecordManager::GetApproxRecNo(TKestrelRecordID id) const {
  std::lock_guard guard(lock_);
  const int64_t n = RecordIDToInt64(id);
  return n >= 0 && n < count_ ? n + 1 : -1;
}

bool TKestrelTemporaryRecordManager::RecNoToRecordID(int64_t recNo, TKestrelRecordID& id) const {
  std::lock_guard guard(lock_);
  if (recNo < 1 || recNo > count_) {
    return false;
  }
  id = Int64ToRecordID(recNo - 1);
  return true;
}

}  // namespace kestrel
