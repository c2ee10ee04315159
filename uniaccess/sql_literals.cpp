#include "uniaccess/sql_literals.h"

#include <cmath>
#include <cstdio>

#include "platform/format_settings.h"

namespace uniaccess {

using dataset::TFieldType;

std::string SqlNumber(double value) {
  platform::FormatSettings sql;
  sql.decimalSeparator = '.';
  return platform::FloatToStrExact(value, sql);
}

std::string SqlTime(platform::DateTime value) {
  const bool negative = value < 0;
  const auto total = static_cast<long long>(std::round(std::fabs(value) * 86400.0));
  char text[40];
  std::snprintf(text, sizeof text, "'%s%02lld:%02lld:%02lld'", negative ? "-" : "", total / 3600,
                total / 60 % 60, total % 60);
  return text;
}

std::string FieldSqlLiteral(Backend& backend, BackendConnection* handle,
                            const dataset::TField& field) {
  const TFieldType type = field.DataType();
  if (field.IsNull())
    return "NULL";
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
      return backend.QuoteString(handle, field.AsString());
    case TFieldType::ftDate:
      return backend.FormatDate(field.AsDateTime());
    case TFieldType::ftDateTime:
      return backend.FormatDateTime(field.AsDateTime());
    case TFieldType::ftTime:
      return SqlTime(field.AsDateTime());
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
      return SqlNumber(field.AsFloat());
    default:
      return field.AsString();
  }
}

}  // namespace uniaccess
