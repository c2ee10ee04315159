#include "app/commands/object_commands.h"

#include <algorithm>

#include "app/commands/command_guard.h"
#include "app/commands/command_scope.h"
#include "app/core/table_script.h"
#include "platform/shared_text_file.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"
#include "uniaccess/sql_mode.h"

namespace app {
namespace {

using translation::TranslateText;

constexpr const char* kSqlErrorLine = "SQL Error";
constexpr const char* kDatabaseSqlError = "SQL ERROR ";
constexpr const char* kReindexScriptName = "_WORK.SQL";

bool ConfirmYes(const std::string& question) {
  return platform::Dialogs().Confirm(question, TranslateText("Sure?"));
}

const std::string& SystemDatabase() {
  return uniaccess::GlobalSqlModeState().systemDatabaseName;
}

}  // namespace

std::string ObjectCommands::RememberedTable() const {
  const std::optional<TreeNode> node = host_.RememberedNode();
  if (!node || node->level != TreeLevel::kTable || host_.CurrentDatabase().empty()) {
    return {};
  }
  return node->text;
}

bool ObjectCommands::RunToolStatement(const ToolConnection& tool, const std::string& statement,
                                      const char* failureLog) {
  if (!tool.Reached()) {
    host_.AddLogLine(failureLog);
    return false;
  }
  uniaccess::TUniSQLQuery& query = host_.Components().Q2;
  query.SetSQL(statement);
  const std::optional<std::string> failure = CaughtFailure([&] { query.ExecSQL(); });
  if (failure) {
    ReportFailure(&host_, *failure, failureLog);
    return false;
  }
  if (query.LastRunFailed()) {
    // The server's text has been shown by the data access.
    host_.AddLogLine(failureLog);
    return false;
  }
  return true;
}

void ObjectCommands::CreateDatabase() {
  host_.Components().DB2.Disconnect();
  const std::string name =
      platform::Dialogs()
          .InputBox(TranslateText("Create new database"), TranslateText("New database name:"), "")
          .value_or("");
  if (!name.empty()) {
    const ToolConnection tool(host_.Components(), SystemDatabase());
    if (RunToolStatement(tool, "CREATE DATABASE " + name, kDatabaseSqlError)) {
      host_.AddLogLine(name + TranslateText(" Database created"));
    }
  }
  tree_.RebuildTree();
}

void ObjectCommands::DropDatabase() {
  host_.Components().DB2.Disconnect();
  const std::string proposed = host_.CurrentDatabase();
  // Cancel answers with the proposed name: the confirmation decides.
  const std::string name =
      platform::Dialogs()
          .InputBox(TranslateText("Drop database"), TranslateText("Database name:"), proposed)
          .value_or(proposed);
  if (!name.empty() &&
      ConfirmYes(TranslateText("Drop the ") + name + TranslateText(" database?"))) {
    const ToolConnection tool(host_.Components(), SystemDatabase());
    if (RunToolStatement(tool, "DROP DATABASE " + name, kDatabaseSqlError)) {
      host_.AddLogLine(name + TranslateText(" database droped"));
    }
  }
  tree_.RebuildTree();
}

void ObjectCommands::DropTable() {
  const std::string table = RememberedTable();
  if (table.empty() ||
      !ConfirmYes(TranslateText("Drop the ") + table + " " + TranslateText("table ?"))) {
    return;
  }
  {
    const ToolConnection tool(host_.Components(), host_.CurrentDatabase());
    if (RunToolStatement(tool, "drop table " + table, kSqlErrorLine)) {
      host_.AddLogLine(table + " " + TranslateText("Table droped"));
    }
  }
  tree_.RebuildTree();
}

void ObjectCommands::EmptyTable() {
  const std::string table = RememberedTable();
  if (table.empty() || !ConfirmYes(TranslateText("Delete all rows from ") + table + " " +
                                   TranslateText("table ?"))) {
    return;
  }
  const ToolConnection tool(host_.Components(), host_.CurrentDatabase());
  if (RunToolStatement(tool, "delete from " + table, kSqlErrorLine)) {
    host_.AddLogLine(TranslateText("delete all rows from ") + table);
  }
}

void ObjectCommands::ViewData() {
  const std::string table = RememberedTable();
  if (table.empty()) {
    return;
  }
  ClientComponents& components = host_.Components();
  components.Q1.Close();
  components.Q1.SetSQL("select * from " + table);
  // The count shown belongs to the result before; whatever follows, that
  // result is gone.
  host_.SetRowCountText({});
  if (!UseSelectedDatabase(host_, components.DB1)) {
    host_.AddLogLine(kSqlErrorLine);
    return;
  }
  host_.MarkOrderedColumn(-1);
  components.Q1.Open();
  host_.SetStatusText({});
  if (components.Q1.LastRunFailed()) {
    host_.AddLogLine(kSqlErrorLine);
    return;
  }
  host_.ShowResultGrid();
  host_.AddLogLine(TranslateText("View data ") + table);
  host_.SetStatusText("View data from " + table);
  host_.SetRowCountText(std::to_string(components.Q1.RecordCount()));
}

void ObjectCommands::ShowTableStructure() {
  const std::string table = RememberedTable();
  if (table.empty()) {
    return;
  }
  const std::size_t logLength = host_.LogLength();
  ClientComponents& components = host_.Components();
  ToolConnection tool(components, host_.CurrentDatabase());
  if (!tool.Reached()) {
    host_.AddLogLine(kSqlErrorLine);
    return;
  }
  components.T2.SetTablename(table);
  components.T2.Open();
  if (components.T2.LastRunFailed()) {
    host_.AddLogLine(kSqlErrorLine);
    return;
  }
  // The script goes to the log directly: a scratch file beside the program
  // would fail wherever the program's folder is read-only.
  std::vector<std::string> lines = {"-------------Show table structure -------------"};
  for (std::string& line :
       TableScript(ScriptPart::kBoth, table, components.T2, components.T2.GetIndexNames())) {
    lines.push_back(std::move(line));
  }
  lines.push_back("-----------------------------------------------");
  components.T2.Close();
  tool.KeepOpen();
  host_.AddLogLines(lines);
  // The beginning of the structure in view.
  const std::size_t length = host_.LogLength();
  const std::size_t start = std::min(logLength + 200, length >= 20 ? length - 20 : 0);
  host_.SelectLogText(start, std::min<std::size_t>(10, length - start));
}

void ObjectCommands::ReindexTable() {
  const std::optional<TreeNode> node = host_.RememberedNode();
  if (!node) {
    return;
  }
  ClientComponents& components = host_.Components();
  ToolConnection tool(components, host_.CurrentDatabase());
  if (!tool.Reached()) {
    host_.AddLogLine(kSqlErrorLine);
    return;
  }
  // Opened first, as the listing alone would answer a missing table (or a
  // node that is no table) with no indexes, and an empty script would
  // replace the last one without a word.
  components.T2.SetTablename(node->text);
  components.T2.Open();
  if (components.T2.LastRunFailed()) {
    host_.AddLogLine(kSqlErrorLine);
    return;
  }
  const platform::StringList entries = components.T2.GetIndexNames();
  platform::SharedTextFile script(kReindexScriptName, platform::TextFileMode::kReplace);
  for (const std::string& line : ReindexScript(node->text, entries)) {
    script.WriteLine(line);
  }
  script.Close();
  tool.KeepOpen();
}

void ObjectCommands::DropIndex() {
  const std::optional<TreeNode> node = host_.RememberedNode();
  if (!node || node->level != TreeLevel::kIndex || host_.CurrentDatabase().empty()) {
    return;
  }
  // An index entry's name: the text before its first blank.
  const std::string name = node->text.substr(0, node->text.find(' '));
  if (!ConfirmYes(TranslateText("Delete the ") + name + " " + TranslateText("index ?"))) {
    return;
  }
  const ToolConnection tool(host_.Components(), host_.CurrentDatabase());
  if (RunToolStatement(tool, "drop index " + name + " ON " + node->parentText, kSqlErrorLine)) {
    host_.AddLogLine(TranslateText("drop index ") + name);
  }
}

}  // namespace app
