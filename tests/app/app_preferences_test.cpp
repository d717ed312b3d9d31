#include "app/app_preferences.h"

#include <string>

#include <gtest/gtest.h>

#include "app/app_version.h"
#include "app/application.h"
#include "foundation/preferences.h"
#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_test_support.h"

namespace {

class AppPreferencesTest : public gbtest::HeadlessUiTest {
 protected:
  void SetUp() override {
    HeadlessUiTest::SetUp();
    // Every test starts from a store of its own.
    gbtest::SetEnvironment("XDG_CONFIG_HOME", gbtest::MakeTempFolder("prefs-" + std::string(
        ::testing::UnitTest::GetInstance()->current_test_info()->name())));
  }
  static CPreferences& Store(CPreferences& store) {
    EXPECT_TRUE(store.Open(kAppPreferencesDomain, CPreferences::kScopeCurrentUserAnyHost));
    return store;
  }
};

TEST_F(AppPreferencesTest, AFirstRunHasTheDefaultsAndAnEmptyStoreChangesNone) {
  CAppPreferences preferences;
  ASSERT_TRUE(preferences.Load());
  EXPECT_EQ(preferences.left, 50);
  EXPECT_EQ(preferences.top, 50);
  EXPECT_EQ(preferences.width, 400);
  EXPECT_EQ(preferences.height, 400);
  EXPECT_EQ(preferences.projectCommand, kProjectCommandNewFromMovie);
  EXPECT_TRUE(preferences.checkSoftwareUpdates);
  EXPECT_FALSE(preferences.alwaysOverwrite);
  EXPECT_FALSE(preferences.displayFullSettingsPath);
  EXPECT_EQ(preferences.recentProjects.GetCount(), 0);
  EXPECT_EQ(preferences.recentMovies.GetMaximum(), 5u);
  for (UInt32 colour : preferences.colours) EXPECT_EQ(colour, 0xFFFFFFu);
}

TEST_F(AppPreferencesTest, SaveWritesEveryKeyAndLoadReadsThemBack) {
  const std::string folder = gbtest::MakeTempFolder("recent-files");
  gbtest::WriteFile(folder + "a.gmx", "x");
  gbtest::WriteFile(folder + "m.swf", "x");
  CAppPreferences saved;
  saved.left = 120;
  saved.top = 80;
  saved.width = 640;
  saved.height = 480;
  saved.projectCommand = kProjectCommandOpen;
  saved.displayFullSettingsPath = true;
  saved.checkSoftwareUpdates = false;
  saved.alwaysOverwrite = true;
  saved.recentProjects.AddFile(apptest::PathOf(folder + "a.gmx"));
  saved.recentMovies.AddFile(apptest::PathOf(folder + "m.swf"));
  ASSERT_TRUE(saved.Save());

  CPreferences store;
  Store(store);
  SInt32 number = 0;
  bool flag = false;
  char text[256];
  EXPECT_TRUE(store.GetInt("main_window_x", number) && number == 120);
  EXPECT_TRUE(store.GetInt("main_window_y", number) && number == 80);
  EXPECT_TRUE(store.GetInt("main_window_width", number) && number == 640);
  EXPECT_TRUE(store.GetInt("main_window_height", number) && number == 480);
  EXPECT_TRUE(store.GetString("project_command", text, sizeof(text)));
  EXPECT_STREQ(text, "open");
  EXPECT_TRUE(store.GetBool("display_full_settings_path", flag) && flag);
  EXPECT_TRUE(store.GetBool("check_software_updates", flag) && !flag);
  EXPECT_TRUE(store.GetBool("always_overwrite", flag) && flag);
  EXPECT_TRUE(store.GetString("recent_projects_1", text, sizeof(text)));
  EXPECT_EQ(std::string(text), folder + "a.gmx");
  EXPECT_TRUE(store.GetString("recent_swfs_1", text, sizeof(text)));
  EXPECT_TRUE(store.GetInt("recent_swfs_max", number) && number == 5);

  CAppPreferences loaded;
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.left, 120);
  EXPECT_EQ(loaded.height, 480);
  EXPECT_EQ(loaded.projectCommand, kProjectCommandOpen);
  EXPECT_TRUE(loaded.displayFullSettingsPath);
  EXPECT_FALSE(loaded.checkSoftwareUpdates);
  EXPECT_TRUE(loaded.alwaysOverwrite);
  ASSERT_EQ(loaded.recentProjects.GetCount(), 1);
  EXPECT_EQ(loaded.recentProjects.GetAt(0)->GetString(), folder + "a.gmx");
  EXPECT_EQ(loaded.recentMovies.GetCount(), 1);
}

// The recent items are read whole: a path cut short would name another
// item, or none.
TEST_F(AppPreferencesTest, LongRecentPathsAreReadWhole) {
  std::string folder = gbtest::MakeTempFolder("recent-long");
  for (int i = 0; i < 3; ++i)
    folder = gbtest::MakeTempFolder(folder.substr(gbtest::TestRoot().size()) + std::string(120, 'r'));
  ASSERT_GT(folder.size(), 300u);
  gbtest::WriteFile(folder + "a.gmx", "x");
  CAppPreferences saved;
  saved.recentProjects.AddFile(apptest::PathOf(folder + "a.gmx"));
  ASSERT_TRUE(saved.Save());
  CAppPreferences loaded;
  ASSERT_TRUE(loaded.Load());
  ASSERT_EQ(loaded.recentProjects.GetCount(), 1);
  EXPECT_EQ(loaded.recentProjects.GetAt(0)->GetString(), folder + "a.gmx");
}

TEST_F(AppPreferencesTest, TheProjectCommandIsReadOnlyFromItsExactWords) {
  const struct {
    const char* stored;
    SInt32 expected;
  } cases[] = {
      {"new_from_swf", kProjectCommandNewFromMovie},
      {"new", kProjectCommandNew},
      {"open", kProjectCommandOpen},
      {"New", kProjectCommandNew + 10},  // other case: the field stays
      {"open ", kProjectCommandNew + 10},
      {"", kProjectCommandNew + 10},
      {"new_from_swf_and_more", kProjectCommandNew + 10},
  };
  for (const auto& c : cases) {
    {
      CPreferences store;
      ASSERT_TRUE(Store(store).SetString("project_command", c.stored));
      ASSERT_TRUE(store.Close());
    }
    CAppPreferences preferences;
    preferences.projectCommand = kProjectCommandNew + 10;
    ASSERT_TRUE(preferences.Load());
    EXPECT_EQ(preferences.projectCommand, c.expected) << '"' << c.stored << '"';
  }
}

TEST_F(AppPreferencesTest, KeysOfTheWrongTypeLeaveTheirFieldsAndAnUnknownCommandIsNotWritten) {
  {
    CPreferences store;
    Store(store);
    ASSERT_TRUE(store.SetString("main_window_x", "wide"));
    ASSERT_TRUE(store.SetInt("always_overwrite", 1));
    ASSERT_TRUE(store.SetString("project_command", "new"));
    ASSERT_TRUE(store.Close());
  }
  CAppPreferences preferences;
  preferences.left = 77;
  ASSERT_TRUE(preferences.Load());
  EXPECT_EQ(preferences.left, 77);
  EXPECT_FALSE(preferences.alwaysOverwrite);

  // A command outside 0..2 writes no key: the stored one stays.
  preferences.projectCommand = 3;
  ASSERT_TRUE(preferences.Save());
  CPreferences store;
  char text[64];
  ASSERT_TRUE(Store(store).GetString("project_command", text, sizeof(text)));
  EXPECT_STREQ(text, "new");
}

TEST_F(AppPreferencesTest, AStoreThatCannotBeOpenedKeepsEveryField) {
  // A folder where the store's file should be: it cannot be read.
  const std::string root = gbtest::MakeTempFolder("blocked");
  gbtest::SetEnvironment("XDG_CONFIG_HOME", root);
  gbtest::MakeTempFolder("blocked/" + std::string(kAppPreferencesDomain) + ".plist");
  CAppPreferences preferences;
  preferences.width = 999;
  EXPECT_FALSE(preferences.Load());
  EXPECT_EQ(preferences.width, 999);
  EXPECT_FALSE(preferences.Save());
}

class PreferencesDialogTest : public AppPreferencesTest {
 protected:
  SInt32 Run(CAppPreferences& preferences, const std::string& script) {
    std::string error;
    EXPECT_TRUE(Driver().LoadScript(script, &error)) << error;
    CPreferencesDialog dialog(preferences);
    return dialog.DoModal(GetApplicationNib(), "IDD_PREFS", nullptr, CPreferencesDialog::kUserValue);
  }
};

TEST_F(PreferencesDialogTest, OkStoresTheSwitchesAndCancelKeepsThem) {
  CAppPreferences preferences;
  EXPECT_EQ(Run(preferences, "hit cUpd 2003\nhit cOvr 2003\nhit 'ok  ' 2003\n"), SInt32(kHICommandOK));
  EXPECT_FALSE(preferences.checkSoftwareUpdates);
  EXPECT_TRUE(preferences.alwaysOverwrite);
  EXPECT_FALSE(preferences.displayFullSettingsPath);

  // Ticking and then cancelling changes nothing.
  EXPECT_EQ(Run(preferences, "hit cUpd 2003\nhit cPth 2003\nhit 'not!' 2003\n"), SInt32(kHICommandCancel));
  EXPECT_FALSE(preferences.checkSoftwareUpdates);
  EXPECT_FALSE(preferences.displayFullSettingsPath);
  // Nobody answering is a cancel too.
  EXPECT_EQ(Run(preferences, "hit cUpd 2003\n"), SInt32(kHICommandCancel));
  EXPECT_FALSE(preferences.checkSoftwareUpdates);
}

TEST_F(PreferencesDialogTest, CheckNowReportsAndLeavesTheDialogOpen) {
  gbtest::SetEnvironment("GLIMMERBOX_UPDATE_URL", "");
  CAppPreferences preferences;
  EXPECT_EQ(Run(preferences, "hit bUpd 2003\nanswer ok\nhit 'ok  ' 2003\n"), SInt32(kHICommandOK));
  const plat::ShownRecord* report = Driver().LastAlert();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->title, "Error");
  EXPECT_EQ(report->text, "The update service cannot be reached.");
}

}  // namespace
