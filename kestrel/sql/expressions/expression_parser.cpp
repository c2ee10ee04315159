// The condition half of the grammar (condition down to predicate and the
// subqueries) and the parser's token cursor. Values are parsed in
// expression_values.cpp.
//
// Every parse function that returns null leaves the lexer's cursor where it
// started, so callers can report the token at which the thing they needed
// was missing.

#include "kestrel/sql/expressions/expression_parser.h"

#include <algorithm>

#include "kestrel/sql/expressions/expression.h"
#include "kestrel/sql/expressions/nodes_basic.h"
#include "kestrel/sql/expressions/nodes_boolean.h"
#include "kestrel/sql/expressions/nodes_subquery.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using TT = TTokenType;
using RW = TReservedWord;

constexpr int kUnexpectedEnd = 30063;
constexpr int kUnexpectedToken = 30064;
constexpr int kBooleanExpected = 30066;

// A quoted or bracketed text written back with its delimiters, the closing
// one doubled inside.
std::string Quoted(std::string_view text, char open, char close) {
  std::string quoted(1, open);
  for (const char c : text) {
    quoted += c;
    if (c == close) {
      quoted += c;
    }
  }
  return quoted + close;
}

std::string TokenSql(const TToken& token) {
  switch (token.TokenType) {
    case TT::tktBracketedString:
      return Quoted(token.Text, '[', ']');
    case TT::tktQuotedString:
      return Quoted(token.Text, '\'', '\'');
    case TT::tktParameter:
      return ":" + token.Text;
    default:
      return token.Text;
  }
}

TKestrelExprOp ComparisonOperatorOf(const TToken& token) {
  if (token.TokenType != TT::tktString) {
    return TKestrelExprOp::kNone;
  }
  const std::string& text = token.Text;
  if (text == "=") {
    return TKestrelExprOp::kEqual;
  }
  if (text == "<>") {
    return TKestrelExprOp::kNotEqual;
  }
  if (text == ">") {
    return TKestrelExprOp::kGreater;
  }
  if (text == "<") {
    return TKestrelExprOp::kLess;
  }
  if (text == ">=") {
    return TKestrelExprOp::kGreaterOrEqual;
  }
  if (text == "<=") {
    return TKestrelExprOp::kLessOrEqual;
  }
  return TKestrelExprOp::kNone;
}

// A text constant ending in "*" loses it; true when it did.
bool TakePartialMark(TKestrelExprNodePtr& node) {
  auto* constant = dynamic_cast<TKestrelExprNodeConst*>(node.get());
  if (constant == nullptr || constant->Value.IsNull() ||
      !(IsNarrowTextType(constant->Value.DataType()) ||
        IsWideTextType(constant->Value.DataType()))) {
    return false;
  }
  const bool wide = IsWideTextType(constant->Value.DataType());
  std::string text = constant->Value.AsString();
  if (text.empty() || text.back() != '*') {
    return false;
  }
  text.pop_back();
  auto replacement = MakeTextConst(text);
  if (wide) {
    replacement->Value.ConvertTo(TKestrelStorageType::kWideString);
  }
  node = std::move(replacement);
  return true;
}

// Moves the operands of ANDs directly under a root AND into it.
void FlattenAnd(TKestrelExprNode& root) {
  if (root.Operator != TKestrelExprOp::kAnd ||
      dynamic_cast<TKestrelExprNodeBoolean*>(&root) == nullptr) {
    return;
  }
  std::vector<TKestrelExprNodePtr> flat;
  std::vector<TKestrelExprNodePtr> pending = std::move(root.Children);
  std::reverse(pending.begin(), pending.end());
  while (!pending.empty()) {
    TKestrelExprNodePtr child = std::move(pending.back());
    pending.pop_back();
    if (child->Operator == TKestrelExprOp::kAnd &&
        dynamic_cast<TKestrelExprNodeBoolean*>(child.get()) != nullptr) {
      for (auto it = child->Children.rbegin(); it != child->Children.rend(); ++it) {
        pending.push_back(std::move(*it));
      }
      continue;
    }
    flat.push_back(std::move(child));
  }
  root.Children = std::move(flat);
}

}  // namespace

TKestrelExpressionParser::TKestrelExpressionParser(const TKestrelExpression& expression,
                                                   TKestrelLexer& lexer)
    : expression_(expression), lexer_(lexer) {
  Restore(lexer_.GetCurrentTokenNo());
}

// The token cursor.

bool TKestrelExpressionParser::IsSymbol(std::string_view text) const {
  return token_.TokenType == TT::tktString && token_.Text == text;
}

void TKestrelExpressionParser::Next() {
  if (!AtEnd()) {
    lexer_.GetNextToken(token_);  // past the end the kind is tktNone, the position stays
  }
}

void TKestrelExpressionParser::NextRequired() {
  Next();
  if (AtEnd()) {
    throw EKestrelException("Unexpected end of SQL command found at line %d, column %d",
                            {token_.LineNum, token_.ColumnNum}, kUnexpectedEnd);
  }
}

void TKestrelExpressionParser::Restore(int32_t tokenNo) {
  if (lexer_.SetCurrentTokenNo(tokenNo, token_)) {
    return;
  }
  // Past the end: the position of the last token, as after reading it.
  const std::vector<TToken>& tokens = lexer_.Command().Tokens;
  if (!tokens.empty()) {
    token_ = tokens.back();
  }
  token_.TokenType = TT::tktNone;
}

TToken TKestrelExpressionParser::PeekNext() const {
  TToken next;
  if (!AtEnd()) {
    lexer_.LookAhead(next);
  }
  return next;
}

void TKestrelExpressionParser::Fail(std::string_view format, int code) const {
  if (AtEnd()) {
    throw EKestrelException("Unexpected end of SQL command found at line %d, column %d",
                            {token_.LineNum, token_.ColumnNum}, kUnexpectedEnd);
  }
  throw EKestrelException(format, {token_.Text, token_.LineNum, token_.ColumnNum}, code);
}

void TKestrelExpressionParser::FailUnexpected(int code) const {
  Fail("Unexpected token '%s' found at line %d, column %d", code);
}

void TKestrelExpressionParser::FailExpected(std::string_view expected, int code) const {
  if (AtEnd()) {
    Fail({}, code);
  }
  throw EKestrelException("Token '%s' expected, but '%s' found at line %d, column %d",
                          {expected, token_.Text, token_.LineNum, token_.ColumnNum}, code);
}

void TKestrelExpressionParser::FailBooleanExpected(int code) const {
  Fail("Boolean expression expected, but '%s' found at line %d, column %d", code);
}

void TKestrelExpressionParser::Expect(std::string_view symbol, TTokenType kind, int code) const {
  if (token_.TokenType != kind) {
    FailExpected(symbol, code);
  }
}

void TKestrelExpressionParser::EnterNesting() {
  if (depth_ >= kMaxNesting) {
    throw EKestrelException("Expression nesting is too deep at line %d, column %d",
                            {token_.LineNum, token_.ColumnNum}, kNestingTooDeep);
  }
  ++depth_;
}

// Conditions.

TKestrelExprNodePtr TKestrelExpressionParser::ParseCondition() {
  TKestrelExprNodePtr root = Condition(kBooleanExpected);
  FlattenAnd(*root);
  return root;
}

TKestrelExprNodePtr TKestrelExpressionParser::Condition(int missingCode) {
  const NestingGuard guard(*this);
  TKestrelExprNodePtr left = AndCondition(missingCode);
  while (IsWord(RW::kOr)) {
    NextRequired();
    TKestrelExprNodePtr right = AndCondition(30070);
    auto node = std::make_unique<TKestrelExprNodeBoolean>(TKestrelExprOp::kOr);
    node->AddChild(std::move(left));
    node->AddChild(std::move(right));
    left = std::move(node);
  }
  return left;
}

TKestrelExprNodePtr TKestrelExpressionParser::AndCondition(int missingCode) {
  TKestrelExprNodePtr first = NotCondition(missingCode);
  if (!IsWord(RW::kAnd)) {
    return first;
  }
  auto node = std::make_unique<TKestrelExprNodeBoolean>(TKestrelExprOp::kAnd);
  node->AddChild(std::move(first));
  while (IsWord(RW::kAnd)) {
    NextRequired();
    node->AddChild(NotCondition(30069));
  }
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::NotCondition(int missingCode) {
  if (IsWord(RW::kNot)) {
    NextRequired();
    if (IsWord(RW::kExists)) {
      return Exists(true);
    }
    auto node = std::make_unique<TKestrelExprNodeBoolean>(TKestrelExprOp::kNot);
    node->AddChild(Test(30068));
    return node;
  }
  if (IsWord(RW::kExists)) {
    return Exists(false);
  }
  return Test(missingCode);
}

TKestrelExprNodePtr TKestrelExpressionParser::Test(int missingCode) {
  TKestrelExprNodePtr primary = Primary();
  if (!primary) {
    FailBooleanExpected(missingCode);
  }
  if (!IsWord(RW::kIs)) {
    return primary;
  }
  NextRequired();
  const bool negated = IsWord(RW::kNot);
  if (negated) {
    NextRequired();
  }
  const auto wrap = [&](TKestrelExprOp op) {
    auto node = std::make_unique<TKestrelExprNodeBoolean>(op);
    node->AddChild(std::move(primary));
    primary = std::move(node);
  };
  if (IsWord(RW::kTrue)) {
    if (negated) {
      wrap(TKestrelExprOp::kNot);
    }
  } else if (IsWord(RW::kFalse)) {
    if (!negated) {
      wrap(TKestrelExprOp::kNot);
    }
  } else if (IsWord(RW::kUnknown)) {
    wrap(negated ? TKestrelExprOp::kIsNotNull : TKestrelExprOp::kIsNull);
  } else {
    FailExpected("TRUE, FALSE or UNKNOWN", 30067);
  }
  Next();
  return primary;
}

TKestrelExprNodePtr TKestrelExpressionParser::Primary() {
  if (!Is(TT::tktLeftParenthesis)) {
    return Predicate();
  }
  NextRequired();
  TKestrelExprNodePtr condition = Condition(kBooleanExpected);
  Next();  // the token after the inner condition is skipped as it stands
  return condition;
}

TKestrelExprNodePtr TKestrelExpressionParser::Predicate() {
  // Every alternative but EXISTS starts with an operand and is chosen by
  // the token after it, so the operand is read once.
  const int32_t start = Mark();
  if (TKestrelExprNodePtr constant = BooleanConstant()) {
    // TRUE = active is a comparison, not TRUE followed by ignored tokens.
    if (!StartsOperandPredicate()) {
      return constant;
    }
    Restore(start);
  }
  if (TKestrelExprNodePtr left = Operand()) {
    const TKestrelExprOp comparison = ComparisonOperatorOf(token_);
    if (comparison != TKestrelExprOp::kNone) {
      return Comparison(comparison, std::move(left));
    }
    bool negated = false;
    if (IsWord(RW::kNot)) {
      const TToken next = PeekNext();
      negated = IsReservedWord(next, RW::kLike) || IsReservedWord(next, RW::kBetween) ||
                IsReservedWord(next, RW::kIn);
      if (negated) {
        NextRequired();
      }
    }
    if (IsWord(RW::kLike)) {
      NextRequired();
      TKestrelExprNodePtr pattern = Operand();
      if (!pattern) {
        FailUnexpected(kUnexpectedToken);
      }
      auto node = std::make_unique<TKestrelExprNodeBoolean>(negated ? TKestrelExprOp::kNotLike
                                                                    : TKestrelExprOp::kLike);
      node->AddChild(std::move(left));
      node->AddChild(std::move(pattern));
      return node;
    }
    if (!negated && IsWord(RW::kIs)) {
      const int32_t isAt = Mark();
      NextRequired();
      const bool notNull = IsWord(RW::kNot);
      if (notNull) {
        NextRequired();
      }
      if (IsWord(RW::kNull)) {
        Next();
        auto node = std::make_unique<TKestrelExprNodeBoolean>(notNull ? TKestrelExprOp::kIsNotNull
                                                                      : TKestrelExprOp::kIsNull);
        node->AddChild(std::move(left));
        return node;
      }
      Restore(isAt);
    }
    if (IsWord(RW::kBetween)) {
      NextRequired();
      TKestrelExprNodePtr low = Operand();
      if (!low) {
        FailUnexpected(kUnexpectedToken);
      }
      if (!IsWord(RW::kAnd)) {
        FailExpected("AND", kUnexpectedToken);
      }
      NextRequired();
      TKestrelExprNodePtr high = Operand();
      if (!high) {
        FailUnexpected(kUnexpectedToken);
      }
      auto node = std::make_unique<TKestrelExprNodeBoolean>(
          negated ? TKestrelExprOp::kNotBetween : TKestrelExprOp::kBetween,
          expression_.CaseInsensitive());
      node->AddChild(std::move(left));
      node->AddChild(std::move(low));
      node->AddChild(std::move(high));
      return node;
    }
    if (IsWord(RW::kIn)) {
      NextRequired();
      return InPredicate(std::move(left), negated);
    }
  }
  Restore(start);
  if (IsWord(RW::kNot) && IsReservedWord(PeekNext(), RW::kExists)) {
    NextRequired();
    return Exists(true);
  }
  if (IsWord(RW::kExists)) {
    return Exists(false);
  }
  return nullptr;
}

bool TKestrelExpressionParser::StartsOperandPredicate() const {
  if (ComparisonOperatorOf(token_) != TKestrelExprOp::kNone || IsWord(RW::kLike) ||
      IsWord(RW::kBetween) || IsWord(RW::kIn)) {
    return true;
  }
  const TToken next = PeekNext();
  if (IsWord(RW::kNot)) {
    return IsReservedWord(next, RW::kLike) || IsReservedWord(next, RW::kBetween) ||
           IsReservedWord(next, RW::kIn);
  }
  if (!IsWord(RW::kIs)) {
    return false;
  }
  if (IsReservedWord(next, RW::kNull)) {
    return true;
  }
  // IS NOT NULL: two tokens ahead.
  const auto& tokens = lexer_.Command().Tokens;
  const auto after = static_cast<std::size_t>(lexer_.GetCurrentTokenNo()) + 2;
  return IsReservedWord(next, RW::kNot) && after < tokens.size() &&
         IsReservedWord(tokens[after], RW::kNull);
}

TKestrelExprNodePtr TKestrelExpressionParser::Comparison(TKestrelExprOp op,
                                                         TKestrelExprNodePtr left) {
  NextRequired();
  TKestrelExprNodePtr right = Operand();
  if (!right) {
    FailUnexpected(kUnexpectedToken);
  }
  bool partial = false;
  if (expression_.PartialCompare()) {
    partial = TakePartialMark(left) | TakePartialMark(right);
  }
  auto node = std::make_unique<TKestrelExprNodeComparison>(op, expression_.CaseInsensitive(),
                                                           partial, expression_.SqlNulls());
  node->AddChild(std::move(left));
  node->AddChild(std::move(right));
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::InPredicate(TKestrelExprNodePtr left, bool negated) {
  if (!Is(TT::tktLeftParenthesis)) {
    FailUnexpected(kUnexpectedToken);
  }
  if (IsReservedWord(PeekNext(), RW::kSelect)) {
    auto node = SubqueryNode<TKestrelExprNodeSubQueryIN>();
    node->Negated = negated;
    node->AddChild(std::move(left));
    return node;
  }
  NextRequired();
  auto node = std::make_unique<TKestrelExprNodeBoolean>(
      negated ? TKestrelExprOp::kNotIn : TKestrelExprOp::kIn, expression_.CaseInsensitive());
  node->AddChild(std::move(left));
  while (true) {
    TKestrelExprNodePtr item = Value();
    if (!item) {
      FailUnexpected(kUnexpectedToken);
    }
    node->AddChild(std::move(item));
    if (Is(TT::tktRightParenthesis)) {
      break;
    }
    if (Is(TT::tktComma)) {
      NextRequired();
    }
  }
  Next();
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::Exists(bool negated) {
  NextRequired();
  if (!Is(TT::tktLeftParenthesis) || !IsReservedWord(PeekNext(), RW::kSelect)) {
    FailUnexpected(kUnexpectedToken);
  }
  auto node = SubqueryNode<TKestrelExprNodeSubQueryExists>();
  node->Negated = negated;
  return node;
}

std::string TKestrelExpressionParser::SubqueryText() {
  std::string text;
  int depth = 1;
  bool first = true;
  bool afterDot = false;
  NextRequired();
  while (true) {
    if (Is(TT::tktLeftParenthesis)) {
      ++depth;
    } else if (Is(TT::tktRightParenthesis) && --depth == 0) {
      break;
    }
    const bool dot = Is(TT::tktDot);
    if (!first && !dot && !afterDot) {
      text += ' ';
    }
    text += TokenSql(token_);
    first = false;
    afterDot = dot;
    NextRequired();
  }
  Next();
  return text;
}

template <typename Node>
std::unique_ptr<Node> TKestrelExpressionParser::SubqueryNode() {
  std::string text = SubqueryText();
  std::unique_ptr<TKestrelSubQuery> query;
  if (TKestrelSubQueryRunner* runner = expression_.SubQueryRunner()) {
    TKestrelSubQueryContext context;
    context.DatabaseName = expression_.DatabaseName();
    context.SessionName = expression_.SessionName();
    context.InMemory = expression_.InMemory();
    context.OuterParams = expression_.QueryParams();
    query = runner->CreateSubQuery(text, context);
  }
  return std::make_unique<Node>(std::move(text), std::move(query));
}

template std::unique_ptr<TKestrelExprNodeSubQuery>
TKestrelExpressionParser::SubqueryNode<TKestrelExprNodeSubQuery>();

}  // namespace kestrel
