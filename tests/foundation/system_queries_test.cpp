#include "foundation/system_queries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "foundation/date_time.h"
#include "platform/gestalt.h"

namespace {

TEST(SystemQueries, VersionsComeFromGestalt) {
  struct Case {
    SInt32 version;
    const char* text;
    bool macOsX;
  } cases[] = {
      {0x1039, "10.3.9", true}, {0x1049, "10.4.9", true}, {0x0922, "9.2.2", false}, {0x1000, "10.0.0", true}};
  for (const Case& c : cases) {
    plat::SetGestaltValue(FourCC("sysv"), c.version);
    char text[16];
    ASSERT_TRUE(GetSystemVersionText(text, sizeof text));
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(GetSystemVersion(), c.version);
    EXPECT_EQ(IsMacOsX(), c.macOsX) << c.text;
    EXPECT_EQ(IsClassicMacOs(), !c.macOsX) << c.text;
    EXPECT_EQ(HasLaunchServices(), c.macOsX);
  }
  char tiny[6];
  EXPECT_FALSE(GetSystemVersionText(tiny, sizeof tiny));  // "10.0.0" needs 7 bytes
  EXPECT_STREQ(tiny, "");

  plat::RemoveGestaltValue(FourCC("sysv"));
  char text[16] = "kept";
  EXPECT_FALSE(GetSystemVersionText(text, sizeof text));
  EXPECT_FALSE(IsMacOsX());
  EXPECT_EQ(GetSystemVersion(), 0);
  EXPECT_FALSE(IsQuartzExtremeActive());
  EXPECT_TRUE(IsCarbonRuntime());

  setenv("GLIMMERBOX_GESTALT", "sysv=0x0900,cbon=0x0105,mclk=2000,ramm=2048", 1);
  plat::ResetGestaltTable();
  EXPECT_FALSE(IsMacOsX());
  EXPECT_EQ(GetCarbonVersion(), 0x0105);
  EXPECT_DOUBLE_EQ(GetProcessorClockScaled(), 2.0);
  EXPECT_DOUBLE_EQ(GetLogicalRamScaled(), 2.0);
  plat::RemoveGestaltValue(FourCC("mclk"));
  EXPECT_EQ(GetProcessorClock(), 0);
}

TEST(SystemQueries, NamesFitTheirBuffers) {
  char name[256] = {};
  ASSERT_TRUE(GetMachineName(name, sizeof name));
  EXPECT_GT(std::strlen(name), 0u);
  ASSERT_TRUE(GetUserName(name, sizeof name));
  size_t length = std::strlen(name);
  EXPECT_GT(length, 0u);
  EXPECT_FALSE(GetUserName(name, length));  // no room for the zero
  EXPECT_FALSE(GetMachineName(nullptr, 10));
}

TEST(SystemQueries, MachineControlAndProcesses) {
  EXPECT_FALSE(RestartComputer());
  EXPECT_FALSE(ShutDownComputer());
  EXPECT_FALSE(SleepComputer());
  EXPECT_FALSE(LogOutUser());
  EXPECT_FALSE(SetOutputVolume(0.5f));
  EXPECT_EQ(GetOutputVolume(), 1.0f);
  EXPECT_FALSE(HideCursor());
  EXPECT_FALSE(MoveCursorTo(Point()));

  ProcessSerialNumber self;
  ASSERT_TRUE(GetCurrentProcessSerial(&self));
  EXPECT_TRUE(IsProcessAlive(&self));
  EXPECT_TRUE(BringProcessToFront(&self));
  EXPECT_TRUE(BringCurrentProcessToFront());
  ProcessSerialNumber none;
  EXPECT_FALSE(IsProcessAlive(&none));
  EXPECT_FALSE(BringProcessToFront(&none));
  EXPECT_FALSE(IsProcessAlive(nullptr));
}

TEST(DateTime, CalendarFieldsInTheTimeZone) {
  setenv("TZ", "UTC", 1);
  CDateTime date;
  date.SetFrom(0);  // 2001-01-01 00:00:00 UTC
  EXPECT_EQ(date.GetYear(), 2001);
  EXPECT_EQ(date.GetMonth(), 1);
  EXPECT_EQ(date.GetDay(), 1);
  EXPECT_EQ(date.GetWeekOfYear(), 1);
  date.SetFromUtcDateTime(plat::UnixToUtcDateTime(1104451200, 0));  // 2004-12-31
  EXPECT_EQ(date.GetYear(), 2004);
  EXPECT_EQ(date.GetWeekOfYear(), 53);
  setenv("TZ", "EST5", 1);
  date.SetFrom(0);
  EXPECT_EQ(date.GetYear(), 2000);
  EXPECT_EQ(date.GetDay(), 31);
  CDateTime now;
  EXPECT_GE(now.GetYear(), 2024);
}

}  // namespace
