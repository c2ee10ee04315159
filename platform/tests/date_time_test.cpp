#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/errors.h"

namespace platform {
namespace {

struct CalendarCase {
  int year, month, day;
  double number;
};

TEST(DateTimeNumbers, DatesMapToDaysSince18991230) {
  const CalendarCase cases[] = {
      {1899, 12, 30, 0},  {1899, 12, 31, 1},       {1900, 1, 1, 2},       {1899, 12, 29, -1},
      {1900, 3, 1, 61},   {1970, 1, 1, 25569},     {2000, 2, 29, 36585},  {2000, 3, 1, 36586},
      {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {2026, 12, 10, 46366},
  };
  for (const CalendarCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
    EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.number);
    const DateParts parts = DecodeDate(c.number);
    EXPECT_EQ(parts.year, c.year);
    EXPECT_EQ(parts.month, c.month);
    EXPECT_EQ(parts.day, c.day);
  }
}

TEST(DateTimeNumbers, EveryDayOfTheCalendarRoundTrips) {
  double expected = EncodeDate(1, 1, 1);
  for (int year = kMinYear; year <= kMaxYear; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        const double number = EncodeDate(year, month, day);
        ASSERT_EQ(number, expected) << year << "-" << month << "-" << day;
        const DateParts parts = DecodeDate(number);
        ASSERT_TRUE(parts.year == year && parts.month == month && parts.day == day) << number;
        expected += 1;
      }
    }
  }
}

TEST(DateTimeNumbers, ImpossibleDatesAndTimesAreRejected) {
  const int badDates[][3] = {{2001, 2, 29}, {1900, 2, 29}, {0, 1, 1},     {10000, 1, 1},
                             {2000, 13, 1}, {2000, 0, 1},  {2000, 4, 31}, {2000, 1, 0}};
  for (const auto& d : badDates) {
    double result = 0;
    EXPECT_FALSE(TryEncodeDate(d[0], d[1], d[2], result)) << d[0] << "-" << d[1] << "-" << d[2];
    try {
      EncodeDate(d[0], d[1], d[2]);
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& error) {
      EXPECT_STREQ(error.what(), "Invalid argument to date encode");
    }
  }
  const int badTimes[][4] = {
      {24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
  for (const auto& t : badTimes) {
    EXPECT_THROW(EncodeTime(t[0], t[1], t[2], t[3]), EConvertError);
  }
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
}

TEST(DateTimeNumbers, TimeIsTheFractionAndCountsForwardOnNegativeDays) {
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(18, 0, 0, 0), 0.75);

  // -1.25 is 1899-12-29 06:00: the day is trunc, the time |frac|.
  const double value = ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0));
  EXPECT_EQ(value, -1.25);
  EXPECT_EQ(DateOf(value), -1);
  EXPECT_EQ(TimeOf(value), 0.25);
  const DateParts date = DecodeDate(value);
  EXPECT_EQ(date.day, 29);
  const TimeParts time = DecodeTime(value);
  EXPECT_EQ(time.hour, 6);
  EXPECT_EQ(time.minute, 0);

  EXPECT_EQ(ComposeDateTime(2, 0.75), 2.75);
  const TimeParts late = DecodeTime(EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(late.hour, 23);
  EXPECT_EQ(late.minute, 59);
  EXPECT_EQ(late.second, 59);
  EXPECT_EQ(late.millisecond, 999);
}

TEST(DateTimeNumbers, TimeStampsSplitDayAndMilliseconds) {
  struct Case {
    double value;
    int32_t date;
    int32_t time;
  };
  const Case cases[] = {
      {0.0, 693594, 0},
      {0.5, 693594, 43200000},
      {-1.25, 693593, 21600000},
      {EncodeDate(1, 1, 1), 1, 0},
      {EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 999), 3652059, 86399999},
      // Rounding up to 24:00 moves to midnight of the next day, on both sides of day 0.
      {1.0 - 1e-12, 693595, 0},
      {-1.0 - (1.0 - 1e-12), 693594, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const TimeStamp stamp = DateTimeToTimeStamp(c.value);
    EXPECT_EQ(stamp.date, c.date);
    EXPECT_EQ(stamp.time, c.time);
  }
  EXPECT_EQ(TimeStampToDateTime({693593, 21600000}), -1.25);
  EXPECT_EQ(TimeStampToDateTime({693594 + 10, 43200000}), 10.5);

  TimeStamp stamp;
  EXPECT_FALSE(TryDateTimeToTimeStamp(EncodeDate(9999, 12, 31) + 1, stamp));
  EXPECT_FALSE(TryDateTimeToTimeStamp(EncodeDate(1, 1, 1) - 1, stamp));
  EXPECT_FALSE(TryDateTimeToTimeStamp(std::nan(""), stamp));
  EXPECT_FALSE(TryDateTimeToTimeStamp(1e300, stamp));
  EXPECT_THROW(DecodeDate(1e300), EConvertError);
}

TEST(DateTimeNumbers, DayOfWeekStartsOnSunday) {
  EXPECT_EQ(DayOfWeek(0), 7);                             // 1899-12-30 was a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5);      // a Thursday
  EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);           // a Monday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 3) + 0.9), 1);  // a Sunday evening
}

TEST(DateTimeNumbers, TodayIsNowWithoutTheTime) {
  const double before = Now();
  const double today = Today();
  const double after = Now();
  EXPECT_EQ(today, std::trunc(today));
  EXPECT_LE(std::trunc(before), today);
  EXPECT_GE(std::trunc(after), today);
  EXPECT_LT(after - before, 1.0 / 24);
}

}  // namespace
}  // namespace platform
