// Random token soups through the lexer. Each soup must lex to statements of
// tokens or to one of the five lexical errors with its position, and must
// give exactly what a plain character-at-a-time reading of the token rules
// gives (the reference below keeps an "open token" and decides on every
// character, the way the rules are worded; the lexer scans whole slices).

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "kestrel/sql/lexer/kestrel_lexer.h"
#include "kestrel/sql/tests/lexer/lexer_test_support.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using namespace kestrel::testing;

struct LexedToken {
  TTokenType kind = TTokenType::tktNone;
  TReservedWord word = TReservedWord::kNoWord;
  std::string text;
  int32_t line = 0;
  int32_t column = 0;
  bool operator==(const LexedToken&) const = default;
};

struct LexResult {
  std::vector<std::vector<LexedToken>> statements;
  int code = 0;  // 0: no error
  std::string message;
  bool operator==(const LexResult&) const = default;
};

std::string Show(const LexResult& result) {
  std::string text;
  for (const auto& statement : result.statements) {
    text += "[";
    for (const LexedToken& token : statement) {
      text += std::string(KindName(token.kind)) + ":" + token.text + "@" +
              std::to_string(token.line) + "," + std::to_string(token.column) + " ";
    }
    text += "] ";
  }
  return result.code == 0 ? text : text + "E" + std::to_string(result.code) + " " + result.message;
}

// --- The reference reading -------------------------------------------------

bool IsBreaking(char c) {
  return std::string_view("><=(),/*:|").find(c) != std::string_view::npos;
}
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigitChar(char c) {
  return c >= '0' && c <= '9';
}

struct ReferenceError {
  int code;
  std::string message;
};

class ReferenceLexer {
 public:
  ReferenceLexer(const std::string& text, const TKestrelSQLParams* params)
      : s_(text), params_(params) {}

  LexResult Run() {
    LexResult result;
    try {
      while (i_ < s_.size()) {
        std::vector<LexedToken> statement = Statement();
        if (!statement.empty()) {
          result.statements.push_back(std::move(statement));
        }
      }
    } catch (const ReferenceError& error) {
      result.code = error.code;
      result.message = error.message;
    }
    return result;
  }

 private:
  std::vector<LexedToken> Statement() {
    tokens_.clear();
    open_ = false;
    line_ = 1;
    column_ = 1;
    depth_ = 0;
    unterminated_ = false;
    while (i_ < s_.size()) {
      const char c = s_[i_];
      const char next = i_ + 1 < s_.size() ? s_[i_ + 1] : '\0';
      if (c == ';') {
        Close();
        Step();
        break;
      }
      if (c == '-' && next == '-') {
        Close();
        while (i_ < s_.size() && s_[i_] != '\n') {
          Step();
        }
        if (i_ < s_.size()) {
          Step();
        }
        continue;
      }
      if (c == '/' && next == '*') {
        Close();
        Step();
        Step();
        while (i_ < s_.size() && !(s_[i_] == '*' && i_ + 1 < s_.size() && s_[i_ + 1] == '/')) {
          Step();
        }
        if (i_ < s_.size()) {
          Step();
          Step();
        }
        continue;
      }
      if (IsSpace(c)) {
        Close();
        Step();
        continue;
      }
      if (open_ && token_.kind == TTokenType::tktInt) {
        const char last = token_.text.back();
        if (IsDigitChar(c) || c == '.' || c == 'E' || c == 'e' ||
            ((c == '+' || c == '-') && (last == 'E' || last == 'e'))) {
          Append();
          continue;
        }
        if (!IsBreaking(c) && c != '+' && c != '-') {
          std::string symbol(1, c);
          for (std::size_t k = i_ + 1;
               static_cast<unsigned char>(c) >= 0xC0 && k < s_.size() && k < i_ + 4 &&
               (static_cast<unsigned char>(s_[k]) & 0xC0) == 0x80;
               ++k) {
            symbol += s_[k];
          }
          throw ReferenceError{30062, "Invalid numeric symbol '" + symbol + "' at line " +
                                          std::to_string(line_) + ", column " +
                                          std::to_string(column_)};
        }
        Close();
      } else if (open_ && token_.kind == TTokenType::tktString) {
        if (!IsBreaking(c) && c != '.' && c != '+' && c != '-') {
          Append();
          continue;
        }
        Close();
      } else if (open_ && token_.kind == TTokenType::tktDot) {
        if (IsDigitChar(c)) {
          token_.kind = TTokenType::tktInt;
          Append();
          continue;
        }
        Close();
      }
      Start(c, next);
    }
    Close();
    if (depth_ > 0) {
      throw ReferenceError{30059, "Missing symbol ')' at line " + std::to_string(lastLeft_.line) +
                                      ", column " + std::to_string(lastLeft_.column)};
    }
    if (depth_ < 0) {
      throw ReferenceError{30060, "Unexpected symbol ')' found at line " +
                                      std::to_string(lastRight_.line) + ", column " +
                                      std::to_string(lastRight_.column)};
    }
    if (unterminated_) {
      throw ReferenceError{30061, "Unterminated string at line " +
                                      std::to_string(unterminatedAt_.line) + ", column " +
                                      std::to_string(unterminatedAt_.column)};
    }
    return tokens_;
  }

  // The first character of a new token.
  void Start(char c, char next) {
    token_ = LexedToken{TTokenType::tktString, TReservedWord::kNoWord, "", line_, column_};
    auto closed = [&](TTokenType kind, int length) {
      token_.kind = kind;
      for (int k = 0; k < length; ++k) {
        Append();
      }
      tokens_.push_back(token_);
    };
    switch (c) {
      case '\'':
      case '"':
      case '[':
        Quoted(c == '[' ? TTokenType::tktBracketedString : TTokenType::tktQuotedString,
               c == '[' ? ']' : c);
        return;
      case '(':
        ++depth_;
        lastLeft_ = token_;
        closed(TTokenType::tktLeftParenthesis, 1);
        return;
      case ')':
        --depth_;
        lastRight_ = token_;
        closed(TTokenType::tktRightParenthesis, 1);
        return;
      case ',':
        closed(TTokenType::tktComma, 1);
        return;
      case '+':
      case '-':
      case '*':
      case '/':
      case '=':
        closed(TTokenType::tktString, 1);
        return;
      case '|':
        closed(TTokenType::tktString, next == '|' ? 2 : 1);
        return;
      case '<':
        closed(TTokenType::tktString, next == '=' || next == '>' ? 2 : 1);
        return;
      case '>':
        closed(TTokenType::tktString, next == '=' ? 2 : 1);
        return;
      default:
        token_.kind = c == '.'         ? TTokenType::tktDot
                      : IsDigitChar(c) ? TTokenType::tktInt
                                       : TTokenType::tktString;
        open_ = true;
        Append();
        return;
    }
  }

  void Quoted(TTokenType kind, char closing) {
    token_.kind = kind;
    const LexedToken start = token_;
    Step();
    while (true) {
      if (i_ >= s_.size()) {
        unterminated_ = true;
        unterminatedAt_ = start;
        return;
      }
      if (s_[i_] == closing) {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == closing) {
          token_.text += closing;
          Step();
          Step();
          continue;
        }
        Step();
        tokens_.push_back(token_);
        return;
      }
      Append();
    }
  }

  void Close() {
    if (!open_) {
      return;
    }
    open_ = false;
    if (token_.kind == TTokenType::tktInt &&
        token_.text.find_first_of(".eE") != std::string::npos) {
      token_.kind = TTokenType::tktFloat;
    } else if (token_.kind == TTokenType::tktString && token_.text[0] == ':') {
      token_.kind = TTokenType::tktParameter;
      token_.text.erase(0, 1);
      if (params_ == nullptr || params_->FindParam(token_.text) == nullptr) {
        throw ReferenceError{30358, "Value for parameter '" + token_.text + "' not found"};
      }
    } else if (token_.kind == TTokenType::tktString) {
      token_.word = FindReservedWord(token_.text);
      if (token_.word != TReservedWord::kNoWord) {
        token_.kind = TTokenType::tktReservedWord;
      }
    }
    tokens_.push_back(token_);
  }

  void Append() {
    token_.text += s_[i_];
    Step();
  }

  void Step() {
    const char c = s_[i_++];
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else if (c != '\r' && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++column_;
    }
  }

  const std::string& s_;
  const TKestrelSQLParams* params_;
  std::size_t i_ = 0;
  std::vector<LexedToken> tokens_;
  LexedToken token_;
  bool open_ = false;
  int32_t line_ = 1;
  int32_t column_ = 1;
  int32_t depth_ = 0;
  LexedToken lastLeft_;
  LexedToken lastRight_;
  bool unterminated_ = false;
  LexedToken unterminatedAt_;
};

// --- The lexer under test --------------------------------------------------

LexResult Lex(const std::string& text, const TKestrelSQLParams* params) {
  LexResult result;
  TKestrelLexer lexer(text, params);
  try {
    while (lexer.NextStatement()) {
      std::vector<LexedToken>& statement = result.statements.emplace_back();
      for (const TToken& token : lexer.Command().Tokens) {
        statement.push_back(
            {token.TokenType, token.ReservedWord, token.Text, token.LineNum, token.ColumnNum});
        const bool isParameter = token.TokenType == TTokenType::tktParameter;
        EXPECT_EQ(token.ParamValue != nullptr, isParameter) << text;
        if (isParameter && token.ParamValue != nullptr) {
          const TKestrelSQLParam* param = params->FindParam(token.Text);
          EXPECT_EQ(token.ParamValue->Compare(*param, false, false, false),
                    TKestrelCompareCode::kEqual);
        }
      }
    }
    EXPECT_FALSE(lexer.NextStatement());
  } catch (const EKestrelException& error) {
    result.code = error.NativeError();
    result.message = error.Text();
    EXPECT_EQ(lexer.Command().NumTokens(), 0);
  }
  return result;
}

// A small generator whose sequence does not depend on the standard library.
class SplitMix64 {
 public:
  explicit SplitMix64(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

 private:
  uint64_t state_;
};

// Pieces that lex on their own in any company, and pieces that can fail
// (open quotes, bad numbers, lone parentheses, unknown parameters).
const std::vector<std::string>& SafePieces() {
  static const std::vector<std::string> pieces = {
      // words and reserved words
      "SELECT", "select", "FrOm", "a", "t", "col", "x1", "_y", "$z", "#w", "it's", "END-EXEC",
      "caf\xC3\xA9", "na\xC3\xAFve", "]", "E", "e",
      // numbers
      "1", "12", "1.5", ".5", "1e10", "1E-3", "1e+5", "1.", "1.2.3", "0",
      // quoted and bracketed
      "'a'", "'it''s'", "\"q\"", "\"a\"\"b\"", "[order]", "[a]]b]", "''", "'a;b'", "'\n'",
      // punctuation and operators
      "(a)", "()", ",", ".", "*", "+", "-", "/", "=", "<", ">", "<>", "<=", ">=", "||", "|", ";",
      ";;",
      // comments
      "--c\n", "-- x", "/* c */", "/*", "*/", "/* ; */", "/*\n*/",
      // parameters
      ":p", ":P", ":name", ":EMPTY",
      // whitespace
      " ", "\t", "\n", "\r\n", "\r"};
  return pieces;
}

const std::vector<std::string>& HazardousPieces() {
  static const std::vector<std::string> pieces = {"12abc", "1x", "3$", "1\xC3\xA9", "'", "\"",
                                                  "[",     "[x", "(",  ")",         ":", ":nope"};
  return pieces;
}

// A soup of 1 to 30 pieces; each soup has its own rate of hazardous pieces
// (none, 1 in 20 or 1 in 4), and a hazard may also be any single byte.
std::string Soup(SplitMix64& random) {
  const std::vector<std::string>& safe = SafePieces();
  const std::vector<std::string>& hazardous = HazardousPieces();
  const std::size_t hazardRate = std::array<std::size_t, 3>{0, 20, 4}[random.Below(3)];
  std::string soup;
  const std::size_t count = 1 + random.Below(30);
  for (std::size_t k = 0; k < count; ++k) {
    if (hazardRate == 0 || random.Below(hazardRate) != 0) {
      soup += safe[random.Below(safe.size())];
    } else if (random.Below(4) == 0) {
      soup += static_cast<char>(random.Below(256));  // any byte, NUL included
    } else {
      soup += hazardous[random.Below(hazardous.size())];
    }
    if (random.Below(3) == 0) {
      soup += ' ';
    }
  }
  return soup;
}

TEST(KestrelLexerFuzz, RandomSoupsLexLikeTheCharacterRules) {
  TKestrelSQLParams params;
  AddSampleParams(params);

  SplitMix64 random(20240611);
  int mismatches = 0;
  int statements = 0;
  std::map<int, int> errorsByCode;
  for (int round = 0; round < 100000 && mismatches < 5; ++round) {
    const std::string soup = Soup(random);
    const LexResult expected = ReferenceLexer(soup, &params).Run();
    const LexResult actual = Lex(soup, &params);
    if (!(actual == expected)) {
      ++mismatches;
      ADD_FAILURE() << "round " << round << " soup [" << soup << "]\n  lexer:     " << Show(actual)
                    << "\n  reference: " << Show(expected);
    }
    if (actual.code != 0) {
      ++errorsByCode[actual.code];
      EXPECT_EQ(actual.message.find(" at line ") != std::string::npos, actual.code != 30358)
          << actual.message;
    }
    statements += static_cast<int>(actual.statements.size());
    for (const auto& statement : actual.statements) {
      for (const LexedToken& token : statement) {
        EXPECT_GE(token.line, 1);
        EXPECT_GE(token.column, 1);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  // Only the five lexical errors occur, each of them often, and many soups
  // lex to statements, so neither outcome goes untested.
  for (const auto& [code, count] : errorsByCode) {
    EXPECT_TRUE(code == 30059 || code == 30060 || code == 30061 || code == 30062 || code == 30358)
        << code;
  }
  for (const int code : {30059, 30060, 30061, 30062, 30358}) {
    EXPECT_GT(errorsByCode[code], 500) << code;
  }
  EXPECT_GT(statements, 40000) << statements;
}

}  // namespace
}  // namespace kestrel
