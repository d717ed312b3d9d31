// The run as the command line sees it: whether a user is there to answer,
// how each command the application carried out ended, and whether start-up
// stopped the application.
#pragma once

#include <vector>

#include "platform/mac_types.h"

struct CCommandOutcome {
  UInt32 command;
  bool succeeded;
};

// Without a user (the command line) questions that only a user can answer
// are settled by the application's own rules.
void SetHeadless(bool headless);
[[nodiscard]] bool IsHeadless();

void NoteCommandOutcome(UInt32 command, bool succeeded);
const std::vector<CCommandOutcome>& CommandOutcomes();

// Start-up found the system unfit and ended the application.
void NoteStartupStopped();
[[nodiscard]] bool StartupStopped();

// Back to a fresh run (no outcomes, not stopped, a user present).
void ResetSession();
