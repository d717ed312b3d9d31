#include "ui/recent_files.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ui_test_support.h"

namespace {

class RecentFiles : public gbtest::HeadlessUiTest {};

std::vector<std::string> Texts(const CRecentFileList& list) {
  std::vector<std::string> out;
  out.reserve(size_t(list.GetCount()));
  for (int i = 0; i < list.GetCount(); ++i) out.push_back(list.GetAt(i)->GetText());
  return out;
}

TEST_F(RecentFiles, AddingMovesAMatchToTheFrontIgnoringCase) {
  CRecentFileList list;
  for (const char* p : {"/p/a.gmx", "/p/b.gmx", "/p/c.gmx"}) list.AddFile(CPathName(p));
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"/p/c.gmx", "/p/b.gmx", "/p/a.gmx"}));
  list.AddFile(CPathName("/P/A.gmx"));
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"/P/A.gmx", "/p/c.gmx", "/p/b.gmx"}));
  // The very object in the list is kept and moved.
  CPathName* b = list.GetAt(2);
  list.AddFile(*b);
  EXPECT_EQ(list.GetAt(0), b);
  EXPECT_EQ(list.GetCount(), 3);

  // A match beyond the first `maximum` entries is not searched: a duplicate stays.
  list.SetMaximum(2);
  list.AddFile(CPathName("/p/c.gmx"));
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"/p/c.gmx", "/p/b.gmx", "/P/A.gmx", "/p/c.gmx"}));
}

TEST_F(RecentFiles, GetAtIsBoundedAndClearAndAssignResetTheMaximum) {
  CRecentFileList list;
  EXPECT_EQ(list.GetAt(0), nullptr);
  list.AddFile(CPathName("/x/1"));
  list.AddFile(CPathName("/x/2"));
  EXPECT_EQ(list.GetAt(-1), nullptr);
  EXPECT_EQ(list.GetAt(2), nullptr);
  ASSERT_NE(list.GetAt(1), nullptr);

  list.SetMaximum(9);
  CRecentFileList copy;
  copy.Assign(list);
  EXPECT_EQ(copy.GetMaximum(), 9u);
  EXPECT_EQ(Texts(copy), (std::vector<std::string>{"/x/1", "/x/2"}));  // reversed
  copy.Assign(copy);  // assigning a list to itself reverses it, losing nothing
  EXPECT_EQ(Texts(copy), (std::vector<std::string>{"/x/2", "/x/1"}));
  EXPECT_EQ(copy.GetMaximum(), 9u);
  copy.Clear();
  EXPECT_EQ(copy.GetCount(), 0);
  EXPECT_EQ(copy.GetMaximum(), 5u);
}

TEST_F(RecentFiles, TheMenuShowsTheFirstMaximumEntriesWithConsecutiveCommands) {
  MenuRef parent = NewMenu(1000, reinterpret_cast<const unsigned char*>("\004File"));
  for (int i = 0; i < 8; ++i) ASSERT_EQ(plat::AppendMenuItemTextString(parent, "item", 0, 0, nullptr), noErr);
  CRecentFilesMenu menu;
  EXPECT_EQ(menu.GetFirstCommand(), 5000u);
  ASSERT_TRUE(menu.AttachSubmenu(parent, 6, 3000, 5500));
  EXPECT_FALSE(menu.AttachSubmenu(parent, 6, 3000, 5500));  // once only
  MenuRef sub = nullptr;
  ASSERT_EQ(GetMenuItemHierarchicalMenu(parent, 7, &sub), noErr);
  EXPECT_EQ(sub, menu.GetMenu().GetMenuRef());
  EXPECT_EQ(GetMenuID(sub), 3000);

  for (int i = 1; i <= 7; ++i) menu.AddFile(CPathName(("/m/" + std::to_string(i) + ".swf").c_str()), false);
  menu.RebuildMenu();
  ASSERT_EQ(CountMenuItems(sub), 5);
  MenuCommand command = 0;
  ASSERT_EQ(GetMenuItemCommandID(sub, 1, &command), noErr);
  EXPECT_EQ(command, 5500u);
  EXPECT_EQ(plat::MenuItemTextString(sub, 1), "/m/7.swf");
  ASSERT_EQ(GetMenuItemCommandID(sub, 5, &command), noErr);
  EXPECT_EQ(command, 5504u);
  EXPECT_EQ(menu.GetPathForCommand(5499), nullptr);
  EXPECT_EQ(menu.GetPathForCommand(5505), nullptr);
  ASSERT_NE(menu.GetPathForCommand(5504), nullptr);
  EXPECT_STREQ(menu.GetPathForCommand(5504)->GetText(), "/m/3.swf");

  menu.SetMaxCount(2, true);
  EXPECT_EQ(CountMenuItems(sub), 2);
  EXPECT_EQ(menu.GetPathForCommand(5502), nullptr);

  // The stored copy is oldest first; handing it back restores the order.
  CRecentFileList stored;
  menu.GetList(stored);
  EXPECT_EQ(stored.GetAt(0)->GetString(), "/m/1.swf");
  CRecentFilesMenu other;
  other.SetList(stored);
  EXPECT_EQ(other.GetFileList().GetAt(0)->GetString(), "/m/7.swf");
  EXPECT_EQ(other.GetFileList().GetMaximum(), 2u);
}

TEST_F(RecentFiles, RelativePathsAreKeptAbsolute) {
  CRecentFileList list;
  list.AddFile(CPathName("Movies/a.swf"));
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.GetAt(0)->GetText()[0], '/');
}

}  // namespace
