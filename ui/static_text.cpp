#include "ui/static_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/cf_string_holder.h"
#include "platform/carbon_strings.h"
#include "platform/text_encoding.h"
#include "ui/dialog_window.h"
#include "ui/text_format.h"

namespace {

StaticTextListener gListener = nullptr;

ControlFontStyleRec StaticTextStyle() {
  ControlFontStyleRec style;
  style.flags = kControlUseSizeMask;
  style.size = 10;
  return style;
}

}  // namespace

bool CStaticText::Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* text) {
  if (!CControl::Create(owner, id, bounds, text) || !owner || !bounds) return false;
  CCFString string(text ? text : "");
  ControlFontStyleRec style = StaticTextStyle();
  OSStatus status = CreateStaticTextControl(owner->GetWindowRef(), bounds, string.GetRef(), &style, &control_);
  if (status != noErr) {
    status_ = status;
    control_ = nullptr;
    return false;
  }
  return FinishCreate(owner, id);
}

bool CStaticText::CreateByStringID(CDialogWindow* owner, UInt32 id, const Rect* bounds, UInt32 stringNumber) {
  if (!CControl::CreateByStringID(owner, id, bounds, stringNumber)) return false;
  char text[256];
  LoadString(stringNumber, text, sizeof(text));
  return Create(owner, id, bounds, text);
}

int CStaticText::GetClassConstant1() { return 16; }

bool CStaticText::SetText(const char* text, bool redraw) {
  return SetText(text, plat::MacRomanToUtf8(text ? text : ""), redraw);
}

bool CStaticText::SetText(const char* text, const std::string& hostText, bool redraw) {
  if (!text) text = "";
  if (SetControlData(control_, kControlEntireControl, kControlStaticTextTextTag, std::strlen(text), text) != noErr)
    return false;
  if (redraw) Draw1Control(control_);
  if (gListener) gListener(control_, hostText.c_str());
  return true;
}

void SetStaticTextListener(StaticTextListener listener) { gListener = listener; }

bool CStaticText::Clear(bool redraw) {
  if (SetControlData(control_, kControlEntireControl, kControlStaticTextTextTag, 0, "") != noErr) return false;
  if (redraw) Draw1Control(control_);
  return true;
}

bool CStaticText::SetPascalText(const unsigned char* text, bool redraw) {
  const size_t length = text ? text[0] : 0;
  if (SetControlData(control_, kControlEntireControl, kControlStaticTextTextTag, length, text ? text + 1 : text) !=
      noErr)
    return false;
  if (redraw) Draw1Control(control_);
  return true;
}

bool CStaticText::SetTextByStringID(UInt32 stringNumber, bool redraw) {
  char text[1024];
  LoadString(stringNumber, text, sizeof(text));
  return SetText(text, redraw);
}

bool CStaticText::SetInt(int value, bool redraw) {
  char text[16];
  std::snprintf(text, sizeof(text), "%d", value);
  return SetText(text, redraw);
}

bool CStaticText::SetFloat(double value, int width, int precision, bool redraw) {
  char format[32];
  BuildDoubleFormat(width, precision, format, sizeof(format));
  return SetFormatted(redraw, format, value);
}

bool CStaticText::SetFormatted(bool redraw, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text;
  const bool formatted = FormatGrowing(&text, format, arguments);
  va_end(arguments);
  return SetText(formatted ? text.c_str() : "", redraw);
}

bool CStaticText::GetText(char* buffer, size_t* size) {
  if (!buffer || !size || *size == 0) return false;
  std::vector<char> text(*size - 1);
  size_t actual = 0;
  if (GetControlData(control_, kControlEntireControl, kControlStaticTextTextTag, text.size(), text.data(), &actual) !=
      noErr) {
    buffer[0] = 0;
    *size = 0;
    return false;
  }
  const size_t copied = actual < text.size() ? actual : text.size();
  if (copied) std::memcpy(buffer, text.data(), copied);
  buffer[copied] = 0;
  *size = copied;
  return true;
}

OSStatus CreateStaticTextControlAt(WindowRef window, short left, short top, short width, short height,
                                   const char* text, ControlRef* outControl) {
  Rect bounds = MakeRect(left, top, SInt16(left + width), SInt16(top + height));
  CCFString string(text ? text : "");
  ControlFontStyleRec style = StaticTextStyle();
  return CreateStaticTextControl(window, &bounds, string.GetRef(), &style, outControl);
}

bool CProgressBar::Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) {
  if (!CControl::Create(owner, id, bounds, title) || !owner || !bounds) return false;
  OSStatus status = CreateProgressBarControl(owner->GetWindowRef(), bounds, 0, 0, 100, false, &control_);
  if (status != noErr) {
    status_ = status;
    control_ = nullptr;
    return false;
  }
  return FinishCreate(owner, id);
}

bool CProgressBar::SetValue(SInt32 value, bool redraw) {
  SetControl32BitValue(control_, value);
  if (redraw) Draw1Control(control_);
  return true;
}

SInt32 CProgressBar::GetValue() { return GetControl32BitValue(control_); }

bool CProgressBar::SetRange(SInt16 minimum, SInt16 maximum, bool redraw) {
  SetControlMinimum(control_, minimum);
  SetControlMaximum(control_, maximum);
  if (redraw) Draw1Control(control_);
  return true;
}

SInt16 CProgressBar::GetMinimum() { return GetControlMinimum(control_); }
SInt16 CProgressBar::GetMaximum() { return GetControlMaximum(control_); }

bool CProgressBar::GetRange(SInt16* minimum, SInt16* maximum) {
  if (minimum) *minimum = GetMinimum();
  if (maximum) *maximum = GetMaximum();
  return true;
}

bool CProgressBar::SetToMaximum() { return SetValue(GetMaximum(), true); }
bool CProgressBar::Increment() { return SetValue(GetValue() + 1, true); }
bool CProgressBar::Decrement() { return SetValue(GetValue() - 1, true); }
