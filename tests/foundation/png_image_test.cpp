#include "foundation/png_image.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "foundation/path_name.h"
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

// Appends a chunk to a PNG file: its length (`declared` when given, else
// the data's), type, data and CRC.
void AppendChunk(std::vector<u8>& file, const char* type, const std::vector<u8>& data,
                 std::optional<uint32_t> declared = std::nullopt) {
  const uint32_t length = declared ? *declared : uint32_t(data.size());
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(u8(length >> shift));
  const size_t start = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  const uLong crc = crc32(0, file.data() + start, uInt(file.size() - start));
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(u8(crc >> shift));
}

// A PNG file of an RGBA frame whose image data is `rows` rows of zero
// pixels (all its passes' rows when interlaced), spread over IDAT chunks of
// 8 KB, as libpng writes them.
std::vector<u8> RgbaFile(uint32_t width, uint32_t height, bool interlaced, uint32_t rows) {
  std::vector<u8> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&file](const char* type, const std::vector<u8>& data) { AppendChunk(file, type, data); };
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
  if (!gbtest::HeapPeak::IsAvailable()) GTEST_SKIP() << "this build cannot measure its heap";
}

// The chunks of a PNG file in memory, from the first to IEND: where each
// starts and its whole size (length, type, data, CRC).
struct ChunkSpan {
  std::string type;
  size_t at = 0;
  size_t size = 0;
};

std::vector<ChunkSpan> ChunksOf(const std::vector<u8>& file) {
  std::vector<ChunkSpan> chunks;
  for (size_t at = 8; file.size() - at >= 12;) {
    const size_t length =
        size_t(file[at]) << 24 | size_t(file[at + 1]) << 16 | size_t(file[at + 2]) << 8 | file[at + 3];
    if (length > file.size() - at - 12) break;
    chunks.push_back({std::string(file.begin() + long(at) + 4, file.begin() + long(at) + 8), at, 12 + length});
    if (chunks.back().type == "IEND") break;
    at += 12 + length;
  }
  return chunks;
}

enum class Place { kBeforeImageData, kAfterImageData };

// The file with the chunk put right before its first IDAT or right before
// its IEND.
std::vector<u8> WithChunk(const std::vector<u8>& file, Place place, const char* type, const std::vector<u8>& data,
                          std::optional<uint32_t> declared = std::nullopt) {
  const std::string before = place == Place::kBeforeImageData ? "IDAT" : "IEND";
  for (const ChunkSpan& chunk : ChunksOf(file)) {
    if (chunk.type != before) continue;
    std::vector<u8> out(file.begin(), file.begin() + long(chunk.at));
    AppendChunk(out, type, data, declared);
    out.insert(out.end(), file.begin() + long(chunk.at), file.end());
    return out;
  }
  ADD_FAILURE() << "no " << before << " chunk";
  return file;
}

// The file without its chunks of these types.
std::vector<u8> WithoutChunks(const std::vector<u8>& file, const std::vector<std::string>& types) {
  std::vector<u8> out(file.begin(), file.begin() + 8);
  for (const ChunkSpan& chunk : ChunksOf(file))
    if (std::find(types.begin(), types.end(), chunk.type) == types.end())
      out.insert(out.end(), file.begin() + long(chunk.at), file.begin() + long(chunk.at + chunk.size));
  return out;
}

std::vector<u8> Bytes(const std::string& text) { return std::vector<u8>(text.begin(), text.end()); }

std::vector<u8> Deflated(const std::vector<u8>& data) {
  std::vector<u8> packed(compressBound(uLong(data.size())));
  uLongf size = uLongf(packed.size());
  EXPECT_EQ(compress2(packed.data(), &size, data.data(), uLong(data.size()), 9), Z_OK);
  packed.resize(size);
  return packed;
}

// A zTXt chunk's data: keyword, compression method, the deflated text.
std::vector<u8> ZtxtData(const std::vector<u8>& text) {
  std::vector<u8> data = Bytes(std::string("Comment") + '\0' + '\0');
  const std::vector<u8> packed = Deflated(text);
  data.insert(data.end(), packed.begin(), packed.end());
  return data;
}

// An iTXt chunk's data, its text compressed: keyword, compression flag and
// method, empty language and translated keyword, the deflated text.
std::vector<u8> CompressedItxtData(const std::vector<u8>& text) {
  std::vector<u8> data = Bytes(std::string("Comment") + '\0' + '\1' + '\0' + '\0' + '\0');
  const std::vector<u8> packed = Deflated(text);
  data.insert(data.end(), packed.begin(), packed.end());
  return data;
}

// What decoding a picture may ask of the heap: 16 MiB beside 64 times the
// picture's size (the fuzz targets' amplification bound).
uint64_t HeapBound(size_t pictureSize) { return (uint64_t(16) << 20) + 64 * uint64_t(pictureSize); }

// A picture's declared chunk lengths drove the heap: a tEXt declaring 32
// MiB in a picture of a few hundred bytes made the decoder ask for 32 MiB,
// a pCAL declaring 2 GiB for 2 GiB (libpng only warns of a chunk above its
// limit, then makes room for the declared size before reading it), and
// zTXt chunks that fit the data each kept up to 8 MiB inflated. Now a
// picture whose chunk runs past the end of the data fails before libpng
// reads it, and the chunks the decoder has no use for are passed over
// unread: wherever the chunk lies, the heap stays within the bound, and a
// picture that is whole decodes to its pixels.
TEST(PngImage, ChunksAskTheHeapForNoMoreThanThePictureHolds) {
  const std::vector<u8> tiny = gbtest::MakePng(Rgb(4, 4, 3));
  std::vector<u8> noise(size_t(30) * 30 * 3);  // a picture of some 3 KB: noise does not compress
  std::mt19937 random(7);
  for (u8& byte : noise) byte = u8(random());
  PngSpec noisy = Rgb(30, 30, 3);
  noisy.rows = noise;
  const std::vector<u8> larger = gbtest::MakePng(noisy);
  const std::vector<u8> sixteenBytes = Bytes(std::string("Title") + '\0' + "0123456789");
  const std::vector<u8> sevenMiB(size_t(7) << 20, 'x');

  struct Case {
    std::string name;
    std::vector<u8> base;  // the picture without the chunks
    std::vector<u8> data;
    bool decodes;
  };
  std::vector<Case> cases = {
      {"a 3 KB picture's pCAL declaring 2 GiB", larger,
       WithChunk(larger, Place::kBeforeImageData, "pCAL", sixteenBytes, 0x7FFFFFFFu), false},
      {"zTXt declaring 64 MiB", tiny, WithChunk(tiny, Place::kBeforeImageData, "zTXt", sixteenBytes, 64u << 20),
       false},
  };
  // Every chunk libpng would read into room of its declared size, and one
  // it reads a little at a time and one it does not know, before and after
  // the image data, declaring 32 MiB and 2 GiB (the largest length a chunk
  // can have).
  for (const char* type : {"tEXt", "zTXt", "iTXt", "pCAL", "sCAL", "sPLT", "eXIf", "iCCP", "prVt"})
    for (Place place : {Place::kBeforeImageData, Place::kAfterImageData})
      for (uint32_t declared : {32u << 20, 0x7FFFFFFFu})
        cases.push_back({std::string(type) + (place == Place::kBeforeImageData ? " before" : " after") +
                             " the image data declaring " + (declared == 32u << 20 ? "32 MiB" : "2 GiB"),
                         tiny, WithChunk(tiny, place, type, sixteenBytes, declared), false});
  // Chunks that fit the data: a large text, and twenty compressed texts
  // that inflate to 7 MiB each (some thousand times their size).
  std::vector<u8> zipped = tiny;
  std::vector<u8> zippedAfter = tiny;
  std::vector<u8> itxt = tiny;
  const std::vector<u8> ztxtData = ZtxtData(sevenMiB);
  const std::vector<u8> itxtData = CompressedItxtData(sevenMiB);
  for (int i = 0; i < 20; ++i) {
    zipped = WithChunk(zipped, Place::kBeforeImageData, "zTXt", ztxtData);
    zippedAfter = WithChunk(zippedAfter, Place::kAfterImageData, "zTXt", ztxtData);
    itxt = WithChunk(itxt, Place::kBeforeImageData, "iTXt", itxtData);
  }
  std::vector<u8> longText = Bytes(std::string("Comment") + '\0');
  longText.resize(size_t(1) << 20, 'y');
  cases.push_back({"twenty zTXt of 7 MiB inflated", tiny, zipped, true});
  cases.push_back({"twenty zTXt of 7 MiB inflated after the image data", tiny, zippedAfter, true});
  cases.push_back({"twenty compressed iTXt of 7 MiB inflated", tiny, itxt, true});
  cases.push_back({"a tEXt of 1 MiB", tiny, WithChunk(tiny, Place::kBeforeImageData, "tEXt", longText), true});

  for (const Case& c : cases) {
    CPngImage expected;
    ASSERT_TRUE(Decode(expected, c.base)) << c.name;
    CPngImage image;
    bool decoded = false;
    uint64_t peak = 0;
    {
      gbtest::HeapPeak meter;
      decoded = Decode(image, c.data);
      peak = meter.GetPeak();
    }
    EXPECT_EQ(decoded, c.decodes) << c.name;
    EXPECT_LE(peak, HeapBound(c.data.size())) << c.name << ": " << c.data.size() << " bytes";
    if (decoded) {
      EXPECT_EQ(PixelsOf(image), PixelsOf(expected)) << c.name;
    } else {
      EXPECT_EQ(image.GetPixels(), nullptr) << c.name;
    }
  }
  if (!gbtest::HeapPeak::IsAvailable()) GTEST_SKIP() << "this build cannot measure its heap";
}

// A picture whose chunk runs past the end of the data, anywhere before IEND,
// fails as it did when libpng found the end inside it; bytes behind IEND do
// not matter.
TEST(PngImage, APictureWhoseChunkRunsPastTheEndFails) {
  const std::vector<u8> good = WithChunk(gbtest::MakePng(Rgb(5, 3, 4)), Place::kAfterImageData, "tEXt",
                                         Bytes(std::string("Author") + '\0' + "someone"));
  CPngImage image;
  ASSERT_TRUE(Decode(image, good));
  const std::vector<u8> pixels = PixelsOf(image);
  for (const ChunkSpan& chunk : ChunksOf(good)) {
    // One byte more than the chunk holds: its CRC (or IEND's) ends behind the data.
    std::vector<u8> longer = good;
    const uint32_t length = uint32_t(chunk.size - 12) + 1;
    for (int i = 0; i < 4; ++i) longer[chunk.at + size_t(i)] = u8(length >> (24 - 8 * i));
    CPngImage damaged;
    EXPECT_FALSE(Decode(damaged, longer)) << chunk.type;
    // Cut inside the chunk.
    EXPECT_FALSE(Decode(damaged, std::vector<u8>(good.begin(), good.begin() + long(chunk.at + chunk.size - 1))))
        << chunk.type;
  }
  std::vector<u8> trailing = good;
  trailing.insert(trailing.end(), {0, 0, 0, 9, 't', 'E', 'X', 't'});
  ASSERT_TRUE(Decode(image, trailing));
  EXPECT_EQ(PixelsOf(image), pixels);
}

// Real pictures carrying text and other chunks the decoder has no use for
// (before and behind the image data) decode to the pixels of the same
// pictures without those chunks. They come from Debian's packages
// (libpng-dev's test picture, adwaita-icon-theme's icons); the test skips
// those that are absent.
TEST(PngImage, RealPicturesDecodeAsWithoutTheirTextChunks) {
  const char* const pictures[] = {
      "/usr/share/doc/libpng-dev/examples/pngtest.png",           // RGBA, interlaced, zTXt behind the image data
      "/usr/share/icons/Adwaita/16x16/devices/computer.png",      // RGBA
      "/usr/share/icons/Adwaita/24x24/status/image-loading.png",  // palette
  };
  const std::vector<std::string> unused = {"tEXt", "zTXt", "iTXt", "pCAL", "sCAL", "sPLT",
                                           "eXIf", "tIME", "pHYs", "oFFs", "hIST"};
  int found = 0;
  for (const char* path : pictures) {
    const std::vector<u8> file = gbtest::ReadFile(path);
    if (file.empty()) continue;
    ++found;
    const std::vector<u8> stripped = WithoutChunks(file, unused);
    ASSERT_LT(stripped.size(), file.size()) << path << " carries no text";
    CPngImage image;
    CPngImage plain;
    {
      gbtest::HeapPeak meter;
      ASSERT_TRUE(Decode(image, file)) << path;
      EXPECT_LE(meter.GetPeak(), HeapBound(file.size())) << path;
    }
    ASSERT_TRUE(Decode(plain, stripped)) << path;
    EXPECT_EQ(image.GetWidth(), plain.GetWidth()) << path;
    EXPECT_EQ(image.GetBitsPerPixel(), plain.GetBitsPerPixel()) << path;
    EXPECT_EQ(PixelsOf(image), PixelsOf(plain)) << path;
    EXPECT_EQ(image.GetBackgroundColor() != nullptr, plain.GetBackgroundColor() != nullptr) << path;
  }
  if (found == 0) GTEST_SKIP() << "none of the real pictures is installed";
}

// Pictures of our writer, in each form it writes (the palette form in one
// IDAT chunk a row), decode to what was written, with text chunks put
// before and behind their image data too, loaded from memory or from the
// file.
TEST(PngImage, OurWritersPicturesDecodeTheSameWithTextChunks) {
  const std::string folder = gbtest::MakeTempFolder("png-text");
  const std::vector<u8> rgb = gbtest::SmoothPixels(6, 5, 3);
  const std::vector<u8> rgba = gbtest::SmoothPixels(6, 5, 4);
  const std::vector<u8> indexes = {0, 1, 2, 1, 0, 2, 2, 1, 0, 1, 1, 1};
  const u32 palette[] = {0x102030, 0xA0B0C0, 0xFFFFFF};
  struct Case {
    const char* name;
    u16 bits;
    const u8* pixels;
    uint32_t width;
    uint32_t height;
    bool palette;
  } cases[] = {
      {"RGB", 24, rgb.data(), 6, 5, false},
      {"RGBA", 32, rgba.data(), 6, 5, false},
      {"palette", 8, indexes.data(), 4, 3, true},
  };
  for (const Case& c : cases) {
    const CPathName path((folder + c.name + ".png").c_str());
    ASSERT_TRUE(SaveRgbAsPngFile(c.width, c.height, c.bits, c.pixels, path, c.palette ? palette : nullptr,
                                 c.palette ? 3 : 0))
        << c.name;
    const std::vector<u8> written = gbtest::ReadFile(folder + c.name + ".png");
    CPngImage expected;
    ASSERT_TRUE(Decode(expected, written)) << c.name;
    if (!c.palette) {
      EXPECT_EQ(PixelsOf(expected), std::vector<u8>(c.pixels, c.pixels + size_t(c.width) * c.height * c.bits / 8))
          << c.name;
    }

    std::vector<u8> texts = written;
    texts = WithChunk(texts, Place::kBeforeImageData, "tEXt", Bytes(std::string("Title") + '\0' + c.name));
    texts = WithChunk(texts, Place::kBeforeImageData, "zTXt", ZtxtData(Bytes("a picture of our writer")));
    texts = WithChunk(texts, Place::kAfterImageData, "iTXt", CompressedItxtData(Bytes("written by us")));
    texts = WithChunk(texts, Place::kAfterImageData, "tEXt", Bytes(std::string("Author") + '\0' + "us"));
    CPngImage image;
    ASSERT_TRUE(Decode(image, texts)) << c.name;
    EXPECT_EQ(PixelsOf(image), PixelsOf(expected)) << c.name;
    ASSERT_TRUE(gbtest::WriteFile(folder + c.name + "-texts.png", texts));
    CPngImage loaded;
    ASSERT_TRUE(loaded.LoadFile(CPathName((folder + c.name + "-texts.png").c_str()))) << c.name;
    EXPECT_EQ(PixelsOf(loaded), PixelsOf(expected)) << c.name;
  }
}

}  // namespace
