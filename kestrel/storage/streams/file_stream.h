#pragma once
// A stream over a file: the spill file of temporary tables. A temporary
// file is created in the system's temporary directory and removed when the
// stream is destroyed.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

class TKestrelFileStream : public TKestrelStream {
 public:
  // A new, empty temporary file; "Cannot create file. FileName = %s"
  // (10104) when none can be made.
  static std::unique_ptr<TKestrelFileStream> CreateTemporary();
  ~TKestrelFileStream() override;
  TKestrelFileStream(const TKestrelFileStream&) = delete;
  TKestrelFileStream& operator=(const TKestrelFileStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Position() const override { return position_; }
  // Positions beyond the end are allowed; a later write extends the file.
  void SetPosition(int64_t position) override { position_ = position; }
  int64_t Size() const override;
  const std::string& FileName() const { return fileName_; }

 private:
  TKestrelFileStream(std::FILE* file, std::string fileName, bool removeOnClose);

  std::FILE* file_;
  std::string fileName_;
  bool removeOnClose_;
  int64_t position_ = 0;
};

}  // namespace kestrel
