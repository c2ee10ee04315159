#include "highlight/rtf_syntax_writer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ostream>
#include <sstream>

#include "platform/errors.h"
#include "platform/text.h"

namespace highlight {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Bytes 0x80 to 0x9F of code page 1252 (0 where the code page has none);
// bytes 0xA0 to 0xFF are the Latin-1 characters of the same value.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The code page 1252 byte of a UTF-16 unit, or 0 when it has none.
unsigned char Cp1252Byte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
    return static_cast<unsigned char>(unit);
  }
  const auto found = std::find(kCp1252High.begin(), kCp1252High.end(), unit);
  if (found == kCp1252High.end()) {
    return 0;
  }
  return static_cast<unsigned char>(0x80 + (found - kCp1252High.begin()));
}

class PlainFontFactsSource final : public FontFactsSource {
 public:
  FontFacts FactsFor(std::string_view) const override { return FontFacts{0, 0}; }
};

}  // namespace

const FontFactsSource& PlainFontFacts() {
  static const PlainFontFactsSource source;
  return source;
}

std::string RtfCharsetWord(int charset) {
  switch (charset) {
    case 0:
    case 1:
    case 2:
    case 128:
    case 255:
      return "fcharset" + std::to_string(charset);
    default:
      return {};
  }
}

std::string RtfFamilyWord(int pitchAndFamily) {
  const int value = pitchAndFamily & 0xFF;
  if (value < 16) {
    return "fdontcare";
  }
  if (value < 32) {
    return "froman";
  }
  if (value < 48) {
    return "fswiss";
  }
  if (value < 64) {
    return "fmodern";
  }
  if (value < 80) {
    return "fscript";
  }
  if (value < 96) {
    return "fdecorative";
  }
  return "froman";
}

std::string EncodeRtfText(std::string_view utf8) {
  const bool ascii = std::all_of(utf8.begin(), utf8.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) {
    return std::string(utf8);
  }
  std::string out;
  out.reserve(utf8.size() + 8);
  for (const char16_t unit : platform::Utf8ToUtf16(utf8)) {
    const unsigned char byte = Cp1252Byte(unit);
    if (byte != 0 || unit == 0) {
      out.push_back(static_cast<char>(byte));
    } else {
      out += "\\u" + std::to_string(static_cast<int16_t>(unit)) + "?";
    }
  }
  return out;
}

TRtfSyntaxWriter::TRtfSyntaxWriter() : TRtfSyntaxWriter(PlainFontFacts()) {}

TRtfSyntaxWriter::TRtfSyntaxWriter(const FontFactsSource& fontFacts) : fontFacts_(fontFacts) {
  SetFonts({"Courier New"});
  documentHead_ =
      "{\\rtf1\\ansi\\ansicpg" + std::to_string(codePage_) + "\\deff0\\deftab720{\\fonttbl";
  fontTableEnd_ = "}" + std::string(kCrLf);
  paragraphDefaults_ = "\\deflang1033\\pard\\plain\\f0\\fs20";
}

std::string TRtfSyntaxWriter::EscapeText(const std::string& text) const {
  return text;
}

std::string TRtfSyntaxWriter::FormatToken(int attribute, const std::string& text) const {
  return "\\cf" + std::to_string(attribute) + " " + text;
}

void TRtfSyntaxWriter::Next() {}

bool TRtfSyntaxWriter::AtEnd() const {
  return true;
}

std::string TRtfSyntaxWriter::GetToken() const {
  return {};
}

int TRtfSyntaxWriter::GetTokenAttribute() const {
  return 0;
}

std::string TRtfSyntaxWriter::ColorEntry(RgbColor color) const {
  return "\\red" + std::to_string(color.red) + "\\green" + std::to_string(color.green) + "\\blue" +
         std::to_string(color.blue) + ";";
}

void TRtfSyntaxWriter::SetLine(const std::string&, int) {}

void TRtfSyntaxWriter::SetFonts(const std::vector<std::string>& fontNames) {
  fontTable_.clear();
  for (std::size_t index = 0; index < fontNames.size(); ++index) {
    const FontFacts facts = fontFacts_.FactsFor(fontNames[index]);
    const std::string charset = RtfCharsetWord(facts.charset);
    fontTable_ += "{\\f" + std::to_string(index) + "\\" + RtfFamilyWord(facts.pitchAndFamily);
    // A character set without an RTF word gets no control word at all (a
    // bare "\" would turn the blank before the name into a control symbol).
    if (!charset.empty()) {
      fontTable_ += "\\" + charset;
    }
    fontTable_ += " " + EncodeRtfText(fontNames[index]) + ";}";
  }
}

void TRtfSyntaxWriter::SetColors(const std::vector<RgbColor>& colors) {
  colorTable_ = "{\\colortbl\\red0\\green0\\blue0;";
  for (const RgbColor& color : colors) {
    colorTable_ += ColorEntry(color);
  }
  colorTable_ += "}" + std::string(kCrLf);
}

void TRtfSyntaxWriter::SaveToStream(std::ostream& stream) {
  stream << documentHead_ << fontTable_ << fontTableEnd_ << colorTable_ << paragraphDefaults_
         << "\\f0 ";
  while (!AtEnd()) {
    const std::string token = GetToken();
    const std::string formatted = FormatToken(GetTokenAttribute(), EscapeText(token));
    if (token == kCrLf || token == "\r") {
      stream << "\\par";
    }
    stream << EncodeRtfText(formatted);
    if (!stream) {
      break;
    }
    Next();
  }
  stream << " }";
  stream.flush();
  if (!stream) {
    throw platform::EInOutError(EIO, "Stream write error");
  }
}

std::string TRtfSyntaxWriter::GetRtf() {
  std::ostringstream stream;
  SaveToStream(stream);
  return std::move(stream).str();
}

void TRtfSyntaxWriter::ResetColors() {}

}  // namespace highlight
