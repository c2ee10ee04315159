#pragma once
// Connecting: the connection panel's "&Connect" with a profile's values, the
// toolbar's SQL mode change, the command line's connection options, and
// closing everything. The process-wide mode, its system database and the
// data directory are set in one place here.

#include "app/commands/command_host.h"
#include "app/commands/tree_commands.h"
#include "app/core/command_line.h"
#include "app/core/profiles.h"

namespace app {

// The mode, its system database (uniaccess::SystemDatabaseNameFor) and the
// default data directory, as a mode change sets them.
void ApplySqlMode(int sqlMode);

class ConnectionCommands {
 public:
  ConnectionCommands(CommandHost& host, TreeCommands& tree) : host_(host), tree_(tree) {}

  // Closes everything, gives both connections the profile's server and
  // login, applies its mode and data directory ("Db.path", when given),
  // remembers the profile index in the settings file and rebuilds the tree.
  // A mode without a backend is told to the user when the tree connects.
  void Connect(const ConnectionProfile& profile, int profileIndex);
  // The toolbar's mode: everything closed, the mode applied, the tree rebuilt.
  void ChangeSqlMode(int sqlMode);
  // The command line's database, server, login and mode, on both connections.
  void ApplyCommandLine(const CommandLineOptions& options);
  // Closes the datasets and both connections; the grid is hidden.
  void CloseAllConnections();

 private:
  CommandHost& host_;
  TreeCommands& tree_;
};

}  // namespace app
