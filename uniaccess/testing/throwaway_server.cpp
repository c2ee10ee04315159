#include "uniaccess/testing/throwaway_server.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace uniaccess::testing {
namespace {

const std::string kScript = std::string(BRINDLE_SOURCE_DIR) + "/scripts/test-mariadb.sh";

// Runs a bash command with the script sourced; its standard output.
bool RunScript(const std::string& commands, std::string& output) {
  const std::string line = "bash -c 'source \"" + kScript + "\" && " + commands + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(line.c_str(), "r"), ::pclose);
  if (!pipe) {
    return false;
  }
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
    output += buffer;
  }
  return ::pclose(pipe.release()) == 0;
}

}  // namespace

ThrowawayMysqlServer::ThrowawayMysqlServer() {
  std::string output;
  // The server's own messages go to standard error; the values it was
  // started with come back one per line.
  if (!RunScript("brindle_start_mariadb >&2 && printf \"%s\\n\" \"$BRINDLE_MYSQL_PID\" "
                 "\"$BRINDLE_MYSQL_DIR\" \"$BRINDLE_MYSQL_HOST\" \"$BRINDLE_MYSQL_PORT\" "
                 "\"$BRINDLE_MYSQL_USER\" \"$BRINDLE_MYSQL_PASSWORD\"",
                 output)) {
    ADD_FAILURE() << "the throwaway MariaDB server did not start: " << output;
    return;
  }
  std::istringstream lines(output);
  std::string pid;
  if (!std::getline(lines, pid) || !std::getline(lines, directory_) ||
      !std::getline(lines, address_.host) || !std::getline(lines, address_.port) ||
      !std::getline(lines, address_.user) || !std::getline(lines, address_.password) ||
      pid.empty()) {
    ADD_FAILURE() << "unexpected answer from the server script: " << output;
    return;
  }
  pid_ = pid;
}

ThrowawayMysqlServer::~ThrowawayMysqlServer() {
  Stop();
}

void ThrowawayMysqlServer::Stop() {
  if (pid_.empty()) {
    return;
  }
  std::string output;
  if (!RunScript("BRINDLE_MYSQL_PID=" + pid_ + " BRINDLE_MYSQL_DIR=\"" + directory_ +
                     "\" && brindle_stop_mariadb",
                 output)) {
    ADD_FAILURE() << "the throwaway MariaDB server did not stop: " << output;
  }
  pid_.clear();
}

}  // namespace uniaccess::testing
