#include "platform/finder_info.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"

namespace {

TEST(FinderInfo, RoundTripsThroughTheAttributeInMacLayout) {
  std::string folder = gbtest::MakeTempFolder("finder");
  std::string file = folder + "movie.swf";
  ASSERT_TRUE(gbtest::WriteFile(file, "data"));

  plat::FinderInfoBytes info;
  ASSERT_EQ(plat::ReadFinderInfo(file, &info), noErr);
  for (UInt8 byte : info.bytes) EXPECT_EQ(byte, 0);  // no attribute yet

  info.SetFileType(FourCC("SWFL"));
  info.SetFileCreator(FourCC("SWF2"));
  info.SetFileFlags(plat::kIsInvisibleFlag | plat::kHasBundleFlag);
  info.SetWord(plat::kFileLocationOffset, 0x0102);
  info.bytes[31] = 0x7F;
  ASSERT_EQ(plat::WriteFinderInfo(file, info), noErr);

  UInt8 raw[40] = {};
  ASSERT_EQ(getxattr(file.c_str(), plat::kFinderInfoAttribute, raw, sizeof raw), 32);
  const UInt8 head[] = {'S', 'W', 'F', 'L', 'S', 'W', 'F', '2', 0x60, 0x00, 0x01, 0x02};
  EXPECT_EQ(std::vector<UInt8>(raw, raw + 12), std::vector<UInt8>(head, head + 12));

  plat::FinderInfoBytes back;
  ASSERT_EQ(plat::ReadFinderInfo(file, &back), noErr);
  EXPECT_EQ(back.FileType(), FourCC("SWFL"));
  EXPECT_EQ(back.FileCreator(), FourCC("SWF2"));
  EXPECT_EQ(back.FileFlags(), plat::kIsInvisibleFlag | plat::kHasBundleFlag);
  EXPECT_EQ(back.bytes[31], 0x7F);
  EXPECT_EQ(gbtest::ReadTextFile(file), "data");

  // A short attribute written by someone else reads as far as it goes.
  const UInt8 shortInfo[] = {'T', 'E', 'X', 'T'};
  ASSERT_EQ(setxattr(file.c_str(), plat::kFinderInfoAttribute, shortInfo, 4, 0), 0);
  ASSERT_EQ(plat::ReadFinderInfo(file, &back), noErr);
  EXPECT_EQ(back.FileType(), FourCC("TEXT"));
  EXPECT_EQ(back.FileCreator(), 0u);
}

TEST(FinderInfo, FailuresAreReportedAndLeaveItemsUsable) {
  plat::FinderInfoBytes info;
  std::string folder = gbtest::MakeTempFolder("finder_fail");
  EXPECT_EQ(plat::ReadFinderInfo(folder + "missing", &info), fnfErr);
  EXPECT_EQ(plat::WriteFinderInfo(folder + "missing", info), fnfErr);

  // Linux keeps no user attributes on symbolic links: a link's information
  // goes to its own sidecar, and the link's target is left alone.
  std::string target = folder + "target";
  ASSERT_TRUE(gbtest::WriteFile(target, "x"));
  ASSERT_EQ(symlink("target", (folder + "link").c_str()), 0);
  info.SetFileType(FourCC("TEXT"));
  EXPECT_EQ(plat::WriteFinderInfo(folder + "link", info), noErr);
  plat::FinderInfoBytes targetInfo;
  ASSERT_EQ(plat::ReadFinderInfo(target, &targetInfo), noErr);
  EXPECT_EQ(targetInfo.FileType(), 0u);
  EXPECT_FALSE(gbtest::FileExists(folder + "._target"));
  EXPECT_NE(plat::SetLocked(folder + "link", true), noErr);

  // A file system without user attributes: reads give zeros, writes fail.
  const std::string procFile = "/proc/self/status";
  if (access(procFile.c_str(), R_OK) != 0) GTEST_SKIP() << "no /proc";
  EXPECT_EQ(plat::ReadFinderInfo(procFile, &info), noErr);
  EXPECT_EQ(info.FileType(), 0u);
  info.SetFileType(FourCC("TEXT"));
  EXPECT_NE(plat::WriteFinderInfo(procFile, info), noErr);
  EXPECT_NE(plat::SetLocked(procFile, true), noErr);
  EXPECT_FALSE(plat::IsLocked(procFile));
}

TEST(FinderInfo, LockFlagIsKeptBesideTheFinderInformation) {
  std::string file = gbtest::MakeTempFolder("lock") + "a";
  ASSERT_TRUE(gbtest::WriteFile(file, "x"));
  EXPECT_FALSE(plat::IsLocked(file));
  EXPECT_EQ(plat::RefuseIfLocked(file), noErr);
  ASSERT_EQ(plat::SetLocked(file, true), noErr);
  EXPECT_TRUE(plat::IsLocked(file));
  EXPECT_EQ(plat::RefuseIfLocked(file), fLckdErr);

  // Finder information and the lock do not disturb each other.
  plat::FinderInfoBytes info;
  info.SetFileType(FourCC("APPL"));
  ASSERT_EQ(plat::WriteFinderInfo(file, info), noErr);
  EXPECT_TRUE(plat::IsLocked(file));
  ASSERT_EQ(plat::SetLocked(file, false), noErr);
  ASSERT_EQ(plat::SetLocked(file, false), noErr);
  EXPECT_FALSE(plat::IsLocked(file));
  ASSERT_EQ(plat::ReadFinderInfo(file, &info), noErr);
  EXPECT_EQ(info.FileType(), FourCC("APPL"));
  EXPECT_EQ(plat::SetLocked(file + "-missing", true), fnfErr);
}

}  // namespace
