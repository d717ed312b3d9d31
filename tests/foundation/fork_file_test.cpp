#include "foundation/fork_file.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/catalog.h"
#include "platform/finder_info.h"
#include "tests/support/test_support.h"

namespace {

std::string ReadAll(CForkFile& file) {
  std::string text(1024, '\0');
  text.resize(file.ReadFork(text.data(), text.size()));
  return text;
}

bool ResourceForkOpen(const std::string& path) {
  plat::CatalogInfo info;
  return plat::GetCatalogInfo(path, &info) == noErr && (info.nodeFlags & kFSNodeResOpenMask);
}

TEST(ForkFile, WritesAndReadsBothForks) {
  std::string path = gbtest::MakeTempFolder("forkfile") + "saver";
  CForkFile file;
  ASSERT_TRUE(file.SetPath(CPathName(path)));
  ASSERT_TRUE(file.Create());
  EXPECT_FALSE(file.Create());
  EXPECT_EQ(file.GetLastStatus(), dupFNErr);

  ASSERT_TRUE(file.OpenDataFork(CForkFile::kReadWrite));
  EXPECT_EQ(file.WriteFork("data fork", 9), 9u);
  ASSERT_TRUE(file.SetForkPosition(-4, CForkFile::kFromEnd));
  EXPECT_EQ(file.GetForkPosition(), 5);
  EXPECT_EQ(ReadAll(file), "fork");
  EXPECT_EQ(file.GetLastStatus(), eofErr);
  ASSERT_TRUE(file.SetForkPosition(0, CForkFile::kFromStart));
  ASSERT_TRUE(file.SetForkPosition(5, 1));  // any other origin counts from the mark
  EXPECT_EQ(file.GetForkPosition(), 5);

  // Opening the other fork closes this one.
  ASSERT_TRUE(file.OpenResourceFork(CForkFile::kWrite));
  EXPECT_EQ(file.WriteFork("resources", 9), 9u);
  EXPECT_EQ(file.GetDataForkSize(), 9);  // the data fork's, not the open one's
  ASSERT_TRUE(file.CloseFork());
  EXPECT_FALSE(file.CloseFork());

  ASSERT_TRUE(file.OpenResourceFork(CForkFile::kRead | CForkFile::kWrite));  // read wins
  EXPECT_EQ(ReadAll(file), "resources");
  EXPECT_EQ(file.WriteFork("x", 1), 0u);
  EXPECT_EQ(file.GetLastStatus(), wrPermErr);
  ASSERT_TRUE(file.CloseFork());
  EXPECT_EQ(gbtest::ReadTextFile(path), "data fork");
  EXPECT_EQ(file.GetDataForkSize(), 9);

  // No permission flag: nothing is opened or touched.
  EXPECT_FALSE(file.OpenDataFork(0));
  EXPECT_FALSE(file.IsForkOpen());
}

TEST(ForkFile, DestructorClosesTheOpenFork) {
  std::string path = gbtest::MakeTempFolder("forkfile_close") + "f";
  ASSERT_TRUE(gbtest::WriteFile(path, "x"));
  {
    CForkFile file;
    file.SetPath(CPathName(path));
    ASSERT_TRUE(file.OpenResourceFork(CForkFile::kReadWrite));
    EXPECT_TRUE(ResourceForkOpen(path));
  }
  EXPECT_FALSE(ResourceForkOpen(path));
}

TEST(ForkFile, FinderInformationRoundTrips) {
  std::string folder = gbtest::MakeTempFolder("forkfile_finder");
  std::string path = folder + "movie.swf";
  ASSERT_TRUE(gbtest::WriteFile(path, "x"));
  CForkFile file;
  file.SetPath(CPathName(path));
  EXPECT_EQ(file.GetFileType(), 0u);

  CFinderFileInfo info;
  info.fieldMask = CFinderFileInfo::kType | CFinderFileInfo::kCreator | CFinderFileInfo::kLocation;
  info.fileType = FourCC("SWFL");
  info.fileCreator = FourCC("SWF2");
  info.location.v = 10;
  info.location.h = -20;
  info.finderFlags = 0x1234;  // not in the mask: not written
  ASSERT_TRUE(file.SetFinderFileInfo(&info));
  ASSERT_TRUE(file.SetHasBundleFlag());
  EXPECT_EQ(file.GetFileType(), FourCC("SWFL"));
  EXPECT_EQ(file.GetFileCreator(), FourCC("SWF2"));
  CFinderFileInfo back;
  ASSERT_TRUE(file.GetFinderFileInfo(&back));
  EXPECT_EQ(back.finderFlags, kFinderHasBundle);
  EXPECT_EQ(back.location.v, 10);
  EXPECT_EQ(back.location.h, -20);
  EXPECT_EQ(back.fieldMask, 0u);  // reading fills the fields, not the mask

  // A folder's window bounds; its reserved word is never written.
  std::string bundle = gbtest::MakeTempFolder("forkfile_finder/Saver.saver");
  plat::FinderInfoBytes raw;
  raw.SetWord(plat::kFolderReservedOffset, 0xBEEF);
  ASSERT_EQ(plat::WriteFinderInfo(bundle, raw), noErr);
  CForkFile folderFile;
  folderFile.SetPath(CPathName(bundle));
  CFinderFolderInfo folderInfo;
  folderInfo.fieldMask = CFinderFolderInfo::kWindowBounds | CFinderFolderInfo::kFinderFlags;
  folderInfo.windowBounds = MakeRect(1, 2, 300, 400);
  folderInfo.finderFlags = kFinderHasBundle;
  folderInfo.reservedField = 7;
  ASSERT_TRUE(folderFile.SetFinderFolderInfo(&folderInfo));
  CFinderFolderInfo folderBack;
  ASSERT_TRUE(folderFile.GetFinderFolderInfo(&folderBack));
  EXPECT_EQ(folderBack.windowBounds.left, 1);
  EXPECT_EQ(folderBack.windowBounds.bottom, 400);
  EXPECT_EQ(folderBack.finderFlags, kFinderHasBundle);
  EXPECT_EQ(folderBack.reservedField, 0xBEEF);

  // A missing item is a failure, never a success with unchanged values.
  CForkFile missing;
  missing.SetPath(CPathName(folder + "missing"));
  CFinderFileInfo untouched;
  untouched.fileType = FourCC("KEEP");
  EXPECT_FALSE(missing.GetFinderFileInfo(&untouched));
  EXPECT_EQ(untouched.fileType, FourCC("KEEP"));
  EXPECT_FALSE(missing.GetFinderFolderInfo(&folderBack));
  EXPECT_FALSE(missing.SetHasBundleFlag());
  EXPECT_EQ(missing.GetLastStatus(), fnfErr);
  EXPECT_FALSE(gbtest::FileExists(folder + "missing"));
}

TEST(ForkFile, LocationFollowsRenameAndMove) {
  std::string folder = gbtest::MakeTempFolder("forkfile_move");
  std::string target = gbtest::MakeTempFolder("forkfile_move/target");
  ASSERT_TRUE(gbtest::WriteFile(folder + "a", "a"));
  CForkFile file;
  file.SetPath(CPathName(folder + "a"));
  ASSERT_TRUE(file.OpenResourceFork(CForkFile::kWrite));
  file.WriteFork("r", 1);
  ASSERT_TRUE(file.CloseFork());

  ASSERT_TRUE(file.Rename("b"));
  EXPECT_TRUE(gbtest::FileExists(folder + "b"));
  FSRef targetRef;
  ASSERT_EQ(plat::MakeFsRef(target, &targetRef), noErr);
  ASSERT_TRUE(file.MoveToFolder(&targetRef));
  EXPECT_EQ(gbtest::ReadTextFile(target + "b"), "a");
  EXPECT_TRUE(gbtest::FileExists(target + "._b"));
  ASSERT_TRUE(file.OpenDataFork(CForkFile::kRead));  // still reachable where it went
  EXPECT_EQ(ReadAll(file), "a");
  ASSERT_TRUE(file.CloseFork());
  EXPECT_FALSE(file.Rename("../escape"));
  EXPECT_EQ(file.GetLastStatus(), bdNamErr);

  CFURLRef back = plat::CreateUrlFromHostPath(folder, true);
  ASSERT_TRUE(file.MoveToFolderUrl(back));
  CFRelease(back);
  EXPECT_TRUE(gbtest::FileExists(folder + "b"));
  ASSERT_TRUE(file.Delete());
  EXPECT_FALSE(gbtest::FileExists(folder + "b"));
  EXPECT_FALSE(gbtest::FileExists(folder + "._b"));
  EXPECT_FALSE(file.Delete());
  EXPECT_EQ(file.GetLastStatus(), fnfErr);
}

TEST(ForkFile, LockedFilesAndFoldersThatAreFiles) {
  std::string folder = gbtest::MakeTempFolder("forkfile_lock");
  std::string path = folder + "f";
  ASSERT_TRUE(gbtest::WriteFile(path, "keep"));
  ASSERT_EQ(plat::SetLocked(path, true), noErr);
  CForkFile file;
  file.SetPath(CPathName(path));
  for (int permission : {int(CForkFile::kWrite), int(CForkFile::kReadWrite)}) {
    EXPECT_FALSE(file.OpenDataFork(permission));
    EXPECT_EQ(file.GetLastStatus(), fLckdErr);
    EXPECT_FALSE(file.OpenResourceFork(permission));
  }
  EXPECT_FALSE(file.Delete());
  EXPECT_EQ(file.GetLastStatus(), fLckdErr);
  EXPECT_FALSE(file.Rename("g"));
  EXPECT_EQ(file.OpenStdioFile("w"), nullptr);
  EXPECT_EQ(gbtest::ReadTextFile(path), "keep");

  CForkFile inside;
  inside.SetPath(CPathName(path + "/inner"));
  EXPECT_FALSE(inside.Create());
  EXPECT_EQ(inside.GetLastStatus(), dirNFErr);
}

TEST(ForkFile, DatesComeFromTheCatalog) {
  std::string path = gbtest::MakeTempFolder("forkfile_dates") + "f";
  ASSERT_TRUE(gbtest::WriteFile(path, ""));
  UTCDateTime old = plat::UnixToUtcDateTime(1104537600, 0);  // 2005-01-01 UTC
  ASSERT_EQ(plat::SetCatalogDates(path, nullptr, &old, nullptr), noErr);
  setenv("TZ", "UTC", 1);
  CForkFile file;
  file.SetPath(CPathName(path));
  CDateTime modified, created;
  ASSERT_TRUE(file.GetModificationDate(modified));
  EXPECT_EQ(modified.GetYear(), 2005);
  EXPECT_EQ(modified.GetMonth(), 1);
  EXPECT_EQ(modified.GetDay(), 1);
  ASSERT_TRUE(file.GetCreationDate(created));
  CDateTime now;
  EXPECT_GE(created.GetYear(), 2005);
  EXPECT_LE(created.GetAbsoluteTime(), now.GetAbsoluteTime() + 5);
}

}  // namespace
