#include "querybuilder/wren_engine_unisql.h"

#include <exception>

#include "translation/translation.h"
#include "uniaccess/backend.h"
#include "uniaccess/sql_mode.h"

namespace querybuilder {
namespace {

// Field names are all the builder needs: the statement is made to return
// no row, so a large table is not fetched just to read its columns.
constexpr std::string_view kNoRows = "1=0";

}  // namespace

std::string ListedTableName(std::string_view name) {
  std::size_t end = 0;
  while (end < name.size() && static_cast<unsigned char>(name[end]) >= 0x20 && name[end] != 0x7F)
    ++end;
  while (end > 0 && name[end - 1] == ' ')
    --end;
  return std::string(name.substr(0, end));
}

TWrenEngineUNISQL::TWrenEngineUNISQL()
    : TWrenEngine(),
      database_(std::make_unique<uniaccess::TUniSQLDatabase>()),
      query_(std::make_unique<uniaccess::TUniSQLQuery>()),
      table_(std::make_unique<uniaccess::TUniSQLTable>()) {
  query_->SetDatabase(database_.get());
  table_->SetDatabase(database_.get());
  table_->SetReadOnly(true);
}

TWrenEngineUNISQL::~TWrenEngineUNISQL() {
  try {
    query_->Close();
    table_->Close();
    database_->Disconnect();
  } catch (const std::exception&) {
    // A destructor has nobody left to tell.
  }
}

void TWrenEngineUNISQL::ConnectWhenNeeded() {
  if (!database_->Connected())
    database_->Connect();
}

void TWrenEngineUNISQL::SetDatabaseName(std::string_view name) {
  query_->Close();
  table_->Close();
  database_->Disconnect();
  database_->SetDatabasename(std::string(name));
  TWrenEngine::SetDatabaseName(name);
}

void TWrenEngineUNISQL::SetQuerySQL(std::string_view text) {
  query_->SetSQL(text);
}

void TWrenEngineUNISQL::ReadTableList() {
  ConnectWhenNeeded();
  platform::StringList tables;
  for (const std::string& name : database_->GetTableNames())
    tables.Add(ListedTableName(name));
  SetTableList(std::move(tables));
}

void TWrenEngineUNISQL::ReadFieldList(std::string_view table) {
  platform::StringList fields{std::string(kAllFieldsEntry)};
  try {
    ConnectWhenNeeded();
    table_->Close();
    table_->SetTablename(SqlName(table, NameDialect()));
    table_->SetFilter(kNoRows);
    table_->SetFiltered(true);
    table_->Open();
    if (!table_->LastRunFailed()) {
      for (int i = 0; i < table_->FieldCount(); ++i)
        fields.Add(table_->Fields(i).FieldName());
    }
    table_->Close();
  } catch (const std::exception&) {
    // The dataset has shown what went wrong; the box keeps "*" alone.
    fields = platform::StringList{std::string(kAllFieldsEntry)};
    try {
      table_->Close();
    } catch (const std::exception&) {
      // Reported with the failure above.
    }
  }
  SetFieldList(std::move(fields));
}

bool TWrenEngineUNISQL::SelectDatabase() {
  if (!database_->Connected()) {
    database_->SetDatabasename(
        uniaccess::SystemDatabaseNameFor(uniaccess::GlobalSqlModeState().sqlMode));
    database_->Connect();
  }
  const platform::StringList databases = database_->GetDatabaseNames();
  if (chooser_ == nullptr)
    return false;
  const std::optional<DatabaseChoice> choice =
      chooser_->ChooseDatabase(databases, ShowSystemTables());
  if (!choice)
    return false;
  SetDatabaseName(choice->directory.empty() ? choice->database : choice->directory);
  SetShowSystemTables(choice->includeSystemTables);
  return true;
}

void TWrenEngineUNISQL::ClearQuerySQL() {
  query_->SetSQL(platform::StringList());
  SetRowCount(0);
}

void TWrenEngineUNISQL::OpenResultQuery() {
  ConnectWhenNeeded();
  query_->Close();
  query_->Open();
  SetRowCount(query_->RecordCount());
}

void TWrenEngineUNISQL::CloseResultQuery() {
  query_->Close();
}

void TWrenEngineUNISQL::SaveResultQuery() {
  Dialogs().ShowMessage(translation::TranslateText("Not supported"));
}

SqlNameDialect TWrenEngineUNISQL::NameDialect() const {
  if (const uniaccess::Backend* backend = database_->ActiveBackend())
    return DialectOfBackend(backend->Name());
  return CurrentNameDialect();
}

}  // namespace querybuilder
