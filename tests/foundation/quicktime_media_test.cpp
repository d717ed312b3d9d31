#include "foundation/quicktime_media.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <vector>

#include "foundation/path_name.h"
#include "foundation/png_image.h"
#include "platform/gestalt.h"
#include "tests/foundation/image_fixtures.h"
#include "tests/support/test_support.h"

namespace {

// 3 x 2 RGBA: opaque white, off-white, transparent white / red, green, blue.
const std::vector<u8> kPicture = {
    255, 255, 255, 255, 254, 255, 255, 255, 255, 255, 255, 0,
    255, 0,   0,   255, 0,   255, 0,   255, 0,   0,   255, 128,
};

CPathName WritePng(const std::string& name, const std::vector<u8>& rgba, u32 width, u32 height) {
  CPathName path(gbtest::MakeTempFolder("media") + name);
  EXPECT_TRUE(SaveRgbAsPngFile(width, height, 32, rgba.data(), path, nullptr, 0));
  return path;
}

CPathName WriteJpeg(const std::string& name, const std::vector<u8>& rgb, u32 width, u32 height) {
  std::string path = gbtest::MakeTempFolder("media") + name;
  EXPECT_TRUE(gbtest::WriteFile(path, gbtest::MakeJpeg(width, height, 3, JCS_RGB, rgb, 100)));
  return CPathName(path);
}

struct World {
  GWorldPtr world = nullptr;
  World(int width, int height, SInt16 depth) {
    Rect bounds = MakeRect(0, 0, SInt16(width), SInt16(height));
    EXPECT_EQ(NewGWorld(&world, depth, &bounds), noErr);
  }
  ~World() { DisposeGWorld(world); }
  u8* at(int x, int y) const {
    PixMapPtr map = GetGWorldPixMap(world);
    return GetPixBaseAddr(map) + size_t(y) * size_t(GetPixRowBytes(map)) +
           size_t(x) * (map->pixelSize == 32 ? 4 : 1);
  }
};

TEST(QuickTimeMedia, PngPicturesOpenWithTheirAlpha) {
  CQuickTimeMedia media;
  ASSERT_TRUE(media.OpenFile(WritePng("alpha.png", kPicture, 3, 2)));
  int width = 0, height = 0;
  media.GetNaturalSize(&width, &height);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  EXPECT_EQ(media.CopyFrameToBuffer(0, nullptr, nullptr, nullptr, 32), 24u);
  EXPECT_EQ(media.CopyFrameToBuffer(0, nullptr, nullptr, nullptr, 24), 18u);
  EXPECT_EQ(media.CopyFrameToBuffer(0, nullptr, nullptr, nullptr, 16), 0u);
  std::vector<u8> rgba(24);
  ASSERT_EQ(media.CopyFrameToBuffer(0, rgba.data(), nullptr, nullptr, 32), 24u);
  EXPECT_EQ(rgba, kPicture);
  std::vector<u8> rgb(18);
  ASSERT_EQ(media.CopyFrameToBuffer(0, rgb.data(), nullptr, nullptr, 24), 18u);
  EXPECT_EQ(rgb[3], 254);
  EXPECT_EQ(rgb[15], 0);
  std::vector<u8> alpha(6);
  ASSERT_EQ(media.CopyFrameAlphaToBuffer(0, alpha.data(), nullptr, nullptr), 6u);
  EXPECT_EQ(alpha, (std::vector<u8>{255, 255, 0, 255, 255, 128}));

  EXPECT_TRUE(media.HasVideo());
  EXPECT_FALSE(media.HasSound());
  ImageDescription description;
  ASSERT_TRUE(media.GetImageDescription(&description));
  EXPECT_EQ(description.idSize, 86);
  EXPECT_EQ(description.cType, FourCC("png "));
  EXPECT_EQ(description.width, 3);
  EXPECT_EQ(description.depth, 32);
  char name[32];
  EXPECT_TRUE(media.GetVideoCodecName(name, sizeof name));
  EXPECT_STREQ(name, "PNG");
  EXPECT_FALSE(media.GetSoundCompressionName(name, sizeof name));
  EXPECT_STREQ(name, "N/A");
}

TEST(QuickTimeMedia, JpegPicturesAreOpaque) {
  // Black above, white below, the edge between two blocks of the codec.
  std::vector<u8> rgb(size_t{16} * 32 * 3, 255);
  for (size_t i = 0; i < rgb.size() / 2; ++i) rgb[i] = 0;
  CQuickTimeMedia media;
  ASSERT_TRUE(media.OpenFile(WriteJpeg("half.jpg", rgb, 16, 32)));
  std::vector<u8> alpha(size_t{16} * 32);
  ASSERT_EQ(media.CopyFrameAlphaToBuffer(0, alpha.data(), nullptr, nullptr), alpha.size());
  for (u8 a : alpha) ASSERT_EQ(a, 0xFF);
  ImageDescription description;
  ASSERT_TRUE(media.GetImageDescription(&description));
  EXPECT_EQ(description.cType, FourCC("jpeg"));
  EXPECT_EQ(description.depth, 24);

  // The white mask rule: 0 on pure white, 255 elsewhere.
  World world(16, 32, 32), mask(16, 32, 8);
  ASSERT_TRUE(media.DrawToGWorld(world.world, nullptr, mask.world));
  EXPECT_EQ(*mask.at(3, 1), 255);
  EXPECT_EQ(*mask.at(3, 31), 0);
  EXPECT_EQ(world.at(3, 31)[0], 0xFF);
}

TEST(QuickTimeMedia, WhiteMaskOfAPngPicture) {
  CQuickTimeMedia media;
  ASSERT_TRUE(media.OpenFile(WritePng("mask.png", kPicture, 3, 2)));
  World world(3, 2, 32), mask(3, 2, 8);
  std::fill(mask.at(0, 0), mask.at(0, 0) + 3, 77);
  ASSERT_TRUE(media.DrawToGWorld(world.world, nullptr, mask.world));
  // Opaque white, off-white, transparent white; red, green, blue.
  const u8 expected[2][3] = {{0, 255, 255}, {255, 255, 255}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(*mask.at(x, y), expected[y][x]) << x << "," << y;
}

TEST(QuickTimeMedia, FramesScaleIntoRectanglesAndBoxes) {
  CQuickTimeMedia media;
  ASSERT_TRUE(media.OpenFile(WritePng("scale.png", kPicture, 3, 2)));
  // Twice the size: every pixel doubled.
  Rect output = MakeRect(0, 0, 6, 4);
  std::vector<u8> big(size_t{6} * 4 * 4);
  ASSERT_EQ(media.CopyFrameToBuffer(0, big.data(), &output, nullptr, 32), big.size());
  EXPECT_EQ(std::vector<u8>(big.begin() + long{3 * 6 + 5} * 4, big.begin() + long{3 * 6 + 6} * 4),
            (std::vector<u8>{0, 0, 255, 128}));
  // Only a source rectangle: that part fills the movie box.
  Rect source = MakeRect(0, 1, 1, 2);  // the red pixel
  std::vector<u8> red(size_t{3} * 2 * 3);
  ASSERT_EQ(media.CopyFrameToBuffer(0, red.data(), nullptr, &source, 24), red.size());
  for (size_t i = 0; i < red.size(); i += 3) EXPECT_EQ(red[i], 255);

  // Drawing at a box of a world; the movie box is restored afterwards.
  World world(8, 8, 32);
  Rect box = MakeRect(4, 4, 7, 6);
  ASSERT_TRUE(media.DrawFrameToGWorld(world.world, &box));
  EXPECT_EQ(world.at(3, 4)[0], 0);
  EXPECT_EQ(world.at(4, 5)[1], 255);  // the red pixel
  EXPECT_EQ(world.at(6, 5)[0], 128);
  int width = 0, height = 0;
  media.GetNaturalSize(&width, &height);
  EXPECT_EQ(width, 3);

  // A bigger movie box scales the frame.
  media.SetSize(6, 4);
  std::vector<u8> scaled(size_t{6} * 4 * 3);
  ASSERT_EQ(media.CopyFrameToBuffer(0, scaled.data(), nullptr, nullptr, 24), scaled.size());
  EXPECT_EQ(scaled[size_t{3 * 6 + 0} * 3], 255);  // red in the bottom-left corner
}

TEST(QuickTimeMedia, DrawsIntoAWindowsPortClippedToIt) {
  CQuickTimeMedia media;
  ASSERT_TRUE(media.OpenFile(WritePng("window.png", kPicture, 3, 2)));
  Rect content = MakeRect(100, 100, 104, 103);  // 4 x 3 pixels
  WindowRef window = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowNoAttributes, &content, &window), noErr);
  CGrafPtr port = GetWindowPort(window);
  PixMapPtr map = GetGWorldPixMap(port);
  ASSERT_NE(map, nullptr);
  auto pixel = [&](int x, int y) {
    const u8* at = GetPixBaseAddr(map) + size_t(y) * size_t(GetPixRowBytes(map)) + size_t(x) * 4;
    return std::vector<u8>(at, at + 4);
  };
  const std::vector<u8> untouched = {0, 0, 0, 0};

  // Window-local at (2, 1): only the frame's top-left 2 x 2 fits.
  GWorldPtr other = nullptr;
  Rect otherBounds = MakeRect(0, 0, 1, 1);
  ASSERT_EQ(NewGWorld(&other, 32, &otherBounds), noErr);
  SetGWorld(other);
  Rect box = MakeRect(2, 1, 5, 3);
  ASSERT_TRUE(media.DrawToWindow(window, &box));
  EXPECT_EQ(pixel(2, 1), (std::vector<u8>{255, 255, 255, 255}));  // opaque white
  EXPECT_EQ(pixel(3, 1), (std::vector<u8>{255, 254, 255, 255}));  // off-white
  EXPECT_EQ(pixel(2, 2), (std::vector<u8>{255, 255, 0, 0}));      // red
  EXPECT_EQ(pixel(3, 2), (std::vector<u8>{255, 0, 255, 0}));      // green
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(pixel(x, y), untouched) << x << "," << y;
  EXPECT_EQ(pixel(2, 0), untouched);
  // The current port, the movie box and the movie's port are as they were.
  CGrafPtr current = nullptr;
  GetGWorld(&current);
  EXPECT_EQ(current, other);
  int width = 0, height = 0;
  media.GetNaturalSize(&width, &height);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  World world(3, 2, 32);
  ASSERT_TRUE(media.DrawFrameToGWorld(world.world, nullptr));
  EXPECT_EQ(world.at(0, 1)[1], 255);  // the movie still draws where it is told
  EXPECT_EQ(pixel(0, 1), untouched);

  // Without a box the frame lands at the movie box, the window's top-left.
  ASSERT_TRUE(media.DrawToWindow(window, nullptr));
  EXPECT_EQ(pixel(0, 1), (std::vector<u8>{255, 255, 0, 0}));

  SetGWorld(nullptr);
  DisposeGWorld(other);
  DisposeWindow(window);
  EXPECT_FALSE(media.DrawToWindow(window, nullptr));
  CQuickTimeMedia empty;
  WindowRef live = nullptr;
  ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowNoAttributes, &content, &live), noErr);
  EXPECT_FALSE(empty.DrawToWindow(live, nullptr));
  DisposeWindow(live);
}

TEST(QuickTimeMedia, FrameImagesAreCropped) {
  CQuickTimeMedia media;
  ASSERT_TRUE(media.OpenFile(WritePng("crop.png", kPicture, 3, 2)));
  CBitmapImage bitmap;
  Rect crop = MakeRect(1, 1, 3, 2);
  ASSERT_TRUE(media.GetFrameImage(0, &bitmap, &crop, 32));
  EXPECT_EQ(bitmap.GetWidth(), 2u);
  EXPECT_EQ(bitmap.GetHeight(), 1u);
  EXPECT_EQ(std::vector<u8>(bitmap.GetPixels(), bitmap.GetPixels() + 8),
            (std::vector<u8>{0, 255, 0, 255, 0, 0, 255, 128}));
  ASSERT_TRUE(media.GetFrameImage(0, &bitmap, nullptr, 24));
  EXPECT_EQ(bitmap.GetByteSize(), 18u);
  // A crop reaching past the frame keeps to the frame; one outside it fails.
  Rect wide = MakeRect(2, 0, 10, 10);
  ASSERT_TRUE(media.GetFrameImage(0, &bitmap, &wide, 24));
  EXPECT_EQ(bitmap.GetWidth(), 1u);
  EXPECT_EQ(bitmap.GetHeight(), 2u);
  Rect outside = MakeRect(5, 5, 9, 9);
  EXPECT_FALSE(media.GetFrameImage(0, &bitmap, &outside, 24));
}

TEST(QuickTimeMedia, WhatIsNotAPictureFails) {
  std::string folder = gbtest::MakeTempFolder("media-bad");
  ASSERT_TRUE(gbtest::WriteFile(folder + "text.png", "not a picture at all"));
  std::vector<u8> damaged = gbtest::MakePng(gbtest::PngSpec{});
  damaged.resize(damaged.size() / 2);
  ASSERT_TRUE(gbtest::WriteFile(folder + "damaged.png", damaged));
  std::vector<u8> movie = {0, 0, 0, 0x14, 'f', 't', 'y', 'p', 'q', 't', ' ', ' '};
  ASSERT_TRUE(gbtest::WriteFile(folder + "movie.mov", movie));

  CQuickTimeMedia media;
  ASSERT_TRUE(media.OpenFile(WritePng("good.png", kPicture, 3, 2)));
  for (const char* name : {"text.png", "damaged.png", "movie.mov", "missing.png"}) {
    EXPECT_FALSE(media.OpenFile(CPathName(folder + name))) << name;
    EXPECT_FALSE(media.HasMovie()) << name;
  }
  EXPECT_EQ(media.CopyFrameToBuffer(0, nullptr, nullptr, nullptr, 32), 0u);
  CBitmapImage bitmap;
  EXPECT_FALSE(media.GetFrameImage(0, &bitmap, nullptr, 32));
  World world(2, 2, 32);
  EXPECT_FALSE(media.DrawToGWorld(world.world, nullptr, nullptr));
  EXPECT_FALSE(media.Start(true));
  EXPECT_FALSE(media.IsDone());
  char name[8];
  EXPECT_FALSE(media.GetVideoCodecName(name, sizeof name));
  EXPECT_STREQ(name, "N/A");
  EXPECT_FALSE(media.FormatDuration(name, sizeof name));
  EXPECT_FALSE(media.OpenFromResource(0, "mov"));

  // Sound and export are not there.
  CSoundFormatRequest request;
  EXPECT_FALSE(media.SetupSoundExporter(request));
  EXPECT_FALSE(media.ExportSound(CPathName(folder + "out.aif"), FourCC("AIFF"), 0, nullptr));
  EXPECT_FALSE(gbtest::FileExists(folder + "out.aif"));
  u32 size = 7;
  EXPECT_EQ(media.ExportSoundChunk(0, 100, &size, nullptr), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(media.GetSoundDescription(name));
}

TEST(QuickTimeMedia, AStillPictureHasNoDuration) {
  CQuickTimeMedia media;
  ASSERT_TRUE(media.OpenFile(WritePng("still.png", kPicture, 3, 2)));
  EXPECT_TRUE(media.Start(true));
  EXPECT_TRUE(media.IsDone());
  EXPECT_EQ(media.GetTime(), 0);
  EXPECT_EQ(media.GetVideoFrameRate(), 0);
  char text[32];
  ASSERT_TRUE(media.FormatDuration(text, sizeof text));
  EXPECT_STREQ(text, "00:00:00.00");
}

TEST(QuickTimeMedia, DurationsAsText) {
  struct Case {
    s64 duration;
    s32 scale;
    const char* text;
  } cases[] = {
      {0, 600, "00:00:00.00"},
      {36900, 600, "00:01:01.50"},       // 61.5 seconds
      {999, 1000, "00:00:01.00"},        // hundredths carried into the seconds
      {59999, 1000, "00:01:00.00"},      // and into the minutes
      {3661250, 1000, "01:01:01.25"},    // hours are filled in
      {1234, 1000, "00:00:01.23"},
      {-5, 600, "00:00:00.00"},
      {600, 0, "00:00:00.00"},
      {s64(1) << 40, 1, "1193:02:47.30"},  // clamped to 4294967295 ms
  };
  for (const Case& c : cases) {
    char text[32];
    ASSERT_TRUE(FormatMovieDuration(c.duration, c.scale, text, sizeof text)) << c.text;
    EXPECT_STREQ(text, c.text);
  }
  char small[8];
  EXPECT_FALSE(FormatMovieDuration(0, 600, small, sizeof small));
}

TEST(QuickTimeMedia, VersionComesFromGestalt) {
  plat::SetGestaltValue(FourCC("qtim"), 0x07008000);
  EXPECT_TRUE(IsQuickTimeInstalled());
  EXPECT_EQ(GetQuickTimeVersion(), 0x0700u);
  plat::RemoveGestaltValue(FourCC("qtim"));
  EXPECT_FALSE(IsQuickTimeInstalled());
  EXPECT_EQ(GetQuickTimeVersion(), 0u);
  plat::SetGestaltValue(FourCC("qtrs"), 1);
  EXPECT_TRUE(HasQuickTimeFeatures());
  plat::ResetGestaltTable();

  int before = MoviesClientCount();
  {
    CQuickTimeMedia media;
    EXPECT_EQ(MoviesClientCount(), before + 1);
  }
  EXPECT_EQ(MoviesClientCount(), before);
}

}  // namespace
