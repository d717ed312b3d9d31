// A block of text set in an installed font, written as a movie and read
// back: by our reader, by a reader that is not ours, and as pixels.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_file_writer.h"
#include "swf/swf_font_collection.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_reader.h"
#include "swf/swf_shape.h"
#include "swf/swf_text_block.h"
#include "swf/swf_text_tags.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"
#include "tests/swf/swf_font_text_values.h"
#include "tests/swf/swf_glyph_raster.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_text_test_support.h"

namespace {

using Values = std::map<std::string, std::string>;

constexpr u8 kVersion = 8;

// The text of the movie: two lines, blanks, Mac Roman letters above 0x7F
// (A-diaeresis, e-acute, sharp s) and characters with curves and holes.
const char kCaption[] = "Glimmerbox \x80rger & @home\rZw\x8Elf Boxk\xA7mpfer jagen Quarz";

// A movie holding the caption as a text block 300 x 120 pixels, centred
// (its lines wrap):
// DefineFont2, DefineText2, PlaceObject2, ShowFrame, End. The collection
// keeps the font tag it wrote, and the text tag is kept for comparison.
struct CaptionMovie {
  std::string path;
  CFontCollection fonts;
  std::unique_ptr<CSwfDefineText2> text;

  testing::AssertionResult Write(const CFont& font) {
    path = swftest::NewMoviePath("caption.swf");
    CSwfTextBlock block;
    block.SetFont(font);
    block.SetColor(0x3366CC);
    block.SetBounds(Rect{0, 0, 120, 300});
    block.SetAlignment(CSwfTextBlock::kAlignCenter);
    block.SetText(kCaption);
    CFontStyle style;
    style.CFont::Assign(font);
    style.color = 0x3366CC;
    fonts.AddFont(style, kCaption, 0);
    u16 nextId = 0;
    if (!fonts.PrepareFontTags(nullptr, &nextId)) return testing::AssertionFailure() << "no font tags";

    CSwfFileWriter writer(false);
    writer.SetParams(8000, 2400, 12.0f, kVersion);
    if (!writer.Open(CPathName(path), true)) return testing::AssertionFailure() << "cannot open " << path;
    text.reset(block.BuildTextTags(fonts, writer, &nextId));
    if (!text) return testing::AssertionFailure() << "no text tag";
    if (writer.WriteTag(text.get(), true) == 0) return testing::AssertionFailure() << "text not written";
    auto place = std::make_unique<CSwfPlaceObject2>();
    place->SetCharacterId(text->GetCharacterId());
    place->SetDepth(1);
    place->SetMatrix(new CSwfMatrix);
    writer.WriteTag(place.release(), false);
    writer.WriteTag(new CSwfShowFrame, false);
    writer.WriteTag(new CSwfEnd, false);
    if (writer.Close() == 0) return testing::AssertionFailure() << "movie not closed";
    return testing::AssertionSuccess();
  }

  const CSwfDefineFont2& Font() const { return *fonts.GetPreparedTags().front(); }
};

// The glyph in the font read back for a character (a Mac Roman byte), found
// through the code table (Unicode in movies of version 6 and later).
const CSwfShape* GlyphOf(const CSwfDefineFont2& font, char c) {
  const std::vector<u16>& codes = font.GetCodeTable();
  const u16 wanted = font.HasWideCodeTable() ? plat::MacRomanToUnicode(u8(c)) : u8(c);
  for (size_t i = 0; i < codes.size() && i < font.GetGlyphs().size(); ++i)
    if (codes[i] == wanted) return font.GetGlyphs()[i].get();
  return nullptr;
}

// Each record of a glyph shape as the independent reader must see it.
void ExpectIndependentGlyph(const Values& values, const std::string& prefix, const CSwfShape& shape) {
  auto value = [&values](const std::string& key) {
    auto found = values.find(key);
    return found == values.end() ? std::string("(missing " + key + ")") : found->second;
  };
  size_t index = 0;
  for (const auto& record : shape.records) {
    if (record->GetType() == kSwfEndShapeRecord) break;
    const std::string at = prefix + "records." + std::to_string(index++) + ".";
    switch (record->GetType()) {
      case kSwfStyleChangeRecord: {
        const auto& change = static_cast<const CSwfStyleChangeRecord&>(*record);
        EXPECT_EQ(value(at + "moveTo.x"), std::to_string(change.moveDeltaX)) << at;
        EXPECT_EQ(value(at + "moveTo.y"), std::to_string(change.moveDeltaY)) << at;
        EXPECT_EQ(value(at + "rightFill"), "1") << at;
        break;
      }
      case kSwfStraightEdgeRecord: {
        const auto& edge = static_cast<const CSwfStraightEdgeRecord&>(*record);
        EXPECT_EQ(value(at + "delta.x"), std::to_string(edge.lineKind == kSwfVerticalLine ? 0 : edge.deltaX)) << at;
        EXPECT_EQ(value(at + "delta.y"), std::to_string(edge.lineKind == kSwfHorizontalLine ? 0 : edge.deltaY))
            << at;
        EXPECT_EQ(values.count(at + "controlDelta.x"), 0u) << at;
        break;
      }
      case kSwfCurvedEdgeRecord: {
        const auto& curve = static_cast<const CSwfCurvedEdgeRecord&>(*record);
        EXPECT_EQ(value(at + "controlDelta.x"), std::to_string(curve.controlDeltaX)) << at;
        EXPECT_EQ(value(at + "controlDelta.y"), std::to_string(curve.controlDeltaY)) << at;
        // This reader gives a curve's whole delta, control and anchor together.
        EXPECT_EQ(value(at + "delta.x"), std::to_string(curve.controlDeltaX + curve.anchorDeltaX)) << at;
        EXPECT_EQ(value(at + "delta.y"), std::to_string(curve.controlDeltaY + curve.anchorDeltaY)) << at;
        break;
      }
    }
  }
  EXPECT_EQ(value(prefix + "records.length"), std::to_string(index)) << prefix;
}

TEST(SwfTextMovie, ACaptionReadsBackThroughOurReaderAsItWasBuilt) {
  CFont font;
  ASSERT_TRUE(swftest::UseDejaVuSans(font, 20));
  CaptionMovie movie;
  ASSERT_TRUE(movie.Write(font));

  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFile(CPathName(movie.path), true, 0, true));
  std::vector<CSwfTag*>& tags = reader.GetTags();
  const std::vector<u16> codes = swftest::Codes(tags);
  EXPECT_EQ(codes, (std::vector<u16>{kSwfDefineFont2Code, kSwfDefineText2Code, kSwfPlaceObject2Code,
                                     kSwfShowFrameCode, kSwfEndCode}));
  ASSERT_EQ(codes.size(), 5u);
  EXPECT_EQ(reader.GetHeader().GetFrameCount(), 1);

  // Font and text read back to every value they were built with.
  CSwfDefineFont2& built = const_cast<CSwfDefineFont2&>(movie.Font());
  EXPECT_EQ(swftest::DescribeFontOrText(tags[0], kVersion), swftest::DescribeFontOrText(&built, kVersion));
  EXPECT_EQ(swftest::DescribeFontOrText(tags[1], kVersion),
            swftest::DescribeFontOrText(movie.text.get(), kVersion));
  auto* place = dynamic_cast<CSwfPlaceObject2*>(tags[2]);
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->GetCharacterId(), movie.text->GetCharacterId());

  // The font holds each character of the caption once, in byte order, with
  // its Unicode code; the glyph indices of the text spell the caption (its
  // blanks included, its line break left out).
  auto* readFont = dynamic_cast<CSwfDefineFont2*>(tags[0]);
  auto* readText = dynamic_cast<CSwfDefineText2*>(tags[1]);
  ASSERT_NE(readFont, nullptr);
  ASSERT_NE(readText, nullptr);
  EXPECT_EQ(readFont->GetName(), "DejaVu Sans");
  const std::string& chars = movie.fonts.GetFonts().front()->chars;
  ASSERT_EQ(readFont->GetCodeTable().size(), chars.size());
  for (size_t i = 0; i < chars.size(); ++i) {
    if (i > 0) {
      EXPECT_LT(u8(chars[i - 1]), u8(chars[i]));
    }
    u8 code = 0;
    ASSERT_TRUE(plat::UnicodeToMacRoman(readFont->GetCodeTable()[i], &code));
    EXPECT_EQ(code, u8(chars[i]));
  }
  std::string spelled, expected;
  for (const char c : std::string(kCaption))
    if (c != '\r') expected += c;
  for (const auto& record : readText->GetRecords()) {
    if (record->IsStyleRecord()) continue;
    for (const CSwfGlyphEntry& entry : static_cast<const CSwfTextGlyphRecord&>(*record).GetEntries()) {
      ASSERT_LT(entry.glyphIndex, chars.size());
      spelled += chars[entry.glyphIndex];
    }
  }
  EXPECT_EQ(spelled, expected);
  reader.DeleteTags(true);
}

TEST(SwfTextMovie, AReaderThatIsNotOursDecodesTheSameGlyphsAndTextRecords) {
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  CFont font;
  ASSERT_TRUE(swftest::UseDejaVuSans(font, 20));
  CaptionMovie movie;
  ASSERT_TRUE(movie.Write(font));
  const Values values = swftest::IndependentValues(movie.path);
  ASSERT_FALSE(values.empty()) << "the independent reader reads the movie";
  EXPECT_EQ(values.at("tags.length"), "4");  // End is not listed

  // The font: name, every glyph's records, codes, advances and bounds.
  const CSwfDefineFont2& font2 = movie.Font();
  EXPECT_EQ(values.at("tags.0.id"), std::to_string(font2.GetCharacterId()));
  EXPECT_EQ(values.at("tags.0.fontName"), "DejaVu Sans");
  EXPECT_EQ(values.at("tags.0.glyphs.length"), std::to_string(font2.GetGlyphs().size()));
  for (size_t i = 0; i < font2.GetGlyphs().size(); ++i) {
    const std::string at = "tags.0.glyphs." + std::to_string(i) + ".";
    ExpectIndependentGlyph(values, at, *font2.GetGlyphs()[i]);
    EXPECT_EQ(values.at("tags.0.codeUnits." + std::to_string(i)),
              std::to_string(plat::MacRomanToUnicode(u8(font2.GetCodeTable()[i]))));
    EXPECT_EQ(values.at("tags.0.layout.advances." + std::to_string(i)), std::to_string(font2.GetAdvances()[i]));
    const CSwfRect& bounds = *font2.GetGlyphBounds()[i];
    const std::string box = "tags.0.layout.bounds." + std::to_string(i) + ".";
    EXPECT_EQ(values.at(box + "xMin") + " " + values.at(box + "yMin") + " " + values.at(box + "xMax") + " " +
                  values.at(box + "yMax"),
              std::to_string(bounds.xMin) + " " + std::to_string(bounds.yMin) + " " +
                  std::to_string(bounds.xMax) + " " + std::to_string(bounds.yMax));
  }

  // The text: its records, with the font, colour and height on the first.
  const auto& records = movie.text->GetRecords();
  EXPECT_EQ(values.at("tags.1.id"), std::to_string(movie.text->GetCharacterId()));
  EXPECT_EQ(values.at("tags.1.records.0.fontId"), std::to_string(font2.GetCharacterId()));
  EXPECT_EQ(values.at("tags.1.records.0.fontSize"), "400");
  EXPECT_EQ(values.at("tags.1.records.0.color.r") + " " + values.at("tags.1.records.0.color.g") + " " +
                values.at("tags.1.records.0.color.b") + " " + values.at("tags.1.records.0.color.a"),
            "204 102 51 255");
  size_t line = 0;
  for (size_t i = 0; i + 1 < records.size(); i += 2, ++line) {
    const auto& style = static_cast<const CSwfTextStyleRecord&>(*records[i]);
    const auto& glyphs = static_cast<const CSwfTextGlyphRecord&>(*records[i + 1]);
    const std::string at = "tags.1.records." + std::to_string(line) + ".";
    EXPECT_EQ(values.at(at + "offsetX"), std::to_string(style.GetXOffset())) << at;
    EXPECT_EQ(values.at(at + "offsetY"), std::to_string(style.GetYOffset())) << at;
    ASSERT_EQ(values.at(at + "entries.length"), std::to_string(glyphs.GetEntries().size())) << at;
    for (size_t k = 0; k < glyphs.GetEntries().size(); ++k) {
      const std::string entry = at + "entries." + std::to_string(k) + ".";
      EXPECT_EQ(values.at(entry + "index"), std::to_string(glyphs.GetEntries()[k].glyphIndex)) << entry;
      EXPECT_EQ(values.at(entry + "advance"), std::to_string(glyphs.GetEntries()[k].advance)) << entry;
    }
  }
  EXPECT_EQ(values.at("tags.1.records.length"), std::to_string(line));
  EXPECT_EQ(line, 3u);  // the line break, and a wrap in the second line
  EXPECT_EQ(values.at("tags.2.characterId"), std::to_string(movie.text->GetCharacterId()));
}

// The glyph shapes of the written font, filled by FreeType's outline
// rasteriser, against FreeType's own rendering of the same characters.
TEST(SwfTextMovie, GlyphShapesDrawTheFontsOwnCharacters) {
  CFont font;
  ASSERT_TRUE(swftest::UseDejaVuSans(font, 20));
  CaptionMovie movie;
  ASSERT_TRUE(movie.Write(font));
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFile(CPathName(movie.path), true, 0, true));
  ASSERT_FALSE(reader.GetTags().empty());
  auto* written = dynamic_cast<CSwfDefineFont2*>(reader.GetTags().front());
  ASSERT_NE(written, nullptr);

  constexpr int kPixels = 64, kSize = 96, kOriginX = 16, kOriginY = 72;
  const std::string characters = "GlmrbxZw\x80\x8E\xA7&@kpQjgBfzo";
  swftest::GreyImage ours, theirs;
  for (const char c : characters) {
    const CSwfShape* glyph = GlyphOf(*written, c);
    ASSERT_NE(glyph, nullptr) << int(u8(c));
    ASSERT_TRUE(swftest::RasteriseGlyphShape(*glyph, kPixels, kSize, kSize, kOriginX, kOriginY, &ours));
    ASSERT_TRUE(swftest::RenderCharacter(font, c, kPixels, kSize, kSize, kOriginX, kOriginY, &theirs));
    ASSERT_GT(theirs.Ink(), 255 * 40) << int(u8(c));
    const swftest::ImageDifference difference = swftest::CompareImages(ours, theirs);
    EXPECT_LE(difference.largest, 40) << "character " << int(u8(c));
    EXPECT_LE(difference.mean, 4.0) << "character " << int(u8(c));
    EXPECT_EQ(difference.farApart, 0) << "character " << int(u8(c));
  }

  // The comparison sees a wrong glyph: another letter, and the right one a
  // pixel off.
  ASSERT_TRUE(swftest::RasteriseGlyphShape(*GlyphOf(*written, 'b'), kPixels, kSize, kSize, kOriginX, kOriginY,
                                           &ours));
  ASSERT_TRUE(swftest::RenderCharacter(font, 'p', kPixels, kSize, kSize, kOriginX, kOriginY, &theirs));
  EXPECT_GT(swftest::CompareImages(ours, theirs).farApart, 100);
  ASSERT_TRUE(swftest::RasteriseGlyphShape(*GlyphOf(*written, 'p'), kPixels, kSize, kSize, kOriginX + 1,
                                           kOriginY, &ours));
  EXPECT_GT(swftest::CompareImages(ours, theirs).farApart, 100);
  reader.DeleteTags(true);
}

}  // namespace
