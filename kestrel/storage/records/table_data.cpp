#include "kestrel/storage/records/table_data.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/records/database_data.h"
#include "kestrel/storage/records/record_manager_memory.h"
#include "kestrel/storage/records/record_manager_temporary.h"
#include "kestrel/storage/streams/stream_errors.h"
#include "kestrel/storage/streams/temporary_stream.h"

namespace kestrel {
namespace {

constexpr int32_t kBlobHeaderSize = 12;

uint16_t BlobMarker(const uint8_t* field) {
  return static_cast<uint16_t>(field[6] | field[7] << 8);
}

void SetBlobMarker(uint8_t* field, uint16_t marker) {
  field[6] = static_cast<uint8_t>(marker & 0xFF);
  field[7] = static_cast<uint8_t>(marker >> 8);
}

// The bytes of a field's default BLOB value. A text default keeps its
// characters, not the terminating zero of the value's buffer.
TKestrelBlobValue DefaultBlobValue(const TKestrelFieldDef& field, const TKestrelVariant& value) {
  int32_t size = value.Size();
  const int32_t terminator = field.StorageType() == TKestrelStorageType::kMemo       ? 1
                             : field.StorageType() == TKestrelStorageType::kWideMemo ? 2
                                                                                     : 0;
  if (terminator > 0 && size >= terminator &&
      std::all_of(value.Data() + size - terminator, value.Data() + size,
                  [](uint8_t byte) { return byte == 0; })) {
    size -= terminator;
  }
  TKestrelBlobValue blob;
  blob.ValueLength = size;
  blob.StoredBytes.assign(value.Data(), value.Data() + size);
  return blob;
}

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
  if (IsBlobStorageType(field.StorageType())) {
    throw EKestrelException("Invalid field type for a direct value = %s", {field.Name}, 10656);
  }
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

void TKestrelIndexManager::OpenIndexes() {
  indexes_.clear();
  for (int i = 0; i < defs_.Count(); ++i) {
    OpenIndex(*defs_.Items(i));
  }
}

TKestrelTableIndex& TKestrelIndexManager::OpenIndex(TKestrelIndexDef& def) {
  if (!factory_) {
    throw EKestrelException("Cannot create index '%s'. No index factory is installed", {def.Name},
                            20105);
  }
  std::unique_ptr<TKestrelTableIndex> index = factory_(def, table_);
  auto& slot = indexes_[def.ObjectID];
  slot = std::move(index);
  return *slot;
}

TKestrelTableIndex* TKestrelIndexManager::Index(int32_t objectID) const {
  const auto it = indexes_.find(objectID);
  return it == indexes_.end() ? nullptr : it->second.get();
}

TKestrelTableIndex& TKestrelIndexManager::IndexByID(int32_t objectID) const {
  TKestrelTableIndex* index = Index(objectID);
  if (index == nullptr) {
    throw EKestrelException("Index not found", 20018);
  }
  return *index;
}

namespace {

// Changes every index in order; when one fails, the indexes already changed
// are changed back (their own errors dropped) and the first error goes on.
template <typename Indexes, typename Change, typename Undo>
void ChangeEveryIndex(Indexes& indexes, Change change, Undo undo) {
  auto it = indexes.begin();
  try {
    for (; it != indexes.end(); ++it) {
      change(*it->second);
    }
  } catch (...) {
    for (auto done = indexes.begin(); done != it; ++done) {
      try {
        undo(*done->second);
      } catch (...) {
        // The first error is the one to report.
      }
    }
    throw;
  }
}

}  // namespace

void TKestrelIndexManager::InsertRecord(int32_t session, const uint8_t* record,
                                        TKestrelRecordID id) {
  ChangeEveryIndex(
      indexes_, [&](TKestrelTableIndex& index) { index.InsertKey(session, record, id); },
      [&](TKestrelTableIndex& index) { index.DeleteKey(session, record, id); });
}

void TKestrelIndexManager::UpdateRecord(int32_t session, const uint8_t* oldRecord,
                                        const uint8_t* newRecord, TKestrelRecordID id) {
  ChangeEveryIndex(
      indexes_,
      [&](TKestrelTableIndex& index) { index.UpdateKey(session, oldRecord, newRecord, id); },
      [&](TKestrelTableIndex& index) { index.UpdateKey(session, newRecord, oldRecord, id); });
}

void TKestrelIndexManager::DeleteRecord(int32_t session, const uint8_t* record,
                                        TKestrelRecordID id) {
  ChangeEveryIndex(
      indexes_, [&](TKestrelTableIndex& index) { index.DeleteKey(session, record, id); },
      [&](TKestrelTableIndex& index) { index.InsertKey(session, record, id); });
}

void TKestrelIndexManager::Clear(int32_t session) {
  for (auto& [objectID, index] : indexes_) {
    index->DropPages(session);
  }
  CommitPages(session);
}

void TKestrelIndexManager::CommitPages(int32_t session) {
  for (auto& [objectID, index] : indexes_) {
    index->CommitPages(session);
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
    : database_(database),
      tableName_(std::move(tableName)),
      indexes_(*this, database.IndexFactory()) {}

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
  indexes_.OpenIndexes();
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
  indexes_.Clear(kMaintenanceSession);
  ReleaseIndexMemory();
}

void TKestrelTableData::DeleteVisibleRecords(const std::vector<TKestrelRecordID>* visible,
                                             int32_t session) {
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
    DeleteRecord(id, session);
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
  TKestrelTableIndex* built = nullptr;
  try {
    std::unique_ptr<TKestrelConstraintDef> constraint = ConstraintForIndex(added);
    if (constraint != nullptr) {
      constraint->ObjectID = NewObjectID();
      constraint->TableReference.Name = tableName_;
      ResolveConstraint(*constraint);
    }
    built = &indexes_.OpenIndex(added);
    if (records_ != nullptr) {
      // Every stored record must pass the new constraint against the
      // records before it, as if it were inserted now.
      std::vector<uint8_t> record(static_cast<std::size_t>(records_->RecordSize()));
      TKestrelRecordRequest request;
      request.Direction = TKestrelNavigation::kNext;
      request.AtBeginning = true;
      request.Buffer = record.data();
      while (records_->GetRecord(request) == TKestrelNavigationResult::kFound) {
        if (constraint != nullptr) {
          CheckConstraint(*constraint, record.data(), request.RecordID, true, kMaintenanceSession);
        }
        built->InsertKey(kMaintenanceSession, record.data(), request.RecordID);
      }
    }
    built->CommitPages(kMaintenanceSession);
    if (constraint != nullptr) {
      constraints_.Add(std::move(constraint));
    }
  } catch (...) {
    if (built != nullptr) {
      try {
        built->DropPages(kMaintenanceSession);
        built->CommitPages(kMaintenanceSession);
      } catch (...) {
        // The first error is the one to report.
      }
    }
    indexes_.CloseIndex(added.ObjectID);
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
  if (TKestrelTableIndex* index = indexes_.Index(objectID)) {
    index->DropPages(kMaintenanceSession);
    index->CommitPages(kMaintenanceSession);
  }
  for (int i = 0; i < constraints_.Count(); ++i) {
    const TKestrelConstraintDef& constraint = *constraints_.Items(i);
    const bool keyed = constraint.ConstraintType() == kConstraintPrimary ||
                       constraint.ConstraintType() == kConstraintUnique;
    if (keyed && constraint.TargetReference.ObjectID == objectID) {
      constraints_.Delete(i);
      break;
    }
  }
  indexes_.CloseIndex(objectID);
  defs.Delete(position);
  return true;
}

void TKestrelTableData::OpenClient(TKestrelTableClient* client) {
  // Database before table: a table cannot leave its database while a
  // client is being registered.
  std::lock_guard databaseGuard(database_.Lock());
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
    if (field.DefaultValue.IsNull()) {
      continue;
    }
    if (IsBlobStorageType(field.StorageType())) {
      TKestrelVariant value = field.DefaultValue;
      if (value.DataType() != field.StorageType()) {
        value.ConvertTo(field.StorageType());
      }
      if (!value.IsNull()) {
        StoreDefaultBlob(buffer, i, DefaultBlobValue(field, value));
      }
      continue;
    }
    SetFieldValue(buffer, i, field, field.DefaultValue);
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

void TKestrelTableData::CheckConstraints(const uint8_t* buffer, TKestrelRecordID id, bool inserting,
                                         int32_t session) {
  std::lock_guard guard(lock_);
  for (int i = 0; i < constraints_.Count(); ++i) {
    CheckConstraint(*constraints_.Items(i), buffer, id, inserting, session);
  }
}

const uint8_t* TKestrelTableData::StoredRecord(TKestrelRecordID id) {
  stored_.resize(static_cast<std::size_t>(records_->RecordSize()));
  TKestrelRecordRequest request;
  request.RecordID = id;
  request.Buffer = stored_.data();
  if (records_->GetRecord(request) != TKestrelNavigationResult::kFound) {
    return nullptr;
  }
  return stored_.data();
}

void TKestrelTableData::CheckConstraint(const TKestrelConstraintDef& constraint,
                                        const uint8_t* buffer, TKestrelRecordID id, bool inserting,
                                        int32_t session) {
  const auto duplicate = [&] {
    TKestrelTableIndex* index = indexes_.Index(constraint.TargetReference.ObjectID);
    if (index == nullptr) {
      throw EKestrelException("Index '%s' not found", {constraint.TargetReference.Name},
                              constraint.ConstraintType() == kConstraintPrimary ? 30325 : 30326);
    }
    const uint8_t* stored = inserting || records_ == nullptr ? nullptr : StoredRecord(id);
    return stored != nullptr ? !index->IsUpdateUnique(session, stored, buffer)
                             : !index->IsKeyUnique(session, buffer);
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

void TKestrelTableData::MarkBlobsOwnedByBuffer(uint8_t* buffer) {
  for (int i = 0; i < fields_.Count() && hasBlobs_; ++i) {
    const TKestrelFieldDef& field = *fields_.Items(i);
    if (IsBlobStorageType(field.StorageType()) && !IsFieldNull(buffer, i)) {
      SetBlobMarker(buffer + field.DataOffset(), kBlobOwnedByBuffer);
    }
  }
}

bool TKestrelTableData::InsertRecord(uint8_t* buffer, TKestrelRecordID& id, int32_t session) {
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
  try {
    indexes_.InsertRecord(session, buffer, id);
  } catch (...) {
    // The record goes again; its BLOB blocks are the buffer's once more.
    records_->DeleteRecord(id);
    MarkBlobsOwnedByBuffer(buffer);
    indexes_.CommitPages(session);
    throw;
  }
  indexes_.CommitPages(session);
  return true;
}

bool TKestrelTableData::PostRecord(uint8_t* buffer, TKestrelRecordID& id, bool inserting,
                                   int32_t session) {
  std::lock_guard guard(lock_);
  CheckConstraints(buffer, id, inserting, session);
  return inserting ? InsertRecord(buffer, id, session) : UpdateRecord(buffer, id, session);
}

bool TKestrelTableData::UpdateRecord(uint8_t* buffer, TKestrelRecordID id, int32_t session) {
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
  // The indexes change first: a failing one leaves record and indexes as
  // they were.
  try {
    indexes_.UpdateRecord(session, old.data(), stored.data(), id);
  } catch (...) {
    indexes_.CommitPages(session);
    throw;
  }
  if (!records_->UpdateRecord(stored.data(), id)) {
    indexes_.UpdateRecord(session, stored.data(), old.data(), id);
    indexes_.CommitPages(session);
    return false;
  }
  indexes_.CommitPages(session);
  for (const uint32_t handle : replaced) {
    FreeBlobBlock(handle);
  }
  std::memcpy(buffer, stored.data(), stored.size());
  return true;
}

bool TKestrelTableData::DeleteRecord(TKestrelRecordID id, int32_t session) {
  std::lock_guard guard(lock_);
  if (records_ == nullptr) {
    throw EKestrelException("Nil pointer occured", 10394);
  }
  std::vector<uint8_t> old(static_cast<std::size_t>(records_->RecordSize()));
  TKestrelRecordRequest request;
  request.RecordID = id;
  request.Buffer = old.data();
  if (records_->GetRecord(request) != TKestrelNavigationResult::kFound) {
    return false;
  }
  try {
    indexes_.DeleteRecord(session, old.data(), id);
  } catch (...) {
    indexes_.CommitPages(session);
    throw;
  }
  if (!records_->DeleteRecord(id)) {
    indexes_.InsertRecord(session, old.data(), id);
    indexes_.CommitPages(session);
    return false;
  }
  indexes_.CommitPages(session);
  FreeRecordBlobs(old.data());
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

const TKestrelFieldDef& TKestrelTableData::BlobField(int fieldNo) const {
  const TKestrelFieldDef& field = *fields_.Items(fieldNo);
  if (field.BlobBlockSize == 0) {
    throw EKestrelException("Stream block size = 0 is not allowed", 10420);
  }
  return field;
}

const uint8_t* TKestrelTableData::StoredBlobBlock(const uint8_t* buffer, int fieldNo) const {
  const uint32_t handle = BlobHandle(buffer, fieldNo);
  if (handle == 0 || handle > blobBlocks_.size() || blobBlocks_[handle - 1] == nullptr) {
    throw EKestrelException("Invalid pointer", 30005);
  }
  return blobBlocks_[handle - 1];
}

TKestrelBlobValue TKestrelTableData::OpenBlob(const uint8_t* buffer, int fieldNo) const {
  std::lock_guard guard(lock_);
  BlobField(fieldNo);
  TKestrelBlobValue value;
  if (IsFieldNull(buffer, fieldNo)) {
    return value;
  }
  const uint8_t* block = StoredBlobBlock(buffer, fieldNo);
  std::memcpy(&value.BlockCount, block, 4);
  std::memcpy(&value.ValueLength, block + 4, 8);
  const int32_t stored = Memory().AllocatedSize(block) - kBlobHeaderSize;
  value.StoredBytes.assign(block + kBlobHeaderSize, block + kBlobHeaderSize + stored);
  return value;
}

// A default BLOB value gets a block of its own, owned by the buffer; a
// compressed field's default is written through its compressed stream, so
// it is stored in the field's blocks like any value written to it.
void TKestrelTableData::StoreDefaultBlob(uint8_t* buffer, int fieldNo,
                                         const TKestrelBlobValue& value) {
  if (BlobField(fieldNo).BlobCompressionAlgorithm == 0) {
    WriteBlob(buffer, fieldNo, value);
    return;
  }
  const std::unique_ptr<TKestrelLocalBLOBStream> stream =
      OpenBlobStream(buffer, fieldNo, TKestrelBlobOpenMode::Write);
  WriteStreamBuffer(*stream, value.StoredBytes.data(),
                    static_cast<int32_t>(value.StoredBytes.size()), stream_site::kBlobDefaultWrite);
  WriteBlob(buffer, fieldNo, *stream);
}

std::unique_ptr<TKestrelLocalBLOBStream> TKestrelTableData::OpenBlobStream(
    const uint8_t* buffer, int fieldNo, TKestrelBlobOpenMode mode) const {
  std::lock_guard guard(lock_);
  const TKestrelFieldDef& field = BlobField(fieldNo);
  TKestrelBlobDescriptor descriptor;
  descriptor.BlockSize = field.BlobBlockSize;
  descriptor.CompressionAlgorithm = field.BlobCompressionAlgorithm;
  descriptor.CompressionMode = field.BlobCompressionMode;
  auto bytes = std::make_unique<TKestrelTemporaryStream>(Memory());
  const bool newValue = mode == TKestrelBlobOpenMode::Write || IsFieldNull(buffer, fieldNo);
  if (!newValue) {
    const uint8_t* block = StoredBlobBlock(buffer, fieldNo);
    int32_t blockCount = 0;
    std::memcpy(&blockCount, block, 4);
    std::memcpy(&descriptor.ValueLength, block + 4, 8);
    descriptor.BlockCount = blockCount;
    const int32_t stored = Memory().AllocatedSize(block) - kBlobHeaderSize;
    if (stored > 0) {
      WriteStreamBuffer(*bytes, block + kBlobHeaderSize, stored, stream_site::kBlobCopyIn);
    }
    bytes->SetPosition(0);
  }
  return std::make_unique<TKestrelLocalBLOBStream>(std::move(bytes), false, newValue, descriptor,
                                                   mode == TKestrelBlobOpenMode::Read);
}

uint8_t* TKestrelTableData::NewBlobBlock(int64_t blockCount, int64_t valueLength,
                                         int64_t storedLength) const {
  constexpr int64_t kMaxStored = std::numeric_limits<int32_t>::max() - kBlobHeaderSize;
  constexpr int64_t kMaxBlocks = std::numeric_limits<int32_t>::max();
  if (storedLength > kMaxStored) {
    throw EKestrelException("BLOB value too large. Stored size = %d, Limit = %d",
                            {storedLength, kMaxStored}, stream_site::kBlobTooLarge);
  }
  if (blockCount < 0 || blockCount > kMaxBlocks) {
    throw EKestrelException("Too many BLOB blocks. Block count = %d, Limit = %d",
                            {blockCount, kMaxBlocks}, stream_site::kBlobTooManyBlocks);
  }
  auto* block = static_cast<uint8_t*>(
      Memory().Allocate(static_cast<int32_t>(kBlobHeaderSize + storedLength)));
  const auto count = static_cast<int32_t>(blockCount);
  std::memcpy(block, &count, 4);
  std::memcpy(block + 4, &valueLength, 8);
  return block;
}

void TKestrelTableData::InstallBlobBlock(uint8_t* buffer, int fieldNo, uint8_t* block) {
  uint8_t* target = buffer + fields_.Items(fieldNo)->DataOffset();
  uint32_t handle = 0;
  if (block != nullptr) {
    if (freeHandles_.empty()) {
      try {
        blobBlocks_.push_back(nullptr);
      } catch (...) {
        Memory().Free(block);
        throw;
      }
      handle = static_cast<uint32_t>(blobBlocks_.size());
    } else {
      handle = freeHandles_.back();
      freeHandles_.pop_back();
    }
    blobBlocks_[handle - 1] = block;
  }
  // Only now is the buffer's old block let go: a refused or failed new
  // value leaves the field as it was.
  if (!IsFieldNull(buffer, fieldNo) && BlobMarker(target) == kBlobOwnedByBuffer) {
    FreeBlobBlock(BlobHandle(buffer, fieldNo));
  }
  if (block == nullptr) {
    std::memset(target, 0, 8);
    SetFieldNull(buffer, fieldNo, true);
    return;
  }
  for (int b = 0; b < 4; ++b) {
    target[b] = static_cast<uint8_t>(handle >> (8 * b));
  }
  target[4] = 0;
  target[5] = 0;
  SetBlobMarker(target, kBlobOwnedByBuffer);
  SetFieldNull(buffer, fieldNo, false);
}

void TKestrelTableData::WriteBlob(uint8_t* buffer, int fieldNo, const TKestrelBlobValue& value) {
  std::lock_guard guard(lock_);
  BlobField(fieldNo);
  if (value.StoredBytes.empty() && value.ValueLength == 0) {
    InstallBlobBlock(buffer, fieldNo, nullptr);
    return;
  }
  const auto stored = static_cast<int64_t>(value.StoredBytes.size());
  uint8_t* block = NewBlobBlock(value.BlockCount, value.ValueLength, stored);
  if (stored > 0) {
    std::memcpy(block + kBlobHeaderSize, value.StoredBytes.data(), value.StoredBytes.size());
  }
  InstallBlobBlock(buffer, fieldNo, block);
}

void TKestrelTableData::WriteBlob(uint8_t* buffer, int fieldNo, TKestrelLocalBLOBStream& stream) {
  std::lock_guard guard(lock_);
  BlobField(fieldNo);
  const TKestrelBlobDescriptor& descriptor = stream.Descriptor();
  if (descriptor.ValueLength == 0) {
    InstallBlobBlock(buffer, fieldNo, nullptr);
    return;
  }
  TKestrelStream& bytes = stream.Underlying();
  const int64_t stored = std::max<int64_t>(0, bytes.Size() - descriptor.StartPosition);
  uint8_t* block = NewBlobBlock(descriptor.BlockCount, descriptor.ValueLength, stored);
  const int64_t position = bytes.Position();
  try {
    bytes.SetPosition(descriptor.StartPosition);
    if (stored > 0) {
      ReadStreamBuffer(bytes, block + kBlobHeaderSize, static_cast<int32_t>(stored), 10117);
    }
  } catch (...) {
    bytes.SetPosition(position);
    Memory().Free(block);
    throw;
  }
  bytes.SetPosition(position);
  InstallBlobBlock(buffer, fieldNo, block);
}

void TKestrelTableData::FreeBlob(uint8_t* buffer, int fieldNo) {
  std::lock_guard guard(lock_);
  if (IsFieldNull(buffer, fieldNo)) {
    return;
  }
  // A block the stored record owns stays until the update replaces it, so
  // that a cancelled edit leaves the stored record intact.
  InstallBlobBlock(buffer, fieldNo, nullptr);
}

int64_t TKestrelTableData::LiveBlobBlocks() const {
  std::lock_guard guard(lock_);
  return static_cast<int64_t>(blobBlocks_.size() - freeHandles_.size());
}

// Memory table.

TKestrelMemoryTableData::TKestrelMemoryTableData(TKestrelDatabaseData& database,
                                                 std::string tableName, int32_t allocBy)
    : TKestrelTableData(database, std::move(tableName)),
      allocBy_(allocBy > 0 ? allocBy : 1000),
      pages_(database.Memory()) {}

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
      spill_(spill),
      pages_(database.Memory(), std::nullopt, std::move(spill)) {}

TKestrelTemporaryTableData::~TKestrelTemporaryTableData() = default;

std::unique_ptr<TKestrelBaseRecordManager> TKestrelTemporaryTableData::CreateRecordManager(
    int32_t recordSize) {
  return std::make_unique<TKestrelTemporaryRecordManager>(recordSize, Memory(), threshold_, spill_);
}

}  // namespace kestrel
