#include "app/commands/command_guard.h"

#include <exception>
#include <string>

#include "app/commands/command_host.h"
#include "platform/user_dialogs.h"
#include "translation/translation.h"

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

std::string BusyNote() {
  return translation::TranslateText("Another command is running: wait until it ends");
}

void CommandGuard::Refuse() {
  // Not a box: one would stop the running command's window until answered.
  refused_ = true;
  if (host_ != nullptr) {
    host_->SetStatusText(BusyNote());
  }
}

bool CommandGuard::Run(const std::function<void()>& command, std::string_view failureLogLine) {
  if (busy_) {
    Refuse();
    return false;
  }
  busy_ = true;
  refused_ = false;
  const std::optional<std::string> failure = CaughtFailure(command);
  busy_ = false;
  if (refused_ && host_ != nullptr) {
    host_->SetStatusText({});
  }
  refused_ = false;
  // The error box comes after the command, which is over: a command
  // arriving while it is shown runs.
  if (failure) {
    ReportFailure(host_, *failure, failureLogLine);
  }
  return !failure;
}

}  // namespace app
