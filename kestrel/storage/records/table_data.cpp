#include "kestrel/storage/records/table_data.h"

#include <algorithm>
#include <cstring>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/records/database_data.h"
#include "kestrel/storage/records/record_manager_memory.h"
#include "kestrel/storage/records/record_manager_temporary.h"

namespace kestrel {
namespace {

constexpr int32_t kBlobHeaderSize = 12;

TKestrelTableIndexFactory& IndexFactory() {
  static TKestrelTableIndexFactory factory;
  return factory;
}

uint16_t BlobMarker(const uint8_t* field) {
  return static_cast<uint16_t>(field[6] | field[7] << 8);
}

void SetBlobMarker(uint8_t* field, uint16_t marker) {
  field[6] = static_cast<uint8_t>(marker & 0xFF);
  field[7] = static_cast<uint8_t>(marker >> 8);
}

// Answers the key questions by walking the table's records; it keeps no
// keys of its own, so insert, update and delete have nothing to do.
class TKestrelScanIndex : public TKestrelTableIndex {
 public:
  TKestrelScanIndex(const TKestrelIndexDef& def, TKestrelTableData& table)
      : def_(def), table_(table) {}

  void InsertKey(const uint8_t*, TKestrelRecordID) override {}
  void UpdateKey(const uint8_t*, const uint8_t*, TKestrelRecordID) override {}
  void DeleteKey(const uint8_t*, TKestrelRecordID) override {}
  void Clear() override {}

  bool HasDuplicate(const uint8_t* record, TKestrelRecordID self, bool hasSelf) override {
    const TKestrelFieldDefs& fields = table_.FieldDefs();
    std::vector<int> fieldNos;
    for (const auto& column : def_.Columns) {
      const int fieldNo = fields.IndexOf(column->FieldName);
      if (fieldNo < 0 || IsFieldNull(record, fieldNo)) {
        return false;
      }
      fieldNos.push_back(fieldNo);
    }
    TKestrelBaseRecordManager* records = table_.RecordManager();
    std::vector<uint8_t> stored(static_cast<std::size_t>(records->RecordSize()));
    TKestrelRecordRequest request;
    request.Direction = TKestrelNavigation::kNext;
    request.AtBeginning = true;
    request.Buffer = stored.data();
    while (records->GetRecord(request) == TKestrelNavigationResult::kFound) {
      if (hasSelf && CompareRecordIDs(request.RecordID, self) == 0) {
        continue;
      }
      bool same = true;
      for (std::size_t c = 0; c < fieldNos.size() && same; ++c) {
        const TKestrelFieldDef& field = *fields.Items(fieldNos[c]);
        const TKestrelVariant left = FieldValue(record, fieldNos[c], field);
        const TKestrelVariant right = FieldValue(stored.data(), fieldNos[c], field);
        same =
            !right.IsNull() && left.Compare(right, true, false, def_.Columns[c]->CaseInsensitive) ==
                                   TKestrelCompareCode::kEqual;
      }
      if (same) {
        return true;
      }
    }
    return false;
  }

 private:
  const TKestrelIndexDef& def_;
  TKestrelTableData& table_;
};

}  // namespace

TKestrelVariant FieldValue(const uint8_t* record, int fieldNo, const TKestrelFieldDef& field) {
  TKestrelVariant value(field.StorageType());
  if (IsFieldNull(record, fieldNo)) {
    return value;
  }
  const uint8_t* data = record + field.DataOffset();
  int32_t size = field.DataSize();
  switch (field.StorageType()) {
    case TKestrelStorageType::kChar:
    case TKestrelStorageType::kString: {
      const auto length = static_cast<int32_t>(
          strnlen(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size - 1)));
      if (length == 0) {
        return value;
      }
      size = length + 1;
      break;
    }
    case TKestrelStorageType::kWideChar:
    case TKestrelStorageType::kWideString: {
      int32_t units = 0;
      while (units < size / 2 - 1 && (data[units * 2] | data[units * 2 + 1]) != 0) {
        ++units;
      }
      if (units == 0) {
        return value;
      }
      size = (units + 1) * 2;
      break;
    }
    default:
      break;
  }
  value.SetData(data, size, false, field.StorageType());
  return value;
}

void SetFieldValue(uint8_t* record, int fieldNo, const TKestrelFieldDef& field,
                   const TKestrelVariant& value) {
  const TKestrelVariant* stored = &value;
  TKestrelVariant converted;
  if (!value.IsNull() && value.DataType() != field.StorageType()) {
    converted = value;
    converted.ConvertTo(field.StorageType());
    stored = &converted;
  }
  uint8_t* target = record + field.DataOffset();
  std::memset(target, 0, static_cast<std::size_t>(field.DataSize()));
  if (stored->IsNull()) {
    SetFieldNull(record, fieldNo, true);
    return;
  }
  const int32_t n = std::min(stored->Size(), field.DataSize());
  std::memcpy(target, stored->Data(), static_cast<std::size_t>(n));
  // A cut text keeps its terminating zero.
  if (stored->Size() > field.DataSize()) {
    const TKestrelStorageType type = field.StorageType();
    if (type == TKestrelStorageType::kWideChar || type == TKestrelStorageType::kWideString) {
      target[n - 1] = 0;
      target[n - 2] = 0;
    } else if (type == TKestrelStorageType::kChar || type == TKestrelStorageType::kString) {
      target[n - 1] = 0;
    }
  }
  SetFieldNull(record, fieldNo, false);
}

// Index manager.

void TKestrelIndexManager::SetIndexFactory(TKestrelTableIndexFactory factory) {
  IndexFactory() = std::move(factory);
}

void TKestrelIndexManager::BuildIndexes() {
  indexes_.clear();
  for (int i = 0; i < defs_.Count(); ++i) {
    BuildIndex(*defs_.Items(i));
  }
}

TKestrelTableIndex& TKestrelIndexManager::BuildIndex(const TKestrelIndexDef& def) {
  auto& slot = indexes_[def.ObjectID];
  slot = IndexFactory() ? IndexFactory()(def, table_)
                        : std::make_unique<TKestrelScanIndex>(def, table_);
  return *slot;
}

TKestrelTableIndex* TKestrelIndexManager::Index(int32_t objectID) const {
  const auto it = indexes_.find(objectID);
  return it == indexes_.end() ? nullptr : it->second.get();
}

void TKestrelIndexManager::InsertRecord(const uint8_t* record, TKestrelRecordID id) {
  for (auto& [objectID, index] : indexes_) {
    index->InsertKey(record, id);
  }
}

void TKestrelIndexManager::UpdateRecord(const uint8_t* oldRecord, const uint8_t* newRecord,
                                        TKestrelRecordID id) {
  for (auto& [objectID, index] : indexes_) {
    index->UpdateKey(oldRecord, newRecord, id);
  }
}

void TKestrelIndexManager::DeleteRecord(const uint8_t* record, TKestrelRecordID id) {
  for (auto& [objectID, index] : indexes_) {
    index->DeleteKey(record, id);
  }
}

void TKestrelIndexManager::Clear() {
  for (auto& [objectID, index] : indexes_) {
    index->Clear();
  }
}

// Sequence manager.

TKestrelSequenceDef& TKestrelSequenceManager::Sequence(int32_t sequenceID) {
  TKestrelSequenceDef* sequence = sequences_.FindByID(sequenceID);
  if (sequence == nullptr) {
    throw EKestrelException("Sequence #%d not found", {sequenceID}, 30010);
  }
  return *sequence;
}

int64_t TKestrelSequenceManager::NextValue(int32_t sequenceID, int64_t sessionID) {
  TKestrelSequenceDef* sequence = sequences_.FindByID(sequenceID);
  if (sequence == nullptr) {
    throw EKestrelException("Sequence #%d not found", {sequenceID}, 30011);
  }
  const int64_t value = sequence->GetNextValue();
  lastValues_[{sessionID, sequenceID}] = value;
  return value;
}

int64_t TKestrelSequenceManager::LastValue(int32_t sequenceID, int64_t sessionID) {
  TKestrelSequenceDef* sequence = sequences_.FindByID(sequenceID);
  if (sequence == nullptr) {
    throw EKestrelException("Sequence #%d not found", {sequenceID}, 30013);
  }
  const auto it = lastValues_.find({sessionID, sequenceID});
  if (it == lastValues_.end()) {
    throw EKestrelException(
        "No SequenceLastValue in session for sequence '%s'. Call GetNextVal first",
        {sequence->Name}, 30012);
  }
  return it->second;
}

// Table data.

TKestrelTableData::TKestrelTableData(TKestrelDatabaseData& database, std::string tableName)
    : database_(database), tableName_(std::move(tableName)), indexes_(*this) {}

TKestrelTableData::~TKestrelTableData() {
  for (uint8_t*& block : blobBlocks_) {
    Memory().Free(block);
  }
}

TKestrelMemoryManager& TKestrelTableData::Memory() const {
  return database_.Memory();
}

int32_t TKestrelTableData::NewObjectID() {
  return database_.NextObjectID();
}

int32_t TKestrelTableData::RecordSize() const {
  std::lock_guard guard(lock_);
  if (records_ == nullptr) {
    throw EKestrelException("Invalid record size = 0", 10124);
  }
  return records_->RecordSize();
}

void TKestrelTableData::CreateTable(const TKestrelFieldDefs& fields,
                                    const TKestrelIndexDefs& indexes,
                                    const TKestrelConstraintDefs& constraints) {
  std::lock_guard guard(lock_);
  if (fields.Count() == 0) {
    throw EKestrelException("Error creating table - no fields were specified", 10025);
  }
  DropRecords();
  records_.reset();
  sequences_.Clear();
  InstallFields(fields);
  InstallIndexes(indexes);
  InstallConstraints(constraints);
  CreateAutoIncSequences();
  records_ = CreateRecordManager(fields_.RecordSize());
  indexes_.BuildIndexes();
}

void TKestrelTableData::InstallFields(const TKestrelFieldDefs& fields) {
  fields_.Assign(fields);
  hasBlobs_ = false;
  for (int i = 0; i < fields_.Count(); ++i) {
    TKestrelFieldDef& field = *fields_.Items(i);
    field.ObjectID = NewObjectID();
    if (IsBlobStorageType(field.StorageType())) {
      hasBlobs_ = true;
      if (field.BlobBlockSize <= 0) {
        throw EKestrelException("BLOB block size should be > 0 for field %s", {field.Name}, 10421);
      }
    }
  }
  fields_.CalculateLayout();
}

void TKestrelTableData::InstallIndexes(const TKestrelIndexDefs& indexes) {
  TKestrelIndexDefs& defs = indexes_.IndexDefs();
  defs.Assign(indexes);
  for (int i = 0; i < defs.Count(); ++i) {
    defs.Items(i)->ObjectID = NewObjectID();
    defs.Items(i)->RootPageNo = -1;
  }
}

void TKestrelTableData::InstallConstraints(const TKestrelConstraintDefs& constraints) {
  constraints_.Assign(constraints);
  const TKestrelRandom random = DefaultRandom();
  for (int i = 0; i < constraints_.Count(); ++i) {
    TKestrelConstraintDef& constraint = *constraints_.Items(i);
    constraint.ObjectID = NewObjectID();
    constraint.TableReference.Name = tableName_;
    if (constraint.Name.empty()) {
      const uint8_t type = constraint.ConstraintType();
      if (type != kConstraintNotNull && type != kConstraintCheck) {
        throw EKestrelException("Not implemented yet", 30038);
      }
      constraint.Name = UniqueObjectName(
          type == kConstraintNotNull ? "C_NotNull" : "C_Check", tableName_,
          constraint.TargetReference.Name,
          [&](const std::string& name) { return constraints_.IndexOf(name) >= 0; }, random);
    }
    ResolveConstraint(constraint);
  }
}

void TKestrelTableData::ResolveConstraint(TKestrelConstraintDef& constraint) {
  switch (constraint.ConstraintType()) {
    case kConstraintPrimary:
    case kConstraintUnique: {
      const TKestrelIndexDef* index = indexes_.IndexDefs().Find(constraint.TargetReference.Name);
      if (index == nullptr) {
        throw EKestrelException("Index '%s' not found", {constraint.TargetReference.Name},
                                constraint.ConstraintType() == kConstraintPrimary ? 30325 : 30326);
      }
      constraint.TargetReference.ObjectID = index->ObjectID;
      for (auto& column : static_cast<TKestrelConstraintDefUnique&>(constraint).Columns) {
        const TKestrelFieldDef* field = fields_.Find(column.Name);
        if (field == nullptr) {
          throw EKestrelException("Field '%s' not found", {column.Name}, 30027);
        }
        column.ObjectID = field->ObjectID;
      }
      break;
    }
    case kConstraintNotNull:
    case kConstraintCheck: {
      const TKestrelFieldDef* field = fields_.Find(constraint.TargetReference.Name);
      if (field == nullptr) {
        throw EKestrelException("Field '%s' not found", {constraint.TargetReference.Name}, 30027);
      }
      constraint.TargetReference.ObjectID = field->ObjectID;
      break;
    }
    default:
      throw EKestrelException("Not implemented yet", 30037);
  }
}

void TKestrelTableData::CreateAutoIncSequences() {
  const TKestrelRandom random = DefaultRandom();
  TKestrelSequenceDefs& sequences = sequences_.Sequences();
  for (int i = 0; i < fields_.Count(); ++i) {
    TKestrelFieldDef& field = *fields_.Items(i);
    if (!IsAutoIncDataType(field.DataType())) {
      continue;
    }
    auto sequence = std::make_unique<TKestrelSequenceDef>();
    sequence->Name = UniqueObjectName(
        "S_Autoinc", tableName_, field.Name,
        [&](const std::string& name) { return sequences.IndexOf(name) >= 0; }, random);
    sequence->StorageType = field.StorageType();
    sequence->MinValue = field.MinValue;
    sequence->MaxValue = field.MaxValue;
    sequence->CurrentValue = field.InitialValue;
    sequence->Increment = field.Increment;
    sequence->Cycled = field.Cycled;
    sequence->ObjectID = NewObjectID();
    field.SequenceID = sequence->ObjectID;
    sequences.Add(std::move(sequence));
  }
}

void TKestrelTableData::RenameTable(const std::string& newName, const TKestrelTableClient* caller) {
  // The name is what the database's list looks tables up by.
  std::lock_guard databaseGuard(database_.Lock());
  std::lock_guard guard(lock_);
  if (OtherClientCount(caller) > 0) {
    throw EKestrelException("Cannot rename table '%s'. Table is open by another dataset",
                            {tableName_}, 10150);
  }
  tableName_ = newName;
}

void TKestrelTableData::EmptyTable(const TKestrelTableClient* caller) {
  std::lock_guard guard(lock_);
  if (OtherClientCount(caller) > 0) {
    throw EKestrelException("Cannot delete table '%s'. Table is open by another dataset",
                            {tableName_}, 10072);
  }
  DropRecords();
}

void TKestrelTableData::DropRecords() {
  if (records_ == nullptr) {
    return;
  }
  if (hasBlobs_) {
    std::vector<uint8_t> stored(static_cast<std::size_t>(records_->RecordSize()));
    TKestrelRecordRequest request;
    request.Direction = TKestrelNavigation::kNext;
    request.AtBeginning = true;
    request.Buffer = stored.data();
    while (records_->GetRecord(request) == TKestrelNavigationResult::kFound) {
      FreeRecordBlobs(stored.data());
    }
  }
  records_->EmptyRecords();
  indexes_.Clear();
}

void TKestrelTableData::DeleteVisibleRecords(const std::vector<TKestrelRecordID>* visible) {
  std::lock_guard guard(lock_);
  const int64_t stored = GetRecordCount();
  const int64_t seen = visible == nullptr ? stored : static_cast<int64_t>(visible->size());
  if (seen > stored) {
    throw EKestrelException("Invalid record count = %d. Limit is %d", {seen, stored}, 11311);
  }
  if (seen == stored) {
    DropRecords();
    return;
  }
  for (const TKestrelRecordID id : *visible) {
    DeleteRecord(id);
  }
}

void TKestrelTableData::AddIndex(const TKestrelIndexDef& index) {
  std::lock_guard guard(lock_);
  TKestrelIndexDefs& defs = indexes_.IndexDefs();
  if (defs.IndexOf(index.Name) >= 0) {
    throw EKestrelException("Duplicate field name %s", {index.Name}, 10424);
  }
  auto def = std::make_unique<TKestrelIndexDef>();
  def->Assign(index);
  def->ObjectID = NewObjectID();
  def->RootPageNo = -1;
  TKestrelIndexDef& added = *static_cast<TKestrelIndexDef*>(defs.Add(std::move(def)));
  try {
    std::unique_ptr<TKestrelConstraintDef> constraint = ConstraintForIndex(added);
    if (constraint != nullptr) {
      constraint->ObjectID = NewObjectID();
      constraint->TableReference.Name = tableName_;
      ResolveConstraint(*constraint);
    }
    TKestrelTableIndex& built = indexes_.BuildIndex(added);
    if (records_ != nullptr) {
      std::vector<uint8_t> record(static_cast<std::size_t>(records_->RecordSize()));
      TKestrelRecordRequest request;
      request.Direction = TKestrelNavigation::kNext;
      request.AtBeginning = true;
      request.Buffer = record.data();
      while (records_->GetRecord(request) == TKestrelNavigationResult::kFound) {
        built.InsertKey(record.data(), request.RecordID);
      }
    }
    if (constraint != nullptr) {
      constraints_.Add(std::move(constraint));
    }
  } catch (...) {
    indexes_.DropIndex(added.ObjectID);
    defs.Delete(defs.IndexOfID(added.ObjectID));
    throw;
  }
}

bool TKestrelTableData::DropIndex(const std::string& indexName) {
  std::lock_guard guard(lock_);
  TKestrelIndexDefs& defs = indexes_.IndexDefs();
  const int position = defs.IndexOf(indexName);
  if (position < 0) {
    return false;
  }
  const int32_t objectID = defs.Items(position)->ObjectID;
  for (int i = 0; i < constraints_.Count(); ++i) {
    const TKestrelConstraintDef& constraint = *constraints_.Items(i);
    const bool keyed = constraint.ConstraintType() == kConstraintPrimary ||
                       constraint.ConstraintType() == kConstraintUnique;
    if (keyed && constraint.TargetReference.ObjectID == objectID) {
      constraints_.Delete(i);
      break;
    }
  }
  if (TKestrelTableIndex* index = indexes_.Index(objectID)) {
    index->Clear();
  }
  indexes_.DropIndex(objectID);
  defs.Delete(position);
  return true;
}

void TKestrelTableData::OpenClient(TKestrelTableClient* client) {
  std::lock_guard guard(lock_);
  clients_.push_back(client);
}

void TKestrelTableData::CloseClient(TKestrelTableClient* client) {
  std::lock_guard guard(lock_);
  const auto it = std::find(clients_.begin(), clients_.end(), client);
  if (it != clients_.end()) {
    clients_.erase(it);
  }
}

int TKestrelTableData::OtherClientCount(const TKestrelTableClient* caller) const {
  std::lock_guard guard(lock_);
  return static_cast<int>(std::count_if(clients_.begin(), clients_.end(),
                                        [&](const auto* client) { return client != caller; }));
}

void TKestrelTableData::InitRecord(uint8_t* buffer, bool newRecord, bool forWriting,
                                   int64_t sessionID) {
  std::lock_guard guard(lock_);
  const int32_t recordSize = RecordSize();
  std::memset(buffer, 0, static_cast<std::size_t>(recordSize));
  std::memset(buffer, 0xFF, static_cast<std::size_t>(fields_.NullBitmapSize()));
  if (!forWriting) {
    return;
  }
  for (int i = 0; i < fields_.Count() && fields_.HasDefaultValues(); ++i) {
    const TKestrelFieldDef& field = *fields_.Items(i);
    if (!field.DefaultValue.IsNull()) {
      SetFieldValue(buffer, i, field, field.DefaultValue);
    }
  }
  if (!newRecord) {
    return;
  }
  for (int i = 0; i < fields_.Count() && fields_.HasAutoIncFields(); ++i) {
    const TKestrelFieldDef& field = *fields_.Items(i);
    if (!IsAutoIncDataType(field.DataType())) {
      continue;
    }
    const int64_t value = sequences_.NextValue(field.SequenceID, sessionID);
    uint8_t* target = buffer + field.DataOffset();
    auto bits = static_cast<uint64_t>(value);
    for (int32_t b = 0; b < field.DataSize() && b < 8; ++b) {
      target[b] = static_cast<uint8_t>(bits & 0xFF);
      bits >>= 8;
    }
    SetFieldNull(buffer, i, false);
  }
}

void TKestrelTableData::CheckConstraints(const uint8_t* buffer, TKestrelRecordID id,
                                         bool inserting) const {
  std::lock_guard guard(lock_);
  for (int i = 0; i < constraints_.Count(); ++i) {
    CheckConstraint(*constraints_.Items(i), buffer, id, inserting);
  }
}

void TKestrelTableData::CheckConstraint(const TKestrelConstraintDef& constraint,
                                        const uint8_t* buffer, TKestrelRecordID id,
                                        bool inserting) const {
  const auto duplicate = [&] {
    TKestrelTableIndex* index = indexes_.Index(constraint.TargetReference.ObjectID);
    if (index == nullptr) {
      throw EKestrelException("Index '%s' not found", {constraint.TargetReference.Name},
                              constraint.ConstraintType() == kConstraintPrimary ? 30325 : 30326);
    }
    return index->HasDuplicate(buffer, id, !inserting);
  };
  switch (constraint.ConstraintType()) {
    case kConstraintPrimary: {
      for (const auto& column :
           static_cast<const TKestrelConstraintDefUnique&>(constraint).Columns) {
        const int fieldNo = fields_.IndexOfID(column.ObjectID);
        if (fieldNo < 0) {
          throw EKestrelException("Field #%d not found", {column.ObjectID}, 30329);
        }
        if (IsFieldNull(buffer, fieldNo)) {
          throw EKestrelException("Constraint '%s' violated. Value in field '%s' cannot be null",
                                  {constraint.Name, fields_.Items(fieldNo)->Name}, 30330);
        }
      }
      if (duplicate()) {
        throw EKestrelException("Primary Key constraint '%s' violated. Duplicate found.",
                                {constraint.Name}, 30319);
      }
      return;
    }
    case kConstraintUnique:
      if (duplicate()) {
        throw EKestrelException("Constraint unique '%s' violated. Duplicate found.",
                                {constraint.Name}, 30320);
      }
      return;
    case kConstraintNotNull: {
      const int fieldNo = fields_.IndexOfID(constraint.TargetReference.ObjectID);
      if (fieldNo < 0) {
        throw EKestrelException("Field #%d not found", {constraint.TargetReference.ObjectID},
                                30024);
      }
      if (IsFieldNull(buffer, fieldNo)) {
        throw EKestrelException("Constraint '%s' violated. Value in field '%s' cannot be null",
                                {constraint.Name, fields_.Items(fieldNo)->Name}, 30026);
      }
      return;
    }
    case kConstraintCheck: {
      const auto& check = static_cast<const TKestrelConstraintDefCheck&>(constraint);
      const int fieldNo = fields_.IndexOfID(constraint.TargetReference.ObjectID);
      if (fieldNo < 0) {
        throw EKestrelException("Field #%d not found", {constraint.TargetReference.ObjectID},
                                30024);
      }
      const TKestrelFieldDef& field = *fields_.Items(fieldNo);
      const TKestrelVariant value = FieldValue(buffer, fieldNo, field);
      if (value.IsNull()) {
        return;
      }
      if (!check.LowerBound.IsNull() &&
          check.LowerBound.Compare(value, false, false, false) == TKestrelCompareCode::kGreater) {
        throw EKestrelException(
            "Constraint '%s' violated. Value in field '%s' cannot be lower then '%s'",
            {constraint.Name, field.Name, check.LowerBound.AsString()}, 30029);
      }
      if (!check.UpperBound.IsNull() &&
          check.UpperBound.Compare(value, false, false, false) == TKestrelCompareCode::kLess) {
        throw EKestrelException(
            "Constraint '%s' violated. Value in field '%s' cannot be greater then '%s'",
            {constraint.Name, field.Name, check.UpperBound.AsString()}, 30030);
      }
      return;
    }
    default:
      throw EKestrelException("Not implemented yet", 30036);
  }
}

bool TKestrelTableData::InsertRecord(uint8_t* buffer, TKestrelRecordID& id) {
  std::lock_guard guard(lock_);
  if (records_ == nullptr) {
    throw EKestrelException("Nil pointer occured", 10392);
  }
  std::vector<uint8_t>& stored = scratch_;
  stored.assign(buffer, buffer + records_->RecordSize());
  for (int i = 0; i < fields_.Count() && hasBlobs_; ++i) {
    const TKestrelFieldDef& field = *fields_.Items(i);
    if (IsBlobStorageType(field.StorageType()) && !IsFieldNull(buffer, i)) {
      SetBlobMarker(stored.data() + field.DataOffset(), kBlobOwnedByRecord);
    }
  }
  if (!records_->InsertRecord(stored.data(), id)) {
    return false;
  }
  std::memcpy(buffer, stored.data(), stored.size());
  indexes_.InsertRecord(buffer, id);
  return true;
}

bool TKestrelTableData::UpdateRecord(uint8_t* buffer, TKestrelRecordID id) {
  std::lock_guard guard(lock_);
  if (records_ == nullptr) {
    throw EKestrelException("Nil pointer occured", 10393);
  }
  std::vector<uint8_t> old(static_cast<std::size_t>(records_->RecordSize()));
  TKestrelRecordRequest request;
  request.RecordID = id;
  request.Buffer = old.data();
  if (records_->GetRecord(request) != TKestrelNavigationResult::kFound) {
    return false;
  }
  // The new image owns its blocks once stored; the blocks it replaces are
  // freed only when the store succeeded.
  std::vector<uint8_t> stored(buffer, buffer + records_->RecordSize());
  std::vector<uint32_t> replaced;
  for (int i = 0; i < fields_.Count() && hasBlobs_; ++i) {
    const TKestrelFieldDef& field = *fields_.Items(i);
    if (!IsBlobStorageType(field.StorageType()) || IsFieldNull(old.data(), i)) {
      continue;
    }
    const uint32_t oldHandle = BlobHandle(old.data(), i);
    if (IsFieldNull(buffer, i)) {
      replaced.push_back(oldHandle);
    } else if (BlobMarker(buffer + field.DataOffset()) == kBlobOwnedByBuffer &&
               BlobHandle(buffer, i) != oldHandle) {
      replaced.push_back(oldHandle);
    }
  }
  for (int i = 0; i < fields_.Count() && hasBlobs_; ++i) {
    const TKestrelFieldDef& field = *fields_.Items(i);
    if (IsBlobStorageType(field.StorageType()) && !IsFieldNull(buffer, i)) {
      SetBlobMarker(stored.data() + field.DataOffset(), kBlobOwnedByRecord);
    }
  }
  if (!records_->UpdateRecord(stored.data(), id)) {
    return false;
  }
  for (const uint32_t handle : replaced) {
    FreeBlobBlock(handle);
  }
  std::memcpy(buffer, stored.data(), stored.size());
  indexes_.UpdateRecord(old.data(), buffer, id);
  return true;
}

bool TKestrelTableData::DeleteRecord(TKestrelRecordID id) {
  std::lock_guard guard(lock_);
  if (records_ == nullptr) {
    throw EKestrelException("Nil pointer occured", 10394);
  }
  std::vector<uint8_t> old(static_cast<std::size_t>(records_->RecordSize()));
  TKestrelRecordRequest request;
  request.RecordID = id;
  request.Buffer = old.data();
  if (records_->GetRecord(request) != TKestrelNavigationResult::kFound ||
      !records_->DeleteRecord(id)) {
    return false;
  }
  FreeRecordBlobs(old.data());
  indexes_.DeleteRecord(old.data(), id);
  for (TKestrelTableClient* client : clients_) {
    client->RecordDeleted(id);
  }
  return true;
}

int64_t TKestrelTableData::GetRecordCount() const {
  std::lock_guard guard(lock_);
  return records_ == nullptr ? 0 : records_->GetRecordCount();
}

// BLOB values.

uint32_t TKestrelTableData::BlobHandle(const uint8_t* buffer, int fieldNo) const {
  const uint8_t* field = buffer + fields_.Items(fieldNo)->DataOffset();
  return static_cast<uint32_t>(field[0] | field[1] << 8 | field[2] << 16) |
         static_cast<uint32_t>(field[3]) << 24;
}

void TKestrelTableData::FreeBlobBlock(uint32_t handle) {
  if (handle == 0 || handle > blobBlocks_.size() || blobBlocks_[handle - 1] == nullptr) {
    return;
  }
  Memory().Free(blobBlocks_[handle - 1]);
  freeHandles_.push_back(handle);
}

void TKestrelTableData::FreeRecordBlobs(const uint8_t* record) {
  for (int i = 0; i < fields_.Count() && hasBlobs_; ++i) {
    if (IsBlobStorageType(fields_.Items(i)->StorageType()) && !IsFieldNull(record, i)) {
      FreeBlobBlock(BlobHandle(record, i));
    }
  }
}

TKestrelBlobValue TKestrelTableData::OpenBlob(const uint8_t* buffer, int fieldNo) const {
  std::lock_guard guard(lock_);
  const TKestrelFieldDef& field = *fields_.Items(fieldNo);
  if (field.BlobBlockSize == 0) {
    throw EKestrelException("Stream block size = 0 is not allowed", 10420);
  }
  TKestrelBlobValue value;
  if (IsFieldNull(buffer, fieldNo)) {
    return value;
  }
  const uint32_t handle = BlobHandle(buffer, fieldNo);
  if (handle == 0 || handle > blobBlocks_.size() || blobBlocks_[handle - 1] == nullptr) {
    throw EKestrelException("Invalid pointer", 30005);
  }
  const uint8_t* block = blobBlocks_[handle - 1];
  std::memcpy(&value.BlockCount, block, 4);
  std::memcpy(&value.ValueLength, block + 4, 8);
  const int32_t stored = Memory().AllocatedSize(block) - kBlobHeaderSize;
  value.StoredBytes.assign(block + kBlobHeaderSize, block + kBlobHeaderSize + stored);
  return value;
}

void TKestrelTableData::WriteBlob(uint8_t* buffer, int fieldNo, const TKestrelBlobValue& value) {
  std::lock_guard guard(lock_);
  const TKestrelFieldDef& field = *fields_.Items(fieldNo);
  if (field.BlobBlockSize == 0) {
    throw EKestrelException("Stream block size = 0 is not allowed", 10420);
  }
  uint8_t* target = buffer + field.DataOffset();
  if (!IsFieldNull(buffer, fieldNo) && BlobMarker(target) == kBlobOwnedByBuffer) {
    FreeBlobBlock(BlobHandle(buffer, fieldNo));
  }
  if (value.StoredBytes.empty() && value.ValueLength == 0) {
    std::memset(target, 0, 8);
    SetFieldNull(buffer, fieldNo, true);
    return;
  }
  const auto stored = static_cast<int32_t>(value.StoredBytes.size());
  auto* block = static_cast<uint8_t*>(Memory().Allocate(kBlobHeaderSize + stored));
  std::memcpy(block, &value.BlockCount, 4);
  std::memcpy(block + 4, &value.ValueLength, 8);
  if (stored > 0) {
    std::memcpy(block + kBlobHeaderSize, value.StoredBytes.data(), value.StoredBytes.size());
  }
  uint32_t handle = 0;
  if (!freeHandles_.empty()) {
    handle = freeHandles_.back();
    freeHandles_.pop_back();
    blobBlocks_[handle - 1] = block;
  } else {
    blobBlocks_.push_back(block);
    handle = static_cast<uint32_t>(blobBlocks_.size());
  }
  for (int b = 0; b < 4; ++b) {
    target[b] = static_cast<uint8_t>(handle >> (8 * b));
  }
  target[4] = 0;
  target[5] = 0;
  SetBlobMarker(target, kBlobOwnedByBuffer);
  SetFieldNull(buffer, fieldNo, false);
}

void TKestrelTableData::FreeBlob(uint8_t* buffer, int fieldNo) {
  std::lock_guard guard(lock_);
  if (IsFieldNull(buffer, fieldNo)) {
    return;
  }
  uint8_t* target = buffer + fields_.Items(fieldNo)->DataOffset();
  // A block the stored record owns stays until the update replaces it, so
  // that a cancelled edit leaves the stored record intact.
  if (BlobMarker(target) == kBlobOwnedByBuffer) {
    FreeBlobBlock(BlobHandle(buffer, fieldNo));
  }
  std::memset(target, 0, 8);
  SetFieldNull(buffer, fieldNo, true);
}

int64_t TKestrelTableData::LiveBlobBlocks() const {
  std::lock_guard guard(lock_);
  return static_cast<int64_t>(blobBlocks_.size() - freeHandles_.size());
}

// Memory table.

TKestrelMemoryTableData::TKestrelMemoryTableData(TKestrelDatabaseData& database,
                                                 std::string tableName, int32_t allocBy)
    : TKestrelTableData(database, std::move(tableName)), allocBy_(allocBy > 0 ? allocBy : 1000) {}

TKestrelMemoryTableData::~TKestrelMemoryTableData() = default;

std::unique_ptr<TKestrelBaseRecordManager> TKestrelMemoryTableData::CreateRecordManager(
    int32_t recordSize) {
  return std::make_unique<TKestrelMemoryRecordManager>(recordSize, allocBy_, Memory());
}

// Temporary table.

TKestrelTemporaryTableData::TKestrelTemporaryTableData(TKestrelDatabaseData& database,
                                                       std::string tableName,
                                                       std::optional<int64_t> threshold,
                                                       TKestrelSpillStreamFactory spill)
    : TKestrelTableData(database, std::move(tableName)),
      threshold_(threshold),
      spill_(std::move(spill)) {}

TKestrelTemporaryTableData::~TKestrelTemporaryTableData() = default;

std::unique_ptr<TKestrelBaseRecordManager> TKestrelTemporaryTableData::CreateRecordManager(
    int32_t recordSize) {
  return std::make_unique<TKestrelTemporaryRecordManager>(recordSize, Memory(), threshold_, spill_);
}

}  // namespace kestrel
