#include "tests/support/heap_hooks.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <limits>

#if defined(__SANITIZE_ADDRESS__)
#define GB_HEAP_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GB_HEAP_HOOKS 1
#endif
#endif
#ifdef GB_HEAP_HOOKS
// The allocator's interface (gcc ships libasan without its header).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*allocated)(const volatile void*, size_t),
                                              void (*released)(const volatile void*));
int __sanitizer_get_ownership(const volatile void* block);
size_t __sanitizer_get_allocated_size(const volatile void* block);
}
#endif

namespace {

constexpr int64_t kNoCeiling = std::numeric_limits<int64_t>::max();
std::atomic<int64_t> gHeld{0};
std::atomic<int64_t> gPeak{0};
std::atomic<int64_t> gCeiling{kNoCeiling};
std::atomic<void (*)(int64_t)> gPassed{nullptr};
// Whether a malloc of the program's own counts (malloc_counter.cpp).
std::atomic<bool> gMallocCounts{false};

void RaisePeak(int64_t held) {
  int64_t peak = gPeak.load(std::memory_order_relaxed);
  while (held > peak && !gPeak.compare_exchange_weak(peak, held, std::memory_order_relaxed)) {
  }
  if (held > gCeiling.load(std::memory_order_relaxed) && gCeiling.exchange(kNoCeiling) != kNoCeiling) {
    // Another thread that passed it too finds the ceiling lifted.
    if (void (*passed)(int64_t) = gPassed.load()) passed(held);
  }
}

void Take(size_t size) {
  RaisePeak(gHeld.fetch_add(int64_t(size), std::memory_order_relaxed) + int64_t(size));
}

void GiveBack(size_t size) { gHeld.fetch_sub(int64_t(size), std::memory_order_relaxed); }

#ifdef GB_HEAP_HOOKS
void CountAllocation(const volatile void*, size_t size) { Take(size); }

void CountRelease(const volatile void* block) {
  // A block the allocator does not hold (freed twice, say) is the
  // sanitizer's to report.
  if (block && __sanitizer_get_ownership(block)) GiveBack(__sanitizer_get_allocated_size(block));
}
#endif

}  // namespace

namespace gbheap {

bool InstallHooks() {
#ifdef GB_HEAP_HOOKS
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(CountAllocation, CountRelease) != 0;
  return installed;
#else
  return gMallocCounts.load(std::memory_order_relaxed);
#endif
}

int64_t BeginPeak() {
  const int64_t held = gHeld.load(std::memory_order_relaxed);
  gPeak.store(held, std::memory_order_relaxed);
  return held;
}

int64_t GetPeak() { return gPeak.load(std::memory_order_relaxed); }

void SetCeiling(int64_t ceiling, void (*passed)(int64_t held)) {
  gPassed.store(passed);
  gCeiling.store(ceiling, std::memory_order_relaxed);
}

void ClearCeiling() { gCeiling.store(kNoCeiling, std::memory_order_relaxed); }

void CountTaken(size_t bytes) {
  gMallocCounts.store(true, std::memory_order_relaxed);
  Take(bytes);
}

void CountGivenBack(size_t bytes) { GiveBack(bytes); }

void CountRefused(size_t bytes) {
  RaisePeak(gHeld.load(std::memory_order_relaxed) + int64_t(std::min<size_t>(bytes, size_t(kNoCeiling) / 2)));
}

}  // namespace gbheap
