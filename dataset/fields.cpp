#include "dataset/fields.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "dataset/blob_stream.h"
#include "dataset/dataset.h"
#include "dataset/dataset_errors.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace dataset {

namespace {

bool IsBlank(std::string_view text) {
  return platform::Trim(text).empty();
}

}  // namespace

int NativeDataSize(TFieldType type, int size) {
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
      return size + 1;
    case TFieldType::ftWideString:
      return (size + 1) * 2;
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
    case TFieldType::ftBoolean:
      return 2;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
      return 4;
    case TFieldType::ftLargeint:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
      return 8;
    case TFieldType::ftBytes:
      return size;
    case TFieldType::ftVarBytes:
      return size + 2;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------- strings

TStringField::TStringField(int size, TFieldType type) : TField(type, size) {}

std::string TStringField::AsString() const {
  std::string buffer(static_cast<size_t>(DataSize()), '\0');
  if (!GetData(buffer.data()))
    return {};
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

void TStringField::SetAsString(std::string_view value) {
  std::string buffer(platform::Utf8Prefix(value, static_cast<size_t>(Size())));
  buffer.resize(static_cast<size_t>(DataSize()), '\0');
  SetData(buffer.data());
}

int32_t TStringField::AsInteger() const {
  return platform::StrToInt(AsString());
}
void TStringField::SetAsInteger(int32_t value) {
  SetAsString(std::to_string(value));
}
int64_t TStringField::AsLargeInt() const {
  return platform::StrToInt64(AsString());
}
void TStringField::SetAsLargeInt(int64_t value) {
  SetAsString(std::to_string(value));
}
double TStringField::AsFloat() const {
  return platform::StrToFloat(AsString());
}
void TStringField::SetAsFloat(double value) {
  SetAsString(platform::FloatToStr(value));
}
platform::DateTime TStringField::AsDateTime() const {
  return platform::StrToDateTime(AsString());
}
void TStringField::SetAsDateTime(platform::DateTime value) {
  SetAsString(platform::DateTimeToStr(value));
}

bool TStringField::AsBoolean() const {
  const std::string text = AsString();
  return !text.empty() && std::strchr("YyTt", text[0]) != nullptr;
}

void TStringField::SetAsBoolean(bool value) {
  SetAsString(value ? "T" : "F");
}

Variant TStringField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  return Variant::FromString(AsString());
}

void TStringField::SetVariantValue(const Variant& value) {
  SetAsString(value.ToString());
}

TWideStringField::TWideStringField(int size) : TStringField(size, TFieldType::ftWideString) {}

std::string TWideStringField::AsString() const {
  std::u16string buffer(static_cast<size_t>(Size() + 1), u'\0');
  if (!GetData(buffer.data()))
    return {};
  size_t length = 0;
  while (length < buffer.size() && buffer[length] != u'\0')
    ++length;
  buffer.resize(length);
  return platform::Utf16ToUtf8(buffer);
}

void TWideStringField::SetAsString(std::string_view value) {
  std::u16string buffer = platform::Utf8ToUtf16(value);
  if (buffer.size() > static_cast<size_t>(Size())) {
    size_t cut = static_cast<size_t>(Size());
    // Do not split a surrogate pair.
    if (cut > 0 && buffer[cut - 1] >= 0xD800 && buffer[cut - 1] <= 0xDBFF)
      --cut;
    buffer.resize(cut);
  }
  buffer.resize(static_cast<size_t>(Size() + 1), u'\0');
  SetData(buffer.data());
}

Variant TWideStringField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  return Variant::FromOleStr(platform::Utf8ToUtf16(AsString()));
}

// ---------------------------------------------------------------- integers

TIntegerField::TIntegerField(TFieldType type) : TField(type, 0) {
  SetAlignment(TAlignment::taRightJustify);
}

int64_t TIntegerField::MinValue() const {
  switch (DataType()) {
    case TFieldType::ftSmallint:
      return std::numeric_limits<int16_t>::min();
    case TFieldType::ftWord:
      return 0;
    case TFieldType::ftLargeint:
      return std::numeric_limits<int64_t>::min();
    default:
      return std::numeric_limits<int32_t>::min();
  }
}

int64_t TIntegerField::MaxValue() const {
  switch (DataType()) {
    case TFieldType::ftSmallint:
      return std::numeric_limits<int16_t>::max();
    case TFieldType::ftWord:
      return std::numeric_limits<uint16_t>::max();
    case TFieldType::ftLargeint:
      return std::numeric_limits<int64_t>::max();
    default:
      return std::numeric_limits<int32_t>::max();
  }
}

int TIntegerField::DefaultDisplayWidth() const {
  switch (DataType()) {
    case TFieldType::ftSmallint:
      return 6;
    case TFieldType::ftWord:
      return 5;
    case TFieldType::ftLargeint:
      return 15;
    default:
      return 10;
  }
}

int64_t TIntegerField::AsLargeInt() const {
  switch (DataType()) {
    case TFieldType::ftSmallint: {
      int16_t value = 0;
      return GetData(&value) ? value : 0;
    }
    case TFieldType::ftWord: {
      uint16_t value = 0;
      return GetData(&value) ? value : 0;
    }
    case TFieldType::ftLargeint: {
      int64_t value = 0;
      return GetData(&value) ? value : 0;
    }
    default: {
      int32_t value = 0;
      return GetData(&value) ? value : 0;
    }
  }
}

int32_t TIntegerField::AsInteger() const {
  const int64_t value = AsLargeInt();
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    DatabaseErrorFmt(kFieldRangeError, {std::to_string(value), DisplayLabel(),
                                        std::to_string(std::numeric_limits<int32_t>::min()),
                                        std::to_string(std::numeric_limits<int32_t>::max())});
  }
  return static_cast<int32_t>(value);
}

void TIntegerField::SetAsLargeInt(int64_t value) {
  if (value < MinValue() || value > MaxValue()) {
    DatabaseErrorFmt(kFieldRangeError, {std::to_string(value), DisplayLabel(),
                                        std::to_string(MinValue()), std::to_string(MaxValue())});
  }
  switch (DataType()) {
    case TFieldType::ftSmallint: {
      const auto native = static_cast<int16_t>(value);
      SetData(&native);
      break;
    }
    case TFieldType::ftWord: {
      const auto native = static_cast<uint16_t>(value);
      SetData(&native);
      break;
    }
    case TFieldType::ftLargeint:
      SetData(&value);
      break;
    default: {
      const auto native = static_cast<int32_t>(value);
      SetData(&native);
      break;
    }
  }
}

void TIntegerField::SetAsFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) {
    DatabaseErrorFmt(kFieldRangeError, {platform::FloatToStr(value), DisplayLabel(),
                                        std::to_string(MinValue()), std::to_string(MaxValue())});
  }
  SetAsLargeInt(static_cast<int64_t>(std::llround(value)));
}

std::string TIntegerField::AsString() const {
  if (IsNull())
    return {};
  return std::to_string(AsLargeInt());
}

void TIntegerField::SetAsString(std::string_view value) {
  if (IsBlank(value)) {
    Clear();
    return;
  }
  int64_t parsed = 0;
  if (!platform::TryStrToInt64(value, parsed)) {
    DatabaseErrorFmt(kInvalidIntegerValue, {std::string(value), DisplayLabel()});
  }
  SetAsLargeInt(parsed);
}

Variant TIntegerField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  const int64_t value = AsLargeInt();
  switch (DataType()) {
    case TFieldType::ftSmallint:
      return Variant::FromSmallint(static_cast<int16_t>(value));
    case TFieldType::ftWord:
      return Variant::FromWord(static_cast<uint16_t>(value));
    case TFieldType::ftLargeint:
      return Variant::FromInt64(value);
    default:
      return Variant::FromInteger(static_cast<int32_t>(value));
  }
}

void TIntegerField::SetVariantValue(const Variant& value) {
  if (value.IsText()) {
    SetAsString(value.ToString());
  } else if (value.Type() == VarType::kDouble || value.Type() == VarType::kSingle ||
             value.Type() == VarType::kCurrency) {
    SetAsFloat(value.ToDouble());
  } else {
    SetAsLargeInt(value.ToInt64());
  }
}

// ---------------------------------------------------------------- booleans

TBooleanField::TBooleanField() : TField(TFieldType::ftBoolean, 0) {}

void TBooleanField::SetDisplayValues(std::string_view trueText, std::string_view falseText) {
  trueText_ = std::string(trueText);
  falseText_ = std::string(falseText);
}

bool TBooleanField::AsBoolean() const {
  uint16_t value = 0;
  return GetData(&value) && value != 0;
}

void TBooleanField::SetAsBoolean(bool value) {
  const uint16_t native = value ? 1 : 0;
  SetData(&native);
}

std::string TBooleanField::AsString() const {
  if (IsNull())
    return {};
  return AsBoolean() ? trueText_ : falseText_;
}

void TBooleanField::SetAsString(std::string_view value) {
  const std::string_view text = platform::Trim(value);
  if (text.empty()) {
    Clear();
  } else if (platform::StartsWithText(falseText_, text)) {
    SetAsBoolean(false);
  } else if (platform::StartsWithText(trueText_, text)) {
    SetAsBoolean(true);
  } else {
    DatabaseErrorFmt(kInvalidBoolValue, {std::string(value), DisplayLabel()});
  }
}

Variant TBooleanField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  return Variant::FromBoolean(AsBoolean());
}

void TBooleanField::SetVariantValue(const Variant& value) {
  if (value.IsText()) {
    SetAsString(value.ToString());
  } else {
    SetAsBoolean(value.ToBoolean());
  }
}

// ---------------------------------------------------------------- floats

TFloatField::TFloatField(TFieldType type) : TField(type, 0) {
  SetAlignment(TAlignment::taRightJustify);
}

double TFloatField::AsFloat() const {
  double value = 0;
  return GetData(&value) ? value : 0;
}

void TFloatField::SetAsFloat(double value) {
  if (!std::isfinite(value)) {
    DatabaseErrorFmt(kInvalidFloatValue, {platform::FloatToStr(value), DisplayLabel()});
  }
  SetData(&value);
}

int32_t TFloatField::AsInteger() const {
  const double value = std::round(AsFloat());
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    DatabaseErrorFmt(kFieldRangeError, {platform::FloatToStr(value), DisplayLabel(),
                                        std::to_string(std::numeric_limits<int32_t>::min()),
                                        std::to_string(std::numeric_limits<int32_t>::max())});
  }
  return static_cast<int32_t>(value);
}

int64_t TFloatField::AsLargeInt() const {
  const double value = std::round(AsFloat());
  if (!(std::fabs(value) < 9.2e18)) {
    DatabaseErrorFmt(kFieldRangeError, {platform::FloatToStr(value), DisplayLabel(),
                                        std::to_string(std::numeric_limits<int64_t>::min()),
                                        std::to_string(std::numeric_limits<int64_t>::max())});
  }
  return static_cast<int64_t>(value);
}

std::string TFloatField::AsString() const {
  if (IsNull())
    return {};
  return platform::FloatToStr(AsFloat(), precision_);
}

std::string TFloatField::GetText(bool displayText) const {
  if (IsNull())
    return {};
  if (displayText && DataType() == TFieldType::ftCurrency) {
    return platform::FloatToStrFixed(AsFloat(), 2);
  }
  return platform::FloatToStr(AsFloat(), precision_);
}

void TFloatField::SetAsString(std::string_view value) {
  if (IsBlank(value)) {
    Clear();
    return;
  }
  double parsed = 0;
  if (!platform::TryStrToFloat(platform::Trim(value), parsed)) {
    DatabaseErrorFmt(kInvalidFloatValue, {std::string(value), DisplayLabel()});
  }
  SetAsFloat(parsed);
}

Variant TFloatField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  return Variant::FromDouble(AsFloat());
}

void TFloatField::SetVariantValue(const Variant& value) {
  if (value.IsText()) {
    SetAsString(value.ToString());
  } else {
    SetAsFloat(value.ToDouble());
  }
}

Variant TCurrencyField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  return Variant::FromCurrency(AsFloat());
}

// ---------------------------------------------------------------- dates and times

TDateTimeField::TDateTimeField(TFieldType type) : TField(type, 0) {}

int TDateTimeField::DefaultDisplayWidth() const {
  return DataType() == TFieldType::ftDateTime ? 18 : 10;
}

platform::DateTime TDateTimeField::AsDateTime() const {
  double value = 0;
  return GetData(&value) ? value : 0;
}

void TDateTimeField::SetAsDateTime(platform::DateTime value) {
  if (!std::isfinite(value)) {
    DatabaseErrorFmt(kInvalidDateTimeValue, {platform::FloatToStr(value), DisplayLabel()});
  }
  switch (DataType()) {
    case TFieldType::ftDate:
      value = platform::DateOf(value);
      break;
    case TFieldType::ftTime:
      // Whole milliseconds: the fraction of a date-time carries rounding noise.
      value = std::round(platform::TimeOf(value) * 86400000.0) / 86400000.0;
      break;
    default:
      break;
  }
  SetData(&value);
}

std::string TDateTimeField::FormatValue(platform::DateTime value) const {
  switch (DataType()) {
    case TFieldType::ftDate:
      return platform::DateToStr(value);
    case TFieldType::ftTime:
      return platform::TimeToStr(value);
    default:
      return platform::DateTimeToStr(value);
  }
}

std::string TDateTimeField::AsString() const {
  if (IsNull())
    return {};
  return FormatValue(AsDateTime());
}

std::string TDateTimeField::GetText(bool displayText) const {
  if (IsNull())
    return {};
  if (displayText && !displayFormat_.empty()) {
    return platform::FormatDateTime(displayFormat_, AsDateTime());
  }
  return FormatValue(AsDateTime());
}

void TDateTimeField::SetAsString(std::string_view value) {
  if (IsBlank(value)) {
    Clear();
    return;
  }
  switch (DataType()) {
    case TFieldType::ftDate:
      SetAsDateTime(platform::StrToDate(value));
      break;
    case TFieldType::ftTime:
      SetAsDateTime(platform::StrToTime(value));
      break;
    default:
      SetAsDateTime(platform::StrToDateTime(value));
      break;
  }
}

Variant TDateTimeField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  return Variant::FromDateTime(AsDateTime());
}

void TDateTimeField::SetVariantValue(const Variant& value) {
  if (value.IsText()) {
    SetAsString(value.ToString());
  } else {
    SetAsDateTime(value.ToDateTime());
  }
}

// ---------------------------------------------------------------- bytes

TBytesField::TBytesField(int size, TFieldType type) : TField(type, size) {}

std::string TBytesField::AsString() const {
  std::string buffer(static_cast<size_t>(DataSize()), '\0');
  if (!GetData(buffer.data()))
    return {};
  if (DataType() != TFieldType::ftVarBytes)
    return buffer;
  uint16_t length = 0;
  std::memcpy(&length, buffer.data(), 2);
  return buffer.substr(2, std::min<size_t>(length, static_cast<size_t>(Size())));
}

void TBytesField::SetAsString(std::string_view value) {
  const size_t length = std::min(value.size(), static_cast<size_t>(Size()));
  std::string buffer(static_cast<size_t>(DataSize()), '\0');
  if (DataType() == TFieldType::ftVarBytes) {
    const auto prefix = static_cast<uint16_t>(length);
    std::memcpy(buffer.data(), &prefix, 2);
    std::memcpy(buffer.data() + 2, value.data(), length);
  } else {
    std::memcpy(buffer.data(), value.data(), length);
  }
  SetData(buffer.data());
}

std::string TBytesField::GetText(bool) const {
  return std::string("(") + FieldTypeName(DataType()) + ")";
}

Variant TBytesField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  const std::string bytes = AsString();
  return Variant::FromBytes(Variant::Bytes(bytes.begin(), bytes.end()));
}

void TBytesField::SetVariantValue(const Variant& value) {
  if (value.IsText()) {
    SetAsString(value.ToString());
  } else {
    const Variant::Bytes bytes = value.ToBytes();
    SetAsString(std::string(bytes.begin(), bytes.end()));
  }
}

// ---------------------------------------------------------------- BLOBs

TBlobField::TBlobField(TFieldType type) : TField(type, 0) {}

int64_t TBlobField::BlobSize() const {
  auto stream =
      DataSet()->CreateBlobStream(const_cast<TBlobField&>(*this), TBlobStreamMode::bmRead);
  return stream ? stream->Size() : 0;
}

std::string TBlobField::AsString() const {
  if (DataSet() == nullptr)
    return {};
  auto stream =
      DataSet()->CreateBlobStream(const_cast<TBlobField&>(*this), TBlobStreamMode::bmRead);
  return stream ? stream->ReadAll() : std::string();
}

void TBlobField::SetAsString(std::string_view value) {
  if (DataSet() == nullptr)
    AccessError("BLOB");
  auto stream = DataSet()->CreateBlobStream(*this, TBlobStreamMode::bmWrite);
  stream->WriteAll(value);
  stream.reset();  // the value reaches the record here
  if (OnChange)
    OnChange(*this);
}

std::string TBlobField::GetText(bool) const {
  std::string name = FieldTypeName(DataType());
  if (!IsNull())
    name = platform::UpperCase(name);
  return "(" + name + ")";
}

Variant TBlobField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  const std::string bytes = AsString();
  return Variant::FromBytes(Variant::Bytes(bytes.begin(), bytes.end()));
}

void TBlobField::SetVariantValue(const Variant& value) {
  if (value.Type() == VarType::kByteArray) {
    const Variant::Bytes bytes = value.ToBytes();
    SetAsString(std::string(bytes.begin(), bytes.end()));
  } else {
    SetAsString(value.ToString());
  }
}

Variant TMemoField::AsVariant() const {
  if (IsNull())
    return Variant::Null();
  return Variant::FromString(AsString());
}

// ---------------------------------------------------------------- factory

bool IsFieldTypeSupported(TFieldType type) {
  switch (type) {
    case TFieldType::ftUnknown:
    case TFieldType::ftCursor:
    case TFieldType::ftADT:
    case TFieldType::ftArray:
    case TFieldType::ftReference:
    case TFieldType::ftDataSet:
      return false;
    default:
      return true;
  }
}

std::unique_ptr<TField> CreateField(TFieldType type, int size) {
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
      return std::make_unique<TStringField>(size, type);
    case TFieldType::ftWideString:
      return std::make_unique<TWideStringField>(size);
    case TFieldType::ftSmallint:
      return std::make_unique<TSmallintField>();
    case TFieldType::ftInteger:
      return std::make_unique<TIntegerField>();
    case TFieldType::ftWord:
      return std::make_unique<TWordField>();
    case TFieldType::ftAutoInc:
      return std::make_unique<TAutoIncField>();
    case TFieldType::ftLargeint:
      return std::make_unique<TLargeintField>();
    case TFieldType::ftBoolean:
      return std::make_unique<TBooleanField>();
    case TFieldType::ftFloat:
      return std::make_unique<TFloatField>();
    case TFieldType::ftCurrency:
      return std::make_unique<TCurrencyField>();
    case TFieldType::ftBCD: {
      auto field = std::make_unique<TBCDField>();
      field->SetSize(size);
      return field;
    }
    case TFieldType::ftDate:
      return std::make_unique<TDateField>();
    case TFieldType::ftTime:
      return std::make_unique<TTimeField>();
    case TFieldType::ftDateTime:
      return std::make_unique<TDateTimeField>();
    case TFieldType::ftBytes:
      return std::make_unique<TBytesField>(size);
    case TFieldType::ftVarBytes:
      return std::make_unique<TVarBytesField>(size);
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
      return std::make_unique<TMemoField>(type);
    case TFieldType::ftGraphic:
      return std::make_unique<TGraphicField>();
    case TFieldType::ftBlob:
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle:
    case TFieldType::ftTypedBinary:
      return std::make_unique<TBlobField>(type);
    default:
      DatabaseErrorFmt("Field type %s is not supported", {FieldTypeName(type)});
  }
}

}  // namespace dataset
