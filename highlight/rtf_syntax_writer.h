#pragma once
// TRtfSyntaxWriter writes a token stream as an RTF document: a head declaring
// code page 1252, a font table, a color table whose entry 0 is black, the
// paragraph defaults (font 0, 10 points) and then every token as its escaped,
// formatted text, with "\par" before each CR LF or lone CR token.
//
// A subclass supplies the tokens (Next, AtEnd, GetToken, GetTokenAttribute,
// SetLine) and their escaping and formatting; the base class is an empty
// stream. Text is UTF-8. On output, characters of code page 1252 are written
// as its single bytes (ASCII as it stands) and every other character as an
// RTF Unicode escape "\uN?" (N the signed 16-bit UTF-16 unit, one escape per
// unit of a surrogate pair, "?" the fallback a reader skips), so a reader gets
// back exactly the text that was written. Invalid UTF-8 is carried as U+FFFD.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "highlight/font_facts.h"

namespace highlight {

struct RgbColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;

  bool operator==(const RgbColor&) const = default;
};

class TRtfSyntaxWriter {
 public:
  static constexpr int kCodePage = 1252;

  // Fonts are described by PlainFontFacts().
  TRtfSyntaxWriter();
  // REQUIRES: fontFacts outlives the writer.
  explicit TRtfSyntaxWriter(const FontFactsSource& fontFacts);
  virtual ~TRtfSyntaxWriter() = default;
  TRtfSyntaxWriter(const TRtfSyntaxWriter&) = delete;
  TRtfSyntaxWriter& operator=(const TRtfSyntaxWriter&) = delete;

  // The token text as it goes into the document; the base leaves it as it is.
  virtual std::string EscapeText(const std::string& text) const;
  // "\cf<attribute> <text>".
  virtual std::string FormatToken(int attribute, const std::string& text) const;
  virtual void Next();
  virtual bool AtEnd() const;
  virtual std::string GetToken() const;
  virtual int GetTokenAttribute() const;
  // "\red<R>\green<G>\blue<B>;".
  virtual std::string ColorEntry(RgbColor color) const;
  virtual void SetLine(const std::string& text, int lineNumber);
  void SetText(const std::string& text) { SetLine(text, 1); }
  // One font-table entry per name, numbered from 0.
  void SetFonts(const std::vector<std::string>& fontNames);
  // The given colors become color-table indices 1, 2, ... after black.
  void SetColors(const std::vector<RgbColor>& colors);
  // Writes the whole document; throws platform::EInOutError when the stream
  // fails.
  void SaveToStream(std::ostream& stream);
  std::string GetRtf();
  virtual void ResetColors();

  int CodePage() const { return codePage_; }
  const std::string& FontTable() const { return fontTable_; }
  const std::string& ColorTable() const { return colorTable_; }

 private:
  const FontFactsSource& fontFacts_;
  int codePage_ = kCodePage;
  std::string documentHead_;
  std::string fontTable_;
  std::string fontTableEnd_;
  std::string colorTable_;
  std::string paragraphDefaults_;
};

// The RTF words for a font's character set ("fcharset0" ...; empty for a set
// the table does not know) and for the family in its pitch-and-family byte.
std::string RtfCharsetWord(int charset);
std::string RtfFamilyWord(int pitchAndFamily);

// UTF-8 text in the document's form: code page 1252 bytes and "\uN?" escapes.
std::string EncodeRtfText(std::string_view utf8);

}  // namespace highlight
