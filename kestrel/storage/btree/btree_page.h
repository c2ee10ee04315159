#pragma once
// The B-tree's view of one page and the two behaviours a page can have.
//
// Header, 18 bytes, little-endian:
//   offset  size  field
//   0       1     IsRoot: 1 in the root page
//   1       1     IsLeaf: 1 in leaf pages
//   2       4     PrevPageNo, signed; -1 when none
//   6       4     NextPageNo, signed; -1 when none
//   10      1     1 in a root page created as an empty leaf, else 0
//   11      1     record ID suffix flag, always 0
//   12      2     KeyLength
//   14      2     ItemCount
//   16      2     length of an extra header area, always 0
// Items follow back to back from offset 18: KeyLength bytes of key, then a
// tail: the 6-byte record ID of the entry in a leaf, the 4-byte page number
// of a child in a node.
//
// In a node, item 0's key is not used: item 0 leads to everything below
// item 1's key. For i >= 1, item i's key separates child i from child i-1:
// no key under child i-1 is above it, no key under child i below it. Pages
// of one level are chained through PrevPageNo/NextPageNo in key order.
//
// A page is over-full when ItemCount * item size + 18 > page size, and
// below half when ItemCount * item size < (page size - 18) / 2.

#include <cstdint>

#include "kestrel/storage/btree/btree_key.h"
#include "kestrel/storage/records/record_manager.h"

namespace kestrel {

namespace btree_header {
inline constexpr int32_t kIsRoot = 0;
inline constexpr int32_t kIsLeaf = 1;
inline constexpr int32_t kPrevPageNo = 2;
inline constexpr int32_t kNextPageNo = 6;
inline constexpr int32_t kCreatedAsEmptyRoot = 10;
inline constexpr int32_t kRecordIDSuffix = 11;
inline constexpr int32_t kKeyLength = 12;
inline constexpr int32_t kItemCount = 14;
inline constexpr int32_t kExtraHeaderLength = 16;
inline constexpr int32_t kSize = 18;
}  // namespace btree_header

// "Index integrity violated. PageNo=%d EntryNo=%d" (20028): an entry out of
// order (EntryNo -1 for a page that does not fit the tree around it).
[[noreturn]] void RaiseIntegrityViolated(int32_t pageNo, int32_t entryNo);

// How a search in one page ended.
enum class TKestrelPageSearchOutcome : uint8_t { kFound, kNotFound, kEmptyPage };
enum class TKestrelPageSearchMode : uint8_t { kFirstEqual, kLastEqual, kAnyEqual };

struct TKestrelPageSearch {
  int32_t Position = 0;  // the equal item, or the insertion point
  TKestrelPageSearchOutcome Outcome = TKestrelPageSearchOutcome::kEmptyPage;
};

// What differs between leaves and nodes.
class TKestrelBTreePageController {
 public:
  virtual ~TKestrelBTreePageController() = default;
  virtual int32_t TailSize() const = 0;
  // The first item whose key takes part in searches.
  virtual int32_t FirstSearchedItem() const = 0;
};

class TKestrelBTreeLeafController : public TKestrelBTreePageController {
 public:
  int32_t TailSize() const override { return TKestrelBTreeKeyRef::kLeafTailSize; }
  int32_t FirstSearchedItem() const override { return 0; }
};

class TKestrelBTreeNodeController : public TKestrelBTreePageController {
 public:
  int32_t TailSize() const override { return TKestrelBTreeKeyRef::kNodeTailSize; }
  int32_t FirstSearchedItem() const override { return 1; }
};

class TKestrelBTreePage {
 public:
  TKestrelBTreePage(uint8_t* data, const TKestrelBTreeKeyRef& keyRef, uint16_t pageSize)
      : data_(data), keyRef_(&keyRef), pageSize_(pageSize) {}

  // Header damage raises "Index page is damaged. PageNo=%d, %s" (20104).
  void Check(int32_t pageNo) const;
  // All header fields 0 except the sibling links (-1); the key length set.
  void Format(bool leaf);
  // A fresh root: an empty leaf with IsRoot and byte 10 set.
  void FormatRoot();

  bool IsRoot() const { return data_[btree_header::kIsRoot] != 0; }
  void SetRoot(bool root) { data_[btree_header::kIsRoot] = root ? 1 : 0; }
  bool IsLeaf() const { return data_[btree_header::kIsLeaf] != 0; }
  void SetLeaf(bool leaf) { data_[btree_header::kIsLeaf] = leaf ? 1 : 0; }
  int32_t PrevPageNo() const { return Get32(btree_header::kPrevPageNo); }
  void SetPrevPageNo(int32_t pageNo) { Put32(btree_header::kPrevPageNo, pageNo); }
  int32_t NextPageNo() const { return Get32(btree_header::kNextPageNo); }
  void SetNextPageNo(int32_t pageNo) { Put32(btree_header::kNextPageNo, pageNo); }
  int32_t KeyLength() const { return Get16(btree_header::kKeyLength); }
  int32_t ItemCount() const { return Get16(btree_header::kItemCount); }
  void SetItemCount(int32_t count) { Put16(btree_header::kItemCount, count); }

  const TKestrelBTreePageController& Controller() const;
  int32_t TailSize() const {
    return IsLeaf() ? TKestrelBTreeKeyRef::kLeafTailSize : TKestrelBTreeKeyRef::kNodeTailSize;
  }
  int32_t ItemSize() const { return keyRef_->KeyLength() + TailSize(); }
  // Items that fit the page.
  int32_t Capacity() const { return IsLeaf() ? keyRef_->LeafCapacity() : keyRef_->NodeCapacity(); }
  bool IsFull() const { return ItemCount() >= Capacity(); }
  bool IsBelowHalf() const {
    return ItemCount() * ItemSize() < (pageSize_ - btree_header::kSize) / 2;
  }

  uint8_t* Item(int32_t i) { return data_ + btree_header::kSize + i * ItemSize(); }
  const uint8_t* Item(int32_t i) const { return data_ + btree_header::kSize + i * ItemSize(); }
  const uint8_t* Key(int32_t i) const { return Item(i); }
  TKestrelRecordID RecordIDAt(int32_t i) const {
    return RecordIDFromBytes(Item(i) + keyRef_->KeyLength());
  }
  int32_t Child(int32_t i) const;
  void SetChild(int32_t i, int32_t pageNo);
  void SetKey(int32_t i, const uint8_t* key);

  // Room for one more item is the caller's business (REQUIRES: !IsFull()).
  void InsertItem(int32_t position, const uint8_t* item);
  void RemoveItem(int32_t position);

  // Binary search over the searched items on the first `columns` columns.
  TKestrelPageSearch Search(const uint8_t* key, int columns, TKestrelPageSearchMode mode) const;
  // The first searched item not below key (LowerBound) or above it
  // (UpperBound); ItemCount() when none.
  int32_t LowerBound(const uint8_t* key, int columns) const;
  int32_t UpperBound(const uint8_t* key, int columns) const;

 private:
  int32_t Get16(int32_t at) const { return data_[at] | data_[at + 1] << 8; }
  void Put16(int32_t at, int32_t value) {
    data_[at] = static_cast<uint8_t>(value & 0xFF);
    data_[at + 1] = static_cast<uint8_t>(value >> 8 & 0xFF);
  }
  int32_t Get32(int32_t at) const;
  void Put32(int32_t at, int32_t value);

  uint8_t* data_;
  const TKestrelBTreeKeyRef* keyRef_;
  uint16_t pageSize_;
};

}  // namespace kestrel
