#pragma once
// Checks a page manager makes before it trusts what it loads: a damaged
// count must raise the short-read error at once instead of making the loader
// allocate what the stream cannot hold, and a field that cannot be right
// stops the load with an error.

#include <cstdint>

#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

// Raises "Cannot read from stream. Position = %d, Stream size = %d, Block
// size = %d, Bytes Read = %d" with nativeError when fewer than bytes remain
// after the stream's position.
void RequireStreamBytes(const TKestrelStream& stream, int64_t bytes, int nativeError);

// A stored field of a page manager that cannot be right: "Invalid page
// manager data: %s = %d" (10721).
[[noreturn]] void RaiseDamagedPageData(const char* field, int64_t value);

}  // namespace kestrel
