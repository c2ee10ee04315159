// The boundary every window command runs through: whatever a command
// throws becomes the error box and a log line, and the next command runs.

#include "app/commands/command_guard.h"

#include <gtest/gtest.h>

#include "app/commands/tests/command_test.h"
#include "platform/errors.h"

namespace app::testing {
namespace {

using platform::DialogButton;

TEST(CommandGuard, AnyExceptionBecomesTheErrorBoxAndALogLine) {
  const struct {
    const char* what;
    std::function<void()> command;
    const char* logLine;
    const char* shown;
    const char* logged;
  } cases[] = {
      {"a file error", [] { throw platform::EInOutError(20, "I/O error 20: cannot open x"); }, "",
       "I/O error 20: cannot open x", "I/O error 20: cannot open x"},
      {"a standard error", [] { throw std::runtime_error("out of range"); }, "", "out of range",
       "out of range"},
      {"the line the rule asks for", [] { throw platform::Exception("Lost connection"); },
       "SQL ERROR", "Lost connection", "SQL ERROR"},
      {"something that is no exception class", [] { throw 42; }, "", "Unexpected error",
       "Unexpected error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    platform::testing::ScriptedUserDialogs dialogs;
    dialogs.AnswerMessage(DialogButton::kOk);
    TestHost host;
    EXPECT_FALSE(RunGuarded(&host, c.command, c.logLine));
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].message.text, c.shown);
    EXPECT_EQ(dialogs.Shown()[0].message.caption, "error");
    EXPECT_EQ(dialogs.Shown()[0].message.kind, platform::MessageKind::kError);
    EXPECT_EQ(host.log, (std::vector<std::string>{c.logged}));
    // The next command runs as usual.
    bool ran = false;
    EXPECT_TRUE(RunGuarded(&host, [&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_EQ(host.log.size(), 1u);
  }
  // Without a host (a window with no log) the box is still shown.
  platform::testing::ScriptedUserDialogs dialogs;
  dialogs.AnswerMessage(DialogButton::kOk);
  EXPECT_FALSE(RunGuarded(nullptr, [] { throw std::runtime_error("no log"); }));
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"no log"}));
}

}  // namespace
}  // namespace app::testing
