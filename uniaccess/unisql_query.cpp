#include "uniaccess/unisql_query.h"

#include "uniaccess/statement_splitter.h"

namespace uniaccess {

namespace {

// Letter case folded byte for byte, so that positions in the folded copy
// are positions in the text.
std::string AsciiUpper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

}  // namespace

TUniSQLQuery::~TUniSQLQuery() {
  CloseForDestruction();
}

void TUniSQLQuery::SetSQL(const platform::StringList& lines) {
  sql_ = lines;
  FieldDefs().SetUpdated(false);
}

void TUniSQLQuery::SetSQL(std::string_view text) {
  platform::StringList lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.Add(std::string(line));
    start = end + 1;
  }
  SetSQL(lines);
}

void TUniSQLQuery::SetParam(std::string_view name, std::string_view value) {
  const std::string upper = AsciiUpper(name);
  for (size_t i = 0; i < paramNames_.size(); ++i) {
    if (paramNames_[i] == upper) {
      paramValues_[i] = std::string(value);
      return;
    }
  }
  paramNames_.push_back(upper);
  paramValues_.emplace_back(value);
}

std::string SubstituteParams(std::string_view text, const std::vector<std::string>& names,
                             const std::vector<std::string>& values) {
  std::string result(text);
  for (size_t i = 0; i < names.size() && i < values.size(); ++i) {
    const std::string marker = ":" + AsciiUpper(names[i]);
    // One pass from the left: a value holding its own marker is not
    // substituted again.
    std::string upper = AsciiUpper(result);
    size_t from = 0;
    for (;;) {
      const size_t at = upper.find(marker, from);
      if (at == std::string::npos)
        break;
      result.replace(at, marker.size(), values[i]);
      upper.replace(at, marker.size(), AsciiUpper(values[i]));
      from = at + values[i].size();
    }
  }
  return result;
}

std::string TUniSQLQuery::SubstitutedText() const {
  std::string text;
  for (size_t i = 0; i < sql_.Count(); ++i) {
    if (i > 0)
      text += "\r\n";
    text += sql_[i];
  }
  return SubstituteParams(text, paramNames_, paramValues_);
}

void TUniSQLQuery::PrepareStatement() {
  StatementText().Clear();
  StatementText().Add(SubstitutedText());
}

void TUniSQLQuery::ExecSQL() {
  ResetRunFailure();
  for (const std::string& statement : SplitStatements(SubstitutedText())) {
    ExecuteStatement(statement);
    if (stopAtFirstFailure_ && LastRunFailed()) {
      return;
    }
  }
}

}  // namespace uniaccess
