// Fuzz target of the AppleDouble sidecars ("._name") that hold a file's
// resource fork and, for links, its Finder information: any bytes in a
// sidecar give the forks or a clear error; a resource fork written back
// reads back as written and keeps the sidecar's other entries; and the
// fork-aware copy engine copies the file with the resource fork it reads.
//
// Seeds: sidecars our fork layer writes (a resource fork, Finder
// information, both).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "foundation/resource_file.h"
#include "platform/finder_info.h"
#include "platform/forks.h"
#include "platform/resource_manager.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  const std::vector<u8> fork{'r', 'e', 's', 'o', 'u', 'r', 'c', 'e'};
  u8 info[plat::kFinderInfoSize] = {'T', 'E', 'X', 'T', 't', 't', 'x', 't', 0x40};
  for (int form = 0; form < 3; ++form) {
    const std::string item = folder + "item" + std::to_string(form);
    gbfuzz::WriteHostFile(item, std::string("data"));
    if (form != 1) gbfuzz::Check(plat::WriteForkImage(item, plat::ForkKind::resource, fork) == noErr,
                                 "a sample resource fork cannot be written");
    if (form != 0) gbfuzz::Check(plat::WriteSidecarFinderInfo(item, info) == noErr,
                                 "sample Finder information cannot be written");
    seeds.AddFile(plat::SidecarPath(item));
  }
}

std::vector<u8> ResourceFork(const std::string& path, OSErr* error) {
  std::vector<u8> image;
  *error = plat::ReadForkImage(path, plat::ForkKind::resource, image);
  return image;
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  gbfuzz::ResetSandbox();
  const std::string folder = gbfuzz::SandboxFolder("work");
  const std::string item = folder + "item";
  gbfuzz::WriteHostFile(item, std::string("data"));
  gbfuzz::WriteHostFile(plat::SidecarPath(item), data, size);

  OSErr error = noErr;
  const std::vector<u8> fork = ResourceFork(item, &error);
  u8 info[plat::kFinderInfoSize];
  const bool hasInfo = plat::ReadSidecarFinderInfo(item, info);
  (void)plat::ResourceForkSize(item);
  CResourceFile resources;
  // A resource file that does not open is one of the answers a hostile fork may get.
  (void)resources.Open(CPathName(item));
  resources.Close();
  // Forks that read through the open-fork calls read the same.
  SInt16 refNum = 0;
  if (plat::OpenFork(item, plat::ForkKind::resource, fsRdPerm, &refNum) == noErr) {
    SInt64 length = 0;
    gbfuzz::Check(plat::GetForkSize(refNum, &length) == noErr && error == noErr && u64(length) == fork.size(),
                  "an open resource fork has another size than the fork read whole");
    (void)plat::CloseFork(refNum);  // only read: closing loses nothing
  }
  if (error != noErr) return 0;

  // The fork copied with its file.
  const std::string copies = gbfuzz::SandboxFolder("work/copies");
  CPathName copy(nullptr);
  if (CPathName(item).CopyTo(CPathName(copies), nullptr, true, &copy)) {
    OSErr copied = noErr;
    gbfuzz::Check(ResourceFork(copies + "item", &copied) == fork && copied == noErr,
                  "a copy has another resource fork than its original");
  }

  // A longer fork written back keeps the Finder information beside it.
  std::vector<u8> longer = fork;
  longer.insert(longer.end(), {'m', 'o', 'r', 'e'});
  if (plat::WriteForkImage(item, plat::ForkKind::resource, longer) != noErr) return 0;
  gbfuzz::Check(ResourceFork(item, &error) == longer && error == noErr, "a resource fork written back reads back otherwise");
  u8 kept[plat::kFinderInfoSize];
  gbfuzz::Check(plat::ReadSidecarFinderInfo(item, kept) == hasInfo &&
                    (!hasInfo || std::equal(info, info + sizeof info, kept)),
                "writing the resource fork lost the Finder information beside it");
  gbfuzz::CheckSandbox();
  return 0;
}
