#pragma once
// What a command holds while it runs: the main connection follows the
// toolbar's database (UseSelectedDatabase); the tool connection DB2 is
// connected for one command only, by a guard that closes the tool datasets
// and disconnects again however the command ends; a status text shows for
// the command's length.

#include <string>
#include <string_view>

#include "app/commands/command_host.h"

namespace app {

// Whether the connection reached its server. When it did not, the
// connection has shown why, and a command stops instead of failing again,
// in the same words, on every statement.
bool Reached(const uniaccess::TUniSQLDatabase& connection);

// Points the connection at the toolbar's database and connects it: when
// its database name differs, it is disconnected and takes that name; then
// it is connected unless it is connected to its server. Answers Reached().
[[nodiscard]] bool UseSelectedDatabase(CommandHost& host, uniaccess::TUniSQLDatabase& connection);

// Closes a dataset when a command no longer needs it, however it ends; a
// failure to close is not worth a second failure.
void CloseQuietly(dataset::TDataSet& dataSet) noexcept;

class ClosedAtEnd {
 public:
  explicit ClosedAtEnd(dataset::TDataSet& dataSet) : dataSet_(dataSet) {}
  ~ClosedAtEnd() { CloseQuietly(dataSet_); }
  ClosedAtEnd(const ClosedAtEnd&) = delete;
  ClosedAtEnd& operator=(const ClosedAtEnd&) = delete;

 private:
  dataset::TDataSet& dataSet_;
};

// DB2 connected to one database for the guard's lifetime: Q2 and T2 are
// closed, DB2 disconnected, given the database and connected; at the end T2
// and Q2 are closed and DB2 disconnected, also when the command failed.
class ToolConnection {
 public:
  ToolConnection(ClientComponents& components, const std::string& database);
  ~ToolConnection();
  ToolConnection(const ToolConnection&) = delete;
  ToolConnection& operator=(const ToolConnection&) = delete;

  // Whether the server answered (see app::Reached).
  bool Reached() const { return app::Reached(components_.DB2); }

  // Called when the command has succeeded: DB2 stays connected and T2 as
  // it is.
  void KeepOpen() { keepOpen_ = true; }

 private:
  ClientComponents& components_;
  bool keepOpen_ = false;
};

// Shows a status text for its lifetime and clears it at the end.
class ScopedStatusText {
 public:
  explicit ScopedStatusText(CommandHost& host, std::string_view text = {}) : host_(host) {
    host_.SetStatusText(text);
  }
  ~ScopedStatusText() { host_.SetStatusText({}); }
  ScopedStatusText(const ScopedStatusText&) = delete;
  ScopedStatusText& operator=(const ScopedStatusText&) = delete;

  void Set(std::string_view text) { host_.SetStatusText(text); }

 private:
  CommandHost& host_;
};

}  // namespace app
