// Memory for the movie engine's objects.
//
// A movie is read into one heap object per tag, record and action, and
// scripts hold hundreds of thousands of actions of a few dozen bytes each;
// the general heap spends more time on them than the reading itself. Every
// record, tag and action (CSwfRecord) therefore takes its memory from here:
// objects of up to kLargestPooledObject bytes come from free lists of
// 16-byte size classes, carved from 64 KB blocks, and go back to them when
// deleted, to serve the next object of their size. A free object holds the
// link to the next one of its list, so the pool holds its blocks and
// nothing else. Blocks are kept for the life of the process (the next movie
// reuses them); larger objects use the general heap.
//
// Each thread has free lists of its own, so no lock is taken but to add a
// block. Builds with AddressSanitizer use the same pool, with every byte
// that no live object covers (free objects, the unused end of a block, the
// end of a size class beyond its object) poisoned, so that the sanitizer
// reports a use after delete or a write past an object.
#pragma once

#include <cstddef>
#include <utility>

constexpr std::size_t kLargestPooledObject = 256;
constexpr std::size_t kSwfObjectBlockSize = std::size_t(64) * 1024;

// Memory for an object of `size` bytes, aligned as new aligns it; never null
// (like new, it ends the process when there is no memory).
void* AllocateSwfObject(std::size_t size);
// Takes back what AllocateSwfObject gave for the same size.
void FreeSwfObject(void* object, std::size_t size);

// The blocks taken so far, by every thread.
std::size_t CountSwfObjectBlocks();

// The bytes this thread has taken from AllocateSwfObject so far, freed or
// not, and reused or new: it only grows. The movie reader bounds what a
// movie's reading makes with it (swf_reader.h): since every block is carved
// by allocations that this counts, what the pool holds grows by no more
// than this does.
namespace swf_pool_detail {
extern thread_local constinit std::size_t tBytesTaken;
}
inline std::size_t CountSwfObjectBytesTaken() { return swf_pool_detail::tBytesTaken; }

// Counts `bytes` that the engine's objects take from the general heap
// (standard containers sized by what a movie holds) as if taken from the
// pool, so that the same count and limit see them.
void ChargeSwfObjectBytes(std::size_t bytes);
// Whether the present limit (below) has been passed.
[[nodiscard]] bool IsSwfObjectLimitPassed();

// What a buffer of `bytes` holds of the general heap: the allocator's
// header and its 16-byte steps, 32 bytes at the least.
constexpr std::size_t SwfHeapFootprint(std::size_t bytes) {
  return bytes == 0 ? 0 : bytes + 8 <= 32 ? 32 : (bytes + 8 + 15) / 16 * 16;
}

// What a buffer of items of `itemSize` bytes takes more of the general heap
// at `to` items than at `from`.
constexpr std::size_t SwfBufferGrowth(std::size_t itemSize, std::size_t from, std::size_t to) {
  return to > from ? SwfHeapFootprint(to * itemSize) - SwfHeapFootprint(from * itemSize) : 0;
}

// Counts what a standard vector's buffer grew by, from `capacity` items.
template <typename Vector>
void ChargeGrowth(const Vector& items, std::size_t capacity) {
  ChargeSwfObjectBytes(SwfBufferGrowth(sizeof(typename Vector::value_type), capacity, items.capacity()));
}

// Appends to a standard vector that an object fills while it reads itself,
// counting what the vector's buffer grows by (ChargeSwfObjectBytes).
template <typename Vector, typename... Values>
decltype(auto) EmplaceCharged(Vector& items, Values&&... values) {
  const std::size_t capacity = items.capacity();
  decltype(auto) item = items.emplace_back(std::forward<Values>(values)...);
  ChargeGrowth(items, capacity);
  return item;
}

// Reserves room for `count` items of a standard vector, counting what its
// buffer grows by; once the limit is passed nothing more is reserved (the
// reading that asked is given up).
template <typename Vector>
void ReserveCharged(Vector& items, std::size_t count) {
  if (count <= items.capacity()) return;
  ChargeSwfObjectBytes(SwfBufferGrowth(sizeof(typename Vector::value_type), items.capacity(), count));
  if (!IsSwfObjectLimitPassed()) items.reserve(count);
}

// Objects of plain classes that records hold by pointer take their memory
// from the pool too, so that the bound counts them.
struct CSwfPooledObject {
  static void* operator new(std::size_t size) { return AllocateSwfObject(size); }
  static void operator delete(void* object, std::size_t size) { FreeSwfObject(object, size); }
};

// A limit on this thread's taking: once the count of bytes taken passes
// `threshold`, the allocation (or charge) that passes it sets *exceeded
// (the objects are still given). One limit at a time; setting one returns
// the limit it replaces, for the caller to put back.
struct CSwfObjectLimit {
  std::size_t threshold = ~std::size_t(0);
  bool* exceeded = nullptr;
};
CSwfObjectLimit SetSwfObjectLimit(const CSwfObjectLimit& limit);

// A standard allocator over the same pool, for the arrays that the engine's
// objects hold (the values of a Push, the entries of a glyph record).
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
