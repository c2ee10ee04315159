#pragma once
// A MariaDB server of one test's own, for what the shared test server must
// not suffer: being stopped while a client is connected. It is started and
// stopped by the same script that starts the test run's server
// (scripts/test-mariadb.sh), in a fresh temporary folder on a free port.

#include <string>

#include "uniaccess/testing/mysql_test_server.h"

namespace uniaccess::testing {

class ThrowawayMysqlServer {
 public:
  // Starts the server; a failure fails the running test (Running() false).
  ThrowawayMysqlServer();
  // Stops it when it still runs.
  ~ThrowawayMysqlServer();
  ThrowawayMysqlServer(const ThrowawayMysqlServer&) = delete;
  ThrowawayMysqlServer& operator=(const ThrowawayMysqlServer&) = delete;

  bool Running() const { return !pid_.empty(); }
  const MysqlServerAddress& Address() const { return address_; }
  // Stops the server (its clients lose their connections) and removes its
  // files; returns when it has gone.
  void Stop();

 private:
  MysqlServerAddress address_;
  std::string pid_;
  std::string directory_;
};

}  // namespace uniaccess::testing
