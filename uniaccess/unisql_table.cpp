#include "uniaccess/unisql_table.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "dataset/field.h"
#include "platform/format_settings.h"
#include "uniaccess/sql_literals.h"
#include "uniaccess/unisql_query.h"

namespace uniaccess {

using dataset::TField;
using dataset::TFieldType;

namespace {

bool IsString(TFieldType type) {
  return type == TFieldType::ftString || type == TFieldType::ftFixedChar;
}
bool IsDate(TFieldType type) {
  return type == TFieldType::ftDate || type == TFieldType::ftDateTime;
}
bool IsFloat(TFieldType type) {
  return type == TFieldType::ftFloat;
}

constexpr const char* kCrLf = "\r\n";

}  // namespace

TUniSQLTable::~TUniSQLTable() {
  CloseForDestruction();
}

std::string TUniSQLTable::OpenStatement() const {
  std::string text = "SELECT * FROM " + tablename_;
  if (Filtered() && !Filter().empty())
    text += std::string(kCrLf) + "WHERE " + Filter();
  if (!indexFields_.empty())
    text += std::string(kCrLf) + "ORDER BY " + indexFields_;
  return text;
}

void TUniSQLTable::PrepareStatement() {
  StatementText().Clear();
  StatementText().Add(OpenStatement());
  keyWhere_.clear();
}

platform::StringList TUniSQLTable::GetIndexNames() {
  Backend* backend = InstalledBackend();
  if (backend == nullptr || Database() == nullptr)
    return {};
  return backend->ListIndexes(Database()->Handle(), tablename_);
}

bool TUniSQLTable::Writable(const TField& field) const {
  return field.FieldKind() == dataset::TFieldKind::fkData && field.DataSize() > 0;
}

// ---------------------------------------------------------------- statements

std::string TUniSQLTable::KeyItem(const TField& field) const {
  Backend* backend = InstalledBackend();
  const std::string& name = field.FieldName();
  const TFieldType type = field.DataType();
  if (IsString(type)) {
    // An empty text is how a NULL string reads, so it matches either.
    if (field.IsNull())
      return "(" + name + "='' or " + name + " is NULL)";
    return name + "=" + backend->QuoteString(Handle(), field.AsString());
  }
  if (IsDate(type)) {
    const std::string placeholder = backend->FormatDate(platform::EncodeDate(1900, 1, 1));
    if (field.IsNull())
      return "(" + name + " is NULL or " + name + "=" + placeholder + ")";
    const platform::DateTime value = field.AsDateTime();
    const std::string literal =
        type == TFieldType::ftDate ? backend->FormatDate(value) : backend->FormatDateTime(value);
    if (value > platform::EncodeDate(1900, 1, 1))
      return name + "=" + literal;
    return "(" + name + "=" + literal + " or " + name + " is NULL or " + name + "=" + placeholder +
           ")";
  }
  if (type == TFieldType::ftTime) {
    if (field.IsNull())
      return name + " is NULL";
    return name + "=" + SqlTime(field.AsDateTime());
  }
  if (field.IsNull())
    return name + " is NULL";
  const std::string text = IsFloat(type) ? SqlNumber(field.AsFloat()) : field.AsString();
  if (text == "0")
    return "(" + name + "=0 or " + name + " is NULL)";
  return name + "=" + text;
}

std::string TUniSQLTable::KeyWhere() const {
  std::string items;
  for (int i = 0; i < FieldCount(); ++i) {
    const TField& field = Fields(i);
    if (!Writable(field))
      continue;
    if (!items.empty())
      items += " and ";
    items += KeyItem(field);
  }
  return "WHERE " + items + ";" + kCrLf;
}

std::vector<TUniSQLTable::ColumnType> TUniSQLTable::ColumnTypes() {
  Backend* backend = InstalledBackend();
  if (backend == nullptr || Database() == nullptr)
    return {};
  return backend->ColumnTypes(Database()->Handle(), tablename_);
}

std::string TUniSQLTable::FieldLiteral(const TField& field) const {
  return FieldSqlLiteral(*InstalledBackend(), Handle(), field);
}

void TUniSQLTable::Run(const std::string& statement) {
  Backend* backend = BackendToRun();
  if (backend == nullptr)
    return;
  if (!backend->Execute(Handle(), statement))
    Show(backend->LastError(Handle()));
}

int64_t TUniSQLTable::NextAutoIncNumber(TUniSQLQuery& helper) {
  helper.SetSQL("SELECT MAX(" + autoIncField_ + ") UTOLSO FROM " + tablename_);
  helper.Open();
  int64_t number = 1;
  if (helper.RecordCount() > 0 && helper.FieldCount() > 0) {
    number = helper.Fields(0).AsLargeInt() + 1;
  }
  helper.Close();
  return number;
}

void TUniSQLTable::StoreInCache(int row) {
  dataset::TRecordBuffer buffer = ActiveBuffer();
  const int32_t number = row;
  std::memcpy(buffer + GetRecordSize(), &number, sizeof number);
  buffer[GetRecordSize() + 4] = static_cast<uint8_t>(dataset::TBookmarkFlag::bfCurrent);
  MutableCache()[row] =
      std::vector<uint8_t>(buffer, buffer + GetRecordSize() + static_cast<int>(sizeof number) + 1);
  SetRowNumber(row);
}

void TUniSQLTable::InternalEdit() {
  keyWhere_ = KeyWhere();
}

void TUniSQLTable::InternalPost() {
  if (State() == dataset::TDataSetState::dsInsert) {
    std::unique_ptr<TUniSQLQuery> helper;
    int64_t number = 0;
    if (!autoIncField_.empty()) {
      helper = std::make_unique<TUniSQLQuery>();
      helper->SetDatabase(Database());
      helper->SetSQL("LOCK TABLES " + tablename_ + " WRITE");
      helper->ExecSQL();
    }
    try {
      if (helper)
        number = NextAutoIncNumber(*helper);
      std::string names;
      std::string values;
      for (int i = 0; i < FieldCount(); ++i) {
        TField& field = Fields(i);
        if (!Writable(field))
          continue;
        if (!names.empty()) {
          names += ",";
          values += ",";
        }
        names += field.FieldName();
        if (helper && field.FieldName() == autoIncField_ && !IsString(field.DataType())) {
          field.SetAsLargeInt(number);
        }
        values += FieldLiteral(field);
      }
      Run("INSERT INTO " + tablename_ + kCrLf + "(" + names + ") VALUES" + kCrLf + "(" + values +
          ");");
      const int row = RowCount();
      SetRowCount(row + 1);
      StoreInCache(row);
    } catch (...) {
      if (helper) {
        helper->SetSQL("UNLOCK TABLES");
        helper->ExecSQL();
      }
      throw;
    }
    if (helper) {
      helper->SetSQL("UNLOCK TABLES");
      helper->ExecSQL();
    }
    return;
  }
  const int row = RowOf(ActiveBuffer());
  std::string items;
  for (int i = 0; i < FieldCount(); ++i) {
    const TField& field = Fields(i);
    if (!Writable(field))
      continue;
    if (!items.empty())
      items += ",";
    items += field.FieldName() + "=" + FieldLiteral(field);
  }
  Run("UPDATE " + tablename_ + " SET" + kCrLf + items + kCrLf + keyWhere_);
  StoreInCache(row);
}

void TUniSQLTable::InternalDelete() {
  Run("DELETE FROM " + tablename_ + kCrLf + KeyWhere());
  MutableCache()[RowNumber()] = std::nullopt;
}

void TUniSQLTable::FlushCacheWhenFull() {
  if (Cache().size() < kChangeCacheLimit)
    return;
  const int position = RecNo();
  Close();
  Open();
  SetRecNo(position);
}

}  // namespace uniaccess
