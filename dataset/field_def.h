#pragma once
// Field and index definitions: what a dataset's result or table holds, before
// any field objects exist. Implementations build them when a dataset opens
// or when a caller asks while it is closed; table components read them to
// create tables.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/field_type.h"

namespace dataset {

struct TFieldDef {
  std::string Name;
  TFieldType DataType = TFieldType::ftUnknown;
  int Size = 0;       // characters of a string, bytes of a binary value, scale of a BCD
  int Precision = 0;  // digits of a BCD
  bool Required = false;
  bool ReadOnly = false;
  int FieldNo = 0;       // 1-based position among the definitions
  int DisplayWidth = 0;  // of the field made from it; 0 leaves the type's default
};

class TFieldDefs {
 public:
  TFieldDef& Add(std::string_view name, TFieldType dataType, int size = 0, bool required = false);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  const TFieldDef& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
  TFieldDef& operator[](int index) { return items_.at(static_cast<size_t>(index)); }
  // Case-insensitive; -1 when absent.
  int IndexOf(std::string_view name) const;
  // Raises "Field '%s' not found".
  const TFieldDef& Find(std::string_view name) const;

  // Whether the definitions reflect the current source; cleared on close.
  bool Updated() const { return updated_; }
  void SetUpdated(bool updated) { updated_ = updated; }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<TFieldDef> items_;
  bool updated_ = false;
};

enum class TIndexOption : uint8_t {
  ixPrimary = 1,
  ixUnique = 2,
  ixDescending = 4,
  ixCaseInsensitive = 8,
  ixExpression = 16,
  ixNonMaintained = 32,
};
using TIndexOptions = uint8_t;
constexpr TIndexOptions operator|(TIndexOption a, TIndexOption b) {
  return static_cast<TIndexOptions>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}
constexpr bool HasOption(TIndexOptions options, TIndexOption option) {
  return (options & static_cast<uint8_t>(option)) != 0;
}

struct TIndexDef {
  std::string Name;
  std::string Fields;  // field names separated by ";"
  std::string DescFields;
  std::string CaseInsFields;
  TIndexOptions Options = 0;
};

class TIndexDefs {
 public:
  TIndexDef& Add(std::string_view name, std::string_view fields, TIndexOptions options);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  const TIndexDef& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
  TIndexDef& operator[](int index) { return items_.at(static_cast<size_t>(index)); }
  int IndexOf(std::string_view name) const;
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<TIndexDef> items_;
};

// The names of a "name1;name2" list, blanks around each removed, empty
// entries dropped.
std::vector<std::string> SplitFieldNames(std::string_view names);

}  // namespace dataset
