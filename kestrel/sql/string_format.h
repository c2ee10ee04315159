#pragma once
// The string formats: text encodings of binary data, looked up by id in a
// registry. The engine decodes HEX and MIME64 for BLOB literals
// (TOBLOB('...', HEX)) and encodes MIME64 when it writes a BLOB as SQL text.
//
//   class                 id     name
//   TStringFormat         1      copy Input to Output
//   TStringFormat_HEX     16     Hexadecimal (encodes upper case)
//   TStringFormat_HEXL    1016   Hexadecimal lowercase
//   TStringFormat_MIME64  4196   MIME Base 64 (RFC 2045 alphabet, "=" padding)
//   TStringFormat_UU      21845  UU Coding
//   TStringFormat_XX      22616  XX Coding
//
// The formats are stateless; one instance of each is registered.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace kestrel {

using TByteBuffer = std::vector<uint8_t>;

// A string format error; it has no native error code.
class EStringFormat : public platform::Exception {
 public:
  using Exception::Exception;
};

class TStringFormat {
 public:
  virtual ~TStringFormat() = default;

  virtual TByteBuffer Decode(const char* text, int32_t length) const;
  virtual std::string Encode(const uint8_t* bytes, int32_t length) const;
  virtual std::string FormatName() const { return "copy Input to Output"; }
  virtual int32_t FormatId() const { return 1; }
  // True when the input can be decoded (decoding) or encoded.
  virtual bool IsValidInput(const uint8_t* input, int32_t length, bool decoding) const;
  // The alphabet of the encoding followed by further characters that input
  // may contain; empty for the copying format.
  virtual std::string_view CharTable() const { return {}; }
};

class TStringFormat_HEX : public TStringFormat {
 public:
  TByteBuffer Decode(const char* text, int32_t length) const override;
  std::string Encode(const uint8_t* bytes, int32_t length) const override;
  std::string FormatName() const override { return "Hexadecimal"; }
  int32_t FormatId() const override { return 16; }
  bool IsValidInput(const uint8_t* input, int32_t length, bool decoding) const override;
  std::string_view CharTable() const override;
};

class TStringFormat_HEXL : public TStringFormat_HEX {
 public:
  std::string FormatName() const override { return "Hexadecimal lowercase"; }
  int32_t FormatId() const override { return 1016; }
  std::string_view CharTable() const override;
};

class TStringFormat_MIME64 : public TStringFormat_HEX {
 public:
  TByteBuffer Decode(const char* text, int32_t length) const override;
  std::string Encode(const uint8_t* bytes, int32_t length) const override;
  std::string FormatName() const override { return "MIME Base 64"; }
  int32_t FormatId() const override { return 4196; }
  std::string_view CharTable() const override;
};

// Lines of up to 45 bytes: a count character, then (count * 4 + 2) / 3 data
// characters. Lines follow each other without separators; line breaks and
// blanks between and inside lines are skipped when decoding.
class TStringFormat_UU : public TStringFormat {
 public:
  TByteBuffer Decode(const char* text, int32_t length) const override;
  std::string Encode(const uint8_t* bytes, int32_t length) const override;
  std::string FormatName() const override { return "UU Coding"; }
  int32_t FormatId() const override { return 21845; }
  bool IsValidInput(const uint8_t* input, int32_t length, bool decoding) const override;
  std::string_view CharTable() const override;
};

class TStringFormat_XX : public TStringFormat_UU {
 public:
  std::string FormatName() const override { return "XX Coding"; }
  int32_t FormatId() const override { return 22616; }
  std::string_view CharTable() const override;
};

// Registering a format whose id is present replaces that entry. The six
// formats above are registered before the first lookup.
void RegisterStringFormat(std::unique_ptr<TStringFormat> format);
// The registered format, or nullptr.
const TStringFormat* FindStringFormat(int32_t formatId);
// The registered formats in order.
std::vector<const TStringFormat*> RegisteredStringFormats();

// A length of -1 means up to the first zero byte. No input, length 0 or
// format id 0 give an empty result. Throw EStringFormat: "String Format "%d"
// not exists.", "Input is not an valid %s Format." (decoding) and "Input can
// not be convert to %s Format." (encoding).
std::string EncodeString(const uint8_t* bytes, int32_t length, int32_t formatId);
TByteBuffer DecodeString(const char* text, int32_t length, int32_t formatId);

inline constexpr int32_t kHexFormatId = 16;
inline constexpr int32_t kMime64FormatId = 4196;

// The engine's entry points: a BLOB literal in HEX or MIME64 (empty when the
// result is empty), and MIME64 for a BLOB written as SQL text.
TByteBuffer DecodeBlobLiteral(std::string_view text, int32_t formatId);
std::string EncodeMime64(const uint8_t* bytes, int32_t length);
// TOBLOB ('<MIME64>',MIME64), or NULL for an empty BLOB.
std::string BlobSqlText(const uint8_t* bytes, int32_t length);

}  // namespace kestrel
