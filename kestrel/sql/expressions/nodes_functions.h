#pragma once
// The built-in functions: string functions and concatenation (operators 24
// to 32), the date functions (39 to 43), LASTAUTOINC (45) and TOBLOB (46).
//
// Texts are worked on as characters: LENGTH, POS and SUBSTRING count code
// points, UPPER and LOWER follow the locale's case rules, TRIM removes
// characters up to the blank. A narrow argument gives a narrow result and a
// wide one a wide result; other arguments are read as narrow text first.
//
// Concatenation leaves out NULL operands and is NULL only when every
// operand is: an empty text is NULL in this engine, so a NULL operand stands
// for an empty one ('x' || NULL is 'x' in either order).

#include <memory>
#include <string>

#include "kestrel/sql/date_formater.h"
#include "kestrel/sql/expressions/expr_node.h"
#include "kestrel/sql/expressions/query_services.h"

namespace kestrel {

class TKestrelExprNodeStringFunction : public TKestrelExprNode {
 public:
  explicit TKestrelExprNodeStringFunction(TKestrelExprOp op) : TKestrelExprNode(op) {}

  // "Unknown operator: '%s'" (30131) outside 24 to 32.
  const TKestrelVariant& Evaluate() override;
  // LENGTH and POS are Integer; the others keep their (first) argument's
  // string type, or are Varchar (WideVarchar for a wide argument) when it
  // is not a string.
  TKestrelDataType GetDataType() const override;
  // Concatenation: the sum of the operands' sizes; UPPER to RTRIM and
  // SUBSTRING: the first argument's size; sizes of 0 or less count as 255.
  int32_t GetDataSize() const override;

 private:
  void EvaluateConcatenation();
  void EvaluateCase();
  void EvaluateLength();
  void EvaluatePos();
  void EvaluateSubstring();
  // The value as narrow text: a view of its bytes or of scratch.
  std::string_view TextOf(const TKestrelVariant& value, std::string& scratch) const;
  void StoreText(std::string_view text, bool wide);

  std::string text_;
  std::string scratch_;
};

class TKestrelExprNodeDateFunction : public TKestrelExprNode {
 public:
  // format is the TODATE or TOSTRING format text, unused for the others.
  TKestrelExprNodeDateFunction(TKestrelExprOp op, std::string_view format);

  // "Unknown operator: '%s'" (30130) outside 39 to 43.
  const TKestrelVariant& Evaluate() override;
  // DateTime for 39 to 42, Varchar for TOSTRING; "Unknown operator: '%s'"
  // (30287) otherwise.
  TKestrelDataType GetDataType() const override;
  // TOSTRING: the longest text its format writes.
  int32_t GetDataSize() const override;

  const TDateFormater& Formater() const { return formater_; }

 private:
  TDateFormater formater_;
  std::string scratch_;
};

class TKestrelExprNodeSystem : public TKestrelExprNode {
 public:
  TKestrelExprNodeSystem(std::string tableName, std::string fieldName,
                         std::unique_ptr<TKestrelOpenedTable> table, int32_t fieldNo,
                         TKestrelDataType dataType);

  // The calling session's last auto-increment value of the field;
  // "Unknown operator: '%s'" (30338) for another operator.
  const TKestrelVariant& Evaluate() override;
  TKestrelDataType GetDataType() const override { return FieldDataType; }

  std::string TableName;
  std::string FieldName;
  TKestrelDataType FieldDataType;

 private:
  std::unique_ptr<TKestrelOpenedTable> table_;
  int32_t fieldNo_;
};

class TKestrelExprNodeBLOBFunction : public TKestrelExprNode {
 public:
  // value holds the decoded bytes (NULL when there are none).
  explicit TKestrelExprNodeBLOBFunction(const TKestrelVariant& value);

  // "Unknown operator: '%s'" (11343) for another operator.
  const TKestrelVariant& Evaluate() override;
  TKestrelDataType GetDataType() const override { return TKestrelDataType::kBlob; }
};

}  // namespace kestrel
