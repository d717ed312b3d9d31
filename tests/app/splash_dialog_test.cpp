#include "app/splash_dialog.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "foundation/drawing.h"
#include "tests/support/ui_test_support.h"

namespace {

u32 Pixel(GWorldPtr world, int x, int y) {
  PixMapPtr pixels = GetGWorldPixMap(world);
  const u8* p = GetPixBaseAddr(pixels) + ptrdiff_t(y) * GetPixRowBytes(pixels) + ptrdiff_t(x) * 4;
  return (u32(p[1]) << 16) | (u32(p[2]) << 8) | p[3];
}

TEST(SplashPicture, TheBundlePictureCarriesTheVersionText) {
  const std::vector<u8> png = LoadBundlePicture(128);
  ASSERT_FALSE(png.empty());
  GWorldPtr plain = nullptr, drawn = nullptr;
  ASSERT_TRUE(DrawVersionPicture(png, 2, 6, 10, 20, &drawn));
  // The same picture with the text far outside it: only the text differs.
  ASSERT_TRUE(DrawVersionPicture(png, 2, 6, 10000, 20, &plain));
  Rect bounds;
  GetPortBounds(drawn, &bounds);
  EXPECT_GT(bounds.right, 100);
  int changed = 0, changedElsewhere = 0;
  for (int y = 0; y < bounds.bottom; ++y)
    for (int x = 0; x < bounds.right; ++x)
      if (Pixel(drawn, x, y) != Pixel(plain, x, y)) (y >= 5 && y <= 52 && x >= 10 ? changed : changedElsewhere)++;
  EXPECT_GT(changed, 50);  // three lines of text from (10, 20) down
  EXPECT_EQ(changedElsewhere, 0);
  DisposeOffscreenGWorld(&drawn);
  DisposeOffscreenGWorld(&plain);
}

class Splash : public gbtest::HeadlessUiTest {};

TEST_F(Splash, APictureThatIsNoPngLeavesTheWindowBlank) {
  GWorldPtr world = nullptr;
  EXPECT_FALSE(DrawVersionPicture({'G', 'I', 'F', '8', '9', 'a'}, 2, 6, 10, 20, &world));
  EXPECT_EQ(world, nullptr);
  EXPECT_FALSE(DrawVersionPicture({}, 2, 6, 10, 20, &world));

  CSplashDialog splash;
  splash.GetParameters().picturePath = "/no/such/picture.png";
  EXPECT_FALSE(splash.CreateFromNib(GetApplicationNib(), "IDD_SPLASH", nullptr, 0));
  ASSERT_NE(splash.GetWindowRef(), nullptr);
  EXPECT_EQ(splash.GetPicture(), nullptr);
  EXPECT_TRUE(splash.OnPaint());  // painting a blank splash is harmless

  CSplashDialog shown;
  ASSERT_TRUE(shown.CreateFromNib(GetApplicationNib(), "IDD_SPLASH", nullptr, 0));
  EXPECT_NE(shown.GetPicture(), nullptr);
}

}  // namespace
