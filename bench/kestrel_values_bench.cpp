// What the Kestrel value layer costs: additions and comparisons of integer,
// float and string values per second, next to the same work on plain C++
// values as the peer. Prints figures only.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kestrel/storage/values/variant.h"

namespace {

using kestrel::TKestrelCompareCode;
using kestrel::TKestrelStorageType;
using kestrel::TKestrelVariant;

constexpr int kRounds = 2000000;
constexpr int kStringRounds = 300000;

volatile int64_t sink = 0;

// Operations per second of `work`, which performs `count` operations.
double PerSecond(int count, const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const auto stop = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(stop - start).count();
  return seconds > 0 ? count / seconds : 0;
}

void Report(const char* what, double values, double peer) {
  std::printf("%-44s %12.0f /s   peer %14.0f /s   peer/values %6.1f\n", what, values, peer,
              values > 0 ? peer / values : 0);
}

std::vector<std::string> Words(int count) {
  static const char* const kStems[] = {"alpha", "Beta", "gamma-ray", "delta", "Epsilon",
                                       "zeta",  "eta",  "théta",     "iota",  "kappa"};
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i) {
    words.push_back(std::string(kStems[i % 10]) + std::to_string(i * 7919 % 1000));
  }
  return words;
}

}  // namespace

int main() {
  std::printf("Kestrel values: operations per second (peer: plain C++ values)\n\n");

  {
    TKestrelVariant sum(TKestrelStorageType::kSignedInt32);
    sum.SetAsInteger(0);
    TKestrelVariant one(TKestrelStorageType::kSignedInt32);
    one.SetAsInteger(1);
    const double values = PerSecond(kRounds, [&] {
      for (int i = 0; i < kRounds; ++i) {
        sum.Add(one);
      }
      sink = sink + sum.AsInteger();
    });
    const double peer = PerSecond(kRounds, [&] {
      uint32_t native = 0;
      for (int i = 0; i < kRounds; ++i) {
        native += static_cast<uint32_t>(sink + 1);
      }
      sink = sink + native;
    });
    Report("Add SIGNEDINT32 + SIGNEDINT32", values, peer);
  }
  {
    TKestrelVariant sum(TKestrelStorageType::kSignedInt64);
    sum.SetAsLargeInt(0);
    TKestrelVariant small(TKestrelStorageType::kSignedInt8);
    small.SetAsShortInt(3);
    const double values = PerSecond(kRounds, [&] {
      for (int i = 0; i < kRounds; ++i) {
        sum.Add(small);
      }
      sink = sink + sum.AsLargeInt();
    });
    const double peer = PerSecond(kRounds, [&] {
      int64_t native = 0;
      for (int i = 0; i < kRounds; ++i) {
        native += static_cast<int8_t>(sink + 3);
      }
      sink = sink + native;
    });
    Report("Add SIGNEDINT64 + SIGNEDINT8 (converted)", values, peer);
  }
  {
    TKestrelVariant sum(TKestrelStorageType::kFloat);
    sum.SetAsDouble(0);
    TKestrelVariant step(TKestrelStorageType::kFloat);
    step.SetAsDouble(0.5);
    const double values = PerSecond(kRounds, [&] {
      for (int i = 0; i < kRounds; ++i) {
        sum.Add(step);
      }
      sink = sink + static_cast<int64_t>(sum.AsDouble());
    });
    const double peer = PerSecond(kRounds, [&] {
      double native = 0;
      for (int i = 0; i < kRounds; ++i) {
        native += 0.5 + static_cast<double>(sink & 0);
      }
      sink = sink + static_cast<int64_t>(native);
    });
    Report("Add FLOAT + FLOAT", values, peer);
  }
  {
    TKestrelVariant text(TKestrelStorageType::kString);
    TKestrelVariant tail(TKestrelStorageType::kString);
    tail.SetAsString("-suffix");
    const double values = PerSecond(kStringRounds, [&] {
      for (int i = 0; i < kStringRounds; ++i) {
        text.SetAsString("prefix");
        text.Add(tail);
      }
      sink = sink + text.Size();
    });
    const double peer = PerSecond(kStringRounds, [&] {
      std::string native;
      const std::string nativeTail = "-suffix";
      for (int i = 0; i < kStringRounds; ++i) {
        native = "prefix";
        native += nativeTail;
        sink = sink + static_cast<int64_t>(native.size());
      }
    });
    Report("Add STRING + STRING (set, then concatenate)", values, peer);
  }

  std::printf("\n");
  {
    std::vector<TKestrelVariant> ints;
    for (int i = 0; i < 1024; ++i) {
      TKestrelVariant v(TKestrelStorageType::kSignedInt32);
      v.SetAsInteger(i * 7919 % 1000);
      ints.push_back(std::move(v));
    }
    const double values = PerSecond(kRounds, [&] {
      int64_t less = 0;
      for (int i = 0; i < kRounds; ++i) {
        less += ints[i & 1023].Compare(ints[(i + 1) & 1023], false, false, false) ==
                TKestrelCompareCode::kLess;
      }
      sink = sink + less;
    });
    std::vector<int32_t> native;
    for (int i = 0; i < 1024; ++i) {
      native.push_back(i * 7919 % 1000);
    }
    const double peer = PerSecond(kRounds, [&] {
      int64_t less = 0;
      for (int i = 0; i < kRounds; ++i) {
        less += native[i & 1023] < native[(i + 1) & 1023];
      }
      sink = sink + less;
    });
    Report("Compare SIGNEDINT32 with SIGNEDINT32", values, peer);

    std::vector<TKestrelVariant> words;
    for (int i = 0; i < 1024; ++i) {
      TKestrelVariant v(TKestrelStorageType::kUnsignedInt16);
      v.SetAsWord(static_cast<uint16_t>(i));
      words.push_back(std::move(v));
    }
    const double mixed = PerSecond(kRounds, [&] {
      int64_t less = 0;
      for (int i = 0; i < kRounds; ++i) {
        less += ints[i & 1023].Compare(words[(i + 1) & 1023], false, false, false) ==
                TKestrelCompareCode::kLess;
      }
      sink = sink + less;
    });
    Report("Compare SIGNEDINT32 with UNSIGNEDINT16", mixed, peer);
  }
  {
    std::vector<TKestrelVariant> floats;
    std::vector<double> native;
    for (int i = 0; i < 1024; ++i) {
      TKestrelVariant v(TKestrelStorageType::kFloat);
      v.SetAsDouble(i * 0.37);
      floats.push_back(std::move(v));
      native.push_back(i * 0.37);
    }
    const double values = PerSecond(kRounds, [&] {
      int64_t less = 0;
      for (int i = 0; i < kRounds; ++i) {
        less += floats[i & 1023].Compare(floats[(i + 7) & 1023], false, false, false) ==
                TKestrelCompareCode::kLess;
      }
      sink = sink + less;
    });
    const double peer = PerSecond(kRounds, [&] {
      int64_t less = 0;
      for (int i = 0; i < kRounds; ++i) {
        less += native[i & 1023] < native[(i + 7) & 1023];
      }
      sink = sink + less;
    });
    Report("Compare FLOAT with FLOAT", values, peer);
  }
  {
    const std::vector<std::string> texts = Words(1024);
    std::vector<TKestrelVariant> strings;
    for (const std::string& text : texts) {
      TKestrelVariant v(TKestrelStorageType::kString);
      v.SetAsString(text);
      strings.push_back(std::move(v));
    }
    const double peer = PerSecond(kStringRounds, [&] {
      int64_t less = 0;
      for (int i = 0; i < kStringRounds; ++i) {
        less += std::strcmp(texts[i & 1023].c_str(), texts[(i + 1) & 1023].c_str()) < 0;
      }
      sink = sink + less;
    });
    const struct {
      const char* what;
      bool partial;
      bool caseInsensitive;
    } modes[] = {
        {"Compare STRING with STRING (collation)", false, false},
        {"Compare STRING with STRING, ignoring case", false, true},
        {"Compare STRING with STRING, partial", true, false},
    };
    for (const auto& mode : modes) {
      const double values = PerSecond(kStringRounds, [&] {
        int64_t less = 0;
        for (int i = 0; i < kStringRounds; ++i) {
          less += strings[i & 1023].Compare(strings[(i + 1) & 1023], false, mode.partial,
                                            mode.caseInsensitive) == TKestrelCompareCode::kLess;
        }
        sink = sink + less;
      });
      Report(mode.what, values, peer);
    }
    TKestrelVariant number(TKestrelStorageType::kSignedInt32);
    number.SetAsInteger(500);
    const double mixed = PerSecond(kStringRounds, [&] {
      int64_t less = 0;
      for (int i = 0; i < kStringRounds; ++i) {
        less +=
            strings[i & 1023].Compare(number, false, false, false) == TKestrelCompareCode::kLess;
      }
      sink = sink + less;
    });
    Report("Compare STRING with SIGNEDINT32 (as text)", mixed, peer);
  }
  std::printf("\n(peer for string comparisons: strcmp, which is byte order, not collation)\n");
  return sink == 42 ? 1 : 0;
}
