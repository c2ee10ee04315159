#pragma once
// The connection panel's profile commands: loading the profiles, showing
// the chosen one's values, "&New", "&delete" and "&Save" with their checks,
// and writing every record back to section SRVS. The panel's widgets stay
// in the window; these commands reach them through ProfilePanel, so they
// run without one. Passwords are shown and taken from the panel but never
// written.
//
// The profile list and the record list are kept in the same order: item i
// of one belongs to item i of the other. A new profile's list item reads
// "New Connection" until it is saved under its description.

#include <string>
#include <vector>

#include "app/core/profiles.h"

namespace app {

class ProfilePanel {
 public:
  virtual ~ProfilePanel() = default;

  // The profile list's items and its selection (-1: none).
  virtual void ShowProfileList(const std::vector<std::string>& descriptions, int selected) = 0;
  virtual int SelectedProfile() const = 0;
  // The fields, and whether "&delete" and "Db.path" can be used.
  virtual void ShowProfile(const ConnectionProfile& profile) = 0;
  virtual void EnableDelete(bool enabled) = 0;
  virtual void EnablePath(bool enabled) = 0;
  // What the fields hold now, the password included.
  virtual ConnectionProfile Values() const = 0;
};

// The values shown while no profile is chosen.
ConnectionProfile LocalMySqlProfile();
// "Db.path" is for the modes whose data lives in a folder: all but MySQL.
bool PathUsedBy(int sqlMode);

class ProfileCommands {
 public:
  explicit ProfileCommands(ProfilePanel& panel) : panel_(panel) {}

  // Reads the profiles from the settings file, selects the one used last
  // (none when that index is past the list) and shows its values.
  void Load(const std::string& iniPath);
  // Shows the selected profile's values, or LocalMySqlProfile().
  void SelectionChanged();
  // The panel's mode changed: "Db.path" follows it.
  void ModeChanged(int sqlMode);
  // Adds "New Connection" with the record New writes, and selects it.
  void New();
  // Removes the selected profile (the first one is selected then) and
  // writes the records; with nothing selected only the writing is done.
  void Delete();
  // Puts the panel's values into the selected profile and writes the
  // records. A blank description or one holding a double quote is refused
  // with a message, and nothing is written.
  void Save();

  const std::vector<std::string>& Records() const { return records_; }
  const std::vector<std::string>& Descriptions() const { return descriptions_; }

 private:
  void WriteAllRecords();
  void ShowList(int selected);

  ProfilePanel& panel_;
  std::string iniPath_;
  std::vector<std::string> records_;
  std::vector<std::string> descriptions_;
};

}  // namespace app
