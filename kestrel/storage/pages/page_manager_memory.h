#pragma once
// The page manager of memory tables: every page number has a zero-filled
// block of engine memory, and page objects are views on those blocks, so
// reading a page copies nothing and writing back copies only a page whose
// buffer had to grow.
//
// Numbers are provided in steps of 50 (the page count) and reused lowest
// first: a freed number is clear in the in-use bitmap from its commit on,
// and its block keeps its bytes for the next page that takes it.
//
// Stream form (little-endian; the table file embeds exactly this):
//   size          field
//   4             page count C (numbers provided for)
//   4             HighestPageNo (highest number ever allocated)
//   4             allocation step (50)
//   2             page size S (4096)
//   2             reserved size (0)
//   4             UsedPageCount
//   ...           the in-use bitmap (bits_array.h), C bits
//   C x S         the page images, page 0 first

#include <cstdint>
#include <vector>

#include "kestrel/storage/pages/bits_array.h"
#include "kestrel/storage/pages/page_manager.h"

namespace kestrel {

class TKestrelMemoryPageManager : public TKestrelPageManager {
 public:
  static constexpr int32_t kAllocationStep = 50;

  explicit TKestrelMemoryPageManager(
      TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance());
  ~TKestrelMemoryPageManager() override;

  int32_t PageCount() const { return pageCount_; }
  int32_t HighestPageNo() const { return highestPageNo_; }
  int32_t AllocationStep() const { return allocationStep_; }
  const TKestrelBitsArray& InUse() const { return inUse_; }
  // The block of a page number, or nullptr when it has none yet.
  const uint8_t* Block(int32_t pageNo) const;

  // A damaged form raises an error and leaves the manager empty.
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;
  // Adds "Index pages are not released" (20023) while pages are in use.
  void CheckReleased() const override;
  // Gives the page memory back when no page is in use and nothing is held
  // or changed: the manager is as new. An emptied table calls it.
  void ReleaseMemory();

 protected:
  const char* ClassName() const override { return "TKestrelMemoryPageManager"; }
  void AllocatePageNo(TKestrelPage& page) override;
  void FreePageNo(int32_t pageNo) override;
  void ReadPage(TKestrelPage& page) override;
  void WritePage(TKestrelPage& page) override;

 private:
  friend class TKestrelTemporaryPageManager;
  void FreeBlocks();
  void CheckInUse(int32_t pageNo, int nativeError) const;

  int32_t pageCount_ = 0;
  int32_t highestPageNo_ = 0;
  int32_t allocationStep_ = kAllocationStep;
  TKestrelBitsArray inUse_;
  std::vector<uint8_t*> blocks_;
};

}  // namespace kestrel
