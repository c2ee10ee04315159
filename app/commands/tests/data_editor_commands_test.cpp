// Opening the data editor through the commands, and ordering its table.

#include "app/commands/data_editor_commands.h"

#include <gtest/gtest.h>

#include "app/commands/tests/command_test.h"

namespace app::testing {
namespace {

using platform::DialogButton;

class DataEditorCommandsTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    Run("create table people (id int primary key, name varchar(20))");
    Run("insert into people values (1, 'Bob'), (2, 'Ann')");
    ConnectHost();
  }
};

TEST_F(DataEditorCommandsTest, TheEditorOpensOnTheTableAndClosesItAfterwards) {
  RememberTable("  people (a comment after the name)");
  int rowsShown = 0;
  std::string ordered;
  host_->onDataEditor = [&](uniaccess::TUniSQLTable& table) {
    rowsShown = table.RecordCount();
    EXPECT_TRUE(OrderTableBy(table, 1));
    ordered = table.FieldByName("name").AsString();
    EXPECT_EQ(table.IndexFields(), "2");
  };
  commands_->dataEditor.EditTable();
  EXPECT_EQ(host_->dataEditorCaptions,
            (std::vector<std::string>{"Edit Table " + database_ + ".people"}));
  EXPECT_EQ(rowsShown, 2);
  EXPECT_EQ(ordered, "Ann");
  EXPECT_FALSE(host_->dataEditorTable.Active());
  EXPECT_EQ(host_->LastLog(), "Edit table people");
  EXPECT_FALSE(OrderTableBy(host_->dataEditorTable, 0)) << "a closed table is not reordered";
}

TEST_F(DataEditorCommandsTest, ATableThatCannotBeOpenedIsLoggedAndTheEditorNotShown) {
  RememberTable("gone");
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->dataEditor.EditTable();
  EXPECT_TRUE(host_->dataEditorCaptions.empty());
  EXPECT_EQ(host_->LastLog(), "SQL Error");
  EXPECT_FALSE(host_->dataEditorTable.Active());

  RememberTable("people");
  commands_->dataEditor.EditTable();
  EXPECT_EQ(host_->dataEditorCaptions.size(), 1u);
  EXPECT_EQ(EditedTableName("\tname\x01rest"), "name");

  // A server that cannot be reached is told once, by the connection.
  host_->components.DB1.Disconnect();
  host_->components.DB1.SetHost("127.0.0.1");
  host_->components.DB1.SetPort("1");
  dialogs_->AnswerMessage(DialogButton::kOk);
  commands_->dataEditor.EditTable();
  ASSERT_EQ(dialogs_->MessageTexts().size(), 2u);
  EXPECT_EQ(dialogs_->MessageTexts().back().rfind("MySQL Error /", 0), 0u);
  EXPECT_EQ(host_->LastLog(), "SQL Error");
  EXPECT_EQ(host_->dataEditorCaptions.size(), 1u) << "the editor is not shown";
  EXPECT_FALSE(host_->dataEditorTable.Active());
}

}  // namespace
}  // namespace app::testing
