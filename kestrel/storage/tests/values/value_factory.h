#pragma once
// Small helpers that build values of each storage type for the value tests,
// and describe outcomes as text so that tables of cases stay readable.

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel::testing {

using ST = TKestrelStorageType;

template <typename T>
TKestrelVariant Raw(ST type, T value, int32_t size = sizeof(T)) {
  TKestrelVariant v;
  v.SetData(&value, size, true, type);
  return v;
}

inline TKestrelVariant I8(int8_t v) {
  return Raw(ST::kSignedInt8, v);
}
inline TKestrelVariant I16(int16_t v) {
  return Raw(ST::kSignedInt16, v);
}
inline TKestrelVariant I32(int32_t v) {
  return Raw(ST::kSignedInt32, v);
}
inline TKestrelVariant I64(int64_t v) {
  return Raw(ST::kSignedInt64, v);
}
inline TKestrelVariant U8(uint8_t v) {
  return Raw(ST::kUnsignedInt8, v);
}
inline TKestrelVariant U16(uint16_t v) {
  return Raw(ST::kUnsignedInt16, v);
}
inline TKestrelVariant U32(uint32_t v) {
  return Raw(ST::kUnsignedInt32, v);
}
inline TKestrelVariant F32(float v) {
  return Raw(ST::kSingle, v);
}
inline TKestrelVariant F64(double v) {
  return Raw(ST::kFloat, v);
}
inline TKestrelVariant F80(long double v) {
  return Raw(ST::kExtended, v, 10);
}
inline TKestrelVariant Date(int32_t dayNumber) {
  return Raw(ST::kDate, dayNumber);
}
inline TKestrelVariant Time(int32_t ms) {
  return Raw(ST::kTime, ms);
}
inline TKestrelVariant Stamp(int32_t dayNumber, int32_t ms) {
  const int32_t parts[2] = {dayNumber, ms};
  TKestrelVariant v;
  v.SetData(parts, 8, true, ST::kDateTime);
  return v;
}
inline TKestrelVariant Bool(bool b) {
  return Raw(ST::kLogical, static_cast<int16_t>(b ? -1 : 0));
}
inline TKestrelVariant Cur(double v) {
  return Raw(ST::kCurrency, v);
}
// Narrow forms: the bytes given plus a terminating zero.
inline TKestrelVariant Text(ST type, const std::string& text) {
  TKestrelVariant v;
  v.SetData(text.c_str(), static_cast<int32_t>(text.size() + 1), true, type);
  return v;
}
inline TKestrelVariant Str(const std::string& text) {
  return Text(ST::kString, text);
}
inline TKestrelVariant Chr(const std::string& text) {
  return Text(ST::kChar, text);
}
inline TKestrelVariant WText(ST type, const std::u16string& text) {
  TKestrelVariant v;
  v.SetData(text.c_str(), static_cast<int32_t>((text.size() + 1) * 2), true, type);
  return v;
}
inline TKestrelVariant WStr(const std::u16string& text) {
  return WText(ST::kWideString, text);
}
// Exactly the bytes given.
inline TKestrelVariant Bytes(ST type, const std::string& bytes) {
  TKestrelVariant v;
  v.SetData(bytes.data(), static_cast<int32_t>(bytes.size()), true, type);
  return v;
}
inline TKestrelVariant Null(ST type) {
  return TKestrelVariant(type);
}

// Same type, same NULL state and the same bytes.
inline bool SameValue(const TKestrelVariant& a, const TKestrelVariant& b) {
  if (a.DataType() != b.DataType() || a.IsNull() != b.IsNull()) {
    return false;
  }
  if (a.IsNull()) {
    return true;
  }
  return a.Size() == b.Size() &&
         std::memcmp(a.Data(), b.Data(), static_cast<std::size_t>(a.Size())) == 0;
}

inline std::string HexOf(const TKestrelVariant& v) {
  static const char* digits = "0123456789ABCDEF";
  std::string hex;
  for (int32_t i = 0; i < v.Size(); ++i) {
    hex += digits[v.Data()[i] >> 4];
    hex += digits[v.Data()[i] & 15];
  }
  return hex;
}

// "<TYPE> <text>" or "<TYPE> NULL"; BLOB-like and raw types show hex bytes.
inline std::string Describe(const TKestrelVariant& v) {
  std::string text = StorageTypeName(v.DataType());
  if (v.IsNull()) {
    return text + " NULL";
  }
  switch (v.DataType()) {
    case ST::kBlob:
    case ST::kMemo:
    case ST::kWideMemo:
    case ST::kBytes:
    case ST::kVarBytes:
      return text + " " + HexOf(v);
    case ST::kDateTime: {
      const platform::TimeStamp pair = v.AsDateTimePair();
      return text + " " + std::to_string(pair.date) + "+" + std::to_string(pair.time);
    }
    case ST::kDate:
      return text + " " + std::to_string(v.AsDateNumber());
    case ST::kTime:
      return text + " " + std::to_string(v.AsTimeNumber());
    default:
      return text + " " + v.AsString();
  }
}

// What an action did: "ok", "E<code> <text>" for an engine error, or
// "F <message>" for an arithmetic fault.
inline std::string Outcome(const std::function<void()>& action) {
  try {
    action();
  } catch (const EKestrelException& error) {
    return "E" + std::to_string(error.NativeError()) + " " + error.Text();
  } catch (const EArithmeticFault& fault) {
    return "F " + fault.Message();
  }
  return "ok";
}

}  // namespace kestrel::testing
