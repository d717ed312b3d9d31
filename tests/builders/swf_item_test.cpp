#include "builders/swf_item.h"

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "builders/project_change_count.h"
#include "builders/saver_data_list.h"
#include "tests/builders/model_fixtures.h"
#include "tests/support/test_support.h"

namespace {

using modeltest::MovieSpec;
using modeltest::WriteMovie;

TEST(SwfItem, SetSwfFileTakesTheFrameSizeFromTheMovie) {
  const std::string folder = gbtest::MakeTempFolder("set_swf");
  struct Case {
    const char* what;
    MovieSpec movie;
    s32 mode;
    s32 movieWidth, movieHeight;
    s32 windowWidth, windowHeight;
    u32 changes;  // the movie, then each window dimension that changed
  } cases[] = {
      {"plain", {0, 0, 11000, 8000, false, 0}, kWindowSizeSwf, 550, 400, 550, 400, 3},
      {"compressed", {0, 0, 11000, 8000, true, 0}, kWindowSizeSwf, 550, 400, 550, 400, 3},
      {"custom size kept", {0, 0, 11000, 8000, false, 0}, kWindowSizeCustom, 550, 400, 320, 240, 1},
      {"screen percent kept", {0, 0, 11000, 8000, true, 0}, kWindowSizeScreenPercent, 550, 400, 320, 240, 1},
      {"offset frame", {-200, 100, 10800, 8100, false, 0}, kWindowSizeSwf, 550, 400, 550, 400, 3},
      {"truncated twips", {0, 0, 6419, 4819, false, 0}, kWindowSizeSwf, 320, 240, 320, 240, 3},
      {"inverted frame", {400, 0, 0, 30, false, 0}, kWindowSizeSwf, -20, 1, -20, 1, 3},
  };
  for (const Case& c : cases) {
    CSaverSwfItem item;
    item.SetWindowSizeMode(c.mode);
    const std::string path = WriteMovie(folder + "movie.swf", c.movie);
    ResetProjectChangeCount();
    EXPECT_TRUE(item.SetSwfFile(CPathName(path))) << c.what;
    EXPECT_EQ(TakeProjectChangeCount(true), c.changes) << c.what;
    EXPECT_EQ(item.GetSwfFile().GetString(), path) << c.what;
    EXPECT_EQ(item.GetMovieWidth(), c.movieWidth) << c.what;
    EXPECT_EQ(item.GetMovieHeight(), c.movieHeight) << c.what;
    EXPECT_EQ(item.GetWindowWidth(), c.windowWidth) << c.what;
    EXPECT_EQ(item.GetWindowHeight(), c.windowHeight) << c.what;
    // The same movie again changes nothing.
    EXPECT_TRUE(item.SetSwfFile(CPathName(path))) << c.what;
    EXPECT_EQ(TakeProjectChangeCount(true), 0u) << c.what;
  }
}

TEST(SwfItem, SetSwfFileRefusesWhatIsNoMovie) {
  const std::string folder = gbtest::MakeTempFolder("not_swf");
  const std::string movie = WriteMovie(folder + "good.swf");
  ASSERT_TRUE(gbtest::WriteFile(folder + "text.swf", std::string("this is no movie at all")));
  std::vector<u8> cut = modeltest::MovieBytes(MovieSpec());
  cut.resize(6);
  ASSERT_TRUE(gbtest::WriteFile(folder + "cut.swf", cut));
  std::vector<u8> broken = modeltest::MovieBytes({0, 0, 11000, 8000, true, 0});
  for (size_t i = 8; i < broken.size(); ++i) broken[i] = 0xFF;
  ASSERT_TRUE(gbtest::WriteFile(folder + "broken.swf", broken));
  ASSERT_EQ(mkfifo((folder + "pipe.swf").c_str(), 0600), 0);
  mkdir((folder + "folder.swf").c_str(), 0700);

  CSwfItem item(nullptr);
  ASSERT_TRUE(item.SetSwfFile(CPathName(movie)));
  for (const char* name : {"missing.swf", "text.swf", "cut.swf", "broken.swf", "pipe.swf", "folder.swf"}) {
    ResetProjectChangeCount();
    EXPECT_FALSE(item.SetSwfFile(CPathName(folder + name))) << name;
    EXPECT_EQ(TakeProjectChangeCount(true), 0u) << name;
    EXPECT_EQ(item.GetSwfFile().GetString(), movie) << name;
    EXPECT_EQ(item.GetMovieWidth(), 550) << name;
    EXPECT_EQ(item.GetWindowWidth(), 550) << name;
  }
}

TEST(SwfItem, SwitchingToMovieSizeCopiesTheMovieSize) {
  CSwfItem item(nullptr);
  item.SetWindowSizeMode(kWindowSizeCustom);
  ResetProjectChangeCount();
  // A fresh item's movie size is 100 x 100.
  item.SetWindowSizeMode(kWindowSizeSwf);
  EXPECT_EQ(TakeProjectChangeCount(true), 3u);
  EXPECT_EQ(item.GetWindowWidth(), 100);
  EXPECT_EQ(item.GetWindowHeight(), 100);
}

TEST(SwfItem, ExtraFilesCountEachRealChange) {
  CSwfItem item(nullptr);
  ResetProjectChangeCount();
  EXPECT_TRUE(item.ClearMoreFiles());
  EXPECT_EQ(TakeProjectChangeCount(true), 0u);

  EXPECT_TRUE(item.AddMoreFile(CPathName("/tmp/a.txt")));
  EXPECT_TRUE(item.AddMoreFile(CPathName("/tmp/a.txt")));
  EXPECT_TRUE(item.AddMoreFile(CPathName("/tmp/b.txt")));
  EXPECT_EQ(TakeProjectChangeCount(true), 3u);
  ASSERT_EQ(item.GetMoreFiles().GetCount(), 3);

  EXPECT_FALSE(item.RemoveMoreFile(3));
  EXPECT_FALSE(item.RemoveMoreFile(-1));
  // Entries are matched by identity, not by their text.
  CPathName lookalike("/tmp/a.txt");
  EXPECT_FALSE(item.RemoveMoreFileEntry(&lookalike));
  EXPECT_FALSE(item.RemoveMoreFileEntry(nullptr));
  EXPECT_EQ(TakeProjectChangeCount(true), 0u);

  EXPECT_TRUE(item.RemoveMoreFileEntry(item.GetMoreFiles().GetAt(1)));
  EXPECT_TRUE(item.RemoveMoreFile(0));
  EXPECT_EQ(TakeProjectChangeCount(true), 2u);
  ASSERT_EQ(item.GetMoreFiles().GetCount(), 1);
  EXPECT_EQ(item.GetMoreFiles().GetAt(0)->GetString(), "/tmp/b.txt");

  EXPECT_TRUE(item.ClearMoreFiles());
  EXPECT_EQ(TakeProjectChangeCount(true), 1u);
  EXPECT_EQ(item.GetMoreFiles().GetCount(), 0);
}

TEST(SwfItem, ResetRestoresTheDefaultsWithoutCounting) {
  CSwfItem item(nullptr);
  item.SetWindowTitle("Other");
  item.SetFlashQuality(kFlashQualityLow);
  item.SetExitOnEscape(false);
  item.AddMoreFile(CPathName("/tmp/a.txt"));
  ASSERT_NE(item.AddSubItem()->AddSubItem(), nullptr);
  ResetProjectChangeCount();
  item.Reset();
  EXPECT_EQ(TakeProjectChangeCount(true), 0u);
  EXPECT_EQ(item.GetWindowTitle(), "Window");
  EXPECT_EQ(item.GetFlashQuality(), kFlashQualityHigh);
  EXPECT_TRUE(item.GetExitOnEscape());
  EXPECT_EQ(item.GetMoreFiles().GetCount(), 0);
  EXPECT_EQ(item.GetSubItemCount(), 0);
  EXPECT_EQ(item.GetWindowX(), 20);
  EXPECT_EQ(item.GetWindowY(), 60);
  EXPECT_EQ(item.GetWindowWidth(), 320);
  EXPECT_EQ(item.GetWindowHeight(), 240);
  EXPECT_EQ(item.GetWindowWidthPercent(), 100);
  EXPECT_TRUE(item.GetWindowHasMinimize() && item.GetWindowHasMaximize() && item.GetWindowHasClose());
  EXPECT_FALSE(item.GetWindowIsResizable() || item.GetWindowIsVisible() || item.GetWindowHasMenu() ||
               item.GetWindowFullscreen());
  EXPECT_EQ(item.GetLeftMouseAction(), kMouseActionFlash);
  EXPECT_EQ(item.GetRightMouseAction(), kMouseActionFlash);
  EXPECT_TRUE(item.GetFlashShowMenu());
  EXPECT_FALSE(item.GetFlashLoopMovie());
  EXPECT_EQ(item.GetFlashScale(), kFlashScaleShowAll);
  EXPECT_EQ(item.GetMovieWidth(), 100);
}

}  // namespace
