#include "platform/menus.h"

#include <gtest/gtest.h>

#include "tests/support/ui_test_support.h"

namespace {

class Menus : public gbtest::HeadlessUiTest {};

const unsigned char kEmpty[] = {0};

std::vector<std::string> Texts(MenuRef menu) {
  std::vector<std::string> out;
  for (MenuItemIndex i = 1; i <= CountMenuItems(menu); ++i) out.push_back(plat::MenuItemTextString(menu, i));
  return out;
}

TEST_F(Menus, ItemsAreInsertedAfterAnItemAndDeletedByNumber) {
  MenuRef menu = NewMenu(1000, kEmpty);
  const unsigned char a[] = "\001a", b[] = "\001b", c[] = "\001c";
  AppendMenuItemText(menu, a);
  AppendMenuItemText(menu, c);
  InsertMenuItemText(menu, b, 1);
  InsertMenuItemText(menu, a, 99);  // past the end appends
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"a", "b", "c", "a"}));
  DeleteMenuItem(menu, 4);
  DeleteMenuItem(menu, 0);  // no such item
  DeleteMenuItem(menu, 9);
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(DeleteMenuItems(menu, 2, 5), paramErr);
  Str255 text;
  GetMenuItemText(menu, 2, text);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "b");
  GetMenuItemText(menu, 7, text);
  EXPECT_EQ(text[0], 0);
}

TEST_F(Menus, CommandsAreFoundInSubmenusAndChosenOnlyWhenEnabled) {
  MenuRef file = NewMenu(1000, kEmpty);
  MenuRef recent = NewMenu(3000, kEmpty);
  ASSERT_EQ(plat::AppendMenuItemTextString(file, "Open", 0, FourCC("open"), nullptr), noErr);
  ASSERT_EQ(plat::AppendMenuItemTextString(file, "Recent", 0, 0, nullptr), noErr);
  ASSERT_EQ(plat::AppendMenuItemTextString(recent, "/a.gmx", 0, 5000, nullptr), noErr);
  EXPECT_EQ(SetMenuItemHierarchicalMenu(file, 2, recent), noErr);
  EXPECT_EQ(SetMenuItemHierarchicalMenu(file, 3, recent), errMenuItemNotFound);
  InsertMenu(file, 0);

  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  EXPECT_EQ(GetIndMenuItemWithCommandID(nullptr, 5000, 1, &found, &index), noErr);
  EXPECT_EQ(found, recent);
  EXPECT_EQ(index, 1);

  int seen = 0;
  EventTypeSpec type = {kEventClassCommand, kEventCommandProcess};
  auto handler = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
    HICommand hi;
    EXPECT_TRUE(plat::GetParam(event, kEventParamDirectObject, typeHICommand, &hi));
    EXPECT_EQ(hi.attributes, UInt32(kHICommandFromMenu));
    EXPECT_NE(hi.menu.menuRef, nullptr);
    ++*static_cast<int*>(data);
    return noErr;
  };
  EventHandlerRef ref;
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), handler, 1, &type, &seen, &ref), noErr);
  EXPECT_TRUE(plat::ChooseMenuCommand(5000));
  DisableMenuCommand(nullptr, 5000);
  EXPECT_FALSE(IsMenuCommandEnabled(nullptr, 5000));
  EXPECT_FALSE(plat::ChooseMenuCommand(5000));
  DisableMenuItem(file, 0);  // the whole menu
  EXPECT_FALSE(plat::ChooseMenuCommand(FourCC("open")));
  EXPECT_FALSE(plat::ChooseMenuCommand(FourCC("none")));
  EXPECT_EQ(seen, 1);
  ASSERT_EQ(RemoveEventHandler(ref), noErr);

  DisposeMenu(recent);
  MenuRef sub = recent;
  ASSERT_EQ(GetMenuItemHierarchicalMenu(file, 2, &sub), noErr);
  EXPECT_EQ(sub, nullptr);
  EXPECT_EQ(CountMenuItems(recent), 0);
  EXPECT_EQ(GetMenuHandle(1000), file);
}

}  // namespace
