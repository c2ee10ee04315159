#pragma once
// The main window's create handler and the program's own small commands:
// the help menu's files and the language choice. Start-up reads the
// settings (the language list and LANGUAGENO checked), applies the command
// line and the SQL mode, makes the data and language folders, switches the
// translation on and decides about a "/RUN:" batch; the window only shows
// what it is told through StartupView. A failing step is shown as an error
// and skips the steps after it; the program then goes on with the window
// as far as it was set up.

#include <string>
#include <string_view>

#include "app/commands/command_host.h"
#include "app/commands/connection_commands.h"
#include "app/commands/sql_commands.h"
#include "app/commands/sql_file_commands.h"
#include "app/core/main_settings.h"

namespace app {

// What start-up and the help menu need of the main window besides the
// command host.
class StartupView {
 public:
  virtual ~StartupView() = default;

  // The executable's folder, with its trailing "/".
  virtual std::string ProgramDirectory() const = 0;
  // The language list, with LANGUAGENO selected when it names an item,
  // and the three fonts (the message log takes the grid's).
  virtual void ShowSettings(const MainSettings& settings) = 0;
  virtual void ShowSqlMode(int sqlMode) = 0;
  // The tree's width and the bottom pages' height, each at least 10.
  virtual void ApplySizes(int treeWidth, int bottomHeight) = 0;
  // Translates the window, keeping the language list and its selection.
  virtual void TranslateWindow() = 0;
  virtual void ForgetRememberedNode() = 0;
  // Opens a file in the program the desktop has for its type; false when
  // there is none.
  virtual bool OpenWithDesktop(const std::string& path) = 0;
};

// The help menu's files: two in the language folder, five paths of the
// settings file.
enum class HelpFile { kSqlSyntax, kLicence, kMysql, kInterbase, kBde, kKestrel, kMsde };

class StartupCommands {
 public:
  StartupCommands(CommandHost& host, StartupView& view, ConnectionCommands& connection,
                  SqlCommands& sql, SqlFileCommands& files)
      : host_(host), view_(view), connection_(connection), sql_(sql), files_(files) {}

  // Runs the create handler's steps with the program's first argument.
  // False when the program is to end at once: a "/RUN:" batch ran, or
  // started and failed (ExitCode() tells which).
  bool RunCreateHandler(std::string_view firstArgument);
  // Whether "/RUN:" was acted on; the settings are then never written.
  bool BatchRun() const { return batchRun_; }
  // 0, or 1 when the batch run failed.
  int ExitCode() const { return exitCode_; }
  // The program folder followed by the selected language's name; empty
  // until start-up came that far.
  const std::string& LanguageDirectory() const { return languageDirectory_; }

  std::string HelpFilePath(HelpFile file) const;
  // Opens the file; a missing one is told ("Help File not Found. Check the
  // Brindle.Ini file!"), as is one that no program opens.
  void OpenHelpFile(HelpFile file);
  // A language chosen takes effect at the next start, which the user is told.
  void LanguageChosen();

 private:
  // The steps; true when a "/RUN:" batch ran.
  bool CreateHandlerSteps(std::string_view firstArgument);

  CommandHost& host_;
  StartupView& view_;
  ConnectionCommands& connection_;
  SqlCommands& sql_;
  SqlFileCommands& files_;
  std::string languageDirectory_;
  bool batchRun_ = false;
  int exitCode_ = 0;
};

}  // namespace app
