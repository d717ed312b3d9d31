#include "platform/roots.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

TEST(Roots, FollowTheEnvironmentWithDefaults) {
  const std::string& root = gbtest::TestRoot();
  EXPECT_EQ(plat::HomeFolder(), root + "home/");
  EXPECT_EQ(plat::TemporaryRoot(), root + "tmp/");
  EXPECT_EQ(plat::PreferencesRoot(), root + "config/");

  gbtest::SetEnvironment("XDG_CONFIG_HOME", "");
  gbtest::SetEnvironment("XDG_DATA_HOME", "");
  gbtest::SetEnvironment("TMPDIR", "");
  EXPECT_EQ(plat::PreferencesRoot(), root + "home/.config/");
  EXPECT_EQ(plat::DataHomeRoot(), root + "home/.local/share/");
  EXPECT_EQ(plat::TemporaryRoot(), "/tmp/");
}

TEST(Roots, BundleComesFromTheBuildTreeOrTheOverride) {
  EXPECT_NE(plat::ApplicationBundle().find("Glimmerbox.app/"), std::string::npos);
  plat::SetApplicationBundle("/opt/x/Other.app");
  EXPECT_EQ(plat::ApplicationBundle(), "/opt/x/Other.app/");
  plat::SetApplicationBundle("");
  EXPECT_NE(plat::ApplicationBundle().find("Glimmerbox.app/"), std::string::npos);
}
