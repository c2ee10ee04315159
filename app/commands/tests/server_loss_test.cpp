// A server that goes away while the client is connected: a second
// throwaway server is started, used, and stopped under the commands. Every
// command family then shows the failure once and logs it, leaves nothing
// half-open (nor the busy cursor on), and the commands work again once
// pointed at a running server.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/commands/command_guard.h"
#include "app/commands/tests/command_test.h"
#include "uniaccess/testing/throwaway_server.h"

namespace app::testing {
namespace {

using platform::DialogButton;

class ServerLoss : public CommandTest {
 protected:
  void PointAt(const uniaccess::testing::MysqlServerAddress& address, const std::string& name) {
    host_->components.CloseAll();
    for (uniaccess::TUniSQLDatabase* database : {&host_->components.DB1, &host_->components.DB2}) {
      database->SetHost(address.host);
      database->SetPort(address.port);
      database->SetUser(address.user);
      database->Setpassword(address.password);
      database->SetDatabasename(name);
    }
    host_->currentDatabase = name;
  }
  // Every message shown since the last call.
  std::vector<std::string> NewMessages() {
    const std::vector<std::string> all = dialogs_->MessageTexts();
    std::vector<std::string> fresh(all.begin() + static_cast<long>(seen_), all.end());
    seen_ = all.size();
    return fresh;
  }
  std::size_t seen_ = 0;
};

TEST_F(ServerLoss, EachCommandReportsTheLostServerAndTheNextServerWorks) {
  uniaccess::testing::ThrowawayMysqlServer other;
  ASSERT_TRUE(other.Running());
  PointAt(other.Address(), "mysql");
  host_->editor =
      "create database lost; create table lost.t (id int); "
      "insert into lost.t values (1), (2)";
  commands_->sql.RunAllSql();
  ASSERT_EQ(host_->LastLog(), "SQL executed.");
  PointAt(other.Address(), "lost");
  host_->editor = "select * from t";
  commands_->sql.RunAllSql();
  ASSERT_EQ(host_->rowCount, "2");
  ASSERT_TRUE(host_->components.DB1.Connected());

  // A dump to import, written while the server was there.
  const std::string dump = directory_.File("lost.sql");
  RememberTable("t");
  dialogs_->AnswerSaveFile(dump);
  commands_->transfers.ExportNode();
  ASSERT_EQ(host_->LastLog(), "Export table data t --> " + dump);
  host_->editor = "select * from t";
  commands_->sql.RunAllSql();
  ASSERT_EQ(host_->rowCount, "2");

  other.Stop();

  // Every family once. The main connection still holds its lost link and
  // fails at the first statement; the tool connection cannot connect. Each
  // tells the failure once (after the questions it asks) and logs it.
  const std::string out = directory_.File("out.sql");
  platform::testing::TempDirectory work;
  const TreeNode table{TreeLevel::kTable, "t", "lost"};
  const TreeNode database{TreeLevel::kDatabase, "lost", "root"};
  const TreeNode index{TreeLevel::kIndex, "PRIMARY (id)", "t"};
  const std::string refreshed = "Database \"tre\" refresh";
  struct Case {
    const char* what;
    std::optional<TreeNode> node;
    std::function<void()> answers;  // what the command asks before it fails
    std::function<void()> command;
    int dialogs;  // the questions asked and the failures shown
    std::string logged;
    std::string loggedBefore = {};  // the failure, when a tree rebuild follows it
  };
  const Case cases[] = {
      {"order the result", {}, [] {}, [&] { commands_->result.OrderResultBy(0); }, 1, "SQL ERROR"},
      {"refresh the result",
       {},
       [] {},
       [&] { commands_->result.RefreshResult(); },
       1,
       "Result grid refresh failed"},
      {"run all SQL", {}, [] {}, [&] { commands_->sql.RunAllSql(); }, 1, "SQL ERROR"},
      {"run the last SQL", {}, [] {}, [&] { commands_->sql.RunLastSql(); }, 1, "SQL ERROR"},
      {"view data", table, [] {}, [&] { commands_->objects.ViewData(); }, 1, "SQL Error"},
      {"edit the table", table, [] {}, [&] { commands_->dataEditor.EditTable(); }, 1, "SQL Error"},
      {"export a table", table, [&] { dialogs_->AnswerSaveFile(out); },
       [&] { commands_->transfers.ExportNode(); }, 2, "Export table data t --> " + out + " failed"},
      {"export the database", database, [&] { dialogs_->AnswerSaveFile(out); },
       [&] { commands_->transfers.ExportNode(); }, 2,
       "Export database lost --> " + out + " failed"},
      {"import into a table", table, [&] { dialogs_->AnswerOpenFile(dump); },
       [&] { commands_->transfers.ImportNode(); }, 2,
       "Import table data t <-- " + dump + " failed"},
      {"import the database", database, [&] { dialogs_->AnswerOpenFile(dump); },
       [&] { commands_->transfers.ImportNode(); }, 2,
       "Import database lost --> " + dump + " failed"},
      {"show the table's structure", table, [] {}, [&] { commands_->objects.ShowTableStructure(); },
       1, "SQL Error"},
      {"write the reindex script", table, [] {},
       [&] {
         const platform::testing::ScopedWorkingDirectory here(work.Path());
         commands_->objects.ReindexTable();
       },
       1, "SQL Error"},
      {"empty the table", table, [&] { dialogs_->AnswerMessage(DialogButton::kYes); },
       [&] { commands_->objects.EmptyTable(); }, 2, "SQL Error"},
      {"drop an index", index, [&] { dialogs_->AnswerMessage(DialogButton::kYes); },
       [&] { commands_->objects.DropIndex(); }, 2, "SQL Error"},
      {"drop the table", table, [&] { dialogs_->AnswerMessage(DialogButton::kYes); },
       [&] { commands_->objects.DropTable(); }, 3, refreshed, "SQL Error"},
      {"create a database",
       {},
       [&] { dialogs_->AnswerInput("other"); },
       [&] { commands_->objects.CreateDatabase(); },
       3,
       refreshed,
       "SQL ERROR "},
      {"drop the database",
       {},
       [&] {
         dialogs_->AnswerInput("lost");
         dialogs_->AnswerMessage(DialogButton::kYes);
       },
       [&] { commands_->objects.DropDatabase(); },
       4,
       refreshed,
       "SQL ERROR "},
      {"rebuild the tree", {}, [] {}, [&] { commands_->tree.RebuildTree(); }, 1, refreshed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host_->currentDatabase = "lost";
    host_->remembered = c.node;
    c.answers();
    const std::size_t questions = dialogs_->PendingAnswers();
    for (int i = static_cast<int>(questions); i < c.dialogs; ++i) {
      dialogs_->AnswerMessage(DialogButton::kOk);
    }
    const std::size_t logged = host_->log.size();
    EXPECT_TRUE(RunGuarded(host_.get(), c.command)) << "told by the data access, not raised";
    std::vector<std::string> shown = NewMessages();
    std::erase_if(shown, [](const std::string& text) {
      return text.find('?') != std::string::npos;  // the confirmations
    });
    EXPECT_FALSE(shown.empty());
    for (const std::string& text : shown) {
      EXPECT_EQ(text.rfind("MySQL Error /", 0), 0u) << text;
    }
    EXPECT_EQ(dialogs_->PendingAnswers(), 0u) << "as many dialogs as expected";
    EXPECT_EQ(host_->LastLog(), c.logged);
    if (!c.loggedBefore.empty()) {
      EXPECT_TRUE(std::find(host_->log.begin() + static_cast<long>(logged), host_->log.end(),
                            c.loggedBefore) != host_->log.end());
    }
    EXPECT_FALSE(host_->components.DB2.Connected()) << "nothing of the tool connection is left";
    EXPECT_FALSE(host_->components.T2.Active());
    EXPECT_EQ(dialogs_->BusyDepth(), 0);
  }
  EXPECT_TRUE(host_->databases.Empty());
  EXPECT_TRUE(host_->dataEditorCaptions.empty());
  EXPECT_EQ(platform::testing::FileNamesIn(directory_.Path()),
            (std::vector<std::string>{"lost.sql"}))
      << "no export was written";
  EXPECT_TRUE(platform::testing::FileNamesIn(work.Path()).empty());

  // Pointed at a running server, the same commands work.
  PointAt(server_, database_);
  Run("create table t (id int)");
  host_->editor = "select * from t";
  commands_->sql.RunAllSql();
  EXPECT_EQ(host_->LastLog(), "query opened");
  commands_->tree.RebuildTree();
  EXPECT_GE(host_->databases.IndexOf(database_), 0);
  host_->currentDatabase = database_;
  RememberTable("t");
  dialogs_->AnswerSaveFile(directory_.File("t.sql"));
  commands_->transfers.ExportNode();
  EXPECT_EQ(host_->LastLog(), "Export table data t --> " + directory_.File("t.sql"));
  EXPECT_TRUE(NewMessages().empty());
}

}  // namespace
}  // namespace app::testing
