#include "ui/nib_file.h"

#include "platform/carbon_strings.h"

namespace {

[[nodiscard]] OSStatus MakeControls(WindowRef window, ControlRef parent, const std::vector<CNibFile::ControlDesc>& controls) {
  for (const CNibFile::ControlDesc& desc : controls) {
    ControlRef control = nullptr;
    OSStatus status = plat::NewControl(window, desc.kind, desc.bounds, desc.title, &control);
    if (status == noErr && parent) status = EmbedControl(control, parent);
    if (status == noErr) status = SetControlID(control, &desc.id);
    if (status == noErr) status = SetControlCommandID(control, desc.command);
    if (status != noErr) return status;
    if (desc.kind == plat::ControlKind::kPopupButton) {
      MenuRef menu = nullptr;
      status = CreateNewMenu(0, 0, &menu);
      for (const std::string& item : desc.items)
        if (status == noErr) status = plat::AppendMenuItemTextString(menu, item, 0, 0, nullptr);
      if (status == noErr)
        status =
            SetControlData(control, kControlEntireControl, kControlPopupButtonMenuHandleTag, sizeof(MenuRef), &menu);
      if (status != noErr) {
        if (menu) DisposeMenu(menu);
        return status;
      }
      SetControl32BitMaximum(control, SInt32(desc.items.size()));
      SetControl32BitMinimum(control, desc.items.empty() ? 0 : 1);
      SetControl32BitValue(control, desc.items.empty() ? 0 : 1);
    } else if (desc.kind == plat::ControlKind::kTabs) {
      for (const std::string& name : desc.items) {
        ControlTabInfo tab;
        name.copy(tab.name, sizeof(tab.name) - 1);
        control->tabs.push_back(tab);
      }
      SetControl32BitMaximum(control, SInt32(desc.items.size()));
      SetControl32BitMinimum(control, desc.items.empty() ? 0 : 1);
      SetControl32BitValue(control, desc.items.empty() ? 0 : 1);
    }
    if (desc.hasMaximum) SetControl32BitMaximum(control, desc.maximum);
    if (desc.hasMinimum) SetControl32BitMinimum(control, desc.minimum);
    if (desc.hasValue) SetControl32BitValue(control, desc.value);
    if (!desc.visible) HideControl(control);
    if (!desc.enabled) status = DeactivateControl(control);
    if (status == noErr) status = MakeControls(window, control, desc.children);
    if (status != noErr) return status;
  }
  return noErr;
}

}  // namespace

const CNibFile::WindowDesc* CNibFile::FindWindow(const std::string& name) const {
  for (const WindowDesc& w : windows_)
    if (w.name == name) return &w;
  return nullptr;
}

const CNibFile::MenuBarDesc* CNibFile::FindMenuBar(const std::string& name) const {
  for (const MenuBarDesc& m : menuBars_)
    if (m.name == name) return &m;
  return nullptr;
}

void CNibFile::AddWindow(const WindowDesc& desc) { windows_.push_back(desc); }
void CNibFile::AddMenuBar(const MenuBarDesc& desc) { menuBars_.push_back(desc); }

OSStatus CNibFile::MakeWindow(const WindowDesc& desc, WindowRef* outWindow) const {
  if (!outWindow) return paramErr;
  *outWindow = nullptr;
  WindowRef window = nullptr;
  OSStatus status = CreateNewWindow(desc.windowClass, desc.attributes, &desc.bounds, &window);
  if (status != noErr) return status;
  window->name = desc.name;
  status = plat::SetWindowTitleText(window, desc.title);
  if (status == noErr) status = MakeControls(window, nullptr, desc.controls);
  if (status != noErr) {
    DisposeWindow(window);
    return status;
  }
  *outWindow = window;
  return noErr;
}

OSStatus CNibFile::InstallMenuBar(const MenuBarDesc& desc) const {
  ClearMenuBar();
  for (const MenuDesc& m : desc.menus) {
    if (MenuRef old = GetMenuHandle(m.id)) DisposeMenu(old);
    MenuRef menu = nullptr;
    OSStatus status = CreateNewMenu(m.id, 0, &menu);
    if (status != noErr) return status;
    status = plat::SetMenuTitleString(menu, m.title);
    for (const ItemDesc& item : m.items) {
      if (status != noErr) break;
      MenuItemIndex index = 0;
      status = plat::AppendMenuItemTextString(menu, item.separator ? std::string() : item.title,
                                              item.separator ? MenuItemAttributes(kMenuItemAttrSeparator) : 0u,
                                              item.command, &index);
      if (status != noErr) break;
      if (item.key) SetItemCmd(menu, index, item.key);
      if (item.modifiers) status = SetMenuItemModifiers(menu, index, item.modifiers);
      if (!item.enabled || item.separator) DisableMenuItem(menu, index);
    }
    if (status != noErr) {
      DisposeMenu(menu);
      return status;
    }
    InsertMenu(menu, 0);
  }
  return noErr;
}

void DisposeNibReference(IBNibRef nib) { delete nib; }

OSStatus CreateWindowFromNib(IBNibRef nib, CFStringRef name, WindowRef* outWindow) {
  if (!nib || !outWindow) return paramErr;
  const CNibFile::WindowDesc* desc = nib->FindWindow(plat::MacRomanOf(name));
  if (!desc) return paramErr;
  return nib->MakeWindow(*desc, outWindow);
}

OSStatus SetMenuBarFromNib(IBNibRef nib, CFStringRef name) {
  if (!nib) return paramErr;
  const CNibFile::MenuBarDesc* desc = nib->FindMenuBar(plat::MacRomanOf(name));
  if (!desc) return paramErr;
  return nib->InstallMenuBar(*desc);
}
