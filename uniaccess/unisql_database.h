#pragma once
// TUniSQLDatabase: one connection of the uniform data access. Connect
// installs the backend of the process-wide SQL mode and opens the connection
// through it; failures are shown to the user through the installed user
// dialogs, never raised.
//
// Connected() is true exactly while the component holds the result of a
// Connect attempt that reached its backend: a mode without a backend and an
// empty database name connect nothing and leave the component as it was.

#include <memory>
#include <string>

#include "platform/string_list.h"
#include "uniaccess/backend.h"

namespace uniaccess {

class TUniSQLDatabase {
 public:
  TUniSQLDatabase() = default;
  // Disconnects when connected.
  ~TUniSQLDatabase();
  TUniSQLDatabase(const TUniSQLDatabase&) = delete;
  TUniSQLDatabase& operator=(const TUniSQLDatabase&) = delete;

  const std::string& Databasename() const { return databasename_; }
  void SetDatabasename(std::string name) { databasename_ = std::move(name); }
  const std::string& User() const { return user_; }
  void SetUser(std::string user) { user_ = std::move(user); }
  const std::string& password() const { return password_; }
  void Setpassword(std::string password) { password_ = std::move(password); }
  const std::string& Host() const { return host_; }
  void SetHost(std::string host) { host_ = std::move(host); }
  const std::string& Port() const { return port_; }
  void SetPort(std::string port) { port_ = std::move(port); }

  bool Connected() const { return connected_; }
  // true connects when disconnected; false disconnects when connected.
  void SetConnected(bool connected);

  // Installs the current mode's backend and opens the connection. Does
  // nothing while Databasename is empty (a live connection stays as it is).
  // A mode without a backend is shown to the user and connects nothing. A
  // failed attempt is shown with the backend's error text and still leaves
  // the component connected, so the server connection (when there is one)
  // stays usable.
  void Connect();
  void Disconnect();

  platform::StringList GetDatabaseNames();
  platform::StringList GetTableNames();

  // The backend connection datasets borrow; null when none is open.
  BackendConnection* Handle() const { return handle_.get(); }
  // The backend in force for this component's work.
  Backend* ActiveBackend() const;

 private:
  std::string databasename_;
  std::string user_ = "root";
  std::string password_;
  std::string host_ = "Localhost";
  std::string port_ = "3306";
  bool connected_ = false;
  std::unique_ptr<BackendConnection> handle_;
};

}  // namespace uniaccess
