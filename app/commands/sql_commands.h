#pragma once
// Running SQL: the editor's last statement (F3) or its whole text through
// the result query Q1, where a text without command keywords is a query
// opened into the grid and any other is executed; and SQL files statement
// by statement through the tool query Q2 (imports and "/RUN:").

#include <string>

#include "app/commands/command_host.h"
#include "app/core/table_dump.h"
#include "platform/shared_text_file.h"

namespace app {

class SqlCommands {
 public:
  explicit SqlCommands(CommandHost& host) : host_(host) {}

  // Runs the statement after the editor's last ";" and leaves the editor
  // ending in exactly one ";" and a line break. A server that cannot be
  // reached is told once (by the connection) and logged "SQL ERROR";
  // nothing runs and the editor stays as it was.
  void RunLastSql();
  // Runs the editor's whole text; the editor is not changed. An unreached
  // server as above.
  void RunAllSql();
  // Opens a query into the grid or executes a statement, and logs which;
  // an error raised meanwhile is shown and logged as "SQL ERROR".
  void RunSqlText(const std::string& text);
  // Runs an open file through Q2 (DB2 connected first when it is not) and
  // stops at the first failing statement, also within a line that holds
  // several.
  BatchResult RunBatchFile(platform::SharedTextFile& file, const DumpProgress& progress = {});
  // The "/RUN:" file: true when every statement ran. A missing file raises
  // platform::EInOutError; a failing statement is shown with its number.
  bool RunStartupBatch(const std::string& fileName);

 private:
  // Closes Q1 and points DB1 at the toolbar's database; false (logged)
  // when the server was not reached.
  bool PrepareMainConnection();

  CommandHost& host_;
};

// Where a batch run stopped, for the log: "stopped at statement 3 (line 7)".
std::string BatchStopText(const BatchResult& result);

}  // namespace app
