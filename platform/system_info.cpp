#include "platform/system_info.h"

#include <pwd.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace plat {

bool GetMachineName(std::string* name) {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return false;
  *name = buffer;
  return true;
}

bool GetUserName(std::string* name) {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
    return false;
  // The full name is the first comma-separated field of the comment.
  std::string full = found->pw_gecos ? found->pw_gecos : "";
  full = full.substr(0, full.find(','));
  std::string login = found->pw_name ? found->pw_name : "";
  *name = full.empty() ? login : full;
  return !name->empty();
}

namespace {

[[nodiscard]] bool LocalTime(CFAbsoluteTime time, struct tm* out, double* seconds) {
  double unixSeconds = AbsoluteTimeToUnix(time);
  if (!std::isfinite(unixSeconds) || unixSeconds < -1e15 || unixSeconds > 1e15) return false;
  double whole = std::floor(unixSeconds);
  time_t stamp = time_t(whole);
  tzset();
  if (!localtime_r(&stamp, out)) return false;
  if (seconds) *seconds = out->tm_sec + (unixSeconds - whole);
  return true;
}

}  // namespace

bool AbsoluteTimeToCalendar(CFAbsoluteTime time, CalendarDate* out) {
  struct tm local;
  double seconds = 0;
  if (!LocalTime(time, &local, &seconds)) return false;
  out->year = local.tm_year + 1900;
  out->month = local.tm_mon + 1;
  out->day = local.tm_mday;
  out->hour = local.tm_hour;
  out->minute = local.tm_min;
  out->second = seconds;
  char week[8] = {};
  strftime(week, sizeof week, "%V", &local);
  out->weekOfYear = std::atoi(week);
  return true;
}

std::string TimeZoneName(CFAbsoluteTime time) {
  struct tm local;
  if (!LocalTime(time, &local, nullptr)) return std::string();
  char name[64] = {};
  strftime(name, sizeof name, "%Z", &local);
  return name;
}

ProcessSerialNumber CurrentProcess() {
  ProcessSerialNumber process;
  process.lowLongOfPSN = UInt32(getpid());
  return process;
}

bool IsSameProcess(const ProcessSerialNumber& a, const ProcessSerialNumber& b) {
  return a.highLongOfPSN == b.highLongOfPSN && a.lowLongOfPSN == b.lowLongOfPSN;
}

bool IsProcessAlive(const ProcessSerialNumber& process) {
  if (process.highLongOfPSN != 0 || process.lowLongOfPSN == 0 || process.lowLongOfPSN > INT_MAX)
    return false;
  pid_t pid = pid_t(process.lowLongOfPSN);
  return kill(pid, 0) == 0 || errno == EPERM;
}

OSErr RequestRestart() { return unimpErr; }
OSErr RequestShutDown() { return unimpErr; }
OSErr RequestSleep() { return unimpErr; }
OSErr RequestLogOut() { return unimpErr; }
OSErr SetOutputVolumeLevel(float) { return unimpErr; }
OSErr GetOutputVolumeLevel(float*) { return unimpErr; }
OSErr ShowMouseCursor() { return unimpErr; }
OSErr HideMouseCursor() { return unimpErr; }
OSErr MoveMouseCursor(int, int) { return unimpErr; }

}  // namespace plat
