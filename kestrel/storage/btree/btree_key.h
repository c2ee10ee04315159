#pragma once
// The key description of a B-tree index and the comparison of keys on their
// raw bytes.
//
// Key layout: for each index column in order, one slot of DataSize + 1
// bytes:
//   offset  size      field
//   0       1         flag: 1 when the field is NULL, 0 otherwise
//   1       DataSize  the field's bytes from the record (zeros when NULL)
// The key length is the sum of the slots; key buffers are zero-filled
// before a key is built. A leaf item adds the 6-byte record ID, a node item
// the 4-byte child page number.
//
// Comparison, column by column over the first `columns` columns: both NULL
// are equal, a NULL comes before a value; texts by the user locale's
// collation over the whole zero-terminated text, punctuation not ignored,
// at secondary strength in a case-insensitive column; other types by
// fixed_compare.h. A descending column reverses its result; the first
// column that differs decides. No value objects are made and nothing is
// allocated per comparison: the collators are bound when the key is
// described.
//
// A key must leave room for three leaf items and two node items in a page;
// BLOB, BYTES and VARBYTES fields have no order and cannot be key columns.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kestrel/storage/dictionary/dictionary_fields.h"
#include "kestrel/storage/dictionary/dictionary_indexes.h"
#include "kestrel/storage/values/collation.h"
#include "kestrel/storage/values/fixed_compare.h"

namespace kestrel {

struct TKestrelBTreeKeyColumn {
  enum class TKind : uint8_t { kFixed, kNarrowText, kWideText };

  int FieldNo = 0;
  int32_t DataOffset = 0;
  TKestrelStorageType StorageType = TKestrelStorageType::kNone;
  TKind Kind = TKind::kFixed;
  int32_t SlotSize = 0;  // DataSize + 1
  int32_t KeyOffset = 0;
  bool Descending = false;
  bool CaseInsensitive = false;
};

class TKestrelBTreeKeyRef {
 public:
  static constexpr int32_t kHeaderSize = 18;
  static constexpr int32_t kLeafTailSize = 6;
  static constexpr int32_t kNodeTailSize = 4;

  // "Cannot find index field '%s'" (20043) for a column that is no field
  // (or an index without columns); "Unknown DataType: '%s'" (30047) for a
  // column without order; "Cannot create index '%s'. Key length = %d, a
  // page holds keys of at most %d bytes" (20100) for a key too long for
  // the page size.
  TKestrelBTreeKeyRef(const TKestrelIndexDef& index, const TKestrelFieldDefs& fields,
                      uint16_t pageSize);
  TKestrelBTreeKeyRef(const TKestrelBTreeKeyRef&) = delete;
  TKestrelBTreeKeyRef& operator=(const TKestrelBTreeKeyRef&) = delete;

  const std::vector<TKestrelBTreeKeyColumn>& Columns() const { return columns_; }
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  int32_t KeyLength() const { return keyLength_; }

  // REQUIRES: key has KeyLength() bytes; record is a record image.
  void BuildKey(const uint8_t* record, uint8_t* key) const;
  // -1, 0 or 1 on the first `columns` columns (all when columns is out of
  // range). Inline: searches in a page call it for every probe.
  int CompareKeys(const uint8_t* left, const uint8_t* right, int columns) const {
    const int count = columns <= 0 || columns > ColumnCount() ? ColumnCount() : columns;
    for (int i = 0; i < count; ++i) {
      const TKestrelBTreeKeyColumn& column = columns_[static_cast<std::size_t>(i)];
      const uint8_t* a = left + column.KeyOffset;
      const uint8_t* b = right + column.KeyOffset;
      int result = 0;
      if ((a[0] | b[0]) != 0) {
        result = a[0] != 0 && b[0] != 0 ? 0 : a[0] != 0 ? -1 : 1;
      } else if (column.Kind == TKestrelBTreeKeyColumn::TKind::kFixed) {
        result = CompareFixedSizeValues(a + 1, b + 1, column.StorageType);
      } else {
        result = CompareText(column, a + 1, b + 1);
      }
      if (result != 0) {
        return column.Descending ? -result : result;
      }
    }
    return 0;
  }

  // Items of the kind that fit a page of the size the key was described for.
  int32_t LeafCapacity() const { return leafCapacity_; }
  int32_t NodeCapacity() const { return nodeCapacity_; }

  // The longest key a page of pageSize bytes takes.
  static int32_t MaxKeyLength(uint16_t pageSize);

 private:
  int CompareText(const TKestrelBTreeKeyColumn& column, const uint8_t* left,
                  const uint8_t* right) const;
  int CompareWide(const uint8_t* left, const uint8_t* right, int32_t bytes,
                  const TKestrelCollator& collator) const;

  std::vector<TKestrelBTreeKeyColumn> columns_;
  int32_t keyLength_ = 0;
  int32_t leafCapacity_ = 0;
  int32_t nodeCapacity_ = 0;
  std::unique_ptr<TKestrelCollator> caseSensitive_;
  std::unique_ptr<TKestrelCollator> ignoreCase_;
  // Aligned copies of wide texts for the collator, sized once.
  mutable std::u16string leftWide_;
  mutable std::u16string rightWide_;
};

}  // namespace kestrel
