#pragma once
// The expression grammar: recursive descent over the lexer's tokens with
// back-tracking. Alternatives are tried in the order below, each from the
// same token; a failed one frees what it built and puts the lexer's cursor
// back (SetCurrentTokenNo). Words in capitals are reserved words.
//
//   condition      and-cond { OR and-cond }               OR nests to the left
//   and-cond       not-cond { AND not-cond }              one AND node
//   not-cond       [NOT] EXISTS subquery | [NOT] test
//   test           primary [IS [NOT] (TRUE | FALSE | UNKNOWN)]
//   primary        ( condition ) | predicate              "(" always opens a condition
//   predicate      TRUE | FALSE | Boolean parameter
//                | operand (= | <> | < | > | <= | >=) operand
//                | operand [NOT] LIKE operand
//                | operand IS [NOT] NULL
//                | operand [NOT] BETWEEN operand AND operand
//                | operand [NOT] IN (subquery | ( value { [,] value } ))
//                | [NOT] EXISTS subquery
//   operand        NULL | value
//   value          arithmetic | string | TOBLOB ( 'text' [, HEX | MIME64] )
//                | date-value | TRUE | FALSE | Boolean parameter | NULL
//   arithmetic     term { (+ | -) term }    signed terms; fails when "||" follows
//   term           factor { (* | /) factor }
//   factor         [+ | -] arith-primary
//   arith-primary  basic (not a non-numeric constant) | POS ( string (, | IN) string )
//                | POSITION (same) | LENGTH ( string )
//                | LASTAUTOINC ( [MEMORY] table , field )
//   basic          integer | float | NULL or numeric parameter | 'text'
//                | string or BLOB parameter | column | ( SELECT ... )
//                | aggregate | ( value ) | CAST ( operand (AS | ,) type )
//   column         word [ . word ]   the last word not reserved, no "(" after it
//   string         string-operand { (|| | +) string-operand }
//   string-operand basic | (UPPER | LOWER | TRIM | LTRIM | RTRIM) ( string )
//                | SUBSTRING ( string (, | FROM) arithmetic [(, | FOR) arithmetic] )
//                | TOSTRING ( value , 'format' )
//   date-value     SYSDATE | NOW | CURRENT_TIMESTAMP | CURRENT_DATE | CURRENT_TIME
//                | TODATE ( string , 'format' ) | date or time parameter
//   aggregate      COUNT ( * ) | (COUNT | SUM | AVG | MIN | MAX) [DISTINCT] ( [DISTINCT] value )
//
// A value is "string" when it is one string-operand or a concatenation of
// several: a lone 'text' is a value, while 'a' + x and x + 'a' are
// concatenations because arithmetic refuses text constants.
//
// Errors carry the offending token's text, line and column. Running out of
// tokens where one must follow: "Unexpected end of SQL command found at
// line %d, column %d" (30063, at the last token read). A token that cannot
// follow an operator: "Unexpected token '%s' found at line %d, column %d"
// (30064). The function forms have the codes listed where they are parsed.

#include <memory>
#include <string>
#include <vector>

#include "kestrel/sql/expressions/expr_node.h"
#include "kestrel/sql/lexer/kestrel_lexer.h"

namespace kestrel {

class TKestrelExpression;

class TKestrelExpressionParser {
 public:
  // The parser reads the expression's options and services.
  TKestrelExpressionParser(const TKestrelExpression& expression, TKestrelLexer& lexer);

  // REQUIRES: the lexer's cursor is on a token.
  TKestrelExprNodePtr ParseCondition();
  // Null when no value parses (the cursor is then back where it was).
  TKestrelExprNodePtr ParseValue();

 private:
  // Conditions (expression_parser.cpp).
  TKestrelExprNodePtr Condition(int missingCode);
  TKestrelExprNodePtr AndCondition(int missingCode);
  TKestrelExprNodePtr NotCondition(int missingCode);
  TKestrelExprNodePtr Test(int missingCode);
  TKestrelExprNodePtr Primary();
  TKestrelExprNodePtr Predicate();
  // Whether the current token continues an operand into a predicate (a
  // comparison operator, [NOT] LIKE, BETWEEN, IN, IS [NOT] NULL).
  bool StartsOperandPredicate() const;
  TKestrelExprNodePtr Comparison(TKestrelExprOp op, TKestrelExprNodePtr left);
  TKestrelExprNodePtr InPredicate(TKestrelExprNodePtr left, bool negated);
  TKestrelExprNodePtr Exists(bool negated);
  // The text of the subquery whose "(" is the current token; the cursor
  // ends after its ")".
  std::string SubqueryText();
  // A subquery node of the class over that text, with its query when the
  // expression has a runner.
  template <typename Node>
  std::unique_ptr<Node> SubqueryNode();

  // Values (expression_values.cpp).
  TKestrelExprNodePtr Operand();
  TKestrelExprNodePtr Value();
  TKestrelExprNodePtr Arithmetic();
  TKestrelExprNodePtr Term();
  TKestrelExprNodePtr Factor();
  TKestrelExprNodePtr ArithmeticPrimary();
  TKestrelExprNodePtr Basic();
  TKestrelExprNodePtr Number();
  TKestrelExprNodePtr ColumnReference();
  TKestrelExprNodePtr ScalarSubquery();
  TKestrelExprNodePtr Aggregate();
  TKestrelExprNodePtr ParenthesizedValue();
  TKestrelExprNodePtr Cast();
  TKestrelExprNodePtr Pos();
  TKestrelExprNodePtr Length();
  TKestrelExprNodePtr LastAutoInc();
  TKestrelExprNodePtr String();
  TKestrelExprNodePtr StringOperand();
  TKestrelExprNodePtr CaseFunction();
  TKestrelExprNodePtr Substring();
  TKestrelExprNodePtr ToString();
  TKestrelExprNodePtr DateValue();
  TKestrelExprNodePtr ToDate();
  TKestrelExprNodePtr ToBlob();
  TKestrelExprNodePtr BooleanConstant();
  // A constant from the current parameter token when its value's type is
  // of the kind asked; the cursor moves past it.
  enum class ParamKind : uint8_t { kNullOrNumber, kStringOrBlob, kDate, kBoolean };
  TKestrelExprNodePtr ParameterConstant(ParamKind kind);

  // The token cursor (expression_parser.cpp).
  bool AtEnd() const { return token_.TokenType == TTokenType::tktNone; }
  bool Is(TTokenType kind) const { return token_.TokenType == kind; }
  bool IsWord(TReservedWord word) const { return IsReservedWord(token_, word); }
  bool IsSymbol(std::string_view text) const;
  void Next();
  // Next, and a token must follow (30063).
  void NextRequired();
  int32_t Mark() const { return lexer_.GetCurrentTokenNo(); }
  void Restore(int32_t tokenNo);
  TToken PeekNext() const;

  // Condition, Value, Arithmetic and String are the rules that nest (every
  // other rule reaches itself only through one of them); more than
  // kMaxNesting of them open at once raises "Expression nesting is too deep
  // at line %d, column %d" (30065) instead of running out of stack.
  static constexpr int kMaxNesting = 256;
  static constexpr int kNestingTooDeep = 30065;
  void EnterNesting();
  class NestingGuard {
   public:
    explicit NestingGuard(TKestrelExpressionParser& parser) : parser_(parser) {
      parser_.EnterNesting();
    }
    ~NestingGuard() { --parser_.depth_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

   private:
    TKestrelExpressionParser& parser_;
  };

  // Formats with the current token's text, line and column.
  [[noreturn]] void Fail(std::string_view format, int code) const;
  [[noreturn]] void FailUnexpected(int code) const;
  [[noreturn]] void FailExpected(std::string_view expected, int code) const;
  [[noreturn]] void FailBooleanExpected(int code) const;
  // Unless the current token is the symbol, FailExpected(symbol, code).
  void Expect(std::string_view symbol, TTokenType kind, int code) const;

  const TKestrelExpression& expression_;
  TKestrelLexer& lexer_;
  TToken token_;
  int depth_ = 0;
  // Start tokens at which arithmetic is known to fail: value tries it before
  // the string alternative at the same token, and nested parentheses would
  // otherwise repeat that work at every level.
  std::vector<bool> arithmeticFails_;
};

}  // namespace kestrel
