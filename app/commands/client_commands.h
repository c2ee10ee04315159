#pragma once
// Every command family of the main window over one host, wired to the
// families each builds on. The window owns one and calls into it from its
// slots; tests own one over a host of their own.

#include "app/commands/command_host.h"
#include "app/commands/connection_commands.h"
#include "app/commands/data_editor_commands.h"
#include "app/commands/object_commands.h"
#include "app/commands/result_commands.h"
#include "app/commands/sql_commands.h"
#include "app/commands/sql_file_commands.h"
#include "app/commands/transfer_commands.h"
#include "app/commands/tree_commands.h"

namespace app {

struct ClientCommands {
  explicit ClientCommands(CommandHost& host)
      : sql(host),
        result(host),
        files(host),
        tree(host),
        objects(host, tree),
        transfers(host, sql),
        dataEditor(host),
        connection(host, tree) {}
  ClientCommands(const ClientCommands&) = delete;
  ClientCommands& operator=(const ClientCommands&) = delete;

  SqlCommands sql;
  ResultCommands result;
  SqlFileCommands files;
  TreeCommands tree;
  ObjectCommands objects;
  TransferCommands transfers;
  DataEditorCommands dataEditor;
  ConnectionCommands connection;
};

}  // namespace app
