#pragma once
// The tree's object commands: create and drop databases (through the system
// database), drop, empty, view and describe tables, write a table's reindex
// script, drop one index. Table commands act on the remembered table node
// in the toolbar's database; statements run through the tool connection.

#include <string>

#include "app/commands/command_host.h"
#include "app/commands/command_scope.h"
#include "app/commands/tree_commands.h"

namespace app {

class ObjectCommands {
 public:
  ObjectCommands(CommandHost& host, TreeCommands& tree) : host_(host), tree_(tree) {}

  // Both ask for the name; the tree is rebuilt afterwards in every case.
  void CreateDatabase();
  void DropDatabase();
  // Each asks for a Yes first; DropTable rebuilds the tree.
  void DropTable();
  void EmptyTable();
  // Opens "select * from <table>" into the result grid through DB1.
  void ViewData();
  // Lists the table's CREATE TABLE and CREATE INDEX script in the log.
  void ShowTableStructure();
  // Writes "_WORK.SQL" in the working directory: a DROP INDEX and a CREATE
  // INDEX line per index of the remembered node's table. A table that cannot
  // be opened is logged and the last script kept; so is it when the file
  // cannot be written whole.
  void ReindexTable();
  // On an index node: "drop index <name> ON <table>".
  void DropIndex();

 private:
  // The remembered node's table, when it is a table node and the toolbar
  // names a database; empty otherwise.
  std::string RememberedTable() const;
  // Runs one statement through Q2 on the tool connection. A failure (shown
  // by the data access or the connection, or raised and shown here) logs
  // failureLog and answers false.
  bool RunToolStatement(const ToolConnection& tool, const std::string& statement,
                        const char* failureLog);

  CommandHost& host_;
  TreeCommands& tree_;
};

}  // namespace app
