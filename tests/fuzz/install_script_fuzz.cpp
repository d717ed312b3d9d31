// Fuzz target of the install script ("installer.dat"): any bytes load as a
// script or are refused with nothing loaded, and a script that loads is
// written, loaded again and written to the same script.
//
// Seeds: scripts our installer builder writes for small trees.
#include <cstddef>
#include <cstdint>
#include <string>

#include "builders/install_items.h"
#include "builders/installer_builder.h"
#include "tests/fuzz/fuzz_samples.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  const std::string saver = gbfuzz::SandboxFolder("seeds/Aquarium.saver/Contents/Resources");
  gbfuzz::WriteSampleMovie(saver + "movie.swf");
  gbfuzz::WriteHostFile(folder + "Aquarium.saver/Contents/Info.plist", std::string("<plist/>"));
  gbfuzz::WriteHostFile(folder + "ReadMe.txt", std::string("Read me"));
  CInstallerBuilder builder;
  builder.GetSettings().steps = CInstallerSettings::kStandardSteps | CInstallerSettings::kReadMeStep;
  builder.GetSettings().min_os_version = 0x1040;
  CInstallItem* savers = AddInstallItem(builder, CInstallItem::kScreenSaver, CInstallItem::kCurrentUser);
  AddInstallTree(builder, CPathName(folder + "Aquarium.saver/"), savers);
  CInstallItem* desktop = AddInstallItem(builder, CInstallItem::kDesktop, CInstallItem::kAllUsers);
  desktop->SetReplace(CInstallItem::kIfNewer);
  AddInstallTree(builder, CPathName(folder + "ReadMe.txt"), desktop);
  const std::string output = gbfuzz::SandboxFolder("seeds/output");
  gbfuzz::Check(builder.WriteInstallFiles(CPathName(output)), "a sample install script cannot be written");
  seeds.AddFile(output + "installer.dat");
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = gbfuzz::SandboxFolder("work");
  gbfuzz::WriteHostFile(folder + "installer.dat", data, size);
  CInstallerBuilder builder;
  if (builder.LoadScriptFile(CPathName(folder + "installer.dat"))) {
    builder.CountItems();
    gbfuzz::Check(builder.WriteScript(CPathName(folder + "written.dat")), "a script that loaded cannot be written");
    CInstallerBuilder again;
    gbfuzz::Check(again.LoadScriptFile(CPathName(folder + "written.dat")), "a script written back does not load");
    gbfuzz::Check(again.WriteScript(CPathName(folder + "rewritten.dat")), "a script cannot be written twice");
    gbfuzz::Check(gbfuzz::ReadHostFile(folder + "written.dat") == gbfuzz::ReadHostFile(folder + "rewritten.dat"),
                  "a script written back loads with other values");
  } else {
    gbfuzz::Check(builder.GetItems().empty(), "a script that is refused leaves items loaded");
  }
  gbfuzz::CheckSandbox();
  return 0;
}
