#include "kestrel/sql/expressions/nodes_arithmetic.h"

#include <cmath>
#include <cstring>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using ST = TKestrelStorageType;

bool IsFastType(ST type) {
  return IsNumberType(type);
}

// The type two number types combine into, as CommonStorageType has it.
ST FastCommon(ST a, ST b) {
  if (a == ST::kFloat || b == ST::kFloat) {
    return ST::kFloat;
  }
  return a == ST::kSignedInt64 || b == ST::kSignedInt64 ? ST::kSignedInt64 : ST::kSignedInt32;
}

double AsDouble(const TKestrelNumber& number) {
  return number.Type == ST::kFloat ? number.Real : static_cast<double>(number.Integer);
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

void Combine(TKestrelNumber& acc, const TKestrelNumber& other, char op) {
  const ST common = FastCommon(acc.Type, other.Type);
  if (common == ST::kFloat) {
    acc.Real = FloatResult(AsDouble(acc), AsDouble(other), op);
  } else if (common == ST::kSignedInt64) {
    acc.Integer = Wrapped(acc.Integer, other.Integer, op);
  } else {
    acc.Integer = static_cast<int32_t>(
        static_cast<uint32_t>(static_cast<uint64_t>(Wrapped(acc.Integer, other.Integer, op))));
  }
  acc.Type = common;
}

// Negation of a number type; the lowest integers overflow.
void Negate(TKestrelNumber& number) {
  if (number.Type == ST::kFloat) {
    number.Real = -number.Real;
  } else if ((number.Type == ST::kSignedInt32 && number.Integer == INT32_MIN) ||
             (number.Type == ST::kSignedInt64 && number.Integer == INT64_MIN)) {
    throw EIntOverflow();
  } else {
    number.Integer = -number.Integer;
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

void TKestrelExprNodeArithmetic::BindToOperator(TKestrelExpressionOperator& op) {
  TKestrelExprNode::BindToOperator(op);
  typed_ = IsNumberType(StaticStorageType());
}

void TKestrelExprNodeArithmetic::BindToCursor(TKestrelColumnSource& cursor) {
  TKestrelExprNode::BindToCursor(cursor);
  typed_ = IsNumberType(StaticStorageType());
}

bool TKestrelExprNodeArithmetic::EvaluateNumber(TKestrelNumber& number) {
  if (!typed_) {
    return TKestrelExprNode::EvaluateNumber(number);
  }
  if (Operator == TKestrelExprOp::kNegate) {
    if (!Child(0).EvaluateNumber(number)) {
      return false;
    }
    Negate(number);
    return true;
  }
  const char op = Operator == TKestrelExprOp::kSum ? '+' : '*';
  if (!Child(0).EvaluateNumber(number)) {
    return false;
  }
  TKestrelNumber operand;
  for (std::size_t i = 1; i < Children.size(); ++i) {
    if (!Child(i).EvaluateNumber(operand)) {
      return false;
    }
    Combine(number, operand, op);
  }
  return true;
}

const TKestrelVariant& TKestrelExprNodeArithmetic::Evaluate() {
  if (typed_) {
    TKestrelNumber number;
    if (EvaluateNumber(number)) {
      StoreNumber(number, Value);
    } else {
      StoreNull(Value, StaticStorageType());
    }
    return Value;
  }
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
  TKestrelNumber acc;
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
        LoadNumber(operand.Data(), operand.DataType(), acc);
      } else {
        Value.Assign(operand, true);
      }
      continue;
    }
    if (fast && IsFastType(operand.DataType())) {
      TKestrelNumber number;
      LoadNumber(operand.Data(), operand.DataType(), number);
      Combine(acc, number, op);
      continue;
    }
    if (fast) {
      StoreNumber(acc, Value);
      fast = false;
    }
    if (op == '+') {
      Value.Add(operand);
    } else {
      Value.Multiply(operand);
    }
  }
  if (fast) {
    StoreNumber(acc, Value);
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
    TKestrelNumber number;
    LoadNumber(operand.Data(), type, number);
    Negate(number);
    StoreNumber(number, Value);
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
