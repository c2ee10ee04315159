#pragma once
// "Export" and "Import" on the remembered tree node: a table to or from an
// SQL dump, a CSV or an XML file (chosen by the file name), a database to or
// from an SQL dump. Dumps are written here (app/core/table_dump.h) and read
// back by the batch runner. The export directory follows the chosen file.

#include <functional>
#include <string>

#include "app/commands/command_host.h"
#include "app/commands/command_scope.h"
#include "app/commands/sql_commands.h"
#include "platform/user_dialogs.h"

namespace app {

class TransferCommands {
 public:
  TransferCommands(CommandHost& host, SqlCommands& sql) : host_(host), sql_(sql) {}

  // Both need the toolbar to name a database. An export is written to a
  // new file that replaces the chosen one only when whole: one cancelled or
  // stopped part way leaves that file as it was (the log says so). An
  // import the user cancels keeps what was run so far and says so.
  void ExportNode();
  void ImportNode();

 private:
  // Runs the table's or the database's transfer, by the remembered node's
  // level; a cancellation is logged with the note after it.
  using NamedTransfer = std::function<void(const std::string& name)>;
  void RunOnNode(const NamedTransfer& table, const NamedTransfer& database,
                 const std::string& cancelledNote);
  void ExportTable(const std::string& table);
  void ExportDatabase(const std::string& database);
  void ImportTable(const std::string& table);
  void ImportDatabase(const std::string& database);
  // The file dialog of an export or import, in the export directory.
  platform::FileDialogRequest TransferRequest(const char* title, const char* filter,
                                              const std::string& proposedName) const;
  class Scope;
  // Whether the file name holds ".SQL", ".XML" or ".CSV"; when it holds
  // none the log says nothing was done.
  bool HasKnownType(const std::string& fileName, const std::string& done, const char* nothingDone);
  // Opens T2 on the table; false when the server or the table could not be
  // reached (the data access has shown why).
  bool OpenToolTable(const ToolConnection& tool, const std::string& table);
  // Runs an SQL file into the current database; false (logged) when a
  // statement stopped it.
  bool ImportSqlFile(const std::string& fileName, const std::string& progressTitle,
                     const std::string& logLine);

  CommandHost& host_;
  SqlCommands& sql_;
};

}  // namespace app
