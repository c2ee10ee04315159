// B-tree construction and maintenance: opening, building and dropping an
// index, the uniqueness questions, and the inserts with their splits and
// deletes with their merges.

#include "kestrel/storage/btree/btree_index.h"

#include <algorithm>
#include <cstring>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/pages/page_manager_temporary.h"

namespace kestrel {
namespace {

constexpr int kAllColumns = 0;

}  // namespace

TKestrelBTreeIndex::TKestrelBTreeIndex(TKestrelIndexDef& def, TKestrelTableData& table)
    : def_(def),
      table_(table),
      keyRef_(def, table.FieldDefs(), table.PageManager().PageSize()),
      pages_(&table.PageManager()) {
  if (def.Temporary) {
    ownPages_ = std::make_unique<TKestrelTemporaryPageManager>(table.Memory());
    pages_ = ownPages_.get();
  }
  const auto keyLength = static_cast<std::size_t>(keyRef_.KeyLength());
  const int32_t room = pages_->PageSize() - btree_header::kSize;
  const int32_t mostItems = room / (keyRef_.KeyLength() + TKestrelBTreeKeyRef::kNodeTailSize) + 1;
  key_.resize(keyLength);
  insertionKey_.resize(keyLength);
  otherKey_.resize(keyLength);
  separator_.resize(keyLength);
  item_.resize(keyLength + TKestrelBTreeKeyRef::kLeafTailSize);
  gathered_.resize(static_cast<std::size_t>(mostItems) *
                   (keyLength + TKestrelBTreeKeyRef::kLeafTailSize));
}

TKestrelBTreeIndex::~TKestrelBTreeIndex() = default;

TKestrelPageHandle TKestrelBTreeIndex::GetChecked(int32_t session, int32_t pageNo) {
  TKestrelPageHandle handle = pages_->GetPage(session, pageNo);
  View(handle).Check(pageNo);
  return handle;
}

void TKestrelBTreeIndex::BuildKey(const uint8_t* record, uint8_t* key) const {
  keyRef_.BuildKey(record, key);
}

int TKestrelBTreeIndex::CompareKeys(const uint8_t* left, const uint8_t* right, int columns) const {
  return keyRef_.CompareKeys(left, right, columns);
}

int TKestrelBTreeIndex::CompareRecordKeys(const uint8_t* left, const uint8_t* right, int columns) {
  keyRef_.BuildKey(left, key_.data());
  keyRef_.BuildKey(right, otherKey_.data());
  return keyRef_.CompareKeys(key_.data(), otherKey_.data(), columns);
}

void TKestrelBTreeIndex::CommitPages(int32_t session) {
  pages_->CommitPages(session);
  std::erase_if(savedRoots_,
                [session](const TSavedRoot& saved) { return saved.session == session; });
}

void TKestrelBTreeIndex::RollbackPages(int32_t session) {
  ++changes_;
  pages_->RollbackPages(session);
  for (auto it = savedRoots_.begin(); it != savedRoots_.end(); ++it) {
    if (it->session == session) {
      def_.RootPageNo = it->rootPageNo;
      savedRoots_.erase(it);
      break;
    }
  }
}

void TKestrelBTreeIndex::RememberRoot(int32_t session) {
  for (const TSavedRoot& saved : savedRoots_) {
    if (saved.session == session) {
      return;
    }
  }
  savedRoots_.push_back({session, def_.RootPageNo});
}

bool TKestrelBTreeIndex::IsEmpty(int32_t session) {
  if (def_.RootPageNo == -1) {
    return true;
  }
  const TKestrelPageHandle root = GetChecked(session, def_.RootPageNo);
  return View(root).IsLeaf() && View(root).ItemCount() == 0;
}

void TKestrelBTreeIndex::Build(int32_t session) {
  TKestrelBaseRecordManager* records = table_.RecordManager();
  if (records == nullptr) {
    return;
  }
  record_.resize(static_cast<std::size_t>(records->RecordSize()));
  TKestrelRecordRequest request;
  request.Direction = TKestrelNavigation::kNext;
  request.AtBeginning = true;
  request.Buffer = record_.data();
  while (records->GetRecord(request) == TKestrelNavigationResult::kFound) {
    InsertKey(session, record_.data(), request.RecordID);
  }
}

void TKestrelBTreeIndex::DropPages(int32_t session) {
  if (def_.RootPageNo == -1) {
    return;
  }
  std::vector<int32_t> numbers;
  CollectPages(session, def_.RootPageNo, 0, numbers);
  for (const int32_t pageNo : numbers) {
    pages_->FreePage(session, pageNo);
  }
  RememberRoot(session);
  ++changes_;
  def_.RootPageNo = -1;
}

void TKestrelBTreeIndex::CollectPages(int32_t session, int32_t pageNo, int level,
                                      std::vector<int32_t>& numbers) {
  if (level >= kMaxKeyPathDepth) {
    throw EKestrelException("Index integrity violated. PageNo=%d EntryNo=%d", {pageNo, -1}, 20028);
  }
  numbers.push_back(pageNo);
  std::vector<int32_t> children;
  {
    const TKestrelPageHandle handle = GetChecked(session, pageNo);
    const TKestrelBTreePage page = View(handle);
    if (page.IsLeaf()) {
      return;
    }
    for (int32_t i = 0; i < page.ItemCount(); ++i) {
      children.push_back(page.Child(i));
    }
  }
  for (const int32_t child : children) {
    CollectPages(session, child, level + 1, numbers);
  }
}

// Uniqueness.

bool TKestrelBTreeIndex::IsKeyUnique(int32_t session, const uint8_t* record) {
  if (!def_.Unique && !def_.Primary) {
    return true;
  }
  keyRef_.BuildKey(record, key_.data());
  TKestrelKeyPath& path = path_;
  if (!Descend(session, TDescent::kLower, key_.data(), kAllColumns, path)) {
    return true;
  }
  // Without an equal key this is also where the key would be inserted.
  Remember(insertionPoint_, path);
  std::memcpy(insertionKey_.data(), key_.data(), key_.size());
  if (!Settle(session, path)) {
    return true;
  }
  const bool unique = CompareEntry(session, path, key_.data(), kAllColumns) != 0;
  insertionPoint_.valid = unique;
  return unique;
}

bool TKestrelBTreeIndex::StillValid(const TRememberedPath& remembered) const {
  return remembered.valid && remembered.changes == changes_ &&
         remembered.pagesGeneration == pages_->Generation() &&
         remembered.rootPageNo == def_.RootPageNo;
}

void TKestrelBTreeIndex::Remember(TRememberedPath& remembered, const TKestrelKeyPath& path) {
  remembered.path.Depth = path.Depth;
  std::copy_n(path.Levels.begin(), path.Depth, remembered.path.Levels.begin());
  remembered.changes = changes_;
  remembered.pagesGeneration = pages_->Generation();
  remembered.rootPageNo = def_.RootPageNo;
  remembered.valid = true;
}

bool TKestrelBTreeIndex::IsUpdateUnique(int32_t session, const uint8_t* storedRecord,
                                        const uint8_t* newRecord) {
  keyRef_.BuildKey(storedRecord, otherKey_.data());
  keyRef_.BuildKey(newRecord, key_.data());
  if (keyRef_.CompareKeys(otherKey_.data(), key_.data(), kAllColumns) == 0) {
    return true;
  }
  return IsKeyUnique(session, newRecord);
}

// Inserts.

void TKestrelBTreeIndex::CreateRoot(int32_t session) {
  TKestrelPageHandle root = pages_->AddPage(session);
  TKestrelBTreePage page = View(root);
  page.FormatRoot();
  ++changes_;
  RememberRoot(session);
  def_.RootPageNo = root.PageNo();
}

void TKestrelBTreeIndex::InsertKey(int32_t session, const uint8_t* record, TKestrelRecordID id) {
  keyRef_.BuildKey(record, key_.data());
  std::memcpy(item_.data(), key_.data(), key_.size());
  RecordIDToBytes(id, item_.data() + key_.size());
  if (def_.RootPageNo == -1) {
    CreateRoot(session);
  }
  TKestrelKeyPath& path = path_;
  if (StillValid(insertionPoint_) &&
      std::memcmp(insertionKey_.data(), key_.data(), key_.size()) == 0) {
    path = insertionPoint_.path;
  } else {
    Descend(session, TDescent::kUpper, key_.data(), kAllColumns, path);
  }
  ++changes_;
  InsertItem(session, path, path.Depth - 1, path.Leaf().Position);
}

int32_t TKestrelBTreeIndex::GatherItems(const TKestrelBTreePage& page, const uint8_t* item,
                                        int32_t position) {
  const auto size = static_cast<std::size_t>(page.ItemSize());
  const int32_t count = page.ItemCount();
  uint8_t* out = gathered_.data();
  std::memcpy(out, page.Item(0), static_cast<std::size_t>(position) * size);
  std::memcpy(out + static_cast<std::size_t>(position) * size, item, size);
  std::memcpy(out + static_cast<std::size_t>(position + 1) * size, page.Item(position),
              static_cast<std::size_t>(count - position) * size);
  return count + 1;
}

void TKestrelBTreeIndex::SplitPage(TKestrelBTreePage& page, TKestrelBTreePage& right,
                                   const uint8_t* item, int32_t position) {
  const auto size = static_cast<std::size_t>(page.ItemSize());
  const int32_t total = GatherItems(page, item, position);
  const int32_t half = total / 2;
  right.Format(page.IsLeaf());
  std::memcpy(right.Item(0), gathered_.data() + static_cast<std::size_t>(half) * size,
              static_cast<std::size_t>(total - half) * size);
  right.SetItemCount(total - half);
  std::memcpy(page.Item(0), gathered_.data(), static_cast<std::size_t>(half) * size);
  page.SetItemCount(half);
}

void TKestrelBTreeIndex::SplitRoot(TKestrelBTreePage& root, TKestrelBTreePage& left, int32_t leftNo,
                                   TKestrelBTreePage& right, int32_t rightNo, const uint8_t* item,
                                   int32_t position) {
  const auto size = static_cast<std::size_t>(root.ItemSize());
  const bool leaf = root.IsLeaf();
  const int32_t total = GatherItems(root, item, position);
  const int32_t half = total / 2;
  left.Format(leaf);
  right.Format(leaf);
  std::memcpy(left.Item(0), gathered_.data(), static_cast<std::size_t>(half) * size);
  left.SetItemCount(half);
  std::memcpy(right.Item(0), gathered_.data() + static_cast<std::size_t>(half) * size,
              static_cast<std::size_t>(total - half) * size);
  right.SetItemCount(total - half);
  left.SetNextPageNo(rightNo);
  right.SetPrevPageNo(leftNo);
  // The root stays where it is and becomes a node over the two halves.
  root.SetLeaf(false);
  root.SetItemCount(0);
  std::memset(root.Item(0), 0, static_cast<std::size_t>(keyRef_.KeyLength()));
  root.SetChild(0, leftNo);
  root.SetKey(1, right.Key(0));
  root.SetChild(1, rightNo);
  root.SetItemCount(2);
}

void TKestrelBTreeIndex::InsertItem(int32_t session, TKestrelKeyPath& path, int level,
                                    int32_t position) {
  {
    TKestrelPageHandle handle = GetChecked(session, path.Levels[level].PageNo);
    TKestrelBTreePage page = View(handle);
    if (!page.IsFull()) {
      page.InsertItem(position, item_.data());
      handle.MarkModified();
      return;
    }
  }
  // Every full page from the leaf up splits. All pages the splits touch
  // are obtained first: a page that cannot be had leaves the tree as it was.
  struct TSplit {
    TKestrelPageHandle page;
    TKestrelPageHandle right;    // the new page (the root's right half)
    TKestrelPageHandle left;     // the root's new left half
    TKestrelPageHandle sibling;  // the old next page, whose back link moves
  };
  TSplit splits[kMaxKeyPathDepth];
  TKestrelPageHandle parent;
  int top = level;
  std::vector<int32_t> added;
  try {
    for (int current = level;; --current) {
      TSplit& split = splits[current];
      split.page = GetChecked(session, path.Levels[current].PageNo);
      const TKestrelBTreePage page = View(split.page);
      if (!page.IsFull()) {
        parent = std::move(split.page);
        top = current + 1;
        break;
      }
      top = current;
      if (current == 0) {
        split.left = pages_->AddPage(session);
        added.push_back(split.left.PageNo());
        split.right = pages_->AddPage(session);
        added.push_back(split.right.PageNo());
        break;
      }
      split.right = pages_->AddPage(session);
      added.push_back(split.right.PageNo());
      if (page.NextPageNo() != -1) {
        split.sibling = GetChecked(session, page.NextPageNo());
      }
    }
  } catch (...) {
    for (const int32_t pageNo : added) {
      pages_->FreePage(session, pageNo);
    }
    throw;
  }
  int32_t at = position;
  for (int current = level; current >= top; --current) {
    TSplit& split = splits[current];
    TKestrelBTreePage page = View(split.page);
    split.page.MarkModified();
    if (current == 0) {
      TKestrelBTreePage left = View(split.left);
      TKestrelBTreePage right = View(split.right);
      SplitRoot(page, left, split.left.PageNo(), right, split.right.PageNo(), item_.data(), at);
      return;
    }
    TKestrelBTreePage right = View(split.right);
    SplitPage(page, right, item_.data(), at);
    right.SetPrevPageNo(split.page.PageNo());
    right.SetNextPageNo(page.NextPageNo());
    if (split.sibling) {
      View(split.sibling).SetPrevPageNo(split.right.PageNo());
      split.sibling.MarkModified();
    }
    page.SetNextPageNo(split.right.PageNo());
    // The parent's new item: the right page's first key and its number.
    std::memcpy(item_.data(), right.Key(0), key_.size());
    const int32_t rightNo = split.right.PageNo();
    std::memcpy(item_.data() + key_.size(), &rightNo, 4);
    at = path.Levels[current - 1].Position + 1;
  }
  TKestrelBTreePage page = View(parent);
  page.InsertItem(at, item_.data());
  parent.MarkModified();
}

// Deletes.

void TKestrelBTreeIndex::DeleteKey(int32_t session, const uint8_t* record, TKestrelRecordID id) {
  keyRef_.BuildKey(record, key_.data());
  TKestrelKeyPath& path = path_;
  if (!FindEntry(session, key_.data(), id, path)) {
    throw EKestrelException("Index error: cannot delete entry. Entry not found", 20027);
  }
  ++changes_;
  DeleteAt(session, path);
}

void TKestrelBTreeIndex::UpdateKey(int32_t session, const uint8_t* oldRecord,
                                   const uint8_t* newRecord, TKestrelRecordID id) {
  keyRef_.BuildKey(oldRecord, otherKey_.data());
  keyRef_.BuildKey(newRecord, key_.data());
  if (keyRef_.CompareKeys(otherKey_.data(), key_.data(), kAllColumns) == 0) {
    return;
  }
  DeleteKey(session, oldRecord, id);
  InsertKey(session, newRecord, id);
}

void TKestrelBTreeIndex::DeleteAt(int32_t session, TKestrelKeyPath& path) {
  const int leafLevel = path.Depth - 1;
  {
    TKestrelPageHandle handle = GetChecked(session, path.Leaf().PageNo);
    TKestrelBTreePage leaf = View(handle);
    const int32_t position = path.Leaf().Position;
    if (leaf.ItemCount() == 0) {
      throw EKestrelException("Index error: page is empty", 20025);
    }
    if (position < 0 || position >= leaf.ItemCount()) {
      throw EKestrelException("Index error: invalid position", 20068);
    }
    TKestrelPageHandle parent;
    if (leafLevel > 0 && position == 0 && leaf.ItemCount() > 1 &&
        path.Levels[leafLevel - 1].Position > 0) {
      parent = GetChecked(session, path.Levels[leafLevel - 1].PageNo);
    }
    leaf.RemoveItem(position);
    handle.MarkModified();
    if (parent) {
      // The page's first key changed: so does its separator.
      View(parent).SetKey(path.Levels[leafLevel - 1].Position, leaf.Key(0));
      parent.MarkModified();
    }
  }
  for (int level = leafLevel; level > 0; --level) {
    if (!MergeLevel(session, path, level)) {
      break;
    }
  }
  CollapseRoot(session);
}

bool TKestrelBTreeIndex::MergeLevel(int32_t session, const TKestrelKeyPath& path, int level) {
  const int32_t pageNo = path.Levels[level].PageNo;
  TKestrelPageHandle handle = GetChecked(session, pageNo);
  TKestrelBTreePage page = View(handle);
  if (!page.IsBelowHalf()) {
    return false;
  }
  TKestrelPageHandle parentHandle = GetChecked(session, path.Levels[level - 1].PageNo);
  TKestrelBTreePage parent = View(parentHandle);
  const int32_t at = path.Levels[level - 1].Position;
  const int32_t count = page.ItemCount();
  const auto size = static_cast<std::size_t>(page.ItemSize());
  const int32_t pageSize = pages_->PageSize();
  const auto fits = [&](const TKestrelBTreePage& other) {
    return (other.ItemCount() + count) * page.ItemSize() + btree_header::kSize < pageSize;
  };
  const auto sameKind = [&](const TKestrelPageHandle& other, int32_t otherNo) {
    if (View(other).IsLeaf() != page.IsLeaf()) {
      RaiseIntegrityViolated(otherNo, -1);
    }
  };
  const auto leaveParent = [&] {
    parent.RemoveItem(at);
    parentHandle.MarkModified();
    handle.Release();
    pages_->FreePage(session, pageNo);
  };
  const int32_t prevNo = page.PrevPageNo();
  const int32_t nextNo = page.NextPageNo();

  if (count == 0) {
    // An empty page goes whatever its siblings hold.
    TKestrelPageHandle prev;
    TKestrelPageHandle next;
    if (prevNo != -1) {
      prev = GetChecked(session, prevNo);
    }
    if (nextNo != -1) {
      next = GetChecked(session, nextNo);
    }
    if (prev) {
      View(prev).SetNextPageNo(nextNo);
      prev.MarkModified();
    }
    if (next) {
      View(next).SetPrevPageNo(prevNo);
      next.MarkModified();
    }
    leaveParent();
    return true;
  }

  if (at > 0) {
    const int32_t siblingNo = parent.Child(at - 1);
    TKestrelPageHandle sibling = GetChecked(session, siblingNo);
    sameKind(sibling, siblingNo);
    TKestrelBTreePage previous = View(sibling);
    if (fits(previous)) {
      TKestrelPageHandle next;
      if (nextNo != -1) {
        next = GetChecked(session, nextNo);
      }
      if (!page.IsLeaf()) {
        // Item 0 becomes an inner item: it takes the separator above it.
        page.SetKey(0, parent.Key(at));
      }
      std::memcpy(previous.Item(previous.ItemCount()), page.Item(0),
                  static_cast<std::size_t>(count) * size);
      previous.SetItemCount(previous.ItemCount() + count);
      previous.SetNextPageNo(nextNo);
      sibling.MarkModified();
      if (next) {
        View(next).SetPrevPageNo(siblingNo);
        next.MarkModified();
      }
      leaveParent();
      return true;
    }
  }

  if (at + 1 < parent.ItemCount()) {
    const int32_t siblingNo = parent.Child(at + 1);
    TKestrelPageHandle sibling = GetChecked(session, siblingNo);
    sameKind(sibling, siblingNo);
    TKestrelBTreePage following = View(sibling);
    if (fits(following)) {
      TKestrelPageHandle prev;
      if (prevNo != -1) {
        prev = GetChecked(session, prevNo);
      }
      if (!following.IsLeaf()) {
        following.SetKey(0, parent.Key(at + 1));
      }
      const int32_t followingCount = following.ItemCount();
      std::memmove(following.Item(count), following.Item(0),
                   static_cast<std::size_t>(followingCount) * size);
      std::memcpy(following.Item(0), page.Item(0), static_cast<std::size_t>(count) * size);
      following.SetItemCount(followingCount + count);
      // The following page now starts lower: its separator moves down to
      // its new first key (for a node, the separator of the page it took
      // in).
      std::memcpy(separator_.data(), page.IsLeaf() ? following.Key(0) : parent.Key(at),
                  separator_.size());
      parent.SetKey(at + 1, separator_.data());
      following.SetPrevPageNo(prevNo);
      sibling.MarkModified();
      if (prev) {
        View(prev).SetNextPageNo(siblingNo);
        prev.MarkModified();
      }
      leaveParent();
      return true;
    }
  }
  return false;
}

void TKestrelBTreeIndex::CollapseRoot(int32_t session) {
  for (int guard = 0; guard < kMaxKeyPathDepth; ++guard) {
    TKestrelPageHandle rootHandle = GetChecked(session, def_.RootPageNo);
    TKestrelBTreePage root = View(rootHandle);
    if (root.IsLeaf() || root.ItemCount() > 1) {
      return;
    }
    if (root.ItemCount() == 0) {
      root.Format(true);
      root.SetRoot(true);
      rootHandle.MarkModified();
      return;
    }
    const int32_t childNo = root.Child(0);
    {
      TKestrelPageHandle childHandle = GetChecked(session, childNo);
      const TKestrelBTreePage child = View(childHandle);
      root.SetLeaf(child.IsLeaf());
      std::memcpy(root.Item(0), child.Item(0),
                  static_cast<std::size_t>(child.ItemCount()) * child.ItemSize());
      root.SetItemCount(child.ItemCount());
      root.SetPrevPageNo(-1);
      root.SetNextPageNo(-1);
      root.SetRoot(true);
      rootHandle.MarkModified();
    }
    pages_->FreePage(session, childNo);
  }
}

// The factory.

TKestrelTableIndexFactory BTreeIndexFactory() {
  return
      [](TKestrelIndexDef& def, TKestrelTableData& table) -> std::unique_ptr<TKestrelTableIndex> {
        return std::make_unique<TKestrelBTreeIndex>(def, table);
      };
}

}  // namespace kestrel
