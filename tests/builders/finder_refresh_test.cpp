#include "builders/finder_refresh.h"

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

TEST(FinderRefresh, ScriptsAreNotRunHereAndTheRefreshChangesNothing) {
  CAppleScript script;
  EXPECT_FALSE(script.Compile(kRefreshFinderScript));
  EXPECT_EQ(script.GetError(), unimpErr);
  EXPECT_FALSE(script.Execute());
  EXPECT_FALSE(script.CompileFile(CPathName(gbtest::TestRoot() + "no such script")));
  EXPECT_EQ(script.GetError(), fnfErr);
  const std::string file = gbtest::MakeTempFolder("script") + "refresh.applescript";
  ASSERT_TRUE(gbtest::WriteFile(file, std::string(kRefreshFinderScript)));
  EXPECT_FALSE(script.CompileFile(CPathName(file)));
  EXPECT_EQ(script.GetError(), unimpErr);
  EXPECT_TRUE(script.Dispose());

  // The folder holding the item keeps its modification date.
  const std::string folder = gbtest::MakeTempFolder("refreshed");
  ASSERT_TRUE(gbtest::WriteFile(folder + "item", "x"));
  struct stat before, after;
  ASSERT_EQ(stat(folder.c_str(), &before), 0);
  EXPECT_TRUE(RefreshFinderWindows(CPathName(folder + "item"), true));
  ASSERT_EQ(stat(folder.c_str(), &after), 0);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  EXPECT_EQ(before.st_mtime, after.st_mtime);
}

}  // namespace
