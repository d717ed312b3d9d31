#include "platform/file_refs.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

TEST(FileRefs, NameExistingItemsCanonically) {
  std::string folder = gbtest::MakeTempFolder("refs/a");
  gbtest::MakeTempFolder("refs/b");
  ASSERT_TRUE(gbtest::WriteFile(folder + "f.txt", "x"));
  ASSERT_EQ(symlink((folder + "f.txt").c_str(), (folder + "link").c_str()), 0);

  FSRef direct, roundabout, link, trailing;
  ASSERT_EQ(plat::MakeFsRef(folder + "f.txt", &direct), noErr);
  ASSERT_EQ(plat::MakeFsRef(gbtest::TestRoot() + "refs/b/../a//f.txt", &roundabout), noErr);
  EXPECT_EQ(roundabout.path, direct.path);
  EXPECT_TRUE(plat::SameFsRef(direct, roundabout));
  ASSERT_EQ(plat::MakeFsRef(folder, &trailing), noErr);
  EXPECT_EQ(trailing.path + "/", folder);
  // A link is named itself, not the item it points at.
  ASSERT_EQ(plat::MakeFsRef(folder + "link", &link), noErr);
  EXPECT_EQ(link.path, folder + "link");
  EXPECT_FALSE(plat::SameFsRef(link, direct));
  FSRef up;
  ASSERT_EQ(plat::MakeFsRef(folder + "..", &up), noErr);
  EXPECT_EQ(up.path + "/", gbtest::TestRoot() + "refs/");
}

TEST(FileRefs, MissingItemsAndFoldersAreTold) {
  std::string folder = gbtest::MakeTempFolder("refs/missing");
  ASSERT_TRUE(gbtest::WriteFile(folder + "file", "x"));
  const struct {
    std::string path;
    OSErr expected;
  } cases[] = {
      {folder + "nothing", fnfErr},
      {folder + "no/thing", dirNFErr},
      {folder + "file/thing", dirNFErr},
      {"", paramErr},
  };
  for (const auto& c : cases) {
    FSRef ref;
    ref.path = "stale";
    EXPECT_EQ(plat::MakeFsRef(c.path, &ref), c.expected) << c.path;
    EXPECT_FALSE(plat::IsValidFsRef(ref));
  }
}

TEST(FileRefs, SpecsNameOneItemInAnExistingFolder) {
  std::string folder = gbtest::MakeTempFolder("refs/spec");
  ASSERT_TRUE(gbtest::WriteFile(folder + "file", "x"));
  FSRef parent, file;
  ASSERT_EQ(plat::MakeFsRef(folder, &parent), noErr);
  ASSERT_EQ(plat::MakeFsRef(folder + "file", &file), noErr);

  FSSpec spec;
  ASSERT_EQ(plat::MakeFsSpec(parent, "new.rsrc", &spec), noErr);
  EXPECT_EQ(spec.name, "new.rsrc");
  FSRef ref;
  EXPECT_EQ(plat::FsRefFromSpec(spec, &ref), fnfErr);
  ASSERT_EQ(plat::MakeFsSpec(parent, "file", &spec), noErr);
  ASSERT_EQ(plat::FsRefFromSpec(spec, &ref), noErr);
  EXPECT_TRUE(plat::SameFsRef(ref, file));

  for (const std::string& hostile : {std::string(), std::string("."), std::string(".."), std::string("a/b"),
                                     std::string("../../etc"), std::string("a\0/b", 4)})
    EXPECT_EQ(plat::MakeFsSpec(parent, hostile, &spec), bdNamErr) << hostile;
  EXPECT_EQ(plat::MakeFsSpec(file, "x", &spec), dirNFErr);
}
