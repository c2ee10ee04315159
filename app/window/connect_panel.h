#pragma once
// The connection panel: the profile list, the fields of the chosen profile
// and the New, delete, Save and Connect buttons, wired to the profile
// commands (app/commands/profile_commands.h), which keep the profiles in
// section SRVS of the settings file; passwords stay in the panel and are
// never written.

#include <QFrame>
#include <functional>
#include <string>
#include <vector>

#include "app/commands/profile_commands.h"
#include "app/core/profiles.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace app {

class TConnectPanel : public QFrame, private ProfilePanel {
 public:
  explicit TConnectPanel(QWidget* parent);

  // Empties the lists, loads the profiles from the file, selects the one
  // used last and shows its values.
  void LoadProfiles(const std::string& iniPath, const QStringList& sqlModes);
  // The panel's values as a profile (the password included).
  ConnectionProfile Values() const override;
  int SelectedIndex() const;
  const std::vector<std::string>& Records() const { return profiles_.Records(); }

  // Called by "&Connect" after the panel's own work.
  std::function<void()> onConnect;
  // Runs the panel's commands (the window passes its command guard).
  std::function<void(const std::function<void()>&)> onCommand;

  // The buttons' commands.
  void NewProfile();
  void DeleteProfile();
  void SaveProfile();
  void ProfileSelectionChanged();
  void PanelSqlModeChanged();

  QComboBox* CBSQLservers = nullptr;
  QPushButton* BtnNew = nullptr;
  QPushButton* BtnDelete = nullptr;
  QLineEdit* EditSQLSrvDesc = nullptr;
  QComboBox* CBSQLsrvMode = nullptr;
  QLineEdit* EditSQLsrvHost = nullptr;
  QLineEdit* EditSQLsrvPort = nullptr;
  QLineEdit* EditSQLsrvUser = nullptr;
  QLineEdit* EditSQLsrvPsw = nullptr;
  QLineEdit* EditSQLsrvpath = nullptr;
  QPushButton* BtnConnect = nullptr;
  QPushButton* BtnSave = nullptr;

 private:
  void ShowProfileList(const std::vector<std::string>& descriptions, int selected) override;
  int SelectedProfile() const override { return SelectedIndex(); }
  void ShowProfile(const ConnectionProfile& profile) override;
  void EnableDelete(bool enabled) override;
  void EnablePath(bool enabled) override;
  void Run(const std::function<void()>& command);

  ProfileCommands profiles_{*this};
};

}  // namespace app
