#include "app/commands/command_guard.h"

#include <exception>
#include <string>

#include "app/commands/command_host.h"
#include "platform/user_dialogs.h"

namespace app {

void ReportFailure(CommandHost* host, std::string_view message, std::string_view logLine) {
  platform::Dialogs().ShowError(message, kErrorCaption);
  if (host != nullptr) {
    host->AddLogLine(logLine.empty() ? message : logLine);
  }
}

std::optional<std::string> CaughtFailure(const std::function<void()>& work) {
  // The message is taken here and shown by the caller after the handler:
  // a message box runs the event loop, which may deliver further commands.
  std::string message;
  try {
    work();
    return std::nullopt;
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
  }
  return message.empty() ? std::string("Unexpected error") : message;
}

bool RunGuarded(CommandHost* host, const std::function<void()>& command,
                std::string_view failureLogLine) {
  const std::optional<std::string> failure = CaughtFailure(command);
  if (failure) {
    ReportFailure(host, *failure, failureLogLine);
  }
  return !failure;
}

}  // namespace app
