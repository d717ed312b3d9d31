#include "platform/alerts.h"

#include <algorithm>
#include <map>
#include <memory>

#include "platform/controls.h"
#include "platform/ui_driver.h"
#include "platform/windows.h"

namespace plat {

namespace {

std::map<WindowRef, DialogRef>& Dialogs() {
  static std::map<WindowRef, DialogRef> dialogs;
  return dialogs;
}

// Ended dialogs keep their memory, so that a stale DialogRef never names a later one.
void Bury(DialogRef dialog) {
  static std::vector<std::unique_ptr<Dialog>> graveyard;
  graveyard.emplace_back(dialog);
}

std::string FromPascal(ConstStr255Param text) {
  return text ? std::string(reinterpret_cast<const char*>(text + 1), text[0]) : std::string();
}

// A classic button text: -1 is the system's label, null leaves the button out.
[[nodiscard]] bool ButtonText(ConstStringPtr text, const char* standard, std::string* out) {
  if (!text) return false;
  *out = text == reinterpret_cast<ConstStringPtr>(-1) ? std::string(standard) : FromPascal(text);  // NOLINT(performance-no-int-to-ptr): the interface's -1 sentinel, never dereferenced
  return true;
}

void AddButton(WindowRef window, int slot, const std::string& title, UInt32 command, SInt16 number) {
  ControlRef button = nullptr;
  Rect r = MakeRect(SInt16(320 - slot * 100), 110, SInt16(410 - slot * 100), 130);
  if (NewControl(window, ControlKind::kPushButton, r, title, &button) != noErr) return;
  button->command = command;
  button->id = ControlID{FourCC("alrt"), number};
}

}  // namespace

bool IsLiveDialog(DialogRef dialog) {
  if (!dialog) return false;
  for (const auto& entry : Dialogs())
    if (entry.second == dialog) return true;
  return false;
}

DialogRef DialogOfWindow(WindowRef window) {
  auto it = Dialogs().find(window);
  return it == Dialogs().end() ? nullptr : it->second;
}

OSStatus NewStandardAlert(const AlertSpec& spec, bool sheet, EventTargetRef notify, DialogRef* outDialog) {
  if (!outDialog) return paramErr;
  *outDialog = nullptr;
  OSStatus injected;
  if (UiDriver::Get().TakeFailure(sheet ? UiFailure::kCreateSheet : UiFailure::kCreateAlert, &injected))
    return injected;
  WindowRef window = nullptr;
  Rect bounds = MakeRect(100, 100, 520, 240);
  OSStatus status = CreateNewWindow(sheet ? kSheetWindowClass : kMovableAlertWindowClass,
                                    kWindowStandardHandlerAttribute, &bounds, &window);
  if (status != noErr) return status;
  window->title = spec.title;
  ControlRef text = nullptr;
  status = NewControl(window, ControlKind::kStaticText, MakeRect(80, 16, 410, 36), spec.title, &text);
  if (status == noErr) status = NewControl(window, ControlKind::kStaticText, MakeRect(80, 44, 410, 100), spec.text, &text);
  if (status != noErr) {
    DisposeWindow(window);
    return status;
  }
  if (spec.hasDefault) AddButton(window, 0, spec.defaultText, kHICommandOK, kAlertStdAlertOKButton);
  if (spec.hasCancel) AddButton(window, 1, spec.cancelText, kHICommandCancel, kAlertStdAlertCancelButton);
  if (spec.hasOther) AddButton(window, 3, spec.otherText, kHICommandOther, kAlertStdAlertOtherButton);
  auto dialog = new Dialog;
  dialog->spec = spec;
  dialog->window = window;
  dialog->sheet = sheet;
  dialog->notify = notify;
  Dialogs()[window] = dialog;
  *outDialog = dialog;
  return noErr;
}

OSStatus RunAlert(DialogRef dialog, DialogItemIndex* outItemHit) {
  if (!IsLiveDialog(dialog) || dialog->sheet) return paramErr;
  OSStatus injected;
  if (UiDriver::Get().TakeFailure(UiFailure::kRunAlert, &injected)) {
    DisposeDialog(dialog);
    return injected;
  }
  ShowWindow(dialog->window);
  SInt16 answer = UiDriver::Get().AnswerAlert(dialog->spec, false);
  DisposeDialog(dialog);
  if (outItemHit) *outItemHit = answer;
  return noErr;
}

std::vector<DialogRef> ShownStandardSheets() {
  std::vector<DialogRef> out;
  for (WindowRef w : WindowList()) {
    DialogRef d = DialogOfWindow(w);
    if (d && d->sheet && w->visible) out.push_back(d);
  }
  return out;
}

void ForgetDialogWindow(WindowRef window) {
  auto it = Dialogs().find(window);
  if (it == Dialogs().end()) return;
  Bury(it->second);
  Dialogs().erase(it);
}

ControlRef DialogButton(DialogRef dialog, SInt16 number) {
  if (!IsLiveDialog(dialog)) return nullptr;
  ControlID id{FourCC("alrt"), number};
  ControlRef button = nullptr;
  return GetControlByID(dialog->window, &id, &button) == noErr ? button : nullptr;
}

}  // namespace plat

OSErr StandardAlert(AlertType type, ConstStr255Param error, ConstStr255Param explanation,
                    const AlertStdAlertParamRec* param, SInt16* outItemHit) {
  OSStatus injected;
  if (plat::UiDriver::Get().TakeFailure(plat::UiFailure::kClassicAlert, &injected)) return OSErr(injected);
  plat::AlertSpec spec;
  spec.type = type;
  spec.title = plat::FromPascal(error);
  spec.text = plat::FromPascal(explanation);
  if (param) {
    if (!plat::ButtonText(param->defaultText, "OK", &spec.defaultText)) spec.defaultText = "OK";
    spec.hasCancel = plat::ButtonText(param->cancelText, "Cancel", &spec.cancelText);
    spec.hasOther = plat::ButtonText(param->otherText, "Don't Save", &spec.otherText);
    spec.defaultButton = param->defaultButton;
    spec.cancelButton = param->cancelButton;
  }
  DialogRef dialog = nullptr;
  OSStatus status = plat::NewStandardAlert(spec, false, nullptr, &dialog);
  if (status != noErr) return OSErr(status);
  DialogItemIndex hit = 0;
  status = plat::RunAlert(dialog, &hit);
  if (outItemHit) *outItemHit = hit;
  return OSErr(status);
}

WindowRef GetDialogWindow(DialogRef dialog) { return plat::IsLiveDialog(dialog) ? dialog->window : nullptr; }

void DisposeDialog(DialogRef dialog) {
  if (!plat::IsLiveDialog(dialog)) return;
  plat::Dialogs().erase(dialog->window);
  DisposeWindow(dialog->window);
  plat::Bury(dialog);
}
