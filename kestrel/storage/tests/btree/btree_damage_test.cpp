// Damaged index pages: every single-byte change of the used part of every
// page of a small saved index, loaded and then searched, walked, checked
// and changed. Each use gives an error or a result, never a crash or an
// endless walk (the sanitizer build runs this too).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestrel/storage/tests/btree/btree_fixture.h"

namespace kestrel::btree_test {
namespace {

using DT = TKestrelDataType;
using C = TKestrelKeyComparison;

class DamagedPages : public BTreeTable {
 protected:
  void SetUp() override {
    TKestrelFieldDefs fields;
    fields.AddField("K", DT::kVarchar, 60);
    TKestrelIndexDefs indexes;
    AddIndexDef(indexes, "IX", {{"K"}});
    Create(fields, indexes);
    for (int i = 0; i < 70; ++i) {
      InsertText("K", "key" + std::to_string(1000 + (i * 17) % 70));
    }
    Index().CheckIntegrity(kSession);
    root_ = Def().RootPageNo;
    TKestrelMemoryStream stream;
    Pages().SaveToStream(stream);
    saved_ = stream.Bytes();
    // A second table of the same shape takes the damaged pages.
    damaged_ = &database_.CreateTableData("D", 10);
    damaged_->CreateTable(table_->FieldDefs(), table_->IndexManager().IndexDefs(),
                          TKestrelConstraintDefs());
  }

  TKestrelTableIndex& DamagedIndex() {
    TKestrelIndexManager& indexes = damaged_->IndexManager();
    return indexes.IndexByID(indexes.IndexDefs().Items(0)->ObjectID);
  }

  // Loads bytes into the second table and uses its index every way; true
  // when something reported an error.
  bool UseDamaged(const std::vector<uint8_t>& bytes) {
    int errors = 0;
    const auto attempt = [&](auto&& action) {
      try {
        action();
      } catch (const EKestrelException&) {
        ++errors;
      }
    };
    TKestrelMemoryStream stream(bytes);
    attempt([&] { damaged_->PageManager().LoadFromStream(stream); });
    if (errors > 0) {
      return true;
    }
    damaged_->IndexManager().IndexDefs().Items(0)->RootPageNo = root_;
    TKestrelTableIndex& index = DamagedIndex();
    attempt([&] { index.CheckIntegrity(kSession); });
    for (const bool forward : {true, false}) {
      attempt([&] {
        TKestrelKeyPath path;
        int steps = 0;
        for (bool more = forward ? index.FirstEntry(kSession, path)
                                 : index.LastEntry(kSession, path);
             more;
             more = forward ? index.NextEntry(kSession, path) : index.PriorEntry(kSession, path)) {
          (void)index.EntryRecordID(kSession, path);
          ASSERT_LT(++steps, 10000) << "endless walk";
        }
      });
    }
    Clear();
    SetText("K", "key1033");
    std::vector<uint8_t> key(static_cast<std::size_t>(index.KeyLength()));
    index.BuildKey(record_.data(), key.data());
    for (const C comparison :
         {C::kEqual, C::kLess, C::kGreater, C::kLessOrEqual, C::kGreaterOrEqual}) {
      for (const bool last : {false, true}) {
        attempt([&] {
          TKestrelKeyPath path;
          if (index.FindBoundary(kSession, {comparison, key.data(), 1}, last, path)) {
            (void)index.EntryRecordID(kSession, path);
          }
        });
      }
    }
    attempt([&] {
      TKestrelIndexScan scan;
      index.StartScan(kSession, {C::kGreaterOrEqual, key.data(), 1}, {}, false, scan);
      TKestrelRecordID id;
      for (int steps = 0; index.ScanNext(kSession, scan, id); ++steps) {
        ASSERT_LT(steps, 10000) << "endless scan";
      }
    });
    attempt([&] { (void)index.IsKeyUnique(kSession, record_.data()); });
    attempt([&] { (void)index.EstimateRangeCount(kSession, {C::kLess, key.data(), 1}, {}, 70); });
    // Changes: an insert that splits, a delete of a stored entry.
    attempt([&] {
      for (int i = 0; i < 40; ++i) {
        SetText("K", "key1033" + std::string(static_cast<std::size_t>(i), 'z'));
        index.InsertKey(kSession, record_.data(), {500 + i, 0});
      }
    });
    attempt([&] {
      SetText("K", "key1033");
      index.DeleteKey(kSession, record_.data(), {(33 * 33) % 70, 0});
    });
    attempt([&] { index.CommitPages(kSession); });
    attempt([&] { index.DropPages(kSession); });
    attempt([&] { index.CommitPages(kSession); });
    return errors > 0;
  }

  TKestrelTableData* damaged_ = nullptr;
  int32_t root_ = -1;
  std::vector<uint8_t> saved_;
};

TEST_F(DamagedPages, EveryByteOfEveryUsedPage) {
  EXPECT_FALSE(UseDamaged(saved_));
  const std::size_t images = saved_.size() - 50 * 4096;
  int variants = 0;
  int failures = 0;
  for (int32_t pageNo = 0; pageNo < Pages().GetUsedPageCount(); ++pageNo) {
    const std::size_t start = images + static_cast<std::size_t>(pageNo) * 4096;
    const int32_t count = saved_[start + 14] | saved_[start + 15] << 8;
    const int32_t itemSize = Index().KeyLength() + (saved_[start + 1] != 0 ? 6 : 4);
    const std::size_t used = 18 + static_cast<std::size_t>(count) * itemSize;
    ASSERT_LE(used, 4096u);
    std::vector<uint8_t> bytes = saved_;
    for (std::size_t at = 0; at < used + 8; ++at) {
      const uint8_t original = bytes[start + at];
      for (const uint8_t change : {uint8_t{0xFF}, uint8_t{0x01}}) {
        bytes[start + at] = static_cast<uint8_t>(original ^ change);
        failures += UseDamaged(bytes) ? 1 : 0;
        ++variants;
      }
      bytes[start + at] = original;
    }
  }
  EXPECT_GT(variants, 4000);
  // Most changes of keys only reorder entries; damaged headers and links
  // must be reported.
  EXPECT_GT(failures, 300);
}

TEST_F(DamagedPages, LinksThatLeadElsewhereAreReported) {
  const std::size_t images = saved_.size() - 50 * 4096;
  const auto rootAt = images + static_cast<std::size_t>(root_) * 4096;
  ASSERT_EQ(saved_[rootAt + 1], 0) << "the root must be a node";
  struct Case {
    std::size_t offset;  // within the root page
    int32_t value;
  };
  const int32_t keyLength = Index().KeyLength();
  const Case cases[] = {
      {static_cast<std::size_t>(18 + keyLength), root_},  // child 0 is the root itself
      {static_cast<std::size_t>(18 + keyLength), 40},     // a page not in use
      {static_cast<std::size_t>(18 + keyLength), -7},
      {14, 0x7FFF},  // more items than fit
      {12, 9},       // another key length
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = saved_;
    std::memcpy(bytes.data() + rootAt + c.offset, &c.value, c.offset >= 18 ? 4 : 2);
    TKestrelMemoryStream stream(bytes);
    damaged_->PageManager().LoadFromStream(stream);
    damaged_->IndexManager().IndexDefs().Items(0)->RootPageNo = root_;
    EXPECT_THROW(DamagedIndex().CheckIntegrity(kSession), EKestrelException) << c.offset;
    TKestrelKeyPath path;
    EXPECT_THROW(
        {
          for (bool more = DamagedIndex().FirstEntry(kSession, path); more;
               more = DamagedIndex().NextEntry(kSession, path)) {
          }
        },
        EKestrelException)
        << c.offset;
  }
}

}  // namespace
}  // namespace kestrel::btree_test
