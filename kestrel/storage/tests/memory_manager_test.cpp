// The engine allocator: block markers, counters, limit and resizing.

#include "kestrel/storage/memory_manager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/tests/kestrel_test_util.h"

namespace kestrel {
namespace {

using test::ExpectKestrelError;

TEST(MemoryManager, BlocksCarryHeaderAndTrailer) {
  TKestrelMemoryManager memory;
  auto* data = static_cast<uint8_t*>(memory.Allocate(5));
  const uint8_t* header = data - TKestrelMemoryManager::kHeaderSize;
  int32_t size = 0;
  uint32_t marker = 0;
  uint32_t trailer = 0;
  std::memcpy(&size, header, 4);
  std::memcpy(&marker, header + 5, 4);
  std::memcpy(&trailer, data + 5, 4);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(marker, 0xACCACCACu);
  EXPECT_EQ(trailer, 0xACCEACCEu);
  EXPECT_EQ(memory.AllocatedSize(data), 5);
  EXPECT_EQ(memory.AllocatedSize(nullptr), 0);
  memory.Free(data);
  EXPECT_EQ(data, nullptr);
}

TEST(MemoryManager, CountersAndPeak) {
  TKestrelMemoryManager memory;
  void* a = memory.Allocate(100);
  void* b = memory.AllocateZeroed(50);
  EXPECT_EQ(memory.BytesInUse(), 150);
  memory.Free(a);
  void* c = memory.Allocate(10);
  EXPECT_EQ(memory.BytesInUse(), 60);
  EXPECT_EQ(memory.PeakBytes(), 150);
  memory.Free(b);
  memory.Free(c);
  EXPECT_EQ(memory.BytesInUse(), 0);
  EXPECT_EQ(memory.BlockCount(), 0);
}

TEST(MemoryManager, OverrunIsReportedAfterTheBlockIsReturned) {
  TKestrelMemoryManager memory;
  auto* data = static_cast<uint8_t*>(memory.Allocate(8));
  data[8] = 0;  // one byte past the end: the trailing marker
  void* address = data;
  ExpectKestrelError([&] { memory.Free(address); }, "Memory overrun detected", 30137);
  EXPECT_EQ(address, nullptr);
  EXPECT_EQ(memory.BytesInUse(), 0);
}

TEST(MemoryManager, ResizeChecksTheTrailingMarkerFirst) {
  TKestrelMemoryManager memory;
  auto* data = static_cast<uint8_t*>(memory.Allocate(8));
  data[8] = 0;  // the trailing marker
  void* address = data;
  ExpectKestrelError([&] { memory.Resize(address, 64, true); }, "Memory overrun detected", 30137);
  // The block was not moved: Free still finds it, returns it and reports it.
  EXPECT_EQ(address, data);
  EXPECT_EQ(memory.BytesInUse(), 8);
  ExpectKestrelError([&] { memory.Free(address); }, "Memory overrun detected", 30137);
  EXPECT_EQ(memory.BlockCount(), 0);
}

TEST(MemoryManager, DoubleAndForeignFreesAreRefused) {
  TKestrelMemoryManager memory;
  void* data = memory.Allocate(4);
  void* copy = data;
  memory.Free(data);
  ExpectKestrelError([&] { memory.Free(copy); }, "Invalid pointer", 30001);
  int local = 0;
  void* foreign = &local;
  ExpectKestrelError([&] { memory.Free(foreign); }, "Invalid pointer", 30001);
  ExpectKestrelError([&] { memory.Resize(foreign, 8, false); }, "Invalid pointer", 30002);
  ExpectKestrelError([&] { (void)memory.AllocatedSize(foreign); }, "Invalid pointer", 30005);
}

TEST(MemoryManager, ZeroBytesAndTheLimit) {
  TKestrelMemoryManager memory;
  ExpectKestrelError([&] { memory.Allocate(0); }, "Cannot alocate 0 bytes", 30286);
  memory.SetLimit(100);
  void* a = memory.Allocate(60);
  ExpectKestrelError([&] { memory.Allocate(41); }, "Memory limit exceeded (Limit = 100 bytes)",
                     30004);
  void* b = memory.Allocate(40);
  EXPECT_EQ(memory.AvailableMemory(), 100);
  ExpectKestrelError([&] { memory.Resize(b, 41, false); },
                     "Memory limit exceeded (Limit = 100 bytes)", 30004);
  EXPECT_EQ(memory.AllocatedSize(b), 40);
  memory.Resize(b, 30, false);
  EXPECT_EQ(memory.BytesInUse(), 90);
  memory.Free(a);
  memory.Free(b);
}

TEST(MemoryManager, ResizeKeepsTheCommonPartAndZeroesTheGrowth) {
  TKestrelMemoryManager memory;
  void* block = memory.Allocate(4);
  std::memcpy(block, "abcd", 4);
  memory.Resize(block, 8, true);
  EXPECT_EQ(memory.AllocatedSize(block), 8);
  EXPECT_EQ(std::memcmp(block, "abcd\0\0\0\0", 8), 0);
  memory.Resize(block, 2, false);
  EXPECT_EQ(std::memcmp(block, "ab", 2), 0);
  EXPECT_EQ(memory.BytesInUse(), 2);
  memory.Resize(block, 0, false);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(memory.BytesInUse(), 0);
}

TEST(MemoryManager, AvailableMemoryComesFromTheSystem) {
  TKestrelMemoryManager memory;
  EXPECT_GT(memory.AvailableMemory(), 0);
  memory.SetLimit(int64_t{1} << 62);
  EXPECT_LT(memory.AvailableMemory(), int64_t{1} << 62);
}

}  // namespace
}  // namespace kestrel
