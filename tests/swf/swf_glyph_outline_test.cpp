#include "swf/swf_glyph_outline.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_shape_tags.h"
#include "swf/swf_shape.h"
#include "tests/swf/swf_graphics_test_support.h"
#include "tests/swf/swf_test_movies.h"
#include "tests/swf/swf_text_test_support.h"

using swftest::DescribeShape;
using swftest::ShapePoints;

namespace {

// Outlines of the box font.
struct BoxGlyphs : swftest::BoxFonts {};

// The records as one glyph shape.
CSwfShape ShapeOf(CSwfShapeRecordList& records) {
  CSwfShape shape(1);
  shape.SetBits(1, 0);
  for (auto& record : records) shape.AddRecord(record.release());
  records.clear();
  return shape;
}

std::string Box(const CSwfRect& r) {
  return std::to_string(r.xMin) + " " + std::to_string(r.yMin) + " " + std::to_string(r.xMax) + " " +
         std::to_string(r.yMax);
}

int MoveCount(const CSwfShape& shape) {
  int moves = 0;
  for (const auto& record : shape.records)
    if (record->GetType() == kSwfStyleChangeRecord &&
        (static_cast<const CSwfStyleChangeRecord&>(*record).flags & kSwfStateMoveTo))
      ++moves;
  return moves;
}

TEST_F(BoxGlyphs, OutlinePointsAreTruncatedWithYNegated) {
  CGlyphOutline outline;
  EXPECT_FALSE(outline.LoadCharOutline('A'));  // no font yet
  ASSERT_TRUE(outline.SetStyle(Font(16)));

  // The letter c starts with a curve: its start point comes first, on the curve.
  ASSERT_TRUE(outline.LoadCharOutline('c'));
  ASSERT_EQ(outline.GetContours().size(), 1u);
  const CGlyphContour& contour = outline.GetContours()[0];
  std::vector<std::string> points;
  for (const CGlyphPoint& p : contour)
    points.push_back(std::to_string(p.x) + "," + std::to_string(p.y) + (p.onCurve ? "" : "*"));
  EXPECT_EQ(points, (std::vector<std::string>{"1,0", "256,-200*", "511,0", "511,700", "1,700", "1,0"}));
  EXPECT_EQ(outline.GetPointCount(), 6);
  EXPECT_EQ(outline.GetAdvance(), 512);
  // The bounds reach as far as the curve does (100 units below the
  // baseline), not to its control point.
  EXPECT_EQ(outline.GetMinX(), 1);
  EXPECT_EQ(outline.GetMaxX(), 511);
  EXPECT_EQ(outline.GetMinY(), -100);
  EXPECT_EQ(outline.GetMaxY(), 700);

  // A second load replaces the outline.
  ASSERT_TRUE(outline.LoadCharOutline('o'));
  EXPECT_EQ(outline.GetContours().size(), 2u);
  EXPECT_EQ(outline.GetPointCount(), 10);
  ASSERT_TRUE(outline.LoadCharOutline(' '));
  EXPECT_TRUE(outline.GetContours().empty());
  EXPECT_EQ(outline.GetAdvance(), 256);
  EXPECT_FALSE(outline.LoadCharOutline(0));  // no font has it
  EXPECT_TRUE(outline.GetContours().empty());

  // Path coordinates are truncated toward zero, each way.
  CGlyphOutline built;
  built.BeginContour();
  built.BeginContour();  // an empty contour is no contour
  built.AddLine({-1.7f, 2.9f}, {3.99f, -0.5f});
  built.AddCurve({3.99f, -0.5f}, {-8.5f, 1e9f}, {2.5f, -3.5f});
  built.EndContour();
  // A segment after a closed contour starts a new one with its start point.
  built.AddCurve({0, 0}, {5, 5}, {10, 0});
  built.EndContour();
  ASSERT_EQ(built.GetContours().size(), 2u);
  EXPECT_EQ(built.GetContours()[1].size(), 3u);
  points.clear();
  for (const CGlyphPoint& p : built.GetContours()[0])
    points.push_back(std::to_string(p.x) + "," + std::to_string(p.y) + (p.onCurve ? "" : "*"));
  // A coordinate far out is held where an edge can still reach it.
  EXPECT_EQ(points, (std::vector<std::string>{"-1,-2", "3,0", "-8,-32767*", "2,3"}));
}

TEST_F(BoxGlyphs, GlyphRecordsMoveToEachContourAndFollowItsEdges) {
  CSwfShapeRecordList records;
  CSwfRect bounds;
  ASSERT_TRUE(BuildGlyphShapeRecords(records, Font(12), 'c', bounds));
  CSwfShape c = ShapeOf(records);
  EXPECT_EQ(DescribeShape(c),
            "change 13;move 1 0;fill1 1;line 0;curve 255 200 255 -200;straight 2 0 -700;"
            "straight 1 -510 0;straight 2 0 700;end;");
  EXPECT_EQ(Box(bounds), "1 -700 511 100");

  // Two contours, each opened by its own move.
  ASSERT_TRUE(BuildGlyphShapeRecords(records, Font(12), 'o', bounds));
  CSwfShape o = ShapeOf(records);
  EXPECT_EQ(MoveCount(o), 2);
  EXPECT_EQ(ShapePoints(o), (std::vector<std::string>{"1,0", "1,-700", "511,-700", "511,0", "1,0", "100,-100",
                                                      "100,-600", "412,-600", "412,-100", "100,-100"}));
  EXPECT_EQ(Box(bounds), "1 -700 511 0");

  // A blank has no contours: the end record alone and empty bounds.
  bounds.Set(1, 2, 3, 4, false);
  ASSERT_TRUE(BuildGlyphShapeRecords(records, Font(12), ' ', bounds));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]->GetType(), kSwfEndShapeRecord);
  EXPECT_EQ(Box(bounds), "0 0 0 0");

  // A character no font has: no records, the bounds untouched.
  EXPECT_FALSE(BuildGlyphShapeRecords(records, Font(12), 0, bounds));
  EXPECT_TRUE(records.empty());
  EXPECT_EQ(Box(bounds), "0 0 0 0");
}

TEST(GlyphOutline, EdgeRecordsTakeTheirShortestForm) {
  CSwfShapeRecordList records;
  AddStraightEdge(records, 10, 10, 10, 30);   // vertical
  AddStraightEdge(records, 10, 10, 10, 10);   // no length: vertical too
  AddStraightEdge(records, 10, 10, 40, 50);   // general
  AddStraightEdge(records, 10, 10, -20, 10);  // horizontal
  // Stored coordinates (y negated): from (0, 0) through (5, -5) to (10, 0).
  AddCurvedEdge(records, 0, 0, 5, -5, 10, 0);
  CSwfShape shape = ShapeOf(records);
  EXPECT_EQ(DescribeShape(shape),
            "straight 2 0 20;straight 2 0 0;straight 0 30 40;straight 1 -30 0;curve 5 5 5 -5;");
}

TEST(GlyphOutline, BoundsOfInstalledGlyphsAreTheirOutlinesExtremes) {
  CFont font;
  ASSERT_TRUE(swftest::UseDejaVuSans(font, 12));
  plat::FontRequest request{"DejaVu Sans", 1024, 0};
  for (const char c : std::string("AOQSgj@&%8\x80\xA7")) {
    CSwfShapeRecordList records;
    CSwfRect bounds;
    ASSERT_TRUE(BuildGlyphShapeRecords(records, font, c, bounds)) << int(u8(c));
    plat::CharMetrics metrics;
    ASSERT_TRUE(plat::InstalledFontSource().OutlineMetrics(request, plat::MacRomanToUnicode(u8(c)), &metrics));
    // FreeType's exact box, in units of the 1024-unit em; points are
    // truncated, so within a unit.
    EXPECT_NEAR(bounds.xMin, metrics.left, 1.0) << int(u8(c));
    EXPECT_NEAR(bounds.xMax, metrics.right, 1.0) << int(u8(c));
    EXPECT_NEAR(bounds.yMin, metrics.top, 1.0) << int(u8(c));
    EXPECT_NEAR(bounds.yMax, metrics.bottom, 1.0) << int(u8(c));
    EXPECT_GE(MoveCount(ShapeOf(records)), 1) << int(u8(c));
  }
  CSwfShapeRecordList records;
  CSwfRect bounds;
  ASSERT_TRUE(BuildGlyphShapeRecords(records, font, 'o', bounds));
  EXPECT_EQ(MoveCount(ShapeOf(records)), 2);
}

TEST_F(BoxGlyphs, DefineFont2HoldsOneGlyphPerCharacter) {
  CFont font = Font(16);
  font.SetBold(true);
  CSwfShapeRecordList scratch;
  // The bullet (0xA5) comes from another font.
  std::unique_ptr<CSwfDefineFont2> tag(BuildDefineFont2(scratch, font, "Ac \xA5", 7, false));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->GetCharacterId(), 7);
  EXPECT_EQ(tag->GetName(), "Boxes");
  EXPECT_FALSE(tag->GetAppendIdToName());
  EXPECT_EQ(tag->GetFlags(), kFont2Ansi | kFont2HasLayout | kFont2Bold);
  EXPECT_EQ(tag->GetCodeTable(), (std::vector<u16>{'A', 'c', ' ', 0xA5}));
  // Outline and ideal advances averaged: 8, 8, 4 and 6 units of 64.
  EXPECT_EQ(tag->GetAdvances(), (std::vector<s16>{512, 512, 256, 384}));
  ASSERT_EQ(tag->GetGlyphs().size(), 4u);
  EXPECT_EQ(Box(*tag->GetGlyphBounds()[0]), "1 -700 511 0");
  EXPECT_EQ(Box(*tag->GetGlyphBounds()[1]), "1 -700 511 100");
  EXPECT_EQ(Box(*tag->GetGlyphBounds()[2]), "0 0 0 0");
  EXPECT_EQ(tag->GetGlyphs()[2]->records.size(), 1u);
  EXPECT_EQ(MoveCount(*tag->GetGlyphs()[3]), 1);
  // Ascent (768 of 1024) plus half an em, descent, leading.
  EXPECT_EQ(tag->GetAscent(), 1280);
  EXPECT_EQ(tag->GetDescent(), 256);
  EXPECT_EQ(tag->GetLeading(), 0);
  EXPECT_TRUE(scratch.empty());

  // The id appended to the name, and italic.
  font.SetFace(plat::kFaceItalic);
  tag.reset(BuildDefineFont2(scratch, font, "A", 12, true));
  ASSERT_NE(tag, nullptr);
  EXPECT_TRUE(tag->GetAppendIdToName());
  EXPECT_EQ(tag->GetFlags(), kFont2Ansi | kFont2HasLayout | kFont2Italic);
  const std::vector<u8> body = swftest::WrittenBody(tag.get(), 8);
  EXPECT_NE(std::string(body.begin(), body.end()).find("Boxes12"), std::string::npos);

  EXPECT_EQ(BuildDefineFont2(scratch, font, nullptr, 1, false), nullptr);
  tag.reset(BuildDefineFont2(scratch, font, "", 1, false));
  ASSERT_NE(tag, nullptr);
  EXPECT_TRUE(tag->GetGlyphs().empty());
}

TEST_F(BoxGlyphs, AdvancesSurviveEveryFontHeight) {
  // The height in em units is (ascent + descent, rounded apart) x 1024 /
  // (their sum rounded): above 1024 or 0 it must neither zero every advance
  // nor divide by zero; at 512 and below advances are halved.
  struct Case {
    double ascent, descent;
    s16 advance;
  } cases[] = {
      {12, 4, 512},       // 1024
      {9.5, 2.5, 512},    // 1109
      {0.2, 0.2, 512},    // a height of 0
      {1.4, 0.4, 256},    // 512
  };
  for (const Case& c : cases) {
    source.fixedLine = true;
    source.line = {c.ascent, c.descent, 0};
    CSwfShapeRecordList scratch;
    std::unique_ptr<CSwfDefineFont2> tag(BuildDefineFont2(scratch, Font(12), "AB", 1, false));
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->GetAdvances(), (std::vector<s16>{c.advance, c.advance})) << c.ascent << " " << c.descent;
  }
}

TEST_F(BoxGlyphs, DefineFontCarriesItsOffsetTable) {
  CSwfShapeRecordList scratch;
  std::unique_ptr<CSwfDefineFont> tag(BuildDefineFont(scratch, Font(12), "Ao ", 3));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->GetCharacterId(), 3);
  ASSERT_EQ(tag->GetGlyphs().size(), 3u);
  auto length = [](CSwfShape& shape) {
    CSwfBitWriter writer(4);
    shape.Write(writer);
    writer.FlushBits();
    return u32(writer.GetByteCount());
  };
  const u32 a = length(*tag->GetGlyphs()[0]), o = length(*tag->GetGlyphs()[1]);
  EXPECT_EQ(tag->GetOffsets(), (std::vector<u32>{6, 6 + a, 6 + a + o}));
  EXPECT_EQ(MoveCount(*tag->GetGlyphs()[1]), 2);

  // It reads back as written.
  const std::unique_ptr<CSwfTag> read = swftest::ReadTag({kSwfDefineFontCode, swftest::WrittenBody(tag.get(), 4)}, 4);
  auto* font = dynamic_cast<CSwfDefineFont*>(read.get());
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->GetOffsets(), tag->GetOffsets());
  ASSERT_EQ(font->GetGlyphs().size(), 3u);
  EXPECT_EQ(DescribeShape(*font->GetGlyphs()[1]), DescribeShape(*tag->GetGlyphs()[1]));

  EXPECT_EQ(BuildDefineFont(scratch, Font(12), nullptr, 1), nullptr);
}

TEST(GlyphOutline, CreateDefineShapeIsEmpty) {
  std::unique_ptr<CSwfDefineShape> shape(CreateDefineShape(42));
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->GetCharacterId(), 42);
}

}  // namespace
