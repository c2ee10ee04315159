// The integrity check of a B-tree: every page reachable once, leaves at one
// depth, keys in order within and across leaves and inside the bounds the
// separators above them give, and sibling chains that follow the tree.

#include <vector>

#include "kestrel/storage/btree/btree_index.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

constexpr int kAllColumns = 0;

}  // namespace

int32_t TKestrelBTreeIndex::LeafLevelOf(int32_t session) {
  TKestrelKeyPath& path = path_;
  Descend(session, TDescent::kFirst, nullptr, kAllColumns, path);
  return path.Depth - 1;
}

void TKestrelBTreeIndex::CheckIntegrity(int32_t session) {
  if (def_.RootPageNo == -1) {
    return;
  }
  TIntegrityWalk walk;
  walk.leafLevel = LeafLevelOf(session);
  walk.lastPages.assign(static_cast<std::size_t>(walk.leafLevel + 1), -1);
  walk.expectedNext.assign(static_cast<std::size_t>(walk.leafLevel + 1), -1);
  CheckSubtree(session, def_.RootPageNo, 0, nullptr, nullptr, walk);
  for (std::size_t level = 0; level < walk.expectedNext.size(); ++level) {
    if (walk.expectedNext[level] != -1) {
      RaiseIntegrityViolated(walk.lastPages[level], -1);
    }
  }
}

void TKestrelBTreeIndex::CheckSubtree(int32_t session, int32_t pageNo, int level,
                                      const uint8_t* lower, const uint8_t* upper,
                                      TIntegrityWalk& walk) {
  if (++walk.pagesSeen > pages_->GetUsedPageCount() || level > walk.leafLevel) {
    RaiseIntegrityViolated(pageNo, -1);
  }
  const TKestrelPageHandle handle = GetChecked(session, pageNo);
  const TKestrelBTreePage page = View(handle);
  if (page.IsRoot() != (level == 0) || page.IsLeaf() != (level == walk.leafLevel)) {
    RaiseIntegrityViolated(pageNo, -1);
  }
  auto& last = walk.lastPages[static_cast<std::size_t>(level)];
  auto& next = walk.expectedNext[static_cast<std::size_t>(level)];
  if (page.PrevPageNo() != last || (last != -1 && next != pageNo)) {
    RaiseIntegrityViolated(pageNo, -1);
  }
  last = pageNo;
  next = page.NextPageNo();
  const int32_t count = page.ItemCount();
  const auto outside = [&](const uint8_t* key) {
    return (lower != nullptr && keyRef_.CompareKeys(key, lower, kAllColumns) < 0) ||
           (upper != nullptr && keyRef_.CompareKeys(key, upper, kAllColumns) > 0);
  };
  if (page.IsLeaf()) {
    for (int32_t i = 0; i < count; ++i) {
      if (outside(page.Key(i)) ||
          (i > 0 && keyRef_.CompareKeys(page.Key(i - 1), page.Key(i), kAllColumns) > 0)) {
        RaiseIntegrityViolated(pageNo, i);
      }
    }
    return;
  }
  if (count == 0) {
    RaiseIntegrityViolated(pageNo, -1);
  }
  for (int32_t i = 1; i < count; ++i) {
    if (outside(page.Key(i)) ||
        (i > 1 && keyRef_.CompareKeys(page.Key(i - 1), page.Key(i), kAllColumns) > 0)) {
      RaiseIntegrityViolated(pageNo, i);
    }
  }
  for (int32_t i = 0; i < count; ++i) {
    CheckSubtree(session, page.Child(i), level + 1, i == 0 ? lower : page.Key(i),
                 i + 1 < count ? page.Key(i + 1) : upper, walk);
  }
}

}  // namespace kestrel
