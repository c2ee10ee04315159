#include "app/commands/command_scope.h"

namespace app {

bool Reached(const uniaccess::TUniSQLDatabase& connection) {
  return connection.Handle() != nullptr;
}

bool UseSelectedDatabase(CommandHost& host, uniaccess::TUniSQLDatabase& connection) {
  const std::string name = host.CurrentDatabase();
  if (connection.Databasename() != name) {
    connection.Disconnect();
    connection.SetDatabasename(name);
  }
  // A connection whose last attempt did not reach its server counts as
  // connected; each command tries again, and is told again why not.
  if (!connection.Connected() || !Reached(connection)) {
    connection.Disconnect();
    connection.Connect();
  }
  return Reached(connection);
}

void CloseQuietly(dataset::TDataSet& dataSet) noexcept {
  try {
    dataSet.Close();
  } catch (...) {
    // The command's own outcome is what the user needs to see.
  }
}

ToolConnection::ToolConnection(ClientComponents& components, const std::string& database)
    : components_(components) {
  components_.Q2.Close();
  components_.T2.Close();
  components_.DB2.Disconnect();
  components_.DB2.SetDatabasename(database);
  components_.DB2.Connect();
}

ToolConnection::~ToolConnection() {
  // KeepOpen is called once the command is done, so a failed command
  // leaves nothing open behind it.
  if (keepOpen_) {
    return;
  }
  CloseQuietly(components_.T2);
  CloseQuietly(components_.Q2);
  components_.DB2.Disconnect();
}

}  // namespace app
