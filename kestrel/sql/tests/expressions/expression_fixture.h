#pragma once
// The fixture of the expression tests: a real memory table T, its records
// created through the storage API, and a column source over it that binds
// columns the way a cursor does (record layout, record buffer) or the way an
// operator does (ReadColumn of the current record).
//
//   row  ID  A     B     NAME   PRICE  D           ACTIVE  W       S      U    NOTE
//   1    1   1     NULL  'abc'  1.5    2004-03-07  TRUE    'wide'  -1     5    'memo one'
//   2    2   2     20    'ab'   2.25   NULL        FALSE   NULL    100    200  NULL
//   3    3   3     30    'Abc'  NULL   2005-01-01  NULL    'Wx'    NULL   0    'other'
//   4    4   NULL  40    NULL   10     2004-03-07  TRUE    'a_c'   7      NULL NULL
//   5    5   1     20    'a_c'  -3.5   NULL        FALSE   NULL    -32768 255  'memo two'
//
// Types: ID, A, B Integer; NAME Varchar(20); PRICE Double; D Date; ACTIVE
// Boolean; W WideVarchar(10); S SmallInt; U Byte; NOTE Memo.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "kestrel/sql/expressions/expression.h"
#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/records/database_data.h"
#include "platform/text.h"

namespace kestrel::testing {

// Binds columns of one table; reads either from a record buffer (cursor
// bindings) or, for operator bindings, from the record set as current.
class TableColumnSource : public TKestrelColumnSource {
 public:
  // layout: bindings carry the record layout (a cursor) or not (an
  // operator); a qualifier matches the table's name or the alias.
  TableColumnSource(TKestrelTableData& table, bool layout = true, std::string alias = {})
      : table_(table), layout_(layout), alias_(std::move(alias)) {}

  int FindColumns(std::string_view tableName, std::string_view fieldName,
                  TKestrelColumnBinding* binding) const override {
    if (!tableName.empty() && !platform::SameText(tableName, table_.TableName()) &&
        !platform::SameText(tableName, alias_)) {
      return 0;
    }
    const int count = FindFieldColumn(table_.FieldDefs(), fieldName, binding);
    if (count > 0 && binding != nullptr && !layout_) {
      binding->FieldNo = -1;  // read through ReadColumn
    }
    return count;
  }

  void ReadColumn(int32_t columnNo, TKestrelVariant& value) override {
    value.Assign(FieldValue(current_, columnNo, *table_.FieldDefs().Items(columnNo)), true);
  }

  void ReadBlob(const uint8_t* record, const TKestrelColumnBinding& binding,
                TKestrelVariant& value) override {
    const TKestrelBlobValue blob = table_.OpenBlob(record, binding.FieldNo);
    if (blob.StoredBytes.empty()) {
      value.SetData(nullptr, 0, false, binding.StorageType);
      return;
    }
    value.SetData(blob.StoredBytes.data(), static_cast<int32_t>(blob.StoredBytes.size()), true,
                  binding.StorageType);
  }

  void SetCurrent(const uint8_t* record) { current_ = record; }
  TKestrelTableData& Table() const { return table_; }

 private:
  TKestrelTableData& table_;
  bool layout_;
  std::string alias_;
  const uint8_t* current_ = nullptr;
};

// The value of one cell as the tests write it: a value or NULL.
using Cell = std::optional<std::string>;

class ExpressionFixture : public ::testing::Test {
 protected:
  ExpressionFixture() {
    TKestrelFieldDefs fields;
    fields.AddField("ID", TKestrelDataType::kInteger);
    fields.AddField("A", TKestrelDataType::kInteger);
    fields.AddField("B", TKestrelDataType::kInteger);
    fields.AddField("NAME", TKestrelDataType::kVarchar, 20);
    fields.AddField("PRICE", TKestrelDataType::kDouble);
    fields.AddField("D", TKestrelDataType::kDate);
    fields.AddField("ACTIVE", TKestrelDataType::kBoolean);
    fields.AddField("W", TKestrelDataType::kWideVarchar, 10);
    fields.AddField("S", TKestrelDataType::kSmallInt);
    fields.AddField("U", TKestrelDataType::kByte);
    fields.AddField("NOTE", TKestrelDataType::kMemo);
    table_ = &database_.CreateTableData("T", 10);
    table_->CreateTable(fields, TKestrelIndexDefs(), TKestrelConstraintDefs());
    source_ = std::make_unique<TableColumnSource>(*table_);

    const Cell null;
    AddRow({"1", "1", null, "abc", "1.5", "2004-03-07", "1", "wide", "-1", "5", "memo one"});
    AddRow({"2", "2", "20", "ab", "2.25", null, "0", null, "100", "200", null});
    AddRow({"3", "3", "30", "Abc", null, "2005-01-01", null, "Wx", null, "0", "other"});
    AddRow({"4", null, "40", null, "10", "2004-03-07", "1", "a_c", "7", null, null});
    AddRow({"5", "1", "20", "a_c", "-3.5", null, "0", null, "-32768", "255", "memo two"});
  }

  // One record through the storage API; dates are written YYYY-MM-DD.
  void AddRow(const std::vector<Cell>& cells) {
    std::vector<uint8_t> buffer(static_cast<std::size_t>(table_->RecordSize()));
    table_->InitRecord(buffer.data(), true, true);
    const TKestrelFieldDefs& fields = table_->FieldDefs();
    for (int i = 0; i < fields.Count(); ++i) {
      const TKestrelFieldDef& field = *fields.Items(i);
      if (!cells[static_cast<std::size_t>(i)]) {
        continue;
      }
      const std::string& text = *cells[static_cast<std::size_t>(i)];
      if (field.StorageType() == TKestrelStorageType::kMemo) {
        TKestrelBlobValue blob;
        blob.StoredBytes.assign(text.begin(), text.end());
        blob.ValueLength = static_cast<int64_t>(text.size());
        table_->WriteBlob(buffer.data(), i, blob);
        continue;
      }
      TKestrelVariant value(field.StorageType());
      if (field.StorageType() == TKestrelStorageType::kDate) {
        value.SetAsDate(platform::EncodeDate(std::stoi(text.substr(0, 4)),
                                             std::stoi(text.substr(5, 2)),
                                             std::stoi(text.substr(8, 2))));
      } else if (field.StorageType() == TKestrelStorageType::kFloat) {
        value.SetAsDouble(std::stod(text));
      } else if (field.StorageType() == TKestrelStorageType::kLogical) {
        value.SetAsBoolean(text == "1");
      } else {
        value.SetAsString(text);
      }
      SetFieldValue(buffer.data(), i, field, value);
    }
    TKestrelRecordID id;
    ASSERT_TRUE(table_->InsertRecord(buffer.data(), id, 1));
    rows_.push_back(buffer);
  }

  int RowCount() const { return static_cast<int>(rows_.size()); }
  const uint8_t* Row(int index) const { return rows_[static_cast<std::size_t>(index)].data(); }

  // The rows as read back from the table (so BLOB fields hold the stored
  // record's references).
  std::vector<std::vector<uint8_t>> StoredRows() const {
    std::vector<std::vector<uint8_t>> rows;
    std::vector<uint8_t> buffer(static_cast<std::size_t>(table_->RecordSize()));
    TKestrelRecordRequest request;
    request.Direction = TKestrelNavigation::kNext;
    request.AtBeginning = true;
    request.Buffer = buffer.data();
    while (table_->RecordManager()->GetRecord(request) == TKestrelNavigationResult::kFound) {
      rows.push_back(buffer);
    }
    return rows;
  }

  // A filter over T; its text is one condition.
  std::unique_ptr<TKestrelExpression> Filter(const std::string& text, bool partial = false,
                                             bool caseInsensitive = false) {
    auto expression = std::make_unique<TKestrelExpression>();
    expression->ParseFilter(source_.get(), text, partial, caseInsensitive);
    return expression;
  }

  // A value expression over T, parsed from a whole statement text.
  std::unique_ptr<TKestrelExpression> ValueOf(const std::string& text,
                                              const TKestrelSQLParams* params = nullptr) {
    auto expression = std::make_unique<TKestrelExpression>();
    expression->BindToCursor(source_.get());
    TKestrelLexer lexer(text, params);
    EXPECT_TRUE(lexer.NextStatement()) << text;
    expression->ParseValue(lexer);
    return expression;
  }

  // "T", "F" or "N" for each row, in row order.
  std::string Truths(TKestrelExpression& expression) {
    std::string truths;
    for (const auto& row : StoredRows()) {
      expression.SetRecordBuffer(row.data());
      const TKestrelVariant* value = expression.Evaluate(true);
      truths += value->IsNull() ? 'N' : value->AsBoolean() ? 'T' : 'F';
    }
    return truths;
  }

  // Each row's value written as text ("NULL" for NULL), joined by "|".
  std::string Values(TKestrelExpression& expression) {
    std::string values;
    for (const auto& row : StoredRows()) {
      expression.SetRecordBuffer(row.data());
      const TKestrelVariant* value = expression.Evaluate(true);
      values += (values.empty() ? "" : "|") + (value->IsNull() ? "NULL" : value->AsString());
    }
    return values;
  }

  TKestrelMemoryManager memory_;
  TKestrelMemoryDatabaseData database_{memory_};
  TKestrelTableData* table_ = nullptr;
  std::vector<std::vector<uint8_t>> rows_;
  std::unique_ptr<TableColumnSource> source_;
};

// The error an action raises, as "<code> <text>", or "no error".
template <typename F>
std::string ErrorOf(F&& action) {
  try {
    action();
  } catch (const EKestrelException& error) {
    return std::to_string(error.NativeError()) + " " + error.Text();
  }
  return "no error";
}

}  // namespace kestrel::testing
