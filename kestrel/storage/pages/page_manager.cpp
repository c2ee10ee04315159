#include "kestrel/storage/pages/page_manager.h"

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

TKestrelPageManager::TKestrelPageManager(TKestrelMemoryManager& memory, uint16_t pageSize)
    : pageSize_(pageSize), memory_(memory) {}

TKestrelPageManager::~TKestrelPageManager() = default;

int32_t TKestrelPageManager::GetUsedPageCount() const {
  std::lock_guard guard(lock_);
  return usedPageCount_;
}

TKestrelPageManager::TSession* TKestrelPageManager::FindSession(int32_t session) const {
  if (lastSession_ != nullptr && lastSession_->number == session) {
    return lastSession_;
  }
  for (const auto& record : sessions_) {
    if (record->number == session) {
      return record.get();
    }
  }
  return nullptr;
}

TKestrelPageManager::TSession& TKestrelPageManager::SessionRecord(int32_t session) {
  TSession* record = FindSession(session);
  if (record == nullptr) {
    sessions_.push_back(std::make_unique<TSession>());
    record = sessions_.back().get();
    record->number = session;
  }
  lastSession_ = record;
  return *record;
}

TKestrelPage& TKestrelPageManager::NewPageObject() {
  if (idle_.empty()) {
    pool_.push_back(std::make_unique<TKestrelPage>(*this));
    idle_.reserve(pool_.size());
    return *pool_.back();
  }
  TKestrelPage* page = idle_.back();
  idle_.pop_back();
  return *page;
}

void TKestrelPageManager::DestroyPage(TKestrelPage& page) {
  if (page.list_ != nullptr) {
    page.list_->Remove(page);
  }
  page.Reset();
  idle_.push_back(&page);
}

TKestrelPageHandle TKestrelPageManager::AddPage(int32_t session) {
  std::lock_guard guard(lock_);
  TSession& record = SessionRecord(session);
  TKestrelPage& page = NewPageObject();
  try {
    AllocatePageNo(page);
    if (page.pageNo_ == -1) {
      throw EKestrelException("Invalid page number", 20064);
    }
    record.allocated.push_back(page.pageNo_);
    page.useCount_ = 1;
    page.modified_ = true;
    page.session_ = session;
    record.changed.Append(page);
  } catch (...) {
    DestroyPage(page);
    throw;
  }
  return TKestrelPageHandle(page);
}

TKestrelPageHandle TKestrelPageManager::GetPage(int32_t session, int32_t pageNo,
                                                const TKestrelPageReloadTest* reloadTest) {
  std::lock_guard guard(lock_);
  TSession& record = SessionRecord(session);
  TKestrelPage* page = record.changed.Find(pageNo);
  if (page == nullptr) {
    page = shared_.Find(pageNo);
    if (page == nullptr) {
      TKestrelPage& fresh = NewPageObject();
      fresh.pageNo_ = pageNo;
      try {
        ReadPage(fresh);
        fresh.version_ = GetCurrentVersion();
        shared_.Append(fresh);
      } catch (...) {
        DestroyPage(fresh);
        throw;
      }
      page = &fresh;
    } else if (!noReload_) {
      const bool compare = reloadTest == nullptr || (*reloadTest)(page->version_);
      if (compare && page->version_ != GetCurrentVersion()) {
        ReadPage(*page);
        page->version_ = GetCurrentVersion();
      }
    }
  }
  if (page->useCount_ > 0 && page->session_ != session) {
    throw EKestrelException("Page is used by other session", 20090);
  }
  page->session_ = session;
  ++page->useCount_;
  return TKestrelPageHandle(*page);
}

void TKestrelPageManager::Release(TKestrelPage& page, uint32_t generation) {
  std::lock_guard guard(lock_);
  // A handle kept past its object's life finds a new generation.
  if (page.generation_ != generation || page.list_ == nullptr) {
    throw EKestrelException("Used page was released too early", 20040);
  }
  if (page.pageNo_ == -1) {
    throw EKestrelException("Invalid page number", 20065);
  }
  if (page.useCount_ - 1 < 0) {
    throw EKestrelException("Error - invalid use count = %d, pageNo = %d",
                            {page.useCount_ - 1, page.pageNo_}, 10665);
  }
  --page.useCount_;
  if (page.useCount_ == 0 && page.list_ == &shared_) {
    shared_.Remove(page);
    if (page.modified_) {
      SessionRecord(page.session_).changed.Append(page);
    } else {
      shared_.Append(page);
    }
  }
  if (page.list_ == &shared_ && shared_.Count() > kCacheCapacity) {
    TrimSharedList();
  }
}

void TKestrelPageManager::TrimSharedList() {
  TKestrelPage* page = shared_.First();
  while (page != nullptr && shared_.Count() > kCacheCapacity) {
    TKestrelPage* next = TKestrelPageList::Next(*page);
    if (page->useCount_ == 0) {
      DestroyPage(*page);
    }
    page = next;
  }
}

void TKestrelPageManager::FreePage(int32_t session, int32_t pageNo) {
  std::lock_guard guard(lock_);
  SessionRecord(session).freed.push_back(pageNo);
}

void TKestrelPageManager::CommitPages(int32_t session) {
  std::lock_guard guard(lock_);
  TSession* record = FindSession(session);
  if (record == nullptr) {
    return;
  }
  const uint32_t version = GetCommitVersion();
  while (TKestrelPage* page = record->changed.First()) {
    if (!page->modified_) {
      throw EKestrelException("Page is not dirty, pageNo = %d", {page->pageNo_}, 10822);
    }
    if (page->useCount_ != 0) {
      throw EKestrelException("Cannot remove used page, pageNo = %d, UseCount = %d",
                              {page->pageNo_, page->useCount_}, 10823);
    }
    // A cached copy another session read meanwhile is older than this one.
    TKestrelPage* stale = shared_.Find(page->pageNo_);
    if (stale != nullptr && stale->useCount_ > 0) {
      throw EKestrelException("Page is used by other session", 20090);
    }
    WritePage(*page);
    if (stale != nullptr) {
      DestroyPage(*stale);
    }
    page->modified_ = false;
    page->version_ = version;
    record->changed.Remove(*page);
    shared_.Append(*page);
  }
  for (const int32_t pageNo : record->freed) {
    FreePageNo(pageNo);
    if (TKestrelPage* page = record->changed.Find(pageNo)) {
      DestroyPage(*page);
    }
    if (TKestrelPage* page = shared_.Find(pageNo)) {
      DestroyPage(*page);
    }
  }
  record->freed.clear();
  record->allocated.clear();
}

void TKestrelPageManager::RollbackPages(int32_t session) {
  std::lock_guard guard(lock_);
  TSession* record = FindSession(session);
  if (record == nullptr) {
    return;
  }
  // Every page is checked before anything is undone, so that a refused
  // rollback leaves the session as it was.
  for (TKestrelPage* page = record->changed.First(); page != nullptr;
       page = TKestrelPageList::Next(*page)) {
    if (!page->modified_) {
      throw EKestrelException("Page is not dirty, pageNo = %d", {page->pageNo_}, 10820);
    }
    if (page->useCount_ != 0) {
      throw EKestrelException("Cannot remove used page, pageNo = %d, UseCount = %d",
                              {page->pageNo_, page->useCount_}, 10821);
    }
  }
  ++generation_;
  for (const int32_t pageNo : record->allocated) {
    FreePageNo(pageNo);
  }
  record->allocated.clear();
  while (TKestrelPage* page = record->changed.First()) {
    DestroyPage(*page);
  }
  record->freed.clear();
}

bool TKestrelPageManager::HasChangedPages() const {
  for (const auto& record : sessions_) {
    if (record->changed.Count() > 0) {
      return true;
    }
  }
  return false;
}

void TKestrelPageManager::CheckReleased() const {
  std::lock_guard guard(lock_);
  if (HasChangedPages()) {
    throw EKestrelException("Cannot free not commited pages, page manager classname = %s",
                            {ClassName()}, 20097);
  }
}

void TKestrelPageManager::DropPageObjects() {
  ++generation_;
  for (const auto& record : sessions_) {
    while (TKestrelPage* page = record->changed.First()) {
      DestroyPage(*page);
    }
  }
  while (TKestrelPage* page = shared_.First()) {
    DestroyPage(*page);
  }
  sessions_.clear();
  lastSession_ = nullptr;
}

int32_t TKestrelPageManager::SharedPageCount() const {
  std::lock_guard guard(lock_);
  return shared_.Count();
}

int32_t TKestrelPageManager::ChangedPageCount(int32_t session) const {
  std::lock_guard guard(lock_);
  const TSession* record = FindSession(session);
  return record == nullptr ? 0 : record->changed.Count();
}

}  // namespace kestrel
