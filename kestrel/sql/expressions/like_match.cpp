#include "kestrel/sql/expressions/like_match.h"

#include <cstddef>
#include <type_traits>

#include "kestrel/storage/values/collation.h"
#include "kestrel/storage/values/variant.h"
#include "platform/text.h"

namespace kestrel {
namespace {

std::size_t CharLength(std::string_view text, std::size_t at) {
  return platform::Utf8SequenceLength(text, at);
}

std::size_t CharLength(std::u16string_view text, std::size_t at) {
  const char16_t unit = text[at];
  const bool pair = unit >= 0xD800 && unit < 0xDC00 && at + 1 < text.size() &&
                    text[at + 1] >= 0xDC00 && text[at + 1] < 0xE000;
  return pair ? 2 : 1;
}

int Collate(std::string_view left, std::string_view right) {
  return CollateUtf8(left, right, false, kUserDefaultLocale, 30045);
}

int Collate(std::u16string_view left, std::u16string_view right) {
  return CollateUtf16(left, right, false, kUserDefaultLocale, 30046);
}

// Identical characters are equal; different ASCII characters are not; other
// pairs are asked of the collation.
template <typename Char>
bool SameChar(std::basic_string_view<Char> left, std::basic_string_view<Char> right) {
  if (left == right) {
    return true;
  }
  const auto ascii = [](Char c) { return static_cast<std::make_unsigned_t<Char>>(c) < 0x80; };
  if (left.size() == 1 && right.size() == 1 && ascii(left[0]) && ascii(right[0])) {
    return false;
  }
  return Collate(left, right) == 0;
}

template <typename Char>
bool Match(std::basic_string_view<Char> value, std::basic_string_view<Char> pattern) {
  constexpr auto kNone = static_cast<std::size_t>(-1);
  std::size_t v = 0;
  std::size_t p = 0;
  std::size_t starPattern = kNone;  // the pattern position after the last "%"
  std::size_t starValue = 0;        // where that "%" started matching
  while (v < value.size()) {
    if (p < pattern.size() && pattern[p] == Char('%')) {
      while (p < pattern.size() && pattern[p] == Char('%')) {
        ++p;
      }
      if (p == pattern.size()) {
        return true;
      }
      starPattern = p;
      starValue = v;
      continue;
    }
    if (p < pattern.size()) {
      const std::size_t valueLength = CharLength(value, v);
      const std::size_t patternLength = CharLength(pattern, p);
      if ((pattern[p] == Char('_') && patternLength == 1) ||
          SameChar(value.substr(v, valueLength), pattern.substr(p, patternLength))) {
        v += valueLength;
        p += patternLength;
        continue;
      }
    }
    if (starPattern == kNone) {
      return false;
    }
    starValue += CharLength(value, starValue);
    v = starValue;
    p = starPattern;
  }
  while (p < pattern.size() && pattern[p] == Char('%')) {
    ++p;
  }
  return p == pattern.size();
}

}  // namespace

bool LikeMatch(std::string_view value, std::string_view pattern) {
  return Match(value, pattern);
}

bool LikeMatch(std::u16string_view value, std::u16string_view pattern) {
  return Match(value, pattern);
}

}  // namespace kestrel
