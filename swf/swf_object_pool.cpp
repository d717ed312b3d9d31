#include "swf/swf_object_pool.h"

#include <cstring>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define GB_SWF_POOL_POISONED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GB_SWF_POOL_POISONED 1
#endif
#endif

#ifdef GB_SWF_POOL_POISONED
// The sanitizer's interface (gcc ships libasan without its header).
extern "C" {
void __asan_poison_memory_region(const volatile void* address, std::size_t size);
void __asan_unpoison_memory_region(const volatile void* address, std::size_t size);
}
#endif

namespace swf_pool_detail {
thread_local constinit std::size_t tBytesTaken = 0;
}  // namespace swf_pool_detail

namespace {

thread_local constinit CSwfObjectLimit tLimit;

// Counts what an object takes and tells the limit when it is passed.
inline void Take(std::size_t bytes) {
  swf_pool_detail::tBytesTaken += bytes;
  if (swf_pool_detail::tBytesTaken > tLimit.threshold) [[unlikely]]
    *tLimit.exceeded = true;
}

// Bytes no live object covers may not be touched (sanitizer builds).
inline void Poison([[maybe_unused]] void* at, [[maybe_unused]] std::size_t bytes) {
#ifdef GB_SWF_POOL_POISONED
  __asan_poison_memory_region(at, bytes);
#endif
}
inline void Unpoison([[maybe_unused]] void* at, [[maybe_unused]] std::size_t bytes) {
#ifdef GB_SWF_POOL_POISONED
  __asan_unpoison_memory_region(at, bytes);
#endif
}

constexpr std::size_t kGranule = 16;
constexpr std::size_t kClasses = kLargestPooledObject / kGranule;

struct BlockLink {
  BlockLink* next;
};

// The blocks of every thread, chained through their first granule, so that
// they stay reachable (and are never counted as leaks).
struct BlockChain {
  std::mutex mutex;
  BlockLink* last = nullptr;
  std::size_t count = 0;
};

BlockChain& Blocks() {
  static BlockChain* chain = new BlockChain;  // never destroyed: threads may outlive statics
  return *chain;
}

// A free object: the link to the next free object of its size class.
struct FreeCell {
  FreeCell* next;
};

// Trivially destroyed, so that objects deleted late in the process's exit
// still find it; what a thread that ends leaves in it stays unused.
struct ThreadCache {
  FreeCell* free[kClasses] = {};
  char* next = nullptr;  // the unused end of the newest block
  std::size_t left = 0;
};

thread_local ThreadCache cache;

std::size_t ClassOf(std::size_t size) { return size == 0 ? 0 : (size - 1) / kGranule; }

// A free cell of `bytes` (a size class's size) joins its list; its link
// is poisoned with the rest of it, and only the pool unpoisons it. In
// sanitizer builds the cell is cleared first, so that what a deleted object
// pointed to is not kept reachable by it (the leak checker reads the
// pool's blocks).
inline void PushFree(void* object, std::size_t bytes) {
  auto* cell = static_cast<FreeCell*>(object);
#ifdef GB_SWF_POOL_POISONED
  Unpoison(cell, bytes);
  std::memset(cell, 0, bytes);
#endif
  cell->next = cache.free[ClassOf(bytes)];
  cache.free[ClassOf(bytes)] = cell;
  Poison(cell, bytes);
}

// The slow path, kept out of line so that taking a free object stays short.
__attribute__((noinline)) void* Carve(std::size_t bytes) {
  if (cache.left < bytes) {
    char* block = static_cast<char*>(::operator new(kSwfObjectBlockSize));
    BlockChain& chain = Blocks();
    {
      std::lock_guard<std::mutex> lock(chain.mutex);
      reinterpret_cast<BlockLink*>(block)->next = chain.last;
      chain.last = reinterpret_cast<BlockLink*>(block);
      ++chain.count;
    }
    // What was left of the previous block goes to the free lists.
    while (cache.left >= kGranule) {
      const std::size_t piece = cache.left >= kLargestPooledObject ? kLargestPooledObject
                                                                   : cache.left / kGranule * kGranule;
      PushFree(cache.next, piece);
      cache.next += piece;
      cache.left -= piece;
    }
    cache.next = block + kGranule;
    cache.left = kSwfObjectBlockSize - kGranule;
    Poison(cache.next, cache.left);
  }
  void* object = cache.next;
  cache.next += bytes;
  cache.left -= bytes;
  return object;
}

}  // namespace

void* AllocateSwfObject(std::size_t size) {
  if (size > kLargestPooledObject) {
    Take(size);
    return ::operator new(size);
  }
  const std::size_t index = ClassOf(size);
  const std::size_t bytes = (index + 1) * kGranule;
  Take(bytes);
  void* object;
  if (FreeCell* cell = cache.free[index]) {
    Unpoison(cell, sizeof(FreeCell));
    cache.free[index] = cell->next;
    Poison(cell, sizeof(FreeCell));
    // The next object of this size is likely asked for soon: its link is
    // on the way while this one is built.
    __builtin_prefetch(cache.free[index]);
    object = cell;
  } else {
    object = Carve(bytes);
  }
  Unpoison(object, size);
  return object;
}

void FreeSwfObject(void* object, std::size_t size) {
  if (!object) return;
  if (size > kLargestPooledObject) {
    ::operator delete(object);
    return;
  }
  PushFree(object, (ClassOf(size) + 1) * kGranule);
}

std::size_t CountSwfObjectBlocks() {
  BlockChain& chain = Blocks();
  std::lock_guard<std::mutex> lock(chain.mutex);
  return chain.count;
}

void ChargeSwfObjectBytes(std::size_t bytes) { Take(bytes); }

bool IsSwfObjectLimitPassed() { return tLimit.exceeded && *tLimit.exceeded; }

CSwfObjectLimit SetSwfObjectLimit(const CSwfObjectLimit& limit) {
  const CSwfObjectLimit replaced = tLimit;
  tLimit = limit.exceeded ? limit : CSwfObjectLimit();
  return replaced;
}
