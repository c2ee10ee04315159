#pragma once
// Date-time numbers: a double counting days since 1899-12-30, the time of day
// as the fraction. For days before 1899-12-30 the number is negative while the
// time still counts forward from midnight: -1.25 is 1899-12-29 06:00. So the
// date part is trunc(d) and the time part is |frac(d)|, never floor/ceil.
//
// A time stamp splits the same moment into a day number (day 1 = 0001-01-01)
// and milliseconds since midnight; it is the form records and engines store.

#include <cstdint>

namespace platform {

using DateTime = double;

// Day number of 1899-12-30 in time-stamp form: timestamp.date = trunc(d) + this.
inline constexpr int32_t kDateDelta = 693594;
inline constexpr int32_t kMSecsPerDay = 86400000;
inline constexpr int kMinYear = 1;
inline constexpr int kMaxYear = 9999;

struct TimeStamp {
  int32_t date = 0;  // day 1 is 0001-01-01
  int32_t time = 0;  // milliseconds since midnight, 0 .. kMSecsPerDay - 1
};

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
};

struct TimeParts {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

bool IsLeapYear(int year);
// REQUIRES: 1 <= month <= 12.
int DaysInMonth(int year, int month);

bool TryEncodeDate(int year, int month, int day, DateTime& result);
// Throws EConvertError "Invalid argument to date encode" for an impossible date.
DateTime EncodeDate(int year, int month, int day);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, DateTime& result);
// Throws EConvertError "Invalid argument to time encode" for an impossible time.
DateTime EncodeTime(int hour, int minute, int second, int millisecond);

// Joins a date (whole days) and a time of day (0 <= time < 1) into one number,
// subtracting the time for negative dates as the convention above requires.
DateTime ComposeDateTime(DateTime date, DateTime time);

// The date part trunc(d) and the time part |frac(d)|.
DateTime DateOf(DateTime value);
DateTime TimeOf(DateTime value);

// Milliseconds are rounded to nearest, ties to even; a time that rounds up to
// 24:00 becomes midnight of the next day. Returns false for values outside
// the years 1 to 9999 (and for NaN).
bool TryDateTimeToTimeStamp(DateTime value, TimeStamp& result);
// Throws EConvertError for a value outside the years 1 to 9999.
TimeStamp DateTimeToTimeStamp(DateTime value);
DateTime TimeStampToDateTime(const TimeStamp& stamp);

bool TryDecodeDate(DateTime value, DateParts& result);
// Throws EConvertError for a value outside the years 1 to 9999.
DateParts DecodeDate(DateTime value);
TimeParts DecodeTime(DateTime value);

// Day of the week, 1 = Sunday .. 7 = Saturday.
int DayOfWeek(DateTime value);

// The local date and time now, and today's date at midnight.
DateTime Now();
DateTime Today();

}  // namespace platform
