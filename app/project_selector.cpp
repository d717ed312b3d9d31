#include "app/project_selector.h"

namespace {

constexpr UInt32 kChoiceGroup = FourCC("rPrj");

}  // namespace

CProjectSelectorDialog::CProjectSelectorDialog(CAppPreferences& preferences) : preferences_(&preferences) {}

bool CProjectSelectorDialog::OnInit() {
  // A dialog that cannot be centred opens where its layout puts it.
  static_cast<void>(CenterOnMainScreen(nullptr));
  if (AttachControl(kChoiceGroup, &choice_)) {
    const SInt32 command = preferences_->projectCommand;
    if (command >= kProjectCommandNewFromMovie && command <= kProjectCommandOpen) {
      SetControl32BitValue(choice_.GetControlRef(), command + 1);
      // The radio buttons show the group's choice.
      UInt16 count = 0;
      if (CountSubControls(choice_.GetControlRef(), &count) != noErr) count = 0;
      for (UInt16 i = 1; i <= count; ++i) {
        ControlRef button = nullptr;
        if (GetIndexedSubControl(choice_.GetControlRef(), i, &button) == noErr)
          SetControl32BitValue(button, SInt32(i) == command + 1 ? 1 : 0);
      }
    }
  }
  return true;
}

bool CProjectSelectorDialog::OnCommand(UInt32 command, EventRef*) {
  if (command == kHICommandOK) {
    const SInt32 value = choice_.GetControlRef() ? GetControl32BitValue(choice_.GetControlRef()) : 0;
    if (value >= 1 && value <= 3) preferences_->projectCommand = value - 1;
    EndDialog(SInt32(kHICommandOK));
    return true;
  }
  if (command == kHICommandCancel) {
    EndDialog(SInt32(kHICommandCancel));
    return true;
  }
  return false;
}
