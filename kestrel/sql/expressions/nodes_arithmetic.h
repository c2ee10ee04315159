#pragma once
// Arithmetic (operators 20 to 23) and CAST (44).
//
// A sum holds signed terms: a - b - c is the sum of a, -b and -c, each
// negative term wrapped in a negation node; * and / are binary and nest to
// the left. Every operation has the value layer's type promotion, wrapping
// and errors, with one difference: any NULL operand makes the result NULL
// (the value layer's Add starts a NULL accumulator from the right operand,
// which SUM relies on but which would make NULL + 5 equal 5 here).
//
// Negating an unsigned value first widens it to the next signed type
// (UNSIGNEDINT8 to SIGNEDINT16, UNSIGNEDINT16 to SIGNEDINT32, UNSIGNEDINT32
// to SIGNEDINT64), so that 10 - b works for a Byte, Word or Cardinal b.
//
// Fast path: while the operands are SIGNEDINT32, SIGNEDINT64 or FLOAT
// values, + and * and negation work on native numbers in a local
// accumulator, with exactly the value layer's results (32- and 64-bit
// wrapping, the double sum rounded as the value layer rounds it, its
// overflow errors); the first operand of another type hands the rest of the
// work to the value operations.

#include "kestrel/sql/expressions/expr_node.h"

namespace kestrel {

class TKestrelExprNodeArithmetic : public TKestrelExprNode {
 public:
  explicit TKestrelExprNodeArithmetic(TKestrelExprOp op) : TKestrelExprNode(op) {}

  // "Unknown operator: '%s'" (30121) outside 20 to 23.
  const TKestrelVariant& Evaluate() override;
  // A negated unsigned type is its widened signed type.
  TKestrelDataType GetDataType() const override;
  TKestrelStorageType StaticStorageType() const override;
  void BindToOperator(TKestrelExpressionOperator& op) override;
  void BindToCursor(TKestrelColumnSource& cursor) override;
  // With every operand of a number type known at binding, works on native
  // numbers throughout.
  bool EvaluateNumber(TKestrelNumber& number) override;

 private:
  void EvaluateSumOrProduct(char op);
  void EvaluateNegation();
  void EvaluateQuotient();

  bool typed_ = false;
};

class TKestrelExprNodeCast : public TKestrelExprNode {
 public:
  explicit TKestrelExprNodeCast(TKestrelDataType target);

  const TKestrelVariant& Evaluate() override;
  TKestrelDataType GetDataType() const override { return Target; }
  TKestrelStorageType StaticStorageType() const override { return targetStorage_; }

  TKestrelDataType Target;

 private:
  TKestrelStorageType targetStorage_;
};

}  // namespace kestrel
