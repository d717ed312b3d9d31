// Standard alerts and sheets of the headless window system.
//
// An alert is a movable alert window (a sheet is a sheet window) holding the
// title, the text and up to three push buttons: default (button 1, command
// 'ok  '), cancel (button 2, 'not!') and other (button 3, 'othr'). Headless,
// running an alert prints its title and text to standard error and takes the
// button that the user-interface driver gives (platform/ui_driver.h); a shown
// sheet is answered by the driver pressing one of its buttons when a loop
// waits for input.
#pragma once

#include <string>
#include <vector>

#include "platform/carbon_events.h"

namespace plat {
class Dialog;
}
typedef plat::Dialog* DialogRef;
typedef SInt16 AlertType;
typedef SInt16 DialogItemIndex;

enum : AlertType {
  kAlertStopAlert = 0,
  kAlertNoteAlert = 1,
  kAlertCautionAlert = 2,
  kAlertPlainAlert = 3,
};

enum : SInt16 {
  kAlertStdAlertOKButton = 1,
  kAlertStdAlertCancelButton = 2,
  kAlertStdAlertOtherButton = 3,
  kAlertStdAlertHelpButton = 4,
};

// Pascal-string alert parameters. A button text of kAlertDefaultOKText (and
// the cancel and other counterparts) takes the system's own label; null
// leaves the button out.
struct AlertStdAlertParamRec {
  Boolean movable = true;
  Boolean helpButton = false;
  void* filterProc = nullptr;
  ConstStringPtr defaultText = nullptr;
  ConstStringPtr cancelText = nullptr;
  ConstStringPtr otherText = nullptr;
  SInt16 defaultButton = 0;
  SInt16 cancelButton = 0;
  UInt16 position = 0;
};
#define kAlertDefaultOKText (reinterpret_cast<ConstStringPtr>(-1))
#define kAlertDefaultCancelText (reinterpret_cast<ConstStringPtr>(-1))
#define kAlertDefaultOtherText (reinterpret_cast<ConstStringPtr>(-1))

// Runs an application-modal alert (the classic call); param null takes one OK button.
[[nodiscard]] OSErr StandardAlert(AlertType type, ConstStr255Param error, ConstStr255Param explanation,
                    const AlertStdAlertParamRec* param, SInt16* outItemHit);

WindowRef GetDialogWindow(DialogRef dialog);
void DisposeDialog(DialogRef dialog);

namespace plat {

// The content of an alert or sheet (texts in Mac Roman).
struct AlertSpec {
  AlertType type = kAlertPlainAlert;
  std::string title;
  std::string text;
  bool hasDefault = true;
  bool hasCancel = false;
  bool hasOther = false;
  std::string defaultText = "OK";
  std::string cancelText = "Cancel";
  std::string otherText = "Don't Save";
  SInt16 defaultButton = kAlertStdAlertOKButton;
  SInt16 cancelButton = 0;
};

class Dialog {
 public:
  AlertSpec spec;
  WindowRef window = nullptr;
  bool sheet = false;
  EventTargetRef notify = nullptr;
};

[[nodiscard]] bool IsLiveDialog(DialogRef dialog);

// Makes the alert (sheet = false) or sheet window with its buttons.
[[nodiscard]] OSStatus NewStandardAlert(const AlertSpec& spec, bool sheet, EventTargetRef notify, DialogRef* outDialog);
// Runs an alert made by NewStandardAlert and disposes it; *outItemHit is the
// button number (1 default, 2 cancel, 3 other).
[[nodiscard]] OSStatus RunAlert(DialogRef dialog, DialogItemIndex* outItemHit);
// The button control of a dialog by number (1 to 3), null when absent.
ControlRef DialogButton(DialogRef dialog, SInt16 number);
// The dialog whose window this is, null when none.
DialogRef DialogOfWindow(WindowRef window);
// Standard sheets now shown, newest first.
std::vector<DialogRef> ShownStandardSheets();
// Called when a window goes: a dialog on it goes with it.
void ForgetDialogWindow(WindowRef window);

}  // namespace plat
