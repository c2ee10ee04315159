#pragma once
// Connection profiles: one comma-text record per profile in section SRVS of
// "Brindle.ini", keys SRV0, SRV1, ... and the end mark "@"; SRVI holds the
// profile used at the last connect. Passwords are never stored.

#include <string>
#include <vector>

namespace app {

struct ConnectionProfile {
  std::string description;
  int sqlMode = 0;
  std::string host;
  std::string port;
  std::string user;
  std::string password;
  std::string path;  // the data directory ("Db.path")
};

inline constexpr const char* kProfilesSection = "SRVS";
inline constexpr const char* kProfileEndMark = "@";

// The record that "&New" creates.
std::string NewProfileRecord();
// The record that "&Save" writes: every text field quoted, the mode plain,
// the password left out, a final comma.
std::string BuildProfileRecord(const ConnectionProfile& profile);
// Fields 1 to 7 of a record; missing fields stay empty (mode 0).
ConnectionProfile ParseProfileRecord(const std::string& record);

std::vector<std::string> ReadProfileRecords(const std::string& iniPath);
// Writes every record and the end mark after them.
void WriteProfileRecords(const std::string& iniPath, const std::vector<std::string>& records);
int ReadLastProfileIndex(const std::string& iniPath);
void WriteLastProfileIndex(const std::string& iniPath, int index);

}  // namespace app
