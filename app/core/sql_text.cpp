#include "app/core/sql_text.h"

#include <array>

#include "platform/text.h"

namespace app {
namespace {

constexpr std::array<const char*, 22> kCommandKeywords = {
    "ALTER ",    "BEGIN ",  "CHECK ",  "CLOSE ",     "COMMIT ",   "CREATE ",
    "DATABASE ", "DELETE ", "DROP ",   "EXIT",       "FLUSH ",    "GRANT ",
    "INSERT ",   "LOAD ",   "LOCK ",   "REVOKE ",    "ROLLBACK ", "ROLLFORWARD ",
    "UNLOAD ",   "UPDATE ", "UNLOCK ", "TRANSACTION"};

// Removes every comment from open through the next close after it; a
// comment without a close takes the rest of the text.
void RemoveComments(std::string& text, std::string_view open, std::string_view close) {
  std::size_t start = text.find(open);
  while (start != std::string::npos) {
    const std::size_t end = text.find(close, start + open.size());
    if (end == std::string::npos) {
      text.erase(start);
      return;
    }
    text.erase(start, end + close.size() - start);
    start = text.find(open, start);
  }
}

}  // namespace

std::string ClassificationCopy(std::string_view sql) {
  std::string copy = platform::UpperCase(sql);
  RemoveComments(copy, "/*", "*/");
  // Through the LF, which also takes the CR of a CR LF.
  RemoveComments(copy, "--", "\n");
  RemoveComments(copy, "//", "\n");
  return copy;
}

bool IsExecutedStatement(std::string_view sql) {
  const std::string copy = ClassificationCopy(sql);
  for (const char* keyword : kCommandKeywords) {
    if (copy.find(keyword) != std::string::npos) {
      return true;
    }
  }
  return false;
}

LastStatement PickLastStatement(std::string_view editorText) {
  std::string text(platform::Trim(editorText));
  if (!text.empty() && text.back() == ';') {
    text.pop_back();
  }
  LastStatement result;
  const std::size_t last =
      text.size() >= 2 ? text.find_last_of(';', text.size() - 2) : std::string::npos;
  if (last != std::string::npos && last > 0) {
    result.statement = text.substr(last + 1);
  } else {
    result.statement = text;
  }
  result.editorText = text.empty() ? std::string() : text + ";\r\n";
  return result;
}

std::vector<std::string> OrderedByColumn(const std::vector<std::string>& sqlLines, int column) {
  const std::string clause = "ORDER BY " + std::to_string(column);
  std::vector<std::string> lines;
  for (const std::string& line : sqlLines) {
    // Letter case is folded for ASCII only, so positions stay those of the text.
    std::string upper = line;
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
      }
    }
    const std::size_t existing = upper.find("ORDER BY");
    if (existing != std::string::npos) {
      if (existing > 0) {
        lines.push_back(line.substr(0, existing));
      }
      lines.push_back(clause);
      return lines;
    }
    lines.push_back(line);
  }
  lines.push_back(clause);
  return lines;
}

std::string BatchStatementReader::Trimmed(const std::string& line) {
  return std::string(platform::Trim(line));
}

}  // namespace app
