#include "kestrel/sql/expressions/nodes_arithmetic.h"

#include <cmath>
#include <cstring>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using ST = TKestrelStorageType;

// A running result on native numbers: SIGNEDINT32 and SIGNEDINT64 in i,
// FLOAT in d.
struct Accumulator {
  ST type = ST::kNone;
  int64_t i = 0;
  double d = 0;
};

bool IsFastType(ST type) {
  return type == ST::kSignedInt32 || type == ST::kSignedInt64 || type == ST::kFloat;
}

// The type two fast types combine into, as CommonStorageType has it.
ST FastCommon(ST a, ST b) {
  if (a == ST::kFloat || b == ST::kFloat) {
    return ST::kFloat;
  }
  return a == ST::kSignedInt64 || b == ST::kSignedInt64 ? ST::kSignedInt64 : ST::kSignedInt32;
}

Accumulator Load(const TKestrelVariant& value) {
  Accumulator acc;
  acc.type = value.DataType();
  switch (acc.type) {
    case ST::kSignedInt32: {
      int32_t v = 0;
      std::memcpy(&v, value.Data(), 4);
      acc.i = v;
      break;
    }
    case ST::kSignedInt64:
      std::memcpy(&acc.i, value.Data(), 8);
      break;
    default:
      std::memcpy(&acc.d, value.Data(), 8);
      break;
  }
  return acc;
}

double AsDouble(const Accumulator& acc) {
  return acc.type == ST::kFloat ? acc.d : static_cast<double>(acc.i);
}

// The double operation as the value layer does it: in long double, rounded
// to double, with its overflow and invalid-operation faults.
double FloatResult(double a, double b, char op) {
  const long double wide =
      op == '+' ? static_cast<long double>(a) + b : static_cast<long double>(a) * b;
  const auto result = static_cast<double>(wide);
  if (std::isinf(result) && std::isfinite(a) && std::isfinite(b)) {
    throw EOverflow();
  }
  if (std::isnan(result) && !std::isnan(a) && !std::isnan(b)) {
    throw EInvalidOp();
  }
  return result;
}

int64_t Wrapped(int64_t a, int64_t b, char op) {
  const auto ua = static_cast<uint64_t>(a);
  const auto ub = static_cast<uint64_t>(b);
  return static_cast<int64_t>(op == '+' ? ua + ub : ua * ub);
}

void Combine(Accumulator& acc, const Accumulator& other, char op) {
  const ST common = FastCommon(acc.type, other.type);
  if (common == ST::kFloat) {
    acc.d = FloatResult(AsDouble(acc), AsDouble(other), op);
  } else if (common == ST::kSignedInt64) {
    acc.i = Wrapped(acc.i, other.i, op);
  } else {
    acc.i = static_cast<int32_t>(
        static_cast<uint32_t>(static_cast<uint64_t>(Wrapped(acc.i, other.i, op))));
  }
  acc.type = common;
}

void Store(const Accumulator& acc, TKestrelVariant& value) {
  switch (acc.type) {
    case ST::kSignedInt32: {
      const auto v = static_cast<int32_t>(acc.i);
      value.SetData(&v, 4, true, ST::kSignedInt32);
      break;
    }
    case ST::kSignedInt64:
      value.SetData(&acc.i, 8, true, ST::kSignedInt64);
      break;
    default:
      value.SetData(&acc.d, 8, true, ST::kFloat);
      break;
  }
}

// The signed type an unsigned value is widened to before it is negated.
ST WidenedForNegation(ST type) {
  switch (type) {
    case ST::kUnsignedInt8:
      return ST::kSignedInt16;
    case ST::kUnsignedInt16:
      return ST::kSignedInt32;
    case ST::kUnsignedInt32:
      return ST::kSignedInt64;
    default:
      return type;
  }
}

}  // namespace

const TKestrelVariant& TKestrelExprNodeArithmetic::Evaluate() {
  switch (Operator) {
    case TKestrelExprOp::kSum:
      EvaluateSumOrProduct('+');
      break;
    case TKestrelExprOp::kMultiply:
      EvaluateSumOrProduct('*');
      break;
    case TKestrelExprOp::kNegate:
      EvaluateNegation();
      break;
    case TKestrelExprOp::kDivide:
      EvaluateQuotient();
      break;
    default:
      ThrowUnknownOperator(Operator, 30121);
  }
  return Value;
}

void TKestrelExprNodeArithmetic::EvaluateSumOrProduct(char op) {
  Accumulator acc;
  bool fast = false;
  for (std::size_t i = 0; i < Children.size(); ++i) {
    const TKestrelVariant& operand = Child(i).Evaluate();
    if (operand.IsNull()) {
      StoreNull(Value, operand.DataType());
      return;
    }
    if (i == 0) {
      fast = IsFastType(operand.DataType());
      if (fast) {
        acc = Load(operand);
      } else {
        Value.Assign(operand, true);
      }
      continue;
    }
    if (fast && IsFastType(operand.DataType())) {
      Combine(acc, Load(operand), op);
      continue;
    }
    if (fast) {
      Store(acc, Value);
      fast = false;
    }
    if (op == '+') {
      Value.Add(operand);
    } else {
      Value.Multiply(operand);
    }
  }
  if (fast) {
    Store(acc, Value);
  }
}

void TKestrelExprNodeArithmetic::EvaluateNegation() {
  const TKestrelVariant& operand = Child(0).Evaluate();
  const ST type = operand.DataType();
  if (operand.IsNull()) {
    StoreNull(Value, WidenedForNegation(type));
    return;
  }
  if (IsFastType(type)) {
    Accumulator acc = Load(operand);
    if (type == ST::kFloat) {
      acc.d = -acc.d;
    } else if ((type == ST::kSignedInt32 && acc.i == INT32_MIN) ||
               (type == ST::kSignedInt64 && acc.i == INT64_MIN)) {
      throw EIntOverflow();
    } else {
      acc.i = -acc.i;
    }
    Store(acc, Value);
    return;
  }
  Value.Assign(operand, true);
  Value.ConvertTo(WidenedForNegation(type));
  Value.Negate();
}

void TKestrelExprNodeArithmetic::EvaluateQuotient() {
  const TKestrelVariant& dividend = Child(0).Evaluate();
  const TKestrelVariant& divisor = Child(1).Evaluate();
  if (dividend.IsNull() || divisor.IsNull()) {
    StoreNull(Value, dividend.IsNull() ? dividend.DataType() : divisor.DataType());
    return;
  }
  Value.Assign(dividend, true);
  Value.Divide(divisor);
}

TKestrelDataType TKestrelExprNodeArithmetic::GetDataType() const {
  const TKestrelDataType type = TKestrelExprNode::GetDataType();
  if (Operator != TKestrelExprOp::kNegate) {
    return type;
  }
  const ST storage = DataTypeToStorageType(type);
  const ST widened = WidenedForNegation(storage);
  return widened == storage ? type : StorageTypeToDataType(widened);
}

TKestrelStorageType TKestrelExprNodeArithmetic::StaticStorageType() const {
  if (Operator == TKestrelExprOp::kNegate) {
    const ST type = Child(0).StaticStorageType();
    return IsFastType(type) ? type : ST::kNone;
  }
  if (Operator != TKestrelExprOp::kSum && Operator != TKestrelExprOp::kMultiply) {
    return ST::kNone;
  }
  ST type = ST::kNone;
  for (std::size_t i = 0; i < Children.size(); ++i) {
    const ST childType = Child(i).StaticStorageType();
    if (!IsFastType(childType)) {
      return ST::kNone;
    }
    type = i == 0 ? childType : FastCommon(type, childType);
  }
  return type;
}

TKestrelExprNodeCast::TKestrelExprNodeCast(TKestrelDataType target)
    : TKestrelExprNode(TKestrelExprOp::kCast),
      Target(target),
      targetStorage_(DataTypeToStorageType(target)) {
  Value.Clear(targetStorage_);
}

const TKestrelVariant& TKestrelExprNodeCast::Evaluate() {
  const TKestrelVariant& operand = Child(0).Evaluate();
  if (operand.IsNull()) {
    StoreNull(Value, targetStorage_);
    return Value;
  }
  // Borrowing is enough: the conversion, when there is one, makes its own
  // buffer.
  Value.Assign(operand, false);
  Value.ConvertTo(targetStorage_);
  return Value;
}

}  // namespace kestrel
