#include "app/commands/sql_commands.h"

#include "app/commands/command_guard.h"
#include "app/commands/command_scope.h"
#include "app/commands/file_transfer.h"
#include "app/core/sql_text.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"

namespace app {

using translation::TranslateText;

namespace {

constexpr const char* kSqlError = "SQL ERROR";

// A query whose script stops at its first failing statement while held.
class StoppingAtFirstFailure {
 public:
  explicit StoppingAtFirstFailure(uniaccess::TUniSQLQuery& query)
      : query_(query), previous_(query.StopsAtFirstFailure()) {
    query_.SetStopAtFirstFailure(true);
  }
  ~StoppingAtFirstFailure() { query_.SetStopAtFirstFailure(previous_); }
  StoppingAtFirstFailure(const StoppingAtFirstFailure&) = delete;
  StoppingAtFirstFailure& operator=(const StoppingAtFirstFailure&) = delete;

 private:
  uniaccess::TUniSQLQuery& query_;
  bool previous_;
};

// The editor keeps lines apart with "\n"; CR LF is the file form.
std::string EditorLines(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.erase(at, 1);
  }
  return text;
}

}  // namespace

std::string BatchStopText(const BatchResult& result) {
  return TranslateText("stopped at statement ") + std::to_string(result.failedStatement) + " (" +
         TranslateText("line ") + std::to_string(result.failedLine) + ")";
}

bool SqlCommands::PrepareMainConnection() {
  ClientComponents& components = host_.Components();
  components.Q1.Close();
  if (!UseSelectedDatabase(host_, components.DB1)) {
    // The connection has told why; the text would only fail the same way.
    host_.SetRowCountText({});
    host_.AddLogLine(kSqlError);
    return false;
  }
  return true;
}

void SqlCommands::RunLastSql() {
  if (!PrepareMainConnection()) {
    return;
  }
  ClientComponents& components = host_.Components();
  components.Q1.SetSQL(platform::StringList{});
  const LastStatement last = PickLastStatement(host_.EditorText());
  if (!last.statement.empty()) {
    RunSqlText(last.statement);
  }
  host_.SetEditorText(EditorLines(last.editorText));
}

void SqlCommands::RunAllSql() {
  if (PrepareMainConnection()) {
    RunSqlText(host_.EditorText());
  }
}

void SqlCommands::RunSqlText(const std::string& text) {
  uniaccess::TUniSQLQuery& query = host_.Components().Q1;
  query.SetSQL(text);
  const bool executed = IsExecutedStatement(text);
  host_.SetStatusText({});
  const std::optional<std::string> failure = CaughtFailure([&] {
    if (!executed) {
      host_.MarkOrderedColumn(-1);
      query.Open();
      if (query.LastRunFailed()) {
        // The data access has shown the server's text; the grid stays as it
        // was, but holds no rows now.
        host_.SetRowCountText({});
        host_.AddLogLine(kSqlError);
        return;
      }
      host_.ShowResultGrid();
      host_.AddLogLine(TranslateText("query opened"));
      host_.SetRowCountText(std::to_string(query.RecordCount()));
    } else {
      query.ExecSQL();
      host_.HideResultGrid();
      host_.AddLogLine(query.LastRunFailed() ? std::string(kSqlError)
                                             : TranslateText("SQL executed."));
    }
  });
  if (failure) {
    ReportFailure(&host_, *failure, kSqlError);
  }
}

BatchResult SqlCommands::RunBatchFile(platform::SharedTextFile& file,
                                      const DumpProgress& progress) {
  ClientComponents& components = host_.Components();
  if (!components.DB2.Connected()) {
    components.DB2.Connect();
  }
  platform::BusyCursor busy;
  const ScopedStatusText status(host_, TranslateText("Run Batch SQL "));
  // A batch statement is one unit: when a piece of a line holding several
  // ";" fails, the pieces after it do not run, so the batch stops where it
  // says it stopped.
  const StoppingAtFirstFailure stop(components.Q2);
  return RunBatch(file, components.Q2, progress);
}

bool SqlCommands::RunStartupBatch(const std::string& fileName) {
  const std::unique_ptr<platform::SharedTextFile> file = OpenExistingForReading(fileName);
  const BatchResult result = RunBatchFile(*file);
  file->Close();
  if (!result.Succeeded()) {
    platform::Dialogs().ShowError(fileName + ": " + BatchStopText(result), kErrorCaption);
  }
  return result.Succeeded();
}

}  // namespace app
