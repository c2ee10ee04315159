#pragma once
// The engine's type system: declared data types of columns, the storage types
// that fix a value's physical form, the SQL type words and the lookups
// between them.
//
// Storage forms in a record (Size is the declared length):
//   CHAR, STRING            Size + 1 bytes, zero-terminated narrow text
//   WIDECHAR, WIDESTRING    (Size + 1) * 2 bytes, zero-terminated UTF-16
//   SIGNEDINT8..64          1, 2, 4, 8 bytes, little-endian two's complement
//   UNSIGNEDINT8..32        1, 2, 4 bytes, little-endian
//   SINGLE, FLOAT           IEEE 754, 4 and 8 bytes
//   EXTENDED                x87 80-bit extended, 10 bytes
//   DATE                    int32 day number, day 1 = 0001-01-01
//   TIME                    int32 milliseconds since midnight
//   DATETIME                DATE then TIME, 8 bytes
//   BLOB, MEMO, WIDEMEMO    8-byte reference to the BLOB data
//   LOGICAL                 int16, 0 = false
//   CURRENCY                IEEE 754 double
//   BYTES, VARBYTES         Size raw bytes

#include <cstdint>
#include <span>
#include <string_view>

#include "dataset/field_type.h"

namespace kestrel {

enum class TKestrelDataType : uint8_t {
  kNone = 0,
  kChar = 1,
  kVarchar = 2,
  kWideChar = 3,
  kWideVarchar = 4,
  kShortInt = 5,
  kSmallInt = 6,
  kInteger = 7,
  kLargeInt = 8,
  kByte = 9,
  kWord = 10,
  kCardinal = 11,
  kAutoInc = 12,
  kAutoIncShortInt = 13,
  kAutoIncSmallInt = 14,
  kAutoIncInteger = 15,
  kAutoIncLargeInt = 16,
  kAutoIncByte = 17,
  kAutoIncWord = 18,
  kAutoIncCardinal = 19,
  kSingle = 20,
  kDouble = 21,
  kExtended = 22,
  kBoolean = 23,
  kCurrency = 24,
  kDate = 25,
  kTime = 26,
  kDateTime = 27,
  kTimeStamp = 28,
  kBytes = 29,
  kVarBytes = 30,
  kBlob = 31,
  kGraphic = 32,
  kMemo = 33,
  kFormattedMemo = 34,
  kWideMemo = 35,
};

enum class TKestrelStorageType : uint8_t {
  kNone = 0,
  kChar = 1,
  kWideChar = 2,
  kString = 3,
  kWideString = 4,
  kSignedInt8 = 5,
  kSignedInt16 = 6,
  kSignedInt32 = 7,
  kSignedInt64 = 8,
  kUnsignedInt8 = 9,
  kUnsignedInt16 = 10,
  kUnsignedInt32 = 11,
  kSingle = 12,
  kFloat = 13,
  kExtended = 14,
  kDate = 15,
  kTime = 16,
  kDateTime = 17,
  kBlob = 18,
  kMemo = 19,
  kWideMemo = 20,
  kLogical = 21,
  kCurrency = 22,
  kBytes = 23,
  kVarBytes = 24,
};

inline constexpr int kLastStorageType = 24;
inline constexpr int kLastDataType = 35;

// Display name of a declared data type.
struct TKestrelFieldTypeDesc {
  const char* name;
  TKestrelDataType code;
};

// One SQL type word with the types it stands for.
struct TSQLFieldType {
  const char* sqlName;
  TKestrelDataType dataType;
  TKestrelStorageType storageType;
  dataset::TFieldType fieldType;
};

// The 35 display names, in code order.
std::span<const TKestrelFieldTypeDesc> FieldTypeDescs();
// The 58 SQL type words, in lookup order.
std::span<const TSQLFieldType> SQLFieldTypes();

// The SQL type word (any letter case), or nullptr.
const TSQLFieldType* FindSQLFieldType(std::string_view name);

// Bytes a value occupies in a record. Throws EKestrelException
// "Unknown DataType: '%s'" (30050) for a code outside the table.
int32_t StorageSize(TKestrelStorageType type, int32_t declaredSize);

// The lookups scan the SQL type table in its order and take the first match.
TKestrelStorageType DataTypeToStorageType(TKestrelDataType type);  // kNone when unknown
TKestrelDataType StorageTypeToDataType(TKestrelStorageType type);  // kNone when unknown
dataset::TFieldType DataTypeToFieldType(TKestrelDataType type);    // ftUnknown when unknown
// Throws EKestrelException "Unknown DataType: '%s'" (30289) with the number.
TKestrelDataType FieldTypeToDataType(dataset::TFieldType type);
// The first SQL name of the type, "Unknown" when none.
const char* DataTypeName(TKestrelDataType type);
const char* StorageTypeName(TKestrelStorageType type);
// "Char", "Varchar", ...; "Unknown" when none.
const char* DataTypeDisplayName(TKestrelDataType type);

// Type families.
bool IsBlobStorageType(TKestrelStorageType type);
bool IsBlobDataType(TKestrelDataType type);
bool IsStringDataType(TKestrelDataType type);
bool IsWideStringDataType(TKestrelDataType type);
bool IsVariableStringStorageType(TKestrelStorageType type);
bool IsAutoIncDataType(TKestrelDataType type);
// SIGNEDINT8 to UNSIGNEDINT32; with the floats and CURRENCY the numbers.
bool IsIntegerStorageType(TKestrelStorageType type);
bool IsNumericStorageType(TKestrelStorageType type);

}  // namespace kestrel
