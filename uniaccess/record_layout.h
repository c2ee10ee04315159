#pragma once
// The record image of the uniform data-access datasets: every field value in
// field order, each in the bytes its type takes, followed (in the dataset's
// buffers) by the row number and a bookmark-flag byte.
//
// | field type                    | bytes  | content                                   |
// |-------------------------------|--------|-------------------------------------------|
// | string of width n             | n + 2  | UTF-8, NUL-terminated in n + 1 bytes      |
// | integer                       | 4 + 1  | 32-bit signed                             |
// | large integer                 | 8 + 1  | 64-bit signed                             |
// | float                         | 8 + 1  | double                                    |
// | date, date-time, time         | 8      | date-time number; NaN means no value      |
// | any other type                | 0      | no value                                  |
//
// The values are the dataset fields' native forms, so a field's bytes are
// copied in and out unchanged. Strings and numbers end in a presence byte
// (0: NULL): a NULL reads as 0 or empty text but stays NULL, so that dumps
// and edits write it back as NULL and an empty text stays apart from it.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "uniaccess/backend.h"

namespace uniaccess {

// The date-time number that stands for "no date".
platform::DateTime NoDate();
bool IsNoDate(platform::DateTime value);

struct FieldSlot {
  UniFieldDesc desc;
  int offset = 0;
  int bytes = 0;  // in the image
  bool IsString() const {
    return desc.type == dataset::TFieldType::ftString ||
           desc.type == dataset::TFieldType::ftFixedChar;
  }
  // Strings and numbers carry a presence byte after their value.
  bool HasPresence() const {
    return IsString() || desc.type == dataset::TFieldType::ftInteger ||
           desc.type == dataset::TFieldType::ftLargeint ||
           desc.type == dataset::TFieldType::ftFloat;
  }
  // Bytes of the field's native value (the presence byte excluded).
  int ValueBytes() const { return HasPresence() ? bytes - 1 : bytes; }
  int PresenceOffset() const { return offset + bytes - 1; }
};

class RecordLayout {
 public:
  RecordLayout() = default;
  explicit RecordLayout(const std::vector<UniFieldDesc>& fields);

  int RecordSize() const { return recordSize_; }
  int FieldCount() const { return static_cast<int>(slots_.size()); }
  const FieldSlot& Slot(int index) const { return slots_.at(static_cast<size_t>(index)); }
  const std::vector<FieldSlot>& Slots() const { return slots_; }
  // The first field of that name (case-insensitive); -1 when none.
  int IndexOf(std::string_view name) const;

  // Writers of one value into an image; each fills the field's bytes.
  void PutText(uint8_t* image, int index, std::string_view text) const;
  void PutInteger(uint8_t* image, int index, int64_t value) const;
  void PutFloat(uint8_t* image, int index, double value) const;
  void PutDateTime(uint8_t* image, int index, platform::DateTime value) const;
  // An all-empty image: zero bytes, and no date in every date field.
  void Clear(uint8_t* image) const;

 private:
  std::vector<FieldSlot> slots_;
  int recordSize_ = 0;
};

// Bytes a value of the type takes in the image.
int ImageBytes(dataset::TFieldType type, int size);

}  // namespace uniaccess
