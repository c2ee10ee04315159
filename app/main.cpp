// Brindle's entry point: the application object, the platform seams, the
// main window and the event loop.

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <cstdlib>
#include <memory>

#include "app/desktop/locale_formats.h"
#include "app/desktop/qt_user_dialogs.h"
#include "app/window/main_window.h"
#include "translation/translation.h"

namespace {

// Without a display Brindle runs on Qt's offscreen platform and talks to
// the user through standard error, so batch runs work on servers and in CI.
bool Headless() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform == "offscreen" || platform == "minimal") {
    return true;
  }
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
  const bool headless = Headless();
  if (headless) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("Brindle");
  platform::GlobalFormatSettings() = app::FormatSettingsFromLocale(QLocale::system());

  app::QtUserDialogs desktopDialogs;
  platform::HeadlessUserDialogs consoleDialogs;
  platform::UserDialogs& dialogs =
      headless ? static_cast<platform::UserDialogs&>(consoleDialogs) : desktopDialogs;
  platform::InstallUserDialogs(&dialogs);

  app::TFormBrindle::StartupInfo startup;
  startup.programDirectory =
      QDir(QApplication::applicationDirPath()).absolutePath().toStdString() + "/";
  startup.firstArgument = argc > 1 ? argv[1] : "";

  int exitCode = 0;
  {
    app::TFormBrindle window(startup, dialogs);
    if (window.RunCreateHandler()) {
      window.show();
      exitCode = QApplication::exec();
    } else {
      exitCode = window.ExitCode();
      if (headless && consoleDialogs.ErrorsShown() > 0) {
        exitCode = exitCode == 0 ? 1 : exitCode;
      }
    }
  }
  translation::FinishTranslation();
  platform::InstallUserDialogs(nullptr);
  return exitCode;
}
