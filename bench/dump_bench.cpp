// Dumping a table to an SQL file and loading it back, beside mariadb-dump
// and the mariadb client on the same table in the same run.
//
// Needs a server: bash -c 'source scripts/services && build/bin/dump_bench [rows]'
// (1,000,000 rows unless given).

#include <mysql.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/core/table_dump.h"
#include "bench/bench_server.h"
#include "platform/shared_text_file.h"
#include "platform/user_dialogs.h"
#include "uniaccess/sql_mode.h"

namespace {

using bench::Clock;
using bench::Run;
using bench::SecondsSince;

std::string Count(MYSQL* mysql, const std::string& table) {
  Run(mysql, "select count(*) from " + table);
  MYSQL_RES* result = mysql_store_result(mysql);
  MYSQL_ROW row = mysql_fetch_row(result);
  std::string count = row != nullptr && row[0] != nullptr ? row[0] : "?";
  mysql_free_result(result);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const std::optional<bench::BenchServer> server = bench::FindBenchServer("dump_bench");
  if (!server)
    return 2;
  MYSQL* direct = bench::ConnectBenchServer(*server);
  if (direct == nullptr)
    return 2;
  const char* host = server->host.c_str();
  const char* port = server->port.c_str();
  const char* user = server->user.c_str();
  const char* password = server->password.c_str();
  const std::string database = "brindle_dump_bench";
  if (!Run(direct, "drop database if exists " + database) ||
      !Run(direct, "create database " + database + " character set utf8mb4") ||
      !Run(direct, "use " + database) ||
      !Run(direct,
           "create table t (id int primary key, name varchar(20), score double, born date)") ||
      !Run(direct,
           "insert into t select seq, concat('row ''', seq), seq / 4,"
           " '2000-01-01' + interval (seq % 3650) day from seq_1_to_" +
               std::to_string(rows))) {
    return 2;
  }
  const std::string client = std::string(" --no-defaults --default-character-set=utf8mb4 -h ") +
                             host + " -P " + port + " -u " + user + " -p" + password + " ";

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

  const std::string ours = "/tmp/brindle_dump_bench.sql";
  auto start = Clock::now();
  {
    uniaccess::TUniSQLTable table;
    table.SetDatabase(&connection);
    table.SetTablename("t");
    table.Open();
    platform::SharedTextFile file(ours, platform::TextFileMode::kRewrite);
    app::WriteTableDump(file, table, database);
    file.Close();
  }
  const double oursDump = SecondsSince(start);

  start = Clock::now();
  {
    uniaccess::TUniSQLQuery query;
    query.SetDatabase(&connection);
    platform::SharedTextFile file(ours, platform::TextFileMode::kReset);
    app::RunBatch(file, query);
    file.Close();
  }
  const double oursLoad = SecondsSince(start);
  const std::string oursCount = Count(direct, database + ".t");

  const std::string theirs = "/tmp/brindle_dump_bench_mysqldump.sql";
  start = Clock::now();
  const int dumped = std::system(("mariadb-dump" + client + database + " t > " + theirs).c_str());
  const double theirsDump = SecondsSince(start);
  start = Clock::now();
  const int loaded = std::system(("mariadb" + client + database + " < " + theirs).c_str());
  const double theirsLoad = SecondsSince(start);
  const std::string theirsCount = Count(direct, database + ".t");

  connection.SetConnected(false);
  platform::InstallUserDialogs(nullptr);
  Run(direct, "drop database " + database);
  mysql_close(direct);
  std::remove(ours.c_str());
  std::remove(theirs.c_str());

  std::printf("rows: %d\n", rows);
  std::printf("dump:  Brindle %.2f s (%.0f rows/s), mariadb-dump %.2f s%s; ratio %.2f\n", oursDump,
              rows / oursDump, theirsDump, dumped == 0 ? "" : " (failed)", oursDump / theirsDump);
  std::printf(
      "load:  Brindle %.2f s (%.0f rows/s, %s rows back), mariadb client %.2f s%s (%s rows "
      "back); ratio %.2f\n",
      oursLoad, rows / oursLoad, oursCount.c_str(), theirsLoad, loaded == 0 ? "" : " (failed)",
      theirsCount.c_str(), oursLoad / theirsLoad);
  return 0;
}
