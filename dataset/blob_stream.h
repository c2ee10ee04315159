#pragma once
// Access to a BLOB field's bytes. A dataset hands out a stream over one
// field of its active record; writes reach the record when the stream is
// closed (destroyed), like any other field assignment.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace dataset {

enum class TBlobStreamMode : uint8_t { bmRead, bmWrite, bmReadWrite };

class TBlobStream {
 public:
  virtual ~TBlobStream() = default;
  // Bytes copied into buffer; fewer than count at the end.
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t count) = 0;
  virtual int64_t Seek(int64_t offset, int origin) = 0;  // origin: 0 start, 1 current, 2 end
  virtual int64_t Size() const = 0;
  virtual void Truncate() = 0;  // cuts the value at the current position

  std::string ReadAll();
  void WriteAll(std::string_view bytes);
};

// A stream over a copy of the value held in memory. When it was opened for
// writing and was written to, the commit function receives the new value as
// the stream is destroyed.
class TMemoryBlobStream : public TBlobStream {
 public:
  using Commit = std::function<void(const std::string& value)>;

  TMemoryBlobStream(std::string value, TBlobStreamMode mode, Commit commit);
  ~TMemoryBlobStream() override;
  TMemoryBlobStream(const TMemoryBlobStream&) = delete;
  TMemoryBlobStream& operator=(const TMemoryBlobStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Size() const override { return static_cast<int64_t>(value_.size()); }
  void Truncate() override;

 private:
  std::string value_;
  size_t position_ = 0;
  TBlobStreamMode mode_;
  Commit commit_;
  bool modified_ = false;
};

}  // namespace dataset
