// Arithmetic on values: Add, Multiply, Divide and Negate, in place on the
// left operand, in the two operands' common storage type.
//
// The small integer types (8 and 16 bits) are range-checked; the 32- and
// 64-bit ones wrap silently in two's complement. Faults inside Divide that
// are not engine errors become "Division error: %s" (30128).

#include <cmath>
#include <cstring>
#include <limits>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/values/value_text.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {
namespace {

using ST = TKestrelStorageType;

constexpr int64_t kMSecsPerDay = platform::kMSecsPerDay;

template <typename T>
T Load(const uint8_t* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

int64_t ReadInt(const TKestrelVariant& v) {
  return ReadStoredInteger(v.Data(), v.DataType());
}

int64_t CheckedSmall(int64_t v, ST type) {
  int64_t low = 0;
  int64_t high = 0;
  switch (type) {
    case ST::kSignedInt8:
      low = INT8_MIN;
      high = INT8_MAX;
      break;
    case ST::kSignedInt16:
      low = INT16_MIN;
      high = INT16_MAX;
      break;
    case ST::kUnsignedInt8:
      high = UINT8_MAX;
      break;
    default:
      high = UINT16_MAX;
      break;
  }
  if (v < low || v > high) {
    throw ERangeError();
  }
  return v;
}

bool IsSmallInt(ST t) {
  return t == ST::kSignedInt8 || t == ST::kSignedInt16 || t == ST::kUnsignedInt8 ||
         t == ST::kUnsignedInt16;
}

// Two's complement arithmetic in 64 bits; callers cut the result to width.
int64_t Wrapped(int64_t a, int64_t b, char op) {
  const auto ua = static_cast<uint64_t>(a);
  const auto ub = static_cast<uint64_t>(b);
  return static_cast<int64_t>(op == '+' ? ua + ub : ua * ub);
}

int64_t IntegerDivide(int64_t a, int64_t b, ST type) {
  if (b == 0) {
    if (type == ST::kUnsignedInt8 || type == ST::kUnsignedInt16) {
      throw ERangeError();
    }
    throw EDivByZero();
  }
  const int64_t lowest = type == ST::kSignedInt64 ? INT64_MIN : INT32_MIN;
  if (b == -1 && a == lowest && type != ST::kUnsignedInt32 && !IsSmallInt(type)) {
    throw EIntOverflow();
  }
  return a / b;
}

long double FloatOp(long double a, long double b, char op, ST type) {
  long double result = 0;
  if (op == '/') {
    if (b == 0) {
      if (a == 0 || std::isnan(a)) {
        throw EInvalidOp();
      }
      throw EZeroDivide();
    }
    result = a / b;
  } else {
    result = op == '+' ? a + b : a * b;
  }
  // The sum in the type: round to it before looking at the result.
  switch (type) {
    case ST::kSingle:
      result = static_cast<float>(result);
      break;
    case ST::kFloat:
    case ST::kCurrency:
      result = static_cast<double>(result);
      break;
    default:
      break;
  }
  if (std::isinf(result) && std::isfinite(a) && std::isfinite(b)) {
    throw EOverflow();
  }
  if (std::isnan(result) && !std::isnan(a) && !std::isnan(b)) {
    throw EInvalidOp();
  }
  return result;
}

const char* OperatorText(char op) {
  return op == '+' ? "+" : op == '*' ? "*" : "/";
}

int NotNumericCode(char op) {
  return op == '+' ? 30124 : op == '*' ? 30126 : 30127;
}

}  // namespace

void TKestrelVariant::Add(const TKestrelVariant& other) {
  Arithmetic(other, '+');
}

void TKestrelVariant::Multiply(const TKestrelVariant& other) {
  Arithmetic(other, '*');
}

void TKestrelVariant::Divide(const TKestrelVariant& other) {
  try {
    Arithmetic(other, '/');
  } catch (const EArithmeticFault& fault) {
    throw EKestrelException("Division error: %s", {fault.Message()}, 30128);
  }
}

void TKestrelVariant::Arithmetic(const TKestrelVariant& other, char op) {
  if (other.IsNull()) {
    SetNull();
    return;
  }
  if (IsNull()) {
    if (op == '+') {
      AssignValue(other, true);  // a NULL accumulator starts from the first value
    }
    return;
  }
  const ST t = CommonStorageType(type_, other.type_);
  // Both operands are brought to t before anything changes, so a failed
  // conversion leaves this value as it was.
  TKestrelVariant left;
  if (type_ != t) {
    ConvertStorageValue(data_, size_, type_, t, left);
  }
  TKestrelVariant rightConverted;
  const TKestrelVariant* right = &other;
  if (other.type_ != t) {
    ConvertStorageValue(other.data_, other.size_, other.type_, t, rightConverted);
    right = &rightConverted;
  }
  if (type_ != t) {
    TakeValue(std::move(left));
  }

  switch (t) {
    case ST::kChar:
    case ST::kString:
      if (op == '+') {
        StoreText(AsString() + right->AsString());
        return;
      }
      break;
    case ST::kWideChar:
    case ST::kWideString:
      if (op == '+') {
        StoreWideText(AsWideString() + right->AsWideString());
        return;
      }
      break;
    case ST::kSignedInt8:
    case ST::kSignedInt16:
    case ST::kUnsignedInt8:
    case ST::kUnsignedInt16: {
      const int64_t a = ReadInt(*this);
      const int64_t b = ReadInt(*right);
      const int64_t r = op == '+' ? a + b : op == '*' ? a * b : IntegerDivide(a, b, t);
      const int64_t v = CheckedSmall(r, t);
      if (t == ST::kSignedInt8 || t == ST::kUnsignedInt8) {
        const auto byte = static_cast<uint8_t>(v);
        StoreBytes(&byte, 1);
      } else {
        const auto word = static_cast<uint16_t>(v);
        StoreBytes(&word, 2);
      }
      return;
    }
    case ST::kSignedInt32:
    case ST::kUnsignedInt32:
    case ST::kDate:
    case ST::kTime: {
      const int64_t a = ReadInt(*this);
      const int64_t b = ReadInt(*right);
      const int64_t r = op == '/' ? IntegerDivide(a, b, t) : Wrapped(a, b, op);
      const auto v = static_cast<uint32_t>(static_cast<uint64_t>(r));
      StoreBytes(&v, 4);
      return;
    }
    case ST::kSignedInt64: {
      const int64_t a = ReadInt(*this);
      const int64_t b = ReadInt(*right);
      const int64_t r = op == '/' ? IntegerDivide(a, b, t) : Wrapped(a, b, op);
      StoreBytes(&r, 8);
      return;
    }
    case ST::kSingle:
      SetAsSingle(static_cast<float>(FloatOp(AsSingle(), right->AsSingle(), op, t)));
      return;
    case ST::kFloat:
      SetAsDouble(static_cast<double>(FloatOp(AsDouble(), right->AsDouble(), op, t)));
      return;
    case ST::kExtended:
      SetAsExtended(FloatOp(AsExtended(), right->AsExtended(), op, t));
      return;
    case ST::kCurrency:
      SetAsCurrency(static_cast<double>(FloatOp(AsCurrency(), right->AsCurrency(), op, t)));
      return;
    case ST::kDateTime: {
      const platform::TimeStamp a = AsDateTimePair();
      const platform::TimeStamp b = right->AsDateTimePair();
      int64_t day = 0;
      int64_t ms = 0;
      if (op == '/') {
        day = IntegerDivide(a.date, b.date, ST::kSignedInt32);
        ms = IntegerDivide(a.time, b.time, ST::kSignedInt32);
      } else {
        day = op == '+' ? int64_t{a.date} + b.date : int64_t{a.date} * b.date;
        ms = op == '+' ? int64_t{a.time} + b.time : int64_t{a.time} * b.time;
      }
      if (ms > kMSecsPerDay - 1) {
        day += ms / kMSecsPerDay;
        ms %= kMSecsPerDay;
      }
      const int32_t parts[2] = {static_cast<int32_t>(static_cast<uint32_t>(day)),
                                static_cast<int32_t>(ms)};
      StoreBytes(parts, 8);
      return;
    }
    case ST::kLogical:
      SetAsBoolean(AsBoolean() || right->AsBoolean());
      return;
    default:
      break;
  }
  throw EKestrelException("Not numeric argument in numeric operator '%s'", {OperatorText(op)},
                          NotNumericCode(op));
}

void TKestrelVariant::Negate() {
  if (IsNull()) {
    return;
  }
  switch (type_) {
    case ST::kSignedInt8: {
      const auto v = Load<int8_t>(data_);
      if (v == INT8_MIN) {
        throw ERangeError();
      }
      SetAsShortInt(static_cast<int8_t>(-v));
      return;
    }
    case ST::kSignedInt16: {
      const auto v = Load<int16_t>(data_);
      if (v == INT16_MIN) {
        throw ERangeError();
      }
      SetAsSmallInt(static_cast<int16_t>(-v));
      return;
    }
    case ST::kSignedInt32:
    case ST::kDate: {
      const auto v = Load<int32_t>(data_);
      if (v == INT32_MIN) {
        throw EIntOverflow();
      }
      const int32_t negated = -v;
      StoreBytes(&negated, 4);
      return;
    }
    case ST::kSignedInt64: {
      const auto v = Load<int64_t>(data_);
      if (v == INT64_MIN) {
        throw EIntOverflow();
      }
      SetAsLargeInt(-v);
      return;
    }
    case ST::kUnsignedInt8: {
      const auto v = Load<uint8_t>(data_);
      if (v == 0) {
        return;
      }
      if (v > 128) {
        throw ERangeError();
      }
      throw EKestrelException("Cannot cast from '%s' to '%s'", {"SIGNEDINT8", "UNSIGNEDINT8"},
                              30051);
    }
    case ST::kUnsignedInt16: {
      const auto v = Load<uint16_t>(data_);
      if (v == 0) {
        return;
      }
      if (v > 32768) {
        throw ERangeError();
      }
      throw EKestrelException("Cannot cast from '%s' to '%s'", {"SIGNEDINT16", "UNSIGNEDINT16"},
                              30051);
    }
    case ST::kUnsignedInt32:
      if (Load<uint32_t>(data_) != 0) {
        throw EIntOverflow();
      }
      return;
    case ST::kSingle:
      SetAsSingle(-AsSingle());
      return;
    case ST::kFloat:
      SetAsDouble(-AsDouble());
      return;
    case ST::kExtended:
      SetAsExtended(-AsExtended());
      return;
    case ST::kCurrency:
      SetAsCurrency(-AsCurrency());
      return;
    case ST::kLogical:
      SetAsBoolean(!AsBoolean());
      return;
    default:
      break;
  }
  throw EKestrelException("Cannot invert value with not numeric type '%s'",
                          {StorageTypeName(type_)}, 30123);
}

}  // namespace kestrel
