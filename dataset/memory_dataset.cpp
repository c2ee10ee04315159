#include "dataset/memory_dataset.h"

#include <cstring>

#include "dataset/dataset_errors.h"

namespace dataset {

namespace {

int64_t IdOfBookmark(const TBookmark& bookmark) {
  int64_t id = 0;
  if (bookmark.size() == sizeof id)
    std::memcpy(&id, bookmark.data(), sizeof id);
  return id;
}

}  // namespace

TMemoryDataSet::~TMemoryDataSet() {
  CloseForDestruction();
}

void TMemoryDataSet::CreateDataSet() {
  CheckInactive();
  structure_ = FieldDefs();
  structureCreated_ = true;
  images_.clear();
  ids_.clear();
  blobs_.clear();
  InvalidatePositions();
  Open();
}

void TMemoryDataSet::EmptyDataSet() {
  CheckActive();
  Cancel();
  images_.clear();
  ids_.clear();
  blobs_.clear();
  InvalidatePositions();
  cursor_ = -1;
  Resync(0);
}

void TMemoryDataSet::InternalInitFieldDefs() {
  if (!structureCreated_)
    return;
  FieldDefs().Clear();
  for (const TFieldDef& def : structure_) {
    TFieldDef& copy = FieldDefs().Add(def.Name, def.DataType, def.Size, def.Required);
    copy.Precision = def.Precision;
    copy.ReadOnly = def.ReadOnly;
  }
}

void TMemoryDataSet::InternalOpen() {
  if (!structureCreated_) {
    structure_ = FieldDefs();
    structureCreated_ = true;
  }
  columns_.clear();
  blobColumns_ = 0;
  int offset = 0;
  for (const TFieldDef& def : structure_) {
    Column column;
    column.offset = offset;
    if (IsBlobFieldType(def.DataType)) {
      column.blobIndex = blobColumns_++;
    } else {
      column.dataSize = NativeDataSize(def.DataType, def.Size);
    }
    offset += 1 + column.dataSize;
    columns_.push_back(column);
  }
  recordSize_ = offset;
  cursor_ = -1;
  open_ = true;
}

int64_t TMemoryDataSet::IdOf(const TRecordBuffer buffer) const {
  int64_t id = 0;
  std::memcpy(&id, buffer + recordSize_, sizeof id);
  return id;
}

int TMemoryDataSet::HintOf(const TRecordBuffer buffer) const {
  int32_t hint = 0;
  std::memcpy(&hint, buffer + recordSize_ + 9, sizeof hint);
  return hint;
}

int TMemoryDataSet::FindRow(int64_t id, int hint) {
  if (hint >= 0 && hint < RowCount() && ids_[static_cast<size_t>(hint)] == id)
    return hint;
  if (!positionsValid_) {
    positions_.clear();
    positions_.reserve(ids_.size());
    for (size_t i = 0; i < ids_.size(); ++i)
      positions_[ids_[i]] = static_cast<int>(i);
    positionsValid_ = true;
  }
  const auto found = positions_.find(id);
  return found == positions_.end() ? -1 : found->second;
}

TGetResult TMemoryDataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool) {
  const int count = RowCount();
  switch (mode) {
    case TGetMode::gmNext:
      if (cursor_ >= count - 1) {
        cursor_ = count;
        return TGetResult::grEOF;
      }
      ++cursor_;
      break;
    case TGetMode::gmPrior:
      if (cursor_ <= 0) {
        cursor_ = -1;
        return TGetResult::grBOF;
      }
      --cursor_;
      break;
    case TGetMode::gmCurrent:
      if (cursor_ < 0 || cursor_ >= count)
        return TGetResult::grError;
      break;
  }
  const auto row = static_cast<size_t>(cursor_);
  std::memcpy(buffer, images_.data() + row * static_cast<size_t>(recordSize_),
              static_cast<size_t>(recordSize_));
  std::memcpy(buffer + recordSize_, &ids_[row], 8);
  buffer[recordSize_ + 8] = static_cast<uint8_t>(TBookmarkFlag::bfCurrent);
  const int32_t hint = cursor_;
  std::memcpy(buffer + recordSize_ + 9, &hint, sizeof hint);
  ++recordReads_;
  return TGetResult::grOK;
}

TBookmark TMemoryDataSet::GetBookmarkData(const TRecordBuffer buffer) {
  return TBookmark(buffer + recordSize_, buffer + recordSize_ + 8);
}

void TMemoryDataSet::SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark) {
  const int64_t id = IdOfBookmark(bookmark);
  std::memcpy(buffer + recordSize_, &id, sizeof id);
  const int32_t hint = -1;
  std::memcpy(buffer + recordSize_ + 9, &hint, sizeof hint);
}

TBookmarkFlag TMemoryDataSet::GetBookmarkFlag(const TRecordBuffer buffer) {
  return static_cast<TBookmarkFlag>(buffer[recordSize_ + 8]);
}

void TMemoryDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
  buffer[recordSize_ + 8] = static_cast<uint8_t>(flag);
}

void TMemoryDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
  const int row = FindRow(IdOfBookmark(bookmark), -1);
  if (row < 0)
    DatabaseError(kRecordNotFound);
  cursor_ = row;
}

void TMemoryDataSet::InternalSetToRecord(TRecordBuffer buffer) {
  const int row = FindRow(IdOf(buffer), HintOf(buffer));
  if (row < 0)
    DatabaseError(kRecordNotFound);
  cursor_ = row;
}

bool TMemoryDataSet::BookmarkValid(const TBookmark& bookmark) {
  return bookmark.size() == 8 && FindRow(IdOfBookmark(bookmark), -1) >= 0;
}

int TMemoryDataSet::CompareBookmarks(const TBookmark& left, const TBookmark& right) {
  const int a = left.empty() ? -1 : FindRow(IdOfBookmark(left), -1);
  const int b = right.empty() ? -1 : FindRow(IdOfBookmark(right), -1);
  return a < b ? -1 : (a > b ? 1 : 0);
}

void TMemoryDataSet::InternalInitRecord(TRecordBuffer buffer) {
  std::memset(buffer, 0, static_cast<size_t>(RecordBufferSize()));
  const int32_t hint = -1;
  std::memcpy(buffer + recordSize_ + 9, &hint, sizeof hint);
  pendingBlobs_.clear();
}

void TMemoryDataSet::InternalPost() {
  TRecordBuffer buffer = ActiveBuffer();
  const auto size = static_cast<size_t>(recordSize_);
  int row;
  int64_t id;
  if (State() == TDataSetState::dsInsert) {
    switch (GetBookmarkFlag(buffer)) {
      case TBookmarkFlag::bfEOF:
        row = RowCount();
        break;
      case TBookmarkFlag::bfBOF:
        row = 0;
        break;
      default:
        row = FindRow(IdOf(buffer), HintOf(buffer));
        if (row < 0)
          row = RowCount();
        break;
    }
    id = nextId_++;
    images_.insert(images_.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(row) * size),
                   buffer, buffer + size);
    ids_.insert(ids_.begin() + row, id);
    if (row != RowCount() - 1) {
      InvalidatePositions();
    } else if (positionsValid_) {
      positions_[id] = row;
    }
    if (blobColumns_ > 0)
      blobs_[id] = BlobValues(static_cast<size_t>(blobColumns_));
  } else {
    id = IdOf(buffer);
    row = FindRow(id, HintOf(buffer));
    if (row < 0)
      DatabaseError(kRecordNotFound);
    std::memcpy(images_.data() + static_cast<size_t>(row) * size, buffer, size);
  }
  for (auto& [blobIndex, value] : pendingBlobs_) {
    blobs_[id].resize(static_cast<size_t>(blobColumns_));
    blobs_[id][static_cast<size_t>(blobIndex)] = std::move(value);
  }
  pendingBlobs_.clear();
  cursor_ = row;
}

void TMemoryDataSet::InternalDelete() {
  if (cursor_ < 0 || cursor_ >= RowCount())
    DatabaseError(kRecordNotFound);
  const auto size = static_cast<size_t>(recordSize_);
  const auto row = static_cast<size_t>(cursor_);
  blobs_.erase(ids_[row]);
  images_.erase(images_.begin() + static_cast<std::ptrdiff_t>(row * size),
                images_.begin() + static_cast<std::ptrdiff_t>((row + 1) * size));
  ids_.erase(ids_.begin() + cursor_);
  InvalidatePositions();
}

const TMemoryDataSet::Column& TMemoryDataSet::ColumnOf(const TField& field) const {
  const int index = field.FieldNo() - 1;
  if (index < 0 || index >= static_cast<int>(columns_.size())) {
    DatabaseErrorFmt(kFieldNotFound, {field.FieldName()});
  }
  return columns_[static_cast<size_t>(index)];
}

bool TMemoryDataSet::GetFieldData(const TField& field, void* dest) {
  const TRecordBuffer buffer = ActiveBuffer();
  const Column& column = ColumnOf(field);
  const uint8_t* value = buffer + column.offset;
  if (value[0] == 0)
    return false;
  if (dest != nullptr && column.dataSize > 0) {
    std::memcpy(dest, value + 1, static_cast<size_t>(column.dataSize));
  }
  return true;
}

void TMemoryDataSet::SetFieldData(TField& field, const void* source) {
  TRecordBuffer buffer = ActiveBuffer();
  const Column& column = ColumnOf(field);
  uint8_t* value = buffer + column.offset;
  value[0] = source != nullptr ? 1 : 0;
  if (column.dataSize > 0) {
    if (source != nullptr) {
      std::memcpy(value + 1, source, static_cast<size_t>(column.dataSize));
    } else {
      std::memset(value + 1, 0, static_cast<size_t>(column.dataSize));
    }
  }
  if (column.blobIndex >= 0 && source == nullptr)
    pendingBlobs_[column.blobIndex] = std::nullopt;
}

std::optional<std::string> TMemoryDataSet::BlobValue(const Column& column) {
  const TRecordBuffer buffer = ActiveBuffer();
  if (buffer == nullptr || buffer[column.offset] == 0)
    return std::nullopt;
  if (buffer == EditBuffer()) {
    const auto pending = pendingBlobs_.find(column.blobIndex);
    if (pending != pendingBlobs_.end())
      return pending->second;
  }
  const auto row = blobs_.find(IdOf(buffer));
  if (row == blobs_.end() || static_cast<size_t>(column.blobIndex) >= row->second.size()) {
    return std::string();
  }
  return row->second[static_cast<size_t>(column.blobIndex)];
}

std::unique_ptr<TBlobStream> TMemoryDataSet::CreateBlobStream(TField& field, TBlobStreamMode mode) {
  CheckActive();
  const Column& column = ColumnOf(field);
  if (column.blobIndex < 0)
    DatabaseErrorFmt(kFieldAccessError, {field.FieldName(), "BLOB"});
  if (mode != TBlobStreamMode::bmRead)
    CheckFieldWritable(field);
  std::optional<std::string> value = BlobValue(column);
  if (mode == TBlobStreamMode::bmRead && !value)
    return nullptr;
  TRecordBuffer buffer = ActiveBuffer();
  const int blobIndex = column.blobIndex;
  const int offset = column.offset;
  return std::make_unique<TMemoryBlobStream>(
      value.value_or(std::string()), mode,
      [this, &field, buffer, blobIndex, offset](const std::string& newValue) {
        buffer[offset] = 1;
        pendingBlobs_[blobIndex] = newValue;
        DataEvent(TDataEvent::deFieldChange, &field);
      });
}

int TMemoryDataSet::GetRecordCount() {
  if (!FilterActive())
    return RowCount();
  const int saved = cursor_;
  int count = 0;
  for (cursor_ = 0; cursor_ < RowCount(); ++cursor_) {
    if (ReadRecord(TempBuffer(), TGetMode::gmCurrent, false) == TGetResult::grOK)
      ++count;
  }
  cursor_ = saved;
  return count;
}

int TMemoryDataSet::GetRecNo() {
  const TRecordBuffer buffer = ActiveBuffer();
  if (buffer == nullptr || GetBookmarkFlag(buffer) != TBookmarkFlag::bfCurrent)
    return -1;
  const int row = FindRow(IdOf(buffer), HintOf(buffer));
  if (row < 0)
    return -1;
  if (!FilterActive())
    return row + 1;
  const int saved = cursor_;
  int number = 0;
  for (cursor_ = 0; cursor_ <= row; ++cursor_) {
    if (ReadRecord(TempBuffer(), TGetMode::gmCurrent, false) == TGetResult::grOK)
      ++number;
  }
  cursor_ = saved;
  return number;
}

bool TMemoryDataSet::InternalSetToRecNo(int recNo) {
  if (FilterActive())
    return TDataSet::InternalSetToRecNo(recNo);
  if (recNo < 1 || recNo > RowCount())
    return false;
  cursor_ = recNo - 1;
  return true;
}

}  // namespace dataset
