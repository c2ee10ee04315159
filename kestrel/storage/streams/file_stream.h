#pragma once
// A stream over a file, opened by name and mode, or a temporary file in the
// system's temporary directory that is removed when the stream is
// destroyed (the spill files of temporary tables and temporary streams).
//
// Modes: 0xFFFF creates or truncates the file for reading and writing;
// otherwise the low two bits choose read (0), write (1) or read-write (2)
// access to an existing file. The share bits (0x10 to 0x40) are accepted
// and have no effect: this platform does not lock files on open.
//
// The stream buffers: reads fill a 64 KiB buffer, and writes that follow
// each other collect in it before they reach the file. Buffered bytes are
// written before any read, size change, non-adjacent write and Flush; a
// failure there surfaces as a short read or write of that call, or as
// "Error writing to stream" (10603) from Flush. The destructor writes what
// is left but cannot report a failure, so a writer that must know its bytes
// reached the file calls Flush first.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

class TKestrelFileStream : public TKestrelStream {
 public:
  static constexpr uint16_t kModeCreate = 0xFFFF;
  static constexpr uint16_t kModeRead = 0x0000;
  static constexpr uint16_t kModeWrite = 0x0001;
  static constexpr uint16_t kModeReadWrite = 0x0002;
  static constexpr int32_t kCopyBlockSize = 102400;
  static constexpr int32_t kBufferSize = 65536;

  // "Cannot create file. FileName = %s" (10104) when mode kModeCreate
  // fails, "Cannot open file. FileName = %s, Mode = %d" (10105) otherwise.
  TKestrelFileStream(const std::string& fileName, uint16_t mode);
  // A new, empty temporary file "Kestrel..." in the temporary directory;
  // "Cannot create file. FileName = %s" (10104) when none can be made.
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
  // "Invalid stream size = %d. Should be = %d" (10604) when the file
  // cannot take the size.
  void SetSize(int64_t size) override;
  void Flush();

  const std::string& FileName() const { return fileName_; }
  uint16_t Mode() const { return mode_; }

 private:
  TKestrelFileStream(int descriptor, std::string fileName, uint16_t mode, bool removeOnClose);
  // Writes the buffered bytes; false when the file took fewer.
  bool FlushBuffer();
  // pread/pwrite until count bytes moved, the end of the file or an error.
  int64_t ReadAt(int64_t offset, uint8_t* buffer, int64_t count) const;
  int64_t WriteAt(int64_t offset, const uint8_t* buffer, int64_t count);

  int descriptor_;
  std::string fileName_;
  uint16_t mode_;
  bool removeOnClose_;
  int64_t position_ = 0;
  int64_t fileSize_ = 0;  // what the file holds, buffered bytes not counted
  // One buffer serves either reads (clean) or adjacent writes (dirty).
  std::vector<uint8_t> buffer_;
  int64_t bufferStart_ = 0;
  int64_t bufferLength_ = 0;
  bool bufferDirty_ = false;
};

}  // namespace kestrel
