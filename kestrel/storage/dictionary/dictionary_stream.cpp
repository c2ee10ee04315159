#include "kestrel/storage/dictionary/dictionary_stream.h"

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

template <typename T>
void WriteLittleEndian(TKestrelStream& stream, T value, int nativeError) {
  uint8_t bytes[sizeof(T)];
  auto bits = static_cast<std::make_unsigned_t<T>>(value);
  for (auto& byte : bytes) {
    byte = static_cast<uint8_t>(bits & 0xFF);
    bits = static_cast<std::make_unsigned_t<T>>(bits >> 8);
  }
  WriteStreamBuffer(stream, bytes, sizeof(T), nativeError);
}

template <typename T>
T ReadLittleEndian(TKestrelStream& stream, int nativeError) {
  uint8_t bytes[sizeof(T)];
  ReadStreamBuffer(stream, bytes, sizeof(T), nativeError);
  std::make_unsigned_t<T> bits = 0;
  for (int i = static_cast<int>(sizeof(T)) - 1; i >= 0; --i) {
    bits = static_cast<std::make_unsigned_t<T>>((bits << 8) | bytes[i]);
  }
  return static_cast<T>(bits);
}

}  // namespace

void WriteUInt8(TKestrelStream& stream, uint8_t value, int nativeError) {
  WriteStreamBuffer(stream, &value, 1, nativeError);
}
void WriteUInt16(TKestrelStream& stream, uint16_t value, int nativeError) {
  WriteLittleEndian(stream, value, nativeError);
}
void WriteInt32(TKestrelStream& stream, int32_t value, int nativeError) {
  WriteLittleEndian(stream, value, nativeError);
}
void WriteInt64(TKestrelStream& stream, int64_t value, int nativeError) {
  WriteLittleEndian(stream, value, nativeError);
}
void WriteBool(TKestrelStream& stream, bool value, int nativeError) {
  WriteUInt8(stream, value ? 1 : 0, nativeError);
}
uint8_t ReadUInt8(TKestrelStream& stream, int nativeError) {
  uint8_t value = 0;
  ReadStreamBuffer(stream, &value, 1, nativeError);
  return value;
}
uint16_t ReadUInt16(TKestrelStream& stream, int nativeError) {
  return ReadLittleEndian<uint16_t>(stream, nativeError);
}
int32_t ReadInt32(TKestrelStream& stream, int nativeError) {
  return ReadLittleEndian<int32_t>(stream, nativeError);
}
int64_t ReadInt64(TKestrelStream& stream, int nativeError) {
  return ReadLittleEndian<int64_t>(stream, nativeError);
}
bool ReadBool(TKestrelStream& stream, int nativeError) {
  return ReadUInt8(stream, nativeError) != 0;
}

uint8_t ShortStringLength(std::string_view text) {
  if (text.size() > 255) {
    throw ERangeError();
  }
  return static_cast<uint8_t>(text.size());
}

void WriteShortString(TKestrelStream& stream, std::string_view text, int lengthError,
                      int textError) {
  const uint8_t length = ShortStringLength(text);
  WriteUInt8(stream, length, lengthError);
  WriteStreamBuffer(stream, text.data(), length, textError);
}

std::string ReadShortString(TKestrelStream& stream, int lengthError, int textError) {
  const uint8_t length = ReadUInt8(stream, lengthError);
  std::string text(length, '\0');
  ReadStreamBuffer(stream, text.data(), length, textError);
  return text;
}

}  // namespace kestrel
