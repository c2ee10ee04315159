#include "kestrel/sql/string_format.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

std::string Encode(std::string_view bytes, int32_t formatId) {
  return EncodeString(reinterpret_cast<const uint8_t*>(bytes.data()),
                      static_cast<int32_t>(bytes.size()), formatId);
}

std::string Decode(std::string_view text, int32_t formatId) {
  const TByteBuffer bytes = DecodeString(text.data(), static_cast<int32_t>(text.size()), formatId);
  return std::string(bytes.begin(), bytes.end());
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EStringFormat& error) {
    return error.Message();
  }
  return "no error";
}

constexpr int32_t kHex = 16;
constexpr int32_t kHexLower = 1016;
constexpr int32_t kMime = 4196;
constexpr int32_t kUU = 21845;
constexpr int32_t kXX = 22616;

TEST(StringFormat, RegistryHoldsTheSixFormatsInOrder) {
  const std::vector<const TStringFormat*> formats = RegisteredStringFormats();
  ASSERT_EQ(formats.size(), 6u);
  const struct {
    int32_t id;
    const char* name;
  } expected[] = {
      {1, "copy Input to Output"}, {16, "Hexadecimal"},  {1016, "Hexadecimal lowercase"},
      {4196, "MIME Base 64"},      {21845, "UU Coding"}, {22616, "XX Coding"}};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(formats[i]->FormatId(), expected[i].id);
    EXPECT_EQ(formats[i]->FormatName(), expected[i].name);
    EXPECT_EQ(FindStringFormat(expected[i].id), formats[i]);
  }
  EXPECT_EQ(FindStringFormat(99), nullptr);
  EXPECT_EQ(ErrorOf([] { Decode("00", 99); }), "String Format \"99\" not exists.");
  EXPECT_EQ(ErrorOf([] { Encode("00", 7); }), "String Format \"7\" not exists.");
  EXPECT_EQ(FindStringFormat(16)->CharTable().substr(0, 18), "0123456789ABCDEFX$");
  EXPECT_EQ(FindStringFormat(21845)->CharTable().substr(0, 3), "`!\"");
  EXPECT_EQ(FindStringFormat(21845)->CharTable().substr(63, 1), "_");
}

class ShoutingHex : public TStringFormat_HEX {
 public:
  std::string Encode(const uint8_t*, int32_t) const override { return "HEX!"; }
};

TEST(StringFormat, RegisteringAnIdAgainReplacesTheEntry) {
  RegisterStringFormat(std::make_unique<ShoutingHex>());
  EXPECT_EQ(RegisteredStringFormats().size(), 6u);
  EXPECT_EQ(RegisteredStringFormats()[1], FindStringFormat(16));
  EXPECT_EQ(Encode("a", kHex), "HEX!");
  RegisterStringFormat(std::make_unique<TStringFormat_HEX>());
  EXPECT_EQ(Encode("a", kHex), "61");
}

TEST(StringFormat, LengthsAndEmptyInput) {
  const uint8_t bytes[] = {'a', 'b', 0, 'c'};
  EXPECT_EQ(EncodeString(bytes, -1, kHex), "6162");  // up to the first zero
  EXPECT_EQ(EncodeString(bytes, 4, kHex), "61620063");
  EXPECT_EQ(EncodeString(bytes, 0, kHex), "");
  EXPECT_EQ(EncodeString(nullptr, 4, kHex), "");
  EXPECT_EQ(EncodeString(bytes, 4, 0), "");
  EXPECT_TRUE(DecodeString("41", -1, 0).empty());
  EXPECT_EQ(Decode("copy me", 1), "copy me");
  EXPECT_EQ(Encode(std::string("a\0b", 3), 1), std::string("a\0b", 3));
}

TEST(StringFormat, Hexadecimal) {
  EXPECT_EQ(Encode("\x0A\xFF", kHex), "0AFF");
  EXPECT_EQ(Encode("\x0A\xFF", kHexLower), "0aff");
  const struct {
    const char* text;
    const char* bytes;
    std::size_t size;
  } cases[] = {
      {"0A ff", "\x0A\xFF", 2},
      {"0x1F", "\x1F", 1},
      {"$1F", "\x1F", 1},
      {"AB $1F", "\x1F", 1},
      {"0x1F x2", "\x1F\x20", 2},
      {"ABC", "\xAB\xC0", 2},
      {"{0a, 0b}\r\n", "\x0A\x0B", 2},
      {"hH", "", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Decode(c.text, kHex), std::string(c.bytes, c.size)) << c.text;
    EXPECT_EQ(Decode(c.text, kHexLower), std::string(c.bytes, c.size)) << c.text;
  }
  EXPECT_EQ(ErrorOf([] { Decode("zz", kHex); }), "Input is not an valid Hexadecimal Format.");
  EXPECT_EQ(ErrorOf([] { Decode("0g", kHexLower); }),
            "Input is not an valid Hexadecimal lowercase Format.");
  // Only decoding checks the characters.
  EXPECT_EQ(Encode("zz", kHex), "7A7A");
}

TEST(StringFormat, Mime64AgainstTheRfcVectors) {
  const struct {
    const char* bytes;
    const char* text;
  } vectors[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"}};
  for (const auto& v : vectors) {
    EXPECT_EQ(Encode(v.bytes, kMime), v.text) << v.bytes;
    EXPECT_EQ(Decode(v.text, kMime), v.bytes) << v.text;
  }
  EXPECT_EQ(Encode("abc", kMime), "YWJj");
  EXPECT_EQ(Decode("YW\r\nJj", kMime), "abc");
  EXPECT_EQ(Decode("Zm9vYg", kMime), "foob");  // padding is implied
  EXPECT_EQ(Encode(std::string("\0\xFF\xFE", 3), kMime), "AP/+");
  EXPECT_EQ(Decode("AP/+", kMime), std::string("\0\xFF\xFE", 3));
  EXPECT_EQ(ErrorOf([] { Decode("YW.J", kMime); }), "Input is not an valid MIME Base 64 Format.");
}

std::string Sample(std::size_t size) {
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) {
    bytes += static_cast<char>((i * 37 + 11) & 0xFF);
  }
  return bytes;
}

TEST(StringFormat, UUAndXXKnownLines) {
  EXPECT_EQ(Encode("Cat", kUU), "#0V%T");
  EXPECT_EQ(Encode("A", kUU), "!00");
  EXPECT_EQ(Encode("Cat", kXX), "1Eq3o");
  EXPECT_EQ(Decode("#0V%T", kUU), "Cat");
  EXPECT_EQ(Decode("1Eq3o", kXX), "Cat");
  EXPECT_EQ(Encode(std::string(3, '\0'), kUU), "#````");
  const std::string encoded = Encode(Sample(100), kUU);
  // Lines of 45, 45 and 10 bytes: 1 + 60, 1 + 60 and 1 + 14 characters.
  ASSERT_EQ(encoded.size(), 137u);
  EXPECT_EQ(encoded[0], 'M');
  EXPECT_EQ(encoded[61], 'M');
  EXPECT_EQ(encoded[122], '*');
}

TEST(StringFormat, UUAndXXRoundTrips) {
  for (const int32_t id : {kUU, kXX}) {
    for (const std::size_t size : {1u, 2u, 3u, 44u, 45u, 46u, 90u, 200u}) {
      const std::string bytes = Sample(size);
      const std::string text = Encode(bytes, id);
      EXPECT_EQ(Decode(text, id), bytes) << id << " " << size;
      // Line breaks between lines are allowed.
      std::string withBreaks;
      for (std::size_t pos = 0; pos < text.size(); pos += 61) {
        withBreaks += text.substr(pos, 61) + "\r\n";
      }
      EXPECT_EQ(Decode(withBreaks, id), bytes) << id << " " << size;
    }
  }
}

TEST(StringFormat, UUAndXXCheckTheirLines) {
  const struct {
    const char* text;
    int32_t id;
  } invalid[] = {
      {"#0V%", kUU},     // one data character short
      {"#0V\n%T", kUU},  // a line may not run across a line break
      {"N0V%T", kUU},    // 46 bytes announced
      {"#0V%Tx", kUU},   // x is not in the character table
      {"1Eq3", kXX},     // short
      {"1Eq3o~", kXX},   // ~ is not in the character table
  };
  for (const auto& c : invalid) {
    const std::string name = c.id == kUU ? "UU Coding" : "XX Coding";
    EXPECT_EQ(ErrorOf([&] { Decode(c.text, c.id); }), "Input is not an valid " + name + " Format.")
        << c.text;
    EXPECT_FALSE(FindStringFormat(c.id)->IsValidInput(reinterpret_cast<const uint8_t*>(c.text),
                                                      static_cast<int32_t>(strlen(c.text)), true))
        << c.text;
  }
  // Decoding directly reports a bad count too.
  const TStringFormat_UU uu;
  EXPECT_EQ(ErrorOf([&] { uu.Decode("~abc", 4); }), "Input is not an valid UU Coding Format.");
}

TEST(StringFormat, EngineEntryPoints) {
  EXPECT_EQ(EncodeMime64(reinterpret_cast<const uint8_t*>("abc"), 3), "YWJj");
  const TByteBuffer hex = DecodeBlobLiteral("0x0102", kHexFormatId);
  EXPECT_EQ(hex, (TByteBuffer{1, 2}));
  EXPECT_EQ(DecodeBlobLiteral("YWJj", kMime64FormatId), (TByteBuffer{'a', 'b', 'c'}));
  EXPECT_TRUE(DecodeBlobLiteral("", kHexFormatId).empty());
  EXPECT_TRUE(DecodeBlobLiteral("$", kHexFormatId).empty());
  EXPECT_EQ(BlobSqlText(reinterpret_cast<const uint8_t*>("abc"), 3), "TOBLOB ('YWJj',MIME64)");
  EXPECT_EQ(BlobSqlText(nullptr, 0), "NULL");
}

}  // namespace
}  // namespace kestrel
