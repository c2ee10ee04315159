#pragma once
// The data access components the main window's commands work on: the main
// connection DB1 with the result query Q1 (shown in the grid through DS1),
// and the tool connection DB2 with the tool query Q2 and the table T2 (DS2),
// which the tree, the dumps, the imports and batch runs use. Datasets are
// declared after the connections, so they close before the connections go.

#include "dataset/data_source.h"
#include "uniaccess/unisql_database.h"
#include "uniaccess/unisql_query.h"
#include "uniaccess/unisql_table.h"

namespace app {

class ClientComponents {
 public:
  // Both connections get their design-time values: user "root", host "más",
  // port "3306"; DB1 also the database "mysql".
  ClientComponents();
  ClientComponents(const ClientComponents&) = delete;
  ClientComponents& operator=(const ClientComponents&) = delete;

  // Closes the result and tool datasets, then disconnects both connections.
  void CloseAll();

  uniaccess::TUniSQLDatabase DB1;
  uniaccess::TUniSQLDatabase DB2;
  uniaccess::TUniSQLQuery Q1;
  dataset::TDataSource DS1;
  uniaccess::TUniSQLQuery Q2;
  uniaccess::TUniSQLTable T2;
  dataset::TDataSource DS2;
};

}  // namespace app
