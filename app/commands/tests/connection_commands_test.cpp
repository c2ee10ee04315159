// Connecting through the commands: a profile's values on both connections
// and the tree rebuilt once; a mode without a backend connects nothing and
// says so; every mode gets its system database.

#include "app/commands/connection_commands.h"

#include <gtest/gtest.h>

#include "app/commands/tests/command_test.h"
#include "app/core/profiles.h"
#include "uniaccess/sql_mode.h"

namespace app::testing {
namespace {

using platform::DialogButton;

class ConnectionCommandsTest : public CommandTest {
 protected:
  void TearDown() override {
    ApplySqlMode(uniaccess::kSqlModeMySql);
    CommandTest::TearDown();
  }
  ConnectionProfile Profile(int mode) const {
    return {"Test server", mode, server_.host, server_.port, server_.user, server_.password, ""};
  }
  int RefreshLines() const {
    return static_cast<int>(
        std::count(host_->log.begin(), host_->log.end(), std::string("Database \"tre\" refresh")));
  }
};

TEST_F(ConnectionCommandsTest, AProfileReachesBothConnectionsAndTheTreeIsBuiltOnce) {
  host_->editor = "select 1";
  commands_->connection.Connect(Profile(uniaccess::kSqlModeMySql), 2);
  for (uniaccess::TUniSQLDatabase* database : {&host_->components.DB1, &host_->components.DB2}) {
    EXPECT_EQ(database->Host(), server_.host);
    EXPECT_EQ(database->Port(), server_.port);
    EXPECT_EQ(database->User(), server_.user);
    EXPECT_EQ(database->password(), server_.password);
  }
  EXPECT_EQ(ReadLastProfileIndex(host_->settingsPath), 2);
  EXPECT_GE(host_->databases.IndexOf(database_), 0);
  EXPECT_EQ(RefreshLines(), 1);
  EXPECT_EQ(uniaccess::GlobalSqlModeState().systemDatabaseName, "mysql");

  // Statements run on the server connected to.
  host_->currentDatabase = database_;
  commands_->sql.RunAllSql();
  EXPECT_EQ(host_->LastLog(), "query opened");
}

TEST_F(ConnectionCommandsTest, AModeWithoutABackendConnectsNothingAndSaysSo) {
  for (const int mode : {uniaccess::kSqlModeMsSql, uniaccess::kSqlModeKestrel}) {
    SCOPED_TRACE(mode);
    host_->log.clear();
    dialogs_->AnswerMessage(DialogButton::kOk);
    ConnectionProfile profile = Profile(mode);
    profile.path = directory_.Path().string();
    commands_->connection.Connect(profile, 0);
    EXPECT_EQ(dialogs_->MessageTexts().back(), uniaccess::NoBackendMessage(mode));
    EXPECT_TRUE(host_->databases.Empty()) << "no other engine's databases under its name";
    EXPECT_FALSE(host_->components.DB2.Connected());
    EXPECT_EQ(uniaccess::GlobalSqlModeState().sqlMode, mode);
    EXPECT_EQ(uniaccess::GlobalSqlModeState().dataDirectory, directory_.Path().string() + "/");
    EXPECT_EQ(RefreshLines(), 1);

    // Running SQL there says so too, once, and runs nowhere.
    host_->currentDatabase = database_;
    host_->editor = "create table should_not_exist (x int)";
    dialogs_->AnswerMessage(DialogButton::kOk);
    const std::size_t shown = dialogs_->MessageTexts().size();
    commands_->sql.RunAllSql();
    ASSERT_EQ(dialogs_->MessageTexts().size(), shown + 1);
    EXPECT_EQ(dialogs_->MessageTexts().back(), uniaccess::NoBackendMessage(mode));
    EXPECT_EQ(host_->LastLog(), "SQL ERROR");
    EXPECT_FALSE(host_->components.DB1.Connected());
  }
  EXPECT_TRUE(Query("show tables like 'should_not_exist'").empty());

  // Back in a mode with a backend, connecting works again.
  commands_->connection.Connect(Profile(uniaccess::kSqlModeMySql), 0);
  EXPECT_GE(host_->databases.IndexOf(database_), 0);
}

TEST_F(ConnectionCommandsTest, EveryModeGetsItsSystemDatabase) {
  ConnectHost();
  // The tree lists databases through these: MySQL's and SQL Server's own,
  // the embedded engine's catalogue, nothing for modes without a backend.
  const char* const expected[uniaccess::kSqlModeCount] = {"mysql", "", "", "master",      "", "",
                                                          "",      "", "", "KestrelTable"};
  for (int mode = 0; mode < uniaccess::kSqlModeCount; ++mode) {
    SCOPED_TRACE(mode);
    if (!uniaccess::HasBackendFor(mode)) {
      dialogs_->AnswerMessage(DialogButton::kOk);
    }
    commands_->connection.ChangeSqlMode(mode);
    EXPECT_EQ(uniaccess::GlobalSqlModeState().sqlMode, mode);
    EXPECT_EQ(uniaccess::GlobalSqlModeState().systemDatabaseName, expected[mode]);
    EXPECT_EQ(uniaccess::GlobalSqlModeState().dataDirectory,
              uniaccess::SqlModeState::DefaultDataDirectory());
  }
}

TEST_F(ConnectionCommandsTest, TheCommandLineReachesBothConnections) {
  CommandLineOptions options = ParseCommandLine("/DB:Shop /HOST:Srv1 /USER:Admin /SQLMOD:3");
  commands_->connection.ApplyCommandLine(options);
  for (uniaccess::TUniSQLDatabase* database : {&host_->components.DB1, &host_->components.DB2}) {
    EXPECT_EQ(database->Databasename(), "Shop");
    EXPECT_EQ(database->Host(), "Srv1");
    EXPECT_EQ(database->User(), "Admin");
    EXPECT_EQ(database->Port(), "3306") << "the design-time value stays";
  }
  EXPECT_EQ(uniaccess::GlobalSqlModeState().sqlMode, 3);
}

}  // namespace
}  // namespace app::testing
