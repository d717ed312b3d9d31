#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "foundation/path_name.h"
#include "platform/finder_info.h"
#include "platform/gestalt.h"
#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

std::string TemporaryItemsName() { return "TemporaryItems-" + std::to_string(geteuid()); }

// Gives the test a temporary root of its own (the work folder lives in it),
// so that what the test leaves there, or breaks, meets no other test.
// Returns the user's temporary-items folder in it.
std::string UseOwnTemporaryRoot() {
  static int made = 0;
  std::string root = gbtest::MakeTempFolder("work-tmp/" + std::to_string(++made));
  gbtest::SetEnvironment("TMPDIR", root);
  return root + TemporaryItemsName() + "/";
}

TEST(WellKnownFolders, WorkFolderHoldsTheApplicationSubfolder) {
  const std::string items = UseOwnTemporaryRoot();
  EXPECT_FALSE(gbtest::FileExists(items));
  EXPECT_EQ(CPathName::GetWorkFolder().GetString(), items);
  EXPECT_EQ(GetLastPathError(), noErr);
  ASSERT_TRUE(CPathName::CreateWorkFolder("Build"));
  EXPECT_TRUE(gbtest::FileExists(items + "Build"));
  ASSERT_TRUE(CPathName::CreateWorkFolder("Build"));  // already there

  CPathName path(nullptr);
  ASSERT_TRUE(path.SetInWorkFolder("a.swf", true));
  EXPECT_EQ(path.GetString(), items + "Build/a.swf");
  ASSERT_TRUE(path.SetInWorkFolder("a.swf", false));
  EXPECT_EQ(path.GetString(), items + "a.swf");

  // Names that would leave the folder are refused and change nothing.
  for (const char* hostile : {"../escape", "sub/../../escape", "/etc/passwd", ""}) {
    EXPECT_FALSE(path.SetInWorkFolder(hostile, true)) << hostile;
    EXPECT_EQ(path.GetString(), items + "a.swf");
  }
  for (const char* hostile : {"..", ".", "a/b", ""}) EXPECT_FALSE(CPathName::CreateWorkFolder(hostile));
  ASSERT_TRUE(path.SetInWorkFolder("a.swf", true));  // the subfolder name was kept
  EXPECT_EQ(path.GetString(), items + "Build/a.swf");

  // Deleting takes everything, locked items included, and only the subfolder.
  ASSERT_TRUE(gbtest::WriteFile(items + "keep", "k"));
  ASSERT_EQ(mkdir((items + "Build/deep").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((items + "Build/deep/er").c_str(), 0755), 0);
  std::string locked = items + "Build/deep/locked";
  ASSERT_TRUE(gbtest::WriteFile(locked, "x"));
  ASSERT_EQ(plat::SetLocked(locked, true), noErr);
  EXPECT_TRUE(CPathName::DeleteWorkFolder());
  EXPECT_FALSE(gbtest::FileExists(items + "Build"));
  EXPECT_TRUE(gbtest::FileExists(items + "keep"));
  EXPECT_TRUE(CPathName::DeleteWorkFolder());
}

TEST(WellKnownFolders, WorkFolderFailuresAreReported) {
  const std::string items = UseOwnTemporaryRoot();
  // A file where the work subfolder belongs.
  ASSERT_FALSE(CPathName::GetWorkFolder().IsEmpty());
  ASSERT_TRUE(gbtest::WriteFile(items + "Taken", ""));
  EXPECT_FALSE(CPathName::CreateWorkFolder("Taken"));

  // Someone else's folder planted as the temporary-items folder.
  ASSERT_EQ(chown(items.c_str(), geteuid() + 1, getegid()), 0);
  EXPECT_TRUE(CPathName::GetWorkFolder().IsEmpty());
  EXPECT_EQ(GetLastPathError(), permErr);
  EXPECT_FALSE(CPathName::CreateWorkFolder("Build"));
  CPathName path("unchanged");
  EXPECT_FALSE(path.SetInWorkFolder("a.swf", false));
  EXPECT_EQ(path.GetString(), "unchanged");

  // A regular file where a folder is expected on the way.
  std::string file = gbtest::TestRoot() + "plain";
  ASSERT_TRUE(gbtest::WriteFile(file, ""));
  gbtest::SetEnvironment("TMPDIR", file + "/tmp");
  EXPECT_TRUE(CPathName::GetWorkFolder().IsEmpty());
  EXPECT_EQ(GetLastPathError(), dirNFErr);
}

TEST(WellKnownFolders, OlderSystemsWorkInThePreferencesFolder) {
  plat::SetGestaltValue(FourCC("sysv"), 0x0922);
  EXPECT_EQ(CPathName::GetWorkFolder().GetString(), gbtest::TestRoot() + "config/");
  plat::RemoveGestaltValue(FourCC("sysv"));
  EXPECT_EQ(CPathName::GetWorkFolder().GetString(), gbtest::TestRoot() + "config/");
}

TEST(WellKnownFolders, UserFoldersAndNamedItemsInThem) {
  const std::string& root = gbtest::TestRoot();
  EXPECT_EQ(CPathName::GetDesktopFolder().GetString(), root + "home/Desktop/");
  EXPECT_EQ(CPathName::GetDocumentsFolder().GetString(), root + "home/Documents/");
  EXPECT_EQ(CPathName::GetApplicationSupportFolder(2).GetString(), root + "data/");
  EXPECT_EQ(CPathName::GetSpecialFolder(FourCC("pref"), 2).GetString(), root + "config/");
  EXPECT_TRUE(CPathName::GetApplicationSupportFolder(0).IsEmpty());  // no system domain here

  CPathName path(nullptr);
  ASSERT_TRUE(path.SetOnDesktop("Saver.saver"));
  EXPECT_EQ(path.GetString(), root + "home/Desktop/Saver.saver");
  ASSERT_TRUE(path.SetInDocuments("p.gmx"));
  EXPECT_EQ(path.GetString(), root + "home/Documents/p.gmx");
  ASSERT_TRUE(path.SetInApplicationSupport("Glimmerbox/x", 5));
  EXPECT_EQ(path.GetString(), root + "data/Glimmerbox/x");
  ASSERT_TRUE(path.SetInFolder("f", CPathName(root + "home")));
  EXPECT_EQ(path.GetString(), root + "home/f");
  FSRef home;
  ASSERT_EQ(plat::MakeFsRef(root + "home", &home), noErr);
  ASSERT_TRUE(path.SetInFolderRef("g", &home));
  EXPECT_EQ(path.GetString(), root + "home/g");
  EXPECT_FALSE(path.SetInSpecialFolder("x", FourCC("asup"), 1));
  EXPECT_EQ(path.GetString(), root + "home/g");

  CPathName parent(nullptr);
  EXPECT_TRUE(CPathName(root + "home/missing.txt").GetParentPath(parent));
  EXPECT_EQ(parent.GetString(), root + "home/");
  EXPECT_FALSE(CPathName(root + "nowhere/missing.txt").GetParentPath(parent));
}

TEST(WellKnownFolders, BundleAndApplicationFolders) {
  CPathName bundle = CPathName::GetApplicationBundle();
  ASSERT_FALSE(bundle.IsEmpty());
  EXPECT_EQ(CPathName::GetApplicationFolder().GetString(), bundle.GetParentFolder(true));
  EXPECT_EQ(CPathName::GetResourcesFolder().GetString(), bundle.GetString() + "Contents/Resources/");

  CPathName path(nullptr);
  ASSERT_TRUE(path.SetToBundleResource("English.lproj"));
  EXPECT_EQ(path.GetString(), bundle.GetString() + "Contents/Resources/English.lproj/");
  CPathName unchanged("x");
  EXPECT_FALSE(unchanged.SetToBundleResource("no such resource"));
  EXPECT_EQ(unchanged.GetString(), "x");

  ASSERT_TRUE(path.SetNextToApplication("debug.log"));
  EXPECT_EQ(path.GetString(), bundle.GetParentFolder(true) + "debug.log");
  // The application's folder is found again when the bundle is elsewhere.
  gbtest::MakeTempFolder("moved/Other.app/Contents/Resources");
  plat::SetApplicationBundle(gbtest::TestRoot() + "moved/Other.app");
  ASSERT_TRUE(path.SetNextToApplication("debug.log"));
  EXPECT_EQ(path.GetString(), gbtest::TestRoot() + "moved/debug.log");
  plat::SetApplicationBundle("");
  ASSERT_TRUE(path.SetNextToApplication("debug.log"));
  EXPECT_EQ(path.GetString(), bundle.GetParentFolder(true) + "debug.log");
  ASSERT_TRUE(path.SetNextToApplication("debug.log", true));
  char executable[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", executable, sizeof executable - 1), 0);
  std::string program(executable);
  EXPECT_EQ(path.GetString(), program.substr(0, program.rfind('/') + 1) + "debug.log");
}

}  // namespace
