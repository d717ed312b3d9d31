// Facts about the machine, the user, the time and the processes.
//
// Names come from gethostname and the password database, times and the time
// zone from the C library (TZ). Processes are named by process ids: a
// ProcessSerialNumber holds the pid in its low word (high word 0).
//
// The host has no way, and this system no business, to restart, shut down or
// put the machine to sleep, log the user out, change the output volume or
// move the mouse cursor: those calls do nothing and answer unimpErr.
// Names are host (UTF-8) text.
#pragma once

#include <string>

#include "platform/catalog.h"
#include "platform/mac_types.h"

struct ProcessSerialNumber {
  UInt32 highLongOfPSN = 0;
  UInt32 lowLongOfPSN = 0;
};

namespace plat {

// False when the host gives no name.
[[nodiscard]] bool GetMachineName(std::string* name);
// The user's full name from the password database, else the login name.
[[nodiscard]] bool GetUserName(std::string* name);

// A calendar date in the process's time zone.
struct CalendarDate {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  double second = 0;
  int weekOfYear = 0;  // ISO 8601: weeks start on Monday, week 1 holds the year's first Thursday
};
// False for a time the C library cannot represent.
[[nodiscard]] bool AbsoluteTimeToCalendar(CFAbsoluteTime time, CalendarDate* out);
// The time zone's abbreviation at the given time ("UTC", "CET", ...).
std::string TimeZoneName(CFAbsoluteTime time);

ProcessSerialNumber CurrentProcess();
[[nodiscard]] bool IsSameProcess(const ProcessSerialNumber& a, const ProcessSerialNumber& b);
// True when a process with that pid exists (pid 0 and negative pids never do).
[[nodiscard]] bool IsProcessAlive(const ProcessSerialNumber& process);

// Machine control: nothing happens; each answers unimpErr.
[[nodiscard]] OSErr RequestRestart();
[[nodiscard]] OSErr RequestShutDown();
[[nodiscard]] OSErr RequestSleep();
[[nodiscard]] OSErr RequestLogOut();
[[nodiscard]] OSErr SetOutputVolumeLevel(float level);
[[nodiscard]] OSErr GetOutputVolumeLevel(float* level);
[[nodiscard]] OSErr ShowMouseCursor();
[[nodiscard]] OSErr HideMouseCursor();
[[nodiscard]] OSErr MoveMouseCursor(int x, int y);

}  // namespace plat
