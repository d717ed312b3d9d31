#include "swf/swf_styles.h"

#include <gtest/gtest.h>

#include "tests/swf/swf_graphics_test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::ReadFrom;
using swftest::Written;

namespace {

CSwfFillStyle* SolidFill(u32 color, u8 alpha = 0) { return new CSwfFillStyle(alpha, color); }

}  // namespace

TEST(SwfGradient, WritesItsRecordsInTheColourFormItsAlphaSelects) {
  CSwfGradient gradient;
  gradient.SetBlackToWhite();
  EXPECT_EQ(Written(gradient), Bytes({2, 0, 0, 0, 0, 255, 255, 255, 255}));

  // The same records in a gradient of a shape with alpha colours: four bytes each.
  gradient.withAlpha = 1;
  EXPECT_EQ(Written(gradient), Bytes({2, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}));

  // A packed colour given to an alpha record becomes RGBA of alpha 255, and
  // an RGBA record in a gradient without alpha loses its alpha byte.
  CSwfGradRecord packed(128, 0x00332211u, 1);
  EXPECT_EQ(Written(packed), Bytes({128, 0x11, 0x22, 0x33, 255}));
  CSwfGradRecord rgba(7, new CSwfRgba(1, 2, 3, 4), 0);
  EXPECT_EQ(Written(rgba), Bytes({7, 1, 2, 3}));
  rgba.withAlpha = 1;
  EXPECT_EQ(Written(rgba), Bytes({7, 1, 2, 3, 4}));

  // A record without a colour writes the default one and keeps it.
  CSwfGradRecord empty;
  EXPECT_EQ(Written(empty), Bytes({0, 0, 0, 0}));
  EXPECT_NE(empty.color, nullptr);
  CSwfGradRecord emptyWithAlpha;
  emptyWithAlpha.withAlpha = 1;
  EXPECT_EQ(Written(emptyWithAlpha), Bytes({0, 0, 0, 0, 255}));
}

TEST(SwfGradient, ReadsThreeOrFourColourBytesAndStopsAtTheEndOfTheData) {
  const std::vector<u8> rgb = Bytes({2, 0, 1, 2, 3, 255, 4, 5, 6, 99});
  CSwfGradient gradient;
  EXPECT_EQ(ReadFrom(rgb, gradient), 9u);
  ASSERT_EQ(gradient.GetRecords().size(), 2u);
  EXPECT_EQ(gradient.GetRecords()[1]->ratio, 255);
  EXPECT_EQ(gradient.GetRecords()[1]->color->blue, 6);

  CSwfGradient alpha(1);
  const std::vector<u8> rgba = Bytes({2, 0, 1, 2, 3, 4, 255, 5, 6, 7, 8, 99});
  EXPECT_EQ(ReadFrom(rgba, alpha), 11u);
  ASSERT_EQ(alpha.GetRecords().size(), 2u);
  const auto* second = dynamic_cast<const CSwfRgba*>(alpha.GetRecords()[1]->color.get());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->red, 5);
  EXPECT_EQ(second->alpha, 8);

  // A count of 200 over the bytes of one record: the gradient holds what
  // there is, and writes that count.
  CSwfGradient cut;
  ReadFrom(Bytes({200, 10, 1, 2, 3}), cut);
  ASSERT_EQ(cut.GetRecords().size(), 1u);
  EXPECT_EQ(Written(cut), Bytes({1, 10, 1, 2, 3}));
}

TEST(SwfGradient, HoldsAtMost255RecordsAndItsCountAlwaysMatches) {
  CSwfGradient gradient;
  for (int i = 0; i < 255; ++i) ASSERT_TRUE(gradient.AddRecord(new CSwfGradRecord(u8(i), 0u, 0)));
  EXPECT_FALSE(gradient.AddRecord(new CSwfGradRecord(0, 0u, 0)));
  EXPECT_FALSE(gradient.AddRecord(nullptr));
  const std::vector<u8> bytes = Written(gradient);
  EXPECT_EQ(bytes.size(), 1u + 255 * 4);
  EXPECT_EQ(bytes[0], 255);

  CSwfGradient copy;
  copy = gradient;
  EXPECT_EQ(Written(copy), bytes);
  CSwfGradient read;
  EXPECT_EQ(ReadFrom(bytes, read), bytes.size());
  EXPECT_EQ(Written(read), bytes);
}

TEST(SwfFillStyle, EachTypeReadsAndWritesItsOwnLayout) {
  struct Case {
    const char* what;
    u8 alpha;
    std::vector<u8> bytes;
  };
  const Case cases[] = {
      {"solid RGB", 0, Bytes({0x00, 10, 20, 30})},
      {"solid RGBA", 1, Bytes({0x00, 10, 20, 30, 40})},
      // Matrix: no scale, no rotate, translation of width 0 (one byte), then the gradient.
      {"linear gradient", 0, Bytes({0x10, 0x00, 1, 0, 1, 2, 3})},
      {"radial gradient with alpha", 1, Bytes({0x12, 0x00, 1, 255, 1, 2, 3, 4})},
      {"repeating bitmap", 0, Bytes({0x40, 0x05, 0x00, 0x00})},
      {"clipped bitmap", 0, Bytes({0x41, 0xFF, 0xFF, 0x00})},
      {"hard repeating bitmap", 1, Bytes({0x42, 0x01, 0x00, 0x00})},
      {"hard clipped bitmap", 1, Bytes({0x43, 0x02, 0x00, 0x00})},
      {"unknown type", 0, Bytes({0x33})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<u8> data = c.bytes;
    data.push_back(0xEE);  // what follows the style is not read
    CSwfFillStyle style(c.alpha);
    EXPECT_EQ(ReadFrom(data, style), c.bytes.size());
    EXPECT_EQ(Written(style), c.bytes);
    CSwfFillStyle copy(style);
    EXPECT_EQ(Written(copy), c.bytes);
  }

  CSwfFillStyle bitmap;
  ReadFrom(Bytes({0x41, 0x34, 0x12, 0x00}), bitmap);
  EXPECT_EQ(bitmap.bitmapId, 0x1234);
  bitmap.OffsetBitmapId(2);
  EXPECT_EQ(bitmap.bitmapId, 0x1236);
  CSwfFillStyle none;
  ReadFrom(Bytes({0x40, 0xFF, 0xFF, 0x00}), none);
  none.OffsetBitmapId(2);
  EXPECT_EQ(none.bitmapId, kSwfNoBitmap);

  // Missing parts are written as their defaults, in the layout of the type.
  CSwfFillStyle gradient;
  gradient.type = kSwfLinearGradientFill;
  EXPECT_EQ(Written(gradient), Bytes({0x10, 0x00, 0x00}));
  CSwfFillStyle solid(1);
  EXPECT_EQ(Written(solid), Bytes({0x00, 0, 0, 0, 255}));
}

TEST(SwfStyleArray, CountsTheStylesItWritesWithTheEscapeFrom255) {
  for (size_t n : {0u, 1u, 254u, 255u, 300u}) {
    SCOPED_TRACE(n);
    CSwfFillStyleArray fills;
    CSwfLineStyleArray lines;
    for (size_t i = 0; i < n; ++i) {
      fills.Add(SolidFill(u32(i)));
      lines.Add(new CSwfLineStyle(20, new CSwfRgb(1, 2, 3), 0));
    }
    const std::vector<u8> fillBytes = Written(fills);
    const std::vector<u8> lineBytes = Written(lines);
    const size_t head = n < 255 ? 1 : 3;
    EXPECT_EQ(fillBytes.size(), head + 4 * n);
    EXPECT_EQ(lineBytes.size(), head + 5 * n);
    for (const std::vector<u8>* bytes : {&fillBytes, &lineBytes}) {
      if (n < 255) {
        EXPECT_EQ((*bytes)[0], n);
      } else {
        EXPECT_EQ(std::vector<u8>(bytes->begin(), bytes->begin() + 3),
                  Bytes({0xFF, int(n & 0xFF), int(n >> 8)}));
      }
    }
    CSwfFillStyleArray readFills;
    EXPECT_EQ(ReadFrom(fillBytes, readFills), fillBytes.size());
    EXPECT_EQ(readFills.styles.size(), n);
    CSwfLineStyleArray readLines;
    EXPECT_EQ(ReadFrom(lineBytes, readLines), lineBytes.size());
    EXPECT_EQ(Written(readLines), lineBytes);
  }
}

TEST(SwfStyleArray, WithoutTheEscapeACountOf255IsTheCountItself) {
  // As DefineShape stores it: 0xFF and then 255 styles.
  CSwfFillStyleArray fills;
  fills.extendedCount = 0;
  for (int i = 0; i < 255; ++i) fills.Add(SolidFill(0x0000FFu));
  const std::vector<u8> bytes = Written(fills);
  EXPECT_EQ(bytes.size(), 1u + 255 * 4);
  CSwfFillStyleArray read;
  read.extendedCount = 0;
  EXPECT_EQ(ReadFrom(bytes, read), bytes.size());
  EXPECT_EQ(read.styles.size(), 255u);
  EXPECT_EQ(read.styles[254]->color->red, 0xFF);
  EXPECT_TRUE(read.CanWrite());

  // More than 255 do not fit such a count: the array says so and never
  // writes a count that disagrees with its styles.
  read.Add(SolidFill(0));
  EXPECT_FALSE(read.CanWrite());
  EXPECT_EQ(Written(read), bytes);
}

TEST(SwfStyleArray, ATruncatedArrayHoldsTheStylesThatWereThere) {
  // 100 line styles announced, two present.
  CSwfLineStyleArray lines;
  ReadFrom(Bytes({100, 20, 0, 1, 2, 3, 40, 0, 4, 5, 6}), lines);
  ASSERT_EQ(lines.styles.size(), 2u);
  EXPECT_EQ(lines.styles[1]->width, 40);
  EXPECT_EQ(Written(lines), Bytes({2, 20, 0, 1, 2, 3, 40, 0, 4, 5, 6}));
}

TEST(SwfStyleArray, ColoursFollowTheArraysAlphaAndCopiesAreDeep) {
  CSwfFillStyleArray fills(1);
  fills.Add(SolidFill(0x00030201u));  // RGB made for a shape without alpha
  auto* gradient = new CSwfFillStyle(0);
  gradient->type = kSwfRadialGradientFill;
  gradient->gradient = std::make_unique<CSwfGradient>();
  gradient->gradient->SetBlackToWhite();
  fills.Add(gradient);
  EXPECT_EQ(Written(fills), Bytes({2, 0x00, 1, 2, 3, 255, 0x12, 0x00, 2, 0, 0, 0, 0, 255, 255,
                                   255, 255, 255, 255}));

  CSwfFillStyleArray copy(fills);
  fills.styles[0]->color->red = 99;
  EXPECT_EQ(copy.styles[0]->color->red, 1);
  EXPECT_NE(copy.styles[1]->gradient.get(), fills.styles[1]->gradient.get());
  EXPECT_NE(dynamic_cast<CSwfRgba*>(copy.styles[0]->color.get()), nullptr);

  CSwfLineStyleArray lines(0);
  lines.Add(new CSwfLineStyle(5, new CSwfRgba(1, 2, 3, 4), 0));
  EXPECT_EQ(Written(lines), Bytes({1, 5, 0, 1, 2, 3}));
  lines.alpha = 1;
  EXPECT_EQ(Written(lines), Bytes({1, 5, 0, 1, 2, 3, 4}));
  lines.Clear();
  EXPECT_EQ(Written(lines), Bytes({0}));
}
