// 200,000 random inserts and deletes through a table with two B-tree
// indexes, checked after every 1,000 operations against std::multimap
// models: the order of the entries both ways (equal keys in insertion
// order), their count, the integrity check, and FindBoundary for all five
// comparisons. The table grows and shrinks in waves so that pages split and
// merge at every level, and ends empty with nothing but the two roots.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <string>

#include "kestrel/storage/tests/btree/btree_fixture.h"

namespace kestrel::btree_test {
namespace {

using DT = TKestrelDataType;
using TextModel = std::multimap<std::string, int32_t>;

// Descending with NULL last: the order of the index on N.
struct DescendingNullsLast {
  bool operator()(const std::optional<int32_t>& a, const std::optional<int32_t>& b) const {
    if (!a || !b) {
      return a.has_value() && !b.has_value();
    }
    return *a > *b;
  }
};
using NumberModel = std::multimap<std::optional<int32_t>, int32_t, DescendingNullsLast>;

class ModelCheck : public BTreeTable {
 protected:
  void SetUp() override {
    TKestrelFieldDefs fields;
    fields.AddField("K", DT::kVarchar, 150);
    fields.AddField("N", DT::kInteger);
    TKestrelIndexDefs indexes;
    AddIndexDef(indexes, "BY_K", {{"K"}});
    AddIndexDef(indexes, "BY_N", {{"N", true}});
    Create(fields, indexes);
  }

  // Pages per level of an index, root first.
  std::vector<int> LevelSizes(int position) {
    std::vector<int> sizes;
    TKestrelKeyPath path;
    TKestrelTableIndex& index = Index(position);
    if (!index.FirstEntry(kSession, path) &&
        !static_cast<TKestrelBTreeIndex&>(index).LastEntry(kSession, path)) {
      return {1};
    }
    const auto& keyRef = static_cast<TKestrelBTreeIndex&>(index).KeyRef();
    for (int level = 0; level < path.Depth; ++level) {
      int count = 0;
      for (int32_t pageNo = path.Levels[static_cast<std::size_t>(level)].PageNo; pageNo != -1;) {
        const TKestrelPageHandle handle = Pages().GetPage(kSession, pageNo);
        pageNo = TKestrelBTreePage(handle.Data(), keyRef, Pages().PageSize()).NextPageNo();
        ++count;
      }
      sizes.push_back(count);
    }
    return sizes;
  }

  // Every boundary search on index BY_K for key text against the model.
  void CheckBoundaries(const TextModel& model, const std::string& text) {
    Clear();
    SetText("K", text);
    std::vector<uint8_t> key(static_cast<std::size_t>(Index(0).KeyLength()));
    Index(0).BuildKey(record_.data(), key.data());
    using C = TKestrelKeyComparison;
    const auto lower = model.lower_bound(text);
    const auto upper = model.upper_bound(text);
    const auto last = [&](TextModel::const_iterator it) -> std::optional<int32_t> {
      if (it == model.begin()) {
        return std::nullopt;
      }
      return std::prev(it)->second;
    };
    const auto at = [&](TextModel::const_iterator it) -> std::optional<int32_t> {
      if (it == model.end()) {
        return std::nullopt;
      }
      return it->second;
    };
    const auto when = [](bool holds, std::optional<int32_t> id) {
      return holds ? id : std::nullopt;
    };
    const bool any = !model.empty();
    const std::string& smallest = any ? model.begin()->first : text;
    const std::string& largest = any ? model.rbegin()->first : text;
    const struct {
      C comparison;
      bool last;
      std::optional<int32_t> expected;
    } cases[] = {
        {C::kEqual, false, when(lower != upper, at(lower))},
        {C::kEqual, true, when(lower != upper, last(upper))},
        {C::kLess, false, when(any && smallest < text, at(model.begin()))},
        {C::kLess, true, last(lower)},
        {C::kLessOrEqual, false, when(any && smallest <= text, at(model.begin()))},
        {C::kLessOrEqual, true, last(upper)},
        {C::kGreater, false, at(upper)},
        {C::kGreater, true, when(any && largest > text, last(model.end()))},
        {C::kGreaterOrEqual, false, at(lower)},
        {C::kGreaterOrEqual, true, when(any && largest >= text, last(model.end()))},
    };
    for (const auto& c : cases) {
      TKestrelKeyPath path;
      const TKestrelIndexBound bound{c.comparison, key.data(), 1};
      const bool found = Index(0).FindBoundary(kSession, bound, c.last, path);
      const std::optional<int32_t> got =
          found ? std::optional<int32_t>(Index(0).EntryRecordID(kSession, path).RecordNo)
                : std::nullopt;
      ASSERT_EQ(got, c.expected) << "key " << text << " comparison "
                                 << static_cast<int>(c.comparison) << (c.last ? " last" : " first");
    }
  }
};

std::string RandomText(std::mt19937& random) {
  const int value = std::uniform_int_distribution<int>(0, 6000)(random);
  std::string text = std::to_string(100000 + value);
  text.append(static_cast<std::size_t>(value % 7 * 15), 'x');
  return "k" + text;
}

TEST_F(ModelCheck, TwoHundredThousandOperations) {
  std::mt19937 random(20240611);
  TextModel byText;
  NumberModel byNumber;
  std::vector<std::pair<TKestrelRecordID, std::pair<std::string, std::optional<int32_t>>>> live;
  std::vector<std::vector<int>> levelHistory;
  std::vector<bool> shrankAtLevel(8, false);
  int deepest = 0;
  constexpr int kOperations = 200000;
  for (int op = 1; op <= kOperations; ++op) {
    // Waves: grow to some 20,000 records, shrink to a few, grow, shrink to 0.
    const int wave = (op - 1) / 50000;
    const bool growing = wave % 2 == 0;
    const bool finalDrain = op > kOperations - 25000;
    const int insertShare = finalDrain ? 0 : growing ? 70 : 32;
    const bool insert =
        live.empty() || std::uniform_int_distribution<int>(0, 99)(random) < insertShare;
    if (insert) {
      const std::string text = RandomText(random);
      std::optional<int32_t> number;
      if (std::uniform_int_distribution<int>(0, 19)(random) != 0) {
        number = std::uniform_int_distribution<int32_t>(-500, 500)(random);
      }
      Clear();
      SetText("K", text);
      if (number) {
        SetInt("N", *number);
      }
      const TKestrelRecordID id = Store();
      byText.emplace(text, id.RecordNo);
      byNumber.emplace(number, id.RecordNo);
      live.push_back({id, {text, number}});
    } else {
      const std::size_t victim =
          std::uniform_int_distribution<std::size_t>(0, live.size() - 1)(random);
      const auto [id, values] = live[victim];
      ASSERT_TRUE(table_->DeleteRecord(id, kSession));
      const auto erase = [&](auto& model, const auto& key) {
        auto [first, last] = model.equal_range(key);
        for (; first != last; ++first) {
          if (first->second == id.RecordNo) {
            model.erase(first);
            return;
          }
        }
        FAIL() << "model lost record " << id.RecordNo;
      };
      erase(byText, values.first);
      erase(byNumber, values.second);
      live[victim] = live.back();
      live.pop_back();
    }
    if (op % 1000 != 0 && op != kOperations) {
      continue;
    }
    ASSERT_EQ(table_->GetRecordCount(), static_cast<int64_t>(live.size()));
    for (int position : {0, 1}) {
      Index(position).CheckIntegrity(kSession);
    }
    std::vector<int32_t> expected;
    for (const auto& [text, id] : byText) {
      expected.push_back(id);
    }
    ASSERT_EQ(Order(0), expected) << "after " << op;
    ASSERT_EQ(ReverseOrder(0), expected) << "after " << op;
    expected.clear();
    for (const auto& [number, id] : byNumber) {
      expected.push_back(id);
    }
    ASSERT_EQ(Order(1), expected) << "after " << op;
    for (int probe = 0; probe < 6; ++probe) {
      CheckBoundaries(byText, RandomText(random));
    }
    if (!byText.empty()) {
      auto it = byText.begin();
      std::advance(it, std::uniform_int_distribution<std::size_t>(0, byText.size() - 1)(random));
      CheckBoundaries(byText, it->first);
    }
    const std::vector<int> levels = LevelSizes(0);
    deepest = std::max(deepest, static_cast<int>(levels.size()));
    if (!levelHistory.empty() && levelHistory.back().size() == levels.size()) {
      for (std::size_t level = 1; level < levels.size(); ++level) {
        if (levels[level] < levelHistory.back()[level]) {
          shrankAtLevel[level] = true;
        }
      }
    }
    levelHistory.push_back(levels);
  }
  EXPECT_TRUE(live.empty());
  EXPECT_GE(deepest, 4);
  // Pages went away at every level below the root, and in the end only the
  // two empty roots are left.
  for (int level = 1; level < deepest; ++level) {
    EXPECT_TRUE(shrankAtLevel[static_cast<std::size_t>(level)]) << "level " << level;
  }
  EXPECT_EQ(Pages().GetUsedPageCount(), 2);
  EXPECT_TRUE(Index(0).IsEmpty(kSession));
  EXPECT_TRUE(Index(1).IsEmpty(kSession));
}

}  // namespace
}  // namespace kestrel::btree_test
