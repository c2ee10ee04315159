#pragma once
// The toolkit's answer to "what does the platform give for this font name":
// the font Qt matches for the name decides the pitch (fixed-pitch fonts are
// the "modern" family) and, through the writing systems it covers, the
// character set (Latin: ANSI; symbol fonts: symbol; Japanese only:
// Shift-JIS; anything else: the default set). Qt does not tell serif from
// sans-serif faces, so a proportional font's family is "don't care".
//
// REQUIRES: a QGuiApplication exists while it is asked.

#include "highlight/font_facts.h"

namespace highlight {

class QtFontFactsSource final : public FontFactsSource {
 public:
  FontFacts FactsFor(std::string_view fontName) const override;
};

const FontFactsSource& QtFontFacts();

}  // namespace highlight
