#include "platform/catalog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/finder_info.h"
#include "platform/forks.h"
#include "tests/support/test_support.h"

namespace {

FSRef RefOf(const std::string& path) {
  struct stat info;
  FSRef ref;
  if (lstat(path.c_str(), &info) == 0) {
    ref.path = path;
    ref.device = info.st_dev;
    ref.inode = info.st_ino;
  }
  return ref;
}

TEST(Catalog, DescribesFilesFoldersAndLinks) {
  std::string folder = gbtest::MakeTempFolder("catalog");
  std::string file = folder + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, "12345"));
  SInt16 ref = 0;
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::resource, fsWrPerm, &ref), noErr);
  ASSERT_EQ(plat::WriteFork(ref, 3, "abc", nullptr), noErr);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  plat::FinderInfoBytes finder;
  finder.SetFileType(FourCC("TEXT"));
  ASSERT_EQ(plat::WriteFinderInfo(file, finder), noErr);
  ASSERT_EQ(plat::SetLocked(file, true), noErr);
  ASSERT_EQ(symlink(folder.c_str(), (folder + "link").c_str()), 0);

  plat::CatalogInfo info;
  ASSERT_EQ(plat::GetCatalogInfo(file, &info), noErr);
  EXPECT_EQ(info.nodeFlags, kFSNodeLockedMask);
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::resource, fsRdPerm, &ref), noErr);
  ASSERT_EQ(plat::GetCatalogInfo(file, &info), noErr);
  EXPECT_EQ(info.nodeFlags, kFSNodeLockedMask | kFSNodeResOpenMask);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  EXPECT_TRUE(info.isRegularFile);
  EXPECT_EQ(info.dataLogicalSize, 5u);
  EXPECT_EQ(info.resourceLogicalSize, 3u);
  EXPECT_EQ(info.finderInfo.FileType(), FourCC("TEXT"));
  struct stat folderStat;
  ASSERT_EQ(stat(folder.c_str(), &folderStat), 0);
  EXPECT_EQ(info.parentNodeId, UInt32(folderStat.st_ino));
  SInt64 modified = 0;
  plat::UtcDateTimeToUnix(info.contentModDate, &modified, nullptr);
  EXPECT_LE(std::abs(modified - SInt64(time(nullptr))), 60);

  ASSERT_EQ(plat::GetCatalogInfo(folder, &info), noErr);
  EXPECT_EQ(info.nodeFlags, kFSNodeIsDirectoryMask);
  EXPECT_EQ(info.dataLogicalSize, 0u);

  // The link itself: not a folder, even though it points to one.
  ASSERT_EQ(plat::GetCatalogInfo(folder + "link", &info), noErr);
  EXPECT_TRUE(info.isSymbolicLink);
  EXPECT_EQ(info.nodeFlags & kFSNodeIsDirectoryMask, 0);

  ASSERT_EQ(plat::GetCatalogInfo("/", &info), noErr);
  EXPECT_EQ(info.nodeId, plat::kRootFolderNodeId);
  EXPECT_EQ(info.parentNodeId, 0u);

  EXPECT_EQ(plat::GetCatalogInfo(folder + "missing", &info), fnfErr);
  EXPECT_EQ(plat::GetCatalogInfo(file + "/below", &info), dirNFErr);
}

TEST(Catalog, ReferencesToReplacedItemsNoLongerResolve) {
  std::string file = gbtest::MakeTempFolder("catalog_ref") + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, "one"));
  FSRef ref = RefOf(file);
  plat::CatalogInfo info;
  ASSERT_EQ(plat::GetCatalogInfo(ref, &info), noErr);
  ASSERT_TRUE(gbtest::WriteFile(file + ".new", "two"));
  ASSERT_EQ(rename((file + ".new").c_str(), file.c_str()), 0);
  EXPECT_EQ(plat::GetCatalogInfo(ref, &info), fnfErr);
  EXPECT_EQ(plat::GetCatalogInfo(FSRef(), &info), errFSBadFSRef);
}

TEST(Catalog, DatesConvertBetweenTheEpochs) {
  struct Case {
    SInt64 unixSeconds;
    UInt16 high;
    UInt32 low;
  } cases[] = {
      {0, 0, 2082844800u},                    // 1970
      {-2082844800, 0, 0},                    // 1904, the Mac epoch
      {-3000000000LL, 0, 0},                  // before it: clamped
      {2212122496LL, 1, 0},                   // past 32 bits of Mac seconds
  };
  for (const Case& c : cases) {
    UTCDateTime date = plat::UnixToUtcDateTime(c.unixSeconds, 0);
    EXPECT_EQ(date.highSeconds, c.high) << c.unixSeconds;
    EXPECT_EQ(date.lowSeconds, c.low) << c.unixSeconds;
  }
  for (UInt32 nanoseconds : {0u, 1u, 500000000u, 999999999u}) {
    UTCDateTime date = plat::UnixToUtcDateTime(1000, nanoseconds);
    SInt64 seconds = 0;
    UInt32 back = 0;
    plat::UtcDateTimeToUnix(date, &seconds, &back);
    EXPECT_EQ(seconds, 1000);
    EXPECT_EQ(plat::UnixToUtcDateTime(seconds, back).fraction, date.fraction);
    EXPECT_LE(std::abs(SInt64(back) - SInt64(nanoseconds)), 16000);
  }
  EXPECT_DOUBLE_EQ(plat::UnixToAbsoluteTime(978307200.0), 0.0);
  EXPECT_DOUBLE_EQ(plat::UtcDateTimeToAbsoluteTime(plat::UnixToUtcDateTime(978307201, 0)), 1.0);
  UTCDateTime date = plat::AbsoluteTimeToUtcDateTime(0.5);
  EXPECT_DOUBLE_EQ(plat::UtcDateTimeToAbsoluteTime(date), 0.5);
  EXPECT_EQ(plat::AbsoluteTimeToUtcDateTime(-1e300).lowSeconds, 0u);
}

TEST(Catalog, SetsModificationDatesAndLeavesTheCreationDate) {
  std::string file = gbtest::MakeTempFolder("catalog_dates") + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, "x"));
  plat::CatalogInfo before, after;
  ASSERT_EQ(plat::GetCatalogInfo(file, &before), noErr);
  UTCDateTime old = plat::UnixToUtcDateTime(1000000000, 0);  // 2001
  UTCDateTime ancient = plat::UnixToUtcDateTime(0, 0);
  EXPECT_EQ(plat::SetCatalogDates(file, &ancient, &old, nullptr), noErr);
  ASSERT_EQ(plat::GetCatalogInfo(file, &after), noErr);
  EXPECT_EQ(after.contentModDate.lowSeconds, old.lowSeconds);
  EXPECT_EQ(after.accessDate.lowSeconds, before.accessDate.lowSeconds);
  EXPECT_EQ(after.createDate.lowSeconds, before.createDate.lowSeconds);
  EXPECT_EQ(plat::SetCatalogDates(file + "-missing", nullptr, &old, nullptr), fnfErr);
}

}  // namespace
