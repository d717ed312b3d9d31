// The heap meter of a test program built without AddressSanitizer: the
// program's own malloc, free and the rest, which hand every request to
// glibc's allocator and count what it hands out and takes back (its usable
// size) in gbheap. Linked into a suite's program, it sees every allocation
// of the process, ours, the standard library's, zlib's, libpng's and
// libjpeg's, through the allocator users get; gbtest::HeapPeak then
// measures there too. A request the allocator refuses still counts for the
// peak: what was asked for is what a bound is about.
//
// glibc lets a program replace these functions (declared noexcept, as its
// headers declare them): its own calls, too, reach the program's.
#include <malloc.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "tests/support/heap_hooks.h"

#if defined(__SANITIZE_ADDRESS__)
#define GB_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GB_SANITIZER_ALLOCATOR 1
#endif
#endif

// Under AddressSanitizer its allocator counts instead (heap_hooks.cpp).
#ifndef GB_SANITIZER_ALLOCATOR

// glibc's allocator under the names it exports for replacements to call.
// NOLINTBEGIN(bugprone-reserved-identifier): the library's own names
extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* block);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void* __libc_valloc(size_t size);
void* __libc_pvalloc(size_t size);
}
// NOLINTEND(bugprone-reserved-identifier)

namespace {

void* Counted(void* block, size_t asked) {
  if (block)
    gbheap::CountTaken(malloc_usable_size(block));
  else
    gbheap::CountRefused(asked);
  return block;
}

bool ValidAlignment(size_t alignment) {
  return alignment >= sizeof(void*) && (alignment & (alignment - 1)) == 0;
}

}  // namespace

extern "C" {

void* malloc(size_t size) noexcept { return Counted(__libc_malloc(size), size); }

void free(void* block) noexcept {
  if (block) gbheap::CountGivenBack(malloc_usable_size(block));
  __libc_free(block);
}

void* calloc(size_t count, size_t size) noexcept {
  size_t asked = 0;
  if (__builtin_mul_overflow(count, size, &asked)) asked = SIZE_MAX;
  return Counted(__libc_calloc(count, size), asked);
}

void* realloc(void* block, size_t size) noexcept {
  const size_t before = block ? malloc_usable_size(block) : 0;
  void* moved = __libc_realloc(block, size);
  if (moved && moved == block) {
    const size_t after = malloc_usable_size(moved);
    if (after > before) gbheap::CountTaken(after - before);
    if (after < before) gbheap::CountGivenBack(before - after);
  } else if (moved) {
    // Moved: the new block was taken before the old one was given back.
    gbheap::CountTaken(malloc_usable_size(moved));
    if (before) gbheap::CountGivenBack(before);
  } else if (block && size == 0) {
    gbheap::CountGivenBack(before);  // freed
  } else {
    gbheap::CountRefused(size);  // the old block stays
  }
  return moved;
}

void* reallocarray(void* block, size_t count, size_t size) noexcept {
  size_t total = 0;
  if (__builtin_mul_overflow(count, size, &total)) {
    errno = ENOMEM;
    return nullptr;
  }
  return realloc(block, total);
}

void* memalign(size_t alignment, size_t size) noexcept { return Counted(__libc_memalign(alignment, size), size); }

void* aligned_alloc(size_t alignment, size_t size) noexcept { return Counted(__libc_memalign(alignment, size), size); }

int posix_memalign(void** result, size_t alignment, size_t size) noexcept {
  if (!ValidAlignment(alignment)) return EINVAL;
  void* block = Counted(__libc_memalign(alignment, size), size);
  if (!block) return ENOMEM;
  *result = block;
  return 0;
}

void* valloc(size_t size) noexcept { return Counted(__libc_valloc(size), size); }

void* pvalloc(size_t size) noexcept { return Counted(__libc_pvalloc(size), size); }

}  // extern "C"

#endif  // GB_SANITIZER_ALLOCATOR
