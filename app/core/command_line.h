#pragma once
// The start-up options in the program's first argument: several options
// separated by blanks ("/DB:shop /HOST:srv1"). Option names match in any
// letter case; values are kept exactly as typed, cut to their length limits.

#include <optional>
#include <string>
#include <string_view>

namespace app {

struct CommandLineOptions {
  std::optional<std::string> database;  // "/DB:", at most 32 characters
  std::optional<std::string> host;      // "/HOST:", 32
  std::optional<std::string> user;      // "/USER:", 32
  std::optional<std::string> password;  // "/PSW:", 32
  std::optional<std::string> port;      // "/PORT:", 32
  std::optional<int> sqlMode;           // "/SQLMOD:", one digit
  // "/RUN:", 128 characters; only acted on when it is the last token.
  std::optional<std::string> runFile;
};

// Later tokens override earlier ones. Throws platform::EConvertError when
// the character after "/SQLMOD:" is not a digit.
CommandLineOptions ParseCommandLine(std::string_view firstArgument);

}  // namespace app
