#pragma once
// Field definitions and the record layout that follows from a field list.
//
// Record layout for n fields: bytes 0 .. b-1 (b = ceil(n / 8)) are the null
// bitmap, bit i (byte i / 8, least significant bit first) set meaning field
// i is NULL; then every field at its DataOffset, DataSize bytes each.
// CompactOffset is the same walk with CompactSize, which is 6 for BLOB and
// variable-string storage. The list recomputes the layout after every change
// of itself; after changing an item in place call CalculateLayout.
//
// Stream form of a field: base; then
//   size  field                       present
//   1     StorageType                 always
//   1     DataType                    always
//   4     Size                        always
//   1     BlobCompressionAlgorithm    BLOB storage
//   1     BlobCompressionMode         BLOB storage
//   4     BlobBlockSize               BLOB storage
//   4     SequenceID                  auto-increment data type
//   8 x4  Increment, InitialValue,
//         MinValue, MaxValue          auto-increment data type
//   1     Cycled                      auto-increment data type
//   ...   DefaultValue (value form)   any other data type
// The field list is a 4-byte count followed by the fields.

#include <cstdint>
#include <memory>

#include "kestrel/storage/dictionary/dictionary_base.h"
#include "kestrel/storage/values/data_types.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {

// The largest field and record a layout takes (bytes).
inline constexpr int64_t kMaxFieldDataSize = 0x7FFFFFF0;

class TKestrelFieldDef : public TKestrelMetaObjectDef {
 public:
  void Assign(const TKestrelMetaObjectDef& source) override;
  void LoadFromStream(TKestrelStream& stream) override;
  void SaveToStream(TKestrelStream& stream) const override;

  // Stores the type and size and recomputes the sizes. A data type without
  // storage raises "Unsuported data type '%s'" (30007), and so does a text
  // or bytes type whose declared size is negative or too large for a
  // record, named with its size ("STRING(-3)").
  void SetDataType(TKestrelDataType dataType, int32_t size);

  TKestrelStorageType StorageType() const { return storageType_; }
  TKestrelDataType DataType() const { return dataType_; }
  int32_t Size() const { return size_; }
  int32_t DataSize() const { return dataSize_; }
  int32_t CompactSize() const { return compactSize_; }
  int32_t DataOffset() const { return dataOffset_; }
  int32_t CompactOffset() const { return compactOffset_; }

  int32_t SequenceID = -1;
  TKestrelVariant DefaultValue;  // NULL: no default
  uint8_t BlobCompressionAlgorithm = 0;
  uint8_t BlobCompressionMode = 0;
  int32_t BlobBlockSize = 102400;
  int64_t Increment = 1;
  int64_t InitialValue = 0;
  int64_t MinValue = 0;
  int64_t MaxValue = 9223372036854775807;
  bool Cycled = false;

 private:
  friend class TKestrelFieldDefs;
  void UpdateSizes();

  TKestrelStorageType storageType_ = TKestrelStorageType::kNone;
  TKestrelDataType dataType_ = TKestrelDataType::kNone;
  int32_t size_ = 0;
  int32_t dataSize_ = 0;
  int32_t compactSize_ = 0;
  int32_t dataOffset_ = 0;
  int32_t compactOffset_ = 0;
};

class TKestrelFieldDefs : public TKestrelMetaObjectDefs {
 public:
  TKestrelFieldDef* Items(int index) const {
    return static_cast<TKestrelFieldDef*>(TKestrelMetaObjectDefs::Items(index));
  }
  TKestrelFieldDef* Find(std::string_view name) const {
    return static_cast<TKestrelFieldDef*>(TKestrelMetaObjectDefs::Find(name));
  }
  TKestrelFieldDef* FindByID(int32_t objectID) const {
    return static_cast<TKestrelFieldDef*>(TKestrelMetaObjectDefs::FindByID(objectID));
  }
  // Appends a new field of the type.
  TKestrelFieldDef* AddField(std::string_view name, TKestrelDataType dataType, int32_t size = 0);

  // The layout step: offsets and the three flags.
  void CalculateLayout();
  // Bytes of the null bitmap.
  int32_t NullBitmapSize() const { return (Count() + 7) / 8; }
  // The last field's DataOffset + DataSize. Without fields raises "Error
  // creating table - no fields were specified" (10131); fields too large
  // together raise "Invalid record size = %d" (10132).
  int32_t RecordSize() const;

  bool HasBlobOrVarStringFields() const { return hasBlobOrVarString_; }
  bool HasAutoIncFields() const { return hasAutoInc_; }
  bool HasDefaultValues() const { return hasDefaults_; }

 protected:
  std::unique_ptr<TKestrelMetaObjectDef> InternalAddCreated() override;
  const char* ClassName() const override { return "TKestrelFieldDefs"; }
  void Changed() override { CalculateLayout(); }

 private:
  bool hasBlobOrVarString_ = false;
  bool hasAutoInc_ = false;
  bool hasDefaults_ = false;
  int64_t layoutSize_ = 0;
};

// Null bitmap access on a record buffer.
inline bool IsFieldNull(const uint8_t* record, int fieldNo) {
  return (record[fieldNo / 8] >> (fieldNo % 8) & 1) != 0;
}
inline void SetFieldNull(uint8_t* record, int fieldNo, bool isNull) {
  const auto bit = static_cast<uint8_t>(1u << (fieldNo % 8));
  record[fieldNo / 8] =
      static_cast<uint8_t>(isNull ? record[fieldNo / 8] | bit : record[fieldNo / 8] & ~bit);
}

}  // namespace kestrel
