// The file forms of the JPEG and PNG codecs.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "foundation/file_layer.h"
#include "foundation/finder_info.h"
#include "foundation/jpeg_image.h"
#include "foundation/path_name.h"
#include "foundation/png_image.h"
#include "tests/foundation/image_fixtures.h"
#include "tests/support/test_support.h"

namespace {

std::vector<u8> PixelsOf(const CBitmapImage& image) {
  return std::vector<u8>(image.GetPixels(), image.GetPixels() + image.GetByteSize());
}

TEST(ImageFiles, PngRoundTripsAt24And32Bits) {
  std::string folder = gbtest::MakeTempFolder("png-round-trip");
  for (u16 bits : {24, 32}) {
    std::vector<u8> pixels = gbtest::SmoothPixels(13, 5, bits / 8);
    CPathName path(folder + "picture" + std::to_string(bits) + ".png");
    ASSERT_TRUE(SaveRgbAsPngFile(13, 5, bits, pixels.data(), path, nullptr, 0)) << bits;
    CPngImage image;
    ASSERT_TRUE(image.LoadFile(path)) << bits;
    EXPECT_EQ(image.GetWidth(), 13u);
    EXPECT_EQ(image.GetBitsPerPixel(), bits);  // a 32-bit picture keeps its alpha, unskewed
    EXPECT_EQ(PixelsOf(image), pixels);

    // The bitmap writes itself the same way.
    CPathName again(folder + "again" + std::to_string(bits) + ".png");
    ASSERT_TRUE(image.SaveFile(again));
    CPngImage reread;
    ASSERT_TRUE(reread.LoadFile(again));
    EXPECT_EQ(PixelsOf(reread), pixels);
  }
}

TEST(ImageFiles, PalettePngsAndOffscreenWorlds) {
  std::string folder = gbtest::MakeTempFolder("png-palette");
  const u32 palette[] = {0x102030, 0xA0B0C0, 0xFFFFFF};
  const u8 indices[] = {2, 1, 0, 1};
  CPathName path(folder + "palette.png");
  ASSERT_TRUE(SaveRgbAsPngFile(2, 2, 8, indices, path, palette, 3));
  CPngImage image;
  ASSERT_TRUE(image.LoadFile(path));
  EXPECT_EQ(PixelsOf(image), (std::vector<u8>{255, 255, 255, 0xA0, 0xB0, 0xC0, 0x10, 0x20, 0x30,
                                              0xA0, 0xB0, 0xC0}));

  GWorldPtr world = nullptr;
  Rect bounds = MakeRect(0, 0, 3, 2);
  ASSERT_EQ(NewGWorld(&world, 32, &bounds), noErr);
  std::vector<u8> rgb = gbtest::SmoothPixels(3, 2, 3);
  CBitmapImage bitmap;
  ASSERT_TRUE(bitmap.Create(3, 2, 24, rgb.data(), true));
  ASSERT_TRUE(bitmap.DrawToGWorld(world, 0, 0));
  CPathName worldPath(folder + "world.png");
  ASSERT_TRUE(SaveGWorldAsPng(world, worldPath));
  DisposeGWorld(world);
  ASSERT_TRUE(image.LoadFile(worldPath));
  EXPECT_EQ(image.GetBitsPerPixel(), 24);
  EXPECT_EQ(PixelsOf(image), rgb);
  EXPECT_FALSE(SaveGWorldAsPng(nullptr, worldPath));
}

TEST(ImageFiles, JpegFilesUseTheDefaultQuality) {
  std::string folder = gbtest::MakeTempFolder("jpeg-files");
  std::vector<u8> pixels = gbtest::SmoothPixels(40, 30, 4);
  CPathName low(folder + "low.jpg"), high(folder + "high.jpg");
  CJpegImage settings;
  settings.SetQuality(10);
  ASSERT_TRUE(CJpegImage::SaveRgbAsJpegFile(40, 30, 32, pixels.data(), low));
  settings.SetQuality(100);
  ASSERT_TRUE(CJpegImage::SaveRgbAsJpegFile(40, 30, 32, pixels.data(), high));
  settings.SetQuality(80);
  EXPECT_LT(gbtest::ReadFile(folder + "low.jpg").size(), gbtest::ReadFile(folder + "high.jpg").size());

  std::unique_ptr<CBitmapImage> image(new CJpegImage);
  ASSERT_TRUE(image->Load(high));
  EXPECT_EQ(image->GetWidth(), 40u);
  EXPECT_EQ(image->GetBitsPerPixel(), 24);
  EXPECT_FALSE(CBitmapImage().Load(high));  // a plain bitmap has no file form
}

TEST(ImageFiles, FailuresLeaveFilesAlone) {
  std::string folder = gbtest::MakeTempFolder("image-failures");
  ASSERT_TRUE(gbtest::WriteFile(folder + "keep.png", "precious"));
  CPathName keep(folder + "keep.png");
  const u8 pixels[16] = {};
  const u32 palette[] = {0};
  // Bad input is refused before the file is opened.
  EXPECT_FALSE(SaveRgbAsPngFile(2, 2, 16, pixels, keep, nullptr, 0));
  EXPECT_FALSE(SaveRgbAsPngFile(0, 2, 24, pixels, keep, nullptr, 0));
  EXPECT_FALSE(SaveRgbAsPngFile(2, 2, 24, nullptr, keep, nullptr, 0));
  EXPECT_FALSE(SaveRgbAsPngFile(2, 2, 24, pixels, keep, palette, 1));
  EXPECT_FALSE(SaveRgbAsPngFile(2, 2, 8, pixels, keep, palette, 0));
  EXPECT_FALSE(CJpegImage::SaveRgbAsJpegFile(2, 2, 8, pixels, keep));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "keep.png"), "precious");
  // A folder in the way, a missing folder, a missing file, a file that is no picture.
  gbtest::MakeTempFolder("image-failures/sub.png");
  ASSERT_TRUE(gbtest::WriteFile(folder + "sub.png/inside", "kept"));
  EXPECT_FALSE(SaveRgbAsPngFile(2, 2, 24, pixels, CPathName(folder + "sub.png"), nullptr, 0));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "sub.png/inside"), "kept");
  gbtest::MakeTempFolder("image-failures/empty.png");
  EXPECT_FALSE(SaveRgbAsPngFile(2, 2, 24, pixels, CPathName(folder + "empty.png"), nullptr, 0));
  EXPECT_TRUE(CPathName(folder + "empty.png").IsFolder());
  EXPECT_FALSE(CJpegImage::SaveRgbAsJpegFile(2, 2, 24, pixels, CPathName(folder + "no/x.jpg")));
  CPngImage png;
  CJpegImage jpeg;
  EXPECT_FALSE(png.LoadFile(CPathName(folder + "missing.png")));
  EXPECT_FALSE(jpeg.LoadFile(CPathName(folder + "missing.jpg")));
  EXPECT_FALSE(png.LoadFile(keep));
  EXPECT_FALSE(jpeg.LoadFile(keep));
  EXPECT_FALSE(png.LoadFile(CPathName(folder + "sub.png")));
  // A pipe named like a picture is refused at once rather than waited on.
  ASSERT_EQ(mkfifo((folder + "pipe.png").c_str(), 0600), 0);
  EXPECT_FALSE(png.LoadFile(CPathName(folder + "pipe.png")));
  EXPECT_FALSE(jpeg.LoadFile(CPathName(folder + "pipe.png")));

  // A locked file is not replaced.
  CPathName locked(folder + "locked.png");
  CFileTypeCreator lockedRecord(FourCC("ogle"), FourCC("PNGf"));
  lockedRecord.locked = 1;
  ASSERT_TRUE(CreateFileWithTypeCreator(locked, &lockedRecord, false));
  EXPECT_FALSE(SaveRgbAsPngFile(2, 2, 24, pixels, locked, nullptr, 0));
  EXPECT_TRUE(gbtest::ReadFile(folder + "locked.png").empty());
}

}  // namespace
