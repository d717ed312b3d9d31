#include "builders/saver_builder.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/build_folders.h"
#include "builders/data_archive.h"
#include "builders/mac_saver_bundle.h"
#include "foundation/path_name.h"
#include "foundation/xml_writer.h"
#include "platform/controls.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_test_support.h"
#include "ui/dialog_window.h"
#include "ui/static_text.h"

extern char** environ;

namespace {

using savertest::FolderEntries;

TEST(BuildFolders, LayOutTheTemplateTree) {
  CBuildFolders folders;
  for (int i = 0; i < CBuildFolders::kFolderCount; ++i) EXPECT_TRUE(folders.GetFolder(i).IsEmpty());
  folders.SetBaseFolder(CPathName("/app/Resources/ss_data/"));
  const char* expected[] = {"/app/Resources/ss_data/ss/",      "/app/Resources/ss_data/ss/",
                            "/app/Resources/ss_data/ss/",      "/app/Resources/ss_data/ssin/u/",
                            "/app/Resources/ss_data/ssin/w/", "/app/Resources/ss_data/ssin/l/"};
  CBuildFolders copy;
  copy.Assign(folders);
  for (int i = 0; i < CBuildFolders::kFolderCount; ++i) {
    EXPECT_EQ(folders.GetFolder(i).GetString(), expected[i]) << i;
    EXPECT_EQ(copy.GetFolder(i).GetString(), expected[i]) << i;
  }
  EXPECT_TRUE(folders.GetFolder(6).IsEmpty());
  EXPECT_EQ(folders.GetMacEngineFolder(kArchitecturePpc).GetString(), "/app/Resources/ss_data/ss/p/");
  EXPECT_EQ(folders.GetMacEngineFolder(kArchitectureIntel).GetString(), "/app/Resources/ss_data/ss/i/");
  EXPECT_EQ(folders.GetMacEngineFolder(kArchitectureUniversal).GetString(), "/app/Resources/ss_data/ss/u/");
  EXPECT_TRUE(folders.GetMacEngineFolder(3).IsEmpty());
}

class SaverBuild : public savertest::SaverProjectTest {};

TEST_F(SaverBuild, NothingSelectedTouchesNothing) {
  SelectOutputs(false, false);
  EXPECT_TRUE(Build());
  EXPECT_TRUE(FolderEntries(outputFolder).empty());
  EXPECT_TRUE(FolderEntries(workFolder).empty());
  EXPECT_FALSE(builder.Build(nullptr, nullptr));
}

TEST_F(SaverBuild, RefusedOutputNamesStopBeforeAnythingIsDeletedOrWritten) {
  ASSERT_TRUE(savertest::PutFile(MacOutput() + "/old", "old"));
  list.SetWinFileName("bad/name.scr");
  EXPECT_FALSE(Build());
  EXPECT_NE(LastStatus().find("bad/name.scr"), std::string::npos) << LastStatus();
  EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.saver/"});
  EXPECT_EQ(FolderEntries(MacOutput()), std::vector<std::string>{"old"});
  EXPECT_TRUE(FolderEntries(workFolder).empty());
}

TEST_F(SaverBuild, AKeptOutputCountsAsBuiltAndTheNextStepRuns) {
  ASSERT_TRUE(savertest::PutFile(MacOutput() + "/old", "old"));
  list.SetOverwriteMacUniversal(false);
  ASSERT_TRUE(Build()) << LastStatus();
  EXPECT_EQ(FolderEntries(MacOutput()), std::vector<std::string>{"old"});
  EXPECT_TRUE(gbtest::FileExists(WinOutput()));
  // The final status says which output was kept.
  EXPECT_NE(LastStatus().find("Aquarium.saver"), std::string::npos) << LastStatus();
}

TEST_F(SaverBuild, AFailingInstallerStepEndsTheBuildBeforeTheWindowsOutputs) {
  savertest::Templates withoutInstallers;
  withoutInstallers.installers = false;
  MakeTemplates(withoutInstallers);
  list.SetMacUniversalInstallerFileName("Aquarium Installer.app");
  list.SetOutputMacUniversalInstaller(true);
  EXPECT_FALSE(Build());
  EXPECT_TRUE(gbtest::FileExists(MacOutput() + "/Contents/Info.plist"));
  EXPECT_FALSE(gbtest::FileExists(outputFolder + "Aquarium Installer.app"));
  EXPECT_FALSE(gbtest::FileExists(WinOutput()));
  EXPECT_NE(LastStatus().find("ssin/u/Installer"), std::string::npos) << LastStatus();
}

class SaverBuildStatus : public SaverBuild {
 protected:
  void SetUp() override {
    SaverBuild::SetUp();
    CleanScreen();
    ASSERT_TRUE(window.Create(100, 100, 400, 300, 0, nullptr));
    Rect bounds = {10, 10, 30, 390};
    ASSERT_TRUE(status.Create(&window, FourCC("sSta"), &bounds, ""));
  }
  void TearDown() override { CleanScreen(); }
  static void CleanScreen() {
    plat::FlushEventQueue();
    plat::DisposeAllWindows();
    plat::UiDriver::Get().Reset();
    plat::UiDriver::Get().SetQuiet(true);
  }
  std::string Shown() { return plat::ControlText(status.GetControlRef()); }
  CDialogWindow window;
  CStaticText status;
};

TEST_F(SaverBuildStatus, TheStatusTextFollowsTheBuildAndKeepsItsOutcome) {
  ASSERT_TRUE(Build(&status)) << LastStatus();
  EXPECT_EQ(Shown(), LastStatus());
  EXPECT_EQ(builder.GetStatusLog().size(), 3u);  // the two outputs, then done
  EXPECT_GT(status.GetControlRef()->drawCount, 0);

  unlink(moviePath.c_str());
  EXPECT_FALSE(Build(&status));
  EXPECT_NE(Shown().find(moviePath), std::string::npos) << Shown();
}

// The application's own templates, as the bundle carries them.
class BundledTemplates : public SaverBuild {
 protected:
  void SetUp() override {
    SaverBuild::SetUp();
    CPathName base(nullptr);
    ASSERT_TRUE(base.SetToBundleResource("ss_data"));
    folders.SetBaseFolder(base);
    bundledEngine = base.GetAbsolutePath(0) + "ss/u/fssx";
  }
  std::string bundledEngine;
};

TEST_F(BundledTemplates, AProjectBuildsBothSaversAndLeavesNothingInTheWorkFolder) {
  AddExtra(AddFile("notes.txt", "notes"));
  ASSERT_TRUE(Build()) << LastStatus();
  EXPECT_EQ(FolderEntries(outputFolder), (std::vector<std::string>{"Aquarium.saver/", "Aquarium.scr"}));
  EXPECT_TRUE(FolderEntries(workFolder).empty());

  const std::string resources = MacOutput() + "/Contents/Resources/";
  EXPECT_EQ(FolderEntries(resources),
            (std::vector<std::string>{"English.lproj/", "Flash Player.plugin/", "French.lproj/", "__saver.swf",
                                      "fish.swf", "notes.txt", "ssc0.dat"}));

  // The engine stand-in: every placeholder replaced, its decoys untouched,
  // nothing else changed.
  const std::vector<u8> original = gbtest::ReadFile(bundledEngine);
  const std::vector<u8> patched = gbtest::ReadFile(MacOutput() + "/Contents/MacOS/fssx");
  ASSERT_EQ(patched.size(), original.size());
  const std::string name = builder.GetUniqueSaverName();
  const std::string text(patched.begin(), patched.end());
  const std::string before(original.begin(), original.end());
  size_t replaced = 0, unaligned = 0;
  for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    EXPECT_EQ(before.compare(at, 24, kSaverEnginePlaceholder), 0);
    ++replaced;
    unaligned += at % 4 != 0;
  }
  EXPECT_GE(replaced, 3u);
  EXPECT_GE(unaligned, 2u);
  std::string restored = text;
  for (size_t at = restored.find(name); at != std::string::npos; at = restored.find(name, at + 1))
    restored.replace(at, 24, kSaverEnginePlaceholder);
  EXPECT_EQ(restored, before);
  // The decoys are still there: a placeholder after a long run of 'X' among them.
  EXPECT_NE(text.find(std::string(120, 'X') + kSaverEnginePlaceholder), std::string::npos);

  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(WinOutput())));
  ASSERT_TRUE(reader.Load());
  EXPECT_EQ(reader.GetNamedFiles().size(), 3u);
  reader.DeleteUnpackedFiles();
  reader.Close();
}

// Writes the list into a project file and runs gb_build_project on it: its
// exit status, -1 when it did not run or exit.
int RunBuildProject(CSaverDataList& list, const std::string& project) {
  {
    CXmlWriter writer;
    if (!writer.Open(CPathName(project), CXmlWriteOptions(), true)) return -1;
    writer.WriteText("<glimmerbox version_major=\"2\" version_minor=\"6\">\n");
    if (!list.WriteXml(writer)) return -1;
    writer.WriteText("</glimmerbox>\n");
    if (!writer.Close()) return -1;
  }
  // The tool lies in the build tree beside the tests' folder.
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return -1;
  std::string tool(self, size_t(length));
  tool = tool.substr(0, tool.rfind('/')) + "/../tools/gb_build_project";
  if (access(tool.c_str(), X_OK) != 0) {
    ADD_FAILURE() << "no tool at " << tool;
    return -1;
  }
  char* argv[] = {const_cast<char*>(tool.c_str()), const_cast<char*>(project.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, tool.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_F(BundledTemplates, TheToolBuildsAProjectFile) {
  // All four outputs: both savers and both installers.
  list.SetMacUniversalInstallerFileName("Install_Aquarium.app");
  list.SetWinInstallerFileName("Install_Aquarium.exe");
  list.SetOutputMacUniversalInstaller(true);
  list.SetOutputWinInstaller(true);
  EXPECT_EQ(RunBuildProject(list, projectFolder + "Aquarium.gmx"), 0);
  EXPECT_EQ(FolderEntries(outputFolder), (std::vector<std::string>{"Aquarium.saver/", "Aquarium.scr",
                                                                    "Install_Aquarium.app/", "Install_Aquarium.exe"}));
  EXPECT_EQ(FolderEntries(outputFolder + "Install_Aquarium.app/Contents/MacOS"), std::vector<std::string>{"Installer"});
  // The tool's work subfolder is left empty.
  EXPECT_TRUE(FolderEntries(CPathName(CPathName(workFolder).GetParentFolder(true)).GetString() + "_glimmerbox2").empty());
}

// A project whose extra files an output cannot hold is refused by the tool
// before anything is built: names that the systems fold into one, a name
// that Windows cannot hold beside the Windows outputs, a folder holding a
// name that Mac Roman cannot hold.
TEST_F(BundledTemplates, TheToolBuildsNothingOfAProjectWhoseFilesAnOutputCannotHold) {
  struct Case {
    const char* what;
    std::vector<std::string> files;   // host names below the project folder
    std::vector<std::string> extras;  // Mac Roman, below the project folder
    bool windows;                     // the Windows outputs are built too
  };
  const Case cases[] = {
      {"E acute in both cases", {"\xC3\x89.txt", "\xC3\xA9.txt"}, {"\x83.txt", "\x8E.txt"}, true},
      {"a name with a colon", {"a:b.txt"}, {"a:b.txt"}, true},
      {"a folder holding a CJK name", {"Folder/\xE6\x97\xA5.txt"}, {"Folder/"}, false},
  };
  for (const Case& c : cases) {
    SetUp();
    for (const std::string& file : c.files) AddFile(file, file);
    for (const std::string& extra : c.extras) AddExtra(projectFolder + extra);
    list.SetMacUniversalInstallerFileName("Install_Aquarium.app");
    list.SetWinInstallerFileName("Install_Aquarium.exe");
    list.SetOutputMacUniversalInstaller(true);
    SelectOutputs(true, c.windows);
    list.SetOutputWinInstaller(c.windows);
    EXPECT_EQ(RunBuildProject(list, projectFolder + "Aquarium.gmx"), 1) << c.what;
    EXPECT_TRUE(FolderEntries(outputFolder).empty()) << c.what;
  }
}

}  // namespace
