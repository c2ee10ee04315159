// Exports and imports through the commands: tables to and from SQL, CSV and
// XML files, databases to and from dumps; files that cannot be written or
// do not exist, and dumps whose statements the server rejects.

#include "app/commands/transfer_commands.h"

#include <gtest/gtest.h>

#include "app/commands/command_guard.h"
#include "app/commands/tests/command_test.h"

namespace app::testing {
namespace {

using platform::DialogButton;
using Rows = std::vector<std::vector<std::string>>;

class TransferCommandsTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    Run("create table people (id int primary key, name varchar(20), born date)");
    Run("insert into people values (1, 'O''Brien', '1990-01-02'), (2, NULL, NULL)");
    ConnectHost();
  }
  // Nothing of the tool connection is left open by a command.
  void ExpectToolClosed() {
    EXPECT_FALSE(host_->components.T2.Active());
    EXPECT_FALSE(host_->components.DB2.Connected());
    EXPECT_EQ(host_->status, "");
  }
};

TEST_F(TransferCommandsTest, ATableGoesToEachFileTypeAndComesBack) {
  for (const char* name : {"people.csv", "people.xml", "people.sql"}) {
    SCOPED_TRACE(name);
    const std::string file = directory_.File(name);
    const bool sql = std::string(name).ends_with(".sql");
    RememberTable("people");
    dialogs_->AnswerSaveFile(file);
    if (!sql)
      dialogs_->AnswerMessage(DialogButton::kOk);  // the export's report
    commands_->transfers.ExportNode();
    EXPECT_EQ(host_->LastLog(), "Export table data people --> " + file);
    EXPECT_EQ(host_->settings.outDir, directory_.Path().string() + "/");
    ExpectToolClosed();

    Run("drop table if exists back");
    Run("create table back like people");
    if (sql) {
      Run("drop table people");  // the dump re-creates it
    }
    RememberTable("back");
    dialogs_->AnswerOpenFile(file);
    if (!sql)
      dialogs_->AnswerMessage(DialogButton::kOk);  // the import's report
    commands_->transfers.ImportNode();
    EXPECT_EQ(host_->LastLog(), "Import table data back <-- " + file);
    EXPECT_EQ(Query("select * from " + std::string(sql ? "people" : "back") + " order by id"),
              (Rows{{"1", "O'Brien", "1990-01-02"}, {"2", "NULL", "NULL"}}));
    ExpectToolClosed();
  }
}

TEST_F(TransferCommandsTest, AnUnwritableExportIsReportedAndTheNextOneWorks) {
  for (const char* name : {"people.sql", "people.csv"}) {
    SCOPED_TRACE(name);
    const std::string unwritable = UnwritablePath(name);
    RememberTable("people");
    dialogs_->AnswerSaveFile(unwritable);
    dialogs_->AnswerMessage(DialogButton::kOk);
    EXPECT_FALSE(RunGuarded(host_.get(), [&] { commands_->transfers.ExportNode(); }));
    EXPECT_NE(dialogs_->MessageTexts().back().find("Not a directory"), std::string::npos)
        << dialogs_->MessageTexts().back();
    EXPECT_EQ(host_->LastLog(), dialogs_->MessageTexts().back());
    EXPECT_FALSE(host_->Logged("Export table data people --> " + unwritable));
    ExpectToolClosed();
  }
  RememberDatabase(database_);
  dialogs_->AnswerSaveFile(UnwritablePath("all.sql"));
  dialogs_->AnswerMessage(DialogButton::kOk);
  EXPECT_FALSE(RunGuarded(host_.get(), [&] { commands_->transfers.ExportNode(); }));
  ExpectToolClosed();

  const std::string good = directory_.File("all.sql");
  dialogs_->AnswerSaveFile(good);
  commands_->transfers.ExportNode();
  EXPECT_EQ(host_->LastLog(), "Export database " + database_ + " --> " + good);
  EXPECT_NE(platform::testing::ReadFileBytes(good).find("INSERT INTO people VALUES(1,'O\\'Brien',"),
            std::string::npos);

  // A name of no known type exports nothing and says so.
  RememberTable("people");
  dialogs_->AnswerSaveFile(directory_.File("people.txt"));
  commands_->transfers.ExportNode();
  EXPECT_NE(host_->LastLog().find("nothing exported"), std::string::npos) << host_->LastLog();
  EXPECT_FALSE(std::filesystem::exists(directory_.File("people.txt")));
}

TEST_F(TransferCommandsTest, AnImportStoppedByARejectedStatementSaysWhereAndLogsNoSuccess) {
  const std::string dump = directory_.File("broken.sql");
  platform::testing::WriteFileBytes(dump,
                                    "/*  a dump */\r\n"
                                    "INSERT INTO people VALUES(3,'Cy',NULL);\r\n"
                                    "INSERT INTO nowhere VALUES(1);\r\n"
                                    "INSERT INTO people VALUES(4,'Di',NULL);\r\n");
  for (const TreeLevel level : {TreeLevel::kDatabase, TreeLevel::kTable}) {
    host_->remembered = TreeNode{level, level == TreeLevel::kTable ? "people" : database_, ""};
    dialogs_->AnswerOpenFile(dump);
    dialogs_->AnswerMessage(DialogButton::kOk);  // the server's text
    commands_->transfers.ImportNode();
    EXPECT_NE(dialogs_->MessageTexts().back().find("nowhere"), std::string::npos);
    const std::string done = level == TreeLevel::kTable
                                 ? "Import table data people <-- " + dump
                                 : "Import database " + database_ + " --> " + dump;
    EXPECT_EQ(host_->LastLog(), done + " stopped at statement 2 (line 3)");
    EXPECT_FALSE(host_->Logged(done));
    ExpectToolClosed();
    Run("delete from people where id = 3");
  }
  EXPECT_EQ(Query("select count(*) from people where id = 4"), (Rows{{"0"}}));

  // A missing dump is reported and nothing is created.
  RememberDatabase(database_);
  const std::string missing = directory_.File("missing.sql");
  dialogs_->AnswerOpenFile(missing);
  dialogs_->AnswerMessage(DialogButton::kOk);
  EXPECT_FALSE(RunGuarded(host_.get(), [&] { commands_->transfers.ImportNode(); }));
  EXPECT_EQ(host_->LastLog(), "File not found: " + missing);
  EXPECT_FALSE(std::filesystem::exists(missing));
  ExpectToolClosed();

  // So is a missing CSV file, through the component's own message.
  RememberTable("people");
  dialogs_->AnswerOpenFile(directory_.File("missing.csv"));
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->transfers.ImportNode();
  EXPECT_EQ(host_->LastLog(),
            "Import table data people <-- " + directory_.File("missing.csv") + " failed");
  ExpectToolClosed();
}

TEST_F(TransferCommandsTest, ACancelledRunKeepsWhatWasDoneAndSaysSo) {
  Run("create table many (id int)");
  Run("insert into many select seq from seq_1_to_2500");
  RememberTable("many");
  const std::string dump = directory_.File("many.sql");
  host_->onProgress = [](int done) { return done < 2000; };
  dialogs_->AnswerSaveFile(dump);
  commands_->transfers.ExportNode();
  EXPECT_EQ(host_->LastLog(), "The dump of many was cancelled after 2000 rows");
  EXPECT_FALSE(host_->Logged("Export table data many --> " + dump));
  ExpectToolClosed();
  const std::string text = platform::testing::ReadFileBytes(dump);
  EXPECT_NE(text.find("INSERT INTO many VALUES(2000);"), std::string::npos);
}

}  // namespace
}  // namespace app::testing
