// Running SQL through the commands: the editor's last statement, the whole
// text, rejected statements, batch files that stop at a failure.

#include "app/commands/sql_commands.h"

#include <gtest/gtest.h>

#include "app/commands/command_guard.h"
#include "app/commands/tests/command_test.h"

namespace app::testing {
namespace {

using platform::DialogButton;
using Rows = std::vector<std::vector<std::string>>;

class SqlCommandsTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    Run("create table t (id int, name varchar(10))");
    Run("insert into t values (1, 'b'), (2, 'a'), (3, 'c')");
    ConnectHost();
  }
};

TEST_F(SqlCommandsTest, RunLastSqlRunsOnlyTheLastStatementAndTerminatesTheEditor) {
  host_->editor = "update t set name = 'x';\nselect id, name from t order by id;  ";
  commands_->sql.RunLastSql();
  EXPECT_EQ(Query("select count(*) from t where name = 'x'"), (Rows{{"0"}}));
  EXPECT_TRUE(host_->gridVisible);
  EXPECT_EQ(host_->rowCount, "3");
  EXPECT_EQ(host_->LastLog(), "query opened");
  EXPECT_EQ(host_->editor, "update t set name = 'x';\nselect id, name from t order by id;\n");

  // A statement typed after the terminator becomes the last one.
  host_->editor += "update t set name = 'y' where id = 3";
  commands_->sql.RunLastSql();
  EXPECT_EQ(Query("select name from t where id = 3"), (Rows{{"y"}}));
  EXPECT_FALSE(host_->gridVisible);
  EXPECT_EQ(host_->LastLog(), "SQL executed.");
  EXPECT_TRUE(host_->editor.ends_with("where id = 3;\n"));

  // A blank editor runs nothing and stays blank.
  host_->editor = "  \n ";
  const std::size_t logged = host_->log.size();
  commands_->sql.RunLastSql();
  EXPECT_EQ(host_->editor, "");
  EXPECT_EQ(host_->log.size(), logged);
}

TEST_F(SqlCommandsTest, RunAllSqlOpensQueriesAndExecutesTheRest) {
  const struct {
    const char* text;
    bool opened;
  } cases[] = {
      {"-- update nothing\r\nselect * from t", true},
      {"select 'drop ' as a from t", false},  // a keyword anywhere executes
      {"update t set name = 'z' where id = 1;\ninsert into t values (4, 'd;e')", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    host_->editor = c.text;
    commands_->sql.RunAllSql();
    EXPECT_EQ(host_->gridVisible, c.opened);
    EXPECT_EQ(host_->LastLog(), c.opened ? "query opened" : "SQL executed.");
    EXPECT_EQ(host_->editor, c.text) << "the editor is not changed";
  }
  EXPECT_EQ(Query("select id, name from t where id in (1, 4) order by id"),
            (Rows{{"1", "z"}, {"4", "d;e"}}));
}

TEST_F(SqlCommandsTest, ARejectedStatementShowsTheServersTextAndTheNextOneRuns) {
  const char* rejected[] = {"select * from no_such_table", "delete from no_such_table"};
  for (std::size_t i = 0; i < std::size(rejected); ++i) {
    SCOPED_TRACE(rejected[i]);
    host_->gridVisible = false;
    dialogs_->AnswerMessage(DialogButton::kOk);
    host_->editor = rejected[i];
    commands_->sql.RunAllSql();
    ASSERT_EQ(dialogs_->MessageTexts().size(), i + 1);
    EXPECT_EQ(dialogs_->MessageTexts().back().rfind("MySQL Error /", 0), 0u)
        << dialogs_->MessageTexts().back();
    EXPECT_EQ(host_->LastLog(), "SQL ERROR");
    EXPECT_FALSE(host_->gridVisible);

    host_->editor = "select * from t";
    commands_->sql.RunAllSql();
    EXPECT_EQ(host_->LastLog(), "query opened");
    EXPECT_EQ(host_->rowCount, "3");
  }
}

TEST_F(SqlCommandsTest, AServerThatCannotBeReachedIsToldOnceAndNothingRuns) {
  host_->editor = "select * from t";
  commands_->sql.RunAllSql();
  ASSERT_EQ(host_->rowCount, "3");
  uniaccess::TUniSQLDatabase& main = host_->components.DB1;
  main.Disconnect();
  main.SetHost("127.0.0.1");
  main.SetPort("1");
  const std::string typed = "update t set name = 'x';\nselect * from t";
  for (const bool last : {false, true}) {
    SCOPED_TRACE(last ? "Run Last SQL" : "Run All SQL");
    host_->editor = typed;
    dialogs_->AnswerMessage(DialogButton::kOk);
    const std::size_t shown = dialogs_->MessageTexts().size();
    if (last) {
      commands_->sql.RunLastSql();
    } else {
      commands_->sql.RunAllSql();
    }
    ASSERT_EQ(dialogs_->MessageTexts().size(), shown + 1) << "one box, not one more per statement";
    EXPECT_EQ(dialogs_->MessageTexts().back().rfind("MySQL Error /", 0), 0u)
        << dialogs_->MessageTexts().back();
    EXPECT_EQ(host_->LastLog(), "SQL ERROR");
    EXPECT_EQ(host_->rowCount, "");
    EXPECT_EQ(host_->editor, typed);
  }
  EXPECT_EQ(Query("select count(*) from t where name = 'x'"), (Rows{{"0"}}));
}

TEST_F(SqlCommandsTest, ABatchFileStopsAtItsFirstFailingStatementAndSaysWhere) {
  // Each batch here fails once: the server's text is shown.
  auto runBatch = [this](const char* name, const char* text) {
    const std::string path = directory_.File(name);
    platform::testing::WriteFileBytes(path, text);
    dialogs_->AnswerMessage(DialogButton::kOk);
    platform::SharedTextFile file(path, platform::TextFileMode::kReset);
    return commands_->sql.RunBatchFile(file);
  };
  const BatchResult result = runBatch("batch.sql",
                                      "insert into t values (10, 'ten');\r\n"
                                      "insert into t\r\nvalues (11, 'a;b');\r\n"
                                      "insert into nowhere\r\nvalues (1);\r\n"
                                      "delete from t;\r\n");
  EXPECT_EQ(result.statementsRun, 3);
  EXPECT_EQ(result.failedStatement, 3);
  EXPECT_EQ(result.failedLine, 4);
  EXPECT_EQ(BatchStopText(result), "stopped at statement 3 (line 4)");
  EXPECT_EQ(Query("select count(*) from t"), (Rows{{"5"}})) << "the delete did not run";
  EXPECT_EQ(host_->status, "") << "the status text is cleared";
  EXPECT_EQ(dialogs_->MessageTexts().size(), 1u) << "one box for the failure, not one per line";

  // A line holding several statements stops at the failing one too.
  const BatchResult stopped = runBatch("line.sql",
                                       "insert into t values (20, 'x'); insert into nowhere values "
                                       "(1); insert into t values (21, 'y');\r\n"
                                       "insert into t values (22, 'z');\r\n");
  EXPECT_EQ(BatchStopText(stopped), "stopped at statement 1 (line 1)");
  EXPECT_EQ(Query("select id from t where id >= 20"), (Rows{{"20"}}));
  EXPECT_EQ(dialogs_->MessageTexts().size(), 2u);
  EXPECT_FALSE(host_->components.Q2.StopsAtFirstFailure()) << "other scripts run on as before";
}

TEST_F(SqlCommandsTest, TheStartupBatchFailsOnAMissingFileOrAFailingStatement) {
  const std::string good = directory_.File("good.sql");
  platform::testing::WriteFileBytes(good, "insert into t values (7, 'g');\n");
  EXPECT_TRUE(commands_->sql.RunStartupBatch(good));
  EXPECT_EQ(Query("select name from t where id = 7"), (Rows{{"g"}}));

  dialogs_->AnswerMessage(DialogButton::kOk);
  const std::string missing = directory_.File("missing.sql");
  EXPECT_FALSE(RunGuarded(host_.get(), [&] { commands_->sql.RunStartupBatch(missing); }));
  EXPECT_EQ(dialogs_->MessageTexts().back(), "File not found: " + missing);
  EXPECT_FALSE(std::filesystem::exists(missing)) << "reading creates no file";

  const std::string bad = directory_.File("bad.sql");
  platform::testing::WriteFileBytes(bad,
                                    "insert into t values (8, 'h');\ninsert into nowhere "
                                    "values (1);\n");
  dialogs_->AnswerMessage(DialogButton::kOk);  // the server's text
  dialogs_->AnswerMessage(DialogButton::kOk);  // where the run stopped
  EXPECT_FALSE(commands_->sql.RunStartupBatch(bad));
  EXPECT_EQ(dialogs_->MessageTexts().back(), bad + ": stopped at statement 2 (line 2)");
}

}  // namespace
}  // namespace app::testing
