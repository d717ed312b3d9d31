#include "swf/swf_font_collection.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "swf/swf_display_tags.h"
#include "swf/swf_file_writer.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_reader.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_text_tags.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"
#include "tests/swf/swf_text_test_support.h"

namespace {

struct FontCollections : swftest::BoxFonts {
  CFontStyle Style(int size, u32 color = 0xFFFFFF, u16 face = 0) const {
    CFontStyle style;
    style.CFont::Assign(Font(size));
    style.SetFace(face);
    style.color = color;
    return style;
  }
};

// A movie being written; Codes() closes it and lists its tags' codes.
struct Movie {
  Movie() : writer(false) {
    path = swftest::NewMoviePath("fonts.swf");
    writer.SetParams(4000, 4000, 12.0f, 8);
    EXPECT_TRUE(writer.Open(CPathName(path), true));
  }
  std::vector<u16> Codes() {
    if (writer.IsOpen()) {
      EXPECT_NE(writer.Close(), 0u);
    }
    std::vector<u16> codes;
    for (const swftest::RawTag& tag : swftest::SplitTags(gbtest::ReadFile(path))) codes.push_back(tag.code);
    return codes;
  }
  std::string path;
  CSwfFileWriter writer;
};

std::vector<u16> CodesOf(const CSwfDefineFont2& font) { return font.GetCodeTable(); }

TEST_F(FontCollections, FontsThatDifferInSizeOrColourBecomeOneSwfFont) {
  // With option bit 0 sizes do not tell fonts apart.
  CFontCollection sized;
  EXPECT_TRUE(sized.AddFont(Style(12), "cab", 1));
  EXPECT_TRUE(sized.AddFont(Style(24), "bad", 1));
  ASSERT_EQ(sized.GetFonts().size(), 1u);
  EXPECT_EQ(sized.GetFonts()[0]->chars, "cabbad");  // duplicates stay until preparation
  EXPECT_EQ(sized.GetOptions(), 1u);

  // Without it each size and colour is a font of its own, until preparation
  // merges them; faces and effects stay apart.
  CFontCollection fonts;
  fonts.AddFont(Style(12), "cab", 0);
  fonts.AddFont(Style(24), "bad", 0);
  fonts.AddFont(Style(12, 0x0000FF), "\xA5z\x80", 0);
  fonts.AddFont(Style(12, 0xFFFFFF, plat::kFaceBold), "q", 0);
  CFontStyle glowing = Style(12);
  glowing.effectKind = 1;
  fonts.AddFont(glowing, nullptr, 0);
  fonts.AddFont(Style(24), "d", 0);
  ASSERT_EQ(fonts.GetFonts().size(), 5u);
  EXPECT_EQ(fonts.GetFonts()[1]->chars, "badd");

  u16 nextId = 10;
  ASSERT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));
  EXPECT_EQ(nextId, 13);
  const auto& records = fonts.GetFonts();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(records[size_t(i)]->fontId, 11) << i;
    // Sorted as unsigned bytes: 0x80 and up after the ASCII characters.
    EXPECT_EQ(records[size_t(i)]->chars, "abcdz\x80\xA5") << i;
  }
  EXPECT_EQ(records[3]->fontId, 12);
  EXPECT_EQ(records[3]->chars, "q");
  EXPECT_EQ(records[4]->fontId, 13);
  EXPECT_EQ(records[4]->chars, "");

  // One tag per SWF font, its glyphs in the order of the characters.
  ASSERT_EQ(fonts.GetPreparedTags().size(), 3u);
  EXPECT_EQ(fonts.GetPreparedTags()[0]->GetCharacterId(), 11);
  EXPECT_EQ(CodesOf(*fonts.GetPreparedTags()[0]), (std::vector<u16>{'a', 'b', 'c', 'd', 'z', 0x80, 0xA5}));
  EXPECT_EQ(fonts.GetPreparedTags()[1]->GetFlags() & kFont2Bold, kFont2Bold);
  EXPECT_TRUE(fonts.GetPreparedTags()[2]->GetGlyphs().empty());

  // Glyph indices are positions in the merged characters.
  EXPECT_EQ(fonts.GetCharIndex('d', Style(24)), 3);
  EXPECT_EQ(fonts.GetCharIndex('\xA5', Style(12, 0x0000FF)), 6);
  EXPECT_EQ(fonts.GetCharIndex('q', Style(12)), -1);
  EXPECT_EQ(fonts.GetCharIndex('q', Style(12, 0xFFFFFF, plat::kFaceBold)), 0);
}

TEST_F(FontCollections, EachFontIsWrittenOncePerMovie) {
  CFontCollection fonts;
  fonts.AddFont(Style(12), "ab", 0);
  fonts.AddFont(Style(24, 0x00FF00), "c", 0);  // merged into the same SWF font
  u16 nextId = 0;
  ASSERT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));

  Movie first;
  EXPECT_EQ(fonts.EmitFontTag(Style(12), first.writer), 1);
  EXPECT_TRUE(fonts.IsWritten(fonts.GetFonts()[0].get()));
  EXPECT_EQ(fonts.EmitFontTag(Style(12), first.writer), 1);
  // The other style of the merged font finds it written already.
  EXPECT_TRUE(fonts.IsWritten(fonts.GetFonts()[1].get()));
  EXPECT_EQ(fonts.EmitFontTag(Style(24, 0x00FF00), first.writer), 1);
  // A colour no font has: no id and nothing written, while the glyph index
  // is still found by family name and face.
  EXPECT_EQ(fonts.EmitFontTag(Style(12, 0x123456), first.writer), 0);
  EXPECT_EQ(fonts.GetCharIndex('b', Style(12, 0x123456)), 1);
  EXPECT_EQ(first.Codes(), (std::vector<u16>{kSwfDefineFont2Code}));

  // The collection keeps its tags: the next movie gets the font again.
  fonts.ClearWrittenFlags();
  EXPECT_FALSE(fonts.IsWritten(fonts.GetFonts()[0].get()));
  Movie second;
  EXPECT_EQ(fonts.EmitFontTag(Style(24, 0x00FF00), second.writer), 1);
  EXPECT_EQ(fonts.EmitFontTag(Style(12), second.writer), 1);
  EXPECT_EQ(second.Codes(), (std::vector<u16>{kSwfDefineFont2Code}));
  const std::vector<u8> firstBytes = gbtest::ReadFile(first.path), secondBytes = gbtest::ReadFile(second.path);
  EXPECT_EQ(swftest::SplitTags(firstBytes)[0].body, swftest::SplitTags(secondBytes)[0].body);

  // A writer that fails: no id, and the font is still to be written.
  fonts.ClearWrittenFlags();
  CSwfFileWriter closed(false);
  EXPECT_EQ(fonts.EmitFontTag(Style(12), closed), 0);
  EXPECT_FALSE(fonts.IsWritten(fonts.GetFonts()[0].get()));
}

TEST_F(FontCollections, PreparationRenumbersAndStartsOver) {
  CFontCollection fonts;
  u16 nextId = 5;
  EXPECT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));  // no fonts: no ids taken
  EXPECT_EQ(nextId, 5);
  EXPECT_FALSE(fonts.PrepareFontTags(nullptr, nullptr));

  fonts.AddFont(Style(12), "a", 0);
  Movie unprepared;
  EXPECT_EQ(fonts.EmitFontTag(Style(12), unprepared.writer), 0);  // no tags yet
  EXPECT_EQ(unprepared.Codes(), std::vector<u16>{});

  ASSERT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));
  Movie movie;
  EXPECT_EQ(fonts.EmitFontTag(Style(12), movie.writer), 6);
  // Prepared again, the font has a new id that this movie has not seen.
  ASSERT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));
  EXPECT_EQ(fonts.EmitFontTag(Style(12), movie.writer), 7);
  EXPECT_EQ(movie.Codes(), (std::vector<u16>{kSwfDefineFont2Code, kSwfDefineFont2Code}));

  // Ids stop at 65535.
  nextId = 0xFFFF;
  EXPECT_FALSE(fonts.PrepareFontTags(nullptr, &nextId));
  EXPECT_EQ(nextId, 0xFFFF);

  // Starting over forgets fonts, their written flags and their tags.
  fonts.DeleteAllFonts();
  EXPECT_TRUE(fonts.GetFonts().empty());
  EXPECT_TRUE(fonts.GetPreparedTags().empty());
  fonts.AddFont(Style(12), "b", 0);
  nextId = 0;
  ASSERT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));
  Movie fresh;
  EXPECT_EQ(fonts.EmitFontTag(Style(12), fresh.writer), 1);
  EXPECT_EQ(fresh.Codes(), (std::vector<u16>{kSwfDefineFont2Code}));
}

TEST_F(FontCollections, IdAndGlyphCodeLookups) {
  CFontCollection fonts;
  fonts.AddFont(Style(12), "xy", 0);
  u16 nextId = 0;
  ASSERT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));
  EXPECT_EQ(fonts.GetFontId(Style(12)), 1);
  EXPECT_EQ(fonts.GetFontId(Style(13)), 0);
  EXPECT_EQ(fonts.GetAuxId(Style(12)), 0);
  EXPECT_EQ(fonts.GetAuxId(Style(13)), 0xFFFF);
  EXPECT_EQ(fonts.GetGlyphCode('y', Style(12)), 0);  // no glyph base
  EXPECT_EQ(fonts.GetGlyphCode('z', Style(12)), 0xFFFF);
  EXPECT_EQ(fonts.GetGlyphCode('y', Style(13)), 0xFFFF);
  fonts.GetFonts()[0]->glyphBase = 100;
  EXPECT_EQ(fonts.GetGlyphCode('y', Style(12)), 101);

  CFontStyle style = Style(30, 0x010203);
  style.effectKind = 4;
  style.Reset();
  EXPECT_EQ(style.color, 0xFFFFFFu);
  EXPECT_EQ(style.effectKind, 0);
  EXPECT_EQ(style.GetSize(), 32);
  CFontStyle copy;
  style.effectExtra = 9;
  copy.Assign(style);
  EXPECT_TRUE(copy.IsSameFont(style, true, true));
  copy.SetSize(10);
  copy.color = 1;
  EXPECT_FALSE(copy.IsSameFont(style, true, false));
  EXPECT_FALSE(copy.IsSameFont(style, false, true));
  EXPECT_TRUE(copy.IsSameFont(style, false, false));
}

TEST_F(FontCollections, LetterSprites) {
  CFontCollection fonts;
  fonts.AddFont(Style(12, 0x0000FF), "ab", 0);
  u16 nextId = 0;
  ASSERT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));
  Movie movie;

  const u16 size = fonts.GetSizeSprite(Style(12, 0x0000FF), movie.writer, &nextId);
  EXPECT_EQ(size, 3);  // the edit text is 2
  EXPECT_EQ(fonts.GetSizeSprite(Style(12, 0x0000FF), movie.writer, &nextId), size);
  const u16 letter = fonts.GetLetterSprite('b', Style(12, 0x0000FF), movie.writer, &nextId);
  EXPECT_EQ(letter, 5);
  EXPECT_EQ(fonts.GetLetterSprite('b', Style(12, 0x0000FF), movie.writer, &nextId), letter);
  EXPECT_EQ(fonts.GetLetterSprite('z', Style(12, 0x0000FF), movie.writer, &nextId), 0);  // no glyph
  EXPECT_EQ(fonts.GetLetterSprite('a', Style(12), movie.writer, &nextId), 0xFFFF);      // no font
  CFontRecord& record = *fonts.GetFonts()[0];
  EXPECT_TRUE(fonts.BuildLetterSprites(record, 12, 0x00FF00, movie.writer, &nextId));
  EXPECT_EQ(nextId, 9);
  record.effectKind = 3;
  EXPECT_EQ(fonts.BuildLetterSprite('a', 12, record, movie.writer, &nextId), 0);
  EXPECT_EQ(nextId, 9);

  EXPECT_EQ(movie.Codes(), (std::vector<u16>{kSwfDefineFont2Code, kSwfDefineEditTextCode, kSwfDefineSpriteCode,
                                             kSwfDefineText2Code, kSwfDefineSpriteCode, kSwfDefineText2Code,
                                             kSwfDefineSpriteCode, kSwfDefineText2Code, kSwfDefineSpriteCode}));

  // What they hold, read back.
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFile(CPathName(movie.path), true, 0, true));
  std::vector<CSwfTag*>& tags = reader.GetTags();
  ASSERT_GE(tags.size(), 5u);
  auto* edit = dynamic_cast<CSwfDefineEditText*>(tags[1]);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetInitialText(), "W");
  EXPECT_EQ(edit->GetVariableName(), "dummyletter");
  EXPECT_EQ(edit->GetFontId(), 1);
  EXPECT_EQ(edit->GetFontHeight(), 240);
  EXPECT_EQ(edit->GetAlign(), 2);
  EXPECT_EQ(edit->GetFlags(), kEditTextHasText | kEditTextHasTextColor | kEditTextHasFont | kEditTextHasLayout |
                                  kEditTextReadOnly | kEditTextNoSelect | kEditTextUseOutlines);
  // 'W' is 12 of 16 units: 9 pixels, 180 twips.
  EXPECT_EQ(edit->GetBounds()->xMin, -360);
  EXPECT_EQ(edit->GetBounds()->yMax, 240);
  auto* text = dynamic_cast<CSwfDefineText2*>(tags[3]);
  ASSERT_NE(text, nullptr);
  ASSERT_EQ(text->GetRecords().size(), 2u);
  const auto& style = static_cast<const CSwfTextStyleRecord&>(*text->GetRecords()[0]);
  EXPECT_EQ(style.GetFontId(), 1);
  EXPECT_EQ(style.GetTextHeight(), 240);
  EXPECT_EQ(style.GetYOffset(), 9 * 20);  // the ascent, 3/4 of 12 pixels
  const auto& glyphs = static_cast<const CSwfTextGlyphRecord&>(*text->GetRecords()[1]);
  ASSERT_EQ(glyphs.GetEntries().size(), 1u);
  EXPECT_EQ(glyphs.GetEntries()[0].glyphIndex, 1u);
  auto* sprite = dynamic_cast<CSwfDefineSprite*>(tags[4]);
  ASSERT_NE(sprite, nullptr);
  ASSERT_FALSE(sprite->GetTags().empty());
  auto* place = dynamic_cast<CSwfPlaceObject2*>(sprite->GetTags()[0]);
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->GetCharacterId(), 4);
  ASSERT_NE(place->GetMatrix(), nullptr);
  EXPECT_EQ(place->GetMatrix()->translateX, -60);  // half of 6 pixels
  EXPECT_EQ(place->GetMatrix()->translateY, -120);
  reader.DeleteTags(true);
}

}  // namespace
