#include "kestrel/storage/btree/btree_key.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/values/variant.h"

namespace kestrel {
namespace {

// The collators' error codes, as for value comparison.
constexpr int kNarrowCollationError = 30045;

bool IsNarrowText(TKestrelStorageType type) {
  return type == TKestrelStorageType::kChar || type == TKestrelStorageType::kString;
}

bool IsWideText(TKestrelStorageType type) {
  return type == TKestrelStorageType::kWideChar || type == TKestrelStorageType::kWideString;
}

}  // namespace

int32_t TKestrelBTreeKeyRef::MaxKeyLength(uint16_t pageSize) {
  const int32_t room = pageSize - kHeaderSize;
  return std::min(room / 3 - kLeafTailSize, room / 2 - kNodeTailSize);
}

TKestrelBTreeKeyRef::TKestrelBTreeKeyRef(const TKestrelIndexDef& index,
                                         const TKestrelFieldDefs& fields, uint16_t pageSize) {
  if (index.Columns.empty()) {
    throw EKestrelException("Cannot find index field '%s'", {""}, 20043);
  }
  int64_t offset = 0;
  bool hasNarrow = false;
  bool hasWide = false;
  int32_t widestText = 0;
  for (const auto& indexColumn : index.Columns) {
    const int fieldNo = fields.IndexOf(indexColumn->FieldName);
    if (fieldNo < 0) {
      throw EKestrelException("Cannot find index field '%s'", {indexColumn->FieldName}, 20043);
    }
    const TKestrelFieldDef& field = *fields.Items(fieldNo);
    TKestrelBTreeKeyColumn column;
    column.FieldNo = fieldNo;
    column.DataOffset = field.DataOffset();
    column.StorageType = field.StorageType();
    if (IsNarrowText(column.StorageType)) {
      column.Kind = TKestrelBTreeKeyColumn::TKind::kNarrowText;
      hasNarrow = true;
    } else if (IsWideText(column.StorageType)) {
      column.Kind = TKestrelBTreeKeyColumn::TKind::kWideText;
      hasWide = true;
      widestText = std::max(widestText, field.DataSize() / 2);
    } else if (!IsFixedSizeComparable(column.StorageType)) {
      throw EKestrelException("Unknown DataType: '%s'", {StorageTypeName(column.StorageType)},
                              30047);
    }
    column.SlotSize = field.DataSize() + 1;
    column.KeyOffset = static_cast<int32_t>(std::min<int64_t>(offset, INT32_MAX));
    column.Descending = indexColumn->Descending;
    column.CaseInsensitive = indexColumn->CaseInsensitive;
    offset += column.SlotSize;
    columns_.push_back(column);
  }
  const int32_t limit = MaxKeyLength(pageSize);
  if (offset > limit) {
    throw EKestrelException(
        "Cannot create index '%s'. Key length = %d, a page holds keys of at "
        "most %d bytes",
        {index.Name, offset, limit}, 20100);
  }
  keyLength_ = static_cast<int32_t>(offset);
  leafCapacity_ = (pageSize - kHeaderSize) / (keyLength_ + kLeafTailSize);
  nodeCapacity_ = (pageSize - kHeaderSize) / (keyLength_ + kNodeTailSize);
  if (hasNarrow || hasWide) {
    caseSensitive_ =
        std::make_unique<TKestrelCollator>(kUserDefaultLocale, false, kNarrowCollationError);
    ignoreCase_ =
        std::make_unique<TKestrelCollator>(kUserDefaultLocale, true, kNarrowCollationError);
  }
  if (hasWide) {
    leftWide_.resize(static_cast<std::size_t>(widestText));
    rightWide_.resize(static_cast<std::size_t>(widestText));
  }
}

void TKestrelBTreeKeyRef::BuildKey(const uint8_t* record, uint8_t* key) const {
  std::memset(key, 0, static_cast<std::size_t>(keyLength_));
  for (const TKestrelBTreeKeyColumn& column : columns_) {
    uint8_t* slot = key + column.KeyOffset;
    if (IsFieldNull(record, column.FieldNo)) {
      slot[0] = 1;
      continue;
    }
    std::memcpy(slot + 1, record + column.DataOffset,
                static_cast<std::size_t>(column.SlotSize - 1));
  }
}

int TKestrelBTreeKeyRef::CompareWide(const uint8_t* left, const uint8_t* right, int32_t bytes,
                                     const TKestrelCollator& collator) const {
  // Key slots lie at any byte offset of a page: the code units are copied
  // into aligned buffers up to their terminating zero.
  const auto units = static_cast<std::size_t>(bytes / 2);
  const auto copy = [units](const uint8_t* source, std::u16string& target) {
    std::size_t length = 0;
    while (length < units && (source[length * 2] | source[length * 2 + 1]) != 0) {
      ++length;
    }
    std::memcpy(target.data(), source, length * 2);
    return std::u16string_view(target.data(), length);
  };
  return collator.CompareUtf16(copy(left, leftWide_), copy(right, rightWide_));
}

int TKestrelBTreeKeyRef::CompareText(const TKestrelBTreeKeyColumn& column, const uint8_t* left,
                                     const uint8_t* right) const {
  const int32_t size = column.SlotSize - 1;
  const TKestrelCollator& collator = column.CaseInsensitive ? *ignoreCase_ : *caseSensitive_;
  if (column.Kind == TKestrelBTreeKeyColumn::TKind::kWideText) {
    return CompareWide(left, right, size, collator);
  }
  const auto* l = reinterpret_cast<const char*>(left);
  const auto* r = reinterpret_cast<const char*>(right);
  return collator.CompareUtf8(std::string_view(l, strnlen(l, static_cast<std::size_t>(size))),
                              std::string_view(r, strnlen(r, static_cast<std::size_t>(size))));
}

}  // namespace kestrel
