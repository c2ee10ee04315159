#pragma once
// A dynamically typed value as datasets, parameters and engines exchange it.
// The type codes are the classic OLE variant codes, so code that speaks that
// convention maps one to one; narrow strings (kString) are UTF-8, OLE strings
// (kOleStr) UTF-16.
//
// Empty and Null are different: Empty is "no value given", Null is SQL NULL.
// Conversions follow the process-wide FormatSettings; a conversion that
// cannot be made throws platform::EConvertError
// "Could not convert variant of type (<from>) into type (<to>)".

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/date_time.h"

namespace dataset {

enum class VarType : uint16_t {
  kEmpty = 0,
  kNull = 1,
  kSmallint = 2,
  kInteger = 3,
  kSingle = 4,
  kDouble = 5,
  kCurrency = 6,
  kDate = 7,
  kOleStr = 8,
  kBoolean = 11,
  kShortInt = 16,
  kByte = 17,
  kWord = 18,
  kLongWord = 19,
  kInt64 = 20,
  kString = 0x100,
  kByteArray = 0x2011,  // array of unsigned bytes
};

const char* VarTypeName(VarType type);

class Variant {
 public:
  using Bytes = std::vector<uint8_t>;

  Variant() = default;  // Empty
  static Variant Null();
  static Variant FromSmallint(int16_t value);
  static Variant FromInteger(int32_t value);
  static Variant FromShortInt(int8_t value);
  static Variant FromByte(uint8_t value);
  static Variant FromWord(uint16_t value);
  static Variant FromLongWord(uint32_t value);
  static Variant FromInt64(int64_t value);
  static Variant FromSingle(float value);
  static Variant FromDouble(double value);
  // A currency amount is kept as a count of ten-thousandths.
  static Variant FromCurrency(double value);
  static Variant FromCurrencyUnits(int64_t tenThousandths);
  static Variant FromDateTime(platform::DateTime value);
  static Variant FromBoolean(bool value);
  static Variant FromString(std::string_view utf8);
  static Variant FromOleStr(std::u16string_view utf16);
  static Variant FromBytes(Bytes bytes);

  VarType Type() const { return type_; }
  bool IsEmpty() const { return type_ == VarType::kEmpty; }
  bool IsNull() const { return type_ == VarType::kNull; }
  // Empty or Null.
  bool IsClear() const { return IsEmpty() || IsNull(); }
  bool IsNumeric() const;
  bool IsText() const { return type_ == VarType::kString || type_ == VarType::kOleStr; }

  // Conversions. Empty converts to 0, "" or false; Null throws except in
  // ToString, which gives "".
  std::string ToString() const;
  std::u16string ToOleStr() const;
  int64_t ToInt64() const;
  int32_t ToInteger() const;  // range-checked
  double ToDouble() const;
  int64_t ToCurrencyUnits() const;
  platform::DateTime ToDateTime() const;
  bool ToBoolean() const;
  Bytes ToBytes() const;

  // Same type and same value; Null equals Null.
  bool operator==(const Variant& other) const;

 private:
  // Every integer type and currency units live in the int64_t, both float
  // types in the double.
  using Storage =
      std::variant<std::monostate, int64_t, double, bool, std::string, std::u16string, Bytes>;
  Variant(VarType type, Storage storage) : type_(type), storage_(std::move(storage)) {}
  [[noreturn]] void CannotConvert(VarType target) const;

  VarType type_ = VarType::kEmpty;
  Storage storage_;
};

}  // namespace dataset
