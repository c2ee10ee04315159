#include "platform/user_dialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/testing/scripted_user_dialogs.h"

namespace platform {
namespace {

using testing::DialogKind;
using testing::ScriptedUserDialogs;

TEST(UserDialogs, ConfirmationsAskYesOrNoWithNoAsDefault) {
  ScriptedUserDialogs dialogs;
  dialogs.AnswerMessage(DialogButton::kYes);
  dialogs.AnswerMessage(DialogButton::kNo);
  EXPECT_TRUE(Dialogs().Confirm("Drop table a?"));
  EXPECT_FALSE(Dialogs().Confirm("Drop table b?"));
  ASSERT_EQ(dialogs.Shown().size(), 2u);
  const MessageRequest& shown = dialogs.Shown()[0].message;
  EXPECT_EQ(shown.text, "Drop table a?");
  EXPECT_EQ(shown.caption, "Sure?");
  EXPECT_EQ(shown.buttons, DialogButton::kYes | DialogButton::kNo);
  EXPECT_EQ(shown.defaultButton, DialogButton::kNo);
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"Drop table a?", "Drop table b?"}));
}

TEST(UserDialogs, ScriptedAnswersForEveryKindOfDialog) {
  ScriptedUserDialogs dialogs;
  dialogs.AnswerInput("shop");
  dialogs.CancelInput();
  dialogs.AnswerOpenFile("/tmp/a.sql", 2);
  dialogs.CancelSaveFile();
  dialogs.AnswerFont({"Courier New", 12, true, false});

  EXPECT_EQ(Dialogs().InputBox("Create", "Database name:", "db"), "shop");
  EXPECT_EQ(Dialogs().InputBox("Create", "Database name:", ""), std::nullopt);
  FileDialogRequest request;
  request.filter = "SQL files (*.sql)|*.sql|All files (*)|*";
  request.defaultExtension = "sql";
  const auto opened = Dialogs().OpenFileDialog(request);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->fileName, "/tmp/a.sql");
  EXPECT_EQ(opened->filterIndex, 2);
  EXPECT_FALSE(Dialogs().SaveFileDialog(request));
  const auto font = Dialogs().FontDialog({"MS Sans Serif", 10, false, false});
  EXPECT_EQ(font, (FontChoice{"Courier New", 12, true, false}));

  ASSERT_EQ(dialogs.Shown().size(), 5u);
  EXPECT_EQ(dialogs.Shown()[0].initialText, "db");
  EXPECT_EQ(dialogs.Shown()[2].file.defaultExtension, "sql");
  EXPECT_EQ(dialogs.Shown()[4].font.name, "MS Sans Serif");
  EXPECT_EQ(dialogs.PendingAnswers(), 0u);
}

TEST(UserDialogs, AnUnexpectedDialogFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUserDialogs dialogs;
        Dialogs().ShowMessage("surprise");
      },
      "unexpected message box: \"surprise\"");
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUserDialogs dialogs;
        dialogs.AnswerInput("x");
        Dialogs().ShowMessage("not an input");
      },
      "the script expected: input box; shown instead: message box");
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUserDialogs dialogs;
        dialogs.AnswerMessage(DialogButton::kOk);
      },
      "was never shown");
}

TEST(UserDialogs, InstallingRestoresThePreviousImplementation) {
  UserDialogs* const outer = &Dialogs();
  {
    ScriptedUserDialogs first;
    EXPECT_EQ(&Dialogs(), &first);
    {
      ScriptedUserDialogs second;
      EXPECT_EQ(&Dialogs(), &second);
    }
    EXPECT_EQ(&Dialogs(), &first);
  }
  EXPECT_EQ(&Dialogs(), outer);
}

TEST(UserDialogs, BusyCursorNestsAndEndsOnEveryExit) {
  ScriptedUserDialogs dialogs;
  try {
    BusyCursor outer;
    BusyCursor inner;
    EXPECT_EQ(dialogs.BusyDepth(), 2);
    throw std::runtime_error("abort the command");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(dialogs.BusyDepth(), 0);
  EXPECT_EQ(dialogs.BusyCursorUses(), 2);
}

TEST(UserDialogs, HeadlessAnswersWithDefaults) {
  HeadlessUserDialogs headless;
  MessageRequest request;
  request.text = "headless test message";
  request.buttons = DialogButton::kYes | DialogButton::kNo;
  request.defaultButton = DialogButton::kNo;
  EXPECT_EQ(headless.ShowMessageBox(request), DialogButton::kNo);
  EXPECT_FALSE(headless.InputBox("c", "p", "i"));
  EXPECT_FALSE(headless.OpenFileDialog({}));
  EXPECT_EQ(headless.ErrorsShown(), 0);
  headless.ShowError("headless test error");
  EXPECT_EQ(headless.ErrorsShown(), 1);
}

}  // namespace
}  // namespace platform
