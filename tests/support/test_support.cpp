#include "tests/support/test_support.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/bundle.h"
#include "platform/roots.h"
#include "tests/support/heap_hooks.h"

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

HeapPeak::HeapPeak() {
  if (gbheap::InstallHooks()) start_ = gbheap::BeginPeak();
}

bool HeapPeak::IsAvailable() { return gbheap::InstallHooks(); }

uint64_t HeapPeak::GetPeak() const {
  if (!gbheap::InstallHooks()) return 0;
  return uint64_t(gbheap::GetPeak() - start_);
}

}  // namespace gbtest
