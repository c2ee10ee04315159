// Field values through every accessor, their text forms under the
// process-wide formats, and the errors for values a field cannot hold.

#include <gtest/gtest.h>

#include "dataset/fields.h"
#include "dataset/memory_dataset.h"
#include "platform/errors.h"
#include "platform/format_settings.h"

namespace dataset {
namespace {

// One column of every supported family, one record in insert state.
class FieldValues : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFormats_ = platform::GlobalFormatSettings();
    auto& defs = table_.FieldDefs();
    defs.Add("S", TFieldType::ftString, 5);
    defs.Add("FC", TFieldType::ftFixedChar, 3);
    defs.Add("W", TFieldType::ftWideString, 3);
    defs.Add("SI", TFieldType::ftSmallint);
    defs.Add("I", TFieldType::ftInteger);
    defs.Add("WD", TFieldType::ftWord);
    defs.Add("L", TFieldType::ftLargeint);
    defs.Add("A", TFieldType::ftAutoInc);
    defs.Add("B", TFieldType::ftBoolean);
    defs.Add("F", TFieldType::ftFloat);
    defs.Add("C", TFieldType::ftCurrency);
    defs.Add("BCD", TFieldType::ftBCD, 2);
    defs.Add("D", TFieldType::ftDate);
    defs.Add("T", TFieldType::ftTime);
    defs.Add("DT", TFieldType::ftDateTime);
    defs.Add("BY", TFieldType::ftBytes, 4);
    defs.Add("VB", TFieldType::ftVarBytes, 4);
    defs.Add("M", TFieldType::ftMemo);
    defs.Add("BL", TFieldType::ftBlob);
    defs.Add("G", TFieldType::ftGraphic);
    table_.CreateDataSet();
    table_.Append();
  }
  void TearDown() override { platform::GlobalFormatSettings() = savedFormats_; }

  TField& Field(const char* name) { return table_.FieldByName(name); }
  static void UseGermanFormats() {
    auto& formats = platform::GlobalFormatSettings();
    formats.shortDateFormat = "dd.mm.yyyy";
    formats.dateSeparator = '.';
    formats.decimalSeparator = ',';
  }

  TMemoryDataSet table_;
  platform::FormatSettings savedFormats_;
};

TEST_F(FieldValues, EveryFieldStartsNullWithEmptyTexts) {
  for (int i = 0; i < table_.FieldCount(); ++i) {
    TField& field = table_.Fields(i);
    EXPECT_TRUE(field.IsNull()) << field.FieldName();
    EXPECT_TRUE(field.AsVariant().IsNull()) << field.FieldName();
    if (!field.IsBlob() && field.DataType() != TFieldType::ftBytes &&
        field.DataType() != TFieldType::ftVarBytes) {
      EXPECT_EQ(field.DisplayText(), "") << field.FieldName();
    }
  }
}

TEST_F(FieldValues, TextsRoundTripThroughEachType) {
  struct Case {
    const char* field;
    const char* input;
    const char* asString;
    const char* displayText;
  };
  const Case cases[] = {
      {"S", "hello world", "hello", "hello"},  // cut to the width
      {"S", "árvíz", "árv", "árv"},            // cut on a character boundary
      {"FC", "ab", "ab", "ab"},
      {"W", "ŐŰé€", "ŐŰé", "ŐŰé"},
      {"SI", "-32768", "-32768", "-32768"},
      {"I", " 42", "42", "42"},
      {"I", "$FF", "255", "255"},
      {"WD", "65535", "65535", "65535"},
      {"L", "-9223372036854775808", "-9223372036854775808", "-9223372036854775808"},
      {"A", "7", "7", "7"},
      {"B", "t", "True", "True"},
      {"B", "FA", "False", "False"},
      {"F", "12.5", "12.5", "12.5"},
      {"F", "1e3", "1000", "1000"},
      {"F", "0.1", "0.1", "0.1"},
      {"C", "3.5", "3.5", "3.50"},
      {"BCD", "2.25", "2.25", "2.25"},
      {"D", "2003-05-17", "2003-05-17", "2003-05-17"},
      {"T", "13:45:30", "13:45:30", "13:45:30"},
      {"DT", "2003-05-17 13:45:30", "2003-05-17 13:45:30", "2003-05-17 13:45:30"},
      {"DT", "2003-05-17", "2003-05-17", "2003-05-17"},
  };
  for (const Case& c : cases) {
    Field(c.field).SetAsString(c.input);
    EXPECT_EQ(Field(c.field).AsString(), c.asString) << c.field << " " << c.input;
    EXPECT_EQ(Field(c.field).DisplayText(), c.displayText) << c.field << " " << c.input;
    Field(c.field).SetText(Field(c.field).Text());
    EXPECT_EQ(Field(c.field).AsString(), c.asString) << "edit text of " << c.field;
  }
  // A blank text clears a number, a date and a boolean.
  for (const char* name : {"I", "F", "D", "B"}) {
    Field(name).SetAsString("  ");
    EXPECT_TRUE(Field(name).IsNull()) << name;
  }
}

TEST_F(FieldValues, TextFormsFollowTheProcessWideFormats) {
  UseGermanFormats();
  Field("F").SetAsFloat(1234.5);
  EXPECT_EQ(Field("F").DisplayText(), "1234,5");
  Field("F").SetAsString("0,25");
  EXPECT_DOUBLE_EQ(Field("F").AsFloat(), 0.25);
  EXPECT_THROW(Field("F").SetAsString("0.25"), platform::EDatabaseError);
  Field("C").SetAsFloat(2);
  EXPECT_EQ(Field("C").DisplayText(), "2,00");
  Field("D").SetAsString("17.05.2003");
  EXPECT_EQ(Field("D").AsDateTime(), platform::EncodeDate(2003, 5, 17));
  EXPECT_EQ(Field("D").DisplayText(), "17.05.2003");
  Field("DT").SetAsDateTime(platform::EncodeDate(2004, 2, 5) + platform::EncodeTime(8, 5, 0, 0));
  EXPECT_EQ(Field("DT").DisplayText(), "05.02.2004 08:05:00");
  static_cast<TDateTimeField&>(Field("DT")).SetDisplayFormat("yyyy/mm/dd hh:nn");
  EXPECT_EQ(Field("DT").DisplayText(), "2004.02.05 08:05");
  EXPECT_EQ(Field("DT").Text(), "05.02.2004 08:05:00");  // the edit text keeps the full value
}

TEST_F(FieldValues, DateAndTimeFieldsKeepOnlyTheirPart) {
  const platform::DateTime moment =
      platform::EncodeDate(2003, 5, 17) + platform::EncodeTime(13, 45, 30, 0);
  Field("D").SetAsDateTime(moment);
  Field("T").SetAsDateTime(moment);
  Field("DT").SetAsDateTime(moment);
  EXPECT_EQ(Field("D").AsDateTime(), platform::EncodeDate(2003, 5, 17));
  EXPECT_DOUBLE_EQ(Field("T").AsDateTime(), platform::EncodeTime(13, 45, 30, 0));
  EXPECT_DOUBLE_EQ(Field("DT").AsDateTime(), moment);
  EXPECT_EQ(Field("DT").AsVariant().Type(), VarType::kDate);
}

TEST_F(FieldValues, ValuesOutsideTheTypeAreRefusedWithTheFieldName) {
  struct Case {
    const char* field;
    const char* input;
    const char* message;
  };
  const Case cases[] = {
      {"SI", "32768",
       "32768 is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
      {"WD", "-1", "-1 is not a valid value for field 'WD'. The allowed range is 0 to 65535"},
      {"I", "2147483648",
       "2147483648 is not a valid value for field 'I'. The allowed range is -2147483648 to "
       "2147483647"},
      {"I", "12a", "'12a' is not a valid integer value for field 'I'"},
      {"F", "1.2.3", "'1.2.3' is not a valid floating point value for field 'F'"},
      {"B", "maybe", "'maybe' is not a valid boolean value for field 'B'"},
  };
  for (const Case& c : cases) {
    Field(c.field).SetAsInteger(1);
    try {
      Field(c.field).SetAsString(c.input);
      ADD_FAILURE() << c.field << " accepted " << c.input;
    } catch (const platform::EDatabaseError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
    EXPECT_EQ(Field(c.field).AsInteger(), 1) << "value kept after refusing " << c.input;
  }
  EXPECT_THROW(Field("D").SetAsString("2003-13-40"), platform::EConvertError);
  EXPECT_THROW(Field("D").AsBoolean(), platform::EDatabaseError);
}

TEST_F(FieldValues, ConversionsBetweenAccessors) {
  Field("S").SetAsInteger(123);
  EXPECT_EQ(Field("S").AsInteger(), 123);
  Field("S").SetAsBoolean(true);
  EXPECT_TRUE(Field("S").AsBoolean());
  Field("F").SetAsInteger(3);
  EXPECT_EQ(Field("F").AsString(), "3");
  Field("F").SetAsFloat(2.6);
  EXPECT_EQ(Field("F").AsInteger(), 3);
  Field("I").SetAsFloat(2.5e0);
  EXPECT_EQ(Field("I").AsInteger(), 3);
  EXPECT_DOUBLE_EQ(Field("I").AsFloat(), 3);
  Field("L").SetAsVariant(Variant::FromString("99"));
  EXPECT_EQ(Field("L").AsLargeInt(), 99);
  Field("B").SetAsVariant(Variant::FromInteger(0));
  EXPECT_FALSE(Field("B").AsBoolean());
  Field("B").SetAsVariant(Variant::Null());
  EXPECT_TRUE(Field("B").IsNull());
  EXPECT_EQ(Field("I").AsVariant(), Variant::FromInteger(3));
  EXPECT_EQ(Field("SI").AsVariant().Type(), VarType::kNull);
  EXPECT_EQ(Field("W").DataSize(), 8);
}

TEST_F(FieldValues, BytesKeepTheirLengthAndShowTheirType) {
  Field("BY").SetAsString(std::string("a\0b", 3));
  EXPECT_EQ(Field("BY").AsString(), std::string("a\0b\0", 4));
  Field("VB").SetAsString(std::string("xy\0", 3));
  EXPECT_EQ(Field("VB").AsString(), std::string("xy\0", 3));
  Field("VB").SetAsString("toolong");
  EXPECT_EQ(Field("VB").AsString(), "tool");
  EXPECT_EQ(Field("VB").DisplayText(), "(VarBytes)");
}

TEST_F(FieldValues, BlobsAreReachedThroughStreamsAndSurviveThePost) {
  EXPECT_EQ(Field("M").DisplayText(), "(Memo)");
  Field("M").SetAsString("line one\r\nline two");
  EXPECT_EQ(Field("M").DisplayText(), "(MEMO)");
  {
    auto stream = table_.CreateBlobStream(Field("BL"), TBlobStreamMode::bmWrite);
    const std::string bytes("\x00\x01\x02", 3);
    stream->Write(bytes.data(), bytes.size());
  }
  EXPECT_EQ(static_cast<TBlobField&>(Field("BL")).BlobSize(), 3);
  EXPECT_TRUE(Field("G").IsNull());
  EXPECT_EQ(table_.CreateBlobStream(Field("G"), TBlobStreamMode::bmRead), nullptr);
  table_.Post();

  EXPECT_EQ(Field("M").AsString(), "line one\r\nline two");
  EXPECT_EQ(Field("BL").AsString(), std::string("\x00\x01\x02", 3));
  EXPECT_THROW(table_.CreateBlobStream(Field("M"), TBlobStreamMode::bmWrite),
               platform::EDatabaseError);

  // An edit that is cancelled leaves the stored value alone.
  table_.Edit();
  Field("M").SetAsString("changed");
  EXPECT_EQ(Field("M").AsString(), "changed");
  table_.Cancel();
  EXPECT_EQ(Field("M").AsString(), "line one\r\nline two");
  table_.Edit();
  Field("M").Clear();
  table_.Post();
  EXPECT_TRUE(Field("M").IsNull());
  EXPECT_EQ(Field("M").AsVariant().Type(), VarType::kNull);
}

TEST(FieldProperties, DefaultsPerTypeAndWhatCallersSet) {
  TMemoryDataSet table;
  table.FieldDefs().Add("NAME", TFieldType::ftString, 30);
  table.FieldDefs().Add("N", TFieldType::ftInteger);
  table.FieldDefs().Add("WHEN", TFieldType::ftDateTime);
  table.CreateDataSet();
  TField& name = table.FieldByName("name");
  EXPECT_EQ(name.DisplayLabel(), "NAME");
  EXPECT_EQ(name.DisplayWidth(), 30);
  EXPECT_EQ(name.Alignment(), TAlignment::taLeftJustify);
  EXPECT_EQ(name.Size(), 30);
  EXPECT_EQ(name.FieldNo(), 1);
  EXPECT_EQ(name.Index(), 0);
  name.SetDisplayLabel("Full name");
  EXPECT_EQ(name.DisplayLabel(), "Full name");
  EXPECT_EQ(table.FieldByName("N").Alignment(), TAlignment::taRightJustify);
  EXPECT_EQ(table.FieldByName("WHEN").DisplayWidth(), 18);
  EXPECT_TRUE(name.Visible());

  table.Append();
  name.SetReadOnly(true);
  EXPECT_FALSE(name.CanModify());
  EXPECT_THROW(name.SetAsString("x"), platform::EDatabaseError);
  EXPECT_TRUE(table.FieldByName("N").CanModify());
}

TEST(FieldProperties, DefaultFieldsOfOneNameEachReadTheirOwnColumn) {
  // A join's result may hold two columns called NAME.
  TMemoryDataSet table;
  table.FieldDefs().Add("NAME", TFieldType::ftString, 10);
  table.FieldDefs().Add("X", TFieldType::ftADT);
  table.FieldDefs().Add("name", TFieldType::ftString, 10);
  table.CreateDataSet();
  table.AppendRecord({Variant::FromString("first"), Variant::FromString("second")});
  ASSERT_EQ(table.FieldCount(), 2);
  EXPECT_EQ(table.Fields(0).FieldNo(), 1);
  EXPECT_EQ(table.Fields(1).FieldNo(), 3);
  EXPECT_EQ(table.Fields(0).AsString(), "first");
  EXPECT_EQ(table.Fields(1).AsString(), "second");
  EXPECT_EQ(table.FieldByName("name").AsString(), "first");
}

TEST(FieldDefinitions, CanBeReadWhileTheDatasetIsClosedAndUnsupportedTypesGetNoField) {
  TMemoryDataSet table;
  table.FieldDefs().Add("A", TFieldType::ftInteger);
  table.FieldDefs().Add("X", TFieldType::ftADT);
  table.CreateDataSet();
  EXPECT_EQ(table.FieldCount(), 1);
  table.Close();
  EXPECT_EQ(table.UpdatedFieldDefs().Count(), 2);
  EXPECT_EQ(table.UpdatedFieldDefs()[1].DataType, TFieldType::ftADT);
  EXPECT_THROW(table.FieldDefs().Find("B"), platform::EDatabaseError);
  EXPECT_EQ(SplitFieldNames(" a ;b;; c "), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(FieldTypeFamilies, EachTypeBelongsToTheFamiliesItsValuesNeed) {
  const struct {
    TFieldType type;
    bool text;
    bool bytes;
    bool blob;
  } cases[] = {
      {TFieldType::ftString, true, false, false},
      {TFieldType::ftFixedChar, true, false, false},
      {TFieldType::ftWideString, true, false, false},
      {TFieldType::ftMemo, true, false, true},
      {TFieldType::ftFmtMemo, true, false, true},
      {TFieldType::ftBytes, false, true, false},
      {TFieldType::ftVarBytes, false, true, false},
      {TFieldType::ftBlob, false, true, true},
      {TFieldType::ftGraphic, false, true, true},
      {TFieldType::ftTypedBinary, false, true, true},
      {TFieldType::ftInteger, false, false, false},
      {TFieldType::ftDate, false, false, false},
      {TFieldType::ftFloat, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(FieldTypeName(c.type));
    EXPECT_EQ(IsTextFieldType(c.type), c.text);
    EXPECT_EQ(IsBytesType(c.type), c.bytes);
    EXPECT_EQ(IsBlobFieldType(c.type), c.blob);
  }
}

}  // namespace
}  // namespace dataset
