#pragma once
// Sequences: the counters behind auto-increment fields and behind the object
// identifiers of a database.
//
// GetNextValue adds Increment to CurrentValue (a 64-bit overflow raises
// EIntOverflow and leaves the value); past MaxValue a cycled sequence
// restarts at MinValue and any other raises "Sequence '%s' overflow" (30009)
// keeping the value past the maximum.
//
// Stream form: base; then
//   size  field
//   1     StorageType
//   8     MinValue
//   8     MaxValue
//   8     CurrentValue
//   8     Increment
//   1     Cycled

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "kestrel/storage/dictionary/dictionary_base.h"
#include "kestrel/storage/values/data_types.h"

namespace kestrel {

class TKestrelSequenceDef : public TKestrelMetaObjectDef {
 public:
  void Assign(const TKestrelMetaObjectDef& source) override;
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;
  virtual int64_t GetNextValue();

  TKestrelStorageType StorageType = TKestrelStorageType::kUnsignedInt32;
  int64_t MinValue = 0;
  int64_t MaxValue = 4294967295;
  int64_t CurrentValue = 0;
  int64_t Increment = 1;
  bool Cycled = true;
};

class TKestrelSequenceDefs : public TKestrelMetaObjectDefs {
 public:
  TKestrelSequenceDef* Items(int index) const {
    return static_cast<TKestrelSequenceDef*>(TKestrelMetaObjectDefs::Items(index));
  }
  TKestrelSequenceDef* FindByID(int32_t objectID) const {
    return static_cast<TKestrelSequenceDef*>(TKestrelMetaObjectDefs::FindByID(objectID));
  }

 protected:
  std::unique_ptr<TKestrelMetaObjectDef> InternalAddCreated() override;
  const char* ClassName() const override { return "TKestrelSequenceDefs"; }
};

// The next value of a database's identifier sequence as an ObjectID; a value
// beyond 32 bits raises ERangeError.
int32_t NextObjectID(TKestrelSequenceDef& identifiers);

// A source of random numbers below a bound, for names that must be made
// unique. Tests replace it to make the names predictable.
using TKestrelRandom = std::function<int(int bound)>;
TKestrelRandom DefaultRandom();

// "$" + prefix + "$" + table + "$" + field; while taken(name) a decimal
// random number below 65535 is appended to that base and tried again.
std::string UniqueObjectName(std::string_view prefix, std::string_view tableName,
                             std::string_view fieldName,
                             const std::function<bool(const std::string&)>& taken,
                             const TKestrelRandom& random);

}  // namespace kestrel
