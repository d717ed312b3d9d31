// Helpers shared by every test suite.
//
// Each test process runs in a fresh temporary root: HOME, TMPDIR and the XDG
// folders point into it (see test_main.cpp), so nothing touches the real
// user's folders. Paths here are host paths (UTF-8).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace gbtest {

// The temporary root of this test process (ends in "/").
const std::string& TestRoot();

// A new empty folder under the test root (ends in "/").
std::string MakeTempFolder(const std::string& name);

// Whole-file helpers; ReadFile gives an empty vector for a missing file.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFile(const std::string& path);
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);

// The project's source folder, and the shared reference data beside it
// ("" when that folder is absent: tests that need it skip).
std::string SourceFolder();
std::string SharedFolder();

// A new application bundle folder under the test root whose
// English.lproj/Localizable.strings holds `strings`; it becomes the main
// bundle (plat::SetApplicationBundle) and its string tables are read afresh.
// Returns the bundle folder (ends in "/").
std::string UseTestBundle(const std::string& name, const std::vector<uint8_t>& strings);

// Switches back to the build tree's bundle.
void UseBuildBundle();

// Sets an environment variable and re-reads the process roots.
void SetEnvironment(const std::string& name, const std::string& value);

// While it lives, files cannot grow beyond `bytes` (a file-size limit, its
// signal ignored): writes past it fail the way they do on a full disk.
class FullDisk {
 public:
  explicit FullDisk(uint64_t bytes);
  ~FullDisk();
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;
  // False when the limit could not be set.
  bool IsSet() const { return set_; }

 private:
  uint64_t savedSoft_ = 0;
  uint64_t savedHard_ = 0;
  void (*savedSignal_)(int) = nullptr;
  bool set_ = false;
};

// The heap held at the peak of a scope above what was held when it began
// (every allocation: ours, the standard library's, zlib's, libpng's,
// libjpeg's), the measure of the fuzz targets' amplification check. Builds
// with AddressSanitizer measure through its allocator (scripts/test
// --sanitize); other builds measure through glibc's in the programs that
// link tests/support/malloc_counter.cpp (the foundation suite). Elsewhere
// IsAvailable is false and a test skips its measurement. One at a time:
// each new one starts the peak afresh.
class HeapPeak {
 public:
  HeapPeak();
  HeapPeak(const HeapPeak&) = delete;
  HeapPeak& operator=(const HeapPeak&) = delete;
  static bool IsAvailable();
  // The peak so far, in bytes above the start (0 where nothing counts).
  uint64_t GetPeak() const;

 private:
  int64_t start_ = 0;
};

// The fastest of a few runs, in seconds: the time a run takes on a machine
// that other work may be slowing.
template <typename Run>
double FastestOfRuns(Run run, int runs = 3) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace gbtest
