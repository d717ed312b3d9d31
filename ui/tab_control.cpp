#include "ui/tab_control.h"

#include <cstring>

#include "foundation/string_buffer.h"

CTabControl::~CTabControl() { CTabControl::Destroy(); }

bool CTabControl::OnAttach() {
  if (handler_) return true;
  upp_ = NewEventHandlerUPP(&CTabControl::HandleHit);
  const EventTypeSpec hit = {kEventClassControl, kEventControlHit};
  if (!upp_ || InstallEventHandler(GetControlEventTarget(control_), upp_, 1, &hit, this, &handler_) != noErr) {
    if (upp_) DisposeEventHandlerUPP(upp_);
    upp_ = nullptr;
    handler_ = nullptr;
    return false;
  }
  return true;
}

bool CTabControl::Destroy() {
  // A handler whose control is gone already has nothing left to remove.
  if (handler_) static_cast<void>(RemoveEventHandler(handler_));
  if (upp_) DisposeEventHandlerUPP(upp_);
  handler_ = nullptr;
  upp_ = nullptr;
  return CControl::Destroy();
}

int CTabControl::GetTabCount() const { return plat::IsLiveControl(control_) ? int(control_->tabs.size()) : 0; }

bool CTabControl::SetPane(int index, SInt32 paneId, UInt32 titleString) {
  if (index < 0 || index >= GetTabCount()) return false;
  ControlID id{0, paneId};
  ControlRef pane = nullptr;
  if (GetControlByID(window_, &id, &pane) != noErr || !pane) return false;
  if (panes_.size() <= size_t(index)) panes_.resize(size_t(index) + 1, nullptr);
  panes_[size_t(index)] = pane;
  ControlTabInfo info;
  if (GetControlData(control_, ControlPartCode(index + 1), kControlTabInfoTag, sizeof(info), &info, nullptr) != noErr)
    return false;
  CStringBuffer title{int(titleString)};
  std::strncpy(info.name, title.GetText(), sizeof(info.name) - 1);
  info.name[sizeof(info.name) - 1] = 0;
  return SetControlData(control_, ControlPartCode(index + 1), kControlTabInfoTag, sizeof(info), &info) == noErr;
}

bool CTabControl::SelectTab(int index) {
  if (index < 0 || index >= GetTabCount()) return false;
  SetControl32BitValue(control_, index + 1);
  ShowChosenPane();
  return true;
}

int CTabControl::GetSelectedTab() const {
  const SInt32 value = plat::IsLiveControl(control_) ? GetControl32BitValue(control_) : 0;
  return value >= 1 ? int(value - 1) : -1;
}

void CTabControl::ShowChosenPane() {
  const int chosen = GetSelectedTab();
  for (size_t i = 0; i < panes_.size(); ++i) {
    if (!panes_[i]) continue;
    if (int(i) == chosen)
      ShowControl(panes_[i]);
    else
      HideControl(panes_[i]);
  }
}

OSStatus CTabControl::HandleHit(EventHandlerCallRef call, EventRef event, void* self) {
  static_cast<CTabControl*>(self)->ShowChosenPane();
  return CallNextEventHandler(call, event);
}
