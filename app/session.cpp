#include "app/session.h"

namespace {

struct Session {
  bool headless = false;
  bool stopped = false;
  std::vector<CCommandOutcome> outcomes;
};

Session& State() {
  static Session session;
  return session;
}

}  // namespace

void SetHeadless(bool headless) { State().headless = headless; }
bool IsHeadless() { return State().headless; }

void NoteCommandOutcome(UInt32 command, bool succeeded) { State().outcomes.push_back({command, succeeded}); }
const std::vector<CCommandOutcome>& CommandOutcomes() { return State().outcomes; }

void NoteStartupStopped() { State().stopped = true; }
bool StartupStopped() { return State().stopped; }

void ResetSession() { State() = Session(); }
