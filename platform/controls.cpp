#include "platform/controls.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/data_browser.h"
#include "platform/windows.h"

namespace plat {

namespace {

std::set<ControlRef>& LiveControls() {
  static std::set<ControlRef> controls;
  return controls;
}

struct KindName {
  ControlKind kind;
  const char* name;
};

constexpr KindName kKindNames[] = {
    {ControlKind::kRoot, "root"},           {ControlKind::kUserPane, "pane"},
    {ControlKind::kPushButton, "button"},   {ControlKind::kCheckBox, "checkbox"},
    {ControlKind::kRadioButton, "radio"},   {ControlKind::kRadioGroup, "radiogroup"},
    {ControlKind::kBevelButton, "bevel"},   {ControlKind::kStaticText, "static"},
    {ControlKind::kEditText, "edit"},       {ControlKind::kPopupButton, "popup"},
    {ControlKind::kProgressBar, "progress"}, {ControlKind::kDataBrowser, "list"},
    {ControlKind::kTabs, "tabs"},           {ControlKind::kGroupBox, "group"},
    {ControlKind::kImageWell, "image"},     {ControlKind::kSeparator, "separator"},
};

void Pin(ControlRef c) {
  if (c->value > c->maximum) c->value = c->maximum;
  if (c->value < c->minimum) c->value = c->minimum;
}

void CollectControls(ControlRef parent, std::vector<ControlRef>* out) {
  for (ControlRef child : parent->children) {
    out->push_back(child);
    CollectControls(child, out);
  }
}

[[nodiscard]] bool IsAncestor(ControlRef ancestor, ControlRef control) {
  for (ControlRef c = control; c; c = c->parent)
    if (c == ancestor) return true;
  return false;
}

void Detach(ControlRef control) {
  if (!control->parent) return;
  auto& siblings = control->parent->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), control), siblings.end());
  control->parent = nullptr;
}

// The size of a control's data: for a MenuRef, the pointer itself.
template <typename T>
constexpr size_t kDataSize = sizeof(T);  // NOLINT(bugprone-sizeof-expression): a MenuRef is copied as the pointer

template <typename T>
[[nodiscard]] OSErr CopyOut(const T& value, size_t bufferSize, void* buffer, size_t* outActualSize) {
  if (outActualSize) *outActualSize = kDataSize<T>;
  if (buffer) std::memcpy(buffer, &value, std::min(bufferSize, kDataSize<T>));
  return noErr;
}

template <typename T>
[[nodiscard]] OSErr CopyIn(T* value, size_t size, const void* data) {
  if (size != kDataSize<T> || !data) return errDataSizeMismatch;
  std::memcpy(value, data, kDataSize<T>);
  return noErr;
}

[[nodiscard]] bool IsTextKind(ControlKind kind) { return kind == ControlKind::kStaticText || kind == ControlKind::kEditText; }

}  // namespace

const char* ControlKindName(ControlKind kind) {
  for (const KindName& k : kKindNames)
    if (k.kind == kind) return k.name;
  return "?";
}

bool ControlKindFromName(const std::string& name, ControlKind* out) {
  for (const KindName& k : kKindNames) {
    if (name == k.name) {
      *out = k.kind;
      return true;
    }
  }
  return false;
}

Control::Control(ControlKind controlKind, WindowRef owner, const Rect& frame)
    : kind(controlKind), window(owner), bounds(frame), target(MakeTarget(EventTarget::Kind::kControl, this)) {
  LiveControls().insert(this);
  if (kind == ControlKind::kDataBrowser) browser = std::make_unique<DataBrowser>();
}

Control::~Control() {
  target->Detach();
  LiveControls().erase(this);
}

// Disposed controls keep their memory, so that a stale ControlRef never names a
// later control.
void Bury(ControlRef control) {
  static std::vector<std::unique_ptr<Control>> graveyard;
  LiveControls().erase(control);
  control->target->Detach();
  control->browser.reset();
  control->text.clear();
  control->tabs.clear();
  control->properties.clear();
  graveyard.emplace_back(control);
}

bool Control::IsEmbedder() const {
  switch (kind) {
    case ControlKind::kRoot:
    case ControlKind::kUserPane:
    case ControlKind::kTabs:
    case ControlKind::kGroupBox:
    case ControlKind::kRadioGroup:
      return true;
    default:
      return false;
  }
}

bool IsLiveControl(ControlRef control) { return control && LiveControls().count(control) != 0; }

OSStatus NewControl(WindowRef window, ControlKind kind, const Rect& bounds, const std::string& title,
                    ControlRef* outControl) {
  if (!outControl) return paramErr;
  *outControl = nullptr;
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (kind == ControlKind::kRoot) return paramErr;
  auto control = new Control(kind, window, bounds);
  if (IsTextKind(kind))
    control->text = title;
  else
    control->title = title;
  switch (kind) {
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
      control->maximum = 1;
      break;
    case ControlKind::kProgressBar:
      control->maximum = 100;
      break;
    default:
      break;
  }
  control->parent = window->root;
  window->root->children.push_back(control);
  *outControl = control;
  return noErr;
}

OSStatus SetControlTitleText(ControlRef control, const std::string& title) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->title = title;
  return noErr;
}

std::string ControlTitleText(ControlRef control) { return IsLiveControl(control) ? control->title : std::string(); }
std::string ControlText(ControlRef control) { return IsLiveControl(control) ? control->text : std::string(); }

std::vector<ControlRef> WindowControls(WindowRef window) {
  std::vector<ControlRef> out;
  if (IsLiveWindow(window) && window->root) CollectControls(window->root, &out);
  return out;
}

bool IsControlReallyVisible(ControlRef control) {
  if (!IsLiveControl(control)) return false;
  for (ControlRef c = control; c; c = c->parent)
    if (!c->visible || !c->active || !c->enabled) return false;
  return true;
}

bool ClickControl(ControlRef control, SInt32 value) {
  if (!IsControlReallyVisible(control) || !IsWindowVisible(control->window)) return false;
  switch (control->kind) {
    case ControlKind::kCheckBox:
      if (control->autoToggle) SetControl32BitValue(control, control->value ? 0 : 1);
      break;
    case ControlKind::kRadioButton:
      if (control->parent && control->parent->kind == ControlKind::kRadioGroup) {
        auto& siblings = control->parent->children;
        for (size_t i = 0; i < siblings.size(); ++i) {
          if (siblings[i]->kind != ControlKind::kRadioButton) continue;
          siblings[i]->value = siblings[i] == control ? 1 : 0;
          if (siblings[i] == control) control->parent->value = SInt32(i + 1);
        }
      } else {
        control->value = 1;
      }
      break;
    case ControlKind::kTabs:
    case ControlKind::kPopupButton:
    case ControlKind::kRadioGroup:
      SetControl32BitValue(control, value);
      break;
    default:
      break;
  }
  EventRef hit = NewEvent(kEventClassControl, kEventControlHit);
  SetParam(hit, kEventParamDirectObject, typeControlRef, control);
  SetParam(hit, kEventParamControlPart, typeControlPartCode, ControlPartCode(kControlButtonPart));
  std::shared_ptr<EventTarget> keep = control->target;
  OSStatus status = SendEventToEventTarget(hit, keep.get());
  ReleaseEvent(hit);
  if (status == eventNotHandledErr && IsLiveControl(control) && control->command) {
    HICommand command;
    command.attributes = kHICommandFromControl;
    command.commandID = control->command;
    EventRef process = NewEvent(kEventClassCommand, kEventCommandProcess);
    SetParam(process, kEventParamDirectObject, typeHICommand, command);
    SendNotification(process, keep.get());
    ReleaseEvent(process);
  }
  return true;
}

}  // namespace plat

using plat::ControlKind;
using plat::IsLiveControl;

OSStatus CreateRootControl(WindowRef window, ControlRef* outControl) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  if (!window->root) {
    const Rect& c = window->content;
    window->root = new plat::Control(ControlKind::kRoot, window,
                                     MakeRect(0, 0, SInt16(c.right - c.left), SInt16(c.bottom - c.top)));
  }
  if (outControl) *outControl = window->root;
  return noErr;
}

OSStatus GetRootControl(WindowRef window, ControlRef* outControl) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  if (outControl) *outControl = window->root;
  return window->root ? noErr : OSStatus(errUnknownControl);
}

void DisposeControl(ControlRef control) {
  if (!IsLiveControl(control)) return;
  while (!control->children.empty()) DisposeControl(control->children.back());
  plat::Detach(control);
  if (plat::IsLiveWindow(control->window)) {
    if (control->window->focus == control) control->window->focus = nullptr;
    if (control->window->root == control) control->window->root = nullptr;
  }
  plat::Bury(control);
}

WindowRef GetControlOwner(ControlRef control) { return IsLiveControl(control) ? control->window : nullptr; }

OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  if (!id || !outControl) return paramErr;
  for (ControlRef c : plat::WindowControls(window)) {
    if (c->id.signature == id->signature && c->id.id == id->id) {
      *outControl = c;
      return noErr;
    }
  }
  *outControl = nullptr;
  return errUnknownControl;
}

OSStatus SetControlID(ControlRef control, const ControlID* id) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (!id) return paramErr;
  control->id = *id;
  return noErr;
}

OSStatus GetControlID(ControlRef control, ControlID* outId) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (!outId) return paramErr;
  *outId = control->id;
  return noErr;
}

OSStatus SetControlCommandID(ControlRef control, UInt32 command) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->command = command;
  return noErr;
}

OSStatus GetControlCommandID(ControlRef control, UInt32* outCommand) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (!outCommand) return paramErr;
  *outCommand = control->command;
  return noErr;
}

void SetControlReference(ControlRef control, SRefCon reference) {
  if (IsLiveControl(control)) control->reference = reference;
}

SRefCon GetControlReference(ControlRef control) { return IsLiveControl(control) ? control->reference : nullptr; }

OSStatus EmbedControl(ControlRef control, ControlRef container) {
  if (!IsLiveControl(control) || !IsLiveControl(container)) return errUnknownControl;
  if (control->kind == ControlKind::kRoot || control->window != container->window) return paramErr;
  if (!container->IsEmbedder()) return errControlIsNotEmbedder;
  if (plat::IsAncestor(control, container)) return paramErr;
  plat::Detach(control);
  control->parent = container;
  container->children.push_back(control);
  return noErr;
}

OSStatus GetSuperControl(ControlRef control, ControlRef* outParent) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (outParent) *outParent = control->parent;
  return control->parent ? noErr : OSStatus(errUnknownControl);
}

OSStatus CountSubControls(ControlRef control, UInt16* outCount) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (!control->IsEmbedder()) return errControlIsNotEmbedder;
  if (outCount) *outCount = UInt16(control->children.size());
  return noErr;
}

OSStatus GetIndexedSubControl(ControlRef control, UInt16 index, ControlRef* outSub) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (index < 1 || index > control->children.size() || !outSub) return paramErr;
  *outSub = control->children[index - 1];
  return noErr;
}

Rect* GetControlBounds(ControlRef control, Rect* outBounds) {
  if (!outBounds) return nullptr;
  *outBounds = IsLiveControl(control) ? control->bounds : Rect();
  return outBounds;
}

void SetControlBounds(ControlRef control, const Rect* bounds) {
  if (IsLiveControl(control) && bounds) control->bounds = *bounds;
}

void MoveControl(ControlRef control, SInt16 left, SInt16 top) {
  if (!IsLiveControl(control)) return;
  Rect& b = control->bounds;
  b = MakeRect(left, top, SInt16(left + (b.right - b.left)), SInt16(top + (b.bottom - b.top)));
}

void SizeControl(ControlRef control, SInt16 width, SInt16 height) {
  if (!IsLiveControl(control)) return;
  control->bounds.right = SInt16(control->bounds.left + width);
  control->bounds.bottom = SInt16(control->bounds.top + height);
}

void Draw1Control(ControlRef control) {
  if (IsLiveControl(control)) ++control->drawCount;
}

void ShowControl(ControlRef control) {
  if (IsLiveControl(control)) control->visible = true;
}

void HideControl(ControlRef control) {
  if (IsLiveControl(control)) control->visible = false;
}

Boolean IsControlVisible(ControlRef control) { return IsLiveControl(control) && control->visible; }

OSStatus SetControlVisibility(ControlRef control, Boolean visible, Boolean) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->visible = visible;
  return noErr;
}

OSStatus ActivateControl(ControlRef control) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->active = true;
  return noErr;
}

OSStatus DeactivateControl(ControlRef control) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->active = false;
  return noErr;
}

Boolean IsControlActive(ControlRef control) { return IsLiveControl(control) && control->active; }

OSStatus EnableControl(ControlRef control) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->enabled = true;
  return noErr;
}

OSStatus DisableControl(ControlRef control) {
  if (!IsLiveControl(control)) return errUnknownControl;
  control->enabled = false;
  return noErr;
}

Boolean IsControlEnabled(ControlRef control) { return IsLiveControl(control) && control->enabled; }

SInt32 GetControl32BitValue(ControlRef control) { return IsLiveControl(control) ? control->value : 0; }

void SetControl32BitValue(ControlRef control, SInt32 value) {
  if (!IsLiveControl(control)) return;
  control->value = value;
  plat::Pin(control);
}

SInt32 GetControl32BitMinimum(ControlRef control) { return IsLiveControl(control) ? control->minimum : 0; }

void SetControl32BitMinimum(ControlRef control, SInt32 minimum) {
  if (!IsLiveControl(control)) return;
  control->minimum = minimum;
  plat::Pin(control);
}

SInt32 GetControl32BitMaximum(ControlRef control) { return IsLiveControl(control) ? control->maximum : 0; }

void SetControl32BitMaximum(ControlRef control, SInt32 maximum) {
  if (!IsLiveControl(control)) return;
  control->maximum = maximum;
  plat::Pin(control);
}

namespace {
SInt16 To16(SInt32 v) { return SInt16(std::clamp<SInt32>(v, -32768, 32767)); }
}  // namespace

SInt16 GetControlValue(ControlRef control) { return To16(GetControl32BitValue(control)); }
void SetControlValue(ControlRef control, SInt16 value) { SetControl32BitValue(control, value); }
SInt16 GetControlMinimum(ControlRef control) { return To16(GetControl32BitMinimum(control)); }
void SetControlMinimum(ControlRef control, SInt16 minimum) { SetControl32BitMinimum(control, minimum); }
SInt16 GetControlMaximum(ControlRef control) { return To16(GetControl32BitMaximum(control)); }
void SetControlMaximum(ControlRef control, SInt16 maximum) { SetControl32BitMaximum(control, maximum); }

OSErr SetControlData(ControlRef control, ControlPartCode part, ControlDataTag tag, size_t size, const void* data) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (size && !data) return paramErr;
  const ControlKind kind = control->kind;
  if (tag == kControlStaticTextTextTag && plat::IsTextKind(kind)) {
    control->text.assign(static_cast<const char*>(data), size);
    return noErr;
  }
  if (tag == kControlPopupButtonMenuHandleTag && kind == ControlKind::kPopupButton)
    return plat::CopyIn(&control->menu, size, data);
  if (tag == kControlPopupButtonCheckCurrentTag && kind == ControlKind::kPopupButton) {
    Boolean on;
    OSErr err = plat::CopyIn(&on, size, data);
    if (err == noErr) control->checkCurrent = on;
    return err;
  }
  if (tag == kControlProgressBarIndeterminateTag && kind == ControlKind::kProgressBar) {
    Boolean on;
    OSErr err = plat::CopyIn(&on, size, data);
    if (err == noErr) control->indeterminate = on;
    return err;
  }
  if (tag == kControlFontStyleTag) return plat::CopyIn(&control->fontStyle, size, data);
  if (tag == kControlTabInfoTag && kind == ControlKind::kTabs) {
    if (part < 1 || part > SInt32(control->tabs.size())) return errInvalidPartCode;
    return plat::CopyIn(&control->tabs[size_t(part - 1)], size, data);
  }
  return errDataNotSupported;
}

OSErr GetControlData(ControlRef control, ControlPartCode part, ControlDataTag tag, size_t bufferSize, void* buffer,
                     size_t* outActualSize) {
  if (!IsLiveControl(control)) return errUnknownControl;
  const ControlKind kind = control->kind;
  if (tag == kControlStaticTextTextTag && plat::IsTextKind(kind)) {
    if (outActualSize) *outActualSize = control->text.size();
    if (buffer) std::memcpy(buffer, control->text.data(), std::min(bufferSize, control->text.size()));
    return noErr;
  }
  if (tag == kControlPopupButtonMenuHandleTag && kind == ControlKind::kPopupButton)
    return plat::CopyOut(control->menu, bufferSize, buffer, outActualSize);
  if (tag == kControlPopupButtonCheckCurrentTag && kind == ControlKind::kPopupButton)
    return plat::CopyOut(Boolean(control->checkCurrent), bufferSize, buffer, outActualSize);
  if (tag == kControlProgressBarIndeterminateTag && kind == ControlKind::kProgressBar)
    return plat::CopyOut(Boolean(control->indeterminate), bufferSize, buffer, outActualSize);
  if (tag == kControlFontStyleTag) return plat::CopyOut(control->fontStyle, bufferSize, buffer, outActualSize);
  if (tag == kControlTabInfoTag && kind == ControlKind::kTabs) {
    if (part < 1 || part > SInt32(control->tabs.size())) return errInvalidPartCode;
    return plat::CopyOut(control->tabs[size_t(part - 1)], bufferSize, buffer, outActualSize);
  }
  return errDataNotSupported;
}

OSErr GetControlDataSize(ControlRef control, ControlPartCode part, ControlDataTag tag, size_t* outSize) {
  return GetControlData(control, part, tag, 0, nullptr, outSize);
}

OSStatus SetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 size, const void* buffer) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (size && !buffer) return paramErr;
  auto bytes = static_cast<const UInt8*>(buffer);
  control->properties[{creator, tag}] = std::vector<UInt8>(bytes, bytes + size);
  return noErr;
}

OSStatus GetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 bufferSize, UInt32* outSize,
                            void* buffer) {
  if (!IsLiveControl(control)) return errUnknownControl;
  auto it = control->properties.find({creator, tag});
  if (it == control->properties.end()) return errControlPropertyNotFound;
  if (outSize) *outSize = UInt32(it->second.size());
  if (buffer && !it->second.empty()) std::memcpy(buffer, it->second.data(), std::min<size_t>(bufferSize, it->second.size()));
  return noErr;
}

OSStatus RemoveControlProperty(ControlRef control, OSType creator, OSType tag) {
  if (!IsLiveControl(control)) return errUnknownControl;
  return control->properties.erase({creator, tag}) ? noErr : OSStatus(errControlPropertyNotFound);
}

OSErr SetControlFontStyle(ControlRef control, const ControlFontStyleRec* style) {
  if (!IsLiveControl(control)) return errUnknownControl;
  if (!style) return paramErr;
  control->fontStyle = *style;
  return noErr;
}

OSErr SetKeyboardFocus(WindowRef window, ControlRef control, ControlPartCode part) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  if (!IsLiveControl(control) || control->window != window) return errUnknownControl;
  if (part == kControlFocusNoPart) {
    if (window->focus == control) window->focus = nullptr;
    return noErr;
  }
  if (control->kind != ControlKind::kEditText && control->kind != ControlKind::kDataBrowser)
    return errControlDoesntSupportFocus;
  window->focus = control;
  return noErr;
}

OSErr GetKeyboardFocus(WindowRef window, ControlRef* outControl) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  if (outControl) *outControl = window->focus;
  return noErr;
}

OSErr ClearKeyboardFocus(WindowRef window) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  window->focus = nullptr;
  return noErr;
}

OSStatus CreateProgressBarControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum, SInt32 maximum,
                                  Boolean indeterminate, ControlRef* outControl) {
  if (!bounds) return paramErr;
  OSStatus status = plat::NewControl(window, ControlKind::kProgressBar, *bounds, "", outControl);
  if (status != noErr) return status;
  ControlRef c = *outControl;
  c->minimum = minimum;
  c->maximum = maximum;
  c->value = value;
  c->indeterminate = indeterminate;
  plat::Pin(c);
  return noErr;
}

OSStatus CreateUserPaneControl(WindowRef window, const Rect* bounds, UInt32, ControlRef* outControl) {
  if (!bounds) return paramErr;
  return plat::NewControl(window, ControlKind::kUserPane, *bounds, "", outControl);
}
