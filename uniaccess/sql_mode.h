#pragma once
// The process-wide choice of database kind (the SQL mode) and the backend
// that the next Connect installs for it. Every database component and
// dataset of the process goes through the one installed backend.

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace uniaccess {

class Backend;

inline constexpr int kSqlModeMySql = 0;
inline constexpr int kSqlModeMsSql = 3;
inline constexpr int kSqlModeKestrel = 9;
inline constexpr int kSqlModeCount = 10;

// The mode list in its fixed order; settings and profiles store the index.
const std::array<const char*, kSqlModeCount>& SqlModeNames();

// The system database of a mode: "mysql", "master", "KestrelTable" or empty.
std::string SystemDatabaseNameFor(int sqlMode);

struct SqlModeState {
  int sqlMode = kSqlModeMySql;
  std::string systemDatabaseName;
  std::string dataDirectory = DefaultDataDirectory();
  std::string backendName = "MySQL";
  int nameCounter = 1;

  // $XDG_DATA_HOME/brindle/ (or ~/.local/share/brindle/), with its final "/".
  static std::string DefaultDataDirectory();
};

SqlModeState& GlobalSqlModeState();

// Stores the directory, appending "/" when it does not end in one; an empty
// path is stored unchanged.
void SetDataDirectory(std::string_view path);

// A unique engine object name: prefix + counter, the counter then increases.
std::string NextObjectName(std::string_view prefix);

// Whether the mode has a backend (a factory registered for it).
bool HasBackendFor(int sqlMode);
// What the user is told when a connection is asked for in a mode without a
// backend: "No database backend is available for the SQL mode 3 (MSSQL)".
std::string NoBackendMessage(int sqlMode);

// Installs the backend of the current mode and sets the system database
// and backend names. A mode without a backend leaves the last one in force
// (the database component refuses to connect in such a mode).
// Returns the backend now in force (null when none was ever installed).
Backend* InstallBackendForCurrentMode();
// The backend in force, or null.
Backend* InstalledBackend();

// How a backend kind is created. MySQL is built in; other kinds register
// their factory before the first Connect in their mode.
using BackendFactory = std::unique_ptr<Backend> (*)();
void RegisterBackendFactory(int sqlMode, BackendFactory factory);

}  // namespace uniaccess
