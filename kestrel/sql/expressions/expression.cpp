#include "kestrel/sql/expressions/expression.h"

#include "kestrel/sql/expressions/expression_parser.h"
#include "kestrel/sql/expressions/nodes_basic.h"
#include "kestrel/sql/expressions/nodes_boolean.h"
#include "kestrel/sql/expressions/select_list.h"
#include "kestrel/storage/kestrel_exception.h"
#include "platform/text.h"

namespace kestrel {
namespace {

bool IsAnd(const TKestrelExprNode* node) {
  return node != nullptr && node->Operator == TKestrelExprOp::kAnd &&
         dynamic_cast<const TKestrelExprNodeBoolean*>(node) != nullptr;
}

// "Unexpected end of SQL command" at the last token of the statement, for a
// parse that starts with no token left.
[[noreturn]] void ThrowNothingToParse(const TKestrelLexer& lexer, int code) {
  const std::vector<TToken>& tokens = lexer.Command().Tokens;
  const int32_t line = tokens.empty() ? 0 : tokens.back().LineNum;
  const int32_t column = tokens.empty() ? 0 : tokens.back().ColumnNum;
  throw EKestrelException("Unexpected end of SQL command found at line %d, column %d",
                          {line, column}, code);
}

[[noreturn]] void ThrowUnexpectedToken(const TToken& token) {
  throw EKestrelException("Unexpected token '%s' found at line %d, column %d",
                          {token.Text, token.LineNum, token.ColumnNum}, 30064);
}

}  // namespace

TKestrelExpression::TKestrelExpression() {
  falseValue_.SetAsBoolean(false);
}

TKestrelExpression::~TKestrelExpression() = default;

void TKestrelExpression::CopySettings(const TKestrelExpression& other) {
  caseInsensitive_ = other.caseInsensitive_;
  partialCompare_ = other.partialCompare_;
  sqlNulls_ = other.sqlNulls_;
  inMemory_ = other.inMemory_;
  databaseName_ = other.databaseName_;
  sessionName_ = other.sessionName_;
  queryParams_ = other.queryParams_;
  subQueryRunner_ = other.subQueryRunner_;
  tableOpener_ = other.tableOpener_;
  temporaryDatabase_ = other.temporaryDatabase_;
}

std::unique_ptr<TKestrelExpression> TKestrelExpression::WithRoot(TKestrelExprNodePtr root) const {
  auto expression = std::make_unique<TKestrelExpression>();
  expression->CopySettings(*this);
  expression->root_ = std::move(root);
  return expression;
}

void TKestrelExpression::BindAndPrepare() {
  if (cursor_ != nullptr && root_ != nullptr) {
    root_->BindToCursor(*cursor_);
    root_->Prepare();
  }
}

void TKestrelExpression::ParseCondition(TKestrelLexer& lexer) {
  root_.reset();
  TToken token;
  if (!lexer.GetCurrentToken(token)) {
    ThrowNothingToParse(lexer, 30118);
  }
  TKestrelExpressionParser parser(*this, lexer);
  root_ = parser.ParseCondition();
  BindAndPrepare();
}

void TKestrelExpression::ParseValue(TKestrelLexer& lexer) {
  root_.reset();
  TToken token;
  if (!lexer.GetCurrentToken(token)) {
    ThrowNothingToParse(lexer, 30136);
  }
  TKestrelExpressionParser parser(*this, lexer);
  root_ = parser.ParseValue();
  BindAndPrepare();
}

void TKestrelExpression::ParseFilter(TKestrelColumnSource* cursor, std::string_view text,
                                     bool partialCompare, bool caseInsensitive) {
  BindToCursor(cursor);
  partialCompare_ = partialCompare;
  caseInsensitive_ = caseInsensitive;
  TKestrelLexer lexer{std::string(text), nullptr};
  if (!lexer.NextStatement()) {
    throw EKestrelException("Blank SQL command", 30119);
  }
  ParseCondition(lexer);
  // A filter is one condition: what follows it would silently be dropped.
  TToken rest;
  if (lexer.GetCurrentToken(rest) || (lexer.NextStatement() && lexer.GetCurrentToken(rest))) {
    root_.reset();
    ThrowUnexpectedToken(rest);
  }
}

void TKestrelExpression::BuildLookup(TKestrelColumnSource* cursor, std::string_view fieldNames,
                                     std::span<const TKestrelVariant> keyValues,
                                     bool partialCompare, bool caseInsensitive) {
  root_.reset();
  BindToCursor(cursor);
  sqlNulls_ = false;
  partialCompare_ = partialCompare;
  caseInsensitive_ = caseInsensitive;
  std::vector<std::string> names;
  std::size_t from = 0;
  while (from <= fieldNames.size()) {
    const std::size_t to = std::min(fieldNames.find(';', from), fieldNames.size());
    const std::string_view name = platform::Trim(fieldNames.substr(from, to - from));
    if (!name.empty()) {
      names.push_back(platform::UpperCase(name));
    }
    from = to + 1;
  }
  if (names.size() != keyValues.size()) {
    throw EKestrelException(
        "Count of FieldNames (%d) not equal counts of KeyValues (%d)",
        {static_cast<int64_t>(names.size()), static_cast<int64_t>(keyValues.size())}, 30112);
  }
  std::vector<TKestrelExprNodePtr> comparisons;
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto field = std::make_unique<TKestrelExprNodeField>(std::string(), names[i]);
    field->BindToCursor(*cursor_);
    auto key = std::make_unique<TKestrelExprNodeConst>(keyValues[i]);
    // The key in the field's own type, when it converts: "1.5" finds 1.5.
    const TKestrelStorageType fieldType = field->Binding().StorageType;
    if (!key->Value.IsNull() && key->Value.DataType() != fieldType &&
        !IsBlobStorageType(fieldType)) {
      TKestrelVariant converted = key->Value;
      try {
        converted.ConvertTo(fieldType);
        key->Value = std::move(converted);
      } catch (const std::exception&) {
        // Compared as it is, in the two types' common type.
      }
    }
    auto comparison = std::make_unique<TKestrelExprNodeComparison>(
        TKestrelExprOp::kEqual, caseInsensitive, partialCompare, false);
    comparison->AddChild(std::move(field));
    comparison->AddChild(std::move(key));
    comparisons.push_back(std::move(comparison));
  }
  if (comparisons.size() == 1) {
    root_ = std::move(comparisons.front());
  } else if (!comparisons.empty()) {
    auto node = std::make_unique<TKestrelExprNodeBoolean>(TKestrelExprOp::kAnd);
    node->Children = std::move(comparisons);
    root_ = std::move(node);
  }
  BindAndPrepare();
}

const TKestrelVariant* TKestrelExpression::Evaluate(bool keepNull) {
  if (root_ == nullptr) {
    return nullptr;
  }
  const TKestrelVariant& value = root_->Evaluate();
  if (value.IsNull() && !keepNull) {
    return &falseValue_;
  }
  return &value;
}

bool TKestrelExpression::EvaluateCondition() {
  if (root_ == nullptr) {
    throw EKestrelException("Value is Null", 30110);
  }
  return root_->EvaluateTruth() == TKestrelTruth::kTrue;
}

bool TKestrelExpression::IsSingleField() const {
  return dynamic_cast<const TKestrelExprNodeField*>(root_.get()) != nullptr;
}

void TKestrelExpression::GetFieldName(std::string& tableName, std::string& fieldName) const {
  const auto* field = dynamic_cast<const TKestrelExprNodeField*>(root_.get());
  if (field == nullptr) {
    throw EKestrelException("Node is not field", 30198);
  }
  tableName = field->TableName;
  fieldName = field->FieldName;
}

bool TKestrelExpression::HasAggregate() const {
  return root_ != nullptr && root_->HasAggregate();
}

void TKestrelExpression::ResetAggregate() {
  if (root_ != nullptr) {
    root_->ResetAggregate();
  }
}

void TKestrelExpression::Accumulate() {
  if (root_ != nullptr) {
    root_->Accumulate();
  }
}

TKestrelDataType TKestrelExpression::GetDataType() const {
  return root_ != nullptr ? root_->GetDataType() : TKestrelDataType::kNone;
}

int32_t TKestrelExpression::GetDataSize() const {
  return root_ != nullptr ? root_->GetDataSize() : 0;
}

void TKestrelExpression::BindToOperator(TKestrelExpressionOperator& op) {
  cursor_ = nullptr;
  if (root_ != nullptr) {
    root_->BindToOperator(op);
  }
}

void TKestrelExpression::BindToCursor(TKestrelColumnSource* cursor) {
  if (cursor == nullptr) {
    throw EKestrelException("Value is Null", 30202);
  }
  cursor_ = cursor;
  BindAndPrepare();
}

void TKestrelExpression::SetRecordBuffer(const uint8_t* buffer) {
  if (root_ != nullptr) {
    root_->SetRecordBuffer(buffer);
  }
}

void TKestrelExpression::DistributeTo(TKestrelExpressionOperator& op, bool havingPass) {
  if (root_ == nullptr) {
    return;
  }
  if (!havingPass) {
    const TKestrelJoinKind kind = op.JoinKind();
    const bool intoLeft =
        kind != TKestrelJoinKind::kRightOuter && kind != TKestrelJoinKind::kFullOuter;
    const bool intoRight =
        kind != TKestrelJoinKind::kLeftOuter && kind != TKestrelJoinKind::kFullOuter;
    if (TKestrelExpressionOperator* left = op.Left(); left != nullptr && intoLeft) {
      DistributeTo(*left, false);
    }
    if (TKestrelExpressionOperator* right = op.Right(); right != nullptr && intoRight) {
      DistributeTo(*right, false);
    }
    if (root_ == nullptr) {
      return;
    }
  }
  if (!IsAnd(root_.get())) {
    if (root_->CanEvaluateOn(op)) {
      op.AttachCondition(WithRoot(std::move(root_)));
    }
    return;
  }
  std::vector<TKestrelExprNodePtr> taken;
  std::vector<TKestrelExprNodePtr> kept;
  for (TKestrelExprNodePtr& term : root_->Children) {
    (term->CanEvaluateOn(op) ? taken : kept).push_back(std::move(term));
  }
  root_->Children = std::move(kept);
  if (!taken.empty()) {
    TKestrelExprNodePtr condition;
    if (taken.size() == 1) {
      condition = std::move(taken.front());
    } else {
      condition = std::make_unique<TKestrelExprNodeBoolean>(TKestrelExprOp::kAnd);
      condition->Children = std::move(taken);
    }
    op.AttachCondition(WithRoot(std::move(condition)));
  }
  if (root_->Children.empty()) {
    root_.reset();
  }
}

int TKestrelExpression::ExtractJoinTerms(const TKestrelExpressionOperator& left,
                                         const TKestrelExpressionOperator& right,
                                         TKestrelFields& leftKeys, TKestrelFields& rightKeys) {
  if (root_ == nullptr) {
    return 0;
  }
  const auto take = [&](const TKestrelExprNode& term) {
    const auto& first = static_cast<const TKestrelExprNodeField&>(term.Child(0));
    const auto& second = static_cast<const TKestrelExprNodeField&>(term.Child(1));
    rightKeys.push_back(ColumnItem(first.TableName, first.FieldName));
    leftKeys.push_back(ColumnItem(second.TableName, second.FieldName));
  };
  if (!IsAnd(root_.get())) {
    if (root_->IsJoinTerm(left, right)) {
      take(*root_);
      root_.reset();
      return 1;
    }
    return 0;
  }
  int count = 0;
  std::vector<TKestrelExprNodePtr> kept;
  for (TKestrelExprNodePtr& term : root_->Children) {
    if (term->IsJoinTerm(left, right)) {
      take(*term);
      ++count;
    } else {
      kept.push_back(std::move(term));
    }
  }
  root_->Children = std::move(kept);
  if (root_->Children.empty()) {
    root_.reset();
  }
  return count;
}

void TKestrelExpression::ResolvePseudonyms(const TKestrelFields& selectList) {
  if (root_ != nullptr) {
    root_->ResolvePseudonyms(selectList);
  }
}

bool TKestrelExpression::CanEvaluateOn(const TKestrelExpressionOperator& op) const {
  return root_ == nullptr || root_->CanEvaluateOn(op);
}

void TKestrelExpression::AndWith(std::unique_ptr<TKestrelExpression> other) {
  if (other == nullptr || other->IsEmpty()) {
    return;
  }
  TKestrelExprNodePtr added = other->ReleaseRoot();
  if (root_ == nullptr) {
    root_ = std::move(added);
    return;
  }
  if (!IsAnd(root_.get())) {
    auto node = std::make_unique<TKestrelExprNodeBoolean>(TKestrelExprOp::kAnd);
    node->AddChild(std::move(root_));
    root_ = std::move(node);
  }
  if (IsAnd(added.get())) {
    for (TKestrelExprNodePtr& term : added->Children) {
      root_->AddChild(std::move(term));
    }
  } else {
    root_->AddChild(std::move(added));
  }
}

TKestrelSelectListItem ColumnItem(std::string tableName, std::string fieldName) {
  TKestrelSelectListItem item;
  item.TableName = std::move(tableName);
  item.FieldName = std::move(fieldName);
  return item;
}

}  // namespace kestrel
