// Fuzz target of project files (".gmx"): any bytes open as a project or
// are refused with a clear outcome, and a project that opens saves, opens
// again and saves to the same file. The movie "clip.swf" and the text
// "ReadMe.txt" lie beside the project, so that the paths a project names
// can be found.
//
// Seeds: projects our writer saves, and one written by hand with names and
// paths that Mac Roman cannot hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/project_file.h"
#include "builders/saver_data_list.h"
#include "tests/fuzz/fuzz_samples.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  CSaverDataList list;
  gbfuzz::FillSampleProject(list, folder);
  gbfuzz::Check(WriteProjectFile(list, CPathName(folder + "Sample.gmx")) == kProjectFileDone,
                "a sample project cannot be saved");
  seeds.AddFile(folder + "Sample.gmx");
  CSaverDataList empty;
  gbfuzz::Check(WriteProjectFile(empty, CPathName(folder + "Empty.gmx")) == kProjectFileDone,
                "a new project cannot be saved");
  seeds.AddFile(folder + "Empty.gmx");
  // A project written by hand with names and paths that Mac Roman cannot
  // hold (two of them held alike), and what our writer saves of it.
  const std::string sun = "\xE6\x97\xA5", moon = "\xE6\x9C\x88";
  const std::string unheld =
      "<?xml version=\"1.0\" ?>\n<glimmerbox version_major=\"2\" version_minor=\"6\">\n"
      "<flash_saver_datalist screen_saver_name=\"" + sun + moon + "\" output_folder=\"out" + sun +
      "/\" output_macuniversal=\"true\" output_macuniversal_filename=\"" + sun + ".saver\">\n"
      "<flash_projector swf=\"" + sun + ".swf\" window_title=\"&#x65E5;\">\n<more_files>\n"
      "<path src=\"" + sun + ".txt\" />\n<path src=\"ReadMe.txt\" />\n<path src=\"" + moon + ".txt\" />\n"
      "</more_files>\n<sub_data>\n<flash_projector swf=\"../" + moon + "/clip.swf\">\n<more_files>\n"
      "</more_files>\n</flash_projector>\n</sub_data>\n</flash_projector>\n</flash_saver_datalist>\n</glimmerbox>\n";
  seeds.Add(unheld);
  gbfuzz::Check(gbfuzz::WriteHostFile(folder + "Unheld.gmx", unheld), "a sample project cannot be written");
  CSaverDataList read;
  gbfuzz::Check(ReadProjectFile(CPathName(folder + "Unheld.gmx"), read) == kProjectFileDone,
                "a project with names Mac Roman cannot hold does not open");
  gbfuzz::Check(WriteProjectFile(read, CPathName(folder + "Saved.gmx")) == kProjectFileDone,
                "a project with names Mac Roman cannot hold cannot be saved");
  seeds.AddFile(folder + "Saved.gmx");
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    const std::string work = gbfuzz::SandboxFolder("work");
    CSaverDataList sample;
    gbfuzz::FillSampleProject(sample, work);
    return work;
  }();
  gbfuzz::WriteHostFile(folder + "Project.gmx", data, size);
  CSaverDataList list;
  const int read = ReadProjectFile(CPathName(folder + "Project.gmx"), list);
  gbfuzz::Check(read == kProjectFileDone || read == kProjectFileCannotOpen || read == kProjectFileNotAProject ||
                    read == kProjectFileUnreadEncoding,
                "a project read ends in an outcome nobody is told about");
  if (read == kProjectFileDone) {
    gbfuzz::Check(WriteProjectFile(list, CPathName(folder + "Saved.gmx")) == kProjectFileDone,
                  "a project that opened cannot be saved");
    CSaverDataList again;
    gbfuzz::Check(ReadProjectFile(CPathName(folder + "Saved.gmx"), again) == kProjectFileDone,
                  "a saved project does not open");
    gbfuzz::Check(WriteProjectFile(again, CPathName(folder + "Resaved.gmx")) == kProjectFileDone,
                  "a saved project cannot be saved again");
    gbfuzz::Check(gbfuzz::ReadHostFile(folder + "Saved.gmx") == gbfuzz::ReadHostFile(folder + "Resaved.gmx"),
                  "a saved project opens with other values than it was saved with");
  }
  gbfuzz::CheckSandbox();
  return 0;
}
