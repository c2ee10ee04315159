#pragma once
// TKestrelVariant: the engine's one value type. A value is a typed, nullable
// byte buffer in the physical form of its storage type (see data_types.h).
//
// Invariant: the value is NULL exactly when NullMarker() is not 0 or Data()
// is null. A NULL value keeps its type.
//
// Buffer forms: narrow text (CHAR, STRING) is UTF-8 with one zero byte, Size =
// bytes + 1; wide text (WIDECHAR, WIDESTRING) UTF-16 with a zero code unit,
// Size = 2 * (units + 1). An empty text is never stored: it leaves the value
// NULL. BLOB and MEMO hold their bytes (from text: UTF-8 with its zero),
// WIDEMEMO UTF-16 with its zero; LOGICAL is 16 bits, TRUE written as -1;
// DATETIME is the day number then the milliseconds; CURRENCY an IEEE double.
//
// Buffers: a value owns its buffer or borrows one (Borrowed()), which it then
// never frees, resizes or reuses and which must outlive it. Buffers of up to
// kInlineCapacity bytes live inside the value, so numbers, dates and short
// texts never allocate; a setter of the same fixed-size type overwrites the
// buffer in place.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "dataset/variant.h"
#include "kestrel/storage/values/data_types.h"
#include "platform/date_time.h"

namespace kestrel {

class TKestrelStream;

// Result of comparing two values.
enum class TKestrelCompareCode : uint8_t {
  kEqual = 0,
  kLess = 1,
  kGreater = 2,
  kLeftNull = 3,   // only the left side is NULL
  kRightNull = 4,  // only the right side is NULL
  kBothNull = 5,
};

// An ICU locale id; empty means the user's default locale.
inline constexpr std::string_view kUserDefaultLocale = {};

class TKestrelVariant {
 public:
  static constexpr int32_t kInlineCapacity = 16;

  // A NULL value of the type (untyped for kNone).
  explicit TKestrelVariant(TKestrelStorageType type = TKestrelStorageType::kNone);
  // Parameters derive from the value and add a name to its stream form.
  virtual ~TKestrelVariant();
  // Copies always own their buffer, also when the source borrows.
  TKestrelVariant(const TKestrelVariant& other);
  TKestrelVariant& operator=(const TKestrelVariant& other);
  TKestrelVariant(TKestrelVariant&& other) noexcept;
  TKestrelVariant& operator=(TKestrelVariant&& other) noexcept;

  TKestrelStorageType DataType() const { return type_; }
  int32_t Size() const { return size_; }
  const uint8_t* Data() const { return data_; }
  bool Borrowed() const { return borrowed_; }
  uint8_t NullMarker() const { return nullMarker_; }

  // Releases an own buffer; the value becomes NULL of the type, not borrowed.
  void Clear(TKestrelStorageType type = TKestrelStorageType::kNone);
  // Marks the value NULL; type and buffer stay.
  void SetNull() { nullMarker_ = 255; }
  bool IsNull() const { return nullMarker_ != 0 || data_ == nullptr; }
  // Throws "Value is Null" (30016) for a NULL value.
  void CheckNotNull() const;
  // 0 makes the value NULL; otherwise the value owns a buffer of n bytes
  // (keeping what fits of the old bytes) and holds a value.
  void SetSize(int32_t n);
  // The own buffer for writing. REQUIRES: !IsNull() && !Borrowed().
  uint8_t* MutableData() { return data_; }

  // A NULL value only changes its type; otherwise it is converted, and a
  // failed conversion leaves it NULL of the new type without an error.
  void SetType(TKestrelStorageType type);
  // Converts the value by the conversion table; errors propagate and leave
  // the value unchanged.
  void ConvertTo(TKestrelStorageType type);

  // With copy the bytes are duplicated; without, the source's buffer is
  // shared and this value borrows it.
  virtual void Assign(const TKestrelVariant& source, bool copy);
  // Without copy the value borrows the bytes; with copy it copies them into
  // its own buffer. Either way it then holds a value of the type.
  void SetData(const void* data, int32_t size, bool copy, TKestrelStorageType type);
  // False for NULL. A capacity other than -1 below Size() raises "Buffer size
  // exceeded" (20056).
  bool GetData(void* destination, int32_t capacity) const;
  // Characters of a non-NULL text value (CHAR, WIDECHAR, STRING, WIDESTRING,
  // MEMO, WIDEMEMO): Size - 1 narrow, Size / 2 - 1 wide; otherwise -1.
  int32_t TextLength() const;

  // Stream form: type (1 byte), null marker (1; 255 ends the form), Size (4),
  // the buffer.
  virtual void LoadFromStream(TKestrelStream& stream);
  virtual void SaveToStream(TKestrelStream& stream) const;

  // Typed accessors. Getters throw "Value is Null" (30016) for NULL and
  // return a converted copy when the type differs. Setters store into the
  // value's own type (an untyped value takes the accessor's type).
  int8_t AsShortInt() const;
  void SetAsShortInt(int8_t value);
  int16_t AsSmallInt() const;
  void SetAsSmallInt(int16_t value);
  int32_t AsInteger() const;
  void SetAsInteger(int32_t value);
  int64_t AsLargeInt() const;
  void SetAsLargeInt(int64_t value);
  uint8_t AsByte() const;
  void SetAsByte(uint8_t value);
  uint16_t AsWord() const;
  void SetAsWord(uint16_t value);
  uint32_t AsCardinal() const;
  void SetAsCardinal(uint32_t value);
  std::string AsString() const;  // UTF-8
  void SetAsString(std::string_view value);
  std::u16string AsWideString() const;
  void SetAsWideString(std::u16string_view value);
  float AsSingle() const;
  void SetAsSingle(float value);
  double AsDouble() const;
  void SetAsDouble(double value);
  long double AsExtended() const;
  void SetAsExtended(long double value);
  int32_t AsDateNumber() const;
  void SetAsDateNumber(int32_t value);
  platform::DateTime AsDate() const;
  void SetAsDate(platform::DateTime value);
  int32_t AsTimeNumber() const;
  void SetAsTimeNumber(int32_t value);
  platform::DateTime AsTime() const;
  void SetAsTime(platform::DateTime value);
  platform::TimeStamp AsDateTimePair() const;
  void SetAsDateTimePair(platform::TimeStamp value);
  platform::DateTime AsDateTime() const;
  void SetAsDateTime(platform::DateTime value);
  bool AsBoolean() const;
  void SetAsBoolean(bool value);
  double AsCurrency() const;
  void SetAsCurrency(double value);

  // this := this op other, in the operands' common storage type.
  void Add(const TKestrelVariant& other);
  void Multiply(const TKestrelVariant& other);
  void Divide(const TKestrelVariant& other);
  void Negate();

  // Compares with the user's default locale. Without raw NULL codes, NULL
  // sorts first and equals NULL (codes 3, 4, 5 become 1, 2, 0). Partial
  // limits texts to the shorter one's TextLength.
  TKestrelCompareCode Compare(const TKestrelVariant& other, bool rawNullCodes, bool partial,
                              bool caseInsensitive) const;

  void FromPlatformVariant(const dataset::Variant& value);
  dataset::Variant ToPlatformVariant() const;

 private:
  void AssignValue(const TKestrelVariant& source, bool copy);
  uint8_t* OwnBuffer(int32_t n);
  bool Holds(const void* bytes) const;
  void StoreBytes(const void* bytes, int32_t n);
  void StoreText(std::string_view utf8);
  void StoreWideText(std::u16string_view utf16);
  void TakeValue(TKestrelVariant&& source);
  template <typename T>
  T GetFixed(TKestrelStorageType type) const;
  template <typename T>
  void SetFixed(TKestrelStorageType type, T value);
  void SetConverted(TKestrelStorageType type, const void* bytes, int32_t n);
  void Arithmetic(const TKestrelVariant& other, char op);

  uint8_t* data_ = nullptr;
  int32_t size_ = 0;
  TKestrelStorageType type_ = TKestrelStorageType::kNone;
  uint8_t nullMarker_ = 255;
  bool borrowed_ = false;
  int32_t heapCapacity_ = 0;
  std::unique_ptr<uint8_t[]> heap_;
  alignas(8) uint8_t inline_[kInlineCapacity] = {};
};

// The common storage type of two operands (a is the left one), kNone when
// they are incompatible.
TKestrelStorageType CommonStorageType(TKestrelStorageType a, TKestrelStorageType b);
// The declared type of an expression combining two operands.
TKestrelDataType CommonDataType(TKestrelDataType a, TKestrelDataType b);

// One side of a buffer comparison. A side that is not NULL must have bytes.
struct TKestrelCompareSide {
  const void* data;
  int32_t size;
  TKestrelStorageType type;
  bool isNull;
};

// Compares two buffers, converting to the common type when the types differ.
// charLimit limits texts (bytes for narrow, code units for wide; -1: all).
TKestrelCompareCode CompareValues(const TKestrelCompareSide& left, const TKestrelCompareSide& right,
                                  bool caseInsensitive, int32_t charLimit, std::string_view locale);
// -1 for less and left NULL, 1 for greater and right NULL, 0 otherwise.
int CompareCodeOrder(TKestrelCompareCode code);
// CompareCodeOrder of CompareValues.
int CompareOrder(const TKestrelCompareSide& left, const TKestrelCompareSide& right,
                 bool caseInsensitive, int32_t charLimit, std::string_view locale);

// The number stored in a value's bytes of an integer type, DATE or TIME.
// REQUIRES: data holds the type's bytes.
int64_t ReadStoredInteger(const uint8_t* data, TKestrelStorageType type);

// Date-time numbers (days since 1899-12-30) and the storage numbers.
// DateTimeToDateNumber throws ERangeError outside 32 bits.
int32_t DateTimeToDateNumber(platform::DateTime value);
platform::DateTime DateNumberToDateTime(int32_t dayNumber);
// Rounds to the nearest millisecond, ties to even.
int32_t DateTimeToTimeNumber(platform::DateTime value);
platform::DateTime TimeNumberToDateTime(int32_t milliseconds);
// Both parts; a time that rounds up to 24:00 moves to the next day.
platform::TimeStamp DateTimeToDateTimePair(platform::DateTime value);
platform::DateTime DateTimePairToDateTime(platform::TimeStamp pair);

// Converts bytes of one storage type into `out` by the conversion table.
// Throws "Cannot cast from '%s' to '%s'" (30051 failed, 30052 unsupported or
// empty). REQUIRES: source != target, data is not inside `out`.
void ConvertStorageValue(const uint8_t* data, int32_t size, TKestrelStorageType source,
                         TKestrelStorageType target, TKestrelVariant& out);

}  // namespace kestrel
