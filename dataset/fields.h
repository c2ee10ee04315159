#pragma once
// The concrete field classes, one per family of field types, and the factory
// that datasets use to create the default field of a definition.

#include <memory>
#include <string>

#include "dataset/field.h"

namespace dataset {

// ftString and ftFixedChar.
class TStringField : public TField {
 public:
  explicit TStringField(int size = 20, TFieldType type = TFieldType::ftString);
  std::string AsString() const override;
  void SetAsString(std::string_view value) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override;
  int64_t AsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  platform::DateTime AsDateTime() const override;
  void SetAsDateTime(platform::DateTime value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
  Variant AsVariant() const override;

 protected:
  int DefaultDisplayWidth() const override { return Size(); }
  void SetVariantValue(const Variant& value) override;
};

class TWideStringField : public TStringField {
 public:
  explicit TWideStringField(int size = 20);
  std::string AsString() const override;
  void SetAsString(std::string_view value) override;
  Variant AsVariant() const override;
};

// ftSmallint, ftInteger, ftWord and ftAutoInc: one class, the native width
// and range follow the type.
class TIntegerField : public TField {
 public:
  explicit TIntegerField(TFieldType type = TFieldType::ftInteger);
  int64_t MinValue() const;
  int64_t MaxValue() const;
  std::string AsString() const override;
  void SetAsString(std::string_view value) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
  int64_t AsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override;
  double AsFloat() const override { return static_cast<double>(AsLargeInt()); }
  void SetAsFloat(double value) override;
  bool AsBoolean() const override { return AsLargeInt() != 0; }
  void SetAsBoolean(bool value) override { SetAsLargeInt(value ? 1 : 0); }
  Variant AsVariant() const override;

 protected:
  int DefaultDisplayWidth() const override;
  void SetVariantValue(const Variant& value) override;
};

class TSmallintField : public TIntegerField {
 public:
  TSmallintField() : TIntegerField(TFieldType::ftSmallint) {}
};
class TWordField : public TIntegerField {
 public:
  TWordField() : TIntegerField(TFieldType::ftWord) {}
};
class TAutoIncField : public TIntegerField {
 public:
  TAutoIncField() : TIntegerField(TFieldType::ftAutoInc) {}
};
class TLargeintField : public TIntegerField {
 public:
  TLargeintField() : TIntegerField(TFieldType::ftLargeint) {}
};

class TBooleanField : public TField {
 public:
  TBooleanField();
  // "True;False" unless set; the texts shown and read.
  void SetDisplayValues(std::string_view trueText, std::string_view falseText);
  std::string AsString() const override;
  void SetAsString(std::string_view value) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool value) override;
  int32_t AsInteger() const override { return AsBoolean() ? 1 : 0; }
  void SetAsInteger(int32_t value) override { SetAsBoolean(value != 0); }
  int64_t AsLargeInt() const override { return AsInteger(); }
  void SetAsLargeInt(int64_t value) override { SetAsBoolean(value != 0); }
  Variant AsVariant() const override;

 protected:
  int DefaultDisplayWidth() const override { return 5; }
  void SetVariantValue(const Variant& value) override;

 private:
  std::string trueText_ = "True";
  std::string falseText_ = "False";
};

// ftFloat, ftCurrency and ftBCD; all hold a double.
class TFloatField : public TField {
 public:
  explicit TFloatField(TFieldType type = TFieldType::ftFloat);
  // Significant digits of the texts (15 unless set).
  int Precision() const { return precision_; }
  void SetPrecision(int digits) { precision_ = digits; }
  std::string AsString() const override;
  void SetAsString(std::string_view value) override;
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  int32_t AsInteger() const override;
  void SetAsInteger(int32_t value) override { SetAsFloat(value); }
  int64_t AsLargeInt() const override;
  void SetAsLargeInt(int64_t value) override { SetAsFloat(static_cast<double>(value)); }
  Variant AsVariant() const override;

 protected:
  std::string GetText(bool displayText) const override;
  void SetVariantValue(const Variant& value) override;

 private:
  int precision_ = 15;
};

class TCurrencyField : public TFloatField {
 public:
  TCurrencyField() : TFloatField(TFieldType::ftCurrency) {}
  Variant AsVariant() const override;
};

class TBCDField : public TFloatField {
 public:
  TBCDField() : TFloatField(TFieldType::ftBCD) {}
};

// ftDate, ftTime and ftDateTime.
class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TFieldType type = TFieldType::ftDateTime);
  // A format of FormatDateTime for the display text; the type's own form
  // through FormatSettings when empty.
  const std::string& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(std::string_view format) { displayFormat_ = std::string(format); }
  std::string AsString() const override;
  void SetAsString(std::string_view value) override;
  platform::DateTime AsDateTime() const override;
  void SetAsDateTime(platform::DateTime value) override;
  double AsFloat() const override { return AsDateTime(); }
  void SetAsFloat(double value) override { SetAsDateTime(value); }
  Variant AsVariant() const override;

 protected:
  std::string GetText(bool displayText) const override;
  int DefaultDisplayWidth() const override;
  void SetVariantValue(const Variant& value) override;

 private:
  std::string FormatValue(platform::DateTime value) const;
  std::string displayFormat_;
};

class TDateField : public TDateTimeField {
 public:
  TDateField() : TDateTimeField(TFieldType::ftDate) {}
};
class TTimeField : public TDateTimeField {
 public:
  TTimeField() : TDateTimeField(TFieldType::ftTime) {}
};

// ftBytes and ftVarBytes. AsString is the raw bytes.
class TBytesField : public TField {
 public:
  explicit TBytesField(int size = 16, TFieldType type = TFieldType::ftBytes);
  std::string AsString() const override;
  void SetAsString(std::string_view value) override;
  Variant AsVariant() const override;

 protected:
  std::string GetText(bool displayText) const override;
  int DefaultDisplayWidth() const override { return Size() * 2; }
  void SetVariantValue(const Variant& value) override;
};

class TVarBytesField : public TBytesField {
 public:
  explicit TVarBytesField(int size = 16) : TBytesField(size, TFieldType::ftVarBytes) {}
};

// ftBlob, ftMemo, ftFmtMemo, ftGraphic and the other binary large types. The
// value is reached through the dataset's BLOB stream.
class TBlobField : public TField {
 public:
  explicit TBlobField(TFieldType type = TFieldType::ftBlob);
  bool IsBlob() const override { return true; }
  int64_t BlobSize() const;
  std::string AsString() const override;
  void SetAsString(std::string_view value) override;
  Variant AsVariant() const override;

 protected:
  // "(Memo)" for a NULL memo, "(MEMO)" for one with a value.
  std::string GetText(bool displayText) const override;
  void SetVariantValue(const Variant& value) override;
};

class TMemoField : public TBlobField {
 public:
  explicit TMemoField(TFieldType type = TFieldType::ftMemo) : TBlobField(type) {}
  Variant AsVariant() const override;
};

class TGraphicField : public TBlobField {
 public:
  TGraphicField() : TBlobField(TFieldType::ftGraphic) {}
};

// The field class for a type; an error for the types no field supports.
std::unique_ptr<TField> CreateField(TFieldType type, int size);
bool IsFieldTypeSupported(TFieldType type);

}  // namespace dataset
