#pragma once
// The database tree's listings, each read through the tool connection DB2
// connected for that listing only: the server's databases under the root
// (and in the toolbar's list), a database's tables, a table's indexes.

#include <string>

#include "app/commands/command_host.h"
#include "platform/string_list.h"

namespace app {

class TreeCommands {
 public:
  explicit TreeCommands(CommandHost& host) : host_(host) {}

  // Lists the databases anew through the system database, with DB1's
  // server and login. An unreachable server leaves only the root (the
  // connection has shown why); the log says the tree was refreshed.
  void RebuildTree();
  // A database's tables; the database becomes the toolbar's.
  platform::StringList TablesOf(const std::string& database);
  // A table's index entries ("name (a,b)"), in the toolbar's database.
  platform::StringList IndexesOf(const std::string& table);

 private:
  CommandHost& host_;
};

}  // namespace app
