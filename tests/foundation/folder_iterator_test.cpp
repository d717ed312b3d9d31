#include "foundation/folder_iterator.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"

namespace {

struct Item {
  std::string name;
  bool isFolder;
  bool operator==(const Item&) const = default;
};

std::vector<Item> Walk(const std::string& folder) {
  std::vector<Item> items;
  CPathName item(nullptr);
  bool isFolder = false;
  for (bool more = GetFirstFolderItem(CPathName(folder), item, &isFolder, "*"); more;
       more = GetNextFolderItem(item, &isFolder)) {
    CPathName plain(item);
    plain.RemoveTrailingSeparator();
    items.push_back({plain.GetLastComponent(), isFolder});
  }
  return items;
}

TEST(FolderIterator, YieldsEachItemInNameOrderThenStops) {
  std::string folder = gbtest::MakeTempFolder("walk");
  std::string outside = gbtest::MakeTempFolder("walk_outside");
  ASSERT_TRUE(gbtest::WriteFile(folder + "b.swf", ""));
  gbtest::MakeTempFolder("walk/a");
  ASSERT_EQ(symlink(outside.c_str(), (folder + "c").c_str()), 0);
  EXPECT_EQ(Walk(folder), (std::vector<Item>{{"a", true}, {"b.swf", false}, {"c", false}}));
  CPathName item("untouched");
  EXPECT_FALSE(GetNextFolderItem(item, nullptr));
  EXPECT_EQ(item.GetString(), "untouched");
  EXPECT_TRUE(EndFolderIteration());
  EXPECT_TRUE(EndFolderIteration());
  EXPECT_FALSE(GetNextFolderItem(item, nullptr));

  EXPECT_EQ(Walk(gbtest::MakeTempFolder("walk_empty")), std::vector<Item>{});
  EXPECT_FALSE(GetFirstFolderItem(CPathName(folder + "b.swf"), item, nullptr, nullptr));
  EXPECT_FALSE(GetFirstFolderItem(CPathName(folder + "missing/"), item, nullptr, nullptr));
}

TEST(FolderIterator, NewIterationReplacesTheOldOne) {
  std::string one = gbtest::MakeTempFolder("one");
  std::string two = gbtest::MakeTempFolder("two");
  for (const char* name : {"1a", "1b"}) ASSERT_TRUE(gbtest::WriteFile(one + name, ""));
  ASSERT_TRUE(gbtest::WriteFile(two + "2a", ""));
  CPathName item(nullptr);
  ASSERT_TRUE(GetFirstFolderItem(CPathName(one), item, nullptr, nullptr));
  ASSERT_TRUE(GetFirstFolderItem(CPathName(two), item, nullptr, nullptr));
  EXPECT_EQ(item.GetLastComponent(), "2a");
  EXPECT_FALSE(GetNextFolderItem(item, nullptr));  // nothing of the first folder is left over
}

TEST(FolderIterator, FindsAFileDepthFirstWithoutFollowingLinks) {
  std::string tree = gbtest::MakeTempFolder("find");
  std::string outside = gbtest::MakeTempFolder("find_outside");
  ASSERT_TRUE(gbtest::WriteFile(outside + "Target.txt", ""));
  ASSERT_EQ(symlink(outside.c_str(), (tree + "a_link").c_str()), 0);
  gbtest::MakeTempFolder("find/b/target.txt");  // a folder of that name does not count
  gbtest::MakeTempFolder("find/b/deeper");
  ASSERT_TRUE(gbtest::WriteFile(tree + "b/deeper/TARGET.TXT", ""));
  ASSERT_TRUE(gbtest::WriteFile(tree + "c_target.txt", ""));

  CPathName outer(nullptr);
  ASSERT_TRUE(GetFirstFolderItem(CPathName(tree), outer, nullptr, nullptr));
  CPathName found(nullptr);
  ASSERT_TRUE(FindItemInFolderTree("target.txt", CPathName(tree), found));
  EXPECT_EQ(found.GetString(), tree + "b/deeper/TARGET.TXT");
  EXPECT_FALSE(FindItemInFolderTree("nothing", CPathName(tree), found));
  EXPECT_EQ(found.GetString(), tree + "b/deeper/TARGET.TXT");
  // The process-wide iteration goes on where it was.
  ASSERT_TRUE(GetNextFolderItem(outer, nullptr));
  EXPECT_EQ(outer.GetLastComponent(), "b");
}

}  // namespace
