#pragma once
// The text rules of running SQL from the editor: telling a query from a
// statement to execute, picking the last statement, and re-ordering a
// result by a column.

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The upper-cased text with block comments, "--" line comments and "//"
// line comments removed, in that order. A comment that is never closed runs
// to the end of the text.
std::string ClassificationCopy(std::string_view sql);

// True when the text holds any of the command keywords ("ALTER ", "CREATE ",
// "EXIT", "UPDATE ", ...) outside comments: it is executed, not opened.
bool IsExecutedStatement(std::string_view sql);

struct LastStatement {
  std::string statement;   // what runs; empty when the editor was blank
  std::string editorText;  // the editor afterwards: trimmed text + ";" + CR LF
};
// Trims the editor text, drops one final ";", and takes the text after the
// last ";" that is neither its first nor its last character.
//
// One of three rules for where a statement ends, each kept on purpose:
// this one sees only the editor's last ";" (quotes and comments included),
// since "the statement typed last" is what F3 means; BatchStatementReader
// below ends a statement at a line ending in ";", so a file streams line by
// line without reading it whole; uniaccess/statement_splitter.h cuts one
// text at every ";" outside literals and comments, which is what the server
// needs to run a script piece by piece.
LastStatement PickLastStatement(std::string_view editorText);

// The query with its ORDER BY clause (and whatever followed it) replaced by
// "ORDER BY <column>", or with that line appended.
std::vector<std::string> OrderedByColumn(const std::vector<std::string>& sqlLines, int column);

// The lines of a text file's next statement for a batch run: lines are
// added until one ends with ";" (the first line is judged trimmed, later
// ones as they are). Empty lines after the first are added as one blank.
// The other two statement-end rules (the editor's last statement above,
// the ";" splitting of uniaccess/statement_splitter.h) say why each differs.
class BatchStatementReader {
 public:
  // REQUIRES: readLine returns false at the end of the input.
  template <typename ReadLine>
  static std::vector<std::string> Next(ReadLine&& readLine, bool& moreInput) {
    std::vector<std::string> lines;
    std::string line;
    if (!readLine(line)) {
      moreInput = false;
      return lines;
    }
    lines.push_back(line);
    bool ended = EndsStatement(Trimmed(line));
    while (!ended && readLine(line)) {
      lines.push_back(line.empty() ? std::string(" ") : line);
      ended = EndsStatement(line);
    }
    moreInput = ended;
    return lines;
  }

 private:
  static std::string Trimmed(const std::string& line);
  static bool EndsStatement(const std::string& examined) {
    return !examined.empty() && examined.back() == ';';
  }
};

}  // namespace app
