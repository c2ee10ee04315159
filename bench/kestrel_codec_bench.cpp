// What Kestrel's codecs cost and save: every codec of the engine's table at
// its typical level on a 10 MB text-like input and a 10 MB random one,
// beside the gzip -6, bzip2 -9 and xz -6 command-line tools on the same
// files in the same run. Prints the compressed size as a share of the input,
// MB/s both ways (best of three runs), and for each codec the ratio of its
// time to its peer tool's (goal: 1.1 or less). Asserts nothing.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "kestrel/storage/streams/codecs/compression.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kInputSize = 10 * 1000 * 1000;
constexpr int kRuns = 3;

// The fastest of kRuns runs, in seconds.
double BestOf(const std::function<void()>& work) {
  double best = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

double MBPerSecond(std::size_t bytes, double seconds) {
  return seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0;
}

// English-like text: words drawn with a Zipf-like skew from a vocabulary of
// a few thousand made-up words, with capitals, punctuation and lines.
Bytes TextLike(std::size_t n) {
  std::mt19937 random(20261211);
  std::vector<std::string> vocabulary;
  const char* const kSyllables[] = {"ka",  "re", "sto", "ni", "ble", "mor", "tan", "de",
                                    "qui", "lo", "ver", "sa", "po",  "th",  "an",  "er"};
  for (int i = 0; i < 4000; ++i) {
    std::string word;
    const int syllables = 1 + static_cast<int>(random() % 4);
    for (int s = 0; s < syllables; ++s) {
      word += kSyllables[random() % 16];
    }
    vocabulary.push_back(word);
  }
  std::vector<double> weights(vocabulary.size());
  for (std::size_t i = 0; i < weights.size(); ++i) {
    weights[i] = 1.0 / static_cast<double>(i + 1);
  }
  std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
  Bytes text;
  text.reserve(n + 64);
  bool sentenceStart = true;
  int column = 0;
  while (text.size() < n) {
    std::string word = vocabulary[pick(random)];
    if (sentenceStart) {
      word[0] = static_cast<char>(word[0] - 'a' + 'A');
      sentenceStart = false;
    }
    const unsigned punctuation = random() % 20;
    if (punctuation == 0) {
      word += '.';
      sentenceStart = true;
    } else if (punctuation == 1) {
      word += ',';
    }
    text.insert(text.end(), word.begin(), word.end());
    column += static_cast<int>(word.size()) + 1;
    if (column > 72) {
      text.push_back('\n');
      column = 0;
    } else {
      text.push_back(' ');
    }
  }
  text.resize(n);
  return text;
}

Bytes RandomBytes(std::size_t n) {
  std::mt19937_64 random(7);
  Bytes bytes(n);
  for (std::size_t i = 0; i + 8 <= n; i += 8) {
    const uint64_t word = random();
    std::memcpy(bytes.data() + i, &word, 8);
  }
  return bytes;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

struct Figures {
  double ratio = 0;  // compressed size / input size, percent
  double compressSeconds = 0;
  double decompressSeconds = 0;
};

void Print(const std::string& what, const std::string& input, const Figures& f) {
  std::printf("%-16s %-7s %6.2f%%   compress %8.2f MB/s   decompress %8.2f MB/s\n", what.c_str(),
              input.c_str(), f.ratio, MBPerSecond(kInputSize, f.compressSeconds),
              MBPerSecond(kInputSize, f.decompressSeconds));
}

std::optional<Figures> MeasureCodec(const kestrel::TKestrelCodecEntry& codec, const Bytes& input) {
  std::optional<Bytes> compressed;
  Figures figures;
  figures.compressSeconds = BestOf(
      [&] { compressed = kestrel::CompressBuffer(codec.Algorithm, codec.TypicalLevel, input); });
  if (!compressed) {
    return std::nullopt;
  }
  std::optional<Bytes> back;
  figures.decompressSeconds = BestOf([&] {
    back =
        kestrel::DecompressBuffer(codec.Algorithm, *compressed, static_cast<int64_t>(input.size()));
  });
  if (!back || *back != input) {
    std::fprintf(stderr, "%s: the round trip lost data\n", codec.Name);
    return std::nullopt;
  }
  figures.ratio =
      100.0 * static_cast<double>(compressed->size()) / static_cast<double>(input.size());
  return figures;
}

struct Tool {
  std::string name;     // "gzip -6"
  std::string program;  // "gzip"
  std::string level;    // "-6"
};

std::optional<Figures> MeasureTool(const Tool& tool, const std::filesystem::path& input) {
  const std::filesystem::path packed = input.string() + "." + tool.program;
  const std::string compress =
      tool.program + " " + tool.level + " -c '" + input.string() + "' > '" + packed.string() + "'";
  const std::string decompress = tool.program + " -d -c '" + packed.string() + "' > /dev/null";
  bool ok = true;
  Figures figures;
  figures.compressSeconds = BestOf([&] { ok = ok && std::system(compress.c_str()) == 0; });
  figures.decompressSeconds = BestOf([&] { ok = ok && std::system(decompress.c_str()) == 0; });
  if (!ok) {
    std::fprintf(stderr, "%s failed (is it installed?)\n", tool.name.c_str());
    return std::nullopt;
  }
  figures.ratio = 100.0 * static_cast<double>(std::filesystem::file_size(packed)) /
                  static_cast<double>(kInputSize);
  std::filesystem::remove(packed);
  return figures;
}

}  // namespace

int main() {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("kestrel_codec_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  const std::map<std::string, Bytes> inputs = {{"random", RandomBytes(kInputSize)},
                                               {"text", TextLike(kInputSize)}};
  for (const auto& [name, bytes] : inputs) {
    WriteFile(directory / name, bytes);
  }
  const std::vector<Tool> tools = {
      {"gzip -6", "gzip", "-6"}, {"bzip2 -9", "bzip2", "-9"}, {"xz -6", "xz", "-6"}};
  // The tool each codec is held against; a codec without one is compared
  // by size with every tool.
  const std::map<std::string, std::string> peerOf = {{"zlib", "gzip -6"}, {"bzip2", "bzip2 -9"}};

  std::printf("Kestrel codecs on %zu-byte inputs, best of %d runs\n\n", kInputSize, kRuns);
  std::map<std::string, std::map<std::string, Figures>> results;  // input -> what -> figures
  for (const auto& [inputName, bytes] : inputs) {
    for (const kestrel::TKestrelCodecEntry& codec : kestrel::CodecTable()) {
      const std::string what = std::string(codec.Name) + " " + std::to_string(codec.TypicalLevel);
      if (const auto figures = MeasureCodec(codec, bytes)) {
        results[inputName][what] = *figures;
        Print(what, inputName, *figures);
      }
    }
    for (const Tool& tool : tools) {
      if (const auto figures = MeasureTool(tool, directory / inputName)) {
        results[inputName][tool.name] = *figures;
        Print(tool.name, inputName, *figures);
      }
    }
    std::printf("\n");
  }

  std::printf("codec / tool (time ratio goal <= 1.10; size: our share against the tool's)\n");
  for (const auto& [inputName, figures] : results) {
    for (const kestrel::TKestrelCodecEntry& codec : kestrel::CodecTable()) {
      const std::string what = std::string(codec.Name) + " " + std::to_string(codec.TypicalLevel);
      const auto ours = figures.find(what);
      if (ours == figures.end()) {
        continue;
      }
      const auto peer = peerOf.find(codec.Name);
      for (const Tool& tool : tools) {
        const auto theirs = figures.find(tool.name);
        if (theirs == figures.end() || (peer != peerOf.end() && peer->second != tool.name)) {
          continue;
        }
        std::printf(
            "%-16s %-7s vs %-9s  compress time %5.2f   decompress time %5.2f   size %6.2f%% vs "
            "%6.2f%%\n",
            what.c_str(), inputName.c_str(), tool.name.c_str(),
            ours->second.compressSeconds / theirs->second.compressSeconds,
            ours->second.decompressSeconds / theirs->second.decompressSeconds, ours->second.ratio,
            theirs->second.ratio);
      }
    }
  }
  std::filesystem::remove_all(directory);
  return 0;
}
