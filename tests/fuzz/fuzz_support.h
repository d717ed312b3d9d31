// What every fuzz target shares: a private sandbox for the process, the
// seeds a target makes with our own writers, and the checks that turn a
// broken promise into a finding.
//
// Before the first input the process gets a sandbox of its own: HOME,
// TMPDIR, the XDG folders, the other folder domains and the application
// bundle all lie in "<sandbox>/root/", and "<sandbox>/root/work/" is the
// targets' own. Whatever a reader unpacks, installs or writes must stay in
// there; CheckSandbox makes a finding of anything written beside those
// folders. (The current folder stays as it is: libFuzzer finds the inputs
// named on its command line from there.)
//
// Seeds: a target registers a function that makes its seed inputs with our
// own writers (FUZZ_SEEDS below). Run with GLIMMERBOX_FUZZ_SEEDS=<folder>,
// the target writes them into that folder and exits instead of fuzzing;
// scripts/fuzz does this for every target before running it.
//
// The support owns LLVMFuzzerTestOneInput: a target defines
// gbfuzz::TestOneInput instead (a target that defined the libFuzzer entry
// itself would not link), and every input runs under the amplification
// check. The check counts the heap the process holds (every allocation of
// the sanitizer's allocator: ours, the standard library's, zlib's,
// libpng's, libjpeg's); while one input is handled, what is held beyond
// what was held when the input began may not exceed
// AmplificationLimit(expanded size): 64 times the input's expanded size
// plus 16 MiB. The allocation that crosses the limit is a finding
// ("amplification: peak N bytes for an input of M expanded bytes"), and the
// stack libFuzzer prints is that allocation's. The expanded size is the
// input's size, unless the target expands its input first (a "CWS" movie)
// and states the expanded size with SetExpandedSize before it expands it.
// With GLIMMERBOX_FUZZ_PEAKS=1 the check fails nothing and prints each
// input's peak instead ("gbfuzz: peak N bytes for an input of M expanded
// bytes (limit L)"), to see how far an input goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gbfuzz {

// The root of the process's sandbox (host path, ends in "/").
const std::string& SandboxRoot();
// A folder of the sandbox (made when missing); ends in "/".
std::string SandboxFolder(const std::string& name);
// Empties the sandbox's folders and makes them afresh, for targets that
// write files, so that each input meets the same empty folders.
void ResetSandbox();
// A finding when anything was written beside the sandbox's folders (a file
// that left the folder it was meant for).
void CheckSandbox();

// The target's handling of one input (each target defines it); its result
// goes back to libFuzzer.
int TestOneInput(const uint8_t* data, size_t size);

// The heap an input may hold beyond what was held when it began.
constexpr size_t kAmplificationFactor = 64;
constexpr size_t kAmplificationAllowance = size_t(16) << 20;
constexpr size_t AmplificationLimit(size_t expandedSize) {
  return expandedSize * kAmplificationFactor + kAmplificationAllowance;
}
// States the size the current input expands to, before the target expands
// it; the larger of it and the input's size is the expanded size.
void SetExpandedSize(size_t size);

// Ends the run as a finding: says what broke and aborts, so libFuzzer keeps
// the input that did it.
[[noreturn]] void Fail(const char* what);
// Fail unless the condition holds.
inline void Check(bool condition, const char* what) {
  if (!condition) Fail(what);
}

// Whole host files.
bool WriteHostFile(const std::string& path, const void* data, size_t size);
bool WriteHostFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadHostFile(const std::string& path);
bool FileExists(const std::string& path);

// The shared reference data beside the project ("" when absent; ends in "/").
std::string SharedFolder();

// Collects a target's seeds into the seed folder.
class SeedWriter {
 public:
  explicit SeedWriter(const std::string& folder) : folder_(folder) {}
  void Add(const void* data, size_t size);
  void Add(const std::vector<uint8_t>& bytes) { Add(bytes.data(), bytes.size()); }
  void Add(const std::string& text) { Add(text.data(), text.size()); }
  // A file made by a writer, added as it is.
  void AddFile(const std::string& hostPath);
  // Every file under a folder of reference data, linked (not copied) into
  // the seed folder; nothing when the folder is absent.
  void AddFolder(const std::string& hostFolder);
  int GetCount() const { return count_; }

 private:
  std::string NextName();
  std::string folder_;
  int count_ = 0;
};

typedef void (*SeedFunction)(SeedWriter& seeds);
// Registers the target's seed function (one per target).
struct SeedRegistration {
  explicit SeedRegistration(SeedFunction function);
};

// Registers the largest input the target is given: libFuzzer's -max_len,
// unless its command line names one.
struct MaxLengthRegistration {
  explicit MaxLengthRegistration(size_t bytes);
};

}  // namespace gbfuzz

// In a target's source: FUZZ_SEEDS(MakeSeeds); with
// void MakeSeeds(gbfuzz::SeedWriter& seeds).
#define FUZZ_SEEDS(function) static const gbfuzz::SeedRegistration gbFuzzSeeds(function)
// In a target's source: FUZZ_MAX_LEN(bytes); for the targets whose faults
// show only on inputs larger than libFuzzer's default (4096 bytes, or the
// largest seed).
#define FUZZ_MAX_LEN(bytes) static const gbfuzz::MaxLengthRegistration gbFuzzMaxLength(bytes)
