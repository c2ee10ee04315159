#include "kestrel/storage/pages/page_manager_temporary.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/pages/stream_checks.h"

namespace kestrel {
namespace {

// Stream sites: the six fields and the file bytes, written and read; the
// bitmap; the file's pages.
constexpr int kWriteFields = 10722;
constexpr int kWriteBitmap = 10729;
constexpr int kReadFields = 10732;
constexpr int kReadBitmap = 10739;
constexpr int kFilePageRead = 10742;
constexpr int kFilePageWrite = 10743;
constexpr int kCopyBlock = 65536;

int32_t DefaultThreshold(const TKestrelMemoryManager& memory) {
  const int64_t pages = memory.AvailableMemory() / 10 / kKestrelPageSize;
  return static_cast<int32_t>(std::min<int64_t>(pages, std::numeric_limits<int32_t>::max()));
}

}  // namespace

TKestrelTemporaryPageManager::TKestrelTemporaryPageManager(TKestrelMemoryManager& memory,
                                                           std::optional<int32_t> threshold,
                                                           TKestrelSpillStreamFactory spill)
    : TKestrelPageManager(memory, kKestrelPageSize),
      inUse_(memory),
      threshold_(std::max(0, threshold ? *threshold : DefaultThreshold(memory))),
      inner_(std::make_unique<TKestrelMemoryPageManager>(memory)),
      spill_(std::move(spill)) {}

TKestrelTemporaryPageManager::~TKestrelTemporaryPageManager() {
  // Page objects may view the inner manager's blocks; they go first.
  DropPageObjects();
}

TKestrelStream& TKestrelTemporaryPageManager::File() {
  if (file_ == nullptr) {
    file_ = CreateSpillStream(spill_);
  }
  return *file_;
}

void TKestrelTemporaryPageManager::CheckInUse(int32_t pageNo, int nativeError) const {
  if (pageNo < 0 || pageNo >= inUse_.BitCount() || !inUse_.Bit(pageNo)) {
    throw EKestrelException("Not released page is allocated", nativeError);
  }
}

void TKestrelTemporaryPageManager::AllocatePageNo(TKestrelPage& page) {
  if (pageCount_ < threshold_) {
    inner_->AllocatePageNo(page);
    const int32_t pageNo = page.PageNo();
    if (pageNo >= pageCount_) {
      pageCount_ = pageNo + 1;
      inUse_.SetBitCount(std::max(inUse_.BitCount(), pageCount_));
    }
    inUse_.SetBit(pageNo, true);
    ++usedPageCount_;
    return;
  }
  if (pageCount_ == std::numeric_limits<int32_t>::max()) {
    throw EKestrelException("Invalid page number", 20064);
  }
  const int32_t pageNo = pageCount_;
  TKestrelStream& file = File();
  page.SetPageNo(pageNo);
  page.EnsureOwnedBuffer();
  // The file grows to hold the new page, so that reading it back before
  // it is written finds its bytes.
  file.SetPosition(int64_t{pageNo} * PageSize());
  WriteStreamBuffer(file, page.Buffer(), PageSize(), kFilePageWrite);
  inUse_.SetBitCount(pageNo + 1);
  pageCount_ = pageNo + 1;
  inUse_.SetBit(pageNo, true);
  ++usedPageCount_;
}

void TKestrelTemporaryPageManager::FreePageNo(int32_t pageNo) {
  CheckInUse(pageNo, 20037);
  inUse_.SetBit(pageNo, false);
  --usedPageCount_;
  if (pageNo < threshold_) {
    inner_->FreePageNo(pageNo);
  }
}

void TKestrelTemporaryPageManager::ReadPage(TKestrelPage& page) {
  CheckInUse(page.PageNo(), 10396);
  if (page.PageNo() < threshold_) {
    inner_->ReadPage(page);
    return;
  }
  page.EnsureOwnedBuffer();
  TKestrelStream& file = File();
  file.SetPosition(int64_t{page.PageNo()} * PageSize());
  ReadStreamBuffer(file, page.Buffer(), PageSize(), kFilePageRead);
}

void TKestrelTemporaryPageManager::WritePage(TKestrelPage& page) {
  CheckInUse(page.PageNo(), 10397);
  if (page.PageNo() < threshold_) {
    inner_->WritePage(page);
    return;
  }
  TKestrelStream& file = File();
  file.SetPosition(int64_t{page.PageNo()} * PageSize());
  WriteStreamBuffer(file, page.Buffer(), PageSize(), kFilePageWrite);
}

void TKestrelTemporaryPageManager::CheckReleased() const {
  std::lock_guard guard(Lock());
  TKestrelPageManager::CheckReleased();
  if (usedPageCount_ > 0) {
    throw EKestrelException("Index pages are not released", 20036);
  }
}

void TKestrelTemporaryPageManager::SaveToStream(TKestrelStream& stream) const {
  std::lock_guard guard(Lock());
  inner_->SaveToStream(stream);
  inUse_.SaveToStream(stream, kWriteBitmap);
  WriteInt32(stream, pageCount_, kWriteFields);
  WriteInt32(stream, threshold_, kWriteFields + 1);
  WriteUInt16(stream, PageSize(), kWriteFields + 2);
  WriteUInt16(stream, ReservedSize(), kWriteFields + 3);
  WriteInt32(stream, usedPageCount_, kWriteFields + 4);
  const int64_t length = file_ == nullptr ? 0 : file_->Size();
  WriteInt64(stream, length, kWriteFields + 5);
  if (length == 0) {
    return;
  }
  std::vector<uint8_t> block(static_cast<std::size_t>(std::min<int64_t>(length, kCopyBlock)));
  file_->SetPosition(0);
  for (int64_t done = 0; done < length;) {
    const auto piece = static_cast<int32_t>(std::min<int64_t>(length - done, kCopyBlock));
    ReadStreamBuffer(*file_, block.data(), piece, kFilePageRead);
    WriteStreamBuffer(stream, block.data(), piece, kWriteFields + 6);
    done += piece;
  }
}

void TKestrelTemporaryPageManager::Clear() {
  DropPageObjects();
  inUse_.SetBitCount(0);
  pageCount_ = 0;
  usedPageCount_ = 0;
  file_.reset();
}

void TKestrelTemporaryPageManager::LoadFromStream(TKestrelStream& stream) {
  std::lock_guard guard(Lock());
  Clear();
  try {
    inner_->LoadFromStream(stream);
    inUse_.LoadFromStream(stream, kReadBitmap);
    const int32_t pageCount = ReadInt32(stream, kReadFields);
    const int32_t threshold = ReadInt32(stream, kReadFields + 1);
    const uint16_t pageSize = ReadUInt16(stream, kReadFields + 2);
    const uint16_t reserved = ReadUInt16(stream, kReadFields + 3);
    const int32_t used = ReadInt32(stream, kReadFields + 4);
    const int64_t length = ReadInt64(stream, kReadFields + 5);
    if (pageCount < 0 || inUse_.BitCount() != pageCount) {
      RaiseDamagedPageData("page count", pageCount);
    }
    if (threshold < 0) {
      RaiseDamagedPageData("threshold", threshold);
    }
    if (pageSize != PageSize()) {
      RaiseDamagedPageData("page size", pageSize);
    }
    if (reserved != 0) {
      RaiseDamagedPageData("reserved size", reserved);
    }
    if (used != inUse_.SetBitsCount()) {
      RaiseDamagedPageData("used page count", used);
    }
    // Below the threshold the two maps must agree page for page.
    for (int32_t pageNo = 0; pageNo < pageCount && pageNo < threshold; ++pageNo) {
      const bool inner = pageNo < inner_->InUse().BitCount() && inner_->InUse().Bit(pageNo);
      if (inner != inUse_.Bit(pageNo)) {
        RaiseDamagedPageData("page in use", pageNo);
      }
    }
    if (inner_->GetUsedPageCount() > used) {
      RaiseDamagedPageData("inner used page count", inner_->GetUsedPageCount());
    }
    if (length < 0 || length % PageSize() != 0 || length > int64_t{pageCount} * PageSize()) {
      RaiseDamagedPageData("file length", length);
    }
    RequireStreamBytes(stream, length, kReadFields + 6);
    if (length > 0) {
      TKestrelStream& file = File();
      std::vector<uint8_t> block(static_cast<std::size_t>(std::min<int64_t>(length, kCopyBlock)));
      file.SetPosition(0);
      for (int64_t done = 0; done < length;) {
        const auto piece = static_cast<int32_t>(std::min<int64_t>(length - done, kCopyBlock));
        ReadStreamBuffer(stream, block.data(), piece, kReadFields + 6);
        WriteStreamBuffer(file, block.data(), piece, kFilePageWrite);
        done += piece;
      }
    }
    // Every file page in use must lie inside the file.
    for (int32_t pageNo = std::max(threshold, 0); pageNo < pageCount; ++pageNo) {
      if (inUse_.Bit(pageNo) && int64_t{pageNo + 1} * PageSize() > length) {
        RaiseDamagedPageData("file page", pageNo);
      }
    }
    pageCount_ = pageCount;
    threshold_ = threshold;
    usedPageCount_ = used;
  } catch (...) {
    Clear();
    inner_ = std::make_unique<TKestrelMemoryPageManager>(Memory());
    throw;
  }
}

}  // namespace kestrel
