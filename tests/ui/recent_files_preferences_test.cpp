#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/preferences.h"
#include "tests/support/test_support.h"
#include "ui/recent_files.h"

namespace {

std::string Stored(CPreferences& preferences, const std::string& key) {
  char text[256];
  return preferences.GetString(key.c_str(), text, sizeof(text)) ? text : "<absent>";
}

TEST(RecentFilesPreferences, SaveWritesTheNewestFirstAndLoadRestoresTheOrder) {
  const std::string folder = gbtest::MakeTempFolder("recent");
  std::vector<std::string> files;
  for (int i = 1; i <= 7; ++i) {
    files.push_back(folder + "p" + std::to_string(i) + ".gmx");
    gbtest::WriteFile(files.back(), "x");
  }
  CPreferences preferences;
  ASSERT_TRUE(preferences.Open("com.orrinvale.glimmerbox2Test", 1));

  // The application's stored copy is oldest first: p1 .. p7, newest p7.
  CRecentFileList stored;
  for (int i = 6; i >= 0; --i) stored.AddFile(CPathName(files[size_t(i)].c_str()));
  ASSERT_EQ(stored.GetAt(0)->GetString(), files[0]);
  ASSERT_TRUE(stored.SaveToPreferences(preferences, "recent_projects"));
  SInt32 maximum = 0;
  EXPECT_TRUE(preferences.GetInt("recent_projects_max", maximum));
  EXPECT_EQ(maximum, 5);
  // Only the first `maximum` entries are saved, taken from the end: key 1 is the last entry.
  EXPECT_EQ(Stored(preferences, "recent_projects_1"), files[6]);
  EXPECT_EQ(Stored(preferences, "recent_projects_5"), files[2]);
  EXPECT_EQ(Stored(preferences, "recent_projects_6"), "<absent>");

  CRecentFileList loaded;
  ASSERT_TRUE(loaded.LoadFromPreferences(preferences, "recent_projects"));
  ASSERT_EQ(loaded.GetCount(), 5);
  EXPECT_EQ(loaded.GetAt(0)->GetString(), files[2]);  // oldest first again
  EXPECT_EQ(loaded.GetAt(4)->GetString(), files[6]);
}

TEST(RecentFilesPreferences, MissingFilesAreSkippedAndAnAbsentKeyEndsTheLoad) {
  const std::string folder = gbtest::MakeTempFolder("recent2");
  gbtest::WriteFile(folder + "a.swf", "x");
  gbtest::WriteFile(folder + "c.swf", "x");
  gbtest::WriteFile(folder + "e.swf", "x");
  CPreferences preferences;
  ASSERT_TRUE(preferences.Open("com.orrinvale.glimmerbox2Test2", 1));
  ASSERT_TRUE(preferences.SetLong("recent_swfs_max", 9));
  ASSERT_TRUE(preferences.SetString("recent_swfs_1", (folder + "a.swf").c_str()));
  ASSERT_TRUE(preferences.SetString("recent_swfs_2", (folder + "gone.swf").c_str()));
  ASSERT_TRUE(preferences.SetString("recent_swfs_3", (folder + "c.swf").c_str()));
  ASSERT_TRUE(preferences.SetString("recent_swfs_5", (folder + "e.swf").c_str()));  // after the gap: never read
  CRecentFileList list;
  list.LoadFromPreferences(preferences, "recent_swfs");
  EXPECT_EQ(list.GetMaximum(), 9u);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetAt(0)->GetString(), folder + "c.swf");
  EXPECT_EQ(list.GetAt(1)->GetString(), folder + "a.swf");

  // An absent maximum leaves the list's own.
  CRecentFileList other;
  other.LoadFromPreferences(preferences, "no_such_list");
  EXPECT_EQ(other.GetMaximum(), 5u);
  EXPECT_EQ(other.GetCount(), 0);
}

TEST(RecentFilesPreferences, SavingAShorterListRemovesTheKeysBeyondIt) {
  CPreferences preferences;
  ASSERT_TRUE(preferences.Open("com.orrinvale.glimmerbox2Test3", 1));
  CRecentFileList list;
  for (const char* p : {"/r/1", "/r/2", "/r/3", "/r/4"}) list.AddFile(CPathName(p));
  ASSERT_TRUE(list.SaveToPreferences(preferences, "recent"));
  EXPECT_TRUE(preferences.HasKey("recent_4"));
  CRecentFileList shorter;
  shorter.AddFile(CPathName("/r/9"));
  ASSERT_TRUE(shorter.SaveToPreferences(preferences, "recent"));
  EXPECT_EQ(Stored(preferences, "recent_1"), "/r/9");
  for (const char* key : {"recent_2", "recent_3", "recent_4"}) EXPECT_FALSE(preferences.HasKey(key)) << key;

  // A key so long that its number is cut off is written once and never removed.
  const std::string longKey(40, 'k');
  ASSERT_TRUE(list.SaveToPreferences(preferences, longKey.c_str()));
  const std::string cut = longKey.substr(0, 31);
  EXPECT_TRUE(preferences.HasKey(cut.c_str()));
}

}  // namespace
