#include "app/commands/profile_commands.h"

#include "platform/text.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"

namespace app {

using translation::TranslateText;

ConnectionProfile LocalMySqlProfile() {
  return {"Local MySQL", 0, "LocalHost", "3306", "root", "", ""};
}

bool PathUsedBy(int sqlMode) {
  return sqlMode != 0;
}

void ProfileCommands::Load(const std::string& iniPath) {
  iniPath_ = iniPath;
  records_ = ReadProfileRecords(iniPath);
  descriptions_.clear();
  for (const std::string& record : records_) {
    descriptions_.push_back(ParseProfileRecord(record).description);
  }
  const int last = ReadLastProfileIndex(iniPath);
  ShowList(last < static_cast<int>(records_.size()) ? last : -1);
  SelectionChanged();
}

void ProfileCommands::ShowList(int selected) {
  panel_.ShowProfileList(descriptions_, selected);
}

void ProfileCommands::SelectionChanged() {
  const int index = panel_.SelectedProfile();
  const bool chosen = !records_.empty() && index >= 0 && index < static_cast<int>(records_.size());
  const ConnectionProfile profile =
      chosen ? ParseProfileRecord(records_[static_cast<std::size_t>(index)]) : LocalMySqlProfile();
  panel_.ShowProfile(profile);
  panel_.EnablePath(PathUsedBy(profile.sqlMode));
  panel_.EnableDelete(chosen);
}

void ProfileCommands::ModeChanged(int sqlMode) {
  panel_.EnablePath(PathUsedBy(sqlMode));
}

void ProfileCommands::New() {
  records_.push_back(NewProfileRecord());
  descriptions_.push_back(TranslateText("New Connection"));
  ShowList(static_cast<int>(records_.size()) - 1);
  SelectionChanged();
}

void ProfileCommands::Delete() {
  const int index = panel_.SelectedProfile();
  if (!records_.empty() && index >= 0 && index < static_cast<int>(records_.size())) {
    records_.erase(records_.begin() + index);
    descriptions_.erase(descriptions_.begin() + index);
    ShowList(records_.empty() ? -1 : 0);
    SelectionChanged();
  }
  WriteAllRecords();
}

void ProfileCommands::Save() {
  const int index = panel_.SelectedProfile();
  if (index >= 0 && index < static_cast<int>(records_.size())) {
    const ConnectionProfile profile = panel_.Values();
    if (platform::Trim(profile.description).empty()) {
      platform::Dialogs().ShowMessage(TranslateText("Must write description!"));
      return;
    }
    if (profile.description.find('"') != std::string::npos) {
      platform::Dialogs().ShowMessage(TranslateText("No use \"  in description!"));
      return;
    }
    records_[static_cast<std::size_t>(index)] = BuildProfileRecord(profile);
    descriptions_[static_cast<std::size_t>(index)] = profile.description;
    ShowList(static_cast<int>(records_.size()) - 1);
    SelectionChanged();
  }
  WriteAllRecords();
}

void ProfileCommands::WriteAllRecords() {
  WriteProfileRecords(iniPath_, records_);
}

}  // namespace app
