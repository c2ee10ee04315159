#include "app/core/command_line.h"

#include <vector>

#include "platform/errors.h"
#include "platform/text.h"

namespace app {
namespace {

std::vector<std::string_view> SplitAtBlanks(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t start = 0;
  for (;;) {
    const std::size_t blank = text.find(' ', start);
    if (blank == std::string_view::npos) {
      tokens.push_back(text.substr(start));
      return tokens;
    }
    tokens.push_back(text.substr(start, blank - start));
    start = blank + 1;
  }
}

// The value after prefix when the token begins with it, cut to maxLength.
std::optional<std::string> ValueAfter(std::string_view token, std::string_view prefix,
                                      std::size_t maxLength) {
  if (!platform::StartsWithText(token, prefix)) {
    return std::nullopt;
  }
  return std::string(platform::Utf8Prefix(token.substr(prefix.size()), maxLength));
}

}  // namespace

CommandLineOptions ParseCommandLine(std::string_view firstArgument) {
  CommandLineOptions options;
  const std::string_view argument = platform::Trim(firstArgument);
  if (argument.empty()) {
    return options;
  }
  const std::vector<std::string_view> tokens = SplitAtBlanks(argument);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::string_view token = tokens[i];
    if (auto value = ValueAfter(token, "/DB:", 32)) {
      options.database = std::move(value);
    } else if (auto host = ValueAfter(token, "/HOST:", 32)) {
      options.host = std::move(host);
    } else if (auto user = ValueAfter(token, "/USER:", 32)) {
      options.user = std::move(user);
    } else if (auto password = ValueAfter(token, "/PSW:", 32)) {
      options.password = std::move(password);
    } else if (auto port = ValueAfter(token, "/PORT:", 32)) {
      options.port = std::move(port);
    } else if (auto mode = ValueAfter(token, "/SQLMOD:", 1)) {
      if (mode->empty() || (*mode)[0] < '0' || (*mode)[0] > '9') {
        throw platform::EConvertError("'" + *mode + "' is not a valid integer value");
      }
      options.sqlMode = (*mode)[0] - '0';
    } else if (auto run = ValueAfter(token, "/RUN:", 128)) {
      options.runFile = i + 1 == tokens.size() ? std::move(run) : std::nullopt;
    }
  }
  return options;
}

}  // namespace app
