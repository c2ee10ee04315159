#include "kestrel/storage/pages/page.h"

#include <algorithm>
#include <cstring>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/pages/page_manager.h"

namespace kestrel {
namespace {

void Put32(uint8_t* p, int32_t value) {
  std::memcpy(p, &value, 4);
}

}  // namespace

TKestrelPage::TKestrelPage(TKestrelPageManager& manager)
    : manager_(&manager), reservedSize_(manager.ReservedSize()), pageSize_(manager.PageSize()) {}

TKestrelPage::~TKestrelPage() {
  DropBuffer();
}

void TKestrelPage::Reset() {
  DropBuffer();
  pageNo_ = -1;
  modified_ = false;
  useCount_ = 0;
  list_ = nullptr;
  session_ = 0;
  version_ = 0;
  prev_ = nullptr;
  next_ = nullptr;
  ++generation_;
}

void TKestrelPage::DropBuffer() {
  if (ownsBuffer_) {
    manager_->Memory().Free(buffer_);
  }
  buffer_ = nullptr;
  bufferSize_ = 0;
  ownsBuffer_ = false;
}

void TKestrelPage::AttachView(uint8_t* block) {
  DropBuffer();
  buffer_ = block;
  bufferSize_ = pageSize_;
}

void TKestrelPage::EnsureOwnedBuffer() {
  if (ownsBuffer_) {
    return;
  }
  auto* buffer =
      static_cast<uint8_t*>(manager_->Memory().AllocateZeroed(static_cast<int32_t>(pageSize_)));
  std::memcpy(buffer, "ACSP", 4);
  Put32(buffer + 10, -1);
  Put32(buffer + 22, -1);
  Put32(buffer + 26, -1);
  buffer_ = buffer;
  bufferSize_ = pageSize_;
  ownsBuffer_ = true;
}

void TKestrelPage::EnlargeBuffer(uint32_t newSize) {
  if (buffer_ == nullptr) {
    throw EKestrelException("Invalid page buffer. Buffer is Nil", 20038);
  }
  if (newSize < pageSize_) {
    throw EKestrelException("Invalid page modification", 20039);
  }
  TKestrelMemoryManager& memory = manager_->Memory();
  if (ownsBuffer_) {
    memory.Resize(buffer_, static_cast<int32_t>(newSize), true);
  } else {
    auto* copy = static_cast<uint8_t*>(memory.AllocateZeroed(static_cast<int32_t>(newSize)));
    std::memcpy(copy, buffer_, pageSize_);
    buffer_ = copy;
    ownsBuffer_ = true;
  }
  bufferSize_ = newSize;
}

// Page lists.

TKestrelPage* TKestrelPageList::Find(int32_t pageNo) const {
  if (pageNo < 0 || static_cast<std::size_t>(pageNo) >= byNumber_.size()) {
    return nullptr;
  }
  return byNumber_[static_cast<std::size_t>(pageNo)];
}

void TKestrelPageList::Append(TKestrelPage& page) {
  if (page.pageNo_ < 0) {
    throw EKestrelException("Invalid page number", 20064);
  }
  const auto slot = static_cast<std::size_t>(page.pageNo_);
  if (slot >= byNumber_.size()) {
    byNumber_.resize(std::max(slot + 1, byNumber_.size() * 2), nullptr);
  }
  if (byNumber_[slot] != nullptr) {
    throw EKestrelException("Page %d is listed twice", {page.pageNo_}, 20103);
  }
  byNumber_[slot] = &page;
  page.list_ = this;
  page.prev_ = tail_;
  page.next_ = nullptr;
  if (tail_ != nullptr) {
    tail_->next_ = &page;
  } else {
    head_ = &page;
  }
  tail_ = &page;
  ++count_;
}

void TKestrelPageList::Remove(TKestrelPage& page) {
  if (page.prev_ != nullptr) {
    page.prev_->next_ = page.next_;
  } else {
    head_ = page.next_;
  }
  if (page.next_ != nullptr) {
    page.next_->prev_ = page.prev_;
  } else {
    tail_ = page.prev_;
  }
  byNumber_[static_cast<std::size_t>(page.pageNo_)] = nullptr;
  page.prev_ = nullptr;
  page.next_ = nullptr;
  page.list_ = nullptr;
  --count_;
}

// Handles.

TKestrelPageHandle::TKestrelPageHandle(TKestrelPage& page)
    : page_(&page), generation_(page.generation_) {}

TKestrelPageHandle::TKestrelPageHandle(TKestrelPageHandle&& other) noexcept
    : page_(other.page_), generation_(other.generation_) {
  other.page_ = nullptr;
}

TKestrelPageHandle& TKestrelPageHandle::operator=(TKestrelPageHandle&& other) noexcept {
  if (this != &other) {
    Reset();
    page_ = other.page_;
    generation_ = other.generation_;
    other.page_ = nullptr;
  }
  return *this;
}

void TKestrelPageHandle::Release() {
  if (page_ == nullptr) {
    return;
  }
  TKestrelPage* page = page_;
  page_ = nullptr;
  page->Manager().Release(*page, generation_);
}

void TKestrelPageHandle::Reset() noexcept {
  try {
    Release();
  } catch (...) {
    // Only a page the manager already dropped can fail here; nothing is
    // left to give back.
  }
}

}  // namespace kestrel
