#include "platform/windows.h"

#include <algorithm>
#include <cstring>

#include "platform/alerts.h"
#include "platform/controls.h"
#include "platform/ui_driver.h"

namespace plat {

namespace {

std::vector<WindowRef>& Windows() {
  static std::vector<WindowRef> windows;
  return windows;
}

size_t gCreated = 0;

// Disposed windows keep their memory, so that a stale WindowRef never names a
// later window.
std::vector<std::unique_ptr<Window>>& Graveyard() {
  static std::vector<std::unique_ptr<Window>> graveyard;
  return graveyard;
}

int Width(const Rect& r) { return r.right - r.left; }
int Height(const Rect& r) { return r.bottom - r.top; }

Rect Structure(WindowRef window) {
  Rect r = window->content;
  r.top = SInt16(r.top - TitleBarHeight(window->windowClass));
  return r;
}

// Sends a window event with the window as its direct object.
// Tells the window of a change; its handlers may ignore it.
void SendWindowEvent(WindowRef window, UInt32 kind, const Rect* original = nullptr, const Rect* current = nullptr) {
  EventRef event = NewEvent(kEventClassWindow, kind);
  SetParam(event, kEventParamDirectObject, typeWindowRef, window);
  if (original) SetParam(event, kEventParamOriginalBounds, typeQDRectangle, *original);
  if (current) SetParam(event, kEventParamCurrentBounds, typeQDRectangle, *current);
  SendNotification(event, window->target.get());
  ReleaseEvent(event);
}

// Changes the content bounds, telling the window before and after.
void ChangeBounds(WindowRef window, const Rect& bounds) {
  Rect original = window->content;
  if (original == bounds) return;
  Rect proposed = bounds;
  SendWindowEvent(window, kEventWindowBoundsChanging, &original, &proposed);
  if (!IsLiveWindow(window)) return;
  window->content = bounds;
  if (Width(original) != Width(bounds) || Height(original) != Height(bounds)) window->needsUpdate = true;
  SendWindowEvent(window, kEventWindowBoundsChanged, &original, &window->content);
}

// Activates or deactivates a live window, telling it when that changes.
void SetActive(WindowRef window, bool activate) {
  if (window->active == activate) return;
  window->active = activate;
  SendWindowEvent(window, activate ? kEventWindowActivated : kEventWindowDeactivated);
}

void MoveToFront(WindowRef window) {
  auto& list = Windows();
  auto it = std::find(list.begin(), list.end(), window);
  if (it == list.end()) return;
  list.erase(it);
  list.insert(list.begin(), window);
}

}  // namespace

Rect MainScreenBounds() { return MakeRect(0, 0, 1440, 900); }
Rect AvailableScreenBounds() { return MakeRect(0, 22, 1440, 900); }

int TitleBarHeight(WindowClass windowClass) {
  switch (windowClass) {
    case kDocumentWindowClass:
    case kMovableModalWindowClass:
    case kMovableAlertWindowClass:
      return 22;
    case kFloatingWindowClass:
    case kUtilityWindowClass:
      return 16;
    default:
      return 0;
  }
}

Window::Window(WindowClass kind, WindowAttributes flags, const Rect& bounds)
    : windowClass(kind),
      attributes(flags),
      content(bounds),
      userState(bounds),
      target(MakeTarget(EventTarget::Kind::kWindow, this)) {}

Window::~Window() { target->Detach(); }

bool IsLiveWindow(WindowRef window) {
  if (!window) return false;
  const auto& list = Windows();
  return std::find(list.begin(), list.end(), window) != list.end();
}

const std::vector<WindowRef>& WindowList() { return Windows(); }

WindowRef FindWindowNamed(const std::string& name) {
  for (WindowRef w : Windows())
    if (w->name == name) return w;
  for (WindowRef w : Windows())
    if (w->title == name) return w;
  return nullptr;
}

size_t CreatedWindowCount() { return gCreated; }

OSStatus SetWindowTitleText(WindowRef window, const std::string& title) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  window->title = title;
  return noErr;
}

std::string WindowTitleText(WindowRef window) { return IsLiveWindow(window) ? window->title : std::string(); }

WindowRef WindowOfPort(CGrafPtr port) {
  if (!port) return nullptr;
  for (WindowRef w : Windows())
    if (w->port == port) return w;
  return nullptr;
}

void DisposeAllWindows() {
  while (!Windows().empty()) DisposeWindow(Windows().back());
}

}  // namespace plat

using plat::IsLiveWindow;

OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes, const Rect* contentBounds,
                         WindowRef* outWindow) {
  if (!contentBounds || !outWindow) return paramErr;
  OSStatus injected;
  if (plat::UiDriver::Get().TakeFailure(plat::UiFailure::kCreateWindow, &injected)) return injected;
  switch (windowClass) {
    case kAlertWindowClass:
    case kMovableAlertWindowClass:
    case kModalWindowClass:
    case kMovableModalWindowClass:
    case kFloatingWindowClass:
    case kDocumentWindowClass:
    case kUtilityWindowClass:
    case kHelpWindowClass:
    case kSheetWindowClass:
    case kToolbarWindowClass:
    case kPlainWindowClass:
      break;
    default:
      return errUnrecognizedWindowClass;
  }
  auto window = new plat::Window(windowClass, attributes, *contentBounds);
  plat::Windows().insert(plat::Windows().begin(), window);
  ++plat::gCreated;
  if (OSStatus rooted = CreateRootControl(window, &window->root); rooted != noErr) {
    DisposeWindow(window);
    return rooted;
  }
  *outWindow = window;
  return noErr;
}

void DisposeWindow(WindowRef window) {
  if (!IsLiveWindow(window)) return;
  // Sheets hanging on it go with it.
  for (WindowRef other : std::vector<WindowRef>(plat::Windows()))
    if (IsLiveWindow(other) && other->sheetParent == window) other->sheetParent = nullptr;
  plat::ForgetDialogWindow(window);
  if (window->root) DisposeControl(window->root);
  auto& list = plat::Windows();
  list.erase(std::find(list.begin(), list.end(), window));
  window->target->Detach();
  window->properties.clear();
  window->trackingHandlers.clear();
  window->receiveHandlers.clear();
  if (window->port) {
    CGrafPtr current = nullptr;
    GetGWorld(&current);
    if (current == window->port) SetGWorld(nullptr);
    DisposeGWorld(window->port);
    window->port = nullptr;
  }
  plat::Graveyard().emplace_back(window);
}

void ShowWindow(WindowRef window) {
  if (!IsLiveWindow(window) || window->visible) return;
  window->visible = true;
  window->needsUpdate = true;
  plat::UiDriver::Get().RecordWindow(window);
}

void HideWindow(WindowRef window) {
  if (IsLiveWindow(window)) window->visible = false;
}

Boolean IsWindowVisible(WindowRef window) { return IsLiveWindow(window) && window->visible; }

void SelectWindow(WindowRef window) {
  if (!IsLiveWindow(window)) return;
  plat::MoveToFront(window);
  plat::SetActive(window, true);
}

void BringToFront(WindowRef window) {
  if (IsLiveWindow(window)) plat::MoveToFront(window);
}

void SendBehind(WindowRef window, WindowRef behind) {
  if (!IsLiveWindow(window)) return;
  auto& list = plat::Windows();
  list.erase(std::find(list.begin(), list.end(), window));
  auto it = IsLiveWindow(behind) ? std::find(list.begin(), list.end(), behind) + 1 : list.end();
  list.insert(it, window);
}

OSStatus ActivateWindow(WindowRef window, Boolean activate) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  plat::SetActive(window, activate);
  return noErr;
}

Boolean IsWindowActive(WindowRef window) { return IsLiveWindow(window) && window->active; }

WindowRef FrontWindow() {
  for (WindowRef w : plat::Windows())
    if (w->visible) return w;
  return nullptr;
}

WindowRef FrontNonFloatingWindow() {
  for (WindowRef w : plat::Windows())
    if (w->visible && w->windowClass != kFloatingWindowClass && w->windowClass != kUtilityWindowClass) return w;
  return nullptr;
}

OSStatus GetWindowClass(WindowRef window, WindowClass* outClass) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (outClass) *outClass = window->windowClass;
  return noErr;
}

OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (outAttributes) *outAttributes = window->attributes;
  return noErr;
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode region, Rect* outBounds) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (!outBounds) return paramErr;
  if (region == kWindowContentRgn)
    *outBounds = window->content;
  else if (region == kWindowStructureRgn)
    *outBounds = plat::Structure(window);
  else
    return paramErr;
  return noErr;
}

OSStatus SetWindowBounds(WindowRef window, WindowRegionCode region, const Rect* bounds) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (!bounds || bounds->right < bounds->left || bounds->bottom < bounds->top) return paramErr;
  Rect content = *bounds;
  if (region == kWindowStructureRgn)
    content.top = SInt16(content.top + plat::TitleBarHeight(window->windowClass));
  else if (region != kWindowContentRgn)
    return paramErr;
  plat::ChangeBounds(window, content);
  return noErr;
}

void MoveWindow(WindowRef window, SInt16 left, SInt16 top, Boolean front) {
  if (!IsLiveWindow(window)) return;
  Rect r = window->content;
  r.right = SInt16(left + plat::Width(r));
  r.bottom = SInt16(top + plat::Height(r));
  r.left = left;
  r.top = top;
  plat::ChangeBounds(window, r);
  if (front && IsLiveWindow(window)) SelectWindow(window);
}

void SizeWindow(WindowRef window, SInt16 width, SInt16 height, Boolean) {
  if (!IsLiveWindow(window) || width < 0 || height < 0) return;
  Rect r = window->content;
  r.right = SInt16(r.left + width);
  r.bottom = SInt16(r.top + height);
  plat::ChangeBounds(window, r);
}

namespace {

// The standard state: the available screen below the menu bar, title bar included.
Rect StandardState(WindowRef window) {
  Rect r = plat::AvailableScreenBounds();
  r.top = SInt16(r.top + plat::TitleBarHeight(window->windowClass));
  return r;
}

}  // namespace

void ZoomWindow(WindowRef window, SInt16 part, Boolean front) {
  if (!IsLiveWindow(window)) return;
  if (part == inZoomOut) {
    if (!(window->content == StandardState(window))) window->userState = window->content;
    plat::ChangeBounds(window, StandardState(window));
  } else if (part == inZoomIn) {
    plat::ChangeBounds(window, window->userState);
  }
  if (front && IsLiveWindow(window)) SelectWindow(window);
}

OSStatus ZoomWindowIdeal(WindowRef window, SInt16 part, Point*) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  ZoomWindow(window, part, false);
  return noErr;
}

Boolean IsWindowInStandardState(WindowRef window, Point*, Rect* idealStandardState) {
  if (!IsLiveWindow(window)) return false;
  if (idealStandardState) *idealStandardState = StandardState(window);
  return window->content == StandardState(window);
}

OSStatus CollapseWindow(WindowRef window, Boolean collapse) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  window->collapsed = collapse;
  return noErr;
}

Boolean IsWindowCollapsed(WindowRef window) { return IsLiveWindow(window) && window->collapsed; }

OSStatus RepositionWindow(WindowRef window, WindowRef parent, UInt32 method) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  Rect area = plat::AvailableScreenBounds();
  if (method != kWindowCenterOnMainScreen && IsLiveWindow(parent)) area = plat::Structure(parent);
  Rect s = plat::Structure(window);
  int left = area.left + (plat::Width(area) - plat::Width(s)) / 2;
  int top = area.top + (plat::Height(area) - plat::Height(s)) / 2;
  MoveWindow(window, SInt16(left), SInt16(top + plat::TitleBarHeight(window->windowClass)), false);
  return noErr;
}

OSStatus ConstrainWindowToScreen(WindowRef window, WindowRegionCode, UInt32 options, const Rect* screenRect,
                                 Rect* outStructure) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  Rect area = screenRect ? *screenRect : plat::AvailableScreenBounds();
  Rect s = plat::Structure(window);
  int width = plat::Width(s), height = plat::Height(s);
  if ((options & kWindowConstrainMayResize) && width > plat::Width(area)) width = plat::Width(area);
  if ((options & kWindowConstrainMayResize) && height > plat::Height(area)) height = plat::Height(area);
  int left = std::clamp<int>(s.left, area.left, std::max<int>(area.left, area.right - width));
  int top = std::clamp<int>(s.top, area.top, std::max<int>(area.top, area.bottom - height));
  int bar = plat::TitleBarHeight(window->windowClass);
  plat::ChangeBounds(window, MakeRect(SInt16(left), SInt16(top + bar), SInt16(left + width), SInt16(top + height)));
  if (outStructure && IsLiveWindow(window)) *outStructure = plat::Structure(window);
  return noErr;
}

OSStatus SetWindowContentColor(WindowRef window, const RGBColor* colour) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (!colour) return paramErr;
  window->contentColor = *colour;
  return noErr;
}

OSStatus GetWindowContentColor(WindowRef window, RGBColor* colour) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (!colour) return paramErr;
  *colour = window->contentColor;
  return noErr;
}

OSStatus SetThemeWindowBackground(WindowRef window, ThemeBrush brush, Boolean) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  window->themeBrush = brush;
  return noErr;
}

OSStatus SetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 size, const void* buffer) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  if (size && !buffer) return paramErr;
  auto bytes = static_cast<const UInt8*>(buffer);
  window->properties[{creator, tag}] = std::vector<UInt8>(bytes, bytes + size);
  return noErr;
}

OSStatus GetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 bufferSize, UInt32* outSize,
                           void* buffer) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  auto it = window->properties.find({creator, tag});
  if (it == window->properties.end()) return errWindowPropertyNotFound;
  if (outSize) *outSize = UInt32(it->second.size());
  if (buffer && !it->second.empty()) std::memcpy(buffer, it->second.data(), std::min<size_t>(bufferSize, it->second.size()));
  return noErr;
}

OSStatus RemoveWindowProperty(WindowRef window, OSType creator, OSType tag) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  return window->properties.erase({creator, tag}) ? noErr : OSStatus(errWindowPropertyNotFound);
}

void SetWRefCon(WindowRef window, SRefCon value) {
  if (IsLiveWindow(window)) window->refCon = value;
}

SRefCon GetWRefCon(WindowRef window) { return IsLiveWindow(window) ? window->refCon : nullptr; }

OSStatus ShowSheetWindow(WindowRef sheet, WindowRef parent) {
  if (!IsLiveWindow(sheet) || !IsLiveWindow(parent)) return errInvalidWindowRef;
  if (sheet->windowClass != kSheetWindowClass || sheet == parent) return paramErr;
  OSStatus injected;
  if (plat::UiDriver::Get().TakeFailure(plat::UiFailure::kShowSheet, &injected)) return injected;
  sheet->sheetParent = parent;
  // A sheet hangs from the top of its parent's content, centred.
  int width = plat::Width(sheet->content), height = plat::Height(sheet->content);
  int left = parent->content.left + (plat::Width(parent->content) - width) / 2;
  sheet->content =
      MakeRect(SInt16(left), parent->content.top, SInt16(left + width), SInt16(parent->content.top + height));
  plat::MoveToFront(sheet);
  ShowWindow(sheet);
  return noErr;
}

OSStatus HideSheetWindow(WindowRef sheet) {
  if (!IsLiveWindow(sheet)) return errInvalidWindowRef;
  if (!sheet->sheetParent) return paramErr;
  sheet->sheetParent = nullptr;
  HideWindow(sheet);
  return noErr;
}

OSStatus GetSheetWindowParent(WindowRef sheet, WindowRef* outParent) {
  if (!IsLiveWindow(sheet)) return errInvalidWindowRef;
  if (outParent) *outParent = sheet->sheetParent;
  return noErr;
}

void BeginUpdate(WindowRef window) {
  if (IsLiveWindow(window)) ++window->updatesBegun;
}

void EndUpdate(WindowRef window) {
  if (IsLiveWindow(window)) window->needsUpdate = false;
}

CGrafPtr GetWindowPort(WindowRef window) {
  if (!IsLiveWindow(window)) return nullptr;
  if (!window->port) {
    const int width = std::max(1, window->content.right - window->content.left);
    const int height = std::max(1, window->content.bottom - window->content.top);
    Rect bounds = MakeRect(0, 0, SInt16(width), SInt16(height));
    if (NewGWorld(&window->port, 32, &bounds) != noErr) window->port = nullptr;
  }
  return window->port;
}

void SetPortWindowPort(WindowRef window) {
  if (CGrafPtr port = GetWindowPort(window)) SetGWorld(port);
}
