#include "foundation/gradient_fill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A buffer of 32-bit pixels with padded rows.
struct Canvas {
  int width, height;
  s32 rowBytes;
  std::vector<u8> bytes;
  Canvas(int w, int h) : width(w), height(h), rowBytes(w * 4 + 8), bytes(size_t(rowBytes) * h, 0) {}
  const u8* at(int x, int y) const { return bytes.data() + size_t(y) * rowBytes + size_t(x) * 4; }
  int red(int x, int y) const { return at(x, y)[1]; }
};

std::vector<float> Positions(const CGradient& gradient) {
  std::vector<float> positions;
  for (size_t i = 0; i < gradient.GetStopCount(); ++i) positions.push_back(gradient.GetStop(i)->position);
  return positions;
}

TEST(Gradient, StopsStaySortedAndClamped) {
  CGradient gradient;
  ASSERT_EQ(gradient.GetStopCount(), 2u);
  EXPECT_EQ(gradient.GetStop(0)->color, 0x000000u);
  EXPECT_EQ(gradient.GetStop(1)->color, 0xFFFFFFu);
  EXPECT_FALSE(gradient.IsLinear());

  CGradientStop* middle = gradient.SetStop(0.5f, 0x0000FF);
  EXPECT_EQ(gradient.SetStop(0.5f, 0x00FF00), middle);  // recoloured, not added
  EXPECT_EQ(middle->color, 0x00FF00u);
  gradient.SetStop(0.25f, 0x111111);
  EXPECT_EQ(Positions(gradient), (std::vector<float>{0.0f, 0.25f, 0.5f, 1.0f}));

  // Positions outside 0..1 land on the ends.
  EXPECT_EQ(gradient.SetStop(1.5f, 0x222222)->position, 1.0f);
  EXPECT_EQ(gradient.GetStop(3)->color, 0x222222u);
  EXPECT_EQ(gradient.SetStop(-3.0f, 0x333333)->position, 0.0f);
  EXPECT_EQ(gradient.InsertStopAt(NAN)->position, 0.0f);
  EXPECT_EQ(gradient.InsertStopAt(7.0f)->position, 1.0f);
}

TEST(Gradient, InsertedStopsTakeTheRampsColour) {
  CGradient gradient;
  EXPECT_EQ(gradient.InsertStopAt(0.5f)->color, 0x7F7F7Fu);
  gradient.SetColors(0x0000FF, 0x00FF00);  // red to green
  struct Case {
    float position;
    u32 color;
  } cases[] = {
      {0.0f, 0x0000FF}, {1.0f, 0x00FF00}, {0.25f, 0x003FC0}, {0.75f, 0x00BF40},
  };
  for (const Case& c : cases) {
    CGradient copy;
    copy.Assign(gradient);
    EXPECT_EQ(copy.InsertStopAt(c.position)->color, c.color) << c.position;
  }
  gradient.SetColors(0x123456, 0x123456);
  EXPECT_EQ(gradient.InsertStopAt(0.3f)->color, 0x123456u);
}

TEST(Gradient, RemoveKeepsAtLeastTwoStops) {
  CGradient gradient;
  CGradientStop* first = gradient.GetStop(0);
  EXPECT_EQ(gradient.RemoveStop(gradient.GetStop(1)), first);
  EXPECT_EQ(gradient.GetStopCount(), 2u);

  CGradientStop* a = gradient.SetStop(0.3f, 1);
  CGradientStop* b = gradient.SetStop(0.6f, 2);
  EXPECT_EQ(gradient.RemoveStop(b), a);  // the stop before it
  EXPECT_EQ(gradient.GetStopCount(), 3u);
  CGradientStop stranger;
  EXPECT_EQ(gradient.RemoveStop(&stranger), gradient.GetStop(0));
  EXPECT_EQ(gradient.GetStopCount(), 3u);
  CGradientStop* second = gradient.GetStop(1);
  EXPECT_EQ(gradient.RemoveStop(gradient.GetStop(0)), second);  // the first is gone: the new first
  EXPECT_EQ(gradient.GetStopCount(), 2u);
}

TEST(Gradient, AssignCopiesStopsAndTheLinearFlag) {
  CGradient source;
  source.SetLinear(true);
  source.SetStop(0.4f, 0xABCDEF);
  CGradient copy;
  copy.Assign(source);
  EXPECT_TRUE(copy.IsLinear());
  ASSERT_EQ(copy.GetStopCount(), 3u);
  EXPECT_NE(copy.GetStop(1), source.GetStop(1));
  EXPECT_EQ(copy.GetStop(1)->color, 0xABCDEFu);
  copy.Assign(copy);
  EXPECT_EQ(copy.GetStopCount(), 3u);
}

TEST(Gradient, RampFillsEachStepAndBothEnds) {
  CGradient gradient;
  gradient.SetColors(0x000000, 0x000004);  // red 0 to 4: four steps
  EXPECT_EQ(gradient.BuildRamp(8), (std::vector<u32>{0, 0, 1, 1, 2, 2, 3, 3}));
  // The first stop's colour before it and the last stop's after it.
  gradient.ClearStops();
  gradient.SetStop(0.25f, 0x10);
  gradient.SetStop(0.5f, 0x10);
  gradient.SetStop(0.75f, 0x20);
  // Sixteen steps over two entries: each entry shows the last step that starts in it.
  std::vector<u32> ramp = gradient.BuildRamp(8);
  EXPECT_EQ(ramp, (std::vector<u32>{0x10, 0x10, 0x10, 0x10, 0x13, 0x1B, 0x20, 0x20}));
  EXPECT_TRUE(gradient.BuildRamp(0).empty());
  EXPECT_TRUE(gradient.BuildRamp(-4).empty());
  gradient.ClearStops();
  EXPECT_TRUE(gradient.BuildRamp(8).empty());
}

TEST(Gradient, RadialFillRunsFromTheCentre) {
  CGradient gradient;
  Canvas canvas(100, 100);
  gradient.FillBuffer(canvas.bytes.data(), canvas.rowBytes, MakeRect(0, 0, 100, 100), false);
  EXPECT_EQ(canvas.at(50, 50)[0], 0xFF);
  EXPECT_EQ(canvas.red(50, 50), 0);
  for (int x = 0; x < 100; ++x)
    for (int y = 0; y < 100; ++y) {
      float d = std::sqrt(float((50 - x) * (50 - x) + (50 - y) * (50 - y)));
      if (int(std::floor(d + 0.5f)) >= 49) {  // d is a distance, never negative
        EXPECT_EQ(canvas.red(x, y), 255) << x << "," << y;
      }
    }
  // Brightness grows with the distance.
  EXPECT_LT(canvas.red(55, 50), canvas.red(70, 50));
  EXPECT_LT(canvas.red(50, 40), canvas.red(50, 20));
  EXPECT_EQ(canvas.red(60, 50), canvas.red(50, 60));
  // Nothing outside the rectangle is touched: the row padding stays zero.
  EXPECT_EQ(canvas.bytes[400], 0);
}

TEST(Gradient, LinearFillRunsFromLeftToRight) {
  CGradient gradient;
  gradient.SetColors(0x0000FF, 0xFF0000);  // red to blue
  gradient.SetLinear(true);
  Canvas canvas(64, 8);
  gradient.FillBuffer(canvas.bytes.data(), canvas.rowBytes, MakeRect(0, 0, 64, 8), false);
  for (int y = 0; y < 8; ++y) {
    EXPECT_GE(canvas.red(0, y), 250);
    EXPECT_LE(canvas.at(0, y)[3], 5);
    EXPECT_GT(canvas.at(63, y)[3], 240);
    EXPECT_LT(canvas.red(63, y), 15);
    for (int x = 1; x < 64; ++x) EXPECT_LE(canvas.red(x, y), canvas.red(x - 1, y));
    EXPECT_EQ(canvas.red(30, y), canvas.red(30, 0));  // the same in every row
  }
  // A radial gradient forced to be linear draws the same.
  CGradient radial;
  radial.Assign(gradient);
  radial.SetLinear(false);
  Canvas forced(64, 8);
  radial.FillBuffer(forced.bytes.data(), forced.rowBytes, MakeRect(0, 0, 64, 8), true);
  EXPECT_EQ(forced.bytes, canvas.bytes);
}

TEST(Gradient, AngleTurnsTheLinearRamp) {
  CGradient gradient;
  Canvas canvas(32, 32);
  // 90 degrees: the ramp runs along the other axis; each row has one colour.
  gradient.RenderLinear(canvas.bytes.data(), canvas.rowBytes, MakeRect(0, 0, 32, 32), 90.0f, 1.0f,
                        0, 0);
  for (int y = 0; y < 32; ++y)
    for (int x = 1; x < 32; ++x) EXPECT_EQ(canvas.red(x, y), canvas.red(0, y)) << x << "," << y;
  int changes = 0;
  for (int y = 1; y < 32; ++y) changes += canvas.red(0, y) != canvas.red(0, y - 1);
  EXPECT_GT(changes, 20);
}

TEST(Gradient, EmptyRampsDrawNothing) {
  CGradient gradient;
  Canvas canvas(16, 16);
  gradient.RenderRadial(canvas.bytes.data(), canvas.rowBytes, MakeRect(0, 0, 16, 16), 8, 8, 0.0f);
  gradient.RenderLinear(canvas.bytes.data(), canvas.rowBytes, MakeRect(0, 0, 16, 16), 0, -1.0f, 0, 0);
  gradient.FillBuffer(canvas.bytes.data(), canvas.rowBytes, MakeRect(8, 0, 8, 16), false);
  gradient.FillBuffer(canvas.bytes.data(), canvas.rowBytes, MakeRect(0, 0, 1, 16), false);  // 0 entries
  for (u8 byte : canvas.bytes) ASSERT_EQ(byte, 0);
}

TEST(Gradient, FillGWorldStaysInsideTheWorld) {
  GWorldPtr world = nullptr;
  Rect bounds = MakeRect(0, 0, 20, 10);
  ASSERT_EQ(NewGWorld(&world, 32, &bounds), noErr);
  CGradient gradient;
  gradient.SetColors(0x0000FF, 0x0000FF);
  // Reaches past every edge of the world.
  ASSERT_TRUE(gradient.FillGWorld(world, MakeRect(-30, -30, 50, 40), true));
  PixMapPtr map = GetGWorldPixMap(world);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const u8* p = GetPixBaseAddr(map) + long(y) * GetPixRowBytes(map) + long(x) * 4;
      EXPECT_EQ(p[0], 0xFF);
      EXPECT_EQ(p[1], 0xFF);
    }
  DisposeGWorld(world);
  GWorldPtr grey = nullptr;
  ASSERT_EQ(NewGWorld(&grey, 8, &bounds), noErr);
  EXPECT_FALSE(gradient.FillGWorld(grey, bounds, false));
  DisposeGWorld(grey);
  EXPECT_FALSE(gradient.FillGWorld(nullptr, bounds, false));
}

}  // namespace
