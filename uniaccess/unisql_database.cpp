#include "uniaccess/unisql_database.h"

#include "uniaccess/sql_mode.h"

namespace uniaccess {

TUniSQLDatabase::TUniSQLDatabase(platform::UserDialogs& dialogs) : dialogs_(dialogs) {}

TUniSQLDatabase::~TUniSQLDatabase() {
  Disconnect();
}

Backend* TUniSQLDatabase::ActiveBackend() const {
  return InstalledBackend();
}

void TUniSQLDatabase::SetConnected(bool connected) {
  if (connected && !connected_) {
    Connect();
  } else if (!connected && connected_) {
    Disconnect();
  }
}

void TUniSQLDatabase::Connect() {
  Backend* backend = InstallBackendForCurrentMode();
  if (backend == nullptr) {
    dialogs_.ShowError("No database backend is available for the SQL mode " +
                       std::to_string(GlobalSqlModeState().sqlMode));
    return;
  }
  if (handle_) {
    backend->Disconnect(std::move(handle_));
  }
  if (databasename_.empty()) {
    return;
  }
  const ConnectParams params{host_, user_, password_, databasename_, port_};
  if (!backend->Connect(handle_, params)) {
    dialogs_.ShowError(backend->LastError(handle_.get()));
  }
  connected_ = true;
}

void TUniSQLDatabase::Disconnect() {
  if (!connected_) {
    return;
  }
  if (handle_) {
    if (Backend* backend = InstalledBackend()) {
      backend->Disconnect(std::move(handle_));
    }
    handle_.reset();
  }
  connected_ = false;
}

platform::StringList TUniSQLDatabase::GetDatabaseNames() {
  Backend* backend = InstalledBackend();
  return backend != nullptr ? backend->ListDatabases(handle_.get()) : platform::StringList();
}

platform::StringList TUniSQLDatabase::GetTableNames() {
  Backend* backend = InstalledBackend();
  return backend != nullptr ? backend->ListTables(handle_.get()) : platform::StringList();
}

}  // namespace uniaccess
