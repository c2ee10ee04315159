// Filtering, Locate and calculated fields.

#include <gtest/gtest.h>

#include "dataset/fields.h"
#include "dataset/tests/dataset_fixture.h"
#include "platform/errors.h"

namespace dataset {
namespace {

using testing::IdsFromHere;
using testing::MakeNumbered;
using testing::MakePeople;

int Id(TDataSet& dataSet) {
  return dataSet.FieldByName("ID").AsInteger();
}

TEST(DataSetFilter, OnFilterRecordHidesRejectedRecordsFromEveryPath) {
  auto people = MakeNumbered(10);
  people->SetOnFilterRecord([](TDataSet& dataSet, bool& accept) {
    accept = dataSet.FieldByName("ID").AsInteger() % 3 == 0;
  });
  EXPECT_EQ(IdsFromHere(*people), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  people->SetFiltered(true);
  EXPECT_EQ(Id(*people), 3);
  EXPECT_EQ(people->RecordCount(), 3);
  EXPECT_EQ(IdsFromHere(*people), (std::vector<int>{3, 6, 9}));
  people->Last();
  EXPECT_EQ(Id(*people), 9);
  EXPECT_EQ(people->RecNo(), 3);
  people->SetRecNo(2);
  EXPECT_EQ(Id(*people), 6);
  people->Prior();
  EXPECT_EQ(Id(*people), 3);

  // A record edited out of the filter disappears after the post.
  people->Edit();
  people->FieldByName("ID").SetAsInteger(4);
  people->Post();
  EXPECT_EQ(Id(*people), 6);
  EXPECT_EQ(people->RecordCount(), 2);

  people->SetFiltered(false);
  EXPECT_EQ(people->RecordCount(), 10);
}

TEST(DataSetFilter, FilterTextAndOptionsAreKept) {
  auto people = MakeNumbered(1);
  people->SetFilter("ID > 3");
  people->SetFilterOptions(static_cast<TFilterOptions>(TFilterOption::foCaseInsensitive));
  EXPECT_EQ(people->Filter(), "ID > 3");
  EXPECT_EQ(people->FilterOptions(), 1);
}

TEST(DataSetLocate, FindsByOneOrSeveralKeysWithPartialAndCaseInsensitiveOptions) {
  auto people = MakePeople({{1, "Anna", 1.0},
                            {2, "anneliese", 2.0},
                            {3, "Bela", 3.0},
                            {4, "Anna", 4.5},
                            {5, "Zoe", 5.0}});
  struct Case {
    std::string keys;
    std::vector<Variant> values;
    TLocateOptions options;
    int expectedId;  // 0: not found
  };
  const std::vector<Case> cases = {
      {"NAME", {Variant::FromString("Bela")}, 0, 3},
      {"NAME", {Variant::FromString("bela")}, 0, 0},
      {"NAME",
       {Variant::FromString("bela")},
       static_cast<TLocateOptions>(TLocateOption::loCaseInsensitive),
       3},
      {"NAME", {Variant::FromString("Anne")}, 0, 0},
      {"NAME",
       {Variant::FromString("anne")},
       static_cast<TLocateOptions>(TLocateOption::loPartialKey),
       2},
      {"NAME",
       {Variant::FromString("ANNE")},
       TLocateOption::loPartialKey | TLocateOption::loCaseInsensitive,
       2},
      {"NAME;SCORE", {Variant::FromString("Anna"), Variant::FromDouble(4.5)}, 0, 4},
      {" NAME ; ID ", {Variant::FromString("Anna"), Variant::FromString("1")}, 0, 1},
      {"ID", {Variant::FromInteger(5)}, 0, 5},
      {"ID", {Variant::FromString("five")}, 0, 0},
      {"SCORE", {Variant::Null()}, 0, 0},
  };
  for (const Case& c : cases) {
    people->SetRecNo(5);
    const bool found = people->Locate(c.keys, c.values, c.options);
    EXPECT_EQ(found, c.expectedId != 0) << c.keys;
    EXPECT_EQ(Id(*people), c.expectedId != 0 ? c.expectedId : 5) << c.keys;
  }
}

TEST(DataSetLocate, FindsNullValuesAndHonoursTheFilter) {
  auto people = MakeNumbered(4);
  people->SetRecNo(3);
  people->Edit();
  people->FieldByName("SCORE").Clear();
  people->Post();
  people->First();
  EXPECT_TRUE(people->Locate("SCORE", Variant::Null(), 0));
  EXPECT_EQ(Id(*people), 3);

  people->SetOnFilterRecord(
      [](TDataSet& dataSet, bool& accept) { accept = dataSet.FieldByName("ID").AsInteger() != 2; });
  people->SetFiltered(true);
  EXPECT_FALSE(people->Locate("ID", Variant::FromInteger(2), 0));
  EXPECT_TRUE(people->Locate("ID", Variant::FromInteger(4), 0));
}

TEST(DataSetCalcFields, AreComputedForEveryRecordReadAndOnEachChangeWhileEditing) {
  auto people = std::make_unique<TMemoryDataSet>();
  people->FieldDefs().Add("ID", TFieldType::ftInteger);
  people->FieldDefs().Add("SCORE", TFieldType::ftFloat);
  people->AddField(CreateField(TFieldType::ftInteger, 0)).SetFieldName("ID");
  people->AddField(CreateField(TFieldType::ftFloat, 0)).SetFieldName("SCORE");
  TField& doubled = people->AddField(CreateField(TFieldType::ftFloat, 0));
  doubled.SetFieldName("DOUBLED");
  doubled.SetFieldKind(TFieldKind::fkCalculated);
  int calculations = 0;
  people->OnCalcFields = [&](TDataSet& dataSet) {
    ++calculations;
    if (!dataSet.FieldByName("SCORE").IsNull()) {
      dataSet.FieldByName("DOUBLED").SetAsFloat(dataSet.FieldByName("SCORE").AsFloat() * 2);
    }
  };
  people->CreateDataSet();
  people->AppendRecord({Variant::FromInteger(1), Variant::FromDouble(1.25)});
  people->AppendRecord({Variant::FromInteger(2), Variant::FromDouble(4)});
  people->First();
  EXPECT_DOUBLE_EQ(doubled.AsFloat(), 2.5);
  people->Next();
  EXPECT_DOUBLE_EQ(doubled.AsFloat(), 8);
  EXPECT_THROW(doubled.SetAsFloat(1), platform::EDatabaseError);  // only in OnCalcFields

  people->Edit();
  const int before = calculations;
  people->FieldByName("SCORE").SetAsFloat(10);
  EXPECT_GT(calculations, before);
  EXPECT_DOUBLE_EQ(doubled.AsFloat(), 20);
  people->FieldByName("SCORE").Clear();
  EXPECT_TRUE(doubled.IsNull());
  people->Cancel();
  EXPECT_DOUBLE_EQ(doubled.AsFloat(), 8);

  // A filter may use the calculated value.
  people->SetOnFilterRecord([](TDataSet& dataSet, bool& accept) {
    accept = dataSet.FieldByName("DOUBLED").AsFloat() > 5;
  });
  people->SetFiltered(true);
  EXPECT_EQ(people->RecordCount(), 1);
  EXPECT_EQ(people->FieldByName("ID").AsInteger(), 2);
}

TEST(DataSetViews, ScopedRecordViewReadsAnyRecordWithoutMovingTheCurrentOne) {
  auto people = MakeNumbered(100);
  people->SetRecNo(10);
  people->ResetRecordReads();
  {
    TDataSet::ScopedRecordView view(*people, 77);
    ASSERT_TRUE(view.Found());
    EXPECT_EQ(Id(*people), 77);
  }
  EXPECT_EQ(Id(*people), 10);
  EXPECT_EQ(people->RecNo(), 10);
  EXPECT_EQ(people->RecordReads(), 1);
  TDataSet::ScopedRecordView missing(*people, 101);
  EXPECT_FALSE(missing.Found());
  EXPECT_EQ(Id(*people), 10);
}

}  // namespace
}  // namespace dataset
