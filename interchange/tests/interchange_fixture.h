#pragma once
// Datasets and comparisons shared by the CSV and XML tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dataset/data_source.h"
#include "dataset/memory_dataset.h"
#include "platform/date_time.h"
#include "platform/format_settings.h"

namespace interchange::testing {

using dataset::TFieldType;
using dataset::Variant;

// A dataset with one field of every type the files carry.
inline std::unique_ptr<dataset::TMemoryDataSet> EveryTypeDataSet() {
  auto dataSet = std::make_unique<dataset::TMemoryDataSet>();
  auto& defs = dataSet->FieldDefs();
  defs.Add("name", TFieldType::ftString, 60);
  defs.Add("small", TFieldType::ftSmallint);
  defs.Add("count", TFieldType::ftInteger);
  defs.Add("word", TFieldType::ftWord);
  defs.Add("flag", TFieldType::ftBoolean);
  defs.Add("ratio", TFieldType::ftFloat);
  defs.Add("price", TFieldType::ftCurrency);
  defs.Add("amount", TFieldType::ftBCD, 2);
  defs.Add("day", TFieldType::ftDate);
  defs.Add("clock", TFieldType::ftTime);
  defs.Add("stamp", TFieldType::ftDateTime);
  defs.Add("big", TFieldType::ftLargeint);
  defs.Add("note", TFieldType::ftMemo);
  defs.Add("wide", TFieldType::ftWideString, 30);
  defs.Add("raw", TFieldType::ftVarBytes, 16);
  dataSet->CreateDataSet();
  return dataSet;
}

// An empty dataset with the same field definitions.
inline std::unique_ptr<dataset::TMemoryDataSet> EmptyCopy(dataset::TMemoryDataSet& source) {
  auto copy = std::make_unique<dataset::TMemoryDataSet>();
  for (const dataset::TFieldDef& def : source.FieldDefs()) {
    copy->FieldDefs().Add(def.Name, def.DataType, def.Size);
  }
  copy->CreateDataSet();
  return copy;
}

inline platform::DateTime Stamp(int year, int month, int day, int hour, int minute, int second,
                                int millisecond) {
  return platform::ComposeDateTime(platform::EncodeDate(year, month, day),
                                   platform::EncodeTime(hour, minute, second, millisecond));
}

// Rows whose values are hard to carry through a text file.
inline void AddAwkwardRows(dataset::TMemoryDataSet& dataSet) {
  const std::string bytes("\0\x01\"\r\n;,<&\xff", 10);
  dataSet.AppendRecord({
      Variant::FromString("He said \"hi\"; ok"),
      Variant::FromSmallint(-32768),
      Variant::FromInteger(2147483647),
      Variant::FromWord(65535),
      Variant::FromBoolean(true),
      Variant::FromDouble(0.1 + 0.2),
      Variant::FromDouble(12.3456),
      Variant::FromDouble(-99999999.99),
      Variant::FromDateTime(platform::EncodeDate(2024, 2, 29)),
      Variant::FromDateTime(platform::EncodeTime(23, 59, 59, 999)),
      Variant::FromDateTime(Stamp(2024, 2, 29, 13, 45, 7, 250)),
      Variant::FromInt64(9223372036854775807LL),
      Variant::FromString("one\ntwo\r\nthree\rfour\r\n"),
      Variant::FromString("árvíztűrő tükörfúrógép ŐŰ €"),
      Variant::FromBytes(Variant::Bytes(bytes.begin(), bytes.end())),
  });
  dataSet.AppendRecord({
      Variant::FromString("  <b>&amp; \"x\" 'y' a&b, c;d  "),
      Variant::FromSmallint(0),
      Variant::FromInteger(-2147483647 - 1),
      Variant::FromWord(0),
      Variant::FromBoolean(false),
      Variant::FromDouble(-1.0e300),
      Variant::FromDouble(-0.01),
      Variant::FromDouble(1.5),
      Variant::FromDateTime(platform::EncodeDate(1, 1, 1)),
      Variant::FromDateTime(platform::EncodeTime(0, 0, 0, 1)),
      Variant::FromDateTime(Stamp(1850, 6, 15, 6, 0, 0, 0)),
      Variant::FromInt64(-9223372036854775807LL - 1),
      Variant::FromString("\"quoted\"\n\n"),
      Variant::FromString("ß\"<>&"),
      Variant::FromBytes({}),
  });
  // Large and small magnitudes, the far end of the calendar, midnight.
  dataSet.AppendRecord({
      Variant::FromString("x"),
      Variant::FromSmallint(32767),
      Variant::FromInteger(42),
      Variant::FromWord(1),
      Variant::FromBoolean(true),
      Variant::FromDouble(123456789012.123456),
      Variant::FromDouble(922337203685477.5807),
      Variant::FromDouble(1.0e20),
      Variant::FromDateTime(platform::EncodeDate(9999, 12, 31)),
      Variant::FromDateTime(0),
      Variant::FromDateTime(platform::EncodeDate(2000, 1, 1)),
      Variant::FromInt64(0),
      Variant::FromString(""),
      Variant::FromString(""),
      Variant::FromString("a"),
  });
  // Every value NULL.
  std::vector<Variant> nulls(static_cast<std::size_t>(dataSet.FieldCount()), Variant::Null());
  dataSet.AppendRecord(nulls);
}

// Field by field: the same NULLs and the same values, compared in the
// field's own type.
inline void ExpectSameRecords(dataset::TDataSet& expected, dataset::TDataSet& actual) {
  ASSERT_EQ(expected.RecordCount(), actual.RecordCount());
  ASSERT_EQ(expected.FieldCount(), actual.FieldCount());
  expected.First();
  actual.First();
  for (int record = 1; !expected.Eof(); ++record) {
    for (int index = 0; index < expected.FieldCount(); ++index) {
      const dataset::TField& want = expected.Fields(index);
      const dataset::TField& got = actual.Fields(index);
      SCOPED_TRACE("record " + std::to_string(record) + ", field " + want.FieldName());
      ASSERT_EQ(want.IsNull(), got.IsNull());
      switch (want.DataType()) {
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime:
          EXPECT_EQ(want.AsFloat(), got.AsFloat());
          break;
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftLargeint:
          EXPECT_EQ(want.AsLargeInt(), got.AsLargeInt());
          break;
        case TFieldType::ftBoolean:
          EXPECT_EQ(want.AsBoolean(), got.AsBoolean());
          break;
        default:
          EXPECT_EQ(want.AsString(), got.AsString());
          break;
      }
    }
    expected.Next();
    actual.Next();
  }
}

// Puts the process-wide formats back after a test that changes them.
class FormatSettingsGuard {
 public:
  FormatSettingsGuard() : saved_(platform::GlobalFormatSettings()) {}
  ~FormatSettingsGuard() { platform::GlobalFormatSettings() = saved_; }
  FormatSettingsGuard(const FormatSettingsGuard&) = delete;
  FormatSettingsGuard& operator=(const FormatSettingsGuard&) = delete;

 private:
  platform::FormatSettings saved_;
};

// A locale unlike the defaults: day first, two-digit year, decimal comma.
inline void UseCentralEuropeanFormats() {
  platform::FormatSettings& settings = platform::GlobalFormatSettings();
  settings.shortDateFormat = "dd/mm/yy";
  settings.dateSeparator = '.';
  settings.decimalSeparator = ',';
}

}  // namespace interchange::testing
