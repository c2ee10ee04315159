// Walking a 1,000,000-row MySQL result through TUniSQLQuery, beside the same
// walk done directly with the connector, in the same run.
//
// Needs a server: run it through the test services, for instance
//   bash -c 'source scripts/services && build/bin/unisql_walk_bench'

#include <mysql.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_server.h"
#include "platform/user_dialogs.h"
#include "uniaccess/sql_mode.h"
#include "uniaccess/unisql_database.h"
#include "uniaccess/unisql_query.h"

namespace {

constexpr int kRows = 1000000;
constexpr const char* kDatabase = "brindle_walk_bench";

using bench::Clock;
using bench::Run;
using bench::SecondsSince;

}  // namespace

int main() {
  const std::optional<bench::BenchServer> server = bench::FindBenchServer("unisql_walk_bench");
  if (!server)
    return 2;
  MYSQL* direct = bench::ConnectBenchServer(*server);
  if (direct == nullptr)
    return 2;
  const char* host = server->host.c_str();
  const char* port = server->port.c_str();
  const char* user = server->user.c_str();
  const char* password = server->password.c_str();
  const std::string database = kDatabase;
  const auto setupStart = Clock::now();
  if (!Run(direct, "drop database if exists " + database) ||
      !Run(direct, "create database " + database) || !Run(direct, "use " + database) ||
      !Run(direct, "create table t (id int, name varchar(20), score double, born date)") ||
      !Run(direct,
           "insert into t select seq, concat('row ', seq), seq / 4,"
           " '2000-01-01' + interval (seq % 3650) day from seq_1_to_" +
               std::to_string(kRows))) {
    return 2;
  }
  std::printf("set-up: %d rows in %.2f s\n", kRows, SecondsSince(setupStart));
  const std::string select = "select id, name, score, born from t order by id";

  // The connector alone: store the result, convert every column of every row.
  auto start = Clock::now();
  Run(direct, select);
  MYSQL_RES* result = mysql_store_result(direct);
  double checksum = 0;
  int directRows = 0;
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    checksum += std::atoi(row[0]) + std::strtod(row[2], nullptr) + std::string(row[1]).size() +
                std::atoi(row[3] + 8);
    ++directRows;
  }
  mysql_free_result(result);
  const double directSeconds = SecondsSince(start);

  // The same through the dataset, reading each field by its typed accessor.
  platform::HeadlessUserDialogs dialogs;
  platform::InstallUserDialogs(&dialogs);
  uniaccess::GlobalSqlModeState().sqlMode = uniaccess::kSqlModeMySql;
  uniaccess::TUniSQLDatabase connection;
  connection.SetHost(host);
  connection.SetPort(port);
  connection.SetUser(user);
  connection.Setpassword(password);
  connection.SetDatabasename(database);
  connection.SetConnected(true);
  uniaccess::TUniSQLQuery query;
  query.SetDatabase(&connection);
  query.SetSQL(select);
  start = Clock::now();
  query.Open();
  const double openSeconds = SecondsSince(start);
  double datasetChecksum = 0;
  int datasetRows = 0;
  dataset::TField& id = query.FieldByName("id");
  dataset::TField& name = query.FieldByName("name");
  dataset::TField& score = query.FieldByName("score");
  dataset::TField& born = query.FieldByName("born");
  for (; !query.Eof(); query.Next()) {
    datasetChecksum += id.AsInteger() + score.AsFloat() + name.AsString().size() +
                       platform::DecodeDate(born.AsDateTime()).day;
    ++datasetRows;
  }
  const double datasetSeconds = SecondsSince(start);
  query.Close();
  connection.SetConnected(false);
  platform::InstallUserDialogs(nullptr);

  Run(direct, "drop database " + database);
  mysql_close(direct);

  std::printf("connector: %d rows in %.3f s = %.0f rows/s (checksum %.0f)\n", directRows,
              directSeconds, directRows / directSeconds, checksum);
  std::printf("TUniSQLQuery: %d rows in %.3f s (open %.3f s) = %.0f rows/s (checksum %.0f)\n",
              datasetRows, datasetSeconds, openSeconds, datasetRows / datasetSeconds,
              datasetChecksum);
  std::printf("ratio dataset/connector time: %.2f\n", datasetSeconds / directSeconds);
  return 0;
}
