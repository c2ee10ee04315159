#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#include <QtTest/QTest>

#include "app/window/connect_panel.h"
#include "app/window/tests/main_window_fixture.h"
#include "platform/qt/qt_text.h"
#include "platform/testing/temp_directory.h"
#include "uniaccess/sql_mode.h"

namespace app::testing {
namespace {

using platform::DialogButton;

using platform::qt::StdText;

using MainWindow = MainWindowTest;

TEST_F(MainWindow, AFreshStartShowsTheConnectionPanelWithLocalDefaults) {
  TFormBrindle& window = Start();
  EXPECT_EQ(StdText(window.windowTitle()), "Brindle");
  TConnectPanel& panel = *window.PanelConnect;
  EXPECT_TRUE(panel.isVisible());
  EXPECT_FALSE(window.MemoSQL->isEnabled());
  EXPECT_FALSE(window.TreeView->isEnabled());
  EXPECT_EQ(StdText(panel.EditSQLSrvDesc->text()), "Local MySQL");
  EXPECT_EQ(StdText(panel.EditSQLsrvHost->text()), "LocalHost");
  EXPECT_EQ(StdText(panel.EditSQLsrvPort->text()), "3306");
  EXPECT_EQ(StdText(panel.EditSQLsrvUser->text()), "root");
  EXPECT_FALSE(panel.BtnDelete->isEnabled());
  EXPECT_FALSE(panel.EditSQLsrvpath->isEnabled());
  for (QAction* item : window.menuBar()->actions()) {
    const std::string name = StdText(item->objectName());
    EXPECT_EQ(item->isEnabled(), name == "Help1" || name == "Exit2") << name;
  }
  ASSERT_EQ(window.TreeView->topLevelItemCount(), 1);
  EXPECT_EQ(StdText(window.TreeView->topLevelItem(0)->text(0)), "root");
  EXPECT_EQ(StdText(window.MemoSQL->toPlainText()), "select * from sysdatabases");
  EXPECT_EQ(window.PCBottom->currentIndex(), 1);
  EXPECT_FALSE(window.DBGrid->isVisible());

  // Save without a profile writes only the end mark.
  Click(panel.BtnSave);
  EXPECT_EQ(ReadIni(), "[SRVS]\r\nSRV0=@\r\n\r\n");
}

TEST_F(MainWindow, ProfilesAreSavedWithoutPasswordsAndDeleted) {
  TFormBrindle& window = Start();
  TConnectPanel& panel = *window.PanelConnect;
  Click(panel.BtnNew);
  EXPECT_EQ(StdText(panel.CBSQLservers->currentText()), "New Connection");
  EXPECT_TRUE(panel.BtnDelete->isEnabled());
  EXPECT_EQ(StdText(panel.EditSQLsrvPort->text()), "3306");

  // Empty and quoted descriptions are refused and nothing is written.
  dialogs_->AnswerMessage(DialogButton::kOk);
  dialogs_->AnswerMessage(DialogButton::kOk);
  panel.EditSQLSrvDesc->setText("   ");
  Click(panel.BtnSave);
  panel.EditSQLSrvDesc->setText("a \"quoted\" name");
  Click(panel.BtnSave);
  EXPECT_EQ(dialogs_->MessageTexts(),
            (std::vector<std::string>{"Must write description!", "No use \"  in description!"}));
  EXPECT_FALSE(std::filesystem::exists(IniPath()));

  panel.EditSQLSrvDesc->setText("Test, with comma");
  panel.EditSQLsrvHost->setText("db.example");
  panel.EditSQLsrvUser->setText("admin");
  panel.EditSQLsrvPsw->setText("TopSecret-123");
  Click(panel.BtnSave);
  EXPECT_EQ(ReadIni(),
            "[SRVS]\r\nSRV0=\"Test, with comma\",0,\"db.example\",\"3306\",\"admin\",,\"\",\r\n"
            "SRV1=@\r\n\r\n");
  EXPECT_EQ(StdText(panel.CBSQLservers->currentText()), "Test, with comma");
  EXPECT_EQ(ReadIni().find("TopSecret"), std::string::npos);

  Click(panel.BtnNew);
  panel.EditSQLSrvDesc->setText("Second");
  panel.CBSQLsrvMode->setCurrentIndex(9);
  panel.EditSQLsrvpath->setText("/data/kestrel");
  Click(panel.BtnSave);
  EXPECT_NE(ReadIni().find("SRV1=\"Second\",9,\"\",\"3306\",\"\",,\"/data/kestrel\",\r\nSRV2=@"),
            std::string::npos);

  // Deleting selects the first profile; deleting all leaves the end mark.
  Click(panel.BtnDelete);
  EXPECT_EQ(StdText(panel.CBSQLservers->currentText()), "Test, with comma");
  Click(panel.BtnDelete);
  EXPECT_EQ(panel.CBSQLservers->count(), 0);
  EXPECT_EQ(StdText(panel.EditSQLSrvDesc->text()), "Local MySQL");
  EXPECT_NE(ReadIni().find("SRV0=@\r\n"), std::string::npos);
  EXPECT_EQ(ReadIni().find("TopSecret"), std::string::npos);
}

TEST_F(MainWindow, ConnectingListsTheServersDatabases) {
  TFormBrindle& window = Start();
  ConnectToTestServer();
  EXPECT_FALSE(window.PanelConnect->isVisible());
  EXPECT_TRUE(window.MemoSQL->isEnabled());
  QTreeWidgetItem* root = window.TreeView->topLevelItem(0);
  QStringList databases;
  for (int i = 0; i < root->childCount(); ++i) {
    databases << root->child(i)->text(0);
    EXPECT_EQ(StdText(root->child(i)->child(0)->text(0)), "Table");  // the placeholder
  }
  EXPECT_TRUE(databases.contains(QString::fromStdString(database_)));
  EXPECT_TRUE(databases.contains("mysql"));
  EXPECT_EQ(window.CBDatabase->count(), root->childCount());
  EXPECT_EQ(window.CBDatabase->currentIndex(), 0);
  EXPECT_NE(StdText(window.MemoMessages->toPlainText()).find("Database \"tre\" refresh"),
            std::string::npos);
  EXPECT_NE(ReadIni().find("SRVI=-1"), std::string::npos);

  // Expanding a database lists its tables, expanding a table its indexes.
  Run("CREATE TABLE people (id INT PRIMARY KEY, a INT, b INT, KEY ab (a, b))");
  for (int i = 0; i < root->childCount(); ++i) {
    if (StdText(root->child(i)->text(0)) == database_) {
      QTreeWidgetItem* databaseNode = root->child(i);
      databaseNode->setExpanded(true);
      ASSERT_EQ(databaseNode->childCount(), 1);
      QTreeWidgetItem* table = databaseNode->child(0);
      EXPECT_EQ(StdText(table->text(0)), "people");
      EXPECT_EQ(StdText(window.CBDatabase->currentText()), database_);
      table->setExpanded(true);
      ASSERT_EQ(table->childCount(), 2);
      EXPECT_EQ(StdText(table->child(0)->text(0)), "PRIMARY (id)");
      EXPECT_EQ(StdText(table->child(1)->text(0)), "ab (a,b)");
    }
  }
}

TEST_F(MainWindow, SettingsAreWrittenAtCloseAndReadAtTheNextStart) {
  platform::testing::WriteFileBytes(IniPath(), "[INI]\r\nTREEX=3\r\nSQLMOD=0\r\nFONTSIZE1=12\r\n");
  {
    TFormBrindle& window = Start();
    EXPECT_EQ(window.MemoSQL->font().pointSize(), 12);
    EXPECT_EQ(window.TreeView->width(), 10);  // raised to 10
    Stop();
  }
  const std::string ini = ReadIni();
  // Keys already in the file keep their places; the others follow in order.
  const char* order[] = {"TREEX=",     "SQLMOD=0",   "FONTSIZE1=12", "OUTDIR=",
                         "SQLDIR=",    "PCBottomY=", "LANGUAGENO=0", "LANGUAGES=English,Hungarian",
                         "FONTNAME1=", "FONTNAME2=", "FONTNAME3=",   "FONTSIZE2=",
                         "FONTSIZE3=", "[HLPS]",     "MYSQL=",       "IB=@",
                         "BDE=@",      "KESTREL=",   "MSDE="};
  std::size_t position = 0;
  for (const char* key : order) {
    const std::size_t found = ini.find(key, position);
    ASSERT_NE(found, std::string::npos) << key << " in\n" << ini;
    position = found;
  }
  EXPECT_NE(ini.find("TREEX=10\r\n"), std::string::npos) << ini;
  // A second start and close leaves the file as it is.
  Start();
  Stop();
  EXPECT_EQ(ReadIni(), ini);
}

TEST_F(MainWindow, CommandLineValuesReachBothConnectionsAsTyped) {
  TFormBrindle& window =
      Start("/db:Shop /HOST:Srv1 /user:Admin /PSW:MixedCase /port:3307 /SQLMOD:12");
  for (uniaccess::TUniSQLDatabase* database :
       {&window.Components().DB1, &window.Components().DB2}) {
    EXPECT_EQ(database->Databasename(), "Shop");
    EXPECT_EQ(database->Host(), "Srv1");
    EXPECT_EQ(database->User(), "Admin");
    EXPECT_EQ(database->password(), "MixedCase");
    EXPECT_EQ(database->Port(), "3307");
  }
  EXPECT_EQ(uniaccess::GlobalSqlModeState().sqlMode, 1);
  EXPECT_EQ(window.CBSQLmode->currentIndex(), 1);
  uniaccess::GlobalSqlModeState().sqlMode = 0;
}

TEST_F(MainWindow, TheLogKeepsTheLast200Lines) {
  TFormBrindle& window = Start();
  for (int i = 1; i <= 250; ++i) {
    window.Host().AddLogLine("line " + std::to_string(i));
  }
  const QStringList lines = window.MemoMessages->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 200);
  EXPECT_EQ(StdText(lines.first()), "line 51");
  EXPECT_EQ(StdText(lines.last()), "line 250");
  const int length = static_cast<int>(window.MemoMessages->toPlainText().size());
  EXPECT_EQ(window.MemoMessages->textCursor().position(), length - 5);
}

TEST_F(MainWindow, ScreenshotShowsTheLayout) {
  TFormBrindle& window = Start();
  ConnectToTestServer();
  window.Host().AddLogLine("Brindle started");
  const std::string path = std::string(BRINDLE_SCREENSHOT_DIR) + "/main_window.png";
  ASSERT_TRUE(window.grab().save(QString::fromStdString(path)));
  EXPECT_GT(std::filesystem::file_size(path), 1000u);
}

}  // namespace
}  // namespace app::testing
