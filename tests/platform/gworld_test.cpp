#include "platform/gworld.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A 32-bit world that disposes itself.
struct World {
  GWorldPtr world = nullptr;
  explicit World(int width, int height, SInt16 depth = 32, SInt16 left = 0, SInt16 top = 0) {
    Rect bounds = MakeRect(left, top, SInt16(left + width), SInt16(top + height));
    EXPECT_EQ(NewGWorld(&world, depth, &bounds), noErr);
  }
  ~World() { DisposeGWorld(world); }
  PixMapPtr map() const { return GetGWorldPixMap(world); }
  UInt8* pixel(int column, int row) const {
    return GetPixBaseAddr(map()) + size_t(row) * size_t(GetPixRowBytes(map())) +
           size_t(column) * (map()->pixelSize == 32 ? 4 : 1);
  }
  // Fills every 32-bit pixel with a value made from its position.
  void FillWithPositions() const {
    for (int row = 0; row < map()->bounds.bottom - map()->bounds.top; ++row)
      for (int column = 0; column < map()->bounds.right - map()->bounds.left; ++column) {
        UInt8* p = pixel(column, row);
        p[0] = 0xFF;
        p[1] = UInt8(column);
        p[2] = UInt8(row);
        p[3] = 0;
      }
  }
};

TEST(GWorld, DepthsSizesAndPaddedRows) {
  struct Case {
    SInt16 depth;
    int width, height;
    OSErr result;
    SInt16 pixelSize;
  } cases[] = {
      {32, 5, 3, noErr, 32}, {24, 5, 3, noErr, 32}, {8, 5, 3, noErr, 8},
      {16, 5, 3, cDepthErr, 0}, {32, 0, 3, paramErr, 0}, {32, 5, -1, paramErr, 0},
      {32, 32767, 32767, paramErr, 0},
  };
  for (const Case& c : cases) {
    GWorldPtr world = reinterpret_cast<GWorldPtr>(1);
    Rect bounds = MakeRect(0, 0, SInt16(c.width), SInt16(c.height));
    EXPECT_EQ(NewGWorld(&world, c.depth, &bounds), c.result) << c.depth << " " << c.width;
    if (c.result != noErr) {
      EXPECT_EQ(world, nullptr);
      continue;
    }
    PixMapPtr map = GetGWorldPixMap(world);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->pixelSize, c.pixelSize);
    SInt32 rowBytes = GetPixRowBytes(map);
    EXPECT_EQ(rowBytes % 16, 0);
    EXPECT_GE(rowBytes, c.width * c.pixelSize / 8);
    std::vector<UInt8> zeros(size_t(rowBytes) * size_t(c.height), 0);
    EXPECT_EQ(std::memcmp(GetPixBaseAddr(map), zeros.data(), zeros.size()), 0);
    DisposeGWorld(world);
  }
}

TEST(GWorld, PortsWithoutPixelsAndTheCurrentPort) {
  CGrafPtr screen = nullptr;
  GetGWorld(&screen);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetGWorldPixMap(screen), nullptr);

  CGrafPtr port = CreateNewPort();
  EXPECT_EQ(GetGWorldPixMap(port), nullptr);
  SetGWorld(port);
  TextSize(24);
  SInt16 size = 0;
  GetPortTextState(port, nullptr, &size, nullptr);
  EXPECT_EQ(size, 24);
  // Disposing the current port makes the screen current again.
  DisposePort(port);
  CGrafPtr current = nullptr;
  GetGWorld(&current);
  EXPECT_EQ(current, screen);
  SetGWorld(nullptr);
  GetGWorld(&current);
  EXPECT_EQ(current, screen);
}

TEST(GWorld, SetCPixelUsesPortCoordinatesAndClips) {
  World world(4, 3, 32, 10, 20);
  World grey(2, 2, 8);
  CGrafPtr saved;
  GetGWorld(&saved);
  SetGWorld(world.world);
  RGBColor color{0x1234, 0x5678, 0x9ABC};
  SetCPixel(10, 20, &color);
  SetCPixel(13, 22, &color);
  SetCPixel(9, 20, &color);   // left of the port
  SetCPixel(14, 22, &color);  // right of it
  SetCPixel(10, 23, &color);  // below it
  const UInt8 expected[4] = {0xFF, 0x12, 0x56, 0x9A};
  EXPECT_EQ(std::memcmp(world.pixel(0, 0), expected, 4), 0);
  EXPECT_EQ(std::memcmp(world.pixel(3, 2), expected, 4), 0);
  int touched = 0;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 4; ++column) touched += world.pixel(column, row)[0] != 0;
  EXPECT_EQ(touched, 2);

  SetGWorld(grey.world);
  RGBColor white{0xFFFF, 0xFFFF, 0xFFFF};
  SetCPixel(1, 1, &white);
  EXPECT_EQ(*grey.pixel(1, 1), 0xFF);
  EXPECT_EQ(*grey.pixel(0, 0), 0);
  SetGWorld(saved);
}

TEST(GWorld, ClassicAndRgbColours) {
  World world(1, 1);
  CGrafPtr saved;
  GetGWorld(&saved);
  SetGWorld(world.world);
  ForeColor(whiteColor);
  BackColor(blackColor);
  RGBColor fore, back;
  GetForeColor(&fore);
  GetBackColor(&back);
  EXPECT_EQ(fore.red, 0xFFFF);
  EXPECT_EQ(back.blue, 0);
  ForeColor(12345);  // not a supported constant: unchanged
  GetForeColor(&fore);
  EXPECT_EQ(fore.green, 0xFFFF);
  SetGWorld(saved);
}

TEST(GWorld, CopyBitsScalesToTheNearestPixel) {
  World source(2, 1);
  source.FillWithPositions();
  World destination(4, 2);
  Rect from = MakeRect(0, 0, 2, 1), to = MakeRect(0, 0, 4, 2);
  ASSERT_EQ(CopyBits(source.map(), destination.map(), &from, &to, srcCopy, nullptr), noErr);
  const int expectedColumn[4] = {0, 0, 1, 1};
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 4; ++column) {
      EXPECT_EQ(destination.pixel(column, row)[0], 0xFF);
      EXPECT_EQ(destination.pixel(column, row)[1], expectedColumn[column]);
      EXPECT_EQ(destination.pixel(column, row)[2], 0);
    }

  // Halving picks every second pixel.
  World wide(4, 4);
  wide.FillWithPositions();
  World half(2, 2);
  from = MakeRect(0, 0, 4, 4);
  to = MakeRect(0, 0, 2, 2);
  ASSERT_EQ(CopyBits(wide.map(), half.map(), &from, &to, srcCopy, nullptr), noErr);
  EXPECT_EQ(half.pixel(1, 1)[1], 2);
  EXPECT_EQ(half.pixel(1, 1)[2], 2);
}

TEST(GWorld, CopyBitsClipsToBothMaps) {
  World source(3, 3);
  source.FillWithPositions();
  World destination(3, 3);
  // Shifted one pixel up and left: the first row and column fall outside.
  Rect from = MakeRect(0, 0, 3, 3), to = MakeRect(-1, -1, 2, 2);
  ASSERT_EQ(CopyBits(source.map(), destination.map(), &from, &to, srcCopy, nullptr), noErr);
  EXPECT_EQ(destination.pixel(0, 0)[1], 1);
  EXPECT_EQ(destination.pixel(0, 0)[2], 1);
  EXPECT_EQ(destination.pixel(1, 1)[1], 2);
  EXPECT_EQ(destination.pixel(2, 2)[0], 0);  // beyond the copied area
  // A source rectangle reaching past the source's pixels copies only real pixels.
  World other(3, 3);
  from = MakeRect(1, 1, 4, 4);
  to = MakeRect(0, 0, 3, 3);
  ASSERT_EQ(CopyBits(source.map(), other.map(), &from, &to, srcCopy, nullptr), noErr);
  EXPECT_EQ(other.pixel(1, 1)[1], 2);
  EXPECT_EQ(other.pixel(2, 2)[0], 0);
}

TEST(GWorld, CopyBitsWithinOneWorldAndRefusals) {
  World world(4, 1);
  world.FillWithPositions();
  Rect from = MakeRect(0, 0, 3, 1), to = MakeRect(1, 0, 4, 1);
  ASSERT_EQ(CopyBits(world.map(), world.map(), &from, &to, srcCopy, nullptr), noErr);
  const int expected[4] = {0, 0, 1, 2};
  for (int column = 0; column < 4; ++column) EXPECT_EQ(world.pixel(column, 0)[1], expected[column]);

  World grey(4, 1, 8);
  Rect all = MakeRect(0, 0, 4, 1);
  EXPECT_EQ(CopyBits(world.map(), grey.map(), &all, &all, srcCopy, nullptr), cDepthErr);
  EXPECT_EQ(CopyBits(world.map(), world.map(), &all, &all, 1, nullptr), paramErr);
  int region = 0;
  EXPECT_EQ(CopyBits(world.map(), world.map(), &all, &all, srcCopy, &region), paramErr);
  EXPECT_EQ(CopyBits(nullptr, world.map(), &all, &all, srcCopy, nullptr), paramErr);
}

}  // namespace
