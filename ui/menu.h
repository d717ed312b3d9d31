// CMenu: one menu of the menu bar or a submenu, owned (made here and
// disposed with the object) or wrapped (found in the menu bar).
#pragma once

#include "platform/menus.h"

class CMenu {
 public:
  CMenu() = default;
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  // A new menu of the id and title; false when one is held already.
  [[nodiscard]] bool Create(MenuID id, const char* title);
  // Wraps the menu bar's menu of that id; false when there is none.
  [[nodiscard]] bool Attach(MenuID id);
  void Destroy();

  MenuRef GetMenuRef() const { return menu_; }
  int GetItemCount() const;
  [[nodiscard]] bool DeleteAllItems();
  // Appends an item (text in the application encoding) with its command,
  // command-key modifiers and key (0 for none); the key is a virtual key
  // code when `virtualKey` is set. Returns the new item's number, 0 on failure.
  MenuItemIndex AppendItem(MenuCommand command, const char* text, UInt8 modifiers, UInt16 key, bool virtualKey);
  [[nodiscard]] bool AppendSeparator();
  [[nodiscard]] bool EnableCommand(MenuCommand command, bool enable);

 private:
  MenuRef menu_ = nullptr;
  bool owned_ = false;
};
