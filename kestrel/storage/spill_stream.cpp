#include "kestrel/storage/spill_stream.h"

#include "kestrel/storage/streams/file_stream.h"

namespace kestrel {

std::unique_ptr<TKestrelStream> CreateSpillStream(const TKestrelSpillStreamFactory& factory) {
  if (factory) {
    return factory();
  }
  return TKestrelFileStream::CreateTemporary();
}

}  // namespace kestrel
