// Fuzz target of installing from an install script, into the sandbox's
// home and domain folders only: whatever the script and its data files
// say, the install succeeds or fails without a crash or a hang, and writes
// nothing outside the folders it installs into.
//
// An input is the script, then its data files "data1.dat", "data2.dat"...,
// each behind a separator of four zero bytes; they are put among the
// resources of the sandbox's bundle, where an installer finds them.
//
// Seeds: scripts and data files our installer builder writes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "builders/install_items.h"
#include "builders/installer_builder.h"
#include "platform/finder_info.h"
#include "tests/fuzz/fuzz_samples.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr std::string_view kSeparator("\0\0\0\0", 4);

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  gbfuzz::SandboxFolder("seeds/Aquarium.saver/Contents/Resources");
  gbfuzz::WriteSampleMovie(folder + "Aquarium.saver/Contents/Resources/movie.swf");
  gbfuzz::WriteHostFile(folder + "Aquarium.saver/Contents/Info.plist", std::string("<plist/>"));
  gbfuzz::WriteHostFile(folder + "Aquarium.saver/Icon\r", std::string(""));
  gbfuzz::WriteHostFile(folder + "ReadMe.txt", std::string("Read me"));
  gbfuzz::WriteHostFile(folder + "Tool", std::string(70000, 't'));
  plat::FinderInfoBytes info;
  info.SetFileType(FourCC("APPL"));
  info.SetFileCreator(FourCC("Tool"));
  info.SetFileFlags(0x0400);
  gbfuzz::Check(plat::WriteFinderInfo(folder + "Tool", info) == noErr, "the sample tool's type cannot be written");

  for (int form = 0; form < 2; ++form) {
    ResetInstallDataFileCounter();
    CInstallerBuilder builder;
    CInstallItem* item = AddInstallItem(builder, form ? CInstallItem::kApplication : CInstallItem::kScreenSaver,
                                        CInstallItem::kCurrentUser);
    AddInstallTree(builder, CPathName(folder + (form ? "Tool" : "Aquarium.saver/")), item);
    CInstallItem* desktop = AddInstallItem(builder, CInstallItem::kDesktop, CInstallItem::kCurrentUser);
    AddInstallTree(builder, CPathName(folder + "ReadMe.txt"), desktop);
    const std::string output = gbfuzz::SandboxFolder("seeds/output" + std::to_string(form));
    gbfuzz::Check(builder.WriteInstallFiles(CPathName(output)), "a sample installer cannot be written");
    std::vector<u8> input = gbfuzz::ReadHostFile(output + "installer.dat");
    for (int n = 1;; ++n) {
      const std::string dataFile = output + "data" + std::to_string(n) + ".dat";
      if (!gbfuzz::FileExists(dataFile)) break;
      input.insert(input.end(), kSeparator.begin(), kSeparator.end());
      const std::vector<u8> bytes = gbfuzz::ReadHostFile(dataFile);
      input.insert(input.end(), bytes.begin(), bytes.end());
    }
    seeds.Add(input);
  }
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  gbfuzz::ResetSandbox();
  const std::string resources = gbfuzz::SandboxRoot() + "bundle/Contents/Resources/";
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  for (int n = 0; start <= input.size(); ++n) {
    size_t end = input.find(kSeparator, start);
    if (end == std::string_view::npos) end = input.size();
    const std::string name = n == 0 ? "installer.dat" : "data" + std::to_string(n) + ".dat";
    gbfuzz::WriteHostFile(resources + name, input.data() + start, end - start);
    start = end + kSeparator.size();
  }
  CInstallerBuilder builder;
  // A hostile script may fail to install: what matters is where it writes.
  (void)builder.Install();
  gbfuzz::CheckSandbox();
  return 0;
}
