#include "highlight/sql_rtf_highlighter.h"

#include <string_view>
#include <vector>

#include "highlight/sql_keywords.h"

namespace highlight {
namespace {

bool IsIdentifierChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Blanks and control characters that run together into one symbol token.
bool IsBlank(unsigned char c) {
  return c >= 1 && c <= 32 && c != '\n' && c != '\r';
}

bool IsNumberChar(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f') || c == '-' || c == '.' ||
         c == 'X' || c == 'x' || c == '_';
}

const std::vector<RgbColor>& SqlColors() {
  static const std::vector<RgbColor> colors = {
      TSqlRtfHighlighter::kNavy,  TSqlRtfHighlighter::kBlack, TSqlRtfHighlighter::kBlack,
      TSqlRtfHighlighter::kBlack, TSqlRtfHighlighter::kBlack, TSqlRtfHighlighter::kBlue,
      TSqlRtfHighlighter::kBlack};
  return colors;
}

}  // namespace

TSqlRtfHighlighter::TSqlRtfHighlighter() : TSqlRtfHighlighter(PlainFontFacts()) {}

TSqlRtfHighlighter::TSqlRtfHighlighter(const FontFactsSource& fontFacts)
    : TRtfSyntaxWriter(fontFacts) {
  BuildScanTable();
  SetColors(SqlColors());
}

void TSqlRtfHighlighter::BuildScanTable() {
  scanTable_.fill(&TSqlRtfHighlighter::ScanOther);
  scanTable_[0] = &TSqlRtfHighlighter::ScanNul;
  for (int c = 1; c <= 32; ++c) {
    scanTable_[static_cast<std::size_t>(c)] = &TSqlRtfHighlighter::ScanSpace;
  }
  scanTable_['\n'] = &TSqlRtfHighlighter::ScanLineFeed;
  scanTable_['\r'] = &TSqlRtfHighlighter::ScanCarriageReturn;
  for (int c = 0; c < 128; ++c) {
    if (IsIdentifierChar(static_cast<char>(c)) && !IsDigit(static_cast<char>(c))) {
      scanTable_[static_cast<std::size_t>(c)] = &TSqlRtfHighlighter::ScanIdentifier;
    }
  }
  for (char c = '0'; c <= '9'; ++c) {
    scanTable_[static_cast<unsigned char>(c)] = &TSqlRtfHighlighter::ScanNumber;
  }
  scanTable_['.'] = &TSqlRtfHighlighter::ScanNumber;
  scanTable_['\''] = &TSqlRtfHighlighter::ScanSingleQuoted;
  scanTable_['"'] = &TSqlRtfHighlighter::ScanDoubleQuoted;
  scanTable_['#'] = &TSqlRtfHighlighter::ScanHash;
  scanTable_['-'] = &TSqlRtfHighlighter::ScanMinus;
  scanTable_['/'] = &TSqlRtfHighlighter::ScanSlash;
  for (const char c : std::string_view("&()*+,:;<=>?[\\]^|")) {
    scanTable_[static_cast<unsigned char>(c)] = &TSqlRtfHighlighter::ScanSymbol;
  }
}

std::string TSqlRtfHighlighter::EscapeText(const std::string& text) const {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    if (c == '\\' || c == '{' || c == '}') {
      escaped.push_back('\\');
    }
    escaped.push_back(c);
  }
  return escaped;
}

std::string TSqlRtfHighlighter::FormatToken(int attribute, const std::string& text) const {
  switch (static_cast<SqlTokenKind>(attribute)) {
    case SqlTokenKind::kComment:
      return "\\cf1 \\i " + text + "\\i0 ";
    case SqlTokenKind::kKeyword:
      return "\\cf3 \\b " + text + "\\b0 ";
    default:
      return "\\cf" + std::to_string(attribute) + " " + text;
  }
}

void TSqlRtfHighlighter::SetLine(const std::string& text, int) {
  text_ = text;
  run_ = 0;
  Next();
}

void TSqlRtfHighlighter::ResetColors() {
  SetColors(SqlColors());
}

void TSqlRtfHighlighter::Next() {
  tokenStart_ = run_;
  if (range_ == SqlRangeState::kBlockComment) {
    ContinueBlockComment();
    return;
  }
  (this->*scanTable_[static_cast<unsigned char>(CharAt(run_))])();
}

bool TSqlRtfHighlighter::AtLineEnd(std::size_t position) const {
  return AtTextEnd(position) || text_[position] == '\r' || text_[position] == '\n';
}

void TSqlRtfHighlighter::ScanNul() {
  if (AtTextEnd(run_)) {
    kind_ = SqlTokenKind::kEnd;
    return;
  }
  // A NUL inside the text is a character like any other, not its end.
  kind_ = SqlTokenKind::kOther;
  ++run_;
}

void TSqlRtfHighlighter::ScanSpace() {
  kind_ = SqlTokenKind::kSymbol;
  while (!AtTextEnd(run_) && IsBlank(static_cast<unsigned char>(text_[run_]))) {
    ++run_;
  }
}

void TSqlRtfHighlighter::ScanLineFeed() {
  kind_ = SqlTokenKind::kSymbol;
  ++run_;
}

void TSqlRtfHighlighter::ScanCarriageReturn() {
  kind_ = SqlTokenKind::kSymbol;
  ++run_;
  if (CharAt(run_) == '\n') {
    ++run_;
  }
}

void TSqlRtfHighlighter::ScanIdentifier() {
  while (!AtTextEnd(run_) && IsIdentifierChar(text_[run_])) {
    ++run_;
  }
  const std::string_view word(text_.data() + tokenStart_, run_ - tokenStart_);
  kind_ = IsSqlKeyword(word) ? SqlTokenKind::kKeyword : SqlTokenKind::kIdentifier;
}

void TSqlRtfHighlighter::ScanNumber() {
  ++run_;
  if (!IsDigit(CharAt(run_))) {
    kind_ = SqlTokenKind::kSymbol;
    return;
  }
  kind_ = SqlTokenKind::kNumber;
  while (IsNumberChar(CharAt(run_))) {
    const char c = text_[run_];
    const char after = CharAt(run_ + 1);
    if (c == '-' && after != 'e' && after != 'E') {
      break;
    }
    if (c == '.' && after == '.') {
      break;
    }
    ++run_;
  }
}

void TSqlRtfHighlighter::ScanSingleQuoted() {
  kind_ = SqlTokenKind::kString;
  ++run_;
  while (!AtLineEnd(run_)) {
    if (text_[run_++] == '\'') {
      return;
    }
  }
}

void TSqlRtfHighlighter::ScanDoubleQuoted() {
  kind_ = SqlTokenKind::kString;
  if (CharAt(run_ + 1) == '"' && CharAt(run_ + 2) == '"') {
    run_ += 2;
  }
  ++run_;
  while (!AtLineEnd(run_)) {
    const bool closes = text_[run_] == '"' && text_[run_ - 1] != '\\';
    ++run_;
    if (closes) {
      return;
    }
  }
}

void TSqlRtfHighlighter::ScanHash() {
  ScanLineComment();
}

void TSqlRtfHighlighter::ScanMinus() {
  if (CharAt(run_ + 1) == '-') {
    ScanLineComment();
    return;
  }
  ScanSymbol();
}

void TSqlRtfHighlighter::ScanSlash() {
  switch (CharAt(run_ + 1)) {
    case '*':
      kind_ = SqlTokenKind::kComment;
      range_ = SqlRangeState::kBlockComment;
      // The search for "*/" starts at the opener's "*", so "/*/" is complete.
      ++run_;
      ScanCommentBody();
      return;
    case '/':
      ScanLineComment();
      return;
    default:
      ScanSymbol();
      return;
  }
}

void TSqlRtfHighlighter::ScanSymbol() {
  kind_ = SqlTokenKind::kSymbol;
  ++run_;
}

void TSqlRtfHighlighter::ScanOther() {
  kind_ = SqlTokenKind::kOther;
  const auto lead = static_cast<unsigned char>(text_[run_]);
  ++run_;
  int following = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    following = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    following = 2;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    following = 3;
  }
  while (following-- > 0 && !AtTextEnd(run_) &&
         (static_cast<unsigned char>(text_[run_]) & 0xC0) == 0x80) {
    ++run_;
  }
}

void TSqlRtfHighlighter::ScanLineComment() {
  kind_ = SqlTokenKind::kComment;
  while (!AtLineEnd(run_)) {
    ++run_;
  }
}

void TSqlRtfHighlighter::ScanCommentBody() {
  while (!AtLineEnd(run_)) {
    if (text_[run_] == '*' && CharAt(run_ + 1) == '/') {
      run_ += 2;
      range_ = SqlRangeState::kDefault;
      return;
    }
    ++run_;
  }
}

void TSqlRtfHighlighter::ContinueBlockComment() {
  if (AtTextEnd(run_)) {
    kind_ = SqlTokenKind::kEnd;
    return;
  }
  switch (text_[run_]) {
    case '\r':
      ScanCarriageReturn();
      return;
    case '\n':
      ScanLineFeed();
      return;
    default:
      kind_ = SqlTokenKind::kComment;
      ScanCommentBody();
      return;
  }
}

}  // namespace highlight
