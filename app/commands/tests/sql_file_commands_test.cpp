// The SQL editor's files through the commands: a round trip, and files that
// are missing or cannot be written, after which the editor and the current
// file are as they were and the next command works.

#include "app/commands/sql_file_commands.h"

#include <gtest/gtest.h>

#include "app/commands/command_guard.h"
#include "app/commands/tests/command_test.h"
#include "platform/testing/file_size_limit.h"

namespace app::testing {
namespace {

using platform::DialogButton;

using SqlFileCommandsTest = CommandTest;

TEST_F(SqlFileCommandsTest, SavedScriptsOpenAgainAndTheDirectoryFollows) {
  platform::testing::TempDirectory scripts;
  const std::string path = scripts.File("script.SQL");
  host_->editor = "select 1;\nselect 'Ärvíztűrő';";
  dialogs_->AnswerSaveFile(path);
  commands_->files.SaveSqlFile();
  EXPECT_EQ(platform::testing::ReadFileBytes(path), "select 1;\r\nselect 'Ärvíztűrő';\r\n");
  EXPECT_EQ(host_->LastLog(), path + " SQL file saved");
  EXPECT_EQ(host_->settings.sqlDir, scripts.Path().string() + "/");
  EXPECT_EQ(commands_->files.CurrentSqlFile(), path);

  host_->editor.clear();
  dialogs_->AnswerOpenFile(path);
  commands_->files.OpenSqlFile();
  EXPECT_EQ(host_->editor, "select 1;\nselect 'Ärvíztűrő';");
  EXPECT_EQ(host_->LastLog(), path + " SQL file readed");
  EXPECT_EQ(dialogs_->Shown().back().file.initialDirectory, scripts.Path().string() + "/");

  // The save dialog proposes the current file.
  dialogs_->CancelSaveFile();
  commands_->files.SaveSqlFile();
  EXPECT_EQ(dialogs_->Shown().back().file.fileName, path);

  commands_->files.ClearSqlEditor();
  EXPECT_EQ(host_->editor, "");
  EXPECT_EQ(host_->LastLog(), "Clear SQL editor");
  EXPECT_EQ(commands_->files.CurrentSqlFile(), path);
}

TEST_F(SqlFileCommandsTest, AFileThatCannotBeReadOrWrittenChangesNothing) {
  const std::string typed = "select * from my_work -- not saved anywhere yet";
  host_->editor = typed;
  const std::string before = host_->settings.sqlDir;
  const struct {
    const char* what;
    bool open;
    std::string path;
    std::string message;
  } cases[] = {
      {"missing", true, directory_.File("missing.sql"),
       "File not found: " + directory_.File("missing.sql")},
      {"unreadable place", true, UnwritablePath("x.sql"),
       "File not found: " + UnwritablePath("x.sql")},
      {"unwritable place", false, UnwritablePath("x.sql"),
       "I/O error 20: cannot open " + UnwritablePath("x.sql") + ": Not a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.open) {
      dialogs_->AnswerOpenFile(c.path);
    } else {
      dialogs_->AnswerSaveFile(c.path);
    }
    dialogs_->AnswerMessage(DialogButton::kOk);
    EXPECT_FALSE(RunGuarded(host_.get(), [&] {
      if (c.open) {
        commands_->files.OpenSqlFile();
      } else {
        commands_->files.SaveSqlFile();
      }
    }));
    EXPECT_EQ(dialogs_->Shown().back().message.text, c.message);
    EXPECT_EQ(dialogs_->Shown().back().message.caption, "error");
    EXPECT_EQ(host_->LastLog(), c.message);
    EXPECT_EQ(host_->editor, typed);
    EXPECT_EQ(commands_->files.CurrentSqlFile(), "");
    EXPECT_EQ(host_->settings.sqlDir, before);
  }
  EXPECT_FALSE(std::filesystem::exists(directory_.File("missing.sql")));

  // The next save works.
  dialogs_->AnswerSaveFile(directory_.File("kept.sql"));
  commands_->files.SaveSqlFile();
  EXPECT_EQ(platform::testing::ReadFileBytes(directory_.File("kept.sql")), typed + "\r\n");
}

TEST_F(SqlFileCommandsTest, ASaveThatCannotBeWrittenWholeLeavesTheOldFile) {
  const std::string path = directory_.File("precious.sql");
  const std::string old(4000, 'o');
  platform::testing::WriteFileBytes(path, old);
  host_->editor = std::string(20000, 'n');
  dialogs_->AnswerSaveFile(path);
  dialogs_->AnswerMessage(DialogButton::kOk);
  bool saved = true;
  {
    const platform::testing::ScopedFileSizeLimit full(8192);
    saved = RunGuarded(host_.get(), [&] { commands_->files.SaveSqlFile(); });
  }
  EXPECT_FALSE(saved);
  ASSERT_FALSE(dialogs_->MessageTexts().empty());
  EXPECT_NE(dialogs_->MessageTexts().back().find("File too large"), std::string::npos)
      << dialogs_->MessageTexts().back();
  EXPECT_EQ(platform::testing::ReadFileBytes(path), old);
  EXPECT_EQ(platform::testing::FileNamesIn(directory_.Path()),
            std::vector<std::string>{"precious.sql"});
  EXPECT_EQ(commands_->files.CurrentSqlFile(), "");
  EXPECT_FALSE(host_->Logged(path + " SQL file saved"));
}

}  // namespace
}  // namespace app::testing
