#include "foundation/png_image.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <random>
#include <vector>

#include "tests/foundation/image_fixtures.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::PngSpec;

std::vector<u8> PixelsOf(const CBitmapImage& image) {
  return std::vector<u8>(image.GetPixels(), image.GetPixels() + image.GetByteSize());
}

png_color_16 Colour16(png_uint_16 red, png_uint_16 green, png_uint_16 blue, png_uint_16 gray = 0) {
  png_color_16 color{};
  color.red = red;
  color.green = green;
  color.blue = blue;
  color.gray = gray;
  return color;
}

PngSpec Rgb(uint32_t width, uint32_t height, int bytes) {
  PngSpec spec;
  spec.width = width;
  spec.height = height;
  spec.colorType = bytes == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  spec.rows = gbtest::SmoothPixels(width, height, bytes);
  return spec;
}

bool Decode(CPngImage& image, const std::vector<u8>& file) {
  return image.DecodeFromMemory(file.data(), file.size());
}

TEST(PngImage, RgbAndRgbaPicturesDecodeExactly) {
  for (int bytes : {3, 4}) {
    for (bool interlaced : {false, true}) {
      PngSpec spec = Rgb(9, 7, bytes);
      spec.interlaced = interlaced;
      CPngImage image;
      ASSERT_TRUE(Decode(image, gbtest::MakePng(spec))) << bytes << interlaced;
      EXPECT_EQ(image.GetWidth(), 9u);
      EXPECT_EQ(image.GetHeight(), 7u);
      EXPECT_EQ(image.GetBitsPerPixel(), bytes * 8);
      EXPECT_EQ(image.GetChannels(), u32(bytes));
      EXPECT_EQ(image.GetInterlaceMethod(), interlaced ? 1u : 0u);
      EXPECT_EQ(PixelsOf(image), spec.rows);
      EXPECT_EQ(image.GetBackgroundColor(), nullptr);
      if (bytes == 4) {
        ASSERT_NE(image.GetAlpha(), nullptr);
        for (size_t i = 0; i < 63; ++i) EXPECT_EQ(image.GetAlpha()[i], spec.rows[i * 4 + 3]);
      } else {
        EXPECT_EQ(image.GetAlpha(), nullptr);
      }
    }
  }
}

TEST(PngImage, PaletteGreyAndLowDepthsExpandToRgb) {
  PngSpec palette;
  palette.width = 3;
  palette.colorType = PNG_COLOR_TYPE_PALETTE;
  palette.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
  palette.rows = {2, 0, 1};

  PngSpec withAlpha = palette;
  withAlpha.paletteAlpha = {0, 128};  // the third entry stays opaque

  PngSpec grey16;
  grey16.width = 2;
  grey16.colorType = PNG_COLOR_TYPE_GRAY;
  grey16.bitDepth = 16;
  grey16.rows = {0xAB, 0xCD, 0x12, 0x34};

  PngSpec grey1;
  grey1.width = 8;
  grey1.colorType = PNG_COLOR_TYPE_GRAY;
  grey1.bitDepth = 1;
  grey1.rows = {0xA5};  // 1 0 1 0 0 1 0 1

  PngSpec greyAlpha;
  greyAlpha.width = 2;
  greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha.rows = {100, 200, 50, 0};

  PngSpec greyKey;  // grey with a transparent value
  greyKey.width = 2;
  greyKey.colorType = PNG_COLOR_TYPE_GRAY;
  greyKey.rows = {7, 9};
  greyKey.transparent = Colour16(0, 0, 0, 9);

  struct Case {
    const char* name;
    PngSpec spec;
    u16 bits;
    std::vector<u8> pixels;
  } cases[] = {
      {"palette", palette, 24, {70, 80, 90, 10, 20, 30, 40, 50, 60}},
      {"palette with tRNS", withAlpha, 32, {70, 80, 90, 255, 10, 20, 30, 0, 40, 50, 60, 128}},
      {"16-bit grey", grey16, 24, {0xAB, 0xAB, 0xAB, 0x12, 0x12, 0x12}},
      {"1-bit grey", grey1, 24, {255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0,
                                 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255}},
      {"grey with alpha", greyAlpha, 32, {100, 100, 100, 200, 50, 50, 50, 0}},
      {"grey with a transparent value", greyKey, 32, {7, 7, 7, 255, 9, 9, 9, 0}},
  };
  for (const Case& c : cases) {
    CPngImage image;
    ASSERT_TRUE(Decode(image, gbtest::MakePng(c.spec))) << c.name;
    EXPECT_EQ(image.GetBitsPerPixel(), c.bits) << c.name;
    EXPECT_EQ(PixelsOf(image), c.pixels) << c.name;
    EXPECT_EQ(image.GetAlpha() != nullptr, c.bits == 32) << c.name;
    if (c.bits != 32) continue;
    for (size_t i = 0; i < c.pixels.size() / 4; ++i)
      EXPECT_EQ(image.GetAlpha()[i], c.pixels[i * 4 + 3]) << c.name;
  }
}

TEST(PngImage, BackgroundColourIsKeptAndAlphaCompositedOntoIt) {
  // Half-transparent red over a blue background.
  PngSpec rgba;
  rgba.width = 2;
  rgba.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  rgba.rows = {255, 0, 0, 255, 255, 0, 0, 0};
  rgba.background = Colour16(0, 0, 255);
  CPngImage image;
  ASSERT_TRUE(Decode(image, gbtest::MakePng(rgba)));
  ASSERT_NE(image.GetBackgroundColor(), nullptr);
  EXPECT_EQ(std::vector<u8>(image.GetBackgroundColor(), image.GetBackgroundColor() + 3),
            (std::vector<u8>{0, 0, 255}));
  EXPECT_EQ(image.GetBitsPerPixel(), 24);
  EXPECT_EQ(image.GetAlpha(), nullptr);
  EXPECT_EQ(PixelsOf(image), (std::vector<u8>{255, 0, 0, 0, 0, 255}));

  // The background of a 16-bit grey picture in 8-bit terms.
  PngSpec grey16;
  grey16.colorType = PNG_COLOR_TYPE_GRAY;
  grey16.bitDepth = 16;
  grey16.rows = {0x80, 0x00};
  grey16.background = Colour16(0, 0, 0, 0xABCD);
  ASSERT_TRUE(Decode(image, gbtest::MakePng(grey16)));
  ASSERT_NE(image.GetBackgroundColor(), nullptr);
  EXPECT_EQ(std::vector<u8>(image.GetBackgroundColor(), image.GetBackgroundColor() + 3),
            (std::vector<u8>{0xAB, 0xAB, 0xAB}));

  // A palette picture's background is a palette entry.
  PngSpec palette;
  palette.colorType = PNG_COLOR_TYPE_PALETTE;
  palette.palette = {{1, 2, 3}, {4, 5, 6}};
  palette.rows = {0};
  png_color_16 index{};
  index.index = 1;
  palette.background = index;
  ASSERT_TRUE(Decode(image, gbtest::MakePng(palette)));
  ASSERT_NE(image.GetBackgroundColor(), nullptr);
  EXPECT_EQ(image.GetBackgroundColor()[2], 6);

  // A later picture without one clears it.
  ASSERT_TRUE(Decode(image, gbtest::MakePng(Rgb(2, 2, 3))));
  EXPECT_EQ(image.GetBackgroundColor(), nullptr);
}

TEST(PngImage, GammaOfTheFileIsApplied) {
  PngSpec spec;
  spec.colorType = PNG_COLOR_TYPE_GRAY;
  spec.rows = {128};
  spec.gamma = 1.0 / 2.2;  // matches the screen: unchanged
  CPngImage image;
  ASSERT_TRUE(Decode(image, gbtest::MakePng(spec)));
  EXPECT_NEAR(image.GetPixels()[0], 128, 1);
  spec.gamma = 1.0;  // linear data on a 2.2 screen gets brighter
  ASSERT_TRUE(Decode(image, gbtest::MakePng(spec)));
  EXPECT_GT(image.GetPixels()[0], 170);
}

TEST(PngImage, DamagedDataFailsAndKeepsThePicture) {
  std::vector<u8> good = gbtest::MakePng(Rgb(16, 16, 3));
  auto truncated = [&](size_t length) { return std::vector<u8>(good.begin(), good.begin() + long(length)); };
  auto patched = [&](size_t at, std::vector<u8> bytes) {
    std::vector<u8> data = good;
    std::copy(bytes.begin(), bytes.end(), data.begin() + long(at));
    return data;
  };
  // IHDR's width is at bytes 16..19 and its CRC at 29..32; a damaged header
  // with a correct CRC needs the CRC recomputed.
  auto withSize = [&](uint32_t width, uint32_t height) {
    std::vector<u8> data = good;
    for (int i = 0; i < 4; ++i) {
      data[16 + i] = u8(width >> (24 - 8 * i));
      data[20 + i] = u8(height >> (24 - 8 * i));
    }
    uint32_t crc = uint32_t(crc32(0, data.data() + 12, 17));
    for (int i = 0; i < 4; ++i) data[29 + i] = u8(crc >> (24 - 8 * i));
    return data;
  };
  std::vector<u8> noise(300);
  std::mt19937 random(5);
  for (u8& byte : noise) byte = u8(random());
  std::vector<u8> noiseAfterSignature = noise;
  std::copy(good.begin(), good.begin() + 8, noiseAfterSignature.begin());
  std::vector<u8> badData = good;
  badData[good.size() - 20] ^= 0x55;  // inside IDAT: its CRC no longer matches

  struct Case {
    const char* name;
    std::vector<u8> data;
  } cases[] = {
      {"empty", {}},
      {"signature only", truncated(8)},
      {"wrong signature", patched(1, {'Q'})},
      {"noise after the signature", noiseAfterSignature},
      {"cut in the header", truncated(20)},
      {"cut in the image data", truncated(good.size() / 2)},
      {"without the end chunk", truncated(good.size() - 12)},
      {"damaged image data", badData},
      {"zero width", withSize(0, 16)},
      {"wider than allowed", withSize(40000, 1)},
      {"huge", withSize(30000, 30000)},
  };
  CPngImage image;
  ASSERT_TRUE(Decode(image, good));
  std::vector<u8> before = PixelsOf(image);
  for (const Case& c : cases) {
    EXPECT_FALSE(Decode(image, c.data)) << c.name;
    EXPECT_EQ(PixelsOf(image), before) << c.name;
  }
  EXPECT_FALSE(image.DecodeFromMemory(nullptr, 50));
  // The length bounds the reading even when more memory follows.
  EXPECT_FALSE(image.DecodeFromMemory(good.data(), good.size() / 2));
}

// A PNG file of an RGBA frame whose image data is `rows` rows of zero
// pixels (all its passes' rows when interlaced), spread over IDAT chunks of
// 8 KB, as libpng writes them.
std::vector<u8> RgbaFile(uint32_t width, uint32_t height, bool interlaced, uint32_t rows) {
  std::vector<u8> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&file](const char* type, const std::vector<u8>& data) {
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(u8(data.size() >> shift));
    const size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    const uLong crc = crc32(0, file.data() + start, uInt(file.size() - start));
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(u8(crc >> shift));
  };
  std::vector<u8> header;
  for (uint32_t value : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) header.push_back(u8(value >> shift));
  header.insert(header.end(), {8, PNG_COLOR_TYPE_RGB_ALPHA, 0, 0, u8(interlaced ? 1 : 0)});
  chunk("IHDR", header);
  size_t raw = size_t(rows) * (1 + size_t(width) * 4);
  if (interlaced) {  // the rows the seven passes of Adam7 take from the first `rows` rows
    raw = 0;
    for (int pass = 0; pass < 7; ++pass)
      if (PNG_PASS_COLS(width, pass) && PNG_PASS_ROWS(rows, pass))
        raw += size_t(PNG_PASS_ROWS(rows, pass)) * (1 + size_t(PNG_PASS_COLS(width, pass)) * 4);
  }
  std::vector<u8> packed(compressBound(uLong(raw)));
  uLongf packedSize = uLongf(packed.size());
  EXPECT_EQ(compress2(packed.data(), &packedSize, std::vector<u8>(raw).data(), uLong(raw), 9), Z_OK);
  for (size_t at = 0; at < packedSize; at += 8192)
    chunk("IDAT", std::vector<u8>(packed.begin() + long(at), packed.begin() + long(std::min<size_t>(packedSize, at + 8192))));
  chunk("IEND", {});
  return file;
}

// A file of a few hundred bytes whose frame claims 11000 x 11000 pixels was
// given its 484 MB bitmap before its image data ran out. A frame its data
// cannot fill is now refused before its bitmap is made; one its data fills
// decodes, however much smaller the file is than the bitmap.
TEST(PngImage, AFrameItsDataCannotFillIsRefusedBeforeItsBitmap) {
  struct Case {
    const char* name;
    std::vector<u8> data;
  } refused[] = {
      {"no rows", RgbaFile(11000, 11000, false, 0)},
      {"one row", RgbaFile(11000, 11000, false, 1)},
      {"interlaced, a row of each pass", RgbaFile(11000, 11000, true, 1)},
      {"all rows but the last", RgbaFile(1500, 1500, false, 1499)},
  };
  for (const Case& c : refused) {
    CPngImage image;
    gbtest::HeapPeak peak;
    EXPECT_FALSE(Decode(image, c.data)) << c.name;
    EXPECT_LT(peak.GetPeak(), 8u << 20) << c.name;
  }
  for (bool interlaced : {false, true}) {
    const std::vector<u8> file = RgbaFile(1500, 1500, interlaced, 1500);
    CPngImage image;
    ASSERT_TRUE(Decode(image, file)) << interlaced;
    EXPECT_LT(file.size(), 40000u);
    EXPECT_EQ(image.GetByteSize(), 1500u * 1500 * 4);
  }
  if (!gbtest::HeapPeak::IsAvailable()) GTEST_SKIP() << "the memory is measured only with AddressSanitizer";
}

}  // namespace
