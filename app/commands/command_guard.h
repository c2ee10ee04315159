#pragma once
// The one boundary every command of the windows runs through: an exception
// a command raises becomes the error box (its message, caption "error") and
// a line in the message log, and the window goes on. Nothing a command
// meets (a file it cannot open, a server that went away, a damaged value)
// ends the program.

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

}  // namespace app
