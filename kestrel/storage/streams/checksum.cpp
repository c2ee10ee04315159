#include "kestrel/storage/streams/checksum.h"

#include <zlib.h>

#include <algorithm>

namespace kestrel {

// zlib's crc32 inverts the register on the way in and out; starting it from
// ~0 makes the register begin at 0, and inverting its result undoes the
// final inversion, which leaves exactly our variant at zlib's speed.
uint32_t BlobChecksum(std::span<const uint8_t> bytes) {
  uLong crc = 0xFFFFFFFFUL;
  const uint8_t* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const auto piece = static_cast<uInt>(std::min<std::size_t>(left, 1U << 30));
    crc = crc32(crc, data, piece);
    data += piece;
    left -= piece;
  }
  return static_cast<uint32_t>(crc ^ 0xFFFFFFFFUL);
}

}  // namespace kestrel
