#pragma once
// The record store of temporary tables (result sets and work tables):
// records are only appended, with sequential IDs 0, 1, 2, ...
//
// The first Threshold records live in a memory array that grows by 1000
// records at a time; the threshold is (available memory / 10 / record size)
// records, read when the manager is created, unless the creator gives one.
// Later records pass through a write buffer of 10 records into a spill file,
// created on first need and dropped when the records are emptied. In that
// file record n lies at offset (n - Threshold) * record size. The write
// buffer is written out when full and before any read from the file.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "kestrel/storage/memory_manager.h"
#include "kestrel/storage/records/record_manager.h"
#include "kestrel/storage/spill_stream.h"

namespace kestrel {

class TKestrelTemporaryRecordManager : public TKestrelBaseRecordManager {
 public:
  static constexpr int32_t kGrowBy = 1000;
  static constexpr int32_t kWriteBufferRecords = 10;

  // threshold: records kept in memory (default from the available memory);
  // spill: makes the spill stream (default a temporary file).
  TKestrelTemporaryRecordManager(int32_t recordSize,
                                 TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance(),
                                 std::optional<int64_t> threshold = std::nullopt,
                                 TKestrelSpillStreamFactory spill = nullptr);
  ~TKestrelTemporaryRecordManager() override;

  void EmptyRecords() override;
  bool InsertRecord(const uint8_t* buffer, TKestrelRecordID& id) override;
  bool RecordExists(TKestrelRecordID id) const override;
  TKestrelNavigationResult GetRecord(TKestrelRecordRequest& request) override;
  int64_t GetApproxRecNo(TKestrelRecordID id) const override;
  bool RecNoToRecordID(int64_t recNo, TKestrelRecordID& id) const override;

  int64_t Threshold() const { return threshold_; }
  bool HasSpillFile() const { return spill_ != nullptr; }

 private:
  void FlushWriteBuffer();
  void ReadRecord(int64_t id, uint8_t* buffer);

  TKestrelMemoryManager& memory_;
  int64_t threshold_;
  TKestrelSpillStreamFactory spillFactory_;
  uint8_t* array_ = nullptr;
  int64_t arrayCapacity_ = 0;
  std::unique_ptr<TKestrelStream> spill_;
  std::vector<uint8_t> writeBuffer_;
  int32_t buffered_ = 0;       // records in the write buffer
  int64_t firstBuffered_ = 0;  // ID of the first of them
};

}  // namespace kestrel
