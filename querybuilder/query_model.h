#pragma once
// The query builder's canvas as plain data: table boxes with their field
// lists, links between fields of boxes, and the column grid with each
// column's options. The builder window shows this model and changes it only
// through QueryModel; the query file reader fills it the same way.
//
// Invariants kept by QueryModel:
// - no two boxes of the user's making hold the same table name (a query
//   file may bring a second one; it is refused there too);
// - every link joins two existing boxes at valid field entries other than
//   "*", and no two links join the same two fields (in either direction);
// - a field entry is marked linked exactly when a link uses it;
// - every grid column names the table of a box on the canvas, and a checked
//   entry has its grid column unless a file said otherwise.
//
// Positions are canvas coordinates, scrolled-away part included.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_dialogs.h"
#include "querybuilder/wren_types.h"

namespace querybuilder {

class TWrenEngine;
class QueryModel;

struct TWrenFieldEntry {
  std::string name;
  bool checked = false;
  bool linked = false;
};

// One table box.
class TWrenTable {
 public:
  TWrenTable(std::string tableName, std::string alias, int left, int top,
             const std::vector<std::string>& fieldList);

  const std::string& TableName() const { return tableName_; }
  const std::string& Alias() const { return alias_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  void SetPosition(int left, int top) {
    left_ = left;
    top_ = top;
  }
  // The field list: "*" first, then the fields of the table.
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  const TWrenFieldEntry& Field(int index) const { return fields_[static_cast<size_t>(index)]; }
  const std::vector<TWrenFieldEntry>& Fields() const { return fields_; }
  // Index of the entry spelled exactly so; -1 when none.
  int IndexOfField(std::string_view name) const;
  bool ValidField(int index) const { return index >= 0 && index < FieldCount(); }

 private:
  friend class QueryModel;

  std::string tableName_;
  std::string alias_;
  int left_;
  int top_;
  std::vector<TWrenFieldEntry> fields_;
};

// One link between a field of box 1 and a field of box 2 (possibly the same
// box).
class TWrenLink {
 public:
  TWrenLink(TWrenTable& table1, int field1, TWrenTable& table2, int field2)
      : table1_(&table1), field1_(field1), table2_(&table2), field2_(field2) {}

  TWrenTable& Table1() const { return *table1_; }
  int Field1() const { return field1_; }
  const std::string& FieldName1() const { return table1_->Field(field1_).name; }
  TWrenTable& Table2() const { return *table2_; }
  int Field2() const { return field2_; }
  const std::string& FieldName2() const { return table2_->Field(field2_).name; }
  TWrenOperator Operator() const { return operator_; }
  TWrenJoinType JoinType() const { return joinType_; }
  // Whether the link uses this entry of this box.
  bool Uses(const TWrenTable& table, int field) const;

 private:
  friend class QueryModel;

  TWrenTable* table1_;
  int field1_;
  TWrenTable* table2_;
  int field2_;
  TWrenOperator operator_ = TWrenOperator::kEqual;
  TWrenJoinType joinType_ = TWrenJoinType::kInner;
};

// One result column of the grid.
struct TWrenColumn {
  std::string field;
  std::string table;
  bool show = true;
  TWrenSort sort = TWrenSort::kNone;
  TWrenFunction function = TWrenFunction::kNone;
  bool group = false;

  // The text of one of its cells as the grid shows it.
  std::string CellText(TWrenGridRow row) const;
  bool operator==(const TWrenColumn&) const = default;
};

// The column grid. Without result columns the window shows one blank column
// and Empty() is true.
class TWrenGrid {
 public:
  int Count() const { return static_cast<int>(columns_.size()); }
  bool Empty() const { return columns_.empty(); }
  const TWrenColumn& Column(int index) const { return columns_[static_cast<size_t>(index)]; }
  const std::vector<TWrenColumn>& Columns() const { return columns_; }
  bool ValidColumn(int index) const { return index >= 0 && index < Count(); }

 private:
  friend class QueryModel;

  std::vector<TWrenColumn> columns_;
};

class QueryModel {
 public:
  explicit QueryModel(TWrenEngine& engine);
  QueryModel(const QueryModel&) = delete;
  QueryModel& operator=(const QueryModel&) = delete;

  TWrenEngine& Engine() const { return engine_; }

  // Boxes in canvas order.
  const std::vector<std::unique_ptr<TWrenTable>>& Tables() const { return tables_; }
  // The box of exactly this table name; null when none.
  TWrenTable* FindTable(std::string_view tableName) const;
  // Inserts a box at the position, unless one exists for the name: then
  // shows "This table is already inserted." and returns null. Its alias is
  // the table's alias in the engine, its fields those ReadFieldList gives.
  TWrenTable* InsertTable(std::string_view tableName, int left, int top);
  // As InsertTable for the query file reader: no message; null when a box
  // of the name exists.
  TWrenTable* AddTableQuietly(std::string_view tableName, int left, int top);
  // Removes the box with its grid columns and links.
  void RemoveTable(TWrenTable& table);

  // Checking by the user: a newly checked entry adds a grid column at the
  // end; a newly unchecked one removes that box's columns of the field.
  void CheckField(TWrenTable& table, int field, bool checked);
  // Only the check mark (the file reader); the grid stays as it is.
  void SetFieldChecked(TWrenTable& table, int field, bool checked);
  // Checks every entry but "*", each newly checked one getting its column.
  void SelectAll(TWrenTable& table);
  // Unchecks every entry and removes every grid column of the box.
  void UnselectAll(TWrenTable& table);

  // Links in canvas order.
  const std::vector<std::unique_ptr<TWrenLink>>& Links() const { return links_; }
  enum class LinkResult { kAdded, kAlreadyLinked, kInvalid };
  // Links field 1 of box 1 with field 2 of box 2 (operator "=", Inner).
  // Refused as kInvalid for a missing box, an entry out of range or "*";
  // as kAlreadyLinked, with the message "These tables are already linked.",
  // when a link joins the same two fields.
  LinkResult InsertLink(TWrenTable& table1, int field1, TWrenTable& table2, int field2);
  // As InsertLink without the message (the file reader).
  LinkResult AddLinkQuietly(TWrenTable& table1, int field1, TWrenTable& table2, int field2);
  void SetLinkOptions(TWrenLink& link, TWrenOperator op, TWrenJoinType joinType);
  // Removes the link; its entries stay marked while another link uses them.
  void RemoveLink(TWrenLink& link);
  // Removes every link of the box.
  void UnlinkTable(TWrenTable& table);

  const TWrenGrid& Grid() const { return grid_; }
  // Inserts a column before position index (0-based; clamped to the grid),
  // Show set and no other option. Returns its index, or -1 (nothing
  // inserted) when no box holds the table.
  int InsertColumn(int index, std::string_view field, std::string_view table);
  void ToggleShow(int column);
  void SetShow(int column, bool show);
  void SetSort(int column, TWrenSort sort);
  void SetFunction(int column, TWrenFunction function);
  void ToggleGroup(int column);
  void SetGroup(int column, bool group);
  // Deletes the column; when no other column shows the same field of the
  // same table, the field is unchecked in its box.
  void RemoveColumn(int column);

  // Removes every box and link, clears the SQL, closes the result query and
  // clears its SQL.
  void NewModel();

 private:
  TWrenTable* AddTable(std::string_view tableName, int left, int top);
  LinkResult AddLink(TWrenTable& table1, int field1, TWrenTable& table2, int field2);
  void RemoveLinksWhere(const std::function<bool(const TWrenLink&)>& doomed);
  void RemoveColumnsWhere(const std::function<bool(const TWrenColumn&)>& doomed);
  // Marks each entry of the box that a link uses, and unmarks the rest.
  void RefreshLinkMarks(TWrenTable& table);
  std::string AliasForNewBox(std::string_view tableName) const;

  TWrenEngine& engine_;
  std::vector<std::unique_ptr<TWrenTable>> tables_;
  std::vector<std::unique_ptr<TWrenLink>> links_;
  TWrenGrid grid_;
};

}  // namespace querybuilder
