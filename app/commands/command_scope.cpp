#include "app/commands/command_scope.h"

#include <exception>

namespace app {

void UseSelectedDatabase(CommandHost& host, uniaccess::TUniSQLDatabase& connection) {
  const std::string name = host.CurrentDatabase();
  if (connection.Databasename() != name) {
    connection.Disconnect();
    connection.SetDatabasename(name);
  }
  if (!connection.Connected()) {
    connection.Connect();
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
  try {
    components_.T2.Close();
    components_.Q2.Close();
  } catch (const std::exception&) {
    // Closing is not worth a second failure; the connection still goes.
  }
  components_.DB2.Disconnect();
}

}  // namespace app
