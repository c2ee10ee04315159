// Key comparison on raw key bytes: every ordered storage type, NULL
// ordering, descending and case-insensitive columns, texts at any byte
// offset, and partial keys.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "kestrel/storage/tests/btree/btree_fixture.h"

namespace kestrel::btree_test {
namespace {

using DT = TKestrelDataType;

// A one-column key description over a field of the type.
class OneColumn {
 public:
  OneColumn(DT type, int32_t size, bool descending, bool caseInsensitive) {
    fields_.AddField("F", type, size);
    fields_.CalculateLayout();
    def_.Name = "IX";
    def_.SetColumnCount(1);
    def_.Columns[0]->FieldName = "F";
    def_.Columns[0]->Descending = descending;
    def_.Columns[0]->CaseInsensitive = caseInsensitive;
    keyRef_ = std::make_unique<TKestrelBTreeKeyRef>(def_, fields_, kKestrelPageSize);
  }
  // A key from the value's stored bytes (nullptr: NULL), written at an odd
  // offset of a larger buffer so that nothing relies on alignment.
  std::vector<uint8_t> Key(const void* value, std::size_t size) {
    const TKestrelFieldDef& field = *fields_.Items(0);
    std::vector<uint8_t> record(static_cast<std::size_t>(fields_.RecordSize()), 0);
    if (value == nullptr) {
      SetFieldNull(record.data(), 0, true);
    } else {
      std::memcpy(record.data() + field.DataOffset(), value, size);
    }
    std::vector<uint8_t> key(static_cast<std::size_t>(keyRef_->KeyLength()) + 1);
    keyRef_->BuildKey(record.data(), key.data() + 1);
    return key;
  }
  int Compare(const std::vector<uint8_t>& left, const std::vector<uint8_t>& right) const {
    return keyRef_->CompareKeys(left.data() + 1, right.data() + 1, 0);
  }

 private:
  TKestrelFieldDefs fields_;
  TKestrelIndexDef def_;
  std::unique_ptr<TKestrelBTreeKeyRef> keyRef_;
};

template <typename T>
std::vector<uint8_t> KeyOf(OneColumn& column, T value) {
  return column.Key(&value, sizeof value);
}

std::vector<uint8_t> TextKey(OneColumn& column, const std::string& text) {
  std::string zeroTerminated = text;
  zeroTerminated.push_back('\0');
  return column.Key(zeroTerminated.data(), zeroTerminated.size());
}

std::vector<uint8_t> WideKey(OneColumn& column, const std::u16string& text) {
  std::u16string zeroTerminated = text;
  zeroTerminated.push_back(u'\0');
  return column.Key(zeroTerminated.data(), zeroTerminated.size() * 2);
}

TEST(BTreeKeys, NumbersDatesAndLogicalsInTheirOrder) {
  {
    OneColumn column(DT::kInteger, 0, false, false);
    EXPECT_EQ(column.Compare(KeyOf(column, int32_t{-5}), KeyOf(column, int32_t{3})), -1);
    EXPECT_EQ(column.Compare(KeyOf(column, int32_t{70000}), KeyOf(column, int32_t{3})), 1);
    EXPECT_EQ(column.Compare(KeyOf(column, int32_t{3}), KeyOf(column, int32_t{3})), 0);
  }
  {
    OneColumn column(DT::kCardinal, 0, false, false);
    EXPECT_EQ(column.Compare(KeyOf(column, uint32_t{4000000000u}), KeyOf(column, uint32_t{1})), 1);
  }
  {
    OneColumn column(DT::kLargeInt, 0, false, false);
    EXPECT_EQ(column.Compare(KeyOf(column, int64_t{-1} << 40), KeyOf(column, int64_t{1})), -1);
  }
  {
    OneColumn column(DT::kDouble, 0, false, false);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(column.Compare(KeyOf(column, -0.5), KeyOf(column, 0.25)), -1);
    EXPECT_EQ(column.Compare(KeyOf(column, nan), KeyOf(column, 1.0)), 0);  // unordered: equal
  }
  {
    OneColumn column(DT::kSingle, 0, false, false);
    EXPECT_EQ(column.Compare(KeyOf(column, 2.5f), KeyOf(column, 2.25f)), 1);
  }
  {
    OneColumn column(DT::kExtended, 0, false, false);
    const long double big = 1e300L * 1e300L;  // beyond a double
    const long double small = 1e300L;
    EXPECT_EQ(column.Compare(column.Key(&big, 10), column.Key(&small, 10)), 1);
  }
  {
    // Day number first, then the milliseconds.
    OneColumn column(DT::kDateTime, 0, false, false);
    const int32_t early[2] = {10, 86000000};
    const int32_t later[2] = {11, 0};
    const int32_t laterStill[2] = {11, 5};
    EXPECT_EQ(column.Compare(column.Key(early, 8), column.Key(later, 8)), -1);
    EXPECT_EQ(column.Compare(column.Key(laterStill, 8), column.Key(later, 8)), 1);
  }
  {
    OneColumn column(DT::kBoolean, 0, false, false);
    EXPECT_EQ(column.Compare(KeyOf(column, int16_t{0}), KeyOf(column, int16_t{-1})), -1);
    EXPECT_EQ(column.Compare(KeyOf(column, int16_t{7}), KeyOf(column, int16_t{-1})), 0);
  }
}

TEST(BTreeKeys, NullComesFirstAndDescendingReversesEverything) {
  OneColumn ascending(DT::kInteger, 0, false, false);
  OneColumn descending(DT::kInteger, 0, true, false);
  for (OneColumn* column : {&ascending, &descending}) {
    const int sign = column == &ascending ? 1 : -1;
    const auto null = column->Key(nullptr, 0);
    EXPECT_EQ(column->Compare(null, null), 0);
    EXPECT_EQ(column->Compare(null, KeyOf(*column, int32_t{-100})), -sign);
    EXPECT_EQ(column->Compare(KeyOf(*column, int32_t{2}), KeyOf(*column, int32_t{1})), sign);
  }
}

TEST(BTreeKeys, TextsCollateWithPunctuationAndCaseRules) {
  OneColumn sensitive(DT::kVarchar, 20, false, false);
  OneColumn insensitive(DT::kVarchar, 20, false, true);
  EXPECT_NE(sensitive.Compare(TextKey(sensitive, "abc"), TextKey(sensitive, "ABC")), 0);
  EXPECT_EQ(insensitive.Compare(TextKey(insensitive, "abc"), TextKey(insensitive, "ABC")), 0);
  // Collation, not byte order: "b" sorts before "C" whatever the case.
  EXPECT_EQ(sensitive.Compare(TextKey(sensitive, "b"), TextKey(sensitive, "C")), -1);
  // Punctuation counts, also at secondary strength.
  EXPECT_NE(insensitive.Compare(TextKey(insensitive, "a-b"), TextKey(insensitive, "ab")), 0);
  EXPECT_EQ(sensitive.Compare(TextKey(sensitive, "ab"), TextKey(sensitive, "abc")), -1);
  // An accent is a secondary difference: not ignored with the case.
  EXPECT_NE(insensitive.Compare(TextKey(insensitive, "e"), TextKey(insensitive, "\xc3\xa9")), 0);

  OneColumn wide(DT::kWideVarchar, 10, false, true);
  EXPECT_EQ(wide.Compare(WideKey(wide, u"Stra\u00dfe"), WideKey(wide, u"STRA\u00dfE")), 0);
  EXPECT_EQ(wide.Compare(WideKey(wide, u"alpha"), WideKey(wide, u"Beta")), -1);
  EXPECT_EQ(wide.Compare(WideKey(wide, u"zz"), WideKey(wide, u"z")), 1);
}

TEST_F(BTreeTable, PartialKeysSearchOnTheirLeadingColumns) {
  TKestrelFieldDefs fields;
  fields.AddField("A", DT::kInteger);
  fields.AddField("B", DT::kVarchar, 10);
  TKestrelIndexDefs indexes;
  AddIndexDef(indexes, "AB", {{"A"}, {"B", true}});
  Create(fields, indexes);
  std::vector<int32_t> ids;
  for (const auto& [a, b] : std::vector<std::pair<int32_t, std::string>>{
           {2, "x"}, {1, "b"}, {2, "z"}, {1, "a"}, {3, "a"}, {2, "y"}}) {
    Clear();
    SetInt("A", a);
    SetText("B", b);
    ids.push_back(Store().RecordNo);
  }
  // A ascending, then B descending.
  EXPECT_EQ(Order(), (std::vector<int32_t>{1, 3, 2, 5, 0, 4}));
  Clear();
  SetInt("A", 2);
  std::vector<uint8_t> key(static_cast<std::size_t>(Index().KeyLength()));
  Index().BuildKey(record_.data(), key.data());
  TKestrelKeyPath path;
  const TKestrelIndexBound equal{TKestrelKeyComparison::kEqual, key.data(), 1};
  ASSERT_TRUE(Index().FindBoundary(kSession, equal, false, path));
  EXPECT_EQ(Index().EntryRecordID(kSession, path).RecordNo, 2);
  ASSERT_TRUE(Index().FindBoundary(kSession, equal, true, path));
  EXPECT_EQ(Index().EntryRecordID(kSession, path).RecordNo, 0);
  const TKestrelIndexBound after{TKestrelKeyComparison::kGreater, key.data(), 1};
  ASSERT_TRUE(Index().FindBoundary(kSession, after, false, path));
  EXPECT_EQ(Index().EntryRecordID(kSession, path).RecordNo, 4);
  EXPECT_EQ(Index().CompareRecordKeys(record_.data(), record_.data(), 0), 0);
}

TEST_F(BTreeTable, NullsLeadAnAscendingIndexAndTrailADescendingOne) {
  TKestrelFieldDefs fields;
  fields.AddField("N", DT::kInteger);
  TKestrelIndexDefs indexes;
  AddIndexDef(indexes, "UP", {{"N"}});
  AddIndexDef(indexes, "DOWN", {{"N", true}});
  Create(fields, indexes);
  InsertInt("N", 5);  // 0
  Clear();
  Store();             // 1: NULL
  InsertInt("N", -2);  // 2
  InsertInt("N", 9);   // 3
  EXPECT_EQ(Order(0), (std::vector<int32_t>{1, 2, 0, 3}));
  EXPECT_EQ(Order(1), (std::vector<int32_t>{3, 0, 2, 1}));
}

TEST_F(BTreeTable, ACaseInsensitiveUniqueIndexRefusesTheSameTextInOtherCase) {
  TKestrelFieldDefs fields;
  fields.AddField("NAME", DT::kVarchar, 20);
  TKestrelIndexDefs indexes;
  AddIndexDef(indexes, "UX", {{"NAME", false, true}}, true);
  AddIndexDef(indexes, "CS", {{"NAME"}}, true);
  Create(fields, indexes);
  InsertText("NAME", "abc");
  Clear();
  SetText("NAME", "ABC");
  EXPECT_FALSE(Index(0).IsKeyUnique(kSession, record_.data()));
  EXPECT_TRUE(Index(1).IsKeyUnique(kSession, record_.data()));
  SetText("NAME", "abd");
  EXPECT_TRUE(Index(0).IsKeyUnique(kSession, record_.data()));
  // An edit that only changes the case keeps the stored key of the
  // case-insensitive index; the case-sensitive one has no "aBc" yet.
  SetText("NAME", "abc");
  const std::vector<uint8_t> stored = record_;
  SetText("NAME", "aBc");
  EXPECT_TRUE(Index(0).IsUpdateUnique(kSession, stored.data(), record_.data()));
  EXPECT_TRUE(Index(1).IsUpdateUnique(kSession, stored.data(), record_.data()));
  InsertText("NAME", "aBc");
  EXPECT_EQ(Order(1).size(), 2u);
  SetText("NAME", "aBc");
  EXPECT_FALSE(Index(1).IsUpdateUnique(kSession, stored.data(), record_.data()));
}

}  // namespace
}  // namespace kestrel::btree_test
