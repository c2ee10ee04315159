#include "uniaccess/statement_splitter.h"

#include "platform/text.h"

namespace uniaccess {
namespace {

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

// Returns the position just after the literal or name that opens at pos.
std::size_t SkipQuoted(std::string_view text, std::size_t pos) {
  const char quote = text[pos++];
  const bool backslashEscapes = quote != '`';
  while (pos < text.size()) {
    const char c = text[pos];
    if (backslashEscapes && c == '\\') {
      pos += 2;
      continue;
    }
    if (c == quote) {
      if (pos + 1 < text.size() && text[pos + 1] == quote) {
        pos += 2;
        continue;
      }
      return pos + 1;
    }
    ++pos;
  }
  return text.size();
}

std::size_t SkipToLineEnd(std::string_view text, std::size_t pos) {
  while (pos < text.size() && text[pos] != '\n') {
    ++pos;
  }
  return pos;
}

}  // namespace

std::vector<std::string> SplitStatements(std::string_view script) {
  std::vector<std::string> statements;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < script.size()) {
    const char c = script[pos];
    if (c == '\'' || c == '"' || c == '`') {
      pos = SkipQuoted(script, pos);
    } else if (c == '#') {
      pos = SkipToLineEnd(script, pos);
    } else if (script.substr(pos).starts_with("--") &&
               (pos + 2 == script.size() || IsBlankOrControl(script[pos + 2]))) {
      pos = SkipToLineEnd(script, pos);
    } else if (c == '/' && script.substr(pos).starts_with("/*")) {
      const std::size_t close = script.find("*/", pos + 2);
      pos = close == std::string_view::npos ? script.size() : close + 2;
    } else if (c == ';') {
      statements.emplace_back(platform::Trim(script.substr(start, pos - start)));
      start = ++pos;
    } else {
      ++pos;
    }
  }
  const std::string_view rest = platform::Trim(script.substr(start));
  if (!rest.empty()) {
    statements.emplace_back(rest);
  }
  return statements;
}

}  // namespace uniaccess
