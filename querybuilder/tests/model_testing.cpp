#include "querybuilder/tests/model_testing.h"

#include <algorithm>
#include <stdexcept>

namespace querybuilder::testing {

ListEngine::ListEngine(std::vector<ListedTable> tables, SqlNameDialect dialect)
    : tables_(std::move(tables)), dialect_(dialect) {}

void ListEngine::Load() {
  ReadTableList();
  GenerateAliases();
}

void ListEngine::DropTable(std::string_view name) {
  std::erase_if(tables_, [&](const ListedTable& table) { return table.name == name; });
}

void ListEngine::ReadTableList() {
  platform::StringList names;
  for (const ListedTable& table : tables_)
    names.Add(table.name);
  SetTableList(std::move(names));
}

void ListEngine::ReadFieldList(std::string_view table) {
  ++fieldReads_;
  platform::StringList fields{std::string(kAllFieldsEntry)};
  for (const ListedTable& listed : tables_) {
    if (listed.name == table) {
      for (const std::string& field : listed.fields)
        fields.Add(field);
    }
  }
  SetFieldList(std::move(fields));
}

void ListEngine::ClearQuerySQL() {
  querySql_.clear();
  SetRowCount(0);
}

RecordingDialogs::RecordingDialogs() : previous_(platform::InstallUserDialogs(this)) {}

RecordingDialogs::~RecordingDialogs() {
  platform::InstallUserDialogs(previous_);
}

platform::DialogButton RecordingDialogs::ShowMessageBox(const platform::MessageRequest& request) {
  messages_.push_back(request.text);
  return request.defaultButton;
}

TWrenTable& ModelSteps::Box(const char* table, int left, int top) {
  TWrenTable* box = model_.InsertTable(table, left, top);
  if (box == nullptr) {
    ADD_FAILURE() << "no box for " << table;
    throw std::runtime_error("no box");
  }
  return *box;
}

int ModelSteps::FieldIndex(const TWrenTable& table, const char* field) {
  const int index = table.IndexOfField(field);
  EXPECT_GE(index, 0) << table.TableName() << "." << field;
  return index;
}

int ModelSteps::Check(TWrenTable& table, const char* field) {
  model_.CheckField(table, FieldIndex(table, field), true);
  return model_.Grid().Count() - 1;
}

TWrenLink& ModelSteps::Link(TWrenTable& table1, const char* field1, TWrenTable& table2,
                            const char* field2, TWrenJoinType joinType, TWrenOperator op) {
  if (model_.InsertLink(table1, FieldIndex(table1, field1), table2, FieldIndex(table2, field2)) !=
      QueryModel::LinkResult::kAdded) {
    ADD_FAILURE() << "no link " << table1.TableName() << "." << field1 << " - "
                  << table2.TableName() << "." << field2;
    throw std::runtime_error("no link");
  }
  TWrenLink& link = *model_.Links().back();
  model_.SetLinkOptions(link, op, joinType);
  return link;
}

std::string BrokenInvariant(const QueryModel& model) {
  const auto onCanvas = [&](const TWrenTable* table) {
    return std::any_of(model.Tables().begin(), model.Tables().end(),
                       [&](const auto& box) { return box.get() == table; });
  };
  for (std::size_t i = 0; i < model.Tables().size(); ++i) {
    const TWrenTable& table = *model.Tables()[i];
    if (table.FieldCount() < 1 || table.Field(0).name != kAllFieldsEntry)
      return "box " + table.TableName() + " does not start with *";
    for (std::size_t j = 0; j < i; ++j) {
      if (model.Tables()[j]->TableName() == table.TableName())
        return "two boxes of " + table.TableName();
    }
    for (int field = 0; field < table.FieldCount(); ++field) {
      const bool used = std::any_of(model.Links().begin(), model.Links().end(),
                                    [&](const auto& link) { return link->Uses(table, field); });
      if (used != table.Field(field).linked)
        return "link mark of " + table.TableName() + "." + table.Field(field).name;
    }
  }
  for (std::size_t i = 0; i < model.Links().size(); ++i) {
    const TWrenLink& link = *model.Links()[i];
    if (!onCanvas(&link.Table1()) || !onCanvas(&link.Table2()))
      return "a link to a box that is not on the canvas";
    if (link.Field1() < 1 || !link.Table1().ValidField(link.Field1()) || link.Field2() < 1 ||
        !link.Table2().ValidField(link.Field2()))
      return "a link to an invalid field entry";
    for (std::size_t j = 0; j < i; ++j) {
      const TWrenLink& other = *model.Links()[j];
      if (other.Uses(link.Table1(), link.Field1()) && other.Uses(link.Table2(), link.Field2()))
        return "two links join the same fields";
    }
  }
  for (const TWrenColumn& column : model.Grid().Columns()) {
    if (model.FindTable(column.table) == nullptr)
      return "a column of " + column.table + ", which has no box";
  }
  return {};
}

}  // namespace querybuilder::testing
