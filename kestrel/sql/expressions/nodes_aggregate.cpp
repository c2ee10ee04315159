#include "kestrel/sql/expressions/nodes_aggregate.h"

#include <string>

#include "kestrel/storage/dictionary/sequences.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

// The DISTINCT tables belong to the expression alone: their pages are
// changed and committed as the engine's own maintenance.
constexpr int32_t kDistinctSession = -2;

using ST = TKestrelStorageType;
using DT = TKestrelDataType;

bool KeepsFloatType(DT type) {
  return type == DT::kSingle || type == DT::kDouble || type == DT::kExtended ||
         type == DT::kCurrency;
}

// The storage type a SUM of values of the type is kept in.
ST SumStorageType(ST type) {
  switch (type) {
    case ST::kSingle:
    case ST::kFloat:
    case ST::kExtended:
    case ST::kCurrency:
      return type;
    default:
      return ST::kSignedInt64;
  }
}

// The DISTINCT field's type: an auto-increment type becomes its plain type,
// so that inserting never draws sequence values.
DT DistinctFieldType(DT type) {
  return IsAutoIncDataType(type) ? StorageTypeToDataType(DataTypeToStorageType(type)) : type;
}

}  // namespace

TKestrelExprNodeAggregated::TKestrelExprNodeAggregated(TKestrelExprOp op, bool distinct,
                                                       TKestrelDatabaseData* temporaryDatabase)
    : TKestrelExprNode(op), Distinct(distinct), temporaryDatabase_(temporaryDatabase) {}

TKestrelExprNodeAggregated::~TKestrelExprNodeAggregated() {
  try {
    DropDistinctTable();
  } catch (const std::exception&) {
    // A table that cannot be dropped goes with its database.
  }
}

TKestrelDatabaseData& TKestrelExprNodeAggregated::TemporaryDatabase() {
  if (temporaryDatabase_ != nullptr) {
    return *temporaryDatabase_;
  }
  if (!ownDatabase_) {
    ownDatabase_ = std::make_unique<TKestrelTemporaryDatabaseData>();
  }
  return *ownDatabase_;
}

void TKestrelExprNodeAggregated::ResetAggregate() {
  Count = 0;
  Value.Clear(Value.DataType());
  RunningSum.Clear(ST::kFloat);
  if (!Distinct) {
    return;
  }
  if (Children.empty()) {
    throw EKestrelException("Error - no children in expression node", 11338);
  }
  DropDistinctTable();
  CreateDistinctTable(SizeOrDefault(Child(0).GetDataSize()));
}

void TKestrelExprNodeAggregated::CreateDistinctTable(int32_t size) {
  TKestrelFieldDefs fields;
  fields.AddField("Expr", DistinctFieldType(Child(0).GetDataType()), size);
  TKestrelIndexDefs indexes;
  auto* index = static_cast<TKestrelIndexDef*>(indexes.AddCreated());
  index->Name = "Index";
  // Unique, so that the B-tree answers whether a value was seen already.
  index->Unique = true;
  index->SetColumnCount(1);
  index->Columns[0]->FieldName = "Expr";

  TKestrelDatabaseData& database = TemporaryDatabase();
  const TKestrelRandom random = DefaultRandom();
  std::string name;
  do {
    name = "TEMPORARY_TABLE_" + std::to_string(random(2147483647));
  } while (database.TableExists(name));
  TKestrelTableData& table = database.CreateTableData(name, 1000);
  distinctTable_ = &table;
  table.CreateTable(fields, indexes, TKestrelConstraintDefs());
  distinctIndexID_ = table.IndexManager().IndexDefs().Find("Index")->ObjectID;
  distinctRecord_.assign(static_cast<std::size_t>(table.RecordSize()), 0);
}

void TKestrelExprNodeAggregated::DropDistinctTable() {
  if (distinctTable_ == nullptr) {
    return;
  }
  TKestrelTableData* table = distinctTable_;
  distinctTable_ = nullptr;
  TemporaryDatabase().DeleteTable(*table, nullptr);
}

void TKestrelExprNodeAggregated::WidenDistinctTable(int32_t size) {
  TKestrelTableData* old = distinctTable_;
  const TKestrelFieldDef& field = *old->FieldDefs().Items(0);
  distinctTable_ = nullptr;
  try {
    CreateDistinctTable(size);
    std::vector<uint8_t> stored(static_cast<std::size_t>(old->RecordSize()));
    TKestrelRecordRequest request;
    request.Direction = TKestrelNavigation::kNext;
    request.AtBeginning = true;
    request.Buffer = stored.data();
    const TKestrelFieldDef& wider = *distinctTable_->FieldDefs().Items(0);
    while (old->RecordManager()->GetRecord(request) == TKestrelNavigationResult::kFound) {
      distinctTable_->InitRecord(distinctRecord_.data(), false, false);
      SetFieldValue(distinctRecord_.data(), 0, wider, FieldValue(stored.data(), 0, field));
      TKestrelRecordID id;
      if (!distinctTable_->InsertRecord(distinctRecord_.data(), id, kDistinctSession)) {
        throw EKestrelException("Error adding record", 11339);
      }
    }
  } catch (...) {
    DropDistinctTable();
    distinctTable_ = old;
    throw;
  }
  TemporaryDatabase().DeleteTable(*old, nullptr);
}

bool TKestrelExprNodeAggregated::FirstSeen(const TKestrelVariant& value) {
  if (distinctTable_ == nullptr) {
    CreateDistinctTable(SizeOrDefault(Child(0).GetDataSize()));
  }
  const TKestrelFieldDef* field = distinctTable_->FieldDefs().Items(0);
  if (IsStringDataType(field->DataType())) {
    TKestrelVariant text = value;
    text.ConvertTo(field->StorageType());
    if (text.TextLength() > field->Size()) {
      WidenDistinctTable(std::max(text.TextLength(), field->Size() * 2));
      field = distinctTable_->FieldDefs().Items(0);
    }
  }
  distinctTable_->InitRecord(distinctRecord_.data(), false, false);
  SetFieldValue(distinctRecord_.data(), 0, *field, value);
  TKestrelTableIndex* index = distinctTable_->IndexManager().Index(distinctIndexID_);
  if (!index->IsKeyUnique(kDistinctSession, distinctRecord_.data())) {
    return false;
  }
  TKestrelRecordID id;
  if (!distinctTable_->InsertRecord(distinctRecord_.data(), id, kDistinctSession)) {
    throw EKestrelException("Error adding record", 11339);
  }
  return true;
}

void TKestrelExprNodeAggregated::Accumulate() {
  if (Operator == TKestrelExprOp::kAggCountAll) {
    ++Count;
    return;
  }
  if (Children.empty()) {
    throw EKestrelException("Error - no children in expression node", 11338);
  }
  const TKestrelVariant& argument = Child(0).Evaluate();
  if ((Operator == TKestrelExprOp::kAggSum || Operator == TKestrelExprOp::kAggAvg) &&
      argument.DataType() != ST::kNone && !IsNumericStorageType(argument.DataType())) {
    const bool sum = Operator == TKestrelExprOp::kAggSum;
    throw EKestrelException("Not numeric argument in numeric operator '%s'", {sum ? "SUM" : "AVG"},
                            sum ? 30132 : 30133);
  }
  if (argument.IsNull() || (Distinct && !FirstSeen(argument))) {
    return;
  }
  switch (Operator) {
    case TKestrelExprOp::kAggCount:
      ++Count;
      break;
    case TKestrelExprOp::kAggSum:
      if (Value.IsNull()) {
        Value.Assign(argument, true);
        Value.ConvertTo(SumStorageType(argument.DataType()));
      } else {
        Value.Add(argument);
      }
      break;
    case TKestrelExprOp::kAggAvg:
      if (RunningSum.IsNull()) {
        RunningSum.Assign(argument, true);
        RunningSum.ConvertTo(ST::kFloat);
      } else {
        RunningSum.Add(argument);
      }
      ++Count;
      break;
    case TKestrelExprOp::kAggMin:
    case TKestrelExprOp::kAggMax: {
      const TKestrelCompareCode replaceOn = Operator == TKestrelExprOp::kAggMin
                                                ? TKestrelCompareCode::kLess
                                                : TKestrelCompareCode::kGreater;
      if (Value.IsNull() || argument.Compare(Value, false, false, false) == replaceOn) {
        Value.Assign(argument, true);
      }
      break;
    }
    default:
      ThrowUnknownOperator(Operator, 30134);
  }
}

const TKestrelVariant& TKestrelExprNodeAggregated::Evaluate() {
  switch (Operator) {
    case TKestrelExprOp::kAggCount:
    case TKestrelExprOp::kAggCountAll: {
      const auto count = static_cast<int32_t>(Count);
      Value.SetData(&count, 4, true, ST::kSignedInt32);
      break;
    }
    case TKestrelExprOp::kAggAvg:
      if (RunningSum.IsNull() || Count == 0) {
        StoreNull(Value, ST::kFloat);
      } else {
        const double average = RunningSum.AsDouble() / static_cast<double>(Count);
        Value.SetData(&average, 8, true, ST::kFloat);
      }
      break;
    case TKestrelExprOp::kAggSum:
    case TKestrelExprOp::kAggMin:
    case TKestrelExprOp::kAggMax:
      break;
    default:
      ThrowUnknownOperator(Operator, 30134);
  }
  return Value;
}

TKestrelDataType TKestrelExprNodeAggregated::GetDataType() const {
  switch (Operator) {
    case TKestrelExprOp::kAggCount:
    case TKestrelExprOp::kAggCountAll:
      return DT::kInteger;
    case TKestrelExprOp::kAggAvg:
      return DT::kDouble;
    case TKestrelExprOp::kAggSum: {
      const DT type = Child(0).GetDataType();
      return KeepsFloatType(type) ? type : DT::kLargeInt;
    }
    default:
      return Child(0).GetDataType();
  }
}

int32_t TKestrelExprNodeAggregated::GetDataSize() const {
  if (Operator == TKestrelExprOp::kAggMin || Operator == TKestrelExprOp::kAggMax) {
    return Child(0).GetDataSize();
  }
  return 0;
}

}  // namespace kestrel
