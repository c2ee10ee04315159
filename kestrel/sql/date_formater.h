#pragma once
// TDateFormater: the date format texts of TODATE and TOSTRING. A format is
// read into tokens, format words (matched without regard to case, longest
// first) and literal text (quoted with ' or ", or anything that is not a
// word), and the tokens write a date-time number as text and read text back.
//
//   YYYY YEAR  four-digit year          YY    two-digit year (read: < 30 is 20yy)
//   Q          quarter                  MONTH MON   long and short month name
//   MM M       month, with/without zero RM    month in Roman numerals
//   DDD        day of the year          DD D  day of the month
//   DAY DY     long and short day name  DW    day of the week, 1 = Monday
//   HH12 HH H12 H   hour mod 12         HH24 H24    hour 0..23
//   NN N       minutes                  SS S  seconds
//   AMPM       "AM" or "PM"; reading "PM" adds 12 to the hour read so far
//
// Names, day of the year, day of the week and literals are skipped when
// reading, by the length they have in the format text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"

namespace kestrel {

enum class TDateFormatCode : uint8_t {
  kYYYY = 0,
  kYY = 1,
  kYEAR = 2,
  kQ = 3,
  kMONTH = 4,
  kMON = 5,
  kMM = 6,
  kM = 7,
  kRM = 8,
  kDDD = 9,
  kDD = 10,
  kDAY = 11,
  kDY = 12,
  kDW = 13,
  kD = 14,
  kHH12 = 15,
  kHH24 = 16,
  kHH = 17,
  kH12 = 18,
  kH24 = 19,
  kH = 20,
  kNN = 21,
  kN = 22,
  kSS = 23,
  kS = 24,
  kAMPM = 25,
  kLiteral = 26,
};

struct TDateFormatToken {
  TDateFormatCode Code = TDateFormatCode::kLiteral;
  std::string Text;  // the word as written in the format, or the literal text
};

class TDateFormater {
 public:
  explicit TDateFormater(std::string_view format);

  const std::vector<TDateFormatToken>& FormatTokens() const { return formatTokens_; }

  // Month and day names follow the process-wide platform::FormatSettings.
  std::string FormatDate(platform::DateTime value) const;
  // Throws platform::EConvertError for a missing number ("'%s' is not a
  // valid integer value") or an impossible date or time, and
  // EKestrelException "AM/PM word expected, but '%s' found" (30129).
  // Without a year, month or day the date is 1899-12-30.
  platform::DateTime ParseDate(std::string_view text) const;
  // The most characters FormatDate writes.
  int MaxFormattedLength() const;

 private:
  std::vector<TDateFormatToken> formatTokens_;
};

}  // namespace kestrel
