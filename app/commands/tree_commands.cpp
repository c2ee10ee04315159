#include "app/commands/tree_commands.h"

#include "app/commands/command_guard.h"
#include "app/commands/command_scope.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"
#include "uniaccess/sql_mode.h"

namespace app {

void TreeCommands::RebuildTree() {
  const platform::BusyCursor busy;
  host_.ShowDatabases({});
  ClientComponents& components = host_.Components();
  components.DB2.SetHost(components.DB1.Host());
  components.DB2.SetUser(components.DB1.User());
  components.DB2.Setpassword(components.DB1.password());
  components.DB2.SetPort(components.DB1.Port());
  platform::StringList names;
  // Errors here are not the user's business beyond what the connection
  // showed: the tree just stays empty.
  CaughtFailure([&] {
    const ToolConnection tool(components, uniaccess::GlobalSqlModeState().systemDatabaseName);
    names = components.DB2.GetDatabaseNames();
  });
  host_.ShowDatabases(names);
  host_.AddLogLine(translation::TranslateText("Database \"tre\" refresh"));
}

platform::StringList TreeCommands::TablesOf(const std::string& database) {
  host_.SetCurrentDatabase(database);
  ClientComponents& components = host_.Components();
  const ToolConnection tool(components, database);
  return components.DB2.GetTableNames();
}

platform::StringList TreeCommands::IndexesOf(const std::string& table) {
  ClientComponents& components = host_.Components();
  const ToolConnection tool(components, host_.CurrentDatabase());
  // The listing needs the table's name only, not its rows.
  components.T2.SetTablename(table);
  return components.T2.GetIndexNames();
}

}  // namespace app
