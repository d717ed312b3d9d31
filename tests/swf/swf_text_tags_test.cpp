#include "swf/swf_text_tags.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::As;
using swftest::Bytes;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

// The body of a static text: id 1, an empty rectangle, the identity matrix,
// the widths, then the record bytes as given (the end byte included).
std::vector<u8> TextBody(u8 glyphBits, u8 advanceBits, const std::vector<u8>& records) {
  std::vector<u8> body = Bytes({1, 0, 0x08, 0x00, 0x00, glyphBits, advanceBits});
  body.insert(body.end(), records.begin(), records.end());
  return body;
}

// What a reader that is not ours makes of a movie holding the tag.
std::map<std::string, std::string> Independent(CSwfTag& tag, u8 version = 6) {
  return swftest::IndependentValues(swftest::BuildMovie({{tag.GetCode(), WrittenBody(&tag, version)}, {0, {}}}, version));
}

// A body read, written, read again and written again gives the first write:
// what a hostile body leaves in a tag is written so that it reads back alike.
void ExpectStableRewrite(u16 code, const std::vector<u8>& body, u8 version = 6) {
  auto first = ReadTag({code, body}, version);
  ASSERT_NE(first, nullptr);
  const std::vector<u8> written = WrittenBody(first.get(), version);
  auto second = ReadTag({code, written}, version);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(WrittenBody(second.get(), version), written);
}

std::unique_ptr<CSwfTextStyleRecord> Style(u16 fontId, u16 height) {
  auto style = std::make_unique<CSwfTextStyleRecord>();
  style->SetFontId(fontId);
  style->SetTextHeight(height);
  return style;
}

std::unique_ptr<CSwfTextGlyphRecord> Glyphs(std::initializer_list<std::pair<u32, s32>> entries) {
  auto glyphs = std::make_unique<CSwfTextGlyphRecord>();
  for (const auto& [index, advance] : entries) glyphs->AddEntry(index, advance);
  return glyphs;
}

}  // namespace

TEST(SwfTextTags, StaticTextRecordsReadAndWriteBackInBothColourForms) {
  // A style record with font, colour, both offsets and height, then two
  // glyphs (index 3 bits, advance 5 bits), then the end.
  struct Case {
    u16 code;
    std::vector<u8> color;
  };
  for (const Case& c : {Case{11, Bytes({0x10, 0x20, 0x30})}, Case{33, Bytes({0x10, 0x20, 0x30, 0x80})}}) {
    SCOPED_TRACE(c.code);
    std::vector<u8> records = Bytes({0x8F, 7, 0});
    records.insert(records.end(), c.color.begin(), c.color.end());
    // x 20, y -40, height 240; then 2 glyphs: (5, 12) and (2, -1).
    const std::vector<u8> rest = Bytes({20, 0, 0xD8, 0xFF, 240, 0, 2, 0b10101100, 0b01011111, 0});
    records.insert(records.end(), rest.begin(), rest.end());
    const std::vector<u8> body = TextBody(3, 5, records);
    auto read = ReadTag({c.code, body});
    auto* text = As<CSwfDefineText>(read);
    ASSERT_EQ(text->GetRecords().size(), 2u);
    auto* style = dynamic_cast<CSwfTextStyleRecord*>(text->GetRecords()[0].get());
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->GetFontId(), 7);
    EXPECT_EQ(style->GetXOffset(), 20);
    EXPECT_EQ(style->GetYOffset(), -40);
    EXPECT_EQ(style->GetTextHeight(), 240);
    ASSERT_NE(style->GetColor(), nullptr);
    EXPECT_EQ(dynamic_cast<const CSwfRgba*>(style->GetColor()) != nullptr, c.code == 33);
    auto* glyphs = dynamic_cast<CSwfTextGlyphRecord*>(text->GetRecords()[1].get());
    ASSERT_NE(glyphs, nullptr);
    ASSERT_EQ(glyphs->GetEntries().size(), 2u);
    EXPECT_EQ(glyphs->GetEntries()[0].glyphIndex, 5u);
    EXPECT_EQ(glyphs->GetEntries()[0].advance, 12);
    EXPECT_EQ(glyphs->GetEntries()[1].glyphIndex, 2u);
    EXPECT_EQ(glyphs->GetEntries()[1].advance, -1) << "advances are sign-extended";
    EXPECT_EQ(WrittenBody(text), body);
  }
}

TEST(SwfTextTags, RecordListsKeepEveryRecord) {
  struct Case {
    const char* name;
    std::vector<u8> records;
    std::string kinds;  // s = style, g<n> = glyph record of n entries
  };
  const Case cases[] = {
      {"a style record followed directly by the end", Bytes({0x88, 1, 0, 200, 0, 0}), "s"},
      {"a style record with no glyphs before another one",
       Bytes({0x88, 1, 0, 200, 0, 0, 0x80, 1, 0x20, 0}), "s g0 s g1"},
      {"a style record with no glyphs before the end", Bytes({0x88, 1, 0, 200, 0, 0, 0}), "s g0"},
      {"glyph records that stand alone", Bytes({2, 0x24, 1, 0x20, 0}), "g2 g1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<u8> body = TextBody(1, 2, c.records);
    auto read = ReadTag({11, body});
    auto* text = As<CSwfDefineText>(read);
    std::string kinds;
    for (const auto& record : text->GetRecords()) {
      if (!kinds.empty()) kinds += ' ';
      if (record->IsStyleRecord()) {
        kinds += 's';
      } else {
        kinds += 'g' + std::to_string(static_cast<CSwfTextGlyphRecord&>(*record).GetEntries().size());
      }
    }
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(WrittenBody(text), body);
    ExpectStableRewrite(11, body);
  }
  // A list cut short by the end of the body (inside a style record's
  // fields, before its end byte) is kept as its bytes.
  swftest::ExpectKeptAsBytes({11, TextBody(1, 2, Bytes({0x88, 1, 0}))});
  swftest::ExpectKeptAsBytes({11, TextBody(1, 2, Bytes({0x88, 1, 0, 200, 0, 1, 0x24}))});
}

TEST(SwfTextTags, WidthsComeFromTheLargestIndexAndAdvanceMagnitude) {
  struct Case {
    const char* name;
    std::vector<std::pair<u32, s32>> entries;
    u8 glyphBits, advanceBits;
  };
  const Case cases[] = {
      {"no advances", {{0, 0}}, 0, 1},
      {"positive advances", {{5, 100}, {1, 3}}, 3, 8},
      {"a negative advance larger than every positive one", {{1, 3}, {2, -300}}, 2, 10},
      {"a large index", {{70000, -1}}, 17, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSwfDefineText2 text(1, new CSwfRect, new CSwfMatrix, 0, 0);
    text.AddRecord(Style(1, 240).release());
    auto glyphs = std::make_unique<CSwfTextGlyphRecord>();
    for (const auto& [index, advance] : c.entries) glyphs->AddEntry(index, advance);
    text.AddRecord(glyphs.release());
    const std::vector<u8> body = WrittenBody(&text);
    EXPECT_EQ(text.GetGlyphBits(), c.glyphBits);
    EXPECT_EQ(text.GetAdvanceBits(), c.advanceBits);
    auto read = ReadTag({33, body});
    auto* back = As<CSwfDefineText>(read);
    ASSERT_EQ(back->GetRecords().size(), 2u);
    const auto& entries = static_cast<CSwfTextGlyphRecord&>(*back->GetRecords()[1]).GetEntries();
    ASSERT_EQ(entries.size(), c.entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].glyphIndex, c.entries[i].first);
      EXPECT_EQ(entries[i].advance, c.entries[i].second);
    }
  }

  // Widths read from a movie are kept as the least the tag writes.
  auto wide = ReadTag({11, TextBody(9, 12, Bytes({1, 0, 0x10, 0, 0}))});
  std::vector<u8> written = WrittenBody(wide.get());
  EXPECT_EQ(written[5], 9);
  EXPECT_EQ(written[6], 12);
}

TEST(SwfTextTags, TextBuiltByCodeDecodesInAnIndependentReader) {
  CSwfDefineText2 text(4, new CSwfRect, new CSwfMatrix, 0, 0);
  auto style = Style(3, 400);
  style->SetColor(new CSwfRgba(0x11, 0x22, 0x33, 0x44));
  style->SetXOffset(-60);
  text.AddRecord(style.release());
  // A run longer than one record holds, with a negative advance at its end.
  auto run = std::make_unique<CSwfTextGlyphRecord>();
  for (u32 i = 0; i < 300; ++i) run->AddEntry(i % 7, i == 299 ? -500 : s32(i));
  text.AddRecord(run.release());
  // A style record that only moves the pen (its offset set by value).
  auto move = std::make_unique<CSwfTextStyleRecord>();
  move->SetYOffset(480);
  text.AddRecord(move.release());
  text.AddRecord(Glyphs({{1, 10}, {2, 20}}).release());

  const auto values = Independent(text);
  ASSERT_FALSE(values.empty()) << swftest::IndependentReaderProblem();
  EXPECT_EQ(values.at("tags.0.id"), "4");
  EXPECT_EQ(values.at("tags.0.records.length"), "3");
  EXPECT_EQ(values.at("tags.0.records.0.fontId"), "3");
  EXPECT_EQ(values.at("tags.0.records.0.fontSize"), "400");
  EXPECT_EQ(values.at("tags.0.records.0.color.a"), "68");
  EXPECT_EQ(values.at("tags.0.records.0.offsetX"), "-60");
  EXPECT_EQ(values.at("tags.0.records.0.entries.length"), "255");
  EXPECT_EQ(values.at("tags.0.records.1.entries.length"), "45");
  EXPECT_EQ(values.at("tags.0.records.1.entries.44.index"), std::to_string(299 % 7));
  EXPECT_EQ(values.at("tags.0.records.1.entries.44.advance"), "-500");
  EXPECT_EQ(values.at("tags.0.records.1.entries.0.advance"), "255");
  EXPECT_EQ(values.at("tags.0.records.2.offsetY"), "480");
  EXPECT_EQ(values.at("tags.0.records.2.entries.1.advance"), "20");

  // Every glyph comes back, in order, through our own reader too.
  auto read = ReadTag({33, WrittenBody(&text)});
  size_t glyphs = 0;
  for (const auto& record : As<CSwfDefineText>(read)->GetRecords())
    if (!record->IsStyleRecord()) glyphs += static_cast<CSwfTextGlyphRecord&>(*record).GetEntries().size();
  EXPECT_EQ(glyphs, 302u);
}

TEST(SwfTextTags, LongRunsThatStandAloneSplitBelowTheStyleBit) {
  CSwfDefineText text(1, new CSwfRect, new CSwfMatrix, 0, 0);
  auto run = std::make_unique<CSwfTextGlyphRecord>();
  for (u32 i = 0; i < 200; ++i) run->AddEntry(1, 1);
  text.AddRecord(run.release());
  text.AddRecord(new CSwfTextGlyphRecord);  // empty: would read as the end
  text.AddRecord(Glyphs({{1, 1}}).release());
  auto read = ReadTag({11, WrittenBody(&text)});
  const auto& records = As<CSwfDefineText>(read)->GetRecords();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0]->GetHead(), 127);
  EXPECT_EQ(records[1]->GetHead(), 73);
  EXPECT_EQ(records[2]->GetHead(), 1);
}

TEST(SwfTextTags, IdsShiftWithTheFontsOfTheirStyleRecords) {
  CSwfDefineText text(5, new CSwfRect, new CSwfMatrix, 0, 0);
  text.AddRecord(Style(2, 100).release());
  text.AddRecord(new CSwfTextStyleRecord);  // no font: stays without one
  text.OffsetIds(10, 3);
  EXPECT_EQ(text.GetCharacterId(), 15);
  EXPECT_EQ(static_cast<CSwfTextStyleRecord&>(*text.GetRecords()[0]).GetFontId(), 12);
  EXPECT_EQ(static_cast<CSwfTextStyleRecord&>(*text.GetRecords()[1]).GetFontId(), 0);
  EXPECT_EQ(text.GetRecords()[1]->GetHead() & kTextStyleHasFont, 0);

  CSwfDefineEditText edit;
  edit.SetFont(0, 240);
  edit.OffsetIds(10, 0);
  EXPECT_EQ(edit.GetCharacterId(), 11);
  EXPECT_EQ(edit.GetFontId(), 0) << "no font stays no font";
  edit.SetFont(3, 240);
  edit.OffsetIds(10, 0);
  EXPECT_EQ(edit.GetFontId(), 13);
}

TEST(SwfTextTags, EditTextsReadAndWriteEveryField) {
  // Id 2, rectangle, every optional part present.
  std::vector<u8> body = Bytes({2, 0, 0x08, 0x00});
  const std::vector<u8> rest = Bytes({
      0xFF, 0x3F,              // all flags of the first byte; layout, no select, border and the rest
      1, 0, 0x68, 0x01,        // font 1, height 360
      0, 255, 0, 128,          // colour
      20, 0,                   // max length
      3, 60, 0, 80, 0, 20, 0, 40, 0,  // align, margins, indent, leading
      'f', 'o', 'o', 0, '-', '_', '-', 0});
  body.insert(body.end(), rest.begin(), rest.end());
  auto read = ReadTag({37, body});
  auto* edit = As<CSwfDefineEditText>(read);
  EXPECT_EQ(edit->GetFlags(), 0xFF3F);
  EXPECT_EQ(edit->GetFontId(), 1);
  EXPECT_EQ(edit->GetFontHeight(), 360);
  ASSERT_NE(edit->GetColor(), nullptr);
  EXPECT_EQ(edit->GetColor()->alpha, 128);
  EXPECT_EQ(edit->GetMaxLength(), 20);
  EXPECT_EQ(edit->GetAlign(), 3);
  EXPECT_EQ(edit->GetRightMargin(), 80);
  EXPECT_EQ(edit->GetLeading(), 40);
  EXPECT_EQ(edit->GetVariableName(), "foo");
  EXPECT_EQ(edit->GetInitialText(), "-_-");
  EXPECT_EQ(WrittenBody(edit), body);

  // A text with a font but no layout block gains one of zeros.
  const std::vector<u8> noLayout = Bytes({2, 0, 0x08, 0x00, 0x01, 0x00, 1, 0, 0x68, 0x01, 'v', 0});
  auto plain = ReadTag({37, noLayout});
  EXPECT_EQ(WrittenBody(plain.get()), Bytes({2, 0, 0x08, 0x00, 0x01, 0x20, 1, 0, 0x68, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'v', 0}));
  // Nothing but the variable name.
  EXPECT_EQ(WrittenBody(ReadTag({37, Bytes({2, 0, 0x08, 0x00, 0, 0, 0})}).get()), Bytes({2, 0, 0x08, 0x00, 0, 0, 0}));
}

TEST(SwfTextTags, EditTextsKeepTheFontClassOfLaterMovies) {
  // Version 9: font class "F" (0x0080) in place of a font id, then the height.
  const std::vector<u8> body = Bytes({2, 0, 0x08, 0x00, 0x80, 0x80, 'F', 0, 0x40, 0x01, 'v', 0, 'h', 'i', 0});
  auto read = ReadTag({37, body}, 9);
  auto* edit = As<CSwfDefineEditText>(read);
  EXPECT_EQ(edit->GetFontClass(), "F");
  EXPECT_EQ(edit->GetFontHeight(), 320);
  EXPECT_EQ(edit->GetInitialText(), "hi");
  EXPECT_EQ(WrittenBody(edit, 9), body);
  // Before version 9 the bit is kept as it is and reads nothing.
  auto older = ReadTag({37, Bytes({2, 0, 0x08, 0x00, 0x00, 0x80, 'v', 0})}, 8);
  EXPECT_EQ(As<CSwfDefineEditText>(older)->GetVariableName(), "v");
  EXPECT_EQ(WrittenBody(older.get(), 8), Bytes({2, 0, 0x08, 0x00, 0x00, 0x80, 'v', 0}));
}

TEST(SwfTextTags, EditTextsBuiltByCode) {
  CSwfDefineEditText edit;
  EXPECT_EQ(edit.GetCharacterId(), 1);
  EXPECT_EQ(edit.GetFontHeight(), 100);
  edit.Set(9, new CSwfRgba(1, 2, 3, 4), std::string("name\0tail", 9));
  edit.SetFont(2, 480);
  edit.SetReadOnly(true);
  edit.SetNoSelect(true);
  edit.SetUseOutlines(true);
  edit.SetInitialText("Hello");
  CSwfRect* bounds = new CSwfRect;
  bounds->Set(0, 0, 100, 20, true);
  edit.SetBounds(bounds);
  EXPECT_EQ(edit.GetVariableName(), "name") << "a zero-terminated field stops at the zero";

  const auto values = Independent(edit);
  ASSERT_FALSE(values.empty()) << swftest::IndependentReaderProblem();
  EXPECT_EQ(values.at("tags.0.id"), "9");
  EXPECT_EQ(values.at("tags.0.readonly"), "true");
  EXPECT_EQ(values.at("tags.0.noSelect"), "true");
  EXPECT_EQ(values.at("tags.0.useGlyphFont"), "true");
  EXPECT_EQ(values.at("tags.0.fontId"), "2");
  EXPECT_EQ(values.at("tags.0.fontSize"), "480");
  EXPECT_EQ(values.at("tags.0.color.a"), "4");
  EXPECT_EQ(values.at("tags.0.bounds.xMax"), "2000");
  EXPECT_EQ(values.at("tags.0.variableName"), "name");
  EXPECT_EQ(values.at("tags.0.text"), "Hello");
}

TEST(SwfTextTags, HostileBodiesReadWithinTheBodyAndRewriteStably) {
  struct Case {
    const char* name;
    u16 code;
    std::vector<u8> body;
  };
  const Case cases[] = {
      {"a glyph count larger than the body", 11, TextBody(8, 8, Bytes({0x7F, 1, 2}))},
      {"widths wider than a word", 33, TextBody(200, 255, Bytes({3, 0xFF, 0xFF, 0xFF}))},
      {"a style record cut in its colour", 33, TextBody(1, 1, Bytes({0x8C, 1, 0, 9}))},
      {"only an id", 11, Bytes({1, 0})},
      {"an empty body", 33, {}},
      {"an edit text cut in its layout", 37, Bytes({2, 0, 0x08, 0x00, 0x00, 0x20, 1, 2})},
      {"an edit text whose strings run to the end", 37, Bytes({2, 0, 0x08, 0x00, 0x80, 0x00, 'a', 0, 'b'})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectStableRewrite(c.code, c.body);
  }
}

namespace {

// Bit fields packed most significant bit first, by hand (up to 64 bits a
// field, a signed value as its two's complement), so that the bodies do not
// depend on the writer under test.
class BitPacker {
 public:
  void Put(u64 value, u32 count) {
    for (u32 i = count; i-- > 0;) {
      if (used_ == 8) Close();
      if (i < 64 && ((value >> i) & 1)) partial_ = u8(partial_ | (0x80 >> used_));
      ++used_;
    }
  }
  std::vector<u8> Take() {
    Close();
    return std::move(bytes_);
  }

 private:
  void Close() {
    if (used_) bytes_.push_back(partial_);
    partial_ = 0;
    used_ = 0;
  }
  std::vector<u8> bytes_;
  u8 partial_ = 0;
  u32 used_ = 0;
};

struct WideEntry {
  u64 index;
  s64 advance;
};

// A static text of one style record (font 1, height 200) and one glyph
// record of the entries in the given widths.
std::vector<u8> WideText(u8 glyphBits, u8 advanceBits, const std::vector<WideEntry>& entries) {
  BitPacker bits;
  for (const WideEntry& entry : entries) {
    bits.Put(entry.index, glyphBits);
    bits.Put(u64(entry.advance), advanceBits);
  }
  std::vector<u8> records = Bytes({0x88, 1, 0, 200, 0, u8(entries.size())});
  const std::vector<u8> packed = bits.Take();
  records.insert(records.end(), packed.begin(), packed.end());
  records.push_back(0);
  return TextBody(glyphBits, advanceBits, records);
}

}  // namespace

TEST(SwfTextTags, FieldsWiderThan32BitsKeepTheirValues) {
  // The widths are a byte each: fields of 40 or 64 bits are legal. Their
  // values come back as they were, negative advances included, and the text
  // is written back with its widths and its bytes.
  struct Case {
    const char* name;
    u8 glyphBits, advanceBits;
    std::vector<WideEntry> entries;
  };
  const Case cases[] = {
      {"40-bit fields", 40, 40, {{7, -5}, {3, -1}, {0, 16}}},
      {"64-bit advances", 8, 64, {{7, -5}, {200, -1}}},
      {"64-bit fields at the ends of 32 bits", 64, 64, {{0xFFFFFFFFu, INT32_MIN}, {1, INT32_MAX}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<u8> body = WideText(c.glyphBits, c.advanceBits, c.entries);
    const std::vector<u8> movie = swftest::BuildMovie({{11, body}, {0, {}}});
    CSwfReader reader;
    ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
    EXPECT_EQ(reader.GetTagsKeptRaw(), 0u);
    auto* text = dynamic_cast<CSwfDefineText*>(reader.GetTags()[0]);
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->GetRecords().size(), 2u);
    const auto& entries = static_cast<const CSwfTextGlyphRecord&>(*text->GetRecords()[1]).GetEntries();
    ASSERT_EQ(entries.size(), c.entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].glyphIndex, c.entries[i].index) << i;
      EXPECT_EQ(entries[i].advance, c.entries[i].advance) << i;
    }
    EXPECT_EQ(WrittenBody(text), body);
    reader.DeleteTags(true);
  }

  // A text built in code whose advance needs 33 bits carries its sign in
  // the 33rd.
  CSwfDefineText built(1, new CSwfRect, new CSwfMatrix, 0, 0);
  built.AddRecord(Style(1, 200));
  built.AddRecord(Glyphs({{1, INT32_MIN}}));
  EXPECT_EQ(WrittenBody(&built), WideText(1, 33, {{1, INT32_MIN}}));

  // Values that the 32 bits of an entry cannot hold keep the text as its bytes.
  swftest::ExpectKeptAsBytes({11, WideText(40, 8, {{u64(1) << 32, 1}})});
  swftest::ExpectKeptAsBytes({11, WideText(8, 40, {{1, s64(INT32_MAX) + 1}})});
  swftest::ExpectKeptAsBytes({11, WideText(8, 64, {{1, s64(INT32_MIN) - 1}})});
}
