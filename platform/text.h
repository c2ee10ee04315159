#pragma once
// Text helpers over UTF-8 strings: letter-case rules, trimming, cutting to a
// byte limit, and the integer reading every module shares.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Equality without regard to letter case (Unicode case folding; ASCII fast).
bool SameText(std::string_view left, std::string_view right);
// Ordering without regard to letter case: <0, 0 or >0.
int CompareText(std::string_view left, std::string_view right);

std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// Remove characters with codes up to the blank (blanks, tabs, control
// characters) from both ends, the left end or the right end.
std::string_view Trim(std::string_view text);
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);

// The longest prefix of at most maxBytes bytes that does not split a UTF-8
// sequence.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);
// Characters of UTF-8 text: the bytes that are no continuation bytes.
std::size_t Utf8Length(std::string_view text);
// Bytes of the character at text[at]: a lead byte with the continuation
// bytes after it (at most four in all), or one byte. REQUIRES: at < size.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

bool StartsWithText(std::string_view text, std::string_view prefix);

// Conversions between UTF-8 and UTF-16; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Integer reading: leading blanks, an optional sign, then decimal digits or a
// hexadecimal number introduced by "$", "x" or "0x" (any letter case), and
// nothing after it. Decimal values must fit the type; hexadecimal values may
// use the full unsigned width and wrap into the signed type.
bool TryStrToInt(std::string_view text, int32_t& result);
bool TryStrToInt64(std::string_view text, int64_t& result);
int32_t StrToIntDef(std::string_view text, int32_t fallback);
// Throws EConvertError "'<text>' is not a valid integer value".
int32_t StrToInt(std::string_view text);
int64_t StrToInt64(std::string_view text);

}  // namespace platform
