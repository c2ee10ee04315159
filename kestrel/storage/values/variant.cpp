#include "kestrel/storage/values/variant.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/streams/kestrel_stream.h"
#include "kestrel/storage/values/value_text.h"
#include "platform/text.h"

namespace kestrel {
namespace {

using ST = TKestrelStorageType;

constexpr int32_t kExtendedBytes = 10;

bool IsNarrowText(ST t) {
  return t == ST::kChar || t == ST::kString;
}
bool IsWideText(ST t) {
  return t == ST::kWideChar || t == ST::kWideString;
}

}  // namespace

TKestrelVariant::TKestrelVariant(TKestrelStorageType type) : type_(type) {}

TKestrelVariant::~TKestrelVariant() = default;

TKestrelVariant::TKestrelVariant(const TKestrelVariant& other) {
  AssignValue(other, true);
}

TKestrelVariant& TKestrelVariant::operator=(const TKestrelVariant& other) {
  if (this != &other) {
    AssignValue(other, true);
  }
  return *this;
}

TKestrelVariant::TKestrelVariant(TKestrelVariant&& other) noexcept {
  *this = std::move(other);
}

TKestrelVariant& TKestrelVariant::operator=(TKestrelVariant&& other) noexcept {
  if (this == &other) {
    return *this;
  }
  type_ = other.type_;
  size_ = other.size_;
  nullMarker_ = other.nullMarker_;
  borrowed_ = other.borrowed_;
  heap_ = std::move(other.heap_);
  heapCapacity_ = other.heapCapacity_;
  if (other.data_ == other.inline_) {
    std::memcpy(inline_, other.inline_, kInlineCapacity);
    data_ = inline_;
  } else {
    data_ = other.data_;
  }
  other.data_ = nullptr;
  other.size_ = 0;
  other.heapCapacity_ = 0;
  other.nullMarker_ = 255;
  other.borrowed_ = false;
  return *this;
}

uint8_t* TKestrelVariant::OwnBuffer(int32_t n) {
  if (n <= kInlineCapacity) {
    return inline_;
  }
  if (!heap_ || heapCapacity_ < n) {
    heap_ = std::make_unique<uint8_t[]>(static_cast<std::size_t>(n));
    heapCapacity_ = n;
  }
  return heap_.get();
}

void TKestrelVariant::StoreBytes(const void* bytes, int32_t n) {
  if (n <= 0) {
    data_ = nullptr;
    size_ = 0;
    borrowed_ = false;
    nullMarker_ = 255;
    return;
  }
  if (!borrowed_ && data_ != nullptr && size_ == n) {
    std::memmove(data_, bytes, static_cast<std::size_t>(n));  // in place
  } else {
    // The bytes may live in the heap buffer that OwnBuffer replaces.
    std::unique_ptr<uint8_t[]> keep;
    const auto* source = static_cast<const uint8_t*>(bytes);
    if (heap_ && source >= heap_.get() && source < heap_.get() + heapCapacity_ &&
        heapCapacity_ < n) {
      keep = std::move(heap_);
      heapCapacity_ = 0;
    }
    uint8_t* target = OwnBuffer(n);
    std::memmove(target, source, static_cast<std::size_t>(n));
    data_ = target;
  }
  size_ = n;
  borrowed_ = false;
  nullMarker_ = 0;
}

bool TKestrelVariant::Holds(const void* bytes) const {
  const auto* p = static_cast<const uint8_t*>(bytes);
  return (p >= inline_ && p < inline_ + kInlineCapacity) ||
         (heap_ && p >= heap_.get() && p < heap_.get() + heapCapacity_);
}

void TKestrelVariant::StoreText(std::string_view utf8) {
  if (utf8.empty()) {
    SetNull();
    return;
  }
  if (Holds(utf8.data())) {
    StoreText(std::string(utf8));  // the text lives in the buffer it replaces
    return;
  }
  const auto n = static_cast<int32_t>(utf8.size() + 1);
  uint8_t* target = OwnBuffer(n);
  std::memcpy(target, utf8.data(), utf8.size());
  target[utf8.size()] = 0;
  data_ = target;
  size_ = n;
  borrowed_ = false;
  nullMarker_ = 0;
}

void TKestrelVariant::StoreWideText(std::u16string_view utf16) {
  if (utf16.empty()) {
    SetNull();
    return;
  }
  if (Holds(utf16.data())) {
    StoreWideText(std::u16string(utf16));
    return;
  }
  const auto n = static_cast<int32_t>((utf16.size() + 1) * 2);
  uint8_t* target = OwnBuffer(n);
  std::memcpy(target, utf16.data(), utf16.size() * 2);
  target[n - 2] = 0;
  target[n - 1] = 0;
  data_ = target;
  size_ = n;
  borrowed_ = false;
  nullMarker_ = 0;
}

void TKestrelVariant::TakeValue(TKestrelVariant&& source) {
  const ST type = source.type_;
  if (source.IsNull()) {
    SetNull();
  } else if (source.data_ == source.inline_ || source.borrowed_) {
    StoreBytes(source.data_, source.size_);
  } else {
    heap_ = std::move(source.heap_);
    heapCapacity_ = source.heapCapacity_;
    data_ = heap_.get();
    size_ = source.size_;
    borrowed_ = false;
    nullMarker_ = 0;
  }
  type_ = type;
}

void TKestrelVariant::Clear(TKestrelStorageType type) {
  heap_.reset();
  heapCapacity_ = 0;
  data_ = nullptr;
  size_ = 0;
  type_ = type;
  nullMarker_ = 255;
  borrowed_ = false;
}

void TKestrelVariant::CheckNotNull() const {
  if (IsNull()) {
    throw EKestrelException("Value is Null", 30016);
  }
}

void TKestrelVariant::SetSize(int32_t n) {
  if (n <= 0) {
    size_ = 0;
    data_ = nullptr;
    borrowed_ = false;
    nullMarker_ = 255;
    return;
  }
  const uint8_t* old = data_;
  const int32_t keep = old ? std::min(size_, n) : 0;
  if (old == nullptr) {
    data_ = OwnBuffer(n);
  } else if (borrowed_ || (old == inline_ && n > kInlineCapacity) ||
             (old != inline_ && n > heapCapacity_)) {
    std::unique_ptr<uint8_t[]> previous;
    if (!borrowed_ && old != nullptr && old != inline_) {
      previous = std::move(heap_);  // keeps the old bytes alive for the copy
      heapCapacity_ = 0;
    }
    uint8_t* target = n <= kInlineCapacity && old != inline_ ? inline_ : nullptr;
    if (target == nullptr) {
      heap_ = std::make_unique<uint8_t[]>(static_cast<std::size_t>(n));
      heapCapacity_ = n;
      target = heap_.get();
    }
    if (keep > 0 && target != old) {
      std::memmove(target, old, static_cast<std::size_t>(keep));
    }
    data_ = target;
  }
  size_ = n;
  borrowed_ = false;
  nullMarker_ = 0;
}

void TKestrelVariant::SetType(TKestrelStorageType type) {
  if (IsNull()) {
    data_ = nullptr;
    size_ = 0;
    borrowed_ = false;
    type_ = type;
    return;
  }
  try {
    ConvertTo(type);
  } catch (const std::exception&) {
    Clear(type);
  }
}

void TKestrelVariant::ConvertTo(TKestrelStorageType type) {
  if (type == type_) {
    return;
  }
  if (IsNull()) {
    data_ = nullptr;
    size_ = 0;
    borrowed_ = false;
    type_ = type;
    return;
  }
  TKestrelVariant converted;
  ConvertStorageValue(data_, size_, type_, type, converted);
  TakeValue(std::move(converted));
}

void TKestrelVariant::Assign(const TKestrelVariant& source, bool copy) {
  AssignValue(source, copy);
}

void TKestrelVariant::AssignValue(const TKestrelVariant& source, bool copy) {
  if (&source == this) {
    return;
  }
  if (copy) {
    if (source.data_ == nullptr) {
      data_ = nullptr;
      size_ = source.size_;
      borrowed_ = false;
    } else {
      StoreBytes(source.data_, source.size_);
    }
  } else {
    data_ = source.data_;
    size_ = source.size_;
    borrowed_ = source.data_ != nullptr;
  }
  type_ = source.type_;
  nullMarker_ = source.nullMarker_;
}

void TKestrelVariant::SetData(const void* data, int32_t size, bool copy, TKestrelStorageType type) {
  type_ = type;
  if (data == nullptr || size <= 0) {
    data_ = nullptr;
    size_ = 0;
    borrowed_ = false;
    nullMarker_ = 255;
    return;
  }
  if (copy) {
    StoreBytes(data, size);
  } else {
    data_ = static_cast<uint8_t*>(const_cast<void*>(data));
    size_ = size;
    borrowed_ = true;
    nullMarker_ = 0;
  }
}

bool TKestrelVariant::GetData(void* destination, int32_t capacity) const {
  if (IsNull()) {
    return false;
  }
  if (capacity != -1 && capacity < size_) {
    throw EKestrelException("Buffer size exceeded", 20056);
  }
  std::memcpy(destination, data_, static_cast<std::size_t>(size_));
  return true;
}

int32_t TKestrelVariant::TextLength() const {
  if (IsNull()) {
    return -1;
  }
  switch (type_) {
    case ST::kChar:
    case ST::kString:
    case ST::kMemo:
      return size_ - 1;
    case ST::kWideChar:
    case ST::kWideString:
    case ST::kWideMemo:
      return size_ / 2 - 1;
    default:
      return -1;
  }
}

void TKestrelVariant::LoadFromStream(TKestrelStream& stream) {
  Clear(ST::kNone);
  uint8_t type = 0;
  ReadStreamBuffer(stream, &type, 1, 10183);
  type_ = static_cast<ST>(type);
  uint8_t marker = 255;
  ReadStreamBuffer(stream, &marker, 1, 10184);
  if (marker != 0) {
    return;
  }
  int32_t size = 0;
  ReadStreamBuffer(stream, &size, 4, 10185);
  if (size <= 0) {
    return;
  }
  // A damaged size must not make us allocate what the stream cannot hold.
  RequireStreamBytes(stream, size, 10186);
  SetSize(size);
  ReadStreamBuffer(stream, data_, size, 10186);
}

void TKestrelVariant::SaveToStream(TKestrelStream& stream) const {
  const auto type = static_cast<uint8_t>(type_);
  WriteStreamBuffer(stream, &type, 1, 10179);
  const uint8_t marker = IsNull() ? 255 : 0;
  WriteStreamBuffer(stream, &marker, 1, 10180);
  if (marker != 0) {
    return;
  }
  WriteStreamBuffer(stream, &size_, 4, 10181);
  WriteStreamBuffer(stream, data_, size_, 10182);
}

// Typed accessors.

template <typename T>
T TKestrelVariant::GetFixed(TKestrelStorageType type) const {
  CheckNotNull();
  T value{};
  if (type_ == type) {
    std::memcpy(&value, data_,
                std::min<std::size_t>(sizeof value, static_cast<std::size_t>(size_)));
    return value;
  }
  TKestrelVariant converted;
  ConvertStorageValue(data_, size_, type_, type, converted);
  std::memcpy(&value, converted.data_,
              std::min<std::size_t>(sizeof value, static_cast<std::size_t>(converted.size_)));
  return value;
}

template <typename T>
void TKestrelVariant::SetFixed(TKestrelStorageType type, T value) {
  SetConverted(type, &value, type == ST::kExtended ? kExtendedBytes : sizeof value);
}

void TKestrelVariant::SetConverted(TKestrelStorageType type, const void* bytes, int32_t n) {
  if (type_ == ST::kNone) {
    type_ = type;
  }
  if (type_ == type) {
    StoreBytes(bytes, n);
    return;
  }
  TKestrelVariant converted;
  ConvertStorageValue(static_cast<const uint8_t*>(bytes), n, type, type_, converted);
  TakeValue(std::move(converted));
}

int8_t TKestrelVariant::AsShortInt() const {
  return GetFixed<int8_t>(ST::kSignedInt8);
}
void TKestrelVariant::SetAsShortInt(int8_t value) {
  SetFixed(ST::kSignedInt8, value);
}
int16_t TKestrelVariant::AsSmallInt() const {
  return GetFixed<int16_t>(ST::kSignedInt16);
}
void TKestrelVariant::SetAsSmallInt(int16_t value) {
  SetFixed(ST::kSignedInt16, value);
}
int32_t TKestrelVariant::AsInteger() const {
  return GetFixed<int32_t>(ST::kSignedInt32);
}
void TKestrelVariant::SetAsInteger(int32_t value) {
  SetFixed(ST::kSignedInt32, value);
}
int64_t TKestrelVariant::AsLargeInt() const {
  return GetFixed<int64_t>(ST::kSignedInt64);
}
void TKestrelVariant::SetAsLargeInt(int64_t value) {
  SetFixed(ST::kSignedInt64, value);
}
uint8_t TKestrelVariant::AsByte() const {
  return GetFixed<uint8_t>(ST::kUnsignedInt8);
}
void TKestrelVariant::SetAsByte(uint8_t value) {
  SetFixed(ST::kUnsignedInt8, value);
}
uint16_t TKestrelVariant::AsWord() const {
  return GetFixed<uint16_t>(ST::kUnsignedInt16);
}
void TKestrelVariant::SetAsWord(uint16_t value) {
  SetFixed(ST::kUnsignedInt16, value);
}
uint32_t TKestrelVariant::AsCardinal() const {
  return GetFixed<uint32_t>(ST::kUnsignedInt32);
}
void TKestrelVariant::SetAsCardinal(uint32_t value) {
  SetFixed(ST::kUnsignedInt32, value);
}
float TKestrelVariant::AsSingle() const {
  return GetFixed<float>(ST::kSingle);
}
void TKestrelVariant::SetAsSingle(float value) {
  SetFixed(ST::kSingle, value);
}
double TKestrelVariant::AsDouble() const {
  return GetFixed<double>(ST::kFloat);
}
void TKestrelVariant::SetAsDouble(double value) {
  SetFixed(ST::kFloat, value);
}
long double TKestrelVariant::AsExtended() const {
  return GetFixed<long double>(ST::kExtended);
}
void TKestrelVariant::SetAsExtended(long double value) {
  SetFixed(ST::kExtended, value);
}
int32_t TKestrelVariant::AsDateNumber() const {
  return GetFixed<int32_t>(ST::kDate);
}
void TKestrelVariant::SetAsDateNumber(int32_t value) {
  SetFixed(ST::kDate, value);
}
platform::DateTime TKestrelVariant::AsDate() const {
  return DateNumberToDateTime(AsDateNumber());
}
void TKestrelVariant::SetAsDate(platform::DateTime value) {
  SetAsDateNumber(DateTimeToDateNumber(value));
}
int32_t TKestrelVariant::AsTimeNumber() const {
  return GetFixed<int32_t>(ST::kTime);
}
void TKestrelVariant::SetAsTimeNumber(int32_t value) {
  SetFixed(ST::kTime, value);
}
platform::DateTime TKestrelVariant::AsTime() const {
  return TimeNumberToDateTime(AsTimeNumber());
}
void TKestrelVariant::SetAsTime(platform::DateTime value) {
  SetAsTimeNumber(DateTimeToTimeNumber(value));
}
platform::TimeStamp TKestrelVariant::AsDateTimePair() const {
  const auto parts = GetFixed<std::array<int32_t, 2>>(ST::kDateTime);
  return {parts[0], parts[1]};
}
void TKestrelVariant::SetAsDateTimePair(platform::TimeStamp value) {
  SetFixed(ST::kDateTime, std::array<int32_t, 2>{value.date, value.time});
}
platform::DateTime TKestrelVariant::AsDateTime() const {
  return DateTimePairToDateTime(AsDateTimePair());
}
void TKestrelVariant::SetAsDateTime(platform::DateTime value) {
  SetAsDateTimePair(DateTimeToDateTimePair(value));
}
bool TKestrelVariant::AsBoolean() const {
  return GetFixed<int16_t>(ST::kLogical) != 0;
}
void TKestrelVariant::SetAsBoolean(bool value) {
  SetFixed(ST::kLogical, static_cast<int16_t>(value ? -1 : 0));
}
double TKestrelVariant::AsCurrency() const {
  return GetFixed<double>(ST::kCurrency);
}
void TKestrelVariant::SetAsCurrency(double value) {
  double amount = 0;
  if (!TryToCurrency(value, amount)) {
    throw EKestrelException("'%s' is not a valid currency value", {FloatToText(value, ST::kFloat)},
                            10439);
  }
  SetFixed(ST::kCurrency, amount);
}

std::string TKestrelVariant::AsString() const {
  CheckNotNull();
  if (IsNarrowText(type_)) {
    const auto* chars = reinterpret_cast<const char*>(data_);
    return std::string(chars, strnlen(chars, static_cast<std::size_t>(size_)));
  }
  TKestrelVariant converted;
  ConvertStorageValue(data_, size_, type_, ST::kString, converted);
  return converted.AsString();
}

void TKestrelVariant::SetAsString(std::string_view value) {
  if (type_ == ST::kNone) {
    type_ = ST::kString;
  }
  if (IsNarrowText(type_)) {
    StoreText(value);
    return;
  }
  if (value.empty() && (IsWideText(type_) || IsBlobStorageType(type_))) {
    SetNull();
    return;
  }
  std::string bytes(value);
  bytes += '\0';
  SetConverted(ST::kString, bytes.data(), static_cast<int32_t>(bytes.size()));
}

std::u16string TKestrelVariant::AsWideString() const {
  CheckNotNull();
  if (IsWideText(type_)) {
    std::u16string text;
    for (int32_t i = 0; i + 1 < size_; i += 2) {
      char16_t unit;
      std::memcpy(&unit, data_ + i, 2);
      if (unit == 0) {
        break;
      }
      text += unit;
    }
    return text;
  }
  TKestrelVariant converted;
  ConvertStorageValue(data_, size_, type_, ST::kWideString, converted);
  return converted.AsWideString();
}

void TKestrelVariant::SetAsWideString(std::u16string_view value) {
  if (type_ == ST::kNone) {
    type_ = ST::kWideString;
  }
  if (IsWideText(type_)) {
    StoreWideText(value);
    return;
  }
  if (value.empty() && (IsNarrowText(type_) || IsBlobStorageType(type_))) {
    SetNull();
    return;
  }
  std::u16string units(value);
  units += u'\0';
  SetConverted(ST::kWideString, units.data(), static_cast<int32_t>(units.size() * 2));
}

// Platform variants.

void TKestrelVariant::FromPlatformVariant(const dataset::Variant& value) {
  using dataset::VarType;
  switch (value.Type()) {
    case VarType::kNull:
      SetNull();
      return;
    case VarType::kSmallint:
      SetAsSmallInt(static_cast<int16_t>(value.ToInt64()));
      return;
    case VarType::kInteger:
      SetAsInteger(static_cast<int32_t>(value.ToInt64()));
      return;
    case VarType::kSingle:
      SetAsSingle(static_cast<float>(value.ToDouble()));
      return;
    case VarType::kDouble:
      SetAsDouble(value.ToDouble());
      return;
    case VarType::kCurrency:
      SetAsCurrency(value.ToDouble());
      return;
    case VarType::kDate:
      SetAsDateTime(value.ToDateTime());
      return;
    case VarType::kOleStr:
      SetAsWideString(value.ToOleStr());
      return;
    case VarType::kBoolean:
      SetAsBoolean(value.ToBoolean());
      return;
    case VarType::kShortInt:
      SetAsShortInt(static_cast<int8_t>(value.ToInt64()));
      return;
    case VarType::kByte:
      SetAsByte(static_cast<uint8_t>(value.ToInt64()));
      return;
    case VarType::kWord:
      SetAsWord(static_cast<uint16_t>(value.ToInt64()));
      return;
    case VarType::kLongWord:
      SetAsCardinal(static_cast<uint32_t>(value.ToInt64()));
      return;
    case VarType::kString:
      SetAsString(value.ToString());
      return;
    default:
      break;
  }
  throw EKestrelException("Unsupported Variant Type %s",
                          {std::to_string(static_cast<int>(value.Type()))}, 30113);
}

dataset::Variant TKestrelVariant::ToPlatformVariant() const {
  using dataset::Variant;
  switch (type_) {
    case ST::kChar:
    case ST::kString:
    case ST::kBlob: {
      CheckNotNull();
      const auto* chars = reinterpret_cast<const char*>(data_);
      return Variant::FromString(
          std::string_view(chars, strnlen(chars, static_cast<std::size_t>(size_))));
    }
    case ST::kWideChar:
    case ST::kWideString:
      return Variant::FromOleStr(AsWideString());
    case ST::kSignedInt8:
    case ST::kSignedInt16:
    case ST::kSignedInt32:
    case ST::kUnsignedInt8:
    case ST::kUnsignedInt16:
    case ST::kUnsignedInt32:
      return Variant::FromInteger(AsInteger());
    case ST::kSingle:
    case ST::kFloat:
    case ST::kExtended:
    case ST::kCurrency:
      return Variant::FromDouble(AsDouble());
    case ST::kDate:
      return Variant::FromDouble(AsDate());
    case ST::kTime:
      return Variant::FromDouble(AsTime());
    case ST::kDateTime:
      return Variant::FromDateTime(AsDateTime());
    case ST::kLogical:
      return Variant::FromBoolean(AsBoolean());
    default:
      break;
  }
  if (IsNull()) {
    return Variant::Null();
  }
  throw EKestrelException("Unsupported Variant Type %s", {StorageTypeName(type_)}, 30114);
}

}  // namespace kestrel
