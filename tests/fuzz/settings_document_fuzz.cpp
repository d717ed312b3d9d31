// Fuzz target of the players' settings document ("ssc0.dat", "fp.dat"):
// any bytes are read or refused with a read status, and what is read is
// written, read again and written to the same document (the movie checks
// drawn from one seeded random source each time). The movie "clip.swf"
// lies beside the document, so that its check can be made.
//
// Seeds: settings documents our writer makes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "builders/data_list.h"
#include "builders/saver_data_list.h"
#include "builders/settings_document.h"
#include "tests/fuzz/fuzz_samples.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  CSaverDataList list;
  gbfuzz::FillSampleProject(list, folder);
  SeedSettingsRandom(7);
  gbfuzz::Check(list.WriteSettingsFile(CPathName(folder + "ssc0.dat")), "a settings document cannot be written");
  seeds.AddFile(folder + "ssc0.dat");
  CDataList projector;
  gbfuzz::Check(projector.WriteSettingsFile(CPathName(folder + "fp.dat")), "a settings document cannot be written");
  seeds.AddFile(folder + "fp.dat");
}

// Writes the list's document with the random source seeded afresh.
void WriteDocument(CSaverDataList& list, const std::string& path) {
  SeedSettingsRandom(1);
  gbfuzz::Check(list.WriteSettingsFile(CPathName(path)), "a settings document that was read cannot be written");
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    const std::string work = gbfuzz::SandboxFolder("work");
    gbfuzz::WriteSampleMovie(work + "clip.swf");
    return work;
  }();
  gbfuzz::WriteHostFile(folder + "ssc0.dat", data, size);
  CSaverDataList list;
  if (list.ReadSettingsFile(CPathName(folder + "ssc0.dat"))) {
    WriteDocument(list, folder + "written.dat");
    CSaverDataList again;
    gbfuzz::Check(again.ReadSettingsFile(CPathName(folder + "written.dat")),
                  "a settings document written back cannot be read");
    WriteDocument(again, folder + "rewritten.dat");
    gbfuzz::Check(gbfuzz::ReadHostFile(folder + "written.dat") == gbfuzz::ReadHostFile(folder + "rewritten.dat"),
                  "a settings document written back reads back with other values");
  }
  gbfuzz::CheckSandbox();
  return 0;
}
