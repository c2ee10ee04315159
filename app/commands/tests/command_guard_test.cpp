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

TEST(CommandGuard, ACommandArrivingWhileAnotherRunsIsRefusedInTheStatusText) {
  platform::testing::ScriptedUserDialogs dialogs;  // any box fails the test
  TestHost host;
  CommandGuard guard(&host);
  std::vector<std::string> ran;
  bool nestedRan = true;
  std::string statusMeanwhile;
  EXPECT_TRUE(guard.Run([&] {
    ran.push_back("export");
    EXPECT_TRUE(guard.Busy());
    // As the progress display's event loop would deliver a click.
    nestedRan = guard.Run([&] { ran.push_back("refresh"); });
    statusMeanwhile = host.status;
    ran.push_back("export goes on");
  }));
  EXPECT_FALSE(nestedRan);
  EXPECT_EQ(ran, (std::vector<std::string>{"export", "export goes on"}));
  EXPECT_EQ(statusMeanwhile, BusyNote());
  EXPECT_EQ(host.status, "") << "the note goes with the command that was running";
  EXPECT_FALSE(guard.Busy());
  EXPECT_TRUE(host.log.empty());

  // A failed command frees the guard too; its box comes once it is over.
  dialogs.AnswerMessage(DialogButton::kOk);
  EXPECT_FALSE(guard.Run([&] {
    guard.Run([&] { ran.push_back("inside a failing one"); });
    throw platform::Exception("Lost connection");
  }));
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"Lost connection"}));
  EXPECT_FALSE(guard.Busy());
  EXPECT_TRUE(guard.Run([&] { ran.push_back("next"); }));
  EXPECT_EQ(ran.back(), "next");
}

// Commands that show the busy cursor and then fail end it, whichever way
// they fail: a file that cannot be written, a rejected statement, a server
// that is not there.
class BusyCursorAfterFailures : public CommandTest {};

TEST_F(BusyCursorAfterFailures, EveryFailedCommandEndsTheBusyCursor) {
  Run("create table t (id int)");
  ConnectHost();
  host_->editor = "select * from t";
  commands_->sql.RunAllSql();
  const std::string unwritable = UnwritablePath("t.sql");
  const std::string broken = directory_.File("broken.sql");
  platform::testing::WriteFileBytes(broken, "insert into nowhere values (1);\r\n");
  const struct {
    const char* what;
    std::function<void()> answers;
    std::function<void()> command;
  } cases[] = {
      {"an export to a place that cannot be written",
       [&] {
         RememberTable("t");
         dialogs_->AnswerSaveFile(unwritable);
         dialogs_->AnswerMessage(DialogButton::kOk);
       },
       [&] { commands_->transfers.ExportNode(); }},
      {"an import stopped by the server",
       [&] {
         RememberDatabase(database_);
         dialogs_->AnswerOpenFile(broken);
         dialogs_->AnswerMessage(DialogButton::kOk);
       },
       [&] { commands_->transfers.ImportNode(); }},
      {"an ordering the server refuses",
       [&] {
         Run("drop table t");
         dialogs_->AnswerMessage(DialogButton::kOk);
       },
       [&] { commands_->result.OrderResultBy(0); }},
      {"a tree rebuild without a server",
       [&] {
         host_->components.DB1.SetPort("1");
         host_->components.DB1.SetHost("127.0.0.1");
         dialogs_->AnswerMessage(DialogButton::kOk);
       },
       [&] { commands_->tree.RebuildTree(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.answers();
    const int usesBefore = dialogs_->BusyCursorUses();
    const std::size_t shownBefore = dialogs_->MessageTexts().size();
    RunGuarded(host_.get(), c.command);
    EXPECT_GT(dialogs_->BusyCursorUses(), usesBefore) << "the cursor was shown";
    EXPECT_EQ(dialogs_->MessageTexts().size(), shownBefore + 1) << "and the failure told";
    EXPECT_EQ(dialogs_->BusyDepth(), 0);
  }
}

}  // namespace
}  // namespace app::testing
