// The create handler and the help files over a window of plain values:
// what the settings and the command line set, the steps a failure skips,
// a "/RUN:" batch that ends the program, and help files that are missing.

#include "app/commands/startup_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/commands/tests/command_test.h"
#include "translation/translation.h"
#include "uniaccess/sql_mode.h"

namespace app::testing {
namespace {

using platform::DialogButton;
using platform::testing::WriteFileBytes;

class RecordedView : public StartupView {
 public:
  std::string ProgramDirectory() const override { return programDirectory; }
  void ShowSettings(const MainSettings& settings) override { shown = settings; }
  void ShowSqlMode(int mode) override { sqlMode = mode; }
  void ApplySizes(int treeWidth, int bottomHeight) override { sizes = {treeWidth, bottomHeight}; }
  void TranslateWindow() override { translated = true; }
  void ForgetRememberedNode() override { nodeForgotten = true; }
  bool OpenWithDesktop(const std::string& path) override {
    opened.push_back(path);
    return desktopOpens;
  }

  std::string programDirectory;
  std::optional<MainSettings> shown;
  int sqlMode = -1;
  std::optional<std::pair<int, int>> sizes;
  bool translated = false;
  bool nodeForgotten = false;
  std::vector<std::string> opened;
  bool desktopOpens = true;
};

class StartupCommandsTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    view_.programDirectory = directory_.Path().string() + "/";
    startup_ = std::make_unique<StartupCommands>(*host_, view_, commands_->connection,
                                                 commands_->sql, commands_->files);
  }
  void TearDown() override {
    translation::FinishTranslation();
    translation::SwitchOff();
    ApplySqlMode(uniaccess::kSqlModeMySql);
    startup_.reset();
    CommandTest::TearDown();
  }
  void WriteIni(const std::string& lines) const {
    WriteFileBytes(host_->settingsPath, "[INI]\r\n" + lines);
  }

  RecordedView view_;
  std::unique_ptr<StartupCommands> startup_;
};

TEST_F(StartupCommandsTest, TheSettingsAndTheCommandLineSetUpTheWindow) {
  // A fresh file: every default.
  EXPECT_TRUE(startup_->RunCreateHandler(""));
  ASSERT_TRUE(view_.shown.has_value());
  EXPECT_EQ(view_.shown->languages, (platform::StringList{"English", "Hungarian"}));
  EXPECT_EQ(view_.shown->outDir, view_.programDirectory);
  EXPECT_EQ(host_->settings.sqlDir, view_.programDirectory);
  EXPECT_EQ(view_.sizes, (std::pair{100, 100}));
  EXPECT_EQ(view_.sqlMode, 0);
  EXPECT_TRUE(view_.translated);
  EXPECT_TRUE(view_.nodeForgotten);
  EXPECT_EQ(startup_->LanguageDirectory(), view_.programDirectory + "English");
  EXPECT_TRUE(std::filesystem::is_directory(startup_->LanguageDirectory()));
  EXPECT_EQ(translation::LanguageDirectory(), startup_->LanguageDirectory());
  EXPECT_FALSE(startup_->BatchRun());
  translation::SwitchOff();

  // Small sizes are raised to 10; the file's mode, then the command line's.
  WriteIni("LANGUAGENO=1\r\nTREEX=3\r\nPCBottomY=-4\r\nSQLMOD=3\r\n");
  EXPECT_TRUE(startup_->RunCreateHandler("/db:Shop /host:Srv1"));
  EXPECT_EQ(view_.sizes, (std::pair{10, 10}));
  EXPECT_EQ(view_.sqlMode, 3);
  EXPECT_EQ(uniaccess::GlobalSqlModeState().systemDatabaseName, "master");
  EXPECT_EQ(startup_->LanguageDirectory(), view_.programDirectory + "Hungarian");
  for (uniaccess::TUniSQLDatabase* database : {&host_->components.DB1, &host_->components.DB2}) {
    EXPECT_EQ(database->Databasename(), "Shop");
    EXPECT_EQ(database->Host(), "Srv1");
  }
  translation::SwitchOff();
  EXPECT_TRUE(startup_->RunCreateHandler("/SQLMOD:0"));
  EXPECT_EQ(view_.sqlMode, 0);
  EXPECT_EQ(uniaccess::GlobalSqlModeState().systemDatabaseName, "mysql");
}

TEST_F(StartupCommandsTest, AFailingStepIsShownAndTheStepsAfterItAreSkipped) {
  platform::testing::WriteFileBytes(directory_.File("blocker"), "a regular file");
  const struct {
    const char* what;
    std::string ini;
    std::string argument;
    std::string programDirectory;
    std::string message;  // its beginning
    bool sizesApplied;
  } cases[] = {
      {"a language number past the list", "LANGUAGENO=5\r\n", "", "",
       "List index out of bounds (5)", false},
      {"a mode that is no digit", "", "/SQLMOD:x", "", "'x' is not a valid integer value", false},
      {"a language folder that cannot be made", "", "", directory_.File("blocker") + "/",
       "I/O error 20: cannot create the language directory", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteIni(c.ini);
    view_ = RecordedView{};
    view_.programDirectory =
        c.programDirectory.empty() ? directory_.Path().string() + "/" : c.programDirectory;
    dialogs_->AnswerMessage(DialogButton::kOk);
    EXPECT_TRUE(startup_->RunCreateHandler(c.argument)) << "the window goes on";
    EXPECT_EQ(dialogs_->Shown().back().message.text.rfind(c.message, 0), 0u)
        << dialogs_->Shown().back().message.text;
    EXPECT_EQ(dialogs_->Shown().back().message.caption, "error");
    EXPECT_TRUE(view_.shown.has_value()) << "the languages are listed whatever comes after";
    EXPECT_EQ(view_.sizes.has_value(), c.sizesApplied);
    EXPECT_FALSE(view_.translated);
    EXPECT_FALSE(view_.nodeForgotten);
    EXPECT_FALSE(translation::Enabled());
    EXPECT_FALSE(startup_->BatchRun());
  }
}

TEST_F(StartupCommandsTest, ARunFileEndsTheProgramWithItsOutcome) {
  Run("create table t (id int)");
  ConnectHost();
  const std::string good = directory_.File("good.sql");
  WriteFileBytes(good, "insert into t values (1);\r\n");
  // The connection's values as ConnectHost left them; the option comes last.
  EXPECT_FALSE(startup_->RunCreateHandler("/PORT:" + server_.port + " /RUN:" + good));
  EXPECT_TRUE(startup_->BatchRun());
  EXPECT_EQ(startup_->ExitCode(), 0);
  EXPECT_EQ(Query("select count(*) from t"), (std::vector<std::vector<std::string>>{{"1"}}));
}

TEST_F(StartupCommandsTest, ARunFileThatFailsOrIsMissingEndsTheProgramWithAFailure) {
  ConnectHost();
  const std::string bad = directory_.File("bad.sql");
  WriteFileBytes(bad, "insert into nowhere values (1);\r\n");
  dialogs_->AnswerMessage(DialogButton::kOk);  // the server's text
  dialogs_->AnswerMessage(DialogButton::kOk);  // where the run stopped
  EXPECT_FALSE(startup_->RunCreateHandler("/RUN:" + bad));
  EXPECT_EQ(startup_->ExitCode(), 1);

  const std::string missing = directory_.File("missing.sql");
  dialogs_->AnswerMessage(DialogButton::kOk);
  EXPECT_FALSE(startup_->RunCreateHandler("/RUN:" + missing));
  EXPECT_EQ(dialogs_->MessageTexts().back(), "File not found: " + missing);
  EXPECT_EQ(startup_->ExitCode(), 1);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(StartupCommandsTest, HelpFilesAreCheckedBeforeTheDesktopOpensThem) {
  ASSERT_TRUE(startup_->RunCreateHandler(""));
  const std::string syntax = startup_->LanguageDirectory() + "/SQLsyntax.htm";
  EXPECT_EQ(startup_->HelpFilePath(HelpFile::kSqlSyntax), syntax);
  EXPECT_EQ(startup_->HelpFilePath(HelpFile::kLicence),
            startup_->LanguageDirectory() + "/GNUGPLLicence.rtf");
  EXPECT_EQ(startup_->HelpFilePath(HelpFile::kKestrel),
            "c:\\KestrelTable\\Help\\KestrelTableGuide.hlp");

  for (const HelpFile file : {HelpFile::kSqlSyntax, HelpFile::kMysql, HelpFile::kInterbase}) {
    dialogs_->AnswerMessage(DialogButton::kOk);
    startup_->OpenHelpFile(file);
    EXPECT_EQ(dialogs_->MessageTexts().back(), "Help File not Found. Check the Brindle.Ini file!");
  }
  EXPECT_TRUE(view_.opened.empty());

  WriteFileBytes(syntax, "<html></html>");
  host_->settings.helpMsde = syntax;
  startup_->OpenHelpFile(HelpFile::kSqlSyntax);
  startup_->OpenHelpFile(HelpFile::kMsde);
  EXPECT_EQ(view_.opened, (std::vector<std::string>{syntax, syntax}));

  view_.desktopOpens = false;
  dialogs_->AnswerMessage(DialogButton::kOk);
  startup_->OpenHelpFile(HelpFile::kSqlSyntax);
  EXPECT_EQ(dialogs_->MessageTexts().back(), "No program opens this file: " + syntax);
  EXPECT_EQ(dialogs_->Shown().back().message.caption, "error");

  dialogs_->AnswerMessage(DialogButton::kOk);
  startup_->LanguageChosen();
  EXPECT_EQ(dialogs_->MessageTexts().back(), "Restart this application, Please!");
}

}  // namespace
}  // namespace app::testing
