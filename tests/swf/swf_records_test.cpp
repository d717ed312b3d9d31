#include "swf/swf_records.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;

namespace {

// Writes a record, closes its last byte and reads it back into `out`.
template <typename Record>
std::vector<u8> WriteAndReadBack(Record& record, Record& out) {
  CSwfBitWriter writer(8);
  record.Write(writer);
  writer.FlushBits();
  std::vector<u8> bytes = writer.GetBytes();
  CSwfReader reader;
  EXPECT_TRUE(reader.LoadFromWriter(writer));
  out.Read(reader);
  EXPECT_FALSE(reader.HasOverrun());
  reader.AlignByte();
  EXPECT_EQ(reader.GetPosition(), bytes.size()) << "read back exactly what was written";
  return bytes;
}

std::vector<s32> Fields(const CSwfRect& r) { return {r.xMin, r.xMax, r.yMin, r.yMax}; }

std::vector<s32> Fields(const CSwfMatrix& m) {
  return {m.hasScale,    m.hasRotate,   m.scaleX,     m.scaleY,
          m.rotateSkew0, m.rotateSkew1, m.translateX, m.translateY};
}

std::vector<s32> Fields(const CSwfCxform& c) {
  return {c.hasMultTerms, c.hasAddTerms, c.redMultTerm, c.greenMultTerm, c.blueMultTerm,
          c.redAddTerm,   c.greenAddTerm, c.blueAddTerm};
}

std::vector<s32> Fields(const CSwfCxformWithAlpha& c) {
  std::vector<s32> fields = Fields(static_cast<const CSwfCxform&>(c));
  fields.push_back(c.alphaMultTerm);
  fields.push_back(c.alphaAddTerm);
  return fields;
}

template <typename Record>
std::vector<u8> Written(Record& record) {
  CSwfBitWriter writer(8);
  record.Write(writer);
  writer.FlushBits();
  return writer.GetBytes();
}

}  // namespace

TEST(SwfRecords, CountBitsNeededTakesSignificantBitsPlusSign) {
  struct Case {
    u32 value;
    bool isSigned;
    u32 bits;
  };
  const Case cases[] = {
      {0, false, 0},          {0, true, 1},           {1, false, 1},      {1, true, 2},
      {15, true, 5},          {16, true, 6},          {255, false, 8},    {256, false, 9},
      {11000, true, 15},      {0x3FFFFFFF, true, 31}, {0x40000000, true, 32},
      {0x80000000, false, 32}, {0xFFFFFFFF, true, 33},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CountBitsNeeded(c.value, c.isSigned), c.bits) << c.value << " signed " << c.isSigned;
}

TEST(SwfRecords, RectanglesUseTheNarrowestWidth) {
  CSwfRect zero;
  EXPECT_EQ(Written(zero), Bytes({0x08, 0x00}));

  CSwfRect stage;
  stage.Set(0, 0, 550, 400, true);
  EXPECT_EQ(stage.xMax, 11000);
  EXPECT_EQ(stage.yMax, 8000);
  EXPECT_EQ(Written(stage), Bytes({0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));

  CSwfRect pixels;
  pixels.Set(10, 20, 30, 40, true);
  EXPECT_EQ(pixels.xMin, 200);
  EXPECT_EQ(pixels.xMax, 600);
  EXPECT_EQ(pixels.yMin, 400);
  EXPECT_EQ(pixels.yMax, 800);
  CSwfRect twips;
  twips.Set(-5, 6, 7, -8, false);
  EXPECT_EQ(twips.xMin, -5);
  EXPECT_EQ(twips.yMin, 6);
  EXPECT_EQ(twips.xMax, 7);
  EXPECT_EQ(twips.yMax, -8);
}

TEST(SwfRecords, FieldsBeyondTheWidestWidthAreLimitedInsteadOfCorrupted) {
  // The widest width a 5-bit field can announce is 31 bits: -2^30 still fits,
  // larger magnitudes are held at the nearest value that fits.
  CSwfRect rect;
  rect.xMin = -(1 << 30);
  rect.xMax = INT32_MAX;
  rect.yMin = INT32_MIN;
  rect.yMax = 5;
  CSwfRect back;
  const std::vector<u8> bytes = WriteAndReadBack(rect, back);
  EXPECT_EQ(bytes[0] >> 3, 31);
  EXPECT_EQ(back.xMin, -(1 << 30));
  EXPECT_EQ(back.xMax, (1 << 30) - 1);
  EXPECT_EQ(back.yMin, -(1 << 30));
  EXPECT_EQ(back.yMax, 5);

  CSwfMatrix matrix;
  matrix.hasScale = 1;
  matrix.scaleX = INT32_MIN;
  matrix.scaleY = 1;
  matrix.translateX = INT32_MAX;
  CSwfMatrix matrixBack;
  WriteAndReadBack(matrix, matrixBack);
  EXPECT_EQ(matrixBack.scaleX, -(1 << 30));
  EXPECT_EQ(matrixBack.scaleY, 1);
  EXPECT_EQ(matrixBack.translateX, (1 << 30) - 1);

  // Colour transforms have at most 15 bits.
  CSwfCxformWithAlpha cxform;
  cxform.hasMultTerms = 1;
  cxform.redMultTerm = 40000;
  cxform.greenMultTerm = -40000;
  cxform.blueMultTerm = -16384;
  cxform.alphaMultTerm = 3;
  const std::vector<u8> cxformBytes = Written(cxform);
  EXPECT_EQ((cxformBytes[0] >> 2) & 0x0F, 15);
  CSwfCxformWithAlpha cxformBack;
  WriteAndReadBack(cxform, cxformBack);
  EXPECT_EQ(cxformBack.redMultTerm, 16383);
  EXPECT_EQ(cxformBack.greenMultTerm, -16384);
  EXPECT_EQ(cxformBack.blueMultTerm, -16384);
  EXPECT_EQ(cxformBack.alphaMultTerm, 3);
}

TEST(SwfRecords, MatricesWriteEachPartWithItsOwnWidth) {
  CSwfMatrix identity;
  CSwfBitWriter open(4);
  identity.Write(open);
  EXPECT_EQ(open.GetPendingBits(), 7u) << "the last byte is left open";
  open.FlushBits();
  EXPECT_EQ(open.GetBytes(), Bytes({0x00}));

  // Scale 1.0 and 0.5 (18 bits), no rotation, translation (3, -1) in 3 bits.
  CSwfMatrix matrix;
  matrix.hasScale = 1;
  matrix.scaleX = 65536;
  matrix.scaleY = 32768;
  matrix.translateX = 3;
  matrix.translateY = -1;
  // 1 10010 010000000000000000 001000000000000000 0 00011 011 111
  EXPECT_EQ(Written(matrix), Bytes({0xC9, 0x00, 0x00, 0x20, 0x00, 0x03, 0x7C}));
}

TEST(SwfRecords, CreateSwfMatrixStoresOnlyWhatDiffersFromIdentity) {
  std::unique_ptr<CSwfMatrix> moved(CreateSwfMatrix(100, -200, 1.0, 1.0, 0, 0));
  EXPECT_FALSE(moved->hasScale);
  EXPECT_FALSE(moved->hasRotate);
  EXPECT_EQ(moved->translateX, 100);
  EXPECT_EQ(moved->translateY, -200);

  std::unique_ptr<CSwfMatrix> scaled(CreateSwfMatrix(0, 0, 2.0, 0.5, 0, 0));
  EXPECT_TRUE(scaled->hasScale);
  EXPECT_EQ(scaled->scaleX, 131072);
  EXPECT_EQ(scaled->scaleY, 32768);

  std::unique_ptr<CSwfMatrix> turned(CreateSwfMatrix(0, 0, 1.0, 1.0, 90, 90));
  EXPECT_TRUE(turned->hasRotate);
  EXPECT_EQ(turned->rotateSkew0, 65536);
  EXPECT_EQ(turned->rotateSkew1, -65535);  // truncated towards zero after adding 0.5
  EXPECT_TRUE(turned->hasScale);
  EXPECT_EQ(turned->scaleX, 0);
  EXPECT_EQ(turned->scaleY, 0);

  std::unique_ptr<CSwfMatrix> huge(CreateSwfMatrix(0, 0, 1e12, -1e12, 0, 0));
  EXPECT_EQ(huge->scaleX, INT32_MAX);
  EXPECT_EQ(huge->scaleY, INT32_MIN);
}

TEST(SwfRecords, ColourTransformSetters) {
  CSwfCxform cxform;
  struct Scale {
    double value;
    s32 term;
  };
  for (const Scale& s : {Scale{1.5, 256}, Scale{-1, 0}, Scale{0.5, 128}, Scale{1.0, 256}}) {
    cxform.SetColorScale(s.value);
    EXPECT_EQ(cxform.redMultTerm, s.term) << s.value;
    EXPECT_EQ(cxform.blueMultTerm, s.term) << s.value;
    EXPECT_TRUE(cxform.hasMultTerms);
    EXPECT_FALSE(cxform.hasAddTerms);
  }

  cxform.SetSolidColor(0x0000FF);
  EXPECT_EQ(cxform.redAddTerm, 256);
  EXPECT_EQ(cxform.greenAddTerm, 0);
  EXPECT_EQ(cxform.blueAddTerm, 0);
  EXPECT_EQ(cxform.redMultTerm, 0);
  EXPECT_TRUE(cxform.hasAddTerms && cxform.hasMultTerms);

  cxform.SetMultiplyColor(0x80FF00);
  EXPECT_EQ(cxform.redMultTerm, 0);
  EXPECT_EQ(cxform.greenMultTerm, 256);
  EXPECT_EQ(cxform.blueMultTerm, 129);
  EXPECT_FALSE(cxform.hasAddTerms);
  EXPECT_EQ(cxform.redAddTerm, 256) << "add terms keep their values";

  CSwfCxformWithAlpha alpha;
  EXPECT_EQ(alpha.alphaMultTerm, 0);
  alpha.SetColorScale(0.25);
  EXPECT_EQ(alpha.alphaMultTerm, 256);
  EXPECT_EQ(alpha.greenMultTerm, 64);
  alpha.SetAlphaMultiply(77, true);
  EXPECT_EQ(alpha.alphaMultTerm, 77);
  EXPECT_EQ(alpha.redMultTerm, 256);
  alpha.Reset();
  EXPECT_EQ(alpha.alphaMultTerm, 0);
  EXPECT_FALSE(alpha.hasMultTerms);
}

TEST(SwfRecords, ColourTransformsReadAbsentMultiplyTermsAs256) {
  // hasAdd 1, hasMult 0, width 2, add terms 1, -1, 0: 10 0010 01 11 00
  CSwfBitWriter writer(4);
  writer.WriteBits(0b10001001, 8);
  writer.WriteBits(0b1100, 4);
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromWriter(writer));
  CSwfCxform plain;
  EXPECT_EQ(plain.Read(reader), 2u);
  EXPECT_EQ(plain.redMultTerm, 256);
  EXPECT_EQ(plain.greenAddTerm, -1);
  EXPECT_FALSE(plain.hasMultTerms) << "the flags stay as read";

  // The alpha form turns absent multiply terms into explicit ones.
  CSwfBitWriter alphaWriter(4);
  alphaWriter.WriteBits(0b10001001, 8);
  alphaWriter.WriteBits(0b11000100, 8);
  ASSERT_TRUE(reader.LoadFromWriter(alphaWriter));
  CSwfCxformWithAlpha alpha;
  alpha.Read(reader);
  EXPECT_TRUE(alpha.hasMultTerms);
  EXPECT_EQ(alpha.alphaMultTerm, 256);
  EXPECT_EQ(alpha.alphaAddTerm, 1);
  const std::vector<u8> written = Written(alpha);
  EXPECT_EQ(written[0] >> 6, 3) << "written back with both kinds of terms";
}

TEST(SwfRecords, ColoursReadAndWriteTheirBytes) {
  const std::vector<u8> bytes = Bytes({1, 2, 3, 4});
  CSwfBitWriter writer(4);
  writer.AppendBytes(bytes);
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromWriter(writer));
  CSwfRgba rgba;
  EXPECT_EQ(rgba.Read(reader), 4u);
  EXPECT_EQ(Written(rgba), bytes);
  reader.Seek(0);
  CSwfRgb rgb;
  EXPECT_EQ(rgb.Read(reader), 3u);
  EXPECT_EQ(Written(rgb), Bytes({1, 2, 3}));

  CSwfRgba target(9, 9, 9, 42);
  target.CopyFrom(CSwfRgb(10, 20, 30));
  EXPECT_EQ(target.red, 10);
  EXPECT_EQ(target.blue, 30);
  EXPECT_EQ(target.alpha, 42) << "copying from a colour without alpha keeps alpha";
}

TEST(SwfRecords, RandomRecordsRoundTrip) {
  std::mt19937 random(20240611);
  const s32 kField = (1 << 30) - 1;
  const s32 edges[] = {0, 1, -1, 16, -16, kField, -kField - 1, 65536, -65536};
  auto field = [&](s32 limit) {
    if (random() % 4 == 0) return std::clamp(edges[random() % 9], -limit - 1, limit);
    std::uniform_int_distribution<s32> any(-limit - 1, limit);
    std::uniform_int_distribution<s32> small(-300, 300);
    return random() % 2 ? any(random) : small(random);
  };
  for (int i = 0; i < 500; ++i) {
    SCOPED_TRACE(i);
    CSwfRect rect, rectBack;
    rect.xMin = field(kField);
    rect.xMax = field(kField);
    rect.yMin = field(kField);
    rect.yMax = field(kField);
    WriteAndReadBack(rect, rectBack);
    EXPECT_EQ(Fields(rectBack), Fields(rect));

    CSwfMatrix matrix, matrixBack;
    matrix.hasScale = random() % 2;
    matrix.hasRotate = random() % 2;
    if (matrix.hasScale) matrix.scaleX = field(kField), matrix.scaleY = field(kField);
    if (matrix.hasRotate) matrix.rotateSkew0 = field(kField), matrix.rotateSkew1 = field(kField);
    if (random() % 3) matrix.translateX = field(kField), matrix.translateY = field(kField);
    WriteAndReadBack(matrix, matrixBack);
    EXPECT_EQ(Fields(matrixBack), Fields(matrix));

    const s32 kTerm = (1 << 14) - 1;
    CSwfCxformWithAlpha cxform, cxformBack;
    cxform.hasMultTerms = 1;
    cxform.hasAddTerms = random() % 2;
    cxform.SetMultiplyTerms(field(kTerm), field(kTerm), field(kTerm));
    cxform.alphaMultTerm = field(kTerm);
    if (cxform.hasAddTerms) {
      cxform.redAddTerm = field(kTerm);
      cxform.greenAddTerm = field(kTerm);
      cxform.blueAddTerm = field(kTerm);
      cxform.alphaAddTerm = field(kTerm);
    }
    WriteAndReadBack(cxform, cxformBack);
    EXPECT_EQ(Fields(cxformBack), Fields(cxform));

    // Read without multiply terms, the plain form holds 256 in each.
    CSwfCxform plain, plainBack;
    plain.hasAddTerms = 1;
    plain.hasMultTerms = random() % 2;
    if (plain.hasMultTerms) {
      plain.SetMultiplyTerms(field(kTerm), field(kTerm), field(kTerm));
    } else {
      plain.SetMultiplyTerms(256, 256, 256);
    }
    plain.redAddTerm = field(kTerm);
    plain.blueAddTerm = field(kTerm);
    WriteAndReadBack(plain, plainBack);
    EXPECT_EQ(Fields(plainBack), Fields(plain));
  }
}
