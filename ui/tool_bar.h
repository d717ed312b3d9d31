// CToolBar: a row of command buttons in a bar control of a window.
//
// Each item is a bevel button whose command is the item's command, so that
// pressing it reaches the window's OnCommand as the menu command would.
// Separators leave a gap.
#pragma once

#include <memory>
#include <vector>

#include "ui/control.h"

class CDialogWindow;

class CToolBar {
 public:
  CToolBar();
  ~CToolBar();
  CToolBar(const CToolBar&) = delete;
  CToolBar& operator=(const CToolBar&) = delete;

  // The bar is the control {hostSignature, owner's user value} of the
  // owner's window; false when it is missing.
  [[nodiscard]] bool Init(CDialogWindow* owner, UInt32 hostSignature);
  // Gap between items and item width, in pixels.
  void SetItemMetrics(int spacing, int width);
  // Icons by resource number with a code; returns the icon's index.
  int AddIcon(SInt16 resourceNumber, OSType code);
  // An item with its command, icon (an index of AddIcon) and text.
  [[nodiscard]] bool AddItem(UInt32 command, int icon, const char* text);
  void AddSeparator();

  int GetItemCount() const { return int(items_.size()); }
  UInt32 GetItemCommand(int index) const;
  ControlRef GetItemControl(int index) const;

 private:
  struct Icon {
    SInt16 resource;
    OSType code;
  };
  struct Item {
    UInt32 command;
    int icon;
    std::unique_ptr<CControl> button;
  };

  CDialogWindow* owner_ = nullptr;
  ControlRef bar_ = nullptr;
  int spacing_ = 11;
  int width_ = 100;
  int next_ = 0;
  std::vector<Icon> icons_;
  std::vector<Item> items_;
};
