// Menus and the menu bar of the headless window system.
//
// A menu has an id, a title and numbered items (1-based); an item carries its
// text, command id, command key with modifiers, enable state, attributes
// (separator) and an optional submenu. The menu bar is an ordered list of
// menus. Choosing a menu command (plat::ChooseMenuCommand) sends it as a
// process command to the user focus, as a menu selection would.
#pragma once

#include <string>
#include <vector>

#include "platform/carbon_events.h"

typedef SInt16 MenuID;
typedef UInt32 MenuItemAttributes;
typedef UInt32 MenuAttributes;

enum : MenuItemAttributes {
  kMenuItemAttrDisabled = 1u << 0,
  kMenuItemAttrSeparator = 1u << 6,
};

enum : UInt8 {
  kMenuNoModifiers = 0,
  kMenuShiftModifier = 1u << 0,
  kMenuOptionModifier = 1u << 1,
  kMenuControlModifier = 1u << 2,
  kMenuNoCommandModifier = 1u << 3,
};

[[nodiscard]] MenuRef NewMenu(MenuID id, ConstStr255Param title);
[[nodiscard]] OSStatus CreateNewMenu(MenuID id, MenuAttributes attributes, MenuRef* outMenu);
void DisposeMenu(MenuRef menu);
MenuID GetMenuID(MenuRef menu);

UInt16 CountMenuItems(MenuRef menu);
// Pascal-string item texts. AppendMenuItemText takes the text as it stands
// (no metacharacters are interpreted).
void AppendMenuItemText(MenuRef menu, ConstStr255Param text);
void InsertMenuItemText(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem);
void DeleteMenuItem(MenuRef menu, MenuItemIndex item);
[[nodiscard]] OSStatus DeleteMenuItems(MenuRef menu, MenuItemIndex first, UInt32 count);
void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 outText);
void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text);

[[nodiscard]] OSStatus SetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand command);
[[nodiscard]] OSStatus GetMenuItemCommandID(MenuRef menu, MenuItemIndex item, MenuCommand* outCommand);
[[nodiscard]] OSStatus SetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8 modifiers);
void SetItemCmd(MenuRef menu, MenuItemIndex item, UInt16 key);
[[nodiscard]] OSStatus ChangeMenuItemAttributes(MenuRef menu, MenuItemIndex item, MenuItemAttributes set,
                                  MenuItemAttributes clear);
[[nodiscard]] OSStatus SetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef submenu);
[[nodiscard]] OSStatus GetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex item, MenuRef* outSubmenu);

void EnableMenuItem(MenuRef menu, MenuItemIndex item);
void DisableMenuItem(MenuRef menu, MenuItemIndex item);
[[nodiscard]] Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);
void EnableMenuCommand(MenuRef menu, MenuCommand command);
void DisableMenuCommand(MenuRef menu, MenuCommand command);
[[nodiscard]] Boolean IsMenuCommandEnabled(MenuRef menu, MenuCommand command);
// The first item with the command in the menu or its submenus (menu null: the
// menu bar); errMenuItemNotFound when none.
[[nodiscard]] OSStatus GetIndMenuItemWithCommandID(MenuRef menu, MenuCommand command, UInt32 index, MenuRef* outMenu,
                                     MenuItemIndex* outIndex);

// The menu bar.
void InsertMenu(MenuRef menu, MenuID beforeId);
void DeleteMenu(MenuID id);
[[nodiscard]] MenuRef GetMenuHandle(MenuID id);
void ClearMenuBar();

namespace plat {

struct MenuItem {
  std::string text;  // Mac Roman
  MenuCommand command = 0;
  UInt16 key = 0;
  UInt8 modifiers = 0;
  bool enabled = true;
  MenuItemAttributes attributes = 0;
  MenuRef submenu = nullptr;
};

class Menu {
 public:
  Menu(MenuID menuId, const std::string& menuTitle) : id(menuId), title(menuTitle) {}
  MenuID id;
  std::string title;
  bool enabled = true;
  std::vector<MenuItem> items;
};

[[nodiscard]] bool IsLiveMenu(MenuRef menu);
const std::vector<MenuRef>& MenuBar();

// Item texts as Mac Roman bytes.
[[nodiscard]] OSStatus AppendMenuItemTextString(MenuRef menu, const std::string& text, MenuItemAttributes attributes,
                                  MenuCommand command, MenuItemIndex* outIndex);
[[nodiscard]] OSStatus InsertMenuItemTextString(MenuRef menu, const std::string& text, MenuItemIndex afterItem,
                                  MenuItemAttributes attributes, MenuCommand command);
std::string MenuItemTextString(MenuRef menu, MenuItemIndex item);
[[nodiscard]] OSStatus SetMenuTitleString(MenuRef menu, const std::string& title);

// Chooses the command as a user would from the menu bar: false when no
// enabled item in an enabled menu carries it. The command is then processed
// (menu attributes, menu and item index in the HICommand); *status gets the
// result.
[[nodiscard]] bool ChooseMenuCommand(MenuCommand command, OSStatus* status = nullptr);

// Disposes every menu and empties the menu bar (tests).
void DisposeAllMenus();

}  // namespace plat
