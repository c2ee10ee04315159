#include "kestrel/storage/values/data_types.h"

#include <array>
#include <string>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using DT = TKestrelDataType;
using ST = TKestrelStorageType;
using FT = dataset::TFieldType;

constexpr std::array<TKestrelFieldTypeDesc, 35> kFieldTypeDescs = {{
    {"Char", DT::kChar},
    {"Varchar", DT::kVarchar},
    {"WideChar", DT::kWideChar},
    {"WideVarchar", DT::kWideVarchar},
    {"ShortInt", DT::kShortInt},
    {"SmallInt", DT::kSmallInt},
    {"Integer", DT::kInteger},
    {"LargeInt", DT::kLargeInt},
    {"Byte", DT::kByte},
    {"Word", DT::kWord},
    {"Cardinal", DT::kCardinal},
    {"AutoInc", DT::kAutoInc},
    {"AutoIncShortInt", DT::kAutoIncShortInt},
    {"AutoIncSmallInt", DT::kAutoIncSmallInt},
    {"AutoIncInteger", DT::kAutoIncInteger},
    {"AutoIncLargeInt", DT::kAutoIncLargeInt},
    {"AutoIncByte", DT::kAutoIncByte},
    {"AutoIncWord", DT::kAutoIncWord},
    {"AutoIncCardinal", DT::kAutoIncCardinal},
    {"Single", DT::kSingle},
    {"Double", DT::kDouble},
    {"Extended", DT::kExtended},
    {"Boolean", DT::kBoolean},
    {"Currency", DT::kCurrency},
    {"Date", DT::kDate},
    {"Time", DT::kTime},
    {"DateTime", DT::kDateTime},
    {"TimeStamp", DT::kTimeStamp},
    {"Bytes", DT::kBytes},
    {"VarBytes", DT::kVarBytes},
    {"BLOB", DT::kBlob},
    {"Graphic", DT::kGraphic},
    {"Memo", DT::kMemo},
    {"FormattedMemo", DT::kFormattedMemo},
    {"WideMemo", DT::kWideMemo},
}};

constexpr std::array<TSQLFieldType, 58> kSQLFieldTypes = {{
    {"CHAR", DT::kChar, ST::kChar, FT::ftFixedChar},
    {"FIXEDCHAR", DT::kChar, ST::kChar, FT::ftFixedChar},
    {"STRING", DT::kVarchar, ST::kString, FT::ftString},
    {"VARCHAR", DT::kVarchar, ST::kString, FT::ftString},
    {"VARCHAR2", DT::kVarchar, ST::kString, FT::ftString},
    {"WIDECHAR", DT::kWideChar, ST::kWideChar, FT::ftWideString},
    {"FIXEDWIDECHAR", DT::kWideChar, ST::kWideChar, FT::ftWideString},
    {"WIDESTRING", DT::kWideVarchar, ST::kWideString, FT::ftWideString},
    {"WIDEVARCHAR", DT::kWideVarchar, ST::kWideString, FT::ftWideString},
    {"SIGNEDINT16", DT::kSmallInt, ST::kSignedInt16, FT::ftSmallint},
    {"SMALLINT", DT::kSmallInt, ST::kSignedInt16, FT::ftSmallint},
    {"SIGNEDINT8", DT::kShortInt, ST::kSignedInt8, FT::ftSmallint},
    {"SHORTINT", DT::kShortInt, ST::kSignedInt8, FT::ftSmallint},
    {"SIGNEDINT32", DT::kInteger, ST::kSignedInt32, FT::ftInteger},
    {"INTEGER", DT::kInteger, ST::kSignedInt32, FT::ftInteger},
    {"SIGNEDINT64", DT::kLargeInt, ST::kSignedInt64, FT::ftLargeint},
    {"LARGEINT", DT::kLargeInt, ST::kSignedInt64, FT::ftLargeint},
    {"INT64", DT::kLargeInt, ST::kSignedInt64, FT::ftLargeint},
    {"UNSIGNEDINT16", DT::kWord, ST::kUnsignedInt16, FT::ftWord},
    {"WORD", DT::kWord, ST::kUnsignedInt16, FT::ftWord},
    {"UNSIGNEDINT8", DT::kByte, ST::kUnsignedInt8, FT::ftWord},
    {"BYTE", DT::kByte, ST::kUnsignedInt8, FT::ftWord},
    {"UNSIGNEDINT32", DT::kCardinal, ST::kUnsignedInt32, FT::ftLargeint},
    {"CARDINAL", DT::kCardinal, ST::kUnsignedInt32, FT::ftLargeint},
    {"AUTOINC", DT::kAutoInc, ST::kSignedInt32, FT::ftAutoInc},
    {"AUTOINCSHORTINT", DT::kAutoIncShortInt, ST::kSignedInt8, FT::ftAutoInc},
    {"AUTOINCSMALLINT", DT::kAutoIncSmallInt, ST::kSignedInt16, FT::ftAutoInc},
    {"AUTOINCINTEGER", DT::kAutoIncInteger, ST::kSignedInt32, FT::ftAutoInc},
    {"AUTOINCLARGEINT", DT::kAutoIncLargeInt, ST::kSignedInt64, FT::ftLargeint},
    {"AUTOINCBYTE", DT::kAutoIncByte, ST::kUnsignedInt8, FT::ftAutoInc},
    {"AUTOINCWORD", DT::kAutoIncWord, ST::kUnsignedInt16, FT::ftAutoInc},
    {"AUTOINCCARDINAL", DT::kAutoIncCardinal, ST::kUnsignedInt32, FT::ftAutoInc},
    {"FLOAT", DT::kDouble, ST::kFloat, FT::ftFloat},
    {"SINGLE", DT::kSingle, ST::kSingle, FT::ftFloat},
    {"DOUBLE", DT::kDouble, ST::kFloat, FT::ftFloat},
    {"EXTENDED", DT::kExtended, ST::kExtended, FT::ftFloat},
    {"LOGICAL", DT::kBoolean, ST::kLogical, FT::ftBoolean},
    {"BOOLEAN", DT::kBoolean, ST::kLogical, FT::ftBoolean},
    {"BOOL", DT::kBoolean, ST::kLogical, FT::ftBoolean},
    {"BIT", DT::kBoolean, ST::kLogical, FT::ftBoolean},
    {"CURRENCY", DT::kCurrency, ST::kCurrency, FT::ftCurrency},
    {"MONEY", DT::kCurrency, ST::kCurrency, FT::ftCurrency},
    {"DATE", DT::kDate, ST::kDate, FT::ftDate},
    {"TIME", DT::kTime, ST::kTime, FT::ftTime},
    {"DATETIME", DT::kDateTime, ST::kDateTime, FT::ftDateTime},
    {"TIMESTAMP", DT::kTimeStamp, ST::kDateTime, FT::ftUnknown},
    {"BYTES", DT::kBytes, ST::kBytes, FT::ftBytes},
    {"VARBYTES", DT::kVarBytes, ST::kVarBytes, FT::ftVarBytes},
    {"BLOB", DT::kBlob, ST::kBlob, FT::ftBlob},
    {"BLOB", DT::kBlob, ST::kBlob, FT::ftParadoxOle},
    {"BLOB", DT::kBlob, ST::kBlob, FT::ftTypedBinary},
    {"BLOB", DT::kBlob, ST::kBlob, FT::ftDBaseOle},
    {"GRAPHIC", DT::kGraphic, ST::kBlob, FT::ftGraphic},
    {"MEMO", DT::kMemo, ST::kMemo, FT::ftMemo},
    {"CLOB", DT::kMemo, ST::kMemo, FT::ftMemo},
    {"FORMATTEDMEMO", DT::kFormattedMemo, ST::kMemo, FT::ftFmtMemo},
    {"WIDEMEMO", DT::kWideMemo, ST::kWideMemo, FT::ftMemo},
    {"WIDECLOB", DT::kWideMemo, ST::kWideMemo, FT::ftMemo},
}};

template <typename Match>
const TSQLFieldType* FirstRow(Match match) {
  for (const TSQLFieldType& row : kSQLFieldTypes) {
    if (match(row)) {
      return &row;
    }
  }
  return nullptr;
}

bool AsciiSameText(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) {
    return false;
  }
  for (std::size_t i = 0; i < left.size(); ++i) {
    char a = left[i];
    char b = right[i];
    if (a >= 'a' && a <= 'z') {
      a = static_cast<char>(a - 'a' + 'A');
    }
    if (b >= 'a' && b <= 'z') {
      b = static_cast<char>(b - 'a' + 'A');
    }
    if (a != b) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::span<const TKestrelFieldTypeDesc> FieldTypeDescs() {
  return kFieldTypeDescs;
}

std::span<const TSQLFieldType> SQLFieldTypes() {
  return kSQLFieldTypes;
}

const TSQLFieldType* FindSQLFieldType(std::string_view name) {
  return FirstRow([name](const TSQLFieldType& row) { return AsciiSameText(row.sqlName, name); });
}

int32_t StorageSize(TKestrelStorageType type, int32_t declaredSize) {
  switch (type) {
    case ST::kChar:
    case ST::kString:
      return declaredSize + 1;
    case ST::kWideChar:
    case ST::kWideString:
      return (declaredSize + 1) * 2;
    case ST::kSignedInt8:
    case ST::kUnsignedInt8:
      return 1;
    case ST::kSignedInt16:
    case ST::kUnsignedInt16:
    case ST::kLogical:
      return 2;
    case ST::kSignedInt32:
    case ST::kUnsignedInt32:
    case ST::kSingle:
    case ST::kDate:
    case ST::kTime:
      return 4;
    case ST::kSignedInt64:
    case ST::kFloat:
    case ST::kDateTime:
    case ST::kBlob:
    case ST::kMemo:
    case ST::kWideMemo:
    case ST::kCurrency:
      return 8;
    case ST::kExtended:
      return 10;
    case ST::kBytes:
    case ST::kVarBytes:
      return declaredSize;
    case ST::kNone:
      break;
  }
  throw EKestrelException("Unknown DataType: '%s'", {StorageTypeName(type)}, 30050);
}

TKestrelStorageType DataTypeToStorageType(TKestrelDataType type) {
  const TSQLFieldType* row =
      FirstRow([type](const TSQLFieldType& r) { return r.dataType == type; });
  return row ? row->storageType : ST::kNone;
}

TKestrelDataType StorageTypeToDataType(TKestrelStorageType type) {
  const TSQLFieldType* row =
      FirstRow([type](const TSQLFieldType& r) { return r.storageType == type; });
  return row ? row->dataType : DT::kNone;
}

dataset::TFieldType DataTypeToFieldType(TKestrelDataType type) {
  const TSQLFieldType* row =
      FirstRow([type](const TSQLFieldType& r) { return r.dataType == type; });
  return row ? row->fieldType : FT::ftUnknown;
}

TKestrelDataType FieldTypeToDataType(dataset::TFieldType type) {
  const TSQLFieldType* row =
      FirstRow([type](const TSQLFieldType& r) { return r.fieldType == type; });
  if (!row) {
    throw EKestrelException("Unknown DataType: '%s'", {std::to_string(static_cast<int>(type))},
                            30289);
  }
  return row->dataType;
}

const char* DataTypeName(TKestrelDataType type) {
  const TSQLFieldType* row =
      FirstRow([type](const TSQLFieldType& r) { return r.dataType == type; });
  return row ? row->sqlName : "Unknown";
}

const char* StorageTypeName(TKestrelStorageType type) {
  const TSQLFieldType* row =
      FirstRow([type](const TSQLFieldType& r) { return r.storageType == type; });
  return row ? row->sqlName : "Unknown";
}

const char* DataTypeDisplayName(TKestrelDataType type) {
  for (const TKestrelFieldTypeDesc& desc : kFieldTypeDescs) {
    if (desc.code == type) {
      return desc.name;
    }
  }
  return "Unknown";
}

bool IsBlobStorageType(TKestrelStorageType type) {
  return type == ST::kBlob || type == ST::kMemo || type == ST::kWideMemo;
}

bool IsBlobDataType(TKestrelDataType type) {
  return type >= DT::kBlob && type <= DT::kWideMemo;
}

bool IsStringDataType(TKestrelDataType type) {
  return type >= DT::kChar && type <= DT::kWideVarchar;
}

bool IsWideStringDataType(TKestrelDataType type) {
  return type == DT::kWideChar || type == DT::kWideVarchar || type == DT::kWideMemo;
}

bool IsVariableStringStorageType(TKestrelStorageType type) {
  return type == ST::kString || type == ST::kWideString;
}

bool IsAutoIncDataType(TKestrelDataType type) {
  return type >= DT::kAutoInc && type <= DT::kAutoIncCardinal;
}

bool IsIntegerStorageType(TKestrelStorageType type) {
  return type >= TKestrelStorageType::kSignedInt8 && type <= TKestrelStorageType::kUnsignedInt32;
}

bool IsNumericStorageType(TKestrelStorageType type) {
  return IsIntegerStorageType(type) ||
         (type >= TKestrelStorageType::kSingle && type <= TKestrelStorageType::kExtended) ||
         type == TKestrelStorageType::kCurrency;
}

}  // namespace kestrel
