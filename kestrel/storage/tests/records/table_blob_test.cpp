// BLOB values of a table through streams: compressed and plain fields,
// open modes, read-only refusal, the block a stream is stored as, and the
// limits of a stored block (values too large are refused and leave the
// field as it was).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "kestrel/storage/records/database_data.h"
#include "kestrel/storage/records/table_data.h"
#include "kestrel/storage/tests/support/fault_stream.h"
#include "kestrel/storage/tests/support/kestrel_error.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;
using Mode = TKestrelBlobOpenMode;
using test_support::ExpectKestrelError;
using test_support::FaultStream;
using test_support::KestrelErrorCode;

Bytes Value(std::size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(n);
  for (uint8_t& b : bytes) {
    b = static_cast<uint8_t>(random() % 10 + '0');
  }
  return bytes;
}

Bytes ReadAll(TKestrelStream& stream) {
  Bytes bytes(static_cast<std::size_t>(stream.Size()));
  stream.SetPosition(0);
  ReadStreamBuffer(stream, bytes.data(), static_cast<int32_t>(bytes.size()), 1);
  return bytes;
}

// Table B: ID Integer, PACKED BLOB (zlib level 6, 4096-byte blocks), RAW
// BLOB (no compression).
class TableBlob : public ::testing::Test {
 protected:
  void SetUp() override {
    TKestrelFieldDefs fields;
    fields.AddField("ID", TKestrelDataType::kInteger);
    TKestrelFieldDef* packed = fields.AddField("PACKED", TKestrelDataType::kBlob);
    packed->BlobCompressionAlgorithm = 1;
    packed->BlobCompressionMode = 6;
    packed->BlobBlockSize = 4096;
    fields.AddField("RAW", TKestrelDataType::kMemo);
    fields.CalculateLayout();
    table_ = &database_.CreateTableData("B", 10);
    table_->CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());
    buffer_.resize(static_cast<std::size_t>(table_->RecordSize()));
    table_->InitRecord(buffer_.data(), true, true);
  }

  void Store(int fieldNo, const Bytes& value) {
    auto stream = table_->OpenBlobStream(buffer_.data(), fieldNo, Mode::Write);
    WriteStreamBuffer(*stream, value.data(), static_cast<int32_t>(value.size()), 1);
    table_->WriteBlob(buffer_.data(), fieldNo, *stream);
  }
  Bytes Load(int fieldNo) {
    return ReadAll(*table_->OpenBlobStream(buffer_.data(), fieldNo, Mode::Read));
  }

  static constexpr int kPacked = 1;
  static constexpr int kRaw = 2;
  TKestrelMemoryManager memory_;
  TKestrelMemoryDatabaseData database_{memory_};
  TKestrelTableData* table_ = nullptr;
  Bytes buffer_;
};

TEST_F(TableBlob, CompressedValuesAreStoredAsTheirBlocks) {
  const Bytes value = Value(10000, 1);
  Store(kPacked, value);
  EXPECT_FALSE(IsFieldNull(buffer_.data(), kPacked));
  const uint8_t* field = buffer_.data() + table_->FieldDefs().Items(kPacked)->DataOffset();
  EXPECT_EQ(field[6] | field[7] << 8, kBlobOwnedByBuffer);
  const TKestrelBlobValue stored = table_->OpenBlob(buffer_.data(), kPacked);
  EXPECT_EQ(stored.BlockCount, 3);  // 4096 + 4096 + 1808
  EXPECT_EQ(stored.ValueLength, 10000);
  EXPECT_LT(stored.StoredBytes.size(), 10000u);
  EXPECT_EQ(Load(kPacked), value);
}

TEST_F(TableBlob, PlainValuesAreStoredByteForByte) {
  const Bytes value = Value(3000, 2);
  const int64_t before = memory_.BytesInUse();
  Store(kRaw, value);
  // One block: a 12-byte header and the value.
  EXPECT_EQ(memory_.BytesInUse() - before, 12 + 3000);
  const TKestrelBlobValue stored = table_->OpenBlob(buffer_.data(), kRaw);
  EXPECT_EQ(stored.BlockCount, 0);
  EXPECT_EQ(stored.ValueLength, 3000);
  EXPECT_EQ(stored.StoredBytes, value);
  EXPECT_EQ(Load(kRaw), value);
}

TEST_F(TableBlob, OpenModesStartFromTheStoredValueOrFromNothing) {
  const Bytes value = Value(5000, 3);
  Store(kPacked, value);
  const Bytes more = Value(5000, 4);
  {
    auto stream = table_->OpenBlobStream(buffer_.data(), kPacked, Mode::ReadWrite);
    EXPECT_EQ(stream->Size(), 5000);
    EXPECT_FALSE(stream->Modified());
    stream->SetPosition(stream->Size());
    WriteStreamBuffer(*stream, more.data(), 5000, 1);
    EXPECT_TRUE(stream->Modified());
    table_->WriteBlob(buffer_.data(), kPacked, *stream);
  }
  Bytes both = value;
  both.insert(both.end(), more.begin(), more.end());
  EXPECT_EQ(Load(kPacked), both);
  EXPECT_EQ(table_->LiveBlobBlocks(), 1);  // the buffer's older block was freed

  auto fresh = table_->OpenBlobStream(buffer_.data(), kPacked, Mode::Write);
  EXPECT_EQ(fresh->Size(), 0);
  // An empty value makes the field NULL and frees the buffer's block.
  table_->WriteBlob(buffer_.data(), kPacked, *fresh);
  EXPECT_TRUE(IsFieldNull(buffer_.data(), kPacked));
  EXPECT_EQ(table_->LiveBlobBlocks(), 0);
  EXPECT_EQ(table_->OpenBlobStream(buffer_.data(), kPacked, Mode::Read)->Size(), 0);
}

TEST_F(TableBlob, AReadOnlyStreamRefusesChanges) {
  Store(kRaw, Value(100, 5));
  auto stream = table_->OpenBlobStream(buffer_.data(), kRaw, Mode::Read);
  EXPECT_TRUE(stream->ReadOnly());
  ExpectKestrelError([&] { stream->Write("x", 1); }, "Cannot write to read only stream", 10650);
  ExpectKestrelError([&] { stream->SetSize(0); }, "Cannot write to read only stream", 10651);
  EXPECT_FALSE(stream->Modified());
  EXPECT_EQ(Load(kRaw), Value(100, 5));
}

TEST_F(TableBlob, StoredValuesSurviveTheRecordAndLeaveNoMemoryBehind) {
  Store(kPacked, Value(20000, 6));
  Store(kRaw, Value(2000, 7));
  TKestrelRecordID id;
  ASSERT_TRUE(table_->InsertRecord(buffer_.data(), id, 1));
  Bytes again(buffer_.size());
  TKestrelRecordRequest request{TKestrelNavigation::kExact, id, again.data(), false, false};
  ASSERT_EQ(table_->RecordManager()->GetRecord(request), TKestrelNavigationResult::kFound);
  buffer_ = again;
  EXPECT_EQ(Load(kPacked), Value(20000, 6));
  EXPECT_EQ(Load(kRaw), Value(2000, 7));
  database_.DeleteTable(*table_, nullptr);
  EXPECT_EQ(memory_.BytesInUse(), 0);
}

TEST_F(TableBlob, AShortCopyOfTheStoredBytesKeepsTheOldValue) {
  Store(kRaw, Value(100, 8));
  const int64_t blocks = table_->LiveBlobBlocks();
  const int64_t bytes = memory_.BytesInUse();
  auto faulty = std::make_unique<FaultStream>();
  FaultStream* underlying = faulty.get();
  TKestrelBlobDescriptor descriptor;
  TKestrelLocalBLOBStream stream(std::move(faulty), false, true, descriptor, false);
  WriteStreamBuffer(stream, "abcdefghijklmnop", 16, 1);
  underlying->ShortReadsOf(5);
  ExpectKestrelError(
      [&] { table_->WriteBlob(buffer_.data(), kRaw, stream); },
      "Cannot read from stream. Position = 0, Stream size = 16, Block size = 16, Bytes Read = 5",
      10117);
  EXPECT_EQ(table_->LiveBlobBlocks(), blocks);
  EXPECT_EQ(memory_.BytesInUse(), bytes);
  EXPECT_EQ(Load(kRaw), Value(100, 8));
}

// A plain value of any claimed size whose bytes read as zeros.
class HugeStream : public TKestrelStream {
 public:
  explicit HugeStream(int64_t size) : size_(size) {}
  int32_t Read(void* buffer, int32_t count) override {
    const auto n = static_cast<int32_t>(std::clamp<int64_t>(size_ - position_, 0, count));
    std::memset(buffer, 0, static_cast<std::size_t>(n));
    position_ += n;
    return n;
  }
  int32_t Write(const void*, int32_t) override { return 0; }
  int64_t Position() const override { return position_; }
  void SetPosition(int64_t position) override { position_ = position; }
  int64_t Size() const override { return size_; }

 private:
  int64_t size_;
  int64_t position_ = 0;
};

TEST_F(TableBlob, AValueBeyondTheBlockLimitIsRefusedFromAStream) {
  Store(kRaw, Value(10, 9));
  const int64_t bytes = memory_.BytesInUse();
  TKestrelBlobDescriptor descriptor;
  descriptor.ValueLength = int64_t{3} << 30;
  TKestrelLocalBLOBStream stream(std::make_unique<HugeStream>(descriptor.ValueLength), false, false,
                                 descriptor, true);
  EXPECT_EQ(stream.Size(), int64_t{3} << 30);
  ExpectKestrelError([&] { table_->WriteBlob(buffer_.data(), kRaw, stream); },
                     "BLOB value too large. Stored size = 3221225472, Limit = 2147483635", 10652);
  EXPECT_EQ(memory_.BytesInUse(), bytes);
  EXPECT_EQ(Load(kRaw), Value(10, 9));
}

// The stored bytes of a block are sized in 32 bits: one byte past what
// fits used to wrap the size, and a value of 4 GiB and more to overrun the
// block. Needs 2 GiB of memory for the value itself.
TEST_F(TableBlob, AValueBeyondTheBlockLimitIsRefusedFromItsBytes) {
  Store(kRaw, Value(10, 10));
  TKestrelBlobValue value;
  value.ValueLength = 1;
  value.StoredBytes.resize(static_cast<std::size_t>(std::numeric_limits<int32_t>::max()) - 11);
  ExpectKestrelError([&] { table_->WriteBlob(buffer_.data(), kRaw, value); },
                     "BLOB value too large. Stored size = 2147483636, Limit = 2147483635", 10652);
  EXPECT_EQ(Load(kRaw), Value(10, 10));
  EXPECT_EQ(table_->LiveBlobBlocks(), 1);
}

TEST_F(TableBlob, CompressedValuesMayBeLongerThanABlockCanHold) {
  // 129 blocks of 16 MiB zeros are a value of over 2 GiB in a few
  // megabytes of stored blocks: the length is 64-bit and only the stored
  // bytes count against the block's limit. The blocks are alike, so one is
  // compressed and repeated.
  constexpr int32_t kBigBlock = 16 << 20;
  constexpr int64_t kBlocks = 129;
  TKestrelFieldDefs fields;
  TKestrelFieldDef* big = fields.AddField("BIG", TKestrelDataType::kBlob);
  big->BlobCompressionAlgorithm = 1;
  big->BlobCompressionMode = 1;
  big->BlobBlockSize = kBigBlock;
  fields.CalculateLayout();
  TKestrelTableData& table = database_.CreateTableData("HUGE", 10);
  table.CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());
  Bytes buffer(static_cast<std::size_t>(table.RecordSize()));
  table.InitRecord(buffer.data(), true, true);
  TKestrelBlobValue value;
  {
    auto one = table.OpenBlobStream(buffer.data(), 0, Mode::Write);
    one->SetSize(kBigBlock);
    ASSERT_EQ(one->Descriptor().BlockCount, 1);
    const Bytes block = ReadAll(one->Underlying());
    for (int64_t i = 0; i < kBlocks; ++i) {
      value.StoredBytes.insert(value.StoredBytes.end(), block.begin(), block.end());
    }
  }
  value.BlockCount = kBlocks;
  value.ValueLength = kBlocks * kBigBlock;
  table.WriteBlob(buffer.data(), 0, value);

  const auto reopened = table.OpenBlobStream(buffer.data(), 0, Mode::ReadWrite);
  EXPECT_EQ(reopened->Size(), kBlocks * kBigBlock);
  EXPECT_GT(reopened->Size(), std::numeric_limits<int32_t>::max());
  reopened->SetPosition(kBlocks * kBigBlock - 4);
  uint8_t tail[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(reopened->Read(tail, 8), 4);
  EXPECT_EQ(tail[3], 0);
  // Appending past 2 GiB and storing again.
  reopened->SetPosition(reopened->Size());
  WriteStreamBuffer(*reopened, "end", 3, 1);
  table.WriteBlob(buffer.data(), 0, *reopened);
  const auto last = table.OpenBlobStream(buffer.data(), 0, Mode::Read);
  EXPECT_EQ(last->Descriptor().BlockCount, kBlocks + 1);
  last->SetPosition(kBlocks * kBigBlock);
  char end[3] = {};
  ReadStreamBuffer(*last, end, 3, 1);
  EXPECT_EQ(std::string(end, 3), "end");
}

}  // namespace
}  // namespace kestrel
