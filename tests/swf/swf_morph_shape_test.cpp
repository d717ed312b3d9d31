#include "swf/swf_morph_shape.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/test_support.h"
#include "tests/swf/swf_graphics_test_support.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::BuildMovie;
using swftest::Bytes;
using swftest::MovieOfTags;
using swftest::ReadFrom;
using swftest::ReadTag;
using swftest::Written;
using swftest::WrittenBody;

namespace {

CSwfMatrix* Translation(s32 x, s32 y) {
  auto* matrix = new CSwfMatrix;
  matrix->translateX = x;
  matrix->translateY = y;
  return matrix;
}

CSwfMorphFillStyle* BitmapFill(u8 type, u16 id, s32 startX, s32 endX) {
  auto* fill = new CSwfMorphFillStyle;
  fill->type = type;
  fill->bitmapId = id;
  fill->startMatrix.reset(Translation(startX, 0));
  fill->endMatrix.reset(Translation(endX, 0));
  return fill;
}

CSwfMorphLineStyle* Line(u16 from, u16 to) {
  return new CSwfMorphLineStyle(from, new CSwfRgba(1, 2, 3, 4), to, new CSwfRgba(5, 6, 7, 8));
}

// A morph rectangle with a fill of each kind and one line style.
std::unique_ptr<CSwfDefineMorphShape> SampleMorph() {
  auto morph = std::make_unique<CSwfDefineMorphShape>();
  morph->SetCharacterId(9);
  morph->SetRectangle(0, 0, 100, 200, new CSwfMorphFillStyle(0x0000FF, 0x00FF00), Line(20, 60), true);
  morph->SetRectangle(50, 50, 300, 100, nullptr, nullptr, false);
  auto* gradient = new CSwfMorphFillStyle;
  gradient->type = kSwfLinearGradientFill;
  gradient->startMatrix.reset(Translation(10, 20));
  gradient->endMatrix.reset(Translation(30, 40));
  gradient->gradient = std::make_unique<CSwfMorphGradient>();
  EXPECT_TRUE(gradient->gradient->AddRecord(
      new CSwfMorphGradRecord(0, new CSwfRgba(255, 0, 0, 255), 40, new CSwfRgba(0, 0, 255, 128))));
  EXPECT_TRUE(gradient->gradient->AddRecord(
      new CSwfMorphGradRecord(255, new CSwfRgba(0, 0, 0, 255), 200, new CSwfRgba(9, 9, 9, 9))));
  morph->GetFillStyles()->Add(gradient);
  for (u8 type = kSwfRepeatingBitmapFill; type <= kSwfClippedHardBitmapFill; ++type)
    morph->GetFillStyles()->Add(BitmapFill(type, u16(type), type * 10, -type * 10));
  morph->GetLineStyles()->Add(Line(1, 2));
  return morph;
}

}  // namespace

TEST(SwfMorphShape, EveryFillTypeReadsAndWritesItsLayoutAndTheRestFollows) {
  const std::unique_ptr<CSwfDefineMorphShape> morph = SampleMorph();
  const std::vector<u8> body = WrittenBody(morph.get());
  const std::unique_ptr<CSwfTag> read = ReadTag({kSwfDefineMorphShapeCode, body});
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(WrittenBody(read.get()), body);
  EXPECT_EQ(swftest::DescribeGraphicsTag(read.get()), swftest::DescribeGraphicsTag(morph.get()));

  // A reader that is not ours finds every style and the edges after them.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::map<std::string, std::string> values =
      swftest::IndependentValues(MovieOfTags({morph.get()}));
  ASSERT_FALSE(values.empty());
  const std::string styles = "tags.0.shape.initialStyles.";
  EXPECT_EQ(values.at(styles + "fill.length"), "6");
  EXPECT_EQ(values.at(styles + "fill.0.color.b"), "0");
  EXPECT_EQ(values.at(styles + "fill.0.color.r"), "255");
  EXPECT_EQ(values.at(styles + "fill.0.morphColor.g"), "255");
  EXPECT_EQ(values.at(styles + "fill.1.gradient.colors.0.morphRatio"), "40");
  EXPECT_EQ(values.at(styles + "fill.1.gradient.colors.0.morphColor.a"), "128");
  EXPECT_EQ(values.at(styles + "fill.1.morphMatrix.translateY"), "40");
  for (int type = 0x40; type <= 0x43; ++type) {
    const std::string fill = styles + "fill." + std::to_string(type - 0x40 + 2) + ".";
    EXPECT_EQ(values.at(fill + "bitmapId"), std::to_string(type));
    EXPECT_EQ(values.at(fill + "matrix.translateX"), std::to_string(type * 10));
    EXPECT_EQ(values.at(fill + "morphMatrix.translateX"), std::to_string(-type * 10));
  }
  EXPECT_EQ(values.at(styles + "line.length"), "2");
  EXPECT_EQ(values.at(styles + "line.0.morphWidth"), "60");
  EXPECT_EQ(values.at(styles + "line.1.fill.morphColor.b"), "7");
  EXPECT_EQ(values.at("tags.0.shape.records.0.morphMoveTo.x"), "50");
  EXPECT_EQ(values.at("tags.0.shape.records.1.delta.x"), "100");
  EXPECT_EQ(values.at("tags.0.shape.records.1.morphDelta.x"), "300");
  EXPECT_EQ(values.at("tags.0.shape.records.2.morphDelta.y"), "100");
  EXPECT_EQ(values.at("tags.0.morphBounds.xMax"), "350");

  // Types without a layout of their own are their type byte alone; the
  // fields behind such a type cannot be read, and a morph shape holding one
  // is kept as its bytes (its styles and edges are not dropped as padding).
  CSwfMorphFillStyle unknown;
  EXPECT_EQ(ReadFrom(Bytes({0x13, 1, 2, 3}), unknown), 1u);
  EXPECT_EQ(Written(unknown), Bytes({0x13}));
  // A black fill whose colour bytes, read past an unknown type, end the
  // start part early: the start edges would be dropped as padding.
  CSwfDefineMorphShape black;
  black.SetCharacterId(9);
  black.SetRectangle(0, 0, 100, 200, new CSwfMorphFillStyle(0x000000, 0x000000), Line(20, 60), true);
  black.SetRectangle(50, 50, 300, 100, nullptr, nullptr, false);
  for (CSwfDefineMorphShape* shape : {&black, morph.get()}) {
    const std::vector<u8> whole = WrittenBody(shape);
    CSwfBitWriter head(8);
    head.WriteU16(9);
    shape->GetStartBounds()->Write(head);
    shape->GetEndBounds()->Write(head);
    // The first fill style's type lies behind the offset and the style count.
    const size_t firstType = head.GetBytes().size() + 4 + 1;
    ASSERT_EQ(whole[firstType], kSwfSolidFill);
    for (const u8 type : {u8(0x01), u8(0x13), u8(0x44), u8(0xFF)}) {
      SCOPED_TRACE(int(type));
      std::vector<u8> changed = whole;
      changed[firstType] = type;
      swftest::ExpectKeptAsBytes({kSwfDefineMorphShapeCode, changed});
    }
  }
}

TEST(SwfMorphShape, GradientRecordsKeepBothRatiosInOrder) {
  CSwfMorphGradient gradient;
  const std::vector<u8> bytes = Bytes({2, 10, 1, 2, 3, 4, 20, 5, 6, 7, 8, 30, 0, 0, 0, 0, 40, 9, 9, 9, 9});
  EXPECT_EQ(ReadFrom(bytes, gradient), bytes.size());
  ASSERT_EQ(gradient.GetRecords().size(), 2u);
  EXPECT_EQ(gradient.GetRecords()[0]->startRatio, 10);
  EXPECT_EQ(gradient.GetRecords()[0]->endRatio, 20);
  EXPECT_EQ(gradient.GetRecords()[1]->endColor->alpha, 9);
  EXPECT_EQ(Written(gradient), bytes);
  // Announced records beyond the data are not made up.
  CSwfMorphGradient cut;
  ReadFrom(Bytes({255, 10, 1, 2, 3, 4, 20, 5, 6, 7, 8}), cut);
  EXPECT_EQ(cut.GetRecords().size(), 1u);
  EXPECT_EQ(Written(cut)[0], 1);
}

// The end edges are read where their offset points: behind the start part,
// or further on inside the body (the bytes between are padding). An offset
// that disagrees with the body (back into the start part, at or past its
// end) keeps the tag as its bytes: never a shape of other edges.
TEST(SwfMorphShape, TheEndEdgesLieWhereTheirOffsetPoints) {
  const std::unique_ptr<CSwfDefineMorphShape> morph = SampleMorph();
  const std::vector<u8> body = WrittenBody(morph.get());
  const std::string described = swftest::DescribeGraphicsTag(morph.get());
  // Where the offset field lies: after the id and the two bounds.
  CSwfBitWriter head(8);
  head.WriteU16(9);
  morph->GetStartBounds()->Write(head);
  morph->GetEndBounds()->Write(head);
  const size_t at = head.GetBytes().size();
  const u32 offset = u32(body[at]) | (u32(body[at + 1]) << 8);
  const u32 behindOffset = u32(body.size() - at - 4);
  ASSERT_GT(offset, 20u);
  ASSERT_LT(offset, behindOffset);

  auto withOffset = [&](u32 value, size_t padding) {
    std::vector<u8> changed = body;
    for (int i = 0; i < 4; ++i) changed[at + size_t(i)] = u8(value >> (8 * i));
    changed.insert(changed.begin() + long(at + 4 + offset), padding, 0xAA);
    return changed;
  };
  struct Case {
    const char* what;
    std::vector<u8> body;
    bool kept;  // as its bytes
  };
  const Case cases[] = {
      {"the offset as written", withOffset(offset, 0), false},
      {"padding before the end edges is skipped", withOffset(offset + 3, 3), false},
      {"an offset of 0", withOffset(0, 0), true},
      {"an offset into the fill styles", withOffset(2, 0), true},
      {"an offset back into the start edges", withOffset(offset - 1, 0), true},
      {"an offset at the end of the body", withOffset(behindOffset, 0), true},
      {"an offset past the body", withOffset(0xFFFFFFF0u, 0), true},
      // The body ends with the start edges, where the offset points.
      {"no end edges behind the offset", std::vector<u8>(body.begin(), body.begin() + long(at + 4 + offset)), true},
      // Two bytes: into the last edge, not the end record alone (a shape
      // whose body ends where its end record would be ends there).
      {"end edges cut by the body", std::vector<u8>(body.begin(), body.end() - 2), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.kept) {
      swftest::ExpectKeptAsBytes({kSwfDefineMorphShapeCode, c.body});
      continue;
    }
    // Every style and both edge lists are there, and the tag is written
    // back with the offset of what it holds.
    const std::unique_ptr<CSwfTag> read = ReadTag({kSwfDefineMorphShapeCode, c.body});
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(swftest::DescribeGraphicsTag(read.get()), described);
    const std::vector<u8> written = WrittenBody(read.get());
    EXPECT_EQ(written, body);
  }

  // The other reader finds the same values in the tag as written.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::string folder = gbtest::MakeTempFolder("morph_offsets");
  const std::vector<u8> movie = BuildMovie({{kSwfDefineMorphShapeCode, body}, {0, {}}});
  ASSERT_TRUE(gbtest::WriteFile(folder + "a.swf", movie));
  ASSERT_TRUE(gbtest::WriteFile(folder + "b.swf", movie));
  const std::vector<std::string> verdicts = swftest::CompareWithIndependentReader({{folder + "a.swf", folder + "b.swf"}});
  ASSERT_EQ(verdicts.size(), 1u);
  EXPECT_EQ(verdicts[0], "same 1 0") << "the morph shape, decoded";
}

TEST(SwfMorphShape, RectanglesOfBothStatesHaveAnEndEdgeForEveryStartEdge) {
  CSwfDefineMorphShape morph;
  morph.SetCharacterId(3);
  morph.SetRectangle(0, 0, 100, 100, new CSwfMorphFillStyle(0, 0), nullptr, true);
  ASSERT_EQ(morph.GetFillStyles()->styles.size(), 1u);
  // The end state leaves the arrays alone; its long sides are split, and
  // the start state's sides with them.
  morph.SetRectangle(-100000, 0, 250000, 70000, new CSwfMorphFillStyle(0, 0), Line(1, 1), false);
  EXPECT_EQ(morph.GetFillStyles()->styles.size(), 1u);
  EXPECT_TRUE(morph.GetLineStyles()->styles.empty());
  EXPECT_EQ(morph.GetStartEdges()->records.size(), morph.GetEndEdges()->records.size());
  EXPECT_EQ(morph.GetStartEdges()->records.size(), 1u + 5 + 2 + 5 + 2 + 1);
  EXPECT_EQ(morph.GetEndBounds()->xMax, 150000);

  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::map<std::string, std::string> values =
      swftest::IndependentValues(MovieOfTags({&morph}));
  ASSERT_FALSE(values.empty()) << "every start edge has its end edge";
  long long x = 0, y = 0, endX = -100000, endY = 0;
  for (int i = 1; i <= 14; ++i) {
    const std::string record = "tags.0.shape.records." + std::to_string(i) + ".";
    x += std::stoll(values.at(record + "delta.x"));
    y += std::stoll(values.at(record + "delta.y"));
    endX += std::stoll(values.at(record + "morphDelta.x"));
    endY += std::stoll(values.at(record + "morphDelta.y"));
    if (i == 5) {
      EXPECT_EQ(endX, 150000);
    }
    if (i == 7) {
      EXPECT_EQ(endY, 70000);
    }
  }
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(endX, -100000);
  EXPECT_EQ(endY, 0);
}

TEST(SwfMorphShape, OffsetIdsShiftsTheIdAndEveryBitmapFill) {
  const std::unique_ptr<CSwfDefineMorphShape> morph = SampleMorph();
  morph->GetFillStyles()->Add(BitmapFill(kSwfClippedBitmapFill, kSwfNoBitmap, 0, 0));
  auto* change = new CSwfStyleChangeRecord(0, 0, morph->GetStartEdges());
  change->fillStyles = std::make_unique<CSwfFillStyleArray>(1);
  auto* inner = new CSwfFillStyle(1);
  inner->type = kSwfRepeatingBitmapFill;
  inner->bitmapId = 7;
  change->fillStyles->Add(inner);
  change->UpdateFlags();
  morph->GetStartEdges()->AddRecord(change);

  morph->OffsetIds(100, 1);
  EXPECT_EQ(morph->GetCharacterId(), 109);
  const auto& fills = morph->GetFillStyles()->styles;
  for (size_t i = 2; i < 6; ++i) EXPECT_EQ(fills[i]->bitmapId, 0x40 + (i - 2) + 100) << i;
  EXPECT_EQ(fills[6]->bitmapId, kSwfNoBitmap);
  EXPECT_EQ(fills[0]->bitmapId, 0) << "solid fills have no bitmap";
  EXPECT_EQ(inner->bitmapId, 107);

  // An edge that fits no field: the tag refuses to write rather than wrap it.
  morph->GetEndEdges()->records.insert(morph->GetEndEdges()->records.begin() + 1,
                                       std::make_unique<CSwfStraightEdgeRecord>(70000, 0));
  EXPECT_FALSE(morph->CanWrite());
  CSwfBitWriter writer(8);
  EXPECT_EQ(morph->Write(writer), 0u);
  EXPECT_TRUE(writer.GetBytes().empty());

  morph->Reset();
  EXPECT_EQ(morph->GetCharacterId(), 0);
  EXPECT_EQ(morph->GetFillStyles(), nullptr);
}
