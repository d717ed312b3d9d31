#include "platform/folder_iteration.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"

namespace {

std::vector<std::string> ListAll(plat::FolderListing& listing) {
  std::vector<std::string> names;
  std::string name;
  while (listing.Next(&name) == noErr) names.push_back(name);
  return names;
}

TEST(FolderListing, GivesNamesInByteOrderThenStaysExhausted) {
  std::string folder = gbtest::MakeTempFolder("listing");
  for (const char* name : {"b", "C", "a", "B", "_x", "a b"})
    ASSERT_TRUE(gbtest::WriteFile(folder + name, ""));
  gbtest::MakeTempFolder("listing/sub");
  plat::FolderListing listing;
  ASSERT_EQ(listing.Open(folder), noErr);
  EXPECT_EQ(listing.Folder(), folder);
  EXPECT_EQ(ListAll(listing), (std::vector<std::string>{"B", "C", "_x", "a", "a b", "b", "sub"}));
  std::string name = "unchanged";
  EXPECT_EQ(listing.Next(&name), errFSNoMoreItems);
  EXPECT_EQ(listing.Next(&name), errFSNoMoreItems);
  EXPECT_EQ(name, "unchanged");
  listing.Close();
  EXPECT_EQ(listing.Next(&name), errFSNoMoreItems);

  std::string empty = gbtest::MakeTempFolder("listing_empty");
  ASSERT_EQ(listing.Open(empty), noErr);
  EXPECT_EQ(listing.Next(&name), errFSNoMoreItems);
}

TEST(FolderListing, OpensOnlyRealFolders) {
  std::string folder = gbtest::MakeTempFolder("listing_open");
  ASSERT_TRUE(gbtest::WriteFile(folder + "file", ""));
  ASSERT_EQ(symlink(folder.c_str(), (folder + "link").c_str()), 0);
  struct Case {
    std::string path;
    OSErr expected;
  } cases[] = {
      {folder + "file", dirNFErr},
      {folder + "link", dirNFErr},  // never followed into a folder
      {folder + "missing", fnfErr},
      {folder + "file/below", dirNFErr},
      {"", fnfErr},
  };
  for (const Case& c : cases) {
    plat::FolderListing listing;
    EXPECT_EQ(listing.Open(c.path), c.expected) << c.path;
    EXPECT_FALSE(listing.IsOpen());
  }
  // The link is listed as an item of its folder.
  plat::FolderListing listing;
  ASSERT_EQ(listing.Open(folder), noErr);
  EXPECT_EQ(ListAll(listing), (std::vector<std::string>{"file", "link"}));
}

}  // namespace
