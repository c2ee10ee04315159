#include "kestrel/storage/memory_manager.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "kestrel/storage/kestrel_exception.h"

namespace kestrel {
namespace {

constexpr uint8_t kFromCHeap = 0;

uint32_t Read32(const uint8_t* p) {
  uint32_t value = 0;
  std::memcpy(&value, p, 4);
  return value;
}

void Write32(uint8_t* p, uint32_t value) {
  std::memcpy(p, &value, 4);
}

int32_t BlockSize(const uint8_t* header) {
  return static_cast<int32_t>(Read32(header));
}

}  // namespace

int64_t FreePhysicalMemory() {
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) {
    return 0;
  }
  return static_cast<int64_t>(pages) * pageSize;
}

TKestrelMemoryManager::~TKestrelMemoryManager() {
  for (const void* address : live_) {
    std::free(const_cast<uint8_t*>(static_cast<const uint8_t*>(address) - kHeaderSize));
  }
}

TKestrelMemoryManager& TKestrelMemoryManager::Instance() {
  static TKestrelMemoryManager instance;
  return instance;
}

void* TKestrelMemoryManager::AllocateLocked(int32_t n, bool zeroed) {
  if (n == 0) {
    throw EKestrelException("Cannot alocate 0 bytes", 30286);
  }
  if (n < 0) {
    throw EKestrelException("GetMem error: %s", {"Invalid block size"}, 30015);
  }
  if (limit_ > 0 && bytesInUse_ + n > limit_) {
    throw EKestrelException("Memory limit exceeded (Limit = %d bytes)", {limit_}, 30004);
  }
  const std::size_t total = static_cast<std::size_t>(n) + kHeaderSize + kTrailerSize;
  auto* header = static_cast<uint8_t*>(zeroed ? std::calloc(total, 1) : std::malloc(total));
  if (header == nullptr) {
    throw EKestrelException("GetMem error: %s", {"Out of memory"}, 30015);
  }
  Write32(header, static_cast<uint32_t>(n));
  header[4] = kFromCHeap;
  Write32(header + 5, kHeaderMarker);
  Write32(header + kHeaderSize + n, kTrailerMarker);
  uint8_t* data = header + kHeaderSize;
  try {
    live_.insert(data);
  } catch (const std::bad_alloc&) {
    std::free(header);
    throw EKestrelException("GetMem error: %s", {"Out of memory"}, 30015);
  }
  bytesInUse_ += n;
  peakBytes_ = std::max(peakBytes_, bytesInUse_);
  return data;
}

void* TKestrelMemoryManager::Allocate(int32_t n) {
  std::lock_guard guard(lock_);
  return AllocateLocked(n, false);
}

void* TKestrelMemoryManager::AllocateZeroed(int32_t n) {
  std::lock_guard guard(lock_);
  return AllocateLocked(n, true);
}

uint8_t* TKestrelMemoryManager::HeaderOf(const void* address) const {
  if (live_.count(address) == 0) {
    return nullptr;
  }
  auto* header = const_cast<uint8_t*>(static_cast<const uint8_t*>(address) - kHeaderSize);
  return Read32(header + 5) == kHeaderMarker ? header : nullptr;
}

int32_t TKestrelMemoryManager::AllocatedSize(const void* address) const {
  if (address == nullptr) {
    return 0;
  }
  std::lock_guard guard(lock_);
  const uint8_t* header = HeaderOf(address);
  if (header == nullptr) {
    throw EKestrelException("Invalid pointer", 30005);
  }
  return BlockSize(header);
}

void TKestrelMemoryManager::Release(uint8_t* header) {
  bytesInUse_ -= BlockSize(header);
  live_.erase(header + kHeaderSize);
  std::free(header);
}

void TKestrelMemoryManager::Free(void*& address) {
  if (address == nullptr) {
    return;
  }
  std::lock_guard guard(lock_);
  uint8_t* header = HeaderOf(address);
  if (header == nullptr) {
    throw EKestrelException("Invalid pointer", 30001);
  }
  const bool overrun = Read32(header + kHeaderSize + BlockSize(header)) != kTrailerMarker;
  Release(header);
  address = nullptr;
  if (overrun) {
    throw EKestrelException("Memory overrun detected", 30137);
  }
}

void TKestrelMemoryManager::Resize(void*& address, int32_t newSize, bool zeroFill) {
  std::lock_guard guard(lock_);
  if (address == nullptr) {
    if (newSize > 0) {
      address = AllocateLocked(newSize, zeroFill);
    }
    return;
  }
  uint8_t* header = HeaderOf(address);
  if (header == nullptr) {
    throw EKestrelException("Invalid pointer", 30002);
  }
  if (newSize == 0) {
    Free(address);
    return;
  }
  const int32_t oldSize = BlockSize(header);
  // An overrun block is not moved on: its damage is reported and the block
  // stays as it is, for Free to report again.
  if (Read32(header + kHeaderSize + oldSize) != kTrailerMarker) {
    throw EKestrelException("Memory overrun detected", 30137);
  }
  if (newSize < 0) {
    throw EKestrelException("ReallocMem error: %s", {"Invalid block size"}, 30014);
  }
  if (limit_ > 0 && newSize > oldSize && bytesInUse_ + (newSize - oldSize) > limit_) {
    throw EKestrelException("Memory limit exceeded (Limit = %d bytes)", {limit_}, 30004);
  }
  // realloc moves the block as a fresh allocation and copy would, but lets
  // the C heap grow large blocks in place: a table growing step by step
  // does not copy all its records at every step.
  const std::size_t total = static_cast<std::size_t>(newSize) + kHeaderSize + kTrailerSize;
  auto* moved = static_cast<uint8_t*>(std::realloc(header, total));
  if (moved == nullptr) {
    throw EKestrelException("ReallocMem error: %s", {"Out of memory"}, 30014);
  }
  live_.erase(address);
  uint8_t* data = moved + kHeaderSize;
  try {
    live_.insert(data);
  } catch (const std::bad_alloc&) {
    bytesInUse_ -= oldSize;
    std::free(moved);
    address = nullptr;
    throw EKestrelException("ReallocMem error: %s", {"Out of memory"}, 30014);
  }
  Write32(moved, static_cast<uint32_t>(newSize));
  Write32(data + newSize, kTrailerMarker);
  if (zeroFill && newSize > oldSize) {
    std::memset(data + oldSize, 0, static_cast<std::size_t>(newSize - oldSize));
  }
  bytesInUse_ += newSize - oldSize;
  peakBytes_ = std::max(peakBytes_, bytesInUse_);
  address = data;
}

int64_t TKestrelMemoryManager::BytesInUse() const {
  std::lock_guard guard(lock_);
  return bytesInUse_;
}

int64_t TKestrelMemoryManager::PeakBytes() const {
  std::lock_guard guard(lock_);
  return peakBytes_;
}

int64_t TKestrelMemoryManager::BlockCount() const {
  std::lock_guard guard(lock_);
  return static_cast<int64_t>(live_.size());
}

int64_t TKestrelMemoryManager::Limit() const {
  std::lock_guard guard(lock_);
  return limit_;
}

void TKestrelMemoryManager::SetLimit(int64_t bytes) {
  std::lock_guard guard(lock_);
  limit_ = std::max<int64_t>(0, bytes);
}

int64_t TKestrelMemoryManager::AvailableMemory() const {
  const int64_t free = FreePhysicalMemory();
  std::lock_guard guard(lock_);
  return limit_ > 0 ? std::min(free, limit_) : free;
}

}  // namespace kestrel
