#include "kestrel/sql/date_formater.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "kestrel/storage/kestrel_exception.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace kestrel {
namespace {

using Code = TDateFormatCode;

// The words in code order.
constexpr std::array<std::string_view, 26> kWords = {
    "YYYY", "YY", "YEAR", "Q",    "MONTH", "MON", "MM",  "M", "RM", "DDD", "DD", "DAY", "DY",
    "DW",   "D",  "HH12", "HH24", "HH",    "H12", "H24", "H", "NN", "N",   "SS", "S",   "AMPM",
};

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return upper;
}

std::string Padded(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

const char* RomanMonth(int month) {
  static constexpr const char* kRoman[12] = {"I",   "II",   "III", "IV", "V",  "VI",
                                             "VII", "VIII", "IX",  "X",  "XI", "XII"};
  return kRoman[month - 1];
}

int DayOfYear(const platform::DateParts& date) {
  int day = date.day;
  for (int month = 1; month < date.month; ++month) {
    day += platform::DaysInMonth(date.year, month);
  }
  return day;
}

template <std::size_t N>
int LongestName(const std::array<std::string, N>& names, int atLeast) {
  int longest = atLeast;
  for (const std::string& name : names) {
    longest = std::max(longest, static_cast<int>(name.size()));
  }
  return longest;
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::string_view Take(std::size_t count) {
    const std::string_view piece = text_.substr(std::min(pos_, text_.size()), count);
    pos_ += count;
    return piece;
  }
  int Number(std::size_t count) { return platform::StrToInt(Take(count)); }
  // Two characters when the one after the current is a digit, otherwise one.
  int OneOrTwoDigits() {
    const bool two = pos_ + 1 < text_.size() && text_[pos_ + 1] >= '0' && text_[pos_ + 1] <= '9';
    return Number(two ? 2 : 1);
  }
  void Skip(std::size_t count) { pos_ += count; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

TDateFormater::TDateFormater(std::string_view format) {
  auto addLiteral = [this](std::string_view text, bool evenWhenEmpty) {
    if (!text.empty() || evenWhenEmpty) {
      formatTokens_.push_back({Code::kLiteral, std::string(text)});
    }
  };
  std::size_t pos = 0;
  std::size_t pendingStart = 0;
  char openQuote = 0;
  while (pos < format.size()) {
    const char c = format[pos];
    if (openQuote != 0) {
      if (c == openQuote) {
        addLiteral(format.substr(pendingStart, pos - pendingStart), true);
        openQuote = 0;
        pendingStart = pos + 1;
      }
      ++pos;
      continue;
    }
    if (c == '\'' || c == '"') {
      addLiteral(format.substr(pendingStart, pos - pendingStart), false);
      openQuote = c;
      pendingStart = pos + 1;
      ++pos;
      continue;
    }
    bool matched = false;
    for (std::size_t length = std::min<std::size_t>(5, format.size() - pos); length >= 1;
         --length) {
      const std::string upper = UpperAscii(format.substr(pos, length));
      const auto word = std::find(kWords.begin(), kWords.end(), upper);
      if (word != kWords.end()) {
        addLiteral(format.substr(pendingStart, pos - pendingStart), false);
        formatTokens_.push_back(
            {static_cast<Code>(word - kWords.begin()), std::string(format.substr(pos, length))});
        pos += length;
        pendingStart = pos;
        matched = true;
        break;
      }
    }
    if (!matched) {
      ++pos;
    }
  }
  if (pendingStart < format.size()) {
    addLiteral(format.substr(pendingStart), false);
  }
}

std::string TDateFormater::FormatDate(platform::DateTime value) const {
  const platform::FormatSettings& settings = platform::GlobalFormatSettings();
  const platform::DateParts date = platform::DecodeDate(value);
  const platform::TimeParts time = platform::DecodeTime(value);
  // DayOfWeek counts from Sunday = 1; DW counts from Monday = 1.
  const int weekDay = platform::DayOfWeek(value);
  std::string out;
  for (const TDateFormatToken& token : formatTokens_) {
    switch (token.Code) {
      case Code::kYYYY:
      case Code::kYEAR:
        out += Padded(date.year, 4);
        break;
      case Code::kYY:
        out += Padded(date.year % 100, 2);
        break;
      case Code::kQ:
        out += std::to_string((date.month - 1) / 3 + 1);
        break;
      case Code::kMONTH:
        out += settings.longMonthNames[static_cast<std::size_t>(date.month - 1)];
        break;
      case Code::kMON:
        out += settings.shortMonthNames[static_cast<std::size_t>(date.month - 1)];
        break;
      case Code::kMM:
        out += Padded(date.month, 2);
        break;
      case Code::kM:
        out += std::to_string(date.month);
        break;
      case Code::kRM:
        out += RomanMonth(date.month);
        break;
      case Code::kDDD:
        out += std::to_string(DayOfYear(date));
        break;
      case Code::kDD:
        out += Padded(date.day, 2);
        break;
      case Code::kDAY:
        out += settings.longDayNames[static_cast<std::size_t>(weekDay - 1)];
        break;
      case Code::kDY:
        out += settings.shortDayNames[static_cast<std::size_t>(weekDay - 1)];
        break;
      case Code::kDW:
        out += std::to_string(weekDay == 1 ? 7 : weekDay - 1);
        break;
      case Code::kD:
        out += std::to_string(date.day);
        break;
      case Code::kHH12:
      case Code::kHH:
        out += Padded(time.hour % 12, 2);
        break;
      case Code::kHH24:
        out += Padded(time.hour, 2);
        break;
      case Code::kH12:
      case Code::kH:
        out += std::to_string(time.hour % 12);
        break;
      case Code::kH24:
        out += std::to_string(time.hour);
        break;
      case Code::kNN:
        out += Padded(time.minute, 2);
        break;
      case Code::kN:
        out += std::to_string(time.minute);
        break;
      case Code::kSS:
        out += Padded(time.second, 2);
        break;
      case Code::kS:
        out += std::to_string(time.second);
        break;
      case Code::kAMPM:
        out += time.hour < 12 ? "AM" : "PM";
        break;
      case Code::kLiteral:
        out += token.Text;
        break;
    }
  }
  return out;
}

platform::DateTime TDateFormater::ParseDate(std::string_view text) const {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  Reader reader(text);
  for (const TDateFormatToken& token : formatTokens_) {
    switch (token.Code) {
      case Code::kYYYY:
      case Code::kYEAR:
        year = reader.Number(4);
        break;
      case Code::kYY: {
        const int y = reader.Number(2);
        year = y < 30 ? 2000 + y : 1900 + y;
        break;
      }
      case Code::kQ:
        month = (reader.Number(1) - 1) * 3 + 1;
        break;
      case Code::kMM:
        month = reader.Number(2);
        break;
      case Code::kM:
        month = reader.OneOrTwoDigits();
        break;
      case Code::kDD:
        day = reader.Number(2);
        break;
      case Code::kD:
        day = reader.OneOrTwoDigits();
        break;
      case Code::kHH12:
      case Code::kHH24:
      case Code::kHH:
      case Code::kH12:
      case Code::kH24:
      case Code::kH:
        hour = reader.OneOrTwoDigits();
        break;
      case Code::kNN:
        minute = reader.Number(2);
        break;
      case Code::kN:
        minute = reader.OneOrTwoDigits();
        break;
      case Code::kSS:
        second = reader.Number(2);
        break;
      case Code::kS:
        second = reader.OneOrTwoDigits();
        break;
      case Code::kAMPM: {
        const std::string word(reader.Take(2));
        const std::string upper = UpperAscii(word);
        if (upper == "PM") {
          hour += 12;
        } else if (upper != "AM") {
          throw EKestrelException("AM/PM word expected, but '%s' found", {word}, 30129);
        }
        break;
      }
      case Code::kMONTH:
      case Code::kMON:
      case Code::kRM:
      case Code::kDDD:
      case Code::kDAY:
      case Code::kDY:
      case Code::kDW:
      case Code::kLiteral:
        reader.Skip(token.Text.size());
        break;
    }
  }
  platform::DateTime date = 0;  // 1899-12-30
  if (year != 0 && month != 0 && day != 0) {
    date = platform::EncodeDate(year, month, day);
  }
  return platform::ComposeDateTime(date, platform::EncodeTime(hour, minute, second, 0));
}

int TDateFormater::MaxFormattedLength() const {
  // Names count as long as the locale's longest, and never less than the
  // widths of the English names.
  const platform::FormatSettings& settings = platform::GlobalFormatSettings();
  int length = 0;
  for (const TDateFormatToken& token : formatTokens_) {
    switch (token.Code) {
      case Code::kYYYY:
      case Code::kYEAR:
        length += 4;
        break;
      case Code::kMONTH:
        length += LongestName(settings.longMonthNames, 9);
        break;
      case Code::kMON:
        length += LongestName(settings.shortMonthNames, 3);
        break;
      case Code::kDDD:
        length += 3;
        break;
      case Code::kDAY:
        length += LongestName(settings.longDayNames, 12);
        break;
      case Code::kDY:
        length += LongestName(settings.shortDayNames, 2);
        break;
      case Code::kRM:
        length += 4;  // VIII
        break;
      case Code::kQ:
        length += 1;
        break;
      case Code::kLiteral:
        length += static_cast<int>(token.Text.size());
        break;
      default:
        length += 2;
        break;
    }
  }
  return length;
}

}  // namespace kestrel
