// Start-up of the application's program: the system checks, which stop it,
// and the warnings, after which it goes on.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "app/app_version.h"
#include "platform/roots.h"
#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"

namespace {

std::string PreferencesFile(const std::string& root) {
  return root + "config/" + std::string(kAppPreferencesDomain) + ".plist";
}

TEST(StartUp, ASystemThatIsTooOldStopsTheApplication) {
  const struct {
    const char* gestalt;
    const char* message;
  } cases[] = {
      {"sysv=0x0860", "Error\nGlimmerbox needs system 9 or later."},
      {"sysv=", "Error\nGlimmerbox needs system 9 or later."},
      {"sysv=0x0922,cbon=0x0105", "Error\nGlimmerbox needs a newer Carbon library."},
      {"qtim=0x03FF0000", "Error\nGlimmerbox needs QuickTime 4 or later."},
      {"qtim=", "Error\nGlimmerbox needs QuickTime 4 or later."},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string root = gbtest::MakeTempFolder("too-old-" + std::to_string(++n));
    const apptest::ProgramRun run = apptest::RunProgram({}, root, {{"GLIMMERBOX_GESTALT", c.gestalt}});
    EXPECT_EQ(run.status, 1) << c.gestalt;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.gestalt << "\n" << run.err;
    // The process ends where it stops: nothing is saved.
    EXPECT_FALSE(gbtest::FileExists(PreferencesFile(root))) << c.gestalt;
  }
}

TEST(StartUp, AnOlderSystemWithTheCarbonLibraryStarts) {
  const std::string root = gbtest::MakeTempFolder("old-enough");
  const apptest::ProgramRun run = apptest::RunProgram({}, root, {{"GLIMMERBOX_GESTALT", "sysv=0x0922,cbon=0x0106"}});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("Error"), std::string::npos) << run.err;
  EXPECT_TRUE(gbtest::FileExists(PreferencesFile(root)));
}

TEST(StartUp, AMissingWorkFolderOrHelpDocumentOnlyWarns) {
  // The temporary items are a file: no work folder can be made.
  const std::string root = gbtest::MakeTempFolder("warnings");
  mkdir((root + "tmp").c_str(), 0700);
  ASSERT_TRUE(gbtest::WriteFile(root + "tmp/TemporaryItems-" + std::to_string(getuid()), "not a folder"));
  // A bundle of its own, with no help document beside it.
  const std::string bundle = gbtest::MakeTempFolder("warnings/elsewhere/Glimmerbox.app/Contents");
  ASSERT_EQ(symlink((plat::ApplicationBundle() + "Contents/Resources").c_str(), (bundle + "Resources").c_str()), 0);
  const apptest::ProgramRun run =
      apptest::RunProgram({}, root, {{"GLIMMERBOX_BUNDLE", root + "elsewhere/Glimmerbox.app"}});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Error\nThe work folder cannot be made (error "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Error\nThe help document \"Glimmerbox 2 Help.pdf\" cannot be found next to the application."),
            std::string::npos)
      << run.err;
  // Start-up went on to its end: the preferences were saved at exit.
  EXPECT_TRUE(gbtest::FileExists(PreferencesFile(root)));
}

}  // namespace
