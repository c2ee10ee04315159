#include "dataset/field_def.h"

#include "dataset/dataset_errors.h"
#include "platform/text.h"

namespace dataset {

TFieldDef& TFieldDefs::Add(std::string_view name, TFieldType dataType, int size, bool required) {
  TFieldDef& def = items_.emplace_back();
  def.Name = std::string(name);
  def.DataType = dataType;
  def.Size = size;
  def.Required = required;
  def.FieldNo = Count();
  return def;
}

void TFieldDefs::Clear() {
  items_.clear();
  updated_ = false;
}

int TFieldDefs::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (platform::SameText(items_[i].Name, name))
      return static_cast<int>(i);
  }
  return -1;
}

const TFieldDef& TFieldDefs::Find(std::string_view name) const {
  const int index = IndexOf(name);
  if (index < 0)
    DatabaseErrorFmt(kFieldNotFound, {std::string(name)});
  return items_[static_cast<size_t>(index)];
}

TIndexDef& TIndexDefs::Add(std::string_view name, std::string_view fields, TIndexOptions options) {
  TIndexDef& def = items_.emplace_back();
  def.Name = std::string(name);
  def.Fields = std::string(fields);
  def.Options = options;
  return def;
}

int TIndexDefs::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (platform::SameText(items_[i].Name, name))
      return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::string> SplitFieldNames(std::string_view names) {
  std::vector<std::string> result;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(';', start);
    if (end == std::string_view::npos)
      end = names.size();
    std::string name(platform::Trim(names.substr(start, end - start)));
    if (!name.empty())
      result.push_back(std::move(name));
    start = end + 1;
  }
  return result;
}

}  // namespace dataset
