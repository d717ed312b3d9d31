#include "swf/swf_shape_tags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/swf/swf_graphics_test_support.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::DescribeGraphicsTag;
using swftest::MovieOfTags;
using swftest::RawTag;
using swftest::ReadTag;
using swftest::ShapePoints;
using swftest::WrittenBody;

namespace {

using Values = std::map<std::string, std::string>;

// The points an independent reader finds along the records of the shape of
// tag `index`: moves as they are, edges from the point before (curves give
// their control point and their end).
std::vector<std::string> IndependentPoints(const Values& values, int index) {
  const std::string tag = "tags." + std::to_string(index) + ".shape.records.";
  std::vector<std::string> points;
  long long x = 0, y = 0;
  auto number = [&values](const std::string& key) {
    const auto found = values.find(key);
    return found == values.end() || found->second == "undefined" ? std::string() : found->second;
  };
  const int count = std::stoi(number(tag + "length").empty() ? "0" : number(tag + "length"));
  for (int i = 0; i < count; ++i) {
    const std::string record = tag + std::to_string(i) + ".";
    if (!number(record + "moveTo.x").empty()) {
      x = std::stoll(number(record + "moveTo.x"));
      y = std::stoll(number(record + "moveTo.y"));
      points.push_back(std::to_string(x) + "," + std::to_string(y));
    }
    if (number(record + "delta.x").empty()) continue;
    if (!number(record + "controlDelta.x").empty()) {
      points.push_back(std::to_string(x + std::stoll(number(record + "controlDelta.x"))) + "," +
                       std::to_string(y + std::stoll(number(record + "controlDelta.y"))));
    }
    x += std::stoll(number(record + "delta.x"));
    y += std::stoll(number(record + "delta.y"));
    points.push_back(std::to_string(x) + "," + std::to_string(y));
  }
  return points;
}

CSwfFillStyle* Solid(u32 color, u8 alpha = 0) { return new CSwfFillStyle(alpha, color); }

}  // namespace

TEST(SwfDefineShape, TheFactoryMakesTheThreeVersionsWithTheirColourForms) {
  // One solid fill (red), one line style of 20 twips (blue), a move with
  // both styles, one edge and the end.
  const std::vector<u8> rgbStyles = Bytes({1, 0x00, 255, 0, 0, 1, 20, 0, 0, 0, 255});
  const std::vector<u8> rgbaStyles = Bytes({1, 0x00, 255, 0, 0, 128, 1, 20, 0, 0, 0, 255, 64});
  // Bounds 0..1 twips, then the records after the styles.
  const std::vector<u8> bounds = Bytes({0x10, 0x80});  // 5-bit width 2: 0, 1, 0, 0 ... padded
  auto body = [&bounds](const std::vector<u8>& styles) {
    std::vector<u8> out = Bytes({7, 0});
    out.insert(out.end(), bounds.begin(), bounds.end());
    out.insert(out.end(), styles.begin(), styles.end());
    CSwfBitWriter bits(8);
    bits.WriteBits(0x11, 8);                // widths 1 and 1
    bits.WriteBits(0b001101, 6);            // line style, fill style 1, move
    bits.WriteBits(2, 5);                   // move width 2
    bits.WriteBits(0b0101, 4);              // to (1, 1)
    bits.WriteBits(1, 1);                   // fill style 1 = 1
    bits.WriteBits(1, 1);                   // line style = 1
    bits.WriteBits(0b11000000, 8);          // straight, width 2, horizontal
    bits.WriteBits(0b01, 2);                // dx = 1
    bits.WriteBits(0, 6);                   // end
    const std::vector<u8>& tail = bits.GetBytes();
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
  };
  struct Case {
    u16 code;
    std::vector<u8> body;
    const char* fill;
  };
  const Case cases[] = {
      {kSwfDefineShapeCode, body(rgbStyles), "rgb 255 0 0;"},
      {kSwfDefineShape2Code, body(rgbStyles), "rgb 255 0 0;"},
      {kSwfDefineShape3Code, body(rgbaStyles), "rgba 255 0 0 128;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const std::unique_ptr<CSwfTag> tag = ReadTag({c.code, c.body});
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->GetCode(), c.code);
    auto* shape = dynamic_cast<CSwfDefineShape*>(tag.get());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->GetCharacterId(), 7);
    const std::string described = DescribeGraphicsTag(tag.get());
    EXPECT_NE(described.find(std::string("fill 0;") + c.fill), std::string::npos) << described;
    EXPECT_NE(described.find("change 13;move 1 1;fill1 1;line 1;straight 1 1 0;end;"),
              std::string::npos)
        << described;
    EXPECT_EQ(WrittenBody(tag.get()), c.body);
  }
}

TEST(SwfDefineShape, OnlyDefineShape2AndLaterEscapeAStyleCountOf255) {
  // 0xFF and then 255 fill styles: DefineShape takes the byte as the count.
  std::vector<u8> body = Bytes({1, 0, 0x08, 0x00, 0xFF});  // id, empty bounds
  for (int i = 0; i < 255; ++i) body.insert(body.end(), {0x00, 1, 2, 3});
  body.push_back(0);     // no line styles
  body.push_back(0x80);  // widths 8 and 0, then the end
  body.push_back(0x00);
  const std::unique_ptr<CSwfTag> shape1 = ReadTag({kSwfDefineShapeCode, body});
  auto* one = dynamic_cast<CSwfDefineShape*>(shape1.get());
  ASSERT_NE(one, nullptr);
  ASSERT_NE(one->GetShape()->fillStyles, nullptr);
  EXPECT_EQ(one->GetShape()->fillStyles->styles.size(), 255u);
  EXPECT_EQ(WrittenBody(shape1.get()), body);

  // DefineShape2 reads a u16 count after it.
  std::vector<u8> escaped = Bytes({1, 0, 0x08, 0x00, 0xFF, 3, 0});
  for (int i = 0; i < 3; ++i) escaped.insert(escaped.end(), {0x00, 1, 2, 3});
  escaped.insert(escaped.end(), {0, 0x20, 0x00});
  const std::unique_ptr<CSwfTag> shape2 = ReadTag({kSwfDefineShape2Code, escaped});
  auto* two = dynamic_cast<CSwfDefineShape*>(shape2.get());
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->GetShape()->fillStyles->styles.size(), 3u);
  EXPECT_EQ(WrittenBody(shape2.get()), Bytes({1, 0, 0x08, 0x00, 3, 0x00, 1, 2, 3, 0x00, 1, 2, 3,
                                              0x00, 1, 2, 3, 0, 0x20, 0x00}));

  // A DefineShape of 256 styles cannot be written: the tag writes nothing.
  one->GetShape()->fillStyles->Add(Solid(0));
  EXPECT_FALSE(one->CanWrite());
  CSwfBitWriter writer(8);
  EXPECT_EQ(one->Write(writer), 0u);
  EXPECT_TRUE(writer.GetBytes().empty());
}

TEST(SwfDefineShape, AFillStyleOfAnUnknownTypeKeepsTheShapeAsItsBytes) {
  // Id and empty bounds, two solid fills, no line styles, a shape of widths
  // 2 and 0 ending at once. A type whose fields are unknown cannot be read
  // past: the styles and edges behind it would be taken for other things.
  const std::vector<u8> body =
      Bytes({1, 0, 0x08, 0x00, 2, 0x00, 1, 2, 3, 0x00, 4, 5, 6, 0, 0x20, 0x00});
  const std::unique_ptr<CSwfTag> read = ReadTag({kSwfDefineShapeCode, body});
  auto* shape = dynamic_cast<CSwfDefineShape*>(read.get());
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->GetShape()->fillStyles->styles.size(), 2u);
  EXPECT_EQ(WrittenBody(shape), body);
  for (const u8 type : {u8(0x01), u8(0x13), u8(0x44), u8(0xFF)}) {
    SCOPED_TRACE(int(type));
    std::vector<u8> changed = body;
    changed[5] = type;
    swftest::ExpectKeptAsBytes({kSwfDefineShapeCode, changed});
  }
}

TEST(SwfDefineShape, FiguresBuiltInCodeDecodeToTheirPointsInAnIndependentReader) {
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  CSwfDefineShape3 rectangle;
  rectangle.SetCharacterId(1);
  rectangle.SetRectangle(100, 200, 300, 400, Solid(0x0000FF, 1),
                         new CSwfLineStyle(20, new CSwfRgba(0, 0, 0, 128), 1));
  CSwfDefineShape circle;
  circle.SetCharacterId(2);
  circle.SetCircle(1000, Solid(0x00FF00), nullptr);
  CSwfDefineShape2 line;
  line.SetCharacterId(3);
  line.SetLine(600, 0, nullptr, new CSwfLineStyle(40, new CSwfRgb(1, 2, 3), 0));
  // Figures too large for single edges: split, ending where they should.
  CSwfDefineShape3 bigRectangle;
  bigRectangle.SetCharacterId(4);
  bigRectangle.SetRectangle(-150000, -10, 300000, 140000, Solid(0x808080, 1), nullptr);
  CSwfDefineShape bigCircle;
  bigCircle.SetCharacterId(5);
  bigCircle.SetCircle(200000, nullptr, new CSwfLineStyle(20, new CSwfRgb, 0));
  CSwfDefineShape origin;
  origin.SetCharacterId(6);
  origin.SetRectangle(0, 0, 10, 10, nullptr, nullptr);

  std::vector<CSwfDefineShape*> shapes = {&rectangle, &circle, &line, &bigRectangle, &bigCircle, &origin};
  const std::vector<u8> movie = MovieOfTags({shapes.begin(), shapes.end()});
  const Values values = swftest::IndependentValues(movie);
  ASSERT_FALSE(values.empty()) << "the independent reader reads the movie";

  EXPECT_EQ(IndependentPoints(values, 0),
            std::vector<std::string>({"100,200", "400,200", "400,600", "100,600", "100,200"}));
  EXPECT_EQ(values.at("tags.0.shape.records.0.rightFill"), "1");
  EXPECT_EQ(values.at("tags.0.shape.records.0.lineStyle"), "1");
  EXPECT_EQ(values.at("tags.0.shape.initialStyles.fill.0.color.r"), "255");
  EXPECT_EQ(values.at("tags.0.shape.initialStyles.line.0.fill.color.a"), "128");
  EXPECT_EQ(values.at("tags.0.bounds.xMax"), "400");
  EXPECT_EQ(values.at("tags.0.bounds.yMax"), "600");

  EXPECT_EQ(IndependentPoints(values, 1),
            std::vector<std::string>({"0,1000", "-1000,1000", "-1000,0", "-1000,-1000", "0,-1000",
                                      "1000,-1000", "1000,0", "1000,1000", "0,1000"}));
  EXPECT_EQ(values.at("tags.1.bounds.xMin"), "-1000");

  EXPECT_EQ(IndependentPoints(values, 2), std::vector<std::string>({"-300,0", "300,0"}));
  EXPECT_EQ(values.at("tags.2.shape.records.0.leftFill"), "undefined");
  EXPECT_EQ(values.at("tags.2.bounds.yMin"), "-40");

  // Our points of the big figures: every edge fits its field and the
  // independent reader follows them to the same corners.
  for (int i : {3, 4}) {
    SCOPED_TRACE(i);
    const std::vector<std::string> ours = ShapePoints(*shapes[size_t(i)]->GetShape());
    EXPECT_EQ(IndependentPoints(values, i), ours);
    EXPECT_GT(ours.size(), 9u) << "long edges were split";
  }
  const std::vector<std::string> big = IndependentPoints(values, 3);
  for (const char* corner : {"-150000,-10", "150000,-10", "150000,139990", "-150000,139990"})
    EXPECT_NE(std::find(big.begin(), big.end(), corner), big.end()) << corner;
  EXPECT_EQ(big.back(), "-150000,-10");
  const std::vector<std::string> round = IndependentPoints(values, 4);
  for (const char* point : {"0,200000", "-200000,0", "0,-200000", "200000,0"})
    EXPECT_NE(std::find(round.begin(), round.end(), point), round.end()) << point;

  // A rectangle at the origin without styles still starts with its move.
  EXPECT_EQ(IndependentPoints(values, 5),
            std::vector<std::string>({"0,0", "10,0", "10,10", "0,10", "0,0"}));

  // Our own reader follows every figure to the same points.
  for (size_t i = 0; i < shapes.size(); ++i) {
    SCOPED_TRACE(i);
    const std::unique_ptr<CSwfTag> read = ReadTag({shapes[i]->GetCode(), WrittenBody(shapes[i])});
    auto* back = dynamic_cast<CSwfDefineShape*>(read.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(ShapePoints(*back->GetShape()), IndependentPoints(values, int(i)));
  }
}

TEST(SwfDefineShape, OffsetIdsShiftsTheIdAndTheBitmapFills) {
  CSwfDefineShape3 shape;
  shape.SetCharacterId(10);
  auto* bitmap = new CSwfFillStyle(1);
  bitmap->type = kSwfClippedBitmapFill;
  bitmap->bitmapId = 4;
  shape.SetRectangle(0, 0, 20, 20, bitmap, nullptr);
  auto* none = new CSwfFillStyle(1);
  none->type = kSwfRepeatingBitmapFill;
  none->bitmapId = kSwfNoBitmap;
  auto* change = new CSwfStyleChangeRecord(0, 0, shape.GetShape());
  change->fillStyles = std::make_unique<CSwfFillStyleArray>(1);
  change->fillStyles->Add(none);
  change->UpdateFlags();
  shape.GetShape()->records.insert(shape.GetShape()->records.end() - 1,
                                   std::unique_ptr<CSwfShapeRecord>(change));

  const std::unique_ptr<CSwfTag> read = ReadTag({kSwfDefineShape3Code, WrittenBody(&shape)});
  ASSERT_NE(read, nullptr);
  read->OffsetIds(5, 100);
  EXPECT_EQ(read->GetCharacterId(), 15);
  auto* moved = static_cast<CSwfDefineShape*>(read.get());
  EXPECT_EQ(moved->GetShape()->fillStyles->styles[0]->bitmapId, 9);
  const auto& readChange = static_cast<CSwfStyleChangeRecord&>(*moved->GetShape()->records[5]);
  EXPECT_EQ(readChange.fillStyles->styles[0]->bitmapId, kSwfNoBitmap);

  CSwfDefineShape3 copy;
  copy.CopyFrom(*moved);
  EXPECT_EQ(WrittenBody(&copy), WrittenBody(moved));
  EXPECT_NE(copy.GetShape(), moved->GetShape());
  copy.Reset();
  EXPECT_EQ(copy.GetShape(), nullptr);
  EXPECT_EQ(copy.GetCharacterId(), 0);
}

TEST(SwfDefineShape, LoadsTheFirstShapeOfABundleResourceMovie) {
  CSwfDefineShape2 first;
  first.SetCharacterId(21);
  first.SetCircle(500, Solid(0x112233), nullptr);
  CSwfDefineShape3 second;
  second.SetCharacterId(22);
  second.SetLine(100, 100, nullptr, nullptr);
  const std::vector<u8> shapes = MovieOfTags({&first, &second});
  const std::vector<u8> noShape = MovieOfTags({});
  swftest::UseBundleWithMovieResources(
      "shape_resources.app",
      {{128, shapes}, {129, noShape}, {130, Bytes({'F', 'W', 'S', 8, 3, 0})}});

  const std::unique_ptr<CSwfDefineShape> loaded(LoadShapeFromResource(128));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetCode(), kSwfDefineShape2Code);
  EXPECT_EQ(loaded->GetCharacterId(), 21);
  EXPECT_EQ(WrittenBody(loaded.get()), WrittenBody(&first));
  for (ResID id : {ResID(129), ResID(130), ResID(131)}) EXPECT_EQ(LoadShapeFromResource(id), nullptr) << id;
}
