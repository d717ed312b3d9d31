#include "foundation/bitmap_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<u8> PixelsOf(const CBitmapImage& image) {
  return std::vector<u8>(image.GetPixels(), image.GetPixels() + image.GetByteSize());
}

TEST(BitmapImage, CreateCopiesAdoptsOrAllocates) {
  u8 source[6] = {1, 2, 3, 4, 5, 6};
  CBitmapImage copied;
  ASSERT_TRUE(copied.Create(2, 1, 24, source, true));
  EXPECT_NE(copied.GetPixels(), source);
  EXPECT_EQ(PixelsOf(copied), (std::vector<u8>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(copied.GetByteSize(), 6u);

  u8* owned = new u8[8]{9, 9, 9, 9, 8, 8, 8, 8};
  CBitmapImage adopted;
  ASSERT_TRUE(adopted.Create(1, 2, 32, owned, false));
  EXPECT_EQ(adopted.GetPixels(), owned);
  EXPECT_EQ(adopted.GetByteSize(), 8u);

  CBitmapImage fresh;
  ASSERT_TRUE(fresh.CopyFrom(adopted));
  EXPECT_EQ(PixelsOf(fresh), PixelsOf(adopted));
  EXPECT_NE(fresh.GetPixels(), adopted.GetPixels());
  EXPECT_EQ(fresh.GetBitsPerPixel(), 32);

  fresh.Free();
  EXPECT_EQ(fresh.GetPixels(), nullptr);
  EXPECT_EQ(fresh.GetByteSize(), 0u);
  EXPECT_FALSE(fresh.CopyFrom(CBitmapImage()));
}

TEST(BitmapImage, SizesOutOfRangeAreRefused) {
  struct Case {
    u32 width, height;
    u16 bits;
  } cases[] = {
      {0, 5, 24}, {5, 0, 24}, {5, 5, 0}, {5, 5, 12}, {5, 5, 40},
      {kMaxBitmapSide + 1, 1, 24},
      {30000, 30000, 32},          // over the byte limit
      {0xFFFFFFFFu, 0xFFFFFFFFu, 32},  // would overflow
  };
  for (const Case& c : cases) {
    CBitmapImage image;
    ASSERT_TRUE(image.Create(2, 2, 24, nullptr, false));
    EXPECT_FALSE(image.Create(c.width, c.height, c.bits, nullptr, false))
        << c.width << "x" << c.height << "x" << c.bits;
    EXPECT_EQ(image.GetPixels(), nullptr);
    EXPECT_EQ(image.GetWidth(), 0u);
  }
  EXPECT_EQ(BitmapBufferSize(100, 100, 3), 30000u);
  EXPECT_EQ(BitmapBufferSize(1u << 20, 1u << 20, 4), 0u);
}

}  // namespace
