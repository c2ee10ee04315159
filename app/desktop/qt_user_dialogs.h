#pragma once
// The desktop answer to platform::UserDialogs: Qt message boxes, input
// boxes, file and font dialogs, the wait cursor and the event loop.

#include <QString>
#include <QStringList>

#include "platform/user_dialogs.h"

namespace app {

class QtUserDialogs : public platform::UserDialogs {
 public:
  platform::DialogButton ShowMessageBox(const platform::MessageRequest& request) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view initialText) override;
  std::optional<platform::FileDialogResult> OpenFileDialog(
      const platform::FileDialogRequest& request) override;
  std::optional<platform::FileDialogResult> SaveFileDialog(
      const platform::FileDialogRequest& request) override;
  std::optional<platform::FontChoice> FontDialog(const platform::FontChoice& initial) override;
  void BeginBusyCursor() override;
  void EndBusyCursor() override;
  void ProcessMessages() override;
};

// "SQL|*.SQL|All|*" as Qt name filters ("SQL (*.SQL *.sql)", "All (*)"):
// patterns also match the other letter case, since file names on this
// platform are case-sensitive.
QStringList QtNameFilters(const std::string& filter);

}  // namespace app
