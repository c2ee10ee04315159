// A server that goes away while the client is connected: a second
// throwaway server is started, used, and stopped under the commands. Each
// command then shows the failure and logs it, leaves nothing half-open, and
// the commands work again once pointed at a running server.

#include <gtest/gtest.h>

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

  other.Stop();

  // The connected main connection loses the server mid-command.
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->result.RefreshResult();
  ASSERT_EQ(NewMessages().size(), 1u);
  EXPECT_EQ(host_->LastLog(), "Result grid refresh failed");

  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->sql.RunAllSql();
  std::vector<std::string> shown = NewMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind("MySQL Error /", 0), 0u) << shown[0];
  EXPECT_EQ(host_->LastLog(), "SQL ERROR");

  // The tool connection cannot reach it at all.
  RememberTable("t");
  dialogs_->AnswerSaveFile(directory_.File("t.sql"));
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->transfers.ExportNode();
  shown = NewMessages();
  ASSERT_EQ(shown.size(), 1u) << "one box for the connection, not one more per statement";
  EXPECT_EQ(shown[0].rfind("MySQL Error /", 0), 0u) << shown[0];
  EXPECT_EQ(host_->LastLog(), "Export table data t --> " + directory_.File("t.sql") + " failed");
  EXPECT_FALSE(host_->components.DB2.Connected());

  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->tree.RebuildTree();
  EXPECT_EQ(NewMessages().size(), 1u);
  EXPECT_TRUE(host_->databases.Empty());

  host_->currentDatabase = "lost";
  RememberTable("t");
  dialogs_->AnswerMessage(DialogButton::kYes);
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->objects.EmptyTable();
  EXPECT_EQ(NewMessages().size(), 2u) << "the question and the connection";
  EXPECT_EQ(host_->LastLog(), "SQL Error");
  EXPECT_FALSE(host_->components.DB2.Connected());

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
