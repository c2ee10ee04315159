#pragma once
// How MySQL result columns become dataset fields, and how their texts become
// field values. Pure functions of the column facts and texts, so they are
// tested without a server.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"
#include "uniaccess/backend.h"

namespace uniaccess::mysql {

struct MysqlColumnFacts {
  std::string name;
  int type = 0;  // the protocol's column type code
  bool isUnsigned = false;
  uint64_t length = 0;      // declared width in bytes
  uint64_t maxLength = 0;   // longest value in the stored result, in bytes
  unsigned charMaxLen = 1;  // bytes per character of the column's character set
};

// The dataset field of a column; ftUnknown means the column is left out.
UniFieldDesc DescribeMysqlColumn(const MysqlColumnFacts& column);

// A floating-point text: every character but "+", "-", digits, "E" and "e"
// becomes the locale's decimal separator before parsing. Empty when it does
// not parse; the cleaned text is given back for the message.
std::optional<double> MysqlFloat(std::string_view text, std::string& cleaned);
// "YYYY-MM-DD": a date when year, month and day are non-zero and valid.
std::optional<platform::DateTime> MysqlDate(std::string_view text);
// "YYYY-MM-DD hh:mm:ss[.ffffff]": the date and its time of day, under the
// same date rule.
std::optional<platform::DateTime> MysqlDateTime(std::string_view text);
// "[-]h...h:mm:ss[.ffffff]": a time of day, or a duration beyond a day.
std::optional<platform::DateTime> MysqlTime(std::string_view text);

}  // namespace uniaccess::mysql
