#include "kestrel/sql/expressions/nodes_boolean.h"

#include <cstring>

#include "kestrel/sql/expressions/like_match.h"
#include "kestrel/sql/expressions/nodes_basic.h"
#include "kestrel/storage/kestrel_exception.h"
#include "platform/text.h"

namespace kestrel {
namespace {

using ST = TKestrelStorageType;
using Code = TKestrelCompareCode;

// REQUIRES: the type is FLOAT or an integer type.
double LoadDouble(const uint8_t* data, ST type) {
  if (type != ST::kFloat) {
    return static_cast<double>(ReadStoredInteger(data, type));
  }
  double value = 0;
  std::memcpy(&value, data, 8);
  return value;
}

template <typename T>
int Order(T left, T right) {
  return left < right ? -1 : left > right ? 1 : 0;  // unordered values are equal
}

TKestrelTruth TruthOfOrder(TKestrelExprOp op, int order) {
  switch (op) {
    case TKestrelExprOp::kEqual:
      return TruthOf(order == 0);
    case TKestrelExprOp::kNotEqual:
      return TruthOf(order != 0);
    case TKestrelExprOp::kGreater:
      return TruthOf(order > 0);
    case TKestrelExprOp::kLess:
      return TruthOf(order < 0);
    case TKestrelExprOp::kGreaterOrEqual:
      return TruthOf(order >= 0);
    case TKestrelExprOp::kLessOrEqual:
      return TruthOf(order <= 0);
    default:
      ThrowUnknownOperator(op, 30117);
  }
}

bool Equal(const TKestrelVariant& left, const TKestrelVariant& right, bool caseInsensitive) {
  return left.Compare(right, false, false, caseInsensitive) == Code::kEqual;
}

std::string_view NarrowView(const TKestrelVariant& value) {
  const auto* chars = reinterpret_cast<const char*>(value.Data());
  return {chars, strnlen(chars, static_cast<std::size_t>(value.Size()))};
}

// The value's text as UTF-16 into buffer (record bytes need not be aligned
// for char16_t, so wide text is copied).
std::u16string_view WideView(const TKestrelVariant& value, std::u16string& buffer) {
  if (IsNarrowTextType(value.DataType()) || value.DataType() == ST::kMemo) {
    buffer = platform::Utf8ToUtf16(NarrowView(value));
    return buffer;
  }
  buffer.resize(static_cast<std::size_t>(value.Size() / 2));
  std::memcpy(buffer.data(), value.Data(), buffer.size() * 2);
  const std::size_t end = buffer.find(u'\0');
  if (end != std::u16string::npos) {
    buffer.resize(end);
  }
  return buffer;
}

void CheckLikeArgument(const TKestrelVariant& value) {
  if (value.DataType() != ST::kNone && !IsTextOrMemoType(value.DataType())) {
    throw EKestrelException("Not string argument in function '%s'", {"LIKE"}, 30120);
  }
}

}  // namespace

// Comparison.

void TKestrelExprNodeComparison::Prepare() {
  TKestrelExprNode::Prepare();
  for (int side = 0; side < 2; ++side) {
    auto* field = dynamic_cast<TKestrelExprNodeField*>(Children[side].get());
    auto* constant = dynamic_cast<TKestrelExprNodeConst*>(Children[1 - side].get());
    if (field != nullptr && constant != nullptr && field->IsBound() &&
        IsNarrowTextType(field->Binding().StorageType) &&
        IsWideTextType(constant->Value.DataType())) {
      constant->Value.ConvertTo(ST::kString);
    }
  }
  ChooseFastPath();
}

void TKestrelExprNodeComparison::BindToOperator(TKestrelExpressionOperator& op) {
  TKestrelExprNode::BindToOperator(op);
  ChooseFastPath();
}

void TKestrelExprNodeComparison::BindToCursor(TKestrelColumnSource& cursor) {
  TKestrelExprNode::BindToCursor(cursor);
  ChooseFastPath();
}

void TKestrelExprNodeComparison::ChooseFastPath() {
  leftType_ = Child(0).StaticStorageType();
  rightType_ = Child(1).StaticStorageType();
  const bool leftInteger = IsIntegerStorageType(leftType_);
  const bool rightInteger = IsIntegerStorageType(rightType_);
  if (IsNumberType(leftType_) && IsNumberType(rightType_)) {
    fastPath_ = FastPath::kNumber;
  } else if (leftInteger && rightInteger) {
    // The common type of two integer types holds both exactly.
    fastPath_ = FastPath::kInteger;
  } else if ((leftType_ == ST::kFloat || leftInteger) &&
             (rightType_ == ST::kFloat || rightInteger)) {
    // Integers meet a FLOAT as doubles, as the conversion would make them.
    fastPath_ = FastPath::kDouble;
  } else {
    fastPath_ = FastPath::kNone;
  }
}

const TKestrelVariant& TKestrelExprNodeComparison::Evaluate() {
  StoreTruth(Value, EvaluateTruth());
  return Value;
}

TKestrelTruth TKestrelExprNodeComparison::NullTruth(bool leftNull, bool rightNull) const {
  if (SqlNulls) {
    if (Operator < TKestrelExprOp::kEqual || Operator > TKestrelExprOp::kLessOrEqual) {
      ThrowUnknownOperator(Operator, 30117);
    }
    return TruthOf(Operator == TKestrelExprOp::kNotEqual);
  }
  return TruthOfOrder(Operator, leftNull == rightNull ? 0 : leftNull ? -1 : 1);
}

TKestrelTruth TKestrelExprNodeComparison::EvaluateTruth() {
  if (fastPath_ == FastPath::kNumber) {
    TKestrelNumber left;
    TKestrelNumber right;
    const bool hasLeft = Child(0).EvaluateNumber(left);
    const bool hasRight = Child(1).EvaluateNumber(right);
    if (!hasLeft || !hasRight) {
      return NullTruth(!hasLeft, !hasRight);
    }
    const bool integers = left.Type != ST::kFloat && right.Type != ST::kFloat;
    const double leftReal = left.Type == ST::kFloat ? left.Real : static_cast<double>(left.Integer);
    const double rightReal =
        right.Type == ST::kFloat ? right.Real : static_cast<double>(right.Integer);
    return TruthOfOrder(Operator,
                        integers ? Order(left.Integer, right.Integer) : Order(leftReal, rightReal));
  }
  const TKestrelVariant& left = Child(0).Evaluate();
  const TKestrelVariant& right = Child(1).Evaluate();
  if (left.IsNull() || right.IsNull()) {
    return NullTruth(left.IsNull(), right.IsNull());
  }
  int order = 0;
  if (fastPath_ != FastPath::kNone && left.DataType() == leftType_ &&
      right.DataType() == rightType_) {
    order = fastPath_ == FastPath::kInteger
                ? Order(ReadStoredInteger(left.Data(), leftType_),
                        ReadStoredInteger(right.Data(), rightType_))
                : Order(LoadDouble(left.Data(), leftType_), LoadDouble(right.Data(), rightType_));
  } else {
    order = CompareCodeOrder(left.Compare(right, true, PartialCompare, CaseInsensitive));
  }
  return TruthOfOrder(Operator, order);
}

bool TKestrelExprNodeComparison::IsJoinTerm(const TKestrelExpressionOperator& left,
                                            const TKestrelExpressionOperator& right) const {
  if (Operator != TKestrelExprOp::kEqual) {
    return false;
  }
  const auto* first = dynamic_cast<const TKestrelExprNodeField*>(Children[0].get());
  const auto* second = dynamic_cast<const TKestrelExprNodeField*>(Children[1].get());
  if (first == nullptr || second == nullptr) {
    return false;
  }
  // The side each column is found on: 0 left, 1 right, -1 neither.
  const auto side = [&](const TKestrelExprNodeField& field, int ambiguousCode) {
    const int inLeft = left.FindColumns(field.TableName, field.FieldName, nullptr);
    const int inRight = right.FindColumns(field.TableName, field.FieldName, nullptr);
    if (inLeft + inRight > 1) {
      throw EKestrelException("Ambiguous field reference to '%s'", {field.QualifiedName()},
                              ambiguousCode);
    }
    return inLeft == 1 ? 0 : inRight == 1 ? 1 : -1;
  };
  const int firstSide = side(*first, 10404);
  const int secondSide = side(*second, 10405);
  return firstSide >= 0 && secondSide >= 0 && firstSide != secondSide;
}

// Boolean.

const TKestrelVariant& TKestrelExprNodeBoolean::Evaluate() {
  StoreTruth(Value, EvaluateTruth());
  return Value;
}

TKestrelTruth TKestrelExprNodeBoolean::EvaluateTruth() {
  switch (Operator) {
    case TKestrelExprOp::kNot:
      return Negated(Child(0).EvaluateTruth());
    case TKestrelExprOp::kAnd: {
      bool sawNull = false;
      for (const auto& child : Children) {
        const TKestrelTruth truth = child->EvaluateTruth();
        if (truth == TKestrelTruth::kFalse) {
          return truth;
        }
        sawNull = sawNull || truth == TKestrelTruth::kNull;
      }
      return sawNull ? TKestrelTruth::kNull : TKestrelTruth::kTrue;
    }
    case TKestrelExprOp::kOr: {
      bool sawNull = false;
      for (const auto& child : Children) {
        const TKestrelTruth truth = child->EvaluateTruth();
        if (truth == TKestrelTruth::kTrue) {
          return truth;
        }
        sawNull = sawNull || truth == TKestrelTruth::kNull;
      }
      return sawNull ? TKestrelTruth::kNull : TKestrelTruth::kFalse;
    }
    case TKestrelExprOp::kIn:
      return EvaluateIn();
    case TKestrelExprOp::kNotIn:
      return Negated(EvaluateIn());
    case TKestrelExprOp::kBetween:
      return EvaluateBetween();
    case TKestrelExprOp::kNotBetween:
      return Negated(EvaluateBetween());
    case TKestrelExprOp::kLike:
      return EvaluateLike();
    case TKestrelExprOp::kNotLike:
      return Negated(EvaluateLike());
    case TKestrelExprOp::kIsNull:
      return TruthOf(Child(0).Evaluate().IsNull());
    case TKestrelExprOp::kIsNotNull:
      return TruthOf(!Child(0).Evaluate().IsNull());
    default:
      ThrowUnknownOperator(Operator, 30116);
  }
}

TKestrelTruth TKestrelExprNodeBoolean::EvaluateIn() {
  const TKestrelVariant& left = Child(0).Evaluate();
  if (left.IsNull()) {
    return TKestrelTruth::kNull;
  }
  for (std::size_t i = 1; i < Children.size(); ++i) {
    const TKestrelVariant& item = Child(i).Evaluate();
    if (!item.IsNull() && Equal(left, item, CaseInsensitive)) {
      return TKestrelTruth::kTrue;
    }
  }
  return TKestrelTruth::kFalse;
}

TKestrelTruth TKestrelExprNodeBoolean::EvaluateBetween() {
  const TKestrelVariant& value = Child(0).Evaluate();
  const TKestrelVariant& low = Child(1).Evaluate();
  const TKestrelVariant& high = Child(2).Evaluate();
  if (value.IsNull() || low.IsNull() || high.IsNull()) {
    return TKestrelTruth::kNull;
  }
  const Code fromLow = value.Compare(low, false, false, CaseInsensitive);
  if (fromLow == Code::kLess) {
    return TKestrelTruth::kFalse;
  }
  return TruthOf(value.Compare(high, false, false, CaseInsensitive) != Code::kGreater);
}

TKestrelTruth TKestrelExprNodeBoolean::EvaluateLike() {
  const TKestrelVariant& value = Child(0).Evaluate();
  const TKestrelVariant& pattern = Child(1).Evaluate();
  CheckLikeArgument(value);
  CheckLikeArgument(pattern);
  if (value.IsNull() || pattern.IsNull()) {
    return TKestrelTruth::kNull;
  }
  const bool narrow = (IsNarrowTextType(value.DataType()) || value.DataType() == ST::kMemo) &&
                      (IsNarrowTextType(pattern.DataType()) || pattern.DataType() == ST::kMemo);
  if (narrow) {
    return TruthOf(LikeMatch(NarrowView(value), NarrowView(pattern)));
  }
  return TruthOf(LikeMatch(WideView(value, wideValue_), WideView(pattern, widePattern_)));
}

}  // namespace kestrel
