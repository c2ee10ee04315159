#include "querybuilder/query_model.h"

#include <algorithm>

#include "platform/text.h"
#include "querybuilder/wren_engine.h"
#include "translation/translation.h"

namespace querybuilder {

TWrenTable::TWrenTable(std::string tableName, std::string alias, int left, int top,
                       const std::vector<std::string>& fieldList)
    : tableName_(std::move(tableName)), alias_(std::move(alias)), left_(left), top_(top) {
  fields_.reserve(fieldList.size());
  for (const std::string& name : fieldList)
    fields_.push_back({name, false, false});
  if (fields_.empty() || fields_.front().name != kAllFieldsEntry)
    fields_.insert(fields_.begin(), {std::string(kAllFieldsEntry), false, false});
}

int TWrenTable::IndexOfField(std::string_view name) const {
  for (int i = 0; i < FieldCount(); ++i) {
    if (Field(i).name == name)
      return i;
  }
  return -1;
}

bool TWrenLink::Uses(const TWrenTable& table, int field) const {
  return (table1_ == &table && field1_ == field) || (table2_ == &table && field2_ == field);
}

std::string TWrenColumn::CellText(TWrenGridRow row) const {
  switch (row) {
    case TWrenGridRow::kField:
      return field;
    case TWrenGridRow::kTable:
      return table;
    case TWrenGridRow::kShow:
      return show ? std::string(kShowText) : std::string();
    case TWrenGridRow::kSort:
      return std::string(SortText(sort));
    case TWrenGridRow::kFunction:
      return std::string(FunctionText(function));
    case TWrenGridRow::kGroup:
      return group ? std::string(kGroupText) : std::string();
  }
  return {};
}

QueryModel::QueryModel(TWrenEngine& engine) : engine_(engine) {}

TWrenTable* QueryModel::FindTable(std::string_view tableName) const {
  for (const auto& table : tables_) {
    if (table->TableName() == tableName)
      return table.get();
  }
  return nullptr;
}

TWrenTable* QueryModel::InsertTable(std::string_view tableName, int left, int top) {
  if (FindTable(tableName) != nullptr) {
    engine_.Dialogs().ShowMessage(translation::TranslateText("This table is already inserted."));
    return nullptr;
  }
  return AddTable(tableName, left, top);
}

TWrenTable* QueryModel::AddTableQuietly(std::string_view tableName, int left, int top) {
  if (FindTable(tableName) != nullptr)
    return nullptr;
  return AddTable(tableName, left, top);
}

TWrenTable* QueryModel::AddTable(std::string_view tableName, int left, int top) {
  std::string alias = AliasForNewBox(tableName);
  engine_.ReadFieldList(tableName);
  tables_.push_back(std::make_unique<TWrenTable>(std::string(tableName), std::move(alias), left,
                                                 top, engine_.FieldList().Items()));
  return tables_.back().get();
}

std::string QueryModel::AliasForNewBox(std::string_view tableName) const {
  std::string alias = engine_.AliasOf(tableName);
  platform::StringList taken = engine_.AliasList();
  for (const auto& table : tables_)
    taken.Add(table->Alias());
  // A table the engine does not list (a stale query file) gets a fresh alias
  // that clashes neither with the listed tables nor with the boxes.
  if (alias.empty())
    return FreeAlias(tableName, taken);
  for (const auto& table : tables_) {
    if (platform::SameText(table->Alias(), alias))
      return FreeAlias(tableName, taken);
  }
  return alias;
}

void QueryModel::RemoveTable(TWrenTable& table) {
  UnlinkTable(table);
  const std::string name = table.TableName();
  RemoveColumnsWhere([&](const TWrenColumn& column) { return column.table == name; });
  std::erase_if(tables_, [&](const auto& box) { return box.get() == &table; });
}

void QueryModel::CheckField(TWrenTable& table, int field, bool checked) {
  if (!table.ValidField(field) || table.fields_[static_cast<size_t>(field)].checked == checked)
    return;
  TWrenFieldEntry& entry = table.fields_[static_cast<size_t>(field)];
  entry.checked = checked;
  if (checked) {
    InsertColumn(grid_.Count(), entry.name, table.TableName());
    return;
  }
  RemoveColumnsWhere([&](const TWrenColumn& column) {
    return column.field == entry.name && column.table == table.TableName();
  });
}

void QueryModel::SetFieldChecked(TWrenTable& table, int field, bool checked) {
  if (table.ValidField(field))
    table.fields_[static_cast<size_t>(field)].checked = checked;
}

void QueryModel::SelectAll(TWrenTable& table) {
  for (int field = 1; field < table.FieldCount(); ++field)
    CheckField(table, field, true);
}

void QueryModel::UnselectAll(TWrenTable& table) {
  for (TWrenFieldEntry& entry : table.fields_)
    entry.checked = false;
  const std::string name = table.TableName();
  RemoveColumnsWhere([&](const TWrenColumn& column) { return column.table == name; });
}

QueryModel::LinkResult QueryModel::InsertLink(TWrenTable& table1, int field1, TWrenTable& table2,
                                              int field2) {
  const LinkResult result = AddLink(table1, field1, table2, field2);
  if (result == LinkResult::kAlreadyLinked)
    engine_.Dialogs().ShowMessage(translation::TranslateText("These tables are already linked."));
  return result;
}

QueryModel::LinkResult QueryModel::AddLinkQuietly(TWrenTable& table1, int field1,
                                                  TWrenTable& table2, int field2) {
  return AddLink(table1, field1, table2, field2);
}

QueryModel::LinkResult QueryModel::AddLink(TWrenTable& table1, int field1, TWrenTable& table2,
                                           int field2) {
  const auto onCanvas = [&](const TWrenTable& table) {
    return std::any_of(tables_.begin(), tables_.end(),
                       [&](const auto& box) { return box.get() == &table; });
  };
  // Entry 0 is "*": it stands for no single field and cannot be compared.
  if (!onCanvas(table1) || !onCanvas(table2) || field1 < 1 || field2 < 1 ||
      !table1.ValidField(field1) || !table2.ValidField(field2) ||
      (&table1 == &table2 && field1 == field2))
    return LinkResult::kInvalid;
  for (const auto& link : links_) {
    if (link->Uses(table1, field1) && link->Uses(table2, field2))
      return LinkResult::kAlreadyLinked;
  }
  links_.push_back(std::make_unique<TWrenLink>(table1, field1, table2, field2));
  table1.fields_[static_cast<size_t>(field1)].linked = true;
  table2.fields_[static_cast<size_t>(field2)].linked = true;
  return LinkResult::kAdded;
}

void QueryModel::SetLinkOptions(TWrenLink& link, TWrenOperator op, TWrenJoinType joinType) {
  link.operator_ = op;
  link.joinType_ = joinType;
}

void QueryModel::RemoveLink(TWrenLink& link) {
  RemoveLinksWhere([&](const TWrenLink& candidate) { return &candidate == &link; });
}

void QueryModel::UnlinkTable(TWrenTable& table) {
  RemoveLinksWhere(
      [&](const TWrenLink& link) { return &link.Table1() == &table || &link.Table2() == &table; });
}

void QueryModel::RemoveLinksWhere(const std::function<bool(const TWrenLink&)>& doomed) {
  std::vector<TWrenTable*> touched;
  for (const auto& link : links_) {
    if (doomed(*link)) {
      touched.push_back(&link->Table1());
      touched.push_back(&link->Table2());
    }
  }
  std::erase_if(links_, [&](const auto& link) { return doomed(*link); });
  for (TWrenTable* table : touched)
    RefreshLinkMarks(*table);
}

void QueryModel::RefreshLinkMarks(TWrenTable& table) {
  for (int field = 0; field < table.FieldCount(); ++field) {
    table.fields_[static_cast<size_t>(field)].linked = std::any_of(
        links_.begin(), links_.end(), [&](const auto& link) { return link->Uses(table, field); });
  }
}

int QueryModel::InsertColumn(int index, std::string_view field, std::string_view table) {
  if (FindTable(table) == nullptr)
    return -1;
  index = std::clamp(index, 0, grid_.Count());
  TWrenColumn column;
  column.field = std::string(field);
  column.table = std::string(table);
  grid_.columns_.insert(grid_.columns_.begin() + index, std::move(column));
  return index;
}

void QueryModel::ToggleShow(int column) {
  if (grid_.ValidColumn(column))
    SetShow(column, !grid_.Column(column).show);
}

void QueryModel::SetShow(int column, bool show) {
  if (grid_.ValidColumn(column))
    grid_.columns_[static_cast<size_t>(column)].show = show;
}

void QueryModel::SetSort(int column, TWrenSort sort) {
  if (grid_.ValidColumn(column))
    grid_.columns_[static_cast<size_t>(column)].sort = sort;
}

void QueryModel::SetFunction(int column, TWrenFunction function) {
  if (grid_.ValidColumn(column))
    grid_.columns_[static_cast<size_t>(column)].function = function;
}

void QueryModel::ToggleGroup(int column) {
  if (grid_.ValidColumn(column))
    SetGroup(column, !grid_.Column(column).group);
}

void QueryModel::SetGroup(int column, bool group) {
  if (grid_.ValidColumn(column))
    grid_.columns_[static_cast<size_t>(column)].group = group;
}

void QueryModel::RemoveColumn(int column) {
  if (!grid_.ValidColumn(column))
    return;
  const TWrenColumn removed = grid_.Column(column);
  grid_.columns_.erase(grid_.columns_.begin() + column);
  const bool stillShown =
      std::any_of(grid_.columns_.begin(), grid_.columns_.end(), [&](const TWrenColumn& other) {
        return other.field == removed.field && other.table == removed.table;
      });
  if (stillShown)
    return;
  if (TWrenTable* table = FindTable(removed.table))
    SetFieldChecked(*table, table->IndexOfField(removed.field), false);
}

void QueryModel::RemoveColumnsWhere(const std::function<bool(const TWrenColumn&)>& doomed) {
  std::erase_if(grid_.columns_, doomed);
}

void QueryModel::NewModel() {
  links_.clear();
  tables_.clear();
  grid_.columns_.clear();
  engine_.ClearSQLLines();
  engine_.CloseResultQuery();
  engine_.ClearQuerySQL();
}

}  // namespace querybuilder
