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

}  // namespace gbfuzz

// In a target's source: FUZZ_SEEDS(MakeSeeds); with
// void MakeSeeds(gbfuzz::SeedWriter& seeds).
#define FUZZ_SEEDS(function) static const gbfuzz::SeedRegistration gbFuzzSeeds(function)
