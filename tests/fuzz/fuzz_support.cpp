#include "tests/fuzz/fuzz_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/bundle.h"
#include "platform/roots.h"
#include "tests/support/heap_hooks.h"

namespace gbfuzz {
namespace {

// The folders of the sandbox's root; nothing else may appear beside them.
const char* const kFolders[] = {"home", "tmp", "config", "data", "cache", "work", "bundle",
                                "system", "local", "network", "classic"};

std::string& Outer() {
  static std::string outer;
  return outer;
}

std::string& Root() {
  static std::string root;
  return root;
}

SeedFunction& RegisteredSeeds() {
  static SeedFunction function = nullptr;
  return function;
}

size_t& RegisteredMaxLength() {
  static size_t bytes = 0;
  return bytes;
}

// The amplification check (the heap counted by gbheap). The current input:
// what was held when it began, its expanded size, and whether the check
// only prints its peak.
int64_t gBaseline = 0;
size_t gExpandedSize = 0;
bool gMeasuring = false;
bool gPeaksOnly = false;

// Called inside the allocation that passed the ceiling, which gbheap has
// lifted: Fail's abort then reaches libFuzzer, which prints the
// allocation's stack and keeps the input.
void ReportAmplification(int64_t held) {
  static char message[160];
  std::snprintf(message, sizeof message, "amplification: peak %lld bytes for an input of %zu expanded bytes (limit %zu)",
                static_cast<long long>(held - gBaseline), gExpandedSize, AmplificationLimit(gExpandedSize));
  Fail(message);
}

void SetCeilingFor(size_t expandedSize) {
  if (!gPeaksOnly) gbheap::SetCeiling(gBaseline + int64_t(AmplificationLimit(expandedSize)), ReportAmplification);
}

void InstallAllocationHooks() {
  const char* peaks = std::getenv("GLIMMERBOX_FUZZ_PEAKS");
  gPeaksOnly = peaks && *peaks && std::strcmp(peaks, "0") != 0;
  if (!gbheap::InstallHooks()) {
    std::fprintf(stderr, "gbfuzz: the allocation hooks cannot be installed\n");
    std::exit(1);
  }
}

void BeginInput(size_t size) {
  gBaseline = gbheap::BeginPeak();
  gExpandedSize = size;
  gMeasuring = true;
  SetCeilingFor(size);
}

void EndInput() {
  gbheap::ClearCeiling();
  gMeasuring = false;
  if (gPeaksOnly)
    std::fprintf(stderr, "gbfuzz: peak %lld bytes for an input of %zu expanded bytes (limit %zu)\n",
                 static_cast<long long>(gbheap::GetPeak() - gBaseline), gExpandedSize,
                 AmplificationLimit(gExpandedSize));
}

// libFuzzer's command line with -max_len=<bytes> added, when the target
// registered a length and the line names none.
void AddMaxLength(int* argc, char*** argv) {
  if (!RegisteredMaxLength()) return;
  for (int i = 1; i < *argc; ++i)
    if (std::strncmp((*argv)[i], "-max_len=", 9) == 0) return;
  static std::string flag;
  static std::vector<char*> arguments;
  flag = "-max_len=" + std::to_string(RegisteredMaxLength());
  arguments.assign(*argv, *argv + *argc);
  arguments.insert(arguments.begin() + 1, flag.data());
  arguments.push_back(nullptr);
  *argc += 1;
  *argv = arguments.data();
}

void RemoveTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (!error) return;
  // A folder a reader left without permissions: open everything up, then again.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path, std::filesystem::directory_options::skip_permission_denied, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_symlink()) ::chmod(it->path().c_str(), 0700);
  }
  ::chmod(path.c_str(), 0700);
  std::filesystem::remove_all(path, error);
}

void MakeFolders() {
  for (const char* name : kFolders) ::mkdir((Root() + name).c_str(), 0700);
  ::mkdir((Root() + "bundle/Contents").c_str(), 0700);
  ::mkdir((Root() + "bundle/Contents/Resources").c_str(), 0700);
}

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.insert(name);
    }
    ::closedir(dir);
  }
  return names;
}

void RemoveSandbox() {
  if (!Outer().empty() && !std::getenv("GLIMMERBOX_KEEP_TEST_ROOT")) RemoveTree(Outer());
}

void SetUpSandbox() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/gbfuzz.XXXXXX";
  if (!::mkdtemp(pattern.data())) {
    std::perror("gbfuzz: mkdtemp");
    std::exit(1);
  }
  Outer() = pattern + "/";
  Root() = Outer() + "root/";
  ::mkdir(Root().c_str(), 0700);
  MakeFolders();
  ::setenv("HOME", (Root() + "home").c_str(), 1);
  ::setenv("TMPDIR", (Root() + "tmp").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (Root() + "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (Root() + "data").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (Root() + "cache").c_str(), 1);
  ::setenv("GLIMMERBOX_BUNDLE", (Root() + "bundle").c_str(), 1);
  ::setenv("GLIMMERBOX_SYSTEM_DOMAIN", (Root() + "system").c_str(), 1);
  ::setenv("GLIMMERBOX_LOCAL_DOMAIN", (Root() + "local").c_str(), 1);
  ::setenv("GLIMMERBOX_NETWORK_DOMAIN", (Root() + "network").c_str(), 1);
  ::setenv("GLIMMERBOX_CLASSIC_DOMAIN", (Root() + "classic").c_str(), 1);
  plat::ReloadRoots();
  plat::ReloadBundleStrings();
  std::atexit(RemoveSandbox);
}

}  // namespace

const std::string& SandboxRoot() { return Root(); }

std::string SandboxFolder(const std::string& name) {
  const std::string folder = Root() + name + "/";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return folder;
}

void ResetSandbox() {
  for (const std::string& name : Entries(Root())) RemoveTree(Root() + name);
  MakeFolders();
}

void CheckSandbox() {
  if (Entries(Outer()) != std::set<std::string>{"root"}) Fail("something was written beside the sandbox");
  const std::set<std::string> allowed(std::begin(kFolders), std::end(kFolders));
  for (const std::string& name : Entries(Root()))
    if (!allowed.count(name)) Fail(("something was written outside its folder: " + name).c_str());
}

void SetExpandedSize(size_t size) {
  if (!gMeasuring || size <= gExpandedSize) return;
  gExpandedSize = size;
  SetCeilingFor(size);
}

void Fail(const char* what) {
  std::fprintf(stderr, "\ngbfuzz: %s\n", what);
  std::fflush(stderr);
  std::abort();
}

bool WriteHostFile(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), std::streamsize(size));
  return bool(out.flush());
}

bool WriteHostFile(const std::string& path, const std::string& text) {
  return WriteHostFile(path, text.data(), text.size());
}

std::vector<uint8_t> ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

std::string SharedFolder() {
  struct stat info;
  const std::string folder = GB_SHARED_DIR "/";
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? folder : "";
}

std::string SeedWriter::NextName() {
  char name[32];
  std::snprintf(name, sizeof name, "seed-%04d", ++count_);
  return folder_ + name;
}

void SeedWriter::Add(const void* data, size_t size) {
  if (!WriteHostFile(NextName(), data, size)) Fail("a seed cannot be written");
}

void SeedWriter::AddFile(const std::string& hostPath) {
  const std::vector<uint8_t> bytes = ReadHostFile(hostPath);
  if (bytes.empty()) Fail(("a writer made no seed file: " + hostPath).c_str());
  Add(bytes);
}

void SeedWriter::AddFolder(const std::string& hostFolder) {
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(hostFolder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_regular_file()) continue;
    std::filesystem::create_symlink(it->path(), NextName(), error);
    if (error) Fail("a reference file cannot be linked into the seeds");
  }
}

SeedRegistration::SeedRegistration(SeedFunction function) { RegisteredSeeds() = function; }

MaxLengthRegistration::MaxLengthRegistration(size_t bytes) { RegisteredMaxLength() = bytes; }

}  // namespace gbfuzz

// Runs once before the first input: the allocation hooks, the sandbox,
// then, when asked, the seeds.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  gbfuzz::InstallAllocationHooks();
  gbfuzz::AddMaxLength(argc, argv);
  const char* seedFolder = std::getenv("GLIMMERBOX_FUZZ_SEEDS");
  // Made absolute before the sandbox changes the current folder.
  std::string folder;
  if (seedFolder) folder = std::filesystem::absolute(seedFolder).string() + "/";
  gbfuzz::SetUpSandbox();
  if (!seedFolder) return 0;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  gbfuzz::SeedWriter seeds(folder);
  if (gbfuzz::RegisteredSeeds()) gbfuzz::RegisteredSeeds()(seeds);
  std::printf("gbfuzz: %d seeds in %s\n", seeds.GetCount(), folder.c_str());
  std::exit(0);
}

// Every input, under the amplification check.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gbfuzz::BeginInput(size);
  const int result = gbfuzz::TestOneInput(data, size);
  gbfuzz::EndInput();
  return result;
}
