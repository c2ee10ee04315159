#include "kestrel/sql/expressions/nodes_functions.h"

#include <cstring>

#include "kestrel/storage/kestrel_exception.h"
#include "platform/date_time.h"
#include "platform/text.h"

namespace kestrel {
namespace {

using ST = TKestrelStorageType;

int64_t CodePoints(std::string_view text) {
  return static_cast<int64_t>(platform::Utf8Length(text));
}

// The byte offset of the character with 0-based number index, or the
// text's size when it has fewer characters.
std::size_t OffsetOfChar(std::string_view text, int64_t index) {
  std::size_t at = 0;
  for (; at < text.size() && index > 0; --index) {
    at += platform::Utf8SequenceLength(text, at);
  }
  return at;
}

bool IsWideValue(const TKestrelVariant& value) {
  return IsWideTextType(value.DataType()) || value.DataType() == ST::kWideMemo;
}

// A value as a date-time number: a TIME is a time of day on day 0, a DATE
// midnight of its day; other values convert.
platform::DateTime MomentOf(const TKestrelVariant& value) {
  switch (value.DataType()) {
    case ST::kTime:
      return value.AsTime();
    case ST::kDate:
      return value.AsDate();
    default:
      return value.AsDateTime();
  }
}

void StoreInteger(TKestrelVariant& value, int64_t number) {
  const auto v = static_cast<int32_t>(number);
  value.SetData(&v, 4, true, ST::kSignedInt32);
}

}  // namespace

// String functions.

std::string_view TKestrelExprNodeStringFunction::TextOf(const TKestrelVariant& value,
                                                        std::string& scratch) const {
  if (IsNarrowTextType(value.DataType()) || value.DataType() == ST::kMemo) {
    const auto* chars = reinterpret_cast<const char*>(value.Data());
    return {chars, strnlen(chars, static_cast<std::size_t>(value.Size()))};
  }
  scratch = value.AsString();
  return scratch;
}

void TKestrelExprNodeStringFunction::StoreText(std::string_view text, bool wide) {
  const ST type = wide ? ST::kWideString : ST::kString;
  if (Value.DataType() != type) {
    Value.Clear(type);
  }
  if (wide) {
    Value.SetAsWideString(platform::Utf8ToUtf16(text));
  } else {
    Value.SetAsString(text);
  }
}

const TKestrelVariant& TKestrelExprNodeStringFunction::Evaluate() {
  switch (Operator) {
    case TKestrelExprOp::kConcat:
      EvaluateConcatenation();
      break;
    case TKestrelExprOp::kUpper:
    case TKestrelExprOp::kLower:
    case TKestrelExprOp::kTrim:
    case TKestrelExprOp::kLTrim:
    case TKestrelExprOp::kRTrim:
      EvaluateCase();
      break;
    case TKestrelExprOp::kLength:
      EvaluateLength();
      break;
    case TKestrelExprOp::kPos:
      EvaluatePos();
      break;
    case TKestrelExprOp::kSubstring:
      EvaluateSubstring();
      break;
    default:
      ThrowUnknownOperator(Operator, 30131);
  }
  return Value;
}

void TKestrelExprNodeStringFunction::EvaluateConcatenation() {
  text_.clear();
  bool any = false;
  bool wide = false;
  for (const auto& child : Children) {
    const TKestrelVariant& operand = child->Evaluate();
    if (operand.IsNull()) {
      continue;
    }
    any = true;
    wide = wide || IsWideValue(operand);
    text_ += TextOf(operand, scratch_);
  }
  if (!any) {
    StoreNull(Value, wide ? ST::kWideString : ST::kString);
    return;
  }
  StoreText(text_, wide);
}

void TKestrelExprNodeStringFunction::EvaluateCase() {
  const TKestrelVariant& argument = Child(0).Evaluate();
  const bool wide = IsWideValue(argument);
  if (argument.IsNull()) {
    StoreNull(Value, wide ? ST::kWideString : ST::kString);
    return;
  }
  const std::string_view text = TextOf(argument, scratch_);
  switch (Operator) {
    case TKestrelExprOp::kUpper:
      text_ = platform::UpperCase(text);
      break;
    case TKestrelExprOp::kLower:
      text_ = platform::LowerCase(text);
      break;
    case TKestrelExprOp::kTrim:
      text_ = platform::Trim(text);
      break;
    case TKestrelExprOp::kLTrim:
      text_ = platform::TrimLeft(text);
      break;
    default:
      text_ = platform::TrimRight(text);
      break;
  }
  StoreText(text_, wide);
}

void TKestrelExprNodeStringFunction::EvaluateLength() {
  const TKestrelVariant& argument = Child(0).Evaluate();
  StoreInteger(Value, argument.IsNull() ? 0 : CodePoints(TextOf(argument, scratch_)));
}

void TKestrelExprNodeStringFunction::EvaluatePos() {
  const TKestrelVariant& sub = Child(0).Evaluate();
  const TKestrelVariant& text = Child(1).Evaluate();
  if (sub.IsNull() || text.IsNull()) {
    StoreInteger(Value, 0);
    return;
  }
  std::string subScratch;
  const std::string_view needle = TextOf(sub, subScratch);
  const std::string_view haystack = TextOf(text, scratch_);
  const std::size_t at = needle.empty() ? std::string_view::npos : haystack.find(needle);
  StoreInteger(Value, at == std::string_view::npos ? 0 : CodePoints(haystack.substr(0, at)) + 1);
}

void TKestrelExprNodeStringFunction::EvaluateSubstring() {
  const TKestrelVariant& argument = Child(0).Evaluate();
  const bool wide = IsWideValue(argument);
  const TKestrelVariant& start = Child(1).Evaluate();
  const bool hasLength = Children.size() > 2;
  const TKestrelVariant* length = hasLength ? &Child(2).Evaluate() : nullptr;
  if (argument.IsNull() || start.IsNull() || (length != nullptr && length->IsNull())) {
    StoreNull(Value, wide ? ST::kWideString : ST::kString);
    return;
  }
  const std::string_view text = TextOf(argument, scratch_);
  const int64_t from = std::max<int64_t>(start.AsLargeInt(), 1) - 1;
  const std::size_t begin = OffsetOfChar(text, from);
  std::size_t end = text.size();
  if (length != nullptr) {
    const int64_t count = std::max<int64_t>(length->AsLargeInt(), 0);
    end = begin + OffsetOfChar(text.substr(begin), count);
  }
  StoreText(text.substr(begin, end - begin), wide);
}

TKestrelDataType TKestrelExprNodeStringFunction::GetDataType() const {
  if (Operator == TKestrelExprOp::kLength || Operator == TKestrelExprOp::kPos) {
    return TKestrelDataType::kInteger;
  }
  const std::size_t count = Operator == TKestrelExprOp::kConcat ? Children.size() : 1;
  TKestrelDataType common = TKestrelDataType::kNone;
  bool wide = false;
  for (std::size_t i = 0; i < count; ++i) {
    const TKestrelDataType type = Child(i).GetDataType();
    wide = wide || IsWideStringDataType(type);
    common = i == 0 ? type : CommonDataType(common, type);
  }
  if (IsStringDataType(common)) {
    return common;
  }
  return wide ? TKestrelDataType::kWideVarchar : TKestrelDataType::kVarchar;
}

int32_t TKestrelExprNodeStringFunction::GetDataSize() const {
  switch (Operator) {
    case TKestrelExprOp::kConcat: {
      int32_t size = 0;
      for (const auto& child : Children) {
        size += SizeOrDefault(child->GetDataSize());
      }
      return size;
    }
    case TKestrelExprOp::kLength:
    case TKestrelExprOp::kPos:
      return 0;
    default:
      return SizeOrDefault(Child(0).GetDataSize());
  }
}

// Date functions.

TKestrelExprNodeDateFunction::TKestrelExprNodeDateFunction(TKestrelExprOp op,
                                                           std::string_view format)
    : TKestrelExprNode(op), formater_(format) {}

const TKestrelVariant& TKestrelExprNodeDateFunction::Evaluate() {
  switch (Operator) {
    case TKestrelExprOp::kCurrentDateTime:
      Value.Clear(ST::kDateTime);
      Value.SetAsDateTime(platform::Now());
      break;
    case TKestrelExprOp::kCurrentDate:
      Value.Clear(ST::kDate);
      Value.SetAsDate(platform::Today());
      break;
    case TKestrelExprOp::kCurrentTime:
      Value.Clear(ST::kTime);
      Value.SetAsTime(platform::TimeOf(platform::Now()));
      break;
    case TKestrelExprOp::kToDate: {
      const TKestrelVariant& text = Child(0).Evaluate();
      if (text.IsNull()) {
        StoreNull(Value, ST::kDateTime);
        break;
      }
      const platform::DateTime moment = formater_.ParseDate(text.AsString());
      if (platform::DateOf(moment) == 0) {
        Value.Clear(ST::kTime);
        Value.SetAsTime(moment);
      } else if (platform::TimeOf(moment) == 0) {
        Value.Clear(ST::kDate);
        Value.SetAsDate(moment);
      } else {
        Value.Clear(ST::kDateTime);
        Value.SetAsDateTime(moment);
      }
      break;
    }
    case TKestrelExprOp::kToString: {
      const TKestrelVariant& moment = Child(0).Evaluate();
      if (moment.IsNull()) {
        StoreNull(Value, ST::kString);
        break;
      }
      scratch_ = formater_.FormatDate(MomentOf(moment));
      if (Value.DataType() != ST::kString) {
        Value.Clear(ST::kString);
      }
      Value.SetAsString(scratch_);
      break;
    }
    default:
      ThrowUnknownOperator(Operator, 30130);
  }
  return Value;
}

TKestrelDataType TKestrelExprNodeDateFunction::GetDataType() const {
  switch (Operator) {
    case TKestrelExprOp::kCurrentDateTime:
    case TKestrelExprOp::kCurrentDate:
    case TKestrelExprOp::kCurrentTime:
    case TKestrelExprOp::kToDate:
      return TKestrelDataType::kDateTime;
    case TKestrelExprOp::kToString:
      return TKestrelDataType::kVarchar;
    default:
      ThrowUnknownOperator(Operator, 30287);
  }
}

int32_t TKestrelExprNodeDateFunction::GetDataSize() const {
  return Operator == TKestrelExprOp::kToString ? formater_.MaxFormattedLength() : 0;
}

// LASTAUTOINC.

TKestrelExprNodeSystem::TKestrelExprNodeSystem(std::string tableName, std::string fieldName,
                                               std::unique_ptr<TKestrelOpenedTable> table,
                                               int32_t fieldNo, TKestrelDataType dataType)
    : TKestrelExprNode(TKestrelExprOp::kLastAutoInc),
      TableName(std::move(tableName)),
      FieldName(std::move(fieldName)),
      FieldDataType(dataType),
      table_(std::move(table)),
      fieldNo_(fieldNo) {
  Value.Clear(DataTypeToStorageType(dataType));
}

const TKestrelVariant& TKestrelExprNodeSystem::Evaluate() {
  if (Operator != TKestrelExprOp::kLastAutoInc) {
    ThrowUnknownOperator(Operator, 30338);
  }
  Value.SetAsLargeInt(table_->LastAutoIncValue(fieldNo_));
  return Value;
}

// TOBLOB.

TKestrelExprNodeBLOBFunction::TKestrelExprNodeBLOBFunction(const TKestrelVariant& value)
    : TKestrelExprNode(TKestrelExprOp::kToBlob) {
  Value.Assign(value, true);
}

const TKestrelVariant& TKestrelExprNodeBLOBFunction::Evaluate() {
  if (Operator != TKestrelExprOp::kToBlob) {
    ThrowUnknownOperator(Operator, 11343);
  }
  return Value;
}

}  // namespace kestrel
