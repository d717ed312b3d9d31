#include "ui/nib_file.h"

#include "platform/carbon_strings.h"

namespace {

OSStatus MakeControls(WindowRef window, ControlRef parent, const std::vector<CNibFile::ControlDesc>& controls) {
  for (const CNibFile::ControlDesc& desc : controls) {
    ControlRef control = nullptr;
    OSStatus status = plat::NewControl(window, desc.kind, desc.bounds, desc.title, &control);
    if (status != noErr) return status;
    if (parent) EmbedControl(control, parent);
    SetControlID(control, &desc.id);
    SetControlCommandID(control, desc.command);
    if (desc.kind == plat::ControlKind::kPopupButton) {
      MenuRef menu = nullptr;
      CreateNewMenu(0, 0, &menu);
      for (const std::string& item : desc.items) plat::AppendMenuItemTextString(menu, item, 0, 0, nullptr);
      SetControlData(control, kControlEntireControl, kControlPopupButtonMenuHandleTag, sizeof(menu), &menu);
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
    if (!desc.enabled) DeactivateControl(control);
    status = MakeControls(window, control, desc.children);
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
  plat::SetWindowTitleText(window, desc.title);
  status = MakeControls(window, nullptr, desc.controls);
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
    plat::SetMenuTitleString(menu, m.title);
    for (const ItemDesc& item : m.items) {
      MenuItemIndex index = 0;
      plat::AppendMenuItemTextString(menu, item.separator ? std::string() : item.title,
                                     item.separator ? MenuItemAttributes(kMenuItemAttrSeparator) : 0u, item.command, &index);
      if (item.key) SetItemCmd(menu, index, item.key);
      if (item.modifiers) SetMenuItemModifiers(menu, index, item.modifiers);
      if (!item.enabled || item.separator) DisableMenuItem(menu, index);
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
