#include "platform/gestalt.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

SInt32 Answer(OSType selector, SInt32 missing = -1) {
  SInt32 value = missing;
  return plat::Gestalt(selector, &value) == noErr ? value : missing;
}

TEST(Gestalt, DefaultsDescribeASoundSystem) {
  unsetenv("GLIMMERBOX_GESTALT");
  plat::ResetGestaltTable();
  EXPECT_EQ(Answer(FourCC("sysv")), 0x1049);
  EXPECT_GT(Answer(FourCC("cbon")), 0x105);
  EXPECT_EQ(Answer(FourCC("qtim")), 0x07000000);
  EXPECT_GT(Answer(FourCC("ramm")), 0);

  SInt32 untouched = 1234;
  EXPECT_EQ(plat::Gestalt(FourCC("zzzz"), &untouched), gestaltUndefSelectorErr);
  EXPECT_EQ(untouched, 1234);
  EXPECT_EQ(plat::Gestalt(FourCC("sysv"), nullptr), gestaltUndefSelectorErr);
}

TEST(Gestalt, EnvironmentOverridesTheDefaults) {
  struct Case {
    const char* setting;
    OSType selector;
    SInt32 expected;  // -1: absent
  } cases[] = {
      {"sysv=0x0900,qtim=0", FourCC("sysv"), 0x0900},
      {"sysv=0x0900,qtim=0", FourCC("qtim"), 0},
      {"qtim=1024", FourCC("qtim"), 1024},
      {"ram=5", FourCC("ram "), 5},
      {"sysv=", FourCC("sysv"), -1},
      {"sysv=0x80000000", FourCC("sysv"), SInt32(0x80000000)},
      // Malformed entries change nothing.
      {"junk,sysv=zz,toolong=1,=3,sysv=12x", FourCC("sysv"), 0x1049},
      {",,cbon=0x0120,", FourCC("cbon"), 0x0120},
  };
  for (const Case& c : cases) {
    setenv("GLIMMERBOX_GESTALT", c.setting, 1);
    plat::ResetGestaltTable();
    EXPECT_EQ(Answer(c.selector, -1), c.expected) << c.setting;
  }
}

TEST(Gestalt, TestsChangeTheTable) {
  plat::SetGestaltValue(FourCC("sysv"), 0x1039);
  EXPECT_EQ(Answer(FourCC("sysv")), 0x1039);
  plat::RemoveGestaltValue(FourCC("sysv"));
  EXPECT_EQ(Answer(FourCC("sysv"), -7), -7);
  plat::ResetGestaltTable();
  EXPECT_NE(Answer(FourCC("sysv"), -7), -7);
}

}  // namespace
