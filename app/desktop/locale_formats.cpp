#include "app/desktop/locale_formats.h"

namespace app {
namespace {

char SeparatorIn(const QString& pattern, char fallback) {
  bool quoted = false;
  for (QChar c : pattern) {
    if (c == '\'') {
      quoted = !quoted;
    } else if (!quoted && !c.isLetter() && !c.isSpace() && c.unicode() < 0x80) {
      return static_cast<char>(c.unicode());
    }
  }
  return fallback;
}

char AsciiOr(const QString& text, char fallback) {
  return text.size() == 1 && text[0].unicode() < 0x80 ? static_cast<char>(text[0].unicode())
                                                      : fallback;
}

// Dates and times are read back as numbers and separators only, so a
// pattern with literal words or non-ASCII text is not used.
bool ReadsBack(const QString& pattern) {
  for (QChar c : pattern) {
    if (c.unicode() >= 0x80 || c == '\'') {
      return false;
    }
  }
  return !pattern.isEmpty();
}

}  // namespace

std::string FormatWordsFromQtPattern(const QString& pattern) {
  std::string words;
  for (qsizetype i = 0; i < pattern.size();) {
    const QChar c = pattern[i];
    qsizetype run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) {
      ++run;
    }
    if (c == '\'') {
      // Quoted literal text; '' is a quote character itself.
      const qsizetype close = pattern.indexOf('\'', i + 1);
      const qsizetype end = close < 0 ? pattern.size() : close;
      const QString literal = pattern.mid(i + 1, end - i - 1);
      words += literal.isEmpty() ? "\"'\"" : "\"" + literal.toStdString() + "\"";
      i = end + 1;
      continue;
    }
    std::string piece;
    switch (c.unicode()) {
      case 'd':
        piece = std::string(static_cast<std::size_t>(std::min<qsizetype>(run, 4)), 'd');
        break;
      case 'M':
        piece = std::string(static_cast<std::size_t>(std::min<qsizetype>(run, 4)), 'm');
        break;
      case 'y':
        piece = "yyyy";  // two-digit years would not read back to the same date
        break;
      case 'h':
      case 'H':
        piece = run >= 2 ? "hh" : "h";
        break;
      case 'm':
        piece = run >= 2 ? "nn" : "n";
        break;
      case 's':
        piece = run >= 2 ? "ss" : "s";
        break;
      case 'z':
        piece = run >= 3 ? "zzz" : "z";
        break;
      case 'A':
      case 'a':
        if (i + 1 < pattern.size() && (pattern[i + 1] == 'P' || pattern[i + 1] == 'p')) {
          piece = c == 'A' ? "AM/PM" : "am/pm";
          run = 2;
        } else {
          piece = c.toLatin1();
        }
        break;
      case 't':
        piece.clear();  // time zone names are not shown
        break;
      default:
        piece = QString(run, c).toStdString();
        break;
    }
    words += piece;
    i += run;
  }
  // A time-zone word leaves a trailing blank behind.
  while (!words.empty() && words.back() == ' ') {
    words.pop_back();
  }
  return words;
}

platform::FormatSettings FormatSettingsFromLocale(const QLocale& locale) {
  platform::FormatSettings settings;
  QString datePattern = locale.dateFormat(QLocale::ShortFormat);
  if (!ReadsBack(datePattern)) {
    datePattern = "yyyy-MM-dd";
  }
  QString timePattern = locale.timeFormat(QLocale::LongFormat);
  if (!ReadsBack(timePattern)) {
    timePattern = "HH:mm:ss";
  }
  settings.shortDateFormat = FormatWordsFromQtPattern(datePattern);
  settings.longTimeFormat = FormatWordsFromQtPattern(timePattern);
  settings.dateSeparator = SeparatorIn(datePattern, '/');
  settings.timeSeparator = SeparatorIn(timePattern, ':');
  settings.decimalSeparator = AsciiOr(locale.decimalPoint(), '.');
  if (!locale.amText().isEmpty()) {
    settings.timeAmString = locale.amText().toStdString();
  }
  if (!locale.pmText().isEmpty()) {
    settings.timePmString = locale.pmText().toStdString();
  }
  for (int month = 1; month <= 12; ++month) {
    const auto index = static_cast<std::size_t>(month - 1);
    settings.shortMonthNames[index] = locale.monthName(month, QLocale::ShortFormat).toStdString();
    settings.longMonthNames[index] = locale.monthName(month, QLocale::LongFormat).toStdString();
  }
  for (int day = 0; day < 7; ++day) {
    // Qt counts from Monday = 1 to Sunday = 7; the names here start on Sunday.
    const int qtDay = day == 0 ? 7 : day;
    settings.shortDayNames[static_cast<std::size_t>(day)] =
        locale.dayName(qtDay, QLocale::ShortFormat).toStdString();
    settings.longDayNames[static_cast<std::size_t>(day)] =
        locale.dayName(qtDay, QLocale::LongFormat).toStdString();
  }
  return settings;
}

}  // namespace app
