#include "ui/message_box.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/cf_string_holder.h"
#include "foundation/system_queries.h"
#include "platform/carbon_strings.h"
#include "platform/toolbox.h"

namespace {

constexpr UInt32 kSheetOther = FourCC("othr");

// One button text: a localized string number, a literal, or the system's own label.
struct Label {
  UInt32 number;
  const char* literal;
};

struct ButtonSet {
  UInt32 flag;
  Label defaultText, cancelText, otherText;
};

// The system's own OK label: a marker of the alert interface, not a string.
const CFStringRef kSystemOkLabel = kAlertDefaultOKTextCF;  // NOLINT(performance-no-int-to-ptr): the -1 marker

constexpr Label kNone = {0, nullptr};
constexpr Label kSystemOk = {0, ""};

// Tested in this order; the first set bit wins.
constexpr ButtonSet kButtonSets[] = {
    {kBoxOk, kSystemOk, kNone, kNone},
    {kBoxOkCancel, {10026, nullptr}, {10027, nullptr}, kNone},
    {kBoxRetryCancel, {0, "Retry"}, {10027, nullptr}, kNone},
    {kBoxYesNo, {10024, nullptr}, {10025, nullptr}, kNone},
    {kBoxYesCancelNo, {10024, nullptr}, {10027, nullptr}, {10025, nullptr}},
    {kBoxSaveCancelDontSave, {0, "Save"}, {0, "Cancel"}, {0, "Don't Save"}},
    {kBoxRetryIgnoreAbort, {0, "Retry"}, {0, "Ignore"}, {0, "Abort"}},
};

[[nodiscard]] const ButtonSet* FindSet(UInt32 flags) {
  for (const ButtonSet& set : kButtonSets)
    if (flags & set.flag) return &set;
  return nullptr;
}

UInt32 SetFlag(UInt32 flags) {
  const ButtonSet* set = FindSet(flags);
  return set ? set->flag : 0;
}

AlertType IconOf(UInt32 flags) {
  if (flags & kBoxIconStop) return kAlertStopAlert;
  if (flags & kBoxIconCaution) return kAlertCautionAlert;
  if (flags & kBoxIconNote) return kAlertNoteAlert;
  return kAlertPlainAlert;
}

// A CFString of a label, null for an absent button; the caller releases it
// (the system's own label is a marker, not a string).
[[nodiscard]] CFStringRef MakeLabel(const Label& label) {
  if (!label.number && !label.literal) return nullptr;
  if (!label.number && !*label.literal) return kSystemOkLabel;
  if (label.number) return CopyLocalizedStringOrKey(label.number);
  return CreateCFStringFromCString(label.literal);
}

void ReleaseLabel(CFStringRef label) {
  if (label && label != kSystemOkLabel) CFRelease(label);
}

// The alert parameters of a button set, with the strings it made.
struct AlertButtons {
  AlertStdCFStringAlertParamRec param;
  CFStringRef made[3] = {nullptr, nullptr, nullptr};
  explicit AlertButtons(UInt32 flags) {
    // Fails only for a null record or another version, neither of which is asked here.
    static_cast<void>(GetStandardAlertDefaultParams(&param, kStdCFStringAlertVersionOne));
    const ButtonSet* set = FindSet(flags);
    if (!set) return;
    made[0] = MakeLabel(set->defaultText);
    made[1] = MakeLabel(set->cancelText);
    made[2] = MakeLabel(set->otherText);
    param.defaultText = made[0];
    param.cancelText = made[1];
    param.otherText = made[2];
    param.defaultButton = kAlertStdAlertOKButton;
    param.cancelButton = made[1] ? kAlertStdAlertCancelButton : 0;
  }
  ~AlertButtons() {
    for (CFStringRef s : made) ReleaseLabel(s);
  }
};

// The answer of a standard alert's button number.
UInt32 AlertAnswer(UInt32 set, DialogItemIndex button) {
  if (button == kAlertStdAlertOKButton) return kAnswerOk;
  switch (set) {
    case kBoxOkCancel:
      return button == kAlertStdAlertCancelButton ? kAnswerCancel : kAnswerOk;
    case kBoxYesNo:
      return kAnswerNo;
    case kBoxYesCancelNo:
    case kBoxSaveCancelDontSave:
    case kBoxRetryIgnoreAbort:
      return button == kAlertStdAlertOtherButton ? kAnswerNo : kAnswerCancel;
    case kBoxOk:
      return kAnswerOk;
    default:
      return kAnswerCancel;
  }
}

UInt32 RunAlert(UInt32 flags, CFStringRef title, CFStringRef text) {
  AlertButtons buttons(flags);
  DialogRef alert = nullptr;
  if (CreateStandardAlert(IconOf(flags), title, text, &buttons.param, &alert) != noErr || !alert) return kAnswerCancel;
  DialogItemIndex hit = 0;
  if (RunStandardAlert(alert, nullptr, &hit) != noErr) return kAnswerCancel;
  return AlertAnswer(SetFlag(flags), hit);
}

// A Pascal string: the length byte says where the text ends, so no terminator follows it.
void ToPascal(const char* text, Str255 out) {
  const size_t n = text ? std::min<size_t>(std::strlen(text), 255) : 0;
  out[0] = UInt8(n);
  std::copy_n(text, n, out + 1);
}

// The alert of systems before 10.0.
UInt32 RunClassicAlert(UInt32 flags, const char* title, const char* text) {
  Str255 pascalTitle, pascalText;
  ToPascal(title, pascalTitle);
  ToPascal(text, pascalText);
  const UInt32 set = SetFlag(flags);
  AlertStdAlertParamRec param;
  const unsigned char yes[] = "\003Yes", no[] = "\002No", cancel[] = "\006Cancel", save[] = "\004Save",
                      dontSave[] = "\012Don't Save";
  bool custom = true;
  if (set == kBoxYesNo) {
    param.defaultText = yes;
    param.cancelText = no;
  } else if (set == kBoxYesCancelNo) {
    param.defaultText = yes;
    param.cancelText = cancel;
    param.otherText = no;
  } else if (set == kBoxSaveCancelDontSave) {
    param.defaultText = save;
    param.cancelText = cancel;
    param.otherText = dontSave;
  } else {
    custom = false;
  }
  param.defaultButton = kAlertStdAlertOKButton;
  param.cancelButton = kAlertStdAlertCancelButton;
  SInt16 hit = 0;
  if (StandardAlert(IconOf(flags), pascalTitle, pascalText, custom ? &param : nullptr, &hit) != noErr)
    return kAnswerCancel;
  if (hit == kAlertStdAlertOKButton) return kAnswerOk;
  if (set == kBoxYesNo) return kAnswerNo;
  if (set == kBoxYesCancelNo || set == kBoxSaveCancelDontSave)
    return hit == kAlertStdAlertOtherButton ? kAnswerNo : kAnswerCancel;
  return kAnswerCancel;
}

struct SheetState {
  UInt32 answer = 0;
};

[[nodiscard]] OSStatus HandleSheetHit(EventHandlerCallRef, EventRef event, void* data) {
  auto state = static_cast<SheetState*>(data);
  ControlRef button = nullptr;
  UInt32 command = 0;
  if (!plat::GetParam(event, kEventParamDirectObject, typeControlRef, &button) ||
      GetControlCommandID(button, &command) != noErr)
    return eventNotHandledErr;
  if (command != kHICommandOK && command != kHICommandCancel && command != kSheetOther) return eventNotHandledErr;
  state->answer = command;
  return noErr;
}

UInt32 SheetAnswer(UInt32 set, UInt32 stored) {
  if (stored == kHICommandOK) return kAnswerOk;
  if (set == kBoxYesNo) return kAnswerNo;
  if (set == kBoxYesCancelNo || set == kBoxSaveCancelDontSave || set == kBoxRetryIgnoreAbort)
    return stored == kSheetOther ? kAnswerNo : kAnswerCancel;
  return kAnswerCancel;
}

// The finished text of the box, shown as it stands.
UInt32 ShowText(WindowRef parent, UInt32 flags, const char* title, const char* text) {
  if (GetSystemVersion() < 0x1000) return RunClassicAlert(flags, title, text);
  if (parent) return ShowMessageSheet(parent, flags, title, text);
  CCFString cfTitle(title ? title : "");
  CCFString cfText(text ? text : "");
  return RunAlert(flags, cfTitle.GetRef(), cfText.GetRef());
}

// Formats into `capacity` bytes (a longer result is cut); a formatting error
// doubles the buffer and tries again, a bounded number of times, and then
// shows the format itself.
std::string FormatText(size_t capacity, const char* format, va_list arguments) {
  if (!format) return std::string();
  for (int attempt = 0; attempt < 4; ++attempt, capacity *= 2) {
    std::vector<char> buffer(capacity);
    va_list copy;
    va_copy(copy, arguments);
    const int n = std::vsnprintf(buffer.data(), capacity, format, copy);
    va_end(copy);
    if (n >= 0) return std::string(buffer.data());
  }
  return format;
}

std::string LoadText(UInt32 number, bool* loaded) {
  CCFString text;
  *loaded = text.LoadLocalizedString(number);
  return *loaded ? text.ToStdString() : std::string();
}

UInt32 ShowBoxById(WindowRef parent, UInt32 flags, UInt32 titleNumber, UInt32 textNumber, bool errorFallback,
                   va_list arguments) {
  bool titleLoaded = false, textLoaded = false;
  std::string title = LoadText(titleNumber, &titleLoaded);
  std::string format = LoadText(textNumber, &textLoaded);
  if (errorFallback && !titleLoaded) title = "Error";
  if (errorFallback && !textLoaded) format = "Error";
  const std::string text = FormatText(256, format.c_str(), arguments);
  return ShowText(parent, flags, title.c_str(), text.c_str());
}

}  // namespace

UInt32 ShowMessageBox(WindowRef parent, UInt32 flags, const char* title, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = FormatText(2 * std::strlen(format ? format : "") + 256, format, arguments);
  va_end(arguments);
  return ShowText(parent, flags, title, text.c_str());
}

#define GB_BOX_WRAPPER(Name, Flags)                                                   \
  UInt32 Name(WindowRef parent, const char* title, const char* format, ...) {         \
    va_list arguments;                                                                \
    va_start(arguments, format);                                                      \
    const std::string text = FormatText(256, format, arguments);                      \
    va_end(arguments);                                                                \
    return ShowText(parent, Flags, title, text.c_str());                              \
  }

GB_BOX_WRAPPER(ShowNoteBox, kBoxIconNote | kBoxOk)
GB_BOX_WRAPPER(ShowCautionBox, kBoxIconCaution | kBoxOk)
GB_BOX_WRAPPER(ShowStopBox, kBoxIconStop | kBoxOk)
#undef GB_BOX_WRAPPER

UInt32 ShowErrorCodeBox(WindowRef parent, int code) {
  char title[32], text[32];
  std::snprintf(title, sizeof(title), "Err: %d", code);
  std::snprintf(text, sizeof(text), "Type: %d", code);
  return ShowText(parent, kBoxIconStop | kBoxOk, title, text);
}

UInt32 ShowMessageBoxById(WindowRef parent, UInt32 flags, UInt32 titleNumber, UInt32 textNumber, ...) {
  va_list arguments;
  va_start(arguments, textNumber);
  bool titleLoaded = false, textLoaded = false;
  const std::string title = LoadText(titleNumber, &titleLoaded);
  const std::string format = LoadText(textNumber, &textLoaded);
  const std::string text = FormatText(2 * format.size() + 256, format.c_str(), arguments);
  va_end(arguments);
  return ShowText(parent, flags, title.c_str(), text.c_str());
}

// The stop box shows "Error" for a title or text it cannot load.
#define GB_BOX_BY_ID(Name, Flags, ErrorFallback)                                             \
  UInt32 Name(WindowRef parent, UInt32 titleNumber, UInt32 textNumber, ...) {                \
    va_list arguments;                                                                       \
    va_start(arguments, textNumber);                                                         \
    const UInt32 answer = ShowBoxById(parent, Flags, titleNumber, textNumber, ErrorFallback, \
                                      arguments);                                            \
    va_end(arguments);                                                                       \
    return answer;                                                                           \
  }

GB_BOX_BY_ID(ShowStopBoxById, kBoxIconStop | kBoxOk, true)
GB_BOX_BY_ID(ShowCautionBoxById, kBoxIconCaution | kBoxOk, false)
GB_BOX_BY_ID(ShowNoteBoxById, kBoxIconNote | kBoxOk, false)
#undef GB_BOX_BY_ID

UInt32 ShowMessageSheet(WindowRef parent, UInt32 flags, const char* title, const char* text) {
  if (!parent) parent = FrontNonFloatingWindow();
  CCFString cfTitle(title ? title : "");
  CCFString cfText(text ? text : "");
  AlertButtons buttons(flags);
  DialogRef sheet = nullptr;
  if (CreateStandardSheet(IconOf(flags), cfTitle.GetRef(), cfText.GetRef(), &buttons.param,
                          GetWindowEventTarget(parent), &sheet) != noErr ||
      !sheet)
    return kAnswerCancel;
  WindowRef window = GetDialogWindow(sheet);
  SheetState state;
  EventHandlerRef handler = nullptr;
  const EventTypeSpec hit = {kEventClassControl, kEventControlHit};
  // A sheet that cannot hear its buttons, or cannot be shown, becomes an alert.
  if (InstallEventHandler(GetWindowEventTarget(window), HandleSheetHit, 1, &hit, &state, &handler) != noErr ||
      ShowSheetWindow(window, parent) != noErr) {
    if (handler) static_cast<void>(RemoveEventHandler(handler));
    DisposeDialog(sheet);
    return RunAlert(flags, cfTitle.GetRef(), cfText.GetRef());
  }
  // Poll the queue until a button is pressed. A loop that is ending, a sheet
  // that went away, or a long run of empty polls ends the wait unanswered.
  int idle = 0;
  while (!state.answer && IsWindowVisible(window) && idle < 1000) {
    EventRef event = nullptr;
    const OSStatus status = ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &event);
    if (status == noErr) {
      plat::SendNotification(event, GetEventDispatcherTarget());
      ReleaseEvent(event);
      idle = 0;
    } else if (status == eventLoopTimedOutErr) {
      ++idle;
    } else {
      break;
    }
  }
  // The sheet goes whatever these say: it is disposed right after.
  if (IsWindowVisible(window)) static_cast<void>(HideSheetWindow(window));
  if (handler) static_cast<void>(RemoveEventHandler(handler));
  DisposeDialog(sheet);
  return SheetAnswer(SetFlag(flags), state.answer);
}

bool InitToolbox() {
  MoreMasterPointers(100);
  InitCursor();
  return true;
}
