// The heap the process holds: every allocation, ours, the standard
// library's, zlib's, libpng's and libjpeg's. The measure of the fuzz
// targets' amplification check and of the regression tests of what it
// finds (gbtest::HeapPeak). Builds with AddressSanitizer count through its
// allocator's hooks; other builds count where the program links
// malloc_counter.cpp, its own malloc and free over glibc's (the foundation
// suite does). Elsewhere there is nothing to count with.
//
// The count starts when the hooks are installed (with malloc_counter.cpp,
// at the program's first allocation): a block allocated before and freed
// after makes it smaller, which differences of it do not mind.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gbheap {

// Installs the hooks once; false where there are none to install.
[[nodiscard]] bool InstallHooks();

// Starts a new peak at what is held now, and returns that.
int64_t BeginPeak();
// The most held at once since the last BeginPeak.
int64_t GetPeak();

// While set, the allocation that makes what is held pass `ceiling` calls
// `passed` (inside the allocation, once: the ceiling is lifted first).
void SetCeiling(int64_t ceiling, void (*passed)(int64_t held));
void ClearCeiling();

// What a malloc of the program's own (malloc_counter.cpp) reports: a block
// handed out, one taken back, and a request the allocator refused (it
// raises the peak as if it had been granted, and holds nothing).
void CountTaken(size_t bytes);
void CountGivenBack(size_t bytes);
void CountRefused(size_t bytes);

}  // namespace gbheap
