#include <gtest/gtest.h>

#include <vector>

#include "foundation/bitmap_image.h"

namespace {

std::vector<u8> PixelsOf(const CBitmapImage& image) {
  return std::vector<u8>(image.GetPixels(),
                         image.GetPixels() + size_t(image.GetWidth()) * image.GetHeight() *
                                                 image.GetBytesPerPixel());
}

// A bitmap whose pixel (x, y) holds x, y, 100 + x + 10 y (and 200 as alpha).
CBitmapImage* Numbered(u32 width, u32 height, u16 bits) {
  auto* image = new CBitmapImage;
  EXPECT_TRUE(image->Create(width, height, bits, nullptr, false));
  const u32 bytes = bits / 8;
  for (u32 y = 0; y < height; ++y)
    for (u32 x = 0; x < width; ++x) {
      u8* p = image->GetPixels() + (size_t(y) * width + x) * bytes;
      p[0] = u8(x);
      p[1] = u8(y);
      p[2] = u8(100 + x + 10 * y);
      if (bytes == 4) p[3] = 200;
    }
  return image;
}

struct World {
  GWorldPtr world = nullptr;
  World(int width, int height, SInt16 depth = 32) {
    Rect bounds = MakeRect(0, 0, SInt16(width), SInt16(height));
    EXPECT_EQ(NewGWorld(&world, depth, &bounds), noErr);
  }
  ~World() { DisposeGWorld(world); }
  const u8* pixel(int x, int y) const {
    PixMapPtr map = GetGWorldPixMap(world);
    return GetPixBaseAddr(map) + size_t(y) * size_t(GetPixRowBytes(map)) + size_t(x) * 4;
  }
};

TEST(BitmapTransforms, DrawToGWorldPlacesOpaquePixels) {
  u8 rgb[6] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
  CBitmapImage image;
  ASSERT_TRUE(image.Create(2, 1, 24, rgb, true));
  World world(4, 4);
  ASSERT_TRUE(image.DrawToGWorld(world.world, 0, 0));
  EXPECT_EQ(std::vector<u8>(world.pixel(0, 0), world.pixel(0, 0) + 8),
            (std::vector<u8>{0xFF, 0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60}));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      if (y > 0 || x > 1) {
        EXPECT_EQ(world.pixel(x, y)[0], 0) << x << "," << y;
      }

  // A 32-bit pixel R, G, B, A becomes A, R, G, B.
  u8 rgba[4] = {1, 2, 3, 4};
  ASSERT_TRUE(image.Create(1, 1, 32, rgba, true));
  ASSERT_TRUE(image.DrawToGWorld(world.world, 3, 3));
  EXPECT_EQ(std::vector<u8>(world.pixel(3, 3), world.pixel(3, 3) + 4),
            (std::vector<u8>{4, 1, 2, 3}));
}

TEST(BitmapTransforms, DrawToGWorldClipsAtEveryEdge) {
  std::unique_ptr<CBitmapImage> image(Numbered(3, 3, 24));
  struct Case {
    int x, y;
  } cases[] = {{-1, -1}, {2, 2}, {-2, 1}, {1, -2}, {3, 0}, {-3, 0}, {0, 5}, {-100, -100}, {1, 1}};
  for (const Case& c : cases) {
    World world(4, 4);
    ASSERT_TRUE(image->DrawToGWorld(world.world, c.x, c.y)) << c.x << "," << c.y;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        int sx = x - c.x, sy = y - c.y;
        const u8* p = world.pixel(x, y);
        if (sx >= 0 && sx < 3 && sy >= 0 && sy < 3) {
          EXPECT_EQ(p[0], 0xFF);
          EXPECT_EQ(p[1], sx);
          EXPECT_EQ(p[2], sy);
        } else {
          EXPECT_EQ(p[0], 0) << c.x << "," << c.y << " at " << x << "," << y;
        }
      }
  }
  // A bitmap larger than the port copies the part that fits.
  std::unique_ptr<CBitmapImage> large(Numbered(10, 10, 32));
  World small(2, 2);
  ASSERT_TRUE(large->DrawToGWorld(small.world, 0, 0));
  EXPECT_EQ(small.pixel(1, 1)[0], 200);
  EXPECT_EQ(small.pixel(1, 1)[1], 1);

  World grey(2, 2, 8);
  EXPECT_FALSE(large->DrawToGWorld(grey.world, 0, 0));
  EXPECT_FALSE(large->DrawToGWorld(nullptr, 0, 0));
}

TEST(BitmapTransforms, CopyFromGWorldMakesA24BitCopy) {
  std::unique_ptr<CBitmapImage> image(Numbered(3, 2, 32));
  World world(3, 2);
  ASSERT_TRUE(image->DrawToGWorld(world.world, 0, 0));
  CBitmapImage copy;
  ASSERT_TRUE(copy.CopyFromGWorld(world.world));
  EXPECT_EQ(copy.GetBitsPerPixel(), 24);
  EXPECT_EQ(copy.GetByteSize(), 18u);
  std::unique_ptr<CBitmapImage> expected(Numbered(3, 2, 24));
  EXPECT_EQ(PixelsOf(copy), PixelsOf(*expected));

  CGrafPtr port = CreateNewPort();
  EXPECT_FALSE(copy.CopyFromGWorld(port));
  DisposePort(port);
  World grey(2, 2, 8);
  EXPECT_FALSE(copy.CopyFromGWorld(grey.world));
}

TEST(BitmapTransforms, CopyPortBitsScalesBetweenPorts) {
  std::unique_ptr<CBitmapImage> image(Numbered(2, 2, 24));
  World source(2, 2), destination(4, 4);
  ASSERT_TRUE(image->DrawToGWorld(source.world, 0, 0));
  ASSERT_EQ(CBitmapImage::CopyPortBits(source.world, MakeRect(0, 0, 2, 2), destination.world,
                                       MakeRect(0, 0, 4, 4)),
            noErr);
  EXPECT_EQ(destination.pixel(3, 3)[1], 1);
  EXPECT_EQ(destination.pixel(3, 3)[2], 1);
  EXPECT_EQ(destination.pixel(1, 1)[1], 0);
}

TEST(BitmapTransforms, QuarterTurnsMoveEveryPixel) {
  struct Case {
    int degrees;
    int turns;
  } cases[] = {{90, 1}, {-270, 1}, {180, 2}, {-180, 2}, {270, 3}, {-90, 3}, {0, 0}};
  for (u16 bits : {24, 32}) {
    for (const Case& c : cases) {
      std::unique_ptr<CBitmapImage> image(Numbered(3, 2, bits));
      ASSERT_TRUE(image->RotateQuarterTurns(c.degrees)) << c.degrees;
      bool odd = c.turns % 2 == 1;
      ASSERT_EQ(image->GetWidth(), odd ? 2u : 3u);
      ASSERT_EQ(image->GetHeight(), odd ? 3u : 2u);
      const u32 w = image->GetWidth(), h = image->GetHeight(), bytes = bits / 8;
      for (u32 y = 0; y < 2; ++y)
        for (u32 x = 0; x < 3; ++x) {
          u32 nx = x, ny = y;
          if (c.turns == 1) nx = w - 1 - y, ny = x;
          if (c.turns == 2) nx = 2 - x, ny = 1 - y;
          if (c.turns == 3) nx = y, ny = h - 1 - x;
          const u8* p = image->GetPixels() + (size_t(ny) * w + nx) * bytes;
          EXPECT_EQ(p[0], x) << c.degrees;
          EXPECT_EQ(p[1], y) << c.degrees;
        }
    }
  }
  // Clockwise: the new top-right pixel is the old top-left.
  std::unique_ptr<CBitmapImage> image(Numbered(3, 2, 24));
  ASSERT_TRUE(image->RotateQuarterTurns(90));
  EXPECT_EQ(image->GetPixels()[3], 0);
  EXPECT_EQ(image->GetPixels()[4], 0);
  EXPECT_EQ(image->GetPixels()[5], 100);

  // Other angles change nothing.
  std::unique_ptr<CBitmapImage> kept(Numbered(3, 2, 24));
  std::vector<u8> before = PixelsOf(*kept);
  EXPECT_FALSE(kept->RotateQuarterTurns(45));
  EXPECT_EQ(kept->GetWidth(), 3u);
  EXPECT_EQ(PixelsOf(*kept), before);
}

TEST(BitmapTransforms, FreeRotationClearsWhatNoPixelReaches) {
  // An opaque 9 x 9 square turned by 45 degrees leaves its corners empty.
  CBitmapImage image;
  ASSERT_TRUE(image.Create(9, 9, 32, nullptr, false));
  std::fill(image.GetPixels(), image.GetPixels() + image.GetByteSize(), 0xFF);
  image.GetPixels()[size_t(4 * 9 + 4) * 4] = 7;  // the centre pixel
  ASSERT_TRUE(image.Rotate(45));
  EXPECT_EQ(image.GetWidth(), 9u);
  for (int corner : {0, 8, 72, 80})
    EXPECT_EQ(std::vector<u8>(image.GetPixels() + size_t(corner) * 4,
                              image.GetPixels() + size_t(corner) * 4 + 4),
              (std::vector<u8>{0, 0, 0, 0}));
  EXPECT_EQ(image.GetPixels()[size_t(4 * 9 + 4) * 4], 7);

  // Turns by multiples of 90 degrees move every pixel as the quarter turns
  // do, for even and odd sides alike.
  for (int degrees : {0, 90, 180, 270, -90}) {
    for (u32 width : {4u, 5u}) {
      std::unique_ptr<CBitmapImage> turned(Numbered(width, 3, 24));
      std::unique_ptr<CBitmapImage> expected(Numbered(width, 3, 24));
      ASSERT_TRUE(turned->Rotate(degrees));
      ASSERT_TRUE(expected->RotateQuarterTurns(degrees));
      EXPECT_EQ(turned->GetWidth(), expected->GetWidth());
      EXPECT_EQ(PixelsOf(*turned), PixelsOf(*expected)) << degrees << " " << width;
    }
  }
}

TEST(BitmapTransforms, FlipAndMirror) {
  for (u16 bits : {24, 32}) {
    std::unique_ptr<CBitmapImage> image(Numbered(3, 3, bits));
    const u32 bytes = bits / 8;
    image->FlipTopToBottom();
    EXPECT_EQ(image->GetPixels()[1], 2);                   // top row was the bottom one
    EXPECT_EQ(image->GetPixels()[(1 * 3) * bytes + 1], 1);  // the middle row stays
    image->MirrorLeftToRight();
    EXPECT_EQ(image->GetPixels()[0], 2);
    EXPECT_EQ(image->GetPixels()[bytes], 1);
    image->MirrorLeftToRight();
    image->FlipTopToBottom();
    std::unique_ptr<CBitmapImage> original(Numbered(3, 3, bits));
    EXPECT_EQ(PixelsOf(*image), PixelsOf(*original));
  }
}

// A grey row of 24-bit pixels.
CBitmapImage* GreyRow(const std::vector<u8>& values) {
  auto* image = new CBitmapImage;
  EXPECT_TRUE(image->Create(u32(values.size()), 1, 24, nullptr, false));
  for (size_t i = 0; i < values.size(); ++i)
    std::fill(image->GetPixels() + i * 3, image->GetPixels() + i * 3 + 3, values[i]);
  return image;
}

TEST(BitmapTransforms, ScaleUsesTriangleWeights) {
  struct Case {
    std::vector<u8> in;
    u32 width;
    std::vector<u8> out;
  } cases[] = {
      // Halving: output 0 weighs inputs 0 and 1 as 2:1; output 1 inputs 1..3 as 1:2:1.
      {{0, 60, 120, 180}, 2, {20, 120}},
      // Doubling: every second output lies between two inputs.
      {{0, 100}, 4, {0, 50, 100, 100}},
      {{10, 20, 30}, 3, {10, 20, 30}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CBitmapImage> image(GreyRow(c.in));
    ASSERT_TRUE(image->Scale(c.width, 1));
    ASSERT_EQ(image->GetWidth(), c.width);
    ASSERT_EQ(image->GetByteSize(), c.width * 3);
    for (u32 i = 0; i < c.width; ++i) {
      EXPECT_EQ(image->GetPixels()[size_t(i) * 3], c.out[i]) << i;
      EXPECT_EQ(image->GetPixels()[size_t(i) * 3 + 2], c.out[i]) << i;
    }
  }
  // Columns are resampled like rows; 32-bit pixels keep four channels.
  std::unique_ptr<CBitmapImage> tall(Numbered(1, 4, 32));
  ASSERT_TRUE(tall->Scale(1, 2));
  EXPECT_EQ(tall->GetBitsPerPixel(), 32);
  EXPECT_EQ(tall->GetPixels()[1], 0);  // y: 0, 1 weighted 2:1 -> 0.33
  EXPECT_EQ(tall->GetPixels()[5], 2);  // y: 1, 2, 3 weighted 1:2:1 -> 2
  EXPECT_EQ(tall->GetPixels()[7], 200);
}

TEST(BitmapTransforms, ScaleRefusesEmptyAndOversizedResults) {
  std::unique_ptr<CBitmapImage> image(Numbered(4, 4, 24));
  std::vector<u8> before = PixelsOf(*image);
  EXPECT_TRUE(image->Scale(4, 4));
  EXPECT_EQ(PixelsOf(*image), before);
  struct Case {
    u32 width, height;
  } cases[] = {{0, 4}, {4, 0}, {0, 0}, {kMaxBitmapSide + 1, 4}, {30000, 30000}};
  for (const Case& c : cases) {
    EXPECT_FALSE(image->Scale(c.width, c.height)) << c.width << "x" << c.height;
    EXPECT_EQ(image->GetWidth(), 4u);
    EXPECT_EQ(PixelsOf(*image), before);
  }
  CBitmapImage empty;
  EXPECT_FALSE(empty.Scale(2, 2));
}

TEST(BitmapTransforms, ReserveGrowsOnlyWhenNeeded) {
  CBitmapImage image;
  ASSERT_TRUE(image.Create(4, 4, 24, nullptr, false));
  u8* buffer = image.GetPixels();
  ASSERT_TRUE(image.Reserve(2, 2));
  EXPECT_EQ(image.GetPixels(), buffer);
  EXPECT_EQ(image.GetByteSize(), 48u);
  EXPECT_EQ(image.GetWidth(), 2u);
  ASSERT_TRUE(image.Reserve(8, 8));
  EXPECT_EQ(image.GetByteSize(), 192u);
  EXPECT_FALSE(image.Reserve(0, 8));
}

}  // namespace
