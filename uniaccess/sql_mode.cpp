#include "uniaccess/sql_mode.h"

#include <cstdlib>
#include <map>

#include "uniaccess/backend.h"
#include "uniaccess/mysql/mysql_backend.h"

namespace uniaccess {
namespace {

struct BackendSlots {
  std::map<int, BackendFactory> factories;
  std::map<int, std::unique_ptr<Backend>> instances;
  Backend* installed = nullptr;
};

BackendSlots& Slots() {
  static BackendSlots slots = [] {
    BackendSlots builtIn;
    builtIn.factories[kSqlModeMySql] = &mysql::CreateMysqlBackend;
    return builtIn;
  }();
  return slots;
}

}  // namespace

const std::array<const char*, kSqlModeCount>& SqlModeNames() {
  static const std::array<const char*, kSqlModeCount> names = {
      "MySQL",  "InterBase", "(Postgrade)", "MSSQL",    "BDE",
      "(ODBC)", "(SyBase)",  "(Oracle)",    "(TIBSQL(", "(KestrelTable)"};
  return names;
}

std::string SystemDatabaseNameFor(int sqlMode) {
  switch (sqlMode) {
    case kSqlModeMySql:
      return "mysql";
    case kSqlModeMsSql:
      return "master";
    case kSqlModeKestrel:
      return "KestrelTable";
    default:
      return {};
  }
}

std::string SqlModeState::DefaultDataDirectory() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::string(home) + "/.local/share";
  } else {
    base = ".";
  }
  return base + "/brindle/";
}

SqlModeState& GlobalSqlModeState() {
  static SqlModeState state;
  return state;
}

void SetDataDirectory(std::string_view path) {
  std::string directory(path);
  if (!directory.empty() && directory.back() != '/') {
    directory += '/';
  }
  GlobalSqlModeState().dataDirectory = directory;
}

std::string NextObjectName(std::string_view prefix) {
  SqlModeState& state = GlobalSqlModeState();
  return std::string(prefix) + std::to_string(state.nameCounter++);
}

bool HasBackendFor(int sqlMode) {
  return Slots().factories.count(sqlMode) > 0;
}

std::string NoBackendMessage(int sqlMode) {
  std::string message =
      "No database backend is available for the SQL mode " + std::to_string(sqlMode);
  if (sqlMode >= 0 && sqlMode < kSqlModeCount) {
    message += std::string(" (") + SqlModeNames()[static_cast<size_t>(sqlMode)] + ")";
  }
  return message;
}

void RegisterBackendFactory(int sqlMode, BackendFactory factory) {
  Slots().factories[sqlMode] = factory;
}

Backend* InstallBackendForCurrentMode() {
  SqlModeState& state = GlobalSqlModeState();
  BackendSlots& slots = Slots();
  const auto factory = slots.factories.find(state.sqlMode);
  if (factory == slots.factories.end()) {
    return slots.installed;
  }
  std::unique_ptr<Backend>& instance = slots.instances[state.sqlMode];
  if (!instance) {
    instance = factory->second();
  }
  instance->OnInstall();
  slots.installed = instance.get();
  state.systemDatabaseName = SystemDatabaseNameFor(state.sqlMode);
  state.backendName = instance->Name();
  if (state.sqlMode != kSqlModeMySql) {
    state.nameCounter = 1;
  }
  return slots.installed;
}

Backend* InstalledBackend() {
  return Slots().installed;
}

}  // namespace uniaccess
