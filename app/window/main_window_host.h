#pragma once
// The main window as the commands see it: CommandHost over TFormBrindle's
// widgets. The message log keeps at most 200 lines; the result grid's red
// title marks the column the result is ordered by; the remembered tree
// node is the one of the last mouse press.

#include "app/commands/command_host.h"

namespace app {

class TFormBrindle;

class MainWindowHost : public CommandHost {
 public:
  explicit MainWindowHost(TFormBrindle& window) : window_(window) {}

  ClientComponents& Components() override;
  MainSettings& Settings() override;
  std::string SettingsPath() const override;

  void AddLogLine(std::string_view text) override;
  void AddLogLines(const std::vector<std::string>& lines) override;
  std::size_t LogLength() const override;
  void SelectLogText(std::size_t start, std::size_t length) override;
  void SetStatusText(std::string_view text) override;

  std::string EditorText() const override;
  void SetEditorText(std::string_view text) override;

  std::string CurrentDatabase() const override;
  void SetCurrentDatabase(std::string_view name) override;

  std::optional<TreeNode> RememberedNode() const override;
  void ShowDatabases(const platform::StringList& names) override;

  void ShowResultGrid() override;
  void HideResultGrid() override;
  void SetRowCountText(std::string_view text) override;
  int OrderedColumn() const override { return orderedColumn_; }
  void MarkOrderedColumn(int column) override;

  uniaccess::TUniSQLTable& DataEditorTable() override;
  std::string EditTableCaption() const override;
  void ShowDataEditor(std::string_view caption) override;

  std::unique_ptr<ProgressView> StartProgress(std::string_view title) override;

 private:
  TFormBrindle& window_;
  int orderedColumn_ = -1;
};

}  // namespace app
