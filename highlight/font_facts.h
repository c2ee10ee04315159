#pragma once
// What the platform says about a font name: the character set and the
// pitch-and-family byte of the font it actually gives for that name, in the
// numbering of the RTF font table (charset 0 = ANSI, 1 = default, 2 = symbol,
// 128 = Shift-JIS, 255 = OEM; family in the high nibble: 0 don't care,
// 16 roman, 32 swiss, 48 modern, 64 script, 80 decorative; the low nibble
// holds pitch and outline bits and is not read here).
//
// The RTF writer asks this seam instead of a toolkit, so it stays free of Qt;
// highlight/qt answers it from the toolkit's font matching.

#include <cstdint>
#include <string_view>

namespace highlight {

struct FontFacts {
  uint8_t charset = 0;
  uint8_t pitchAndFamily = 0;

  bool operator==(const FontFacts&) const = default;
};

class FontFactsSource {
 public:
  virtual ~FontFactsSource() = default;
  virtual FontFacts FactsFor(std::string_view fontName) const = 0;
};

// The answer when no toolkit is asked: the ANSI character set (the one the
// document's code page 1252 belongs to) and an unknown family, for every name.
const FontFactsSource& PlainFontFacts();

}  // namespace highlight
