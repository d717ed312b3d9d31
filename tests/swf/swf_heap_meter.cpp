#include "tests/swf/swf_heap_meter.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

namespace {

// Every block carries a header of 16 bytes in front: its size, and whether
// it was taken while a meter ran (so that giving it back counts).
constexpr std::size_t kHeader = 16;
constexpr std::uint64_t kCounted = 0x6d65746572656431ull;

std::atomic<bool> gMetering{false};
std::atomic<std::int64_t> gHeld{0};
std::atomic<std::int64_t> gPeak{0};

void* Take(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) return nullptr;
  auto* header = reinterpret_cast<std::uint64_t*>(block);
  header[0] = size;
  header[1] = 0;
  if (gMetering.load(std::memory_order_relaxed)) {
    header[1] = kCounted;
    const std::int64_t held = gHeld.fetch_add(std::int64_t(size), std::memory_order_relaxed) + std::int64_t(size);
    std::int64_t peak = gPeak.load(std::memory_order_relaxed);
    while (held > peak && !gPeak.compare_exchange_weak(peak, held, std::memory_order_relaxed)) {
    }
  }
  return block + kHeader;
}

void GiveBack(void* object) {
  if (!object) return;
  auto* block = static_cast<unsigned char*>(object) - kHeader;
  const auto* header = reinterpret_cast<const std::uint64_t*>(block);
  if (header[1] == kCounted) gHeld.fetch_sub(std::int64_t(header[0]), std::memory_order_relaxed);
  std::free(block);
}

void* TakeOrEnd(std::size_t size) {
  void* object = Take(size);
  if (!object) std::abort();  // out of memory, as the standard operator new would end it
  return object;
}

}  // namespace

void* operator new(std::size_t size) { return TakeOrEnd(size); }
void* operator new[](std::size_t size) { return TakeOrEnd(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void operator delete(void* object) noexcept { GiveBack(object); }
void operator delete[](void* object) noexcept { GiveBack(object); }
void operator delete(void* object, std::size_t) noexcept { GiveBack(object); }
void operator delete[](void* object, std::size_t) noexcept { GiveBack(object); }
void operator delete(void* object, const std::nothrow_t&) noexcept { GiveBack(object); }
void operator delete[](void* object, const std::nothrow_t&) noexcept { GiveBack(object); }

namespace swftest {

CHeapMeter::CHeapMeter() {
  gHeld.store(0);
  gPeak.store(0);
  gMetering.store(true);
}

CHeapMeter::~CHeapMeter() { gMetering.store(false); }

std::size_t CHeapMeter::GetPeak() const { return std::size_t(std::max<std::int64_t>(gPeak.load(), 0)); }

std::size_t CHeapMeter::GetHeld() const { return std::size_t(std::max<std::int64_t>(gHeld.load(), 0)); }

void RunInFreshProcess(const std::function<std::string()>& work) {
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string failure = work();
        std::fprintf(stderr, "%s\n", failure.c_str());
        std::fflush(stderr);
        std::_Exit(failure.empty() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  GTEST_FLAG_SET(death_test_style, style);
}

}  // namespace swftest
