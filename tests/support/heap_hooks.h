// The heap the process holds, as AddressSanitizer's allocator counts it:
// every allocation, ours, the standard library's, zlib's, libpng's and
// libjpeg's. The measure of the fuzz targets' amplification check and of
// the regression tests of what it finds (gbtest::HeapPeak). Builds without
// AddressSanitizer have no hooks to count with.
//
// The count starts when the hooks are installed: a block allocated before
// and freed after makes it smaller, which differences of it do not mind.
#pragma once

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

}  // namespace gbheap
