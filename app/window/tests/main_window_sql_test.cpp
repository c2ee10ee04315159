// Running SQL from the main window against the test server: the last
// statement, the whole text, the result grid and its commands, batch files.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>

#include <QtTest/QTest>

#include "app/window/tests/main_window_fixture.h"
#include "dataset/qt/dataset_table_model.h"
#include "platform/qt/qt_text.h"
#include "platform/testing/temp_directory.h"

namespace app::testing {
namespace {

using platform::DialogButton;
using Rows = std::vector<std::vector<std::string>>;

using platform::qt::StdText;

class MainWindowSql : public MainWindowTest {
 protected:
  TFormBrindle& StartConnected() {
    TFormBrindle& window = Start();
    ConnectToTestServer();
    window.CBDatabase->setCurrentText(QString::fromStdString(database_));
    Run("create table t (id int, name varchar(10))");
    Run("insert into t values (1, 'b'), (2, 'a'), (3, 'c')");
    return window;
  }
  std::string LastLogLine() {
    const QStringList lines = window_->MemoMessages->toPlainText().split('\n');
    return StdText(lines.last());
  }
  void ClickTitle(int column) {
    QHeaderView* header = window_->DBGrid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, 5));
    QApplication::processEvents();
  }
  QString Cell(int row, int column) {
    QAbstractItemModel* model = window_->DBGrid->model();
    return model->data(model->index(row, column)).toString();
  }
};

TEST_F(MainWindowSql, RunLastSqlRunsOnlyTheLastStatementAndTerminatesTheEditor) {
  TFormBrindle& window = StartConnected();
  window.MemoSQL->setPlainText("update t set name = 'x';\nselect id, name from t order by id;  ");
  Trigger("RunLastSQL1");
  EXPECT_EQ(Query("select count(*) from t where name = 'x'"), (Rows{{"0"}}));
  EXPECT_TRUE(window.DBGrid->isVisible());
  EXPECT_EQ(window.PCBottom->currentIndex(), 0);
  EXPECT_EQ(StdText(window.EditRowNo->text()), "3");
  EXPECT_EQ(LastLogLine(), "query opened");
  EXPECT_EQ(Cell(0, 1), "b");
  EXPECT_EQ(StdText(window.MemoSQL->toPlainText()),
            "update t set name = 'x';\nselect id, name from t order by id;\n");

  // A statement typed after the terminator becomes the last one; F3 runs it.
  window.MemoSQL->moveCursor(QTextCursor::End);
  QTest::keyClicks(window.MemoSQL, "update t set name = 'y' where id = 3");
  QTest::keyClick(window.MemoSQL, Qt::Key_F3);
  QApplication::processEvents();
  EXPECT_EQ(Query("select name from t where id = 3"), (Rows{{"y"}}));
  EXPECT_FALSE(window.DBGrid->isVisible());
  EXPECT_EQ(LastLogLine(), "SQL executed.");
  EXPECT_TRUE(StdText(window.MemoSQL->toPlainText()).ends_with("where id = 3;\n"));
}

TEST_F(MainWindowSql, RunAllSqlExecutesTheWholeTextAndLogsIt) {
  TFormBrindle& window = StartConnected();
  const std::string text =
      "-- update the names\nupdate t set name = 'z' where id = 1;\ninsert into t values (4, 'd;e')";
  window.MemoSQL->setPlainText(QString::fromStdString(text));
  Trigger("RunAllSQL1");
  EXPECT_EQ(Query("select id, name from t where id in (1, 4) order by id"),
            (Rows{{"1", "z"}, {"4", "d;e"}}));
  EXPECT_EQ(LastLogLine(), "SQL executed.");
  EXPECT_EQ(StdText(window.MemoSQL->toPlainText()), text);  // unchanged

  // A comment mentioning update does not turn a SELECT into a statement.
  window.MemoSQL->setPlainText("-- update nothing\nselect * from t");
  Trigger("RunAllSQL1");
  EXPECT_TRUE(window.DBGrid->isVisible());
  EXPECT_EQ(StdText(window.EditRowNo->text()), "4");
}

TEST_F(MainWindowSql, AFailingStatementShowsTheServersTextAndLogsSqlError) {
  TFormBrindle& window = StartConnected();
  dialogs_->AnswerMessage(DialogButton::kOk);
  window.MemoSQL->setPlainText("select * from no_such_table");
  Trigger("RunAllSQL1");
  ASSERT_FALSE(dialogs_->MessageTexts().empty());
  EXPECT_EQ(dialogs_->MessageTexts().back().rfind("MySQL Error /", 0), 0u);
  EXPECT_EQ(LastLogLine(), "SQL ERROR");
  EXPECT_FALSE(window.DBGrid->isVisible());

  dialogs_->AnswerMessage(DialogButton::kOk);
  window.MemoSQL->setPlainText("delete from no_such_table");
  Trigger("RunAllSQL1");
  EXPECT_EQ(LastLogLine(), "SQL ERROR");
}

TEST_F(MainWindowSql, OrderingByTitlesKeepsOneOrderByAndMarksTheColumnRed) {
  TFormBrindle& window = StartConnected();
  window.MemoSQL->setPlainText("select id, name from t");
  Trigger("RunAllSQL1");
  ClickTitle(1);
  EXPECT_EQ(Cell(0, 1), "a");
  ClickTitle(0);
  EXPECT_EQ(Cell(0, 0), "1");
  std::string sql;
  for (const std::string& line : window.Components().Q1.SQL())
    sql += line + "\n";
  EXPECT_EQ(sql, "select id, name from t\nORDER BY 1\n");
  auto titleColor = [&](int column) {
    return window.DBGrid->model()->headerData(column, Qt::Horizontal, Qt::ForegroundRole);
  };
  EXPECT_EQ(titleColor(0).value<QColor>(), QColor(255, 0, 0));
  EXPECT_FALSE(titleColor(1).isValid());

  // Refresh keeps the red title; close hides the grid and clears the count.
  Run("insert into t values (5, 'e')");
  Trigger("Refresh1");
  EXPECT_EQ(StdText(window.EditRowNo->text()), "4");
  EXPECT_EQ(titleColor(0).value<QColor>(), QColor(255, 0, 0));
  EXPECT_EQ(LastLogLine(), "Result grid is refresh");
  Trigger("Close1");
  EXPECT_FALSE(window.Components().Q1.Active());
  EXPECT_FALSE(window.DBGrid->isVisible());
  EXPECT_TRUE(window.EditRowNo->text().isEmpty());
  EXPECT_EQ(LastLogLine(), "Query closed");
}

TEST_F(MainWindowSql, RunBatchFileRunsAFileStatementByStatement) {
  TFormBrindle& window = StartConnected();
  platform::testing::TempDirectory directory;
  const std::string path = directory.File("batch.sql");
  platform::testing::WriteFileBytes(path,
                                    "insert into t values (10, 'ten');\r\n"
                                    "insert into t\r\nvalues (11, 'a;b');\r\n"
                                    "update t set name = 'x'\r\nwhere id = 10; \r\n"
                                    "delete from t where id = 1;\r\n");
  window.Components().DB2.SetDatabasename(database_);
  platform::SharedTextFile file(path, platform::TextFileMode::kReset);
  EXPECT_TRUE(window.Commands().sql.RunBatchFile(file).Succeeded());
  EXPECT_EQ(Query("select id, name from t where id >= 10 order by id"),
            (Rows{{"10", "x"}, {"11", "a;b"}}));
}

TEST_F(MainWindowSql, SaveResultWritesTheGridAsCsvOrXmlByTheChosenName) {
  TFormBrindle& window = StartConnected();
  window.MemoSQL->setPlainText("select id, name from t order by id");
  Trigger("RunAllSQL1");
  platform::testing::TempDirectory directory;
  // No extension: the selected filter decides (the second one is CSV).
  dialogs_->AnswerSaveFile(directory.File("result"), 2);
  dialogs_->AnswerMessage(DialogButton::kOk);
  Trigger("SaveResult1");
  const std::string csv = platform::testing::ReadFileBytes(directory.File("result.csv"));
  EXPECT_NE(csv.find("\"b\";"), std::string::npos) << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3) << csv;
  EXPECT_EQ(LastLogLine(), directory.File("result.csv") + "  Result grid saved.");

  dialogs_->AnswerSaveFile(directory.File("grid.XML"), 1);
  dialogs_->AnswerMessage(DialogButton::kOk);
  Trigger("SaveResult1");
  const std::string xml = platform::testing::ReadFileBytes(directory.File("grid.XML"));
  EXPECT_NE(xml.find("UTF-8"), std::string::npos);
  EXPECT_NE(xml.find(">c<"), std::string::npos) << xml;
}

// Runs a "/RUN:" script without showing the window (a short name: the
// scratch database is named after the test and "/DB:" takes 32 characters).
TEST_F(MainWindowSql, RunOption) {
  Run("create table b (id int)");
  platform::testing::TempDirectory directory;
  const std::string good = directory.File("good.sql");
  platform::testing::WriteFileBytes(good, "insert into b values (1);\ninsert into b values (2);\n");
  const std::string options = "/HOST:" + server_.host + " /PORT:" + server_.port +
                              " /USER:" + server_.user + " /PSW:" + server_.password +
                              " /DB:" + database_ + " /SQLMOD:0";
  {
    TFormBrindle& window = Start(options + " /RUN:" + good, false);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.ExitCode(), 0);
    window_.reset();
  }
  EXPECT_EQ(Query("select count(*) from b"), (Rows{{"2"}}));
  EXPECT_FALSE(std::filesystem::exists(IniPath())) << "a batch run writes no settings";

  const std::string bad = directory.File("bad.sql");
  platform::testing::WriteFileBytes(bad, "insert into nowhere values (1);\n");
  dialogs_->AnswerMessage(DialogButton::kOk);  // the server's text
  dialogs_->AnswerMessage(DialogButton::kOk);  // where the run stopped
  {
    TFormBrindle& window = Start(options + " /RUN:" + bad, false);
    EXPECT_NE(window.ExitCode(), 0);
    window_.reset();
  }
  dialogs_->AnswerMessage(DialogButton::kOk);
  {
    TFormBrindle& window = Start(options + " /RUN:" + directory.File("missing.sql"), false);
    EXPECT_NE(window.ExitCode(), 0);
    EXPECT_NE(dialogs_->MessageTexts().back().find("missing.sql"), std::string::npos);
    window_.reset();
  }
}

}  // namespace
}  // namespace app::testing
