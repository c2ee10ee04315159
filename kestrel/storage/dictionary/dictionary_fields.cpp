#include "kestrel/storage/dictionary/dictionary_fields.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "kestrel/storage/dictionary/dictionary_stream.h"
#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

namespace site = dictionary_site;

namespace {

// A declared size counts for texts and bytes only, and must give a size a
// record can hold: neither negative nor past 32 bits.
void CheckDeclaredSize(TKestrelStorageType storage, TKestrelDataType dataType, int32_t size) {
  const bool wide =
      storage == TKestrelStorageType::kWideChar || storage == TKestrelStorageType::kWideString;
  const bool sized =
      wide || storage == TKestrelStorageType::kChar || storage == TKestrelStorageType::kString ||
      storage == TKestrelStorageType::kBytes || storage == TKestrelStorageType::kVarBytes;
  const int64_t bytes = wide ? (int64_t{size} + 1) * 2 : int64_t{size} + 1;
  if (sized && (size < 0 || bytes > kMaxFieldDataSize)) {
    throw EKestrelException(
        "Unsuported data type '%s'",
        {std::string(DataTypeName(dataType)) + "(" + std::to_string(size) + ")"}, 30007);
  }
}

}  // namespace

void TKestrelFieldDef::Assign(const TKestrelMetaObjectDef& source) {
  TKestrelMetaObjectDef::Assign(source);
  const auto& from = dynamic_cast<const TKestrelFieldDef&>(source);
  storageType_ = from.storageType_;
  dataType_ = from.dataType_;
  size_ = from.size_;
  dataSize_ = from.dataSize_;
  compactSize_ = from.compactSize_;
  dataOffset_ = from.dataOffset_;
  compactOffset_ = from.compactOffset_;
  SequenceID = from.SequenceID;
  DefaultValue = from.DefaultValue;
  BlobCompressionAlgorithm = from.BlobCompressionAlgorithm;
  BlobCompressionMode = from.BlobCompressionMode;
  BlobBlockSize = from.BlobBlockSize;
  Increment = from.Increment;
  InitialValue = from.InitialValue;
  MinValue = from.MinValue;
  MaxValue = from.MaxValue;
  Cycled = from.Cycled;
}

void TKestrelFieldDef::SetDataType(TKestrelDataType dataType, int32_t size) {
  const TKestrelStorageType storage = DataTypeToStorageType(dataType);
  if (storage == TKestrelStorageType::kNone) {
    throw EKestrelException("Unsuported data type '%s'", {DataTypeName(dataType)}, 30007);
  }
  CheckDeclaredSize(storage, dataType, size);
  dataType_ = dataType;
  storageType_ = storage;
  size_ = size;
  UpdateSizes();
}

void TKestrelFieldDef::UpdateSizes() {
  CheckDeclaredSize(storageType_, dataType_, size_);
  dataSize_ = StorageSize(storageType_, size_);
  compactSize_ =
      IsBlobStorageType(storageType_) || IsVariableStringStorageType(storageType_) ? 6 : dataSize_;
}

void TKestrelFieldDef::LoadFromStream(TKestrelStream& stream) {
  TKestrelMetaObjectDef::LoadFromStream(stream);
  storageType_ = static_cast<TKestrelStorageType>(ReadUInt8(stream, site::kReadField));
  dataType_ = static_cast<TKestrelDataType>(ReadUInt8(stream, site::kReadField + 1));
  size_ = ReadInt32(stream, site::kReadField + 2);
  if (IsBlobStorageType(storageType_)) {
    BlobCompressionAlgorithm = ReadUInt8(stream, site::kReadField + 3);
    BlobCompressionMode = ReadUInt8(stream, site::kReadField + 4);
    BlobBlockSize = ReadInt32(stream, site::kReadField + 5);
  }
  if (IsAutoIncDataType(dataType_)) {
    SequenceID = ReadInt32(stream, site::kReadField + 6);
    Increment = ReadInt64(stream, site::kReadField + 7);
    InitialValue = ReadInt64(stream, site::kReadField + 8);
    MinValue = ReadInt64(stream, site::kReadField + 9);
    MaxValue = ReadInt64(stream, site::kReadField + 10);
    Cycled = ReadBool(stream, site::kReadField + 11);
  } else {
    DefaultValue.LoadFromStream(stream);
  }
  UpdateSizes();
}

void TKestrelFieldDef::SaveToStream(TKestrelStream& stream) const {
  TKestrelMetaObjectDef::SaveToStream(stream);
  WriteUInt8(stream, static_cast<uint8_t>(storageType_), site::kWriteField);
  WriteUInt8(stream, static_cast<uint8_t>(dataType_), site::kWriteField + 1);
  WriteInt32(stream, size_, site::kWriteField + 2);
  if (IsBlobStorageType(storageType_)) {
    WriteUInt8(stream, BlobCompressionAlgorithm, site::kWriteField + 3);
    WriteUInt8(stream, BlobCompressionMode, site::kWriteField + 4);
    WriteInt32(stream, BlobBlockSize, site::kWriteField + 5);
  }
  if (IsAutoIncDataType(dataType_)) {
    WriteInt32(stream, SequenceID, site::kWriteField + 6);
    WriteInt64(stream, Increment, site::kWriteField + 7);
    WriteInt64(stream, InitialValue, site::kWriteField + 8);
    WriteInt64(stream, MinValue, site::kWriteField + 9);
    WriteInt64(stream, MaxValue, site::kWriteField + 10);
    WriteBool(stream, Cycled, site::kWriteField + 11);
  } else {
    DefaultValue.SaveToStream(stream);
  }
}

TKestrelFieldDef* TKestrelFieldDefs::AddField(std::string_view name, TKestrelDataType dataType,
                                              int32_t size) {
  auto field = std::make_unique<TKestrelFieldDef>();
  field->Name = std::string(name);
  field->SetDataType(dataType, size);
  return static_cast<TKestrelFieldDef*>(Add(std::move(field)));
}

std::unique_ptr<TKestrelMetaObjectDef> TKestrelFieldDefs::InternalAddCreated() {
  return std::make_unique<TKestrelFieldDef>();
}

void TKestrelFieldDefs::CalculateLayout() {
  int64_t dataPosition = NullBitmapSize();
  int64_t compactPosition = dataPosition;
  hasBlobOrVarString_ = false;
  hasAutoInc_ = false;
  hasDefaults_ = false;
  for (int i = 0; i < Count(); ++i) {
    TKestrelFieldDef& field = *Items(i);
    // Past 32 bits the offsets stop growing; RecordSize refuses the list.
    field.dataOffset_ = static_cast<int32_t>(std::min<int64_t>(dataPosition, INT32_MAX));
    field.compactOffset_ = static_cast<int32_t>(std::min<int64_t>(compactPosition, INT32_MAX));
    dataPosition += field.dataSize_;
    compactPosition += field.compactSize_;
    hasBlobOrVarString_ = hasBlobOrVarString_ || IsBlobStorageType(field.storageType_) ||
                          IsVariableStringStorageType(field.storageType_);
    hasAutoInc_ = hasAutoInc_ || IsAutoIncDataType(field.dataType_);
    hasDefaults_ = hasDefaults_ || !field.DefaultValue.IsNull();
  }
  layoutSize_ = dataPosition;
}

int32_t TKestrelFieldDefs::RecordSize() const {
  if (Count() == 0) {
    throw EKestrelException("Error creating table - no fields were specified", 10131);
  }
  if (layoutSize_ > kMaxFieldDataSize) {
    throw EKestrelException("Invalid record size = %d", {layoutSize_}, 10132);
  }
  const TKestrelFieldDef& last = *Items(Count() - 1);
  return last.DataOffset() + last.DataSize();
}

}  // namespace kestrel
