#include "foundation/drawing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "foundation/png_image.h"
#include "foundation/path_name.h"
#include "platform/fonts.h"
#include "platform/resource_manager.h"
#include "platform/resource_map.h"
#include "tests/support/test_support.h"

namespace {

const u8* PixelAt(GWorldPtr world, int x, int y) {
  PixMapPtr map = GetGWorldPixMap(world);
  return GetPixBaseAddr(map) + size_t(y) * size_t(GetPixRowBytes(map)) +
         size_t(x) * (map->pixelSize == 32 ? 4 : 1);
}

// The columns and rows that text ink (non-white pixels) reaches.
struct Ink {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};

Ink InkOf(GWorldPtr world, int width, int height) {
  Ink ink;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (PixelAt(world, x, y)[1] < 128) {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
  return ink;
}

// A white 32-bit world that is current while the test draws.
struct Canvas {
  GWorldPtr world = nullptr;
  CGrafPtr saved = nullptr;
  Canvas(int width, int height) {
    EXPECT_TRUE(NewOffscreenGWorld(&world, width, height, 32));
    PixMapPtr map = GetGWorldPixMap(world);
    std::memset(GetPixBaseAddr(map), 0xFF, size_t(GetPixRowBytes(map)) * size_t(height));
    GetGWorld(&saved);
    SetGWorld(world);
    TextFont(plat::FontFamilyFromName("DejaVu Sans"));
    TextSize(20);
  }
  ~Canvas() {
    SetGWorld(saved);
    DisposeOffscreenGWorld(&world);
  }
};

TEST(Drawing, OffscreenWorldsStartBlackOnWhite) {
  CGrafPtr before;
  GetGWorld(&before);
  GWorldPtr world = nullptr;
  ASSERT_TRUE(NewOffscreenGWorld(&world, 8, 4, 32));
  CGrafPtr after;
  GetGWorld(&after);
  EXPECT_EQ(after, before);
  Rect bounds;
  GetPortBounds(world, &bounds);
  EXPECT_EQ(bounds.right, 8);
  EXPECT_EQ(bounds.bottom, 4);
  SetGWorld(world);
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  SetGWorld(before);
  EXPECT_EQ(fore.red, 0);
  EXPECT_EQ(back.red, 0xFFFF);
  EXPECT_TRUE(DisposeOffscreenGWorld(&world));
  EXPECT_EQ(world, nullptr);
  EXPECT_TRUE(DisposeOffscreenGWorld(&world));

  world = reinterpret_cast<GWorldPtr>(1);
  EXPECT_FALSE(NewOffscreenGWorld(&world, 0, 4, 32));
  EXPECT_EQ(world, nullptr);
  EXPECT_FALSE(NewOffscreenGWorld(&world, 4, 4, 16));
}

TEST(Drawing, PlotPixelsFromRgbAndOneBytePerPixel) {
  GWorldPtr world = nullptr;
  ASSERT_TRUE(NewOffscreenGWorld(&world, 2, 2, 32));
  // Three columns of RGB: the third lies beyond the world.
  const u8 rgb[] = {10, 20, 30, 40, 50, 60, 1, 1, 1, 70, 80, 90, 100, 110, 120, 1, 1, 1};
  ASSERT_TRUE(PlotPixelsToGWorld(rgb, 3, 2, 24, world));
  EXPECT_EQ(std::vector<u8>(PixelAt(world, 1, 0), PixelAt(world, 1, 0) + 4),
            (std::vector<u8>{0xFF, 40, 50, 60}));
  EXPECT_EQ(std::vector<u8>(PixelAt(world, 1, 1), PixelAt(world, 1, 1) + 4),
            (std::vector<u8>{0xFF, 100, 110, 120}));
  const u8 mask[] = {0, 7, 255, 0};
  ASSERT_TRUE(PlotPixelsToGWorld(mask, 2, 2, 1, world));
  EXPECT_EQ(PixelAt(world, 0, 0)[1], 0);
  EXPECT_EQ(PixelAt(world, 1, 0)[1], 0xFF);
  EXPECT_EQ(PixelAt(world, 0, 1)[3], 0xFF);
  EXPECT_EQ(PixelAt(world, 1, 1)[2], 0);
  EXPECT_FALSE(PlotPixelsToGWorld(mask, 2, 2, 8, world));
  EXPECT_FALSE(PlotPixelsToGWorld(nullptr, 2, 2, 24, world));
  DisposeOffscreenGWorld(&world);
}

TEST(Drawing, TextSitsOnTheBaselineAndMovesThePen) {
  Canvas canvas(120, 40);
  DrawTextAt("Hi", 2, 10, 30);
  Ink ink = InkOf(canvas.world, 120, 40);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.left, 14);
  EXPECT_LE(ink.bottom, 30);
  EXPECT_GE(ink.bottom, 28);
  EXPECT_LE(ink.top, 16);  // an H of 20 points is about 15 pixels tall
  Point pen;
  GetPen(&pen);
  EXPECT_EQ(pen.h, 10 + TextWidth("Hi", 0, 2));
  EXPECT_EQ(pen.v, 30);
  EXPECT_GT(TextWidth("Hi", 0, 2), 15);
  EXPECT_EQ(TextWidth("Hi", 0, 0), 0);
  // Ink is opaque where it is solid.
  EXPECT_EQ(PixelAt(canvas.world, ink.left, ink.bottom)[0], 0xFF);
}

TEST(Drawing, CenteredTextIsMeasuredAndDrawnOnlyWhenAsked) {
  Canvas canvas(200, 40);
  Rect rect = MakeRect(20, 30, 180, 40);
  int width = DrawTextCentered("jiggly", 6, &rect, 0);
  EXPECT_EQ(width, TextWidth("jiggly", 0, 6));
  EXPECT_EQ(InkOf(canvas.world, 200, 40).right, -1);  // nothing drawn
  EXPECT_EQ(DrawTextCentered("jiggly", 6, &rect, 1), width);
  Ink ink = InkOf(canvas.world, 200, 40);
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 3);
  EXPECT_LE(ink.top, 30);
  EXPECT_GT(ink.bottom, 30);  // g and y reach below the baseline
}

TEST(Drawing, PicturesComeFromTheResourceChain) {
  // A 2 x 1 PNG (red, blue) as 'PICT' 300, and a 'PICT' that is no picture.
  const u8 rgb[] = {255, 0, 0, 0, 0, 255};
  std::string path = gbtest::MakeTempFolder("pictures") + "two.png";
  ASSERT_TRUE(SaveRgbAsPngFile(2, 1, 24, rgb, CPathName(path), nullptr, 0));
  plat::ResourceMap map;
  plat::ResourceEntry entry;
  entry.type = FourCC("PICT");
  entry.id = 300;
  entry.data = gbtest::ReadFile(path);
  map.Set(entry);
  entry.id = 301;
  entry.data = {1, 2, 3};
  map.Set(entry);
  std::vector<u8> image;
  map.Serialize(image);
  const SInt16 file = plat::OpenResourceImage(image, nullptr);
  ASSERT_GE(file, 0);

  PicHandle picture = nullptr;
  ASSERT_TRUE(LoadPicture(300, &picture));
  Canvas canvas(4, 3);
  // Port coordinates: the top-left corner at (1, 2), the blue pixel past the
  // right edge when drawn at (3, 0).
  ASSERT_TRUE(DrawPictureAt(&picture, 1, 2));
  EXPECT_EQ(std::vector<u8>(PixelAt(canvas.world, 1, 2), PixelAt(canvas.world, 1, 2) + 8),
            (std::vector<u8>{0xFF, 255, 0, 0, 0xFF, 0, 0, 255}));
  ASSERT_TRUE(DrawPictureAt(&picture, 3, 0));
  EXPECT_EQ(std::vector<u8>(PixelAt(canvas.world, 3, 0), PixelAt(canvas.world, 3, 0) + 4),
            (std::vector<u8>{0xFF, 255, 0, 0}));
  EXPECT_EQ(PixelAt(canvas.world, 2, 0)[3], 0xFF);  // untouched white

  PicHandle broken = nullptr;
  ASSERT_TRUE(LoadPicture(301, &broken));
  EXPECT_FALSE(DrawPictureAt(&broken, 0, 0));
  PicHandle missing = nullptr;
  EXPECT_FALSE(LoadPicture(302, &missing));
  EXPECT_EQ(missing, nullptr);
  EXPECT_FALSE(DrawPictureAt(&missing, 0, 0));
  CloseResFile(file);
}

}  // namespace
