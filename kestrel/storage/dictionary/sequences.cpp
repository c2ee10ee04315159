#include "kestrel/storage/dictionary/sequences.h"

#include <limits>
#include <random>

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

namespace site = dictionary_site;

void TKestrelSequenceDef::Assign(const TKestrelMetaObjectDef& source) {
  TKestrelMetaObjectDef::Assign(source);
  const auto& from = dynamic_cast<const TKestrelSequenceDef&>(source);
  StorageType = from.StorageType;
  MinValue = from.MinValue;
  MaxValue = from.MaxValue;
  CurrentValue = from.CurrentValue;
  Increment = from.Increment;
  Cycled = from.Cycled;
}

void TKestrelSequenceDef::LoadFromStream(TKestrelStream& stream) {
  TKestrelMetaObjectDef::LoadFromStream(stream);
  StorageType = static_cast<TKestrelStorageType>(ReadUInt8(stream, site::kReadSequence));
  MinValue = ReadInt64(stream, site::kReadSequence + 1);
  MaxValue = ReadInt64(stream, site::kReadSequence + 2);
  CurrentValue = ReadInt64(stream, site::kReadSequence + 3);
  Increment = ReadInt64(stream, site::kReadSequence + 4);
  Cycled = ReadBool(stream, site::kReadSequence + 5);
}

void TKestrelSequenceDef::SaveToStream(TKestrelStream& stream) const {
  TKestrelMetaObjectDef::SaveToStream(stream);
  WriteUInt8(stream, static_cast<uint8_t>(StorageType), site::kWriteSequence);
  WriteInt64(stream, MinValue, site::kWriteSequence + 1);
  WriteInt64(stream, MaxValue, site::kWriteSequence + 2);
  WriteInt64(stream, CurrentValue, site::kWriteSequence + 3);
  WriteInt64(stream, Increment, site::kWriteSequence + 4);
  WriteBool(stream, Cycled, site::kWriteSequence + 5);
}

int64_t TKestrelSequenceDef::GetNextValue() {
  int64_t next = 0;
  if (__builtin_add_overflow(CurrentValue, Increment, &next)) {
    throw EIntOverflow();
  }
  CurrentValue = next;
  if (CurrentValue > MaxValue) {
    if (!Cycled) {
      throw EKestrelException("Sequence '%s' overflow", {Name}, 30009);
    }
    CurrentValue = MinValue;
  }
  return CurrentValue;
}

std::unique_ptr<TKestrelMetaObjectDef> TKestrelSequenceDefs::InternalAddCreated() {
  return std::make_unique<TKestrelSequenceDef>();
}

int32_t NextObjectID(TKestrelSequenceDef& identifiers) {
  const int64_t value = identifiers.GetNextValue();
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    throw ERangeError();
  }
  return static_cast<int32_t>(value);
}

TKestrelRandom DefaultRandom() {
  return [](int bound) {
    static thread_local std::mt19937 engine{std::random_device{}()};
    return std::uniform_int_distribution<int>(0, bound - 1)(engine);
  };
}

std::string UniqueObjectName(std::string_view prefix, std::string_view tableName,
                             std::string_view fieldName,
                             const std::function<bool(const std::string&)>& taken,
                             const TKestrelRandom& random) {
  std::string base = "$";
  base.append(prefix).append("$").append(tableName).append("$").append(fieldName);
  std::string name = base;
  while (taken(name)) {
    name = base + std::to_string(random(65535));
  }
  return name;
}

}  // namespace kestrel
