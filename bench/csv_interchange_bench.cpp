// Exporting and importing 1,000,000 rows through CSV with TCSVEXPIMP (over an
// in-memory dataset), beside the server's own SELECT ... INTO OUTFILE and
// LOAD DATA INFILE on the same rows in the same run. Prints figures and
// asserts nothing.
//
// Needs a server for the comparison: run it through the test services,
//   bash -c 'source scripts/services && build/bin/csv_interchange_bench'
// Without one it prints the CSV figures alone.

#include <mysql.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "bench/bench_server.h"
#include "dataset/data_source.h"
#include "dataset/memory_dataset.h"
#include "interchange/csv_exp_imp.h"
#include "platform/date_time.h"
#include "platform/user_dialogs.h"

namespace {

constexpr int kRows = 1000000;
constexpr const char* kDatabase = "brindle_csv_bench";
constexpr const char* kCsvOptions =
    " fields terminated by ';' optionally enclosed by '\"' lines terminated by '\\r\\n'";

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

bool Run(MYSQL* mysql, const std::string& statement) {
  if (mysql_query(mysql, statement.c_str()) == 0) {
    MYSQL_RES* result = mysql_store_result(mysql);
    if (result != nullptr) {
      mysql_free_result(result);
    }
    return true;
  }
  std::fprintf(stderr, "%s: %s\n", statement.c_str(), mysql_error(mysql));
  return false;
}

std::optional<std::string> SingleValue(MYSQL* mysql, const std::string& statement) {
  if (mysql_query(mysql, statement.c_str()) != 0) {
    return std::nullopt;
  }
  MYSQL_RES* result = mysql_store_result(mysql);
  if (result == nullptr) {
    return std::nullopt;
  }
  std::optional<std::string> value;
  if (MYSQL_ROW row = mysql_fetch_row(result)) {
    value = row[0] != nullptr ? std::string(row[0]) : std::string();
  }
  mysql_free_result(result);
  return value;
}

void FillDataSet(dataset::TMemoryDataSet& dataSet) {
  auto& defs = dataSet.FieldDefs();
  defs.Add("id", dataset::TFieldType::ftInteger);
  defs.Add("name", dataset::TFieldType::ftString, 20);
  defs.Add("score", dataset::TFieldType::ftFloat);
  defs.Add("born", dataset::TFieldType::ftDate);
  dataSet.CreateDataSet();
  const platform::DateTime firstDay = platform::EncodeDate(2000, 1, 1);
  dataSet.DisableControls();
  for (int id = 1; id <= kRows; ++id) {
    dataSet.AppendRecord({dataset::Variant::FromInteger(id),
                          dataset::Variant::FromString("row " + std::to_string(id)),
                          dataset::Variant::FromDouble(id / 4.0),
                          dataset::Variant::FromDateTime(firstDay + id % 3650)});
  }
  dataSet.EnableControls();
}

struct ServerFigures {
  double outfileSeconds = 0;
  double loadSeconds = 0;
  long long loadedRows = 0;
};

// The same rows through the server's own CSV statements; nothing when there
// is no server or it refuses to write files.
std::optional<ServerFigures> MeasureServer() {
  const std::optional<bench::BenchServer> server = bench::FindBenchServer("csv_interchange_bench");
  if (!server)
    return std::nullopt;
  MYSQL* mysql = bench::ConnectBenchServer(*server);
  if (mysql == nullptr)
    return std::nullopt;
  const std::string database = kDatabase;
  std::optional<ServerFigures> figures;
  // The server writes its files where secure_file_priv allows, or else in
  // its data directory; a file it made is removed by name at the end.
  std::string directory = SingleValue(mysql, "select @@secure_file_priv").value_or("");
  if (directory.empty()) {
    directory = SingleValue(mysql, "select @@datadir").value_or("");
  }
  const std::string file = (std::filesystem::path(directory) / "brindle_csv_bench.csv").string();
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  if (!directory.empty() && Run(mysql, "drop database if exists " + database) &&
      Run(mysql, "create database " + database) && Run(mysql, "use " + database) &&
      Run(mysql, "create table t (id int, name varchar(20), score double, born date)") &&
      Run(mysql,
          "insert into t select seq, concat('row ', seq), seq / 4,"
          " '2000-01-01' + interval (seq % 3650) day from seq_1_to_" +
              std::to_string(kRows)) &&
      Run(mysql, "create table t2 like t")) {
    ServerFigures measured;
    auto start = Clock::now();
    const bool exported = Run(mysql, "select id, name, score, born into outfile '" + file + "'" +
                                         kCsvOptions + " from t order by id");
    measured.outfileSeconds = SecondsSince(start);
    start = Clock::now();
    const bool loaded =
        exported && Run(mysql, "load data infile '" + file + "' into table t2" + kCsvOptions);
    measured.loadSeconds = SecondsSince(start);
    if (loaded) {
      measured.loadedRows =
          std::atoll(SingleValue(mysql, "select count(*) from t2").value_or("0").c_str());
      figures = measured;
    }
    Run(mysql, "drop database " + database);
  }
  std::filesystem::remove(file, ignored);
  mysql_close(mysql);
  return figures;
}

double RowsPerSecond(double rows, double seconds) {
  return seconds > 0 ? rows / seconds : 0;
}

}  // namespace

int main() {
  platform::HeadlessUserDialogs dialogs;
  platform::InstallUserDialogs(&dialogs);

  auto start = Clock::now();
  dataset::TMemoryDataSet source;
  FillDataSet(source);
  std::printf("set-up: %d rows in memory in %.2f s\n", kRows, SecondsSince(start));

  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "brindle_csv_bench.csv";
  dataset::TDataSource sourceLink(&source);
  interchange::TCSVEXPIMP csv;
  csv.SetDatasource(&sourceLink);
  csv.SetCSVnev(file.string());
  csv.SetOKMsg(false);
  start = Clock::now();
  const int exported = csv.Export().records;
  const double exportSeconds = SecondsSince(start);

  dataset::TMemoryDataSet target;
  for (const dataset::TFieldDef& def : source.FieldDefs()) {
    target.FieldDefs().Add(def.Name, def.DataType, def.Size);
  }
  target.CreateDataSet();
  dataset::TDataSource targetLink(&target);
  csv.SetDatasource(&targetLink);
  start = Clock::now();
  const int imported = csv.Import().records;
  const double importSeconds = SecondsSince(start);
  std::error_code ignored;
  const auto bytes = std::filesystem::file_size(file, ignored);
  std::filesystem::remove(file, ignored);

  std::printf("TCSVEXPIMP export: %d rows in %.2f s, %.0f rows/s (%.1f MB)\n", exported,
              exportSeconds, RowsPerSecond(exported, exportSeconds),
              static_cast<double>(bytes) / 1e6);
  std::printf("TCSVEXPIMP import: %d rows in %.2f s, %.0f rows/s\n", imported, importSeconds,
              RowsPerSecond(imported, importSeconds));

  const std::optional<ServerFigures> server = MeasureServer();
  if (!server) {
    std::printf("server: no figures (see above); CSV figures only\n");
  } else {
    const double outfileRate = RowsPerSecond(kRows, server->outfileSeconds);
    const double loadRate =
        RowsPerSecond(static_cast<double>(server->loadedRows), server->loadSeconds);
    std::printf("SELECT ... INTO OUTFILE: %d rows in %.2f s, %.0f rows/s\n", kRows,
                server->outfileSeconds, outfileRate);
    std::printf("LOAD DATA INFILE: %lld rows in %.2f s, %.0f rows/s\n", server->loadedRows,
                server->loadSeconds, loadRate);
    std::printf("export: TCSVEXPIMP / server = %.2f\n",
                outfileRate > 0 ? RowsPerSecond(exported, exportSeconds) / outfileRate : 0);
    std::printf("import: TCSVEXPIMP / server = %.2f\n",
                loadRate > 0 ? RowsPerSecond(imported, importSeconds) / loadRate : 0);
  }
  platform::InstallUserDialogs(nullptr);
  return 0;
}
