#pragma once
// Counts the program's heap allocations: the global operator new is
// replaced, so a benchmark reads HeapAllocations() before and after a loop.
// Include it in exactly one source file of a benchmark program.

#include <cstdint>
#include <cstdlib>
#include <new>

inline uint64_t& HeapAllocations() {
  static uint64_t count = 0;
  return count;
}

void* operator new(std::size_t size) {
  ++HeapAllocations();
  if (void* block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
