#include "tests/support/test_support.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

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

#include "platform/bundle.h"
#include "platform/roots.h"

namespace gbtest {

std::string& MutableTestRoot() {
  static std::string root;
  return root;
}

const std::string& TestRoot() { return MutableTestRoot(); }

std::string MakeTempFolder(const std::string& name) {
  std::string path = TestRoot() + name;
  std::string partial;
  for (size_t i = 0; i < path.size(); ++i) {
    partial += path[i];
    if (path[i] == '/' || i + 1 == path.size()) mkdir(partial.c_str(), 0755);
  }
  return plat::WithTrailingSlash(path);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool WriteFile(const std::string& path, const std::string& text) {
  return WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadTextFile(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

bool FileExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::string SourceFolder() { return plat::WithTrailingSlash(GB_SOURCE_DIR); }

std::string SharedFolder() {
  const char* overridden = std::getenv("GLIMMERBOX_SHARED");
  std::string folder = overridden && *overridden ? overridden : GB_SHARED_DIR;
  struct stat info;
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::string();
  return plat::WithTrailingSlash(folder);
}

std::string UseTestBundle(const std::string& name, const std::vector<uint8_t>& strings) {
  std::string bundle = MakeTempFolder(name);
  std::string stringsFolder = MakeTempFolder(name + "/Contents/Resources/English.lproj");
  WriteFile(stringsFolder + "Localizable.strings", strings);
  plat::SetApplicationBundle(bundle);
  plat::ReloadBundleStrings();
  return bundle;
}

void UseBuildBundle() {
  plat::SetApplicationBundle("");
  plat::ReloadBundleStrings();
}

void SetEnvironment(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
  plat::ReloadRoots();
}

FullDisk::FullDisk(uint64_t bytes) {
  rlimit limit;
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  savedSoft_ = limit.rlim_cur;
  savedHard_ = limit.rlim_max;
  savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = bytes;
  set_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FullDisk::~FullDisk() {
  if (savedSignal_ == nullptr && !set_) return;
  const rlimit saved{savedSoft_, savedHard_};
  if (set_) setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedSignal_ == SIG_ERR ? SIG_DFL : savedSignal_);
}

namespace {

// Bytes held since the hooks were installed (a block allocated before and
// freed after makes the count smaller, which differences do not mind), and
// the highest count since the last HeapPeak began.
std::atomic<int64_t> gHeld{0};
std::atomic<int64_t> gPeak{0};

#ifdef GB_HEAP_HOOKS
void CountAllocation(const volatile void*, size_t size) {
  const int64_t held = gHeld.fetch_add(int64_t(size), std::memory_order_relaxed) + int64_t(size);
  int64_t peak = gPeak.load(std::memory_order_relaxed);
  while (held > peak && !gPeak.compare_exchange_weak(peak, held, std::memory_order_relaxed)) {
  }
}

void CountRelease(const volatile void* block) {
  if (block && __sanitizer_get_ownership(block))
    gHeld.fetch_sub(int64_t(__sanitizer_get_allocated_size(block)), std::memory_order_relaxed);
}

bool InstallHooks() {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(CountAllocation, CountRelease) != 0;
  return installed;
}
#else
bool InstallHooks() { return false; }
#endif

}  // namespace

HeapPeak::HeapPeak() {
  if (!InstallHooks()) return;
  start_ = gHeld.load(std::memory_order_relaxed);
  gPeak.store(start_, std::memory_order_relaxed);
}

bool HeapPeak::IsAvailable() { return InstallHooks(); }

uint64_t HeapPeak::GetPeak() const {
  if (!InstallHooks()) return 0;
  return uint64_t(gPeak.load(std::memory_order_relaxed) - start_);
}

}  // namespace gbtest
