#include "dataset/variant.h"

#include <cmath>
#include <limits>

#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace dataset {
namespace {

constexpr double kCurrencyScale = 10000.0;

int64_t RoundToInt64(double value, bool& ok) {
  const double rounded = std::nearbyint(value);
  ok = std::isfinite(rounded) && rounded >= -9223372036854775808.0 &&
       rounded < 9223372036854775808.0;
  return ok ? static_cast<int64_t>(rounded) : 0;
}

}  // namespace

const char* VarTypeName(VarType type) {
  switch (type) {
    case VarType::kEmpty:
      return "Empty";
    case VarType::kNull:
      return "Null";
    case VarType::kSmallint:
      return "Smallint";
    case VarType::kInteger:
      return "Integer";
    case VarType::kSingle:
      return "Single";
    case VarType::kDouble:
      return "Double";
    case VarType::kCurrency:
      return "Currency";
    case VarType::kDate:
      return "Date";
    case VarType::kOleStr:
      return "OleStr";
    case VarType::kBoolean:
      return "Boolean";
    case VarType::kShortInt:
      return "ShortInt";
    case VarType::kByte:
      return "Byte";
    case VarType::kWord:
      return "Word";
    case VarType::kLongWord:
      return "LongWord";
    case VarType::kInt64:
      return "Int64";
    case VarType::kString:
      return "String";
    case VarType::kByteArray:
      return "Array Byte";
  }
  return "Unknown";
}

Variant Variant::Null() {
  return Variant(VarType::kNull, std::monostate{});
}
Variant Variant::FromSmallint(int16_t value) {
  return Variant(VarType::kSmallint, int64_t{value});
}
Variant Variant::FromInteger(int32_t value) {
  return Variant(VarType::kInteger, int64_t{value});
}
Variant Variant::FromShortInt(int8_t value) {
  return Variant(VarType::kShortInt, int64_t{value});
}
Variant Variant::FromByte(uint8_t value) {
  return Variant(VarType::kByte, int64_t{value});
}
Variant Variant::FromWord(uint16_t value) {
  return Variant(VarType::kWord, int64_t{value});
}
Variant Variant::FromLongWord(uint32_t value) {
  return Variant(VarType::kLongWord, int64_t{value});
}
Variant Variant::FromInt64(int64_t value) {
  return Variant(VarType::kInt64, value);
}
Variant Variant::FromSingle(float value) {
  return Variant(VarType::kSingle, static_cast<double>(value));
}
Variant Variant::FromDouble(double value) {
  return Variant(VarType::kDouble, value);
}
Variant Variant::FromCurrency(double value) {
  bool ok = false;
  const int64_t units = RoundToInt64(value * kCurrencyScale, ok);
  if (!ok) {
    throw platform::EConvertError("Currency value out of range");
  }
  return FromCurrencyUnits(units);
}
Variant Variant::FromCurrencyUnits(int64_t tenThousandths) {
  return Variant(VarType::kCurrency, tenThousandths);
}
Variant Variant::FromDateTime(platform::DateTime value) {
  return Variant(VarType::kDate, value);
}
Variant Variant::FromBoolean(bool value) {
  return Variant(VarType::kBoolean, value);
}
Variant Variant::FromString(std::string_view utf8) {
  return Variant(VarType::kString, std::string(utf8));
}
Variant Variant::FromOleStr(std::u16string_view utf16) {
  return Variant(VarType::kOleStr, std::u16string(utf16));
}
Variant Variant::FromBytes(Bytes bytes) {
  return Variant(VarType::kByteArray, std::move(bytes));
}

bool Variant::IsNumeric() const {
  return std::holds_alternative<int64_t>(storage_) || std::holds_alternative<double>(storage_);
}

void Variant::CannotConvert(VarType target) const {
  throw platform::EConvertError(std::string("Could not convert variant of type (") +
                                VarTypeName(type_) + ") into type (" + VarTypeName(target) + ")");
}

std::string Variant::ToString() const {
  switch (type_) {
    case VarType::kEmpty:
    case VarType::kNull:
      return {};
    case VarType::kSingle:
      return platform::FloatToStr(std::get<double>(storage_), 7);
    case VarType::kDouble:
      return platform::FloatToStr(std::get<double>(storage_));
    case VarType::kCurrency:
      return platform::FloatToStr(static_cast<double>(std::get<int64_t>(storage_)) /
                                  kCurrencyScale);
    case VarType::kDate:
      return platform::DateTimeToStr(std::get<double>(storage_));
    case VarType::kBoolean:
      return std::get<bool>(storage_) ? "True" : "False";
    case VarType::kString:
      return std::get<std::string>(storage_);
    case VarType::kOleStr:
      return platform::Utf16ToUtf8(std::get<std::u16string>(storage_));
    case VarType::kByteArray: {
      const Bytes& bytes = std::get<Bytes>(storage_);
      return std::string(bytes.begin(), bytes.end());
    }
    default:
      return std::to_string(std::get<int64_t>(storage_));
  }
}

std::u16string Variant::ToOleStr() const {
  if (type_ == VarType::kOleStr) {
    return std::get<std::u16string>(storage_);
  }
  return platform::Utf8ToUtf16(ToString());
}

int64_t Variant::ToInt64() const {
  bool ok = true;
  switch (type_) {
    case VarType::kEmpty:
      return 0;
    case VarType::kNull:
    case VarType::kByteArray:
      CannotConvert(VarType::kInt64);
    case VarType::kSingle:
    case VarType::kDouble:
    case VarType::kDate: {
      const int64_t value = RoundToInt64(std::get<double>(storage_), ok);
      if (!ok) {
        CannotConvert(VarType::kInt64);
      }
      return value;
    }
    case VarType::kCurrency: {
      const int64_t value =
          RoundToInt64(static_cast<double>(std::get<int64_t>(storage_)) / kCurrencyScale, ok);
      return value;
    }
    case VarType::kBoolean:
      return std::get<bool>(storage_) ? 1 : 0;
    case VarType::kString:
    case VarType::kOleStr: {
      const std::string text = ToString();
      int64_t value = 0;
      if (platform::TryStrToInt64(platform::Trim(text), value)) {
        return value;
      }
      double real = 0;
      if (platform::TryStrToFloat(text, real)) {
        value = RoundToInt64(real, ok);
        if (ok) {
          return value;
        }
      }
      CannotConvert(VarType::kInt64);
    }
    default:
      return std::get<int64_t>(storage_);
  }
}

int32_t Variant::ToInteger() const {
  const int64_t value = ToInt64();
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    CannotConvert(VarType::kInteger);
  }
  return static_cast<int32_t>(value);
}

double Variant::ToDouble() const {
  switch (type_) {
    case VarType::kEmpty:
      return 0;
    case VarType::kNull:
    case VarType::kByteArray:
      CannotConvert(VarType::kDouble);
    case VarType::kSingle:
    case VarType::kDouble:
    case VarType::kDate:
      return std::get<double>(storage_);
    case VarType::kCurrency:
      return static_cast<double>(std::get<int64_t>(storage_)) / kCurrencyScale;
    case VarType::kBoolean:
      return std::get<bool>(storage_) ? 1 : 0;
    case VarType::kString:
    case VarType::kOleStr: {
      double value = 0;
      if (!platform::TryStrToFloat(ToString(), value)) {
        CannotConvert(VarType::kDouble);
      }
      return value;
    }
    default:
      return static_cast<double>(std::get<int64_t>(storage_));
  }
}

int64_t Variant::ToCurrencyUnits() const {
  if (type_ == VarType::kCurrency) {
    return std::get<int64_t>(storage_);
  }
  bool ok = false;
  const int64_t units = RoundToInt64(ToDouble() * kCurrencyScale, ok);
  if (!ok) {
    CannotConvert(VarType::kCurrency);
  }
  return units;
}

platform::DateTime Variant::ToDateTime() const {
  if (type_ == VarType::kString || type_ == VarType::kOleStr) {
    platform::DateTime value = 0;
    if (!platform::TryStrToDateTime(ToString(), value)) {
      CannotConvert(VarType::kDate);
    }
    return value;
  }
  if (type_ == VarType::kBoolean) {
    CannotConvert(VarType::kDate);
  }
  return ToDouble();
}

bool Variant::ToBoolean() const {
  if (type_ == VarType::kBoolean) {
    return std::get<bool>(storage_);
  }
  if (type_ == VarType::kString || type_ == VarType::kOleStr) {
    const std::string text(platform::Trim(ToString()));
    if (platform::SameText(text, "True")) {
      return true;
    }
    if (platform::SameText(text, "False")) {
      return false;
    }
  }
  if (type_ == VarType::kNull || type_ == VarType::kByteArray) {
    CannotConvert(VarType::kBoolean);
  }
  try {
    return ToDouble() != 0;
  } catch (const platform::EConvertError&) {
    CannotConvert(VarType::kBoolean);
  }
}

Variant::Bytes Variant::ToBytes() const {
  switch (type_) {
    case VarType::kByteArray:
      return std::get<Bytes>(storage_);
    case VarType::kEmpty:
      return {};
    case VarType::kString:
    case VarType::kOleStr: {
      const std::string text = ToString();
      return Bytes(text.begin(), text.end());
    }
    default:
      CannotConvert(VarType::kByteArray);
  }
}

bool Variant::operator==(const Variant& other) const {
  return type_ == other.type_ && storage_ == other.storage_;
}

}  // namespace dataset
