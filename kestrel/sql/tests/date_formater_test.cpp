#include "kestrel/sql/date_formater.h"

#include <gtest/gtest.h>

#include "kestrel/storage/kestrel_exception.h"
#include "platform/errors.h"
#include "platform/format_settings.h"

namespace kestrel {
namespace {

using platform::EncodeDate;
using platform::EncodeTime;

std::string TokensOf(std::string_view format) {
  std::string out;
  const TDateFormater formater(format);
  for (const TDateFormatToken& token : formater.FormatTokens()) {
    if (!out.empty()) {
      out += ' ';
    }
    out += token.Code == TDateFormatCode::kLiteral
               ? "\"" + token.Text + "\""
               : std::to_string(static_cast<int>(token.Code)) + ":" + token.Text;
  }
  return out;
}

TEST(DateFormater, ReadsWordsLongestFirst) {
  const struct {
    const char* format;
    const char* tokens;
  } cases[] = {
      {"DD-MON-YYYY HH24:NN", "10:DD \"-\" 5:MON \"-\" 0:YYYY \" \" 16:HH24 \":\" 21:NN"},
      {"MONTH", "4:MONTH"},
      {"dd.mm.yy", "10:dd \".\" 6:mm \".\" 1:yy"},
      {"YEAR Q RM DDD DAY DY DW",
       "2:YEAR \" \" 3:Q \" \" 8:RM \" \" 9:DDD \" \" 11:DAY \" \" 12:DY "
       "\" \" 13:DW"},
      {"H12H24HH12", "18:H12 19:H24 15:HH12"},
      {"'YYYY'", "\"YYYY\""},
      {"DD'' x", "10:DD \"\" \" x\""},
      {"\"It's\" D", "\"It's\" \" \" 14:D"},
      {"D 'open", "14:D \" \" \"open\""},
      {"'", ""},
      {"", ""},
      {"ZZ", "\"ZZ\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TokensOf(c.format), c.tokens) << c.format;
  }
}

TEST(DateFormater, Writes) {
  // 2004-03-07 was a Sunday.
  const platform::DateTime moment = EncodeDate(2004, 3, 7) + EncodeTime(13, 5, 9, 0);
  const struct {
    const char* format;
    const char* text;
  } cases[] = {
      {"DD.MM.YYYY", "07.03.2004"},
      {"D.M.YY", "7.3.04"},
      {"YEAR Q", "2004 1"},
      {"MONTH MON RM", "March Mar III"},
      {"DDD DAY DY DW", "67 Sunday Sun 7"},
      {"HH24:NN:SS", "13:05:09"},
      {"HH12 HH H12 H H24 N S AMPM", "01 01 1 1 13 5 9 PM"},
      {"'YYYY'", "YYYY"},
      {"'", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TDateFormater(c.format).FormatDate(moment), c.text) << c.format;
  }
  EXPECT_EQ(TDateFormater("HH:NN AMPM").FormatDate(EncodeTime(12, 30, 0, 0)), "00:30 PM");
  EXPECT_EQ(TDateFormater("HH:NN AMPM").FormatDate(EncodeTime(9, 5, 0, 0)), "09:05 AM");
  EXPECT_EQ(TDateFormater("DW").FormatDate(EncodeDate(2004, 3, 8)), "1");  // Monday
}

TEST(DateFormater, Reads) {
  const struct {
    const char* format;
    const char* text;
    platform::DateTime value;
  } cases[] = {
      {"DD.MM.YYYY", "07.03.2004", EncodeDate(2004, 3, 7)},
      {"D.M.YY", "7.3.04", EncodeDate(2004, 3, 7)},
      {"D.M.YY", "7.3.31", EncodeDate(1931, 3, 7)},
      {"D.M.YY", "17.12.29", EncodeDate(2029, 12, 17)},
      {"YYYY-Q-DD", "2004-2-15", EncodeDate(2004, 4, 15)},
      {"YYYY-Q", "2004-2", 0},
      {"HH24:NN", "13:45", EncodeTime(13, 45, 0, 0)},
      {"HH:NN AMPM", "00:30 PM", EncodeTime(12, 30, 0, 0)},
      {"HH:NN AMPM", "11:00 am", EncodeTime(11, 0, 0, 0)},
      // Names are skipped, so without a month the date is 1899-12-30.
      {"DD MON YYYY H:N:S", "07 Mar 2004 1:2:3", EncodeTime(1, 2, 3, 0)},
      {"DDD DD.MM.YYYY", "067 07.03.2004", EncodeDate(2004, 3, 7)},
      {"'at' HH", "at 09", EncodeTime(9, 0, 0, 0)},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(TDateFormater(c.format).ParseDate(c.text), c.value)
        << c.format << " " << c.text;
  }
}

TEST(DateFormater, ReadingFailures) {
  try {
    TDateFormater("HH:NN AMPM").ParseDate("11:00 XM");
    FAIL() << "no error";
  } catch (const EKestrelException& error) {
    EXPECT_EQ(error.NativeError(), 30129);
    EXPECT_EQ(error.Text(), "AM/PM word expected, but 'XM' found");
  }
  const struct {
    const char* format;
    const char* text;
    const char* message;
  } cases[] = {
      {"DD.MM.YYYY", "ab.03.2004", "'ab' is not a valid integer value"},
      {"DD.MM.YYYY", "07.03", "'' is not a valid integer value"},
      {"DD.MM.YYYY", "31.02.2004", "Invalid argument to date encode"},
      {"HH24:NN", "25:00", "Invalid argument to time encode"},
      {"HH:NN AMPM", "12:30 PM", "Invalid argument to time encode"},
  };
  for (const auto& c : cases) {
    try {
      TDateFormater(c.format).ParseDate(c.text);
      ADD_FAILURE() << c.format << " " << c.text << ": no error";
    } catch (const platform::EConvertError& error) {
      EXPECT_EQ(error.Message(), c.message) << c.format << " " << c.text;
    }
  }
}

TEST(DateFormater, MaxFormattedLength) {
  const struct {
    const char* format;
    int length;
  } cases[] = {
      {"DD-MON-YYYY", 11}, {"YEAR", 4}, {"MONTH", 9}, {"DAY", 12},  {"Q", 1},  {"DDD", 3},
      {"HH24:NN", 5},      {"AMPM", 2}, {"DW", 2},    {"'abc'", 3}, {"DY", 3}, {"RM", 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TDateFormater(c.format).MaxFormattedLength(), c.length) << c.format;
  }
  // Long locale names count as long as they are.
  const platform::FormatSettings saved = platform::GlobalFormatSettings();
  platform::GlobalFormatSettings().longMonthNames[8] = "Septembrissimo";
  EXPECT_EQ(TDateFormater("MONTH").MaxFormattedLength(), 14);
  platform::GlobalFormatSettings() = saved;
}

TEST(DateFormater, WrittenTextFitsTheMaximum) {
  const char* formats[] = {"DD-MON-YYYY", "DAY DY MONTH RM", "HH12:NN:SS AMPM", "DDD DW Q"};
  for (const char* format : formats) {
    const TDateFormater formater(format);
    for (int month = 1; month <= 12; ++month) {
      const platform::DateTime value = EncodeDate(2004, month, 28) + EncodeTime(23, 59, 59, 0);
      EXPECT_LE(static_cast<int>(formater.FormatDate(value).size()), formater.MaxFormattedLength())
          << format << " " << month;
    }
  }
}

}  // namespace
}  // namespace kestrel
