// Definition lists: lookups, Assign, the record layout, sequences, index
// lookup by columns, the dataset conversions and constraints made from
// indexes.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kestrel/storage/dictionary/dictionary_constraints.h"
#include "kestrel/storage/dictionary/dictionary_fields.h"
#include "kestrel/storage/dictionary/dictionary_indexes.h"
#include "kestrel/storage/dictionary/sequences.h"
#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/tests/kestrel_test_util.h"

namespace kestrel {
namespace {

using DT = TKestrelDataType;

using test::ExpectKestrelError;

TEST(DefinitionLists, LookupsIgnoreLetterCase) {
  TKestrelFieldDefs fields;
  fields.AddField("Name", DT::kVarchar, 5)->ObjectID = 11;
  fields.AddField("Qty", DT::kInteger)->ObjectID = 12;
  EXPECT_EQ(fields.IndexOf("QTY"), 1);
  EXPECT_EQ(fields.IndexOf("missing"), -1);
  EXPECT_EQ(fields.Find("name")->ObjectID, 11);
  EXPECT_EQ(fields.IndexOfID(12), 1);
  EXPECT_EQ(fields.FindByID(99), nullptr);
}

TEST(DefinitionLists, AssignRefusesASecondItemOfTheSameName) {
  TKestrelIndexDefs source;
  static_cast<TKestrelIndexDef*>(source.AddCreated())->Name = "Name";
  static_cast<TKestrelIndexDef*>(source.AddCreated())->Name = "NAME";
  TKestrelIndexDefs target;
  ExpectKestrelError([&] { target.Assign(source); }, "Duplicate field name NAME", 10424);
}

TEST(DefinitionLists, AssignCopiesEveryProperty) {
  TKestrelFieldDefs source;
  TKestrelFieldDef* field = source.AddField("P", DT::kCurrency);
  field->DefaultValue.SetAsCurrency(2.5);
  field->ObjectID = 3;
  TKestrelFieldDefs target;
  target.AddField("old", DT::kInteger);
  target.Assign(source);
  ASSERT_EQ(target.Count(), 1);
  EXPECT_EQ(target.Items(0)->ObjectID, 3);
  EXPECT_EQ(target.Items(0)->DefaultValue.AsCurrency(), 2.5);
  EXPECT_TRUE(target.HasDefaultValues());
  EXPECT_NE(target.Items(0), source.Items(0));
}

TEST(DefinitionLists, ConstraintAssignCreatesTheMatchingKinds) {
  TKestrelConstraintDefs source;
  source.Add(std::make_unique<TKestrelConstraintDefPrimary>())->Name = "P";
  auto check = std::make_unique<TKestrelConstraintDefCheck>();
  check->Name = "C";
  check->UpperBound.SetAsInteger(9);
  source.Add(std::move(check));
  TKestrelConstraintDefs target;
  target.Assign(source);
  EXPECT_NE(dynamic_cast<TKestrelConstraintDefPrimary*>(target.Items(0)), nullptr);
  auto* copied = dynamic_cast<TKestrelConstraintDefCheck*>(target.Items(1));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->UpperBound.AsInteger(), 9);
}

TEST(DefinitionLists, TheBaseListCannotCreateItems) {
  TKestrelMetaObjectDefs list;
  ExpectKestrelError([&] { list.AddCreated(); },
                     "The method 'InternalAddCreated' not overrided in class "
                     "'TKestrelMetaObjectDefs'",
                     30339);
}

TEST(DefinitionLists, MoveInsertAndSetItem) {
  TKestrelIndexDefs indexes;
  for (const char* name : {"A", "B", "C"}) {
    static_cast<TKestrelIndexDef*>(indexes.AddCreated())->Name = name;
  }
  indexes.Move(0, 2);
  EXPECT_EQ(indexes.Items(0)->Name + indexes.Items(1)->Name + indexes.Items(2)->Name, "BCA");
  auto replacement = std::make_unique<TKestrelIndexDef>();
  replacement->Name = "X";
  indexes.SetItem(1, std::move(replacement));
  indexes.Delete(0);
  EXPECT_EQ(indexes.Items(0)->Name + indexes.Items(1)->Name, "XA");
}

TEST(RecordLayout, NullBitmapTakesOneByteForEveryEightFields) {
  for (const auto& [fieldCount, bitmapBytes] :
       {std::pair{1, 1}, {8, 1}, {9, 2}, {16, 2}, {17, 3}}) {
    TKestrelFieldDefs fields;
    for (int i = 0; i < fieldCount; ++i) {
      fields.AddField("F" + std::to_string(i), DT::kByte);
    }
    EXPECT_EQ(fields.NullBitmapSize(), bitmapBytes) << fieldCount;
    EXPECT_EQ(fields.Items(0)->DataOffset(), bitmapBytes);
    EXPECT_EQ(fields.RecordSize(), bitmapBytes + fieldCount);
  }
}

TEST(RecordLayout, SizesAndOffsetsFollowTheStorageTypes) {
  const struct {
    DT type;
    int32_t size;
    int32_t dataSize;
    int32_t compactSize;
  } cases[] = {
      {DT::kVarchar, 10, 11, 6},  {DT::kWideVarchar, 10, 22, 6},
      {DT::kChar, 10, 11, 11},    {DT::kWideChar, 10, 22, 22},
      {DT::kExtended, 0, 10, 10}, {DT::kTimeStamp, 0, 8, 8},
      {DT::kMemo, 0, 8, 6},       {DT::kBytes, 7, 7, 7},
      {DT::kBoolean, 0, 2, 2},    {DT::kAutoIncLargeInt, 0, 8, 8},
  };
  TKestrelFieldDefs fields;
  for (const auto& c : cases) {
    TKestrelFieldDef* field = fields.AddField("F" + std::to_string(fields.Count()), c.type, c.size);
    EXPECT_EQ(field->DataSize(), c.dataSize) << DataTypeName(c.type);
    EXPECT_EQ(field->CompactSize(), c.compactSize) << DataTypeName(c.type);
  }
  int32_t data = 2;
  int32_t compact = 2;
  for (int i = 0; i < fields.Count(); ++i) {
    EXPECT_EQ(fields.Items(i)->DataOffset(), data);
    EXPECT_EQ(fields.Items(i)->CompactOffset(), compact);
    data += cases[i].dataSize;
    compact += cases[i].compactSize;
  }
  EXPECT_EQ(fields.RecordSize(), data);
  EXPECT_EQ(fields.Items(5)->StorageType(), TKestrelStorageType::kDateTime);
}

TEST(RecordLayout, FlagsFollowTheFields) {
  TKestrelFieldDefs fields;
  fields.AddField("A", DT::kInteger);
  EXPECT_FALSE(fields.HasBlobOrVarStringFields());
  EXPECT_FALSE(fields.HasAutoIncFields());
  EXPECT_FALSE(fields.HasDefaultValues());
  fields.AddField("B", DT::kAutoIncWord);
  EXPECT_TRUE(fields.HasAutoIncFields());
  fields.AddField("C", DT::kBlob);
  EXPECT_TRUE(fields.HasBlobOrVarStringFields());
  fields.Items(0)->DefaultValue.SetAsInteger(1);
  fields.CalculateLayout();
  EXPECT_TRUE(fields.HasDefaultValues());
  fields.Delete(2);
  fields.Delete(1);
  EXPECT_FALSE(fields.HasAutoIncFields());
  EXPECT_FALSE(fields.HasBlobOrVarStringFields());
}

TEST(RecordLayout, ErrorsOfTypesAndEmptyLists) {
  TKestrelFieldDef field;
  ExpectKestrelError([&] { field.SetDataType(DT::kNone, 0); }, "Unsuported data type 'Unknown'",
                     30007);
  TKestrelFieldDefs empty;
  ExpectKestrelError([&] { (void)empty.RecordSize(); },
                     "Error creating table - no fields were specified", 10131);
}

TEST(RecordLayout, DeclaredSizesAreBounded) {
  const struct {
    DT type;
    int32_t size;
    const char* text;
  } refused[] = {
      {DT::kVarchar, -3, "Unsuported data type 'STRING(-3)'"},
      {DT::kChar, -1, "Unsuported data type 'CHAR(-1)'"},
      {DT::kVarchar, 0x7FFFFFFF, "Unsuported data type 'STRING(2147483647)'"},
      {DT::kWideVarchar, 0x40000000, "Unsuported data type 'WIDESTRING(1073741824)'"},
      {DT::kBytes, -8, "Unsuported data type 'BYTES(-8)'"},
      {DT::kVarBytes, 0x7FFFFFFF, "Unsuported data type 'VARBYTES(2147483647)'"},
  };
  for (const auto& c : refused) {
    TKestrelFieldDef field;
    ExpectKestrelError([&] { field.SetDataType(c.type, c.size); }, c.text, 30007);
    EXPECT_EQ(field.DataSize(), 0);
  }
  // Sizes of other types are not looked at; a text of size 0 holds only
  // its terminating zero.
  TKestrelFieldDef number;
  number.SetDataType(DT::kInteger, -3);
  EXPECT_EQ(number.DataSize(), 4);
  TKestrelFieldDef empty;
  empty.SetDataType(DT::kVarchar, 0);
  EXPECT_EQ(empty.DataSize(), 1);

  // Fields that fit one by one but not together make no record.
  TKestrelFieldDefs fields;
  fields.AddField("A", DT::kVarchar, 0x40000000);
  fields.AddField("B", DT::kVarchar, 0x40000000);
  ExpectKestrelError([&] { (void)fields.RecordSize(); }, "Invalid record size = 2147483651", 10132);
}

TEST(RecordLayout, NullBitsAreLeastSignificantFirst) {
  uint8_t record[2] = {0, 0};
  SetFieldNull(record, 0, true);
  SetFieldNull(record, 9, true);
  EXPECT_EQ(record[0], 0x01);
  EXPECT_EQ(record[1], 0x02);
  EXPECT_TRUE(IsFieldNull(record, 9));
  SetFieldNull(record, 9, false);
  EXPECT_FALSE(IsFieldNull(record, 9));
}

TEST(Sequences, FirstValueIsInitialPlusIncrement) {
  TKestrelSequenceDef sequence;
  sequence.CurrentValue = 10;
  sequence.Increment = 5;
  EXPECT_EQ(sequence.GetNextValue(), 15);
  EXPECT_EQ(sequence.GetNextValue(), 20);
}

TEST(Sequences, PastTheMaximumCyclesOrFails) {
  TKestrelSequenceDef cycled;
  cycled.CurrentValue = 4294967295;
  cycled.MinValue = 7;
  EXPECT_EQ(cycled.GetNextValue(), 7);

  TKestrelSequenceDef bounded;
  bounded.Name = "SEQ";
  bounded.CurrentValue = 4294967295;
  bounded.Cycled = false;
  ExpectKestrelError([&] { bounded.GetNextValue(); }, "Sequence 'SEQ' overflow", 30009);
  EXPECT_EQ(bounded.CurrentValue, 4294967296);
}

TEST(Sequences, SixtyFourBitOverflowKeepsTheValue) {
  TKestrelSequenceDef sequence;
  sequence.MaxValue = INT64_MAX;
  sequence.CurrentValue = INT64_MAX;
  EXPECT_THROW(sequence.GetNextValue(), EIntOverflow);
  EXPECT_EQ(sequence.CurrentValue, INT64_MAX);
}

TEST(Sequences, ObjectIdentifiersMustFitThirtyTwoBits) {
  TKestrelSequenceDef identifiers;
  identifiers.CurrentValue = INT32_MAX - 1;
  EXPECT_EQ(NextObjectID(identifiers), INT32_MAX);
  EXPECT_THROW(NextObjectID(identifiers), ERangeError);
}

TEST(Sequences, UniqueNamesAppendRandomNumbers) {
  std::vector<std::string> taken = {"$S_Autoinc$T$ID", "$S_Autoinc$T$ID17"};
  std::vector<int> draws = {17, 3};
  auto random = [&](int bound) {
    EXPECT_EQ(bound, 65535);
    const int value = draws.front();
    draws.erase(draws.begin());
    return value;
  };
  auto isTaken = [&](const std::string& name) {
    return std::find(taken.begin(), taken.end(), name) != taken.end();
  };
  EXPECT_EQ(UniqueObjectName("S_Autoinc", "T", "ID", isTaken, random), "$S_Autoinc$T$ID3");
  EXPECT_EQ(UniqueObjectName("S_Autoinc", "T", "X", isTaken, random), "$S_Autoinc$T$X");
}

class IndexForColumns : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* first = static_cast<TKestrelIndexDef*>(indexes_.AddCreated());
    first->ObjectID = 1;
    first->SetColumnCount(1);
    first->Columns[0]->FieldName = "Name";
    first->Columns[0]->CaseInsensitive = true;
    auto* second = static_cast<TKestrelIndexDef*>(indexes_.AddCreated());
    second->ObjectID = 2;
    second->SetColumnCount(2);
    second->Columns[0]->FieldName = "ID";
    second->Columns[1]->FieldName = "Name";
    second->Columns[1]->Descending = true;
  }
  int32_t Find(std::vector<std::string> names, std::vector<std::string> orders,
               std::vector<std::string> cases) {
    return indexes_.FindIndexForColumns(&names, &orders, &cases);
  }
  TKestrelIndexDefs indexes_;
};

TEST_F(IndexForColumns, LeadingColumnsDecide) {
  EXPECT_EQ(Find({"id"}, {""}, {""}), 2);
  EXPECT_EQ(Find({"ID", "NAME"}, {"ASC", "DESC"}, {"", "CASE"}), 2);
  EXPECT_EQ(Find({"ID", "NAME"}, {"", "ASC"}, {"", ""}), -1);
  EXPECT_EQ(Find({"name"}, {"asc"}, {"NO_CASE"}), 1);
  EXPECT_EQ(Find({"name"}, {""}, {"CASE"}), -1);
  EXPECT_EQ(Find({"Name", "ID"}, {"", ""}, {"", ""}), -1);
}

TEST_F(IndexForColumns, ListsMustBeThereAndOfOneLength) {
  std::vector<std::string> one = {"ID"};
  std::vector<std::string> two = {"ID", "Name"};
  ExpectKestrelError([&] { indexes_.FindIndexForColumns(&one, &two, &one); },
                     "Error - different lists length. L1 = 1, L2 = 2", 10276);
  ExpectKestrelError([&] { indexes_.FindIndexForColumns(&one, &one, &two); },
                     "Error - different lists length. L1 = 1, L2 = 2", 10277);
  ExpectKestrelError([&] { indexes_.FindIndexForColumns(nullptr, &one, &one); },
                     "Nil pointer occured", 10389);
  ExpectKestrelError([&] { indexes_.FindIndexForColumns(&one, &one, nullptr); },
                     "Nil pointer occured", 10391);
}

TEST(DatasetIndexDefs, BothDirections) {
  dataset::TFieldDefs fields;
  fields.Add("ID", dataset::TFieldType::ftInteger);
  fields.Add("Name", dataset::TFieldType::ftString, 20);
  dataset::TIndexDefs source;
  dataset::TIndexDef& def = source.Add(
      "IX", "ID, name", dataset::TIndexOption::ixUnique | dataset::TIndexOption::ixPrimary);
  def.CaseInsFields = "NAME";
  TKestrelIndexDef index;
  IndexDefFromDatasetIndexDef(def, fields, index);
  ASSERT_EQ(index.ColumnCount(), 2);
  EXPECT_TRUE(index.Unique);
  EXPECT_TRUE(index.Primary);
  EXPECT_FALSE(index.Columns[0]->CaseInsensitive);
  EXPECT_TRUE(index.Columns[1]->CaseInsensitive);
  EXPECT_FALSE(index.Columns[1]->Descending);

  def.Options = static_cast<dataset::TIndexOptions>(dataset::TIndexOption::ixDescending);
  IndexDefFromDatasetIndexDef(def, fields, index);
  EXPECT_TRUE(index.Columns[0]->Descending && index.Columns[1]->Descending);
  EXPECT_FALSE(index.Unique);

  const dataset::TIndexDef back = DatasetIndexDefFromIndexDef(index);
  EXPECT_EQ(back.Fields, "ID;name");
  EXPECT_EQ(back.DescFields, "ID;name");
  EXPECT_EQ(back.CaseInsFields, "name");
  EXPECT_EQ(back.Options, 0);
}

TEST(DatasetIndexDefs, Errors) {
  dataset::TFieldDefs fields;
  fields.Add("ID", dataset::TFieldType::ftInteger);
  TKestrelIndexDef index;
  ExpectKestrelError(
      [&] {
        IndexDefFromDatasetIndexDef({"", "ID", "", "", 0}, fields, index);
      },
      "Invalid index name ''", 20048);
  ExpectKestrelError(
      [&] {
        IndexDefFromDatasetIndexDef({"I", " ; ", "", "", 0}, fields, index);
      },
      "Cannot find index field ' ; '", 20049);
  ExpectKestrelError(
      [&] {
        IndexDefFromDatasetIndexDef({"I", "ID;X", "", "", 0}, fields, index);
      },
      "Cannot find index field 'X'", 20050);
}

TEST(ConstraintsFromIndexes, NamesCarryTheColumns) {
  TKestrelIndexDef index;
  index.Name = "PKX";
  index.ObjectID = 8;
  index.Primary = true;
  index.SetColumnCount(2);
  index.Columns[0]->FieldName = "ID";
  index.Columns[1]->FieldName = "NAME";
  auto primary = ConstraintForIndex(index);
  ASSERT_NE(dynamic_cast<TKestrelConstraintDefPrimary*>(primary.get()), nullptr);
  EXPECT_EQ(primary->Name, "C_PK$ID$NAME");
  EXPECT_EQ(primary->TargetReference.Name, "PKX");
  EXPECT_EQ(primary->TargetReference.ObjectID, 8);
  EXPECT_EQ(static_cast<TKestrelConstraintDefUnique&>(*primary).Columns[1].Name, "NAME");

  index.Primary = false;
  index.Unique = true;
  index.Columns[1]->FieldName = std::string(300, 'n');
  auto unique = ConstraintForIndex(index);
  EXPECT_EQ(unique->ConstraintType(), kConstraintUnique);
  EXPECT_EQ(unique->Name.size(), 255u);
  EXPECT_EQ(unique->Name.substr(0, 12), "C_Unique$ID$");

  index.Unique = false;
  EXPECT_EQ(ConstraintForIndex(index), nullptr);
}

}  // namespace
}  // namespace kestrel
