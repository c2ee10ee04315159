// The conversion table between storage types, the date and time mappings and
// the common type of two operands.
//
// A conversion reads the source into its family's natural form (a 64-bit
// integer, a long double, a day number and milliseconds, a text...) and
// writes that into the target. Every failure inside becomes "Cannot cast from
// '%s' to '%s'": 30051 when the value does not fit or parse, 30052 when the
// pair is not supported or the result would be empty.

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/values/value_text.h"
#include "kestrel/storage/values/variant.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace kestrel {
namespace {

using ST = TKestrelStorageType;
using DT = TKestrelDataType;

constexpr int64_t kMSecsPerDay = platform::kMSecsPerDay;

enum class Family {
  kNone,
  kNarrowText,  // CHAR, STRING
  kWideText,    // WIDECHAR, WIDESTRING
  kInteger,
  kFloat,
  kDate,
  kTime,
  kDateTime,
  kBlob,  // BLOB, MEMO, WIDEMEMO
  kLogical,
  kCurrency,
  kBytes,
};

Family FamilyOf(ST type) {
  switch (type) {
    case ST::kChar:
    case ST::kString:
      return Family::kNarrowText;
    case ST::kWideChar:
    case ST::kWideString:
      return Family::kWideText;
    case ST::kSignedInt8:
    case ST::kSignedInt16:
    case ST::kSignedInt32:
    case ST::kSignedInt64:
    case ST::kUnsignedInt8:
    case ST::kUnsignedInt16:
    case ST::kUnsignedInt32:
      return Family::kInteger;
    case ST::kSingle:
    case ST::kFloat:
    case ST::kExtended:
      return Family::kFloat;
    case ST::kDate:
      return Family::kDate;
    case ST::kTime:
      return Family::kTime;
    case ST::kDateTime:
      return Family::kDateTime;
    case ST::kBlob:
    case ST::kMemo:
    case ST::kWideMemo:
      return Family::kBlob;
    case ST::kLogical:
      return Family::kLogical;
    case ST::kCurrency:
      return Family::kCurrency;
    case ST::kBytes:
    case ST::kVarBytes:
      return Family::kBytes;
    case ST::kNone:
      break;
  }
  return Family::kNone;
}

bool IsText(Family f) {
  return f == Family::kNarrowText || f == Family::kWideText;
}
bool IsDateFamily(Family f) {
  return f == Family::kDate || f == Family::kTime || f == Family::kDateTime;
}
bool IsIntOrFloat(Family f) {
  return f == Family::kInteger || f == Family::kFloat;
}

bool Supported(Family source, Family target) {
  if (source == Family::kNone || target == Family::kNone || source == Family::kBytes ||
      target == Family::kBytes) {
    return false;
  }
  if (target == Family::kBlob) {
    return IsText(source) || source == Family::kBlob;
  }
  switch (source) {
    case Family::kLogical:
      return !IsDateFamily(target) && target != Family::kCurrency;
    case Family::kCurrency:
      return !IsDateFamily(target);
    default:
      return true;
  }
}

// Thrown inside a conversion for a result without bytes.
struct EmptyResult {};
// Thrown inside a conversion for a value that does not fit or parse.
struct Failed {};

template <typename T>
T Load(const uint8_t* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

long double ReadFloat(const uint8_t* data, ST type) {
  switch (type) {
    case ST::kSingle:
      return Load<float>(data);
    case ST::kFloat:
      return Load<double>(data);
    default: {
      long double value = 0;
      std::memcpy(&value, data, 10);
      return value;
    }
  }
}

std::string_view NarrowText(const uint8_t* data, int32_t size) {
  const auto* chars = reinterpret_cast<const char*>(data);
  const void* zero = std::memchr(chars, 0, static_cast<std::size_t>(size));
  const auto length = zero ? static_cast<const char*>(zero) - chars : size;
  return std::string_view(chars, static_cast<std::size_t>(length));
}

std::u16string WideText(const uint8_t* data, int32_t size) {
  std::u16string text;
  for (int32_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = Load<char16_t>(data + i);
    if (unit == 0) {
      break;
    }
    text += unit;
  }
  return text;
}

template <typename T>
void StoreNumber(TKestrelVariant& out, ST type, T value) {
  out.SetData(&value, sizeof value, true, type);
}

void WriteInteger(TKestrelVariant& out, ST type, int64_t v) {
  auto check = [v](int64_t low, int64_t high) {
    if (v < low || v > high) {
      throw Failed{};
    }
  };
  switch (type) {
    case ST::kSignedInt8:
      check(INT8_MIN, INT8_MAX);
      StoreNumber(out, type, static_cast<int8_t>(v));
      break;
    case ST::kSignedInt16:
      check(INT16_MIN, INT16_MAX);
      StoreNumber(out, type, static_cast<int16_t>(v));
      break;
    case ST::kSignedInt32:
      check(INT32_MIN, INT32_MAX);
      StoreNumber(out, type, static_cast<int32_t>(v));
      break;
    case ST::kSignedInt64:
      StoreNumber(out, type, v);
      break;
    case ST::kUnsignedInt8:
      check(0, UINT8_MAX);
      StoreNumber(out, type, static_cast<uint8_t>(v));
      break;
    case ST::kUnsignedInt16:
      check(0, UINT16_MAX);
      StoreNumber(out, type, static_cast<uint16_t>(v));
      break;
    default:
      check(0, UINT32_MAX);
      StoreNumber(out, type, static_cast<uint32_t>(v));
      break;
  }
}

// trunc(v) as a 64-bit integer; NaN and values beyond 64 bits do not fit.
int64_t TruncToInt64(long double v) {
  const long double t = std::trunc(v);
  if (!(t >= -9223372036854775808.0L && t < 9223372036854775808.0L)) {
    throw Failed{};
  }
  return static_cast<int64_t>(t);
}

int32_t To32(int64_t v) {
  if (v < INT32_MIN || v > INT32_MAX) {
    throw Failed{};
  }
  return static_cast<int32_t>(v);
}

void WriteFloat(TKestrelVariant& out, ST type, long double v) {
  switch (type) {
    case ST::kSingle:
      if (std::isfinite(v) && std::fabs(v) > std::numeric_limits<float>::max()) {
        throw Failed{};
      }
      StoreNumber(out, type, static_cast<float>(v));
      break;
    case ST::kFloat:
      if (std::isfinite(v) && std::fabs(v) > std::numeric_limits<double>::max()) {
        throw Failed{};
      }
      StoreNumber(out, type, static_cast<double>(v));
      break;
    default: {
      uint8_t bytes[16] = {};
      std::memcpy(bytes, &v, 10);
      out.SetData(bytes, 10, true, ST::kExtended);
      break;
    }
  }
}

void WriteCurrency(TKestrelVariant& out, long double v) {
  double amount = 0;
  if (!TryToCurrency(v, amount)) {
    throw Failed{};
  }
  StoreNumber(out, ST::kCurrency, amount);
}

void WriteDate(TKestrelVariant& out, int64_t dayNumber) {
  StoreNumber(out, ST::kDate, To32(dayNumber));
}

void WriteTime(TKestrelVariant& out, int64_t milliseconds) {
  StoreNumber(out, ST::kTime, To32(milliseconds));
}

void WriteDateTime(TKestrelVariant& out, int64_t dayNumber, int64_t milliseconds) {
  const int32_t parts[2] = {To32(dayNumber), To32(milliseconds)};
  out.SetData(parts, sizeof parts, true, ST::kDateTime);
}

void WriteLogical(TKestrelVariant& out, bool value) {
  StoreNumber(out, ST::kLogical, static_cast<int16_t>(value ? -1 : 0));
}

void WriteUtf16(TKestrelVariant& out, ST type, std::u16string text) {
  if (text.empty()) {
    throw EmptyResult{};
  }
  text += u'\0';
  out.SetData(text.data(), static_cast<int32_t>(text.size() * 2), true, type);
}

void WriteUtf8(TKestrelVariant& out, ST type, std::string_view text) {
  if (text.empty()) {
    throw EmptyResult{};
  }
  std::string bytes(text);
  bytes += '\0';
  out.SetData(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
}

// Text into any target that text converts to.
void WriteFromText(TKestrelVariant& out, ST target, std::string_view utf8,
                   const std::u16string* utf16) {
  switch (FamilyOf(target)) {
    case Family::kNarrowText:
      WriteUtf8(out, target, utf8);
      return;
    case Family::kWideText:
      WriteUtf16(out, target, utf16 ? *utf16 : platform::Utf8ToUtf16(utf8));
      return;
    case Family::kBlob:
      if (target == ST::kWideMemo) {
        WriteUtf16(out, target, utf16 ? *utf16 : platform::Utf8ToUtf16(utf8));
      } else {
        WriteUtf8(out, target, utf8);
      }
      return;
    case Family::kInteger: {
      if (target == ST::kSignedInt64) {
        int64_t value = 0;
        if (!platform::TryStrToInt64(utf8, value)) {
          throw Failed{};
        }
        WriteInteger(out, target, value);
      } else {
        int32_t value = 0;
        if (!platform::TryStrToInt(utf8, value)) {
          throw Failed{};
        }
        WriteInteger(out, target, value);
      }
      return;
    }
    case Family::kFloat:
    case Family::kCurrency: {
      long double value = 0;
      if (!platform::TryStrToFloat(utf8, value)) {
        throw Failed{};
      }
      if (target == ST::kCurrency) {
        WriteCurrency(out, value);
      } else {
        WriteFloat(out, target, value);
      }
      return;
    }
    case Family::kDate: {
      int32_t day = 0;
      if (!TextToDateNumber(utf8, day)) {
        throw Failed{};
      }
      WriteDate(out, day);
      return;
    }
    case Family::kTime: {
      int32_t ms = 0;
      if (!TextToTimeNumber(utf8, ms)) {
        throw Failed{};
      }
      WriteTime(out, ms);
      return;
    }
    case Family::kDateTime: {
      int32_t day = 0;
      int32_t ms = 0;
      if (!TextToDateTimePair(utf8, day, ms)) {
        throw Failed{};
      }
      WriteDateTime(out, day, ms);
      return;
    }
    case Family::kLogical: {
      const std::string upper = platform::UpperCase(utf8);
      WriteLogical(out, upper == "1" || upper == "TRUE");
      return;
    }
    case Family::kNone:
    case Family::kBytes:
      break;
  }
  throw EmptyResult{};
}

// A number (integer, float, date part...) into a numeric target; text and
// BLOB targets are handled by the callers.
void WriteNumber(TKestrelVariant& out, ST target, long double value, bool isInteger,
                 int64_t integer) {
  switch (FamilyOf(target)) {
    case Family::kInteger:
      WriteInteger(out, target, isInteger ? integer : TruncToInt64(value));
      return;
    case Family::kFloat:
      WriteFloat(out, target, isInteger ? static_cast<long double>(integer) : value);
      return;
    case Family::kCurrency:
      WriteCurrency(out, isInteger ? static_cast<long double>(integer) : value);
      return;
    case Family::kLogical:
      WriteLogical(out, isInteger ? integer != 0 : value != 0);
      return;
    default:
      throw EmptyResult{};
  }
}

void ConvertFrom(const uint8_t* data, int32_t size, ST source, ST target, TKestrelVariant& out) {
  const Family targetFamily = FamilyOf(target);
  const bool toText = IsText(targetFamily) || targetFamily == Family::kBlob;
  switch (FamilyOf(source)) {
    case Family::kNarrowText:
      WriteFromText(out, target, NarrowText(data, size), nullptr);
      return;
    case Family::kBlob:
      if (source == ST::kWideMemo) {
        const std::u16string wide = WideText(data, size);
        WriteFromText(out, target, platform::Utf16ToUtf8(wide), &wide);
      } else {
        WriteFromText(out, target, NarrowText(data, size), nullptr);
      }
      return;
    case Family::kWideText: {
      const std::u16string wide = WideText(data, size);
      WriteFromText(out, target, platform::Utf16ToUtf8(wide), &wide);
      return;
    }
    case Family::kInteger: {
      const int64_t v = ReadStoredInteger(data, source);
      if (toText) {
        WriteFromText(out, target, std::to_string(v), nullptr);
      } else if (targetFamily == Family::kDate) {
        WriteDate(out, v);
      } else if (targetFamily == Family::kTime) {
        WriteTime(out, v);
      } else if (targetFamily == Family::kDateTime) {
        WriteDateTime(out, v, 0);
      } else {
        WriteNumber(out, target, 0, true, v);
      }
      return;
    }
    case Family::kFloat: {
      const long double v = ReadFloat(data, source);
      if (toText) {
        WriteFromText(out, target, FloatToText(v, source), nullptr);
      } else if (targetFamily == Family::kDate) {
        WriteDate(out, TruncToInt64(v));
      } else if (targetFamily == Family::kTime) {
        WriteTime(out, TruncToInt64(v) % kMSecsPerDay);
      } else if (targetFamily == Family::kDateTime) {
        // Rounded rather than truncated, so that a DATETIME converted to a
        // float converts back to the same millisecond.
        int64_t day = TruncToInt64(v);
        int64_t ms = static_cast<int64_t>(std::nearbyint((v - std::trunc(v)) * kMSecsPerDay));
        if (ms >= kMSecsPerDay) {
          ++day;
          ms -= kMSecsPerDay;
        }
        WriteDateTime(out, day, ms);
      } else {
        WriteNumber(out, target, v, false, 0);
      }
      return;
    }
    case Family::kDate: {
      const int32_t day = Load<int32_t>(data);
      if (toText) {
        WriteFromText(out, target, DateNumberToText(day), nullptr);
      } else if (targetFamily == Family::kTime) {
        WriteTime(out, day % kMSecsPerDay);
      } else if (targetFamily == Family::kDateTime) {
        WriteDateTime(out, day, 0);
      } else if (targetFamily == Family::kLogical) {
        WriteLogical(out, true);
      } else {
        WriteNumber(out, target, 0, true, day);
      }
      return;
    }
    case Family::kTime: {
      const int32_t ms = Load<int32_t>(data);
      if (toText) {
        WriteFromText(out, target, TimeNumberToText(ms), nullptr);
      } else if (targetFamily == Family::kDate) {
        WriteDate(out, ms);
      } else if (targetFamily == Family::kDateTime) {
        // A time of day alone has no date: day number 0, so that a DATE plus
        // a TIME gives that date at that time.
        WriteDateTime(out, 0, ms);
      } else {
        WriteNumber(out, target, 0, true, ms);
      }
      return;
    }
    case Family::kDateTime: {
      const int32_t day = Load<int32_t>(data);
      const int32_t ms = Load<int32_t>(data + 4);
      const long double sum = day + static_cast<long double>(ms) / kMSecsPerDay;
      if (toText) {
        WriteFromText(out, target, DateTimePairToText(day, ms), nullptr);
      } else if (targetFamily == Family::kDate) {
        WriteDate(out, day);
      } else if (targetFamily == Family::kTime) {
        WriteTime(out, ms);
      } else if (targetFamily == Family::kLogical) {
        WriteLogical(out, true);
      } else if (targetFamily == Family::kInteger) {
        WriteInteger(out, target, day);
      } else {
        WriteNumber(out, target, sum, false, 0);
      }
      return;
    }
    case Family::kLogical: {
      const bool value = Load<int16_t>(data) != 0;
      if (toText) {
        WriteFromText(out, target, value ? "True" : "False", nullptr);
      } else {
        WriteNumber(out, target, 0, true, value ? 1 : 0);
      }
      return;
    }
    case Family::kCurrency: {
      const double amount = Load<double>(data);
      if (toText) {
        double rounded = 0;
        if (!TryToCurrency(amount, rounded)) {
          throw Failed{};
        }
        WriteFromText(out, target, FloatToText(rounded, ST::kFloat), nullptr);
      } else {
        WriteNumber(out, target, amount, false, 0);
      }
      return;
    }
    case Family::kNone:
    case Family::kBytes:
      break;
  }
  throw EmptyResult{};
}

[[noreturn]] void CannotCast(ST source, ST target, int nativeError) {
  throw EKestrelException("Cannot cast from '%s' to '%s'",
                          {StorageTypeName(source), StorageTypeName(target)}, nativeError);
}

bool IsSignedInt(ST t) {
  return t >= ST::kSignedInt8 && t <= ST::kSignedInt64;
}

}  // namespace

int64_t ReadStoredInteger(const uint8_t* data, TKestrelStorageType type) {
  switch (type) {
    case ST::kSignedInt8:
      return Load<int8_t>(data);
    case ST::kSignedInt16:
      return Load<int16_t>(data);
    case ST::kSignedInt64:
      return Load<int64_t>(data);
    case ST::kUnsignedInt8:
      return Load<uint8_t>(data);
    case ST::kUnsignedInt16:
      return Load<uint16_t>(data);
    case ST::kUnsignedInt32:
      return Load<uint32_t>(data);
    default:  // SIGNEDINT32, DATE, TIME
      return Load<int32_t>(data);
  }
}

void ConvertStorageValue(const uint8_t* data, int32_t size, TKestrelStorageType source,
                         TKestrelStorageType target, TKestrelVariant& out) {
  if (!Supported(FamilyOf(source), FamilyOf(target))) {
    CannotCast(source, target, 30052);
  }
  try {
    ConvertFrom(data, size, source, target, out);
  } catch (const EmptyResult&) {
    CannotCast(source, target, 30052);
  } catch (const Failed&) {
    CannotCast(source, target, 30051);
  } catch (const std::exception&) {
    // Parse errors, range faults and the like from the helpers.
    CannotCast(source, target, 30051);
  }
}

int32_t DateTimeToDateNumber(platform::DateTime value) {
  const double day = std::trunc(value) + platform::kDateDelta;
  if (!(day >= INT32_MIN && day <= INT32_MAX)) {
    throw ERangeError();
  }
  return static_cast<int32_t>(day);
}

platform::DateTime DateNumberToDateTime(int32_t dayNumber) {
  return static_cast<double>(dayNumber) - platform::kDateDelta;
}

int32_t DateTimeToTimeNumber(platform::DateTime value) {
  if (!std::isfinite(value)) {
    throw ERangeError();
  }
  const double ms = std::nearbyint(std::fabs(value - std::trunc(value)) * kMSecsPerDay);
  return static_cast<int32_t>(ms) % platform::kMSecsPerDay;
}

platform::DateTime TimeNumberToDateTime(int32_t milliseconds) {
  const double days = static_cast<double>(milliseconds) / kMSecsPerDay;
  return days - std::trunc(days);
}

platform::TimeStamp DateTimeToDateTimePair(platform::DateTime value) {
  if (!std::isfinite(value)) {
    throw ERangeError();
  }
  platform::TimeStamp pair;
  pair.date = DateTimeToDateNumber(value);
  const double ms = std::nearbyint(std::fabs(value - std::trunc(value)) * kMSecsPerDay);
  pair.time = static_cast<int32_t>(ms);
  if (pair.time >= platform::kMSecsPerDay) {
    pair.time -= platform::kMSecsPerDay;
    if (pair.date == INT32_MAX) {
      throw ERangeError();
    }
    ++pair.date;
  }
  return pair;
}

platform::DateTime DateTimePairToDateTime(platform::TimeStamp pair) {
  return platform::ComposeDateTime(DateNumberToDateTime(pair.date),
                                   TimeNumberToDateTime(pair.time));
}

TKestrelStorageType CommonStorageType(TKestrelStorageType a, TKestrelStorageType b) {
  const Family fa = FamilyOf(a);
  const Family fb = FamilyOf(b);
  if (fa == Family::kNone || fb == Family::kNone) {
    return ST::kNone;
  }
  if (IsText(fa) && IsText(fb)) {
    for (const ST t : {ST::kWideString, ST::kWideChar, ST::kString}) {
      if (a == t || b == t) {
        return t;
      }
    }
    return ST::kChar;
  }
  const bool aMemo = a == ST::kMemo || a == ST::kWideMemo;
  const bool bMemo = b == ST::kMemo || b == ST::kWideMemo;
  if (IsText(fa) && bMemo) {
    return b == ST::kMemo ? ST::kChar : ST::kWideChar;
  }
  if (aMemo && IsText(fb)) {
    if (a == ST::kMemo) {
      return b;
    }
    return b == ST::kChar || b == ST::kWideChar ? ST::kWideChar : ST::kWideString;
  }
  if (aMemo && bMemo) {
    return a == ST::kWideMemo || b == ST::kWideMemo ? ST::kWideMemo : ST::kMemo;
  }
  auto textWithScalar = [](Family f) {
    return IsIntOrFloat(f) || f == Family::kLogical || f == Family::kCurrency;
  };
  if ((IsText(fa) && textWithScalar(fb)) || (IsText(fb) && textWithScalar(fa))) {
    return IsText(fa) ? a : b;
  }
  if (IsText(fa) && IsDateFamily(fb)) {
    return b;
  }
  if (IsText(fb) && IsDateFamily(fa)) {
    return a;
  }
  if (fa == Family::kInteger && fb == Family::kInteger) {
    if (a == b) {
      return a;
    }
    if (a == ST::kSignedInt64 || b == ST::kSignedInt64) {
      return ST::kSignedInt64;
    }
    const bool aSigned = IsSignedInt(a);
    const bool bSigned = IsSignedInt(b);
    if (aSigned == bSigned) {
      return a > b ? a : b;  // the wider of the same signedness
    }
    // Mixed signedness: the smallest signed type that holds both ranges.
    const ST unsignedType = aSigned ? b : a;
    const ST signedType = aSigned ? a : b;
    ST needed = ST::kSignedInt64;
    if (unsignedType == ST::kUnsignedInt8) {
      needed = ST::kSignedInt16;
    } else if (unsignedType == ST::kUnsignedInt16) {
      needed = ST::kSignedInt32;
    }
    return signedType > needed ? signedType : needed;
  }
  if (IsIntOrFloat(fa) && IsIntOrFloat(fb)) {
    if (fa == Family::kFloat && fb == Family::kFloat) {
      return a > b ? a : b;
    }
    return fa == Family::kFloat ? a : b;
  }
  if (IsIntOrFloat(fa) && IsDateFamily(fb)) {
    return b;
  }
  if (IsDateFamily(fa) && IsIntOrFloat(fb)) {
    return a;
  }
  if (IsDateFamily(fa) && IsDateFamily(fb)) {
    return a == b ? a : ST::kDateTime;
  }
  if (IsIntOrFloat(fa) && fb == Family::kLogical) {
    return a;
  }
  if (fa == Family::kLogical && IsIntOrFloat(fb)) {
    return b;
  }
  if (fa == Family::kLogical && fb == Family::kLogical) {
    return ST::kLogical;
  }
  if ((IsIntOrFloat(fa) || fa == Family::kCurrency) &&
      (IsIntOrFloat(fb) || fb == Family::kCurrency)) {
    return ST::kCurrency;
  }
  return ST::kNone;
}

TKestrelDataType CommonDataType(TKestrelDataType a, TKestrelDataType b) {
  const ST sa = DataTypeToStorageType(a);
  const ST sb = DataTypeToStorageType(b);
  const ST common = CommonStorageType(sa, sb);
  if (common == ST::kNone) {
    return DT::kNone;
  }
  if (common == sa) {
    return a;
  }
  if (common == sb) {
    return b;
  }
  return StorageTypeToDataType(common);
}

}  // namespace kestrel
