#include <gtest/gtest.h>

#include "platform/testing/scripted_user_dialogs.h"
#include "uniaccess/mysql/mysql_backend.h"
#include "uniaccess/sql_mode.h"
#include "uniaccess/testing/mysql_test_server.h"
#include "uniaccess/unisql_database.h"
#include "uniaccess/unisql_query.h"

namespace uniaccess {
namespace {

using platform::DialogButton;
using platform::testing::ScriptedUserDialogs;
using testing::MysqlTest;

using MysqlConnection = MysqlTest;

TEST_F(MysqlConnection, ConnectsThroughTheComponentsPort) {
  ScriptedUserDialogs dialogs;  // no dialog may appear
  TUniSQLDatabase database;
  Configure(database);
  database.SetConnected(true);
  EXPECT_TRUE(database.Connected());
  ASSERT_NE(database.Handle(), nullptr);
  EXPECT_EQ(GlobalSqlModeState().backendName, "MySQL");
  EXPECT_EQ(GlobalSqlModeState().systemDatabaseName, "mysql");
  database.SetConnected(false);
  EXPECT_FALSE(database.Connected());
  EXPECT_EQ(database.Handle(), nullptr);
}

TEST_F(MysqlConnection, FailuresShowTheServersTextAndStayConnected) {
  const struct {
    const char* what;
    std::string password;
    std::string databaseName;
    bool handleExpected;
    std::string messageStart;
  } cases[] = {
      {"bad password", "wrong", database_, false, "MySQL Error /Access denied for user"},
      {"unknown database", server_.password, "no_such_db", true,
       "MySQL Error /Unknown database 'no_such_db'/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedUserDialogs dialogs;
    dialogs.AnswerMessage(DialogButton::kOk);
    TUniSQLDatabase database;
    Configure(database);
    database.Setpassword(c.password);
    database.SetDatabasename(c.databaseName);
    database.Connect();
    EXPECT_TRUE(database.Connected());
    EXPECT_EQ(database.Handle() != nullptr, c.handleExpected);
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_EQ(dialogs.MessageTexts()[0].rfind(c.messageStart, 0), 0u) << dialogs.MessageTexts()[0];
    EXPECT_EQ(dialogs.MessageTexts()[0].back(), '/');
    if (c.handleExpected) {
      // The server connection itself is usable.
      EXPECT_GE(database.GetDatabaseNames().IndexOf(database_), 0);
    }
  }
}

TEST_F(MysqlConnection, EmptyDatabaseNameOpensNothing) {
  ScriptedUserDialogs dialogs;
  TUniSQLDatabase database;
  Configure(database);
  database.SetDatabasename("");
  database.Connect();
  EXPECT_FALSE(database.Connected());
  EXPECT_EQ(database.Handle(), nullptr);

  // A live connection is neither freed nor left half-connected by it.
  Run("create table listed (id int)");
  database.SetDatabasename(database_);
  database.Connect();
  ASSERT_TRUE(database.Connected());
  BackendConnection* live = database.Handle();
  ASSERT_NE(live, nullptr);
  database.SetDatabasename("");
  database.Connect();
  EXPECT_TRUE(database.Connected());
  EXPECT_EQ(database.Handle(), live);
  // Still the database it was connected to, which lists its table.
  EXPECT_EQ(database.GetTableNames(), (platform::StringList{"listed"}));
  EXPECT_TRUE(database.ActiveBackend()->Execute(database.Handle(), "SELECT 1"))
      << database.ActiveBackend()->LastError(database.Handle());
}

TEST_F(MysqlConnection, AModeWithoutBackendConnectsNothingAndSaysSo) {
  for (const int mode : {1, 3, 9}) {
    SCOPED_TRACE(mode);
    ScriptedUserDialogs dialogs;
    dialogs.AnswerMessage(DialogButton::kOk);
    dialogs.AnswerMessage(DialogButton::kOk);
    GlobalSqlModeState().sqlMode = mode;
    TUniSQLDatabase database;
    Configure(database);
    database.Connect();
    EXPECT_FALSE(database.Connected());
    EXPECT_EQ(database.Handle(), nullptr);
    EXPECT_TRUE(database.GetDatabaseNames().Empty()) << "no other engine answers";
    // A query on it fails with a message instead of running elsewhere.
    TUniSQLQuery query;
    query.SetDatabase(&database);
    query.SetSQL("SELECT 1");
    query.Open();
    EXPECT_TRUE(query.LastRunFailed());
    EXPECT_EQ(query.RecordCount(), 0);
    query.Close();
    ASSERT_EQ(dialogs.MessageTexts().size(), 2u);
    EXPECT_EQ(dialogs.MessageTexts()[0], NoBackendMessage(mode));
    EXPECT_EQ(dialogs.MessageTexts()[1], "Not connected to a database");
    GlobalSqlModeState().sqlMode = kSqlModeMySql;
  }
  EXPECT_EQ(NoBackendMessage(3), "No database backend is available for the SQL mode 3 (MSSQL)");
}

TEST(MysqlPort, FirstAttemptUsesAValidPortNumber) {
  const struct {
    const char* text;
    unsigned port;
  } cases[] = {{"3307", 3307}, {" 13306 ", 13306}, {"", 3306},   {"abc", 3306},
               {"0", 3306},    {"65536", 3306},    {"-1", 3306}, {"65535", 65535}};
  for (const auto& c : cases) {
    EXPECT_EQ(mysql::ConnectPort(c.text), c.port) << c.text;
  }
}

TEST_F(MysqlConnection, ListsDatabasesTablesAndIndexes) {
  Run("CREATE TABLE people (id INT PRIMARY KEY, last VARCHAR(20), first VARCHAR(20), "
      "born DATE, KEY name_idx (last, first), UNIQUE KEY born_idx (born))");
  Run("CREATE TABLE `odd name` (x INT, KEY x_idx (x))");
  ScriptedUserDialogs dialogs;
  TUniSQLDatabase database;
  Configure(database);
  database.Connect();
  EXPECT_GE(database.GetDatabaseNames().IndexOf(database_), 0);
  EXPECT_GE(database.GetDatabaseNames().IndexOf("mysql"), 0);
  EXPECT_EQ(database.GetTableNames(), (platform::StringList{"odd name", "people"}));
  Backend* backend = database.ActiveBackend();
  EXPECT_EQ(backend->ListIndexes(database.Handle(), "people"),
            (platform::StringList{"PRIMARY (id)", "born_idx (born)", "name_idx (last,first)"}));
  EXPECT_EQ(backend->ListIndexes(database.Handle(), "odd name"),
            (platform::StringList{"x_idx (x)"}));
  EXPECT_TRUE(backend->ListIndexes(database.Handle(), "missing").Empty());
}

TEST_F(MysqlConnection, QuotedStringsReachTheServerUnchanged) {
  Run("CREATE TABLE texts (id INT, body TEXT)");
  ScriptedUserDialogs dialogs;
  TUniSQLDatabase database;
  Configure(database);
  database.Connect();
  Backend* backend = database.ActiveBackend();
  const std::string samples[] = {"O'Brien",
                                 "C:\\x;y",
                                 "say \"hi\"",
                                 "line\r\nbreak",
                                 std::string("nul\0byte", 8),
                                 "árvíztűrő tükörfúrógép",
                                 "\x1A"};
  int id = 0;
  for (const std::string& sample : samples) {
    for (bool withConnection : {true, false}) {
      ++id;
      const std::string literal = withConnection ? backend->QuoteString(database.Handle(), sample)
                                                 : backend->QuoteString(nullptr, sample);
      ASSERT_TRUE(backend->Execute(database.Handle(), "INSERT INTO texts VALUES (" +
                                                          std::to_string(id) + "," + literal + ")"))
          << backend->LastError(database.Handle());
      EXPECT_EQ(Query("SELECT body FROM texts WHERE id=" + std::to_string(id)),
                (std::vector<std::vector<std::string>>{{sample}}));
    }
  }
}

TEST_F(MysqlConnection, UnreadRowsDoNotBlockTheNextStatement) {
  ScriptedUserDialogs dialogs;
  TUniSQLDatabase database;
  Configure(database);
  database.Connect();
  Backend* backend = database.ActiveBackend();
  ASSERT_TRUE(backend->Execute(database.Handle(), "SELECT 1"));
  ASSERT_TRUE(backend->Execute(database.Handle(), "CREATE TABLE after_select (x INT)"))
      << backend->LastError(database.Handle());
  ASSERT_TRUE(backend->Execute(database.Handle(), "SELECT 2"));
  auto result = backend->OpenResult(database.Handle());
  EXPECT_EQ(backend->RowCount(*result), 1);
  EXPECT_FALSE(backend->Execute(database.Handle(), "SELEC nonsense"));
  EXPECT_EQ(backend->LastError(database.Handle()).rfind("MySQL Error /You have an error", 0), 0u);
  EXPECT_EQ(backend->FormatDate(platform::EncodeDate(2003, 5, 7)), "'2003-05-07'");
}

}  // namespace
}  // namespace uniaccess
