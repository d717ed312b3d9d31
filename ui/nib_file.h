// The nib: window layouts and menu bars read from the bundle's layout file.
//
// CreateNibReference("main") reads the resource "main_nib.xml" of the main
// bundle (see resources/main_nib.xml for the format); each call of
// CreateWindowFromNib then makes a new window with its controls, and
// SetMenuBarFromNib installs a menu bar. A malformed layout file is refused
// as a whole when the reference is made.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "platform/cf_string.h"
#include "platform/controls.h"
#include "platform/menus.h"
#include "platform/windows.h"

class CNibFile;
typedef CNibFile* IBNibRef;

[[nodiscard]] OSStatus CreateNibReference(CFStringRef name, IBNibRef* outNib);
void DisposeNibReference(IBNibRef nib);
// A name the nib does not hold answers paramErr.
[[nodiscard]] OSStatus CreateWindowFromNib(IBNibRef nib, CFStringRef name, WindowRef* outWindow);
[[nodiscard]] OSStatus SetMenuBarFromNib(IBNibRef nib, CFStringRef name);

class CNibFile {
 public:
  struct ItemDesc {
    std::string title;  // Mac Roman
    UInt32 command = 0;
    UInt16 key = 0;
    UInt8 modifiers = 0;
    bool enabled = true;
    bool separator = false;
  };
  struct MenuDesc {
    MenuID id = 0;
    std::string title;
    std::vector<ItemDesc> items;
  };
  struct MenuBarDesc {
    std::string name;
    std::vector<MenuDesc> menus;
  };
  struct ControlDesc {
    plat::ControlKind kind = plat::ControlKind::kUserPane;
    ControlID id;
    UInt32 command = 0;
    Rect bounds;
    std::string title;
    SInt32 value = 0, minimum = 0, maximum = 0;
    bool hasValue = false, hasMinimum = false, hasMaximum = false;
    bool visible = true;
    bool enabled = true;
    std::vector<std::string> items;  // pop-up items or tab names
    std::vector<ControlDesc> children;
  };
  struct WindowDesc {
    std::string name;
    WindowClass windowClass = kDocumentWindowClass;
    WindowAttributes attributes = 0;
    Rect bounds;
    std::string title;
    std::vector<ControlDesc> controls;
  };

  // Reads a layout file; false (with a message) when it cannot be read or
  // holds anything the format does not allow.
  [[nodiscard]] bool Load(const CPathName& path, std::string* error);

  // Layouts made in code (tests, and the reader).
  void AddWindow(const WindowDesc& desc);
  void AddMenuBar(const MenuBarDesc& desc);

  [[nodiscard]] const WindowDesc* FindWindow(const std::string& name) const;
  [[nodiscard]] const MenuBarDesc* FindMenuBar(const std::string& name) const;
  const std::vector<WindowDesc>& Windows() const { return windows_; }

  [[nodiscard]] OSStatus MakeWindow(const WindowDesc& desc, WindowRef* outWindow) const;
  [[nodiscard]] OSStatus InstallMenuBar(const MenuBarDesc& desc) const;

 private:
  std::vector<WindowDesc> windows_;
  std::vector<MenuBarDesc> menuBars_;
};
