#include "app/project_file.h"


#include <string>

#include <gtest/gtest.h>

#include "app/app_version.h"
#include "app/undo_stack.h"
#include "builders/saver_data_list.h"
#include "foundation/finder_info.h"
#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"

namespace {

// The list element as the list writes it.
std::string ListElement(CSaverDataList& list, const std::string& folder) {
  const std::string path = folder + "element.xml";
  EXPECT_TRUE(WriteDataListSnapshot(list, apptest::PathOf(path)));
  const std::string text = gbtest::ReadTextFile(path);
  const std::string declaration = "<?xml version=\"1.0\" ?>\n";
  EXPECT_EQ(text.rfind(declaration, 0), 0u);
  // Without the declaration and the writer's closing line feed.
  return text.substr(declaration.size(), text.size() - declaration.size() - 1);
}

void FillList(CSaverDataList& list, const std::string& demo) {
  list.SetName("Aurora");
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(apptest::PathOf(demo + "Demo.swf")));
  list.GetRootItem()->AddMoreFile(apptest::PathOf(demo + "Credits.txt"));
  list.SetOutputFolder(apptest::PathOf(demo + "output/"));
  list.SetOutputMacUniversal(true);
  list.SetOutputWinInstaller(true);
  list.SetInstallerReadMe(apptest::PathOf(demo + "ReadMe.txt"));
  list.SetInstallerHasReadMe(true);
  list.SetExitOnKeyPress(false);
}

TEST(ProjectFile, TheFileIsTheRootElementAroundTheList) {
  const std::string folder = apptest::CopyDemo("project-bytes");
  CSaverDataList list;
  FillList(list, folder);
  const std::string path = folder + "Aurora.gmx";
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(path)), kProjectFileDone);
  const std::string expected = "<?xml version=\"1.0\" ?>\n<glimmerbox version_major=\"2\" version_minor=\"6\">\n" +
                               ListElement(list, folder) + "</glimmerbox>\n\n";
  EXPECT_EQ(gbtest::ReadTextFile(path), expected);
  FSRef ref;
  ASSERT_TRUE(apptest::PathOf(path).GetFsRef(&ref));
  OSType type = 0, creator = 0;
  ASSERT_TRUE(GetFsRefTypeCreator(&ref, &creator, &type));
  EXPECT_EQ(type, FourCC("pGmx"));
  EXPECT_EQ(creator, FourCC("Gmxv"));
}

TEST(ProjectFile, WhatIsWrittenReadsBackTheSame) {
  const std::string folder = apptest::CopyDemo("project-round-trip");
  CSaverDataList list;
  FillList(list, folder);
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "a.gmx")), kProjectFileDone);
  CSaverDataList read;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "a.gmx"), read), kProjectFileDone);
  EXPECT_EQ(read.GetName(), "Aurora");
  EXPECT_EQ(read.GetRootItem()->GetMoreFiles().GetCount(), 1);
  EXPECT_TRUE(read.GetOutputWinInstaller());
  EXPECT_FALSE(read.GetExitOnKeyPress());
  ASSERT_EQ(WriteProjectFile(read, apptest::PathOf(folder + "b.gmx")), kProjectFileDone);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx"), gbtest::ReadTextFile(folder + "b.gmx"));
  // The demo project, with its paths relative to its folder, reads too.
  CSaverDataList demo;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "Demo.gmx"), demo), kProjectFileDone);
  EXPECT_EQ(demo.GetRootItem()->GetSwfFile().GetString(), folder + "Demo.swf");
  EXPECT_EQ(demo.GetOutputFolder().GetString(), folder + "output/");
  EXPECT_TRUE(demo.GetOutputMacUniversal() && demo.GetOutputMacUniversalInstaller() && demo.GetOutputWin() &&
              demo.GetOutputWinInstaller());
}

// A project whose movie path Mac Roman cannot hold opens without its movie,
// as with a movie that is missing, even beside a movie its '?' would name;
// saved, it opens again with the values it was saved with.
TEST(ProjectFile, AMoviePathMacRomanCannotHoldOpensAsAMissingMovie) {
  const std::string folder = apptest::CopyDemo("project-unheld-movie");
  ASSERT_TRUE(gbtest::WriteFile(folder + "??.swf", gbtest::ReadFile(folder + "Demo.swf")));
  std::string text = gbtest::ReadTextFile(folder + "Demo.gmx");
  const size_t movie = text.find("Demo.swf");
  ASSERT_NE(movie, std::string::npos);
  text.replace(movie, 4, "\xE6\x97\xA5\xE6\x9C\xAC");  // two CJK characters, UTF-8
  ASSERT_TRUE(gbtest::WriteFile(folder + "Unheld.gmx", text));
  CSaverDataList read;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "Unheld.gmx"), read), kProjectFileDone);
  EXPECT_TRUE(read.GetRootItem()->GetSwfFile().IsEmpty());
  ASSERT_EQ(WriteProjectFile(read, apptest::PathOf(folder + "a.gmx")), kProjectFileDone);
  CSaverDataList again;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "a.gmx"), again), kProjectFileDone);
  EXPECT_TRUE(again.GetRootItem()->GetSwfFile().IsEmpty()) << "the saved project opens the movie '?' names";
  ASSERT_EQ(WriteProjectFile(again, apptest::PathOf(folder + "b.gmx")), kProjectFileDone);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx"), gbtest::ReadTextFile(folder + "b.gmx"));
}

TEST(ProjectFile, FilesThatAreNoProjectAreRefused) {
  const std::string folder = gbtest::MakeTempFolder("project-refused");
  const std::string list = "<flash_saver_datalist screen_saver_name=\"Read\" >\n</flash_saver_datalist>\n";
  std::string deep = "<glimmerbox><flash_saver_datalist><flash_projector>";
  for (int i = 0; i < 40; ++i) deep += "<sub_data><flash_projector>";
  for (int i = 0; i < 40; ++i) deep += "</flash_projector></sub_data>";
  deep += "</flash_projector></flash_saver_datalist></glimmerbox>";
  const struct {
    const char* what;
    std::string text;
    int result;
  } cases[] = {
      {"not XML", "this is not a project", kProjectFileCannotOpen},
      {"cut short", "<?xml version=\"1.0\" ?>\n<glimmerbox><flash_saver_datalist", kProjectFileCannotOpen},
      {"another root", "<?xml version=\"1.0\" ?>\n<windows>" + list + "</windows>", kProjectFileNotAProject},
      {"the list alone", "<?xml version=\"1.0\" ?>\n" + list, kProjectFileNotAProject},
      {"no list", "<?xml version=\"1.0\" ?>\n<glimmerbox version_major=\"2\" version_minor=\"6\">\n</glimmerbox>",
       kProjectFileNotAProject},
      {"nested too deeply", deep, kProjectFileNotAProject},
      {"a later version", "<glimmerbox version_major=\"9\" version_minor=\"1\">" + list + "</glimmerbox>",
       kProjectFileDone},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "p.gmx", c.text));
    CSaverDataList read;
    read.SetName("Before");
    EXPECT_EQ(ReadProjectFile(apptest::PathOf(folder + "p.gmx"), read), c.result) << c.what;
    if (c.result == kProjectFileDone) {
      EXPECT_EQ(read.GetName(), "Read") << c.what;
    }
  }
  CSaverDataList read;
  EXPECT_EQ(ReadProjectFile(apptest::PathOf(folder + "missing.gmx"), read), kProjectFileCannotOpen);
  // Of two lists the last wins.
  ASSERT_TRUE(gbtest::WriteFile(folder + "two.gmx",
                                "<glimmerbox><flash_saver_datalist screen_saver_name=\"One\" />"
                                "<flash_saver_datalist screen_saver_name=\"Two\" /></glimmerbox>"));
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "two.gmx"), read), kProjectFileDone);
  EXPECT_EQ(read.GetName(), "Two");
}

TEST(ProjectFile, AFailedSaveLeavesTheFileThatWasThere) {
  const std::string folder = gbtest::MakeTempFolder("project-failed-save");
  const std::string path = folder + "Kept.gmx";
  ASSERT_TRUE(gbtest::WriteFile(path, "the project as it was"));
  CSaverDataList list;
  // Writes beyond 64 bytes fail, as on a full disk.
  int result = 0;
  {
    gbtest::FullDisk full(64);
    ASSERT_TRUE(full.IsSet());
    result = WriteProjectFile(list, apptest::PathOf(path));
  }
  EXPECT_EQ(result, kProjectFileWriteFailed);
  EXPECT_EQ(gbtest::ReadTextFile(path), "the project as it was");
  EXPECT_FALSE(gbtest::FileExists(folder + "Kept__.gmx"));

  // No file can be made: a folder of the name, or no folder to hold it.
  gbtest::MakeTempFolder("project-failed-save/Folder.gmx");
  EXPECT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "Folder.gmx")), kProjectFileCannotCreate);
  EXPECT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "missing/New.gmx")), kProjectFileCannotCreate);
  // A save that succeeds replaces the file whole.
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(path)), kProjectFileDone);
  EXPECT_EQ(gbtest::ReadTextFile(path).rfind("<?xml", 0), 0u);
  EXPECT_FALSE(gbtest::FileExists(folder + "Kept__.gmx"));
}

}  // namespace
