// Windows of the headless window system.
//
// A window keeps its class, attributes, content bounds (global coordinates),
// title, visibility, content colour, properties, its controls under one root
// control, and its event target. Nothing is drawn; what a user would see is
// kept so that tests and the driver can read it. A WindowRef stays a valid
// argument after DisposeWindow: every call checks it first and answers
// errInvalidWindowRef (or false, 0, null) for a window that is gone.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/carbon_events.h"
#include "platform/gworld.h"

enum : WindowClass {
  kAlertWindowClass = 1,
  kMovableAlertWindowClass = 2,
  kModalWindowClass = 3,
  kMovableModalWindowClass = 4,
  kFloatingWindowClass = 5,
  kDocumentWindowClass = 6,
  kUtilityWindowClass = 8,
  kHelpWindowClass = 10,
  kSheetWindowClass = 11,
  kToolbarWindowClass = 12,
  kPlainWindowClass = 13,
};

enum : WindowAttributes {
  kWindowNoAttributes = 0,
  kWindowCloseBoxAttribute = 1u << 0,
  kWindowHorizontalZoomAttribute = 1u << 1,
  kWindowVerticalZoomAttribute = 1u << 2,
  kWindowCollapseBoxAttribute = 1u << 3,
  kWindowResizableAttribute = 1u << 4,
  kWindowStandardHandlerAttribute = 1u << 25,
};

enum : WindowRegionCode {
  kWindowStructureRgn = 32,
  kWindowContentRgn = 33,
};

enum : SInt16 {
  inZoomIn = 7,
  inZoomOut = 8,
};

enum : UInt32 {
  kWindowCenterOnMainScreen = 1,
  kWindowConstrainMayResize = 1,
  kWindowConstrainMoveRegardlessOfFit = 2,
};

typedef SInt16 ThemeBrush;
enum : ThemeBrush {
  kThemeBrushDialogBackgroundActive = 1,
  kThemeBrushDocumentWindowBackground = 15,
  kThemeBrushSheetBackgroundOpaque = 50,
};

[[nodiscard]] OSStatus CreateNewWindow(WindowClass windowClass, WindowAttributes attributes, const Rect* contentBounds,
                         WindowRef* outWindow);
void DisposeWindow(WindowRef window);
void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
[[nodiscard]] Boolean IsWindowVisible(WindowRef window);
void SelectWindow(WindowRef window);
void BringToFront(WindowRef window);
void SendBehind(WindowRef window, WindowRef behind);
[[nodiscard]] OSStatus ActivateWindow(WindowRef window, Boolean activate);
[[nodiscard]] Boolean IsWindowActive(WindowRef window);
WindowRef FrontWindow();
WindowRef FrontNonFloatingWindow();

[[nodiscard]] OSStatus GetWindowClass(WindowRef window, WindowClass* outClass);
[[nodiscard]] OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes);

// Bounds changes send the bounds-changing and bounds-changed events.
[[nodiscard]] OSStatus GetWindowBounds(WindowRef window, WindowRegionCode region, Rect* outBounds);
[[nodiscard]] OSStatus SetWindowBounds(WindowRef window, WindowRegionCode region, const Rect* bounds);
void MoveWindow(WindowRef window, SInt16 left, SInt16 top, Boolean front);
void SizeWindow(WindowRef window, SInt16 width, SInt16 height, Boolean update);
[[nodiscard]] OSStatus ZoomWindowIdeal(WindowRef window, SInt16 part, Point* idealSize);
void ZoomWindow(WindowRef window, SInt16 part, Boolean front);
[[nodiscard]] Boolean IsWindowInStandardState(WindowRef window, Point* idealSize, Rect* idealStandardState);
[[nodiscard]] OSStatus CollapseWindow(WindowRef window, Boolean collapse);
[[nodiscard]] Boolean IsWindowCollapsed(WindowRef window);
[[nodiscard]] OSStatus RepositionWindow(WindowRef window, WindowRef parent, UInt32 method);
[[nodiscard]] OSStatus ConstrainWindowToScreen(WindowRef window, WindowRegionCode region, UInt32 options,
                                 const Rect* screenRect, Rect* outStructure);

[[nodiscard]] OSStatus SetWindowContentColor(WindowRef window, const RGBColor* colour);
[[nodiscard]] OSStatus GetWindowContentColor(WindowRef window, RGBColor* colour);
[[nodiscard]] OSStatus SetThemeWindowBackground(WindowRef window, ThemeBrush brush, Boolean update);

[[nodiscard]] OSStatus SetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 size, const void* buffer);
[[nodiscard]] OSStatus GetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 bufferSize, UInt32* outSize,
                           void* buffer);
[[nodiscard]] OSStatus RemoveWindowProperty(WindowRef window, OSType creator, OSType tag);

void SetWRefCon(WindowRef window, SRefCon value);
SRefCon GetWRefCon(WindowRef window);

// Sheets hang on a parent window; hiding one (or disposing it) detaches it.
[[nodiscard]] OSStatus ShowSheetWindow(WindowRef sheet, WindowRef parent);
[[nodiscard]] OSStatus HideSheetWindow(WindowRef sheet);
[[nodiscard]] OSStatus GetSheetWindowParent(WindowRef sheet, WindowRef* outParent);

// Update regions: a window made visible or resized needs an update; the
// update calls clear it.
void BeginUpdate(WindowRef window);
void EndUpdate(WindowRef window);

// A window's port: 32-bit pixels of its content (window-local coordinates,
// made when first asked for, at the content size of that moment). Null for a
// window that is gone.
CGrafPtr GetWindowPort(WindowRef window);
void SetPortWindowPort(WindowRef window);

namespace plat {

// The main screen: 1440 x 900 with a 22-pixel menu bar.
Rect MainScreenBounds();
Rect AvailableScreenBounds();
// Height of the title bar added above the content of titled windows.
int TitleBarHeight(WindowClass windowClass);

class Window {
 public:
  Window(WindowClass kind, WindowAttributes flags, const Rect& bounds);
  ~Window();

  WindowClass windowClass;
  WindowAttributes attributes;
  Rect content;             // global coordinates
  Rect userState;           // bounds before a zoom out
  std::string title;        // Mac Roman
  std::string name;         // the layout name when loaded from a layout file
  bool visible = false;
  bool collapsed = false;
  bool active = false;
  bool needsUpdate = false;
  int updatesBegun = 0;
  RGBColor contentColor{0xFFFF, 0xFFFF, 0xFFFF};
  ThemeBrush themeBrush = 0;
  SRefCon refCon = nullptr;
  WindowRef sheetParent = nullptr;  // for a shown sheet
  std::map<std::pair<OSType, OSType>, std::vector<UInt8>> properties;
  ControlRef root = nullptr;        // the root control; every control is below it
  ControlRef focus = nullptr;       // the control with keyboard focus
  // Drop handlers (platform/drag_and_drop.h): handler routine and its value.
  struct DragHandler {
    void* proc;
    void* refCon;
  };
  std::vector<DragHandler> trackingHandlers;
  std::vector<DragHandler> receiveHandlers;
  bool automaticDragTracking = false;
  GWorldPtr port = nullptr;
  std::shared_ptr<EventTarget> target;
};

// True while the window exists (not yet disposed).
[[nodiscard]] bool IsLiveWindow(WindowRef window);
// Live windows, front first.
const std::vector<WindowRef>& WindowList();
// The first live window whose layout name (or, failing that, title) is `name`.
[[nodiscard]] WindowRef FindWindowNamed(const std::string& name);
// Number of windows created since the start of the process.
size_t CreatedWindowCount();

// Window titles as Mac Roman bytes.
[[nodiscard]] OSStatus SetWindowTitleText(WindowRef window, const std::string& title);
std::string WindowTitleText(WindowRef window);

// The window whose port this is, null for any other port.
WindowRef WindowOfPort(CGrafPtr port);

// Disposes every live window (tests start from a clean screen).
void DisposeAllWindows();

}  // namespace plat
