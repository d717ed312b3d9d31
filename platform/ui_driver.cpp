#include "platform/ui_driver.h"

#include <cstdio>
#include <sstream>

#include "platform/apple_events.h"
#include "platform/byte_order.h"
#include "platform/controls.h"
#include "platform/menus.h"
#include "platform/text_encoding.h"
#include "platform/windows.h"

namespace plat {

namespace {

[[nodiscard]] bool HasButton(const AlertSpec& spec, SInt16 button) {
  switch (button) {
    case kAlertStdAlertOKButton:
      return spec.hasDefault;
    case kAlertStdAlertCancelButton:
      return spec.hasCancel;
    case kAlertStdAlertOtherButton:
      return spec.hasOther;
    default:
      return false;
  }
}

std::string CodeText(UInt32 code) {
  char text[5] = {};
  PutBig32(reinterpret_cast<UInt8*>(text), code);
  for (char c : std::string(text, 4))
    if (c < 32 || c > 126) return std::to_string(code);
  return std::string("'") + text + "'";
}

// A command or signature: 'abcd' (quoted, may hold blanks), a decimal number,
// or up to four characters padded with blanks.
[[nodiscard]] bool ParseCode(const std::string& token, UInt32* out) {
  std::string text = token;
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
    text = text.substr(1, text.size() - 2);
    if (text.size() != 4) return false;
  } else if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
    if (text.size() > 10) return false;
    unsigned long long n = std::stoull(text);
    if (n > 0xFFFFFFFFull) return false;
    *out = UInt32(n);
    return true;
  }
  if (text.empty() || text.size() > 4) return false;
  text.resize(4, ' ');
  *out = GetBig32(text.data());
  return true;
}

// A control id: a decimal number, negative ones too ("-2").
[[nodiscard]] bool ParseId(const std::string& token, SInt32* out) {
  const bool negative = !token.empty() && token[0] == '-';
  const std::string digits = negative ? token.substr(1) : token;
  UInt32 magnitude = 0;
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || !ParseCode(digits, &magnitude))
    return false;
  if (!negative) {
    *out = SInt32(magnitude);  // the id's 32 bits, as written
    return true;
  }
  if (magnitude > 0x80000000u) return false;
  *out = SInt32(-int64_t(magnitude));
  return true;
}

[[nodiscard]] bool ParseButton(const std::string& token, SInt16* out) {
  if (token == "ok" || token == "default" || token == "yes") *out = kAlertStdAlertOKButton;
  else if (token == "cancel") *out = kAlertStdAlertCancelButton;
  else if (token == "other" || token == "no") *out = kAlertStdAlertOtherButton;
  else if (token == "1" || token == "2" || token == "3") *out = SInt16(token[0] - '0');
  else return false;
  return true;
}

[[nodiscard]] bool ParsePolicy(const std::string& token, AnswerPolicy* out) {
  if (token == "default" || token == "ok") *out = AnswerPolicy::kDefault;
  else if (token == "cancel") *out = AnswerPolicy::kCancel;
  else if (token == "other") *out = AnswerPolicy::kOther;
  else return false;
  return true;
}

// Tokens of a line; a quoted four-character code stays one token.
std::vector<std::string> Tokens(const std::string& line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    size_t end;
    if (line[i] == '\'' && i + 5 < line.size() && line[i + 5] == '\'')
      end = i + 6;
    else
      end = line.find_first_of(" \t\r", i);
    if (end == std::string::npos) end = line.size();
    out.push_back(line.substr(i, end - i));
    i = end;
  }
  return out;
}

[[nodiscard]] ControlRef FindControl(WindowRef window, OSType signature, SInt32 id) {
  for (ControlRef c : WindowControls(window))
    if (c->id.signature == signature && (id == UiDriver::kAnyId || c->id.id == id)) return c;
  return nullptr;
}

}  // namespace

UiDriver& UiDriver::Get() {
  static UiDriver driver;
  return driver;
}

void UiDriver::Reset() {
  steps_.clear();
  failures_.clear();
  shown_.clear();
  policy_ = AnswerPolicy::kCancel;
  unansweredModals_ = 0;
}

void UiDriver::Answer(SInt16 button) {
  Step s(Step::Kind::kAnswer);
  s.button = button;
  steps_.push_back(s);
}

void UiDriver::Command(UInt32 command) {
  Step s(Step::Kind::kCommand);
  s.code = command;
  steps_.push_back(s);
}

void UiDriver::HitControl(OSType signature, SInt32 id, const std::string& window) {
  Step s(Step::Kind::kHit);
  s.code = signature;
  s.id = id;
  s.window = window;
  steps_.push_back(s);
}

void UiDriver::CloseWindow(const std::string& window) {
  Step s(Step::Kind::kClose);
  s.window = window;
  steps_.push_back(s);
}

void UiDriver::OpenDocuments(const std::vector<std::string>& hostPaths) {
  Step s(Step::Kind::kOpen);
  s.paths = hostPaths;
  steps_.push_back(s);
}

void UiDriver::Do(std::function<void()> step) {
  Step s(Step::Kind::kFunction);
  s.function = std::move(step);
  steps_.push_back(s);
}

bool UiDriver::LoadScript(const std::string& text, std::string* error) {
  std::deque<Step> parsed;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    std::vector<std::string> t = Tokens(line);
    if (t.empty()) continue;
    Step s(Step::Kind::kFunction);
    bool ok = false;
    if (t[0] == "answer" && t.size() == 2) {
      s.kind = Step::Kind::kAnswer;
      ok = ParseButton(t[1], &s.button);
    } else if (t[0] == "command" && t.size() == 2) {
      s.kind = Step::Kind::kCommand;
      ok = ParseCode(t[1], &s.code);
    } else if (t[0] == "hit" && t.size() >= 2) {
      s.kind = Step::Kind::kHit;
      ok = ParseCode(t[1], &s.code);
      size_t next = 2;
      if (ok && t.size() > next && t[next] != "in") {
        ok = ParseId(t[next], &s.id);
        ++next;
      }
      if (ok && t.size() > next) {
        ok = t[next] == "in" && t.size() == next + 2;
        if (ok) s.window = t[next + 1];
      }
    } else if (t[0] == "close" && t.size() == 2) {
      s.kind = Step::Kind::kClose;
      s.window = t[1];
      ok = true;
    } else if (t[0] == "open" && t.size() >= 2) {
      s.kind = Step::Kind::kOpen;
      s.paths.push_back(line.substr(line.find("open") + 5));
      while (!s.paths.back().empty() && (s.paths.back().back() == ' ' || s.paths.back().back() == '\r'))
        s.paths.back().pop_back();
      ok = true;
    } else if (t[0] == "policy" && t.size() == 2) {
      s.kind = Step::Kind::kPolicy;
      ok = ParsePolicy(t[1], &s.policy);
    }
    if (!ok) {
      if (error) *error = "line " + std::to_string(number) + ": " + line;
      return false;
    }
    parsed.push_back(s);
  }
  for (Step& s : parsed) steps_.push_back(std::move(s));
  return true;
}

void UiDriver::FailNext(UiFailure what, OSStatus status, int count) {
  failures_.push_back(Failure{what, status, count});
}

bool UiDriver::TakeFailure(UiFailure what, OSStatus* status) {
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->what != what) continue;
    *status = it->status;
    if (--it->count <= 0) failures_.erase(it);
    return true;
  }
  return false;
}

const ShownRecord* UiDriver::LastAlert() const {
  for (auto it = shown_.rbegin(); it != shown_.rend(); ++it)
    if (it->kind != ShownRecord::Kind::kWindow) return &*it;
  return nullptr;
}

SInt16 UiDriver::PolicyButton(const AlertSpec& spec) const {
  switch (policy_) {
    case AnswerPolicy::kDefault:
      return kAlertStdAlertOKButton;
    case AnswerPolicy::kCancel:
      return spec.hasCancel ? kAlertStdAlertCancelButton : kAlertStdAlertOKButton;
    case AnswerPolicy::kOther:
      if (spec.hasOther) return kAlertStdAlertOtherButton;
      return spec.hasCancel ? kAlertStdAlertCancelButton : kAlertStdAlertOKButton;
  }
  return kAlertStdAlertOKButton;
}

SInt16 UiDriver::AnswerAlert(const AlertSpec& spec, bool sheet) {
  SInt16 answer = 0;
  if (!steps_.empty() && steps_.front().kind == Step::Kind::kAnswer) {
    answer = steps_.front().button;
    steps_.pop_front();
  }
  if (!HasButton(spec, answer)) answer = PolicyButton(spec);
  ShownRecord record;
  record.kind = sheet ? ShownRecord::Kind::kSheet : ShownRecord::Kind::kAlert;
  record.type = spec.type;
  record.title = spec.title;
  record.text = spec.text;
  if (spec.hasDefault) record.buttons.push_back(spec.defaultText);
  if (spec.hasCancel) record.buttons.push_back(spec.cancelText);
  if (spec.hasOther) record.buttons.push_back(spec.otherText);
  record.answer = answer;
  shown_.push_back(record);
  Print(spec, sheet, answer);
  return answer;
}

void UiDriver::Print(const AlertSpec& spec, bool sheet, SInt16 answer) const {
  if (quiet_) return;
  const std::string& pressed = answer == kAlertStdAlertCancelButton  ? spec.cancelText
                               : answer == kAlertStdAlertOtherButton ? spec.otherText
                                                                     : spec.defaultText;
  std::fprintf(stderr, "%s: %s\n%s\n[%s]\n", sheet ? "sheet" : "alert", MacRomanToUtf8(spec.title).c_str(),
               MacRomanToUtf8(spec.text).c_str(), MacRomanToUtf8(pressed).c_str());
}

void UiDriver::RecordWindow(WindowRef window) {
  if (DialogOfWindow(window)) return;
  ShownRecord record;
  record.kind = ShownRecord::Kind::kWindow;
  record.title = window->title;
  record.text = window->name;
  shown_.push_back(record);
}

bool UiDriver::Idle(WindowRef modalWindow) {
  std::vector<DialogRef> sheets = ShownStandardSheets();
  if (!sheets.empty()) {
    DialogRef sheet = sheets.front();
    ControlRef button = DialogButton(sheet, AnswerAlert(sheet->spec, true));
    if (!button || !ClickControl(button)) {
      // A sheet that is not hung on a window any more is hidden as a window.
      if (HideSheetWindow(sheet->window) != noErr) HideWindow(sheet->window);
    }
    return true;
  }
  if (steps_.empty()) return false;
  Step step = std::move(steps_.front());
  steps_.pop_front();
  return RunStep(step, modalWindow);
}

bool UiDriver::RunStep(const Step& step, WindowRef modalWindow) {
  WindowRef window = step.window.empty() ? (modalWindow ? modalWindow : FrontNonFloatingWindow())
                                         : FindWindowNamed(step.window);
  switch (step.kind) {
    case Step::Kind::kAnswer: {
      HICommand command;
      command.commandID = step.button == kAlertStdAlertCancelButton  ? kHICommandCancel
                          : step.button == kAlertStdAlertOtherButton ? kHICommandOther
                                                                     : kHICommandOK;
      EventRef event = NewEvent(kEventClassCommand, kEventCommandProcess);
      SetParam(event, kEventParamDirectObject, typeHICommand, command);
      SendNotification(event, window ? GetWindowEventTarget(window) : UserFocusTarget());
      ReleaseEvent(event);
      break;
    }
    case Step::Kind::kCommand:
      if (!ChooseMenuCommand(step.code)) {
        HICommand command;
        command.commandID = step.code;
        // A command that nothing handles does nothing, as when a user chooses it.
        static_cast<void>(ProcessHICommand(&command));
      }
      break;
    case Step::Kind::kHit: {
      ControlRef control = IsLiveWindow(window) ? FindControl(window, step.code, step.id) : nullptr;
      if (!control || !ClickControl(control))
        std::fprintf(stderr, "driver: no control %s to press\n", CodeText(step.code).c_str());
      break;
    }
    case Step::Kind::kClose:
      if (IsLiveWindow(window)) {
        EventRef event = NewEvent(kEventClassWindow, kEventWindowClose);
        SetParam(event, kEventParamDirectObject, typeWindowRef, window);
        SendNotification(event, window->target.get());
        ReleaseEvent(event);
      } else {
        std::fprintf(stderr, "driver: no window %s to close\n", step.window.c_str());
      }
      break;
    case Step::Kind::kOpen:
      if (!PostOpenDocuments(step.paths)) std::fprintf(stderr, "driver: no file to open\n");
      break;
    case Step::Kind::kFunction:
      if (step.function) step.function();
      break;
    case Step::Kind::kPolicy:
      policy_ = step.policy;
      break;
  }
  return true;
}

}  // namespace plat
