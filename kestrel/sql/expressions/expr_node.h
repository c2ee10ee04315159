#pragma once
// TKestrelExprNode: the base of the nodes of a parsed expression tree.
//
// Every node owns its children and one result value (Value) that it
// overwrites on every evaluation, so evaluating a tree allocates nothing for
// fixed-size values. A returned value may borrow bytes owned elsewhere (a
// record buffer, a child's value): it is valid until the next evaluation or
// the next row, and whoever keeps a value across rows copies it.
//
// Conditions are evaluated as three-valued truth (EvaluateTruth), which the
// Boolean nodes use without going through a value; Evaluate of such a node
// writes the same truth into Value as LOGICAL (NULL for unknown).
//
// Operator codes (one byte):
//   1 =  2 <>  3 >  4 <  5 >=  6 <=              comparison
//   7 NOT  8 AND  9 OR  10 IN  11 NOT IN  12 BETWEEN  13 NOT BETWEEN
//   14 LIKE  15 NOT LIKE  16 IS NULL  17 IS NOT NULL   Boolean
//   20 + (sum of signed terms)  21 - (negation)  22 *  23 /   arithmetic
//   24 ||  25 UPPER  26 LOWER  27 TRIM  28 LTRIM  29 RTRIM
//   30 LENGTH  31 POS  32 SUBSTRING                 string functions
//   33 SUM  34 AVG  35 MIN  36 MAX  37 COUNT  38 COUNT(*)   aggregates
//   39 current date-time  40 current date  41 current time
//   42 TODATE  43 TOSTRING                          date functions
//   44 CAST  45 LASTAUTOINC  46 TOBLOB

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kestrel/sql/expressions/column_source.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {

struct TKestrelSelectListItem;

enum class TKestrelExprOp : uint8_t {
  kNone = 0,
  kEqual = 1,
  kNotEqual = 2,
  kGreater = 3,
  kLess = 4,
  kGreaterOrEqual = 5,
  kLessOrEqual = 6,
  kNot = 7,
  kAnd = 8,
  kOr = 9,
  kIn = 10,
  kNotIn = 11,
  kBetween = 12,
  kNotBetween = 13,
  kLike = 14,
  kNotLike = 15,
  kIsNull = 16,
  kIsNotNull = 17,
  kSum = 20,
  kNegate = 21,
  kMultiply = 22,
  kDivide = 23,
  kConcat = 24,
  kUpper = 25,
  kLower = 26,
  kTrim = 27,
  kLTrim = 28,
  kRTrim = 29,
  kLength = 30,
  kPos = 31,
  kSubstring = 32,
  kAggSum = 33,
  kAggAvg = 34,
  kAggMin = 35,
  kAggMax = 36,
  kAggCount = 37,
  kAggCountAll = 38,
  kCurrentDateTime = 39,
  kCurrentDate = 40,
  kCurrentTime = 41,
  kToDate = 42,
  kToString = 43,
  kCast = 44,
  kLastAutoInc = 45,
  kToBlob = 46,
};

// The operator's name in messages; "unknown" for the unnamed ones.
const char* OperatorName(TKestrelExprOp op);

enum class TKestrelTruth : uint8_t { kFalse, kTrue, kNull };

inline TKestrelTruth TruthOf(bool value) {
  return value ? TKestrelTruth::kTrue : TKestrelTruth::kFalse;
}
TKestrelTruth Negated(TKestrelTruth truth);
// Writes a truth into a value as LOGICAL, NULL for kNull.
void StoreTruth(TKestrelVariant& value, TKestrelTruth truth);
// Makes a value NULL of the type without releasing its buffer.
inline void StoreNull(TKestrelVariant& value, TKestrelStorageType type) {
  value.SetData(nullptr, 0, false, type);
}

// A native number for typed evaluation: SIGNEDINT32 and SIGNEDINT64 in
// Integer, FLOAT in Real.
struct TKestrelNumber {
  TKestrelStorageType Type = TKestrelStorageType::kNone;
  int64_t Integer = 0;
  double Real = 0;
};

// The storage types typed evaluation works in.
inline bool IsNumberType(TKestrelStorageType type) {
  return type == TKestrelStorageType::kSignedInt32 || type == TKestrelStorageType::kSignedInt64 ||
         type == TKestrelStorageType::kFloat;
}
// Reads a value's bytes of a number type. REQUIRES: IsNumberType(type).
void LoadNumber(const uint8_t* data, TKestrelStorageType type, TKestrelNumber& number);
// Writes a number into a value of its type.
void StoreNumber(const TKestrelNumber& number, TKestrelVariant& value);

class TKestrelExprNode {
 public:
  explicit TKestrelExprNode(TKestrelExprOp op = TKestrelExprOp::kNone) : Operator(op) {}
  virtual ~TKestrelExprNode() = default;
  TKestrelExprNode(const TKestrelExprNode&) = delete;
  TKestrelExprNode& operator=(const TKestrelExprNode&) = delete;

  // Called once after parsing when the expression is bound to a cursor.
  virtual void Prepare();
  virtual const TKestrelVariant& Evaluate() = 0;
  // Evaluate read as a condition: NULL is kNull, otherwise the value as a
  // Boolean.
  virtual TKestrelTruth EvaluateTruth();
  virtual bool HasAggregate() const;
  virtual void ResetAggregate();
  virtual void Accumulate();
  virtual void BindToOperator(TKestrelExpressionOperator& op);
  virtual void BindToCursor(TKestrelColumnSource& cursor);
  virtual void SetRecordBuffer(const uint8_t* buffer);
  // The children's types combined pairwise with CommonDataType; raises
  // "Cannot determine expression type" (30283) when none results.
  virtual TKestrelDataType GetDataType() const;
  // For +, || and CAST with a string result the sum of the children's
  // sizes, each size of 0 or less counted as 255; otherwise 0.
  virtual int32_t GetDataSize() const;
  virtual bool CanEvaluateOn(const TKestrelExpressionOperator& op) const;
  virtual bool IsJoinTerm(const TKestrelExpressionOperator& left,
                          const TKestrelExpressionOperator& right) const;
  virtual void ResolvePseudonyms(const std::vector<TKestrelSelectListItem>& selectList);
  // The storage type every evaluation is known to produce once the node is
  // bound, kNone when it depends on the row. Fast paths are chosen by it.
  virtual TKestrelStorageType StaticStorageType() const { return TKestrelStorageType::kNone; }
  // Typed evaluation of a node whose StaticStorageType is a number type:
  // the value as a native number, false for NULL. The base evaluates the
  // value and reads it (converted, should it be of another type).
  virtual bool EvaluateNumber(TKestrelNumber& number);

  void AddChild(std::unique_ptr<TKestrelExprNode> child) { Children.push_back(std::move(child)); }
  TKestrelExprNode& Child(std::size_t index) const { return *Children[index]; }

  std::vector<std::unique_ptr<TKestrelExprNode>> Children;
  TKestrelExprOp Operator;
  TKestrelVariant Value;
};

using TKestrelExprNodePtr = std::unique_ptr<TKestrelExprNode>;

// "Unknown operator: '%s'" with the node's operator name and the class's
// native error code.
[[noreturn]] void ThrowUnknownOperator(TKestrelExprOp op, int nativeError);

// Narrow text (CHAR, STRING), wide text (WIDECHAR, WIDESTRING); text with
// the memo types.
bool IsNarrowTextType(TKestrelStorageType type);
bool IsWideTextType(TKestrelStorageType type);
bool IsTextOrMemoType(TKestrelStorageType type);

// A string size for size sums: 0 or less counts as 255.
int32_t SizeOrDefault(int32_t size);

}  // namespace kestrel
