#include "kestrel/storage/pages/stream_checks.h"

#include <algorithm>
#include <limits>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {

void RequireStreamBytes(const TKestrelStream& stream, int64_t bytes, int nativeError) {
  const int64_t remaining = std::max<int64_t>(0, stream.Size() - stream.Position());
  if (remaining >= bytes) {
    return;
  }
  const int64_t block = std::min<int64_t>(bytes, std::numeric_limits<int32_t>::max());
  throw EKestrelException(
      "Cannot read from stream. Position = %d, Stream size = %d, Block size = %d, Bytes Read = %d",
      {stream.Position(), stream.Size(), block, remaining}, nativeError);
}

void RaiseDamagedPageData(const char* field, int64_t value) {
  throw EKestrelException("Invalid page manager data: %s = %d", {field, value}, 10721);
}

}  // namespace kestrel
