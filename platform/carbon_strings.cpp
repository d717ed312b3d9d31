#include "platform/carbon_strings.h"

namespace plat {

std::string MacRomanOf(CFStringRef string) {
  if (!string) return std::string();
  const CFIndex length = CFStringGetLength(string);
  CFIndex used = 0;
  CFStringGetBytes(string, CFRangeMake(0, length), kCFStringEncodingMacRoman, '?', false, nullptr, 0, &used);
  std::string out(size_t(used), '\0');
  CFStringGetBytes(string, CFRangeMake(0, length), kCFStringEncodingMacRoman, '?', false,
                   reinterpret_cast<UInt8*>(out.data()), used, &used);
  out.resize(size_t(used));
  return out;
}

CFStringRef NewStringFromMacRoman(const std::string& text) {
  return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text.data()), CFIndex(text.size()),
                                 kCFStringEncodingMacRoman, false);
}

namespace {

[[nodiscard]] OSStatus MakeControl(WindowRef window, ControlKind kind, const Rect* bounds, CFStringRef title,
                     ControlRef* outControl) {
  if (!bounds || !outControl) return paramErr;
  return NewControl(window, kind, *bounds, MacRomanOf(title), outControl);
}

// A button text of the CFString parameters: -1 is the system's label.
[[nodiscard]] bool ButtonText(CFStringRef text, const char* standard, std::string* out) {
  if (!text) return false;
  *out = text == reinterpret_cast<CFStringRef>(-1) ? std::string(standard) : MacRomanOf(text);  // NOLINT(performance-no-int-to-ptr): the interface's -1 sentinel, never dereferenced
  return true;
}

AlertSpec SpecOf(AlertType type, CFStringRef error, CFStringRef explanation,
                 const AlertStdCFStringAlertParamRec* param) {
  AlertSpec spec;
  spec.type = type;
  spec.title = MacRomanOf(error);
  spec.text = MacRomanOf(explanation);
  if (param) {
    if (!ButtonText(param->defaultText, "OK", &spec.defaultText)) spec.defaultText = "OK";
    spec.hasCancel = ButtonText(param->cancelText, "Cancel", &spec.cancelText);
    spec.hasOther = ButtonText(param->otherText, "Don't Save", &spec.otherText);
    spec.defaultButton = param->defaultButton;
    spec.cancelButton = param->cancelButton;
  }
  return spec;
}

}  // namespace

}  // namespace plat

using plat::ControlKind;
using plat::MacRomanOf;

OSStatus SetWindowTitleWithCFString(WindowRef window, CFStringRef title) {
  return plat::SetWindowTitleText(window, MacRomanOf(title));
}

OSStatus CopyWindowTitleAsCFString(WindowRef window, CFStringRef* outTitle) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  if (!outTitle) return paramErr;
  *outTitle = plat::NewStringFromMacRoman(window->title);
  return noErr;
}

OSStatus SetControlTitleWithCFString(ControlRef control, CFStringRef title) {
  return plat::SetControlTitleText(control, MacRomanOf(title));
}

OSStatus CopyControlTitleAsCFString(ControlRef control, CFStringRef* outTitle) {
  if (!plat::IsLiveControl(control)) return errUnknownControl;
  if (!outTitle) return paramErr;
  *outTitle = plat::NewStringFromMacRoman(control->title);
  return noErr;
}

OSStatus CreatePushButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, ControlRef* outControl) {
  return plat::MakeControl(window, ControlKind::kPushButton, bounds, title, outControl);
}

namespace {

[[nodiscard]] OSStatus MakeToggle(WindowRef window, ControlKind kind, const Rect* bounds, CFStringRef title, SInt32 initialValue,
                    Boolean autoToggle, ControlRef* outControl) {
  OSStatus status = plat::MakeControl(window, kind, bounds, title, outControl);
  if (status == noErr) {
    (*outControl)->autoToggle = autoToggle;
    SetControl32BitValue(*outControl, initialValue);
  }
  return status;
}

}  // namespace

OSStatus CreateCheckBoxControl(WindowRef window, const Rect* bounds, CFStringRef title, SInt32 initialValue,
                               Boolean autoToggle, ControlRef* outControl) {
  return MakeToggle(window, ControlKind::kCheckBox, bounds, title, initialValue, autoToggle, outControl);
}

OSStatus CreateRadioButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, SInt32 initialValue,
                                  Boolean autoToggle, ControlRef* outControl) {
  return MakeToggle(window, ControlKind::kRadioButton, bounds, title, initialValue, autoToggle, outControl);
}

OSStatus CreateBevelButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, ControlRef* outControl) {
  return plat::MakeControl(window, ControlKind::kBevelButton, bounds, title, outControl);
}

OSStatus CreateStaticTextControl(WindowRef window, const Rect* bounds, CFStringRef text,
                                 const ControlFontStyleRec* style, ControlRef* outControl) {
  OSStatus status = plat::MakeControl(window, ControlKind::kStaticText, bounds, text, outControl);
  if (status == noErr && style) (*outControl)->fontStyle = *style;
  return status;
}

OSStatus CreateEditUnicodeTextControl(WindowRef window, const Rect* bounds, CFStringRef text, Boolean isPassword,
                                      const ControlFontStyleRec* style, ControlRef* outControl) {
  OSStatus status = plat::MakeControl(window, ControlKind::kEditText, bounds, text, outControl);
  if (status == noErr) {
    (*outControl)->password = isPassword;
    if (style) (*outControl)->fontStyle = *style;
  }
  return status;
}

OSStatus CreatePopupButtonControl(WindowRef window, const Rect* bounds, CFStringRef title, SInt16, Boolean, SInt16,
                                  SInt16, UInt8, ControlRef* outControl) {
  return plat::MakeControl(window, ControlKind::kPopupButton, bounds, title, outControl);
}

OSStatus AppendMenuItemTextWithCFString(MenuRef menu, CFStringRef text, MenuItemAttributes attributes,
                                        MenuCommand command, MenuItemIndex* outIndex) {
  return plat::AppendMenuItemTextString(menu, MacRomanOf(text), attributes, command, outIndex);
}

OSStatus InsertMenuItemTextWithCFString(MenuRef menu, CFStringRef text, MenuItemIndex afterItem,
                                        MenuItemAttributes attributes, MenuCommand command) {
  return plat::InsertMenuItemTextString(menu, MacRomanOf(text), afterItem, attributes, command);
}

OSStatus CopyMenuItemTextAsCFString(MenuRef menu, MenuItemIndex item, CFStringRef* outText) {
  if (!plat::IsLiveMenu(menu)) return errInvalidMenuRef;
  if (item < 1 || item > CountMenuItems(menu)) return errMenuItemNotFound;
  if (!outText) return paramErr;
  *outText = plat::NewStringFromMacRoman(plat::MenuItemTextString(menu, item));
  return noErr;
}

OSStatus SetMenuTitleWithCFString(MenuRef menu, CFStringRef title) {
  return plat::SetMenuTitleString(menu, MacRomanOf(title));
}

OSStatus GetStandardAlertDefaultParams(AlertStdCFStringAlertParamRec* param, UInt32 version) {
  if (!param || version != kStdCFStringAlertVersionOne) return paramErr;
  *param = AlertStdCFStringAlertParamRec();
  param->version = version;
  param->defaultText = kAlertDefaultOKTextCF;  // NOLINT(performance-no-int-to-ptr): the interface's -1 sentinel, never dereferenced
  param->defaultButton = kAlertStdAlertOKButton;
  return noErr;
}

OSStatus CreateStandardAlert(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, DialogRef* outAlert) {
  return plat::NewStandardAlert(plat::SpecOf(type, error, explanation, param), false, nullptr, outAlert);
}

OSStatus RunStandardAlert(DialogRef alert, void*, DialogItemIndex* outItemHit) {
  return plat::RunAlert(alert, outItemHit);
}

OSStatus CreateStandardSheet(AlertType type, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec* param, EventTargetRef notifyTarget,
                             DialogRef* outSheet) {
  return plat::NewStandardAlert(plat::SpecOf(type, error, explanation, param), true, notifyTarget, outSheet);
}

OSStatus AddDataBrowserListViewColumn(ControlRef browser, DataBrowserListViewColumnDesc* column,
                                      DataBrowserTableViewColumnIndex position) {
  if (!column) return paramErr;
  plat::BrowserColumn c;
  c.property = column->propertyDesc;
  c.minimumWidth = column->headerBtnDesc.minimumWidth;
  c.maximumWidth = column->headerBtnDesc.maximumWidth;
  c.titleOffset = column->headerBtnDesc.titleOffset;
  c.hasTitle = column->headerBtnDesc.titleString != nullptr;
  c.title = MacRomanOf(column->headerBtnDesc.titleString);
  c.initialOrder = column->headerBtnDesc.initialOrder;
  c.fontStyle = column->headerBtnDesc.btnFontStyle;
  return plat::AddListViewColumn(browser, c, position);
}

OSStatus SetDataBrowserItemDataText(DataBrowserItemDataRef itemData, CFStringRef text) {
  return plat::SetItemDataText(itemData, MacRomanOf(text));
}
