#pragma once
// The process-wide text formats of numbers, dates and times, and the
// conversions that go through them.
//
// Format words (letters in any case): d dd (day), ddd dddd (short/long day
// name), ddddd (the short date), m mm (month; minutes right after an hour),
// mmm mmmm (short/long month name), yy yyyy (year), h hh (hour), n nn
// (minute), s ss (second), z zzz (millisecond), t tt (the long time), c (short
// date and long time), am/pm, a/p and ampm (12-hour clock with a suffix),
// "/" (date separator), ":" (time separator), '...' and "..." literal text.
// Any other character stands for itself.

#include <array>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace platform {

struct FormatSettings {
  std::string shortDateFormat = "yyyy-mm-dd";
  std::string longTimeFormat = "hh:nn:ss";
  char dateSeparator = '-';
  char timeSeparator = ':';
  char decimalSeparator = '.';
  std::string timeAmString = "AM";
  std::string timePmString = "PM";
  std::array<std::string, 12> shortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> longMonthNames = {"January",   "February", "March",    "April",
                                                "May",       "June",     "July",     "August",
                                                "September", "October",  "November", "December"};
  // Index 0 is Sunday.
  std::array<std::string, 7> shortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> longDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                             "Thursday", "Friday", "Saturday"};
  // A two-digit year is placed in the hundred years that start this many
  // years before the current year; 0 places it in the current century.
  int twoDigitYearCenturyWindow = 50;
};

// The process-wide settings. The library defaults are fixed and ISO-like; the
// application replaces them from the user's locale at start-up.
FormatSettings& GlobalFormatSettings();

// Sets the process-wide decimal separator for its lifetime and restores the
// previous one however the scope is left.
class ScopedDecimalSeparator {
 public:
  explicit ScopedDecimalSeparator(char separator);
  ~ScopedDecimalSeparator();
  ScopedDecimalSeparator(const ScopedDecimalSeparator&) = delete;
  ScopedDecimalSeparator& operator=(const ScopedDecimalSeparator&) = delete;

 private:
  char previous_;
};

std::string FormatDateTime(std::string_view format, DateTime value,
                           const FormatSettings& settings = GlobalFormatSettings());
std::string DateToStr(DateTime value, const FormatSettings& settings = GlobalFormatSettings());
std::string TimeToStr(DateTime value, const FormatSettings& settings = GlobalFormatSettings());
// The date and, unless it is exactly midnight, a blank and the time.
std::string DateTimeToStr(DateTime value, const FormatSettings& settings = GlobalFormatSettings());

// Dates are read as two or three numbers separated by the date separator in
// the order of the short date format (a missing year is the current year);
// times as hour, minute and optional second and milliseconds (after the
// decimal separator) separated by the time separator, with an optional AM/PM
// suffix; a date-time as a date, optionally followed by blanks and a time, or
// as a time alone. Blanks around the text are allowed.
bool TryStrToDate(std::string_view text, DateTime& result,
                  const FormatSettings& settings = GlobalFormatSettings());
bool TryStrToTime(std::string_view text, DateTime& result,
                  const FormatSettings& settings = GlobalFormatSettings());
bool TryStrToDateTime(std::string_view text, DateTime& result,
                      const FormatSettings& settings = GlobalFormatSettings());
// These throw EConvertError "'<text>' is not a valid date" (time, date and time).
DateTime StrToDate(std::string_view text, const FormatSettings& settings = GlobalFormatSettings());
DateTime StrToTime(std::string_view text, const FormatSettings& settings = GlobalFormatSettings());
DateTime StrToDateTime(std::string_view text,
                       const FormatSettings& settings = GlobalFormatSettings());

// The general form with up to `precision` significant digits: plain digits
// while the decimal exponent lies in -4 .. precision-1, otherwise mantissa,
// "E" and the exponent ("1E20", "1.5E-7"). NaN and infinities are "NAN",
// "INF" and "-INF".
std::string FloatToStr(double value, int precision = 15,
                       const FormatSettings& settings = GlobalFormatSettings());
// The shortest text that reads back as exactly the same double.
std::string FloatToStrExact(double value, const FormatSettings& settings = GlobalFormatSettings());
// Fixed notation with exactly `decimals` digits after the separator.
std::string FloatToStrFixed(double value, int decimals,
                            const FormatSettings& settings = GlobalFormatSettings());
// Reads an optional sign, digits with at most one decimal separator, and an
// optional exponent; blanks around the number are allowed.
bool TryStrToFloat(std::string_view text, double& result,
                   const FormatSettings& settings = GlobalFormatSettings());
// The same syntax read with the full width of long double (the embedded
// engine's extended values).
bool TryStrToFloat(std::string_view text, long double& result,
                   const FormatSettings& settings = GlobalFormatSettings());
// Throws EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view text, const FormatSettings& settings = GlobalFormatSettings());

}  // namespace platform
