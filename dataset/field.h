#pragma once
// A field of a dataset: one column of its current record, with typed
// accessors. A field holds no value itself; it reads and writes its value in
// the dataset's active record buffer through the dataset.
//
// Native value forms (what GetData fills and SetData takes):
//
// | field type                         | bytes        | form                                  |
// |------------------------------------|--------------|---------------------------------------|
// | ftString, ftFixedChar              | Size + 1     | UTF-8, NUL-terminated                 |
// | ftWideString                       | (Size + 1)*2 | UTF-16 code units, NUL-terminated     |
// | ftSmallint                         | 2            | signed                                |
// | ftWord                             | 2            | unsigned                              |
// | ftInteger, ftAutoInc               | 4            | signed                                |
// | ftLargeint                         | 8            | signed                                |
// | ftBoolean                          | 2            | 0 false, anything else true           |
// | ftFloat, ftCurrency, ftBCD         | 8            | double                                |
// | ftDate, ftTime, ftDateTime         | 8            | platform::DateTime (days since 1899-12-30)
// | | ftBytes                            | Size         | raw                                   |
// | ftVarBytes                         | 2 + Size     | 16-bit length, then the bytes         |
// | BLOB types                         | 0            | through TDataSet::CreateBlobStream    |

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "dataset/field_type.h"
#include "dataset/variant.h"
#include "platform/date_time.h"

namespace dataset {

class TDataSet;

// Bytes of a value of the type in its native form.
int NativeDataSize(TFieldType type, int size);

enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

class TField {
 public:
  TField(TFieldType dataType, int size);
  virtual ~TField();
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  TDataSet* DataSet() const { return dataSet_; }
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(std::string_view name) { fieldName_ = std::string(name); }
  // The column title; the field name unless set.
  const std::string& DisplayLabel() const;
  void SetDisplayLabel(std::string_view label) { displayLabel_ = std::string(label); }
  // Characters a column needs; a per-type default unless set.
  int DisplayWidth() const { return displayWidth_ >= 0 ? displayWidth_ : DefaultDisplayWidth(); }
  void SetDisplayWidth(int width) { displayWidth_ = width; }
  TFieldKind FieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind kind) { fieldKind_ = kind; }
  bool IsCalculated() const {
    return fieldKind_ == TFieldKind::fkCalculated || fieldKind_ == TFieldKind::fkInternalCalc;
  }
  // 1-based position among the field definitions; 0 for a calculated field.
  int FieldNo() const { return fieldNo_; }
  // Position among the dataset's fields.
  int Index() const { return index_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool Required() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { alignment_ = value; }
  TFieldType DataType() const { return dataType_; }
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  // Bytes of the native value form (table above).
  int DataSize() const { return NativeDataSize(dataType_, size_); }
  virtual bool IsBlob() const { return false; }
  // Whether the value can be changed now: the dataset is editing and neither
  // the field nor the dataset is read-only.
  bool CanModify() const;

  // Copies the native value into dest (may be null to test presence);
  // false when the field is NULL.
  bool GetData(void* dest) const;
  // Stores a native value; null makes the field NULL.
  void SetData(const void* source);

  virtual bool IsNull() const;
  void Clear() { SetData(nullptr); }

  virtual std::string AsString() const;
  virtual void SetAsString(std::string_view value);
  // The text a grid shows, and the text offered for editing.
  std::string DisplayText() const { return GetText(true); }
  std::string Text() const { return GetText(false); }
  virtual void SetText(std::string_view text) { SetAsString(text); }
  virtual int32_t AsInteger() const;
  virtual void SetAsInteger(int32_t value);
  virtual int64_t AsLargeInt() const;
  virtual void SetAsLargeInt(int64_t value);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double value);
  virtual platform::DateTime AsDateTime() const;
  virtual void SetAsDateTime(platform::DateTime value);
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool value);
  // Null when the field is NULL.
  virtual Variant AsVariant() const = 0;
  // Empty and Null clear the field.
  void SetAsVariant(const Variant& value);

  // Called after the field's value changed through this field.
  std::function<void(TField&)> OnChange;

 protected:
  virtual std::string GetText(bool displayText) const;
  virtual int DefaultDisplayWidth() const { return 10; }
  virtual void SetVariantValue(const Variant& value) = 0;
  [[noreturn]] void AccessError(const char* typeName) const;

 private:
  friend class TDataSet;
  TDataSet* dataSet_ = nullptr;
  std::string fieldName_;
  std::string displayLabel_;
  int displayWidth_ = -1;
  TFieldKind fieldKind_ = TFieldKind::fkData;
  int fieldNo_ = 0;
  int index_ = -1;
  int calcOffset_ = 0;  // of a calculated field's value in the calculated area
  bool readOnly_ = false;
  bool required_ = false;
  bool visible_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TFieldType dataType_;
  int size_;
};

}  // namespace dataset
