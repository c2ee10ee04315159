#include "kestrel/storage/btree/btree_page.h"

#include <cstring>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

const TKestrelBTreeLeafController kLeafController;
const TKestrelBTreeNodeController kNodeController;

[[noreturn]] void Damaged(int32_t pageNo, const char* what) {
  throw EKestrelException("Index page is damaged. PageNo=%d, %s", {pageNo, what}, 20104);
}

}  // namespace

void RaiseIntegrityViolated(int32_t pageNo, int32_t entryNo) {
  throw EKestrelException("Index integrity violated. PageNo=%d EntryNo=%d", {pageNo, entryNo},
                          20028);
}

const TKestrelBTreePageController& TKestrelBTreePage::Controller() const {
  if (IsLeaf()) {
    return kLeafController;
  }
  return kNodeController;
}

int32_t TKestrelBTreePage::Get32(int32_t at) const {
  const auto value = static_cast<uint32_t>(data_[at] | data_[at + 1] << 8 | data_[at + 2] << 16) |
                     static_cast<uint32_t>(data_[at + 3]) << 24;
  return static_cast<int32_t>(value);
}

void TKestrelBTreePage::Put32(int32_t at, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) {
    data_[at + i] = static_cast<uint8_t>(bits >> (8 * i) & 0xFF);
  }
}

void TKestrelBTreePage::Check(int32_t pageNo) const {
  // The common case in one test: flags 0 or 1, no suffix, no extra header,
  // the index's key length and an item count that fits.
  const bool sound = data_[btree_header::kIsRoot] <= 1 && data_[btree_header::kIsLeaf] <= 1 &&
                     data_[btree_header::kRecordIDSuffix] == 0 &&
                     (data_[btree_header::kExtraHeaderLength] |
                      data_[btree_header::kExtraHeaderLength + 1]) == 0 &&
                     KeyLength() == keyRef_->KeyLength() && ItemCount() <= Capacity();
  if (sound) {
    return;
  }
  if (data_[btree_header::kIsRoot] > 1) {
    Damaged(pageNo, "IsRoot");
  }
  if (data_[btree_header::kIsLeaf] > 1) {
    Damaged(pageNo, "IsLeaf");
  }
  if (data_[btree_header::kRecordIDSuffix] != 0) {
    Damaged(pageNo, "record ID suffix");
  }
  if (Get16(btree_header::kExtraHeaderLength) != 0) {
    Damaged(pageNo, "extra header length");
  }
  if (KeyLength() != keyRef_->KeyLength()) {
    Damaged(pageNo, "KeyLength");
  }
  Damaged(pageNo, "ItemCount");
}

void TKestrelBTreePage::Format(bool leaf) {
  std::memset(data_, 0, btree_header::kSize);
  SetLeaf(leaf);
  SetPrevPageNo(-1);
  SetNextPageNo(-1);
  Put16(btree_header::kKeyLength, keyRef_->KeyLength());
}

void TKestrelBTreePage::FormatRoot() {
  Format(true);
  SetRoot(true);
  data_[btree_header::kCreatedAsEmptyRoot] = 1;
}

int32_t TKestrelBTreePage::Child(int32_t i) const {
  int32_t pageNo = 0;
  std::memcpy(&pageNo, Item(i) + keyRef_->KeyLength(), 4);
  return pageNo;
}

void TKestrelBTreePage::SetChild(int32_t i, int32_t pageNo) {
  std::memcpy(Item(i) + keyRef_->KeyLength(), &pageNo, 4);
}

void TKestrelBTreePage::SetKey(int32_t i, const uint8_t* key) {
  std::memcpy(Item(i), key, static_cast<std::size_t>(keyRef_->KeyLength()));
}

void TKestrelBTreePage::InsertItem(int32_t position, const uint8_t* item) {
  const int32_t size = ItemSize();
  const int32_t count = ItemCount();
  uint8_t* at = Item(position);
  std::memmove(at + size, at, static_cast<std::size_t>((count - position) * size));
  std::memcpy(at, item, static_cast<std::size_t>(size));
  SetItemCount(count + 1);
}

void TKestrelBTreePage::RemoveItem(int32_t position) {
  const int32_t size = ItemSize();
  const int32_t count = ItemCount();
  uint8_t* at = Item(position);
  std::memmove(at, at + size, static_cast<std::size_t>((count - position - 1) * size));
  SetItemCount(count - 1);
}

int32_t TKestrelBTreePage::LowerBound(const uint8_t* key, int columns) const {
  int32_t low = Controller().FirstSearchedItem();
  int32_t high = ItemCount();
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    if (keyRef_->CompareKeys(Key(middle), key, columns) < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

int32_t TKestrelBTreePage::UpperBound(const uint8_t* key, int columns) const {
  int32_t low = Controller().FirstSearchedItem();
  int32_t high = ItemCount();
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    if (keyRef_->CompareKeys(Key(middle), key, columns) <= 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

TKestrelPageSearch TKestrelBTreePage::Search(const uint8_t* key, int columns,
                                             TKestrelPageSearchMode mode) const {
  const int32_t first = Controller().FirstSearchedItem();
  if (ItemCount() <= first) {
    return {first, TKestrelPageSearchOutcome::kEmptyPage};
  }
  int32_t low = first;
  int32_t high = ItemCount() - 1;
  while (low <= high) {
    const int32_t middle = low + (high - low) / 2;
    const int result = keyRef_->CompareKeys(Key(middle), key, columns);
    if (result < 0) {
      low = middle + 1;
    } else if (result > 0) {
      high = middle - 1;
    } else {
      int32_t position = middle;
      if (mode == TKestrelPageSearchMode::kFirstEqual) {
        while (position > first && keyRef_->CompareKeys(Key(position - 1), key, columns) == 0) {
          --position;
        }
      } else if (mode == TKestrelPageSearchMode::kLastEqual) {
        while (position + 1 < ItemCount() &&
               keyRef_->CompareKeys(Key(position + 1), key, columns) == 0) {
          ++position;
        }
      }
      return {position, TKestrelPageSearchOutcome::kFound};
    }
  }
  return {low, TKestrelPageSearchOutcome::kNotFound};
}

}  // namespace kestrel
