// Shape, morph-shape and bitmap tags against damaged bodies: cut short,
// empty, overlong or full of 0xFF. Every one loads without reading outside
// its body (the tag behind it stays whole), and its rewrite reads back and
// rewrites to itself.
#include <gtest/gtest.h>

#include "swf/swf_bitmap_tags.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_morph_shape.h"
#include "swf/swf_shape_tags.h"
#include "tests/swf/swf_graphics_test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::RawTag;
using swftest::WrittenBody;

namespace {

struct Sample {
  const char* name;
  u16 code;
  std::vector<u8> body;
};

CSwfFillStyle* GradientFill(u8 alpha) {
  auto* fill = new CSwfFillStyle(alpha);
  fill->type = kSwfRadialGradientFill;
  fill->matrix.reset(CreateSwfMatrix(100, -100, 2.0, 0.5, 30, 30));
  fill->gradient = std::make_unique<CSwfGradient>(alpha);
  fill->gradient->SetBlackToWhite();
  return fill;
}

// Valid bodies of every class, made by our own code.
std::vector<Sample> Samples() {
  std::vector<Sample> samples;
  CSwfDefineShape rectangle;
  rectangle.SetCharacterId(1);
  rectangle.SetRectangle(10, 20, 3000, 400, new CSwfFillStyle(0, 0x00FF00u),
                         new CSwfLineStyle(20, new CSwfRgb(1, 2, 3), 0));
  samples.push_back({"DefineShape", kSwfDefineShapeCode, WrittenBody(&rectangle)});

  CSwfDefineShape2 circle;
  circle.SetCharacterId(2);
  circle.SetCircle(700, GradientFill(0), nullptr);
  samples.push_back({"DefineShape2", kSwfDefineShape2Code, WrittenBody(&circle)});

  CSwfDefineShape3 styled;
  styled.SetCharacterId(3);
  auto* bitmap = new CSwfFillStyle(1);
  bitmap->type = kSwfClippedBitmapFill;
  bitmap->bitmapId = 7;
  styled.SetLine(500, 300, bitmap, new CSwfLineStyle(40, new CSwfRgba(1, 2, 3, 4), 1));
  auto* change = new CSwfStyleChangeRecord(5, 5, styled.GetShape());
  change->fillStyles = std::make_unique<CSwfFillStyleArray>(1);
  change->fillStyles->Add(GradientFill(1));
  change->lineStyles = std::make_unique<CSwfLineStyleArray>(1);
  change->SetFillStyle(1, 0);
  change->UpdateFlags();
  auto& records = styled.GetShape()->records;
  records.insert(records.end() - 1, std::unique_ptr<CSwfShapeRecord>(change));
  styled.GetShape()->AddCurve(10, 10, -10, 10);
  samples.push_back({"DefineShape3", kSwfDefineShape3Code, WrittenBody(&styled)});

  CSwfDefineMorphShape morph;
  morph.SetCharacterId(4);
  morph.SetRectangle(0, 0, 100, 100, new CSwfMorphFillStyle(0x0000FF, 0xFF0000),
                     new CSwfMorphLineStyle(20, new CSwfRgba, 40, new CSwfRgba), true);
  morph.SetRectangle(10, 10, 50, 300, nullptr, nullptr, false);
  auto* morphBitmap = new CSwfMorphFillStyle;
  morphBitmap->type = kSwfRepeatingBitmapFill;
  morphBitmap->bitmapId = 9;
  morph.GetFillStyles()->Add(morphBitmap);
  samples.push_back({"DefineMorphShape", kSwfDefineMorphShapeCode, WrittenBody(&morph)});

  const std::vector<u8> jpeg = Bytes({0xFF, 0xD8, 0xFF, 0xDB, 1, 2, 3, 0xFF, 0xD9});
  CSwfDefineBits bits;
  bits.SetData(5, jpeg);
  samples.push_back({"DefineBits", kSwfDefineBitsCode, WrittenBody(&bits)});
  samples.push_back({"JPEGTables", kSwfJPEGTablesCode, jpeg});
  CSwfDefineBitsJPEG2 jpeg2(6, jpeg);
  samples.push_back({"DefineBitsJPEG2", kSwfDefineBitsJPEG2Code, WrittenBody(&jpeg2)});
  const u8 alpha[3] = {0x78, 0x9C, 0x03};
  CSwfDefineBitsJPEG3 jpeg3(7, jpeg.data(), u32(jpeg.size()), alpha, 3);
  samples.push_back({"DefineBitsJPEG3", kSwfDefineBitsJPEG3Code, WrittenBody(&jpeg3)});
  CSwfDefineBitsLossless palette(3);
  palette.SetCharacterId(8);
  palette.SetData(alpha, 3);
  samples.push_back({"DefineBitsLossless", kSwfDefineBitsLosslessCode, WrittenBody(&palette)});
  CSwfDefineBitsLossless2 argb(5);
  argb.SetCharacterId(9);
  argb.SetData(alpha, 3);
  samples.push_back({"DefineBitsLossless2", kSwfDefineBitsLossless2Code, WrittenBody(&argb)});
  return samples;
}

std::vector<u8> Rewrite(const std::vector<u8>& movie, std::vector<CSwfTag*>* tags = nullptr,
                        CSwfReader* keep = nullptr) {
  CSwfReader local;
  CSwfReader& reader = keep ? *keep : local;
  if (!reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true)) return {};
  if (tags) *tags = reader.GetTags();
  CSwfBitWriter writer(reader.GetVersion());
  EXPECT_GT(reader.WriteMovie(writer), 0u);
  if (!keep) reader.DeleteTags(true);
  return writer.GetBytes();
}

}  // namespace

TEST(SwfGraphicsHostile, DamagedBodiesStayInsideThemAndRewriteToThemselves) {
  int variants = 0;
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.name);
    std::vector<std::pair<std::string, std::vector<u8>>> bodies;
    for (size_t n = 0; n < sample.body.size(); ++n)
      bodies.emplace_back("cut to " + std::to_string(n), std::vector<u8>(sample.body.begin(), sample.body.begin() + long(n)));
    std::vector<u8> overlong = sample.body;
    overlong.insert(overlong.end(), 40, 0xFF);
    bodies.emplace_back("overlong", overlong);
    bodies.emplace_back("all 0xFF", std::vector<u8>(sample.body.size(), 0xFF));
    std::vector<u8> ones = sample.body;
    for (size_t i = 2; i < ones.size(); i += 3) ones[i] = 0xFF;
    bodies.emplace_back("every third byte 0xFF", ones);

    for (const auto& [what, body] : bodies) {
      SCOPED_TRACE(what);
      ++variants;
      const std::vector<u8> movie =
          swftest::BuildMovie({{sample.code, body}, {kSwfSetBackgroundColorCode, Bytes({1, 2, 3})}, {0, {}}});
      CSwfReader reader;
      std::vector<CSwfTag*> tags;
      const std::vector<u8> first = Rewrite(movie, &tags, &reader);
      ASSERT_FALSE(first.empty());
      ASSERT_EQ(tags.size(), 3u);
      EXPECT_EQ(tags[0]->GetCode(), sample.code);
      auto* sentinel = dynamic_cast<CSwfSetBackgroundColor*>(tags[1]);
      ASSERT_NE(sentinel, nullptr) << "the tag behind is read whole";
      EXPECT_EQ(sentinel->GetColor(), 0x030201u);
      reader.DeleteTags(true);
      EXPECT_EQ(Rewrite(first), first) << "the rewrite rewrites to itself";
    }
  }
  EXPECT_GT(variants, 300);
}

TEST(SwfGraphicsHostile, CountsBeyondTheDataKeepTheTagAsItsBytes) {
  // 65535 fill styles and 65535 line styles announced in a body of 16 bytes.
  swftest::ExpectKeptAsBytes(
      {kSwfDefineShape3Code, Bytes({1, 0, 0x08, 0x00, 0xFF, 0xFF, 0xFF, 0, 1, 2, 3, 0x10, 0x20, 0x30, 0x40, 0x50})});
  // A morph gradient of 255 records in one byte.
  swftest::ExpectKeptAsBytes(
      {kSwfDefineMorphShapeCode, Bytes({1, 0, 0x08, 0x00, 0x08, 0x00, 5, 0, 0, 0, 1, 0x10, 0x00, 0x00, 0xFF})});
}
