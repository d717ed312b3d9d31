#include "foundation/system_queries.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gestalt.h"
#include "platform/text_encoding.h"

namespace {

s32 Selector(OSType selector) {
  SInt32 value = 0;
  return plat::Gestalt(selector, &value) == noErr ? value : 0;
}

[[nodiscard]] bool KnowsSystemVersion(s32* version) {
  SInt32 value = 0;
  if (plat::Gestalt(FourCC("sysv"), &value) != noErr) return false;
  *version = value;
  return true;
}

// Copies a host name into a caller's buffer as Mac Roman.
[[nodiscard]] bool CopyName(const std::string& host, char* out, size_t size) {
  std::string name;
  if (!out || host.empty() || !plat::Utf8ToMacRoman(host, name) || name.size() + 1 > size) return false;
  std::memcpy(out, name.c_str(), name.size() + 1);
  return true;
}

}  // namespace

s32 GetSystemVersion() { return Selector(FourCC("sysv")); }

bool IsMacOsX() {
  s32 version = 0;
  return KnowsSystemVersion(&version) && version >= 0x1000;
}

bool IsClassicMacOs() { return GetSystemVersion() < 0x1000; }

bool IsCarbonRuntime() { return true; }

s32 GetCarbonVersion() { return Selector(FourCC("cbon")); }

s32 GetColorPickerVersion() { return Selector(FourCC("cpkr")); }

bool IsQuartzExtremeActive() { return false; }

bool GetSystemVersionText(char* out, size_t size) {
  s32 version = 0;
  if (!out || size == 0 || !KnowsSystemVersion(&version)) return false;
  int digits[4] = {(version >> 12) & 15, (version >> 8) & 15, (version >> 4) & 15, version & 15};
  int written = digits[0] != 0
                    ? std::snprintf(out, size, "%d%d.%d.%d", digits[0], digits[1], digits[2], digits[3])
                    : std::snprintf(out, size, "%d.%d.%d", digits[1], digits[2], digits[3]);
  if (written < 0 || size_t(written) >= size) {
    out[0] = '\0';
    return false;
  }
  return true;
}

s32 GetProcessorClock() { return Selector(FourCC("mclk")); }

s32 GetPhysicalRam() { return Selector(FourCC("ram ")); }

s32 GetLogicalRam() { return Selector(FourCC("ramm")); }

double GetProcessorClockScaled() { return GetProcessorClock() / 1000.0; }

double GetLogicalRamScaled() { return GetLogicalRam() / 1024.0; }

bool HasLaunchServices() { return IsMacOsX(); }

bool GetMachineName(char* out, size_t size) {
  std::string name;
  return plat::GetMachineName(&name) && CopyName(name, out, size);
}

bool GetUserName(char* out, size_t size) {
  std::string name;
  return plat::GetUserName(&name) && CopyName(name, out, size);
}

bool RestartComputer() { return plat::RequestRestart() == noErr; }

bool ShutDownComputer() { return plat::RequestShutDown() == noErr; }

bool SleepComputer() { return plat::RequestSleep() == noErr; }

bool LogOutUser() { return plat::RequestLogOut() == noErr; }

bool SetOutputVolume(float level) { return plat::SetOutputVolumeLevel(level) == noErr; }

float GetOutputVolume() {
  float level = 1.0f;
  return plat::GetOutputVolumeLevel(&level) == noErr ? level : 1.0f;
}

bool GetCurrentProcessSerial(ProcessSerialNumber* process) {
  if (!process) return false;
  *process = plat::CurrentProcess();
  return true;
}

bool BringProcessToFront(const ProcessSerialNumber* process) {
  return process && plat::IsSameProcess(*process, plat::CurrentProcess());
}

bool BringCurrentProcessToFront() {
  ProcessSerialNumber self = plat::CurrentProcess();
  return BringProcessToFront(&self);
}

bool IsProcessAlive(const ProcessSerialNumber* process) {
  return process && plat::IsProcessAlive(*process);
}

bool ShowCursor() { return plat::ShowMouseCursor() == noErr; }

bool HideCursor() { return plat::HideMouseCursor() == noErr; }

bool MoveCursorTo(Point where) { return MoveCursorTo(where.h, where.v); }

bool MoveCursorTo(int x, int y) { return plat::MoveMouseCursor(x, y) == noErr; }
