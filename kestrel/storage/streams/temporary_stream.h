#pragma once
// A stream for values of any size that keeps small ones in memory: it
// starts as a memory stream on the engine allocator and, when a write or a
// size change would take it past 1 MiB, moves its bytes into a new
// temporary file and goes on there at the same position. The file is
// removed when the stream is destroyed.

#include <cstdint>
#include <memory>
#include <string>

#include "kestrel/storage/streams/file_stream.h"
#include "kestrel/storage/streams/kestrel_stream.h"

namespace kestrel {

class TKestrelTemporaryStream : public TKestrelStream {
 public:
  static constexpr int64_t kMemoryLimit = 1048576;

  TKestrelTemporaryStream() : TKestrelTemporaryStream(TKestrelMemoryManager::Instance()) {}
  explicit TKestrelTemporaryStream(TKestrelMemoryManager& memory);
  TKestrelTemporaryStream(const TKestrelTemporaryStream&) = delete;
  TKestrelTemporaryStream& operator=(const TKestrelTemporaryStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override { return current_->Read(buffer, count); }
  // "Cannot create file. FileName = %s" (10104) when the move to a file
  // finds no file; a short copy into it raises the write message (10605).
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Position() const override { return current_->Position(); }
  void SetPosition(int64_t position) override { current_->SetPosition(position); }
  int64_t Size() const override { return current_->Size(); }
  void SetSize(int64_t size) override;

  bool InFile() const { return file_ != nullptr; }
  // The temporary file's name; empty while the bytes are in memory.
  std::string FileName() const { return file_ ? file_->FileName() : std::string(); }

 private:
  void MoveToFile();

  std::unique_ptr<TKestrelMemoryStream> memory_;
  std::unique_ptr<TKestrelFileStream> file_;
  TKestrelStream* current_;
};

}  // namespace kestrel
