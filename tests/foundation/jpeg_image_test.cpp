#include "foundation/jpeg_image.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <vector>

#include "tests/foundation/image_fixtures.h"
#include "tests/support/test_support.h"

namespace {

int MaxDifference(const u8* a, const u8* b, size_t count) {
  int worst = 0;
  for (size_t i = 0; i < count; ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

std::vector<u8> Encoded(const CJpegImage& image) {
  return std::vector<u8>(image.GetPixels(), image.GetPixels() + image.GetCompressedLength());
}

// Setting an image's quality sets the process-wide default too: a test that
// sets one puts the default back when it ends, however it ends.
class DefaultQualityKeeper {
 public:
  DefaultQualityKeeper() : saved_(CJpegImage::GetDefaultQuality()) {}
  ~DefaultQualityKeeper() { CJpegImage().SetQuality(int(saved_)); }

 private:
  u32 saved_;
};

TEST(JpegImage, QualityIsClampedAndBecomesTheDefault) {
  DefaultQualityKeeper keeper;
  CJpegImage image;
  EXPECT_EQ(image.GetQuality(), 80u);
  EXPECT_EQ(CJpegImage::GetDefaultQuality(), 80u);
  struct Case {
    int requested;
    u32 stored;
  } cases[] = {{150, 100}, {-5, 0}, {100, 100}, {0, 0}, {55, 55}};
  for (const Case& c : cases) {
    image.SetQuality(c.requested);
    EXPECT_EQ(image.GetQuality(), c.stored) << c.requested;
    EXPECT_EQ(CJpegImage::GetDefaultQuality(), c.stored) << c.requested;
  }
  // A new image starts at 80 whatever the default has become.
  EXPECT_EQ(CJpegImage().GetQuality(), 80u);
}

TEST(JpegImage, RoundTripsAt24And32Bits) {
  DefaultQualityKeeper keeper;
  for (u16 bits : {24, 32}) {
    const u32 width = 21, height = 13;
    std::vector<u8> source = gbtest::SmoothPixels(width, height, bits / 8);
    CJpegImage encoder;
    encoder.SetQuality(95);
    ASSERT_TRUE(encoder.EncodeRgbToMemory(width, height, bits, source.data())) << bits;
    std::vector<u8> jpeg = Encoded(encoder);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg.back(), 0xD9);

    CJpegImage decoded;
    ASSERT_TRUE(decoded.DecodeFromMemory(jpeg.data(), jpeg.size())) << bits;
    EXPECT_EQ(decoded.GetWidth(), width);
    EXPECT_EQ(decoded.GetHeight(), height);
    EXPECT_EQ(decoded.GetBitsPerPixel(), 24);
    EXPECT_EQ(decoded.GetByteSize(), width * height * 3);
    // The colour channels survive; a 32-bit source's alpha is dropped.
    const size_t sourceBytes = bits / 8;
    int worst = 0;
    for (size_t i = 0; i < size_t(width) * height; ++i)
      worst = std::max(worst, MaxDifference(decoded.GetPixels() + i * 3,
                                            source.data() + i * sourceBytes, 3));
    EXPECT_LE(worst, 12) << bits;
  }
  CJpegImage image;
  std::vector<u8> pixels(12);
  EXPECT_FALSE(image.EncodeRgbToMemory(2, 2, 16, pixels.data()));
  EXPECT_FALSE(image.EncodeRgbToMemory(0, 2, 24, pixels.data()));
  EXPECT_FALSE(image.EncodeRgbToMemory(2, 2, 24, nullptr));
}

TEST(JpegImage, MemoryDestinationStartsAtTheRawSizeAndGrows) {
  DefaultQualityKeeper keeper;
  CJpegImage tiny;
  const u8 pixel[3] = {200, 100, 50};
  ASSERT_TRUE(tiny.EncodeRgbToMemory(1, 1, 24, pixel));
  EXPECT_EQ(tiny.GetByteSize(), 1027u);
  EXPECT_GT(tiny.GetCompressedLength(), 100u);
  EXPECT_LT(tiny.GetCompressedLength(), 1027u);

  // Noise at full quality is bigger than width x height x 3 + 1024 bytes.
  const u32 width = 1024;
  std::vector<u8> noise(size_t(width) * 3);
  std::mt19937 random(7);
  for (u8& byte : noise) byte = u8(random());
  CJpegImage large;
  large.SetQuality(100);
  ASSERT_TRUE(large.EncodeRgbToMemory(width, 1, 24, noise.data()));
  EXPECT_GT(large.GetCompressedLength(), width * 3 + 1024);
  EXPECT_GE(large.GetByteSize(), large.GetCompressedLength());
  std::vector<u8> jpeg = Encoded(large);
  EXPECT_EQ(jpeg.back(), 0xD9);
  CJpegImage decoded;
  ASSERT_TRUE(decoded.DecodeFromMemory(jpeg.data(), jpeg.size()));
  EXPECT_EQ(decoded.GetWidth(), width);
  EXPECT_EQ(decoded.GetHeight(), 1u);
}

TEST(JpegImage, GreyAndCmykPicturesDecodeToRgb) {
  const u32 width = 16, height = 16;
  std::vector<u8> grey(size_t(width) * height);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = u8(i);
  std::vector<u8> jpeg = gbtest::MakeJpeg(width, height, 1, JCS_GRAYSCALE, grey, 100);
  CJpegImage image;
  ASSERT_TRUE(image.DecodeFromMemory(jpeg.data(), jpeg.size()));
  ASSERT_EQ(image.GetBitsPerPixel(), 24);
  ASSERT_EQ(image.GetByteSize(), width * height * 3);
  for (size_t i = 0; i < grey.size(); ++i) {
    const u8* p = image.GetPixels() + i * 3;
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
    EXPECT_NEAR(p[0], grey[i], 3);
  }

  // Inverted inks as Adobe stores them: full cyan (stored 0), no magenta,
  // yellow or black (stored 255) is R 0, G 255, B 255.
  struct Ink {
    u8 c, m, y, k;
    u8 r, g, b;
  } inks[] = {
      {0, 255, 255, 255, 0, 255, 255},
      {255, 255, 255, 255, 255, 255, 255},
      {255, 255, 255, 0, 0, 0, 0},
      {255, 0, 255, 127, 127, 0, 127},
  };
  for (const Ink& ink : inks) {
    std::vector<u8> cmyk;
    for (u32 i = 0; i < width * height; ++i) cmyk.insert(cmyk.end(), {ink.c, ink.m, ink.y, ink.k});
    jpeg = gbtest::MakeJpeg(width, height, 4, JCS_CMYK, cmyk, 100);
    ASSERT_TRUE(image.DecodeFromMemory(jpeg.data(), jpeg.size()));
    ASSERT_EQ(image.GetByteSize(), width * height * 3);
    const u8* p = image.GetPixels() + size_t(5 * width + 7) * 3;
    EXPECT_NEAR(p[0], ink.r, 3);
    EXPECT_NEAR(p[1], ink.g, 3);
    EXPECT_NEAR(p[2], ink.b, 3);
  }
}

TEST(JpegImage, DamagedDataFailsAndKeepsThePicture) {
  std::vector<u8> source = gbtest::SmoothPixels(32, 32, 3);
  std::vector<u8> good = gbtest::MakeJpeg(32, 32, 3, JCS_RGB, source);
  auto truncated = [&](size_t length) { return std::vector<u8>(good.begin(), good.begin() + long(length)); };
  // A start-of-frame header claiming 60000 x 60000 pixels.
  std::vector<u8> huge = good;
  for (size_t i = 0; i + 9 < huge.size(); ++i)
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      huge[i + 5] = huge[i + 7] = 0xEA;
      huge[i + 6] = huge[i + 8] = 0x60;
      break;
    }
  std::vector<u8> noise(400);
  std::mt19937 random(3);
  for (u8& byte : noise) byte = u8(random());
  std::vector<u8> noiseAfterStart = noise;
  noiseAfterStart[0] = 0xFF;
  noiseAfterStart[1] = 0xD8;

  struct Case {
    const char* name;
    std::vector<u8> data;
  } cases[] = {
      {"empty", {}},
      {"one byte", {0xFF}},
      {"start marker only", {0xFF, 0xD8}},
      {"noise", noise},
      {"noise after the start marker", noiseAfterStart},
      {"header only", truncated(200)},
      {"half the scan", truncated(good.size() / 2)},
      {"without the end marker", truncated(good.size() - 2)},
      {"huge frame", huge},
  };
  CJpegImage image;
  ASSERT_TRUE(image.DecodeFromMemory(good.data(), good.size()));
  std::vector<u8> before(image.GetPixels(), image.GetPixels() + image.GetByteSize());
  for (const Case& c : cases) {
    EXPECT_FALSE(image.DecodeFromMemory(c.data.data(), c.data.size())) << c.name;
    ASSERT_EQ(image.GetWidth(), 32u) << c.name;
    EXPECT_EQ(std::vector<u8>(image.GetPixels(), image.GetPixels() + image.GetByteSize()), before)
        << c.name;
  }
  EXPECT_FALSE(image.DecodeFromMemory(nullptr, 100));
}

// A picture of a few hundred bytes whose frame claims 12000 x 12000 pixels
// and whose data then ends was given its 432 MB bitmap and decoded to its
// last row of grey (seconds) before it failed.
TEST(JpegImage, ATruncatedPictureFailsAtOnceWhateverItsFrame) {
  std::vector<u8> source = gbtest::SmoothPixels(32, 32, 3);
  std::vector<u8> cut = gbtest::MakeJpeg(32, 32, 3, JCS_RGB, source);
  for (size_t i = 0; i + 9 < cut.size(); ++i)
    if (cut[i] == 0xFF && cut[i + 1] == 0xC0) {
      cut[i + 5] = cut[i + 7] = 12000 >> 8;
      cut[i + 6] = cut[i + 8] = 12000 & 0xFF;
      break;
    }
  for (size_t i = 0; i + 1 < cut.size(); ++i)
    if (cut[i] == 0xFF && cut[i + 1] == 0xDA) {
      cut.resize(i + 40);  // the scan's header and a few bytes of its data
      break;
    }
  CJpegImage image;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(image.DecodeFromMemory(cut.data(), cut.size()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(image.GetPixels(), nullptr);
}

// The frame of a picture set to width x height in its start-of-frame header.
std::vector<u8> WithFrame(std::vector<u8> picture, u16 width, u16 height) {
  for (size_t i = 0; i + 9 < picture.size(); ++i)
    if (picture[i] == 0xFF && (picture[i + 1] == 0xC0 || picture[i + 1] == 0xC2)) {
      picture[i + 5] = u8(height >> 8);
      picture[i + 6] = u8(height);
      picture[i + 7] = u8(width >> 8);
      picture[i + 8] = u8(width);
      break;
    }
  return picture;
}

// Pictures of a few KB whose frames claim 8000 x 8000 pixels: a baseline
// one whose data holds its first 16 rows was given its whole 192 MB bitmap
// after its first row, and a progressive one of 16 x 16 pixels was given the
// coefficients of its whole frame (384 MB) before its data ran out; so was
// a progressive one in arithmetic codes of 38 bytes whose frame claims
// 16401 x 9985 (a fuzz find). Each now costs about what its data holds; a
// progressive picture whose data fills its frame still decodes.
TEST(JpegImage, AFrameItsDataCannotFillCostsNoMoreThanItsData) {
  const std::vector<u8> strip(size_t(8000) * 16 * 3, 0x40);
  const std::vector<u8> small = gbtest::SmoothPixels(16, 16, 3);
  struct Case {
    const char* name;
    std::vector<u8> data;
  } cases[] = {
      {"baseline, the first rows", WithFrame(gbtest::MakeJpeg(8000, 16, 3, JCS_RGB, strip), 8000, 8000)},
      {"progressive", WithFrame(gbtest::MakeJpeg(16, 16, 3, JCS_RGB, small, 95, true), 8000, 8000)},
      {"progressive, arithmetic codes",
       {0xFF, 0xD8, 0xDB, 0x46, 0x3C, 0xFF, 0xCA, 0x00, 0x11, 0x08, 0x27, 0x01, 0x40, 0x11, 0x03, 0x01, 0x22, 0x00, 0x02,
        0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x00, 0x00, 0x00, 0x43}},
  };
  for (const Case& c : cases) {
    CJpegImage image;
    gbtest::HeapPeak peak;
    EXPECT_FALSE(image.DecodeFromMemory(c.data.data(), c.data.size())) << c.name;
    EXPECT_LT(peak.GetPeak(), 8u << 20) << c.name;
    EXPECT_EQ(image.GetPixels(), nullptr) << c.name;
  }

  const std::vector<u8> pixels = gbtest::SmoothPixels(300, 200, 3);
  const std::vector<u8> progressive = gbtest::MakeJpeg(300, 200, 3, JCS_RGB, pixels, 90, true);
  CJpegImage image;
  ASSERT_TRUE(image.DecodeFromMemory(progressive.data(), progressive.size()));
  ASSERT_EQ(image.GetByteSize(), pixels.size());
  for (size_t i = 0; i < pixels.size(); i += 997) EXPECT_NEAR(image.GetPixels()[i], pixels[i], 8) << i;
  if (!gbtest::HeapPeak::IsAvailable()) GTEST_SKIP() << "this build cannot measure its heap";
}

}  // namespace
