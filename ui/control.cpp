#include "ui/control.h"

#include <cmath>
#include <cstdio>

#include "foundation/cf_string_holder.h"
#include "ui/dialog_window.h"

namespace {

// Runs `body` with the drawing port switched to the window, then restores it.
template <typename Body>
void WithPort(WindowRef window, Body body) {
  CGrafPtr saved = nullptr;
  GetGWorld(&saved);
  SetPortWindowPort(window);
  body();
  SetGWorld(saved);
}

}  // namespace

CControl::CControl() = default;

CControl::~CControl() {
  if (owned_ && control_) DisposeControl(control_);
}

bool CControl::Create(CDialogWindow*, UInt32, const Rect*, const char*) { return control_ == nullptr; }

bool CControl::CreateByStringID(CDialogWindow*, UInt32, const Rect*, UInt32) { return control_ == nullptr; }

bool CControl::Attach(UInt32 signature, WindowRef* window, SInt32 number) {
  if (!window) return false;
  ControlID id{signature, number};
  ControlRef found = nullptr;
  if (GetControlByID(*window, &id, &found) != noErr || !found) return false;
  control_ = found;
  window_ = *window;
  id_ = signature;
  number_ = number;
  return OnAttach();
}

bool CControl::Destroy() {
  if (owned_ && control_) {
    DisposeControl(control_);
    control_ = nullptr;
    owned_ = false;
  }
  return true;
}

bool CControl::OnAttach() { return true; }

bool CControl::GetBounds(Rect* out) {
  WithPort(window_, [&] { GetControlBounds(control_, out); });
  return true;
}

bool CControl::GetPosition(int* left, int* top) {
  Rect r{};
  WithPort(window_, [&] { GetControlBounds(control_, &r); });
  if (left) *left = r.left;
  if (top) *top = r.top;
  return true;
}

bool CControl::Move(short left, short top) {
  MoveControl(control_, left, top);
  return true;
}

int CControl::GetLeft() {
  Rect r;
  WithPort(window_, [&] { GetControlBounds(control_, &r); });
  return r.left;
}

bool CControl::SetLeft(short left) {
  int oldLeft = 0, oldTop = 0;
  GetPosition(&oldLeft, &oldTop);
  MoveControl(control_, left, short(oldTop));
  return true;
}

int CControl::GetTop() {
  Rect r;
  WithPort(window_, [&] { GetControlBounds(control_, &r); });
  return r.top;
}

bool CControl::SetTop(short top) {
  int oldLeft = 0, oldTop = 0;
  GetPosition(&oldLeft, &oldTop);
  MoveControl(control_, short(oldLeft), top);
  return true;
}

bool CControl::GetSize(int* width, int* height) {
  Rect r{};
  GetControlBounds(control_, &r);
  if (width) *width = r.right - r.left;
  if (height) *height = r.bottom - r.top;
  return true;
}

bool CControl::SetSize(short width, short height) {
  SizeControl(control_, width, height);
  return true;
}

int CControl::GetWidth() {
  Rect r;
  GetControlBounds(control_, &r);
  return r.right - r.left;
}

bool CControl::SetWidth(short width) {
  int oldWidth = 0, oldHeight = 0;
  GetSize(&oldWidth, &oldHeight);
  SizeControl(control_, width, short(oldHeight));
  return true;
}

int CControl::GetHeight() {
  Rect r;
  GetControlBounds(control_, &r);
  return r.bottom - r.top;
}

bool CControl::SetHeight(short height) {
  int oldWidth = 0, oldHeight = 0;
  GetSize(&oldWidth, &oldHeight);
  SizeControl(control_, short(oldWidth), height);
  return true;
}

bool CControl::Redraw() {
  Draw1Control(control_);
  return true;
}

bool CControl::Enable(bool enable) {
  return (enable ? ActivateControl(control_) : DeactivateControl(control_)) == noErr;
}

bool CControl::Disable() { return DeactivateControl(control_) == noErr; }

bool CControl::Show(bool show) {
  if (show)
    ShowControl(control_);
  else
    HideControl(control_);
  return true;
}

bool CControl::Hide() {
  HideControl(control_);
  return true;
}

int CControl::GetClassConstant1() { return 16; }
int CControl::GetClassConstant2() { return 8; }
int CControl::GetClassConstant3() { return 8; }

bool CControl::EmbedIn(ControlRef parent) { return EmbedControl(control_, parent) == noErr; }

bool CControl::SetFocus() {
  return SetKeyboardFocus(GetControlOwner(control_), control_, kControlFocusNextPart) == noErr;
}

bool CControl::SetSmallSystemFont() {
  ControlFontStyleRec style;
  style.flags = kControlUseFontMask;
  style.font = kControlFontSmallSystemFont;
  return SetControlFontStyle(control_, &style) == noErr;
}

bool CControl::FinishCreate(CDialogWindow* owner, UInt32 id) {
  if (!control_ || !owner) return false;
  SetControlReference(control_, this);
  ControlID controlId{id, owner->GetUserValue()};
  const ControlRef host = owner->GetHostControl();
  if (SetControlCommandID(control_, id) != noErr || SetControlID(control_, &controlId) != noErr ||
      (host && EmbedControl(control_, host) != noErr) || !SetSmallSystemFont()) {
    // A control that cannot be set up as asked is not kept half made.
    DisposeControl(control_);
    control_ = nullptr;
    return false;
  }
  window_ = owner->GetWindowRef();
  id_ = id;
  number_ = owner->GetUserValue();
  Draw1Control(control_);
  owned_ = true;
  return true;
}

void CControl::LoadString(UInt32 stringNumber, char* out, size_t capacity) {
  if (!out || capacity == 0) return;
  out[0] = 0;
  CCFString text;
  if (text.LoadLocalizedString(stringNumber) && !text.GetCString(out, capacity)) out[0] = 0;
}

int FormatColorHex(UInt32 colour, char* out, size_t size) {
  return std::snprintf(out, size, "#%02x%02x%02x", unsigned(colour & 0xFF), unsigned((colour >> 8) & 0xFF),
                       unsigned((colour >> 16) & 0xFF));
}

void AdjustColorBrightness(UInt32* colour, int percent) {
  if (!colour) return;
  const int k = int(std::floor(percent * 0.01 * 127));
  UInt32 result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int channel = int((*colour >> shift) & 0xFF) + k;
    channel = channel < 0 ? 0 : (channel > 255 ? 255 : channel);
    result |= UInt32(channel) << shift;
  }
  *colour = result;
}

RGBColor ColorToRGB(UInt32 colour) {
  RGBColor rgb;
  rgb.red = UInt16((colour & 0xFF) * 257);
  rgb.green = UInt16(((colour >> 8) & 0xFF) * 257);
  rgb.blue = UInt16(((colour >> 16) & 0xFF) * 257);
  return rgb;
}

UInt32 RGBToColor(const RGBColor& rgb) {
  return UInt32(rgb.red / 257) | (UInt32(rgb.green / 257) << 8) | (UInt32(rgb.blue / 257) << 16);
}

bool FindControlByID(UInt32 signature, WindowRef* window, ControlRef* out) {
  if (!window || !out) return false;
  ControlID id{signature, 0};
  return GetControlByID(*window, &id, out) == noErr;
}

bool AttachControlByID(UInt32 signature, WindowRef* window, CControl* control) {
  return control && control->Attach(signature, window, 0);
}

bool DisposeControlRef(ControlRef* control) {
  if (control && *control) {
    DisposeControl(*control);
    *control = nullptr;
  }
  return true;
}

bool MoveControlRef(short left, short top, ControlRef* control) {
  if (control) MoveControl(*control, left, top);
  return true;
}

bool SizeControlRef(short width, short height, ControlRef* control) {
  if (control) SizeControl(*control, width, height);
  return true;
}

bool GetControlRefBounds(ControlRef* control, Rect* out) {
  if (!control || !out) return false;
  GetControlBounds(*control, out);
  return true;
}

bool EnableControlRef(ControlRef* control, bool enable) {
  if (!control) return false;
  return (enable ? EnableControl(*control) : DisableControl(*control)) == noErr;
}
