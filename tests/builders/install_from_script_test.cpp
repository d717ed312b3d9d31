#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/install_items.h"
#include "builders/installer_builder.h"
#include "platform/roots.h"
#include "tests/builders/archive_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::Bytes;
using gbtest::ToBytes;

std::vector<u32> events;
std::vector<std::string> hooked;

void RecordEvent(u32 event, u32 user) { events.push_back(event * 100 + user); }

void RecordItem(const CInstallItem& item, u32 user) {
  EXPECT_EQ(user, 7u);
  if (item.GetKind() == CInstallItem::kFile)
    hooked.push_back(static_cast<const CInstallFile&>(item).GetName());
  else if (item.GetKind() == CInstallItem::kFolder)
    hooked.push_back(static_cast<const CInstallFolder&>(item).GetName() + "/");
  else
    hooked.push_back("item");
}

// An installer bundle whose resources hold the install script and data
// files of a small saver, and a fresh home to install into.
class Installing : public testing::Test {
 protected:
  void SetUp() override {
    static int runs = 0;
    const std::string run = std::to_string(++runs);
    home_ = gbtest::MakeTempFolder("install/" + run + "/home");
    gbtest::SetEnvironment("HOME", home_);
    saver_ = gbtest::MakeTempFolder("install/" + run + "/Aquarium.saver");
    gbtest::MakeTempFolder("install/" + run + "/Aquarium.saver/Contents/Resources");
    ASSERT_TRUE(gbtest::SetFolderFlags(saver_, 0x2000));
    Make("Contents/Info.plist", "<plist/>", FourCC("TEXT"), FourCC("    "), 0);
    Make("Contents/Resources/movie.swf", std::string(20000, 'm'), FourCC("SWFL"), FourCC("SWF2"), 0x0400);
    Make("Icon\r", "", FourCC("icon"), FourCC("MACS"), 0x4000);
    ASSERT_TRUE(gbtest::WriteResourceFork(saver_ + "Icon\r", ToBytes("icon family")));
    bundle_ = gbtest::UseTestBundle("install/" + run + "/Installer.app", {});
    resources_ = bundle_ + "Contents/Resources/";

    CInstallerBuilder builder;
    CInstallItem* item = AddInstallItem(builder, location_, CInstallItem::kCurrentUser);
    AddInstallTree(builder, CPathName(saver_), item);
    ASSERT_TRUE(builder.WriteInstallFiles(CPathName(resources_)));
    events.clear();
    hooked.clear();
  }

  void TearDown() override { SetInstallProgressHook(nullptr, false, 0); }

  void Make(const std::string& name, const std::string& contents, u32 type, u32 creator, u16 flags) {
    ASSERT_TRUE(gbtest::WriteFile(saver_ + name, contents));
    ASSERT_TRUE(gbtest::SetFileInfo(saver_ + name, type, creator, flags));
  }

  std::string Installed() const { return home_ + "Library/Screen Savers/Aquarium.saver/"; }

  // The installed tree equals the source: contents, resource-fork sidecars
  // and Finder information of every file and folder.
  void ExpectInstalledCopy() {
    EXPECT_EQ(gbtest::TreeContents(Installed()), gbtest::TreeContents(saver_));
    for (const char* name : {"Contents/Info.plist", "Contents/Resources/movie.swf", "Icon\r"}) {
      u32 type[2], creator[2];
      u16 flags[2];
      ASSERT_TRUE(gbtest::GetFileInfo(saver_ + name, &type[0], &creator[0], &flags[0]));
      ASSERT_TRUE(gbtest::GetFileInfo(Installed() + name, &type[1], &creator[1], &flags[1])) << name;
      EXPECT_EQ(type[1], type[0]) << name;
      EXPECT_EQ(creator[1], creator[0]) << name;
      EXPECT_EQ(flags[1], flags[0]) << name;
    }
    EXPECT_EQ(gbtest::ReadResourceFork(Installed() + "Icon\r"), ToBytes("icon family"));
    EXPECT_EQ(gbtest::GetFolderFlags(Installed()), 0x2000);
  }

  u32 location_ = CInstallItem::kScreenSaver;
  std::string home_;
  std::string saver_;
  std::string bundle_;
  std::string resources_;
};

TEST_F(Installing, TheSaverLandsInTheUsersScreenSaversFolderAsItWasBuilt) {
  CInstallerBuilder installer;
  installer.SetProgressCallback(RecordEvent, 42);
  SetInstallProgressHook(RecordItem, true, 7);
  ASSERT_TRUE(installer.Install());
  ExpectInstalledCopy();
  EXPECT_EQ(events, (std::vector<u32>{142, 342}));
  std::vector<std::string> order = {"Info.plist", "movie.swf", "Resources/", "Contents/", "Icon\r", "Aquarium.saver/",
                                    "item"};
  EXPECT_EQ(hooked, order);

  // Installed again over an older copy: the old folder goes with what it
  // held, and nothing is left aside.
  ASSERT_TRUE(gbtest::WriteFile(Installed() + "stale.txt", "old"));
  ASSERT_TRUE(gbtest::WriteFile(Installed() + "Contents/Info.plist", "older plist"));
  ASSERT_TRUE(installer.Install());
  ExpectInstalledCopy();
  std::vector<std::pair<std::string, Bytes>> savers = gbtest::TreeContents(home_ + "Library/Screen Savers/");
  EXPECT_EQ(savers.front().first, "Aquarium.saver/");
  EXPECT_EQ(savers.size(), gbtest::TreeContents(saver_).size() + 1);
}

TEST_F(Installing, ALinkInThePlaceOfTheSaverIsReplacedNeverFollowed) {
  const std::string outside = gbtest::MakeTempFolder("install/outside");
  ASSERT_TRUE(gbtest::WriteFile(outside + "precious.txt", "keep me"));
  ASSERT_EQ(mkdir((home_ + "Library").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((home_ + "Library/Screen Savers").c_str(), 0755), 0);
  ASSERT_EQ(symlink(outside.c_str(), (home_ + "Library/Screen Savers/Aquarium.saver").c_str()), 0);

  CInstallerBuilder installer;
  ASSERT_TRUE(installer.Install());
  struct stat info;
  ASSERT_EQ(lstat((home_ + "Library/Screen Savers/Aquarium.saver").c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  ExpectInstalledCopy();
  EXPECT_EQ(gbtest::TreeContents(outside), (std::vector<std::pair<std::string, Bytes>>{{"precious.txt", ToBytes("keep me")}}));
}

// An install that fails part way leaves the saver that was installed as it was.
TEST_F(Installing, DataThatIsMissingOrDamagedFailsAndKeepsWhatWasInstalled) {
  CInstallerBuilder installer;
  ASSERT_TRUE(installer.Install());
  ASSERT_TRUE(gbtest::WriteFile(Installed() + "mine.txt", "user's own"));
  const auto before = gbtest::TreeContents(home_ + "Library/Screen Savers/");

  const Bytes script = gbtest::ReadFile(resources_ + "installer.dat");
  const Bytes movie = gbtest::ReadFile(resources_ + "data2.dat");
  const Bytes icon = gbtest::ReadFile(resources_ + "data3.dat");
  struct Case {
    const char* what;
    std::string file;
    Bytes bytes;
  } cases[] = {
      {"a data file that is missing", "data2.dat", {}},
      {"a data file that does not inflate", "data2.dat", ToBytes("garbage")},
      {"a data file cut short", "data2.dat", Bytes(movie.begin(), movie.begin() + ptrdiff_t(movie.size() / 2))},
      {"a resource-fork file that does not inflate", "data3.dat", ToBytes("garbage")},
  };
  for (const Case& c : cases) {
    if (c.bytes.empty())
      ASSERT_EQ(unlink((resources_ + c.file).c_str()), 0);
    else
      ASSERT_TRUE(gbtest::WriteFile(resources_ + c.file, c.bytes));
    EXPECT_FALSE(installer.Install()) << c.what;
    EXPECT_EQ(gbtest::TreeContents(home_ + "Library/Screen Savers/"), before) << c.what;
    ASSERT_TRUE(gbtest::WriteFile(resources_ + "data2.dat", movie));
    ASSERT_TRUE(gbtest::WriteFile(resources_ + "data3.dat", icon));
  }
  // No script at all.
  ASSERT_EQ(unlink((resources_ + "installer.dat").c_str()), 0);
  EXPECT_FALSE(installer.Install());
  EXPECT_EQ(gbtest::TreeContents(home_ + "Library/Screen Savers/"), before);
  ASSERT_TRUE(gbtest::WriteFile(resources_ + "installer.dat", script));
  EXPECT_TRUE(installer.Install());
}

TEST_F(Installing, ItemsWithoutAFolderToGoToFail) {
  const std::string text = gbtest::ReadTextFile(resources_ + "installer.dat");
  auto scriptWith = [&text](const std::string& from, const std::string& to) {
    std::string changed = text;
    changed.replace(changed.find(from), from.size(), to);
    return changed;
  };
  struct Case {
    const char* what;
    std::string script;
  } cases[] = {
      {"a custom location", scriptWith("location=\"screensaver\"", "location=\"custom\"")},
      {"a startup location", scriptWith("location=\"screensaver\"", "location=\"startup\"")},
      {"the system domain, which has no folders here", scriptWith("domain=\"current_user\"", "domain=\"system\"")},
      {"a name that climbs out", scriptWith("name=\"Aquarium.saver\"", "name=\"../../escaped\"")},
      {"a data file outside the resources", scriptWith("dname=\"data1.dat\"", "dname=\"../Info.plist\"")},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(resources_ + "installer.dat", c.script));
    CInstallerBuilder installer;
    EXPECT_FALSE(installer.Install()) << c.what;
    EXPECT_FALSE(gbtest::FileExists(Installed())) << c.what;
  }
  EXPECT_FALSE(gbtest::FileExists(home_ + "escaped"));

  // A file where the "Screen Savers" folder belongs.
  ASSERT_TRUE(gbtest::WriteFile(resources_ + "installer.dat", text));
  ASSERT_EQ(mkdir((home_ + "Library").c_str(), 0755), 0);
  ASSERT_TRUE(gbtest::WriteFile(home_ + "Library/Screen Savers", "a file"));
  CInstallerBuilder installer;
  EXPECT_FALSE(installer.Install());
  EXPECT_EQ(gbtest::ReadTextFile(home_ + "Library/Screen Savers"), "a file");

  // With its root configured, the local domain has a Library folder too.
  const std::string local = gbtest::MakeTempFolder("install/local-domain");
  gbtest::SetEnvironment("GLIMMERBOX_LOCAL_DOMAIN", local);
  ASSERT_TRUE(gbtest::WriteFile(resources_ + "installer.dat", scriptWith("domain=\"current_user\"", "domain=\"all_users\"")));
  EXPECT_TRUE(installer.Install());
  EXPECT_EQ(gbtest::ReadTextFile(local + "Library/Screen Savers/Aquarium.saver/Contents/Info.plist"), "<plist/>");
}

class InstallingApplications : public Installing {
 protected:
  InstallingApplications() { location_ = CInstallItem::kApplication; }
};

TEST_F(InstallingApplications, GoToTheUsersApplicationsFolder) {
  CInstallerBuilder installer;
  ASSERT_TRUE(installer.Install());
  EXPECT_EQ(gbtest::TreeContents(home_ + "Applications/Aquarium.saver/"), gbtest::TreeContents(saver_));
}

TEST_F(Installing, ItemsThatNeverReplaceKeepWhatIsThere) {
  const std::string target = gbtest::MakeTempFolder("install/never");
  gbtest::MakeTempFolder("install/never/Kept");
  ASSERT_TRUE(gbtest::WriteFile(target + "Kept/old.txt", "old"));
  ASSERT_TRUE(gbtest::WriteFile(target + "Kept/Info.plist", "existing plist"));
  ASSERT_TRUE(gbtest::WriteFile(resources_ + "raw.dat", "raw bytes"));

  CInstallFolder folder;
  folder.SetName("Kept");
  folder.SetReplace(CInstallItem::kNever);
  auto* existing = new CInstallFile();
  existing->SetName("Info.plist");
  existing->SetDataForkFileName("data1.dat");
  existing->SetReplace(CInstallItem::kNever);
  folder.AddChild(existing);
  auto* fresh = new CInstallFile();
  fresh->SetName("new.txt");
  fresh->SetDataForkFileName("raw.dat");
  fresh->SetCompressed(false);  // a data file stored as it is
  folder.AddChild(fresh);
  ASSERT_TRUE(folder.Install(CPathName(target)));
  EXPECT_EQ(gbtest::ReadTextFile(target + "Kept/old.txt"), "old");
  EXPECT_EQ(gbtest::ReadTextFile(target + "Kept/Info.plist"), "existing plist");
  EXPECT_EQ(gbtest::ReadTextFile(target + "Kept/new.txt"), "raw bytes");

  // A file where a folder that never replaces should be: the file stays, the install fails.
  ASSERT_TRUE(gbtest::WriteFile(target + "Blocked", "a file"));
  CInstallFolder blocked;
  blocked.SetName("Blocked");
  blocked.SetReplace(CInstallItem::kNever);
  EXPECT_FALSE(blocked.Install(CPathName(target)));
  EXPECT_EQ(gbtest::ReadTextFile(target + "Blocked"), "a file");
}

}  // namespace
