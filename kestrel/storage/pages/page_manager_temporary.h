#pragma once
// The page manager of temporary tables and temporary indexes: pages below a
// threshold live in an inner memory page manager, the others in a spill
// file created on first need.
//
// The threshold is available memory / 10 / page size pages, read when the
// manager is created (the creator may give one). While the page count is
// below it, the inner manager gives the numbers (reusing freed ones); once
// the page count reaches it every new page is the next number in the file,
// even when numbers below the threshold are free again, and file numbers
// are never reused. Page n of the file lies at offset n * page size; the
// file always holds page count * page size bytes.
//
// Stream form (little-endian):
//   size  field
//   ...   the inner memory page manager (page_manager_memory.h)
//   ...   the in-use bitmap (bits_array.h)
//   4     page count
//   4     threshold
//   2     page size (4096)
//   2     reserved size (0)
//   4     UsedPageCount
//   8     file length L, signed
//   L     the file's bytes

#include <cstdint>
#include <memory>
#include <optional>

#include "kestrel/storage/pages/bits_array.h"
#include "kestrel/storage/pages/page_manager.h"
#include "kestrel/storage/pages/page_manager_memory.h"
#include "kestrel/storage/spill_stream.h"

namespace kestrel {

class TKestrelTemporaryPageManager : public TKestrelPageManager {
 public:
  explicit TKestrelTemporaryPageManager(
      TKestrelMemoryManager& memory = TKestrelMemoryManager::Instance(),
      std::optional<int32_t> threshold = std::nullopt, TKestrelSpillStreamFactory spill = nullptr);
  ~TKestrelTemporaryPageManager() override;

  int32_t PageCount() const { return pageCount_; }
  int32_t Threshold() const { return threshold_; }
  bool HasFile() const { return file_ != nullptr; }
  const TKestrelMemoryPageManager& Inner() const { return *inner_; }

  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;
  // Adds "Index pages are not released" (20036) while pages are in use.
  void CheckReleased() const override;

 protected:
  const char* ClassName() const override { return "TKestrelTemporaryPageManager"; }
  void AllocatePageNo(TKestrelPage& page) override;
  void FreePageNo(int32_t pageNo) override;
  void ReadPage(TKestrelPage& page) override;
  void WritePage(TKestrelPage& page) override;

 private:
  void CheckInUse(int32_t pageNo, int nativeError) const;
  TKestrelStream& File();
  void Clear();

  TKestrelBitsArray inUse_;
  int32_t pageCount_ = 0;
  int32_t threshold_;
  std::unique_ptr<TKestrelMemoryPageManager> inner_;
  TKestrelSpillStreamFactory spill_;
  std::unique_ptr<TKestrelStream> file_;
};

}  // namespace kestrel
