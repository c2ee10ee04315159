#pragma once
// Helpers of the lexer tests: a script lexed into a readable outline, one
// line per statement and "Kind:text" per token, or the error it raised.

#include <string>
#include <vector>

#include "kestrel/sql/lexer/kestrel_lexer.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel::testing {

// The parameters the tests resolve: p = 7, Name = 'Smith', Empty = NULL.
inline void AddSampleParams(TKestrelSQLParams& params) {
  TKestrelSQLParam& number = params.AddParam();
  number.Name = "p";
  number.SetAsInteger(7);
  TKestrelSQLParam& text = params.AddParam();
  text.Name = "Name";
  text.SetAsString("Smith");
  params.AddParam().Name = "Empty";
}

inline const char* KindName(TTokenType kind) {
  static const char* const kNames[] = {"None", "Str", "Quo", "Brk", "Int", "Flt",
                                       "Rw",   "Par", "LP",  "RP",  "Com", "Dot"};
  const auto index = static_cast<std::size_t>(kind);
  return index < std::size(kNames) ? kNames[index] : "?";
}

inline std::string Describe(const TToken& token) {
  return std::string(KindName(token.TokenType)) + ":" + token.Text;
}

// Every statement of the script, its tokens separated by blanks, statements
// by " ; ". An error ends the outline with "! E<code> <text>".
inline std::string Outline(const std::string& sql, const TKestrelSQLParams* params = nullptr) {
  TKestrelLexer lexer(sql, params);
  std::string outline;
  try {
    while (lexer.NextStatement()) {
      if (!outline.empty()) {
        outline += " ; ";
      }
      std::string statement;
      for (const TToken& token : lexer.Command().Tokens) {
        statement += (statement.empty() ? "" : " ") + Describe(token);
      }
      outline += statement;
    }
  } catch (const EKestrelException& error) {
    outline += (outline.empty() ? "" : " ") + std::string("! E") +
               std::to_string(error.NativeError()) + " " + error.Text();
  }
  return outline;
}

}  // namespace kestrel::testing
