// B-tree searches and walks: descents, steps along the leaves, boundary
// searches, ordered navigation for cursors, record numbers in index order,
// range scans and their estimates, and duplicate removal.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "kestrel/storage/btree/btree_index.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

constexpr int kAllColumns = 0;

bool Bounded(const TKestrelIndexBound& bound) {
  return bound.Key != nullptr && bound.Comparison != TKestrelKeyComparison::kNone;
}

bool SameRecord(TKestrelRecordID left, TKestrelRecordID right) {
  return left.RecordNo == right.RecordNo && left.High == right.High;
}

}  // namespace

bool TKestrelBTreeIndex::Descend(int32_t session, TDescent descent, const uint8_t* key, int columns,
                                 TKestrelKeyPath& path) {
  path.Clear();
  int32_t pageNo = def_.RootPageNo;
  if (pageNo == -1) {
    return false;
  }
  for (int depth = 0;; ++depth) {
    if (depth >= kMaxKeyPathDepth) {
      RaiseIntegrityViolated(pageNo, -1);
    }
    const TKestrelPageHandle handle = GetChecked(session, pageNo);
    const TKestrelBTreePage page = View(handle);
    if ((depth == 0) != page.IsRoot()) {
      RaiseIntegrityViolated(pageNo, -1);
    }
    const int32_t count = page.ItemCount();
    auto& level = path.Levels[static_cast<std::size_t>(depth)];
    if (page.IsLeaf()) {
      int32_t position = 0;
      switch (descent) {
        case TDescent::kLower:
          position = page.LowerBound(key, columns);
          break;
        case TDescent::kUpper:
          position = page.UpperBound(key, columns);
          break;
        case TDescent::kFirst:
          position = 0;
          break;
        case TDescent::kLast:
          position = std::max(count - 1, 0);
          break;
      }
      level = {pageNo, position, count};
      path.Depth = depth + 1;
      return true;
    }
    if (count == 0) {
      RaiseIntegrityViolated(pageNo, -1);
    }
    int32_t position = 0;
    switch (descent) {
      case TDescent::kLower:
        position = page.LowerBound(key, columns) - 1;
        break;
      case TDescent::kUpper:
        position = page.UpperBound(key, columns) - 1;
        break;
      case TDescent::kFirst:
        position = 0;
        break;
      case TDescent::kLast:
        position = count - 1;
        break;
    }
    level = {pageNo, position, count};
    pageNo = page.Child(position);
  }
}

bool TKestrelBTreeIndex::Settle(int32_t session, TKestrelKeyPath& path) {
  const TKestrelKeyPathLevel& leaf = path.Leaf();
  if (leaf.Position < leaf.ItemCount) {
    return true;
  }
  return Step(session, path, true);
}

bool TKestrelBTreeIndex::Step(int32_t session, TKestrelKeyPath& path, bool forward) {
  if (path.IsEmpty()) {
    throw EKestrelException("Index error: invalid position", forward ? 20068 : 20069);
  }
  TKestrelKeyPathLevel& leaf = path.Leaf();
  if (forward && leaf.Position + 1 < leaf.ItemCount) {
    ++leaf.Position;
    return true;
  }
  if (!forward && leaf.Position > 0 && leaf.ItemCount > 0) {
    leaf.Position = std::min(leaf.Position, leaf.ItemCount) - 1;
    return true;
  }
  TKestrelKeyPath next = path;
  const int leafLevel = next.Depth - 1;
  for (;;) {
    int level = leafLevel - 1;
    while (level >= 0) {
      const TKestrelKeyPathLevel& at = next.Levels[static_cast<std::size_t>(level)];
      if (forward ? at.Position < at.ItemCount - 1 : at.Position > 0) {
        break;
      }
      --level;
    }
    if (level < 0) {
      return false;
    }
    next.Levels[static_cast<std::size_t>(level)].Position += forward ? 1 : -1;
    for (int below = level + 1; below <= leafLevel; ++below) {
      const TKestrelKeyPathLevel& above = next.Levels[static_cast<std::size_t>(below - 1)];
      TKestrelKeyPathLevel& current = next.Levels[static_cast<std::size_t>(below)];
      int32_t child = -1;
      {
        const TKestrelPageHandle handle = GetChecked(session, above.PageNo);
        const TKestrelBTreePage page = View(handle);
        if (page.IsLeaf() || above.Position < 0 || above.Position >= page.ItemCount()) {
          RaiseIntegrityViolated(above.PageNo, above.Position);
        }
        child = page.Child(above.Position);
      }
      {
        // The sibling chain must lead to the same page as the tree.
        const TKestrelPageHandle handle = GetChecked(session, current.PageNo);
        const TKestrelBTreePage page = View(handle);
        if ((forward ? page.NextPageNo() : page.PrevPageNo()) != child) {
          RaiseIntegrityViolated(current.PageNo, -1);
        }
      }
      const TKestrelPageHandle handle = GetChecked(session, child);
      const TKestrelBTreePage page = View(handle);
      const int32_t count = page.ItemCount();
      if (page.IsLeaf() != (below == leafLevel) || (below < leafLevel && count == 0)) {
        RaiseIntegrityViolated(child, -1);
      }
      current = {child, forward ? 0 : std::max(count - 1, 0), count};
    }
    if (next.Leaf().ItemCount > 0) {
      path = next;
      return true;
    }
    // An empty leaf: on to the one after it.
  }
}

bool TKestrelBTreeIndex::FirstEntry(int32_t session, TKestrelKeyPath& path) {
  if (!Descend(session, TDescent::kFirst, nullptr, kAllColumns, path)) {
    return false;
  }
  return path.Leaf().ItemCount > 0 || Step(session, path, true);
}

bool TKestrelBTreeIndex::LastEntry(int32_t session, TKestrelKeyPath& path) {
  if (!Descend(session, TDescent::kLast, nullptr, kAllColumns, path)) {
    return false;
  }
  return path.Leaf().ItemCount > 0 || Step(session, path, false);
}

bool TKestrelBTreeIndex::NextEntry(int32_t session, TKestrelKeyPath& path) {
  return Step(session, path, true);
}

bool TKestrelBTreeIndex::PriorEntry(int32_t session, TKestrelKeyPath& path) {
  return Step(session, path, false);
}

const uint8_t* TKestrelBTreeIndex::EntryKeyPointer(const TKestrelPageHandle& handle,
                                                   const TKestrelKeyPathLevel& leaf) const {
  const TKestrelBTreePage page = View(handle);
  if (!page.IsLeaf() || leaf.Position < 0 || leaf.Position >= page.ItemCount()) {
    throw EKestrelException("Index error: invalid position", 20068);
  }
  return page.Key(leaf.Position);
}

int TKestrelBTreeIndex::CompareEntry(int32_t session, const TKestrelKeyPath& path,
                                     const uint8_t* key, int columns) {
  const TKestrelPageHandle handle = GetChecked(session, path.Leaf().PageNo);
  return keyRef_.CompareKeys(EntryKeyPointer(handle, path.Leaf()), key, columns);
}

TKestrelRecordID TKestrelBTreeIndex::EntryRecordID(int32_t session, const TKestrelKeyPath& path) {
  if (path.IsEmpty()) {
    throw EKestrelException("Index error: invalid position", 20068);
  }
  const TKestrelPageHandle handle = GetChecked(session, path.Leaf().PageNo);
  const uint8_t* key = EntryKeyPointer(handle, path.Leaf());
  return RecordIDFromBytes(key + keyRef_.KeyLength());
}

void TKestrelBTreeIndex::EntryKey(int32_t session, const TKestrelKeyPath& path, uint8_t* key) {
  if (path.IsEmpty()) {
    throw EKestrelException("Index error: invalid position", 20068);
  }
  const TKestrelPageHandle handle = GetChecked(session, path.Leaf().PageNo);
  std::memcpy(key, EntryKeyPointer(handle, path.Leaf()),
              static_cast<std::size_t>(keyRef_.KeyLength()));
}

bool TKestrelBTreeIndex::FindEntry(int32_t session, const uint8_t* key, TKestrelRecordID id,
                                   TKestrelKeyPath& path) {
  // The entry a search has just found, when it is this one.
  if (StillValid(lastEntry_)) {
    const TKestrelKeyPathLevel& leaf = lastEntry_.path.Leaf();
    const TKestrelPageHandle handle = GetChecked(session, leaf.PageNo);
    const TKestrelBTreePage page = View(handle);
    if (page.IsLeaf() && leaf.Position < page.ItemCount() &&
        SameRecord(page.RecordIDAt(leaf.Position), id) &&
        keyRef_.CompareKeys(page.Key(leaf.Position), key, kAllColumns) == 0) {
      path = lastEntry_.path;
      return true;
    }
  }
  if (!Descend(session, TDescent::kLower, key, kAllColumns, path) || !Settle(session, path)) {
    return false;
  }
  for (;;) {
    {
      const TKestrelPageHandle handle = GetChecked(session, path.Leaf().PageNo);
      const TKestrelBTreePage page = View(handle);
      if (!page.IsLeaf()) {
        RaiseIntegrityViolated(path.Leaf().PageNo, -1);
      }
      const int32_t count = page.ItemCount();
      for (int32_t position = path.Leaf().Position; position < count; ++position) {
        if (keyRef_.CompareKeys(page.Key(position), key, kAllColumns) != 0) {
          return false;
        }
        if (SameRecord(page.RecordIDAt(position), id)) {
          path.Leaf().Position = position;
          Remember(lastEntry_, path);
          return true;
        }
      }
      path.Leaf().Position = std::max(count - 1, 0);
    }
    if (!Step(session, path, true)) {
      return false;
    }
  }
}

bool TKestrelBTreeIndex::FindBoundary(int32_t session, const TKestrelIndexBound& bound, bool last,
                                      TKestrelKeyPath& path) {
  if (!FindBoundaryLocked(session, bound, last, path)) {
    return false;
  }
  Remember(lastEntry_, path);
  return true;
}

bool TKestrelBTreeIndex::FindBoundaryLocked(int32_t session, const TKestrelIndexBound& bound,
                                            bool last, TKestrelKeyPath& path) {
  if (!Bounded(bound)) {
    return last ? LastEntry(session, path) : FirstEntry(session, path);
  }
  const uint8_t* key = bound.Key;
  const int columns = bound.Columns;
  const auto entry = [&] { return CompareEntry(session, path, key, columns); };
  const auto lower = [&] { return Descend(session, TDescent::kLower, key, columns, path); };
  const auto upper = [&] { return Descend(session, TDescent::kUpper, key, columns, path); };
  const auto back = [&] { return Step(session, path, false); };
  const auto settle = [&] { return Settle(session, path); };
  switch (bound.Comparison) {
    case TKestrelKeyComparison::kEqual:
      return last ? upper() && back() && entry() == 0 : lower() && settle() && entry() == 0;
    case TKestrelKeyComparison::kLess:
      return last ? lower() && back() : FirstEntry(session, path) && entry() < 0;
    case TKestrelKeyComparison::kLessOrEqual:
      return last ? upper() && back() : FirstEntry(session, path) && entry() <= 0;
    case TKestrelKeyComparison::kGreater:
      return last ? LastEntry(session, path) && entry() > 0 : upper() && settle();
    case TKestrelKeyComparison::kGreaterOrEqual:
      return last ? LastEntry(session, path) && entry() >= 0 : lower() && settle();
    case TKestrelKeyComparison::kNone:
      break;
  }
  return false;
}

int TKestrelBTreeIndex::CompareKeyPaths(const TKestrelKeyPath& left,
                                        const TKestrelKeyPath& right) const {
  if (left.Depth != right.Depth) {
    throw EKestrelException("Invalid index key path", 20051);
  }
  for (int level = 0; level < left.Depth; ++level) {
    const TKestrelKeyPathLevel& a = left.Levels[static_cast<std::size_t>(level)];
    const TKestrelKeyPathLevel& b = right.Levels[static_cast<std::size_t>(level)];
    if (a.PageNo != b.PageNo) {
      throw EKestrelException("Invalid index key path", 20052);
    }
    if (a.Position != b.Position) {
      return a.Position < b.Position ? -1 : 1;
    }
  }
  return 0;
}

// Records.

bool TKestrelBTreeIndex::FetchRecord(TKestrelRecordID id, uint8_t* target) {
  TKestrelBaseRecordManager* records = table_.RecordManager();
  if (records == nullptr) {
    return false;
  }
  if (target == nullptr) {
    record_.resize(static_cast<std::size_t>(records->RecordSize()));
    target = record_.data();
  }
  TKestrelRecordRequest request;
  request.Direction = TKestrelNavigation::kExact;
  request.RecordID = id;
  request.Buffer = target;
  return records->GetRecord(request) == TKestrelNavigationResult::kFound;
}

TKestrelNavigationResult TKestrelBTreeIndex::Deliver(int32_t session, const TKestrelKeyPath& path,
                                                     TKestrelRecordRequest& request) {
  const TKestrelRecordID id = EntryRecordID(session, path);
  if (!FetchRecord(id, request.Buffer)) {
    throw EKestrelException("Error retreiving record", 10019);
  }
  request.RecordID = id;
  request.AtBeginning = false;
  request.AtEnd = false;
  return TKestrelNavigationResult::kFound;
}

TKestrelNavigationResult TKestrelBTreeIndex::GetRecord(int32_t session,
                                                       TKestrelRecordRequest& request) {
  using R = TKestrelNavigationResult;
  const bool forward = request.Direction == TKestrelNavigation::kNext;
  if (request.Direction == TKestrelNavigation::kExact) {
    throw EKestrelException("Invalid get record mode for index: grmCurrent", 20053);
  }
  if (IsEmpty(session)) {
    return R::kEndOfTable;
  }
  TKestrelKeyPath& path = path_;
  if (request.AtBeginning || request.AtEnd) {
    if (request.AtBeginning != forward) {
      return forward ? R::kEndOfTable : R::kBeginningOfTable;
    }
    const bool found = forward ? FirstEntry(session, path) : LastEntry(session, path);
    return found ? Deliver(session, path, request) : R::kEndOfTable;
  }
  // From the current record: its entry when it is stored, else where its
  // last image would stand.
  bool located = false;
  if (FetchRecord(request.RecordID, nullptr)) {
    keyRef_.BuildKey(record_.data(), otherKey_.data());
    located = FindEntry(session, otherKey_.data(), request.RecordID, path);
  }
  if (located) {
    if (!Step(session, path, forward)) {
      return forward ? R::kEndOfTable : R::kBeginningOfTable;
    }
    return Deliver(session, path, request);
  }
  if (request.Buffer == nullptr) {
    return R::kNotFound;
  }
  keyRef_.BuildKey(request.Buffer, otherKey_.data());
  const bool found =
      forward ? Descend(session, TDescent::kUpper, otherKey_.data(), kAllColumns, path) &&
                    Settle(session, path)
              : Descend(session, TDescent::kLower, otherKey_.data(), kAllColumns, path) &&
                    Step(session, path, false);
  if (!found) {
    return forward ? R::kEndOfTable : R::kBeginningOfTable;
  }
  return Deliver(session, path, request);
}

template <typename Visit>
void TKestrelBTreeIndex::WalkLeaves(int32_t session, int32_t pageNo, bool forward, Visit visit) {
  // Each page must link back to the one before it; a chain longer than the
  // pages in use is a loop.
  int32_t previous = -1;
  const int32_t limit = pages_->GetUsedPageCount();
  for (int32_t steps = 0; pageNo != -1; ++steps) {
    const TKestrelPageHandle handle = GetChecked(session, pageNo);
    const TKestrelBTreePage page = View(handle);
    const int32_t back = forward ? page.PrevPageNo() : page.NextPageNo();
    if (steps > limit || !page.IsLeaf() || (previous != -1 && back != previous)) {
      RaiseIntegrityViolated(pageNo, -1);
    }
    if (!visit(page)) {
      return;
    }
    previous = pageNo;
    pageNo = forward ? page.NextPageNo() : page.PrevPageNo();
  }
}

int64_t TKestrelBTreeIndex::GetRecNo(int32_t session, TKestrelRecordID id,
                                     const TKestrelRecordSet* visible) {
  if (!FetchRecord(id, nullptr) || (visible != nullptr && !visible->Contains(id))) {
    return -1;
  }
  keyRef_.BuildKey(record_.data(), otherKey_.data());
  TKestrelKeyPath& path = path_;
  if (!FindEntry(session, otherKey_.data(), id, path)) {
    return -1;
  }
  int64_t before = 0;
  int32_t end = path.Leaf().Position;
  WalkLeaves(session, path.Leaf().PageNo, false, [&](const TKestrelBTreePage& page) {
    const int32_t count = std::min(end, page.ItemCount());
    if (visible == nullptr) {
      before += count;
    } else {
      for (int32_t position = 0; position < count; ++position) {
        before += visible->Contains(page.RecordIDAt(position)) ? 1 : 0;
      }
    }
    end = INT32_MAX;
    return true;
  });
  return before + 1;
}

bool TKestrelBTreeIndex::GetRecordAtRecNo(int32_t session, int64_t recNo,
                                          const TKestrelRecordSet* visible, TKestrelRecordID& id) {
  if (IsEmpty(session)) {
    throw EKestrelException("Cannot retreive record from empty index", 20074);
  }
  TKestrelKeyPath& path = path_;
  if (recNo < 1 || !Descend(session, TDescent::kFirst, nullptr, kAllColumns, path)) {
    return false;
  }
  int64_t remaining = recNo;
  bool found = false;
  WalkLeaves(session, path.Leaf().PageNo, true, [&](const TKestrelBTreePage& page) {
    const int32_t count = page.ItemCount();
    if (visible == nullptr) {
      if (remaining <= count) {
        id = page.RecordIDAt(static_cast<int32_t>(remaining - 1));
        found = true;
        return false;
      }
      remaining -= count;
      return true;
    }
    for (int32_t position = 0; position < count; ++position) {
      const TKestrelRecordID entry = page.RecordIDAt(position);
      if (visible->Contains(entry) && --remaining == 0) {
        id = entry;
        found = true;
        return false;
      }
    }
    return true;
  });
  return found;
}

void TKestrelBTreeIndex::RemoveDuplicates(int32_t session, TKestrelRecordSet& records) {
  TKestrelKeyPath& path = path_;
  if (!FirstEntry(session, path)) {
    return;
  }
  bool kept = false;
  do {
    const TKestrelPageHandle handle = GetChecked(session, path.Leaf().PageNo);
    const uint8_t* key = EntryKeyPointer(handle, path.Leaf());
    const TKestrelRecordID id = RecordIDFromBytes(key + keyRef_.KeyLength());
    if (!records.Contains(id)) {
      continue;
    }
    if (kept && keyRef_.CompareKeys(key, separator_.data(), kAllColumns) == 0) {
      records.Remove(id);
      continue;
    }
    std::memcpy(separator_.data(), key, separator_.size());
    kept = true;
  } while (Step(session, path, true));
}

// Range scans.

void TKestrelBTreeIndex::StartScan(int32_t session, const TKestrelIndexBound& first,
                                   const TKestrelIndexBound& second, bool backward,
                                   TKestrelIndexScan& scan) {
  scan.Finished = true;
  scan.Backward = backward;
  TKestrelKeyPath start;
  TKestrelKeyPath end;
  TKestrelKeyPath candidate;
  bool bounded = false;
  for (const TKestrelIndexBound* bound : {&first, &second}) {
    if (!Bounded(*bound)) {
      continue;
    }
    if (!FindBoundaryLocked(session, *bound, false, candidate)) {
      return;
    }
    if (!bounded || CompareKeyPaths(candidate, start) > 0) {
      start = candidate;
    }
    if (!FindBoundaryLocked(session, *bound, true, candidate)) {
      return;
    }
    if (!bounded || CompareKeyPaths(candidate, end) < 0) {
      end = candidate;
    }
    bounded = true;
  }
  if (!bounded && (!FirstEntry(session, start) || !LastEntry(session, end))) {
    return;
  }
  if (CompareKeyPaths(start, end) > 0) {
    return;
  }
  scan.Position = backward ? end : start;
  scan.End = backward ? start : end;
  scan.Finished = false;
}

bool TKestrelBTreeIndex::ScanNext(int32_t session, TKestrelIndexScan& scan, TKestrelRecordID& id) {
  if (scan.Finished) {
    return false;
  }
  id = EntryRecordID(session, scan.Position);
  if (CompareKeyPaths(scan.Position, scan.End) == 0 ||
      !Step(session, scan.Position, !scan.Backward)) {
    scan.Finished = true;
  }
  return true;
}

int64_t TKestrelBTreeIndex::EstimateRangeCount(int32_t session, const TKestrelIndexBound& lower,
                                               const TKestrelIndexBound& upper,
                                               int64_t recordCount) {
  if (IsEmpty(session)) {
    return 0;
  }
  TKestrelKeyPath first;
  TKestrelKeyPath last;
  if (!FindBoundaryLocked(session, lower, false, first) ||
      !FindBoundaryLocked(session, upper, true, last)) {
    return 0;
  }
  // A key path read as the digits of a mixed-radix fraction whose radices
  // are the item counts of its pages.
  const auto fraction = [](const TKestrelKeyPath& path) {
    double value = 0;
    double scale = 1;
    for (int level = 0; level < path.Depth; ++level) {
      const TKestrelKeyPathLevel& at = path.Levels[static_cast<std::size_t>(level)];
      scale /= std::max(at.ItemCount, 1);
      value += at.Position * scale;
    }
    return value;
  };
  const auto estimate =
      std::llround((fraction(last) - fraction(first)) * static_cast<double>(recordCount));
  return std::clamp<int64_t>(estimate, 0, recordCount);
}

}  // namespace kestrel
