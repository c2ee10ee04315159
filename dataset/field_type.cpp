#include "dataset/field_type.h"

namespace dataset {

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
