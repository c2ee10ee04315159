#pragma once
// What an expression needs from the thing its column references are bound
// to: a cursor (filters, lookups) or a relational operator (statements).
//
// TKestrelColumnSource resolves a column reference, an optional table name
// and a column name, to a TKestrelColumnBinding. A binding that has a record
// layout (FieldNo >= 0) is read by the expression itself from the record
// buffer it was given (SetRecordBuffer), by the layout of the storage side:
// the field's null bit (byte FieldNo / 8, bit FieldNo % 8), then DataSize
// bytes at DataOffset. A binding without one is read through ReadColumn,
// which answers the source's current row.
//
// TKestrelExpressionOperator adds what condition distribution and join-key
// extraction need from an operator: its inputs, its join kind and taking a
// condition of its own.
//
// A cursor implements the source in a few lines over its field list
// (FindFieldColumn) and reads BLOB fields through ReadBlob.

#include <cstdint>
#include <memory>
#include <string_view>

#include "kestrel/storage/dictionary/dictionary_fields.h"
#include "kestrel/storage/values/data_types.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {

class TKestrelExpression;

struct TKestrelColumnBinding {
  // The source's number for the column, handed back to ReadColumn.
  int32_t ColumnNo = -1;
  TKestrelDataType DataType = TKestrelDataType::kNone;
  TKestrelStorageType StorageType = TKestrelStorageType::kNone;
  int32_t Size = 0;  // declared size (characters of a string type)
  // Record layout; FieldNo -1 means the value is read through ReadColumn.
  int32_t FieldNo = -1;
  int32_t DataOffset = 0;
  int32_t DataSize = 0;

  bool HasRecordLayout() const { return FieldNo >= 0; }
  // The binding of field fieldNo of a record laid out by its field list.
  static TKestrelColumnBinding ForField(int32_t fieldNo, const TKestrelFieldDef& field);
};

class TKestrelColumnSource {
 public:
  virtual ~TKestrelColumnSource() = default;

  // The number of columns that the reference matches; the first match goes
  // to *binding when binding is not null. tableName is empty when the
  // reference has no qualifier; a cursor, which holds one table, may ignore
  // it, and looks the name up among its own fields, then among the table's
  // (its record buffer is laid out as the table's record). An operator
  // counts its result columns (hidden ones only where it means them to be
  // reachable). Names compare without regard to letter case.
  virtual int FindColumns(std::string_view tableName, std::string_view fieldName,
                          TKestrelColumnBinding* binding) const = 0;
  // The current row's value of a column bound without a record layout.
  virtual void ReadColumn(int32_t columnNo, TKestrelVariant& value) = 0;
  // The value of a BLOB field (BLOB, MEMO, WIDEMEMO storage) of a record
  // buffer, decoded into value; the base raises "Error - operation is not
  // supported" (30199).
  virtual void ReadBlob(const uint8_t* record, const TKestrelColumnBinding& binding,
                        TKestrelVariant& value);
};

enum class TKestrelJoinKind : uint8_t {
  kNone,  // not a join: every input takes conditions
  kCross,
  kInner,
  kLeftOuter,
  kRightOuter,
  kFullOuter,
};

class TKestrelExpressionOperator : public TKestrelColumnSource {
 public:
  // The inputs, null when absent.
  virtual TKestrelExpressionOperator* Left() = 0;
  virtual TKestrelExpressionOperator* Right() = 0;
  virtual TKestrelJoinKind JoinKind() const = 0;
  // Takes a condition that can be evaluated on this operator's own columns.
  // An operator given a second condition keeps both (TKestrelExpression::
  // AndWith joins them).
  virtual void AttachCondition(std::unique_ptr<TKestrelExpression> condition) = 0;
};

// FindColumns over a field list: the fields whose name equals fieldName
// without regard to case (the table name is not looked at).
int FindFieldColumn(const TKestrelFieldDefs& fields, std::string_view fieldName,
                    TKestrelColumnBinding* binding);

}  // namespace kestrel
