// gb_build_legacy: a first-generation saver project and a projector project
// built from one project file with the bundle's own templates.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/data_archive.h"
#include "builders/data_list.h"
#include "builders/saver_project.h"
#include "foundation/xml_writer.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"

extern char** environ;

namespace {

using gbtest::ArchiveRecord;
using savertest::FolderEntries;

// Runs the tool (beside the test programs in the build tree) on the file,
// with the saver output folder when one is given; its exit status, -1 when
// it did not exit.
int RunTool(const std::string& project, const std::string& saverOutput = std::string()) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return -1;
  std::string tool(self, size_t(length));
  tool = tool.substr(0, tool.rfind('/')) + "/../tools/gb_build_legacy";
  if (access(tool.c_str(), X_OK) != 0) {
    ADD_FAILURE() << "no tool at " << tool;
    return -1;
  }
  char* argv[] = {const_cast<char*>(tool.c_str()), const_cast<char*>(project.c_str()),
                  saverOutput.empty() ? nullptr : const_cast<char*>(saverOutput.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, tool.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(LegacyBuildTool, BuildsTheSaverItsInstallerAndTheProjectorsOfAProjectFile) {
  const std::string folder = gbtest::MakeTempFolder("legacy-tool");
  const std::string output = gbtest::MakeTempFolder("legacy-tool-output");
  const std::string movie = modeltest::WriteMovie(folder + "fish.swf", {.compressed = true});
  ASSERT_TRUE(gbtest::WriteFile(folder + "notes.txt", "notes"));

  CSaverProject saver;
  ASSERT_TRUE(saver.SetMovie(CPathName(movie)));
  saver.AddMoreFile(CPathName(folder + "notes.txt"));
  saver.SetName("Aquarium");
  CDataList projector;
  const std::string list = "<flash_projector_datalist output_folder=\"" + output +
                           "\" output_macintel=\"true\" output_macintel_filename=\"Reef Intel.app\" "
                           "output_macuniversal=\"true\" output_macuniversal_filename=\"Reef.app\" "
                           "output_win=\"true\" output_win_filename=\"Reef.exe\" >\n<flash_projector swf=\"" +
                           movie + "\">\n</flash_projector>\n</flash_projector_datalist>\n";
  ASSERT_TRUE(modeltest::ReadListXml(projector, list, folder));

  const std::string project = folder + "legacy.xml";
  {
    CXmlWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(project), CXmlWriteOptions(), true));
    ASSERT_TRUE(saver.WriteXml(writer));
    ASSERT_TRUE(projector.WriteXml(writer));
    ASSERT_TRUE(writer.Close());
  }
  // The saver's project names no output folder: the tool is given one. A
  // Windows saver that is there already is replaced.
  ASSERT_TRUE(gbtest::WriteFile(output + "Aquarium.scr", "previous"));
  EXPECT_EQ(RunTool(project, output), 0);
  EXPECT_EQ(FolderEntries(output), (std::vector<std::string>{"Aquarium.saver/", "Aquarium.scr", "InstallAquarium.app/",
                                                              "Reef Intel.app/", "Reef.app/", "Reef.exe"}));
  // The Windows saver is an archive of its own: end marker, movie, extra
  // file, blank movie, settings.
  std::vector<ArchiveRecord> records;
  const gbtest::Bytes scr = gbtest::ReadFile(output + "Aquarium.scr");
  ASSERT_TRUE(gbtest::WalkArchive(scr, records));
  std::vector<u32> types;
  for (auto it = records.rbegin(); it != records.rend(); ++it) types.push_back(it->type);
  EXPECT_EQ(types, (std::vector<u32>{0, 5, 5, 5, 1}));
  EXPECT_EQ(records.back().fieldsStart, 0u);
  EXPECT_NE(std::string(scr.begin(), scr.end()).find("<window swf=\"fish.swf\""), std::string::npos);
  EXPECT_EQ(FolderEntries(output + "Aquarium.saver/Contents/Resources"),
            (std::vector<std::string>{"English.lproj/", "Flash Player.plugin/", "notes.txt", "ssaver.swf",
                                      "ssc0.dat"}));
  EXPECT_NE(gbtest::ReadTextFile(output + "Reef Intel.app/Contents/MacOS/DurivUzuzevuvo").find("Intel"),
            std::string::npos);
  EXPECT_EQ(FolderEntries(output + "InstallAquarium.app/Contents/MacOS"), std::vector<std::string>{"Installer"});
  // The tool's work subfolder is left empty.
  CPathName probe(nullptr);
  ASSERT_TRUE(probe.SetInWorkFolder("_glimmerbox2", false));
  EXPECT_TRUE(FolderEntries(probe.GetAbsolutePath(0)).empty());

  // A file without a project, and a project that fails.
  ASSERT_TRUE(gbtest::WriteFile(folder + "empty.xml", "<xml version=\"1.0\">\n</xml>\n"));
  EXPECT_EQ(RunTool(folder + "empty.xml"), 2);
  EXPECT_EQ(RunTool(project, folder + "missing"), 2);
  // A project whose movie is gone fails, and what was built stays.
  const gbtest::Bytes built = gbtest::ReadFile(output + "Aquarium.scr");
  unlink(movie.c_str());
  EXPECT_EQ(RunTool(project, output), 1);
  EXPECT_EQ(gbtest::ReadFile(output + "Aquarium.scr"), built);
  EXPECT_TRUE(FolderEntries(probe.GetAbsolutePath(0)).empty());
}

// A saver whose extra files one of its outputs cannot hold is refused
// before anything is built: the Windows saver, built last, is checked first.
TEST(LegacyBuildTool, BuildsNothingOfASaverWhoseFilesAnOutputCannotHold) {
  struct Case {
    const char* what;
    std::vector<std::string> files;   // host names
    std::vector<std::string> extras;  // Mac Roman
  };
  const Case cases[] = {
      {"E acute in both cases", {"\xC3\x89.txt", "\xC3\xA9.txt"}, {"\x83.txt", "\x8E.txt"}},
      {"a name with a colon", {"a:b.txt"}, {"a:b.txt"}},
      {"a device name", {"aux.txt"}, {"aux.txt"}},
      {"a folder", {"Folder/x.txt"}, {"Folder/"}},
  };
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = gbtest::MakeTempFolder("legacy-names-" + std::to_string(++run));
    const std::string output = gbtest::MakeTempFolder("legacy-names-output-" + std::to_string(run));
    const std::string movie = modeltest::WriteMovie(folder + "fish.swf", {});
    CSaverProject saver;
    ASSERT_TRUE(saver.SetMovie(CPathName(movie)));
    saver.SetName("Aquarium");
    for (const std::string& file : c.files) {
      if (file.find('/') != std::string::npos)
        gbtest::MakeTempFolder("legacy-names-" + std::to_string(run) + "/Folder");
      ASSERT_TRUE(gbtest::WriteFile(folder + file, file));
    }
    for (const std::string& extra : c.extras) saver.AddMoreFile(CPathName(folder + extra));
    const std::string project = folder + "legacy.xml";
    {
      CXmlWriter writer;
      ASSERT_TRUE(writer.Open(CPathName(project), CXmlWriteOptions(), true));
      ASSERT_TRUE(saver.WriteXml(writer));
      ASSERT_TRUE(writer.Close());
    }
    EXPECT_EQ(RunTool(project, output), 1);
    EXPECT_TRUE(FolderEntries(output).empty());
  }
}

}  // namespace
