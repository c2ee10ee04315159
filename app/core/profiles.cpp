#include "app/core/profiles.h"

#include "platform/string_list.h"
#include "platform/text.h"
#include "settings/sectioned_ini_file.h"

namespace app {
namespace {

std::string RecordKey(std::size_t index) {
  return "SRV" + std::to_string(index);
}

const std::string& FieldOrEmpty(const std::vector<std::string>& fields, std::size_t index) {
  static const std::string kEmpty;
  return index < fields.size() ? fields[index] : kEmpty;
}

}  // namespace

std::string NewProfileRecord() {
  return "\"\",0,\"\",3306,\"\",,,";
}

std::string BuildProfileRecord(const ConnectionProfile& p) {
  const std::string q = "\"";
  // A double quote cannot be doubled here without breaking the fixed record
  // shape, so the panel refuses it in the description; in the other fields
  // it is doubled, which comma text reads back as one quote.
  auto quoted = [](const std::string& text) {
    std::string result;
    for (char c : text) {
      result += c;
      if (c == '"') {
        result += '"';
      }
    }
    return result;
  };
  return q + quoted(p.description) + q + "," + std::to_string(p.sqlMode) + "," + q +
         quoted(p.host) + q + "," + q + quoted(p.port) + q + "," + q + quoted(p.user) + q + ",," +
         q + quoted(p.path) + q + ",";
}

ConnectionProfile ParseProfileRecord(const std::string& record) {
  const std::vector<std::string> fields = platform::FromCommaText(record);
  ConnectionProfile profile;
  profile.description = FieldOrEmpty(fields, 0);
  profile.sqlMode = platform::StrToIntDef(FieldOrEmpty(fields, 1), 0);
  profile.host = FieldOrEmpty(fields, 2);
  profile.port = FieldOrEmpty(fields, 3);
  profile.user = FieldOrEmpty(fields, 4);
  profile.password = FieldOrEmpty(fields, 5);
  profile.path = FieldOrEmpty(fields, 6);
  return profile;
}

std::vector<std::string> ReadProfileRecords(const std::string& iniPath) {
  settings::TSectionedIniFile store(iniPath);
  std::vector<std::string> records;
  for (std::size_t i = 0;; ++i) {
    std::string record = store.ReadString(kProfilesSection, RecordKey(i), kProfileEndMark);
    if (record == kProfileEndMark) {
      return records;
    }
    records.push_back(std::move(record));
  }
}

void WriteProfileRecords(const std::string& iniPath, const std::vector<std::string>& records) {
  settings::TSectionedIniFile store(iniPath);
  for (std::size_t i = 0; i < records.size(); ++i) {
    store.WriteString(kProfilesSection, RecordKey(i), records[i]);
  }
  store.WriteString(kProfilesSection, RecordKey(records.size()), kProfileEndMark);
  store.UpdateFile();
}

int ReadLastProfileIndex(const std::string& iniPath) {
  settings::TSectionedIniFile store(iniPath);
  return store.ReadInteger(kProfilesSection, "SRVI", -1);
}

void WriteLastProfileIndex(const std::string& iniPath, int index) {
  settings::TSectionedIniFile store(iniPath);
  store.WriteInteger(kProfilesSection, "SRVI", index);
  store.UpdateFile();
}

}  // namespace app
