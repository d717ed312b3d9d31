#include "platform/menus.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

namespace plat {

namespace {

std::set<MenuRef>& LiveMenus() {
  static std::set<MenuRef> menus;
  return menus;
}

std::vector<MenuRef>& Bar() {
  static std::vector<MenuRef> bar;
  return bar;
}

std::string FromPascal(ConstStr255Param text) {
  return text ? std::string(reinterpret_cast<const char*>(text + 1), text[0]) : std::string();
}

MenuItem* Item(MenuRef menu, MenuItemIndex index) {
  if (!IsLiveMenu(menu) || index < 1 || index > menu->items.size()) return nullptr;
  return &menu->items[index - 1];
}

[[nodiscard]] MenuRef MakeMenu(MenuID id, const std::string& title) {
  auto menu = new Menu(id, title);
  LiveMenus().insert(menu);
  return menu;
}

[[nodiscard]] bool FindCommand(MenuRef menu, MenuCommand command, std::set<MenuRef>* seen, MenuRef* outMenu,
                 MenuItemIndex* outIndex) {
  if (!IsLiveMenu(menu) || !seen->insert(menu).second) return false;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    if (menu->items[i].command == command) {
      *outMenu = menu;
      *outIndex = MenuItemIndex(i + 1);
      return true;
    }
  }
  for (const MenuItem& item : menu->items)
    if (item.submenu && FindCommand(item.submenu, command, seen, outMenu, outIndex)) return true;
  return false;
}

[[nodiscard]] bool FindInBar(MenuRef menu, MenuCommand command, MenuRef* outMenu, MenuItemIndex* outIndex) {
  std::set<MenuRef> seen;
  if (menu) return FindCommand(menu, command, &seen, outMenu, outIndex);
  for (MenuRef m : Bar())
    if (FindCommand(m, command, &seen, outMenu, outIndex)) return true;
  return false;
}

MenuItem NewItem(const std::string& text, MenuItemAttributes attributes, MenuCommand command) {
  MenuItem item;
  item.text = text;
  item.command = command;
  item.attributes = attributes;
  item.enabled = !(attributes & kMenuItemAttrDisabled);
  return item;
}

}  // namespace

bool IsLiveMenu(MenuRef menu) { return menu && LiveMenus().count(menu) != 0; }
const std::vector<MenuRef>& MenuBar() { return Bar(); }

OSStatus AppendMenuItemTextString(MenuRef menu, const std::string& text, MenuItemAttributes attributes,
                                  MenuCommand command, MenuItemIndex* outIndex) {
  if (!IsLiveMenu(menu)) return errInvalidMenuRef;
  menu->items.push_back(NewItem(text, attributes, command));
  if (outIndex) *outIndex = MenuItemIndex(menu->items.size());
  return noErr;
}

OSStatus InsertMenuItemTextString(MenuRef menu, const std::string& text, MenuItemIndex afterItem,
                                  MenuItemAttributes attributes, MenuCommand command) {
  if (!IsLiveMenu(menu)) return errInvalidMenuRef;
  size_t at = std::min<size_t>(afterItem, menu->items.size());
  menu->items.insert(menu->items.begin() + long(at), NewItem(text, attributes, command));
  return noErr;
}

std::string MenuItemTextString(MenuRef menu, MenuItemIndex index) {
  const MenuItem* item = Item(menu, index);
  return item ? item->text : std::string();
}

OSStatus SetMenuTitleString(MenuRef menu, const std::string& title) {
  if (!IsLiveMenu(menu)) return errInvalidMenuRef;
  menu->title = title;
  return noErr;
}

bool ChooseMenuCommand(MenuCommand command, OSStatus* status) {
  MenuRef menu = nullptr;
  MenuItemIndex index = 0;
  if (!FindInBar(nullptr, command, &menu, &index)) return false;
  if (!menu->enabled || !menu->items[index - 1].enabled) return false;
  HICommand hi;
  hi.attributes = kHICommandFromMenu;
  hi.commandID = command;
  hi.menu.menuRef = menu;
  hi.menu.menuItemIndex = index;
  OSStatus result = ProcessHICommand(&hi);
  if (status) *status = result;
  return true;
}

void DisposeAllMenus() {
  Bar().clear();
  for (MenuRef menu : std::vector<MenuRef>(LiveMenus().begin(), LiveMenus().end())) DisposeMenu(menu);
}

namespace {

template <typename T>
[[nodiscard]] OSStatus SetItemField(MenuRef menu, MenuItemIndex index, T MenuItem::*field, T value) {
  MenuItem* item = Item(menu, index);
  if (!item) return errMenuItemNotFound;
  item->*field = value;
  return noErr;
}

template <typename T>
[[nodiscard]] OSStatus GetItemField(MenuRef menu, MenuItemIndex index, T MenuItem::*field, T* out) {
  const MenuItem* item = Item(menu, index);
  if (!item) return errMenuItemNotFound;
  if (out) *out = item->*field;
  return noErr;
}

}  // namespace

}  // namespace plat

using plat::IsLiveMenu;

MenuRef NewMenu(MenuID id, ConstStr255Param title) { return plat::MakeMenu(id, plat::FromPascal(title)); }

OSStatus CreateNewMenu(MenuID id, MenuAttributes, MenuRef* outMenu) {
  if (!outMenu) return paramErr;
  *outMenu = plat::MakeMenu(id, "");
  return noErr;
}

void DisposeMenu(MenuRef menu) {
  if (!IsLiveMenu(menu)) return;
  auto& bar = plat::Bar();
  bar.erase(std::remove(bar.begin(), bar.end(), menu), bar.end());
  // Items elsewhere that lead here lose their submenu.
  for (MenuRef other : plat::LiveMenus())
    for (plat::MenuItem& item : other->items)
      if (item.submenu == menu) item.submenu = nullptr;
  // The memory is kept, so that a stale MenuRef never names a later menu.
  static std::vector<std::unique_ptr<plat::Menu>> graveyard;
  plat::LiveMenus().erase(menu);
  menu->items.clear();
  graveyard.emplace_back(menu);
}

MenuID GetMenuID(MenuRef menu) { return IsLiveMenu(menu) ? menu->id : MenuID(0); }

UInt16 CountMenuItems(MenuRef menu) { return IsLiveMenu(menu) ? UInt16(menu->items.size()) : 0; }

// The classic calls report nothing: a menu that is gone takes no item.
void AppendMenuItemText(MenuRef menu, ConstStr255Param text) {
  static_cast<void>(plat::AppendMenuItemTextString(menu, plat::FromPascal(text), 0, 0, nullptr));
}

void InsertMenuItemText(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem) {
  static_cast<void>(plat::InsertMenuItemTextString(menu, plat::FromPascal(text), afterItem, 0, 0));
}

void DeleteMenuItem(MenuRef menu, MenuItemIndex item) {
  if (plat::Item(menu, item)) menu->items.erase(menu->items.begin() + (item - 1));
}

OSStatus DeleteMenuItems(MenuRef menu, MenuItemIndex first, UInt32 count) {
  if (!IsLiveMenu(menu)) return errInvalidMenuRef;
  if (first < 1 || first - 1 + size_t(count) > menu->items.size()) return paramErr;
  menu->items.erase(menu->items.begin() + (first - 1), menu->items.begin() + (first - 1 + long(count)));
  return noErr;
}

void GetMenuItemText(MenuRef menu, MenuItemIndex index, Str255 outText) {
  if (!outText) return;
  const plat::MenuItem* item = plat::Item(menu, index);
  size_t n = item ? std::min<size_t>(item->text.size(), 255) : 0;
  // A Pascal string: the length byte, then the text, no terminator.
  outText[0] = UInt8(n);
  if (n) std::copy_n(item->text.data(), n, outText + 1);
}

void SetMenuItemText(MenuRef menu, MenuItemIndex index, ConstStr255Param text) {
  if (plat::MenuItem* item = plat::Item(menu, index)) item->text = plat::FromPascal(text);
}

OSStatus SetMenuItemCommandID(MenuRef menu, MenuItemIndex index, MenuCommand command) {
  return plat::SetItemField(menu, index, &plat::MenuItem::command, command);
}

OSStatus GetMenuItemCommandID(MenuRef menu, MenuItemIndex index, MenuCommand* outCommand) {
  return plat::GetItemField(menu, index, &plat::MenuItem::command, outCommand);
}

OSStatus SetMenuItemModifiers(MenuRef menu, MenuItemIndex index, UInt8 modifiers) {
  return plat::SetItemField(menu, index, &plat::MenuItem::modifiers, modifiers);
}

void SetItemCmd(MenuRef menu, MenuItemIndex index, UInt16 key) {
  if (plat::MenuItem* item = plat::Item(menu, index)) item->key = key;
}

OSStatus ChangeMenuItemAttributes(MenuRef menu, MenuItemIndex index, MenuItemAttributes set,
                                  MenuItemAttributes clear) {
  plat::MenuItem* item = plat::Item(menu, index);
  if (!item) return errMenuItemNotFound;
  item->attributes = (item->attributes | set) & ~clear;
  if (set & kMenuItemAttrDisabled) item->enabled = false;
  if (clear & kMenuItemAttrDisabled) item->enabled = true;
  return noErr;
}

OSStatus SetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex index, MenuRef submenu) {
  plat::MenuItem* item = plat::Item(menu, index);
  if (!item) return errMenuItemNotFound;
  if (submenu && !IsLiveMenu(submenu)) return errInvalidMenuRef;
  item->submenu = submenu;
  return noErr;
}

OSStatus GetMenuItemHierarchicalMenu(MenuRef menu, MenuItemIndex index, MenuRef* outSubmenu) {
  return plat::GetItemField(menu, index, &plat::MenuItem::submenu, outSubmenu);
}

void EnableMenuItem(MenuRef menu, MenuItemIndex index) {
  if (index == 0 && IsLiveMenu(menu)) menu->enabled = true;
  if (plat::MenuItem* item = plat::Item(menu, index)) item->enabled = true;
}

void DisableMenuItem(MenuRef menu, MenuItemIndex index) {
  if (index == 0 && IsLiveMenu(menu)) menu->enabled = false;
  if (plat::MenuItem* item = plat::Item(menu, index)) item->enabled = false;
}

Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex index) {
  if (index == 0) return IsLiveMenu(menu) && menu->enabled;
  const plat::MenuItem* item = plat::Item(menu, index);
  return item && item->enabled;
}

namespace {

void SetCommandEnabled(MenuRef menu, MenuCommand command, bool enabled) {
  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  if (plat::FindInBar(menu, command, &found, &index)) found->items[index - 1].enabled = enabled;
}

}  // namespace

void EnableMenuCommand(MenuRef menu, MenuCommand command) { SetCommandEnabled(menu, command, true); }
void DisableMenuCommand(MenuRef menu, MenuCommand command) { SetCommandEnabled(menu, command, false); }

Boolean IsMenuCommandEnabled(MenuRef menu, MenuCommand command) {
  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  return plat::FindInBar(menu, command, &found, &index) && found->items[index - 1].enabled;
}

OSStatus GetIndMenuItemWithCommandID(MenuRef menu, MenuCommand command, UInt32, MenuRef* outMenu,
                                     MenuItemIndex* outIndex) {
  MenuRef found = nullptr;
  MenuItemIndex index = 0;
  if (!plat::FindInBar(menu, command, &found, &index)) return errMenuItemNotFound;
  if (outMenu) *outMenu = found;
  if (outIndex) *outIndex = index;
  return noErr;
}

void InsertMenu(MenuRef menu, MenuID beforeId) {
  if (!IsLiveMenu(menu)) return;
  auto& bar = plat::Bar();
  if (std::find(bar.begin(), bar.end(), menu) != bar.end()) return;
  auto it = std::find_if(bar.begin(), bar.end(), [&](MenuRef m) { return beforeId != 0 && m->id == beforeId; });
  bar.insert(it, menu);
}

void DeleteMenu(MenuID id) {
  auto& bar = plat::Bar();
  bar.erase(std::remove_if(bar.begin(), bar.end(), [&](MenuRef m) { return m->id == id; }), bar.end());
}

MenuRef GetMenuHandle(MenuID id) {
  for (MenuRef m : plat::Bar())
    if (m->id == id) return m;
  // Submenus are found by id too, once anything leads to them.
  for (MenuRef m : plat::LiveMenus())
    if (m->id == id) return m;
  return nullptr;
}

void ClearMenuBar() { plat::Bar().clear(); }
