#include "kestrel/storage/values/value_text.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>

#include "kestrel/storage/values/variant.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace kestrel {
namespace {

using platform::FormatSettings;
using platform::GlobalFormatSettings;

// "%LG" output with the exponent written as the platform writes it
// ("1E20", "1.5E-7") and the locale's decimal separator.
std::string GeneralForm(long double value, int precision) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*LG", precision, value);
  std::string text = buffer;
  const std::size_t e = text.find('E');
  if (e != std::string::npos) {
    std::string exponent = text.substr(e + 1);
    std::string sign;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
      sign = exponent[0] == '-' ? "-" : "";
      exponent.erase(0, 1);
    }
    const std::size_t firstNonZero = exponent.find_first_not_of('0');
    exponent = firstNonZero == std::string::npos ? "0" : exponent.substr(firstNonZero);
    text = text.substr(0, e) + "E" + sign + exponent;
  }
  for (char& c : text) {
    if (c == '.') {
      c = GlobalFormatSettings().decimalSeparator;
    }
  }
  return text;
}

bool ReadsBackAs(const std::string& text, long double value, TKestrelStorageType type) {
  long double parsed = 0;
  if (!platform::TryStrToFloat(text, parsed)) {
    return false;
  }
  switch (type) {
    case TKestrelStorageType::kSingle:
      return static_cast<float>(parsed) == static_cast<float>(value);
    case TKestrelStorageType::kExtended:
      return parsed == value;
    default:
      return static_cast<double>(parsed) == static_cast<double>(value);
  }
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The short date format's field order with a four-digit year: the form that
// the date reader reads back whatever the locale's format drops.
std::string FullDateFormat() {
  for (char c : GlobalFormatSettings().shortDateFormat) {
    switch (Lower(c)) {
      case 'd':
        return "dd/mm/yyyy";
      case 'm':
        return "mm/dd/yyyy";
      case 'y':
        return "yyyy/mm/dd";
      default:
        break;
    }
  }
  return "yyyy/mm/dd";
}

std::string FullTimeFormat(int32_t milliseconds) {
  std::string format = "hh:nn:ss";
  if (milliseconds % 1000 != 0) {
    format += '"';
    format += GlobalFormatSettings().decimalSeparator;
    format += "\"zzz";
  }
  return format;
}

// Formats with the locale's form, falling back to the full form when the
// locale's does not read back as the same value.
template <typename Format, typename ReadsBack>
std::string RoundTripText(Format localeForm, Format fullForm, ReadsBack readsBack) {
  try {
    std::string text = localeForm();
    if (readsBack(text)) {
      return text;
    }
  } catch (const std::exception&) {
    // An unusual locale format; the full form below still applies.
  }
  return fullForm();
}

}  // namespace

std::string FloatToText(long double value, TKestrelStorageType type) {
  if (std::isnan(value)) {
    return "NAN";
  }
  if (std::isinf(value)) {
    return value < 0 ? "-INF" : "INF";
  }
  if (value == 0) {
    return "0";
  }
  int first = 15;
  int last = 17;
  if (type == TKestrelStorageType::kSingle) {
    first = 7;
    last = 9;
  } else if (type == TKestrelStorageType::kExtended) {
    last = 21;
  }
  std::string text;
  for (int precision = first; precision <= last; ++precision) {
    text = GeneralForm(value, precision);
    if (ReadsBackAs(text, value, type)) {
      break;
    }
  }
  return text;
}

std::string DateNumberToText(int32_t dayNumber) {
  const platform::DateTime value = DateNumberToDateTime(dayNumber);
  return RoundTripText<std::function<std::string()>>(
      [value] { return platform::DateToStr(value); },
      [value] { return platform::FormatDateTime(FullDateFormat(), value); },
      [dayNumber](const std::string& text) {
        int32_t back = 0;
        return TextToDateNumber(text, back) && back == dayNumber;
      });
}

std::string TimeNumberToText(int32_t milliseconds) {
  const platform::DateTime value = TimeNumberToDateTime(milliseconds);
  return RoundTripText<std::function<std::string()>>(
      [value] { return platform::TimeToStr(value); },
      [value, milliseconds] {
        return platform::FormatDateTime(FullTimeFormat(milliseconds), value);
      },
      [milliseconds](const std::string& text) {
        int32_t back = 0;
        return TextToTimeNumber(text, back) && back == milliseconds;
      });
}

std::string DateTimePairToText(int32_t dayNumber, int32_t milliseconds) {
  const platform::DateTime value = DateTimePairToDateTime({dayNumber, milliseconds});
  return RoundTripText<std::function<std::string()>>(
      [value] { return platform::DateTimeToStr(value); },
      [value, milliseconds] {
        std::string format = FullDateFormat();
        if (milliseconds != 0) {
          format += ' ' + FullTimeFormat(milliseconds);
        }
        return platform::FormatDateTime(format, value);
      },
      [dayNumber, milliseconds](const std::string& text) {
        int32_t day = 0;
        int32_t time = 0;
        return TextToDateTimePair(text, day, time) && day == dayNumber && time == milliseconds;
      });
}

bool TextToDateNumber(std::string_view text, int32_t& result) {
  platform::DateTime value = 0;
  if (!platform::TryStrToDate(text, value)) {
    return false;
  }
  result = DateTimeToDateNumber(value);
  return true;
}

bool TextToTimeNumber(std::string_view text, int32_t& result) {
  platform::DateTime value = 0;
  if (!platform::TryStrToTime(text, value)) {
    return false;
  }
  result = DateTimeToTimeNumber(value);
  return true;
}

bool TextToDateTimePair(std::string_view text, int32_t& dayNumber, int32_t& milliseconds) {
  platform::DateTime value = 0;
  if (!platform::TryStrToDateTime(text, value)) {
    return false;
  }
  const platform::TimeStamp pair = DateTimeToDateTimePair(value);
  dayNumber = pair.date;
  milliseconds = pair.time;
  return true;
}

bool TryToCurrency(long double value, double& result) {
  constexpr long double kLimit = 922337203685477.5807L;
  if (!std::isfinite(value) || value > kLimit || value < -kLimit) {
    return false;
  }
  result = static_cast<double>(std::nearbyint(value * 10000.0L) / 10000.0L);
  return true;
}

}  // namespace kestrel
