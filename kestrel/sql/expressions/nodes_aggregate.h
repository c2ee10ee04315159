#pragma once
// The aggregates (operators 33 to 38): SUM, AVG, MIN, MAX, COUNT and
// COUNT(*), with and without DISTINCT.
//
// ResetAggregate starts a group; Accumulate takes in the current row;
// Evaluate gives the group's result. NULL arguments are skipped. SUM adds
// in its declared type (the argument's float or currency type, otherwise
// SIGNEDINT64, so integer sums do not wrap at 32 bits) and is NULL for a
// group without values; AVG sums as a double and is NULL when nothing was
// summed; COUNT gives an integer.
//
// DISTINCT keeps the values seen in a temporary table of the engine's
// temporary storage, "TEMPORARY_TABLE_" and a random number, with one field
// "Expr" of the argument's type and an index "Index" on it: a value counts
// when the index holds no equal one, and is then inserted. A text longer
// than the field moves the values into a table with a wider field.

#include <memory>
#include <vector>

#include "kestrel/sql/expressions/expr_node.h"
#include "kestrel/storage/records/database_data.h"

namespace kestrel {

class TKestrelExprNodeAggregated : public TKestrelExprNode {
 public:
  // temporaryDatabase holds the DISTINCT table; null: the node keeps a
  // temporary database of its own.
  TKestrelExprNodeAggregated(TKestrelExprOp op, bool distinct,
                             TKestrelDatabaseData* temporaryDatabase);
  ~TKestrelExprNodeAggregated() override;

  // "Unknown operator: '%s'" (30134) outside 33 to 38.
  const TKestrelVariant& Evaluate() override;
  bool HasAggregate() const override { return true; }
  // With DISTINCT creates the table ("Error - no children in expression
  // node", 11338, without an argument).
  void ResetAggregate() override;
  // SUM and AVG of a value that is not a number: "Not numeric argument in
  // numeric operator '%s'" (30132, 30133).
  void Accumulate() override;
  TKestrelDataType GetDataType() const override;
  // MIN and MAX: the argument's size.
  int32_t GetDataSize() const override;

  bool Distinct;
  int64_t Count = 0;
  TKestrelVariant RunningSum;

 private:
  // Whether the value is new to the DISTINCT table; a new one is inserted.
  bool FirstSeen(const TKestrelVariant& value);
  void CreateDistinctTable(int32_t size);
  void DropDistinctTable();
  // Moves the values into a table whose field holds size characters.
  void WidenDistinctTable(int32_t size);
  TKestrelDatabaseData& TemporaryDatabase();

  TKestrelDatabaseData* temporaryDatabase_;
  std::unique_ptr<TKestrelTemporaryDatabaseData> ownDatabase_;
  TKestrelTableData* distinctTable_ = nullptr;
  int32_t distinctIndexID_ = -1;
  std::vector<uint8_t> distinctRecord_;
};

}  // namespace kestrel
