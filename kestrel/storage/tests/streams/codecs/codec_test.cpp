// The zlib and bzip2 codecs: round trips at several levels, the stream
// formats they write, their level checks, damaged and truncated inputs, and
// the algorithm table behind CompressBuffer/DecompressBuffer.

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "kestrel/storage/streams/codecs/bzip2_codec.h"
#include "kestrel/storage/streams/codecs/compression.h"
#include "kestrel/storage/streams/codecs/zlib_codec.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;
using A = TKestrelCompressionAlgorithm;

Bytes RandomBytes(std::size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(n);
  for (uint8_t& b : bytes) {
    b = static_cast<uint8_t>(random());
  }
  return bytes;
}

// Words from a small vocabulary with a skewed choice: compresses like text.
Bytes TextLike(std::size_t n, uint32_t seed) {
  static const char* const kWords[] = {"the",    "value",  "block", "of",      "table",
                                       "record", "stream", "index", "kestrel", "and",
                                       "a",      "to",     "BLOB",  "select",  "where"};
  std::mt19937 random(seed);
  std::geometric_distribution<int> pick(0.25);
  Bytes bytes;
  bytes.reserve(n + 16);
  while (bytes.size() < n) {
    const std::string word = kWords[std::min(pick(random), 14)];
    bytes.insert(bytes.end(), word.begin(), word.end());
    bytes.push_back(random() % 9 == 0 ? '\n' : ' ');
  }
  bytes.resize(n);
  return bytes;
}

struct Input {
  const char* name;
  Bytes bytes;
};

const std::vector<Input>& Inputs() {
  static const std::vector<Input> inputs = {
      {"empty", {}},
      {"one byte", {'x'}},
      {"abc", {'a', 'b', 'c'}},
      {"incompressible 100 KiB", RandomBytes(100 * 1024, 1)},
      {"text 300 KiB", TextLike(300 * 1024, 2)},
      {"zeros 1 MiB", Bytes(1 << 20, 0)},
  };
  return inputs;
}

struct CodecLevel {
  A algorithm;
  int level;
};

void PrintTo(const CodecLevel& c, std::ostream* out) {
  *out << "algorithm " << static_cast<int>(c.algorithm) << ", level " << c.level;
}

class CodecRoundTrip : public ::testing::TestWithParam<CodecLevel> {};

TEST_P(CodecRoundTrip, EveryInputComesBackWithOrWithoutItsLength) {
  const TKestrelCodec* codec = FindCodec(GetParam().algorithm);
  ASSERT_NE(codec, nullptr);
  for (const Input& input : Inputs()) {
    SCOPED_TRACE(input.name);
    const auto compressed = codec->Compress(GetParam().level, input.bytes);
    ASSERT_TRUE(compressed.has_value());
    EXPECT_FALSE(compressed->empty());
    const auto exact = codec->Decompress(*compressed, static_cast<int64_t>(input.bytes.size()));
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(*exact, input.bytes);
    const auto unknown = codec->Decompress(*compressed, -1);
    ASSERT_TRUE(unknown.has_value());
    EXPECT_EQ(*unknown, input.bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, CodecRoundTrip,
                         ::testing::Values(CodecLevel{A::Zlib, 0}, CodecLevel{A::Zlib, 1},
                                           CodecLevel{A::Zlib, 6}, CodecLevel{A::Zlib, 9},
                                           CodecLevel{A::Bzip2, 1}, CodecLevel{A::Bzip2, 5},
                                           CodecLevel{A::Bzip2, 9}),
                         [](const auto& param) {
                           return std::string(param.param.algorithm == A::Zlib ? "zlib" : "bzip2") +
                                  "_level" + std::to_string(param.param.level);
                         });

TEST(Codecs, FiveMegabytesRoundTripThroughTheEntryPoints) {
  const Bytes text = TextLike(5 * 1024 * 1024, 3);
  // Two megabytes of text, then three of random bytes.
  Bytes mixed = RandomBytes(5 * 1024 * 1024, 4);
  std::copy(text.begin(), text.begin() + 2 * 1024 * 1024, mixed.begin());
  struct Case {
    CodecLevel codec;
    const Bytes* input;
  };
  for (const Case& c :
       {Case{{A::Zlib, 1}, &text}, Case{{A::Zlib, 1}, &mixed}, Case{{A::Zlib, 9}, &text},
        Case{{A::Zlib, 9}, &mixed}, Case{{A::Bzip2, 1}, &text}, Case{{A::Bzip2, 9}, &mixed}}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.codec.algorithm)) + "/" +
                 std::to_string(c.codec.level));
    const auto compressed = CompressBuffer(c.codec.algorithm, c.codec.level, *c.input);
    ASSERT_TRUE(compressed.has_value());
    EXPECT_LT(compressed->size(), c.input->size());
    const auto back =
        DecompressBuffer(c.codec.algorithm, *compressed, static_cast<int64_t>(c.input->size()));
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(*back == *c.input);
  }
}

TEST(Codecs, OutputsAreZlibAndBzip2Streams) {
  const Bytes input = TextLike(10000, 5);
  for (int level : {0, 1, 6, 9}) {
    const auto z = TKestrelZlibCodec().Compress(level, input);
    ASSERT_TRUE(z.has_value());
    // CMF 0x78: deflate with a 32 KiB window; the header check is a multiple of 31.
    EXPECT_EQ((*z)[0], 0x78);
    EXPECT_EQ(((*z)[0] * 256 + (*z)[1]) % 31, 0);
  }
  for (int level : {1, 4, 9}) {
    const auto b = TKestrelBzip2Codec().Compress(level, input);
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(std::string(b->begin(), b->begin() + 4), "BZh" + std::to_string(level));
  }
}

TEST(Codecs, LevelsOutsideTheLibrariesRangeFail) {
  const Bytes input(100, 'a');
  for (int level : {-1, 10, 255}) {
    EXPECT_FALSE(TKestrelZlibCodec().Compress(level, input).has_value()) << level;
  }
  for (int level : {0, -1, 10}) {
    EXPECT_FALSE(TKestrelBzip2Codec().Compress(level, input).has_value()) << level;
    EXPECT_FALSE(CompressBuffer(A::Bzip2, level, input).has_value()) << level;
  }
}

TEST(Codecs, DamagedTruncatedAndOverlongStreamsFail) {
  const Bytes input = TextLike(50000, 6);
  for (A algorithm : {A::Zlib, A::Bzip2}) {
    SCOPED_TRACE(static_cast<int>(algorithm));
    const Bytes stream = *CompressBuffer(algorithm, 6, input);
    const Bytes truncated(stream.begin(), stream.end() - 5);
    EXPECT_FALSE(DecompressBuffer(algorithm, truncated, 50000).has_value());
    EXPECT_FALSE(DecompressBuffer(algorithm, truncated, -1).has_value());
    Bytes garbage = stream;
    for (std::size_t i = 0; i < 8; ++i) {
      garbage[i] ^= 0x5A;
    }
    EXPECT_FALSE(DecompressBuffer(algorithm, garbage, 50000).has_value());
    // More output than expected is damage; less comes back for the caller to see.
    EXPECT_FALSE(DecompressBuffer(algorithm, stream, 49999).has_value());
    const auto longer = DecompressBuffer(algorithm, stream, 60000);
    ASSERT_TRUE(longer.has_value());
    EXPECT_EQ(longer->size(), 50000u);
    // Bytes after the end of the stream are not read.
    Bytes trailing = stream;
    trailing.insert(trailing.end(), {1, 2, 3});
    EXPECT_EQ(DecompressBuffer(algorithm, trailing, 50000), input);
  }
}

TEST(CompressBuffer, TheTableChoosesTheCodecAndRefusesWhatHasNone) {
  const auto table = CodecTable();
  ASSERT_GE(table.size(), 2u);
  EXPECT_EQ(table[0].Algorithm, A::Zlib);
  EXPECT_EQ(table[1].Algorithm, A::Bzip2);
  EXPECT_EQ(FindCodec(A::Zlib), table[0].Codec);
  EXPECT_EQ(FindCodec(A::None), nullptr);

  // An algorithm without a codec (0, unknown numbers, one not built in)
  // compresses and decompresses nothing.
  const Bytes input(1000, 'q');
  for (int number = 0; number < 256; ++number) {
    const auto algorithm = static_cast<A>(number);
    if (FindCodec(algorithm) != nullptr) {
      continue;
    }
    EXPECT_FALSE(CompressBuffer(algorithm, 5, input).has_value()) << number;
    EXPECT_FALSE(DecompressBuffer(algorithm, input, 1000).has_value()) << number;
  }
  // An empty input never compresses, and an empty output is a failure.
  EXPECT_FALSE(CompressBuffer(A::Zlib, 6, Bytes{}).has_value());
  const Bytes emptyStream = *TKestrelZlibCodec().Compress(6, Bytes{});
  EXPECT_TRUE(TKestrelZlibCodec().Decompress(emptyStream, 0)->empty());
  EXPECT_FALSE(DecompressBuffer(A::Zlib, emptyStream, 0).has_value());
}

}  // namespace
}  // namespace kestrel
