#include "platform/format_settings.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/errors.h"
#include "platform/text.h"

namespace platform {
namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string Padded(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

std::size_t RunLength(std::string_view format, std::size_t pos) {
  std::size_t end = pos;
  while (end < format.size() && Lower(format[end]) == Lower(format[pos])) {
    ++end;
  }
  return end - pos;
}

// Which of the three suffix words a format uses for a 12-hour clock.
enum class HalfDayWord { kNone, kAmPm, kAP, kLocale };

HalfDayWord HalfDayWordAt(std::string_view format, std::size_t pos, std::size_t& length) {
  const std::string_view rest = format.substr(pos);
  if (StartsWithText(rest, "am/pm")) {
    length = 5;
    return HalfDayWord::kAmPm;
  }
  if (StartsWithText(rest, "a/p")) {
    length = 3;
    return HalfDayWord::kAP;
  }
  if (StartsWithText(rest, "ampm")) {
    length = 4;
    return HalfDayWord::kLocale;
  }
  return HalfDayWord::kNone;
}

bool UsesTwelveHourClock(std::string_view format) {
  for (std::size_t pos = 0; pos < format.size(); ++pos) {
    const char c = format[pos];
    if (c == '\'' || c == '"') {
      const std::size_t close = format.find(c, pos + 1);
      if (close == std::string_view::npos) {
        return false;
      }
      pos = close;
      continue;
    }
    std::size_t length = 0;
    if (Lower(c) == 'a' && HalfDayWordAt(format, pos, length) != HalfDayWord::kNone) {
      return true;
    }
  }
  return false;
}

class DateTimeWriter {
 public:
  DateTimeWriter(DateTime value, const FormatSettings& settings)
      : value_(value), settings_(settings), time_(DecodeTime(value)) {
    if (!TryDecodeDate(value, date_)) {
      throw EConvertError("Invalid date-time value");
    }
  }

  void Write(std::string_view format, int depth) {
    const bool twelveHour = UsesTwelveHourClock(format);
    char lastToken = 0;
    std::size_t pos = 0;
    while (pos < format.size()) {
      const char c = format[pos];
      const char token = Lower(c);
      const std::size_t run = RunLength(format, pos);
      switch (token) {
        case '\'':
        case '"': {
          const std::size_t close = format.find(c, pos + 1);
          const std::size_t end = close == std::string_view::npos ? format.size() : close;
          out_.append(format.substr(pos + 1, end - pos - 1));
          pos = end == format.size() ? end : end + 1;
          continue;
        }
        case 'c':
          WriteNested(settings_.shortDateFormat, depth);
          if (time_.hour || time_.minute || time_.second || time_.millisecond) {
            out_ += ' ';
            WriteNested(settings_.longTimeFormat, depth);
          }
          pos += 1;
          break;
        case 'd':
          WriteDay(std::min<std::size_t>(run, 6), depth);
          pos += run;
          break;
        case 'm':
          if (lastToken == 'h' && run <= 2) {
            out_ += Padded(time_.minute, static_cast<int>(run));
          } else {
            WriteMonth(run);
          }
          pos += run;
          break;
        case 'y':
          out_ += run <= 2 ? Padded(date_.year % 100, 2) : Padded(date_.year, 4);
          pos += run;
          break;
        case 'h': {
          const std::size_t used = std::min<std::size_t>(run, 2);
          int hour = time_.hour;
          if (twelveHour) {
            hour = hour % 12 == 0 ? 12 : hour % 12;
          }
          out_ += Padded(hour, static_cast<int>(used));
          pos += used;
          break;
        }
        case 'n': {
          const std::size_t used = std::min<std::size_t>(run, 2);
          out_ += Padded(time_.minute, static_cast<int>(used));
          pos += used;
          break;
        }
        case 's': {
          const std::size_t used = std::min<std::size_t>(run, 2);
          out_ += Padded(time_.second, static_cast<int>(used));
          pos += used;
          break;
        }
        case 'z': {
          const std::size_t used = std::min<std::size_t>(run, 3);
          out_ += used == 3 ? Padded(time_.millisecond, 3) : std::to_string(time_.millisecond);
          pos += used;
          break;
        }
        case 't': {
          const std::size_t used = std::min<std::size_t>(run, 2);
          WriteNested(settings_.longTimeFormat, depth);
          pos += used;
          break;
        }
        case 'a':
          pos += WriteHalfDay(format, pos);
          break;
        case '/':
          out_ += settings_.dateSeparator;
          pos += 1;
          break;
        case ':':
          out_ += settings_.timeSeparator;
          pos += 1;
          break;
        default:
          out_ += c;
          pos += 1;
          break;
      }
      if (token == 'd' || token == 'm' || token == 'y' || token == 'h' || token == 'n' ||
          token == 's' || token == 'z') {
        lastToken = token;
      }
    }
  }

  std::string Result() { return std::move(out_); }

 private:
  void WriteNested(std::string_view format, int depth) {
    // A format that names itself again would never end.
    if (depth < 2) {
      Write(format, depth + 1);
    }
  }

  void WriteDay(std::size_t run, int depth) {
    const int weekDay = DayOfWeek(value_) - 1;
    switch (run) {
      case 1:
        out_ += std::to_string(date_.day);
        break;
      case 2:
        out_ += Padded(date_.day, 2);
        break;
      case 3:
        out_ += settings_.shortDayNames[static_cast<std::size_t>(weekDay)];
        break;
      case 4:
        out_ += settings_.longDayNames[static_cast<std::size_t>(weekDay)];
        break;
      default:
        WriteNested(settings_.shortDateFormat, depth);
        break;
    }
  }

  void WriteMonth(std::size_t run) {
    const auto index = static_cast<std::size_t>(date_.month - 1);
    if (run == 1) {
      out_ += std::to_string(date_.month);
    } else if (run == 2) {
      out_ += Padded(date_.month, 2);
    } else if (run == 3) {
      out_ += settings_.shortMonthNames[index];
    } else {
      out_ += settings_.longMonthNames[index];
    }
  }

  std::size_t WriteHalfDay(std::string_view format, std::size_t pos) {
    std::size_t length = 0;
    const bool afternoon = time_.hour >= 12;
    switch (HalfDayWordAt(format, pos, length)) {
      case HalfDayWord::kAmPm: {
        const bool upper = format[pos] == 'A';
        out_ += afternoon ? (upper ? "PM" : "pm") : (upper ? "AM" : "am");
        return length;
      }
      case HalfDayWord::kAP: {
        const bool upper = format[pos] == 'A';
        out_ += afternoon ? (upper ? 'P' : 'p') : (upper ? 'A' : 'a');
        return length;
      }
      case HalfDayWord::kLocale:
        out_ += afternoon ? settings_.timePmString : settings_.timeAmString;
        return length;
      case HalfDayWord::kNone:
        break;
    }
    out_ += format[pos];
    return 1;
  }

  DateTime value_;
  const FormatSettings& settings_;
  DateParts date_;
  TimeParts time_;
  std::string out_;
};

// Reading dates and times.

enum class DateOrder { kDMY, kMDY, kYMD };

DateOrder DateOrderOf(std::string_view format) {
  for (char c : format) {
    switch (Lower(c)) {
      case 'd':
        return DateOrder::kDMY;
      case 'm':
        return DateOrder::kMDY;
      case 'y':
        return DateOrder::kYMD;
      default:
        break;
    }
  }
  return DateOrder::kYMD;
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') {
      ++pos_;
    }
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool Char(char expected) {
    if (pos_ < text_.size() && text_[pos_] == expected) {
      ++pos_;
      return true;
    }
    return false;
  }
  // Reads up to maxDigits digits; digits tells how many were read.
  std::optional<int> Number(int& digits, int maxDigits = 9) {
    digits = 0;
    int value = 0;
    while (pos_ < text_.size() && IsDigit(text_[pos_]) && digits < maxDigits) {
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
      ++digits;
    }
    if (digits == 0) {
      return std::nullopt;
    }
    return value;
  }
  bool Peek(bool (*test)(char)) const { return pos_ < text_.size() && test(text_[pos_]); }
  bool Word(std::string_view word) {
    if (!word.empty() && StartsWithText(text_.substr(pos_), word)) {
      pos_ += word.size();
      return true;
    }
    return false;
  }
  std::size_t Position() const { return pos_; }
  void SetPosition(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

int ExpandTwoDigitYear(int year, const FormatSettings& settings) {
  const int currentYear = DecodeDate(Today()).year;
  if (settings.twoDigitYearCenturyWindow <= 0) {
    return currentYear / 100 * 100 + year;
  }
  const int threshold = currentYear - settings.twoDigitYearCenturyWindow;
  year += threshold / 100 * 100;
  if (year < threshold) {
    year += 100;
  }
  return year;
}

bool ScanDate(Scanner& scan, DateTime& result, const FormatSettings& settings) {
  scan.SkipBlanks();
  int digits[3] = {0, 0, 0};
  int numbers[3] = {0, 0, 0};
  int count = 0;
  for (; count < 3; ++count) {
    if (count > 0) {
      // Some locales put blanks after the separator ("2004. 02. 05.").
      const std::size_t beforeSeparator = scan.Position();
      if (!scan.Char(settings.dateSeparator)) {
        break;
      }
      scan.SkipBlanks();
      if (!scan.Peek(IsDigit)) {
        // A separator that closes the date ("05.02.2004." or "2004. 02. 05.").
        scan.SetPosition(beforeSeparator + 1);
        break;
      }
    }
    const std::optional<int> number = scan.Number(digits[count]);
    if (!number) {
      return false;
    }
    numbers[count] = *number;
  }
  if (count < 2) {
    return false;
  }
  if (count == 3) {
    scan.Char(settings.dateSeparator);
  }
  int year = 0;
  int month = 0;
  int day = 0;
  int yearDigits = 4;
  const DateOrder order = DateOrderOf(settings.shortDateFormat);
  if (count == 2) {
    year = DecodeDate(Today()).year;
    if (order == DateOrder::kDMY) {
      day = numbers[0];
      month = numbers[1];
    } else {
      month = numbers[0];
      day = numbers[1];
    }
  } else {
    switch (order) {
      case DateOrder::kDMY:
        day = numbers[0];
        month = numbers[1];
        year = numbers[2];
        yearDigits = digits[2];
        break;
      case DateOrder::kMDY:
        month = numbers[0];
        day = numbers[1];
        year = numbers[2];
        yearDigits = digits[2];
        break;
      case DateOrder::kYMD:
        year = numbers[0];
        yearDigits = digits[0];
        month = numbers[1];
        day = numbers[2];
        break;
    }
    if (yearDigits <= 2) {
      year = ExpandTwoDigitYear(year, settings);
    }
  }
  return TryEncodeDate(year, month, day, result);
}

bool ScanHalfDay(Scanner& scan, const FormatSettings& settings, bool& afternoon) {
  if (scan.Word(settings.timeAmString) || scan.Word("AM")) {
    afternoon = false;
    return true;
  }
  if (scan.Word(settings.timePmString) || scan.Word("PM")) {
    afternoon = true;
    return true;
  }
  return false;
}

bool ScanTime(Scanner& scan, DateTime& result, const FormatSettings& settings) {
  scan.SkipBlanks();
  int digits = 0;
  const std::optional<int> hour = scan.Number(digits, 2);
  if (!hour) {
    return false;
  }
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  bool hasMinute = false;
  if (scan.Char(settings.timeSeparator)) {
    const std::optional<int> minutes = scan.Number(digits, 2);
    if (!minutes) {
      return false;
    }
    minute = *minutes;
    hasMinute = true;
    if (scan.Char(settings.timeSeparator)) {
      const std::optional<int> seconds = scan.Number(digits, 2);
      if (!seconds) {
        return false;
      }
      second = *seconds;
      if (scan.Char(settings.decimalSeparator)) {
        const std::optional<int> fraction = scan.Number(digits, 3);
        if (!fraction) {
          return false;
        }
        millisecond = *fraction * (digits == 1 ? 100 : digits == 2 ? 10 : 1);
      }
    }
  }
  scan.SkipBlanks();
  bool afternoon = false;
  int hours = *hour;
  if (ScanHalfDay(scan, settings, afternoon)) {
    if (hours < 1 || hours > 12) {
      return false;
    }
    hours = hours % 12 + (afternoon ? 12 : 0);
  } else if (!hasMinute) {
    return false;
  }
  return TryEncodeTime(hours, minute, second, millisecond, result);
}

bool ScanToEnd(Scanner& scan) {
  scan.SkipBlanks();
  return scan.AtEnd();
}

std::string WithExponentTidied(std::string text, const FormatSettings& settings) {
  // "1.5e-07" becomes "1.5E-7" and "1e+20" becomes "1E20".
  const std::size_t e = text.find_first_of("eE");
  if (e != std::string::npos) {
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    std::string sign;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
      if (exponent[0] == '-') {
        sign = "-";
      }
      exponent.erase(0, 1);
    }
    const std::size_t firstNonZero = exponent.find_first_not_of('0');
    exponent = firstNonZero == std::string::npos ? "0" : exponent.substr(firstNonZero);
    text = mantissa + "E" + sign + exponent;
  }
  for (char& c : text) {
    if (c == '.') {
      c = settings.decimalSeparator;
    }
  }
  return text;
}

std::optional<std::string> SpecialFloatText(double value) {
  if (std::isnan(value)) {
    return "NAN";
  }
  if (std::isinf(value)) {
    return value < 0 ? "-INF" : "INF";
  }
  if (value == 0) {
    return "0";  // also for negative zero
  }
  return std::nullopt;
}

}  // namespace

FormatSettings& GlobalFormatSettings() {
  static FormatSettings settings;
  return settings;
}

ScopedDecimalSeparator::ScopedDecimalSeparator(char separator)
    : previous_(GlobalFormatSettings().decimalSeparator) {
  GlobalFormatSettings().decimalSeparator = separator;
}

ScopedDecimalSeparator::~ScopedDecimalSeparator() {
  GlobalFormatSettings().decimalSeparator = previous_;
}

std::string FormatDateTime(std::string_view format, DateTime value,
                           const FormatSettings& settings) {
  DateTimeWriter writer(value, settings);
  writer.Write(format, 0);
  return writer.Result();
}

std::string DateToStr(DateTime value, const FormatSettings& settings) {
  return FormatDateTime(settings.shortDateFormat, value, settings);
}

std::string TimeToStr(DateTime value, const FormatSettings& settings) {
  return FormatDateTime(settings.longTimeFormat, value, settings);
}

std::string DateTimeToStr(DateTime value, const FormatSettings& settings) {
  return FormatDateTime("c", value, settings);
}

bool TryStrToDate(std::string_view text, DateTime& result, const FormatSettings& settings) {
  Scanner scan(text);
  DateTime date = 0;
  if (!ScanDate(scan, date, settings) || !ScanToEnd(scan)) {
    return false;
  }
  result = date;
  return true;
}

bool TryStrToTime(std::string_view text, DateTime& result, const FormatSettings& settings) {
  Scanner scan(text);
  DateTime time = 0;
  if (!ScanTime(scan, time, settings) || !ScanToEnd(scan)) {
    return false;
  }
  result = time;
  return true;
}

bool TryStrToDateTime(std::string_view text, DateTime& result, const FormatSettings& settings) {
  Scanner scan(text);
  DateTime date = 0;
  if (ScanDate(scan, date, settings)) {
    if (ScanToEnd(scan)) {
      result = date;
      return true;
    }
    DateTime time = 0;
    if (ScanTime(scan, time, settings) && ScanToEnd(scan)) {
      result = ComposeDateTime(date, time);
      return true;
    }
  }
  return TryStrToTime(text, result, settings);
}

DateTime StrToDate(std::string_view text, const FormatSettings& settings) {
  DateTime result = 0;
  if (!TryStrToDate(text, result, settings)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid date");
  }
  return result;
}

DateTime StrToTime(std::string_view text, const FormatSettings& settings) {
  DateTime result = 0;
  if (!TryStrToTime(text, result, settings)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid time");
  }
  return result;
}

DateTime StrToDateTime(std::string_view text, const FormatSettings& settings) {
  DateTime result = 0;
  if (!TryStrToDateTime(text, result, settings)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
  }
  return result;
}

std::string FloatToStr(double value, int precision, const FormatSettings& settings) {
  if (auto special = SpecialFloatText(value)) {
    return *special;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*G", precision, value);
  return WithExponentTidied(buffer, settings);
}

std::string FloatToStrExact(double value, const FormatSettings& settings) {
  if (auto special = SpecialFloatText(value)) {
    return *special;
  }
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)error;  // 64 characters always hold a double
  return WithExponentTidied(std::string(buffer, end), settings);
}

std::string FloatToStrFixed(double value, int decimals, const FormatSettings& settings) {
  if (!std::isfinite(value)) {
    return *SpecialFloatText(value);
  }
  std::string buffer(32, '\0');
  int length = std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
  if (length >= static_cast<int>(buffer.size())) {
    buffer.resize(static_cast<std::size_t>(length) + 1);
    length = std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
  }
  buffer.resize(static_cast<std::size_t>(length));
  return WithExponentTidied(buffer, settings);
}

namespace {

// The number in the form from_chars reads ("-12.5e3"), or false when the
// text is not a number of the platform's syntax.
bool NormalisedNumber(std::string_view text, const FormatSettings& settings, std::string& normal) {
  text = Trim(text);
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    if (text[pos] == '-') {
      normal += '-';
    }
    ++pos;
  }
  int mantissaDigits = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    normal += text[pos++];
    ++mantissaDigits;
  }
  if (pos < text.size() && text[pos] == settings.decimalSeparator) {
    normal += '.';
    ++pos;
    while (pos < text.size() && IsDigit(text[pos])) {
      normal += text[pos++];
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) {
    return false;
  }
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    normal += 'e';
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
      normal += text[pos++];
    }
    int exponentDigits = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
      normal += text[pos++];
      ++exponentDigits;
    }
    if (exponentDigits == 0) {
      return false;
    }
  }
  return pos == text.size();
}

template <typename Number>
bool TryTextToNumber(std::string_view text, Number& result, const FormatSettings& settings) {
  std::string normal;
  if (!NormalisedNumber(text, settings, normal)) {
    return false;
  }
  Number value = 0;
  const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  if (error != std::errc() || end != normal.data() + normal.size()) {
    return false;
  }
  result = value;
  return true;
}

}  // namespace

bool TryStrToFloat(std::string_view text, double& result, const FormatSettings& settings) {
  return TryTextToNumber(text, result, settings);
}

bool TryStrToFloat(std::string_view text, long double& result, const FormatSettings& settings) {
  return TryTextToNumber(text, result, settings);
}

double StrToFloat(std::string_view text, const FormatSettings& settings) {
  double result = 0;
  if (!TryStrToFloat(text, result, settings)) {
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  }
  return result;
}

}  // namespace platform
