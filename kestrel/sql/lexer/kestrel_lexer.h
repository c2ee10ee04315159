#pragma once
// TKestrelLexer: turns a script into statements of tokens, one statement at a
// time, and gives the parsers a cursor over the current statement.
//
// A script is statements separated by ";". NextStatement scans up to and
// including the next ";" outside quotes and comments (or to the end of the
// text), so a lexical error in a later statement is reported only after the
// earlier ones have run. Empty statements (";;") are skipped; scanning ends
// only when the rest of the text holds no token.
//
// Lexical errors (EKestrelException), positions relative to the statement:
//   30059  "Missing symbol ')' at line %d, column %d"             (the last "(")
//   30060  "Unexpected symbol ')' found at line %d, column %d"    (the last ")")
//   30061  "Unterminated string at line %d, column %d"            (where it began)
//   30062  "Invalid numeric symbol '%s' at line %d, column %d"    (the character)
//   30358  "Value for parameter '%s' not found"
// The parenthesis and string checks run when the statement has been scanned,
// in that order; a failed statement leaves no tokens.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kestrel/sql/lexer/sql_params.h"
#include "kestrel/sql/lexer/token.h"

namespace kestrel {

class TKestrelLexer {
 public:
  // params may be null (filters have none): every parameter is then unknown.
  TKestrelLexer(std::string sqlText, const TKestrelSQLParams* params);
  TKestrelLexer(const TKestrelLexer&) = delete;
  TKestrelLexer& operator=(const TKestrelLexer&) = delete;

  // Scans the next non-empty statement and sets the cursor to its first
  // token. False when the rest of the text holds no token.
  bool NextStatement();

  // The cursor operations. When there is no token the out-token's kind
  // becomes tktNone and the rest of it keeps what it held, so a parser that
  // reports "unexpected end" still has the position of the last token read.
  bool GetCurrentToken(TToken& token) const;
  // Copies the token after the cursor and moves the cursor onto it (also
  // when there is none).
  bool GetNextToken(TToken& token);
  // GetNextToken without moving the cursor.
  bool LookAhead(TToken& token) const;
  int32_t GetCurrentTokenNo() const { return command_.CurrentTokenNo; }
  // Sets the cursor (back-tracking) and returns GetCurrentToken.
  bool SetCurrentTokenNo(int32_t tokenNo, TToken& token);

  // The current statement, for the statements that rewrite their tokens.
  TSQLCommand& Command() { return command_; }
  const TSQLCommand& Command() const { return command_; }
  // The number of the current statement from 0; -1 before the first.
  int32_t StatementNo() const { return statementNo_; }

 private:
  class Scanner;

  friend std::vector<std::string> ScanParameterNames(std::string_view sqlText);

  bool CopyToken(int32_t tokenNo, TToken& token) const;
  int32_t NextTokenNo() const;

  std::string text_;
  const TKestrelSQLParams* params_;
  // Set by ScanParameterNames: parameters are collected, not resolved.
  std::vector<std::string>* parameterNames_ = nullptr;
  std::size_t position_ = 0;
  int32_t statementNo_ = -1;
  TSQLCommand command_;
};

// The names of the parameter references (":name") of a script, in the order
// they first appear, each once (compared without regard to letter case).
// Quoted strings and comments are skipped by the same rules as in
// TKestrelLexer; scanning stops without an error at the first lexical fault.
std::vector<std::string> ScanParameterNames(std::string_view sqlText);

}  // namespace kestrel
