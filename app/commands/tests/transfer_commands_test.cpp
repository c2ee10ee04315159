// Exports and imports through the commands: tables to and from SQL, CSV and
// XML files, databases to and from dumps; files that cannot be written or
// do not exist, and dumps whose statements the server rejects.

#include "app/commands/transfer_commands.h"

#include <gtest/gtest.h>

#include "app/commands/command_guard.h"
#include "app/commands/tests/command_test.h"
#include "platform/testing/file_size_limit.h"

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

TEST_F(TransferCommandsTest, ACancelledExportLeavesTheFileAsItWasAndSaysSo) {
  Run("create table many (id int)");
  Run("insert into many select seq from seq_1_to_2500");
  const std::string earlier = "an earlier export\r\n";
  const std::string note = "; nothing was written, the file is as it was";
  const std::string dumpCancelled = "The dump of many was cancelled after 2000 rows" + note;
  const struct {
    const char* name;
    bool existed;
    TreeLevel level;
  } cases[] = {
      {"fresh.sql", false, TreeLevel::kTable},      {"earlier.sql", true, TreeLevel::kTable},
      {"earlier.csv", true, TreeLevel::kTable},     {"fresh.xml", false, TreeLevel::kTable},
      {"database.sql", true, TreeLevel::kDatabase},
  };
  host_->onProgress = [](int done) { return done < 2000; };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = directory_.File(c.name);
    if (c.existed) {
      platform::testing::WriteFileBytes(path, earlier);
    }
    host_->remembered = TreeNode{c.level, c.level == TreeLevel::kTable ? "many" : database_, ""};
    dialogs_->AnswerSaveFile(path);
    commands_->transfers.ExportNode();
    const bool dump = std::string(c.name).ends_with(".sql");
    EXPECT_EQ(host_->LastLog(), dump ? dumpCancelled : "Export cancelled: " + path + note);
    EXPECT_FALSE(host_->Logged("Export table data many --> " + path));
    ExpectToolClosed();
    if (c.existed) {
      EXPECT_EQ(platform::testing::ReadFileBytes(path), earlier);
    } else {
      EXPECT_FALSE(std::filesystem::exists(path));
    }
  }
  EXPECT_EQ(platform::testing::FileNamesIn(directory_.Path()),
            (std::vector<std::string>{"database.sql", "earlier.csv", "earlier.sql"}))
      << "no unfinished file is left beside them";
}

TEST_F(TransferCommandsTest, ACancelledImportKeepsTheStatementsRunSoFar) {
  Run("create table many (id int)");
  Run("insert into many select seq from seq_1_to_2500");
  RememberTable("many");
  const std::string dump = directory_.File("many.sql");
  dialogs_->AnswerSaveFile(dump);
  commands_->transfers.ExportNode();
  ASSERT_EQ(host_->LastLog(), "Export table data many --> " + dump);

  // The drop, the create, then inserts: cancelled once 100 have run.
  host_->onProgress = [](int done) { return done < 100; };
  dialogs_->AnswerOpenFile(dump);
  commands_->transfers.ImportNode();
  EXPECT_EQ(host_->LastLog(), "The batch run was cancelled after 100 statements");
  EXPECT_EQ(Query("select count(*) from many"), (Rows{{"98"}}));
  ExpectToolClosed();
}

TEST_F(TransferCommandsTest, ADumpThatCannotBeWrittenWholeLeavesTheOldDump) {
  Run("create table wide (id int, pad varchar(100))");
  Run("insert into wide select seq, repeat('x', 100) from seq_1_to_500");
  const std::string old(4000, 'o');
  for (const TreeLevel level : {TreeLevel::kTable, TreeLevel::kDatabase}) {
    SCOPED_TRACE(static_cast<int>(level));
    const std::string path = directory_.File("wide.sql");
    platform::testing::WriteFileBytes(path, old);
    host_->remembered = TreeNode{level, level == TreeLevel::kTable ? "wide" : database_, ""};
    dialogs_->AnswerSaveFile(path);
    dialogs_->AnswerMessage(DialogButton::kOk);
    bool exported = true;
    {
      // The disk is full after 16 KiB.
      const platform::testing::ScopedFileSizeLimit full(16384);
      exported = RunGuarded(host_.get(), [&] { commands_->transfers.ExportNode(); });
    }
    EXPECT_FALSE(exported);
    ASSERT_FALSE(dialogs_->MessageTexts().empty());
    EXPECT_NE(dialogs_->MessageTexts().back().find("File too large"), std::string::npos)
        << dialogs_->MessageTexts().back();
    EXPECT_EQ(platform::testing::ReadFileBytes(path), old);
    EXPECT_EQ(platform::testing::FileNamesIn(directory_.Path()),
              std::vector<std::string>{"wide.sql"});
    ExpectToolClosed();
  }
}

}  // namespace
}  // namespace app::testing
