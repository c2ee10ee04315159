#include "kestrel/sql/lexer/kestrel_lexer.h"

#include <array>
#include <limits>
#include <utility>

#include "kestrel/storage/kestrel_exception.h"
#include "platform/text.h"

// Scanning works token by token: at each position whitespace and comments are
// skipped, and the first character decides the kind and how far the token
// runs. A word runs until whitespace, a breaking symbol (> < = ( ) , / * : |),
// ".", "+", "-" or ";"; a number until whitespace, a breaking symbol or ";",
// taking "." anywhere and "+"/"-" only directly after "E"/"e", and any other
// character inside it is an error. Quotes and "[" open a quoted token only as
// a token's first character; inside a word they are ordinary characters.
//
// Every token's text is one slice of the source, assigned once; only quoted
// tokens with doubled delimiters are built character by character.

namespace kestrel {
namespace {

enum CharClass : uint8_t {
  kSpace = 1,        // ends any token, starts none
  kEndsWord = 2,     // whitespace, breaking symbols, "." "+" "-" ";"
  kEndsNumber = 4,   // whitespace, breaking symbols, ";"
  kNumberInner = 8,  // digits, ".", "E", "e"
};

constexpr std::array<uint8_t, 256> BuildClasses() {
  std::array<uint8_t, 256> classes{};
  for (const unsigned char c : {' ', '\t', '\r', '\n'}) {
    classes[c] |= kSpace | kEndsWord | kEndsNumber;
  }
  for (const unsigned char c : {'>', '<', '=', '(', ')', ',', '/', '*', ':', '|'}) {
    classes[c] |= kEndsWord | kEndsNumber;  // the breaking symbols
  }
  for (const unsigned char c : {'.', '+', '-'}) {
    classes[c] |= kEndsWord;
  }
  classes[static_cast<unsigned char>(';')] |= kEndsWord | kEndsNumber;
  for (unsigned char c = '0'; c <= '9'; ++c) {
    classes[c] |= kNumberInner;
  }
  for (const unsigned char c : {'.', 'E', 'e'}) {
    classes[c] |= kNumberInner;
  }
  return classes;
}

constexpr std::array<uint8_t, 256> kClasses = BuildClasses();

bool Has(char c, uint8_t charClass) {
  return (kClasses[static_cast<unsigned char>(c)] & charClass) != 0;
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Columns count characters: the continuation bytes of UTF-8 add nothing.
int32_t CharCount(std::string_view text) {
  return static_cast<int32_t>(platform::Utf8Length(text));
}

// The UTF-8 sequence that starts at text[at] (one byte when it is not one).
std::string_view CharAt(std::string_view text, std::size_t at) {
  return text.substr(at, platform::Utf8SequenceLength(text, at));
}

constexpr int kMissingRightParenthesis = 30059;
constexpr int kUnexpectedRightParenthesis = 30060;
constexpr int kUnterminatedString = 30061;
constexpr int kInvalidNumericSymbol = 30062;
constexpr int kParameterNotFound = 30358;

struct Position {
  int32_t line = 0;
  int32_t column = 0;
};

}  // namespace

// Scans one statement from a start position into a command's token list.
class TKestrelLexer::Scanner {
 public:
  Scanner(std::string_view text, std::size_t position, const TKestrelSQLParams* params,
          std::vector<std::string>* parameterNames, TSQLCommand& command)
      : text_(text),
        pos_(position),
        params_(params),
        parameterNames_(parameterNames),
        command_(command) {}

  // Scans up to and including the next ";" (or to the end of the text), runs
  // the end-of-statement checks and returns the position after the statement.
  std::size_t ScanStatement() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      const char next = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
      if (Has(c, kSpace)) {
        Advance(1);
      } else if (c == ';') {
        Advance(1);
        break;
      } else if (c == '-' && next == '-') {
        const std::size_t end = text_.find('\n', pos_ + 2);
        Advance(end == std::string_view::npos ? text_.size() - pos_ : end + 1 - pos_);
      } else if (c == '/' && next == '*') {
        const std::size_t end = text_.find("*/", pos_ + 2);
        Advance(end == std::string_view::npos ? text_.size() - pos_ : end + 2 - pos_);
      } else {
        ScanToken(c, next);
      }
    }
    CheckEnd();
    return pos_;
  }

 private:
  void ScanToken(char c, char next) {
    switch (c) {
      case '\'':
      case '"':
        ScanQuoted(TTokenType::tktQuotedString, c);
        return;
      case '[':
        ScanQuoted(TTokenType::tktBracketedString, ']');
        return;
      case '(':
        ++depth_;
        lastLeft_ = Here();
        AddFixed(TTokenType::tktLeftParenthesis, 1);
        return;
      case ')':
        --depth_;
        lastRight_ = Here();
        AddFixed(TTokenType::tktRightParenthesis, 1);
        return;
      case ',':
        AddFixed(TTokenType::tktComma, 1);
        return;
      case '+':
      case '-':
      case '*':
      case '/':
      case '=':
        AddFixed(TTokenType::tktString, 1);
        return;
      case '|':
        AddFixed(TTokenType::tktString, next == '|' ? 2 : 1);
        return;
      case '<':
        AddFixed(TTokenType::tktString, next == '=' || next == '>' ? 2 : 1);
        return;
      case '>':
        AddFixed(TTokenType::tktString, next == '=' ? 2 : 1);
        return;
      case '.':
        if (IsDigit(next)) {
          ScanNumber();
        } else {
          AddFixed(TTokenType::tktDot, 1);
        }
        return;
      default:
        if (IsDigit(c)) {
          ScanNumber();
        } else {
          ScanWord();
        }
        return;
    }
  }

  // A token of a fixed length: punctuation and operators.
  void AddFixed(TTokenType kind, std::size_t length) {
    TToken& token = NewToken(kind);
    token.Text.assign(text_.substr(pos_, length));
    Advance(length);
  }

  void ScanWord() {
    std::size_t end = pos_ + 1;
    while (end < text_.size() && !Has(text_[end], kEndsWord)) {
      ++end;
    }
    const std::string_view word = text_.substr(pos_, end - pos_);
    TToken& token = NewToken(TTokenType::tktString);
    if (word.front() == ':') {
      token.TokenType = TTokenType::tktParameter;
      token.Text.assign(word.substr(1));
      ResolveParameter(token);
    } else {
      token.Text.assign(word);
      token.ReservedWord = FindReservedWord(word);
      if (token.ReservedWord != TReservedWord::kNoWord) {
        token.TokenType = TTokenType::tktReservedWord;
      }
    }
    AdvanceOnLine(word);
  }

  // REQUIRES: text_[pos_] is a digit, or a "." followed by a digit.
  void ScanNumber() {
    bool isFloat = false;
    std::size_t end = pos_;
    while (end < text_.size()) {
      const char c = text_[end];
      if (Has(c, kNumberInner)) {
        isFloat = isFloat || c == '.' || c == 'E' || c == 'e';
      } else if ((c == '+' || c == '-') && (text_[end - 1] == 'E' || text_[end - 1] == 'e') &&
                 !(c == '-' && end + 1 < text_.size() && text_[end + 1] == '-')) {
        // An exponent's sign; "--" after the "E" is a comment and ends the number.
      } else if (Has(c, kEndsNumber) || c == '+' || c == '-') {
        break;
      } else {
        const int32_t column = column_ + CharCount(text_.substr(pos_, end - pos_));
        throw EKestrelException("Invalid numeric symbol '%s' at line %d, column %d",
                                {CharAt(text_, end), line_, column}, kInvalidNumericSymbol);
      }
      ++end;
    }
    const std::string_view number = text_.substr(pos_, end - pos_);
    TToken& token = NewToken(isFloat ? TTokenType::tktFloat : TTokenType::tktInt);
    token.Text.assign(number);
    AdvanceOnLine(number);
  }

  // A quoted or bracketed token: a doubled closing character stands for one.
  // A string that the text ends inside is remembered for the end checks.
  void ScanQuoted(TTokenType kind, char closing) {
    const Position start = Here();
    std::size_t close = text_.find(closing, pos_ + 1);
    std::size_t from = pos_ + 1;
    bool doubled = false;
    while (close != std::string_view::npos && close + 1 < text_.size() &&
           text_[close + 1] == closing) {
      doubled = true;
      close = text_.find(closing, close + 2);
    }
    if (close == std::string_view::npos) {
      unterminated_ = true;
      unterminatedAt_ = start;
      Advance(text_.size() - pos_);
      return;
    }
    TToken& token = NewToken(kind);
    if (!doubled) {
      token.Text.assign(text_.substr(from, close - from));
    } else {
      // Collapse each doubled closing character into one.
      while (from < close) {
        const std::size_t at = text_.find(closing, from);
        const std::size_t stop = at < close ? at : close;
        token.Text.append(text_.substr(from, stop - from));
        if (stop == close) {
          break;
        }
        token.Text.push_back(closing);
        from = at + 2;
      }
    }
    Advance(close + 1 - pos_);
  }

  void ResolveParameter(TToken& token) {
    if (parameterNames_ != nullptr) {
      const std::string wanted = platform::UpperCase(token.Text);
      for (const std::string& name : *parameterNames_) {
        if (platform::UpperCase(name) == wanted) {
          return;
        }
      }
      parameterNames_->push_back(token.Text);
      return;
    }
    const TKestrelSQLParam* param = params_ != nullptr ? params_->FindParam(token.Text) : nullptr;
    if (param == nullptr) {
      throw EKestrelException("Value for parameter '%s' not found", {token.Text},
                              kParameterNotFound);
    }
    auto value = std::make_unique<TKestrelVariant>();
    value->Assign(*param, true);
    token.ParamValue = value.get();
    command_.ParamValues.push_back(std::move(value));
  }

  void CheckEnd() const {
    if (depth_ > 0) {
      throw EKestrelException("Missing symbol ')' at line %d, column %d",
                              {lastLeft_.line, lastLeft_.column}, kMissingRightParenthesis);
    }
    if (depth_ < 0) {
      throw EKestrelException("Unexpected symbol ')' found at line %d, column %d",
                              {lastRight_.line, lastRight_.column}, kUnexpectedRightParenthesis);
    }
    if (unterminated_) {
      throw EKestrelException("Unterminated string at line %d, column %d",
                              {unterminatedAt_.line, unterminatedAt_.column}, kUnterminatedString);
    }
  }

  TToken& NewToken(TTokenType kind) {
    TToken& token = command_.Tokens.emplace_back();
    token.TokenType = kind;
    token.LineNum = line_;
    token.ColumnNum = column_;
    return token;
  }

  Position Here() const { return {line_, column_}; }

  // Moves over n bytes: a line feed starts a new line, a carriage return
  // moves nothing, any other character is one column.
  void Advance(std::size_t n) {
    for (const char c : text_.substr(pos_, n)) {
      if (c == '\n') {
        ++line_;
        column_ = 1;
      } else if (c != '\r' && !IsContinuationByte(c)) {
        ++column_;
      }
    }
    pos_ += n;
  }

  // Moves over a token that holds no line break.
  void AdvanceOnLine(std::string_view token) {
    column_ += CharCount(token);
    pos_ += token.size();
  }

  std::string_view text_;
  std::size_t pos_;
  const TKestrelSQLParams* params_;
  std::vector<std::string>* parameterNames_;
  TSQLCommand& command_;
  int32_t line_ = 1;
  int32_t column_ = 1;
  int32_t depth_ = 0;
  Position lastLeft_;
  Position lastRight_;
  bool unterminated_ = false;
  Position unterminatedAt_;
};

TKestrelLexer::TKestrelLexer(std::string sqlText, const TKestrelSQLParams* params)
    : text_(std::move(sqlText)), params_(params) {}

bool TKestrelLexer::NextStatement() {
  command_.Clear();
  // An empty statement (";;") is skipped: the script ends only where the
  // rest of the text holds no token.
  while (position_ < text_.size()) {
    Scanner scanner(text_, position_, params_, parameterNames_, command_);
    try {
      position_ = scanner.ScanStatement();
    } catch (...) {
      command_.Clear();
      throw;
    }
    if (command_.NumTokens() > 0) {
      ++statementNo_;
      return true;
    }
  }
  return false;
}

bool TKestrelLexer::CopyToken(int32_t tokenNo, TToken& token) const {
  if (tokenNo < 0 || tokenNo >= command_.NumTokens()) {
    token.TokenType = TTokenType::tktNone;
    return false;
  }
  token = command_.Tokens[static_cast<std::size_t>(tokenNo)];
  return true;
}

bool TKestrelLexer::GetCurrentToken(TToken& token) const {
  return CopyToken(command_.CurrentTokenNo, token);
}

int32_t TKestrelLexer::NextTokenNo() const {
  // Saturates: past the end every number holds no token.
  const int32_t current = command_.CurrentTokenNo;
  return current == std::numeric_limits<int32_t>::max() ? current : current + 1;
}

bool TKestrelLexer::GetNextToken(TToken& token) {
  command_.CurrentTokenNo = NextTokenNo();
  return CopyToken(command_.CurrentTokenNo, token);
}

bool TKestrelLexer::LookAhead(TToken& token) const {
  return CopyToken(NextTokenNo(), token);
}

bool TKestrelLexer::SetCurrentTokenNo(int32_t tokenNo, TToken& token) {
  command_.CurrentTokenNo = tokenNo;
  return GetCurrentToken(token);
}

std::vector<std::string> ScanParameterNames(std::string_view sqlText) {
  std::vector<std::string> names;
  TKestrelLexer lexer{std::string(sqlText), nullptr};
  lexer.parameterNames_ = &names;
  try {
    while (lexer.NextStatement()) {
    }
  } catch (const EKestrelException&) {
    // A lexical fault ends the list; executing the text reports it.
  }
  return names;
}

}  // namespace kestrel
