#include "uniaccess/unisql_dataset.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "dataset/dataset_errors.h"
#include "platform/errors.h"
#include "platform/user_dialogs.h"
#include "uniaccess/sql_mode.h"

namespace uniaccess {

using dataset::TBookmark;
using dataset::TBookmarkFlag;
using dataset::TFieldType;
using dataset::TGetMode;
using dataset::TGetResult;
using dataset::TRecordBuffer;

namespace {

constexpr const char* kDatabaseNotDefined = "Database not defined!";
constexpr const char* kNotConnected = "Not connected to a database";

}  // namespace

Tunisqldataset::Tunisqldataset() = default;

Tunisqldataset::~Tunisqldataset() {
  CloseForDestruction();
}

void Tunisqldataset::Show(const std::string& text) {
  lastRunFailed_ = true;
  platform::Dialogs().ShowError(text);
}

Backend* Tunisqldataset::BackendToRun() {
  if (database_ == nullptr) {
    Show(kDatabaseNotDefined);
    return nullptr;
  }
  if (!database_->Connected()) {
    Show(kNotConnected);
    return nullptr;
  }
  Backend* backend = InstalledBackend();
  if (backend == nullptr) {
    Show(NoBackendMessage(GlobalSqlModeState().sqlMode));
  }
  return backend;
}

Backend* Tunisqldataset::InstalledBackend() const {
  return database_ != nullptr ? database_->ActiveBackend() : nullptr;
}

std::string Tunisqldataset::JoinedStatement() const {
  std::string text;
  for (size_t i = 0; i < statement_.Count(); ++i) {
    if (i > 0)
      text += "\r\n";
    text += statement_[i];
  }
  return text;
}

void Tunisqldataset::SaveStatementForTesting(const std::string& text) const {
  // A developer's switch: with "teszt.ini" in the working directory, every
  // statement run is kept in "teszt.sql" beside it.
  std::error_code error;
  if (!std::filesystem::exists("teszt.ini", error))
    return;
  std::ofstream out("teszt.sql", std::ios::binary | std::ios::trunc);
  out << text << "\r\n";
}

std::unique_ptr<BackendResult> Tunisqldataset::RunForResult(BackendConnection* handle) {
  Backend* backend = BackendToRun();
  if (backend == nullptr)
    return nullptr;
  const std::string text = JoinedStatement();
  SaveStatementForTesting(text);
  const bool executed = backend->Execute(handle, text);
  if (!executed)
    Show(backend->LastError(handle));
  try {
    return backend->OpenResult(handle);
  } catch (const platform::Exception&) {
    // A failed statement has been reported already; one box per failure.
    if (executed)
      Show(backend->LastError(handle));
    return nullptr;
  }
}

void Tunisqldataset::FillFieldDefs(const std::vector<UniFieldDesc>& descs) {
  dataset::TFieldDefs& defs = FieldDefs();
  defs.Clear();
  for (const UniFieldDesc& desc : descs) {
    defs.Add(desc.name, desc.type, desc.size).DisplayWidth = desc.displayWidth;
  }
  defs.SetUpdated(true);
}

void Tunisqldataset::InternalOpen() {
  lastRunFailed_ = false;
  PrepareStatement();
  platform::BusyCursor busy;
  open_ = true;
  row_ = -1;
  rowCount_ = 0;
  result_.reset();
  handle_ = database_ != nullptr ? database_->Handle() : nullptr;
  result_ = RunForResult(handle_);
  if (!result_) {
    handle_ = nullptr;
    FillFieldDefs({});
    layout_ = RecordLayout();
    recordSize_ = 0;
    imageSize_ = 5;
    return;
  }
  Backend* backend = InstalledBackend();
  const std::vector<UniFieldDesc> descs = backend->DescribeFields(*result_);
  if (!FieldDefs().Updated())
    FillFieldDefs(descs);
  layout_ = RecordLayout(descs);
  recordSize_ = backend->RecordSize(layout_);
  imageSize_ = recordSize_ + 5;
  rowCount_ = static_cast<int>(backend->RowCount(*result_));
}

void Tunisqldataset::InternalClose() {
  row_ = -1;
  result_.reset();
  handle_ = nullptr;
  cache_.clear();
  open_ = false;
}

void Tunisqldataset::InternalInitFieldDefs() {
  if (open_) {
    if (result_) {
      FillFieldDefs(InstalledBackend()->DescribeFields(*result_));
    } else {
      FillFieldDefs({});
    }
    return;
  }
  // Asked while closed: run the statement on a private result.
  PrepareStatement();
  platform::BusyCursor busy;
  std::unique_ptr<BackendResult> result =
      RunForResult(database_ != nullptr ? database_->Handle() : nullptr);
  if (result)
    FillFieldDefs(InstalledBackend()->DescribeFields(*result));
}

void Tunisqldataset::ExecSQL() {
  lastRunFailed_ = false;
  ExecuteStatement(JoinedStatement());
}

void Tunisqldataset::ExecuteStatement(const std::string& text) {
  platform::BusyCursor busy;
  Backend* backend = BackendToRun();
  if (backend == nullptr)
    return;
  BackendConnection* handle = database_->Handle();
  SaveStatementForTesting(text);
  if (!backend->Execute(handle, text))
    Show(backend->LastError(handle));
}

// ---------------------------------------------------------------- records

int Tunisqldataset::RowOf(const TRecordBuffer buffer) const {
  int32_t row = 0;
  std::memcpy(&row, buffer + recordSize_, sizeof row);
  return row;
}

bool Tunisqldataset::RowDeleted(int row) const {
  const auto entry = cache_.find(row);
  return entry != cache_.end() && !entry->second.has_value();
}

bool Tunisqldataset::ReadRow(int row, TRecordBuffer buffer) {
  const auto entry = cache_.find(row);
  if (entry != cache_.end() && entry->second) {
    std::memcpy(buffer, entry->second->data(),
                std::min(entry->second->size(), static_cast<size_t>(recordSize_)));
  } else {
    Backend* backend = InstalledBackend();
    if (!result_ || backend == nullptr)
      return false;
    problem_.clear();
    const bool read = backend->FetchRow(*result_, row, layout_, buffer, problem_);
    if (!problem_.empty())
      Show(problem_);
    if (!read) {
      if (problem_.empty())
        Show(backend->LastError(handle_));
      return false;
    }
  }
  const int32_t number = row;
  std::memcpy(buffer + recordSize_, &number, sizeof number);
  buffer[recordSize_ + 4] = static_cast<uint8_t>(TBookmarkFlag::bfCurrent);
  return true;
}

TGetResult Tunisqldataset::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
  if (rowCount_ < 1)
    return TGetResult::grEOF;
  switch (mode) {
    case TGetMode::gmCurrent:
      if (row_ < 0 || row_ >= rowCount_ || RowDeleted(row_)) {
        if (doCheck)
          Show("No record");
        return TGetResult::grError;
      }
      break;
    case TGetMode::gmNext:
      if (row_ >= rowCount_ - 1) {
        row_ = rowCount_;
        return TGetResult::grEOF;
      }
      ++row_;
      while (RowDeleted(row_) && row_ < rowCount_ - 1)
        ++row_;
      if (RowDeleted(row_)) {
        row_ = rowCount_;
        return TGetResult::grEOF;
      }
      break;
    case TGetMode::gmPrior:
      if (row_ <= 0) {
        row_ = -1;
        return TGetResult::grBOF;
      }
      --row_;
      while (RowDeleted(row_) && row_ > 0)
        --row_;
      if (RowDeleted(row_)) {
        row_ = -1;
        return TGetResult::grBOF;
      }
      break;
  }
  return ReadRow(row_, buffer) ? TGetResult::grOK : TGetResult::grError;
}

TBookmark Tunisqldataset::GetBookmarkData(const TRecordBuffer buffer) {
  return TBookmark(buffer + recordSize_, buffer + recordSize_ + 4);
}

void Tunisqldataset::SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark) {
  if (bookmark.size() == 4)
    std::memcpy(buffer + recordSize_, bookmark.data(), 4);
}

TBookmarkFlag Tunisqldataset::GetBookmarkFlag(const TRecordBuffer buffer) {
  return static_cast<TBookmarkFlag>(buffer[recordSize_ + 4]);
}

void Tunisqldataset::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
  buffer[recordSize_ + 4] = static_cast<uint8_t>(flag);
}

void Tunisqldataset::InternalGotoBookmark(const TBookmark& bookmark) {
  int32_t row = -1;
  if (bookmark.size() == 4)
    std::memcpy(&row, bookmark.data(), 4);
  row_ = row;
}

void Tunisqldataset::InternalSetToRecord(TRecordBuffer buffer) {
  row_ = RowOf(buffer);
}

void Tunisqldataset::InternalInitRecord(TRecordBuffer buffer) {
  std::memset(buffer, 0, static_cast<size_t>(imageSize_));
  layout_.Clear(buffer);
}

void Tunisqldataset::InternalPost() {
  dataset::DatabaseError(dataset::kDataSetReadOnly);
}

void Tunisqldataset::InternalDelete() {
  dataset::DatabaseError(dataset::kDataSetReadOnly);
}

int Tunisqldataset::GetRecNo() {
  const TRecordBuffer buffer = ActiveBuffer();
  if (buffer == nullptr || GetBookmarkFlag(buffer) != TBookmarkFlag::bfCurrent) {
    return rowCount_ > 0 ? 1 : 0;
  }
  return RowOf(buffer) + 1;
}

bool Tunisqldataset::InternalSetToRecNo(int recNo) {
  if (recNo < 1 || recNo > rowCount_)
    return false;
  row_ = recNo - 1;
  return !RowDeleted(row_);
}

// ---------------------------------------------------------------- fields

const FieldSlot& Tunisqldataset::SlotOf(const dataset::TField& field) const {
  const int index = field.FieldNo() - 1;
  if (index < 0 || index >= layout_.FieldCount()) {
    dataset::DatabaseErrorFmt(dataset::kFieldNotFound, {field.FieldName()});
  }
  return layout_.Slot(index);
}

bool Tunisqldataset::GetFieldData(const dataset::TField& field, void* dest) {
  const TRecordBuffer buffer = ActiveBuffer();
  const FieldSlot& slot = SlotOf(field);
  if (slot.bytes == 0)
    return false;
  const uint8_t* value = buffer + slot.offset;
  if (slot.HasPresence() && buffer[slot.PresenceOffset()] == 0) {
    // A NULL number reads as 0 but is NULL.
    if (dest != nullptr)
      std::memset(dest, 0, static_cast<size_t>(slot.ValueBytes()));
    return false;
  }
  switch (slot.desc.type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar: {
      const auto* text = reinterpret_cast<const char*>(value);
      if (InstalledBackend() != nullptr &&
          InstalledBackend()->IsNullString(
              std::string_view(text, strnlen(text, static_cast<size_t>(slot.ValueBytes()))))) {
        return false;
      }
      break;
    }
    case TFieldType::ftDate:
    case TFieldType::ftDateTime:
    case TFieldType::ftTime: {
      double date = 0;
      std::memcpy(&date, value, sizeof date);
      if (IsNoDate(date))
        return false;
      break;
    }
    default:
      break;
  }
  if (dest != nullptr)
    std::memcpy(dest, value, static_cast<size_t>(slot.ValueBytes()));
  return true;
}

void Tunisqldataset::SetFieldData(dataset::TField& field, const void* source) {
  TRecordBuffer buffer = ActiveBuffer();
  const FieldSlot& slot = SlotOf(field);
  if (slot.bytes == 0)
    return;
  uint8_t* value = buffer + slot.offset;
  if (source != nullptr) {
    std::memcpy(value, source, static_cast<size_t>(slot.ValueBytes()));
    if (slot.IsString())
      value[slot.ValueBytes() - 1] = 0;
    if (slot.HasPresence())
      buffer[slot.PresenceOffset()] = 1;
    return;
  }
  std::memset(value, 0, static_cast<size_t>(slot.bytes));
  switch (slot.desc.type) {
    case TFieldType::ftDate:
    case TFieldType::ftDateTime:
    case TFieldType::ftTime: {
      const double none = NoDate();
      std::memcpy(value, &none, sizeof none);
      break;
    }
    default:
      break;
  }
}

}  // namespace uniaccess
