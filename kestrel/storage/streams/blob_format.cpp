#include "kestrel/storage/streams/blob_format.h"

#include <cstddef>
#include <type_traits>

namespace kestrel {
namespace {

template <typename T>
void Put(uint8_t* at, T value) {
  using U = std::make_unsigned_t<T>;
  const auto bits = static_cast<U>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    at[i] = static_cast<uint8_t>(bits >> (8 * i));
  }
}

template <typename T>
T Get(const uint8_t* at) {
  using U = std::make_unsigned_t<T>;
  U bits = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    bits = static_cast<U>(bits | static_cast<U>(static_cast<U>(at[i]) << (8 * i)));
  }
  return static_cast<T>(bits);
}

}  // namespace

void TKestrelCompressedStreamBlockHeader::Encode(uint8_t (&bytes)[kSize]) const {
  Put<int32_t>(bytes, CompressedSize);
  Put<int32_t>(bytes + 4, UncompressedSize);
  Put<uint32_t>(bytes + 8, Checksum);
  Put<int64_t>(bytes + 12, TotalSize);
}

TKestrelCompressedStreamBlockHeader TKestrelCompressedStreamBlockHeader::Decode(
    const uint8_t (&bytes)[kSize]) {
  TKestrelCompressedStreamBlockHeader header;
  header.CompressedSize = Get<int32_t>(bytes);
  header.UncompressedSize = Get<int32_t>(bytes + 4);
  header.Checksum = Get<uint32_t>(bytes + 8);
  header.TotalSize = Get<int64_t>(bytes + 12);
  return header;
}

int32_t DefaultBlockSize(int level) {
  if (level <= 0) {
    return 102400;
  }
  if (level <= 3) {
    return 524288;
  }
  if (level <= 6) {
    return 1048576;
  }
  return 1572864;
}

}  // namespace kestrel
