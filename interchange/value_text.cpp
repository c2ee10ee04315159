#include "interchange/value_text.h"

#include "platform/format_settings.h"

namespace interchange {
namespace {

using dataset::TFieldType;

// The short date format with every one- or two-letter year turned into four
// letters; quoted literals stay as they are.
std::string FullYearFormat(std::string_view format) {
  std::string result;
  std::size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos];
    if (c == '\'' || c == '"') {
      const std::size_t close = format.find(c, pos + 1);
      const std::size_t end = close == std::string_view::npos ? format.size() : close + 1;
      result.append(format.substr(pos, end - pos));
      pos = end;
      continue;
    }
    if (c == 'y' || c == 'Y') {
      std::size_t end = pos;
      while (end < format.size() && (format[end] == 'y' || format[end] == 'Y')) {
        ++end;
      }
      result += "yyyy";
      pos = end;
      continue;
    }
    result += c;
    ++pos;
  }
  return result;
}

}  // namespace

std::string DateText(platform::DateTime value) {
  return platform::FormatDateTime(FullYearFormat(platform::GlobalFormatSettings().shortDateFormat),
                                  value);
}

std::string TimeText(platform::DateTime value) {
  std::string text = platform::FormatDateTime("hh:nn:ss", value);
  if (platform::DecodeTime(value).millisecond != 0) {
    text += "." + platform::FormatDateTime("zzz", value);
  }
  return text;
}

std::string DateTimeText(platform::DateTime value) {
  const platform::TimeParts time = platform::DecodeTime(value);
  std::string text = DateText(value);
  if (time.hour != 0 || time.minute != 0 || time.second != 0 || time.millisecond != 0) {
    text += " " + TimeText(value);
  }
  return text;
}

std::string ExactNumberText(double value, int decimals) {
  // Beyond this length the fixed form is a wall of digits; the exact form
  // switches to an exponent.
  constexpr std::size_t kLongestFixedForm = 24;
  std::string text = platform::FloatToStrFixed(value, decimals);
  double back = 0;
  if (text.size() > kLongestFixedForm || !platform::TryStrToFloat(text, back) || back != value) {
    text = platform::FloatToStrExact(value);
  }
  return text;
}

std::string RightAligned(std::string text, std::size_t width) {
  if (text.size() < width) {
    text.insert(0, width - text.size(), ' ');
  }
  return text;
}

std::string ExactValueText(const dataset::TField& field) {
  if (field.IsNull()) {
    return {};
  }
  switch (field.DataType()) {
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
      return platform::FloatToStrExact(field.AsFloat());
    case TFieldType::ftDate:
      return DateText(field.AsDateTime());
    case TFieldType::ftTime:
      return TimeText(field.AsDateTime());
    case TFieldType::ftDateTime:
      return DateTimeText(field.AsDateTime());
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
    case TFieldType::ftBoolean:
      return field.AsString();
    default:
      if (IsTextFieldType(field.DataType()) || IsBytesType(field.DataType())) {
        return field.AsString();
      }
      return {};
  }
}

}  // namespace interchange
