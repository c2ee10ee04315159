// The tree's listings and object commands through the commands: databases,
// tables and indexes; create and drop; view, empty and describe a table;
// the reindex script; statements the server rejects and files that cannot
// be written, each followed by a command that works.

#include "app/commands/object_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/commands/command_guard.h"
#include "app/commands/tests/command_test.h"
#include "uniaccess/sql_mode.h"

namespace app::testing {
namespace {

using platform::DialogButton;
using Rows = std::vector<std::vector<std::string>>;

class ObjectCommandsTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    uniaccess::GlobalSqlModeState().systemDatabaseName = "mysql";
    Run("create table people (id int primary key, name varchar(20), born date,"
        " key name_born (name, born))");
    Run("insert into people values (1, 'Ann', '1990-01-02'), (2, 'Bob', NULL)");
    ConnectHost();
  }
};

TEST_F(ObjectCommandsTest, TheTreeListsDatabasesTablesAndIndexes) {
  commands_->tree.RebuildTree();
  EXPECT_GE(host_->databases.IndexOf(database_), 0);
  EXPECT_GE(host_->databases.IndexOf("mysql"), 0);
  EXPECT_EQ(host_->currentDatabase, host_->databases[0]);
  EXPECT_EQ(host_->LastLog(), "Database \"tre\" refresh");
  EXPECT_FALSE(host_->components.DB2.Connected());

  EXPECT_EQ(commands_->tree.TablesOf(database_), (platform::StringList{"people"}));
  EXPECT_EQ(host_->currentDatabase, database_);
  EXPECT_EQ(commands_->tree.IndexesOf("people"),
            (platform::StringList{"PRIMARY (id)", "name_born (name,born)"}));
  EXPECT_FALSE(host_->components.DB2.Connected());

  // An unreachable server leaves the tree empty; the connection says why.
  host_->components.DB1.SetPort("1");
  host_->components.DB1.SetHost("127.0.0.1");
  host_->components.DB1.SetUser("nobody");
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->tree.RebuildTree();
  EXPECT_TRUE(host_->databases.Empty());
  EXPECT_EQ(host_->currentDatabase, "");
  EXPECT_EQ(dialogs_->MessageTexts().back().rfind("MySQL Error /", 0), 0u);
  EXPECT_EQ(host_->LastLog(), "Database \"tre\" refresh");
}

TEST_F(ObjectCommandsTest, ARejectedCreateOrDropIsLoggedAndTheTreeStillRebuilt) {
  const std::string name = database_ + "_new";
  dialogs_->AnswerInput(name);
  commands_->objects.CreateDatabase();
  EXPECT_EQ(Query("show databases like '" + name + "'"), (Rows{{name}}));
  EXPECT_TRUE(host_->Logged(name + " Database created"));
  EXPECT_GE(host_->databases.IndexOf(name), 0);

  // The same name again: the server refuses.
  dialogs_->AnswerInput(name);
  dialogs_->AnswerMessage(DialogButton::kOk);
  host_->log.clear();
  commands_->objects.CreateDatabase();
  EXPECT_NE(dialogs_->MessageTexts().back().find("database exists"), std::string::npos)
      << dialogs_->MessageTexts().back();
  EXPECT_EQ(host_->log, (std::vector<std::string>{"SQL ERROR ", "Database \"tre\" refresh"}));

  // Cancel on the drop box answers with the proposed name; No drops nothing.
  host_->currentDatabase = name;
  dialogs_->CancelInput();
  dialogs_->AnswerMessage(DialogButton::kNo);
  commands_->objects.DropDatabase();
  EXPECT_EQ(dialogs_->MessageTexts().back(), "Drop the " + name + " database?");
  EXPECT_EQ(Query("show databases like '" + name + "'"), (Rows{{name}}));
  dialogs_->AnswerInput(name);
  dialogs_->AnswerMessage(DialogButton::kYes);
  commands_->objects.DropDatabase();
  EXPECT_TRUE(Query("show databases like '" + name + "'").empty());
  EXPECT_TRUE(host_->Logged(name + " database droped"));
  EXPECT_FALSE(host_->components.DB2.Connected());
}

TEST_F(ObjectCommandsTest, ViewEmptyAndDropATableAndAnIndex) {
  // Without a remembered table node they do nothing.
  commands_->objects.ViewData();
  commands_->objects.DropTable();
  EXPECT_TRUE(host_->log.empty());

  RememberTable("people");
  commands_->objects.ViewData();
  EXPECT_TRUE(host_->gridVisible);
  EXPECT_EQ(host_->rowCount, "2");
  EXPECT_EQ(host_->status, "View data from people");
  EXPECT_EQ(host_->LastLog(), "View data people");

  host_->remembered = TreeNode{TreeLevel::kIndex, "name_born (name,born)", "people"};
  dialogs_->AnswerMessage(DialogButton::kYes);
  commands_->objects.DropIndex();
  EXPECT_EQ(dialogs_->MessageTexts().back(), "Delete the name_born index ?");
  EXPECT_EQ(host_->LastLog(), "drop index name_born");
  EXPECT_EQ(Query("select count(*) from information_schema.statistics where table_schema = '" +
                  database_ + "' and index_name = 'name_born'"),
            (Rows{{"0"}}));

  RememberTable("people");
  dialogs_->AnswerMessage(DialogButton::kYes);
  commands_->objects.EmptyTable();
  EXPECT_EQ(dialogs_->MessageTexts().back(), "Delete all rows from people table ?");
  EXPECT_EQ(Query("select count(*) from people"), (Rows{{"0"}}));
  EXPECT_EQ(host_->LastLog(), "delete all rows from people");

  dialogs_->AnswerMessage(DialogButton::kYes);
  commands_->objects.DropTable();
  EXPECT_TRUE(Query("show tables").empty());
  EXPECT_TRUE(host_->Logged("people Table droped"));
  EXPECT_FALSE(host_->components.DB2.Connected());
}

TEST_F(ObjectCommandsTest, CommandsOnAMissingTableLogTheFailureAndTheNextOneWorks) {
  RememberTable("people");
  commands_->objects.ViewData();
  ASSERT_EQ(host_->rowCount, "2");
  host_->gridVisible = false;
  RememberTable("gone");
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->objects.ViewData();
  EXPECT_EQ(host_->LastLog(), "SQL Error");
  EXPECT_FALSE(host_->gridVisible);
  EXPECT_EQ(host_->rowCount, "") << "the count of the result before is gone with it";

  dialogs_->AnswerMessage(DialogButton::kYes);
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->objects.EmptyTable();
  EXPECT_EQ(host_->LastLog(), "SQL Error");

  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->objects.ShowTableStructure();
  EXPECT_EQ(host_->LastLog(), "SQL Error");
  EXPECT_FALSE(host_->components.DB2.Connected()) << "a failed command leaves nothing open";
  for (const std::string& text : dialogs_->MessageTexts()) {
    if (text.find('?') == std::string::npos) {
      EXPECT_EQ(text.rfind("MySQL Error /Table", 0), 0u) << text;
    }
  }

  RememberTable("people");
  commands_->objects.ViewData();
  EXPECT_EQ(host_->LastLog(), "View data people");
}

TEST_F(ObjectCommandsTest, TheStructureGoesToTheLogWithoutAScratchFile) {
  host_->AddLogLine("earlier");
  RememberTable("people");
  platform::testing::TempDirectory work;
  {
    const platform::testing::ScopedWorkingDirectory here(work.Path());
    commands_->objects.ShowTableStructure();
  }
  EXPECT_TRUE(std::filesystem::is_empty(work.Path()));
  EXPECT_TRUE(std::filesystem::is_empty(directory_.Path()));
  // The script's lines themselves are the table script's (tested with it);
  // here: framed, in order, after what the log held.
  ASSERT_EQ(host_->log.size(), 1u + 2 + 5 + 2);
  EXPECT_EQ(host_->log[0], "earlier");
  EXPECT_EQ(host_->log[1], "-------------Show table structure -------------");
  EXPECT_EQ(host_->log[2], "CREATE TABLE people (");
  EXPECT_EQ(host_->log[8], "CREATE INDEX name_born  ON people (name,born);");
  EXPECT_EQ(host_->log[9], "-----------------------------------------------");
  const std::size_t length = host_->LogLength();
  EXPECT_EQ(host_->selectionStart, std::min<std::size_t>(7 + 200, length - 20));
  EXPECT_EQ(host_->selectionLength, 10u);
  EXPECT_TRUE(host_->components.DB2.Connected()) << "the tool connection stays, as before";
}

TEST_F(ObjectCommandsTest, TheReindexScriptIsWrittenAndAnUnwritableFolderIsReported) {
  platform::testing::TempDirectory work;
  RememberTable("people");
  {
    const platform::testing::ScopedWorkingDirectory here(work.Path());
    commands_->objects.ReindexTable();
  }
  const std::string script =
      "DROP INDEX PRIMARY ;\r\nCREATE INDEX PRIMARY  ON people (id);\r\n"
      "DROP INDEX name_born ;\r\nCREATE INDEX name_born  ON people (name,born);\r\n";
  EXPECT_EQ(platform::testing::ReadFileBytes(work.File("_WORK.SQL")), script);

  // A node that is no table of the database: the server says why, and the
  // last script stays (the listing alone would have given an empty one).
  for (const TreeNode& node : {TreeNode{TreeLevel::kTable, "gone", database_},
                               TreeNode{TreeLevel::kDatabase, database_, "root"},
                               TreeNode{TreeLevel::kRoot, "root", ""}}) {
    SCOPED_TRACE(node.text);
    host_->remembered = node;
    dialogs_->AnswerMessage(DialogButton::kOk);
    const std::size_t shown = dialogs_->MessageTexts().size();
    {
      const platform::testing::ScopedWorkingDirectory here(work.Path());
      commands_->objects.ReindexTable();
    }
    ASSERT_EQ(dialogs_->MessageTexts().size(), shown + 1);
    EXPECT_EQ(dialogs_->MessageTexts().back().rfind("MySQL Error /", 0), 0u)
        << dialogs_->MessageTexts().back();
    EXPECT_EQ(host_->LastLog(), "SQL Error");
    EXPECT_EQ(platform::testing::ReadFileBytes(work.File("_WORK.SQL")), script);
    EXPECT_EQ(platform::testing::FileNamesIn(work.Path()), std::vector<std::string>{"_WORK.SQL"});
    EXPECT_FALSE(host_->components.DB2.Connected());
  }
  RememberTable("people");

  // A working folder that is gone cannot take the file, whoever runs this.
  const std::filesystem::path removed = directory_.Path() / "removed";
  std::filesystem::create_directory(removed);
  {
    const platform::testing::ScopedWorkingDirectory here(removed);
    std::filesystem::remove(removed);
    dialogs_->AnswerMessage(DialogButton::kOk);
    EXPECT_FALSE(RunGuarded(host_.get(), [&] { commands_->objects.ReindexTable(); }));
  }
  EXPECT_NE(dialogs_->MessageTexts().back().find("cannot open _WORK.SQL"), std::string::npos)
      << dialogs_->MessageTexts().back();
  EXPECT_EQ(host_->LastLog(), dialogs_->MessageTexts().back());
  EXPECT_FALSE(host_->components.DB2.Connected()) << "the failed command closed the connection";

  {
    const platform::testing::ScopedWorkingDirectory here(work.Path());
    commands_->objects.ReindexTable();
  }
  EXPECT_TRUE(std::filesystem::exists(work.File("_WORK.SQL")));
}

}  // namespace
}  // namespace app::testing
