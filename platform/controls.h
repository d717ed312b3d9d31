// Controls of the headless window system.
//
// Every window has a root control; every other control sits below it or
// below an embedding control (user panes, tab controls, group boxes). A
// control keeps its ControlID {signature, id}, command id, reference value,
// bounds (window-local), value pinned between minimum and maximum, visible
// and active state, title, and the control data the callers set by tag.
// Like windows, a ControlRef may outlive its control: every call checks it.
#pragma once

#include <map>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "platform/carbon_events.h"

typedef SInt16 ControlPartCode;
typedef ResType ControlDataTag;
typedef OSType DataBrowserViewStyle;

enum : ControlPartCode {
  kControlEntireControl = 0,
  kControlNoPart = 0,
  kControlFocusNoPart = 0,
  kControlFocusNextPart = -1,
  kControlFocusPrevPart = -2,
  kControlButtonPart = 10,
};

// Control data tags.
constexpr ControlDataTag kControlStaticTextTextTag = FourCC("text");
constexpr ControlDataTag kControlEditTextTextTag = FourCC("text");
constexpr ControlDataTag kControlPopupButtonMenuHandleTag = FourCC("mhan");
constexpr ControlDataTag kControlPopupButtonMenuRefTag = FourCC("mhan");
constexpr ControlDataTag kControlPopupButtonCheckCurrentTag = FourCC("chck");
constexpr ControlDataTag kControlEditTextPasswordTag = FourCC("pass");
constexpr ControlDataTag kControlProgressBarIndeterminateTag = FourCC("inde");
constexpr ControlDataTag kControlFontStyleTag = FourCC("font");
constexpr ControlDataTag kControlTabInfoTag = FourCC("tabi");

struct ControlFontStyleRec {
  SInt16 flags = 0;
  SInt16 font = 0;
  SInt16 size = 0;
  SInt16 style = 0;
  SInt16 mode = 0;
  SInt16 just = 0;
  RGBColor foreColor;
  RGBColor backColor;
};

enum : SInt16 {
  kControlUseFontMask = 0x0001,
  kControlUseFaceMask = 0x0002,
  kControlUseSizeMask = 0x0004,
  kControlFontSmallSystemFont = -2,
};

// The tab control's 'tabi' data, one record a tab (part = 1-based tab number).
struct ControlTabInfo {
  SInt16 iconSuiteID = 0;
  char name[64] = {};  // Mac Roman, zero-terminated
};

namespace plat {

enum class ControlKind {
  kRoot,
  kUserPane,
  kPushButton,
  kCheckBox,
  kRadioButton,
  kRadioGroup,
  kBevelButton,
  kStaticText,
  kEditText,
  kPopupButton,
  kProgressBar,
  kDataBrowser,
  kTabs,
  kGroupBox,
  kImageWell,
  kSeparator,
};

const char* ControlKindName(ControlKind kind);
[[nodiscard]] bool ControlKindFromName(const std::string& name, ControlKind* out);

class DataBrowser;

class Control {
 public:
  Control(ControlKind controlKind, WindowRef owner, const Rect& frame);
  ~Control();

  [[nodiscard]] bool IsEmbedder() const;

  ControlKind kind;
  WindowRef window;
  ControlRef parent = nullptr;
  std::vector<ControlRef> children;
  ControlID id;
  UInt32 command = 0;
  SRefCon reference = nullptr;
  Rect bounds;
  SInt32 value = 0;
  SInt32 minimum = 0;
  SInt32 maximum = 0;
  bool visible = true;
  bool active = true;
  bool enabled = true;
  std::string title;   // Mac Roman
  std::string text;    // 'text' data
  MenuRef menu = nullptr;  // 'mhan' data
  bool checkCurrent = true;  // 'chck' data
  bool password = false;
  bool indeterminate = false;
  bool autoToggle = true;
  std::vector<ControlTabInfo> tabs;
  ControlFontStyleRec fontStyle;
  int drawCount = 0;
  std::map<std::pair<OSType, OSType>, std::vector<UInt8>> properties;
  std::unique_ptr<DataBrowser> browser;
  std::shared_ptr<EventTarget> target;
};

[[nodiscard]] bool IsLiveControl(ControlRef control);

// Makes a control of the kind in the window (embedded in its root control).
// Push buttons, check boxes, radio buttons and bevel buttons take the title;
// static and edit texts take it as their text.
[[nodiscard]] OSStatus NewControl(WindowRef window, ControlKind kind, const Rect& bounds, const std::string& title,
                    ControlRef* outControl);

[[nodiscard]] OSStatus SetControlTitleText(ControlRef control, const std::string& title);
std::string ControlTitleText(ControlRef control);
// The 'text' data as it stands ("" for a control that is gone).
std::string ControlText(ControlRef control);

// All controls of a window below its root, depth first in embedding order.
std::vector<ControlRef> WindowControls(WindowRef window);
// Visible and active including every enclosing control.
[[nodiscard]] bool IsControlReallyVisible(ControlRef control);

// What a click does: check boxes toggle (when auto-toggling), radio buttons
// turn on (and their siblings in a radio group off), tab controls and
// pop-ups take `value`; then the control-hit event goes to the control and,
// when nothing handles it, its command id goes out as a process command.
// Refused (false) for a control that is hidden, inactive or gone.
[[nodiscard]] bool ClickControl(ControlRef control, SInt32 value = 0);

}  // namespace plat

[[nodiscard]] OSStatus CreateRootControl(WindowRef window, ControlRef* outControl);
[[nodiscard]] OSStatus GetRootControl(WindowRef window, ControlRef* outControl);
void DisposeControl(ControlRef control);
WindowRef GetControlOwner(ControlRef control);

[[nodiscard]] OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl);
[[nodiscard]] OSStatus SetControlID(ControlRef control, const ControlID* id);
[[nodiscard]] OSStatus GetControlID(ControlRef control, ControlID* outId);
[[nodiscard]] OSStatus SetControlCommandID(ControlRef control, UInt32 command);
[[nodiscard]] OSStatus GetControlCommandID(ControlRef control, UInt32* outCommand);
void SetControlReference(ControlRef control, SRefCon reference);
SRefCon GetControlReference(ControlRef control);

[[nodiscard]] OSStatus EmbedControl(ControlRef control, ControlRef container);
[[nodiscard]] OSStatus GetSuperControl(ControlRef control, ControlRef* outParent);
[[nodiscard]] OSStatus CountSubControls(ControlRef control, UInt16* outCount);
[[nodiscard]] OSStatus GetIndexedSubControl(ControlRef control, UInt16 index, ControlRef* outSub);

Rect* GetControlBounds(ControlRef control, Rect* outBounds);
void SetControlBounds(ControlRef control, const Rect* bounds);
void MoveControl(ControlRef control, SInt16 left, SInt16 top);
void SizeControl(ControlRef control, SInt16 width, SInt16 height);
void Draw1Control(ControlRef control);

void ShowControl(ControlRef control);
void HideControl(ControlRef control);
[[nodiscard]] Boolean IsControlVisible(ControlRef control);
[[nodiscard]] OSStatus SetControlVisibility(ControlRef control, Boolean visible, Boolean draw);
[[nodiscard]] OSStatus ActivateControl(ControlRef control);
[[nodiscard]] OSStatus DeactivateControl(ControlRef control);
[[nodiscard]] Boolean IsControlActive(ControlRef control);
[[nodiscard]] OSStatus EnableControl(ControlRef control);
[[nodiscard]] OSStatus DisableControl(ControlRef control);
[[nodiscard]] Boolean IsControlEnabled(ControlRef control);

// Values: setting the minimum or maximum pins the value into the new range;
// setting the value pins it into the range.
SInt32 GetControl32BitValue(ControlRef control);
void SetControl32BitValue(ControlRef control, SInt32 value);
SInt32 GetControl32BitMinimum(ControlRef control);
void SetControl32BitMinimum(ControlRef control, SInt32 minimum);
SInt32 GetControl32BitMaximum(ControlRef control);
void SetControl32BitMaximum(ControlRef control, SInt32 maximum);
SInt16 GetControlValue(ControlRef control);
void SetControlValue(ControlRef control, SInt16 value);
SInt16 GetControlMinimum(ControlRef control);
void SetControlMinimum(ControlRef control, SInt16 minimum);
SInt16 GetControlMaximum(ControlRef control);
void SetControlMaximum(ControlRef control, SInt16 maximum);

// Control data by part and tag. errDataNotSupported for a tag the control
// kind does not know; errDataSizeMismatch for a fixed-size tag given the
// wrong size. GetControlData copies at most bufferSize bytes and reports the
// full size.
[[nodiscard]] OSErr SetControlData(ControlRef control, ControlPartCode part, ControlDataTag tag, size_t size, const void* data);
[[nodiscard]] OSErr GetControlData(ControlRef control, ControlPartCode part, ControlDataTag tag, size_t bufferSize, void* buffer,
                     size_t* outActualSize);
[[nodiscard]] OSErr GetControlDataSize(ControlRef control, ControlPartCode part, ControlDataTag tag, size_t* outSize);

// Properties by creator and tag, as windows have them.
[[nodiscard]] OSStatus SetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 size, const void* buffer);
[[nodiscard]] OSStatus GetControlProperty(ControlRef control, OSType creator, OSType tag, UInt32 bufferSize, UInt32* outSize,
                            void* buffer);
[[nodiscard]] OSStatus RemoveControlProperty(ControlRef control, OSType creator, OSType tag);

[[nodiscard]] OSErr SetControlFontStyle(ControlRef control, const ControlFontStyleRec* style);
[[nodiscard]] OSErr SetKeyboardFocus(WindowRef window, ControlRef control, ControlPartCode part);
[[nodiscard]] OSErr GetKeyboardFocus(WindowRef window, ControlRef* outControl);
[[nodiscard]] OSErr ClearKeyboardFocus(WindowRef window);

[[nodiscard]] OSStatus CreateProgressBarControl(WindowRef window, const Rect* bounds, SInt32 value, SInt32 minimum, SInt32 maximum,
                                  Boolean indeterminate, ControlRef* outControl);
[[nodiscard]] OSStatus CreateUserPaneControl(WindowRef window, const Rect* bounds, UInt32 features, ControlRef* outControl);
