#include "kestrel/storage/pages/page_manager_memory.h"

#include <algorithm>
#include <cstring>

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/pages/stream_checks.h"

namespace kestrel {
namespace {

// Stream sites: the six fields, the bitmap (three codes), the page images.
constexpr int kWriteFields = 10701;
constexpr int kWriteBitmap = 10707;
constexpr int kWritePages = 10710;
constexpr int kReadFields = 10711;
constexpr int kReadBitmap = 10717;
constexpr int kReadPages = 10720;

}  // namespace

TKestrelMemoryPageManager::TKestrelMemoryPageManager(TKestrelMemoryManager& memory)
    : TKestrelPageManager(memory, kKestrelPageSize), inUse_(memory) {}

TKestrelMemoryPageManager::~TKestrelMemoryPageManager() {
  FreeBlocks();
}

void TKestrelMemoryPageManager::FreeBlocks() {
  for (uint8_t*& block : blocks_) {
    Memory().Free(block);
  }
  blocks_.clear();
}

const uint8_t* TKestrelMemoryPageManager::Block(int32_t pageNo) const {
  std::lock_guard guard(Lock());
  if (pageNo < 0 || static_cast<std::size_t>(pageNo) >= blocks_.size()) {
    return nullptr;
  }
  return blocks_[static_cast<std::size_t>(pageNo)];
}

void TKestrelMemoryPageManager::CheckInUse(int32_t pageNo, int nativeError) const {
  if (pageNo < 0 || pageNo >= inUse_.BitCount() || !inUse_.Bit(pageNo) ||
      static_cast<std::size_t>(pageNo) >= blocks_.size()) {
    throw EKestrelException("Not released page is allocated", nativeError);
  }
}

void TKestrelMemoryPageManager::AllocatePageNo(TKestrelPage& page) {
  int32_t pageNo = inUse_.FindFirst(false);
  if (pageNo < 0) {
    pageNo = pageCount_ == 0 ? 0 : highestPageNo_ + 1;
    if (pageNo >= pageCount_) {
      inUse_.SetBitCount(pageCount_ + allocationStep_);
      pageCount_ += allocationStep_;
    }
  }
  if (inUse_.Bit(pageNo)) {
    throw EKestrelException("Not released page is allocated", 20037);
  }
  if (static_cast<std::size_t>(pageNo) >= blocks_.size()) {
    const std::size_t wanted =
        std::max(static_cast<std::size_t>(pageNo) + 1, blocks_.size() + kAllocationStep);
    blocks_.reserve(wanted);
    while (blocks_.size() < wanted) {
      blocks_.push_back(static_cast<uint8_t*>(Memory().AllocateZeroed(PageSize())));
    }
  }
  inUse_.SetBit(pageNo, true);
  ++usedPageCount_;
  highestPageNo_ = std::max(highestPageNo_, pageNo);
  page.SetPageNo(pageNo);
  page.AttachView(blocks_[static_cast<std::size_t>(pageNo)]);
}

void TKestrelMemoryPageManager::FreePageNo(int32_t pageNo) {
  CheckInUse(pageNo, 20037);
  inUse_.SetBit(pageNo, false);
  --usedPageCount_;
}

void TKestrelMemoryPageManager::ReadPage(TKestrelPage& page) {
  CheckInUse(page.PageNo(), 10392);
  page.AttachView(blocks_[static_cast<std::size_t>(page.PageNo())]);
}

void TKestrelMemoryPageManager::WritePage(TKestrelPage& page) {
  CheckInUse(page.PageNo(), 10393);
  if (page.OwnsBuffer()) {
    std::memcpy(blocks_[static_cast<std::size_t>(page.PageNo())], page.Buffer(), PageSize());
  }
}

void TKestrelMemoryPageManager::CheckReleased() const {
  std::lock_guard guard(Lock());
  TKestrelPageManager::CheckReleased();
  if (usedPageCount_ > 0) {
    throw EKestrelException("Index pages are not released", 20023);
  }
}

void TKestrelMemoryPageManager::ReleaseMemory() {
  std::lock_guard guard(Lock());
  if (usedPageCount_ > 0 || HasChangedPages()) {
    return;
  }
  DropPageObjects();
  FreeBlocks();
  inUse_.SetBitCount(0);
  pageCount_ = 0;
  highestPageNo_ = 0;
}

void TKestrelMemoryPageManager::SaveToStream(TKestrelStream& stream) const {
  std::lock_guard guard(Lock());
  WriteInt32(stream, pageCount_, kWriteFields);
  WriteInt32(stream, highestPageNo_, kWriteFields + 1);
  WriteInt32(stream, allocationStep_, kWriteFields + 2);
  WriteUInt16(stream, PageSize(), kWriteFields + 3);
  WriteUInt16(stream, ReservedSize(), kWriteFields + 4);
  WriteInt32(stream, usedPageCount_, kWriteFields + 5);
  inUse_.SaveToStream(stream, kWriteBitmap);
  std::vector<uint8_t> empty;
  for (int32_t pageNo = 0; pageNo < pageCount_; ++pageNo) {
    const auto slot = static_cast<std::size_t>(pageNo);
    if (slot < blocks_.size()) {
      WriteStreamBuffer(stream, blocks_[slot], PageSize(), kWritePages);
      continue;
    }
    empty.resize(PageSize(), 0);
    WriteStreamBuffer(stream, empty.data(), PageSize(), kWritePages);
  }
}

void TKestrelMemoryPageManager::LoadFromStream(TKestrelStream& stream) {
  std::lock_guard guard(Lock());
  DropPageObjects();
  FreeBlocks();
  inUse_.SetBitCount(0);
  pageCount_ = 0;
  highestPageNo_ = 0;
  usedPageCount_ = 0;
  try {
    const int32_t pageCount = ReadInt32(stream, kReadFields);
    const int32_t highest = ReadInt32(stream, kReadFields + 1);
    const int32_t step = ReadInt32(stream, kReadFields + 2);
    const uint16_t pageSize = ReadUInt16(stream, kReadFields + 3);
    const uint16_t reserved = ReadUInt16(stream, kReadFields + 4);
    const int32_t used = ReadInt32(stream, kReadFields + 5);
    if (pageCount < 0) {
      RaiseDamagedPageData("page count", pageCount);
    }
    if (highest < 0 || (pageCount > 0 && highest >= pageCount) ||
        (pageCount == 0 && highest != 0)) {
      RaiseDamagedPageData("highest page number", highest);
    }
    if (step <= 0) {
      RaiseDamagedPageData("allocation step", step);
    }
    if (pageSize != PageSize()) {
      RaiseDamagedPageData("page size", pageSize);
    }
    if (reserved != 0) {
      RaiseDamagedPageData("reserved size", reserved);
    }
    inUse_.LoadFromStream(stream, kReadBitmap);
    if (inUse_.BitCount() != pageCount) {
      RaiseDamagedPageData("bitmap size", inUse_.BitCount());
    }
    if (used != inUse_.SetBitsCount()) {
      RaiseDamagedPageData("used page count", used);
    }
    for (int32_t pageNo = pageCount - 1; pageNo > highest; --pageNo) {
      if (inUse_.Bit(pageNo)) {
        RaiseDamagedPageData("page in use above the highest", pageNo);
      }
    }
    RequireStreamBytes(stream, int64_t{pageCount} * PageSize(), kReadPages);
    blocks_.reserve(static_cast<std::size_t>(pageCount));
    for (int32_t pageNo = 0; pageNo < pageCount; ++pageNo) {
      blocks_.push_back(static_cast<uint8_t*>(Memory().Allocate(PageSize())));
      ReadStreamBuffer(stream, blocks_.back(), PageSize(), kReadPages);
    }
    pageCount_ = pageCount;
    highestPageNo_ = highest;
    allocationStep_ = step;
    usedPageCount_ = used;
  } catch (...) {
    FreeBlocks();
    inUse_.SetBitCount(0);
    pageCount_ = 0;
    highestPageNo_ = 0;
    usedPageCount_ = 0;
    throw;
  }
}

}  // namespace kestrel
