// The memory record manager: slot IDs, growth, holes, record numbers,
// navigation and the slot state stream form.

#include "kestrel/storage/records/record_manager_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using R = TKestrelNavigationResult;
using D = TKestrelNavigation;

class MemoryRecords : public ::testing::Test {
 protected:
  // Inserts records holding 0, 1, 2, ... and returns their IDs.
  std::vector<int32_t> Fill(int count) {
    std::vector<int32_t> ids;
    for (int i = 0; i < count; ++i) {
      int32_t value = next_++;
      TKestrelRecordID id;
      EXPECT_TRUE(records_.InsertRecord(reinterpret_cast<uint8_t*>(&value), id));
      ids.push_back(id.RecordNo);
    }
    return ids;
  }
  bool Delete(int32_t id) { return records_.DeleteRecord({id, 0}); }
  // Navigation answer and, when found, the ID and the stored value.
  R Get(D direction, int32_t id, bool atBeginning = false, bool atEnd = false,
        int32_t* foundID = nullptr, int32_t* value = nullptr) {
    int32_t buffer = -1;
    TKestrelRecordRequest request{
        direction, {id, 0}, reinterpret_cast<uint8_t*>(&buffer), atBeginning, atEnd};
    const R result = records_.GetRecord(request);
    if (result == R::kFound) {
      EXPECT_FALSE(request.AtBeginning || request.AtEnd);
      if (foundID != nullptr)
        *foundID = request.RecordID.RecordNo;
      if (value != nullptr)
        *value = buffer;
    }
    return result;
  }

  TKestrelMemoryManager memory_;
  TKestrelMemoryRecordManager records_{4, 1000, memory_};
  int32_t next_ = 0;
};

TEST_F(MemoryRecords, IdsFollowHighestAndGrowthStepsByAllocBy) {
  EXPECT_EQ(Fill(1)[0], 0);
  EXPECT_EQ(records_.Capacity(), 1000);
  Fill(999);
  EXPECT_EQ(records_.Capacity(), 1000);
  EXPECT_EQ(Fill(1)[0], 1000);
  EXPECT_EQ(records_.Capacity(), 2000);
  EXPECT_EQ(memory_.BytesInUse(), 2000 * 4 + 250);
  int32_t value = 0;
  EXPECT_EQ(Get(D::kExact, 500, false, false, nullptr, &value), R::kFound);
  EXPECT_EQ(value, 500);
  records_.EmptyRecords();
  EXPECT_EQ(memory_.BytesInUse(), 0);
  EXPECT_EQ(Fill(1)[0], 0);
}

TEST_F(MemoryRecords, DeletingMovesLowestAndHighest) {
  Fill(6);  // 0..5
  EXPECT_TRUE(Delete(0));
  EXPECT_TRUE(Delete(1));
  EXPECT_EQ(records_.LowestID(), 2);
  EXPECT_TRUE(Delete(5));
  EXPECT_TRUE(Delete(4));
  EXPECT_EQ(records_.HighestID(), 3);
  EXPECT_FALSE(Delete(4));
  EXPECT_FALSE(Delete(9));
  EXPECT_EQ(Fill(1)[0], 4);  // the slot above the new highest again
  EXPECT_FALSE(records_.NoHoles());
  for (const int32_t id : {2, 3, 4}) {
    EXPECT_TRUE(Delete(id));
  }
  EXPECT_EQ(records_.GetRecordCount(), 0);
  EXPECT_EQ(records_.LowestID(), 0);
  EXPECT_EQ(records_.HighestID(), 0);
  EXPECT_EQ(Fill(1)[0], 0);
  EXPECT_FALSE(records_.RecordExists({1, 0}));
  EXPECT_FALSE(records_.RecordExists({999, 0}));
}

TEST_F(MemoryRecords, RecordNumbersSkipHoles) {
  Fill(20);
  TKestrelRecordID id;
  ASSERT_TRUE(records_.RecNoToRecordID(5, id));
  EXPECT_EQ(id.RecordNo, 4);
  for (const int32_t deleted : {1, 3, 9, 10, 11}) {
    ASSERT_TRUE(Delete(deleted));
  }
  const struct {
    int64_t recNo;
    int32_t id;
  } cases[] = {{1, 0}, {2, 2}, {3, 4}, {5, 6}, {7, 8}, {8, 12}, {15, 19}};
  for (const auto& c : cases) {
    ASSERT_TRUE(records_.RecNoToRecordID(c.recNo, id)) << c.recNo;
    EXPECT_EQ(id.RecordNo, c.id) << c.recNo;
    EXPECT_EQ(records_.GetApproxRecNo({c.id, 0}), c.recNo);
  }
  EXPECT_FALSE(records_.RecNoToRecordID(0, id));
  EXPECT_FALSE(records_.RecNoToRecordID(16, id));
  EXPECT_EQ(records_.GetApproxRecNo({25, 0}), -1);
}

TEST_F(MemoryRecords, Navigation) {
  EXPECT_EQ(Get(D::kNext, 0, true), R::kEndOfTable);  // empty
  Fill(5);
  Delete(0);
  Delete(2);
  Delete(4);  // live: 1, 3
  int32_t id = -1;
  const struct {
    D direction;
    int32_t from;
    bool atBeginning;
    bool atEnd;
    R result;
    int32_t found;
  } cases[] = {
      {D::kNext, 0, true, false, R::kFound, 1},
      {D::kPrior, 0, true, false, R::kBeginningOfTable, -1},
      {D::kExact, 0, true, false, R::kNotFound, -1},
      {D::kNext, 0, false, true, R::kEndOfTable, -1},
      {D::kPrior, 0, false, true, R::kFound, 3},
      {D::kExact, 3, false, true, R::kNotFound, -1},
      {D::kNext, 1, false, false, R::kFound, 3},
      {D::kNext, 3, false, false, R::kEndOfTable, -1},
      {D::kPrior, 3, false, false, R::kFound, 1},
      {D::kPrior, 1, false, false, R::kBeginningOfTable, -1},
      {D::kPrior, 0, false, false, R::kBeginningOfTable, -1},
      {D::kExact, 2, false, false, R::kNotFound, -1},
      {D::kExact, 3, false, false, R::kFound, 3},
      {D::kNext, 999, false, false, R::kEndOfTable, -1},
  };
  for (const auto& c : cases) {
    id = -1;
    EXPECT_EQ(Get(c.direction, c.from, c.atBeginning, c.atEnd, &id), c.result)
        << static_cast<int>(c.direction) << " from " << c.from;
    EXPECT_EQ(id, c.found) << static_cast<int>(c.direction) << " from " << c.from;
  }
}

TEST_F(MemoryRecords, UpdateOnlyLiveRecords) {
  Fill(3);
  Delete(1);
  int32_t value = 77;
  EXPECT_TRUE(records_.UpdateRecord(reinterpret_cast<uint8_t*>(&value), {2, 0}));
  EXPECT_FALSE(records_.UpdateRecord(reinterpret_cast<uint8_t*>(&value), {1, 0}));
  EXPECT_FALSE(records_.UpdateRecord(reinterpret_cast<uint8_t*>(&value), {3, 0}));
  int32_t stored = 0;
  Get(D::kExact, 2, false, false, nullptr, &stored);
  EXPECT_EQ(stored, 77);
}

TEST_F(MemoryRecords, SlotStateRoundTrip) {
  TKestrelMemoryManager memory;
  TKestrelMemoryRecordManager small(4, 10, memory);
  for (int32_t value = 0; value < 4; ++value) {
    TKestrelRecordID id;
    small.InsertRecord(reinterpret_cast<uint8_t*>(&value), id);
  }
  small.DeleteRecord({0, 0});
  small.DeleteRecord({2, 0});
  TKestrelMemoryStream stream;
  small.SaveToStream(stream);
  // Capacity 10, NoHoles false, lowest 1, highest 3, bitmap: slots 0, 2 and
  // 4..9 hold no record (and so do the padding bits past the capacity).
  const std::vector<uint8_t> expected = {10, 0, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 0xF5, 0xFF};
  EXPECT_EQ(stream.Bytes(), expected);

  TKestrelMemoryRecordManager loaded(4, 10, memory);
  stream.SetPosition(0);
  loaded.LoadFromStream(stream);
  std::vector<int32_t> ids;
  for (int32_t value : {11, 33}) {
    TKestrelRecordID id;
    loaded.AddLoadedRecord(reinterpret_cast<uint8_t*>(&value), id);
    ids.push_back(id.RecordNo);
  }
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(loaded.GetRecordCount(), 2);
  EXPECT_EQ(loaded.LowestID(), 1);
  int32_t value = 0;
  TKestrelRecordID id;
  try {
    loaded.AddLoadedRecord(reinterpret_cast<uint8_t*>(&value), id);
    FAIL();
  } catch (const EKestrelException& e) {
    EXPECT_EQ(e.Text(), "Invalid record No = 10");
  }
}

// A slot state: capacity, NoHoles, lowest, highest, then the bitmap.
TKestrelMemoryStream SlotState(int32_t capacity, int32_t lowest, int32_t highest,
                               std::vector<uint8_t> bitmap) {
  std::vector<uint8_t> bytes;
  const auto put32 = [&](int32_t value) {
    for (int i = 0; i < 4; ++i) {
      bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
    }
  };
  put32(capacity);
  bytes.push_back(0);
  put32(lowest);
  put32(highest);
  bytes.insert(bytes.end(), bitmap.begin(), bitmap.end());
  return TKestrelMemoryStream(bytes);
}

TEST(SlotStateLoad, BitsThatMeanNothingAreFreedAndDamageIsRefused) {
  TKestrelMemoryManager memory;
  TKestrelMemoryRecordManager records(4, 10, memory);
  // Capacity 10, live 1 and 3; the bits above HighestID (and the padding
  // past the capacity) are clear in the file, as uninitialised bytes may
  // leave them.
  TKestrelMemoryStream stream = SlotState(10, 1, 3, {0xF5, 0x00});
  records.LoadFromStream(stream);
  EXPECT_EQ(records.LoadedLiveSlots(), 2);
  for (int32_t slot = 4; slot < 16; ++slot) {
    EXPECT_FALSE(records.RecordExists({slot, 0})) << slot;
  }
  int32_t value = 7;
  TKestrelRecordID id;
  records.AddLoadedRecord(reinterpret_cast<uint8_t*>(&value), id);
  records.AddLoadedRecord(reinterpret_cast<uint8_t*>(&value), id);
  EXPECT_EQ(id.RecordNo, 3);
  EXPECT_THROW(records.AddLoadedRecord(reinterpret_cast<uint8_t*>(&value), id), EKestrelException);
  TKestrelRecordID third;
  EXPECT_FALSE(records.RecNoToRecordID(3, third));

  const struct {
    int32_t lowest;
    int32_t highest;
    std::vector<uint8_t> bitmap;
    std::string text;
  } damaged[] = {
      {1, 3, {0xF4, 0xFF}, "Invalid record No = 0"},  // live below LowestID
      {1, 3, {0xFD, 0xFF}, "Invalid record No = 3"},  // HighestID not live
      {2, 3, {0xF5, 0xFF}, "Invalid record No = 1"},  // live below LowestID
  };
  for (const auto& c : damaged) {
    TKestrelMemoryStream bad = SlotState(10, c.lowest, c.highest, c.bitmap);
    try {
      records.LoadFromStream(bad);
      ADD_FAILURE() << c.text;
    } catch (const EKestrelException& e) {
      EXPECT_EQ(e.Text(), c.text);
      EXPECT_EQ(e.NativeError(), 10290);
    }
    EXPECT_EQ(records.Capacity(), 0);
  }
}

TEST(SlotStateLoad, TheLiveSlotsMustBeTheFilesRecordCount) {
  TKestrelMemoryManager memory;
  TKestrelMemoryRecordManager records(4, 10, memory);
  TKestrelMemoryStream three = SlotState(10, 0, 3, {0xF0, 0xFF});
  try {
    records.LoadFromStream(three, 2);
    ADD_FAILURE();
  } catch (const EKestrelException& e) {
    EXPECT_EQ(e.Text(), "Invalid record count = 2. Limit is 4");
    EXPECT_EQ(e.NativeError(), 10291);
  }
  three.SetPosition(0);
  records.LoadFromStream(three, 4);
  EXPECT_EQ(records.HighestID(), 3);
  // A capacity the stream cannot hold is refused before it is allocated.
  TKestrelMemoryStream huge = SlotState(0x7FFFFFF0, 0, 3, {0x0F});
  EXPECT_THROW(records.LoadFromStream(huge), EKestrelException);
  EXPECT_LT(memory.BytesInUse(), 1000);
}

TEST(RecordIDs, ConversionsAndComparison) {
  const TKestrelRecordID id = Int64ToRecordID((int64_t{5} << 32) | 0xFFFFFFFF);
  EXPECT_EQ(id.RecordNo, -1);
  EXPECT_EQ(id.High, 5);
  EXPECT_EQ(RecordIDToInt64(id), (int64_t{5} << 32) | 0xFFFFFFFF);
  uint8_t bytes[kRecordIDSize];
  RecordIDToBytes({0x01020304, 0x0506}, bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 6), (std::vector<uint8_t>{4, 3, 2, 1, 6, 5}));
  EXPECT_EQ(RecordIDFromBytes(bytes).RecordNo, 0x01020304);
  EXPECT_EQ(RecordIDFromBytes(bytes).High, 0x0506);
  EXPECT_EQ(CompareRecordIDs({1, 9}, {2, 0}), -1);
  EXPECT_EQ(CompareRecordIDs({2, 9}, {2, 0}), 0);
  EXPECT_EQ(CompareRecordIDs({3, 0}, {2, 0}), 1);
}

}  // namespace
}  // namespace kestrel
