#pragma once
// The order of stored values of the fixed-size storage types, read straight
// from their bytes: numbers, dates, times, date-times and logicals. Value
// comparison and index keys share this one rule; texts are collated
// (collation.h) and BLOB and byte values have no order.
//
// Integers, DATE and TIME compare numerically; DATETIME by the day number,
// then the milliseconds; SINGLE, FLOAT, EXTENDED and CURRENCY numerically,
// unordered values counting as equal; LOGICAL false before true (any
// non-zero value is true).

#include <cstdint>
#include <cstring>

#include "kestrel/storage/values/data_types.h"

namespace kestrel {

namespace fixed_compare {

template <typename T>
inline T Load(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

template <typename T>
inline int Sign(T left, T right) {
  return left < right ? -1 : right < left ? 1 : 0;
}

// An x87 extended value from its 10 stored bytes.
inline long double LoadExtended(const void* data) {
  long double value = 0;
  std::memcpy(&value, data, 10);
  return value;
}

}  // namespace fixed_compare

inline bool IsFixedSizeComparable(TKestrelStorageType type) {
  switch (type) {
    case TKestrelStorageType::kSignedInt8:
    case TKestrelStorageType::kSignedInt16:
    case TKestrelStorageType::kSignedInt32:
    case TKestrelStorageType::kSignedInt64:
    case TKestrelStorageType::kUnsignedInt8:
    case TKestrelStorageType::kUnsignedInt16:
    case TKestrelStorageType::kUnsignedInt32:
    case TKestrelStorageType::kDate:
    case TKestrelStorageType::kTime:
    case TKestrelStorageType::kDateTime:
    case TKestrelStorageType::kSingle:
    case TKestrelStorageType::kFloat:
    case TKestrelStorageType::kExtended:
    case TKestrelStorageType::kCurrency:
    case TKestrelStorageType::kLogical:
      return true;
    default:
      return false;
  }
}

// -1, 0 or 1. REQUIRES: IsFixedSizeComparable(type); both sides hold the
// type's stored bytes.
inline int CompareFixedSizeValues(const void* left, const void* right, TKestrelStorageType type) {
  using namespace fixed_compare;
  using ST = TKestrelStorageType;
  switch (type) {
    case ST::kSignedInt8:
      return Sign(Load<int8_t>(left), Load<int8_t>(right));
    case ST::kSignedInt16:
      return Sign(Load<int16_t>(left), Load<int16_t>(right));
    case ST::kSignedInt32:
    case ST::kDate:
    case ST::kTime:
      return Sign(Load<int32_t>(left), Load<int32_t>(right));
    case ST::kSignedInt64:
      return Sign(Load<int64_t>(left), Load<int64_t>(right));
    case ST::kUnsignedInt8:
      return Sign(Load<uint8_t>(left), Load<uint8_t>(right));
    case ST::kUnsignedInt16:
      return Sign(Load<uint16_t>(left), Load<uint16_t>(right));
    case ST::kUnsignedInt32:
      return Sign(Load<uint32_t>(left), Load<uint32_t>(right));
    case ST::kDateTime: {
      const int days = Sign(Load<int32_t>(left), Load<int32_t>(right));
      if (days != 0) {
        return days;
      }
      return Sign(Load<int32_t>(static_cast<const uint8_t*>(left) + 4),
                  Load<int32_t>(static_cast<const uint8_t*>(right) + 4));
    }
    case ST::kSingle:
      return Sign(Load<float>(left), Load<float>(right));
    case ST::kFloat:
    case ST::kCurrency:
      return Sign(Load<double>(left), Load<double>(right));
    case ST::kExtended:
      return Sign(LoadExtended(left), LoadExtended(right));
    case ST::kLogical:
      return Sign(Load<int16_t>(left) != 0, Load<int16_t>(right) != 0);
    default:
      return 0;
  }
}

}  // namespace kestrel
