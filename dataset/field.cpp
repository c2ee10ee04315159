#include "dataset/field.h"

#include "dataset/dataset.h"
#include "dataset/dataset_errors.h"

namespace dataset {

TField::TField(TFieldType dataType, int size) : dataType_(dataType), size_(size) {}

TField::~TField() = default;

const std::string& TField::DisplayLabel() const {
  return displayLabel_.empty() ? fieldName_ : displayLabel_;
}

bool TField::CanModify() const {
  if (readOnly_ || dataSet_ == nullptr || !dataSet_->CanModify())
    return false;
  const TDataSetState state = dataSet_->State();
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

bool TField::GetData(void* dest) const {
  if (dataSet_ == nullptr)
    return false;
  return dataSet_->GetFieldBytes(*this, dest);
}

void TField::SetData(const void* source) {
  if (dataSet_ == nullptr)
    DatabaseErrorFmt(kFieldAccessError, {fieldName_, "data"});
  dataSet_->SetFieldBytes(*this, source);
  if (OnChange)
    OnChange(*this);
}

bool TField::IsNull() const {
  return !GetData(nullptr);
}

void TField::AccessError(const char* typeName) const {
  DatabaseErrorFmt(kFieldAccessError, {DisplayLabel(), typeName});
}

std::string TField::AsString() const {
  AccessError("String");
}
void TField::SetAsString(std::string_view) {
  AccessError("String");
}
int32_t TField::AsInteger() const {
  AccessError("Integer");
}
void TField::SetAsInteger(int32_t) {
  AccessError("Integer");
}
int64_t TField::AsLargeInt() const {
  AccessError("Largeint");
}
void TField::SetAsLargeInt(int64_t) {
  AccessError("Largeint");
}
double TField::AsFloat() const {
  AccessError("Float");
}
void TField::SetAsFloat(double) {
  AccessError("Float");
}
platform::DateTime TField::AsDateTime() const {
  AccessError("DateTime");
}
void TField::SetAsDateTime(platform::DateTime) {
  AccessError("DateTime");
}
bool TField::AsBoolean() const {
  AccessError("Boolean");
}
void TField::SetAsBoolean(bool) {
  AccessError("Boolean");
}

std::string TField::GetText(bool) const {
  return AsString();
}

void TField::SetAsVariant(const Variant& value) {
  if (value.IsClear()) {
    Clear();
  } else {
    SetVariantValue(value);
  }
}

}  // namespace dataset
