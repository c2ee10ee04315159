#include "kestrel/sql/expressions/expr_node.h"

#include <cstring>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

using ST = TKestrelStorageType;

const char* OperatorName(TKestrelExprOp op) {
  switch (op) {
    case TKestrelExprOp::kEqual:
      return "=";
    case TKestrelExprOp::kNotEqual:
      return "<>";
    case TKestrelExprOp::kGreater:
      return ">";
    case TKestrelExprOp::kLess:
      return "<";
    case TKestrelExprOp::kGreaterOrEqual:
      return ">=";
    case TKestrelExprOp::kLessOrEqual:
      return "<=";
    case TKestrelExprOp::kNot:
      return "NOT";
    case TKestrelExprOp::kAnd:
      return "AND";
    case TKestrelExprOp::kOr:
      return "OR";
    case TKestrelExprOp::kLike:
      return "LIKE";
    case TKestrelExprOp::kNotLike:
      return "NOT LIKE";
    case TKestrelExprOp::kIsNull:
      return "IS NULL";
    case TKestrelExprOp::kIsNotNull:
      return "IS NOT NULL";
    case TKestrelExprOp::kSum:
      return "+";
    case TKestrelExprOp::kNegate:
      return "-";
    case TKestrelExprOp::kMultiply:
      return "*";
    case TKestrelExprOp::kDivide:
      return "/";
    case TKestrelExprOp::kConcat:
      return "||";
    case TKestrelExprOp::kUpper:
      return "UPPER";
    case TKestrelExprOp::kLower:
      return "LOWER";
    case TKestrelExprOp::kTrim:
      return "TRIM";
    case TKestrelExprOp::kLTrim:
      return "LTRIM";
    case TKestrelExprOp::kRTrim:
      return "RTRIM";
    case TKestrelExprOp::kAggSum:
      return "SUM";
    case TKestrelExprOp::kAggAvg:
      return "AVG";
    case TKestrelExprOp::kAggMin:
      return "MIN";
    case TKestrelExprOp::kAggMax:
      return "MAX";
    case TKestrelExprOp::kAggCount:
      return "COUNT";
    case TKestrelExprOp::kAggCountAll:
      return "COUNT(*)";
    default:
      return "unknown";
  }
}

TKestrelTruth Negated(TKestrelTruth truth) {
  switch (truth) {
    case TKestrelTruth::kFalse:
      return TKestrelTruth::kTrue;
    case TKestrelTruth::kTrue:
      return TKestrelTruth::kFalse;
    default:
      return TKestrelTruth::kNull;
  }
}

void StoreTruth(TKestrelVariant& value, TKestrelTruth truth) {
  if (value.DataType() != ST::kLogical) {
    value.Clear(ST::kLogical);
  }
  if (truth == TKestrelTruth::kNull) {
    value.SetNull();
  } else {
    value.SetAsBoolean(truth == TKestrelTruth::kTrue);  // in place once the buffer exists
  }
}

void ThrowUnknownOperator(TKestrelExprOp op, int nativeError) {
  throw EKestrelException("Unknown operator: '%s'", {OperatorName(op)}, nativeError);
}

bool IsNarrowTextType(TKestrelStorageType type) {
  return type == ST::kChar || type == ST::kString;
}

bool IsWideTextType(TKestrelStorageType type) {
  return type == ST::kWideChar || type == ST::kWideString;
}

bool IsTextOrMemoType(TKestrelStorageType type) {
  return IsNarrowTextType(type) || IsWideTextType(type) || type == ST::kMemo ||
         type == ST::kWideMemo;
}

int32_t SizeOrDefault(int32_t size) {
  return size <= 0 ? 255 : size;
}

void LoadNumber(const uint8_t* data, TKestrelStorageType type, TKestrelNumber& number) {
  number.Type = type;
  if (type == ST::kSignedInt32) {
    int32_t value = 0;
    std::memcpy(&value, data, 4);
    number.Integer = value;
  } else if (type == ST::kSignedInt64) {
    std::memcpy(&number.Integer, data, 8);
  } else {
    std::memcpy(&number.Real, data, 8);
  }
}

void StoreNumber(const TKestrelNumber& number, TKestrelVariant& value) {
  if (number.Type == ST::kSignedInt32) {
    const auto narrow = static_cast<int32_t>(number.Integer);
    value.SetData(&narrow, 4, true, ST::kSignedInt32);
  } else if (number.Type == ST::kSignedInt64) {
    value.SetData(&number.Integer, 8, true, ST::kSignedInt64);
  } else {
    value.SetData(&number.Real, 8, true, ST::kFloat);
  }
}

bool TKestrelExprNode::EvaluateNumber(TKestrelNumber& number) {
  const TKestrelVariant& value = Evaluate();
  if (value.IsNull()) {
    return false;
  }
  if (IsNumberType(value.DataType())) {
    LoadNumber(value.Data(), value.DataType(), number);
    return true;
  }
  TKestrelVariant converted = value;
  const ST type = StaticStorageType();
  converted.ConvertTo(IsNumberType(type) ? type : ST::kFloat);
  LoadNumber(converted.Data(), converted.DataType(), number);
  return true;
}

void TKestrelExprNode::Prepare() {
  for (const auto& child : Children) {
    child->Prepare();
  }
}

TKestrelTruth TKestrelExprNode::EvaluateTruth() {
  const TKestrelVariant& value = Evaluate();
  if (value.IsNull()) {
    return TKestrelTruth::kNull;
  }
  return TruthOf(value.AsBoolean());
}

bool TKestrelExprNode::HasAggregate() const {
  for (const auto& child : Children) {
    if (child->HasAggregate()) {
      return true;
    }
  }
  return false;
}

void TKestrelExprNode::ResetAggregate() {
  for (const auto& child : Children) {
    child->ResetAggregate();
  }
}

void TKestrelExprNode::Accumulate() {
  for (const auto& child : Children) {
    child->Accumulate();
  }
}

void TKestrelExprNode::BindToOperator(TKestrelExpressionOperator& op) {
  for (const auto& child : Children) {
    child->BindToOperator(op);
  }
}

void TKestrelExprNode::BindToCursor(TKestrelColumnSource& cursor) {
  for (const auto& child : Children) {
    child->BindToCursor(cursor);
  }
}

void TKestrelExprNode::SetRecordBuffer(const uint8_t* buffer) {
  for (const auto& child : Children) {
    child->SetRecordBuffer(buffer);
  }
}

TKestrelDataType TKestrelExprNode::GetDataType() const {
  TKestrelDataType type = TKestrelDataType::kNone;
  for (std::size_t i = 0; i < Children.size(); ++i) {
    const TKestrelDataType childType = Children[i]->GetDataType();
    type = i == 0 ? childType : CommonDataType(type, childType);
  }
  if (type == TKestrelDataType::kNone) {
    throw EKestrelException("Cannot determine expression type", 30283);
  }
  return type;
}

int32_t TKestrelExprNode::GetDataSize() const {
  if (Operator != TKestrelExprOp::kSum && Operator != TKestrelExprOp::kConcat &&
      Operator != TKestrelExprOp::kCast) {
    return 0;
  }
  if (!IsStringDataType(GetDataType())) {
    return 0;
  }
  int32_t size = 0;
  for (const auto& child : Children) {
    size += SizeOrDefault(child->GetDataSize());
  }
  return size;
}

bool TKestrelExprNode::CanEvaluateOn(const TKestrelExpressionOperator& op) const {
  for (const auto& child : Children) {
    if (!child->CanEvaluateOn(op)) {
      return false;
    }
  }
  return true;
}

bool TKestrelExprNode::IsJoinTerm(const TKestrelExpressionOperator&,
                                  const TKestrelExpressionOperator&) const {
  return false;
}

void TKestrelExprNode::ResolvePseudonyms(const std::vector<TKestrelSelectListItem>& selectList) {
  for (const auto& child : Children) {
    child->ResolvePseudonyms(selectList);
  }
}

}  // namespace kestrel
