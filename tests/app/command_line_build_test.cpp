// The whole job from the command line: the application's program builds the
// demo project's four outputs in a home of its own.
#include <dirent.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "app/app_version.h"
#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"

namespace {

const char* const kOutputs[] = {"Demo.saver/Contents/Info.plist", "Install_Demo.app", "Demo.scr", "Install_Demo.exe"};

int SnapshotFiles(const std::string& root) {
  int count = 0;
  const std::string folder = root + "tmp/TemporaryItems-" + std::to_string(getuid()) + "/" + kAppWorkFolderName;
  if (DIR* listing = opendir(folder.c_str())) {
    while (dirent* entry = readdir(listing)) {
      const std::string name = entry->d_name;
      if (name.rfind("_undo", 0) == 0 || name.rfind("_redo", 0) == 0) ++count;
    }
    closedir(listing);
  }
  return count;
}

TEST(CommandLineBuild, TheDemoProjectBuildsItsFourOutputs) {
  const std::string demo = apptest::CopyDemo("cli-demo");
  const std::string project = gbtest::ReadTextFile(demo + "Demo.gmx");
  const std::string root = gbtest::MakeTempFolder("cli-demo-home");
  apptest::ProgramRun run = apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  for (const char* output : kOutputs) EXPECT_TRUE(gbtest::FileExists(demo + "output/" + output)) << output;
  // The builder's status texts and the closing message are printed.
  EXPECT_NE(run.out.find("Building the Mac screen saver \"Demo.saver\"..."), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("Build\nAll the selected outputs were built."), std::string::npos) << run.err;
  // The project is as it was, no snapshot is left, the project is remembered.
  EXPECT_EQ(gbtest::ReadTextFile(demo + "Demo.gmx"), project);
  EXPECT_EQ(SnapshotFiles(root), 0);
  const std::string preferences =
      gbtest::ReadTextFile(root + "config/" + std::string(kAppPreferencesDomain) + ".plist");
  EXPECT_NE(preferences.find(demo + "Demo.gmx"), std::string::npos);

  // Again: nobody can say whether the outputs may be replaced, so nothing is.
  const std::string scr = gbtest::ReadTextFile(demo + "output/Demo.scr");
  gbtest::WriteFile(demo + "output/Demo.scr", "kept");
  run = apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("replace: \"Demo.saver\" already exists. Do you want to replace it?\n[Cancel]"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(gbtest::ReadTextFile(demo + "output/Demo.scr"), "kept");

  // With "always overwrite" in the preferences every output is replaced.
  const std::string always = "<key>always_overwrite</key>";
  ASSERT_NE(preferences.find(always), std::string::npos);
  std::string changed = preferences;
  const size_t at = changed.find("<false/>", changed.find(always));
  ASSERT_NE(at, std::string::npos);
  changed.replace(at, 8, "<true/>");
  gbtest::WriteFile(root + "config/" + std::string(kAppPreferencesDomain) + ".plist", changed);
  run = apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("replace:"), std::string::npos) << run.err;
  // A new screen saver (its settings carry fresh check words, so it is no copy of the first).
  EXPECT_NE(gbtest::ReadTextFile(demo + "output/Demo.scr"), "kept");
  EXPECT_EQ(gbtest::ReadTextFile(demo + "output/Demo.scr").substr(0, 2), scr.substr(0, 2));
}

}  // namespace
