// The value half of the grammar: operands, arithmetic, strings, the
// functions and the aggregates (see expression_parser.h for the rules).

#include <charconv>
#include <limits>

#include "kestrel/sql/expressions/expression.h"
#include "kestrel/sql/expressions/expression_parser.h"
#include "kestrel/sql/expressions/nodes_aggregate.h"
#include "kestrel/sql/expressions/nodes_arithmetic.h"
#include "kestrel/sql/expressions/nodes_basic.h"
#include "kestrel/sql/expressions/nodes_functions.h"
#include "kestrel/sql/expressions/nodes_subquery.h"
#include "kestrel/sql/string_format.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

using TT = TTokenType;
using RW = TReservedWord;
using ST = TKestrelStorageType;

constexpr int kUnexpectedToken = 30064;

bool IsOperatorText(std::string_view text) {
  return !text.empty() && std::string_view("=<>+-*/|").find(text[0]) != std::string_view::npos;
}

// A word of a column reference: an unquoted name, a bracketed name or a
// reserved word.
bool IsWordToken(const TToken& token) {
  return (token.TokenType == TT::tktString && !IsOperatorText(token.Text)) ||
         token.TokenType == TT::tktBracketedString || token.TokenType == TT::tktReservedWord;
}

// A name where only a name can stand (tables and fields of LASTAUTOINC).
bool IsNameToken(const TToken& token) {
  return (token.TokenType == TT::tktString && !IsOperatorText(token.Text)) ||
         token.TokenType == TT::tktQuotedString || token.TokenType == TT::tktBracketedString;
}

std::unique_ptr<TKestrelExprNodeConst> NullConstant(ST type = ST::kNone) {
  auto node = std::make_unique<TKestrelExprNodeConst>();
  node->Value.Clear(type);
  return node;
}

bool IsDateType(ST type) {
  return type == ST::kDate || type == ST::kTime || type == ST::kDateTime;
}

}  // namespace

TKestrelExprNodePtr TKestrelExpressionParser::ParseValue() {
  return Value();
}

TKestrelExprNodePtr TKestrelExpressionParser::Operand() {
  if (IsWord(RW::kNull)) {
    Next();
    return NullConstant();
  }
  return Value();
}

TKestrelExprNodePtr TKestrelExpressionParser::Value() {
  const NestingGuard guard(*this);
  const int32_t start = Mark();
  if (TKestrelExprNodePtr arithmetic = Arithmetic()) {
    return arithmetic;
  }
  if (TKestrelExprNodePtr text = String()) {
    return text;
  }
  if (IsWord(RW::kToBlob)) {
    return ToBlob();
  }
  if (TKestrelExprNodePtr date = DateValue()) {
    return date;
  }
  if (TKestrelExprNodePtr constant = BooleanConstant()) {
    return constant;
  }
  if (IsWord(RW::kNull)) {
    Next();
    return NullConstant();
  }
  Restore(start);
  return nullptr;
}

TKestrelExprNodePtr TKestrelExpressionParser::Arithmetic() {
  const NestingGuard guard(*this);
  const int32_t start = Mark();
  const auto at = static_cast<std::size_t>(start);
  if (at < arithmeticFails_.size() && arithmeticFails_[at]) {
    return nullptr;
  }
  const auto fail = [&]() -> TKestrelExprNodePtr {
    Restore(start);
    if (arithmeticFails_.size() <= at) {
      arithmeticFails_.resize(at + 1);
    }
    arithmeticFails_[at] = true;
    return nullptr;
  };
  TKestrelExprNodePtr first = Term();
  if (!first) {
    return fail();
  }
  std::unique_ptr<TKestrelExprNodeArithmetic> sum;
  while (IsSymbol("+") || IsSymbol("-")) {
    const bool minus = IsSymbol("-");
    NextRequired();
    TKestrelExprNodePtr term = Term();
    if (!term) {
      return fail();
    }
    if (minus) {
      auto negation = std::make_unique<TKestrelExprNodeArithmetic>(TKestrelExprOp::kNegate);
      negation->AddChild(std::move(term));
      term = std::move(negation);
    }
    if (!sum) {
      sum = std::make_unique<TKestrelExprNodeArithmetic>(TKestrelExprOp::kSum);
      sum->AddChild(std::move(first));
    }
    sum->AddChild(std::move(term));
  }
  if (IsSymbol("||")) {
    return fail();  // read as a concatenation instead
  }
  if (sum) {
    return sum;
  }
  return first;
}

TKestrelExprNodePtr TKestrelExpressionParser::Term() {
  const int32_t start = Mark();
  TKestrelExprNodePtr left = Factor();
  if (!left) {
    return nullptr;
  }
  while (IsSymbol("*") || IsSymbol("/")) {
    auto node = std::make_unique<TKestrelExprNodeArithmetic>(
        IsSymbol("*") ? TKestrelExprOp::kMultiply : TKestrelExprOp::kDivide);
    NextRequired();
    TKestrelExprNodePtr right = Factor();
    if (!right) {
      Restore(start);
      return nullptr;
    }
    node->AddChild(std::move(left));
    node->AddChild(std::move(right));
    left = std::move(node);
  }
  return left;
}

TKestrelExprNodePtr TKestrelExpressionParser::Factor() {
  if (!IsSymbol("+") && !IsSymbol("-")) {
    return ArithmeticPrimary();
  }
  const int32_t start = Mark();
  const bool minus = IsSymbol("-");
  NextRequired();
  TKestrelExprNodePtr primary = ArithmeticPrimary();
  if (!primary) {
    Restore(start);
    return nullptr;
  }
  if (!minus) {
    return primary;
  }
  auto negation = std::make_unique<TKestrelExprNodeArithmetic>(TKestrelExprOp::kNegate);
  negation->AddChild(std::move(primary));
  return negation;
}

TKestrelExprNodePtr TKestrelExpressionParser::ArithmeticPrimary() {
  const int32_t start = Mark();
  if (TKestrelExprNodePtr basic = Basic()) {
    // A text, date or Boolean constant is no number: 'a' + x is a
    // concatenation.
    const auto* constant = dynamic_cast<const TKestrelExprNodeConst*>(basic.get());
    if (constant != nullptr && !constant->Value.IsNull() &&
        !IsNumericStorageType(constant->Value.DataType())) {
      Restore(start);
      return nullptr;
    }
    return basic;
  }
  if (IsWord(RW::kPos) || IsWord(RW::kPosition)) {
    return Pos();
  }
  if (IsWord(RW::kLength)) {
    return Length();
  }
  if (IsWord(RW::kLastAutoInc)) {
    return LastAutoInc();
  }
  return nullptr;
}

TKestrelExprNodePtr TKestrelExpressionParser::Basic() {
  if (TKestrelExprNodePtr number = Number()) {
    return number;
  }
  if (TKestrelExprNodePtr parameter = ParameterConstant(ParamKind::kNullOrNumber)) {
    return parameter;
  }
  if (Is(TT::tktQuotedString)) {
    TKestrelExprNodePtr text = MakeTextConst(token_.Text);
    Next();
    return text;
  }
  if (TKestrelExprNodePtr parameter = ParameterConstant(ParamKind::kStringOrBlob)) {
    return parameter;
  }
  if (TKestrelExprNodePtr column = ColumnReference()) {
    return column;
  }
  if (TKestrelExprNodePtr subquery = ScalarSubquery()) {
    return subquery;
  }
  if (TKestrelExprNodePtr aggregate = Aggregate()) {
    return aggregate;
  }
  if (TKestrelExprNodePtr value = ParenthesizedValue()) {
    return value;
  }
  if (IsWord(RW::kCast)) {
    return Cast();
  }
  return nullptr;
}

TKestrelExprNodePtr TKestrelExpressionParser::Number() {
  if (!Is(TT::tktInt) && !Is(TT::tktFloat)) {
    return nullptr;
  }
  const std::string& text = token_.Text;
  const char* end = text.data() + text.size();
  auto node = std::make_unique<TKestrelExprNodeConst>();
  int64_t integer = 0;
  if (Is(TT::tktInt) && std::from_chars(text.data(), end, integer).ptr == end) {
    // SIGNEDINT32 as written; a literal beyond 32 bits stays exact in 64.
    if (integer >= std::numeric_limits<int32_t>::min() &&
        integer <= std::numeric_limits<int32_t>::max()) {
      const auto value = static_cast<int32_t>(integer);
      node->Value.SetData(&value, 4, true, ST::kSignedInt32);
    } else {
      node->Value.SetData(&integer, 8, true, ST::kSignedInt64);
    }
  } else {
    double real = 0;
    const auto [stop, error] = std::from_chars(text.data(), end, real);
    if (error != std::errc() || stop != end) {
      FailUnexpected(kUnexpectedToken);
    }
    node->Value.SetData(&real, 8, true, ST::kFloat);
  }
  Next();
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::ParameterConstant(ParamKind kind) {
  if (!Is(TT::tktParameter)) {
    return nullptr;
  }
  const TKestrelVariant* value = token_.ParamValue;
  const ST type = value != nullptr ? value->DataType() : ST::kNone;
  const bool isNull = value == nullptr || value->IsNull();
  bool fits = false;
  switch (kind) {
    case ParamKind::kNullOrNumber:
      fits = isNull || IsNumericStorageType(type);
      break;
    case ParamKind::kStringOrBlob:
      fits = !isNull && (IsTextOrMemoType(type) || type == ST::kBlob);
      break;
    case ParamKind::kDate:
      fits = !isNull && IsDateType(type);
      break;
    case ParamKind::kBoolean:
      fits = !isNull && type == ST::kLogical;
      break;
  }
  if (!fits) {
    return nullptr;
  }
  auto node = isNull ? NullConstant(type) : std::make_unique<TKestrelExprNodeConst>(*value);
  Next();
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::BooleanConstant() {
  if (IsWord(RW::kTrue) || IsWord(RW::kFalse)) {
    auto node = std::make_unique<TKestrelExprNodeConst>();
    node->Value.SetAsBoolean(IsWord(RW::kTrue));
    Next();
    return node;
  }
  return ParameterConstant(ParamKind::kBoolean);
}

TKestrelExprNodePtr TKestrelExpressionParser::ColumnReference() {
  if (!IsWordToken(token_)) {
    return nullptr;
  }
  const int32_t start = Mark();
  std::string tableName;
  TToken column = token_;
  if (PeekNext().TokenType == TT::tktDot) {
    tableName = token_.Text;
    NextRequired();
    NextRequired();
    column = token_;
  }
  // The column word is no reserved word and no function name.
  if (!IsWordToken(column) || column.TokenType == TT::tktReservedWord ||
      PeekNext().TokenType == TT::tktLeftParenthesis) {
    Restore(start);
    return nullptr;
  }
  Next();
  return std::make_unique<TKestrelExprNodeField>(std::move(tableName), column.Text);
}

TKestrelExprNodePtr TKestrelExpressionParser::ScalarSubquery() {
  if (!Is(TT::tktLeftParenthesis) || !IsReservedWord(PeekNext(), RW::kSelect)) {
    return nullptr;
  }
  return SubqueryNode<TKestrelExprNodeSubQuery>();
}

TKestrelExprNodePtr TKestrelExpressionParser::Aggregate() {
  TKestrelExprOp op = TKestrelExprOp::kNone;
  if (IsWord(RW::kCount)) {
    op = TKestrelExprOp::kAggCount;
  } else if (IsWord(RW::kSum)) {
    op = TKestrelExprOp::kAggSum;
  } else if (IsWord(RW::kAvg)) {
    op = TKestrelExprOp::kAggAvg;
  } else if (IsWord(RW::kMin)) {
    op = TKestrelExprOp::kAggMin;
  } else if (IsWord(RW::kMax)) {
    op = TKestrelExprOp::kAggMax;
  } else {
    return nullptr;
  }
  const std::string name(ReservedWordText(token_.ReservedWord));
  NextRequired();
  if (op == TKestrelExprOp::kAggCount && Is(TT::tktLeftParenthesis)) {
    const TToken next = PeekNext();
    if (next.TokenType == TT::tktString && next.Text == "*") {
      NextRequired();
      NextRequired();
      Expect(")", TT::tktRightParenthesis, 30073);
      Next();
      return std::make_unique<TKestrelExprNodeAggregated>(TKestrelExprOp::kAggCountAll, false,
                                                          expression_.TemporaryDatabase());
    }
  }
  bool distinct = IsWord(RW::kDistinct);
  if (distinct) {
    NextRequired();
  }
  Expect("(", TT::tktLeftParenthesis, 30074);
  NextRequired();
  if (IsWord(RW::kDistinct)) {
    distinct = true;
    NextRequired();
  }
  TKestrelExprNodePtr argument = Value();
  if (!argument) {
    throw EKestrelException("Argument expected for function '%s' at line %d, column %d",
                            {name, token_.LineNum, token_.ColumnNum}, 30102);
  }
  Expect(")", TT::tktRightParenthesis, 30075);
  Next();
  auto node =
      std::make_unique<TKestrelExprNodeAggregated>(op, distinct, expression_.TemporaryDatabase());
  node->AddChild(std::move(argument));
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::ParenthesizedValue() {
  if (!Is(TT::tktLeftParenthesis)) {
    return nullptr;
  }
  const int32_t start = Mark();
  NextRequired();
  TKestrelExprNodePtr value = Value();
  if (!value) {
    Restore(start);
    return nullptr;
  }
  Expect(")", TT::tktRightParenthesis, 30071);
  Next();
  return value;
}

TKestrelExprNodePtr TKestrelExpressionParser::Cast() {
  NextRequired();
  if (!Is(TT::tktLeftParenthesis)) {
    FailUnexpected(kUnexpectedToken);
  }
  NextRequired();
  TKestrelExprNodePtr operand = Operand();
  if (!operand) {
    FailUnexpected(kUnexpectedToken);
  }
  if (!IsWord(RW::kAs) && !Is(TT::tktComma)) {
    FailExpected("AS", kUnexpectedToken);
  }
  NextRequired();
  const TSQLFieldType* type = FindSQLFieldType(token_.Text);
  if (type == nullptr || Is(TT::tktQuotedString)) {
    throw EKestrelException("Cannot convert an expression to specified type: '%s'", {token_.Text},
                            30077);
  }
  const auto code = static_cast<int>(type->dataType);
  if (!((code >= 1 && code <= 12) || (code >= 20 && code <= 28))) {
    throw EKestrelException("Cannot convert an expression to specified type: '%s'",
                            {DataTypeName(type->dataType)}, 30077);
  }
  NextRequired();
  Expect(")", TT::tktRightParenthesis, 30076);
  Next();
  auto node = std::make_unique<TKestrelExprNodeCast>(type->dataType);
  node->AddChild(std::move(operand));
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::Pos() {
  NextRequired();
  Expect("(", TT::tktLeftParenthesis, 30078);
  NextRequired();
  TKestrelExprNodePtr sub = String();
  if (!sub) {
    FailExpected("string", 30079);
  }
  if (!Is(TT::tktComma) && !IsWord(RW::kIn)) {
    FailExpected(",' or 'IN", 30080);
  }
  NextRequired();
  TKestrelExprNodePtr text = String();
  if (!text) {
    FailExpected("string", 30081);
  }
  Expect(")", TT::tktRightParenthesis, 30082);
  Next();
  auto node = std::make_unique<TKestrelExprNodeStringFunction>(TKestrelExprOp::kPos);
  node->AddChild(std::move(sub));
  node->AddChild(std::move(text));
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::Length() {
  NextRequired();
  Expect("(", TT::tktLeftParenthesis, 30083);
  NextRequired();
  TKestrelExprNodePtr text = String();
  if (!text) {
    FailExpected("string", 30085);
  }
  Expect(")", TT::tktRightParenthesis, 30084);
  Next();
  auto node = std::make_unique<TKestrelExprNodeStringFunction>(TKestrelExprOp::kLength);
  node->AddChild(std::move(text));
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::LastAutoInc() {
  NextRequired();
  Expect("(", TT::tktLeftParenthesis, 30086);
  NextRequired();
  const bool memory = IsWord(RW::kMemory);
  if (memory) {
    NextRequired();
  }
  if (!IsNameToken(token_)) {
    FailUnexpected(kUnexpectedToken);
  }
  std::string tableName = token_.Text;
  NextRequired();
  Expect(",", TT::tktComma, 30334);
  NextRequired();
  if (!IsNameToken(token_)) {
    FailUnexpected(kUnexpectedToken);
  }
  std::string fieldName = token_.Text;
  NextRequired();
  Expect(")", TT::tktRightParenthesis, 30089);
  TKestrelTableOpener* opener = expression_.TableOpener();
  if (opener == nullptr) {
    throw EKestrelException("LASTAUTOINC is not available: no table access is installed", 30336);
  }
  std::unique_ptr<TKestrelOpenedTable> table =
      opener->OpenReadOnly(expression_.DatabaseName(), expression_.SessionName(), tableName,
                           memory || expression_.InMemory());
  int32_t fieldNo = -1;
  TKestrelDataType dataType = TKestrelDataType::kNone;
  if (!table->FindField(fieldName, fieldNo, dataType)) {
    throw EKestrelException("Field '%s' not found", {fieldName}, 30337);
  }
  Next();
  return std::make_unique<TKestrelExprNodeSystem>(std::move(tableName), std::move(fieldName),
                                                  std::move(table), fieldNo, dataType);
}

TKestrelExprNodePtr TKestrelExpressionParser::String() {
  const NestingGuard guard(*this);
  const int32_t start = Mark();
  TKestrelExprNodePtr first = StringOperand();
  if (!first || (!IsSymbol("||") && !IsSymbol("+"))) {
    return first;
  }
  auto node = std::make_unique<TKestrelExprNodeStringFunction>(TKestrelExprOp::kConcat);
  node->AddChild(std::move(first));
  while (IsSymbol("||") || IsSymbol("+")) {
    NextRequired();
    TKestrelExprNodePtr operand = StringOperand();
    if (!operand) {
      Restore(start);
      return nullptr;
    }
    node->AddChild(std::move(operand));
  }
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::StringOperand() {
  if (TKestrelExprNodePtr basic = Basic()) {
    return basic;
  }
  if (IsWord(RW::kUpper) || IsWord(RW::kLower) || IsWord(RW::kTrim) || IsWord(RW::kLTrim) ||
      IsWord(RW::kRTrim)) {
    return CaseFunction();
  }
  if (IsWord(RW::kSubstring)) {
    return Substring();
  }
  if (IsWord(RW::kToString)) {
    return ToString();
  }
  return nullptr;
}

TKestrelExprNodePtr TKestrelExpressionParser::CaseFunction() {
  TKestrelExprOp op = TKestrelExprOp::kRTrim;
  if (IsWord(RW::kUpper)) {
    op = TKestrelExprOp::kUpper;
  } else if (IsWord(RW::kLower)) {
    op = TKestrelExprOp::kLower;
  } else if (IsWord(RW::kTrim)) {
    op = TKestrelExprOp::kTrim;
  } else if (IsWord(RW::kLTrim)) {
    op = TKestrelExprOp::kLTrim;
  }
  const std::string name(ReservedWordText(token_.ReservedWord));
  NextRequired();
  Expect("(", TT::tktLeftParenthesis, 30090);
  NextRequired();
  TKestrelExprNodePtr argument = String();
  if (!argument) {
    throw EKestrelException(
        "String argument expected for function '%s', but '%s' found at line %d, column %d",
        {name, token_.Text, token_.LineNum, token_.ColumnNum}, 30092);
  }
  Expect(")", TT::tktRightParenthesis, 30091);
  Next();
  auto node = std::make_unique<TKestrelExprNodeStringFunction>(op);
  node->AddChild(std::move(argument));
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::Substring() {
  NextRequired();
  Expect("(", TT::tktLeftParenthesis, 30098);
  NextRequired();
  auto node = std::make_unique<TKestrelExprNodeStringFunction>(TKestrelExprOp::kSubstring);
  TKestrelExprNodePtr text = String();
  if (!text) {
    FailExpected("string", 30099);
  }
  node->AddChild(std::move(text));
  if (!Is(TT::tktComma) && !IsWord(RW::kFrom)) {
    FailExpected(",' or 'from", 30100);
  }
  NextRequired();
  TKestrelExprNodePtr start = Arithmetic();
  if (!start) {
    FailExpected("number", 30101);
  }
  node->AddChild(std::move(start));
  if (Is(TT::tktComma) || IsWord(RW::kFor)) {
    NextRequired();
    TKestrelExprNodePtr length = Arithmetic();
    if (!length) {
      FailExpected("number", 30101);
    }
    node->AddChild(std::move(length));
    Expect(")", TT::tktRightParenthesis, 30104);
  } else if (!Is(TT::tktRightParenthesis)) {
    FailExpected(")' or ',' or 'FOR", 30103);
  }
  Next();
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::ToString() {
  NextRequired();
  Expect("(", TT::tktLeftParenthesis, 30093);
  NextRequired();
  TKestrelExprNodePtr value = Value();
  if (!value) {
    FailExpected("value", 30094);
  }
  Expect(",", TT::tktComma, 30095);
  NextRequired();
  if (!Is(TT::tktQuotedString)) {
    Fail("Const DateFormat string expected, but '%s' found at line %d, column %d", 30096);
  }
  auto node =
      std::make_unique<TKestrelExprNodeDateFunction>(TKestrelExprOp::kToString, token_.Text);
  NextRequired();
  Expect(")", TT::tktRightParenthesis, 30097);
  Next();
  node->AddChild(std::move(value));
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::DateValue() {
  TKestrelExprOp op = TKestrelExprOp::kNone;
  if (IsWord(RW::kSysDate) || IsWord(RW::kNow) || IsWord(RW::kCurrentTimestamp)) {
    op = TKestrelExprOp::kCurrentDateTime;
  } else if (IsWord(RW::kCurrentDate)) {
    op = TKestrelExprOp::kCurrentDate;
  } else if (IsWord(RW::kCurrentTime)) {
    op = TKestrelExprOp::kCurrentTime;
  } else if (IsWord(RW::kToDate)) {
    return ToDate();
  } else {
    return ParameterConstant(ParamKind::kDate);
  }
  Next();
  return std::make_unique<TKestrelExprNodeDateFunction>(op, std::string_view());
}

TKestrelExprNodePtr TKestrelExpressionParser::ToDate() {
  NextRequired();
  Expect("(", TT::tktLeftParenthesis, 30105);
  NextRequired();
  TKestrelExprNodePtr text = String();
  if (!text) {
    throw EKestrelException("Argument expected for function '%s' at line %d, column %d",
                            {"ToDate", token_.LineNum, token_.ColumnNum}, 30107);
  }
  Expect(",", TT::tktComma, 30108);
  NextRequired();
  if (!Is(TT::tktQuotedString)) {
    Fail("Const DateFormat string expected, but '%s' found at line %d, column %d", 30109);
  }
  auto node = std::make_unique<TKestrelExprNodeDateFunction>(TKestrelExprOp::kToDate, token_.Text);
  NextRequired();
  Expect(")", TT::tktRightParenthesis, 30106);
  Next();
  node->AddChild(std::move(text));
  return node;
}

TKestrelExprNodePtr TKestrelExpressionParser::ToBlob() {
  NextRequired();
  Expect("(", TT::tktLeftParenthesis, 11345);
  NextRequired();
  if (!Is(TT::tktQuotedString)) {
    Fail("Const BLOB value as quoted string expected, but '%s' found at line %d, column %d", 11346);
  }
  const std::string text = token_.Text;
  NextRequired();
  int format = 0;  // 0 MIME64, 1 HEX
  if (Is(TT::tktComma)) {
    NextRequired();
    if (IsWord(RW::kHex)) {
      format = 1;
    } else if (!IsWord(RW::kMime64)) {
      Fail("BLOB value format expected, but '%s' found at line %d, column %d", 11347);
    }
    NextRequired();
  }
  Expect(")", TT::tktRightParenthesis, 11348);
  TByteBuffer bytes;
  try {
    bytes = DecodeBlobLiteral(text, format == 1 ? kHexFormatId : kMime64FormatId);
  } catch (const EStringFormat&) {
    throw EKestrelException("Error - cannot convert BLOB value \"%s\", format = %d", {text, format},
                            11344);
  }
  Next();
  TKestrelVariant value(ST::kBlob);
  if (!bytes.empty()) {
    value.SetData(bytes.data(), static_cast<int32_t>(bytes.size()), true, ST::kBlob);
  }
  return std::make_unique<TKestrelExprNodeBLOBFunction>(value);
}

}  // namespace kestrel
