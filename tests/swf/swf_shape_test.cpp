#include "swf/swf_shape.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "tests/swf/swf_graphics_test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::DescribeShape;
using swftest::ReadFrom;
using swftest::ShapePoints;
using swftest::Written;

namespace {

// Bit strings are easier to check than bytes: "1" and "0" characters,
// spaces ignored, padded with zeros to whole bytes.
std::vector<u8> Bits(const std::string& text) {
  CSwfBitWriter writer(8);
  for (char c : text) {
    if (c == '0' || c == '1') writer.WriteBits(c == '1', 1);
  }
  return writer.GetBytes();
}

CSwfStyleChangeRecord* MoveTo(s32 x, s32 y, CSwfShape& shape, u16 fill1 = 0, u16 line = 0) {
  auto* change = new CSwfStyleChangeRecord(x, y, &shape);
  change->SetFillStyle(fill1, 1);
  change->SetLineStyle(line);
  change->UpdateFlags();
  return change;
}

}  // namespace

TEST(SwfShapeRecords, EdgesTakeTheNarrowestWidthOfTwoBitsOrMore) {
  // Deltas of 1 bit still take a 2-bit width (field 0).
  CSwfStraightEdgeRecord small(1, 0, kSwfHorizontalLine);
  EXPECT_EQ(Written(small), Bits("11 0000 00 01"));
  CSwfStraightEdgeRecord general(-3, 4, kSwfGeneralLine);
  EXPECT_EQ(Written(general), Bits("11 0010 1 1101 0100"));
  CSwfStraightEdgeRecord vertical(0, -8, kSwfVerticalLine);
  EXPECT_EQ(Written(vertical), Bits("11 0011 01 11000"));
  // A horizontal edge with a stored vertical delta takes the width of both.
  CSwfStraightEdgeRecord wide(1, 1000, kSwfHorizontalLine);
  EXPECT_EQ(Written(wide), Bits("11 1001 00 00000000001"));
  CSwfCurvedEdgeRecord curve(1, -2, 3, 0);
  EXPECT_EQ(Written(curve), Bits("10 0001 001 110 011 000"));
  CSwfEndShapeRecord end;
  EXPECT_EQ(Written(end), Bits("000000"));

  // Read back, the edges keep their kind and deltas and the width field as read.
  CSwfStraightEdgeRecord read;
  ReadFrom(Bits("0010 1 1101 0100"), read);
  EXPECT_EQ(read.lineKind, kSwfGeneralLine);
  EXPECT_EQ(read.deltaX, -3);
  EXPECT_EQ(read.deltaY, 4);
  EXPECT_EQ(read.numBitsField, 2u);
  // The width field is read without its leading type bits here.
  ReadFrom(Bits("1001 00 00000000001"), read);
  EXPECT_EQ(read.lineKind, kSwfHorizontalLine);
  EXPECT_EQ(read.deltaX, 1);
  EXPECT_EQ(read.deltaY, 0);
}

TEST(SwfShapeRecords, ValuesBeyondTheirFieldsAreRefusedNeverWrapped) {
  // The largest deltas an edge holds: 17 bits with sign, -65536 included.
  CSwfStraightEdgeRecord largest(65535, -65536, kSwfGeneralLine);
  EXPECT_TRUE(largest.CanWrite());
  CSwfShape shape;
  shape.AddRecord(new CSwfStraightEdgeRecord(largest));
  CSwfShape back;
  ReadFrom(Written(shape), back);
  EXPECT_EQ(DescribeShape(back), "straight 0 65535 -65536;end;");

  for (CSwfShapeRecord* record : std::initializer_list<CSwfShapeRecord*>{
           new CSwfStraightEdgeRecord(65536, 0), new CSwfStraightEdgeRecord(0, -65537, kSwfVerticalLine),
           new CSwfCurvedEdgeRecord(0, 0, 0, 70000)}) {
    std::unique_ptr<CSwfShapeRecord> owned(record);
    EXPECT_FALSE(record->CanWrite());
    EXPECT_TRUE(Written(*record).empty());
    CSwfShape holder;
    holder.AddRecord(owned.release());
    EXPECT_FALSE(holder.CanWrite());
    CSwfBitWriter writer(8);
    EXPECT_EQ(holder.Write(writer), 0u);
    EXPECT_EQ(writer.GetBytes().size(), 0u);
  }
  // A delta that is not written does not count.
  EXPECT_TRUE(CSwfStraightEdgeRecord(5, 1 << 20, kSwfHorizontalLine).CanWrite());

  CSwfShape moves;
  moves.AddRecord(MoveTo(1 << 30, 0, moves));
  EXPECT_FALSE(moves.CanWrite());
  CSwfShape indices;
  auto* change = new CSwfStyleChangeRecord(0, 0, &indices);
  change->SetFillStyle(40000, 0);
  change->UpdateFlags();
  indices.AddRecord(change);
  EXPECT_FALSE(indices.CanWrite());
}

TEST(SwfShape, ReadingEndsInAnEndRecordEvenWhenTheDataHasNone) {
  // Widths 1 and 1; a move to (2, 3) with fill style 1 = 1; a straight edge;
  // then the data ends without an end record.
  const std::vector<u8> withoutEnd = Bits("0001 0001 0 00101 00011 010 011 1 11 0000 00 01");
  CSwfShape shape;
  bool overran = false;
  ReadFrom(withoutEnd, shape, &overran);
  EXPECT_FALSE(overran);
  EXPECT_EQ(DescribeShape(shape), "change 5;move 2 3;fill1 1;straight 1 1 0;end;");
  ASSERT_EQ(shape.records.size(), 3u);
  EXPECT_EQ(shape.records.back()->GetType(), kSwfEndShapeRecord);

  // Written back it gains its end record and reads the same.
  const std::vector<u8> written = Written(shape);
  CSwfShape again;
  ReadFrom(written, again);
  EXPECT_EQ(DescribeShape(again), DescribeShape(shape));
  EXPECT_EQ(Written(again), written);

  // An empty body gives an end record alone.
  CSwfShape empty;
  ReadFrom({}, empty);
  EXPECT_EQ(DescribeShape(empty), "end;");
}

TEST(SwfShapeWithStyle, WidthsComeFromTheStyleCountsAndAMissingArrayIsAZeroByte) {
  CSwfShapeWithStyle shape;
  shape.fillStyles = std::make_unique<CSwfFillStyleArray>();
  for (int i = 0; i < 3; ++i) shape.fillStyles->Add(new CSwfFillStyle(0, 0x0000FFu));
  shape.SetBits(15, 15);
  shape.AddRecord(MoveTo(0, 0, shape, 3));
  shape.AddRecord(new CSwfEndShapeRecord);
  // Fill array; a zero byte for the missing line array; widths 2 and 0;
  // a style change (fill style 1 = 3 in 2 bits); the end.
  const std::vector<u8> bytes = Written(shape);
  std::vector<u8> expected = Bytes({3, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0});
  const std::vector<u8> bits = Bits("0010 0000 0 00100 11 000000");
  expected.insert(expected.end(), bits.begin(), bits.end());
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(shape.fillBits, 2);
  EXPECT_EQ(shape.lineBits, 0);

  CSwfShapeWithStyle read;
  EXPECT_EQ(ReadFrom(bytes, read), bytes.size());
  EXPECT_EQ(DescribeShape(read),
            "fills 3;fill 0;rgb 255 0 0;fill 0;rgb 255 0 0;fill 0;rgb 255 0 0;lines 0;change "
            "4;fill1 3;end;");
}

TEST(SwfShapeWithStyle, AnIndexBeyondTheStyleCountKeepsItsValue) {
  // One fill style, but a record names style 5: its field takes 3 bits
  // rather than the 1 bit of the count, and reads back as 5.
  CSwfShapeWithStyle shape;
  shape.fillStyles = std::make_unique<CSwfFillStyleArray>();
  shape.fillStyles->Add(new CSwfFillStyle(0, 0u));
  shape.AddRecord(MoveTo(10, 10, shape, 5));
  CSwfShapeWithStyle read;
  ReadFrom(Written(shape), read);
  EXPECT_EQ(read.fillBits, 3);
  EXPECT_EQ(DescribeShape(read), "fills 1;fill 0;rgb 0 0 0;lines 0;change 5;move 10 10;fill1 5;end;");
}

TEST(SwfShape, NewStylesStartARunOfTheirOwnWidthsAndTwoWritesAgree) {
  // A plain shape (as morph edges and glyphs are) whose second style change
  // brings four fill styles and one line style.
  CSwfShape shape(1);
  shape.SetBits(1, 0);
  shape.AddRecord(MoveTo(0, 0, shape, 1));
  shape.AddLine(100, 0);
  auto* change = new CSwfStyleChangeRecord(0, 0, &shape);
  change->fillStyles = std::make_unique<CSwfFillStyleArray>();
  for (int i = 0; i < 4; ++i) change->fillStyles->Add(new CSwfFillStyle(1, u32(i)));
  change->lineStyles = std::make_unique<CSwfLineStyleArray>();
  change->lineStyles->Add(new CSwfLineStyle(20, new CSwfRgba(1, 2, 3, 4), 1));
  change->SetFillStyle(1, 1);  // still of the first run: 1 bit
  change->UpdateFlags();
  shape.AddRecord(change);
  shape.AddRecord(MoveTo(5, 5, shape, 4, 1));  // second run: 3 and 1 bits
  shape.AddLineY(-50);

  const std::vector<u8> first = Written(shape);
  const std::vector<u8> second = Written(shape);
  EXPECT_EQ(first, second);
  EXPECT_EQ(change->newFillBits, 3);
  EXPECT_EQ(change->newLineBits, 1);

  CSwfShape read(1);
  EXPECT_EQ(ReadFrom(first, read), first.size());
  EXPECT_EQ(DescribeShape(read), DescribeShape(shape) + "end;");
  EXPECT_EQ(Written(read), first);
  // The new styles carry alpha colours, as the shape's do.
  const auto& readChange = static_cast<CSwfStyleChangeRecord&>(*read.records[2]);
  EXPECT_NE(dynamic_cast<CSwfRgba*>(readChange.fillStyles->styles[0]->color.get()), nullptr);
}

TEST(SwfShape, ANewStylesFlagWithoutArraysWritesEmptyOnes) {
  CSwfShape shape;
  auto* change = new CSwfStyleChangeRecord(kSwfStateNewStyles, &shape);
  shape.AddRecord(change);
  shape.AddLineX(10);
  const std::vector<u8> bytes = Written(shape);
  CSwfShape read;
  EXPECT_EQ(ReadFrom(bytes, read), bytes.size());
  EXPECT_EQ(DescribeShape(read), "change 16;fills 0;lines 0;straight 1 10 0;end;");

  // A style change without any flag would read as the end: it is left out.
  CSwfShape noop;
  noop.AddRecord(new CSwfStyleChangeRecord(0, &noop));
  noop.AddLineX(10);
  CSwfShape readNoop;
  ReadFrom(Written(noop), readNoop);
  EXPECT_EQ(DescribeShape(readNoop), "straight 1 10 0;end;");
}

TEST(SwfShape, LongEdgesAreSplitAndEndOnTheIntendedPoint) {
  CSwfShape shape;
  shape.AddRecord(MoveTo(-100000, 7, shape));
  shape.AddLine(250001, -130000);
  shape.AddLineX(-200000);
  shape.AddLineY(65536);
  shape.AddCurve(300000, 0, 0, 300000);
  shape.AddCurve(10, 20, 30, 40);
  ASSERT_TRUE(shape.CanWrite());
  const std::vector<std::string> built = ShapePoints(shape);

  CSwfShape read;
  ReadFrom(Written(shape), read);
  const std::vector<std::string> points = ShapePoints(read);
  EXPECT_EQ(points, built);
  // Where each long edge ends.
  auto contains = [&points](const std::string& point) {
    return std::find(points.begin(), points.end(), point) != points.end();
  };
  EXPECT_TRUE(contains("150001,-129993"));
  EXPECT_TRUE(contains("-49999,-129993"));
  EXPECT_TRUE(contains("-49999,-64457"));
  EXPECT_TRUE(contains("250001,235543"));
  EXPECT_EQ(points.back(), "250041,235603");
  // Horizontal pieces stay horizontal.
  int horizontal = 0;
  for (const auto& record : read.records) {
    if (record->GetType() == kSwfStraightEdgeRecord &&
        static_cast<CSwfStraightEdgeRecord&>(*record).lineKind == kSwfHorizontalLine)
      ++horizontal;
  }
  EXPECT_EQ(horizontal, 4);
  // The split curve stays on the curve: its middle point is the curve's.
  EXPECT_TRUE(contains("175001,10543")) << "the middle of the long curve";
}

TEST(SwfShape, CopiesAreDeepAndBoundToTheCopy) {
  CSwfShapeWithStyle shape(1);
  shape.fillStyles = std::make_unique<CSwfFillStyleArray>(1);
  auto* bitmap = new CSwfFillStyle(1);
  bitmap->type = kSwfClippedBitmapFill;
  bitmap->bitmapId = 3;
  shape.fillStyles->Add(bitmap);
  auto* change = new CSwfStyleChangeRecord(1, 2, &shape);
  change->fillStyles = std::make_unique<CSwfFillStyleArray>(1);
  auto* inner = new CSwfFillStyle(1);
  inner->type = kSwfRepeatingBitmapFill;
  inner->bitmapId = kSwfNoBitmap;
  change->fillStyles->Add(inner);
  auto* second = new CSwfFillStyle(1);
  second->type = kSwfRepeatingBitmapFill;
  second->bitmapId = 9;
  change->fillStyles->Add(second);
  change->UpdateFlags();
  shape.AddRecord(change);

  CSwfShapeWithStyle copy(shape);
  ASSERT_EQ(copy.records.size(), 1u);
  auto& copied = static_cast<CSwfStyleChangeRecord&>(*copy.records[0]);
  EXPECT_EQ(copied.shape, &copy);
  EXPECT_EQ(Written(copy), Written(shape));

  copy.OffsetBitmapIds(100);
  EXPECT_EQ(copy.fillStyles->styles[0]->bitmapId, 103);
  EXPECT_EQ(copied.fillStyles->styles[0]->bitmapId, kSwfNoBitmap);
  EXPECT_EQ(copied.fillStyles->styles[1]->bitmapId, 109);
  EXPECT_EQ(shape.fillStyles->styles[0]->bitmapId, 3);
  EXPECT_EQ(change->fillStyles->styles[1]->bitmapId, 9);

  CSwfShape plain;
  plain.CopyRecords(shape);
  EXPECT_EQ(static_cast<CSwfStyleChangeRecord&>(*plain.records[0]).shape, &plain);
  shape.Clear();
  EXPECT_TRUE(shape.records.empty());
  EXPECT_EQ(shape.fillStyles, nullptr);
  EXPECT_EQ(plain.records.size(), 1u);
}
