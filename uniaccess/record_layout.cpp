#include "uniaccess/record_layout.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/text.h"

namespace uniaccess {

using dataset::TFieldType;

platform::DateTime NoDate() {
  return std::numeric_limits<double>::quiet_NaN();
}

bool IsNoDate(platform::DateTime value) {
  return std::isnan(value);
}

int Backend::RecordSize(const RecordLayout& layout) {
  return layout.RecordSize();
}

int ImageBytes(TFieldType type, int size) {
  switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
      return size + 2;
    case TFieldType::ftInteger:
      return 4 + 1;
    case TFieldType::ftLargeint:
    case TFieldType::ftFloat:
      return 8 + 1;
    case TFieldType::ftDate:
    case TFieldType::ftDateTime:
    case TFieldType::ftTime:
      return 8;
    default:
      return 0;
  }
}

RecordLayout::RecordLayout(const std::vector<UniFieldDesc>& fields) {
  for (const UniFieldDesc& desc : fields) {
    FieldSlot slot;
    slot.desc = desc;
    slot.offset = recordSize_;
    slot.bytes = ImageBytes(desc.type, desc.size);
    recordSize_ += slot.bytes;
    slots_.push_back(std::move(slot));
  }
}

int RecordLayout::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (platform::SameText(slots_[i].desc.name, name))
      return static_cast<int>(i);
  }
  return -1;
}

void RecordLayout::PutText(uint8_t* image, int index, std::string_view text) const {
  const FieldSlot& slot = Slot(index);
  if (slot.bytes == 0)
    return;
  const std::string_view cut = platform::Utf8Prefix(text, static_cast<size_t>(slot.bytes - 2));
  std::memset(image + slot.offset, 0, static_cast<size_t>(slot.bytes));
  std::memcpy(image + slot.offset, cut.data(), cut.size());
  image[slot.PresenceOffset()] = 1;
}

void RecordLayout::PutInteger(uint8_t* image, int index, int64_t value) const {
  const FieldSlot& slot = Slot(index);
  if (slot.desc.type == TFieldType::ftInteger) {
    const auto narrow = static_cast<int32_t>(value);
    std::memcpy(image + slot.offset, &narrow, 4);
  } else if (slot.desc.type == TFieldType::ftLargeint) {
    std::memcpy(image + slot.offset, &value, 8);
  } else {
    return;
  }
  image[slot.PresenceOffset()] = 1;
}

void RecordLayout::PutFloat(uint8_t* image, int index, double value) const {
  const FieldSlot& slot = Slot(index);
  if (slot.desc.type != TFieldType::ftFloat)
    return;
  std::memcpy(image + slot.offset, &value, 8);
  image[slot.PresenceOffset()] = 1;
}

void RecordLayout::PutDateTime(uint8_t* image, int index, platform::DateTime value) const {
  const FieldSlot& slot = Slot(index);
  if (slot.bytes == 8)
    std::memcpy(image + slot.offset, &value, 8);
}

void RecordLayout::Clear(uint8_t* image) const {
  std::memset(image, 0, static_cast<size_t>(recordSize_));
  for (size_t i = 0; i < slots_.size(); ++i) {
    switch (slots_[i].desc.type) {
      case TFieldType::ftDate:
      case TFieldType::ftDateTime:
      case TFieldType::ftTime:
        PutDateTime(image, static_cast<int>(i), NoDate());
        break;
      default:
        break;
    }
  }
}

}  // namespace uniaccess
