#pragma once
// The process-wide text formats taken from the user's locale.

#include <QLocale>

#include "platform/format_settings.h"

namespace app {

// The formats of a locale in the words FormatSettings understands. Short
// dates always show four-digit years, so a date written out reads back to
// the same day; a pattern with literal words or non-ASCII text gives way to
// the ISO-like form.
platform::FormatSettings FormatSettingsFromLocale(const QLocale& locale);

// A Qt date/time pattern ("dd.MM.yy", "h:mm AP") in FormatSettings words.
std::string FormatWordsFromQtPattern(const QString& pattern);

}  // namespace app
