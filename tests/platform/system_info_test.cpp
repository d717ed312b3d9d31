#include "platform/system_info.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

TEST(SystemInfo, NamesTheMachineAndTheUser) {
  std::string machine, user;
  ASSERT_TRUE(plat::GetMachineName(&machine));
  EXPECT_FALSE(machine.empty());
  ASSERT_TRUE(plat::GetUserName(&user));
  EXPECT_FALSE(user.empty());
}

TEST(SystemInfo, CalendarFollowsTheTimeZone) {
  struct Case {
    const char* zone;
    double unixSeconds;
    int year, month, day, hour, week;
  } cases[] = {
      {"UTC", 978307200, 2001, 1, 1, 0, 1},
      {"CET-1", 978307200, 2001, 1, 1, 1, 1},
      {"EST5", 978307200, 2000, 12, 31, 19, 52},
      {"UTC", 1104451200, 2004, 12, 31, 0, 53},  // a Friday in the year's 53rd week
      {"UTC", 1230508800, 2008, 12, 29, 0, 1},   // a Monday already in the next year's week 1
  };
  for (const Case& c : cases) {
    setenv("TZ", c.zone, 1);
    plat::CalendarDate date;
    ASSERT_TRUE(plat::AbsoluteTimeToCalendar(plat::UnixToAbsoluteTime(c.unixSeconds), &date));
    EXPECT_EQ(date.year, c.year) << c.zone << " " << c.unixSeconds;
    EXPECT_EQ(date.month, c.month) << c.zone;
    EXPECT_EQ(date.day, c.day) << c.zone;
    EXPECT_EQ(date.hour, c.hour) << c.zone;
    EXPECT_EQ(date.weekOfYear, c.week) << c.zone << " " << c.unixSeconds;
  }
  setenv("TZ", "UTC", 1);
  EXPECT_EQ(plat::TimeZoneName(0), "UTC");
  plat::CalendarDate date;
  EXPECT_FALSE(plat::AbsoluteTimeToCalendar(1e300, &date));
}

TEST(SystemInfo, ProcessesAreAliveWhileTheirPidExists) {
  ProcessSerialNumber self = plat::CurrentProcess();
  EXPECT_TRUE(plat::IsProcessAlive(self));
  EXPECT_TRUE(plat::IsSameProcess(self, plat::CurrentProcess()));

  pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  ProcessSerialNumber gone;
  gone.lowLongOfPSN = UInt32(child);
  EXPECT_FALSE(plat::IsProcessAlive(gone));
  EXPECT_FALSE(plat::IsSameProcess(gone, self));
  EXPECT_FALSE(plat::IsProcessAlive(ProcessSerialNumber()));  // pid 0 is no process
  ProcessSerialNumber negative;
  negative.lowLongOfPSN = 0xFFFFFFFF;
  EXPECT_FALSE(plat::IsProcessAlive(negative));
}

TEST(SystemInfo, MachineControlDoesNothingAndSaysSo) {
  float level = 0.25f;
  OSErr results[] = {plat::RequestRestart(),          plat::RequestShutDown(),
                     plat::RequestSleep(),            plat::RequestLogOut(),
                     plat::SetOutputVolumeLevel(0.5), plat::GetOutputVolumeLevel(&level),
                     plat::ShowMouseCursor(),         plat::HideMouseCursor(),
                     plat::MoveMouseCursor(1, 2)};
  for (OSErr result : results) EXPECT_EQ(result, unimpErr);
  EXPECT_EQ(level, 0.25f);
}

}  // namespace
