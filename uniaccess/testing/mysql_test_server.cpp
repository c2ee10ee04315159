#include "uniaccess/testing/mysql_test_server.h"

#include <unistd.h>

#include <cstdlib>

#include "uniaccess/sql_mode.h"

namespace uniaccess::testing {

bool ReadServerAddress(MysqlServerAddress& address) {
  const char* host = std::getenv("BRINDLE_MYSQL_HOST");
  const char* port = std::getenv("BRINDLE_MYSQL_PORT");
  const char* user = std::getenv("BRINDLE_MYSQL_USER");
  const char* password = std::getenv("BRINDLE_MYSQL_PASSWORD");
  if (host == nullptr || port == nullptr || user == nullptr || password == nullptr) {
    ADD_FAILURE() << "no MariaDB test server: run the tests through ./scripts/test, which "
                     "starts one and exports BRINDLE_MYSQL_HOST/PORT/USER/PASSWORD";
    return false;
  }
  address = {host, port, user, password};
  return true;
}

void MysqlTest::SetUp() {
  GlobalSqlModeState().sqlMode = kSqlModeMySql;
  if (!ReadServerAddress(server_)) {
    GTEST_SKIP() << "no server";  // the failure above already counts
  }
  direct_ = mysql_init(nullptr);
  mysql_options(direct_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  if (mysql_real_connect(direct_, server_.host.c_str(), server_.user.c_str(),
                         server_.password.c_str(), nullptr,
                         static_cast<unsigned>(std::stoi(server_.port)), nullptr, 0) == nullptr) {
    FAIL() << "cannot reach the test server: " << mysql_error(direct_);
  }
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  database_ = "t_" + std::to_string(::getpid()) + "_" + info->name();
  if (database_.size() > 60) {
    database_.resize(60);
  }
  Run("CREATE DATABASE `" + database_ + "` CHARACTER SET utf8mb4");
  Run("USE `" + database_ + "`");
}

void MysqlTest::TearDown() {
  if (direct_ != nullptr) {
    if (!database_.empty()) {
      mysql_query(direct_, ("DROP DATABASE IF EXISTS `" + database_ + "`").c_str());
    }
    mysql_close(direct_);
    direct_ = nullptr;
  }
}

void MysqlTest::Run(const std::string& statement) {
  ASSERT_EQ(mysql_query(direct_, statement.c_str()), 0)
      << statement << ": " << mysql_error(direct_);
}

std::vector<std::vector<std::string>> MysqlTest::Query(const std::string& statement) {
  std::vector<std::vector<std::string>> rows;
  if (mysql_query(direct_, statement.c_str()) != 0) {
    ADD_FAILURE() << statement << ": " << mysql_error(direct_);
    return rows;
  }
  MYSQL_RES* result = mysql_store_result(direct_);
  if (result == nullptr) {
    return rows;
  }
  const unsigned columns = mysql_num_fields(result);
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    unsigned long* lengths = mysql_fetch_lengths(result);
    std::vector<std::string> values;
    for (unsigned i = 0; i < columns; ++i) {
      values.push_back(row[i] != nullptr ? std::string(row[i], lengths[i]) : "NULL");
    }
    rows.push_back(std::move(values));
  }
  mysql_free_result(result);
  return rows;
}

void MysqlTest::Configure(TUniSQLDatabase& database) const {
  database.SetHost(server_.host);
  database.SetPort(server_.port);
  database.SetUser(server_.user);
  database.Setpassword(server_.password);
  database.SetDatabasename(database_);
}

}  // namespace uniaccess::testing
