#include "platform/folder_domains.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

std::string Find(SInt16 domain, OSType type, bool create, OSErr* result = nullptr) {
  std::string folder;
  OSErr found = plat::FindFolder(domain, type, create, &folder);
  if (result) *result = found;
  return folder;
}

TEST(SpecialFolders, UserFoldersComeFromTheRoots) {
  const std::string& root = gbtest::TestRoot();
  struct Case {
    OSType type;
    std::string expected;
  } cases[] = {
      {kDesktopFolderType, root + "home/Desktop/"},
      {kDocumentsFolderType, root + "home/Documents/"},
      {kApplicationSupportFolderType, root + "data/"},
      {kPreferencesFolderType, root + "config/"},
      {kSystemPreferencesFolderType, root + "config/"},
      {kApplicationsFolderType, root + "home/Applications/"},
      {kDomainLibraryFolderType, root + "home/Library/"},
  };
  for (const Case& c : cases) {
    OSErr result = noErr;
    if (c.type == kDesktopFolderType) {
      EXPECT_EQ(Find(kUserDomain, c.type, false, &result), "");
      EXPECT_EQ(result, fnfErr);
    }
    EXPECT_EQ(Find(kUserDomain, c.type, true, &result), c.expected);
    EXPECT_EQ(result, noErr);
    EXPECT_TRUE(gbtest::FileExists(c.expected));
  }
  // Missing roots are made on the way.
  gbtest::SetEnvironment("XDG_DATA_HOME", root + "deep/er/data");
  EXPECT_EQ(Find(kUserDomain, kApplicationSupportFolderType, true), root + "deep/er/data/");

  OSErr result = noErr;
  Find(kUserDomain, FourCC("fnts"), true, &result);
  EXPECT_EQ(result, fnfErr);
  // A file where the folder belongs.
  ASSERT_TRUE(gbtest::WriteFile(root + "home/Documents2", ""));
  gbtest::SetEnvironment("HOME", root + "home/Documents2");
  Find(kUserDomain, kDocumentsFolderType, true, &result);
  EXPECT_EQ(result, dirNFErr);
}

TEST(SpecialFolders, TemporaryItemsArePrivateToTheUser) {
  // A temporary root of its own: the folder starts missing, and the damage
  // done to it below stays here.
  static int runs = 0;
  const std::string root = gbtest::MakeTempFolder("special-tmp/" + std::to_string(++runs));
  gbtest::SetEnvironment("TMPDIR", root);
  const std::string expected = root + "TemporaryItems-" + std::to_string(geteuid()) + "/";
  const std::string path = expected.substr(0, expected.size() - 1);
  OSErr result = noErr;
  EXPECT_EQ(Find(kUserDomain, kTemporaryFolderType, false, &result), "");
  EXPECT_EQ(result, fnfErr);
  ASSERT_EQ(Find(kUserDomain, kTemporaryFolderType, true), expected);
  struct stat info;
  ASSERT_EQ(lstat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // Loosened by someone: made private again.
  ASSERT_EQ(chmod(path.c_str(), 0777), 0);
  ASSERT_EQ(Find(kUserDomain, kTemporaryFolderType, true), expected);
  ASSERT_EQ(lstat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // Another user's folder, a link planted in its place, a file: all refused.
  ASSERT_EQ(chown(path.c_str(), geteuid() + 1, getegid()), 0);
  Find(kUserDomain, kTemporaryFolderType, true, &result);
  EXPECT_EQ(result, permErr);
  ASSERT_EQ(rmdir(path.c_str()), 0);
  std::string elsewhere = gbtest::MakeTempFolder("elsewhere");
  ASSERT_EQ(symlink(elsewhere.c_str(), path.c_str()), 0);
  Find(kUserDomain, kTemporaryFolderType, true, &result);
  EXPECT_EQ(result, permErr);
  ASSERT_EQ(unlink(path.c_str()), 0);
  ASSERT_TRUE(gbtest::WriteFile(path, ""));
  Find(kUserDomain, kTemporaryFolderType, true, &result);
  EXPECT_EQ(result, permErr);
}

TEST(SpecialFolders, OtherDomainsNeedAConfiguredRoot) {
  OSErr result = noErr;
  const SInt16 domains[] = {kSystemDomain, kLocalDomain, kNetworkDomain, kClassicDomain, 7};
  for (SInt16 domain : domains) {
    Find(domain, kApplicationSupportFolderType, true, &result);
    EXPECT_EQ(result, nsvErr) << domain;
  }
  std::string local = gbtest::MakeTempFolder("local_domain");
  gbtest::SetEnvironment("GLIMMERBOX_LOCAL_DOMAIN", local);
  EXPECT_EQ(Find(kLocalDomain, kApplicationSupportFolderType, false, &result), "");
  EXPECT_EQ(result, fnfErr);
  EXPECT_EQ(Find(kLocalDomain, kApplicationSupportFolderType, true), local + "Application Support/");
  EXPECT_EQ(Find(kLocalDomain, kPreferencesFolderType, true), local + "Preferences/");
  EXPECT_EQ(plat::FindFolder(kLocalDomain, kPreferencesFolderType, true, nullptr), paramErr);
}

}  // namespace
