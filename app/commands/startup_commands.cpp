#include "app/commands/startup_commands.h"

#include <algorithm>
#include <filesystem>

#include "app/commands/command_guard.h"
#include "app/core/command_line.h"
#include "platform/errors.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"
#include "uniaccess/sql_mode.h"

namespace app {

using translation::TranslateText;

bool StartupCommands::RunCreateHandler(std::string_view firstArgument) {
  bool batchRan = false;
  const bool completed = RunGuarded(&host_, [&] { batchRan = CreateHandlerSteps(firstArgument); });
  if (!completed && batchRun_) {
    // A batch that could not run ends the program too, with a failure.
    exitCode_ = 1;
    return false;
  }
  return !batchRan;
}

bool StartupCommands::CreateHandlerSteps(std::string_view firstArgument) {
  uniaccess::SqlModeState& state = uniaccess::GlobalSqlModeState();
  state.sqlMode = uniaccess::kSqlModeMySql;
  const std::string programDirectory = view_.ProgramDirectory();
  MainSettings& settings = host_.Settings();
  settings = ReadMainSettings(host_.SettingsPath(), programDirectory);
  // Shown before the check, so a window left half set up still lists the
  // languages (and writes them back at close).
  view_.ShowSettings(settings);
  if (settings.languageNo < 0 ||
      settings.languageNo >= static_cast<int>(settings.languages.Count())) {
    throw platform::Exception("List index out of bounds (" + std::to_string(settings.languageNo) +
                              ")");
  }
  languageDirectory_ =
      programDirectory + settings.languages[static_cast<std::size_t>(settings.languageNo)];
  state.sqlMode = settings.sqlMode;

  const CommandLineOptions options = ParseCommandLine(firstArgument);
  connection_.ApplyCommandLine(options);
  const int mode = state.sqlMode;
  view_.ShowSqlMode(mode);
  ApplySqlMode(mode);
  std::filesystem::create_directories(state.dataDirectory);

  view_.ApplySizes(std::max(10, settings.treeX), std::max(10, settings.pcBottomY));

  translation::SwitchOn(languageDirectory_);
  if (const std::optional<std::string> failure =
          CaughtFailure([] { translation::PreparedLanguageDirectory(); })) {
    // Without its folder every text would fail to look itself up: the
    // window stays untranslated instead.
    translation::SwitchOff();
    throw platform::Exception(*failure);
  }
  view_.TranslateWindow();

  files_.ForgetCurrentSqlFile();
  view_.ForgetRememberedNode();

  if (options.runFile) {
    batchRun_ = true;
    exitCode_ = sql_.RunStartupBatch(*options.runFile) ? 0 : 1;
    return true;
  }
  return false;
}

std::string StartupCommands::HelpFilePath(HelpFile file) const {
  const MainSettings& settings = host_.Settings();
  switch (file) {
    case HelpFile::kSqlSyntax:
      return languageDirectory_ + "/SQLsyntax.htm";
    case HelpFile::kLicence:
      return languageDirectory_ + "/GNUGPLLicence.rtf";
    case HelpFile::kMysql:
      return settings.helpMysql;
    case HelpFile::kInterbase:
      return settings.helpIb;
    case HelpFile::kBde:
      return settings.helpBde;
    case HelpFile::kKestrel:
      return settings.helpKestrel;
    case HelpFile::kMsde:
      return settings.helpMsde;
  }
  return {};
}

void StartupCommands::OpenHelpFile(HelpFile file) {
  // Every help file is checked, the language folder's too: on this
  // platform the desktop says nothing when a file to open is missing.
  const std::string path = HelpFilePath(file);
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error)) {
    platform::Dialogs().ShowMessage(
        TranslateText("Help File not Found. Check the Brindle.Ini file!"));
    return;
  }
  if (!view_.OpenWithDesktop(path)) {
    platform::Dialogs().ShowError(TranslateText("No program opens this file: ") + path,
                                  kErrorCaption);
  }
}

void StartupCommands::LanguageChosen() {
  platform::Dialogs().ShowMessage(TranslateText("Restart this application, Please!"));
}

}  // namespace app
