#pragma once
// Tokens of one SQL statement and the statement that holds them.
//
// A token's Text is what the parsers read: quoted and bracketed tokens come
// without their delimiters and with doubled delimiters collapsed, parameters
// without the colon, reserved words in the source's spelling. Operators have
// no kind of their own: "=", "<>", "<=", ">=", "<", ">", "+", "-", "*", "/",
// "||" and "|" are tktString tokens whose text is the operator.
//
// Positions are the line and column of the token's first character, both
// from 1 and relative to the statement's own text. A column counts
// characters: the continuation bytes of a UTF-8 sequence add nothing.
//
// Ownership: a parameter token's value belongs to the statement
// (TSQLCommand::ParamValues); a token, and every copy of it, only points at
// it, so the pointer is valid until the lexer scans the next statement.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kestrel/sql/lexer/reserved_words.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {

// Token kinds; the ordinals are fixed.
enum class TTokenType : uint8_t {
  tktNone = 0,  // no token: the cursor is past the end
  tktString = 1,
  tktQuotedString = 2,
  tktBracketedString = 3,
  tktInt = 4,
  tktFloat = 5,
  tktReservedWord = 6,
  tktParameter = 7,
  tktLeftParenthesis = 8,
  tktRightParenthesis = 9,
  tktComma = 10,
  tktDot = 11,
};

struct TToken {
  TTokenType TokenType = TTokenType::tktNone;
  // The word's index for tktReservedWord, kNoWord otherwise.
  TReservedWord ReservedWord = TReservedWord::kNoWord;
  std::string Text;
  // For tktParameter the statement's copy of the parameter's value; null otherwise.
  const TKestrelVariant* ParamValue = nullptr;
  int32_t LineNum = 0;
  int32_t ColumnNum = 0;
};

// True if the token is a reserved word and either is `word` or `word` is
// kAnyWord.
inline bool IsReservedWord(const TToken& token, TReservedWord word) {
  return token.TokenType == TTokenType::tktReservedWord &&
         (word == TReservedWord::kAnyWord || token.ReservedWord == word);
}

// The current statement: its tokens and the parsers' cursor. Statements that
// run as another statement (UPDATE and DELETE as a SELECT) rewrite Tokens in
// place and set the cursor themselves.
struct TSQLCommand {
  std::vector<TToken> Tokens;
  // An index into Tokens; at or past NumTokens() the cursor holds no token.
  int32_t CurrentTokenNo = 0;
  // The values the parameter tokens point at.
  std::vector<std::unique_ptr<TKestrelVariant>> ParamValues;

  int32_t NumTokens() const { return static_cast<int32_t>(Tokens.size()); }
  void Clear() {
    Tokens.clear();
    ParamValues.clear();
    CurrentTokenNo = 0;
  }
};

}  // namespace kestrel
