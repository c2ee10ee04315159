#pragma once
// The SQL editor's file commands: open a script into the editor, save the
// editor as a script, clear it. The SQL file directory follows the file
// chosen; the current file is the one proposed when saving.

#include <string>

#include "app/commands/command_host.h"

namespace app {

class SqlFileCommands {
 public:
  explicit SqlFileCommands(CommandHost& host) : host_(host) {}

  // A file that cannot be read or written leaves the editor, the current
  // file and the directory as they were; a save that fails part way leaves
  // the file it was to replace as it was.
  void OpenSqlFile();
  void SaveSqlFile();
  void ClearSqlEditor();

  const std::string& CurrentSqlFile() const { return currentSqlFile_; }
  void ForgetCurrentSqlFile() { currentSqlFile_.clear(); }

 private:
  CommandHost& host_;
  std::string currentSqlFile_;
};

}  // namespace app
