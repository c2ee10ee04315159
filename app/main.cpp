// Brindle's entry point: the application object, the platform seams, the
// main window and the event loop.

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/core/command_line.h"
#include "app/desktop/locale_formats.h"
#include "app/desktop/qt_user_dialogs.h"
#include "app/window/main_window.h"
#include "translation/translation.h"

namespace {

bool NoDisplay() {
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Without a display Brindle runs on Qt's offscreen platform and talks to
// the user through standard error, so batch runs work on servers and in CI.
bool Headless() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  return platform == "offscreen" || platform == "minimal" || NoDisplay();
}

bool IsBatchRun(const char* firstArgument) {
  try {
    return app::ParseCommandLine(firstArgument).runFile.has_value();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool headless = Headless();
  const bool explicitPlatform = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
  if (NoDisplay() && !explicitPlatform && !IsBatchRun(argc > 1 ? argv[1] : "")) {
    std::fprintf(stderr,
                 "Brindle: there is no display to show the window on (neither DISPLAY nor "
                 "WAYLAND_DISPLAY is set).\n"
                 "Start it in a desktop session, or run a script without a window:\n"
                 "  brindle \"/RUN:script.sql /HOST:host /USER:user /PSW:password /DB:db\"\n");
    return 2;
  }
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
    app::TFormBrindle window(startup);
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
