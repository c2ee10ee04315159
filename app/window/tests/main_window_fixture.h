#pragma once
// Drives the real main window offscreen: a fresh program directory per test
// (so "Brindle.ini" starts empty), scripted dialogs, and helpers to press
// the window's buttons and menu items by their names.

#include <QApplication>
#include <QPushButton>
#include <memory>
#include <string>

#include "app/window/main_window.h"
#include "platform/testing/scripted_user_dialogs.h"
#include "platform/testing/temp_directory.h"
#include "uniaccess/testing/mysql_test_server.h"

namespace app::testing {

class MainWindowTest : public uniaccess::testing::MysqlTest {
 protected:
  void TearDown() override;

  // Creates the window with the first command-line argument and runs its
  // create handler; shows it unless told not to.
  TFormBrindle& Start(const std::string& firstArgument = "", bool show = true);
  // Closes the window (the settings are written) and destroys it.
  void Stop();
  std::string IniPath() const { return programDirectory_.File("Brindle.ini"); }
  std::string ReadIni() const;

  void Click(QAbstractButton* button);
  // Triggers a menu-bar or pop-up item by its object name.
  void Trigger(const char* actionName);
  // Fills the panel with the test server's address and the SQL mode, and
  // connects.
  void ConnectToTestServer(int sqlMode = 0);

  platform::testing::TempDirectory programDirectory_;
  std::unique_ptr<platform::testing::ScriptedUserDialogs> dialogs_ =
      std::make_unique<platform::testing::ScriptedUserDialogs>();
  std::unique_ptr<TFormBrindle> window_;
};

}  // namespace app::testing
