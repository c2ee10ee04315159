// The tree's object commands: create and drop databases; drop, empty, view,
// list and reindex tables; drop one index. They run on the tool connection
// DB2 (viewing uses the main connection) and act on the remembered node.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

#include "app/core/table_script.h"
#include "app/window/data_editor.h"
#include "app/window/main_window.h"
#include "app/window/tree_nodes.h"
#include "platform/shared_text_file.h"
#include "platform/text.h"
#include "translation/translation.h"
#include "uniaccess/sql_mode.h"

namespace app {
namespace {

using translation::TranslateText;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
std::string S(const QString& text) {
  return text.toStdString();
}

// An index entry's name: the text before its first blank.
std::string IndexNameOf(const std::string& entry) {
  return entry.substr(0, entry.find(' '));
}

}  // namespace

void TFormBrindle::ConnectToolToCurrentDatabase() {
  Q2.Close();
  T2.Close();
  DB2.Disconnect();
  DB2.SetDatabasename(S(CBDatabase->currentText()));
  DB2.Connect();
}

QTreeWidgetItem* TFormBrindle::RememberedTable() const {
  if (rememberedNode_ == nullptr || TreeLevelOf(rememberedNode_) != 2)
    return nullptr;
  if (CBDatabase->currentText().isEmpty())
    return nullptr;
  return rememberedNode_;
}

bool TFormBrindle::RunToolStatement(const std::string& statement, const char* failureLog) {
  Q2.SetSQL(statement);
  Q2.ExecSQL();
  if (!Q2.LastRunFailed())
    return true;
  // The server's text has been shown by the data access.
  AddLogLine(failureLog);
  return false;
}

void TFormBrindle::CreateDatabase() {
  DB2.Disconnect();
  const std::string name =
      dialogs_
          .InputBox(TranslateText("Create new database"), TranslateText("New database name:"), "")
          .value_or("");
  if (!name.empty()) {
    DB2.SetDatabasename(uniaccess::GlobalSqlModeState().systemDatabaseName);
    DB2.Connect();
    if (RunToolStatement("CREATE DATABASE " + name, "SQL ERROR ")) {
      AddLogLine(name + TranslateText(" Database created"));
    }
    DB2.Disconnect();
  }
  RebuildTree();
}

void TFormBrindle::DropDatabase() {
  DB2.Disconnect();
  const std::string proposed = S(CBDatabase->currentText());
  // Cancel answers with the proposed name: the confirmation decides.
  const std::string name =
      dialogs_.InputBox(TranslateText("Drop database"), TranslateText("Database name:"), proposed)
          .value_or(proposed);
  if (!name.empty() &&
      dialogs_.Confirm(TranslateText("Drop the ") + name + TranslateText(" database?"),
                       TranslateText("Sure?"))) {
    DB2.SetDatabasename(uniaccess::GlobalSqlModeState().systemDatabaseName);
    DB2.Connect();
    if (RunToolStatement("DROP DATABASE " + name, "SQL ERROR ")) {
      AddLogLine(name + TranslateText(" database droped"));
    }
    DB2.Disconnect();
  }
  RebuildTree();
}

void TFormBrindle::DropTable() {
  QTreeWidgetItem* node = RememberedTable();
  if (node == nullptr)
    return;
  const std::string table = S(node->text(0));
  if (!dialogs_.Confirm(TranslateText("Drop the ") + table + " " + TranslateText("table ?"),
                        TranslateText("Sure?"))) {
    return;
  }
  ConnectToolToCurrentDatabase();
  if (RunToolStatement("drop table " + table, "SQL Error")) {
    AddLogLine(table + " " + TranslateText("Table droped"));
  }
  DB2.Disconnect();
  RebuildTree();
}

void TFormBrindle::EmptyTable() {
  QTreeWidgetItem* node = RememberedTable();
  if (node == nullptr)
    return;
  const std::string table = S(node->text(0));
  if (!dialogs_.Confirm(
          TranslateText("Delete all rows from ") + table + " " + TranslateText("table ?"),
          TranslateText("Sure?"))) {
    return;
  }
  ConnectToolToCurrentDatabase();
  if (RunToolStatement("delete from " + table, "SQL Error")) {
    AddLogLine(TranslateText("delete all rows from ") + table);
  }
  DB2.Disconnect();
}

void TFormBrindle::ViewData() {
  QTreeWidgetItem* node = RememberedTable();
  if (node == nullptr)
    return;
  const std::string table = S(node->text(0));
  CloseResult();
  Q1.SetSQL("select * from " + table);
  UseSelectedDatabase(DB1);
  Q1.Open();
  SetStatusText(QString());
  if (Q1.LastRunFailed()) {
    AddLogLine("SQL Error");
    return;
  }
  DBGrid->show();
  AddLogLine(TranslateText("View data ") + table);
  SetStatusText(Q("View data from " + table));
  EditRowNo->setText(QString::number(Q1.RecordCount()));
  PCBottom->setCurrentIndex(0);
}

void TFormBrindle::EditTable() {
  QTreeWidgetItem* node = RememberedTable();
  if (node == nullptr)
    return;
  UseSelectedDatabase(DB1);
  // The name up to its first blank or control character.
  std::string table(platform::TrimLeft(S(node->text(0))));
  const auto end = std::find_if(table.begin(), table.end(),
                                [](char c) { return static_cast<unsigned char>(c) <= 32; });
  table.erase(end, table.end());
  TFormdataEditor& editor = *FormdataEditor;
  editor.Table1.Close();
  editor.Table1.SetIndexFields("");
  editor.Table1.SetTablename(table);
  editor.Table1.SetDatabase(&DB1);
  editor.Table1.Open();
  QAction* item = findChild<QAction*>("EditTable1");
  editor.setWindowTitle((item != nullptr ? item->text() : QString("Edit Table")) + " " +
                        CBDatabase->currentText() + "." + Q(table));
  editor.exec();
  editor.Table1.Close();
  AddLogLine(TranslateText("Edit table ") + table);
}

void TFormBrindle::ShowTableStructure() {
  QTreeWidgetItem* node = RememberedTable();
  if (node == nullptr)
    return;
  const int logLength = static_cast<int>(MemoMessages->toPlainText().size());
  ConnectToolToCurrentDatabase();
  const std::string table = S(node->text(0));
  T2.SetTablename(table);
  T2.Open();
  const std::string path = ProgramDirectory() + "_TMP.SQL";
  {
    platform::SharedTextFile script(path, platform::TextFileMode::kRewrite);
    for (const std::string& line : TableScript(ScriptPart::kBoth, table, T2, T2.GetIndexNames())) {
      script.WriteLine(line);
    }
    script.Close();
  }
  T2.Close();
  MemoMessages->hide();
  AddLogLine("-------------Show table structure -------------");
  {
    platform::SharedTextFile script(path, platform::TextFileMode::kReset);
    std::string line;
    while (script.ReadLine(line))
      AddLogLine(line);
    script.Close();
  }
  AddLogLine("-----------------------------------------------");
  MemoMessages->show();
  std::remove(path.c_str());
  PCBottom->setCurrentIndex(1);
  const int length = static_cast<int>(MemoMessages->toPlainText().size());
  QTextCursor caret = MemoMessages->textCursor();
  const int start = std::max(0, std::min(logLength + 200, length - 20));
  caret.setPosition(start);
  caret.setPosition(std::min(start + 10, length), QTextCursor::KeepAnchor);
  MemoMessages->setTextCursor(caret);
}

void TFormBrindle::ReindexTable() {
  if (rememberedNode_ == nullptr)
    return;
  const std::string table = S(rememberedNode_->text(0));
  ConnectToolToCurrentDatabase();
  T2.SetTablename(table);
  T2.Open();
  platform::SharedTextFile script("_WORK.SQL", platform::TextFileMode::kRewrite);
  for (const std::string& line : ReindexScript(table, T2.GetIndexNames()))
    script.WriteLine(line);
  script.Close();
}

void TFormBrindle::DropIndex() {
  if (rememberedNode_ == nullptr || TreeLevelOf(rememberedNode_) != 3 ||
      CBDatabase->currentText().isEmpty()) {
    return;
  }
  const std::string name = IndexNameOf(S(rememberedNode_->text(0)));
  const std::string table = S(rememberedNode_->parent()->text(0));
  if (!dialogs_.Confirm(TranslateText("Delete the ") + name + " " + TranslateText("index ?"),
                        TranslateText("Sure?"))) {
    return;
  }
  ConnectToolToCurrentDatabase();
  if (RunToolStatement("drop index " + name + " ON " + table, "SQL Error")) {
    AddLogLine(TranslateText("drop index ") + name);
  }
  DB2.Disconnect();
}

}  // namespace app
