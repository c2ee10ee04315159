#include "app/core/table_dump.h"

#include "app/core/sql_text.h"
#include "app/core/table_script.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/text.h"

namespace app {

namespace {

constexpr int kProgressStep = 1000;

// The server's type of each field, in field order; empty when the backend
// cannot tell. A column the dataset does not carry would be lost, so such a
// table is refused.
std::vector<std::string> ServerTypes(uniaccess::TUniSQLTable& table) {
  std::vector<std::string> types;
  const std::vector<uniaccess::TUniSQLTable::ColumnType> columns = table.ColumnTypes();
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
  const std::string& name = table.Tablename();
  const std::vector<std::string> types = ServerTypes(table);
  file.WriteLine("/*  " + database + "." + name + " " + platform::DateTimeToStr(platform::Now()) +
                 " */");
  file.WriteLine("/* --------------------------------------------- */");
  file.WriteLine("DROP TABLE IF EXISTS " + name + ";");
  for (const std::string& line :
       TableScript(ScriptPart::kTable, name, table, {}, types.empty() ? nullptr : &types)) {
    file.WriteLine(line);
  }
  {
    const dataset::ControlsDisabled quiet(table);
    int rows = 0;
    std::string values;
    for (table.First(); !table.Eof(); table.Next()) {
      values.clear();
      for (int i = 0; i < table.FieldCount(); ++i) {
        if (i > 0)
          values += ",";
        values += table.FieldLiteral(table.Fields(i));
      }
      file.WriteLine("INSERT INTO " + name + " VALUES(" + values + ");");
      if (++rows % kProgressStep == 0 && progress && !progress(rows)) {
        throw DumpCancelled("The dump of " + name + " was cancelled after " + std::to_string(rows) +
                            " rows");
      }
    }
  }
  for (const std::string& line : DumpIndexScript(name, table.GetIndexNames())) {
    file.WriteLine(line);
  }
}

BatchResult RunBatch(platform::SharedTextFile& file, uniaccess::TUniSQLQuery& query,
                     const DumpProgress& progress) {
  constexpr int kStatementStep = 100;
  BatchResult result;
  int linesRead = 0;
  auto readLine = [&file, &linesRead](std::string& line) {
    if (!file.ReadLine(line))
      return false;
    ++linesRead;
    return true;
  };
  query.SetSQL(platform::StringList{});
  for (bool more = true; more;) {
    const int firstLine = linesRead + 1;
    const std::vector<std::string> lines = BatchStatementReader::Next(readLine, more);
    if (lines.empty())
      break;
    query.SetSQL(platform::StringList(lines));
    query.ExecSQL();
    query.SetSQL(platform::StringList{});
    ++result.statementsRun;
    if (query.LastRunFailed()) {
      // The server's text has been shown; what follows may depend on it.
      result.failedStatement = result.statementsRun;
      result.failedLine = firstLine;
      return result;
    }
    if (result.statementsRun % kStatementStep == 0 && progress && !progress(result.statementsRun)) {
      throw DumpCancelled("The batch run was cancelled after " +
                          std::to_string(result.statementsRun) + " statements");
    }
  }
  return result;
}

}  // namespace app
