#pragma once
// Constraint definitions: primary key (type 0), unique (2), not null (3) and
// check (4), each with three references (a first one the engine leaves
// empty, the table, and the target: the field for not-null and check, the
// backing index for unique and primary key).
//
// Stream form of a not-null or check constraint: base; then
//   size  field
//   4 x3  ObjectID of the first, table and target references
//   per name of the three references:
//     1   N = length + 1
//     N   the short string (its length byte, then its bytes)
//   ...   check only: lower bound, upper bound (value forms)
// Stream form of a unique or primary-key constraint: base; then
//   4 x3  ObjectIDs of the three references
//   per name: 4 bytes N = length + 1, N bytes of the short string
//   4     column count
//   per column: 4 ObjectID, 4 N = length + 1, N bytes of the short string
// The constraint list is a 4-byte count, then per constraint its type byte
// and its form.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kestrel/storage/dictionary/dictionary_base.h"
#include "kestrel/storage/dictionary/dictionary_indexes.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {

inline constexpr uint8_t kConstraintPrimary = 0;
inline constexpr uint8_t kConstraintUnique = 2;
inline constexpr uint8_t kConstraintNotNull = 3;
inline constexpr uint8_t kConstraintCheck = 4;

struct TKestrelObjectReference {
  std::string Name;
  int32_t ObjectID = -1;
};

class TKestrelConstraintDef : public TKestrelMetaObjectDef {
 public:
  void Assign(const TKestrelMetaObjectDef& source) override;
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;

  uint8_t ConstraintType() const { return constraintType_; }

  TKestrelObjectReference FirstReference;
  TKestrelObjectReference TableReference;
  TKestrelObjectReference TargetReference;

 protected:
  explicit TKestrelConstraintDef(uint8_t constraintType) : constraintType_(constraintType) {}
  // Whether the names carry a 4-byte (true) or 1-byte (false) length.
  virtual bool WideNameLengths() const { return false; }

 private:
  uint8_t constraintType_;
};

class TKestrelConstraintDefNotNull : public TKestrelConstraintDef {
 public:
  TKestrelConstraintDefNotNull() : TKestrelConstraintDef(kConstraintNotNull) {}
};

class TKestrelConstraintDefCheck : public TKestrelConstraintDef {
 public:
  TKestrelConstraintDefCheck() : TKestrelConstraintDef(kConstraintCheck) {}
  void Assign(const TKestrelMetaObjectDef& source) override;
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;

  TKestrelVariant LowerBound;  // NULL: not checked
  TKestrelVariant UpperBound;
};

class TKestrelConstraintDefUnique : public TKestrelConstraintDef {
 public:
  TKestrelConstraintDefUnique() : TKestrelConstraintDef(kConstraintUnique) {}
  void Assign(const TKestrelMetaObjectDef& source) override;
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;

  std::vector<TKestrelObjectReference> Columns;  // column name, field ObjectID

 protected:
  explicit TKestrelConstraintDefUnique(uint8_t constraintType)
      : TKestrelConstraintDef(constraintType) {}
  bool WideNameLengths() const override { return true; }
};

class TKestrelConstraintDefPrimary : public TKestrelConstraintDefUnique {
 public:
  TKestrelConstraintDefPrimary() : TKestrelConstraintDefUnique(kConstraintPrimary) {}
};

// A new constraint of the type; types 1 and above 4 raise "Not implemented
// yet" with nativeError.
std::unique_ptr<TKestrelConstraintDef> CreateConstraintDef(uint8_t constraintType, int nativeError);

class TKestrelConstraintDefs : public TKestrelMetaObjectDefs {
 public:
  TKestrelConstraintDef* Items(int index) const {
    return static_cast<TKestrelConstraintDef*>(TKestrelMetaObjectDefs::Items(index));
  }
  TKestrelConstraintDef* Find(std::string_view name) const {
    return static_cast<TKestrelConstraintDef*>(TKestrelMetaObjectDefs::Find(name));
  }
  // An unknown type byte raises "Unknown Constraint Type: '%d'" (30316).
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;

 protected:
  // A list of mixed kinds has no class of its own to create: the base error.
  const char* ClassName() const override { return "TKestrelConstraintDefs"; }
  std::unique_ptr<TKestrelMetaObjectDef> CreateFor(const TKestrelMetaObjectDef& source) override;
};

// The constraint an index implies: primary key for a primary index, unique
// for another unique index, nullptr otherwise. Its name is "C_PK" or
// "C_Unique" followed by "$" and each column name, cut to 255 bytes; its
// target is the index.
std::unique_ptr<TKestrelConstraintDef> ConstraintForIndex(const TKestrelIndexDef& index);

}  // namespace kestrel
