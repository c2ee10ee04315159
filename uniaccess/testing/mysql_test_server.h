#pragma once
// The MariaDB server of the test run (started by the test command) and a
// scratch database per test. A missing server fails the test: the data
// access is only tested for real.

#include <gtest/gtest.h>
#include <mysql.h>

#include <string>
#include <vector>

#include "uniaccess/unisql_database.h"

namespace uniaccess::testing {

struct MysqlServerAddress {
  std::string host;
  std::string port;
  std::string user;
  std::string password;
};

// Fails the current test when the server variables are missing.
bool ReadServerAddress(MysqlServerAddress& address);

// A fixture with a fresh database (dropped at the end) and a direct
// connector connection for setting up and checking data.
class MysqlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs statements directly on the server; fails the test on an error.
  void Run(const std::string& statement);
  // The rows of a query as texts ("NULL" for SQL NULL).
  std::vector<std::vector<std::string>> Query(const std::string& statement);
  // A database component pointed at the test database, not yet connected.
  void Configure(TUniSQLDatabase& database) const;

  MysqlServerAddress server_;
  std::string database_;
  MYSQL* direct_ = nullptr;
};

}  // namespace uniaccess::testing
