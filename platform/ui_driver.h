// The user of the headless window system: a driver for tests and for the
// command line.
//
// When a loop waits for input and the event queue is empty, the platform asks
// the driver for the next step of its script: answer the alert, sheet or
// modal window that is up, choose a menu command, press a control, close a
// window, or (tests) run a function. Alerts and sheets with no script step
// for them take the answer of the policy. A modal loop for which the script
// has nothing is ended with its cancel answer ('not!', then a close, then it
// is ended outright), and the application loop with a quit command, so that
// nothing waits for a user who is not there. Everything shown (alerts,
// sheets, windows) is recorded so that tests and the command line can read
// it back; alerts and sheets are also printed to standard error.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/alerts.h"
#include "platform/carbon_events.h"

namespace plat {

enum class AnswerPolicy {
  kDefault,  // the default button
  kCancel,   // the cancel button, else the default one
  kOther,    // the third button, else the cancel one, else the default one
};

enum class UiFailure {
  kCreateAlert,
  kRunAlert,
  kCreateSheet,
  kShowSheet,
  kClassicAlert,
  kCreateWindow,
  kInstallHandler,
};

struct ShownRecord {
  enum class Kind { kAlert, kSheet, kWindow };
  Kind kind = Kind::kAlert;
  AlertType type = 0;
  std::string title;  // Mac Roman: the alert's title, or the window's title
  std::string text;   // the alert's text, or the window's layout name
  std::vector<std::string> buttons;  // default, cancel, other (present ones)
  SInt16 answer = 0;  // the button pressed: 1 default, 2 cancel, 3 other
};

class UiDriver {
 public:
  static UiDriver& Get();

  // Back to no script, default policy (cancel), empty record, no failures.
  void Reset();

  // Script steps, run in order whenever a loop waits.
  void Answer(SInt16 button);
  void Command(UInt32 command);
  void HitControl(OSType signature, SInt32 id = kAnyId, const std::string& window = "");
  void CloseWindow(const std::string& window);
  // The files (host paths) arrive as an open-documents event.
  void OpenDocuments(const std::vector<std::string>& hostPaths);
  void Do(std::function<void()> step);
  // One step a line: "answer ok|cancel|other|<n>", "command <code>",
  // "hit <code> [<id>] [in <window>]", "close <window>", "open <path>",
  // "policy default|cancel|other"; "#" starts a comment. false (with the
  // line number in *error) on a line it does not understand; nothing is
  // queued then.
  [[nodiscard]] bool LoadScript(const std::string& text, std::string* error);
  size_t PendingSteps() const { return steps_.size(); }

  void SetPolicy(AnswerPolicy policy) { policy_ = policy; }
  AnswerPolicy policy() const { return policy_; }
  // Alerts and sheets are printed to standard error unless quiet.
  void SetQuiet(bool quiet) { quiet_ = quiet; }

  // Makes the next `count` operations of the kind fail with the status.
  void FailNext(UiFailure what, OSStatus status, int count = 1);

  const std::vector<ShownRecord>& Shown() const { return shown_; }
  // The last shown alert or sheet, null when none.
  const ShownRecord* LastAlert() const;
  void ClearShown() { shown_.clear(); }
  // Modal loops that the driver ended because nobody answered them.
  int UnansweredModals() const { return unansweredModals_; }

  // Hooks for the platform. Idle runs the next step (or answers a shown
  // standard sheet) and says whether it did anything.
  [[nodiscard]] bool Idle(WindowRef modalWindow);
  SInt16 AnswerAlert(const AlertSpec& spec, bool sheet);
  [[nodiscard]] bool TakeFailure(UiFailure what, OSStatus* status);
  void RecordWindow(WindowRef window);
  void CountUnansweredModal() { ++unansweredModals_; }

  static constexpr SInt32 kAnyId = 0x7FFFFFFF;

 private:
  struct Step {
    enum class Kind { kAnswer, kCommand, kHit, kClose, kOpen, kFunction, kPolicy };
    explicit Step(Kind stepKind) : kind(stepKind) {}
    Kind kind;
    SInt16 button = 0;
    UInt32 code = 0;
    SInt32 id = kAnyId;
    std::string window;
    std::vector<std::string> paths;
    AnswerPolicy policy = AnswerPolicy::kCancel;
    std::function<void()> function;
  };
  struct Failure {
    UiFailure what;
    OSStatus status;
    int count;
  };

  SInt16 PolicyButton(const AlertSpec& spec) const;
  [[nodiscard]] bool RunStep(const Step& step, WindowRef modalWindow);
  void Print(const AlertSpec& spec, bool sheet, SInt16 answer) const;

  std::deque<Step> steps_;
  std::vector<Failure> failures_;
  std::vector<ShownRecord> shown_;
  AnswerPolicy policy_ = AnswerPolicy::kCancel;
  bool quiet_ = false;
  int unansweredModals_ = 0;
};

}  // namespace plat
