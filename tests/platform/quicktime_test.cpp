#include "platform/quicktime.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(QuickTimeLayer, StillPictureMovieDrawsIntoItsPortAtTheBox) {
  // 2 x 1 pixels: opaque red, half-transparent green.
  std::vector<UInt8> argb = {0xFF, 0xFF, 0, 0, 0x80, 0, 0xFF, 0, 0, 0, 0, 0};
  Movie movie = NewStillPictureMovie(argb.data(), 2, 1, 12, FourCC("png "), "PNG");
  ASSERT_NE(movie, nullptr);
  Rect box;
  GetMovieBox(movie, &box);
  EXPECT_EQ(box.right, 2);
  EXPECT_EQ(box.bottom, 1);
  EXPECT_TRUE(StillPictureHasAlpha(movie));
  EXPECT_EQ(GetStillPictureCodec(movie), FourCC("png "));
  EXPECT_EQ(GetMovieDuration(movie), 0);
  EXPECT_EQ(GetMovieTimeScale(movie), kStillMovieTimeScale);
  EXPECT_TRUE(IsMovieDone(movie));

  GWorldPtr world = nullptr;
  Rect bounds = MakeRect(0, 0, 6, 4);
  ASSERT_EQ(NewGWorld(&world, 32, &bounds), noErr);
  SetMovieGWorld(movie, world);
  Rect target = MakeRect(2, 1, 6, 3);  // scaled to 4 x 2
  SetMovieBox(movie, &target);
  // Nothing is drawn until the movie is active and asked to update.
  MoviesTask(movie, 0);
  SetMovieActive(movie, true);
  MoviesTask(movie, 0);
  PixMapPtr map = GetGWorldPixMap(world);
  auto pixel = [&](int x, int y) { return GetPixBaseAddr(map) + size_t(y) * size_t(GetPixRowBytes(map)) + size_t(x) * 4; };
  EXPECT_EQ(pixel(2, 1)[0], 0);
  UpdateMovie(movie);
  MoviesTask(movie, 0);
  EXPECT_EQ(std::vector<UInt8>(pixel(2, 1), pixel(2, 1) + 4), (std::vector<UInt8>{0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(std::vector<UInt8>(pixel(5, 2), pixel(5, 2) + 4), (std::vector<UInt8>{0x80, 0, 0xFF, 0}));
  EXPECT_EQ(pixel(1, 1)[0], 0);  // left of the box
  EXPECT_EQ(pixel(2, 3)[0], 0);  // below it

  DisposeMovie(movie);
  DisposeGWorld(world);
  EXPECT_EQ(NewStillPictureMovie(argb.data(), 2, 1, 4, 0, ""), nullptr);  // rows too short
  EXPECT_EQ(NewStillPictureMovie(nullptr, 2, 1, 8, 0, ""), nullptr);
}

TEST(QuickTimeLayer, ClientsAreCounted) {
  int before = MoviesClientCount();
  EXPECT_EQ(EnterMovies(), noErr);
  EXPECT_EQ(MoviesClientCount(), before + 1);
  ExitMovies();
  EXPECT_EQ(MoviesClientCount(), before);
}

}  // namespace
