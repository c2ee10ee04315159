#pragma once
// The page manager base: fixed-size pages by number, a shared cache of page
// objects, and each session's changed pages kept apart until the session
// commits them.
//
// Lists and their invariants:
// - the shared list holds page objects that no session has changed since
//   their last commit, oldest released first; it is cut back to 30 objects
//   (held ones never go) whenever a page in it is released;
// - a session's changed list holds the pages it changed (and the pages it
//   added), in the order they were released; they are written back, and
//   join the shared list, when the session commits; a rollback drops them;
// - a session's allocated list holds the numbers it added since its last
//   commit (freed again by a rollback), its freed list the numbers it gave
//   up (released by its commit).
// A page held by one session cannot be obtained by another.
//
// Every client operation runs under the manager's lock; table operations
// call it from inside their table lock. The table's own maintenance uses
// session kMaintenanceSession (-2).
//
// Derived managers keep the page numbers and bytes: AllocatePageNo gives a
// page object a number and a buffer, FreePageNo gives a number back,
// ReadPage fills or attaches a page object's buffer, WritePage stores it.
// Both version counters are 0 in the managers of this engine, so a cached
// page is never read again.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "kestrel/storage/memory_manager.h"
#include "kestrel/storage/pages/page.h"
#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

// Asked with a cached page's version whether the versions are compared.
using TKestrelPageReloadTest = std::function<bool(uint32_t version)>;

inline constexpr int32_t kMaintenanceSession = -2;

class TKestrelPageManager {
 public:
  static constexpr int32_t kCacheCapacity = 30;

  TKestrelPageManager(TKestrelMemoryManager& memory, uint16_t pageSize);
  // Frees every page object; it never raises (see CheckReleased).
  virtual ~TKestrelPageManager();
  TKestrelPageManager(const TKestrelPageManager&) = delete;
  TKestrelPageManager& operator=(const TKestrelPageManager&) = delete;

  TKestrelMemoryManager& Memory() const { return memory_; }
  uint16_t PageSize() const { return pageSize_; }
  uint16_t ReservedSize() const { return reservedSize_; }
  std::recursive_mutex& Lock() const { return lock_; }

  virtual int32_t GetUsedPageCount() const;
  virtual uint32_t GetCommitVersion() const { return 0; }
  virtual uint32_t GetCurrentVersion() const { return 0; }
  virtual void LoadFromStream(TKestrelStream& stream) = 0;
  virtual void SaveToStream(TKestrelStream& stream) const = 0;

  // A new page, held once and marked modified. "Invalid page number"
  // (20064) when no number could be given.
  TKestrelPageHandle AddPage(int32_t session);
  // The page, held once more: the session's own changed copy when it has
  // one, else the shared one. "Page is used by other session" (20090) while
  // another session holds it.
  TKestrelPageHandle GetPage(int32_t session, int32_t pageNo,
                             const TKestrelPageReloadTest* reloadTest = nullptr);
  void ReleasePage(TKestrelPageHandle& handle) { handle.Release(); }
  // Gives up one hold of a page without its handle. Handles do this
  // themselves; a caller that releases more often than it obtained gets
  // "Error - invalid use count = %d, pageNo = %d" (10665).
  void ReleasePage(TKestrelPage& page) { Release(page, page.generation_); }
  // The number goes at the session's commit.
  void FreePage(int32_t session, int32_t pageNo);
  void CommitPages(int32_t session);
  void RollbackPages(int32_t session);

  // The checks a destroyed manager would make: "Cannot free not commited
  // pages, page manager classname = %s" (20097) while a session has
  // changed pages; derived managers add "Index pages are not released".
  virtual void CheckReleased() const;

  // Moves on whenever pages may have changed behind their clients' backs
  // (a load, a rollback, page memory given back): positions a client
  // remembers from before are not to be trusted.
  uint64_t Generation() const { return generation_; }

  bool NoReload() const { return noReload_; }
  void SetNoReload(bool noReload) { noReload_ = noReload; }
  int32_t SharedPageCount() const;
  int32_t ChangedPageCount(int32_t session) const;

 protected:
  virtual const char* ClassName() const = 0;
  virtual void AllocatePageNo(TKestrelPage& page) = 0;
  virtual void FreePageNo(int32_t pageNo) = 0;
  virtual void ReadPage(TKestrelPage& page) = 0;
  virtual void WritePage(TKestrelPage& page) = 0;
  // Drops every page object and session record, as before a load.
  void DropPageObjects();
  bool HasChangedPages() const;

  int32_t usedPageCount_ = 0;
  uint16_t pageSize_;
  uint16_t reservedSize_ = 0;

 private:
  friend class TKestrelPageHandle;
  struct TSession {
    int32_t number = 0;
    TKestrelPageList changed;
    std::vector<int32_t> allocated;
    std::vector<int32_t> freed;
  };

  // ReleasePage of the handle's page.
  void Release(TKestrelPage& page, uint32_t generation);
  TSession* FindSession(int32_t session) const;
  TSession& SessionRecord(int32_t session);
  TKestrelPage& NewPageObject();
  // Takes the page out of its list and back to the pool.
  void DestroyPage(TKestrelPage& page);
  void TrimSharedList();

  TKestrelMemoryManager& memory_;
  mutable std::recursive_mutex lock_;
  bool noReload_ = false;
  uint64_t generation_ = 0;
  TKestrelPageList shared_;
  std::vector<std::unique_ptr<TSession>> sessions_;
  TSession* lastSession_ = nullptr;
  // Page objects are kept and reused: a cache miss costs no allocation.
  std::vector<std::unique_ptr<TKestrelPage>> pool_;
  std::vector<TKestrelPage*> idle_;
};

}  // namespace kestrel
