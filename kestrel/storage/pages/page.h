#pragma once
// Page objects, the lists that hold them and the handles through which
// clients hold them.
//
// A page object stands for one page number of a page manager while the
// engine uses it. Its buffer is either a view on the manager's own page
// memory (not owned) or a block of its own (owned: fresh pages of a file
// manager, or a view that had to grow). Only the first PageSize() bytes are
// ever written back.
//
// A fresh owned buffer is PageSize() zero bytes whose first 32 bytes are:
//   offset  size  field
//   0       4     "ACSP"
//   4       4     signed 0
//   8       2     0
//   10      4     signed -1
//   14      4     signed 0
//   18      4     0
//   22      4     signed -1
//   26      4     signed -1
//   30      2     0
// The B-tree overwrites them with its own header when it formats the page.
//
// Every page object lives in exactly one list at a time: the manager's
// shared cache or one session's changed pages. A list finds its pages by
// number in constant time and keeps them in the order they were appended.
//
// A TKestrelPageHandle holds a page once (UseCount) and releases it when it
// goes out of scope, exceptions included; Release() releases it earlier and
// reports what goes wrong.

#include <cstdint>
#include <vector>

namespace kestrel {

class TKestrelPageManager;
class TKestrelPageList;

inline constexpr uint16_t kKestrelPageSize = 4096;
inline constexpr int32_t kFreshPageHeaderSize = 32;

class TKestrelPage {
 public:
  explicit TKestrelPage(TKestrelPageManager& manager);
  ~TKestrelPage();
  TKestrelPage(const TKestrelPage&) = delete;
  TKestrelPage& operator=(const TKestrelPage&) = delete;

  TKestrelPageManager& Manager() const { return *manager_; }
  int32_t PageNo() const { return pageNo_; }
  uint8_t* Buffer() const { return buffer_; }
  uint32_t BufferSize() const { return bufferSize_; }
  bool OwnsBuffer() const { return ownsBuffer_; }
  bool Modified() const { return modified_; }
  void SetModified() { modified_ = true; }
  int32_t UseCount() const { return useCount_; }
  int32_t Session() const { return session_; }
  uint32_t Version() const { return version_; }
  uint32_t PageSize() const { return pageSize_; }
  uint32_t ReservedSize() const { return reservedSize_; }
  const TKestrelPageList* List() const { return list_; }

  // Grows the buffer to newSize bytes while the page is being changed: an
  // owned buffer in place, a view becomes an owned copy. "Invalid page
  // modification" (20039) below the page size; "Invalid page buffer.
  // Buffer is Nil" (20038) without a buffer.
  void EnlargeBuffer(uint32_t newSize);

  // For page managers.
  void SetPageNo(int32_t pageNo) { pageNo_ = pageNo; }
  void SetVersion(uint32_t version) { version_ = version; }
  // The buffer becomes a view on block (PageSize() bytes); an owned buffer
  // is freed first.
  void AttachView(uint8_t* block);
  // A fresh owned buffer (the header above) when the page has no buffer of
  // its own.
  void EnsureOwnedBuffer();
  // Frees an owned buffer; a view is simply dropped.
  void DropBuffer();

 private:
  friend class TKestrelPageList;
  friend class TKestrelPageManager;
  friend class TKestrelPageHandle;
  // Back to the state of a new object: no number, no buffer, no list.
  void Reset();

  TKestrelPageManager* manager_;
  int32_t pageNo_ = -1;
  uint8_t* buffer_ = nullptr;
  uint32_t bufferSize_ = 0;
  bool ownsBuffer_ = false;
  bool modified_ = false;
  int32_t useCount_ = 0;
  TKestrelPageList* list_ = nullptr;
  int32_t session_ = 0;
  uint32_t version_ = 0;
  uint32_t reservedSize_ = 0;
  uint32_t pageSize_ = 0;
  // Links of the list that holds the page.
  TKestrelPage* prev_ = nullptr;
  TKestrelPage* next_ = nullptr;
  // Moves on whenever the object stops standing for its page, so that a
  // handle kept past that is recognised.
  uint32_t generation_ = 0;
};

// An ordered list of page objects, found by page number.
class TKestrelPageList {
 public:
  TKestrelPageList() = default;
  TKestrelPageList(const TKestrelPageList&) = delete;
  TKestrelPageList& operator=(const TKestrelPageList&) = delete;

  int32_t Count() const { return count_; }
  TKestrelPage* First() const { return head_; }
  static TKestrelPage* Next(const TKestrelPage& page) { return page.next_; }
  TKestrelPage* Find(int32_t pageNo) const;
  // REQUIRES: the page is in no list and the list holds no other object
  // for its number.
  void Append(TKestrelPage& page);
  // REQUIRES: the page is in this list.
  void Remove(TKestrelPage& page);

 private:
  TKestrelPage* head_ = nullptr;
  TKestrelPage* tail_ = nullptr;
  int32_t count_ = 0;
  std::vector<TKestrelPage*> byNumber_;
};

class TKestrelPageHandle {
 public:
  TKestrelPageHandle() = default;
  ~TKestrelPageHandle() { Reset(); }
  TKestrelPageHandle(TKestrelPageHandle&& other) noexcept;
  TKestrelPageHandle& operator=(TKestrelPageHandle&& other) noexcept;
  TKestrelPageHandle(const TKestrelPageHandle&) = delete;
  TKestrelPageHandle& operator=(const TKestrelPageHandle&) = delete;

  explicit operator bool() const { return page_ != nullptr; }
  TKestrelPage* Get() const { return page_; }
  TKestrelPage& operator*() const { return *page_; }
  TKestrelPage* operator->() const { return page_; }
  uint8_t* Data() const { return page_->Buffer(); }
  int32_t PageNo() const { return page_->PageNo(); }
  void MarkModified() const { page_->SetModified(); }

  // Releases the page now; the manager's errors reach the caller.
  void Release();

 private:
  friend class TKestrelPageManager;
  explicit TKestrelPageHandle(TKestrelPage& page);
  // Releases without letting an error escape: a handle going out of scope
  // may be unwinding another exception.
  void Reset() noexcept;

  TKestrelPage* page_ = nullptr;
  uint32_t generation_ = 0;
};

}  // namespace kestrel
