#pragma once
// TKestrelExpression: one parsed value expression or search condition, as a
// tree of nodes (expr_node.h), evaluated against the current row of a
// relational operator or a record of a cursor.
//
// Life of an expression: its settings are copied from the query (or the
// dataset) first; then it parses from a lexer (ParseCondition, ParseValue)
// or a filter text (ParseFilter), or is built for a key lookup
// (BuildLookup); it is bound to a cursor (before parsing: the tree is bound
// and prepared when parsed) or to an operator (BindToOperator); then it is
// evaluated row by row. A failed evaluation leaves it intact.
//
// Statements split conditions over their operators (DistributeTo), take
// join keys out of them (ExtractJoinTerms) and let them use select-list
// pseudonyms (ResolvePseudonyms).
//
// The grammar is in expression_parser.h.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kestrel/sql/expressions/column_source.h"
#include "kestrel/sql/expressions/expr_node.h"
#include "kestrel/sql/expressions/query_services.h"
#include "kestrel/sql/lexer/kestrel_lexer.h"

namespace kestrel {

class TKestrelDatabaseData;
struct TKestrelSelectListItem;
// An ordered list of select-list items (select_list.h): select lists, key
// and grouping column lists.
using TKestrelFields = std::vector<TKestrelSelectListItem>;

class TKestrelExpression {
 public:
  TKestrelExpression();
  ~TKestrelExpression();
  TKestrelExpression(const TKestrelExpression&) = delete;
  TKestrelExpression& operator=(const TKestrelExpression&) = delete;

  // Options of the comparisons built while parsing: ignoring letter case,
  // prefix comparison of string constants ending in "*", and the NULL
  // semantics (SqlNulls true for statements, false for key lookups).
  bool CaseInsensitive() const { return caseInsensitive_; }
  void SetCaseInsensitive(bool value) { caseInsensitive_ = value; }
  bool PartialCompare() const { return partialCompare_; }
  void SetPartialCompare(bool value) { partialCompare_ = value; }
  bool SqlNulls() const { return sqlNulls_; }
  void SetSqlNulls(bool value) { sqlNulls_ = value; }

  // Copied from the query before parsing; subqueries and LASTAUTOINC use
  // them. The parameter list is not owned.
  bool InMemory() const { return inMemory_; }
  void SetInMemory(bool value) { inMemory_ = value; }
  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(std::string value) { databaseName_ = std::move(value); }
  const std::string& SessionName() const { return sessionName_; }
  void SetSessionName(std::string value) { sessionName_ = std::move(value); }
  const TKestrelSQLParams* QueryParams() const { return queryParams_; }
  void SetQueryParams(const TKestrelSQLParams* value) { queryParams_ = value; }

  // The services beyond the tree (query_services.h), not owned. The
  // temporary database holds the tables of DISTINCT aggregates; without one
  // each such aggregate keeps a database of its own.
  TKestrelSubQueryRunner* SubQueryRunner() const { return subQueryRunner_; }
  void SetSubQueryRunner(TKestrelSubQueryRunner* value) { subQueryRunner_ = value; }
  TKestrelTableOpener* TableOpener() const { return tableOpener_; }
  void SetTableOpener(TKestrelTableOpener* value) { tableOpener_ = value; }
  TKestrelDatabaseData* TemporaryDatabase() const { return temporaryDatabase_; }
  void SetTemporaryDatabase(TKestrelDatabaseData* value) { temporaryDatabase_ = value; }

  // Takes every option, setting and service above from another expression.
  void CopySettings(const TKestrelExpression& other);

  // Parses a search condition from the lexer's current token; the lexer's
  // cursor ends on the first token after it. No token: "Unexpected end of
  // SQL command found at line %d, column %d" (30118). Nested ANDs directly
  // under a top-level AND are merged into it. Bound to a cursor, the tree is
  // bound and prepared.
  void ParseCondition(TKestrelLexer& lexer);
  // Parses a value expression likewise (no token: 30136); when nothing
  // parses the expression stays empty and the cursor where it was.
  void ParseValue(TKestrelLexer& lexer);
  // Binds to the cursor, sets the options, lexes text without parameters and
  // parses one condition: "Blank SQL command" (30119) for a text without a
  // statement; tokens after the condition are refused ("Unexpected token
  // '%s' found at line %d, column %d", 30064).
  void ParseFilter(TKestrelColumnSource* cursor, std::string_view text, bool partialCompare,
                   bool caseInsensitive);
  // A key lookup: binds to the cursor with SqlNulls false; fieldNames is
  // split at ";" into trimmed names, each compared "=" with its key value
  // (converted to the field's type when it converts), several joined by AND
  // in order. "Count of FieldNames (%d) not equal counts of KeyValues (%d)"
  // (30112) when the counts differ.
  void BuildLookup(TKestrelColumnSource* cursor, std::string_view fieldNames,
                   std::span<const TKestrelVariant> keyValues, bool partialCompare,
                   bool caseInsensitive);

  // The value, or null for an empty expression; a NULL result is FALSE
  // unless keepNull.
  const TKestrelVariant* Evaluate(bool keepNull = false);
  // NULL counts as false; an empty expression raises "Value is Null"
  // (30110).
  bool EvaluateCondition();

  bool IsEmpty() const { return root_ == nullptr; }
  // The root is a column reference.
  bool IsSingleField() const;
  // "Node is not field" (30198) unless IsSingleField.
  void GetFieldName(std::string& tableName, std::string& fieldName) const;
  bool HasAggregate() const;
  void ResetAggregate();
  void Accumulate();
  TKestrelDataType GetDataType() const;
  int32_t GetDataSize() const;

  void BindToOperator(TKestrelExpressionOperator& op);
  // No cursor: "Value is Null" (30202).
  void BindToCursor(TKestrelColumnSource* cursor);
  void SetRecordBuffer(const uint8_t* buffer);
  TKestrelColumnSource* Cursor() const { return cursor_; }

  // Moves what the operator tree can evaluate to the lowest operators that
  // can: first (unless havingPass) into the inputs, recursively (both
  // inputs of an inner or cross join or of a non-join operator, only the
  // left of a LEFT join, only the right of a RIGHT join, neither of a FULL
  // join), then the terms of a root AND (or the root as a whole) that the
  // operator can evaluate, given to it as its condition.
  void DistributeTo(TKestrelExpressionOperator& op, bool havingPass);
  // Takes out the "=" comparisons of two columns from different sides among
  // the terms of a root AND (or a root comparison): the first column goes to
  // rightKeys, the second to leftKeys. Returns the number taken.
  int ExtractJoinTerms(const TKestrelExpressionOperator& left,
                       const TKestrelExpressionOperator& right, TKestrelFields& leftKeys,
                       TKestrelFields& rightKeys);
  void ResolvePseudonyms(const TKestrelFields& selectList);
  bool CanEvaluateOn(const TKestrelExpressionOperator& op) const;
  // Joins another condition to this one: this AND other (an empty side
  // gives the other).
  void AndWith(std::unique_ptr<TKestrelExpression> other);

  TKestrelExprNode* Root() const { return root_.get(); }
  void SetRoot(TKestrelExprNodePtr root) { root_ = std::move(root); }
  TKestrelExprNodePtr ReleaseRoot() { return std::move(root_); }

 private:
  // A new expression with this one's settings holding root.
  std::unique_ptr<TKestrelExpression> WithRoot(TKestrelExprNodePtr root) const;
  void BindAndPrepare();

  TKestrelExprNodePtr root_;
  TKestrelColumnSource* cursor_ = nullptr;
  bool caseInsensitive_ = false;
  bool partialCompare_ = false;
  bool sqlNulls_ = true;
  bool inMemory_ = false;
  std::string databaseName_;
  std::string sessionName_;
  const TKestrelSQLParams* queryParams_ = nullptr;
  TKestrelSubQueryRunner* subQueryRunner_ = nullptr;
  TKestrelTableOpener* tableOpener_ = nullptr;
  TKestrelDatabaseData* temporaryDatabase_ = nullptr;
  TKestrelVariant falseValue_;
};

}  // namespace kestrel
