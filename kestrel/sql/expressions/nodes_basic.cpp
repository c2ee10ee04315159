#include "kestrel/sql/expressions/nodes_basic.h"

#include <cstring>

#include "kestrel/sql/expressions/select_list.h"
#include "kestrel/storage/kestrel_exception.h"
#include "platform/text.h"

namespace kestrel {

using ST = TKestrelStorageType;

TKestrelDataType TKestrelExprNodeConst::GetDataType() const {
  return StorageTypeToDataType(Value.DataType());
}

int32_t TKestrelExprNodeConst::GetDataSize() const {
  return IsTextOrMemoType(Value.DataType()) ? std::max(Value.TextLength(), 0) : 0;
}

bool TKestrelExprNodeConst::EvaluateNumber(TKestrelNumber& number) {
  if (Value.IsNull() || !IsNumberType(Value.DataType())) {
    return TKestrelExprNode::EvaluateNumber(number);
  }
  LoadNumber(Value.Data(), Value.DataType(), number);
  return true;
}

std::unique_ptr<TKestrelExprNodeConst> MakeTextConst(std::string_view text) {
  auto node = std::make_unique<TKestrelExprNodeConst>();
  if (text.empty()) {
    // '' is an empty text, not NULL: '' LIKE '%' holds.
    const char zero = 0;
    node->Value.SetData(&zero, 1, true, ST::kString);
  } else {
    node->Value.Clear(ST::kString);
    node->Value.SetAsString(text);
  }
  return node;
}

std::string TKestrelExprNodeField::QualifiedName() const {
  return TableName.empty() ? FieldName : TableName + "." + FieldName;
}

void TKestrelExprNodeField::Bind(TKestrelColumnSource& source,
                                 const TKestrelColumnBinding& binding) {
  source_ = &source;
  binding_ = binding;
  Value.Clear(binding.StorageType);
}

void TKestrelExprNodeField::BindToOperator(TKestrelExpressionOperator& op) {
  TKestrelColumnBinding binding;
  if (op.FindColumns(TableName, FieldName, &binding) != 1) {
    throw EKestrelException("Field '%s' not found", {QualifiedName()}, 30197);
  }
  Bind(op, binding);
}

void TKestrelExprNodeField::BindToCursor(TKestrelColumnSource& cursor) {
  TKestrelColumnBinding binding;
  if (cursor.FindColumns(TableName, FieldName, &binding) < 1) {
    throw EKestrelException("Field '%s' not found", {FieldName}, 30115);
  }
  Bind(cursor, binding);
}

const TKestrelVariant& TKestrelExprNodeField::Evaluate() {
  if (source_ == nullptr) {
    throw EKestrelException("Dataset and AO not assigned", 30196);
  }
  if (!binding_.HasRecordLayout()) {
    source_->ReadColumn(binding_.ColumnNo, Value);
    return Value;
  }
  if (record_ == nullptr) {
    throw EKestrelException("Dataset and AO not assigned", 30196);
  }
  const ST type = binding_.StorageType;
  if (IsFieldNull(record_, binding_.FieldNo)) {
    Value.SetData(nullptr, 0, false, type);
    return Value;
  }
  const uint8_t* data = record_ + binding_.DataOffset;
  int32_t size = binding_.DataSize;
  switch (type) {
    case ST::kChar:
    case ST::kString: {
      const auto length = static_cast<int32_t>(
          strnlen(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size - 1)));
      size = length == 0 ? 0 : length + 1;  // an empty text is NULL, as in stored records
      break;
    }
    case ST::kWideChar:
    case ST::kWideString: {
      int32_t units = 0;
      while (units < size / 2 - 1 && (data[units * 2] | data[units * 2 + 1]) != 0) {
        ++units;
      }
      size = units == 0 ? 0 : (units + 1) * 2;
      break;
    }
    case ST::kBlob:
    case ST::kMemo:
    case ST::kWideMemo:
      source_->ReadBlob(record_, binding_, Value);
      return Value;
    default:
      break;
  }
  Value.SetData(size > 0 ? data : nullptr, size, false, type);
  return Value;
}

bool TKestrelExprNodeField::EvaluateNumber(TKestrelNumber& number) {
  if (source_ == nullptr || record_ == nullptr || !binding_.HasRecordLayout() ||
      !IsNumberType(binding_.StorageType)) {
    return TKestrelExprNode::EvaluateNumber(number);
  }
  if (IsFieldNull(record_, binding_.FieldNo)) {
    return false;
  }
  LoadNumber(record_ + binding_.DataOffset, binding_.StorageType, number);
  return true;
}

TKestrelDataType TKestrelExprNodeField::GetDataType() const {
  if (source_ == nullptr || binding_.DataType == TKestrelDataType::kNone) {
    throw EKestrelException("Cannot determine expression type", 30284);
  }
  return binding_.DataType;
}

int32_t TKestrelExprNodeField::GetDataSize() const {
  return binding_.Size;
}

bool TKestrelExprNodeField::CanEvaluateOn(const TKestrelExpressionOperator& op) const {
  return op.FindColumns(TableName, FieldName, nullptr) == 1;
}

void TKestrelExprNodeField::ResolvePseudonyms(
    const std::vector<TKestrelSelectListItem>& selectList) {
  if (!TableName.empty()) {
    return;
  }
  for (const TKestrelSelectListItem& item : selectList) {
    if (!item.IsExpression && !item.AllTableFields && !item.Pseudonym.empty() &&
        platform::SameText(item.Pseudonym, FieldName)) {
      FieldName = item.FieldName;
      TableName = item.TableName;
      return;
    }
  }
}

TKestrelStorageType TKestrelExprNodeField::StaticStorageType() const {
  return source_ != nullptr && !IsBlobStorageType(binding_.StorageType) ? binding_.StorageType
                                                                        : ST::kNone;
}

}  // namespace kestrel
