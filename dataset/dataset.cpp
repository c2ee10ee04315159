#include "dataset/dataset.h"

#include <algorithm>
#include <cstring>

#include "dataset/data_source.h"
#include "dataset/dataset_errors.h"
#include "dataset/fields.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "platform/user_dialogs.h"

namespace dataset {

namespace {

bool IsEditState(TDataSetState state) {
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

// A transient state (computing fields, filtering) that ends with the scope.
class TempState {
 public:
  TempState(TDataSetState& state, TDataSetState temp) : state_(state), saved_(state) {
    state_ = temp;
  }
  ~TempState() { state_ = saved_; }
  TempState(const TempState&) = delete;
  TempState& operator=(const TempState&) = delete;

 private:
  TDataSetState& state_;
  TDataSetState saved_;
};

}  // namespace

TDataSet::TDataSet() = default;

TDataSet::~TDataSet() {
  // Implementations close in their own destructors, while their hooks still
  // exist; here only the links to data sources are cut.
  for (TDataSource* source : dataSources_)
    source->dataSet_ = nullptr;
  for (TDataSource* source : dataSources_)
    source->UpdateState();
}

// ---------------------------------------------------------------- opening

void TDataSet::SetActive(bool value) {
  if (value == Active())
    return;
  if (value) {
    Fire(BeforeOpen);
    try {
      OpenCursor();
    } catch (...) {
      CloseCursor();
      throw;
    }
    SetState(TDataSetState::dsBrowse);
    ClearBuffers();
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
    bof_ = true;
    DataEvent(TDataEvent::deDataSetChange);
    Fire(AfterOpen);
    if (!IsEmpty())
      Fire(AfterScroll);
  } else {
    if (IsEditState(state_))
      Cancel();
    Fire(BeforeClose);
    SetState(TDataSetState::dsInactive);
    CloseCursor();
    Fire(AfterClose);
  }
}

void TDataSet::OpenCursor() {
  InternalOpen();
  if (!fieldDefs_.Updated()) {
    fieldDefs_.Clear();
    InternalInitFieldDefs();
    fieldDefs_.SetUpdated(true);
  }
  if (defaultFields_)
    CreateDefaultFields();
  BindFields(true);
  AllocateBuffers();
}

void TDataSet::CloseCursor() {
  BindFields(false);
  if (IsCursorOpen())
    InternalClose();
  if (defaultFields_)
    DestroyDefaultFields();
  FreeBuffers();
  ClearBuffers();
  fieldDefs_.SetUpdated(false);
}

void TDataSet::CloseForDestruction() noexcept {
  for (TDataSetNotifyEvent* event :
       {&BeforeOpen, &AfterOpen, &BeforeClose, &AfterClose, &BeforeInsert, &AfterInsert,
        &BeforeEdit, &AfterEdit, &BeforePost, &AfterPost, &BeforeCancel, &AfterCancel,
        &BeforeDelete, &AfterDelete, &BeforeScroll, &AfterScroll, &OnCalcFields, &OnNewRecord}) {
    *event = nullptr;
  }
  OnDeleteError = nullptr;
  OnEditError = nullptr;
  OnPostError = nullptr;
  try {
    Close();
  } catch (...) {
    // Nothing can be reported from a destructor.
  }
}

TFieldDefs& TDataSet::UpdatedFieldDefs() {
  if (!fieldDefs_.Updated()) {
    fieldDefs_.Clear();
    InternalInitFieldDefs();
    fieldDefs_.SetUpdated(true);
  }
  return fieldDefs_;
}

void TDataSet::CreateDefaultFields() {
  fields_.clear();
  for (const TFieldDef& def : fieldDefs_) {
    if (!IsFieldTypeSupported(def.DataType))
      continue;
    std::unique_ptr<TField> field = CreateField(def.DataType, def.Size);
    field->SetFieldName(def.Name);
    field->SetRequired(def.Required);
    field->SetReadOnly(def.ReadOnly);
    field->fieldNo_ = def.FieldNo;
    if (def.DisplayWidth > 0)
      field->SetDisplayWidth(def.DisplayWidth);
    if (auto* floatField = dynamic_cast<TFloatField*>(field.get());
        floatField != nullptr && def.Precision > 0) {
      floatField->SetPrecision(def.Precision);
    }
    field->dataSet_ = this;
    fields_.push_back(std::move(field));
  }
}

void TDataSet::DestroyDefaultFields() {
  fields_.clear();
}

TField& TDataSet::AddField(std::unique_ptr<TField> field) {
  CheckInactive();
  if (FindField(field->FieldName()) != nullptr) {
    DatabaseErrorFmt(kDuplicateFieldName, {field->FieldName()});
  }
  if (defaultFields_) {
    fields_.clear();
    defaultFields_ = false;
  }
  field->dataSet_ = this;
  field->index_ = FieldCount();
  fields_.push_back(std::move(field));
  return *fields_.back();
}

void TDataSet::BindFields(bool binding) {
  calcAreaSize_ = 0;
  for (size_t i = 0; i < fields_.size(); ++i) {
    TField& field = *fields_[i];
    field.index_ = static_cast<int>(i);
    if (!binding)
      continue;
    if (field.IsCalculated() || field.FieldKind() == TFieldKind::fkLookup) {
      field.fieldNo_ = 0;
      field.calcOffset_ = calcAreaSize_;
      calcAreaSize_ += 1 + field.DataSize();
    } else if (defaultFields_ && field.fieldNo_ > 0) {
      // Made from its definition: a result may hold two columns of one
      // name, and each field must read its own.
    } else {
      const int defIndex = fieldDefs_.IndexOf(field.FieldName());
      if (defIndex < 0)
        DatabaseErrorFmt(kFieldNotFound, {field.FieldName()});
      field.fieldNo_ = defIndex + 1;
    }
  }
}

TField& TDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount()) {
    DatabaseErrorFmt(kFieldNotFound, {std::to_string(index)});
  }
  return *fields_[static_cast<size_t>(index)];
}

TField* TDataSet::FindField(std::string_view name) const {
  for (const auto& field : fields_) {
    if (platform::SameText(field->FieldName(), name))
      return field.get();
  }
  return nullptr;
}

TField& TDataSet::FieldByName(std::string_view name) const {
  TField* field = FindField(name);
  if (field == nullptr)
    DatabaseErrorFmt(kFieldNotFound, {std::string(name)});
  return *field;
}

// ---------------------------------------------------------------- state

void TDataSet::SetState(TDataSetState state) {
  if (state_ == state)
    return;
  state_ = state;
  modified_ = false;
  DataEvent(TDataEvent::deUpdateState);
}

void TDataSet::CheckActive() const {
  if (!Active())
    DatabaseError(kDataSetClosed);
}

void TDataSet::CheckInactive() const {
  if (Active())
    DatabaseError(kDataSetOpen);
}

void TDataSet::CheckCanModify() const {
  if (!GetCanModify())
    DatabaseError(kDataSetReadOnly);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(TDataEvent::deCheckBrowseMode);
  if (IsEditState(state_)) {
    UpdateRecord();
    if (modified_) {
      Post();
    } else {
      Cancel();
    }
  }
}

// ---------------------------------------------------------------- buffers

void TDataSet::AllocateBuffers() {
  implBufferSize_ = RecordBufferSize();
  const auto size = static_cast<size_t>(implBufferSize_ + calcAreaSize_);
  auto make = [&] {
    auto buffer = std::make_unique<uint8_t[]>(size);
    InternalInitRecordBuffer(buffer.get());
    return buffer;
  };
  tempBuffer_ = make();
  filterBuffer_ = make();
  buffers_.clear();
  buffers_.push_back(make());
  bufferCount_ = 0;
  ClearBuffers();
  UpdateBufferCount();
}

void TDataSet::FreeBuffers() {
  buffers_.clear();
  tempBuffer_.reset();
  filterBuffer_.reset();
  bufferCount_ = 0;
  calcBuffer_ = nullptr;
  viewBuffer_ = nullptr;
}

void TDataSet::UpdateBufferCount() {
  if (!tempBuffer_)
    return;
  int count = 1;
  for (TDataSource* source : dataSources_) {
    for (TDataLink* link : source->links_)
      count = std::max(count, link->BufferCount());
  }
  SetBufferCount(count);
}

void TDataSet::SetBufferCount(int count) {
  if (count == bufferCount_)
    return;
  const bool grew = count > bufferCount_;
  if (!grew && recordCount_ > count) {
    // Drop records before the active one first, then after it, so that the
    // active record stays in the window.
    const int drop = recordCount_ - count;
    const int dropFront = std::min(drop, activeRecord_);
    std::rotate(buffers_.begin(), buffers_.begin() + dropFront,
                buffers_.begin() + recordCount_ + 1);
    activeRecord_ -= dropFront;
    recordCount_ = count;
    CursorPosChanged();
  }
  const auto size = static_cast<size_t>(implBufferSize_ + calcAreaSize_);
  while (static_cast<int>(buffers_.size()) < count + 1) {
    auto buffer = std::make_unique<uint8_t[]>(size);
    InternalInitRecordBuffer(buffer.get());
    buffers_.push_back(std::move(buffer));
  }
  buffers_.resize(static_cast<size_t>(count + 1));
  bufferCount_ = count;
  if (grew && state_ == TDataSetState::dsBrowse && recordCount_ > 0) {
    UpdateCursorPos();
    Resync(0);
  }
}

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = true;
  eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  currentRecord_ = 0;
  bof_ = false;
  eof_ = false;
}

void TDataSet::MoveBuffer(int from, int to) {
  if (from == to)
    return;
  auto buffer = std::move(buffers_[static_cast<size_t>(from)]);
  buffers_.erase(buffers_.begin() + from);
  buffers_.insert(buffers_.begin() + to, std::move(buffer));
}

TRecordBuffer TDataSet::ActiveBuffer() const {
  switch (state_) {
    case TDataSetState::dsCalcFields:
      return calcBuffer_;
    case TDataSetState::dsFilter:
      return filterBuffer_.get();
    default:
      break;
  }
  if (viewBuffer_ != nullptr)
    return viewBuffer_;
  if (buffers_.empty())
    return nullptr;
  if (recordCount_ == 0 && !IsEditState(state_))
    return nullptr;
  return Buffer(activeRecord_);
}

bool TDataSet::AppendingRecord() const {
  if (state_ != TDataSetState::dsInsert || buffers_.empty())
    return false;
  const TBookmarkFlag flag = const_cast<TDataSet*>(this)->GetBookmarkFlag(Buffer(activeRecord_));
  return flag == TBookmarkFlag::bfEOF || flag == TBookmarkFlag::bfBOF;
}

TRecordBuffer TDataSet::EditBuffer() const {
  if (!IsEditState(state_) || buffers_.empty())
    return nullptr;
  return Buffer(activeRecord_);
}

void TDataSet::SetCurrentRecord(int index) {
  if (currentRecord_ == index)
    return;
  TRecordBuffer buffer = Buffer(index);
  switch (GetBookmarkFlag(buffer)) {
    case TBookmarkFlag::bfCurrent:
    case TBookmarkFlag::bfInserted:
      InternalSetToRecord(buffer);
      break;
    case TBookmarkFlag::bfBOF:
      InternalFirst();
      break;
    case TBookmarkFlag::bfEOF:
      InternalLast();
      break;
  }
  currentRecord_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (recordCount_ > 0)
    SetCurrentRecord(activeRecord_);
}

TGetResult TDataSet::ReadRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
  for (;;) {
    const TGetResult result = GetRecord(buffer, mode, doCheck);
    if (result != TGetResult::grOK)
      return result;
    GetCalcFields(buffer);
    if (!FilterActive() || RecordAccepted(buffer))
      return result;
    // A rejected current record is not there; the caller moves on.
    if (mode == TGetMode::gmCurrent)
      return TGetResult::grError;
  }
}

bool TDataSet::RecordAccepted(TRecordBuffer buffer) {
  if (!onFilterRecord_)
    return true;
  std::memcpy(filterBuffer_.get(), buffer, static_cast<size_t>(implBufferSize_ + calcAreaSize_));
  TempState temp(state_, TDataSetState::dsFilter);
  bool accept = true;
  onFilterRecord_(*this, accept);
  return accept;
}

bool TDataSet::GetNextRecord() {
  TGetMode mode = TGetMode::gmNext;
  if (recordCount_ > 0) {
    SetCurrentRecord(recordCount_ - 1);
    if (state_ == TDataSetState::dsInsert && currentRecord_ == activeRecord_ &&
        GetBookmarkFlag(Buffer(activeRecord_)) == TBookmarkFlag::bfCurrent) {
      mode = TGetMode::gmCurrent;
    }
  }
  const bool ok = ReadRecord(Buffer(recordCount_), mode, true) == TGetResult::grOK;
  if (ok) {
    if (recordCount_ == 0) {
      ActivateBuffers();
    } else if (recordCount_ < bufferCount_) {
      ++recordCount_;
    } else {
      MoveBuffer(0, recordCount_);
    }
    currentRecord_ = recordCount_ - 1;
  } else {
    CursorPosChanged();
  }
  return ok;
}

bool TDataSet::GetPriorRecord() {
  if (recordCount_ > 0)
    SetCurrentRecord(0);
  const bool ok = ReadRecord(Buffer(recordCount_), TGetMode::gmPrior, true) == TGetResult::grOK;
  if (ok) {
    if (recordCount_ == 0) {
      ActivateBuffers();
    } else {
      MoveBuffer(recordCount_, 0);
      if (recordCount_ < bufferCount_) {
        ++recordCount_;
        ++activeRecord_;
      }
    }
    currentRecord_ = 0;
  } else {
    CursorPosChanged();
  }
  return ok;
}

int TDataSet::GetNextRecords() {
  int count = 0;
  while (recordCount_ < bufferCount_ && GetNextRecord())
    ++count;
  return count;
}

int TDataSet::GetPriorRecords() {
  int count = 0;
  while (recordCount_ < bufferCount_ && GetPriorRecord())
    ++count;
  return count;
}

void TDataSet::Resync(uint8_t mode) {
  TRecordBuffer spare = Buffer(recordCount_);
  if ((mode & rmExact) != 0) {
    CursorPosChanged();
    if (ReadRecord(spare, TGetMode::gmCurrent, true) != TGetResult::grOK) {
      DatabaseError(kRecordNotFound);
    }
  } else if (ReadRecord(spare, TGetMode::gmCurrent, false) != TGetResult::grOK &&
             ReadRecord(spare, TGetMode::gmNext, false) != TGetResult::grOK &&
             ReadRecord(spare, TGetMode::gmPrior, false) != TGetResult::grOK) {
    ClearBuffers();
    DataEvent(TDataEvent::deDataSetChange);
    return;
  }
  int count = (mode & rmCenter) != 0 ? (bufferCount_ - 1) / 2 : activeRecord_;
  MoveBuffer(recordCount_, 0);
  ActivateBuffers();
  while (count > 0 && GetPriorRecord())
    --count;
  GetNextRecords();
  GetPriorRecords();
  DataEvent(TDataEvent::deDataSetChange);
}

// ---------------------------------------------------------------- navigation

void TDataSet::First() {
  CheckBrowseMode();
  Fire(BeforeScroll);
  ClearBuffers();
  try {
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  } catch (...) {
    bof_ = true;
    DataEvent(TDataEvent::deDataSetChange);
    throw;
  }
  bof_ = true;
  DataEvent(TDataEvent::deDataSetChange);
  Fire(AfterScroll);
}

void TDataSet::Last() {
  CheckBrowseMode();
  Fire(BeforeScroll);
  ClearBuffers();
  try {
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  } catch (...) {
    eof_ = true;
    DataEvent(TDataEvent::deDataSetChange);
    throw;
  }
  eof_ = true;
  DataEvent(TDataEvent::deDataSetChange);
  Fire(AfterScroll);
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int moved = 0;
  Fire(BeforeScroll);
  if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
    bof_ = false;
    eof_ = false;
    const int previousRecordCount = recordCount_;
    int scrolled = 0;
    try {
      while (distance > 0) {
        if (activeRecord_ < recordCount_ - 1) {
          ++activeRecord_;
        } else {
          const int shift = recordCount_ < bufferCount_ ? 0 : 1;
          if (!GetNextRecord()) {
            eof_ = true;
            break;
          }
          scrolled += shift;
          if (activeRecord_ < recordCount_ - 1)
            ++activeRecord_;
        }
        --distance;
        ++moved;
      }
      while (distance < 0) {
        if (activeRecord_ > 0) {
          --activeRecord_;
        } else {
          const int shift = recordCount_ < bufferCount_ ? 0 : 1;
          if (!GetPriorRecord()) {
            bof_ = true;
            break;
          }
          scrolled -= shift;
        }
        ++distance;
        --moved;
      }
    } catch (...) {
      DataEvent(TDataEvent::deDataSetChange);
      throw;
    }
    if (recordCount_ != previousRecordCount) {
      DataEvent(TDataEvent::deDataSetChange);
    } else {
      DataEvent(TDataEvent::deDataSetScroll, &scrolled);
    }
  }
  Fire(AfterScroll);
  return moved;
}

int TDataSet::RecordCount() {
  CheckActive();
  return GetRecordCount();
}

int TDataSet::RecNo() {
  CheckActive();
  return GetRecNo();
}

void TDataSet::SetRecNo(int value) {
  CheckBrowseMode();
  if (value == GetRecNo())
    return;
  CursorPosChanged();
  if (!InternalSetToRecNo(value)) {
    CursorPosChanged();
    UpdateCursorPos();
    return;
  }
  Fire(BeforeScroll);
  Resync(rmExact | rmCenter);
  Fire(AfterScroll);
}

bool TDataSet::InternalSetToRecNo(int recNo) {
  if (recNo < 1)
    return false;
  InternalFirst();
  for (int i = 0; i < recNo; ++i) {
    if (ReadRecord(TempBuffer(), TGetMode::gmNext, false) != TGetResult::grOK)
      return false;
  }
  return true;
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  UpdateCursorPos();
  InternalRefresh();
  Resync(0);
}

// ---------------------------------------------------------------- bookmarks

bool TDataSet::BookmarkAvailable() const {
  if (!Active() || recordCount_ == 0 || buffers_.empty())
    return false;
  return const_cast<TDataSet*>(this)->GetBookmarkFlag(Buffer(activeRecord_)) ==
         TBookmarkFlag::bfCurrent;
}

TBookmark TDataSet::GetBookmark() {
  if (!BookmarkAvailable())
    return {};
  return GetBookmarkData(Buffer(activeRecord_));
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty())
    return;
  CheckBrowseMode();
  Fire(BeforeScroll);
  InternalGotoBookmark(bookmark);
  Resync(rmExact | rmCenter);
  Fire(AfterScroll);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) {
  return !bookmark.empty();
}

int TDataSet::CompareBookmarks(const TBookmark& left, const TBookmark& right) {
  if (left == right)
    return 0;
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end()) ? -1
                                                                                            : 1;
}

// ---------------------------------------------------------------- fields

bool TDataSet::GetFieldBytes(const TField& field, void* dest) {
  TRecordBuffer buffer = ActiveBuffer();
  if (buffer == nullptr)
    return false;
  if (field.FieldNo() == 0) {
    if (calcAreaSize_ == 0)
      return false;
    const uint8_t* value = CalcArea(buffer) + field.calcOffset_;
    if (value[0] == 0)
      return false;
    if (dest != nullptr) {
      std::memcpy(dest, value + 1, static_cast<size_t>(field.DataSize()));
    }
    return true;
  }
  return GetFieldData(field, dest);
}

void TDataSet::SetFieldBytes(TField& field, const void* source) {
  CheckActive();
  if (field.FieldNo() == 0) {
    if (state_ != TDataSetState::dsCalcFields)
      DatabaseErrorFmt(kFieldReadOnly, {field.FieldName()});
    uint8_t* value = CalcArea(ActiveBuffer()) + field.calcOffset_;
    value[0] = source != nullptr ? 1 : 0;
    if (source != nullptr) {
      std::memcpy(value + 1, source, static_cast<size_t>(field.DataSize()));
    } else {
      std::memset(value + 1, 0, static_cast<size_t>(field.DataSize()));
    }
    return;
  }
  CheckFieldWritable(field);
  SetFieldData(field, source);
  if (state_ != TDataSetState::dsNewValue)
    DataEvent(TDataEvent::deFieldChange, &field);
}

void TDataSet::CheckFieldWritable(const TField& field) const {
  const bool writable = IsEditState(state_) || state_ == TDataSetState::dsSetKey ||
                        state_ == TDataSetState::dsNewValue;
  if (!writable)
    DatabaseError(kNotEditing);
  if (field.ReadOnly() && state_ != TDataSetState::dsSetKey) {
    DatabaseErrorFmt(kFieldReadOnly, {field.FieldName()});
  }
}

void TDataSet::ClearCalcFields(TRecordBuffer buffer) {
  if (calcAreaSize_ > 0)
    std::memset(CalcArea(buffer), 0, static_cast<size_t>(calcAreaSize_));
}

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
  if (calcAreaSize_ == 0)
    return;
  TRecordBuffer savedCalc = calcBuffer_;
  calcBuffer_ = buffer;
  {
    TempState temp(state_, TDataSetState::dsCalcFields);
    ClearCalcFields(buffer);
    Fire(OnCalcFields);
  }
  calcBuffer_ = savedCalc;
}

void TDataSet::InitRecord(TRecordBuffer buffer) {
  InternalInitRecord(buffer);
  ClearCalcFields(buffer);
  SetBookmarkFlag(buffer, TBookmarkFlag::bfInserted);
}

void TDataSet::CheckRequiredFields() {
  for (const auto& field : fields_) {
    if (!field->Required() || field->ReadOnly() || field->FieldKind() != TFieldKind::fkData) {
      continue;
    }
    if (field->DataType() == TFieldType::ftAutoInc)
      continue;
    if (field->IsNull())
      DatabaseErrorFmt(kFieldRequired, {field->DisplayLabel()});
  }
}

std::unique_ptr<TBlobStream> TDataSet::CreateBlobStream(TField& field, TBlobStreamMode) {
  DatabaseErrorFmt(kFieldAccessError, {field.FieldName(), "BLOB"});
}

// ---------------------------------------------------------------- editing

void TDataSet::CheckOperation(void (TDataSet::*operation)(), TDataSetErrorEvent& errorEvent) {
  for (;;) {
    try {
      UpdateCursorPos();
      (this->*operation)();
      return;
    } catch (const platform::Exception& error) {
      TDataAction action = TDataAction::daFail;
      if (errorEvent)
        errorEvent(*this, error, action);
      if (action == TDataAction::daFail)
        throw;
      if (action == TDataAction::daAbort)
        throw EAbort();
    }
  }
}

void TDataSet::Edit() {
  if (IsEditState(state_))
    return;
  CheckActive();
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeEdit);
  CheckOperation(&TDataSet::DoEdit, OnEditError);
  GetCalcFields(Buffer(activeRecord_));
  SetState(TDataSetState::dsEdit);
  DataEvent(TDataEvent::deRecordChange);
  Fire(AfterEdit);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  Fire(BeforeScroll);
}

void TDataSet::EndInsertAppend() {
  SetState(TDataSetState::dsInsert);
  try {
    Fire(OnNewRecord);
  } catch (...) {
    UpdateCursorPos();
    SetState(TDataSetState::dsBrowse);
    Resync(0);
    throw;
  }
  modified_ = false;
  DataEvent(TDataEvent::deDataSetChange);
  Fire(AfterInsert);
  Fire(AfterScroll);
}

void TDataSet::Insert() {
  BeginInsertAppend();
  const TBookmark oldCurrent = GetBookmark();
  MoveBuffer(recordCount_, activeRecord_);
  TRecordBuffer buffer = Buffer(activeRecord_);
  InitRecord(buffer);
  if (recordCount_ == 0) {
    SetBookmarkFlag(buffer, TBookmarkFlag::bfBOF);
  } else {
    SetBookmarkData(buffer, oldCurrent);
  }
  if (recordCount_ < bufferCount_)
    ++recordCount_;
  CursorPosChanged();
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer buffer = Buffer(0);
  InitRecord(buffer);
  SetBookmarkFlag(buffer, TBookmarkFlag::bfEOF);
  recordCount_ = 1;
  bof_ = false;
  GetPriorRecords();
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::UpdateRecord() {
  if (!IsEditState(state_))
    DatabaseError(kNotEditing);
  DataEvent(TDataEvent::deUpdateRecord);
}

void TDataSet::Post() {
  if (!IsEditState(state_))
    return;
  DataEvent(TDataEvent::deUpdateRecord);
  DataEvent(TDataEvent::deCheckBrowseMode);
  CheckRequiredFields();
  Fire(BeforePost);
  CheckOperation(&TDataSet::DoPost, OnPostError);
  SetState(TDataSetState::dsBrowse);
  Resync(0);
  InternalPostCompleted();
  Fire(AfterPost);
}

void TDataSet::Cancel() {
  if (!IsEditState(state_))
    return;
  DataEvent(TDataEvent::deCheckBrowseMode);
  Fire(BeforeCancel);
  const bool scrolls = state_ == TDataSetState::dsInsert;
  if (scrolls)
    Fire(BeforeScroll);
  UpdateCursorPos();
  InternalCancel();
  SetState(TDataSetState::dsBrowse);
  Resync(0);
  Fire(AfterCancel);
  if (scrolls)
    Fire(AfterScroll);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (recordCount_ == 0)
    DatabaseError(kDataSetEmpty);
  CheckCanModify();
  DataEvent(TDataEvent::deCheckBrowseMode);
  Fire(BeforeDelete);
  Fire(BeforeScroll);
  CheckOperation(&TDataSet::DoDelete, OnDeleteError);
  SetState(TDataSetState::dsBrowse);
  Resync(0);
  InternalDeleteCompleted();
  Fire(AfterDelete);
  Fire(AfterScroll);
}

void TDataSet::AppendRecord(const std::vector<Variant>& values) {
  Append();
  try {
    const size_t count = std::min(values.size(), fields_.size());
    for (size_t i = 0; i < count; ++i) {
      if (!values[i].IsEmpty())
        fields_[i]->SetAsVariant(values[i]);
    }
    Post();
  } catch (...) {
    Cancel();
    throw;
  }
}

// ---------------------------------------------------------------- controls

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    dataSetChangedWhileDisabled_ = false;
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0)
    return;
  if (--disableCount_ > 0)
    return;
  if (disableState_ != state_)
    DataEvent(TDataEvent::deUpdateState);
  if (state_ != TDataSetState::dsInactive &&
      (disableState_ != TDataSetState::dsInactive || dataSetChangedWhileDisabled_)) {
    DataEvent(TDataEvent::deDataSetChange);
  }
}

void TDataSet::DataEvent(TDataEvent event, const void* info) {
  if (event == TDataEvent::deFieldChange) {
    const auto* field = static_cast<const TField*>(info);
    if (field->FieldKind() == TFieldKind::fkData ||
        field->FieldKind() == TFieldKind::fkInternalCalc) {
      modified_ = true;
    }
    if (state_ != TDataSetState::dsSetKey && autoCalcFields_ && calcAreaSize_ > 0 &&
        ActiveBuffer() != nullptr) {
      GetCalcFields(ActiveBuffer());
    }
  }
  if (disableCount_ > 0) {
    if (event != TDataEvent::deUpdateState && event != TDataEvent::deCheckBrowseMode &&
        event != TDataEvent::deUpdateRecord) {
      dataSetChangedWhileDisabled_ = true;
    }
    if (event != TDataEvent::deCheckBrowseMode && event != TDataEvent::deUpdateRecord)
      return;
  }
  // A handler may detach a source while we notify; walk a copy.
  const std::vector<TDataSource*> sources = dataSources_;
  for (TDataSource* source : sources)
    source->NotifyDataEvent(event, info);
}

// ---------------------------------------------------------------- search, filter

bool TDataSet::KeyValuesMatch(const std::vector<TField*>& fields,
                              const std::vector<Variant>& values, TLocateOptions options) const {
  const bool caseInsensitive =
      (options & static_cast<uint8_t>(TLocateOption::loCaseInsensitive)) != 0;
  const bool partial = (options & static_cast<uint8_t>(TLocateOption::loPartialKey)) != 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const TField& field = *fields[i];
    const Variant& value = values[i];
    if (value.IsClear()) {
      if (!field.IsNull())
        return false;
      continue;
    }
    if (field.IsNull())
      return false;
    try {
      if (IsTextFieldType(field.DataType())) {
        const std::string text = field.AsString();
        const std::string key = value.ToString();
        bool match;
        if (partial) {
          match = caseInsensitive ? platform::StartsWithText(text, key) : text.starts_with(key);
        } else {
          match = caseInsensitive ? platform::SameText(text, key) : text == key;
        }
        if (!match)
          return false;
        continue;
      }
      switch (field.DataType()) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftAutoInc:
        case TFieldType::ftLargeint:
          if (value.IsNumeric() &&
              (value.Type() == VarType::kDouble || value.Type() == VarType::kSingle)) {
            if (static_cast<double>(field.AsLargeInt()) != value.ToDouble())
              return false;
          } else if (field.AsLargeInt() != value.ToInt64()) {
            return false;
          }
          break;
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
          if (field.AsFloat() != value.ToDouble())
            return false;
          break;
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime:
          if (field.AsDateTime() != value.ToDateTime())
            return false;
          break;
        case TFieldType::ftBoolean:
          if (field.AsBoolean() != value.ToBoolean())
            return false;
          break;
        default:
          if (field.AsString() != value.ToString())
            return false;
          break;
      }
    } catch (const platform::EConvertError&) {
      return false;  // a key that cannot be this field's value matches nothing
    }
  }
  return true;
}

bool TDataSet::Locate(std::string_view keyFields, const std::vector<Variant>& values,
                      TLocateOptions options) {
  CheckBrowseMode();
  std::vector<TField*> fields;
  for (const std::string& name : SplitFieldNames(keyFields))
    fields.push_back(&FieldByName(name));
  if (fields.empty() || fields.size() != values.size()) {
    DatabaseError("Locate needs one value for each key field");
  }
  CursorPosChanged();
  InternalFirst();
  bool found = false;
  {
    TRecordBuffer previous = viewBuffer_;
    viewBuffer_ = TempBuffer();
    try {
      while (ReadRecord(TempBuffer(), TGetMode::gmNext, false) == TGetResult::grOK) {
        if (KeyValuesMatch(fields, values, options)) {
          found = true;
          break;
        }
      }
    } catch (...) {
      viewBuffer_ = previous;
      CursorPosChanged();
      UpdateCursorPos();
      throw;
    }
    viewBuffer_ = previous;
  }
  if (!found) {
    CursorPosChanged();
    UpdateCursorPos();
    return false;
  }
  Fire(BeforeScroll);
  InternalSetToRecord(TempBuffer());
  Resync(rmExact | rmCenter);
  Fire(AfterScroll);
  return true;
}

void TDataSet::RestateAfterFilterChange() {
  if (Active() && filtered_) {
    CheckBrowseMode();
    First();
  }
}

void TDataSet::SetFilter(std::string_view text) {
  filter_ = std::string(text);
  RestateAfterFilterChange();
}

void TDataSet::SetFiltered(bool value) {
  if (filtered_ == value)
    return;
  filtered_ = value;
  if (Active()) {
    CheckBrowseMode();
    First();
  }
}

void TDataSet::SetFilterOptions(TFilterOptions options) {
  filterOptions_ = options;
  RestateAfterFilterChange();
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent handler) {
  onFilterRecord_ = std::move(handler);
  RestateAfterFilterChange();
}

void TDataSet::InternalHandleException(const std::exception& error) {
  if (OnHandleException) {
    OnHandleException(error);
  } else {
    platform::Dialogs().ShowError(error.what());
  }
}

// ---------------------------------------------------------------- views

TDataSet::ScopedRecordView::ScopedRecordView(TDataSet& dataSet, int recNo)
    : dataSet_(dataSet), previous_(dataSet.viewBuffer_) {
  dataSet_.CheckActive();
  dataSet_.CursorPosChanged();
  found_ =
      dataSet_.InternalSetToRecNo(recNo) &&
      dataSet_.ReadRecord(dataSet_.TempBuffer(), TGetMode::gmCurrent, false) == TGetResult::grOK;
  dataSet_.CursorPosChanged();
  dataSet_.UpdateCursorPos();
  if (found_)
    dataSet_.viewBuffer_ = dataSet_.TempBuffer();
}

TDataSet::ScopedRecordView::~ScopedRecordView() {
  dataSet_.viewBuffer_ = previous_;
}

}  // namespace dataset
