#pragma once
// TWrenEngine: the query builder's data source. It names the database, lists
// its tables (with an alias for each) and the fields of a table, turns the
// clause lists that the builder fills into SQL text, and runs that text into
// a result dataset. The base keeps the state and the rules that do not
// depend on a data access (aliases, the text of the statement); descendants
// read the names and run the query.
//
// Invariant: the alias list is parallel to the table list once
// GenerateAliases has run; a new table list (SetDatabaseName,
// ReadTableList) drops the aliases until then.

#include <string>
#include <string_view>

#include "dataset/dataset.h"
#include "platform/string_list.h"
#include "platform/user_dialogs.h"
#include "querybuilder/sql_names.h"
#include "querybuilder/wren_types.h"

namespace querybuilder {

// Lines of generated SQL are continued on a new line once they grow past
// this many characters.
inline constexpr std::size_t kSqlLineWidth = 70;

// The alias rule: a name's first character; when that is taken (letter case
// ignored), the first character followed by 2, 3, ... up to the first free
// one. A name without characters uses "T".
std::string FreeAlias(std::string_view name, const platform::StringList& taken);
// The aliases of names, in order, each taking the first free one.
platform::StringList MakeAliases(const platform::StringList& names);

class TWrenEngine {
 public:
  TWrenEngine();
  virtual ~TWrenEngine();
  TWrenEngine(const TWrenEngine&) = delete;
  TWrenEngine& operator=(const TWrenEngine&) = delete;

  const std::string& DatabaseName() const { return databaseName_; }
  // Clears the table list, stores the name and closes the result query.
  virtual void SetDatabaseName(std::string_view name);
  // Kept and stored in query files; it changes nothing in the engine.
  bool ShowSystemTables() const { return showSystemTables_; }
  void SetShowSystemTables(bool value) { showSystemTables_ = value; }
  // Table references in generated SQL always go through aliases.
  bool UseAliases() const { return useAliases_; }

  const platform::StringList& TableList() const { return tableList_; }
  const platform::StringList& AliasList() const { return aliasList_; }
  // The alias at the table's position in the table list (its exact spelling
  // first, then without regard to letter case); empty when it is not listed
  // or aliases were not made.
  std::string AliasOf(std::string_view table) const;
  // "*" and the field names of the table read last.
  const platform::StringList& FieldList() const { return fieldList_; }
  // The statement GenerateSQL made last, one entry per line.
  const platform::StringList& SQLLines() const { return sqlLines_; }
  void ClearSQLLines() { sqlLines_.Clear(); }
  // Rows of the last result.
  int RowCount() const { return rowCount_; }

  // The clause lists the builder fills before GenerateSQL. Select columns
  // and select functions are parallel: an empty function leaves the column
  // as it is.
  platform::StringList& SelectColumns() { return selectColumns_; }
  platform::StringList& SelectFunctions() { return selectFunctions_; }
  platform::StringList& FromItems() { return fromItems_; }
  platform::StringList& WhereItems() { return whereItems_; }
  platform::StringList& GroupByItems() { return groupByItems_; }
  platform::StringList& OrderByItems() { return orderByItems_; }
  void ClearClauses();

  virtual void SetQuerySQL(std::string_view text) = 0;
  // One alias per table of the table list (see MakeAliases).
  virtual void GenerateAliases();
  virtual void ReadTableList() = 0;
  // Never raises: a table whose fields cannot be read leaves "*" alone.
  virtual void ReadFieldList(std::string_view table) = 0;
  // Lets the user choose the database; true when a choice was made.
  virtual bool SelectDatabase() = 0;
  // The statement of the clause lists: lines joined with CR LF.
  virtual void GenerateSQL(std::string& text);
  // Clears the result query's text and the row count.
  virtual void ClearQuerySQL() = 0;
  virtual dataset::TDataSet* ResultQuery() = 0;
  virtual void OpenResultQuery() = 0;
  virtual void CloseResultQuery() = 0;
  virtual void SaveResultQuery() = 0;
  // How names are quoted in the SQL this engine's queries run on.
  virtual SqlNameDialect NameDialect() const { return CurrentNameDialect(); }

  // The installed dialogs: the one way the builder reaches the user.
  platform::UserDialogs& Dialogs() const { return platform::Dialogs(); }

 protected:
  void SetTableList(platform::StringList tables);
  void SetFieldList(platform::StringList fields) { fieldList_ = std::move(fields); }
  void SetRowCount(int count) { rowCount_ = count; }

 private:
  std::string databaseName_;
  bool showSystemTables_ = false;
  bool useAliases_ = true;
  platform::StringList tableList_;
  platform::StringList aliasList_;
  platform::StringList fieldList_{std::string(kAllFieldsEntry)};
  platform::StringList sqlLines_;
  platform::StringList selectColumns_;
  platform::StringList selectFunctions_;
  platform::StringList fromItems_;
  platform::StringList whereItems_;
  platform::StringList groupByItems_;
  platform::StringList orderByItems_;
  int rowCount_ = 0;
};

}  // namespace querybuilder
