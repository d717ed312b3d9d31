#include "platform/launcher.h"

#include <gtest/gtest.h>

namespace {

TEST(Launcher, OpensUrlsThroughXdgOpenWithoutAShell) {
  std::vector<std::vector<std::string>> launched;
  plat::SetLaunchHook([&](const std::vector<std::string>& arguments) {
    launched.push_back(arguments);
    return true;
  });
  const std::string hostile = "http://example.org/a b;rm -rf ~ $(x) 'q'";
  EXPECT_TRUE(plat::OpenUrl(hostile));
  EXPECT_FALSE(plat::OpenUrl(""));
  plat::SetLaunchHook(nullptr);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], (std::vector<std::string>{"xdg-open", hostile}));
}

TEST(Launcher, StartsRealProgramsAndReportsMissingOnes) {
  EXPECT_TRUE(plat::Launch({"true"}));
  EXPECT_FALSE(plat::Launch({"glimmerbox-no-such-program"}));
  EXPECT_FALSE(plat::Launch({}));
}

}  // namespace
