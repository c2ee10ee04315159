#include "kestrel/storage/streams/local_blob_stream.h"

#include "kestrel/storage/kestrel_exception.h"
#include "kestrel/storage/streams/stream_errors.h"

namespace kestrel {

TKestrelLocalBLOBStream::TKestrelLocalBLOBStream(std::unique_ptr<TKestrelStream> underlying,
                                                 bool repair, bool newValue,
                                                 const TKestrelBlobDescriptor& descriptor,
                                                 bool readOnly)
    : underlying_(std::move(underlying)),
      blob_(*underlying_, repair, newValue, descriptor),
      readOnly_(readOnly) {}

int32_t TKestrelLocalBLOBStream::Write(const void* buffer, int32_t count) {
  if (readOnly_) {
    throw EKestrelException("Cannot write to read only stream", stream_site::kReadOnlyWrite);
  }
  modified_ = true;
  return blob_.Write(buffer, count);
}

void TKestrelLocalBLOBStream::SetSize(int64_t size) {
  if (readOnly_) {
    throw EKestrelException("Cannot write to read only stream", stream_site::kReadOnlySetSize);
  }
  modified_ = true;
  blob_.SetSize(size);
}

}  // namespace kestrel
