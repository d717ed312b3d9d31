#include "ui/buttons.h"

#include <cstring>

#include "foundation/cf_string_holder.h"
#include "platform/carbon_strings.h"
#include "ui/dialog_window.h"

namespace {

// Steps (2) to (6) of a creation: the title as a CFString, the create call,
// the status kept on failure, then FinishCreate.
template <typename Make>
[[nodiscard]] bool CreateWith(CControl* self, CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title,
                OSStatus* status, ControlRef* control, Make make) {
  if (!owner || !bounds) return false;
  CFStringRef text = CreateCFStringFromCString(title ? title : "");
  OSStatus result = make(owner->GetWindowRef(), bounds, text, control);
  if (text) CFRelease(text);
  if (result != noErr) {
    *status = result;
    *control = nullptr;
    return false;
  }
  return self->FinishCreate(owner, id);
}

}  // namespace

bool CPushButton::Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) {
  if (!CControl::Create(owner, id, bounds, title)) return false;
  return CreateWith(this, owner, id, bounds, title, &status_, &control_, CreatePushButtonControl);
}

int CPushButton::GetClassConstant1() { return 17; }

bool CCheckBox::Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) {
  // A check box makes its own control: the push button's Create is passed over.
  if (!CControl::Create(owner, id, bounds, title)) return false;  // NOLINT(bugprone-parent-virtual-call): as above
  return CreateWith(this, owner, id, bounds, title, &status_, &control_,
                    [](WindowRef w, const Rect* b, CFStringRef t, ControlRef* c) {
                      return CreateCheckBoxControl(w, b, t, 0, true, c);
                    });
}

bool CCheckBox::SetCheck(bool checked, bool redraw) {
  if (!plat::IsLiveControl(control_)) return false;
  SetControl32BitValue(control_, checked ? 1 : 0);
  if (redraw) Draw1Control(control_);
  return true;
}

bool CCheckBox::GetCheck() { return GetControl32BitValue(control_) != 0; }

bool CEditText::Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* text) {
  if (!CControl::Create(owner, id, bounds, text)) return false;
  return CreateWith(this, owner, id, bounds, text, &status_, &control_,
                    [](WindowRef w, const Rect* b, CFStringRef t, ControlRef* c) {
                      return CreateEditUnicodeTextControl(w, b, t, false, nullptr, c);
                    });
}

int CEditText::GetClassConstant1() { return 16; }

bool CEditText::SetText(const char* text, bool redraw) {
  if (!text) text = "";
  if (SetControlData(control_, kControlEntireControl, kControlEditTextTextTag, std::strlen(text), text) != noErr)
    return false;
  if (redraw) Draw1Control(control_);
  return true;
}

bool CEditText::GetText(std::string& text) {
  text.clear();
  size_t size = 0;
  if (GetControlDataSize(control_, kControlEntireControl, kControlEditTextTextTag, &size) != noErr) return false;
  std::string bytes(size, '\0');
  size_t actual = 0;
  if (GetControlData(control_, kControlEntireControl, kControlEditTextTextTag, bytes.size(), bytes.data(), &actual) !=
      noErr)
    return false;
  // The text ends at its first zero byte, as a C string does.
  bytes.resize(actual < bytes.size() ? actual : bytes.size());
  text = bytes.c_str();
  return true;
}
