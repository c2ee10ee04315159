#pragma once
// The MariaDB server of the test services, for the benchmarks that compare
// with it: its address from the BRINDLE_MYSQL_* variables and a connector
// connection to it.

#include <mysql.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace bench {

struct BenchServer {
  std::string host;
  std::string port;
  std::string user;
  std::string password;
};

// Nothing, and how to run the benchmark on stderr, when the services are not
// running.
inline std::optional<BenchServer> FindBenchServer(const char* benchName) {
  const char* host = std::getenv("BRINDLE_MYSQL_HOST");
  const char* port = std::getenv("BRINDLE_MYSQL_PORT");
  const char* user = std::getenv("BRINDLE_MYSQL_USER");
  const char* password = std::getenv("BRINDLE_MYSQL_PASSWORD");
  if (host == nullptr || port == nullptr || user == nullptr || password == nullptr) {
    std::fprintf(stderr, "no server: run  bash -c 'source scripts/services && build/bin/%s'\n",
                 benchName);
    return std::nullopt;
  }
  return BenchServer{host, port, user, password};
}

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs a statement on the connector; false, with the error on stderr, when it fails.
inline bool Run(MYSQL* mysql, const std::string& statement) {
  if (mysql_query(mysql, statement.c_str()) == 0)
    return true;
  std::fprintf(stderr, "%s: %s\n", statement.c_str(), mysql_error(mysql));
  return false;
}

// A utf8mb4 connection; null, with the reason on stderr, when it fails.
inline MYSQL* ConnectBenchServer(const BenchServer& server) {
  MYSQL* mysql = mysql_init(nullptr);
  mysql_options(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  if (mysql_real_connect(mysql, server.host.c_str(), server.user.c_str(), server.password.c_str(),
                         nullptr, static_cast<unsigned>(std::atoi(server.port.c_str())), nullptr,
                         0) == nullptr) {
    std::fprintf(stderr, "cannot connect: %s\n", mysql_error(mysql));
    mysql_close(mysql);
    return nullptr;
  }
  return mysql;
}

}  // namespace bench
