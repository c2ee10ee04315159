#pragma once
// Text between the program's strings and Qt's: narrow strings are UTF-8
// bytes, QString is UTF-16. Every widget file converts through these two, so
// a name with accents shows and comes back unchanged.

#include <QString>
#include <string>
#include <string_view>

namespace platform::qt {

inline QString QText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string StdText(const QString& text) {
  return text.toStdString();
}

}  // namespace platform::qt
