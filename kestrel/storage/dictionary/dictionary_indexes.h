#pragma once
// Index definitions: the ordered key columns of a B-tree index, the list
// that owns them, the lookup of an index for a column list and the
// conversions to and from the dataset layer's index definitions.
//
// Temporary indexes are the engine's own; they are never saved and a loaded
// index is never temporary.
//
// Stream form of an index column:
//   size  field
//   1     name length L (a name of 256 bytes or more cannot be written)
//   L     name
//   1     Descending
//   1     CaseInsensitive
// Stream form of an index: base; then
//   1     IndexType (0, B-tree)
//   1     Unique
//   1     Primary
//   4     column count
//   4     RootPageNo (-1 while the index is empty)
//   ...   the columns
// The index list is a 4-byte count of the non-temporary indexes followed by
// those indexes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dataset/field_def.h"
#include "kestrel/storage/dictionary/dictionary_base.h"

namespace kestrel {

struct TKestrelIndexColumn {
  std::string FieldName;
  bool Descending = false;
  bool CaseInsensitive = false;
};

class TKestrelIndexDef : public TKestrelMetaObjectDef {
 public:
  void Assign(const TKestrelMetaObjectDef& source) override;
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;

  int ColumnCount() const { return static_cast<int>(Columns.size()); }
  // Creates or frees columns at the end.
  void SetColumnCount(int count);

  uint8_t IndexType = 0;
  std::vector<std::unique_ptr<TKestrelIndexColumn>> Columns;
  bool Unique = false;
  bool Primary = false;
  int32_t RootPageNo = -1;
  bool Temporary = false;
};

class TKestrelIndexDefs : public TKestrelMetaObjectDefs {
 public:
  TKestrelIndexDef* Items(int index) const {
    return static_cast<TKestrelIndexDef*>(TKestrelMetaObjectDefs::Items(index));
  }
  // Replaces the item at index; the old one is freed.
  void SetItem(int index, std::unique_ptr<TKestrelIndexDef> def);
  TKestrelIndexDef* Find(std::string_view name) const {
    return static_cast<TKestrelIndexDef*>(TKestrelMetaObjectDefs::Find(name));
  }
  TKestrelIndexDef* FindByID(int32_t objectID) const {
    return static_cast<TKestrelIndexDef*>(TKestrelMetaObjectDefs::FindByID(objectID));
  }

  void SaveToStream(TKestrelStream& stream) const override;

  // The ObjectID of the first index whose leading columns match the request,
  // or -1. An order "ASC"/"DESC" and a case "CASE"/"NO_CASE" restrict the
  // column; other entries accept both. Lists of different lengths raise
  // "Error - different lists length. L1 = %d, L2 = %d" (10276, 10277); a
  // missing list raises "Nil pointer occured" (10389 to 10391).
  int32_t FindIndexForColumns(const std::vector<std::string>* fieldNames,
                              const std::vector<std::string>* orders,
                              const std::vector<std::string>* cases) const;

 protected:
  std::unique_ptr<TKestrelMetaObjectDef> InternalAddCreated() override;
  const char* ClassName() const override { return "TKestrelIndexDefs"; }
};

// An index definition from a dataset index definition. Raises "Invalid index
// name '%s'" (20048) for an empty name and "Cannot find index field '%s'"
// for an empty field list (20049) or an unknown field (20050).
void IndexDefFromDatasetIndexDef(const dataset::TIndexDef& source,
                                 const dataset::TFieldDefs& fields, TKestrelIndexDef& target);
dataset::TIndexDef DatasetIndexDefFromIndexDef(const TKestrelIndexDef& source);

}  // namespace kestrel
