#pragma once
// The engine allocator: record slots, bitmaps, BLOB blocks and pages come
// from here so that the bytes in use, their peak and an optional limit are
// known, and so that overruns and bad frees are caught.
//
// Block layout (n data bytes; the caller sees the address of the data):
//   offset  size  field
//   0       4     n, signed 32-bit
//   4       1     how the block was obtained (0: the C heap)
//   5       4     header marker 0xACCACCAC
//   9       n     data
//   9+n     4     trailing marker 0xACCEACCE
//
// The allocator also keeps the set of live blocks, so that a second free of
// the same address or a foreign address is refused without reading memory
// that is not ours. Every operation runs under the allocator's own lock.

#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace kestrel {

class TKestrelMemoryManager {
 public:
  static constexpr int32_t kHeaderSize = 9;
  static constexpr int32_t kTrailerSize = 4;
  static constexpr uint32_t kHeaderMarker = 0xACCACCAC;
  static constexpr uint32_t kTrailerMarker = 0xACCEACCE;

  TKestrelMemoryManager() = default;
  ~TKestrelMemoryManager();
  TKestrelMemoryManager(const TKestrelMemoryManager&) = delete;
  TKestrelMemoryManager& operator=(const TKestrelMemoryManager&) = delete;

  // The process's allocator.
  static TKestrelMemoryManager& Instance();

  // n = 0 raises "Cannot alocate 0 bytes" (30286); past the limit "Memory
  // limit exceeded (Limit = %d bytes)" (30004); a platform failure "GetMem
  // error: %s" (30015).
  void* Allocate(int32_t n);
  void* AllocateZeroed(int32_t n);
  // 0 for null; "Invalid pointer" (30005) for an address that is no block.
  int32_t AllocatedSize(const void* address) const;
  // Returns the block and nulls the reference; "Invalid pointer" (30001)
  // for an address that is no block; a damaged trailing marker raises
  // "Memory overrun detected" (30137) after the block was returned. Null is
  // accepted and does nothing.
  void Free(void*& address);
  template <typename T>
  void Free(T*& address) {
    void* raw = address;
    address = nullptr;
    Free(raw);
  }
  // The block moves to newSize bytes keeping the common part (the C heap
  // may grow it in place); the grown part is zeroed when zeroFill. "Invalid pointer" (30002) for an
  // address that is no block; a damaged trailing marker raises "Memory
  // overrun detected" (30137) and leaves the block as it is; a null
  // reference allocates. newSize 0 frees.
  void Resize(void*& address, int32_t newSize, bool zeroFill);
  template <typename T>
  void Resize(T*& address, int32_t newSize, bool zeroFill) {
    void* raw = address;
    Resize(raw, newSize, zeroFill);
    address = static_cast<T*>(raw);
  }

  int64_t BytesInUse() const;
  int64_t PeakBytes() const;
  int64_t BlockCount() const;
  // 0: no limit.
  int64_t Limit() const;
  void SetLimit(int64_t bytes);
  // Free physical memory, or the limit when one is set and smaller.
  int64_t AvailableMemory() const;

 private:
  void* AllocateLocked(int32_t n, bool zeroed);
  // The header of a live block, or nullptr.
  uint8_t* HeaderOf(const void* address) const;
  void Release(uint8_t* header);

  mutable std::recursive_mutex lock_;
  std::unordered_set<const void*> live_;
  int64_t bytesInUse_ = 0;
  int64_t peakBytes_ = 0;
  int64_t limit_ = 0;
};

// Free physical memory as the operating system reports it.
int64_t FreePhysicalMemory();

}  // namespace kestrel
