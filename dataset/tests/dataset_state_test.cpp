// The dataset's states, their transitions and refusals, and the order of the
// events around them.

#include <gtest/gtest.h>

#include "dataset/dataset_errors.h"
#include "dataset/tests/dataset_fixture.h"
#include "platform/errors.h"

namespace dataset {
namespace {

using testing::EventLog;
using testing::IdsFromHere;
using testing::MakeNumbered;
using testing::MakePeople;
using Events = std::vector<std::string>;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::EDatabaseError& error) {
    return error.what();
  }
  return "no error";
}

TEST(DataSetStates, ClosedDatasetRefusesEveryOperationThatNeedsRecords) {
  auto people = MakeNumbered(2);
  people->Close();
  const std::vector<std::function<void()>> operations = {
      [&] { people->First(); },   [&] { people->Last(); },    [&] { people->Next(); },
      [&] { people->MoveBy(3); }, [&] { people->Edit(); },    [&] { people->Insert(); },
      [&] { people->Append(); },  [&] { people->Delete(); },  [&] { people->RecordCount(); },
      [&] { people->RecNo(); },   [&] { people->Refresh(); },
  };
  for (const auto& operation : operations) {
    EXPECT_EQ(ErrorOf(operation), "Cannot perform this operation on a closed dataset");
  }
  EXPECT_EQ(people->State(), TDataSetState::dsInactive);
}

TEST(DataSetStates, ReadOnlyDatasetRefusesChanges) {
  auto people = MakeNumbered(2);
  people->SetReadOnly(true);
  for (const auto& operation :
       std::vector<std::function<void()>>{[&] { people->Edit(); }, [&] { people->Insert(); },
                                          [&] { people->Append(); }, [&] { people->Delete(); }}) {
    EXPECT_EQ(ErrorOf(operation), "Cannot modify a read-only dataset");
    EXPECT_EQ(people->State(), TDataSetState::dsBrowse);
  }
  EXPECT_EQ(people->RecordCount(), 2);
}

TEST(DataSetStates, FieldWritesOutsideEditOrInsertAreRefused) {
  auto people = MakeNumbered(1);
  EXPECT_EQ(ErrorOf([&] { people->FieldByName("NAME").SetAsString("x"); }),
            "Dataset not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { people->FieldByName("SCORE").Clear(); }),
            "Dataset not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { people->FieldByName("NOPE"); }), "Field 'NOPE' not found");
  EXPECT_EQ(people->FieldByName("NAME").AsString(), "n1");
}

TEST(DataSetStates, EditPostAndCancelMoveBetweenBrowseAndEdit) {
  auto people = MakeNumbered(3);
  people->Next();
  people->Edit();
  EXPECT_EQ(people->State(), TDataSetState::dsEdit);
  people->Edit();  // a second Edit changes nothing
  EXPECT_EQ(people->State(), TDataSetState::dsEdit);
  EXPECT_FALSE(people->Modified());
  people->FieldByName("NAME").SetAsString("changed");
  EXPECT_TRUE(people->Modified());
  people->Cancel();
  EXPECT_EQ(people->State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(people->Modified());
  EXPECT_EQ(people->FieldByName("NAME").AsString(), "n2");

  people->Edit();
  people->FieldByName("NAME").SetAsString("kept");
  people->Post();
  EXPECT_EQ(people->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(people->FieldByName("NAME").AsString(), "kept");
  EXPECT_EQ(people->RecNo(), 2);
  people->Post();  // outside edit and insert, Post does nothing
  EXPECT_EQ(people->State(), TDataSetState::dsBrowse);
}

TEST(DataSetStates, InsertPlacesTheRecordBeforeTheCurrentOneAndAppendAtTheEnd) {
  auto people = MakeNumbered(3);
  people->Next();  // on 2
  people->Insert();
  EXPECT_EQ(people->State(), TDataSetState::dsInsert);
  EXPECT_TRUE(people->FieldByName("ID").IsNull());
  people->FieldByName("ID").SetAsInteger(10);
  people->Post();
  EXPECT_EQ(people->FieldByName("ID").AsInteger(), 10);
  people->Append();
  people->FieldByName("ID").SetAsInteger(20);
  people->Post();
  EXPECT_EQ(people->FieldByName("ID").AsInteger(), 20);
  EXPECT_TRUE(people->Eof() || people->RecNo() == 5);
  people->First();
  EXPECT_EQ(IdsFromHere(*people), (std::vector<int>{1, 10, 2, 3, 20}));
}

TEST(DataSetStates, CancelledInsertLeavesNoRecordAndReturnsToTheFormerOne) {
  auto people = MakeNumbered(3);
  people->Last();
  people->Insert();
  people->FieldByName("ID").SetAsInteger(99);
  people->Cancel();
  EXPECT_EQ(people->RecordCount(), 3);
  EXPECT_EQ(people->FieldByName("ID").AsInteger(), 3);
  people->Append();
  people->Cancel();
  EXPECT_EQ(people->RecordCount(), 3);
  EXPECT_EQ(people->FieldByName("ID").AsInteger(), 3);
}

TEST(DataSetStates, EditOnAnEmptyDatasetStartsAnInsert) {
  auto people = MakeNumbered(0);
  EXPECT_TRUE(people->IsEmpty());
  people->Edit();
  EXPECT_EQ(people->State(), TDataSetState::dsInsert);
  people->FieldByName("ID").SetAsInteger(1);
  people->Post();
  EXPECT_EQ(people->RecordCount(), 1);
  EXPECT_FALSE(people->IsEmpty());
}

TEST(DataSetStates, DeleteRemovesTheCurrentRecordAndRefusesAnEmptyDataset) {
  auto people = MakeNumbered(3);
  people->Next();
  people->Delete();
  EXPECT_EQ(people->FieldByName("ID").AsInteger(), 3);
  people->Delete();  // the last one: the new current record is the one before
  EXPECT_EQ(people->FieldByName("ID").AsInteger(), 1);
  people->Delete();
  EXPECT_TRUE(people->IsEmpty());
  EXPECT_EQ(ErrorOf([&] { people->Delete(); }),
            "Cannot perform this operation on an empty dataset");
  // Delete during an insert just drops the new record.
  auto more = MakeNumbered(2);
  more->Insert();
  more->Delete();
  EXPECT_EQ(more->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(more->RecordCount(), 2);
}

TEST(DataSetStates, NavigationPostsAModifiedEditAndDropsAnUnmodifiedOne) {
  auto people = MakeNumbered(3);
  people->Edit();
  people->FieldByName("NAME").SetAsString("posted by moving");
  people->Next();
  EXPECT_EQ(people->State(), TDataSetState::dsBrowse);
  people->Insert();
  people->Next();  // nothing typed: the insert is cancelled
  EXPECT_EQ(people->RecordCount(), 3);
  people->First();
  EXPECT_EQ(people->FieldByName("NAME").AsString(), "posted by moving");
}

TEST(DataSetStates, CloseCancelsAnEditAndReopeningShowsTheStoredRows) {
  auto people = MakeNumbered(2);
  people->Edit();
  people->FieldByName("NAME").SetAsString("lost");
  EventLog log(*people);
  people->Close();
  EXPECT_EQ(log.Take(), (Events{"BeforeCancel", "AfterCancel", "BeforeClose", "AfterClose"}));
  EXPECT_EQ(people->FieldCount(), 0);  // default fields go with the close
  people->Open();
  EXPECT_EQ(people->FieldByName("NAME").AsString(), "n1");
  EXPECT_EQ(people->RecordCount(), 2);
}

TEST(DataSetStates, RequiredFieldsMustHaveAValueBeforePost) {
  auto people = MakeNumbered(1);
  EventLog log(*people);
  people->Append();
  people->FieldByName("NAME").SetAsString("no id");
  EXPECT_EQ(ErrorOf([&] { people->Post(); }), "Field 'ID' must have a value");
  EXPECT_EQ(people->State(), TDataSetState::dsInsert);  // nothing lost
  EXPECT_EQ(people->FieldByName("NAME").AsString(), "no id");
  people->FieldByName("ID").SetAsInteger(2);
  log.Take();
  people->Post();
  EXPECT_EQ(log.Take(), (Events{"BeforePost", "AfterPost"}));
  EXPECT_EQ(people->RecordCount(), 2);
}

TEST(DataSetEvents, OrderAroundOpenInsertPostCancelDeleteAndScroll) {
  auto people = MakeNumbered(3);
  people->Close();
  EventLog log(*people);
  people->Open();
  EXPECT_EQ(log.Take(), (Events{"BeforeOpen", "AfterOpen", "AfterScroll"}));
  people->Next();
  EXPECT_EQ(log.Take(), (Events{"BeforeScroll", "AfterScroll"}));
  people->Edit();
  EXPECT_EQ(log.Take(), (Events{"BeforeEdit", "AfterEdit"}));
  people->Cancel();
  EXPECT_EQ(log.Take(), (Events{"BeforeCancel", "AfterCancel"}));
  people->Insert();
  EXPECT_EQ(log.Take(),
            (Events{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
  people->Cancel();
  EXPECT_EQ(log.Take(), (Events{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
  people->Delete();
  EXPECT_EQ(log.Take(), (Events{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
  people->Close();
  EXPECT_EQ(log.Take(), (Events{"BeforeClose", "AfterClose"}));
}

TEST(DataSetEvents, OnNewRecordFillsDefaultsWithoutMarkingTheRecordModified) {
  auto people = MakeNumbered(1);
  people->OnNewRecord = [](TDataSet& dataSet) { dataSet.FieldByName("SCORE").SetAsFloat(7.5); };
  people->Append();
  EXPECT_DOUBLE_EQ(people->FieldByName("SCORE").AsFloat(), 7.5);
  EXPECT_FALSE(people->Modified());
}

TEST(DataSetEvents, ErrorEventsDecideBetweenFailAbortAndRetry) {
  auto people = MakeNumbered(1);
  people->Append();  // no ID: the post fails on the required check first
  people->FieldByName("ID").SetAsInteger(5);
  int calls = 0;
  people->BeforePost = [&](TDataSet&) {
    if (++calls == 1)
      throw platform::EDatabaseError("refused once");
  };
  EXPECT_EQ(ErrorOf([&] { people->Post(); }), "refused once");
  EXPECT_EQ(people->State(), TDataSetState::dsInsert);
  people->Post();
  EXPECT_EQ(people->RecordCount(), 2);
}

// Fails its delete hook a given number of times.
class FlakyPeople : public TMemoryDataSet {
 public:
  int failures = 0;

 protected:
  void InternalDelete() override {
    if (failures > 0) {
      --failures;
      throw platform::EDatabaseError("record locked");
    }
    TMemoryDataSet::InternalDelete();
  }
};

TEST(DataSetEvents, DeleteErrorEventRetriesAbortsOrLetsTheErrorThrough) {
  auto people = MakeNumbered<FlakyPeople>(3);
  int errors = 0;
  TDataAction answer = TDataAction::daRetry;
  people->OnDeleteError = [&](TDataSet&, const std::exception& error, TDataAction& action) {
    EXPECT_STREQ(error.what(), "record locked");
    ++errors;
    action = answer;
  };
  people->failures = 2;
  people->Delete();
  EXPECT_EQ(errors, 2);
  EXPECT_EQ(people->RecordCount(), 2);

  answer = TDataAction::daAbort;
  people->failures = 1;
  EXPECT_THROW(people->Delete(), EAbort);
  EXPECT_EQ(people->RecordCount(), 2);

  answer = TDataAction::daFail;
  people->failures = 1;
  EXPECT_EQ(ErrorOf([&] { people->Delete(); }), "record locked");
  EXPECT_EQ(people->RecordCount(), 2);
  EXPECT_EQ(people->State(), TDataSetState::dsBrowse);
}

}  // namespace
}  // namespace dataset
