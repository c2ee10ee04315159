// The tree's object commands against the test server.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include <QtTest/QTest>

#include "app/core/table_dump.h"
#include "app/window/data_editor.h"
#include "app/window/tests/main_window_fixture.h"
#include "platform/qt/qt_text.h"
#include "platform/testing/temp_directory.h"

namespace app::testing {
namespace {

using platform::DialogButton;
using Rows = std::vector<std::vector<std::string>>;

using platform::qt::StdText;

class MainWindowTree : public MainWindowTest {
 protected:
  TFormBrindle& StartConnected() {
    Run("create table people (id int primary key, name varchar(20), born date,"
        " key name_born (name, born))");
    Run("insert into people values (1, 'Ann', '1990-01-02'), (2, 'Bob', NULL)");
    TFormBrindle& window = Start();
    ConnectToTestServer();
    return window;
  }
  QTreeWidgetItem* DatabaseNode(const std::string& name) {
    QTreeWidgetItem* root = window_->TreeView->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) {
      if (StdText(root->child(i)->text(0)) == name)
        return root->child(i);
    }
    return nullptr;
  }
  QTreeWidgetItem* TableNode(const std::string& table) {
    QTreeWidgetItem* database = DatabaseNode(database_);
    if (database == nullptr)
      return nullptr;
    database->setExpanded(true);
    for (int i = 0; i < database->childCount(); ++i) {
      if (StdText(database->child(i)->text(0)) == table)
        return database->child(i);
    }
    return nullptr;
  }
  // A right click remembers the node and opens the pop-up menu.
  void RightClick(QTreeWidgetItem* node) {
    ASSERT_NE(node, nullptr);
    window_->TreeView->scrollToItem(node);
    const QRect rect = window_->TreeView->visualItemRect(node);
    QTest::mousePress(window_->TreeView->viewport(), Qt::RightButton, {}, rect.center());
    QApplication::processEvents();
    window_->PopupTree->hide();
  }
  bool Enabled(const char* action) { return window_->findChild<QAction*>(action)->isEnabled(); }
  std::string Log() { return StdText(window_->MemoMessages->toPlainText()); }
  // A table of the common types with NULLs and texts that need escaping.
  void FillKinds() {
    Run("create table kinds (id int primary key, i int, big bigint, d double, dec_ decimal(10,2),"
        " dt datetime, da date, tm time, vc varchar(40), ch char(5), key vc_i (vc, i))");
    Run("insert into kinds values"
        " (1, -7, 1099511627776, 0.1, 12.34, '2003-05-17 13:45:30', '1850-03-17', '13:45:30',"
        "  'O''Brien \\\\ C:\\\\x;y', 'ab'),"
        " (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        " (3, 0, 0, -2.5e300, 0, '1900-01-01 00:00:00', '2000-02-29', '00:00:01',"
        "  'line\nbreak; \"quoted\" Ärvíztűrő', '')");
  }
};

TEST_F(MainWindowTree, CreateAndDropADatabase) {
  TFormBrindle& window = StartConnected();
  const std::string name = database_ + "_new";
  dialogs_->AnswerInput(name);
  Trigger("Create1");
  EXPECT_EQ(Query("show databases like '" + name + "'"), (Rows{{name}}));
  EXPECT_NE(DatabaseNode(name), nullptr);
  EXPECT_NE(Log().find(name + " Database created"), std::string::npos);

  // Cancel on the input box answers with the proposed name; No drops nothing.
  window.CBDatabase->setCurrentText(QString::fromStdString(name));
  dialogs_->CancelInput();
  dialogs_->AnswerMessage(DialogButton::kNo);
  Trigger("Drop1");
  EXPECT_EQ(dialogs_->MessageTexts().back(), "Drop the " + name + " database?");
  EXPECT_EQ(Query("show databases like '" + name + "'"), (Rows{{name}}));
  dialogs_->AnswerInput(name);
  dialogs_->AnswerMessage(DialogButton::kYes);
  Trigger("Drop1");
  EXPECT_TRUE(Query("show databases like '" + name + "'").empty());
  EXPECT_EQ(DatabaseNode(name), nullptr);
  EXPECT_NE(Log().find(name + " database droped"), std::string::npos);
}

TEST_F(MainWindowTree, PopupItemsFollowTheLevelOfTheRememberedNode) {
  Run("create table plain (n int)");
  StartConnected();
  QTreeWidgetItem* plain = TableNode("plain");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->childCount(), 1);  // the placeholder
  plain->setExpanded(true);
  EXPECT_EQ(plain->childCount(), 0) << "a table without indexes has no index entries";
  RightClick(DatabaseNode(database_));
  EXPECT_TRUE(Enabled("Dropdatabase1"));
  EXPECT_FALSE(Enabled("Droptable1"));
  EXPECT_TRUE(Enabled("Export2"));
  QTreeWidgetItem* table = TableNode("people");
  RightClick(table);
  EXPECT_FALSE(Enabled("Dropdatabase1"));
  EXPECT_TRUE(Enabled("Droptable1"));
  EXPECT_TRUE(Enabled("Showtablestructure1"));
  EXPECT_FALSE(Enabled("Dropindex1"));
  table->setExpanded(true);
  ASSERT_EQ(table->childCount(), 2);
  RightClick(table->child(1));
  EXPECT_TRUE(Enabled("Dropindex1"));
  EXPECT_FALSE(table->child(1)->icon(0).isNull());
  EXPECT_FALSE(table->icon(0).isNull());
  EXPECT_FALSE(Enabled("Droptable1"));
  EXPECT_TRUE(Enabled("Reindextable1"));
}

TEST_F(MainWindowTree, TheDataEditorChangesARowThroughTheTableComponent) {
  TFormBrindle& window = StartConnected();
  window.CBDatabase->setCurrentText(QString::fromStdString(database_));
  RightClick(TableNode("people"));
  std::string caption;
  std::vector<QString> firstColumnAfterOrdering;
  QTimer::singleShot(0, [&] {
    TFormdataEditor& editor = *window.FormdataEditor;
    caption = StdText(editor.windowTitle());
    QAbstractItemModel* model = editor.DBGrid1->model();
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_TRUE(model->setData(model->index(1, 1), "Bobby", Qt::EditRole));
    // Ordering by the second title re-reads the table by name, descending ids.
    QHeaderView* header = editor.DBGrid1->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, 5));
    EXPECT_EQ(editor.Table1.IndexFields(), "2");
    for (int row = 0; row < model->rowCount(); ++row) {
      firstColumnAfterOrdering.push_back(model->data(model->index(row, 1)).toString());
    }
    EXPECT_EQ(model->headerData(1, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
              QColor(255, 0, 0));
    editor.accept();
  });
  Trigger("EditTable1");
  EXPECT_EQ(caption, "Edit Table " + database_ + ".people");
  EXPECT_EQ(Query("select name from people where id = 2"), (Rows{{"Bobby"}}));
  EXPECT_EQ(firstColumnAfterOrdering, (std::vector<QString>{"Ann", "Bobby"}));
  EXPECT_FALSE(window.FormdataEditor->Table1.Active());
  EXPECT_NE(Log().find("Edit table people"), std::string::npos);
}

TEST_F(MainWindowTree, TableStructureAndReindexScript) {
  TFormBrindle& window = StartConnected();
  RightClick(TableNode("people"));
  Trigger("Showtablestructure1");
  const std::string log = Log();
  const std::vector<std::string> expected = {"-------------Show table structure -------------",
                                             "CREATE TABLE people (",
                                             "id                               SMALLINT,",
                                             "name                             CHAR(80),",
                                             "born                             DATE",
                                             ");",
                                             "CREATE INDEX PRIMARY  ON people (id);",
                                             "CREATE INDEX name_born  ON people (name,born);",
                                             "-----------------------------------------------"};
  std::string joined;
  for (const std::string& line : expected)
    joined += line + "\n";
  EXPECT_NE((log + "\n").find(joined), std::string::npos) << log;
  EXPECT_FALSE(std::filesystem::exists(window.ProgramDirectory() + "_TMP.SQL"));

  platform::testing::TempDirectory directory;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(directory.Path());
  Trigger("Reindextable1");
  std::filesystem::current_path(previous);
  EXPECT_EQ(platform::testing::ReadFileBytes(directory.File("_WORK.SQL")),
            "DROP INDEX PRIMARY ;\r\nCREATE INDEX PRIMARY  ON people (id);\r\n"
            "DROP INDEX name_born ;\r\nCREATE INDEX name_born  ON people (name,born);\r\n");
}

TEST_F(MainWindowTree, ViewEmptyAndDropATableAndDropAnIndex) {
  TFormBrindle& window = StartConnected();
  QTreeWidgetItem* table = TableNode("people");
  RightClick(table);
  Trigger("Viewdata1");
  EXPECT_TRUE(window.DBGrid->isVisible());
  EXPECT_EQ(StdText(window.EditRowNo->text()), "2");
  EXPECT_NE(Log().find("View data people"), std::string::npos);

  table->setExpanded(true);
  RightClick(table->child(1));
  dialogs_->AnswerMessage(DialogButton::kYes);
  Trigger("Dropindex1");
  EXPECT_EQ(dialogs_->MessageTexts().back(), "Delete the name_born index ?");
  EXPECT_EQ(Query("select count(*) from information_schema.statistics where table_schema = '" +
                  database_ + "' and index_name = 'name_born'"),
            (Rows{{"0"}}));

  RightClick(TableNode("people"));
  dialogs_->AnswerMessage(DialogButton::kYes);
  Trigger("Emtytable1");
  EXPECT_EQ(dialogs_->MessageTexts().back(), "Delete all rows from people table ?");
  EXPECT_EQ(Query("select count(*) from people"), (Rows{{"0"}}));

  RightClick(TableNode("people"));
  dialogs_->AnswerMessage(DialogButton::kNo);
  Trigger("Droptable1");
  EXPECT_EQ(Query("show tables"), (Rows{{"people"}}));
  RightClick(TableNode("people"));
  dialogs_->AnswerMessage(DialogButton::kYes);
  Trigger("Droptable1");
  EXPECT_TRUE(Query("show tables").empty());
  EXPECT_NE(Log().find("people Table droped"), std::string::npos);
}

TEST_F(MainWindowTree, ADatabaseDumpRestoresEveryRowAndLoadsWithTheClient) {
  Run("create table other (n int)");
  Run("insert into other values (1), (2)");
  FillKinds();
  TFormBrindle& window = StartConnected();
  platform::testing::TempDirectory directory;
  const std::string dump = directory.File("dump.sql");
  window.CBDatabase->setCurrentText(QString::fromStdString(database_));
  RightClick(DatabaseNode(database_));
  dialogs_->AnswerSaveFile(dump);
  Trigger("Export2");
  const std::string text = platform::testing::ReadFileBytes(dump);
  EXPECT_EQ(text.rfind("/*  Database dump " + database_ + " ", 0), 0u) << text;
  EXPECT_NE(text.find("DROP TABLE IF EXISTS kinds;\r\n"), std::string::npos);
  EXPECT_NE(text.find("ALTER TABLE kinds ADD PRIMARY KEY (id);"), std::string::npos);
  EXPECT_NE(text.find("NULL,NULL"), std::string::npos) << "NULLs are written as NULL";

  const std::string copy = database_ + "_c";
  Run("create database " + copy + " character set utf8mb4");
  window.CBDatabase->setCurrentText(QString::fromStdString(copy));
  RightClick(DatabaseNode(database_));
  dialogs_->AnswerOpenFile(dump);
  Trigger("Import2");
  for (const char* table : {"kinds", "other"}) {
    const std::string order = std::string(table) == "kinds" ? " order by id" : " order by n";
    EXPECT_EQ(Query("select * from " + copy + "." + table + order),
              Query("select * from " + database_ + "." + table + order))
        << table;
  }
  EXPECT_EQ(Query("show create table " + copy + ".kinds")[0][1],
            Query("show create table " + database_ + ".kinds")[0][1]);

  // The same dump loads with the command-line client.
  const std::string client = database_ + "_m";
  Run("create database " + client + " character set utf8mb4");
  const std::string command = "mariadb --no-defaults --default-character-set=utf8mb4 -h " +
                              server_.host + " -P " + server_.port + " -u " + server_.user + " -p" +
                              server_.password + " " + client + " < " + dump;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(Query("select * from " + client + ".kinds order by id"),
            Query("select * from " + database_ + ".kinds order by id"));
  Run("drop database " + copy);
  Run("drop database " + client);
}

TEST_F(MainWindowTree, AMysqldumpFileImportsIntoADatabase) {
  Run("create table other (n int)");
  Run("insert into other values (1), (2)");
  FillKinds();
  platform::testing::TempDirectory directory;
  const std::string dump = directory.File("mysqldump.sql");
  const std::string command = "mariadb-dump --no-defaults --default-character-set=utf8mb4 -h " +
                              server_.host + " -P " + server_.port + " -u " + server_.user + " -p" +
                              server_.password + " " + database_ + " > " + dump;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::string text = platform::testing::ReadFileBytes(dump);
  ASSERT_NE(text.find("/*!40101"), std::string::npos);
  ASSERT_NE(text.find("LOCK TABLES"), std::string::npos);

  TFormBrindle& window = StartConnected();
  const std::string copy = database_ + "_d";
  Run("create database " + copy + " character set utf8mb4");
  window.CBDatabase->setCurrentText(QString::fromStdString(copy));
  RightClick(DatabaseNode(database_));
  dialogs_->AnswerOpenFile(dump);
  Trigger("Import2");
  EXPECT_TRUE(dialogs_->MessageTexts().empty()) << dialogs_->MessageTexts().front();
  for (const char* table : {"kinds", "other"}) {
    EXPECT_EQ(Query("checksum table " + copy + "." + table)[0][1],
              Query("checksum table " + database_ + "." + table)[0][1])
        << table;
  }
  EXPECT_EQ(Query("select count(*) from " + copy + ".kinds"), (Rows{{"3"}}));
  Run("drop database " + copy);
}

TEST_F(MainWindowTree, CancellingADumpOrABatchRunKeepsWhatWasDone) {
  Run("create table many (id int)");
  Run("insert into many select seq from seq_1_to_2500");
  uniaccess::TUniSQLDatabase connection;
  Configure(connection);
  connection.SetConnected(true);
  uniaccess::TUniSQLTable table;
  table.SetDatabase(&connection);
  table.SetTablename("many");
  table.SetIndexFields("id");
  table.Open();
  platform::testing::TempDirectory directory;
  const std::string path = directory.File("part.sql");
  std::vector<int> reported;
  {
    platform::SharedTextFile file(path, platform::TextFileMode::kRewrite);
    EXPECT_THROW(WriteTableDump(file, table, database_,
                                [&](int rows) {
                                  reported.push_back(rows);
                                  return rows < 2000;
                                }),
                 DumpCancelled);
  }
  EXPECT_EQ(reported, (std::vector<int>{1000, 2000}));
  const std::string text = platform::testing::ReadFileBytes(path);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 + 3 + 2000) << "header, table, rows";
  EXPECT_NE(text.find("INSERT INTO many VALUES(2000);"), std::string::npos);
  table.Close();

  Run("drop table many");
  uniaccess::TUniSQLQuery query;
  query.SetDatabase(&connection);
  platform::SharedTextFile file(path, platform::TextFileMode::kReset);
  EXPECT_THROW(RunBatch(file, query, [](int statements) { return statements < 500; }),
               DumpCancelled);
  file.Close();
  EXPECT_EQ(Query("select count(*) from many"), (Rows{{"498"}})) << "drop, create, 498 inserts";
  connection.SetConnected(false);
}

TEST_F(MainWindowTree, ATableGoesToCsvXmlAndSqlFilesAndComesBack) {
  FillKinds();
  TFormBrindle& window = StartConnected();
  window.CBDatabase->setCurrentText(QString::fromStdString(database_));
  platform::testing::TempDirectory directory;
  for (const char* name : {"kinds.csv", "kinds.xml", "kinds.sql"}) {
    SCOPED_TRACE(name);
    const std::string file = directory.File(name);
    const bool sql = std::string(name).ends_with(".sql");
    RightClick(TableNode("kinds"));
    dialogs_->AnswerSaveFile(file);
    if (!sql)
      dialogs_->AnswerMessage(DialogButton::kOk);  // the export's report
    Trigger("Export2");
    EXPECT_NE(Log().find("Export table data kinds --> " + file), std::string::npos);

    Run("drop table if exists back");
    Run("create table back like kinds");
    window.Commands().tree.RebuildTree();
    window.CBDatabase->setCurrentText(QString::fromStdString(database_));
    RightClick(TableNode("back"));
    dialogs_->AnswerOpenFile(file);
    if (sql) {
      // A table's SQL file runs as it is: it re-creates and fills kinds.
      Run("drop table kinds");
    } else {
      dialogs_->AnswerMessage(DialogButton::kOk);  // the import's report
    }
    Trigger("Import2");
    const std::string target = sql ? "kinds" : "back";
    EXPECT_EQ(Query("select * from " + target + " order by id"),
              (Rows{{"1", "-7", "1099511627776", "0.1", "12.34", "2003-05-17 13:45:30",
                     "1850-03-17", "13:45:30", "O'Brien \\ C:\\x;y", "ab"},
                    {"2", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL", "NULL"},
                    {"3", "0", "0", "-2.5e300", "0.00", "1900-01-01 00:00:00", "2000-02-29",
                     "00:00:01", "line\nbreak; \"quoted\" Ärvíztűrő", ""}}));
  }
}

}  // namespace
}  // namespace app::testing
