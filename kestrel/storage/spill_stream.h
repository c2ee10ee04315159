#pragma once
// Where temporary record managers and temporary page managers spill what no
// longer fits in memory: a stream made on first need, by default a
// temporary file removed with the stream. Tests pass a factory of their own
// (a memory stream, or one that fails after N bytes).

#include <functional>
#include <memory>

#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

using TKestrelSpillStreamFactory = std::function<std::unique_ptr<TKestrelStream>()>;

// factory's stream, or a new temporary file when factory is empty.
std::unique_ptr<TKestrelStream> CreateSpillStream(const TKestrelSpillStreamFactory& factory);

}  // namespace kestrel
