#include "app/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"

namespace {

TEST(CommandLine, ArgumentsAreAnOptionalBuildAndOneFile) {
  const struct {
    std::vector<std::string> arguments;
    bool ok;
    bool build;
    const char* file;
  } cases[] = {
      {{}, true, false, ""},
      {{"a.gmx"}, true, false, "a.gmx"},
      {{"--build", "a.gmx"}, true, true, "a.gmx"},
      {{"a.gmx", "--build"}, true, true, "a.gmx"},
      {{"--build"}, true, true, ""},
      {{"--", "--build"}, true, false, "--build"},
      {{"a.gmx", "b.gmx"}, false, false, ""},
      {{"--bild", "a.gmx"}, false, false, ""},
      {{""}, false, false, ""},
  };
  for (const auto& c : cases) {
    CCommandLine line;
    std::string error;
    const bool ok = ParseCommandLine(c.arguments, &line, &error);
    EXPECT_EQ(ok, c.ok) << c.arguments.size();
    if (!ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(line.build, c.build);
    EXPECT_EQ(line.file, c.file);
  }
}

TEST(CommandLine, TheExitStatusSaysWhetherEveryStepSucceeded) {
  const std::string demo = apptest::CopyDemo("cli-status");
  ASSERT_TRUE(gbtest::WriteFile(demo + "Text.gmx", "not a project"));
  ASSERT_TRUE(gbtest::WriteFile(demo + "Other.gmx", "<?xml version=\"1.0\" ?>\n<windows />\n"));
  const struct {
    std::vector<std::string> arguments;
    int status;
    const char* said;  // on standard error
    const char* notSaid = nullptr;
  } cases[] = {
      {{"--frobnicate"}, 2, "usage: glimmerbox [--build] [FILE]"},
      {{demo + "Missing.gmx"}, 1, "Missing.gmx: no such file"},
      {{demo + "Text.gmx"}, 1, "Text.gmx\" cannot be opened"},
      {{demo + "Other.gmx"}, 1, "Other.gmx\" is not a Glimmerbox project."},
      {{"--build", demo + "Other.gmx"}, 1, "Other.gmx: the project was not opened, so nothing was built",
       "No output is selected"},
      {{demo + "Demo.gmx"}, 0, ""},
      // A movie starts a new project, which nobody saves; and it selects no output.
      {{demo + "Demo.swf"}, 0, "The new project was not saved."},
      {{"--build", demo + "Demo.swf"}, 1, "No output is selected."},
      {{"--build"}, 1, "the build did not complete"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string root = gbtest::MakeTempFolder("cli-home-" + std::to_string(++n));
    const apptest::ProgramRun run = apptest::RunProgram(c.arguments, root);
    EXPECT_EQ(run.status, c.status) << n << "\n" << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << n << "\n" << run.err;
    if (c.notSaid) {
      EXPECT_EQ(run.err.find(c.notSaid), std::string::npos) << n << "\n" << run.err;
    }
  }
}

}  // namespace
