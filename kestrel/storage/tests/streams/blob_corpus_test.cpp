// Damaged stored values by corpus: every single-byte change and every
// truncation of a small compressed value, and damaged block counts, must
// give an error or the value's data, never a crash or other data. Run it
// under the sanitizer build.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/streams/compressed_blob_stream.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

struct Stored {
  Bytes bytes;
  TKestrelBlobDescriptor descriptor;
};

// 150 bytes in blocks of 64: two full blocks and a short one.
Stored SmallValue(uint8_t algorithm, uint8_t level, const Bytes& value) {
  TKestrelMemoryStream stored;
  TKestrelBlobDescriptor descriptor;
  descriptor.BlockSize = 64;
  descriptor.CompressionAlgorithm = algorithm;
  descriptor.CompressionMode = level;
  TKestrelCompressedBLOBStream stream(stored, false, true, descriptor);
  WriteStreamBuffer(stream, value.data(), static_cast<int32_t>(value.size()), 1);
  return {stored.Bytes(), stream.Descriptor()};
}

Bytes Value() {
  Bytes value;
  for (int i = 0; i < 150; ++i) {
    value.push_back(static_cast<uint8_t>("kestrel blob value "[i % 19] + i / 19));
  }
  return value;
}

// Opens and reads the whole value in two pieces; nullopt when an engine
// error stops it.
std::optional<Bytes> OpenAndRead(const Bytes& bytes, const TKestrelBlobDescriptor& descriptor,
                                 bool repair) {
  try {
    TKestrelMemoryStream stored(bytes);
    TKestrelCompressedBLOBStream stream(stored, repair, false, descriptor);
    Bytes out(static_cast<std::size_t>(std::max<int64_t>(0, stream.Size())));
    const auto half = static_cast<int32_t>(out.size() / 2);
    int32_t got = stream.Read(out.data(), half);
    got += stream.Read(out.data() + got, static_cast<int32_t>(out.size()) - got);
    out.resize(static_cast<std::size_t>(got));
    return out;
  } catch (const EKestrelException&) {
    return std::nullopt;
  }
}

class BlobCorpus : public ::testing::TestWithParam<uint8_t> {};

TEST_P(BlobCorpus, EverySingleByteChangeGivesAnErrorOrTheValue) {
  const Bytes value = Value();
  const Stored stored = SmallValue(GetParam(), GetParam() == 1 ? 6 : 1, value);
  ASSERT_EQ(OpenAndRead(stored.bytes, stored.descriptor, false), value);
  int errors = 0;
  for (std::size_t at = 0; at < stored.bytes.size(); ++at) {
    for (int change = 1; change < 256; ++change) {
      Bytes damaged = stored.bytes;
      damaged[at] = static_cast<uint8_t>(damaged[at] ^ change);
      for (bool repair : {false, true}) {
        const std::optional<Bytes> read = OpenAndRead(damaged, stored.descriptor, repair);
        if (!read) {
          ++errors;
          continue;
        }
        // What comes back is the value, or with repair a prefix of it.
        ASSERT_LE(read->size(), value.size()) << at << " ^ " << change;
        ASSERT_TRUE(std::equal(read->begin(), read->end(), value.begin())) << at << " ^ " << change;
        if (!repair) {
          ASSERT_EQ(read->size(), value.size()) << at << " ^ " << change;
        }
      }
    }
  }
  EXPECT_GT(errors, 0);
}

TEST_P(BlobCorpus, EveryTruncationGivesAnErrorOrAPrefix) {
  const Bytes value = Value();
  const Stored stored = SmallValue(GetParam(), GetParam() == 1 ? 6 : 1, value);
  for (std::size_t keep = 0; keep < stored.bytes.size(); ++keep) {
    const Bytes cut(stored.bytes.begin(), stored.bytes.begin() + static_cast<std::ptrdiff_t>(keep));
    EXPECT_FALSE(OpenAndRead(cut, stored.descriptor, false).has_value()) << keep;
    const std::optional<Bytes> repaired = OpenAndRead(cut, stored.descriptor, true);
    ASSERT_TRUE(repaired.has_value()) << keep;
    EXPECT_EQ(repaired->size() % 64, 0u) << keep;  // whole blocks only
    EXPECT_TRUE(std::equal(repaired->begin(), repaired->end(), value.begin())) << keep;
  }
}

TEST_P(BlobCorpus, DamagedBlockCountsGiveAnErrorOrAPrefix) {
  const Bytes value = Value();
  const Stored stored = SmallValue(GetParam(), GetParam() == 1 ? 6 : 1, value);
  for (int64_t count : {int64_t{0}, int64_t{1}, int64_t{2}, int64_t{4}, int64_t{1000},
                        int64_t{INT32_MAX}, int64_t{-1}, INT64_MIN}) {
    TKestrelBlobDescriptor descriptor = stored.descriptor;
    descriptor.BlockCount = count;
    for (bool repair : {false, true}) {
      const std::optional<Bytes> read = OpenAndRead(stored.bytes, descriptor, repair);
      if (read) {
        EXPECT_TRUE(std::equal(read->begin(), read->end(), value.begin())) << count;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Algorithms, BlobCorpus, ::testing::Values(uint8_t{1}, uint8_t{2}),
                         [](const auto& param) { return param.param == 1 ? "zlib" : "bzip2"; });

}  // namespace
}  // namespace kestrel
