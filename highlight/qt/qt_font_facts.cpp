#include "highlight/qt/qt_font_facts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QList>
#include <QString>

namespace highlight {
namespace {

// Bits and families of the pitch-and-family byte.
constexpr uint8_t kVariablePitch = 0x01;  // set for proportional fonts
constexpr uint8_t kVectorOutline = 0x02;
constexpr uint8_t kTrueType = 0x04;
constexpr uint8_t kFamilyDontCare = 0x00;
constexpr uint8_t kFamilyModern = 0x30;

constexpr uint8_t kAnsiCharset = 0;
constexpr uint8_t kDefaultCharset = 1;
constexpr uint8_t kSymbolCharset = 2;
constexpr uint8_t kShiftJisCharset = 128;

}  // namespace

FontFacts QtFontFactsSource::FactsFor(std::string_view fontName) const {
  const QFont requested(
      QString::fromUtf8(fontName.data(), static_cast<qsizetype>(fontName.size())));
  const QFontInfo matched(requested);
  const QString family = matched.family();

  FontFacts facts;
  facts.pitchAndFamily = matched.fixedPitch() ? kFamilyModern : (kFamilyDontCare | kVariablePitch);
  if (QFontDatabase::isSmoothlyScalable(family)) {
    facts.pitchAndFamily |= kVectorOutline | kTrueType;
  }

  const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
  if (systems.contains(QFontDatabase::Latin)) {
    facts.charset = kAnsiCharset;
  } else if (systems.contains(QFontDatabase::Symbol)) {
    facts.charset = kSymbolCharset;
  } else if (systems.contains(QFontDatabase::Japanese)) {
    facts.charset = kShiftJisCharset;
  } else {
    facts.charset = kDefaultCharset;
  }
  return facts;
}

const FontFactsSource& QtFontFacts() {
  static const QtFontFactsSource source;
  return source;
}

}  // namespace highlight
