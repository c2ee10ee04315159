#include "platform/text.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <limits>

#include "platform/errors.h"

namespace platform {
namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

icu::UnicodeString FromUtf8(std::string_view text) {
  return icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string ToUtf8(const icu::UnicodeString& text) {
  std::string result;
  text.toUTF8String(result);
  return result;
}

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// Reads the magnitude of an integer; hexadecimal wraps at 64 bits like the
// unsigned width, decimal stops at overflow.
bool ParseMagnitude(std::string_view digits, bool hex, uint64_t limit, uint64_t& result) {
  if (digits.empty()) {
    return false;
  }
  uint64_t value = 0;
  const uint64_t base = hex ? 16 : 10;
  for (char c : digits) {
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    if (value > (limit - digit) / base) {
      return false;
    }
    value = value * base + digit;
  }
  result = value;
  return true;
}

template <typename Int>
bool TryParseInteger(std::string_view text, Int& result) {
  using Unsigned = std::make_unsigned_t<Int>;
  text = TrimLeft(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool hex = false;
  if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
    hex = true;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    text.remove_prefix(2);
  }
  const uint64_t signedMax = static_cast<uint64_t>(std::numeric_limits<Int>::max());
  const uint64_t limit =
      hex ? std::numeric_limits<Unsigned>::max() : (negative ? signedMax + 1 : signedMax);
  uint64_t magnitude = 0;
  if (!ParseMagnitude(text, hex, limit, magnitude)) {
    return false;
  }
  const Unsigned bits = static_cast<Unsigned>(magnitude);
  const Unsigned value = negative ? static_cast<Unsigned>(Unsigned{0} - bits) : bits;
  result = static_cast<Int>(value);
  return true;
}

}  // namespace

bool SameText(std::string_view left, std::string_view right) {
  if (IsAscii(left) && IsAscii(right)) {
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
  }
  return CompareText(left, right) == 0;
}

int CompareText(std::string_view left, std::string_view right) {
  if (IsAscii(left) && IsAscii(right)) {
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
      const char a = AsciiLower(left[i]);
      const char b = AsciiLower(right[i]);
      if (a != b) {
        return static_cast<unsigned char>(a) < static_cast<unsigned char>(b) ? -1 : 1;
      }
    }
    return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
  }
  return FromUtf8(left).caseCompare(FromUtf8(right), U_FOLD_CASE_DEFAULT);
}

std::string UpperCase(std::string_view text) {
  if (IsAscii(text)) {
    std::string result(text);
    for (char& c : result) {
      if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
      }
    }
    return result;
  }
  return ToUtf8(FromUtf8(text).toUpper(icu::Locale::getRoot()));
}

std::string LowerCase(std::string_view text) {
  if (IsAscii(text)) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiLower);
    return result;
  }
  return ToUtf8(FromUtf8(text).toLower(icu::Locale::getRoot()));
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) {
    text.remove_prefix(1);
  }
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::string_view Trim(std::string_view text) {
  return TrimRight(TrimLeft(text));
}

std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) {
    return text;
  }
  std::size_t cut = maxBytes;
  // Step back over continuation bytes so the cut lands on a sequence start.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  return text.substr(0, cut);
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    count += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? 0 : 1;
  }
  return count;
}

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  if (static_cast<unsigned char>(text[at]) >= 0xC0) {
    while (end < text.size() && end - at < 4 &&
           (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
      ++end;
    }
  }
  return end - at;
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  const icu::UnicodeString unicode = FromUtf8(text);
  return std::u16string(unicode.getBuffer(), static_cast<std::size_t>(unicode.length()));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return ToUtf8(icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())));
}

bool TryStrToInt(std::string_view text, int32_t& result) {
  return TryParseInteger(text, result);
}

bool TryStrToInt64(std::string_view text, int64_t& result) {
  return TryParseInteger(text, result);
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  int32_t value = 0;
  return TryStrToInt(text, value) ? value : fallback;
}

int32_t StrToInt(std::string_view text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

int64_t StrToInt64(std::string_view text) {
  int64_t value = 0;
  if (!TryStrToInt64(text, value)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

}  // namespace platform
