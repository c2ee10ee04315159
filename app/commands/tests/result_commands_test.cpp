// The result grid's commands: ordering, refreshing and closing Q1, saving
// it to files; a refresh that fails and a save that cannot be written.

#include "app/commands/result_commands.h"

#include <gtest/gtest.h>

#include "app/commands/command_guard.h"
#include "app/commands/tests/command_test.h"

namespace app::testing {
namespace {

using platform::DialogButton;

class ResultCommandsTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    Run("create table t (id int, name varchar(10))");
    Run("insert into t values (1, 'b'), (2, 'a'), (3, 'c')");
    ConnectHost();
    host_->editor = "select id, name from t";
    commands_->sql.RunAllSql();
    ASSERT_EQ(host_->LastLog(), "query opened");
  }
  std::string Sql() {
    std::string text;
    for (const std::string& line : host_->components.Q1.SQL())
      text += line + "\n";
    return text;
  }
  std::string FirstName() { return host_->components.Q1.FieldByName("name").AsString(); }
};

TEST_F(ResultCommandsTest, OrderingKeepsOneOrderByAndRefreshKeepsTheMark) {
  commands_->result.OrderResultBy(1);
  EXPECT_EQ(FirstName(), "a");
  EXPECT_EQ(host_->orderedColumn, 1);
  commands_->result.OrderResultBy(0);
  EXPECT_EQ(FirstName(), "b");
  EXPECT_EQ(Sql(), "select id, name from t\nORDER BY 1\n");
  EXPECT_EQ(host_->orderedColumn, 0);

  Run("insert into t values (4, 'd')");
  commands_->result.RefreshResult();
  EXPECT_EQ(host_->rowCount, "4");
  EXPECT_EQ(host_->orderedColumn, 0);
  EXPECT_EQ(host_->LastLog(), "Result grid is refresh");

  host_->status = "View data from t";
  commands_->result.CloseResult();
  EXPECT_FALSE(host_->components.Q1.Active());
  EXPECT_FALSE(host_->gridVisible);
  EXPECT_EQ(host_->rowCount, "");
  EXPECT_EQ(host_->status, "");
  EXPECT_EQ(host_->orderedColumn, -1);
  EXPECT_EQ(host_->LastLog(), "Query closed");

  // On a closed result they do nothing.
  const std::size_t logged = host_->log.size();
  commands_->result.RefreshResult();
  commands_->result.OrderResultBy(1);
  commands_->result.SaveResult();
  EXPECT_EQ(host_->log.size(), logged);
}

TEST_F(ResultCommandsTest, ARefreshThatFailsSaysSoAndTheNextQueryRuns) {
  commands_->result.OrderResultBy(1);
  Run("drop table t");
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->result.RefreshResult();
  ASSERT_EQ(dialogs_->MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_->MessageTexts()[0].rfind("MySQL Error /Table", 0), 0u)
      << dialogs_->MessageTexts()[0];
  EXPECT_EQ(host_->LastLog(), "Result grid refresh failed");
  EXPECT_FALSE(host_->Logged("Result grid is refresh"));
  EXPECT_EQ(host_->rowCount, "");
  EXPECT_EQ(host_->orderedColumn, -1);

  host_->editor = "select 42";
  commands_->sql.RunAllSql();
  EXPECT_EQ(host_->LastLog(), "query opened");
  EXPECT_EQ(host_->rowCount, "1");
}

TEST_F(ResultCommandsTest, AnOrderingThatFailsClearsTheRowCount) {
  commands_->result.OrderResultBy(1);
  EXPECT_EQ(host_->rowCount, "3");
  Run("drop table t");
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->result.OrderResultBy(0);
  ASSERT_EQ(dialogs_->MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs_->MessageTexts()[0].rfind("MySQL Error /Table", 0), 0u);
  EXPECT_EQ(host_->LastLog(), "SQL ERROR");
  EXPECT_EQ(host_->rowCount, "");
  EXPECT_EQ(host_->orderedColumn, -1);
}

TEST_F(ResultCommandsTest, TheResultIsSavedByTheChosenTypeAndAnUnwritableFileIsReported) {
  // No extension: the selected filter decides (the second one is CSV).
  dialogs_->AnswerSaveFile(directory_.File("result"), 2);
  dialogs_->AnswerMessage(DialogButton::kOk);  // the export's report
  commands_->result.SaveResult();
  const std::string csv = platform::testing::ReadFileBytes(directory_.File("result.csv"));
  EXPECT_NE(csv.find("\"b\";"), std::string::npos) << csv;
  EXPECT_EQ(host_->LastLog(), directory_.File("result.csv") + "  Result grid saved.");
  EXPECT_EQ(host_->progressTitles, (std::vector<std::string>{"Result grid save"}));

  const std::string unwritable = UnwritablePath("grid.xml");
  dialogs_->AnswerSaveFile(unwritable);
  dialogs_->AnswerMessage(DialogButton::kOk);
  EXPECT_FALSE(RunGuarded(host_.get(), [&] { commands_->result.SaveResult(); }));
  EXPECT_NE(dialogs_->MessageTexts().back().find("Not a directory"), std::string::npos)
      << dialogs_->MessageTexts().back();
  EXPECT_EQ(host_->LastLog(), dialogs_->MessageTexts().back());
  EXPECT_TRUE(host_->components.Q1.Active()) << "the result stays";

  dialogs_->AnswerSaveFile(directory_.File("grid.XML"), 1);
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->result.SaveResult();
  EXPECT_NE(platform::testing::ReadFileBytes(directory_.File("grid.XML")).find(">c<"),
            std::string::npos);
}

}  // namespace
}  // namespace app::testing
