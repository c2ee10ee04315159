// File streams by name and mode, their buffering against the file's real
// contents, failures that surface late, and temporary files; the temporary
// stream's move from memory to a file.

#include "kestrel/storage/streams/file_stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "kestrel/storage/streams/temporary_stream.h"
#include "kestrel/storage/tests/support/kestrel_error.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;
using test_support::ExpectKestrelError;

Bytes Sequence(std::size_t n) {
  Bytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) {
    bytes[i] = static_cast<uint8_t>(i * 7 + i / 256);
  }
  return bytes;
}

Bytes FileContents(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("kestrel_file_stream_" + std::to_string(getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::string Name(const char* leaf) const { return (directory_ / leaf).string(); }

  std::filesystem::path directory_;
};

TEST_F(FileStreamTest, CreateTruncatesAndOpenModesChooseTheAccess) {
  const std::string name = Name("t.smt");
  {
    TKestrelFileStream stream(name, TKestrelFileStream::kModeCreate);
    WriteStreamBuffer(stream, "abcdef", 6, 1);
    EXPECT_EQ(stream.CopyBlockSize(), 102400);
  }
  EXPECT_EQ(FileContents(name), (Bytes{'a', 'b', 'c', 'd', 'e', 'f'}));
  {
    TKestrelFileStream reader(name, TKestrelFileStream::kModeRead | 0x20);
    char out[6] = {};
    EXPECT_EQ(reader.Size(), 6);
    EXPECT_EQ(reader.Read(out, 6), 6);
    EXPECT_EQ(reader.Write("x", 1), 0);  // read-only access writes nothing
  }
  {
    TKestrelFileStream writer(name, TKestrelFileStream::kModeReadWrite);
    writer.SetPosition(2);
    WriteStreamBuffer(writer, "ZZ", 2, 1);
  }
  EXPECT_EQ(FileContents(name), (Bytes{'a', 'b', 'Z', 'Z', 'e', 'f'}));
  { TKestrelFileStream again(name, TKestrelFileStream::kModeCreate); }
  EXPECT_TRUE(FileContents(name).empty());
}

TEST_F(FileStreamTest, OpenAndCreateFailuresNameTheFile) {
  const std::string missing = Name("missing.smt");
  ExpectKestrelError([&] { TKestrelFileStream stream(missing, TKestrelFileStream::kModeRead); },
                     "Cannot open file. FileName = " + missing + ", Mode = 0", 10105);
  ExpectKestrelError([&] { TKestrelFileStream stream(Name("t"), 3); },
                     "Cannot open file. FileName = " + Name("t") + ", Mode = 3", 10105);
  const std::string nowhere = Name("no/such/dir.smt");
  ExpectKestrelError([&] { TKestrelFileStream stream(nowhere, TKestrelFileStream::kModeCreate); },
                     "Cannot create file. FileName = " + nowhere, 10104);
}

TEST_F(FileStreamTest, BufferedReadsAndWritesMatchTheFile) {
  const std::string name = Name("mixed.bin");
  const Bytes data = Sequence(300000);
  TKestrelFileStream stream(name, TKestrelFileStream::kModeCreate);
  // Small adjacent writes, a large one, and a write back inside them.
  std::size_t at = 0;
  for (int32_t piece : {1, 7, 100, 4000, 70000, 3, 125889}) {
    WriteStreamBuffer(stream, data.data() + at, piece, 1);
    at += static_cast<std::size_t>(piece);
  }
  WriteStreamBuffer(stream, data.data() + at, static_cast<int32_t>(data.size() - at), 1);
  EXPECT_EQ(stream.Size(), 300000);
  stream.SetPosition(10);
  WriteStreamBuffer(stream, "\xFF\xFF", 2, 1);
  Bytes expected = data;
  expected[10] = expected[11] = 0xFF;
  // Reads of every size see the buffered bytes.
  stream.SetPosition(0);
  Bytes read(expected.size());
  at = 0;
  for (int32_t piece : {5, 65536, 1, 100000, 9}) {
    ReadStreamBuffer(stream, read.data() + at, piece, 1);
    at += static_cast<std::size_t>(piece);
  }
  ReadStreamBuffer(stream, read.data() + at, static_cast<int32_t>(read.size() - at), 1);
  EXPECT_EQ(read, expected);
  uint8_t extra = 0;
  EXPECT_EQ(stream.Read(&extra, 1), 0);
  stream.Flush();
  EXPECT_EQ(FileContents(name), expected);

  // A write beyond the end leaves a zero gap; SetSize cuts.
  stream.SetPosition(300010);
  WriteStreamBuffer(stream, "e", 1, 1);
  stream.SetSize(300005);
  EXPECT_EQ(stream.Size(), 300005);
  stream.SetPosition(299999);
  uint8_t tail[6] = {};
  ReadStreamBuffer(stream, tail, 6, 1);
  EXPECT_EQ(tail[0], expected[299999]);
  EXPECT_EQ(tail[5], 0);
}

TEST_F(FileStreamTest, AFileThatRefusesBytesFailsTheFlush) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full here";
  }
  TKestrelFileStream stream("/dev/full", TKestrelFileStream::kModeWrite);
  EXPECT_EQ(stream.Write("abc", 3), 3);  // buffered
  ExpectKestrelError([&] { stream.Flush(); }, "Error writing to stream", 10603);
  const Bytes big(TKestrelFileStream::kBufferSize, 1);
  EXPECT_EQ(stream.Write(big.data(), static_cast<int32_t>(big.size())), 0);
}

TEST_F(FileStreamTest, TemporaryFilesAreUniqueAndRemoved) {
  std::string first;
  {
    auto a = TKestrelFileStream::CreateTemporary();
    auto b = TKestrelFileStream::CreateTemporary();
    first = a->FileName();
    EXPECT_NE(first, b->FileName());
    EXPECT_EQ(std::filesystem::path(first).filename().string().rfind("Kestrel", 0), 0u);
    WriteStreamBuffer(*a, "xyz", 3, 1);
    a->Flush();
    EXPECT_EQ(FileContents(first), (Bytes{'x', 'y', 'z'}));
  }
  EXPECT_FALSE(std::filesystem::exists(first));
}

TEST(TemporaryStream, StaysInMemoryUpToOneMebibyteThenMovesToAFile) {
  TKestrelMemoryManager memory;
  std::string fileName;
  {
    TKestrelTemporaryStream stream(memory);
    EXPECT_EQ(stream.CopyBlockSize(), 102400);
    const Bytes data = Sequence(TKestrelTemporaryStream::kMemoryLimit + 10);
    WriteStreamBuffer(stream, data.data(), 1048000, 1);
    WriteStreamBuffer(stream, data.data() + 1048000, 576, 1);  // ends exactly at 1 MiB
    EXPECT_FALSE(stream.InFile());
    EXPECT_GT(memory.BytesInUse(), 1048000);
    stream.SetPosition(1000);
    // Size plus the write's bytes passes the limit, even inside the stream.
    WriteStreamBuffer(stream, data.data() + 1000, 10, 1);
    ASSERT_TRUE(stream.InFile());
    fileName = stream.FileName();
    EXPECT_EQ(memory.BytesInUse(), 0);
    EXPECT_EQ(stream.Position(), 1010);
    stream.SetPosition(stream.Size());
    WriteStreamBuffer(stream, data.data() + 1048576, 10, 1);
    Bytes read(data.size());
    stream.SetPosition(0);
    ReadStreamBuffer(stream, read.data(), static_cast<int32_t>(read.size()), 1);
    EXPECT_EQ(read, data);
    EXPECT_TRUE(std::filesystem::exists(fileName));
  }
  EXPECT_FALSE(std::filesystem::exists(fileName));
}

TEST(TemporaryStream, GrowingItsSizePastTheLimitMovesItToo) {
  TKestrelTemporaryStream stream;
  WriteStreamBuffer(stream, "abc", 3, 1);
  stream.SetSize(2 * TKestrelTemporaryStream::kMemoryLimit);
  EXPECT_TRUE(stream.InFile());
  EXPECT_EQ(stream.Size(), 2 * TKestrelTemporaryStream::kMemoryLimit);
  stream.SetPosition(0);
  char out[4] = {};
  ReadStreamBuffer(stream, out, 4, 1);
  EXPECT_EQ(std::string(out, 4), std::string("abc\0", 4));
}

}  // namespace
}  // namespace kestrel
