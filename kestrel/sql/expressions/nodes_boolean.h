#pragma once
// Comparisons (operators 1 to 6) and the Boolean nodes (7 to 17).
//
// A comparison is always TRUE or FALSE. With SqlNulls (statements) a NULL
// side makes =, <, >, <= and >= false and <> true; without it (key
// lookups) NULL sorts before every value and equals NULL. Strings compare by
// the locale's collation, case-insensitively and as a prefix when the node
// says so.
//
// When both sides' storage types are known once bound (columns, constants,
// typed arithmetic), integer and double comparisons read the operands'
// bytes directly; any other pair goes through the value comparison.
//
// NOT, AND and OR are three-valued: AND is false when any operand is false
// (it stops there), else NULL when any is NULL; OR likewise with true. IN,
// BETWEEN and LIKE are NULL when their operand is; their NOT forms keep NULL.
// IS NULL and IS NOT NULL are never NULL.

#include <string>

#include "kestrel/sql/expressions/expr_node.h"

namespace kestrel {

class TKestrelExprNodeComparison : public TKestrelExprNode {
 public:
  TKestrelExprNodeComparison(TKestrelExprOp op, bool caseInsensitive, bool partialCompare,
                             bool sqlNulls)
      : TKestrelExprNode(op),
        CaseInsensitive(caseInsensitive),
        PartialCompare(partialCompare),
        SqlNulls(sqlNulls) {}

  // A comparison between a column of a narrow text type and a wide text
  // constant turns the constant narrow.
  void Prepare() override;
  const TKestrelVariant& Evaluate() override;
  // "Unknown operator: '%s'" (30117) for an operator outside 1 to 6.
  TKestrelTruth EvaluateTruth() override;
  void BindToOperator(TKestrelExpressionOperator& op) override;
  void BindToCursor(TKestrelColumnSource& cursor) override;
  TKestrelDataType GetDataType() const override { return TKestrelDataType::kBoolean; }
  // An "=" of two columns found on different sides, each matching at most
  // one column of the two operators ("Ambiguous field reference to '%s'",
  // 10404 for the first column, 10405 for the second).
  bool IsJoinTerm(const TKestrelExpressionOperator& left,
                  const TKestrelExpressionOperator& right) const override;

  bool CaseInsensitive;
  bool PartialCompare;
  bool SqlNulls;

 private:
  // kNumber: both sides evaluate as native numbers; kInteger, kDouble: both
  // values' bytes are read as integers or doubles.
  enum class FastPath : uint8_t { kNone, kNumber, kInteger, kDouble };
  void ChooseFastPath();
  // The truth when a side is NULL.
  TKestrelTruth NullTruth(bool leftNull, bool rightNull) const;

  FastPath fastPath_ = FastPath::kNone;
  TKestrelStorageType leftType_ = TKestrelStorageType::kNone;
  TKestrelStorageType rightType_ = TKestrelStorageType::kNone;
};

class TKestrelExprNodeBoolean : public TKestrelExprNode {
 public:
  explicit TKestrelExprNodeBoolean(TKestrelExprOp op, bool caseInsensitive = false)
      : TKestrelExprNode(op), CaseInsensitive(caseInsensitive) {}

  const TKestrelVariant& Evaluate() override;
  // "Unknown operator: '%s'" (30116) for an operator outside 7 to 17; LIKE
  // on a side that is not text: "Not string argument in function '%s'"
  // (30120).
  TKestrelTruth EvaluateTruth() override;
  TKestrelDataType GetDataType() const override { return TKestrelDataType::kBoolean; }

  // The comparisons of IN and BETWEEN ignore letter case.
  bool CaseInsensitive;

 private:
  TKestrelTruth EvaluateIn();
  TKestrelTruth EvaluateBetween();
  TKestrelTruth EvaluateLike();

  std::u16string wideValue_;
  std::u16string widePattern_;
};

}  // namespace kestrel
