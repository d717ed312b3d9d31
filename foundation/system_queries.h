// System facts, names, processes and machine control.
//
// System facts come from Gestalt (platform/gestalt.h): a value is 0 when
// Gestalt does not know the selector, unless said otherwise. Machine
// control, the output volume and the cursor have no host counterpart: those
// calls do nothing and answer false (GetOutputVolume answers 1.0).
// Texts are Mac Roman.
#pragma once

#include <cstddef>

#include "platform/mac_types.h"
#include "platform/qd_types.h"
#include "platform/system_info.h"

// 'sysv' in BCD, 0x1049 for 10.4.9.
s32 GetSystemVersion();
[[nodiscard]] bool IsMacOsX();        // 'sysv' >= 0x1000
[[nodiscard]] bool IsClassicMacOs();  // 'sysv' < 0x1000
[[nodiscard]] bool IsCarbonRuntime();  // always true
s32 GetCarbonVersion();       // 'cbon'
s32 GetColorPickerVersion();  // 'cpkr'
// Needs 'sysv' >= 0x1020 and an accelerated main display; the host has none.
[[nodiscard]] bool IsQuartzExtremeActive();
// "10.4.9" for 0x1049, "9.2.2" for 0x0922; false when Gestalt does not know
// the version or the text does not fit `size` bytes with its zero.
[[nodiscard]] bool GetSystemVersionText(char* out, size_t size);
s32 GetProcessorClock();  // 'mclk', MHz
s32 GetPhysicalRam();     // 'ram ', bytes
s32 GetLogicalRam();      // 'ramm', megabytes
double GetProcessorClockScaled();  // 'mclk' / 1000
double GetLogicalRamScaled();      // 'ramm' / 1024
// Whether items can be opened with a chosen application: a system from
// 10.0 on ('sysv' >= 0x1000).
[[nodiscard]] bool HasLaunchServices();
// The machine's and the user's names; false when the host gives none, when
// a name has no Mac Roman form or does not fit `size` bytes with its zero.
[[nodiscard]] bool GetMachineName(char* out, size_t size);
[[nodiscard]] bool GetUserName(char* out, size_t size);

[[nodiscard]] bool RestartComputer();
[[nodiscard]] bool ShutDownComputer();
[[nodiscard]] bool SleepComputer();
[[nodiscard]] bool LogOutUser();
[[nodiscard]] bool SetOutputVolume(float level);
float GetOutputVolume();

// Processes; a serial number names a process by its pid.
[[nodiscard]] bool GetCurrentProcessSerial(ProcessSerialNumber* process);
// Only the current process can be in front: the window system is this
// process's own.
[[nodiscard]] bool BringProcessToFront(const ProcessSerialNumber* process);
[[nodiscard]] bool BringCurrentProcessToFront();
[[nodiscard]] bool IsProcessAlive(const ProcessSerialNumber* process);

[[nodiscard]] bool ShowCursor();
[[nodiscard]] bool HideCursor();
[[nodiscard]] bool MoveCursorTo(Point where);
[[nodiscard]] bool MoveCursorTo(int x, int y);
