// The temporary record manager: sequential IDs, the memory threshold, the
// spill file and reading back through the write buffer.

#include "kestrel/storage/records/record_manager_temporary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/records/database_data.h"
#include "kestrel/storage/streams/file_stream.h"

namespace kestrel {
namespace {

using R = TKestrelNavigationResult;
using D = TKestrelNavigation;

struct Record {
  int32_t value;
  int32_t check;
};

Record Make(int32_t i) {
  return {i, i * 7 + 1};
}

TKestrelRecordID Insert(TKestrelBaseRecordManager& records, int32_t i) {
  Record record = Make(i);
  TKestrelRecordID id;
  EXPECT_TRUE(records.InsertRecord(reinterpret_cast<uint8_t*>(&record), id));
  return id;
}

Record Read(TKestrelBaseRecordManager& records, int64_t id) {
  Record record{-1, -1};
  TKestrelRecordRequest request{D::kExact, Int64ToRecordID(id), reinterpret_cast<uint8_t*>(&record),
                                false, false};
  EXPECT_EQ(records.GetRecord(request), R::kFound) << id;
  return record;
}

TEST(TemporaryRecords, RecordsPastTheThresholdGoToTheSpillFileAndComeBack) {
  TKestrelMemoryManager memory;
  std::string spillName;
  TKestrelFileStream* spillFile = nullptr;
  TKestrelTemporaryRecordManager records(sizeof(Record), memory, 25, [&] {
    auto file = TKestrelFileStream::CreateTemporary();
    spillName = file->FileName();
    spillFile = file.get();
    return std::unique_ptr<TKestrelStream>(std::move(file));
  });
  EXPECT_EQ(records.Threshold(), 25);
  for (int32_t i = 0; i < 25; ++i) {
    EXPECT_EQ(Insert(records, i).RecordNo, i);
  }
  EXPECT_FALSE(records.HasSpillFile());
  EXPECT_EQ(memory.BytesInUse(), 25 * 8);  // the array stops at the threshold
  for (int32_t i = 25; i < 132; ++i) {
    Insert(records, i);
  }
  ASSERT_TRUE(records.HasSpillFile());
  // Records 25..124 were written in full buffers; 125..131 still wait.
  EXPECT_EQ(spillFile->Size(), 100 * 8);
  EXPECT_EQ(Read(records, 131).check, Make(131).check);  // flushes the buffer first
  EXPECT_EQ(spillFile->Size(), 107 * 8);
  for (const int64_t id : {0, 24, 25, 26, 99, 130, 7, 125}) {
    const Record record = Read(records, id);
    EXPECT_EQ(record.value, id);
    EXPECT_EQ(record.check, Make(static_cast<int32_t>(id)).check);
  }
  Insert(records, 132);  // appending after a read continues the file
  EXPECT_EQ(Read(records, 132).value, 132);
  EXPECT_EQ(Read(records, 126).value, 126);

  // Walking forward visits every ID in order.
  Record record{};
  TKestrelRecordRequest request{D::kNext, {}, reinterpret_cast<uint8_t*>(&record), true, false};
  int32_t expected = 0;
  while (records.GetRecord(request) == R::kFound) {
    EXPECT_EQ(record.value, expected++);
  }
  EXPECT_EQ(expected, 133);

  records.EmptyRecords();
  EXPECT_FALSE(records.HasSpillFile());
  EXPECT_FALSE(std::filesystem::exists(spillName));
  EXPECT_EQ(memory.BytesInUse(), 0);
  EXPECT_EQ(Insert(records, 0).RecordNo, 0);
}

TEST(TemporaryRecords, NavigationAndRecordNumbers) {
  TKestrelMemoryManager memory;
  TKestrelTemporaryRecordManager records(sizeof(Record), memory, 2);
  TKestrelRecordRequest empty{D::kNext, {}, nullptr, true, false};
  EXPECT_EQ(records.GetRecord(empty), R::kEndOfTable);
  for (int32_t i = 0; i < 4; ++i) {
    Insert(records, i);
  }
  const struct {
    D direction;
    int32_t from;
    bool atBeginning;
    bool atEnd;
    R result;
    int32_t found;
  } cases[] = {
      {D::kNext, 0, true, false, R::kFound, 0},
      {D::kPrior, 0, true, false, R::kBeginningOfTable, -1},
      {D::kPrior, 0, false, true, R::kFound, 3},
      {D::kNext, 0, false, true, R::kEndOfTable, -1},
      {D::kNext, 3, false, false, R::kEndOfTable, -1},
      {D::kPrior, 0, false, false, R::kBeginningOfTable, -1},
      {D::kNext, 1, false, false, R::kFound, 2},
      {D::kExact, 4, false, false, R::kNotFound, -1},
  };
  for (const auto& c : cases) {
    TKestrelRecordRequest request{c.direction, {c.from, 0}, nullptr, c.atBeginning, c.atEnd};
    EXPECT_EQ(records.GetRecord(request), c.result) << c.from;
    if (c.result == R::kFound) {
      EXPECT_EQ(request.RecordID.RecordNo, c.found);
    }
  }
  EXPECT_TRUE(records.RecordExists({3, 0}));
  EXPECT_FALSE(records.RecordExists({4, 0}));
  TKestrelRecordID id;
  ASSERT_TRUE(records.RecNoToRecordID(4, id));
  EXPECT_EQ(id.RecordNo, 3);
  EXPECT_FALSE(records.RecNoToRecordID(5, id));
  EXPECT_FALSE(records.UpdateRecord(nullptr, {0, 0}));
  EXPECT_FALSE(records.DeleteRecord({0, 0}));
}

// A spill stream that takes only `limit` bytes.
class ShortStream : public TKestrelMemoryStream {
 public:
  explicit ShortStream(int32_t limit) : limit_(limit) {}
  int32_t Write(const void* buffer, int32_t count) override {
    const int32_t n = std::min(count, std::max(0, limit_ - static_cast<int32_t>(Position())));
    return TKestrelMemoryStream::Write(buffer, n);
  }

 private:
  int32_t limit_;
};

TEST(TemporaryRecords, AShortSpillWriteIsAnError) {
  TKestrelMemoryManager memory;
  TKestrelTemporaryRecordManager records(sizeof(Record), memory, 0,
                                         [] { return std::make_unique<ShortStream>(20); });
  for (int32_t i = 0; i < 10; ++i) {
    Insert(records, i);
  }
  Record record{};
  TKestrelRecordRequest request{
      D::kExact, {0, 0}, reinterpret_cast<uint8_t*>(&record), false, false};
  try {
    records.GetRecord(request);
    FAIL();
  } catch (const EKestrelException& e) {
    EXPECT_EQ(e.Text(), "Error writing to stream");
  }
}

TEST(TemporaryRecords, DefaultThresholdFollowsAvailableMemory) {
  TKestrelMemoryManager memory;
  memory.SetLimit(80000);
  TKestrelTemporaryRecordManager records(8, memory);
  EXPECT_EQ(records.Threshold(), 1000);  // 80000 / 10 / 8
}

TEST(TemporaryTables, AppendOnly) {
  TKestrelMemoryManager memory;
  TKestrelTemporaryDatabaseData database(memory);
  EXPECT_EQ(database.Name(), "TEMP");
  TKestrelTableData& table = database.CreateTableData("R", 0);
  TKestrelFieldDefs fields;
  fields.AddField("A", TKestrelDataType::kInteger);
  table.CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());
  std::vector<uint8_t> buffer(static_cast<std::size_t>(table.RecordSize()));
  table.InitRecord(buffer.data(), true, true);
  TKestrelRecordID id;
  ASSERT_TRUE(table.InsertRecord(buffer.data(), id, 1));
  ASSERT_TRUE(table.InsertRecord(buffer.data(), id, 1));
  EXPECT_EQ(id.RecordNo, 1);
  EXPECT_FALSE(table.UpdateRecord(buffer.data(), id, 1));
  EXPECT_FALSE(table.DeleteRecord(id, 1));
  EXPECT_EQ(table.GetRecordCount(), 2);
}

}  // namespace
}  // namespace kestrel
