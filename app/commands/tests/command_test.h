#pragma once
// Drives the window's commands without a window: a host over plain values
// that records what the commands show, the run's test server with a scratch
// database, and scripted dialogs that fail the test on any box not
// expected.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/client_commands.h"
#include "app/commands/command_host.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"
#include "uniaccess/testing/mysql_test_server.h"

namespace app::testing {

class TestHost : public CommandHost {
 public:
  ClientComponents& Components() override { return components; }
  MainSettings& Settings() override { return settings; }
  std::string SettingsPath() const override { return settingsPath; }

  void AddLogLine(std::string_view text) override { log.emplace_back(text); }
  void AddLogLines(const std::vector<std::string>& lines) override;
  std::size_t LogLength() const override;
  void SelectLogText(std::size_t start, std::size_t length) override;
  void SetStatusText(std::string_view text) override { status = text; }

  std::string EditorText() const override { return editor; }
  void SetEditorText(std::string_view text) override { editor = text; }

  std::string CurrentDatabase() const override { return currentDatabase; }
  void SetCurrentDatabase(std::string_view name) override { currentDatabase = name; }

  std::optional<TreeNode> RememberedNode() const override { return remembered; }
  void ShowDatabases(const platform::StringList& names) override;

  void ShowResultGrid() override { gridVisible = true; }
  void HideResultGrid() override { gridVisible = false; }
  void SetRowCountText(std::string_view text) override { rowCount = text; }
  int OrderedColumn() const override { return orderedColumn; }
  void MarkOrderedColumn(int column) override { orderedColumn = column; }

  uniaccess::TUniSQLTable& DataEditorTable() override { return dataEditorTable; }
  std::string EditTableCaption() const override { return "Edit Table"; }
  void ShowDataEditor(std::string_view caption) override;

  std::unique_ptr<ProgressView> StartProgress(std::string_view title) override;

  // The log's last line, or empty.
  std::string LastLog() const { return log.empty() ? std::string() : log.back(); }
  bool Logged(std::string_view line) const;

  ClientComponents components;
  MainSettings settings;
  std::string settingsPath;
  std::vector<std::string> log;
  std::string status;
  std::string editor;
  std::string currentDatabase;
  std::optional<TreeNode> remembered;
  platform::StringList databases;
  bool gridVisible = false;
  std::string rowCount;
  int orderedColumn = -1;
  std::size_t selectionStart = 0;
  std::size_t selectionLength = 0;
  uniaccess::TUniSQLTable dataEditorTable;
  std::vector<std::string> dataEditorCaptions;
  // Runs while the data editor is shown.
  std::function<void(uniaccess::TUniSQLTable&)> onDataEditor;
  std::vector<std::string> progressTitles;
  // Answers each progress report; cancels when it returns false.
  std::function<bool(int done)> onProgress;
};

// The run's test server, a scratch database and the commands over a host.
class CommandTest : public uniaccess::testing::MysqlTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Points both connections at the test server and the toolbar at the
  // scratch database, as connecting with a profile does.
  void ConnectHost();
  void RememberTable(const std::string& table);
  void RememberDatabase(const std::string& database);
  // A path that no one can create, whatever the rights: its parent is a
  // regular file.
  std::string UnwritablePath(const std::string& name) const;

  platform::testing::TempDirectory directory_;
  std::unique_ptr<platform::testing::ScriptedUserDialogs> dialogs_;
  std::unique_ptr<TestHost> host_;
  std::unique_ptr<ClientCommands> commands_;
};

}  // namespace app::testing
