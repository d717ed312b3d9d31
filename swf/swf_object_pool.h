// Memory for the movie engine's objects.
//
// A movie is read into one heap object per tag, record and action, and
// scripts hold hundreds of thousands of actions of a few dozen bytes each;
// the general heap spends more time on them than the reading itself. Every
// record, tag and action (CSwfRecord) therefore takes its memory from here:
// objects of up to kLargestPooledObject bytes come from free lists of
// 16-byte size classes, carved from 64 KB blocks, and go back to them when
// deleted, to serve the next object of their size. Blocks are kept for the
// life of the process (the next movie reuses them); larger objects use the
// general heap.
//
// Each thread has free lists of its own, so no lock is taken but to add a
// block. Builds with AddressSanitizer use the general heap for every object,
// so that the sanitizer sees each one.
#pragma once

#include <cstddef>

constexpr std::size_t kLargestPooledObject = 256;

// Memory for an object of `size` bytes, aligned as new aligns it; never null
// (like new, it ends the process when there is no memory).
void* AllocateSwfObject(std::size_t size);
// Takes back what AllocateSwfObject gave for the same size.
void FreeSwfObject(void* object, std::size_t size);

// The blocks taken so far (for tests; 0 when the pool is bypassed).
std::size_t CountSwfObjectBlocks();

// The bytes this thread has taken from AllocateSwfObject so far, freed or
// not: it only grows. The movie reader bounds what a movie's bytes may make
// with it (swf_reader.h).
namespace swf_pool_detail {
extern thread_local constinit std::size_t tBytesTaken;
}
inline std::size_t CountSwfObjectBytesTaken() { return swf_pool_detail::tBytesTaken; }

// A limit on this thread's taking: once the count of bytes taken passes
// `threshold`, the allocation that passes it sets *exceeded (the objects
// are still given). One limit at a time; setting one returns the limit it
// replaces, for the caller to put back.
struct CSwfObjectLimit {
  std::size_t threshold = ~std::size_t(0);
  bool* exceeded = nullptr;
};
CSwfObjectLimit SetSwfObjectLimit(const CSwfObjectLimit& limit);

// A standard allocator over the same pool, for the small arrays that the
// engine's objects hold (the values of a Push).
template <typename T>
struct CSwfPoolAllocator {
  using value_type = T;

  CSwfPoolAllocator() = default;
  template <typename U>
  CSwfPoolAllocator(const CSwfPoolAllocator<U>&) {}

  T* allocate(std::size_t count) { return static_cast<T*>(AllocateSwfObject(count * sizeof(T))); }
  void deallocate(T* items, std::size_t count) { FreeSwfObject(items, count * sizeof(T)); }

  friend bool operator==(const CSwfPoolAllocator&, const CSwfPoolAllocator&) { return true; }
};
