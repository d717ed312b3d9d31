#include "ui/popup_button.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/cf_string_holder.h"
#include "foundation/string_buffer.h"
#include "platform/carbon_strings.h"
#include "ui/dialog_window.h"
#include "ui/text_format.h"

namespace {

constexpr EventTypeSpec kHitType = {kEventClassControl, kEventControlHit};

MenuRef MenuOf(ControlRef control) {
  MenuRef menu = nullptr;
  if (GetControlData(control, kControlEntireControl, kControlPopupButtonMenuHandleTag, sizeof(MenuRef), &menu,
                     nullptr) != noErr)
    return nullptr;
  return plat::IsLiveMenu(menu) ? menu : nullptr;
}

int Count(MenuRef menu) { return CountMenuItems(menu); }

// The range that lets the value name any item.
void SetRange32(ControlRef control, MenuRef menu) {
  SetControl32BitMinimum(control, 1);
  SetControl32BitMaximum(control, Count(menu));
}

void SetRange16(ControlRef control, MenuRef menu) {
  SetControlMinimum(control, 1);
  SetControlMaximum(control, SInt16(Count(menu)));
}

int Clamp(int index, int low, int high) { return std::max(low, std::min(index, high)); }

// A Pascal string: the length byte says where the text ends, so no terminator follows it.
void ToPascal(const char* text, Str255 out) {
  const size_t n = std::min<size_t>(text ? std::strlen(text) : 0, 255);
  out[0] = UInt8(n);
  std::copy_n(text, n, out + 1);
}

std::string LocalizedText(UInt32 number) {
  CCFString text;
  return text.LoadLocalizedString(number) ? text.ToStdString() : std::string();
}

// Item text as a C string into the caller's buffer, cut to size - 1 bytes.
void CopyItemText(MenuRef menu, int item, char* out, size_t size) {
  if (!out || size == 0) return;
  Str255 text;
  GetMenuItemText(menu, MenuItemIndex(item), text);
  const size_t n = std::min<size_t>(text[0], size - 1);
  std::memcpy(out, text + 1, n);
  out[n] = 0;
}

int Selection(ControlRef control, MenuRef menu, char* textOut, bool wantText, size_t size) {
  const int value = GetControl32BitValue(control);
  const int index = value - 1;
  if (textOut && wantText && size) {
    textOut[0] = 0;
    if (index >= 0 && index < Count(menu)) CopyItemText(menu, value, textOut, std::min<size_t>(size, 256));
  }
  return value <= 0 ? -1 : index;
}

// Value 1 for a negative index, index + 1 up to the count, count + 1 above
// it (the control pins the value to its maximum).
void Select(ControlRef control, MenuRef menu, int index) {
  const int count = Count(menu);
  SetControl32BitValue(control, index < 0 ? 1 : (index <= count ? index + 1 : count + 1));
}

[[nodiscard]] OSStatus PassOn(EventHandlerCallRef call, EventRef event, void*) { return CallNextEventHandler(call, event); }

// Removes the hit handler and disposes a menu the object made (the control's
// 'mhan' is cleared first).
// What is released goes whatever the calls say: a handler or control that
// is gone already has nothing left to let go.
void ReleaseHandlerAndMenu(ControlRef control, EventHandlerRef* handler, EventHandlerUPP* upp, MenuRef* owned) {
  if (*handler) static_cast<void>(RemoveEventHandler(*handler));
  *handler = nullptr;
  if (*upp) DisposeEventHandlerUPP(*upp);
  *upp = nullptr;
  if (*owned) {
    MenuRef none = nullptr;
    static_cast<void>(
        SetControlData(control, kControlEntireControl, kControlPopupButtonMenuHandleTag, sizeof(MenuRef), &none));
    DisposeMenu(*owned);
    *owned = nullptr;
  }
}

// Deletes item index + 1, clamped to the items; the range follows (16-bit
// calls when `narrow`). Returns the item number deleted, 0 when empty.
int DeleteClamped(ControlRef control, MenuRef menu, int index, bool narrow) {
  if (Count(menu) == 0) return 0;
  const int item = Clamp(index + 1, 1, Count(menu));
  DeleteMenuItem(menu, MenuItemIndex(item));
  const int count = Count(menu);
  if (narrow) {
    SetControlMinimum(control, count > 0 ? 1 : 0);
    SetControlMaximum(control, SInt16(count));
  } else {
    SetControl32BitMinimum(control, count > 0 ? 1 : 0);
    SetControl32BitMaximum(control, count);
  }
  return item;
}

void RemoveAll(ControlRef control, MenuRef menu, bool narrow) {
  for (int i = Count(menu); i > 0; --i) DeleteMenuItem(menu, 1);
  if (narrow) {
    SetControlMinimum(control, 0);
    SetControlMaximum(control, 0);
  } else {
    SetControl32BitMinimum(control, 0);
    SetControl32BitMaximum(control, 0);
  }
}

}  // namespace

// CPopupButton

CPopupButton::~CPopupButton() { Destroy(); }

bool CPopupButton::Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) {
  if (!CControl::Create(owner, id, bounds, title) || !owner || !bounds) return false;
  CFStringRef text = CFStringCreateWithCString(nullptr, title ? title : "", kCFStringEncodingMacRoman);
  OSStatus status =
      CreatePopupButtonControl(owner->GetWindowRef(), bounds, text, -12345, false, -1, 0, 0, &control_);
  if (text) CFRelease(text);
  if (status != noErr) {
    status_ = status;
    control_ = nullptr;
    return false;
  }
  const unsigned char empty[] = {0};
  ownedMenu_ = NewMenu(9999, empty);
  if (!ownedMenu_ || SetControlData(control_, kControlEntireControl, kControlPopupButtonMenuHandleTag,
                                    sizeof(MenuRef), &ownedMenu_) != noErr)
    return false;
  return FinishCreate(owner, id);
}

bool CPopupButton::OnAttach() {
  handlerUpp_ = NewEventHandlerUPP(PassOn);
  return handlerUpp_ &&
         InstallEventHandler(GetControlEventTarget(control_), handlerUpp_, 1, &kHitType, this, &handler_) == noErr;
}

bool CPopupButton::Destroy() {
  ReleaseHandlerAndMenu(control_, &handler_, &handlerUpp_, &ownedMenu_);
  return CControl::Destroy();
}

int CPopupButton::AppendItem(const char* text) {
  MenuRef menu = MenuOf(control_);
  if (!menu) {
    status_ = errDataNotSupported;
    return -1;
  }
  CCFString item(text ? text : "");
  if (OSStatus status = AppendMenuItemTextWithCFString(menu, item.GetRef(), 0, 0, nullptr); status != noErr) {
    status_ = status;
    return -1;
  }
  SetRange32(control_, menu);
  return Count(menu);
}

int CPopupButton::AppendItemByStringID(UInt32 stringNumber) {
  return AppendItem(LocalizedText(stringNumber).c_str());
}

int CPopupButton::AppendSeparator() {
  MenuRef menu = MenuOf(control_);
  if (!menu || plat::AppendMenuItemTextString(menu, "", kMenuItemAttrSeparator, 0, nullptr) != noErr) return -1;
  SetRange32(control_, menu);
  return Count(menu);
}

int CPopupButton::InsertItem(const char* text, int index) {
  MenuRef menu = MenuOf(control_);
  if (!menu) return -1;
  index = Clamp(index, 0, Count(menu));
  CCFString item(text ? text : "");
  if (InsertMenuItemTextWithCFString(menu, item.GetRef(), MenuItemIndex(index), 0, 0) != noErr) return -1;
  SetRange32(control_, menu);
  return index;
}

int CPopupButton::InsertItemByStringID(UInt32 stringNumber, int index) {
  return InsertItem(LocalizedText(stringNumber).c_str(), index);
}

int CPopupButton::DeleteItem(int index) {
  MenuRef menu = MenuOf(control_);
  if (!menu) return -1;
  DeleteClamped(control_, menu, index, false);
  return Count(menu);
}

bool CPopupButton::DeleteLastItem() {
  if (GetItemCount() > 0) DeleteItem(GetItemCount() - 1);
  return true;
}

bool CPopupButton::RemoveAllItems() {
  MenuRef menu = MenuOf(control_);
  if (!menu) return false;
  RemoveAll(control_, menu, false);
  return true;
}

int CPopupButton::GetItemCount() { return Count(MenuOf(control_)); }

int CPopupButton::FindItem(const char* text) {
  MenuRef menu = MenuOf(control_);
  if (!menu || !text) return -1;
  for (int i = 1; i <= Count(menu); ++i) {
    CFStringRef item = nullptr;
    if (CopyMenuItemTextAsCFString(menu, MenuItemIndex(i), &item) != noErr) continue;
    CCFString holder(item);
    if (holder.ToStdString() == text) return i - 1;
  }
  return -1;
}

int CPopupButton::GetSelection(char* textOut, bool wantText, size_t size) {
  return Selection(control_, MenuOf(control_), textOut, wantText, size);
}

bool CPopupButton::SetSelection(int index) {
  Select(control_, MenuOf(control_), index);
  return true;
}

bool CPopupButton::SetCheckCurrent(bool check) {
  Boolean value = check;
  return SetControlData(control_, kControlEntireControl, kControlPopupButtonCheckCurrentTag, sizeof(value), &value) ==
         noErr;
}

// CNibPopupButton

bool CNibPopupButton::AppendItem(const char* text) {
  MenuRef menu = MenuOf(control_);
  if (!menu) return false;
  Str255 item;
  ToPascal(text, item);
  AppendMenuItemText(menu, item);
  SetRange16(control_, menu);
  return true;
}

bool CNibPopupButton::InsertItem(const char* text, int index) {
  MenuRef menu = MenuOf(control_);
  if (!menu) return false;
  Str255 item;
  ToPascal(text, item);
  InsertMenuItemText(menu, item, MenuItemIndex(Clamp(index, 0, Count(menu))));
  SetRange16(control_, menu);
  return true;
}

bool CNibPopupButton::DeleteItem(int index) {
  MenuRef menu = MenuOf(control_);
  if (!menu) return false;
  DeleteClamped(control_, menu, index, true);
  return true;
}

bool CNibPopupButton::RemoveAllItems() {
  MenuRef menu = MenuOf(control_);
  if (!menu) return false;
  RemoveAll(control_, menu, true);
  return true;
}

int CNibPopupButton::GetItemCount() { return Count(MenuOf(control_)); }

int CNibPopupButton::GetSelection(char* textOut, bool wantText, size_t size) {
  return Selection(control_, MenuOf(control_), textOut, wantText, size);
}

bool CNibPopupButton::SetSelection(int index) {
  Select(control_, MenuOf(control_), index);
  return true;
}

// CComboBox

CComboBox::~CComboBox() { Destroy(); }

bool CComboBox::Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) {
  if (!CControl::Create(owner, id, bounds, title) || !owner || !bounds) return false;
  Rect popup = *bounds;
  popup.left = SInt16(bounds->right - 32);
  CFStringRef text = CFStringCreateWithCString(nullptr, title ? title : "", kCFStringEncodingMacRoman);
  OSStatus status = CreatePopupButtonControl(owner->GetWindowRef(), &popup, text, 0, false, 0, 0, 0, &control_);
  if (text) CFRelease(text);
  if (status != noErr) {
    status_ = status;
    control_ = nullptr;
    return false;
  }
  Rect editBounds = *bounds;
  editBounds.right = SInt16(bounds->right - 32);
  if (!edit_.Create(owner, EditSignature(id), &editBounds, "")) return false;
  // A created pop-up has no menu of its own yet: give it one, and listen to
  // its choices as an attached one does.
  const unsigned char empty[] = {0};
  ownedMenu_ = NewMenu(9999, empty);
  if (!ownedMenu_ || SetControlData(control_, kControlEntireControl, kControlPopupButtonMenuHandleTag,
                                    sizeof(MenuRef), &ownedMenu_) != noErr)
    return false;
  menu_ = ownedMenu_;
  if (!FinishCreate(owner, id)) return false;
  return InstallHitHandler();
}

bool CComboBox::OnAttach() {
  WindowRef window = window_;
  if (!edit_.Attach(EditSignature(id_), &window, number_)) return false;
  menu_ = MenuOf(control_);
  if (!menu_) return false;
  return InstallHitHandler();
}

bool CComboBox::InstallHitHandler() {
  SetControlReference(control_, this);
  handlerUpp_ = NewEventHandlerUPP(&CComboBox::HandleHit);
  return handlerUpp_ &&
         InstallEventHandler(GetControlEventTarget(control_), handlerUpp_, 1, &kHitType, this, &handler_) == noErr;
}

bool CComboBox::Destroy() {
  ReleaseHandlerAndMenu(control_, &handler_, &handlerUpp_, &ownedMenu_);
  menu_ = nullptr;
  edit_.Destroy();
  return CControl::Destroy();
}

bool CComboBox::AttachEdit(UInt32 signature) {
  WindowRef window = window_;
  return edit_.Attach(signature, &window, 0);
}

OSStatus CComboBox::HandleHit(EventHandlerCallRef call, EventRef event, void* object) {
  static_cast<CComboBox*>(object)->TakeChosenText();
  return CallNextEventHandler(call, event);
}

void CComboBox::TakeChosenText() {
  const int value = GetControl32BitValue(control_);
  if (value < 1 || value > Count(menu_)) return;
  Str255 text;
  GetMenuItemText(menu_, MenuItemIndex(value), text);
  char item[256];
  std::memcpy(item, text + 1, text[0]);
  item[text[0]] = 0;
  // An edit that refuses the text keeps the one it had.
  static_cast<void>(SetText(item, true));
}

int CComboBox::AppendItem(const char* text) {
  if (!plat::IsLiveMenu(menu_)) return -1;
  Str255 item;
  ToPascal(text, item);
  AppendMenuItemText(menu_, item);
  SetRange32(control_, menu_);
  return Count(menu_);
}

int CComboBox::AppendSeparator() {
  if (!plat::IsLiveMenu(menu_) || plat::AppendMenuItemTextString(menu_, "", kMenuItemAttrSeparator, 0, nullptr) != noErr)
    return -1;
  SetRange32(control_, menu_);
  return Count(menu_);
}

int CComboBox::InsertItem(const char* text, int index) {
  if (!plat::IsLiveMenu(menu_)) return -1;
  index = Clamp(index, 0, Count(menu_));
  Str255 item;
  ToPascal(text, item);
  InsertMenuItemText(menu_, item, MenuItemIndex(index));
  SetRange32(control_, menu_);
  return index;
}

int CComboBox::InsertItemByStringID(UInt32 stringNumber, int index) {
  return InsertItem(LocalizedText(stringNumber).c_str(), index);
}

int CComboBox::DeleteItem(int index) {
  if (!plat::IsLiveMenu(menu_)) return -1;
  return DeleteClamped(control_, menu_, index, false);
}

bool CComboBox::RemoveAllItems() {
  if (!plat::IsLiveMenu(menu_)) return false;
  RemoveAll(control_, menu_, false);
  return true;
}

int CComboBox::GetItemCount() { return Count(menu_); }
int CComboBox::GetSelection() { return GetControl32BitValue(control_) - 1; }

bool CComboBox::SetSelection(int index) {
  Select(control_, menu_, index);
  // An index past the end chooses the last item (the value is pinned): its
  // text is the one shown.
  TakeChosenText();
  return true;
}

bool CComboBox::SetCheckCurrent(bool check) {
  Boolean value = check;
  return SetControlData(control_, kControlEntireControl, kControlPopupButtonCheckCurrentTag, sizeof(value), &value) ==
         noErr;
}

bool CComboBox::SetText(const char* text, bool redraw) {
  if (!edit_.SetText(text, false)) return false;
  if (redraw) Redraw();
  return true;
}

bool CComboBox::SetNumber(int value, bool redraw) { return SetTextF(redraw, "%d", value); }

bool CComboBox::SetTextF(bool redraw, const char* format, ...) {
  if (!format) return SetText("", redraw);
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  const int n = std::vsnprintf(text, sizeof(text), format, arguments);
  va_end(arguments);
  if (n < 0) text[0] = 0;
  return SetText(text, redraw);
}

bool CComboBox::SetDouble(double value, int width, int precision, bool redraw) {
  char format[32];
  BuildDoubleFormat(width, precision, format, sizeof(format));
  return SetTextF(redraw, format, value);
}

bool CComboBox::Clear(bool redraw) { return SetText("", redraw); }

int CComboBox::GetNumber() {
  std::string text;
  if (!edit_.GetText(text)) return 0;
  long value = 0;
  ParseLong(text.c_str(), &value);
  return int(value);
}

double CComboBox::GetDouble() {
  std::string text;
  if (!edit_.GetText(text)) return 0.0;
  double value = 0.0;
  ParseDouble(text.c_str(), &value);
  return value;
}

bool CComboBox::Redraw() {
  const bool a = edit_.Redraw();
  const bool b = CControl::Redraw();
  return a && b;
}

bool CComboBox::Enable(bool enable) {
  const bool a = edit_.Enable(enable);
  const bool b = CControl::Enable(enable);
  return a && b;
}

bool CComboBox::Disable() {
  const bool a = edit_.Disable();
  const bool b = CControl::Disable();
  return a && b;
}

bool CComboBox::Show(bool show) {
  const bool a = edit_.Show(show);
  const bool b = CControl::Show(show);
  return a && b;
}

bool CComboBox::Hide() {
  const bool a = edit_.Hide();
  const bool b = CControl::Hide();
  return a && b;
}

bool CComboBox::GetBounds(Rect* out) {
  if (!out) return false;
  Rect popup;
  if (!edit_.GetBounds(out)) return false;
  GetControlBounds(control_, &popup);
  out->right = popup.right;
  return true;
}

bool CComboBox::GetPosition(int* left, int* top) { return edit_.GetPosition(left, top); }

// The pop-up is moved with the platform calls directly: the base operations
// would read this object's (the edit's) position.
bool CComboBox::Move(short left, short top) {
  if (!edit_.Move(left, top)) return false;
  MoveControl(control_, short(edit_.GetLeft() + edit_.GetWidth()), top);
  return true;
}

int CComboBox::GetLeft() { return edit_.GetLeft(); }

bool CComboBox::SetLeft(short left) {
  const int delta = left - edit_.GetLeft();
  Rect popup;
  GetControlBounds(control_, &popup);
  if (!edit_.SetLeft(left)) return false;
  MoveControl(control_, short(popup.left + delta), popup.top);
  return true;
}

int CComboBox::GetTop() { return edit_.GetTop(); }

bool CComboBox::SetTop(short top) {
  const int delta = top - edit_.GetTop();
  Rect popup;
  GetControlBounds(control_, &popup);
  if (!edit_.SetTop(top)) return false;
  MoveControl(control_, popup.left, short(popup.top + delta));
  return true;
}

bool CComboBox::GetSize(int* width, int* height) {
  if (width) *width = GetWidth();
  if (height) *height = edit_.GetHeight();
  return true;
}

bool CComboBox::SetSize(short width, short height) {
  SetWidth(width);
  SetHeight(height);
  return true;
}

int CComboBox::GetWidth() {
  Rect popup;
  GetControlBounds(control_, &popup);
  return popup.right - edit_.GetLeft();
}

bool CComboBox::SetWidth(short width) {
  // The pop-up keeps its 32 pixels at the edit's right; the edit takes the rest.
  const int editWidth = std::max(0, width - 32);
  Rect popup;
  GetControlBounds(control_, &popup);
  if (!edit_.SetWidth(short(editWidth))) return false;
  MoveControl(control_, short(edit_.GetLeft() + editWidth), popup.top);
  SizeControl(control_, 32, short(popup.bottom - popup.top));
  return true;
}

int CComboBox::GetHeight() { return edit_.GetHeight(); }

bool CComboBox::SetHeight(short height) { return edit_.SetHeight(height); }
