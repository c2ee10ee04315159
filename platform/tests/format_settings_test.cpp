#include "platform/format_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string_view>

#include "platform/errors.h"

namespace platform {
namespace {

// 2004-02-05 (a Thursday) 13:07:09.045
DateTime SampleMoment() {
  return EncodeDate(2004, 2, 5) + EncodeTime(13, 7, 9, 45);
}

FormatSettings DayMonthYearDots() {
  FormatSettings settings;
  settings.shortDateFormat = "dd.mm.yyyy";
  settings.dateSeparator = '.';
  settings.decimalSeparator = ',';
  return settings;
}

FormatSettings HungarianStyle() {
  FormatSettings settings;
  settings.shortDateFormat = "yyyy. mm. dd.";
  settings.dateSeparator = '.';
  return settings;
}

FormatSettings MonthDayYearSlashes() {
  FormatSettings settings;
  settings.shortDateFormat = "m/d/yyyy";
  settings.dateSeparator = '/';
  settings.longTimeFormat = "h:nn:ss AM/PM";
  return settings;
}

TEST(FormatDateTime, WritesEveryFormatWord) {
  const struct {
    const char* format;
    const char* expected;
  } cases[] = {
      {"yyyy-mm-dd", "2004-02-05"},
      {"d/m/yy", "5-2-04"},
      {"dd mmm yyyy", "05 Feb 2004"},
      {"dddd, mmmm d", "Thursday, February 5"},
      {"ddd", "Thu"},
      {"ddddd", "2004-02-05"},
      {"hh:nn:ss.zzz", "13:07:09.045"},
      {"h:mm", "13:07"},  // m right after an hour is the minute
      {"h:mm am/pm", "1:07 pm"},
      {"hh:nn AM/PM", "01:07 PM"},
      {"h a/p", "1 p"},
      {"h ampm", "1 PM"},
      {"z", "45"},
      {"'yyyy' \"mm\" yyyy", "yyyy mm 2004"},
      {"c", "2004-02-05 13:07:09"},
      {"tt", "13:07:09"},
      {"x", "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDateTime(c.format, SampleMoment()), c.expected) << c.format;
  }
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2004, 2, 5)), "2004-02-05");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(0, 30, 0, 0)), "12 am");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(12, 30, 0, 0)), "12 pm");
  EXPECT_EQ(FormatDateTime("ddddd", SampleMoment(), DayMonthYearDots()), "05.02.2004");
  EXPECT_THROW(FormatDateTime("yyyy", 1e300), EConvertError);
}

TEST(FormatDateTime, DefaultTextsAreIsoLike) {
  EXPECT_EQ(DateToStr(SampleMoment()), "2004-02-05");
  EXPECT_EQ(TimeToStr(SampleMoment()), "13:07:09");
  EXPECT_EQ(DateTimeToStr(SampleMoment()), "2004-02-05 13:07:09");
  EXPECT_EQ(DateTimeToStr(EncodeDate(2004, 2, 5)), "2004-02-05");
  EXPECT_EQ(DateToStr(SampleMoment(), MonthDayYearSlashes()), "2/5/2004");
  EXPECT_EQ(TimeToStr(SampleMoment(), MonthDayYearSlashes()), "1:07:09 PM");
}

TEST(ReadDateTime, DatesFollowTheShortDateOrder) {
  const int currentYear = DecodeDate(Today()).year;
  const struct {
    const char* text;
    FormatSettings settings;
    bool valid;
    int year, month, day;
  } cases[] = {
      {"2004-02-05", {}, true, 2004, 2, 5},
      {"  2004-2-5 ", {}, true, 2004, 2, 5},
      {"2-5", {}, true, currentYear, 2, 5},
      {"05.02.2004", DayMonthYearDots(), true, 2004, 2, 5},
      {"5.2", DayMonthYearDots(), true, currentYear, 2, 5},
      {"2/5/2004", MonthDayYearSlashes(), true, 2004, 2, 5},
      {"2004. 02. 05.", HungarianStyle(), true, 2004, 2, 5},
      {"2004.02.05.", HungarianStyle(), true, 2004, 2, 5},
      {"05.02.2004.", DayMonthYearDots(), true, 2004, 2, 5},
      {"2004-02-05-", {}, true, 2004, 2, 5},
      {"2004-02-", {}, false, 0, 0, 0},
      {"2004/02/05", {}, false, 0, 0, 0},
      {"2004-02-30", {}, false, 0, 0, 0},
      {"2004-02-05x", {}, false, 0, 0, 0},
      {"2004", {}, false, 0, 0, 0},
      {"", {}, false, 0, 0, 0},
      {"-02-05", {}, false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    DateTime value = 0;
    ASSERT_EQ(TryStrToDate(c.text, value, c.settings), c.valid);
    if (c.valid) {
      EXPECT_EQ(value, EncodeDate(c.year, c.month, c.day));
    }
  }
  try {
    StrToDate("nope");
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "'nope' is not a valid date");
  }
}

TEST(ReadDateTime, TwoDigitYearsUseTheCenturyWindow) {
  const int currentYear = DecodeDate(Today()).year;
  FormatSettings settings;
  settings.twoDigitYearCenturyWindow = 0;
  EXPECT_EQ(StrToDate("04-02-05", settings), EncodeDate(currentYear / 100 * 100 + 4, 2, 5));

  settings.twoDigitYearCenturyWindow = 50;
  const int threshold = currentYear - 50;
  for (int twoDigits : {0, 4, 49, 50, 99}) {
    int expected = threshold / 100 * 100 + twoDigits;
    if (expected < threshold) {
      expected += 100;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02d-01-01", twoDigits);
    EXPECT_EQ(StrToDate(text, settings), EncodeDate(expected, 1, 1)) << text;
  }
  // Four digits are taken as written.
  EXPECT_EQ(StrToDate("0004-01-01", settings), EncodeDate(4, 1, 1));
}

TEST(ReadDateTime, TimesWithSecondsMillisecondsAndHalfDays) {
  const struct {
    const char* text;
    bool valid;
    int hour, minute, second, ms;
  } cases[] = {
      {"13:07:09", true, 13, 7, 9, 0},
      {"13:07", true, 13, 7, 0, 0},
      {"13:07:09.045", true, 13, 7, 9, 45},
      {"13:07:09.5", true, 13, 7, 9, 500},
      {"1:07 PM", true, 13, 7, 0, 0},
      {"1:07pm", true, 13, 7, 0, 0},
      {"12:00 AM", true, 0, 0, 0, 0},
      {"12 PM", true, 12, 0, 0, 0},
      {" 23:59:59 ", true, 23, 59, 59, 0},
      {"24:00", false, 0, 0, 0, 0},
      {"13", false, 0, 0, 0, 0},
      {"13:07 PM", false, 0, 0, 0, 0},
      {"0:30 AM", false, 0, 0, 0, 0},
      {"13:60", false, 0, 0, 0, 0},
      {"13:07:09.1234", false, 0, 0, 0, 0},
      {"13:", false, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    DateTime value = 0;
    ASSERT_EQ(TryStrToTime(c.text, value), c.valid);
    if (c.valid) {
      EXPECT_EQ(value, EncodeTime(c.hour, c.minute, c.second, c.ms));
    }
  }
}

TEST(ReadDateTime, DateTimesAreADateWithAnOptionalTimeOrATimeAlone) {
  EXPECT_EQ(StrToDateTime("2004-02-05 13:07:09"), EncodeDate(2004, 2, 5) + EncodeTime(13, 7, 9, 0));
  EXPECT_EQ(StrToDateTime("2004-02-05"), EncodeDate(2004, 2, 5));
  EXPECT_EQ(StrToDateTime("13:07"), EncodeTime(13, 7, 0, 0));
  EXPECT_EQ(StrToDateTime("1899-12-29 06:00"), -1.25);
  DateTime value = 0;
  EXPECT_FALSE(TryStrToDateTime("2004-02-05 junk", value));
  EXPECT_FALSE(TryStrToDateTime("2004-02-05 13:07 x", value));
  EXPECT_THROW(StrToDateTime("x"), EConvertError);
  EXPECT_THROW(StrToTime("x"), EConvertError);
}

TEST(ReadDateTime, WrittenTextsReadBackToTheSameValue) {
  const FormatSettings variants[] = {FormatSettings{}, DayMonthYearDots(), MonthDayYearSlashes(),
                                     HungarianStyle()};
  for (const FormatSettings& settings : variants) {
    SCOPED_TRACE(settings.shortDateFormat);
    for (double day = EncodeDate(1, 1, 1); day <= EncodeDate(9999, 12, 31); day += 997) {
      const double moment = ComposeDateTime(day, EncodeTime(17, 45, 3, 0));
      ASSERT_EQ(StrToDate(DateToStr(moment, settings), settings), day);
      ASSERT_EQ(StrToDateTime(DateTimeToStr(moment, settings), settings), moment)
          << DateTimeToStr(moment, settings);
    }
  }
}

TEST(FloatText, GeneralFormWithFifteenDigits) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.5, "1.5"},
      {-12.25, "-12.25"},
      {1e20, "1E20"},
      {1.5e-7, "1.5E-7"},
      {0.0001, "0.0001"},
      {0.00001, "1E-5"},
      {123456789012345.0, "123456789012345"},
      {1234567890123456.0, "1.23456789012346E15"},
      {1.0 / 3, "0.333333333333333"},
      {std::nan(""), "NAN"},
      {-INFINITY, "-INF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloatToStr(c.value), c.expected) << c.expected;
  }
  EXPECT_EQ(FloatToStr(1.5, 15, DayMonthYearDots()), "1,5");
  EXPECT_EQ(FloatToStrFixed(2.5, 2), "2.50");
  EXPECT_EQ(FloatToStrFixed(-1234.5678, 1, DayMonthYearDots()), "-1234,6");
  EXPECT_EQ(FloatToStrFixed(1e300, 0).size(), 301u);
}

TEST(FloatText, ExactTextReadsBackBitForBit) {
  std::mt19937_64 random(20261210);
  const FormatSettings variants[] = {FormatSettings{}, DayMonthYearDots()};
  for (const FormatSettings& settings : variants) {
    for (int i = 0; i < 20000; ++i) {
      uint64_t bits = random();
      double value = 0;
      std::memcpy(&value, &bits, sizeof value);
      if (!std::isfinite(value)) {
        continue;
      }
      const std::string text = FloatToStrExact(value, settings);
      double back = 0;
      ASSERT_TRUE(TryStrToFloat(text, back, settings)) << text;
      ASSERT_EQ(back, value) << text;
    }
  }
  EXPECT_EQ(FloatToStrExact(0.1), "0.1");
  EXPECT_EQ(FloatToStrExact(1e20), "1E20");
}

TEST(FloatText, ReadingAcceptsOnlyTheDecimalSeparator) {
  const struct {
    const char* text;
    bool valid;
    double value;
  } cases[] = {
      {"12.5", true, 12.5}, {" -1.5e3 ", true, -1500}, {"+.5", true, 0.5}, {"5.", true, 5},
      {"1E-2", true, 0.01}, {"1e", false, 0},          {".", false, 0},    {"1.2.3", false, 0},
      {"1,5", false, 0},    {"1e400", false, 0},       {"abc", false, 0},  {"", false, 0},
      {"1 000", false, 0},  {"0x10", false, 0},
  };
  for (const auto& c : cases) {
    double value = 0;
    ASSERT_EQ(TryStrToFloat(c.text, value), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
  // The long double reading follows the same syntax with its own range.
  for (const auto& c : cases) {
    long double value = 0;
    const bool inLongDoubleRange = std::string_view(c.text) == "1e400";
    ASSERT_EQ(TryStrToFloat(c.text, value), c.valid || inLongDoubleRange) << c.text;
    if (c.valid) {
      EXPECT_EQ(static_cast<double>(value), c.value) << c.text;
    }
  }
  long double third = 0;
  ASSERT_TRUE(TryStrToFloat("0,333333333333333333333", third, DayMonthYearDots()));
  EXPECT_NE(third, static_cast<long double>(1.0 / 3.0)) << "read wider than a double";
  EXPECT_EQ(StrToFloat("1,5", DayMonthYearDots()), 1.5);
  EXPECT_THROW(StrToFloat("1.5", DayMonthYearDots()), EConvertError);
  try {
    StrToFloat("x1");
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "'x1' is not a valid floating point value");
  }
}

TEST(FloatText, ScopedDecimalSeparatorRestoresOnEveryExit) {
  const char before = GlobalFormatSettings().decimalSeparator;
  try {
    ScopedDecimalSeparator comma(',');
    EXPECT_EQ(FloatToStr(0.5), "0,5");
    {
      ScopedDecimalSeparator dot('.');
      EXPECT_EQ(FloatToStr(0.5), "0.5");
    }
    EXPECT_EQ(GlobalFormatSettings().decimalSeparator, ',');
    throw std::runtime_error("leave early");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(GlobalFormatSettings().decimalSeparator, before);
}

}  // namespace
}  // namespace platform
