#include "kestrel/storage/dictionary/dictionary_indexes.h"

#include <algorithm>

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"
#include "platform/text.h"

namespace kestrel {

namespace site = dictionary_site;

void TKestrelIndexDef::Assign(const TKestrelMetaObjectDef& source) {
  TKestrelMetaObjectDef::Assign(source);
  const auto& from = dynamic_cast<const TKestrelIndexDef&>(source);
  IndexType = from.IndexType;
  Columns.clear();
  for (const auto& column : from.Columns) {
    Columns.push_back(std::make_unique<TKestrelIndexColumn>(*column));
  }
  Unique = from.Unique;
  Primary = from.Primary;
  RootPageNo = from.RootPageNo;
  Temporary = from.Temporary;
}

void TKestrelIndexDef::SetColumnCount(int count) {
  while (ColumnCount() > count) {
    Columns.pop_back();
  }
  while (ColumnCount() < count) {
    Columns.push_back(std::make_unique<TKestrelIndexColumn>());
  }
}

void TKestrelIndexDef::LoadFromStream(TKestrelStream& stream) {
  TKestrelMetaObjectDef::LoadFromStream(stream);
  IndexType = ReadUInt8(stream, site::kReadIndex);
  Unique = ReadBool(stream, site::kReadIndex + 1);
  Primary = ReadBool(stream, site::kReadIndex + 2);
  const int32_t count = ReadInt32(stream, site::kReadIndex + 3);
  RootPageNo = ReadInt32(stream, site::kReadIndex + 4);
  Temporary = false;
  Columns.clear();
  for (int32_t i = 0; i < count; ++i) {
    auto column = std::make_unique<TKestrelIndexColumn>();
    column->FieldName = ReadShortString(stream, site::kReadColumnNameLength, site::kReadColumnName);
    column->Descending = ReadBool(stream, site::kReadColumnDescending);
    column->CaseInsensitive = ReadBool(stream, site::kReadColumnCaseInsensitive);
    Columns.push_back(std::move(column));
  }
}

void TKestrelIndexDef::SaveToStream(TKestrelStream& stream) const {
  TKestrelMetaObjectDef::SaveToStream(stream);
  WriteUInt8(stream, IndexType, site::kWriteIndex);
  WriteBool(stream, Unique, site::kWriteIndex + 1);
  WriteBool(stream, Primary, site::kWriteIndex + 2);
  WriteInt32(stream, ColumnCount(), site::kWriteIndex + 3);
  WriteInt32(stream, RootPageNo, site::kWriteIndex + 4);
  for (const auto& column : Columns) {
    WriteShortString(stream, column->FieldName, site::kWriteColumnNameLength,
                     site::kWriteColumnName);
    WriteBool(stream, column->Descending, site::kWriteColumnDescending);
    WriteBool(stream, column->CaseInsensitive, site::kWriteColumnCaseInsensitive);
  }
}

std::unique_ptr<TKestrelMetaObjectDef> TKestrelIndexDefs::InternalAddCreated() {
  return std::make_unique<TKestrelIndexDef>();
}

void TKestrelIndexDefs::SetItem(int index, std::unique_ptr<TKestrelIndexDef> def) {
  Slot(index) = std::move(def);
  Changed();
}

void TKestrelIndexDefs::SaveToStream(TKestrelStream& stream) const {
  int32_t stored = 0;
  for (int i = 0; i < Count(); ++i) {
    stored += Items(i)->Temporary ? 0 : 1;
  }
  WriteInt32(stream, stored, site::kWriteListCount);
  for (int i = 0; i < Count(); ++i) {
    if (!Items(i)->Temporary) {
      Items(i)->SaveToStream(stream);
    }
  }
}

int32_t TKestrelIndexDefs::FindIndexForColumns(const std::vector<std::string>* fieldNames,
                                               const std::vector<std::string>* orders,
                                               const std::vector<std::string>* cases) const {
  if (fieldNames == nullptr) {
    throw EKestrelException("Nil pointer occured", 10389);
  }
  if (orders == nullptr) {
    throw EKestrelException("Nil pointer occured", 10390);
  }
  if (cases == nullptr) {
    throw EKestrelException("Nil pointer occured", 10391);
  }
  const auto count = static_cast<int>(fieldNames->size());
  if (orders->size() != fieldNames->size()) {
    throw EKestrelException("Error - different lists length. L1 = %d, L2 = %d",
                            {count, static_cast<int>(orders->size())}, 10276);
  }
  if (cases->size() != fieldNames->size()) {
    throw EKestrelException("Error - different lists length. L1 = %d, L2 = %d",
                            {count, static_cast<int>(cases->size())}, 10277);
  }
  for (int i = 0; i < Count(); ++i) {
    const TKestrelIndexDef& index = *Items(i);
    if (index.ColumnCount() < count) {
      continue;
    }
    bool matches = true;
    for (int c = 0; c < count && matches; ++c) {
      const TKestrelIndexColumn& column = *index.Columns[static_cast<std::size_t>(c)];
      const std::string order = platform::UpperCase((*orders)[static_cast<std::size_t>(c)]);
      const std::string caseRule = platform::UpperCase((*cases)[static_cast<std::size_t>(c)]);
      matches = platform::SameText(column.FieldName, (*fieldNames)[static_cast<std::size_t>(c)]) &&
                !(order == "ASC" && column.Descending) &&
                !(order == "DESC" && !column.Descending) &&
                !(caseRule == "CASE" && column.CaseInsensitive) &&
                !(caseRule == "NO_CASE" && !column.CaseInsensitive);
    }
    if (matches) {
      return index.ObjectID;
    }
  }
  return -1;
}

namespace {

std::vector<std::string> SplitIndexFields(std::string_view text) {
  std::string names(text);
  std::replace(names.begin(), names.end(), ',', ';');
  return dataset::SplitFieldNames(names);
}

bool Names(const std::vector<std::string>& list, std::string_view name) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& item) { return platform::SameText(item, name); });
}

std::string Join(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) {
    text += text.empty() ? name : ";" + name;
  }
  return text;
}

}  // namespace

void IndexDefFromDatasetIndexDef(const dataset::TIndexDef& source,
                                 const dataset::TFieldDefs& fields, TKestrelIndexDef& target) {
  if (source.Name.empty()) {
    throw EKestrelException("Invalid index name '%s'", {source.Name}, 20048);
  }
  const std::vector<std::string> names = SplitIndexFields(source.Fields);
  if (names.empty()) {
    throw EKestrelException("Cannot find index field '%s'", {source.Fields}, 20049);
  }
  const std::vector<std::string> descending = SplitIndexFields(source.DescFields);
  const std::vector<std::string> caseInsensitive = SplitIndexFields(source.CaseInsFields);
  const bool allDescending =
      dataset::HasOption(source.Options, dataset::TIndexOption::ixDescending);
  const bool allCaseInsensitive =
      dataset::HasOption(source.Options, dataset::TIndexOption::ixCaseInsensitive);
  target.Name = source.Name;
  target.IndexType = 0;
  target.Unique = dataset::HasOption(source.Options, dataset::TIndexOption::ixUnique);
  target.Primary = dataset::HasOption(source.Options, dataset::TIndexOption::ixPrimary);
  target.Columns.clear();
  for (const auto& name : names) {
    if (fields.IndexOf(name) < 0) {
      throw EKestrelException("Cannot find index field '%s'", {name}, 20050);
    }
    auto column = std::make_unique<TKestrelIndexColumn>();
    column->FieldName = name;
    column->Descending = allDescending || Names(descending, name);
    column->CaseInsensitive = allCaseInsensitive || Names(caseInsensitive, name);
    target.Columns.push_back(std::move(column));
  }
}

dataset::TIndexDef DatasetIndexDefFromIndexDef(const TKestrelIndexDef& source) {
  std::vector<std::string> names;
  std::vector<std::string> descending;
  std::vector<std::string> caseInsensitive;
  for (const auto& column : source.Columns) {
    names.push_back(column->FieldName);
    if (column->Descending) {
      descending.push_back(column->FieldName);
    }
    if (column->CaseInsensitive) {
      caseInsensitive.push_back(column->FieldName);
    }
  }
  dataset::TIndexDef result;
  result.Name = source.Name;
  result.Fields = Join(names);
  result.DescFields = Join(descending);
  result.CaseInsFields = Join(caseInsensitive);
  if (source.Primary) {
    result.Options |= static_cast<dataset::TIndexOptions>(dataset::TIndexOption::ixPrimary);
  }
  if (source.Unique) {
    result.Options |= static_cast<dataset::TIndexOptions>(dataset::TIndexOption::ixUnique);
  }
  return result;
}

}  // namespace kestrel
