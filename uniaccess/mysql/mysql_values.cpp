#include "uniaccess/mysql/mysql_values.h"

#include <mysql.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/format_settings.h"

namespace uniaccess::mysql {

using dataset::TFieldType;

namespace {

// Huge declared widths (results of functions, long VARCHARs) would make
// every record image that large; such columns take the longest value of the
// result instead.
constexpr uint64_t kWidthLimit = 65535;

bool ReadNumber(std::string_view text, size_t from, size_t count, int& value) {
  if (from + count > text.size())
    return false;
  value = 0;
  for (size_t i = from; i < from + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i])))
      return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

std::optional<platform::DateTime> DatePart(std::string_view text) {
  int year = 0, month = 0, day = 0;
  if (!ReadNumber(text, 0, 4, year) || !ReadNumber(text, 5, 2, month) ||
      !ReadNumber(text, 8, 2, day)) {
    return std::nullopt;
  }
  if (year == 0 || month == 0 || day == 0)
    return std::nullopt;
  platform::DateTime date = 0;
  if (!platform::TryEncodeDate(year, month, day, date))
    return std::nullopt;
  return date;
}

// "hh:mm:ss" with any number of hour digits and an optional fraction, from
// position `from`; seconds as a count.
std::optional<double> Seconds(std::string_view text, size_t from) {
  size_t colon = text.find(':', from);
  if (colon == std::string_view::npos || colon == from)
    return std::nullopt;
  int hours = 0;
  if (!ReadNumber(text, from, colon - from, hours))
    return std::nullopt;
  int minutes = 0, seconds = 0;
  if (!ReadNumber(text, colon + 1, 2, minutes) || text.size() < colon + 6 ||
      text[colon + 3] != ':' || !ReadNumber(text, colon + 4, 2, seconds)) {
    return std::nullopt;
  }
  double fraction = 0;
  size_t end = colon + 6;
  if (end < text.size() && text[end] == '.') {
    double scale = 0.1;
    for (size_t i = end + 1; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
         ++i) {
      fraction += (text[i] - '0') * scale;
      scale /= 10;
    }
  }
  return hours * 3600.0 + minutes * 60.0 + seconds + fraction;
}

double DayFraction(double seconds) {
  // Whole milliseconds, as the dataset's time values carry them.
  return std::round(seconds * 1000.0) / 86400000.0;
}

}  // namespace

UniFieldDesc DescribeMysqlColumn(const MysqlColumnFacts& column) {
  UniFieldDesc desc;
  desc.name = column.name;
  switch (column.type) {
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
      desc.type = TFieldType::ftFloat;
      break;
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_INT24:
      desc.type = TFieldType::ftInteger;
      break;
    case MYSQL_TYPE_LONG:
      // An unsigned INT reaches 4294967295, beyond 32 bits.
      desc.type = column.isUnsigned ? TFieldType::ftLargeint : TFieldType::ftInteger;
      break;
    case MYSQL_TYPE_LONGLONG:
      desc.type = TFieldType::ftLargeint;
      break;
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_DATETIME:
      desc.type = TFieldType::ftDateTime;
      break;
    case MYSQL_TYPE_DATE:
      desc.type = TFieldType::ftDate;
      break;
    case MYSQL_TYPE_TIME:
      desc.type = TFieldType::ftTime;
      break;
    case MYSQL_TYPE_ENUM:
    case MYSQL_TYPE_SET:
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_STRING: {
      desc.type = TFieldType::ftString;
      uint64_t width = column.length;
      if (width > kWidthLimit)
        width = std::max(column.maxLength, kWidthLimit);
      desc.size = static_cast<int>(std::max<uint64_t>(width, 1));
      const unsigned perChar = std::max(column.charMaxLen, 1u);
      desc.displayWidth = static_cast<int>(std::max<uint64_t>(column.length / perChar, 1));
      if (desc.displayWidth > 255)
        desc.displayWidth = 255;
      break;
    }
    default:
      desc.type = TFieldType::ftUnknown;
      break;
  }
  return desc;
}

std::optional<double> MysqlFloat(std::string_view text, std::string& cleaned) {
  const char separator = platform::GlobalFormatSettings().decimalSeparator;
  cleaned.clear();
  for (char c : text) {
    const bool kept =
        c == '+' || c == '-' || c == 'E' || c == 'e' || std::isdigit(static_cast<unsigned char>(c));
    cleaned += kept ? c : separator;
  }
  double value = 0;
  if (!platform::TryStrToFloat(cleaned, value))
    return std::nullopt;
  return value;
}

std::optional<platform::DateTime> MysqlDate(std::string_view text) {
  return DatePart(text);
}

std::optional<platform::DateTime> MysqlDateTime(std::string_view text) {
  const std::optional<platform::DateTime> date = DatePart(text);
  if (!date)
    return std::nullopt;
  if (text.size() < 19)
    return date;
  const std::optional<double> seconds = Seconds(text, 11);
  if (!seconds)
    return date;
  return platform::ComposeDateTime(*date, DayFraction(*seconds));
}

std::optional<platform::DateTime> MysqlTime(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::optional<double> seconds = Seconds(text, negative ? 1 : 0);
  if (!seconds)
    return std::nullopt;
  const double value = DayFraction(*seconds);
  return negative ? -value : value;
}

}  // namespace uniaccess::mysql
