#pragma once
// What the main window's commands need of the window, and nothing more: the
// message log, the status text, the SQL editor's text, the toolbar's current
// database, the remembered tree node, how results and the tree are shown,
// the data editor and a progress display, plus the components and the
// remembered dialog directories. The window implements it over its widgets;
// tests implement it over plain values, so every command runs without a
// widget. Message boxes and file dialogs go through the installed
// platform::UserDialogs, as everywhere else.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/commands/client_components.h"
#include "app/core/main_settings.h"
#include "interchange/transfer.h"
#include "platform/string_list.h"

namespace app {

// Levels of the database tree.
enum class TreeLevel { kRoot = 0, kDatabase = 1, kTable = 2, kIndex = 3 };

// The node of the last mouse press on the tree, by its names.
struct TreeNode {
  TreeLevel level = TreeLevel::kRoot;
  std::string text;        // the database, the table or the index entry
  std::string parentText;  // an index entry's table; empty above that level
};

// The display of one long export, import or batch run.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // Told the count done so far; answers false once the user cancelled.
  virtual interchange::TProgressEvent Callback() = 0;
  // A line shown above the count ("Table 2 / 5: orders").
  virtual void SetStage(std::string_view stage) = 0;
};

class CommandHost {
 public:
  virtual ~CommandHost() = default;

  virtual ClientComponents& Components() = 0;
  // The remembered dialog directories (sqlDir, outDir) live here.
  virtual MainSettings& Settings() = 0;
  // "Brindle.ini" beside the program, where the profiles are kept.
  virtual std::string SettingsPath() const = 0;

  // ---- Message log and status text
  // Appends one line; the log keeps at most 200.
  virtual void AddLogLine(std::string_view text) = 0;
  // Appends the lines as one block, the log not repainted in between.
  virtual void AddLogLines(const std::vector<std::string>& lines) = 0;
  // Characters in the log's text.
  virtual std::size_t LogLength() const = 0;
  // Shows the page "Messages" and selects part of the log, scrolled into view.
  virtual void SelectLogText(std::size_t start, std::size_t length) = 0;
  virtual void SetStatusText(std::string_view text) = 0;

  // ---- The SQL editor; lines are separated by "\n".
  virtual std::string EditorText() const = 0;
  virtual void SetEditorText(std::string_view text) = 0;

  // ---- The toolbar's database combo box: its text is the current database.
  virtual std::string CurrentDatabase() const = 0;
  virtual void SetCurrentDatabase(std::string_view name) = 0;

  // ---- The tree
  virtual std::optional<TreeNode> RememberedNode() const = 0;
  // The databases under the root and in the toolbar's list, replacing what
  // was there (the first one selected); the remembered node is forgotten.
  virtual void ShowDatabases(const platform::StringList& names) = 0;

  // ---- The result grid (on DS1)
  // Shows the grid, switches to the page "Result" and focuses the grid.
  virtual void ShowResultGrid() = 0;
  virtual void HideResultGrid() = 0;
  // The row-number display: a count, or empty.
  virtual void SetRowCountText(std::string_view text) = 0;
  // The column (0-based) whose title is red, the result's ORDER BY, or -1.
  virtual int OrderedColumn() const = 0;
  virtual void MarkOrderedColumn(int column) = 0;

  // ---- The data editor window
  virtual uniaccess::TUniSQLTable& DataEditorTable() = 0;
  // The caption of the tree's "Edit Table" item as the window shows it.
  virtual std::string EditTableCaption() const = 0;
  // Shows the data editor modally over its table; returns when it closes.
  virtual void ShowDataEditor(std::string_view caption) = 0;

  // ---- Long runs
  virtual std::unique_ptr<ProgressView> StartProgress(std::string_view title) = 0;
};

}  // namespace app
