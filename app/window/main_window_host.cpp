#include "app/window/main_window_host.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTreeWidget>
#include <algorithm>

#include "app/window/data_editor.h"
#include "app/window/main_window.h"
#include "app/window/transfer_progress.h"
#include "app/window/tree_nodes.h"
#include "dataset/qt/dataset_table_model.h"
#include "platform/qt/qt_text.h"

namespace app {
namespace {

using platform::qt::QText;
using platform::qt::StdText;

constexpr int kMaxLogLines = 200;
constexpr int kResultPage = 0;
constexpr int kMessagesPage = 1;
const QColor kOrderedTitleColor(255, 0, 0);

}  // namespace

ClientComponents& MainWindowHost::Components() {
  return window_.Components();
}

MainSettings& MainWindowHost::Settings() {
  return window_.Settings();
}

std::string MainWindowHost::SettingsPath() const {
  return window_.SettingsPath();
}

void MainWindowHost::AddLogLine(std::string_view text) {
  QPlainTextEdit* memo = window_.MemoMessages;
  QTextDocument* log = memo->document();
  if (log->blockCount() >= kMaxLogLines && !(log->blockCount() == 1 && log->isEmpty())) {
    QTextCursor first(log->firstBlock());
    first.select(QTextCursor::BlockUnderCursor);
    first.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    first.removeSelectedText();
  }
  memo->appendPlainText(QText(text));
  // The caret 5 characters before the end scrolls the log to its end.
  QTextCursor caret = memo->textCursor();
  const int length = log->characterCount() - 1;
  caret.setPosition(std::max(0, length - 5));
  memo->setTextCursor(caret);
  memo->ensureCursorVisible();
}

void MainWindowHost::AddLogLines(const std::vector<std::string>& lines) {
  QPlainTextEdit* memo = window_.MemoMessages;
  memo->setUpdatesEnabled(false);
  for (const std::string& line : lines) {
    AddLogLine(line);
  }
  memo->setUpdatesEnabled(true);
}

std::size_t MainWindowHost::LogLength() const {
  return static_cast<std::size_t>(window_.MemoMessages->toPlainText().size());
}

void MainWindowHost::SelectLogText(std::size_t start, std::size_t length) {
  window_.PCBottom->setCurrentIndex(kMessagesPage);
  QPlainTextEdit* memo = window_.MemoMessages;
  const int end = static_cast<int>(LogLength());
  QTextCursor caret = memo->textCursor();
  const int from = std::min(static_cast<int>(start), end);
  caret.setPosition(from);
  caret.setPosition(std::min(from + static_cast<int>(length), end), QTextCursor::KeepAnchor);
  memo->setTextCursor(caret);
}

void MainWindowHost::SetStatusText(std::string_view text) {
  window_.LabelStatus->setText(QText(text));
}

std::string MainWindowHost::EditorText() const {
  return StdText(window_.MemoSQL->toPlainText());
}

void MainWindowHost::SetEditorText(std::string_view text) {
  // One undoable edit, so a replaced text can be had back.
  QTextCursor cursor(window_.MemoSQL->document());
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(QText(text));
  cursor.endEditBlock();
  window_.MemoSQL->setTextCursor(cursor);
}

std::string MainWindowHost::CurrentDatabase() const {
  return StdText(window_.CBDatabase->currentText());
}

void MainWindowHost::SetCurrentDatabase(std::string_view name) {
  window_.CBDatabase->setCurrentText(QText(name));
}

std::optional<TreeNode> MainWindowHost::RememberedNode() const {
  const QTreeWidgetItem* node = window_.RememberedNode();
  if (node == nullptr) {
    return std::nullopt;
  }
  TreeNode names;
  names.level = TreeLevelOf(node);
  names.text = StdText(node->text(0));
  if (node->parent() != nullptr) {
    names.parentText = StdText(node->parent()->text(0));
  }
  return names;
}

void MainWindowHost::ShowDatabases(const platform::StringList& names) {
  QComboBox* databases = window_.CBDatabase;
  databases->clear();
  QTreeWidgetItem* root = window_.TreeView->topLevelItem(0);
  if (root == nullptr) {
    root = new QTreeWidgetItem(window_.TreeView, QStringList{"root"});
  }
  window_.DeleteChildren(root);
  for (const std::string& name : names) {
    databases->addItem(QText(name));
    AddTreeNode(root, QText(name), TreeImage::kDatabase, "Table");
  }
  if (databases->count() > 0) {
    databases->setCurrentIndex(0);
  }
  root->setExpanded(true);
  window_.SetRememberedNode(nullptr);
}

void MainWindowHost::ShowResultGrid() {
  window_.DBGrid->show();
  window_.PCBottom->setCurrentIndex(kResultPage);
  window_.DBGrid->setFocus();
}

void MainWindowHost::HideResultGrid() {
  window_.DBGrid->hide();
}

void MainWindowHost::SetRowCountText(std::string_view text) {
  window_.EditRowNo->setText(QText(text));
}

void MainWindowHost::MarkOrderedColumn(int column) {
  dataset::qt::DatasetTableModel& model = window_.ResultModel();
  model.ClearTitleColors();
  if (column >= 0) {
    model.SetTitleColor(column, kOrderedTitleColor);
  }
  orderedColumn_ = column;
}

uniaccess::TUniSQLTable& MainWindowHost::DataEditorTable() {
  return window_.FormdataEditor->Table1;
}

std::string MainWindowHost::EditTableCaption() const {
  const QAction* item = window_.findChild<QAction*>("EditTable1");
  return item != nullptr ? StdText(item->text()) : std::string("Edit Table");
}

void MainWindowHost::ShowDataEditor(std::string_view caption) {
  window_.FormdataEditor->setWindowTitle(QText(caption));
  window_.FormdataEditor->exec();
}

std::unique_ptr<ProgressView> MainWindowHost::StartProgress(std::string_view title) {
  return std::make_unique<TransferProgress>(&window_, QText(title));
}

}  // namespace app
