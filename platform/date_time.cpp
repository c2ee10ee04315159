#include "platform/date_time.h"

#include <time.h>

#include <cmath>

#include "platform/errors.h"

namespace platform {
namespace {

constexpr int32_t kMaxDayNumber = 3652059;  // 9999-12-31

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

DateParts CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  DateParts parts;
  parts.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  parts.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  parts.year = static_cast<int>(yearOfEra + era * 400 + (parts.month <= 2 ? 1 : 0));
  return parts;
}

// 0001-01-01 lies 719162 days before 1970-01-01 and is day 1.
constexpr int64_t kUnixEpochDayNumber = 719163;

int32_t RoundedMilliseconds(double fraction) {
  return static_cast<int32_t>(std::nearbyint(fraction * kMSecsPerDay));
}

}  // namespace

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, DateTime& result) {
  if (year < kMinYear || year > kMaxYear || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return false;
  }
  const int64_t dayNumber = DaysFromCivil(year, month, day) + kUnixEpochDayNumber;
  result = static_cast<DateTime>(dayNumber - kDateDelta);
  return true;
}

DateTime EncodeDate(int year, int month, int day) {
  DateTime result = 0;
  if (!TryEncodeDate(year, month, day, result)) {
    throw EConvertError("Invalid argument to date encode");
  }
  return result;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, DateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return false;
  }
  const int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  result = static_cast<double>(ms) / kMSecsPerDay;
  return true;
}

DateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  DateTime result = 0;
  if (!TryEncodeTime(hour, minute, second, millisecond, result)) {
    throw EConvertError("Invalid argument to time encode");
  }
  return result;
}

DateTime ComposeDateTime(DateTime date, DateTime time) {
  return date < 0 ? date - time : date + time;
}

DateTime DateOf(DateTime value) {
  return std::trunc(value);
}

DateTime TimeOf(DateTime value) {
  return std::fabs(value - std::trunc(value));
}

bool TryDateTimeToTimeStamp(DateTime value, TimeStamp& result) {
  if (!std::isfinite(value)) {
    return false;
  }
  const double whole = std::trunc(value);
  double date = whole + kDateDelta;
  int32_t ms = RoundedMilliseconds(std::fabs(value - whole));
  if (ms >= kMSecsPerDay) {
    ms -= kMSecsPerDay;
    date += 1;
  }
  if (date < 1 || date > kMaxDayNumber) {
    return false;
  }
  result.date = static_cast<int32_t>(date);
  result.time = ms;
  return true;
}

TimeStamp DateTimeToTimeStamp(DateTime value) {
  TimeStamp stamp;
  if (!TryDateTimeToTimeStamp(value, stamp)) {
    throw EConvertError("Invalid date-time value");
  }
  return stamp;
}

DateTime TimeStampToDateTime(const TimeStamp& stamp) {
  const double date = static_cast<double>(stamp.date) - kDateDelta;
  return ComposeDateTime(date, static_cast<double>(stamp.time) / kMSecsPerDay);
}

bool TryDecodeDate(DateTime value, DateParts& result) {
  TimeStamp stamp;
  if (!TryDateTimeToTimeStamp(value, stamp)) {
    return false;
  }
  result = CivilFromDays(stamp.date - kUnixEpochDayNumber);
  return true;
}

DateParts DecodeDate(DateTime value) {
  DateParts parts;
  if (!TryDecodeDate(value, parts)) {
    throw EConvertError("Invalid date-time value");
  }
  return parts;
}

TimeParts DecodeTime(DateTime value) {
  TimeParts parts;
  if (!std::isfinite(value)) {
    return parts;
  }
  int32_t ms = RoundedMilliseconds(TimeOf(value)) % kMSecsPerDay;
  parts.millisecond = ms % 1000;
  ms /= 1000;
  parts.second = ms % 60;
  ms /= 60;
  parts.minute = ms % 60;
  parts.hour = ms / 60;
  return parts;
}

int DayOfWeek(DateTime value) {
  return DateTimeToTimeStamp(value).date % 7 + 1;
}

DateTime Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  const DateTime date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  // A leap second shows as :60; keep it inside the minute.
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
  const DateTime time =
      EncodeTime(local.tm_hour, local.tm_min, second, static_cast<int>(now.tv_nsec / 1000000));
  return ComposeDateTime(date, time);
}

DateTime Today() {
  return DateOf(Now());
}

}  // namespace platform
