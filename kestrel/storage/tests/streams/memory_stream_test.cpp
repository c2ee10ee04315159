// The base stream's seeking and block copy, and the memory stream on the
// engine allocator: bounds at negative positions and past the end, gaps,
// size changes, and handing blocks in and out.

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "kestrel/storage/streams/kestrel_stream.h"
#include "kestrel/storage/tests/support/fault_stream.h"
#include "kestrel/storage/tests/support/kestrel_error.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;
using test_support::ExpectKestrelError;
using test_support::FaultStream;

Bytes Sequence(std::size_t n) {
  Bytes bytes(n);
  std::iota(bytes.begin(), bytes.end(), uint8_t{0});
  return bytes;
}

TEST(MemoryStream, NegativePositionsMoveNothing) {
  TKestrelMemoryStream stream(Bytes{1, 2, 3, 4});
  uint8_t out[4] = {9, 9, 9, 9};
  for (int64_t position : {int64_t{-1}, int64_t{-4}, int64_t{-1000000}}) {
    stream.SetPosition(position);
    EXPECT_EQ(stream.Read(out, 4), 0) << position;
    EXPECT_EQ(stream.Write(out, 4), 0) << position;
    EXPECT_EQ(stream.Position(), position);
  }
  EXPECT_EQ(stream.Bytes(), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(out[0], 9);
}

TEST(MemoryStream, ReadsStopAtTheEndAndWritesPastItFillTheGapWithZeros) {
  TKestrelMemoryStream stream(Bytes{1, 2, 3});
  uint8_t out[8] = {};
  stream.SetPosition(1);
  EXPECT_EQ(stream.Read(out, 8), 2);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(stream.Read(out, 8), 0);
  stream.SetPosition(10);
  EXPECT_EQ(stream.Read(out, 1), 0);
  const uint8_t seven = 7;
  EXPECT_EQ(stream.Write(&seven, 1), 1);
  EXPECT_EQ(stream.Bytes(), (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 7}));
  EXPECT_EQ(stream.Position(), 11);
}

TEST(MemoryStream, SeekOriginsAndUnboundedPositions) {
  TKestrelMemoryStream stream(Sequence(10));
  EXPECT_EQ(stream.Seek(3, TKestrelSeekOrigin::Beginning), 3);
  EXPECT_EQ(stream.Seek(4, TKestrelSeekOrigin::Current), 7);
  EXPECT_EQ(stream.Seek(-2, TKestrelSeekOrigin::End), 8);
  EXPECT_EQ(stream.Seek(-20, TKestrelSeekOrigin::Current), -12);
  EXPECT_EQ(stream.Seek(5, TKestrelSeekOrigin::End), 15);
  // Offsets that would overflow are held at the range's end.
  EXPECT_EQ(stream.Seek(INT64_MAX, TKestrelSeekOrigin::Current), INT64_MAX);
}

TEST(MemoryStream, SetSizeCutsAndZeroExtendsAndKeepsThePosition) {
  TKestrelMemoryStream stream(Sequence(6));
  stream.SetPosition(5);
  stream.SetSize(3);
  EXPECT_EQ(stream.Bytes(), (Bytes{0, 1, 2}));
  EXPECT_EQ(stream.Position(), 5);
  stream.SetSize(5);
  EXPECT_EQ(stream.Bytes(), (Bytes{0, 1, 2, 0, 0}));
  ExpectKestrelError([&] { stream.SetSize(-1); }, "Invalid stream size = 5. Should be = -1", 10602);
  ExpectKestrelError([&] { stream.SetSize(TKestrelMemoryStream::kMaxSize + 1); },
                     "Invalid stream size = 5. Should be = 2147483648", 10602);
}

TEST(MemoryStream, LivesOnItsAllocatorAndHandsOverAnExactBlock) {
  TKestrelMemoryManager memory;
  {
    TKestrelMemoryStream stream(memory);
    const Bytes data = Sequence(1000);
    for (int i = 0; i < 10; ++i) {
      ASSERT_EQ(stream.Write(data.data(), 100), 100);
    }
    EXPECT_EQ(stream.Size(), 100 * 10);
    EXPECT_GE(memory.BytesInUse(), 1000);
    void* block = stream.Release();
    EXPECT_EQ(memory.AllocatedSize(block), 1000);
    EXPECT_EQ(stream.Size(), 0);

    TKestrelMemoryStream adopted = TKestrelMemoryStream::Adopt(block, memory);
    EXPECT_EQ(adopted.Size(), 1000);
    uint8_t out[3] = {};
    adopted.SetPosition(101);
    ASSERT_EQ(adopted.Read(out, 3), 3);
    EXPECT_EQ(out[0], 1);
    TKestrelMemoryStream moved = std::move(adopted);
    EXPECT_EQ(moved.Size(), 1000);
    EXPECT_EQ(adopted.Size(), 0);  // NOLINT: the moved-from state is defined
  }
  EXPECT_EQ(memory.BytesInUse(), 0);
  EXPECT_EQ(memory.BlockCount(), 0);
}

TEST(MemoryStream, TheCopyOfItsBytesStaysUntilTheStreamChanges) {
  TKestrelMemoryStream stream(Sequence(40));
  const std::vector<uint8_t> head(stream.Bytes().begin(), stream.Bytes().begin() + 3);
  EXPECT_EQ(head, (Bytes{0, 1, 2}));
  const uint8_t* first = stream.Bytes().data();
  EXPECT_EQ(stream.Bytes().data(), first);
  stream.SetPosition(0);
  const uint8_t nine = 9;
  stream.Write(&nine, 1);
  EXPECT_EQ(stream.Bytes()[0], 9);
  stream.SetSize(2);
  EXPECT_EQ(stream.Bytes(), (Bytes{9, 1}));
}

TEST(MemoryStream, TheAllocatorLimitStopsAWrite) {
  TKestrelMemoryManager memory;
  memory.SetLimit(4096);
  TKestrelMemoryStream stream(memory);
  const Bytes data(8192, 1);
  ExpectKestrelError([&] { stream.Write(data.data(), 8192); },
                     "Memory limit exceeded (Limit = 4096 bytes)", 30004);
  EXPECT_EQ(stream.Size(), 0);
}

TEST(StreamCopy, CopiesInBlocksFromThePosition) {
  TKestrelMemoryStream source(Sequence(250));
  TKestrelMemoryStream target;
  target.SetCopyBlockSize(64);
  source.SetPosition(10);
  EXPECT_EQ(target.CopyFrom(source, 200), 200);
  const Bytes all = Sequence(250);
  EXPECT_EQ(target.Bytes(), Bytes(all.begin() + 10, all.begin() + 210));
  EXPECT_EQ(source.Position(), 210);
  EXPECT_EQ(target.CopyFrom(source, 0), 0);
  target.SetCopyBlockSize(0);
  EXPECT_EQ(target.CopyBlockSize(), TKestrelStream::kDefaultCopyBlockSize);
}

TEST(StreamCopy, ShortReadsAndWritesRaiseTheirMessages) {
  FaultStream source(Sequence(100));
  source.ShortReadsOf(30);
  TKestrelMemoryStream target;
  target.SetCopyBlockSize(40);
  ExpectKestrelError(
      [&] { target.CopyFrom(source, 100); },
      "Cannot read from stream. Position = 0, Stream size = 100, Block size = 40, Bytes Read = 30",
      10600);

  TKestrelMemoryStream full(Sequence(100));
  FaultStream sink;
  sink.SetCopyBlockSize(40);
  sink.FailWritesAfter(50);
  ExpectKestrelError([&] { sink.CopyFrom(full, 100); },
                     "Cannot write to stream. Position = 40, Stream size = 50, Block size = 40, "
                     "Bytes Write = 10",
                     10601);
  EXPECT_EQ(sink.Size(), 50);  // the pieces before stay copied
}

// A stream that leaves its size alone refuses SetSize.
class FixedStream : public TKestrelStream {
 public:
  int32_t Read(void*, int32_t) override { return 0; }
  int32_t Write(const void*, int32_t) override { return 0; }
  int64_t Position() const override { return 0; }
  void SetPosition(int64_t) override {}
  int64_t Size() const override { return 12; }
};

TEST(StreamCopy, AStreamOfFixedSizeRefusesSetSize) {
  FixedStream stream;
  ExpectKestrelError([&] { stream.SetSize(3); }, "Invalid stream size = 12. Should be = 3", 10602);
}

}  // namespace
}  // namespace kestrel
