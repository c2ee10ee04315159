// Every command of the main window run once with failures injected: file
// dialogs answer with places that cannot be read or written, the remembered
// table no longer exists, the editor holds a statement the server rejects,
// new names are refused, the working folder is gone. The window must stay
// alive and usable and keep the editor's text; a program folder that cannot
// hold the settings is reported at start and at close; a command arriving
// while another runs is refused.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <map>
#include <set>

#include <QtTest/QTest>

#include "app/window/connect_panel.h"
#include "app/window/tests/main_window_fixture.h"
#include "app/window/tree_nodes.h"
#include "platform/qt/qt_text.h"
#include "uniaccess/sql_mode.h"

namespace app::testing {
namespace {

using platform::DialogButton;
using platform::qt::StdText;

// Answers every question the way that leads a command furthest into its
// failure: Yes to confirmations, refused names, unusable file names.
class FailingAnswers : public platform::UserDialogs {
 public:
  explicit FailingAnswers(std::string unusableDirectory)
      : unusable_(std::move(unusableDirectory)), previous_(platform::InstallUserDialogs(this)) {}
  ~FailingAnswers() override { platform::InstallUserDialogs(previous_); }
  FailingAnswers(const FailingAnswers&) = delete;
  FailingAnswers& operator=(const FailingAnswers&) = delete;

  platform::DialogButton ShowMessageBox(const platform::MessageRequest& request) override {
    messages.push_back(request);
    return platform::HasButton(request.buttons, DialogButton::kYes) ? DialogButton::kYes
                                                                    : request.defaultButton;
  }
  std::optional<std::string> InputBox(std::string_view, std::string_view,
                                      std::string_view) override {
    return std::string("no such db!");
  }
  std::optional<platform::FileDialogResult> OpenFileDialog(
      const platform::FileDialogRequest& request) override {
    return platform::FileDialogResult{unusable_ + "/" + Named(request), 1};
  }
  std::optional<platform::FileDialogResult> SaveFileDialog(
      const platform::FileDialogRequest& request) override {
    return platform::FileDialogResult{unusable_ + "/" + Named(request), 1};
  }
  std::optional<platform::FontChoice> FontDialog(const platform::FontChoice&) override {
    return std::nullopt;
  }
  void BeginBusyCursor() override { ++busyDepth; }
  void EndBusyCursor() override { --busyDepth; }
  void ProcessMessages() override {}

  std::vector<platform::MessageRequest> messages;
  int busyDepth = 0;

 private:
  static std::string Named(const platform::FileDialogRequest& request) {
    return request.fileName.empty() ? "file.sql" : request.fileName + ".sql";
  }

  std::string unusable_;
  platform::UserDialogs* previous_;
};

// Closes whatever modal window a command opens (the About box, the data
// editor), so that no command waits for a user.
class ModalCloser {
 public:
  ModalCloser() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
      }
    });
    timer_.start();
  }

 private:
  QTimer timer_;
};

class MainWindowFailures : public MainWindowTest {
 protected:
  // Remembers a table node of the scratch database; a table the server no
  // longer lists gets its node back, as a stale tree would show it.
  void RememberTable(const std::string& table) {
    QTreeWidgetItem* root = window_->TreeView->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) {
      QTreeWidgetItem* database = root->child(i);
      if (database->text(0).toStdString() != database_)
        continue;
      database->setExpanded(true);
      QTreeWidgetItem* node = nullptr;
      for (int j = 0; j < database->childCount(); ++j) {
        if (database->child(j)->text(0).toStdString() == table)
          node = database->child(j);
      }
      if (node == nullptr)
        node = AddTreeNode(database, QString::fromStdString(table), TreeImage::kTable, "Indexes");
      window_->SetRememberedNode(node);
    }
    window_->CBDatabase->setCurrentText(QString::fromStdString(database_));
  }
};

TEST_F(MainWindowFailures, EveryMenuCommandFailsWithoutEndingTheProgramOrTouchingTheEditor) {
  Run("create table gone (id int primary key, name varchar(10))");
  TFormBrindle& window = Start();
  ConnectToTestServer();
  RememberTable("gone");
  ASSERT_NE(window.RememberedNode(), nullptr);
  Run("drop table gone");  // behind the window's back

  platform::testing::WriteFileBytes(programDirectory_.File("blocker"), "a regular file");
  FailingAnswers answers(programDirectory_.File("blocker"));
  const ModalCloser closer;
  const QString typed = "select * from no_such_table;\n";
  window.MemoSQL->setPlainText(typed);

  // The working folder is gone for the reindex script.
  const std::filesystem::path removed = programDirectory_.Path() / "removed";
  std::filesystem::create_directory(removed);
  const platform::testing::ScopedWorkingDirectory here(removed);
  std::filesystem::remove(removed);

  // Each item once; those that change the editor, the panel or the window
  // itself come last.
  std::vector<QAction*> items;
  std::vector<QAction*> last;
  const std::set<QString> atTheEnd = {"ClearSQLeditor1", "ReConnect1", "Exit1", "Exit2"};
  auto collect = [&](const QList<QAction*>& actions) {
    for (QAction* action : actions) {
      if (action->isSeparator() || action->menu() != nullptr || action->objectName().isEmpty())
        continue;
      (atTheEnd.count(action->objectName()) > 0 ? last : items).push_back(action);
    }
  };
  for (QAction* top : window.menuBar()->actions()) {
    collect(top->menu() != nullptr ? top->menu()->actions() : QList<QAction*>{top});
  }
  for (QMenu* popup : {window.PopupSQL, window.PopupGrid, window.PopupTree}) {
    collect(popup->actions());
  }
  std::sort(last.begin(), last.end(), [&](QAction* a, QAction* b) {
    const std::vector<QString> order = {"ClearSQLeditor1", "ReConnect1", "Exit1", "Exit2"};
    return std::find(order.begin(), order.end(), a->objectName()) <
           std::find(order.begin(), order.end(), b->objectName());
  });
  ASSERT_GE(items.size(), 35u);

  // Where these items end: each reaches its failure (or, closing, its work).
  const std::map<QString, std::string> endsWith = {{"SaveResult1", "Not a directory"},
                                                   {"Refresh1", "Result grid refresh failed"},
                                                   {"Close1", "Query closed"},
                                                   {"Dropindex1", "SQL Error"}};
  std::size_t messagesBefore = 0;
  std::vector<std::string> silent;
  for (QAction* item : items) {
    SCOPED_TRACE(item->objectName().toStdString());
    if (window.RememberedNode() == nullptr) {
      RememberTable("gone");  // a rebuilt tree forgot it
    }
    if (item->objectName() == "Dropindex1") {
      RememberTable("gone");
      window.SetRememberedNode(
          AddTreeNode(window.RememberedNode(), "PRIMARY (id)", TreeImage::kIndex));
    }
    if (item->objectName() == "SaveResult1" || item->objectName() == "Refresh1") {
      ASSERT_TRUE(window.Components().Q1.Active()) << "the result items act on a result";
    }
    item->setEnabled(true);
    item->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(window.isVisible()) << "the window is still there";
    EXPECT_EQ(window.MemoSQL->toPlainText(), typed);
    if (answers.messages.size() == messagesBefore) {
      silent.push_back(item->objectName().toStdString());
    }
    EXPECT_EQ(answers.busyDepth, 0) << "the busy cursor ended with the command";
    if (const auto expected = endsWith.find(item->objectName()); expected != endsWith.end()) {
      const std::string logged = StdText(window.MemoMessages->document()->lastBlock().text());
      EXPECT_TRUE(logged.ends_with(expected->second)) << logged;
    }
    messagesBefore = answers.messages.size();
  }
  // Toolbar buttons and the F3 key go through the same guard.
  for (const char* name : {"SBOpen", "SBSave", "SBPrint", "SBHelp", "BtnRun"}) {
    SCOPED_TRACE(name);
    auto* button = window.findChild<QAbstractButton*>(name);
    ASSERT_NE(button, nullptr);
    button->click();
    QApplication::processEvents();
    EXPECT_EQ(window.MemoSQL->toPlainText(), typed);
  }
  QTest::keyClick(window.MemoSQL, Qt::Key_F3);
  QApplication::processEvents();
  EXPECT_EQ(window.MemoSQL->toPlainText(), typed);

  // Commands that only show, list, copy or close say nothing; every other
  // one told the user something.
  const std::set<std::string> quiet = {"CopyasRTF1", "Reindex1", "SetFont1", "SetFont2",
                                       "SetFont3",   "Refresh2", "About1",   "Close1"};
  for (const std::string& name : silent) {
    EXPECT_TRUE(quiet.count(name) > 0) << name << " failed without a word";
  }
  EXPECT_FALSE(answers.messages.empty());
  for (const platform::MessageRequest& shown : answers.messages) {
    if (shown.kind == platform::MessageKind::kError && shown.caption == "error") {
      EXPECT_FALSE(shown.text.empty());
    }
  }

  // The window still works: a statement runs and the log says so.
  window.MemoSQL->setPlainText("select 1");
  window.CBDatabase->setCurrentText(QString::fromStdString(database_));
  window.findChild<QAction*>("RunAllSQL1")->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(window.DBGrid->isVisible());
  EXPECT_TRUE(window.MemoMessages->toPlainText().endsWith("query opened"));

  for (QAction* item : last) {
    SCOPED_TRACE(item->objectName().toStdString());
    item->setEnabled(true);
    item->trigger();
    QApplication::processEvents();
  }
  EXPECT_EQ(window.MemoSQL->toPlainText(), "") << "cleared by its own command";
  EXPECT_FALSE(window.isVisible()) << "closed by Exit";
}

TEST_F(MainWindowFailures, AModeWithoutABackendConnectsNothingAndSaysSo) {
  TFormBrindle& window = Start();
  dialogs_->AnswerMessage(DialogButton::kOk);
  ConnectToTestServer(uniaccess::kSqlModeMsSql);
  EXPECT_EQ(
      dialogs_->MessageTexts(),
      (std::vector<std::string>{"No database backend is available for the SQL mode 3 (MSSQL)"}));
  EXPECT_EQ(window.TreeView->topLevelItem(0)->childCount(), 0) << "no MySQL databases under MSSQL";
  EXPECT_EQ(window.CBSQLmode->currentIndex(), uniaccess::kSqlModeMsSql);
  EXPECT_EQ(uniaccess::GlobalSqlModeState().systemDatabaseName, "master");

  // The toolbar's mode back to MySQL lists the server's databases again.
  window.CBSQLmode->setCurrentIndex(uniaccess::kSqlModeMySql);
  emit window.CBSQLmode->activated(uniaccess::kSqlModeMySql);
  QApplication::processEvents();
  EXPECT_GT(window.TreeView->topLevelItem(0)->childCount(), 0);
}

TEST_F(MainWindowFailures, AProgramFolderThatCannotHoldTheSettingsIsReported) {
  platform::testing::WriteFileBytes(programDirectory_.File("blocker"), "a regular file");
  TFormBrindle::StartupInfo startup;
  startup.programDirectory = programDirectory_.File("blocker") + "/";
  // The language folder cannot be made: the rest of the start-up is skipped.
  dialogs_->AnswerMessage(DialogButton::kOk);
  window_ = std::make_unique<TFormBrindle>(startup);
  ASSERT_TRUE(window_->RunCreateHandler());
  ASSERT_EQ(dialogs_->MessageTexts().size(), 1u);
  EXPECT_NE(dialogs_->MessageTexts()[0].find("cannot create the language directory"),
            std::string::npos)
      << dialogs_->MessageTexts()[0];
  window_->show();
  QApplication::processEvents();

  // Connecting cannot remember the profile (the settings store says so once,
  // in its own words); the connection works.
  dialogs_->AnswerMessage(DialogButton::kOk);
  ConnectToTestServer();
  EXPECT_EQ(dialogs_->MessageTexts(),
            (std::vector<std::string>{dialogs_->MessageTexts()[0], "nem irható"}));
  EXPECT_FALSE(window_->PanelConnect->isVisible());
  window_->CBDatabase->setCurrentText(QString::fromStdString(database_));
  window_->MemoSQL->setPlainText("select 2");
  Trigger("RunAllSQL1");
  EXPECT_TRUE(window_->MemoMessages->toPlainText().endsWith("query opened"));

  // Closing cannot write the settings either; it is told once more.
  dialogs_->AnswerMessage(DialogButton::kOk);
  window_->close();
  QApplication::processEvents();
  EXPECT_EQ(dialogs_->Shown().back().message.text, "nem irható");
  EXPECT_EQ(dialogs_->Shown().back().message.caption, "error");
  window_.reset();
}

TEST_F(MainWindowFailures, ACommandArrivingWhileAnExportRunsIsRefusedAndTheExportEnds) {
  Run("create table many (id int, pad varchar(50))");
  Run("insert into many select seq, repeat('x', 50) from seq_1_to_5000");
  TFormBrindle& window = Start();
  ConnectToTestServer();
  RememberTable("many");
  ASSERT_NE(window.RememberedNode(), nullptr);
  const std::string log = StdText(window.MemoMessages->toPlainText());

  platform::testing::TempDirectory directory;
  const std::string path = directory.File("many.sql");
  dialogs_->AnswerSaveFile(path);
  bool arrived = false;
  std::string modal;
  std::string status;
  // A click on the tree's "Refresh" and the window's close box, as the
  // event loop delivers them while the export reports its progress.
  QTimer::singleShot(0, &window, [&] {
    arrived = true;
    QWidget* shown = QApplication::activeModalWidget();
    modal = shown != nullptr ? StdText(shown->objectName()) : "";
    window.findChild<QAction*>("Refresh2")->trigger();
    window.close();
    status = StdText(window.LabelStatus->text());
  });
  Trigger("Export2");
  ASSERT_TRUE(arrived) << "the event loop ran during the export";
  EXPECT_EQ(modal, "TransferProgress") << "the progress is modal from its first report";
  EXPECT_EQ(status, BusyNote());
  EXPECT_TRUE(window.isVisible()) << "closing waits for the command";
  EXPECT_EQ(StdText(window.MemoMessages->toPlainText()),
            log + "\nExport table data many --> " + path)
      << "the refresh did not run inside the export";
  const std::string dump = platform::testing::ReadFileBytes(path);
  std::size_t inserts = 0;
  for (std::size_t at = dump.find("INSERT INTO"); at != std::string::npos;
       at = dump.find("INSERT INTO", at + 1)) {
    ++inserts;
  }
  EXPECT_EQ(inserts, 5000u);
  EXPECT_EQ(StdText(window.LabelStatus->text()), "") << "the note went with the export";
  EXPECT_FALSE(window.Components().DB2.Connected());

  // Once it is over, the same commands run.
  Trigger("Refresh2");
  EXPECT_TRUE(StdText(window.MemoMessages->toPlainText()).ends_with("Database \"tre\" refresh"));
}

}  // namespace
}  // namespace app::testing
