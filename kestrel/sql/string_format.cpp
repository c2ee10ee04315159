#include "kestrel/sql/string_format.h"

#include <cstring>
#include <mutex>

namespace kestrel {
namespace {

constexpr std::string_view kHexTable = "0123456789ABCDEFX$ abcdefhHx()[]{},;:-_/\\*+\"'\t\n\r";
constexpr std::string_view kHexLowerTable = "0123456789abcdefX$ ABCDEFhHx()[]{},;:-_/\\*+\"'\t\n\r";
constexpr std::string_view kMime64Table =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/= $()[]{},;:-_\\*\"'\t\n\r";
constexpr std::string_view kUUTable =
    "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_ \t\n\r";
constexpr std::string_view kXXTable =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz \"()[]'\t\n\r";

constexpr int kUULineBytes = 45;

bool AllInTable(const uint8_t* input, int32_t length, std::string_view table) {
  for (int32_t i = 0; i < length; ++i) {
    if (table.find(static_cast<char>(input[i])) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// Position in the 64-character alphabet, or -1.
int AlphabetValue(std::string_view alphabet, char c) {
  const std::size_t pos = alphabet.substr(0, 64).find(c);
  return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

bool IsLineSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}

// Walks UU or XX text line by line. Each line is a count character and
// (count * 4 + 2) / 3 data characters; other characters are skipped, and a
// line may not run across a line break. Returns false for malformed input; `out` gets the
// bytes when not null.
bool WalkLines(std::string_view alphabet, const char* text, int32_t length, TByteBuffer* out) {
  int32_t pos = 0;
  while (true) {
    while (pos < length && IsLineSpace(text[pos])) {
      ++pos;
    }
    if (pos >= length) {
      return true;
    }
    const int count = AlphabetValue(alphabet, text[pos++]);
    if (count < 0 || count > kUULineBytes) {
      return false;
    }
    const int needed = (count * 4 + 2) / 3;
    uint32_t bits = 0;
    int bitCount = 0;
    int produced = 0;
    for (int used = 0; used < needed;) {
      if (pos >= length || IsLineBreak(text[pos])) {
        return false;  // the line ends early
      }
      const int value = AlphabetValue(alphabet, text[pos++]);
      if (value < 0) {
        continue;  // not a data character
      }
      ++used;
      bits = (bits << 6) | static_cast<uint32_t>(value);
      bitCount += 6;
      if (bitCount >= 8) {
        bitCount -= 8;
        if (produced < count && out) {
          out->push_back(static_cast<uint8_t>(bits >> bitCount));
        }
        ++produced;
        bits &= (1u << bitCount) - 1;
      }
    }
  }
}

std::string EncodeLines(std::string_view alphabet, const uint8_t* bytes, int32_t length) {
  std::string out;
  for (int32_t start = 0; start < length; start += kUULineBytes) {
    const int count = std::min<int32_t>(kUULineBytes, length - start);
    out += alphabet[static_cast<std::size_t>(count)];
    uint32_t bits = 0;
    int bitCount = 0;
    for (int i = 0; i < count; ++i) {
      bits = (bits << 8) | bytes[start + i];
      bitCount += 8;
      while (bitCount >= 6) {
        bitCount -= 6;
        out += alphabet[(bits >> bitCount) & 63];
      }
    }
    if (bitCount > 0) {
      out += alphabet[(bits << (6 - bitCount)) & 63];  // padded with zero bits
    }
  }
  return out;
}

struct Registry {
  Registry() {
    formats.push_back(std::make_unique<TStringFormat>());
    formats.push_back(std::make_unique<TStringFormat_HEX>());
    formats.push_back(std::make_unique<TStringFormat_HEXL>());
    formats.push_back(std::make_unique<TStringFormat_MIME64>());
    formats.push_back(std::make_unique<TStringFormat_UU>());
    formats.push_back(std::make_unique<TStringFormat_XX>());
  }

  std::mutex mutex;
  std::vector<std::unique_ptr<TStringFormat>> formats;
  // Replaced formats stay alive: callers may still hold them.
  std::vector<std::unique_ptr<TStringFormat>> replaced;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

const TStringFormat& RequireFormat(int32_t formatId) {
  const TStringFormat* format = FindStringFormat(formatId);
  if (!format) {
    throw EStringFormat("String Format \"" + std::to_string(formatId) + "\" not exists.");
  }
  return *format;
}

}  // namespace

TByteBuffer TStringFormat::Decode(const char* text, int32_t length) const {
  return TByteBuffer(text, text + length);
}

std::string TStringFormat::Encode(const uint8_t* bytes, int32_t length) const {
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
}

bool TStringFormat::IsValidInput(const uint8_t*, int32_t, bool) const {
  return true;
}

std::string_view TStringFormat_HEX::CharTable() const {
  return kHexTable;
}

std::string_view TStringFormat_HEXL::CharTable() const {
  return kHexLowerTable;
}

std::string_view TStringFormat_MIME64::CharTable() const {
  return kMime64Table;
}

std::string_view TStringFormat_UU::CharTable() const {
  return kUUTable;
}

std::string_view TStringFormat_XX::CharTable() const {
  return kXXTable;
}

TByteBuffer TStringFormat_HEX::Decode(const char* text, int32_t length) const {
  TByteBuffer out;
  bool highNibble = true;
  bool prefixSeen = false;
  for (int32_t i = 0; i < length; ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
    int digit = -1;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c == 'X' || c == '$') {
      if (!prefixSeen) {
        // "0x1F" and "$1F": what came before the first mark is not data.
        out.clear();
        highNibble = true;
        prefixSeen = true;
      }
      continue;
    } else {
      continue;
    }
    if (highNibble) {
      out.push_back(static_cast<uint8_t>(digit << 4));
    } else {
      out.back() = static_cast<uint8_t>(out.back() | digit);
    }
    highNibble = !highNibble;
  }
  return out;
}

std::string TStringFormat_HEX::Encode(const uint8_t* bytes, int32_t length) const {
  const std::string_view digits = CharTable().substr(0, 16);
  std::string out;
  out.reserve(static_cast<std::size_t>(length) * 2);
  for (int32_t i = 0; i < length; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

bool TStringFormat_HEX::IsValidInput(const uint8_t* input, int32_t length, bool decoding) const {
  return !decoding || AllInTable(input, length, CharTable());
}

TByteBuffer TStringFormat_MIME64::Decode(const char* text, int32_t length) const {
  const std::string_view alphabet = CharTable();
  std::string significant;
  for (int32_t i = 0; i < length; ++i) {
    if (text[i] == '=' || AlphabetValue(alphabet, text[i]) >= 0) {
      significant += text[i];
    }
  }
  while (significant.size() % 4 != 0) {
    significant += '=';
  }
  TByteBuffer out;
  for (std::size_t group = 0; group < significant.size(); group += 4) {
    uint32_t bits = 0;
    int pads = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const char c = significant[group + i];
      const int value = c == '=' ? 0 : AlphabetValue(alphabet, c);
      pads += c == '=' ? 1 : 0;
      bits = (bits << 6) | static_cast<uint32_t>(value);
    }
    for (int i = 0; i < 3 - pads; ++i) {
      out.push_back(static_cast<uint8_t>(bits >> (16 - 8 * i)));
    }
  }
  return out;
}

std::string TStringFormat_MIME64::Encode(const uint8_t* bytes, int32_t length) const {
  const std::string_view alphabet = CharTable();
  std::string out;
  out.reserve(static_cast<std::size_t>((length + 2) / 3 * 4));
  for (int32_t i = 0; i < length; i += 3) {
    const int available = std::min<int32_t>(3, length - i);
    uint32_t bits = static_cast<uint32_t>(bytes[i]) << 16;
    if (available > 1) {
      bits |= static_cast<uint32_t>(bytes[i + 1]) << 8;
    }
    if (available > 2) {
      bits |= bytes[i + 2];
    }
    out += alphabet[(bits >> 18) & 63];
    out += alphabet[(bits >> 12) & 63];
    out += available > 1 ? alphabet[(bits >> 6) & 63] : '=';
    out += available > 2 ? alphabet[bits & 63] : '=';
  }
  return out;
}

TByteBuffer TStringFormat_UU::Decode(const char* text, int32_t length) const {
  TByteBuffer out;
  if (!WalkLines(CharTable(), text, length, &out)) {
    throw EStringFormat("Input is not an valid " + FormatName() + " Format.");
  }
  return out;
}

std::string TStringFormat_UU::Encode(const uint8_t* bytes, int32_t length) const {
  return EncodeLines(CharTable(), bytes, length);
}

bool TStringFormat_UU::IsValidInput(const uint8_t* input, int32_t length, bool decoding) const {
  if (!decoding) {
    return true;
  }
  return AllInTable(input, length, CharTable()) &&
         WalkLines(CharTable(), reinterpret_cast<const char*>(input), length, nullptr);
}

void RegisterStringFormat(std::unique_ptr<TStringFormat> format) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (auto& entry : registry.formats) {
    if (entry->FormatId() == format->FormatId()) {
      registry.replaced.push_back(std::move(entry));
      entry = std::move(format);
      return;
    }
  }
  registry.formats.push_back(std::move(format));
}

const TStringFormat* FindStringFormat(int32_t formatId) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (const auto& entry : registry.formats) {
    if (entry->FormatId() == formatId) {
      return entry.get();
    }
  }
  return nullptr;
}

std::vector<const TStringFormat*> RegisteredStringFormats() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  std::vector<const TStringFormat*> formats;
  for (const auto& entry : registry.formats) {
    formats.push_back(entry.get());
  }
  return formats;
}

std::string EncodeString(const uint8_t* bytes, int32_t length, int32_t formatId) {
  if (bytes == nullptr || formatId == 0) {
    return {};
  }
  if (length == -1) {
    length = static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(bytes)));
  }
  if (length <= 0) {
    return {};
  }
  const TStringFormat& format = RequireFormat(formatId);
  if (!format.IsValidInput(bytes, length, false)) {
    throw EStringFormat("Input can not be convert to " + format.FormatName() + " Format.");
  }
  return format.Encode(bytes, length);
}

TByteBuffer DecodeString(const char* text, int32_t length, int32_t formatId) {
  if (text == nullptr || formatId == 0) {
    return {};
  }
  if (length == -1) {
    length = static_cast<int32_t>(std::strlen(text));
  }
  if (length <= 0) {
    return {};
  }
  const TStringFormat& format = RequireFormat(formatId);
  if (!format.IsValidInput(reinterpret_cast<const uint8_t*>(text), length, true)) {
    throw EStringFormat("Input is not an valid " + format.FormatName() + " Format.");
  }
  return format.Decode(text, length);
}

TByteBuffer DecodeBlobLiteral(std::string_view text, int32_t formatId) {
  return DecodeString(text.data(), static_cast<int32_t>(text.size()), formatId);
}

std::string EncodeMime64(const uint8_t* bytes, int32_t length) {
  return EncodeString(bytes, length, kMime64FormatId);
}

std::string BlobSqlText(const uint8_t* bytes, int32_t length) {
  if (bytes == nullptr || length <= 0) {
    return "NULL";
  }
  return "TOBLOB ('" + EncodeMime64(bytes, length) + "',MIME64)";
}

}  // namespace kestrel
