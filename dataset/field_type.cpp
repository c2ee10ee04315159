#include "dataset/field_type.h"

namespace dataset {

bool IsTextFieldType(TFieldType type) {
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString:
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
      return true;
    default:
      return false;
  }
}

bool IsBytesType(TFieldType type) {
  switch (type) {
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle:
    case TFieldType::ftTypedBinary:
      return true;
    default:
      return false;
  }
}

bool IsBlobFieldType(TFieldType type) {
  switch (type) {
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
    case TFieldType::ftGraphic:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle:
    case TFieldType::ftTypedBinary:
      return true;
    default:
      return false;
  }
}

const char* FieldTypeName(TFieldType type) {
  static constexpr const char* kNames[] = {
      "Unknown",    "String",     "Smallint", "Integer",     "Word",      "Boolean",
      "Float",      "Currency",   "BCD",      "Date",        "Time",      "DateTime",
      "Bytes",      "VarBytes",   "AutoInc",  "Blob",        "Memo",      "Graphic",
      "FmtMemo",    "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor",    "FixedChar",
      "WideString", "Largeint",   "ADT",      "Array",       "Reference", "DataSet"};
  const auto index = static_cast<unsigned>(type);
  return index < sizeof kNames / sizeof kNames[0] ? kNames[index] : "Unknown";
}

}  // namespace dataset
