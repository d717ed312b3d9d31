// The CFString forms of the window system's calls: titles of windows,
// controls and menu items, control creation with a title or text, standard
// alerts and sheets, and list-view columns and cells. Texts are kept as Mac
// Roman bytes inside; a character Mac Roman lacks is kept as '?'.
#pragma once

#include <string>

#include "platform/alerts.h"
#include "platform/cf_string.h"
#include "platform/controls.h"
#include "platform/data_browser.h"
#include "platform/menus.h"
#include "platform/windows.h"

namespace plat {
// The string's text in Mac Roman ("" for null).
std::string MacRomanOf(CFStringRef string);
// A new string from Mac Roman bytes; the caller releases it.
[[nodiscard]] CFStringRef NewStringFromMacRoman(const std::string& text);
}  // namespace plat

[[nodiscard]] OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title);
[[nodiscard]] OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* outTitle);

[[nodiscard]] OSStatus SetControlTitleWithCFString(ControlRef control, CFStringRef title);
[[nodiscard]] OSStatus CopyControlTitleAsCFString(ControlRef control, CFStringRef* outTitle);
[[nodiscard]] OSStatus CreatePushButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, ControlRef* outControl);
[[nodiscard]] OSStatus CreateCheckBoxControl(WindowRef window, const Rect* bounds, CFStringRef title, SInt32 initialValue,
                               Boolean autoToggle, ControlRef* outControl);
[[nodiscard]] OSStatus CreateRadioButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, SInt32 initialValue,
                                  Boolean autoToggle, ControlRef* outControl);
[[nodiscard]] OSStatus CreateBevelButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, ControlRef* outControl);
[[nodiscard]] OSStatus CreateStaticTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl);
[[nodiscard]] OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect* bounds, CFStringRef text, Boolean isPassword,
                                      const ControlFontStyleRec* style, ControlRef* outControl);
[[nodiscard]] OSStatus CreatePopupButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, SInt16 menuId,
                                  Boolean variableWidth, SInt16 titleWidth, SInt16 titleJustification,
                                  UInt8 titleStyle, ControlRef* outControl);

[[nodiscard]] OSStatus AppendMenuItemTextWithCFString(MenuRef menu, CFStringRef text, MenuItemAttributes attributes,
                                        MenuCommand command, MenuItemIndex* outIndex);
[[nodiscard]] OSStatus InsertMenuItemTextWithCFString(MenuRef menu, CFStringRef text, MenuItemIndex afterItem,
                                        MenuItemAttributes attributes, MenuCommand command);
[[nodiscard]] OSStatus CopyMenuItemTextAsCFString(MenuRef menu, MenuItemIndex item, CFStringRef* outText);
[[nodiscard]] OSStatus SetMenuTitleWithCFString(MenuRef menu, CFStringRef title);

// Standard alerts and sheets. Button texts: kAlertDefaultOKTextCF (and the
// cancel and other counterparts) take the system's labels; null leaves the
// button out.
struct AlertStdCFStringAlertParamRec {
  UInt32 version = 0;
  Boolean movable = true;
  Boolean helpButton = false;
  CFStringRef defaultText = nullptr;
  CFStringRef cancelText = nullptr;
  CFStringRef otherText = nullptr;
  SInt16 defaultButton = 0;
  SInt16 cancelButton = 0;
  UInt16 position = 0;
  UInt32 flags = 0;
};
#define kAlertDefaultOKTextCF (reinterpret_cast<CFStringRef>(-1))
#define kAlertDefaultCancelTextCF (reinterpret_cast<CFStringRef>(-1))
#define kAlertDefaultOtherTextCF (reinterpret_cast<CFStringRef>(-1))
constexpr UInt32 kStdCFStringAlertVersionOne = 1;

[[nodiscard]] OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version);
[[nodiscard]] OSStatus CreateStandardAlert(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert);
// Runs the alert modally and disposes it; *outItemHit is the button number.
[[nodiscard]] OSStatus RunStandardAlert(DialogRef alert, void* filter, DialogItemIndex* outItemHit);
[[nodiscard]] OSStatus CreateStandardSheet(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, EventTargetRef notifyTarget,
                             DialogRef* outSheet);

// List-view columns and cells.
struct DataBrowserListViewHeaderDesc {
  UInt32 version = 0;
  UInt16 minimumWidth = 0;
  UInt16 maximumWidth = 0;
  SInt16 titleOffset = 0;
  CFStringRef titleString = nullptr;
  DataBrowserSortOrder initialOrder = kDataBrowserOrderIncreasing;
  ControlFontStyleRec btnFontStyle;
  struct {
    SInt16 contentType = 0;
  } btnContentInfo;
};
struct DataBrowserListViewColumnDesc {
  DataBrowserPropertyDesc propertyDesc;
  DataBrowserListViewHeaderDesc headerBtnDesc;
};
enum : SInt16 { kControlContentTextOnly = 0 };
constexpr DataBrowserTableViewColumnIndex kDataBrowserListViewAppendColumn = 0xFFFFFFFFu;

[[nodiscard]] OSStatus AddDataBrowserListViewColumn(ControlRef browser, DataBrowserListViewColumnDesc* column,
                                      DataBrowserTableViewColumnIndex position);
[[nodiscard]] OSStatus SetDataBrowserItemDataText(DataBrowserItemDataRef itemData, CFStringRef text);
