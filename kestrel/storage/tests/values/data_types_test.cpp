#include "kestrel/storage/values/data_types.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using DT = TKestrelDataType;
using ST = TKestrelStorageType;
using FT = dataset::TFieldType;

int NativeErrorOf(auto&& action) {
  try {
    action();
  } catch (const EKestrelException& error) {
    return error.NativeError();
  }
  return 0;
}

TEST(DataTypes, SqlTableHasEveryWordInOrder) {
  const auto rows = SQLFieldTypes();
  ASSERT_EQ(rows.size(), 58u);
  EXPECT_STREQ(rows.front().sqlName, "CHAR");
  EXPECT_STREQ(rows.back().sqlName, "WIDECLOB");
  // Every data type and every storage type is reachable from some word.
  std::set<int> dataTypes;
  std::set<int> storageTypes;
  for (const TSQLFieldType& row : rows) {
    dataTypes.insert(static_cast<int>(row.dataType));
    storageTypes.insert(static_cast<int>(row.storageType));
  }
  EXPECT_EQ(dataTypes.size(), 35u);
  EXPECT_EQ(storageTypes.size(), 24u);
  ASSERT_EQ(FieldTypeDescs().size(), 35u);
  EXPECT_STREQ(DataTypeDisplayName(DT::kAutoIncCardinal), "AutoIncCardinal");
  EXPECT_STREQ(DataTypeDisplayName(DT::kNone), "Unknown");
}

TEST(DataTypes, TypeWordsMapToTheirTypes) {
  const struct {
    const char* word;
    DT dataType;
    ST storageType;
    FT fieldType;
  } cases[] = {
      {"AUTOINC", DT::kAutoInc, ST::kSignedInt32, FT::ftAutoInc},
      {"autoincinteger", DT::kAutoIncInteger, ST::kSignedInt32, FT::ftAutoInc},
      {"TIMESTAMP", DT::kTimeStamp, ST::kDateTime, FT::ftUnknown},
      {"VARCHAR2", DT::kVarchar, ST::kString, FT::ftString},
      {"UNSIGNEDINT32", DT::kCardinal, ST::kUnsignedInt32, FT::ftLargeint},
      {"BYTE", DT::kByte, ST::kUnsignedInt8, FT::ftWord},
      {"FLOAT", DT::kDouble, ST::kFloat, FT::ftFloat},
      {"BIT", DT::kBoolean, ST::kLogical, FT::ftBoolean},
      {"MONEY", DT::kCurrency, ST::kCurrency, FT::ftCurrency},
      {"GRAPHIC", DT::kGraphic, ST::kBlob, FT::ftGraphic},
      {"WIDECLOB", DT::kWideMemo, ST::kWideMemo, FT::ftMemo},
  };
  for (const auto& c : cases) {
    const TSQLFieldType* row = FindSQLFieldType(c.word);
    ASSERT_NE(row, nullptr) << c.word;
    EXPECT_EQ(row->dataType, c.dataType) << c.word;
    EXPECT_EQ(row->storageType, c.storageType) << c.word;
    EXPECT_EQ(row->fieldType, c.fieldType) << c.word;
  }
  EXPECT_EQ(FindSQLFieldType("NUMBER"), nullptr);
  EXPECT_EQ(FindSQLFieldType("CHA"), nullptr);
}

TEST(DataTypes, LookupsTakeTheFirstRow) {
  EXPECT_EQ(DataTypeToStorageType(DT::kTimeStamp), ST::kDateTime);
  EXPECT_EQ(DataTypeToStorageType(DT::kNone), ST::kNone);
  EXPECT_EQ(StorageTypeToDataType(ST::kFloat), DT::kDouble);
  EXPECT_EQ(StorageTypeToDataType(ST::kSignedInt32), DT::kInteger);
  EXPECT_EQ(StorageTypeToDataType(ST::kBlob), DT::kBlob);
  EXPECT_EQ(StorageTypeToDataType(ST::kNone), DT::kNone);
  EXPECT_EQ(DataTypeToFieldType(DT::kAutoIncLargeInt), FT::ftLargeint);
  EXPECT_EQ(DataTypeToFieldType(DT::kNone), FT::ftUnknown);
  EXPECT_EQ(FieldTypeToDataType(FT::ftUnknown), DT::kTimeStamp);
  EXPECT_EQ(FieldTypeToDataType(FT::ftWideString), DT::kWideChar);
  EXPECT_EQ(FieldTypeToDataType(FT::ftAutoInc), DT::kAutoInc);
  EXPECT_EQ(FieldTypeToDataType(FT::ftTypedBinary), DT::kBlob);
  EXPECT_EQ(FieldTypeToDataType(FT::ftMemo), DT::kMemo);
  EXPECT_STREQ(DataTypeName(DT::kDouble), "FLOAT");
  EXPECT_STREQ(DataTypeName(static_cast<DT>(99)), "Unknown");
  EXPECT_STREQ(StorageTypeName(ST::kSignedInt8), "SIGNEDINT8");
  EXPECT_STREQ(StorageTypeName(ST::kLogical), "LOGICAL");
  EXPECT_STREQ(StorageTypeName(ST::kNone), "Unknown");
}

TEST(DataTypes, UnmappedFieldTypeRaisesWithItsNumber) {
  try {
    FieldTypeToDataType(FT::ftCursor);
    FAIL() << "no exception";
  } catch (const EKestrelException& error) {
    EXPECT_EQ(error.NativeError(), 30289);
    EXPECT_EQ(error.Text(), "Unknown DataType: '22'");
  }
  EXPECT_EQ(NativeErrorOf([] { FieldTypeToDataType(FT::ftBCD); }), 30289);
}

TEST(DataTypes, StorageSizes) {
  const struct {
    ST type;
    int32_t declared;
    int32_t bytes;
  } cases[] = {
      {ST::kChar, 10, 11},       {ST::kString, 10, 11},    {ST::kWideChar, 10, 22},
      {ST::kWideString, 10, 22}, {ST::kSignedInt8, 0, 1},  {ST::kUnsignedInt16, 0, 2},
      {ST::kSignedInt32, 0, 4},  {ST::kSignedInt64, 0, 8}, {ST::kUnsignedInt32, 0, 4},
      {ST::kSingle, 0, 4},       {ST::kFloat, 0, 8},       {ST::kExtended, 0, 10},
      {ST::kDate, 0, 4},         {ST::kTime, 0, 4},        {ST::kDateTime, 0, 8},
      {ST::kBlob, 100, 8},       {ST::kWideMemo, 0, 8},    {ST::kLogical, 0, 2},
      {ST::kCurrency, 0, 8},     {ST::kBytes, 16, 16},     {ST::kVarBytes, 7, 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StorageSize(c.type, c.declared), c.bytes) << StorageTypeName(c.type);
  }
  for (const ST unknown : {ST::kNone, static_cast<ST>(25)}) {
    try {
      StorageSize(unknown, 1);
      FAIL() << "no exception";
    } catch (const EKestrelException& error) {
      EXPECT_EQ(error.NativeError(), 30050);
      EXPECT_EQ(error.Text(), "Unknown DataType: 'Unknown'");
    }
  }
}

TEST(DataTypes, Families) {
  std::string blobStorage;
  for (int code = 0; code <= kLastStorageType + 1; ++code) {
    const auto type = static_cast<ST>(code);
    if (IsBlobStorageType(type)) {
      blobStorage += std::to_string(code) + " ";
    }
    EXPECT_EQ(IsVariableStringStorageType(type), code == 3 || code == 4) << code;
  }
  EXPECT_EQ(blobStorage, "18 19 20 ");
  for (int code = 0; code <= kLastDataType + 1; ++code) {
    const auto type = static_cast<DT>(code);
    EXPECT_EQ(IsBlobDataType(type), code >= 31 && code <= 35) << code;
    EXPECT_EQ(IsStringDataType(type), code >= 1 && code <= 4) << code;
    EXPECT_EQ(IsWideStringDataType(type), code == 3 || code == 4 || code == 35) << code;
    EXPECT_EQ(IsAutoIncDataType(type), code >= 12 && code <= 19) << code;
  }
}

}  // namespace
}  // namespace kestrel
