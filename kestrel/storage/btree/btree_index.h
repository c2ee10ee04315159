#pragma once
// A B+tree index over a table's records: leaves hold one entry per record
// (its key, then its record ID), nodes hold separator keys and child page
// numbers, and the pages of every level are chained in key order (page
// layout in btree_page.h, key layout in btree_key.h).
//
// Invariants kept by every change:
// - all leaves are at one depth, at most 32 levels below the root;
// - for i >= 1, a node's item i separates child i from child i - 1 (no key
//   under child i - 1 is above it, none under child i below it); so a
//   search may stop at the first child that can hold its key;
// - the sibling chain of a level is the order of that level in the tree;
// - the root page number never changes while the index has entries; an
//   empty index has RootPageNo -1 or an empty root leaf;
// - equal keys keep their insertion order (a new entry goes after its
//   equals).
//
// Inserts split full pages (the root into two new children); deletes merge
// a page that fell below half with a sibling under the same parent (the
// previous one first) when both fit one page, drop pages left empty,
// repair the separator of a page whose first key changed, and copy a
// node root's only child into the root. A change obtains every page it
// needs before it writes the first byte, so that a failure to get one
// leaves the tree as it was.
//
// Every page read is checked (btree_page.h), and navigation checks that the
// tree and the sibling chains agree, so a damaged page gives an error,
// never a wrong memory access.
//
// REQUIRES: callers hold the table's lock; the index keeps its scratch
// space and remembered positions in itself.

#include <cstdint>
#include <memory>
#include <vector>

#include "kestrel/storage/btree/btree_key.h"
#include "kestrel/storage/btree/btree_page.h"
#include "kestrel/storage/pages/page_manager.h"
#include "kestrel/storage/records/table_data.h"

namespace kestrel {

class TKestrelBTreeIndex : public TKestrelTableIndex {
 public:
  // Opens the index of def over the table's fields (the key description
  // only; the pages are those def.RootPageNo leads to). A temporary index
  // keeps its pages in a page manager of its own.
  TKestrelBTreeIndex(TKestrelIndexDef& def, TKestrelTableData& table);
  ~TKestrelBTreeIndex() override;

  const TKestrelIndexDef& Definition() const { return def_; }
  const TKestrelBTreeKeyRef& KeyRef() const { return keyRef_; }
  TKestrelPageManager& Pages() const { return *pages_; }

  void InsertKey(int32_t session, const uint8_t* record, TKestrelRecordID id) override;
  void UpdateKey(int32_t session, const uint8_t* oldRecord, const uint8_t* newRecord,
                 TKestrelRecordID id) override;
  void DeleteKey(int32_t session, const uint8_t* record, TKestrelRecordID id) override;
  bool IsKeyUnique(int32_t session, const uint8_t* record) override;
  bool IsUpdateUnique(int32_t session, const uint8_t* storedRecord,
                      const uint8_t* newRecord) override;
  void Build(int32_t session) override;
  void DropPages(int32_t session) override;
  void CommitPages(int32_t session) override;
  void RollbackPages(int32_t session) override;
  bool IsEmpty(int32_t session) override;
  void CheckIntegrity(int32_t session) override;

  int32_t KeyLength() const override { return keyRef_.KeyLength(); }
  int ColumnCount() const override { return keyRef_.ColumnCount(); }
  void BuildKey(const uint8_t* record, uint8_t* key) const override;
  int CompareKeys(const uint8_t* left, const uint8_t* right, int columns) const override;
  int CompareRecordKeys(const uint8_t* left, const uint8_t* right, int columns) override;

  TKestrelNavigationResult GetRecord(int32_t session, TKestrelRecordRequest& request) override;
  bool FindBoundary(int32_t session, const TKestrelIndexBound& bound, bool last,
                    TKestrelKeyPath& path) override;
  bool FindEntry(int32_t session, const uint8_t* key, TKestrelRecordID id,
                 TKestrelKeyPath& path) override;
  bool FirstEntry(int32_t session, TKestrelKeyPath& path) override;
  bool LastEntry(int32_t session, TKestrelKeyPath& path) override;
  bool NextEntry(int32_t session, TKestrelKeyPath& path) override;
  bool PriorEntry(int32_t session, TKestrelKeyPath& path) override;
  TKestrelRecordID EntryRecordID(int32_t session, const TKestrelKeyPath& path) override;
  void EntryKey(int32_t session, const TKestrelKeyPath& path, uint8_t* key) override;
  int CompareKeyPaths(const TKestrelKeyPath& left, const TKestrelKeyPath& right) const override;

  int64_t GetRecNo(int32_t session, TKestrelRecordID id, const TKestrelRecordSet* visible) override;
  bool GetRecordAtRecNo(int32_t session, int64_t recNo, const TKestrelRecordSet* visible,
                        TKestrelRecordID& id) override;
  void RemoveDuplicates(int32_t session, TKestrelRecordSet& records) override;

  void StartScan(int32_t session, const TKestrelIndexBound& first, const TKestrelIndexBound& second,
                 bool backward, TKestrelIndexScan& scan) override;
  bool ScanNext(int32_t session, TKestrelIndexScan& scan, TKestrelRecordID& id) override;
  int64_t EstimateRangeCount(int32_t session, const TKestrelIndexBound& lower,
                             const TKestrelIndexBound& upper, int64_t recordCount) override;

 private:
  enum class TDescent : uint8_t { kLower, kUpper, kFirst, kLast };

  // The page, checked, as a B-tree page.
  TKestrelPageHandle GetChecked(int32_t session, int32_t pageNo);
  TKestrelBTreePage View(const TKestrelPageHandle& handle) const {
    return TKestrelBTreePage(handle.Data(), keyRef_, pages_->PageSize());
  }
  // From the root to a leaf; the leaf position is the search's insertion
  // point (kLower, kUpper) or the first or last item. False when the index
  // has no root.
  bool Descend(int32_t session, TDescent descent, const uint8_t* key, int columns,
               TKestrelKeyPath& path);
  // A leaf position at its page's end moves to the next entry.
  bool Settle(int32_t session, TKestrelKeyPath& path);
  // One step along the leaves; the levels above follow the tree.
  bool Step(int32_t session, TKestrelKeyPath& path, bool forward);
  const uint8_t* EntryKeyPointer(const TKestrelPageHandle& handle,
                                 const TKestrelKeyPathLevel& leaf) const;
  int CompareEntry(int32_t session, const TKestrelKeyPath& path, const uint8_t* key, int columns);
  bool FindBoundaryLocked(int32_t session, const TKestrelIndexBound& bound, bool last,
                          TKestrelKeyPath& path);

  void CreateRoot(int32_t session);
  void InsertItem(int32_t session, TKestrelKeyPath& path, int level, int32_t position);
  // Splits page into itself (left) and right with the item in place.
  void SplitPage(TKestrelBTreePage& page, TKestrelBTreePage& right, const uint8_t* item,
                 int32_t position);
  void SplitRoot(TKestrelBTreePage& root, TKestrelBTreePage& left, int32_t leftNo,
                 TKestrelBTreePage& right, int32_t rightNo, const uint8_t* item, int32_t position);
  // Gathers the page's items with item inserted at position.
  int32_t GatherItems(const TKestrelBTreePage& page, const uint8_t* item, int32_t position);
  void DeleteAt(int32_t session, TKestrelKeyPath& path);
  // Merges or drops the page at level when it fell below half; true when
  // it left its parent.
  bool MergeLevel(int32_t session, const TKestrelKeyPath& path, int level);
  void CollapseRoot(int32_t session);
  void RememberRoot(int32_t session);
  // Fetches a record image into record_ (or target); false when the
  // record does not exist.
  bool FetchRecord(TKestrelRecordID id, uint8_t* target);
  TKestrelNavigationResult Deliver(int32_t session, const TKestrelKeyPath& path,
                                   TKestrelRecordRequest& request);
  // What an integrity check has seen: per level the last page and the page
  // it said comes next, and the pages visited.
  struct TIntegrityWalk {
    int leafLevel = 0;
    std::vector<int32_t> lastPages;
    std::vector<int32_t> expectedNext;
    int64_t pagesSeen = 0;
  };
  void CheckSubtree(int32_t session, int32_t pageNo, int level, const uint8_t* lower,
                    const uint8_t* upper, TIntegrityWalk& walk);
  void CollectPages(int32_t session, int32_t pageNo, int level, std::vector<int32_t>& pages);
  // Calls visit(page) for the leaves from pageNo along the sibling chain
  // until it answers false or the chain ends.
  template <typename Visit>
  void WalkLeaves(int32_t session, int32_t pageNo, bool forward, Visit visit);
  int32_t LeafLevelOf(int32_t session);

  TKestrelIndexDef& def_;
  TKestrelTableData& table_;
  TKestrelBTreeKeyRef keyRef_;
  std::unique_ptr<TKestrelPageManager> ownPages_;
  TKestrelPageManager* pages_;
  // Scratch space, sized once: the index is used under its table's lock.
  std::vector<uint8_t> key_;
  std::vector<uint8_t> otherKey_;
  std::vector<uint8_t> item_;
  std::vector<uint8_t> separator_;
  std::vector<uint8_t> gathered_;
  std::vector<uint8_t> record_;
  TKestrelKeyPath path_;
  // Positions worth remembering between two calls: the insertion point a
  // uniqueness check found (the insert that follows it needs no second
  // descent) and the last entry a search found (a delete of that entry
  // starts from it). Valid while nothing changed the index.
  struct TRememberedPath {
    TKestrelKeyPath path;
    uint64_t changes = 0;
    uint64_t pagesGeneration = 0;
    int32_t rootPageNo = -1;
    bool valid = false;
  };
  bool StillValid(const TRememberedPath& remembered) const;
  void Remember(TRememberedPath& remembered, const TKestrelKeyPath& path);
  uint64_t changes_ = 0;
  TRememberedPath insertionPoint_;
  std::vector<uint8_t> insertionKey_;
  TRememberedPath lastEntry_;
  // Root numbers to restore when a session that created or dropped the
  // root rolls back.
  struct TSavedRoot {
    int32_t session;
    int32_t rootPageNo;
  };
  std::vector<TSavedRoot> savedRoots_;
};

// The factory that makes B-tree indexes for a table's index manager.
TKestrelTableIndexFactory BTreeIndexFactory();

}  // namespace kestrel
