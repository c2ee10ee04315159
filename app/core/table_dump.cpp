#include "app/core/table_dump.h"

#include "app/core/sql_text.h"
#include "app/core/table_script.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/text.h"
#include "uniaccess/sql_literals.h"

namespace app {

namespace {

constexpr int kProgressStep = 1000;

// The server's type of each field, in field order; empty when the backend
// cannot tell. A column the dataset does not carry would be lost, so such a
// table is refused.
std::vector<std::string> ServerTypes(uniaccess::TUniSQLTable& table, uniaccess::Backend& backend,
                                     uniaccess::BackendConnection* handle) {
  std::vector<std::string> types;
  const std::vector<uniaccess::Backend::ColumnType> columns =
      backend.ColumnTypes(handle, table.Tablename());
  if (columns.empty())
    return types;
  std::string missing;
  for (const auto& column : columns) {
    if (table.FindField(column.name) == nullptr) {
      missing += (missing.empty() ? "" : ", ") + column.name;
    }
  }
  if (!missing.empty()) {
    throw platform::Exception("The table " + table.Tablename() +
                              " holds columns a dump cannot carry yet: " + missing);
  }
  for (int i = 0; i < table.FieldCount(); ++i) {
    for (const auto& column : columns) {
      if (platform::SameText(column.name, table.Fields(i).FieldName())) {
        types.push_back(column.type);
      }
    }
  }
  return types;
}

}  // namespace

void WriteTableDump(platform::SharedTextFile& file, uniaccess::TUniSQLTable& table,
                    const std::string& database, const DumpProgress& progress) {
  uniaccess::Backend& backend = *table.Database()->ActiveBackend();
  uniaccess::BackendConnection* handle = table.Database()->Handle();
  const std::string& name = table.Tablename();
  const std::vector<std::string> types = ServerTypes(table, backend, handle);
  file.WriteLine("/*  " + database + "." + name + " " + platform::DateTimeToStr(platform::Now()) +
                 " */");
  file.WriteLine("/* --------------------------------------------- */");
  file.WriteLine("DROP TABLE IF EXISTS " + name + ";");
  for (const std::string& line :
       TableScript(ScriptPart::kTable, name, table, {}, types.empty() ? nullptr : &types)) {
    file.WriteLine(line);
  }
  table.DisableControls();
  int rows = 0;
  try {
    for (table.First(); !table.Eof(); table.Next()) {
      std::string values;
      for (int i = 0; i < table.FieldCount(); ++i) {
        if (i > 0)
          values += ",";
        values += uniaccess::FieldSqlLiteral(backend, handle, table.Fields(i));
      }
      file.WriteLine("INSERT INTO " + name + " VALUES(" + values + ");");
      if (++rows % kProgressStep == 0 && progress && !progress(rows)) {
        throw DumpCancelled("The dump of " + name + " was cancelled after " + std::to_string(rows) +
                            " rows");
      }
    }
  } catch (...) {
    table.EnableControls();
    throw;
  }
  table.EnableControls();
  for (const std::string& line : DumpIndexScript(name, table.GetIndexNames())) {
    file.WriteLine(line);
  }
}

bool RunBatch(platform::SharedTextFile& file, uniaccess::TUniSQLQuery& query,
              const DumpProgress& progress) {
  constexpr int kStatementStep = 100;
  int statements = 0;
  bool succeeded = true;
  auto readLine = [&file](std::string& line) { return file.ReadLine(line); };
  query.SetSQL(platform::StringList{});
  for (bool more = true; more;) {
    const std::vector<std::string> lines = BatchStatementReader::Next(readLine, more);
    if (lines.empty())
      break;
    query.SetSQL(platform::StringList(lines));
    query.ExecSQL();
    if (query.LastRunFailed())
      succeeded = false;
    query.SetSQL(platform::StringList{});
    if (++statements % kStatementStep == 0 && progress && !progress(statements)) {
      throw DumpCancelled("The batch run was cancelled after " + std::to_string(statements) +
                          " statements");
    }
  }
  return succeeded;
}

}  // namespace app
