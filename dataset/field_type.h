#pragma once
// The field types and kinds of every dataset. The numeric values are part of
// the contract: engines map their own type codes onto them.

#include <cstdint>

namespace dataset {

enum class TFieldType : uint8_t {
  ftUnknown = 0,
  ftString = 1,
  ftSmallint = 2,
  ftInteger = 3,
  ftWord = 4,
  ftBoolean = 5,
  ftFloat = 6,
  ftCurrency = 7,
  ftBCD = 8,
  ftDate = 9,
  ftTime = 10,
  ftDateTime = 11,
  ftBytes = 12,
  ftVarBytes = 13,
  ftAutoInc = 14,
  ftBlob = 15,
  ftMemo = 16,
  ftGraphic = 17,
  ftFmtMemo = 18,
  ftParadoxOle = 19,
  ftDBaseOle = 20,
  ftTypedBinary = 21,
  ftCursor = 22,
  ftFixedChar = 23,
  ftWideString = 24,
  ftLargeint = 25,
  ftADT = 26,
  ftArray = 27,
  ftReference = 28,
  ftDataSet = 29,
};

enum class TFieldKind : uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

// Types whose values are text (strings, wide strings, memos).
bool IsTextFieldType(TFieldType type);
// Types whose values are raw bytes (binary strings and BLOBs).
bool IsBytesType(TFieldType type);
// Types whose values live outside the record, behind a BLOB stream.
bool IsBlobFieldType(TFieldType type);

// The type's name as written in messages ("String", "Integer", ...).
const char* FieldTypeName(TFieldType type);

}  // namespace dataset
