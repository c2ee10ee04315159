#pragma once
// The leaves of an expression tree: constants and column references.
//
// A column node is bound either to a cursor (its binding has a record
// layout and the value is read from the record buffer given to
// SetRecordBuffer, borrowing its bytes) or to an operator (the value is read
// through the operator's ReadColumn). A text read from a record reaches up
// to its terminating zero, and an empty text is NULL, as in stored records.

#include <string>

#include "kestrel/sql/expressions/expr_node.h"

namespace kestrel {

class TKestrelExprNodeConst : public TKestrelExprNode {
 public:
  TKestrelExprNodeConst() = default;
  explicit TKestrelExprNodeConst(const TKestrelVariant& value) { Value.Assign(value, true); }

  const TKestrelVariant& Evaluate() override { return Value; }
  TKestrelDataType GetDataType() const override;
  int32_t GetDataSize() const override;
  bool CanEvaluateOn(const TKestrelExpressionOperator&) const override { return true; }
  TKestrelStorageType StaticStorageType() const override { return Value.DataType(); }
  bool EvaluateNumber(TKestrelNumber& number) override;
};

// A constant holding a text; an empty text is kept as a value (not NULL).
std::unique_ptr<TKestrelExprNodeConst> MakeTextConst(std::string_view text);

class TKestrelExprNodeField : public TKestrelExprNode {
 public:
  TKestrelExprNodeField(std::string tableName, std::string fieldName)
      : TableName(std::move(tableName)), FieldName(std::move(fieldName)) {}

  const TKestrelVariant& Evaluate() override;
  // "Field '%s' not found" (30197, table.field) unless exactly one column of
  // the operator matches.
  void BindToOperator(TKestrelExpressionOperator& op) override;
  // "Field '%s' not found" (30115) when no field of the cursor matches.
  void BindToCursor(TKestrelColumnSource& cursor) override;
  void SetRecordBuffer(const uint8_t* buffer) override { record_ = buffer; }
  // "Cannot determine expression type" (30284) while unbound.
  TKestrelDataType GetDataType() const override;
  int32_t GetDataSize() const override;
  bool CanEvaluateOn(const TKestrelExpressionOperator& op) const override;
  void ResolvePseudonyms(const std::vector<TKestrelSelectListItem>& selectList) override;
  TKestrelStorageType StaticStorageType() const override;
  // Reads a number straight from the record buffer.
  bool EvaluateNumber(TKestrelNumber& number) override;

  bool IsBound() const { return source_ != nullptr; }
  const TKestrelColumnBinding& Binding() const { return binding_; }
  // "table.field", or the field alone.
  std::string QualifiedName() const;

  std::string TableName;
  std::string FieldName;

 private:
  void Bind(TKestrelColumnSource& source, const TKestrelColumnBinding& binding);

  TKestrelColumnSource* source_ = nullptr;
  TKestrelColumnBinding binding_;
  const uint8_t* record_ = nullptr;
};

}  // namespace kestrel
