#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/launcher.h"
#include "tests/support/test_support.h"

namespace {

std::string Canonical(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  std::string text = resolved ? resolved : "";
  std::free(resolved);
  return text;
}

// A bundle "<name>.app" whose program is a copy of the host's sleep.
std::string MakeSleepBundle(const std::string& name) {
  std::string bundle = gbtest::MakeTempFolder(name + ".app");
  std::string program = gbtest::MakeTempFolder(name + ".app/Contents/MacOS") + name;
  std::vector<uint8_t> bytes = gbtest::ReadFile("/bin/sleep");
  if (bytes.empty()) bytes = gbtest::ReadFile("/usr/bin/sleep");
  if (bytes.empty() || !gbtest::WriteFile(program, bytes) || chmod(program.c_str(), 0755) != 0) return "";
  return bundle;
}

bool WaitUntilGone(pid_t pid) {
  for (int i = 0; i < 500; ++i) {
    if (kill(pid, 0) != 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(ProcessLaunch, ApplicationItemsNameTheirPrograms) {
  std::string folder = gbtest::MakeTempFolder("programs");
  ASSERT_TRUE(gbtest::WriteFile(folder + "tool", "#!/bin/sh\n"));
  ASSERT_EQ(chmod((folder + "tool").c_str(), 0755), 0);
  ASSERT_TRUE(gbtest::WriteFile(folder + "text", "words"));
  gbtest::MakeTempFolder("programs/Good.app/Contents/MacOS");
  ASSERT_TRUE(gbtest::WriteFile(folder + "Good.app/Contents/MacOS/Good", "#!/bin/sh\n"));
  ASSERT_EQ(chmod((folder + "Good.app/Contents/MacOS/Good").c_str(), 0755), 0);
  gbtest::MakeTempFolder("programs/Other.app/Contents/MacOS");
  ASSERT_TRUE(gbtest::WriteFile(folder + "Other.app/Contents/MacOS/Else", "#!/bin/sh\n"));
  ASSERT_EQ(chmod((folder + "Other.app/Contents/MacOS/Else").c_str(), 0755), 0);
  gbtest::MakeTempFolder("programs/Plain");

  struct Case {
    std::string item;
    std::string program;  // "" when the item is no application
  } cases[] = {
      {folder + "tool", folder + "tool"},
      {folder + "Good.app", folder + "Good.app/Contents/MacOS/Good"},
      {folder + "Good.app/", folder + "Good.app/Contents/MacOS/Good"},
      {folder + "text", ""},           // not executable
      {folder + "Other.app", ""},      // the program is not named after the bundle
      {folder + "Plain", ""},
      {folder + "missing", ""},
  };
  for (const Case& c : cases) {
    std::string program = "unchanged";
    EXPECT_EQ(plat::FindApplicationExecutable(c.item, &program), !c.program.empty()) << c.item;
    EXPECT_EQ(program, c.program.empty() ? "unchanged" : c.program) << c.item;
  }
}

TEST(ProcessLaunch, LaunchedProcessesAreKnownByTheirBundleAndQuitOnRequest) {
  std::string bundle = MakeSleepBundle("Sleeper");
  if (bundle.empty()) GTEST_SKIP() << "no sleep program to copy";
  pid_t pid = 0;
  ASSERT_TRUE(plat::Launch({bundle + "Contents/MacOS/Sleeper", "30"}, &pid));
  ASSERT_GT(pid, 0);
  std::string application;
  ASSERT_TRUE(plat::GetProcessApplication(pid, &application));
  EXPECT_EQ(application, Canonical(bundle));
  ASSERT_TRUE(plat::TerminateProcess(pid));
  EXPECT_TRUE(WaitUntilGone(pid));
  EXPECT_FALSE(plat::GetProcessApplication(pid, &application));

  // This test program is not in a bundle: it is its own application.
  ASSERT_TRUE(plat::GetProcessApplication(getpid(), &application));
  EXPECT_EQ(application, Canonical("/proc/self/exe"));
}

TEST(ProcessLaunch, NoSignalReachesProcessGroupsOrTheSystem) {
  for (pid_t pid : {pid_t(0), pid_t(-1), pid_t(1), pid_t(INT_MIN)}) EXPECT_FALSE(plat::TerminateProcess(pid)) << pid;
  std::string application;
  EXPECT_FALSE(plat::GetProcessApplication(0, &application));
  EXPECT_FALSE(plat::GetProcessApplication(-1, &application));
}

TEST(ProcessLaunch, AHookStandsInWithoutAProcess) {
  std::vector<std::vector<std::string>> launched;
  plat::SetLaunchHook([&](const std::vector<std::string>& arguments) {
    launched.push_back(arguments);
    return true;
  });
  pid_t pid = 77;
  EXPECT_TRUE(plat::Launch({"/opt/App", "doc; rm -rf /"}, &pid));
  EXPECT_EQ(pid, 0);
  EXPECT_FALSE(plat::Launch({}, &pid));
  plat::SetLaunchHook(nullptr);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], (std::vector<std::string>{"/opt/App", "doc; rm -rf /"}));
}

}  // namespace
