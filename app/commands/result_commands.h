#pragma once
// The result grid's commands on Q1: refresh (the red title kept), close,
// order by a clicked column title, and save the rows as a CSV or XML file.

#include "app/commands/command_host.h"

namespace app {

class ResultCommands {
 public:
  explicit ResultCommands(CommandHost& host) : host_(host) {}

  // Each does nothing while Q1 is closed, except CloseResult, which always
  // clears the status text and the row count.
  void RefreshResult();
  void CloseResult();
  // column: 0-based; the query gets "ORDER BY <column + 1>".
  void OrderResultBy(int column);
  void SaveResult();

 private:
  CommandHost& host_;
};

}  // namespace app
