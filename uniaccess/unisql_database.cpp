#include "uniaccess/unisql_database.h"

#include "platform/user_dialogs.h"
#include "uniaccess/sql_mode.h"

namespace uniaccess {

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
  const int mode = GlobalSqlModeState().sqlMode;
  if (!HasBackendFor(mode)) {
    // Another engine's backend would answer for this one (its databases
    // listed under this mode's name): nothing is connected instead.
    platform::Dialogs().ShowError(NoBackendMessage(mode));
    return;
  }
  if (databasename_.empty()) {
    return;
  }
  if (handle_) {
    // Closed by the backend that opened it, before another may be installed.
    if (Backend* opened = InstalledBackend()) {
      opened->Disconnect(std::move(handle_));
    }
    handle_.reset();
  }
  Backend* backend = InstallBackendForCurrentMode();
  const ConnectParams params{host_, user_, password_, databasename_, port_};
  if (!backend->Connect(handle_, params)) {
    platform::Dialogs().ShowError(backend->LastError(handle_.get()));
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
  return backend != nullptr && connected_ ? backend->ListDatabases(handle_.get())
                                          : platform::StringList();
}

platform::StringList TUniSQLDatabase::GetTableNames() {
  Backend* backend = InstalledBackend();
  return backend != nullptr && connected_ ? backend->ListTables(handle_.get())
                                          : platform::StringList();
}

}  // namespace uniaccess
