#include "ui/menu.h"

#include "foundation/cf_string_holder.h"
#include "platform/carbon_strings.h"

CMenu::~CMenu() { Destroy(); }

bool CMenu::Create(MenuID id, const char* title) {
  if (menu_) return false;
  MenuRef menu = nullptr;
  if (CreateNewMenu(id, 0, &menu) != noErr) return false;
  CCFString text(title ? title : "");
  if (SetMenuTitleWithCFString(menu, text.GetRef()) != noErr) {
    DisposeMenu(menu);
    return false;
  }
  menu_ = menu;
  owned_ = true;
  return true;
}

bool CMenu::Attach(MenuID id) {
  if (menu_) return false;
  menu_ = GetMenuHandle(id);
  owned_ = false;
  return menu_ != nullptr;
}

void CMenu::Destroy() {
  if (menu_ && owned_) DisposeMenu(menu_);
  menu_ = nullptr;
  owned_ = false;
}

int CMenu::GetItemCount() const { return CountMenuItems(menu_); }

bool CMenu::DeleteAllItems() {
  if (!plat::IsLiveMenu(menu_)) return false;
  const UInt16 count = CountMenuItems(menu_);
  return count == 0 || DeleteMenuItems(menu_, 1, count) == noErr;
}

MenuItemIndex CMenu::AppendItem(MenuCommand command, const char* text, UInt8 modifiers, UInt16 key, bool virtualKey) {
  CCFString title(text ? text : "");
  MenuItemIndex index = 0;
  if (AppendMenuItemTextWithCFString(menu_, title.GetRef(), 0, command, &index) != noErr) return 0;
  if (key && !virtualKey) SetItemCmd(menu_, index, key);
  // An item that cannot take its modifiers is not kept half made.
  if (modifiers && SetMenuItemModifiers(menu_, index, modifiers) != noErr) {
    DeleteMenuItem(menu_, index);
    return 0;
  }
  return index;
}

bool CMenu::AppendSeparator() {
  return plat::AppendMenuItemTextString(menu_, "", kMenuItemAttrSeparator, 0, nullptr) == noErr;
}

bool CMenu::EnableCommand(MenuCommand command, bool enable) {
  if (!plat::IsLiveMenu(menu_)) return false;
  if (enable)
    EnableMenuCommand(menu_, command);
  else
    DisableMenuCommand(menu_, command);
  return true;
}
