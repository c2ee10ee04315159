#pragma once
// TWrenEngineUNISQL: the query builder's engine over the uniform data
// access. It has a database component of its own (the main window copies
// its connection settings into it), a query for the result and a table
// component for reading field names.
//
// Choosing a database needs a dialog; the window installs a
// DatabaseChooser. Without one SelectDatabase answers false.

#include <memory>
#include <optional>
#include <string>

#include "platform/string_list.h"
#include "querybuilder/wren_engine.h"
#include "uniaccess/unisql_database.h"
#include "uniaccess/unisql_query.h"
#include "uniaccess/unisql_table.h"

namespace querybuilder {

struct DatabaseChoice {
  std::string database;   // the entry chosen in the list
  std::string directory;  // the directory field; used instead when not empty
  bool includeSystemTables = false;
};

// The database dialog: the names to offer and the current system-tables
// setting in, the user's choice out (null when cancelled).
class DatabaseChooser {
 public:
  virtual ~DatabaseChooser() = default;
  virtual std::optional<DatabaseChoice> ChooseDatabase(const platform::StringList& databases,
                                                       bool includeSystemTables) = 0;
};

// A table name as listed, made fit for the table list: cut before its first
// control character and stripped of trailing blanks.
std::string ListedTableName(std::string_view name);

class TWrenEngineUNISQL : public TWrenEngine {
 public:
  TWrenEngineUNISQL();
  // Closes both datasets and disconnects.
  ~TWrenEngineUNISQL() override;

  uniaccess::TUniSQLDatabase& Database() { return *database_; }
  uniaccess::TUniSQLQuery& Query() { return *query_; }
  void SetDatabaseChooser(DatabaseChooser* chooser) { chooser_ = chooser; }

  // Disconnects, points the database component at the name, then as the base.
  void SetDatabaseName(std::string_view name) override;
  void SetQuerySQL(std::string_view text) override;
  void ReadTableList() override;
  void ReadFieldList(std::string_view table) override;
  bool SelectDatabase() override;
  void ClearQuerySQL() override;
  dataset::TDataSet* ResultQuery() override { return query_.get(); }
  // Connects when needed, reopens the query and counts its rows.
  void OpenResultQuery() override;
  void CloseResultQuery() override;
  // Shows "Not supported".
  void SaveResultQuery() override;
  SqlNameDialect NameDialect() const override;

 private:
  void ConnectWhenNeeded();

  std::unique_ptr<uniaccess::TUniSQLDatabase> database_;
  std::unique_ptr<uniaccess::TUniSQLQuery> query_;
  std::unique_ptr<uniaccess::TUniSQLTable> table_;
  DatabaseChooser* chooser_ = nullptr;
};

}  // namespace querybuilder
