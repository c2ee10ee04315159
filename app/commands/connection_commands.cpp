#include "app/commands/connection_commands.h"

#include "uniaccess/sql_mode.h"

namespace app {

void ApplySqlMode(int sqlMode) {
  uniaccess::SqlModeState& state = uniaccess::GlobalSqlModeState();
  state.sqlMode = sqlMode;
  state.systemDatabaseName = uniaccess::SystemDatabaseNameFor(sqlMode);
  uniaccess::SetDataDirectory(uniaccess::SqlModeState::DefaultDataDirectory());
}

void ConnectionCommands::CloseAllConnections() {
  host_.Components().CloseAll();
  host_.HideResultGrid();
}

void ConnectionCommands::Connect(const ConnectionProfile& profile, int profileIndex) {
  CloseAllConnections();
  ClientComponents& components = host_.Components();
  for (uniaccess::TUniSQLDatabase* database : {&components.DB1, &components.DB2}) {
    database->SetHost(profile.host);
    database->SetPort(profile.port);
    database->SetUser(profile.user);
    database->Setpassword(profile.password);
  }
  ApplySqlMode(profile.sqlMode);
  // Without a path of its own a profile keeps the default data directory.
  if (!profile.path.empty()) {
    uniaccess::SetDataDirectory(profile.path);
  }
  WriteLastProfileIndex(host_.SettingsPath(), profileIndex);
  // Once, with the profile's data directory in force.
  tree_.RebuildTree();
}

void ConnectionCommands::ChangeSqlMode(int sqlMode) {
  CloseAllConnections();
  ApplySqlMode(sqlMode);
  tree_.RebuildTree();
}

void ConnectionCommands::ApplyCommandLine(const CommandLineOptions& options) {
  ClientComponents& components = host_.Components();
  for (uniaccess::TUniSQLDatabase* database : {&components.DB1, &components.DB2}) {
    if (options.database)
      database->SetDatabasename(*options.database);
    if (options.host)
      database->SetHost(*options.host);
    if (options.user)
      database->SetUser(*options.user);
    if (options.password)
      database->Setpassword(*options.password);
    if (options.port)
      database->SetPort(*options.port);
  }
  if (options.sqlMode) {
    uniaccess::GlobalSqlModeState().sqlMode = *options.sqlMode;
  }
}

}  // namespace app
