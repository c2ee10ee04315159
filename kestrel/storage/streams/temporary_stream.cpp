#include "kestrel/storage/streams/temporary_stream.h"

#include "kestrel/storage/streams/stream_errors.h"

namespace kestrel {

TKestrelTemporaryStream::TKestrelTemporaryStream(TKestrelMemoryManager& memory)
    : memory_(std::make_unique<TKestrelMemoryStream>(memory)), current_(memory_.get()) {
  SetCopyBlockSize(TKestrelFileStream::kCopyBlockSize);
}

int32_t TKestrelTemporaryStream::Write(const void* buffer, int32_t count) {
  if (!InFile() && count > 0 && Size() + count > kMemoryLimit) {
    MoveToFile();
  }
  return current_->Write(buffer, count);
}

void TKestrelTemporaryStream::SetSize(int64_t size) {
  if (!InFile() && size > kMemoryLimit) {
    MoveToFile();
  }
  current_->SetSize(size);
}

void TKestrelTemporaryStream::MoveToFile() {
  auto file = TKestrelFileStream::CreateTemporary();
  if (memory_->Size() > 0) {
    WriteStreamBuffer(*file, memory_->Data(), static_cast<int32_t>(memory_->Size()),
                      stream_site::kTemporaryCopy);
  }
  file->SetPosition(memory_->Position());
  file_ = std::move(file);
  current_ = file_.get();
  memory_.reset();
}

}  // namespace kestrel
