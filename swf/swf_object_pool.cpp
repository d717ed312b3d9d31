#include "swf/swf_object_pool.h"

#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define GB_SWF_POOL_BYPASSED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GB_SWF_POOL_BYPASSED 1
#endif
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

}  // namespace

#ifdef GB_SWF_POOL_BYPASSED

void* AllocateSwfObject(std::size_t size) {
  // Counted as the pool would count it: by its size class, or its size.
  Take(size > kLargestPooledObject ? size : (size + 15) / 16 * 16);
  return ::operator new(size);
}
void FreeSwfObject(void* object, std::size_t) { ::operator delete(object); }
std::size_t CountSwfObjectBlocks() { return 0; }

#else

namespace {

constexpr std::size_t kGranule = 16;
constexpr std::size_t kClasses = kLargestPooledObject / kGranule;
constexpr std::size_t kBlockSize = std::size_t(64) * 1024;

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

// The free objects of one size class: a stack of their addresses. Taking
// one reads the stack, not the object, so a run of allocations does not
// wait on memory that has left the cache.
struct FreeStack {
  void** items = nullptr;
  std::size_t count = 0;
  std::size_t capacity = 0;

  void Push(void* object) {
    if (count == capacity) Grow();
    items[count++] = object;
  }

  __attribute__((noinline)) void Grow() {
    const std::size_t grown = capacity ? capacity * 2 : 256;
    void** larger = static_cast<void**>(::operator new(grown * sizeof(void*)));
    for (std::size_t i = 0; i < count; ++i) larger[i] = items[i];
    ::operator delete(items);
    items = larger;
    capacity = grown;
  }
};

// Trivially destroyed, so that objects deleted late in the process's exit
// still find it; what a thread that ends leaves in it stays unused.
struct ThreadCache {
  FreeStack free[kClasses];
  char* next = nullptr;  // the unused end of the newest block
  std::size_t left = 0;
};

thread_local ThreadCache cache;

std::size_t ClassOf(std::size_t size) { return size == 0 ? 0 : (size - 1) / kGranule; }

// The slow path, kept out of line so that taking a free object stays short.
__attribute__((noinline)) void* Carve(std::size_t bytes) {
  if (cache.left < bytes) {
    char* block = static_cast<char*>(::operator new(kBlockSize));
    BlockChain& chain = Blocks();
    {
      std::lock_guard<std::mutex> lock(chain.mutex);
      reinterpret_cast<BlockLink*>(block)->next = chain.last;
      chain.last = reinterpret_cast<BlockLink*>(block);
      ++chain.count;
    }
    // What was left of the previous block goes to the free stacks.
    while (cache.left >= kGranule) {
      const std::size_t piece = cache.left >= kLargestPooledObject ? kLargestPooledObject
                                                                   : cache.left / kGranule * kGranule;
      cache.free[ClassOf(piece)].Push(cache.next);
      cache.next += piece;
      cache.left -= piece;
    }
    cache.next = block + kGranule;
    cache.left = kBlockSize - kGranule;
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
  Take((index + 1) * kGranule);
  FreeStack& stack = cache.free[index];
  if (stack.count > 0) return stack.items[--stack.count];
  return Carve((index + 1) * kGranule);
}

void FreeSwfObject(void* object, std::size_t size) {
  if (!object) return;
  if (size > kLargestPooledObject) {
    ::operator delete(object);
    return;
  }
  cache.free[ClassOf(size)].Push(object);
}

std::size_t CountSwfObjectBlocks() {
  BlockChain& chain = Blocks();
  std::lock_guard<std::mutex> lock(chain.mutex);
  return chain.count;
}

#endif

CSwfObjectLimit SetSwfObjectLimit(const CSwfObjectLimit& limit) {
  const CSwfObjectLimit replaced = tLimit;
  tLimit = limit.exceeded ? limit : CSwfObjectLimit();
  return replaced;
}
