#pragma once
// The stream a cursor hands out for one BLOB field: it owns the bytes of
// the value (a temporary stream holding a copy of the stored block) and
// the compressed BLOB stream over them, and forwards to the latter. Opened
// read only it refuses writes and size changes with "Cannot write to read
// only stream". Modified tells the cursor whether the value must be stored
// back when the stream is closed.

#include <cstdint>
#include <memory>

#include "kestrel/storage/streams/compressed_blob_stream.h"

namespace kestrel {

class TKestrelLocalBLOBStream : public TKestrelStream {
 public:
  TKestrelLocalBLOBStream(std::unique_ptr<TKestrelStream> underlying, bool repair, bool newValue,
                          const TKestrelBlobDescriptor& descriptor, bool readOnly);

  int32_t Read(void* buffer, int32_t count) override { return blob_.Read(buffer, count); }
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Position() const override { return blob_.Position(); }
  void SetPosition(int64_t position) override { blob_.SetPosition(position); }
  int64_t Size() const override { return blob_.Size(); }
  void SetSize(int64_t size) override;

  bool ReadOnly() const { return readOnly_; }
  bool Modified() const { return modified_; }
  const TKestrelCompressedBLOBStream& BlobStream() const { return blob_; }
  const TKestrelBlobDescriptor& Descriptor() const { return blob_.Descriptor(); }
  // The stored bytes of the value, from the descriptor's StartPosition on.
  TKestrelStream& Underlying() const { return *underlying_; }

 private:
  std::unique_ptr<TKestrelStream> underlying_;  // outlives blob_, declared first
  TKestrelCompressedBLOBStream blob_;
  bool readOnly_;
  bool modified_ = false;
};

}  // namespace kestrel
