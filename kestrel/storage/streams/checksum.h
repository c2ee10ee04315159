#pragma once
// The checksum of a BLOB block's uncompressed bytes: CRC-32 with the
// reflected polynomial 0xEDB88320 (the published CRC-32 table), starting
// from 0 and without the final inversion. "abc" gives 0xCA6598D0.

#include <cstdint>
#include <span>

namespace kestrel {

uint32_t BlobChecksum(std::span<const uint8_t> bytes);

}  // namespace kestrel
