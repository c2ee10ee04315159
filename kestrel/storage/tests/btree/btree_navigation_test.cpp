// Walking B-trees the way cursors do: ordered navigation with the record
// fetched, record numbers in index order (filtered too), duplicate removal,
// range scans both ways, range estimates, and key path rules.

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "kestrel/storage/tests/btree/btree_fixture.h"

namespace kestrel::btree_test {
namespace {

using DT = TKestrelDataType;
using R = TKestrelNavigationResult;
using C = TKestrelKeyComparison;

class IdSet : public TKestrelRecordSet {
 public:
  explicit IdSet(std::set<int32_t> ids) : ids_(std::move(ids)) {}
  bool Contains(TKestrelRecordID id) const override { return ids_.count(id.RecordNo) != 0; }
  void Remove(TKestrelRecordID id) override { ids_.erase(id.RecordNo); }
  const std::set<int32_t>& Ids() const { return ids_; }

 private:
  std::set<int32_t> ids_;
};

// Records 0..n-1 hold N = (i * 37) % n * 10, so index order differs from
// record order.
class Navigation : public BTreeTable {
 protected:
  void Fill(int32_t count) {
    CreateIntegerIndex();
    for (int32_t i = 0; i < count; ++i) {
      InsertInt("N", (i * 37) % count * 10);
    }
  }
  int32_t Value(const std::vector<uint8_t>& record) const {
    int32_t value = 0;
    std::memcpy(&value, record.data() + Field("N").DataOffset(), 4);
    return value;
  }
  std::vector<uint8_t> KeyFor(int32_t value) {
    Clear();
    SetInt("N", value);
    std::vector<uint8_t> key(static_cast<std::size_t>(Index().KeyLength()));
    Index().BuildKey(record_.data(), key.data());
    return key;
  }
  std::vector<int32_t> Scan(const TKestrelIndexBound& first, const TKestrelIndexBound& second,
                            bool backward) {
    TKestrelIndexScan scan;
    Index().StartScan(kSession, first, second, backward, scan);
    std::vector<int32_t> values;
    TKestrelRecordID id;
    std::vector<uint8_t> record(record_.size());
    while (Index().ScanNext(kSession, scan, id)) {
      TKestrelRecordRequest request{TKestrelNavigation::kExact, id, record.data(), false, false};
      EXPECT_EQ(table_->RecordManager()->GetRecord(request), R::kFound);
      values.push_back(Value(record));
    }
    return values;
  }
};

TEST_F(Navigation, CursorsWalkInKeyOrderAndGetTheRecord) {
  Fill(1000);
  std::vector<uint8_t> buffer(record_.size());
  TKestrelRecordRequest request{TKestrelNavigation::kNext, {}, buffer.data(), true, false};
  std::vector<int32_t> values;
  R result = R::kFound;
  while ((result = Index().GetRecord(kSession, request)) == R::kFound) {
    EXPECT_FALSE(request.AtBeginning);
    values.push_back(Value(buffer));
  }
  EXPECT_EQ(result, R::kEndOfTable);
  ASSERT_EQ(values.size(), 1000u);
  for (int32_t i = 0; i < 1000; ++i) {
    ASSERT_EQ(values[static_cast<std::size_t>(i)], i * 10);
  }
  // Backward from the end, then forward from the current record.
  request = {TKestrelNavigation::kPrior, {}, buffer.data(), false, true};
  ASSERT_EQ(Index().GetRecord(kSession, request), R::kFound);
  EXPECT_EQ(Value(buffer), 9990);
  ASSERT_EQ(Index().GetRecord(kSession, request), R::kFound);
  EXPECT_EQ(Value(buffer), 9980);
  request.Direction = TKestrelNavigation::kNext;
  ASSERT_EQ(Index().GetRecord(kSession, request), R::kFound);
  EXPECT_EQ(Value(buffer), 9990);
  EXPECT_EQ(Index().GetRecord(kSession, request), R::kEndOfTable);
  request = {TKestrelNavigation::kPrior, {}, buffer.data(), true, false};
  EXPECT_EQ(Index().GetRecord(kSession, request), R::kBeginningOfTable);
  request = {TKestrelNavigation::kExact, {}, buffer.data(), false, false};
  ExpectKestrelError([&] { Index().GetRecord(kSession, request); },
                     "Invalid get record mode for index: grmCurrent", 20053);

  // The current record was deleted meanwhile: the walk goes on from where
  // its key stood.
  request = {TKestrelNavigation::kNext, {}, buffer.data(), true, false};
  for (int i = 0; i < 5; ++i) {
    Index().GetRecord(kSession, request);
  }
  EXPECT_EQ(Value(buffer), 40);
  ASSERT_TRUE(table_->DeleteRecord(request.RecordID, kSession));
  ASSERT_EQ(Index().GetRecord(kSession, request), R::kFound);
  EXPECT_EQ(Value(buffer), 50);
}

TEST_F(Navigation, AnEmptyIndexAnswersEndOfTable) {
  Fill(0);
  TKestrelRecordRequest request{TKestrelNavigation::kNext, {}, nullptr, true, false};
  EXPECT_EQ(Index().GetRecord(kSession, request), R::kEndOfTable);
  EXPECT_EQ(Index().EstimateRangeCount(kSession, {}, {}, 0), 0);
  TKestrelRecordID id;
  ExpectKestrelError([&] { Index().GetRecordAtRecNo(kSession, 1, nullptr, id); },
                     "Cannot retreive record from empty index", 20074);
  EXPECT_TRUE(Scan({}, {}, false).empty());
}

TEST_F(Navigation, RecordNumbersInIndexOrder) {
  Fill(2000);
  // Record i holds (i * 37) % 2000 * 10: its number is that value / 10 + 1.
  for (const int32_t i : {0, 1, 54, 999, 1999}) {
    EXPECT_EQ(Index().GetRecNo(kSession, {i, 0}, nullptr), (i * 37) % 2000 + 1) << i;
    TKestrelRecordID id;
    ASSERT_TRUE(Index().GetRecordAtRecNo(kSession, (i * 37) % 2000 + 1, nullptr, id));
    EXPECT_EQ(id.RecordNo, i);
  }
  TKestrelRecordID id;
  EXPECT_FALSE(Index().GetRecordAtRecNo(kSession, 2001, nullptr, id));
  EXPECT_FALSE(Index().GetRecordAtRecNo(kSession, 0, nullptr, id));
  EXPECT_EQ(Index().GetRecNo(kSession, {5000, 0}, nullptr), -1);

  // Filtered: only the records of the set count. Records 0, 1, 2 hold 0,
  // 370 and 740; in index order they are the 1st, 2nd and 3rd of the set.
  const IdSet visible({2, 0, 1});
  EXPECT_EQ(Index().GetRecNo(kSession, {1, 0}, &visible), 2);
  EXPECT_EQ(Index().GetRecNo(kSession, {3, 0}, &visible), -1);
  ASSERT_TRUE(Index().GetRecordAtRecNo(kSession, 3, &visible, id));
  EXPECT_EQ(id.RecordNo, 2);
  EXPECT_FALSE(Index().GetRecordAtRecNo(kSession, 4, &visible, id));
}

TEST_F(BTreeTable, RemoveDuplicatesKeepsTheFirstOfEveryRunInTheSet) {
  CreateIntegerIndex();
  // Values 3 3 1 3 1 2 in records 0..5; record 5 is not in the set.
  for (const int32_t value : {3, 3, 1, 3, 1, 2}) {
    InsertInt("N", value);
  }
  IdSet records({0, 1, 2, 3, 4});
  Index().RemoveDuplicates(kSession, records);
  EXPECT_EQ(records.Ids(), (std::set<int32_t>{0, 2}));
}

TEST_F(Navigation, RangeScansBothWays) {
  Fill(500);
  const auto low = KeyFor(100);
  const auto high = KeyFor(150);
  const auto between = KeyFor(155);
  EXPECT_EQ(Scan({C::kGreaterOrEqual, low.data(), 1}, {C::kLess, high.data(), 1}, false),
            (std::vector<int32_t>{100, 110, 120, 130, 140}));
  EXPECT_EQ(Scan({C::kGreater, low.data(), 1}, {C::kLessOrEqual, high.data(), 1}, true),
            (std::vector<int32_t>{150, 140, 130, 120, 110}));
  EXPECT_EQ(Scan({C::kEqual, high.data(), 1}, {}, false), (std::vector<int32_t>{150}));
  EXPECT_TRUE(Scan({C::kEqual, between.data(), 1}, {}, false).empty());
  // Bounds that contradict each other give nothing.
  EXPECT_TRUE(Scan({C::kGreater, high.data(), 1}, {C::kLess, low.data(), 1}, false).empty());
  EXPECT_EQ(Scan({C::kGreaterOrEqual, KeyFor(4970).data(), 1}, {}, false),
            (std::vector<int32_t>{4970, 4980, 4990}));
  EXPECT_EQ(Scan({}, {}, false).size(), 500u);
}

TEST_F(Navigation, RangeEstimatesFollowThePositions) {
  Fill(20000);
  EXPECT_EQ(ConditionDirection(C::kGreater), -1);
  EXPECT_EQ(ConditionDirection(C::kLessOrEqual), 1);
  EXPECT_EQ(ConditionDirection(C::kEqual), 0);
  const auto estimate = [&](int32_t from, int32_t to) {
    const auto lower = KeyFor(from);
    const auto upper = KeyFor(to);
    return Index().EstimateRangeCount(kSession, {C::kGreaterOrEqual, lower.data(), 1},
                                      {C::kLess, upper.data(), 1}, 20000);
  };
  EXPECT_NEAR(estimate(10000, 20000), 1000, 50);
  EXPECT_NEAR(estimate(0, 200000), 20000, 50);
  EXPECT_EQ(estimate(500000, 600000), 0);
  EXPECT_EQ(estimate(20000, 10000), 0);
  EXPECT_LE(Index().EstimateRangeCount(kSession, {}, {}, 20000), 20000);
}

TEST_F(Navigation, KeyPathsOfOneIndexCompareByPosition) {
  Fill(3000);
  TKestrelKeyPath first;
  TKestrelKeyPath last;
  ASSERT_TRUE(Index().FirstEntry(kSession, first));
  ASSERT_TRUE(Index().LastEntry(kSession, last));
  EXPECT_EQ(Index().CompareKeyPaths(first, last), -1);
  EXPECT_EQ(Index().CompareKeyPaths(last, first), 1);
  EXPECT_EQ(Index().CompareKeyPaths(last, last), 0);
  TKestrelKeyPath shorter = last;
  shorter.Depth = 1;
  ExpectKestrelError([&] { (void)Index().CompareKeyPaths(shorter, last); },
                     "Invalid index key path", 20051);
  TKestrelKeyPath other = last;
  other.Levels[0].PageNo += 1;
  ExpectKestrelError([&] { (void)Index().CompareKeyPaths(other, last); }, "Invalid index key path",
                     20052);
  TKestrelKeyPath empty;
  ExpectKestrelError([&] { Index().NextEntry(kSession, empty); }, "Index error: invalid position",
                     20068);
  ExpectKestrelError([&] { Index().PriorEntry(kSession, empty); }, "Index error: invalid position",
                     20069);
}

TEST_F(BTreeTable, TemporaryIndexesKeepTheirPagesApart) {
  CreateIntegerIndex(true);
  ASSERT_TRUE(Def().Temporary);
  for (int32_t n = 0; n < 1000; ++n) {
    InsertInt("N", 999 - n);
  }
  EXPECT_EQ(Pages().GetUsedPageCount(), 0);
  EXPECT_EQ(Order().front(), 999);
  Index().CheckIntegrity(kSession);
}

}  // namespace
}  // namespace kestrel::btree_test
