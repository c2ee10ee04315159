#include "querybuilder/clause_builder.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"
#include "translation/translation.h"

namespace querybuilder {
namespace {

// The side that is kept whole changes when the two tables of an outer join
// are written the other way round.
TWrenJoinType Mirrored(TWrenJoinType type) {
  switch (type) {
    case TWrenJoinType::kLeftOuter:
      return TWrenJoinType::kRightOuter;
    case TWrenJoinType::kRightOuter:
      return TWrenJoinType::kLeftOuter;
    default:
      return type;
  }
}

// One FROM item built from outer links, and the boxes it holds.
struct JoinedItem {
  std::string text;
  std::vector<const TWrenTable*> members;

  bool Holds(const TWrenTable& table) const {
    return std::find(members.begin(), members.end(), &table) != members.end();
  }
};

class ClauseWriter {
 public:
  ClauseWriter(const QueryModel& model, TWrenEngine& engine)
      : model_(model), engine_(engine), dialect_(engine.NameDialect()) {}

  void Write() {
    engine_.ClearClauses();
    WriteSelect();
    WriteFromAndWhere();
    WriteGroupBy();
    WriteOrderBy();
  }

 private:
  std::string Name(std::string_view name) const { return SqlName(name, dialect_); }

  std::string AliasOfTable(std::string_view table) const {
    if (const TWrenTable* box = model_.FindTable(table))
      return box->Alias();
    std::string alias = engine_.AliasOf(table);
    return alias.empty() ? std::string(table) : alias;
  }

  std::string AliasSql(std::string_view alias) const { return Name(platform::LowerCase(alias)); }

  std::string FieldRef(std::string_view alias, std::string_view field) const {
    const std::string fieldSql =
        field == kAllFieldsEntry ? std::string(kAllFieldsEntry) : Name(platform::LowerCase(field));
    return AliasSql(alias) + "." + fieldSql;
  }

  std::string ColumnRef(const TWrenColumn& column) const {
    return FieldRef(AliasOfTable(column.table), column.field);
  }

  static std::string FunctionSql(TWrenFunction function) {
    return platform::UpperCase(FunctionText(function));
  }

  std::string TableRef(const TWrenTable& table) const {
    return Name(table.TableName()) + " " + AliasSql(table.Alias());
  }

  std::string Condition(const TWrenLink& link) const {
    return FieldRef(link.Table1().Alias(), link.FieldName1()) +
           std::string(OperatorText(link.Operator())) +
           FieldRef(link.Table2().Alias(), link.FieldName2());
  }

  void WriteSelect() {
    for (const TWrenColumn& column : model_.Grid().Columns()) {
      if (!column.show)
        continue;
      engine_.SelectColumns().Add(ColumnRef(column));
      engine_.SelectFunctions().Add(FunctionSql(column.function));
    }
  }

  JoinedItem* ItemHolding(const TWrenTable& table) {
    for (JoinedItem& item : joined_) {
      if (item.Holds(table))
        return &item;
    }
    return nullptr;
  }

  void AddOuterLink(const TWrenLink& link) {
    const TWrenTable& table1 = link.Table1();
    const TWrenTable& table2 = link.Table2();
    const std::string on = " ON " + Condition(link);
    JoinedItem* item1 = ItemHolding(table1);
    JoinedItem* item2 = ItemHolding(table2);
    if (item1 == nullptr && item2 == nullptr) {
      joined_.push_back(
          {TableRef(table1) + std::string(JoinTypeSql(link.JoinType())) + TableRef(table2) + on,
           {&table1, &table2}});
    } else if (item2 == nullptr) {
      item1->text += std::string(JoinTypeSql(link.JoinType())) + TableRef(table2) + on;
      item1->members.push_back(&table2);
    } else if (item1 == nullptr) {
      item2->text += std::string(JoinTypeSql(Mirrored(link.JoinType()))) + TableRef(table1) + on;
      item2->members.push_back(&table1);
    } else if (item1 == item2) {
      item1->text += " AND " + Condition(link);
    } else {
      item1->text += std::string(JoinTypeSql(link.JoinType())) + "(" + item2->text + ")" + on;
      item1->members.insert(item1->members.end(), item2->members.begin(), item2->members.end());
      joined_.erase(joined_.begin() + (item2 - joined_.data()));
    }
  }

  void WriteFromAndWhere() {
    for (const auto& link : model_.Links()) {
      const bool selfLink = &link->Table1() == &link->Table2();
      if (link->JoinType() == TWrenJoinType::kInner || selfLink)
        engine_.WhereItems().Add(Condition(*link));
      else
        AddOuterLink(*link);
    }
    for (const JoinedItem& item : joined_)
      engine_.FromItems().Add(item.text);
    for (const auto& table : model_.Tables()) {
      if (ItemHolding(*table) == nullptr)
        engine_.FromItems().Add(TableRef(*table));
    }
  }

  void WriteGroupBy() {
    for (const TWrenColumn& column : model_.Grid().Columns()) {
      if (column.group)
        engine_.GroupByItems().Add(ColumnRef(column));
    }
  }

  void WriteOrderBy() {
    int shownPosition = 0;
    for (const TWrenColumn& column : model_.Grid().Columns()) {
      if (column.show)
        ++shownPosition;
      if (column.sort == TWrenSort::kNone)
        continue;
      std::string item;
      if (column.function == TWrenFunction::kNone)
        item = ColumnRef(column);
      else if (column.show)
        item = std::to_string(shownPosition);
      else
        item = FunctionSql(column.function) + "(" + ColumnRef(column) + ")";
      if (column.sort == TWrenSort::kDesc)
        item += " DESC";
      engine_.OrderByItems().Add(std::move(item));
    }
  }

  const QueryModel& model_;
  TWrenEngine& engine_;
  SqlNameDialect dialect_;
  std::vector<JoinedItem> joined_;
};

}  // namespace

bool BuildClauses(const QueryModel& model, TWrenEngine& engine) {
  const auto& columns = model.Grid().Columns();
  if (std::none_of(columns.begin(), columns.end(),
                   [](const TWrenColumn& column) { return column.show; })) {
    engine.Dialogs().ShowMessage(translation::TranslateText("Columns are not selected."));
    return false;
  }
  ClauseWriter(model, engine).Write();
  return true;
}

bool GenerateQuerySql(const QueryModel& model, TWrenEngine& engine, std::string& sql) {
  if (!BuildClauses(model, engine))
    return false;
  engine.GenerateSQL(sql);
  return true;
}

}  // namespace querybuilder
