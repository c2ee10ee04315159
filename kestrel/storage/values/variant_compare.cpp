// Comparison of values: directly when both sides have the same storage type,
// otherwise in their common storage type. Texts compare by the locale's
// collation; numbers, dates and times numerically.

#include <cstring>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/values/collation.h"
#include "kestrel/storage/values/fixed_compare.h"
#include "kestrel/storage/values/variant.h"
#include "platform/text.h"

namespace kestrel {
namespace {

using ST = TKestrelStorageType;
using Code = TKestrelCompareCode;

Code FromSign(int sign) {
  return sign < 0 ? Code::kLess : sign > 0 ? Code::kGreater : Code::kEqual;
}

std::string_view NarrowText(const void* data, int32_t size, int32_t limit) {
  const auto* chars = static_cast<const char*>(data);
  std::string_view text(chars, strnlen(chars, static_cast<std::size_t>(size)));
  if (limit >= 0) {
    // The limit counts bytes but never cuts a character in two.
    text = platform::Utf8Prefix(text, static_cast<std::size_t>(limit));
  }
  return text;
}

std::u16string WideText(const void* data, int32_t size, int32_t limit) {
  std::u16string text;
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (int32_t i = 0; i + 1 < size; i += 2) {
    if (limit >= 0 && static_cast<int32_t>(text.size()) >= limit) {
      break;
    }
    const auto unit = fixed_compare::Load<char16_t>(bytes + i);
    if (unit == 0) {
      break;
    }
    text += unit;
  }
  return text;
}

Code CompareSameType(const void* left, int32_t leftSize, const void* right, int32_t rightSize,
                     ST type, bool caseInsensitive, int32_t limit, std::string_view locale) {
  switch (type) {
    case ST::kChar:
    case ST::kString:
      return FromSign(CollateUtf8(NarrowText(left, leftSize, limit),
                                  NarrowText(right, rightSize, limit), caseInsensitive, locale,
                                  30045));
    case ST::kWideChar:
    case ST::kWideString:
      return FromSign(CollateUtf16(WideText(left, leftSize, limit),
                                   WideText(right, rightSize, limit), caseInsensitive, locale,
                                   30046));
    default:
      if (IsFixedSizeComparable(type)) {
        return FromSign(CompareFixedSizeValues(left, right, type));
      }
      break;
  }
  throw EKestrelException("Unknown DataType: '%s'", {StorageTypeName(type)}, 30047);
}

void CheckHasBytes(const TKestrelCompareSide& side) {
  if (side.data == nullptr || side.size <= 0) {
    throw EKestrelException("Value is Null", 30140);
  }
}

}  // namespace

TKestrelCompareCode CompareValues(const TKestrelCompareSide& left, const TKestrelCompareSide& right,
                                  bool caseInsensitive, int32_t charLimit,
                                  std::string_view locale) {
  if (left.isNull || right.isNull) {
    return left.isNull && right.isNull ? Code::kBothNull
           : left.isNull               ? Code::kLeftNull
                                       : Code::kRightNull;
  }
  CheckHasBytes(left);
  CheckHasBytes(right);
  if (left.type == right.type) {
    return CompareSameType(left.data, left.size, right.data, right.size, left.type, caseInsensitive,
                           charLimit, locale);
  }
  const ST common = CommonStorageType(left.type, right.type);
  if (common == ST::kNone) {
    throw EKestrelException("Cannot compare Incompatible DataTypes: '%s' and '%s'",
                            {StorageTypeName(left.type), StorageTypeName(right.type)}, 30044);
  }
  // Converted copies live in values of their own and go with them.
  TKestrelVariant leftConverted;
  TKestrelVariant rightConverted;
  const void* leftData = left.data;
  int32_t leftSize = left.size;
  const void* rightData = right.data;
  int32_t rightSize = right.size;
  if (left.type != common) {
    ConvertStorageValue(static_cast<const uint8_t*>(left.data), left.size, left.type, common,
                        leftConverted);
    leftData = leftConverted.Data();
    leftSize = leftConverted.Size();
  }
  if (right.type != common) {
    ConvertStorageValue(static_cast<const uint8_t*>(right.data), right.size, right.type, common,
                        rightConverted);
    rightData = rightConverted.Data();
    rightSize = rightConverted.Size();
  }
  return CompareSameType(leftData, leftSize, rightData, rightSize, common, caseInsensitive,
                         charLimit, locale);
}

int CompareCodeOrder(TKestrelCompareCode code) {
  switch (code) {
    case Code::kLess:
    case Code::kLeftNull:
      return -1;
    case Code::kGreater:
    case Code::kRightNull:
      return 1;
    default:
      return 0;
  }
}

int CompareOrder(const TKestrelCompareSide& left, const TKestrelCompareSide& right,
                 bool caseInsensitive, int32_t charLimit, std::string_view locale) {
  return CompareCodeOrder(CompareValues(left, right, caseInsensitive, charLimit, locale));
}

TKestrelCompareCode TKestrelVariant::Compare(const TKestrelVariant& other, bool rawNullCodes,
                                             bool partial, bool caseInsensitive) const {
  int32_t limit = -1;
  if (partial) {
    limit = std::min(TextLength(), other.TextLength());
  }
  const Code code = CompareValues({data_, size_, type_, IsNull()},
                                  {other.data_, other.size_, other.type_, other.IsNull()},
                                  caseInsensitive, limit, kUserDefaultLocale);
  if (rawNullCodes) {
    return code;
  }
  switch (code) {
    case Code::kLeftNull:
      return Code::kLess;
    case Code::kRightNull:
      return Code::kGreater;
    case Code::kBothNull:
      return Code::kEqual;
    default:
      return code;
  }
}

}  // namespace kestrel
