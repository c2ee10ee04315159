// The grid model and the navigator over datasets, in real Qt views on the
// offscreen platform.

#include "dataset/qt/dataset_table_model.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "dataset/memory_dataset.h"
#include "dataset/qt/dataset_navigator.h"
#include "platform/testing/scripted_user_dialogs.h"

namespace dataset::qt {
namespace {

std::unique_ptr<TMemoryDataSet> MakeRows(int count) {
  auto rows = std::make_unique<TMemoryDataSet>();
  rows->FieldDefs().Add("ID", TFieldType::ftInteger, 0, true);
  rows->FieldDefs().Add("NAME", TFieldType::ftString, 16);
  rows->FieldDefs().Add("SCORE", TFieldType::ftFloat);
  rows->CreateDataSet();
  rows->DisableControls();
  for (int i = 1; i <= count; ++i) {
    rows->AppendRecord({Variant::FromInteger(i), Variant::FromString("row " + std::to_string(i)),
                        Variant::FromDouble(i / 4.0)});
  }
  rows->First();
  rows->EnableControls();
  return rows;
}

QString Cell(const QAbstractItemModel& model, int row, int column) {
  return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

TEST(DatasetTableModel, MillionRowsShowScrollAndEditWhileReadingOnlyWhatIsDisplayed) {
  auto rows = MakeRows(1000000);
  TDataSource source(rows.get());
  DatasetTableModel model;
  QTableView view;
  view.resize(640, 400);
  rows->ResetRecordReads();
  model.SetDataSource(&source);
  view.setModel(&model);
  view.show();
  QApplication::processEvents();

  EXPECT_EQ(model.rowCount(), 1000000);
  EXPECT_EQ(model.columnCount(), 3);
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "NAME");
  const int visibleRows = view.rowAt(view.viewport()->height() - 1) + 1;
  ASSERT_GT(visibleRows, 5);
  EXPECT_LE(model.RowsRead(), 3 * visibleRows);
  EXPECT_LE(rows->RecordReads(), 2 * visibleRows + 10);

  view.scrollToBottom();
  QApplication::processEvents();
  const int lastVisible = view.rowAt(view.viewport()->height() - 1);
  EXPECT_EQ(lastVisible, 999999);
  EXPECT_EQ(Cell(model, 999999, 1), "row 1000000");
  EXPECT_LE(rows->RecordReads(), 4 * visibleRows + 20) << "scrolling read records it did not show";

  // Editing the last cell through the view's own editor.
  const QModelIndex last = model.index(999999, 1);
  view.setCurrentIndex(last);
  model.SetCurrentRow(999999);
  EXPECT_EQ(rows->RecNo(), 1000000);
  view.edit(last);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "edited");
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(rows->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(rows->FieldByName("NAME").AsString(), "edited");
  EXPECT_EQ(Cell(model, 999999, 1), "edited");
  EXPECT_EQ(model.rowCount(), 1000000);
  EXPECT_LE(rows->RecordReads(), 6 * visibleRows + 30);
}

TEST(DatasetTableModel, FollowsInsertsDeletesAndTheCurrentRecord) {
  auto rows = MakeRows(3);
  TDataSource source(rows.get());
  DatasetTableModel model;
  model.SetDataSource(&source);
  std::vector<int> currentRows;
  model.OnCurrentRowChanged = [&](int row) { currentRows.push_back(row); };

  rows->Last();
  EXPECT_EQ(model.CurrentRow(), 2);
  rows->Prior();
  rows->Insert();  // before row 1
  EXPECT_EQ(model.rowCount(), 4);
  EXPECT_EQ(model.CurrentRow(), 1);
  EXPECT_EQ(model.headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), "*");
  rows->FieldByName("ID").SetAsInteger(9);
  EXPECT_EQ(Cell(model, 1, 0), "9");
  EXPECT_EQ(Cell(model, 2, 0), "2");
  rows->Post();
  EXPECT_EQ(model.rowCount(), 4);
  EXPECT_EQ(Cell(model, 1, 0), "9");
  EXPECT_EQ(Cell(model, 3, 0), "3");

  rows->Append();
  EXPECT_EQ(model.CurrentRow(), 4);
  rows->Cancel();
  EXPECT_EQ(model.rowCount(), 4);
  rows->First();
  rows->Delete();
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(Cell(model, 0, 0), "9");
  EXPECT_EQ(currentRows.back(), 0);

  // Changing a field repaints the row at once.
  rows->Edit();
  rows->FieldByName("NAME").SetAsString("live");
  EXPECT_EQ(Cell(model, 0, 1), "live");
  rows->Cancel();
  EXPECT_EQ(Cell(model, 0, 1), "");  // the inserted record 9 has no name
  rows->Close();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.columnCount(), 0);
}

TEST(DatasetTableModel, TitleColorsAlignmentAndEditability) {
  auto rows = MakeRows(2);
  TDataSource source(rows.get());
  DatasetTableModel model;
  model.SetDataSource(&source);
  model.SetTitleColor(1, Qt::red);
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
            QColor(Qt::red));
  EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::ForegroundRole).isValid());
  model.ClearTitleColors();
  EXPECT_FALSE(model.headerData(1, Qt::Horizontal, Qt::ForegroundRole).isValid());
  const auto alignment = [&](int column) {
    return model.data(model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>();
  };
  EXPECT_TRUE(alignment(0) & Qt::AlignRight);
  EXPECT_TRUE(alignment(1) & Qt::AlignLeft);

  EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
  rows->FieldByName("ID").SetReadOnly(true);
  EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
  rows->SetReadOnly(true);
  EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
  EXPECT_FALSE(model.setData(model.index(0, 1), "x", Qt::EditRole));
  EXPECT_EQ(rows->FieldByName("NAME").AsString(), "row 1");
}

TEST(DatasetTableModel, AValueTheFieldRefusesIsReportedAndNothingChanges) {
  auto rows = MakeRows(2);
  TDataSource source(rows.get());
  DatasetTableModel model;
  model.SetDataSource(&source);
  platform::testing::ScriptedUserDialogs dialogs;
  dialogs.AnswerMessage(platform::DialogButton::kOk);
  EXPECT_FALSE(model.setData(model.index(1, 2), "not a number", Qt::EditRole));
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts()[0],
            "'not a number' is not a valid floating point value for field 'SCORE'");
  EXPECT_EQ(rows->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Cell(model, 1, 2), "0.5");
  EXPECT_TRUE(model.setData(model.index(1, 2), "2.75", Qt::EditRole));
  EXPECT_DOUBLE_EQ(rows->FieldByName("SCORE").AsFloat(), 2.75);
}

TEST(DatasetNavigator, ButtonsFollowTheStateAndDriveTheDataset) {
  auto rows = MakeRows(3);
  TDataSource source(rows.get());
  DatasetNavigator navigator;
  navigator.SetDataSource(&source);
  auto enabled = [&](DatasetNavigator::Button button) {
    return navigator.ButtonAt(button)->isEnabled();
  };
  EXPECT_FALSE(enabled(DatasetNavigator::nbFirst));
  EXPECT_FALSE(enabled(DatasetNavigator::nbPrior));
  EXPECT_TRUE(enabled(DatasetNavigator::nbNext));
  EXPECT_TRUE(enabled(DatasetNavigator::nbEdit));
  EXPECT_FALSE(enabled(DatasetNavigator::nbPost));

  QTest::mouseClick(navigator.ButtonAt(DatasetNavigator::nbLast), Qt::LeftButton);
  EXPECT_EQ(rows->FieldByName("ID").AsInteger(), 3);
  EXPECT_FALSE(enabled(DatasetNavigator::nbNext));
  EXPECT_TRUE(enabled(DatasetNavigator::nbPrior));

  navigator.Click(DatasetNavigator::nbEdit);
  EXPECT_EQ(rows->State(), TDataSetState::dsEdit);
  EXPECT_TRUE(enabled(DatasetNavigator::nbPost));
  EXPECT_TRUE(enabled(DatasetNavigator::nbCancel));
  EXPECT_FALSE(enabled(DatasetNavigator::nbEdit));
  EXPECT_FALSE(enabled(DatasetNavigator::nbRefresh));
  rows->FieldByName("NAME").SetAsString("via navigator");
  navigator.Click(DatasetNavigator::nbPost);
  EXPECT_EQ(rows->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(rows->FieldByName("NAME").AsString(), "via navigator");

  platform::testing::ScriptedUserDialogs dialogs;
  dialogs.AnswerMessage(platform::DialogButton::kNo);
  navigator.Click(DatasetNavigator::nbDelete);
  EXPECT_EQ(rows->RecordCount(), 3);
  dialogs.AnswerMessage(platform::DialogButton::kYes);
  navigator.Click(DatasetNavigator::nbDelete);
  EXPECT_EQ(rows->RecordCount(), 2);
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"Delete record?", "Delete record?"}));

  // An insert without the required ID cannot be posted: the error is shown.
  navigator.Click(DatasetNavigator::nbInsert);
  dialogs.AnswerMessage(platform::DialogButton::kOk);
  navigator.Click(DatasetNavigator::nbPost);
  EXPECT_EQ(dialogs.MessageTexts().back(), "Field 'ID' must have a value");
  EXPECT_EQ(rows->State(), TDataSetState::dsInsert);
  navigator.Click(DatasetNavigator::nbCancel);
  EXPECT_EQ(rows->RecordCount(), 2);

  rows->SetReadOnly(true);
  navigator.Click(DatasetNavigator::nbRefresh);
  for (auto button :
       {DatasetNavigator::nbInsert, DatasetNavigator::nbDelete, DatasetNavigator::nbEdit}) {
    EXPECT_FALSE(enabled(button));
  }
  rows->Close();
  EXPECT_FALSE(enabled(DatasetNavigator::nbRefresh));
  EXPECT_FALSE(enabled(DatasetNavigator::nbLast));
}

}  // namespace
}  // namespace dataset::qt
