#pragma once
// The one boundary every command of the windows runs through: an exception
// a command raises becomes the error box (its message, caption "error") and
// a line in the message log, and the window goes on. Nothing a command
// meets (a file it cannot open, a server that went away, a damaged value)
// ends the program.
//
// The window's guard also runs one command at a time. A long command lets
// the event loop run (its progress display, a message box, a file's open
// retries), which may deliver another click or key; a command started
// there would close or reconnect the datasets and connections the running
// one is using. Such a command is refused, and the status text says so.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace app {

class CommandHost;

inline constexpr const char* kErrorCaption = "error";

// Shows the failure (caption "error") and logs logLine, or the message
// itself when logLine is empty. host may be null (a window without a log).
void ReportFailure(CommandHost* host, std::string_view message, std::string_view logLine = {});

// Runs the work and answers the message of an exception it raised, for the
// few places where a command goes on after a failure.
std::optional<std::string> CaughtFailure(const std::function<void()>& work);

// Runs the command; an exception it raises is reported as above. Returns
// false when the command failed.
bool RunGuarded(CommandHost* host, const std::function<void()>& command,
                std::string_view failureLogLine = {});

// The guard of one window: RunGuarded, one command at a time.
class CommandGuard {
 public:
  // host may be null; then a refused command is not told.
  explicit CommandGuard(CommandHost* host) : host_(host) {}
  CommandGuard(const CommandGuard&) = delete;
  CommandGuard& operator=(const CommandGuard&) = delete;

  // Runs the command as RunGuarded does. While another one runs, it is not
  // run: the status text says another command is running, and the answer
  // is false. The note goes once the running command ends.
  bool Run(const std::function<void()>& command, std::string_view failureLogLine = {});
  // Whether a command is running; input that would start one can be
  // refused the same way with Refuse().
  bool Busy() const { return busy_; }
  // Tells the user a command is running.
  void Refuse();

 private:
  CommandHost* host_;
  bool busy_ = false;
  bool refused_ = false;
};

// The status text of a refused command.
std::string BusyNote();

}  // namespace app
