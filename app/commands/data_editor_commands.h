#pragma once
// Opening the data editor on the remembered table ("Edit Table") and
// ordering its table by a clicked column. The editor's table belongs to the
// editor window; the command points it at the table through DB1.

#include <string>
#include <string_view>

#include "app/commands/command_host.h"

namespace app {

class DataEditorCommands {
 public:
  explicit DataEditorCommands(CommandHost& host) : host_(host) {}

  // Opens the table, shows the editor modally and closes the table again;
  // a table that cannot be opened is logged and the editor not shown.
  void EditTable();

 private:
  CommandHost& host_;
};

// The name the editor opens: the node's text trimmed on the left, up to its
// first blank or control character.
std::string EditedTableName(std::string_view nodeText);

// Reopens the table with "ORDER BY <column + 1>" (column 0-based). False,
// and nothing done, while the table is closed; false too when the reopen
// failed (the data access has shown why).
bool OrderTableBy(uniaccess::TUniSQLTable& table, int column);

}  // namespace app
