// Moving through a dataset: ends, record numbers, bookmarks, and the window
// of record buffers that data links see.

#include <gtest/gtest.h>

#include "dataset/tests/dataset_fixture.h"
#include "platform/errors.h"

namespace dataset {
namespace {

using testing::IdsFromHere;
using testing::MakeNumbered;
using testing::RecordingLink;
using Strings = std::vector<std::string>;

int Id(TDataSet& dataSet) {
  return dataSet.FieldByName("ID").AsInteger();
}

TEST(DataSetNavigation, EndsAreReportedOnlyAfterTryingToPassThem) {
  auto people = MakeNumbered(3);
  EXPECT_TRUE(people->Bof());
  EXPECT_FALSE(people->Eof());
  people->Prior();
  EXPECT_TRUE(people->Bof());
  EXPECT_EQ(Id(*people), 1);
  EXPECT_EQ(people->MoveBy(5), 2);
  EXPECT_TRUE(people->Eof());
  EXPECT_EQ(Id(*people), 3);
  EXPECT_EQ(people->MoveBy(-1), -1);
  EXPECT_FALSE(people->Eof());
  EXPECT_EQ(people->MoveBy(-9), -1);
  EXPECT_TRUE(people->Bof());
  people->Last();
  EXPECT_TRUE(people->Eof());
  EXPECT_EQ(Id(*people), 3);

  auto empty = MakeNumbered(0);
  EXPECT_TRUE(empty->Bof() && empty->Eof());
  EXPECT_TRUE(empty->FieldByName("ID").IsNull());
  EXPECT_EQ(empty->MoveBy(1), 0);
}

TEST(DataSetNavigation, RecNoCountsFromOneAndIgnoresNumbersOutOfRange) {
  auto people = MakeNumbered(5);
  EXPECT_EQ(people->RecNo(), 1);
  people->SetRecNo(5);
  EXPECT_EQ(Id(*people), 5);
  people->SetRecNo(0);
  people->SetRecNo(6);
  EXPECT_EQ(Id(*people), 5);
  EXPECT_EQ(people->RecNo(), 5);
  people->SetRecNo(2);
  EXPECT_EQ(Id(*people), 2);
  EXPECT_EQ(IdsFromHere(*people), (std::vector<int>{2, 3, 4, 5}));
}

TEST(DataSetBookmarks, SurviveInsertsAndDeletesOfOtherRecords) {
  auto people = MakeNumbered(5);
  people->SetRecNo(4);
  const TBookmark four = people->GetBookmark();
  people->SetRecNo(2);
  const TBookmark two = people->GetBookmark();
  EXPECT_LT(people->CompareBookmarks(two, four), 0);
  EXPECT_GT(people->CompareBookmarks(four, two), 0);
  EXPECT_EQ(people->CompareBookmarks(two, two), 0);

  people->First();
  people->Insert();
  people->FieldByName("ID").SetAsInteger(100);
  people->Post();
  people->SetRecNo(4);  // record 3 now
  people->Delete();

  people->GotoBookmark(four);
  EXPECT_EQ(Id(*people), 4);
  EXPECT_EQ(people->RecNo(), 4);  // 100, 1, 2, 4
  people->GotoBookmark(two);
  EXPECT_EQ(Id(*people), 2);
  EXPECT_TRUE(people->BookmarkValid(four));

  people->GotoBookmark(four);
  people->Delete();
  EXPECT_FALSE(people->BookmarkValid(four));
  EXPECT_THROW(people->GotoBookmark(four), platform::EDatabaseError);
  EXPECT_EQ(Id(*people), 5);  // a failed jump leaves the current record alone
}

TEST(DataSetBookmarks, NoBookmarkForAnEmptyDatasetOrANewRecord) {
  auto people = MakeNumbered(0);
  EXPECT_FALSE(people->BookmarkAvailable());
  EXPECT_TRUE(people->GetBookmark().empty());
  people->Append();
  EXPECT_TRUE(people->GetBookmark().empty());
}

TEST(DataLinks, WindowOfBuffersFollowsScrolling) {
  auto people = MakeNumbered(10);
  TDataSource source(people.get());
  RecordingLink link;
  link.SetDataSource(&source);
  link.SetBufferCount(3);
  EXPECT_EQ(people->BufferCount(), 3);
  EXPECT_EQ(link.RecordCount(), 3);
  EXPECT_EQ(link.ActiveRecord(), 0);

  // Painting row by row through ActiveRecord reads each buffered record.
  auto windowIds = [&] {
    std::vector<int> ids;
    const int saved = link.ActiveRecord();
    for (int row = 0; row < link.RecordCount(); ++row) {
      link.SetActiveRecord(row);
      ids.push_back(Id(*people));
    }
    link.SetActiveRecord(saved);
    return ids;
  };
  EXPECT_EQ(windowIds(), (std::vector<int>{1, 2, 3}));
  link.Take();
  people->MoveBy(2);
  EXPECT_EQ(link.ActiveRecord(), 2);
  EXPECT_EQ(link.Take(), (Strings{"scrolled 0"}));
  people->Next();  // the window moves by one record
  EXPECT_EQ(windowIds(), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(link.ActiveRecord(), 2);
  EXPECT_EQ(link.Take(), (Strings{"scrolled 1"}));
  people->Last();
  EXPECT_EQ(windowIds(), (std::vector<int>{8, 9, 10}));
  people->SetRecNo(5);  // centred
  EXPECT_EQ(windowIds(), (std::vector<int>{4, 5, 6}));
  EXPECT_EQ(Id(*people), 5);
}

TEST(DataLinks, AreToldOfStatesRecordsAndFields) {
  auto people = MakeNumbered(2);
  TDataSource source(people.get());
  RecordingLink link;
  link.SetDataSource(&source);
  EXPECT_EQ(link.Take(), (Strings{"active"}));
  people->Edit();
  EXPECT_EQ(link.Take(), (Strings{"editing", "record changed"}));
  people->FieldByName("NAME").SetAsString("x");
  EXPECT_EQ(link.Take(), (Strings{"field NAME"}));
  people->Post();
  EXPECT_EQ(link.Take(), (Strings{"update data", "not editing", "dataset changed"}));
  people->Close();
  EXPECT_EQ(link.Take(), (Strings{"inactive"}));

  // A read-only link never edits; a disabled source makes its links inactive.
  people->Open();
  link.SetReadOnly(true);
  EXPECT_FALSE(link.Edit());
  link.Take();
  source.SetEnabled(false);
  EXPECT_EQ(link.Take(), (Strings{"inactive"}));
}

TEST(DataLinks, DisabledControlsHearOneChangeWhenEnabledAgain) {
  auto people = MakeNumbered(5);
  TDataSource source(people.get());
  RecordingLink link;
  link.SetDataSource(&source);
  link.Take();
  people->DisableControls();
  people->Next();
  people->Edit();
  people->FieldByName("NAME").SetAsString("quiet");
  people->Post();
  people->Last();
  // Only the request to write pending edits gets through, so none is lost.
  EXPECT_EQ(link.Take(), (Strings{"update data"}));
  people->EnableControls();
  EXPECT_EQ(link.Take(), (Strings{"dataset changed"}));
}

TEST(DataLinks, AutoEditLetsAControlStartEditing) {
  auto people = MakeNumbered(1);
  TDataSource source(people.get());
  RecordingLink link;
  link.SetDataSource(&source);
  source.SetAutoEdit(false);
  EXPECT_FALSE(link.Edit());
  source.SetAutoEdit(true);
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(people->State(), TDataSetState::dsEdit);
}

TEST(DataLinks, DestroyingTheDatasetOrTheSourceDetachesCleanly) {
  RecordingLink link;
  {
    auto people = MakeNumbered(1);
    TDataSource source(people.get());
    link.SetDataSource(&source);
  }
  EXPECT_EQ(link.DataSource(), nullptr);
  EXPECT_FALSE(link.Active());
}

}  // namespace
}  // namespace dataset
