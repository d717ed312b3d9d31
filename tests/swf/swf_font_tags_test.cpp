#include "swf/swf_font_tags.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/text_encoding.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_shape.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_unknown_tag.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::As;
using swftest::Bytes;
using swftest::Concat;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

// An outline without edges (written as kEmptyGlyph below).
CSwfShape* EmptyGlyph() {
  auto* glyph = new CSwfShape(1);
  glyph->SetBits(1, 0);
  return glyph;
}

// An outline that writes `size` bytes (an even number, at least 2): the
// widths, edges along x of two bytes each, the end record.
CSwfShape* GlyphOfBytes(u32 size) {
  CSwfShape* glyph = EmptyGlyph();
  for (u32 i = 0; i < (size - 2) / 2; ++i) glyph->AddLineX(i % 2 ? 100 : -100);
  return glyph;
}

// A body read, written, read again and written again gives the first write.
void ExpectStableRewrite(u16 code, const std::vector<u8>& body, u8 version) {
  auto first = ReadTag({code, body}, version);
  ASSERT_NE(first, nullptr);
  const std::vector<u8> written = WrittenBody(first.get(), version);
  auto second = ReadTag({code, written}, version);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(WrittenBody(second.get(), version), written);
}

}  // namespace

TEST(SwfFontTags, SingleByteCodesBecomeTheirMacRomanCharacters) {
  // The encoding layer's table and a few characters known by heart.
  for (int byte = 0x80; byte <= 0xFF; ++byte) EXPECT_EQ(FontCodeToUnicode(u8(byte)), plat::MacRomanToUnicode(u8(byte)));
  const std::pair<u8, u16> known[] = {{'A', 0x41},    {0x80, 0x00C4}, {0x8E, 0x00E9}, {0xA5, 0x2022},
                                      {0xDB, 0x20AC}, {0xE9, 0x00C8}, {0xF0, 0xF8FF}, {0xFF, 0x02C7}};
  for (const auto& [byte, unicode] : known) EXPECT_EQ(FontCodeToUnicode(byte), unicode) << int(byte);
  EXPECT_EQ(FontCodeToUnicode(0), 0);
}

TEST(SwfFontTags, FontInfoReadsAndWritesItsCodes) {
  struct Case {
    const char* name;
    u16 code;
    std::vector<u8> body;
    std::vector<u16> codes;
  };
  const Case cases[] = {
      {"8-bit codes", 13, Bytes({3, 0, 5, 'A', 'r', 'i', 'a', 'l', 0x08, 'A', 0xE9}), {'A', 0xE9}},
      {"wide codes", 13, Bytes({3, 0, 1, 'V', 0x01, 0x41, 0, 0x2D, 0x4E}), {'A', 0x4E2D}},
      {"an empty name", 13, Bytes({3, 0, 0, 0x00}), {}},
      {"a name with its zero byte", 13, Bytes({3, 0, 2, 'V', 0, 0x00, 'x'}), {'x'}},
      {"a language code", 62, Bytes({3, 0, 1, 'V', 0x01, 2, 0x41, 0}), {'A'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto read = ReadTag({c.code, c.body});
    auto* info = As<CSwfDefineFontInfo>(read);
    EXPECT_EQ(info->GetFontId(), 3);
    EXPECT_EQ(info->GetCodes(), c.codes);
    EXPECT_EQ(WrittenBody(info), c.body);
  }
  auto info2 = ReadTag({62, Bytes({3, 0, 1, 'V', 0x01, 2})});
  EXPECT_EQ(As<CSwfDefineFontInfo2>(info2)->GetLanguageCode(), 2);

  // An empty body holds no font id: it is kept as its bytes. The factory's
  // default, and one built by code.
  swftest::ExpectKeptAsBytes({13, {}});
  CSwfDefineFontInfo standard;
  EXPECT_EQ(standard.GetFontId(), 1);
  EXPECT_EQ(standard.GetName(), "Times New Roman");
  CSwfDefineFontInfo2 built(7, "Arial", "ab", kFontInfoBold);
  built.SetLanguageCode(1);
  EXPECT_EQ(WrittenBody(&built), Bytes({7, 0, 5, 'A', 'r', 'i', 'a', 'l', 0x02, 1, 'a', 'b'}));
  built.SetCodes("");
  EXPECT_EQ(built.GetCodes().size(), 2u) << "an empty string leaves the codes";
  built.SetCodes("xyz");
  EXPECT_EQ(built.GetCodes(), (std::vector<u16>{'x', 'y', 'z'}));
  built.OffsetIds(10, 0);
  EXPECT_EQ(built.GetFontId(), 17);
}

TEST(SwfFontTags, NamesFitTheirLengthByte) {
  CSwfDefineFontInfo info(12, "Arial", "", 0);
  ASSERT_TRUE(info.SetAppendIdToName(true));
  EXPECT_EQ(WrittenBody(&info), Bytes({12, 0, 7, 'A', 'r', 'i', 'a', 'l', '1', '2', 0}));

  const std::string longest(255, 'n');
  const std::string tooLong(256, 'n');
  CSwfDefineFontInfo named;
  EXPECT_FALSE(named.SetName(tooLong));
  EXPECT_EQ(named.GetName(), "Times New Roman") << "a refused name changes nothing";
  EXPECT_FALSE(named.Set(2, tooLong, "a", 0));
  EXPECT_EQ(named.GetFontId(), 1);
  ASSERT_TRUE(named.SetName(longest));
  EXPECT_EQ(WrittenBody(&named)[2], 255);
  EXPECT_FALSE(named.SetAppendIdToName(true)) << "an id would push the name past 255 bytes";
  CSwfDefineFontInfo fromLong(2, tooLong, "", 0);
  EXPECT_EQ(fromLong.GetName(), "");

  CSwfDefineFontInfo appended(65535, std::string(250, 'n'), "", 0);
  ASSERT_TRUE(appended.SetAppendIdToName(true));
  EXPECT_FALSE(appended.SetName(std::string(251, 'n')));
  EXPECT_EQ(WrittenBody(&appended)[2], 255);
}

TEST(SwfFontTags, HostileFontInfoBodiesStayWithinTheBody) {
  // A name longer than the body, wide codes with an odd byte left over.
  for (const std::vector<u8>& body : {Bytes({3, 0, 200, 'a'}), Bytes({3, 0, 0, 0x01, 1, 2, 3})}) {
    auto first = ReadTag({13, body});
    const std::vector<u8> written = WrittenBody(first.get());
    EXPECT_LE(written.size(), body.size() + 1);
    auto second = ReadTag({13, written});
    EXPECT_EQ(WrittenBody(second.get()), written);
  }
}

namespace {

// An outline without edges: one fill bit, no line bits, the end record.
const std::vector<u8> kEmptyGlyph = Bytes({0x10, 0x00});

struct Kerning {
  u16 code1, code2;
  s16 adjustment;
};

// A DefineFont2 body (id 1, name "F") with one empty outline a code, 2-byte
// offsets, codes in the width its flags name, and with has layout the
// metrics 900, 200, 10, advances of 100 + i, empty bounds and the kerning.
std::vector<u8> Font2Body(u8 flags, const std::vector<u16>& codes, const std::vector<Kerning>& kerning = {}) {
  const bool wide = flags & kFont2WideCodes;
  std::vector<u8> body = Bytes({1, 0, flags, 0, 1, 'F'});
  const size_t n = codes.size();
  auto u16le = [&body](u32 value) {
    body.push_back(u8(value));
    body.push_back(u8(value >> 8));
  };
  u16le(u32(n));
  for (size_t i = 0; i <= n; ++i) u16le(u32(2 * (n + 1) + 2 * i));
  for (size_t i = 0; i < n; ++i) body.insert(body.end(), kEmptyGlyph.begin(), kEmptyGlyph.end());
  for (u16 code : codes) {
    if (wide)
      u16le(code);
    else
      body.push_back(u8(code));
  }
  if (flags & kFont2HasLayout) {
    u16le(900);
    u16le(200);
    u16le(10);
    for (size_t i = 0; i < n; ++i) u16le(u32(100 + i));
    for (size_t i = 0; i < n; ++i) body.insert(body.end(), {0x08, 0x00});
    u16le(u32(kerning.size()));
    for (const Kerning& pair : kerning) {
      if (wide) {
        u16le(pair.code1);
        u16le(pair.code2);
      } else {
        body.push_back(u8(pair.code1));
        body.push_back(u8(pair.code2));
      }
      u16le(u16(pair.adjustment));
    }
  }
  return body;
}

std::vector<Kerning> KerningOf(const CSwfDefineFont2& font) {
  std::vector<Kerning> pairs;
  for (const auto& record : font.GetKerning()) pairs.push_back({record->code1, record->code2, record->adjustment});
  return pairs;
}

bool operator==(const Kerning& a, const Kerning& b) {
  return a.code1 == b.code1 && a.code2 == b.code2 && a.adjustment == b.adjustment;
}

}  // namespace

TEST(SwfFontTags, CodeTablesAndKerningAfterARewrite) {
  struct Case {
    const char* name;
    u8 version;
    u8 flags;
    std::vector<u16> codes;
    std::vector<Kerning> kerning;
    u8 writtenFlags;
    std::vector<u16> writtenCodes;
    std::vector<Kerning> writtenKerning;
  };
  const Case cases[] = {
      {"version 6, wide codes stay as they are", 6, 0x84, {'A', 0xE9, 0x4E2D}, {{0xE9, 0x4E2D, -20}},
       0x84, {'A', 0xE9, 0x4E2D}, {{0xE9, 0x4E2D, -20}}},
      {"version 6, 8-bit codes become Unicode", 6, 0x90 | 0x40, {'A', 0x8E, 0xE9}, {{0x8E, 0xE9, -20}},
       0x84, {'A', 0xE9, 0xC8}, {{0xE9, 0xC8, -20}}},
      {"version 5, 8-bit codes stay single bytes", 5, 0x90, {'A', 0x8E, 0xE9}, {{0x8E, 0xE9, -20}},
       0x90, {'A', 0x8E, 0xE9}, {{0x8E, 0xE9, -20}}},
      {"version 5, wide codes stay as they are", 5, 0x84, {'A', 0x4E2D}, {{'A', 0x4E2D, 7}},
       0x84, {'A', 0x4E2D}, {{'A', 0x4E2D, 7}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<u8> body = Font2Body(c.flags, c.codes, c.kerning);
    auto read = ReadTag({48, body}, c.version);
    ASSERT_EQ(As<CSwfDefineFont2>(read)->GetCodeTable(), c.codes);
    const std::vector<u8> written = WrittenBody(read.get(), c.version);
    EXPECT_EQ(written, Font2Body(c.writtenFlags, c.writtenCodes, c.writtenKerning));
    auto again = ReadTag({48, written}, c.version);
    auto* font = As<CSwfDefineFont2>(again);
    EXPECT_EQ(font->GetFlags(), c.writtenFlags);
    EXPECT_EQ(font->GetCodeTable(), c.writtenCodes);
    EXPECT_EQ(KerningOf(*font), c.writtenKerning);
    EXPECT_EQ(WrittenBody(font, c.version), written) << "a second rewrite changes nothing";
  }
}

TEST(SwfFontTags, FontsBuiltByCodeDecodeInAnIndependentReader) {
  // The independent reader takes kerning codes as 16 bits in every font, so
  // the single-byte form (version 5) goes without kerning.
  for (u8 version : {u8(5), u8(6)}) {
    SCOPED_TRACE(int(version));
    CSwfDefineFont2 font("Arial", 12, kFont2HasLayout | kFont2Ansi);
    ASSERT_TRUE(font.SetAppendIdToName(true));
    font.SetMetrics(905, 212, 33);
    ASSERT_TRUE(font.AddGlyph(EmptyGlyph(), 'A', 700, nullptr));
    ASSERT_TRUE(font.AddGlyph(EmptyGlyph(), 0x8E, 650, nullptr));
    if (version >= 6) {
      ASSERT_TRUE(font.AddKerning(new CSwfKerningRecord('A', 0x8E, -45)));
    }
    const std::vector<u8> body = WrittenBody(&font, version);
    EXPECT_EQ(body[4], 7) << "the name with its id: Arial12";
    const auto values = swftest::IndependentValues(swftest::BuildMovie({{48, body}, {0, {}}}, version));
    ASSERT_FALSE(values.empty()) << swftest::IndependentReaderProblem();
    ASSERT_EQ(values.at("tags.0.type"), "12") << "the reader decodes the font";
    EXPECT_EQ(values.at("tags.0.id"), "12");
    EXPECT_EQ(values.at("tags.0.fontName"), "Arial12");
    EXPECT_EQ(values.at("tags.0.glyphs.length"), "2");
    EXPECT_EQ(values.at("tags.0.codeUnits.0"), "65");
    // é: Mac Roman 0x8E, Unicode 0xE9.
    EXPECT_EQ(values.at("tags.0.codeUnits.1"), version >= 6 ? "233" : "142");
    EXPECT_EQ(values.at("tags.0.isAnsi"), version >= 6 ? "false" : "true");
    EXPECT_EQ(values.at("tags.0.layout.ascent"), "905");
    EXPECT_EQ(values.at("tags.0.layout.advances.1"), "650");
    if (version < 6) continue;
    EXPECT_EQ(values.at("tags.0.layout.kerning.length"), "1");
    EXPECT_EQ(values.at("tags.0.layout.kerning.0.left"), "65");
    EXPECT_EQ(values.at("tags.0.layout.kerning.0.right"), "233");
    EXPECT_EQ(values.at("tags.0.layout.kerning.0.adjustment"), "-45");
  }
}

TEST(SwfFontTags, FontTablesFollowTheGlyphs) {
  // Without has layout nothing follows the codes, whatever the tables hold.
  CSwfDefineFont2 plain("F", 1, 0);
  ASSERT_TRUE(plain.AddGlyph(EmptyGlyph(), 'a', 500, nullptr));
  ASSERT_TRUE(plain.AddKerning(new CSwfKerningRecord('a', 'a', 1)));
  plain.SetMetrics(1, 2, 3);
  EXPECT_EQ(WrittenBody(&plain, 5), Concat({Bytes({1, 0, 0x00, 0, 1, 'F', 1, 0, 4, 0, 6, 0}), kEmptyGlyph, Bytes({'a'})}));

  // A font without glyphs: as it came when its body ended after the count,
  // else with its code-table offset.
  for (const std::vector<u8>& body : {Bytes({1, 0, 0x00, 0, 0, 0, 0}), Bytes({1, 0, 0x00, 0, 0, 0, 0, 2, 0})}) {
    auto read = ReadTag({48, body}, 5);
    EXPECT_EQ(WrittenBody(read.get(), 5), body);
  }
  CSwfDefineFont2 empty;
  EXPECT_EQ(empty.GetCharacterId(), 1);
  EXPECT_EQ(empty.GetFlags(), kFont2Ansi);
  EXPECT_EQ(WrittenBody(&empty, 5), Bytes({1, 0, kFont2Ansi, 0, 0, 0, 0, 2, 0}));

  // Names: an empty one is its length byte alone; a long one is refused.
  CSwfDefineFont2 named(std::string(256, 'n'), 3, 0);
  EXPECT_EQ(named.GetName(), "");
  EXPECT_FALSE(named.SetName(std::string(256, 'n')));
  ASSERT_TRUE(named.SetName(std::string(251, 'n')));
  EXPECT_FALSE(named.SetAppendIdToName(true));
  named.OffsetIds(4, 0);
  EXPECT_EQ(named.GetCharacterId(), 7);
}

TEST(SwfFontTags, OffsetsWidenWhenTheCodeTableLiesBeyondSixteenBits) {
  // Glyphs of 65530 bytes: every glyph offset fits 16 bits, the code-table
  // offset does not.
  struct Case {
    const char* name;
    u32 glyphBytes;
    bool wide;
  };
  for (const Case& c : {Case{"glyphs and table within 16 bits", 65000, false},
                        Case{"the code-table offset past 16 bits", 65530, true},
                        Case{"glyphs of 65536 bytes", 65536, true}}) {
    SCOPED_TRACE(c.name);
    CSwfDefineFont2 font("F", 1, kFont2WideOffsets);
    ASSERT_TRUE(font.AddGlyph(GlyphOfBytes(c.glyphBytes - 2), 'a', 0, nullptr));
    ASSERT_TRUE(font.AddGlyph(EmptyGlyph(), 'b', 0, nullptr));
    const std::vector<u8> body = WrittenBody(&font, 5);
    EXPECT_EQ((body[2] & kFont2WideOffsets) != 0, c.wide);
    const size_t width = c.wide ? 4 : 2;
    const size_t table = 8;
    auto offset = [&](size_t i) {
      u32 value = 0;
      for (size_t b = 0; b < width; ++b) value |= u32(body[table + i * width + b]) << (8 * b);
      return value;
    };
    EXPECT_EQ(offset(0), 3 * width);
    EXPECT_EQ(offset(1), 3 * width + c.glyphBytes - 2);
    EXPECT_EQ(offset(2), 3 * width + c.glyphBytes);
    EXPECT_EQ(body.size(), table + 3 * width + c.glyphBytes + 2);
    auto read = ReadTag({48, body}, 5);
    EXPECT_EQ(As<CSwfDefineFont2>(read)->GetCodeTable(), (std::vector<u16>{'a', 'b'}));
  }
}

TEST(SwfFontTags, DefineFontRecomputesItsOffsets) {
  // Two empty outlines: offsets 4 and 6.
  const std::vector<u8> body = Concat({Bytes({5, 0, 4, 0, 6, 0}), kEmptyGlyph, kEmptyGlyph});
  auto read = ReadTag({10, body});
  auto* font = As<CSwfDefineFont>(read);
  EXPECT_EQ(font->GetGlyphs().size(), 2u);
  EXPECT_EQ(WrittenBody(font), body);

  // A body of the id alone is a font without glyphs. Tables that disagree
  // with the body (an empty or odd table, an offset past the body, more
  // glyphs than the body holds) keep the tag as its bytes.
  ExpectStableRewrite(10, Bytes({5, 0}), 6);
  EXPECT_EQ(WrittenBody(ReadTag({10, Bytes({5, 0})}).get()), Bytes({5, 0}));
  struct Case {
    const char* name;
    std::vector<u8> body;
  };
  const Case kept[] = {
      {"a first offset of 0", Bytes({5, 0, 0, 0})},
      {"a first offset of 1", Bytes({5, 0, 1, 0, 0x10, 0})},
      {"a second offset past the body", Concat({Bytes({5, 0, 4, 0, 9, 0}), kEmptyGlyph, kEmptyGlyph})},
      {"a table longer than the body", Bytes({5, 0, 0xFE, 0xFF, 6, 0})},
  };
  for (const Case& c : kept) {
    SCOPED_TRACE(c.name);
    swftest::ExpectKeptAsBytes({10, c.body});
  }

  CSwfDefineFont built;
  std::vector<std::unique_ptr<CSwfShape>> glyphs;
  glyphs.emplace_back(EmptyGlyph());
  ASSERT_TRUE(built.Set({0}, std::move(glyphs), 9, true));
  EXPECT_EQ(built.GetOffsets(), (std::vector<u32>{2}));
  EXPECT_EQ(WrittenBody(&built), Concat({Bytes({9, 0, 2, 0}), kEmptyGlyph}));
  built.OffsetIds(1, 0);
  EXPECT_EQ(built.GetCharacterId(), 10);
  std::vector<std::unique_ptr<CSwfShape>> large;
  large.emplace_back(GlyphOfBytes(65600));
  large.emplace_back(EmptyGlyph());
  EXPECT_FALSE(built.Set({}, std::move(large), 9, false)) << "the second glyph starts past 16 bits";
  EXPECT_EQ(built.GetGlyphs().size(), 1u);
}

TEST(SwfFontTags, HostileFontBodiesAreBounded) {
  // A count the body cannot hold, offsets past it, or parts it cuts short
  // keep the tag as its bytes (kRaw); the other bodies are read within them.
  constexpr size_t kRaw = ~size_t(0);
  struct Case {
    const char* name;
    std::vector<u8> body;
    size_t glyphs;  // at most
  };
  std::vector<u8> cutInCodes = Font2Body(0x84, {'a', 'b', 'c'});
  cutInCodes.resize(cutInCodes.size() - 3);
  std::vector<u8> cutInLayout = Font2Body(0x84 | 0x80, {'a', 'b'}, {{'a', 'b', 3}});
  cutInLayout.resize(cutInLayout.size() - 7);
  std::vector<u8> manyKerning = Font2Body(0x84 | 0x80, {'a'}, {{'a', 'a', 3}});
  manyKerning[manyKerning.size() - 7] = 0xFF;
  manyKerning[manyKerning.size() - 8] = 0xFF;
  const Case cases[] = {
      {"a glyph count larger than the body", Bytes({1, 0, 0x00, 0, 0, 0xFF, 0xFF, 4, 0}), kRaw},
      {"wide offsets past the body", Bytes({1, 0, 0x08, 0, 0, 3, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4}), kRaw},
      {"a name longer than the body", Bytes({1, 0, 0x00, 0, 200, 'F'}), kRaw},
      {"a table cut in its codes", cutInCodes, kRaw},
      {"a table cut in its layout", cutInLayout, kRaw},
      {"a kerning count larger than the body", manyKerning, kRaw},
      // Each glyph takes its offset, a byte of outline, its code, its advance
      // and a byte of bounds: 40 bytes behind the count hold 5 of them.
      {"glyphs announced by offsets alone",
       Concat({Bytes({1, 0, 0x80, 0, 0, 0xFF, 0xFF}), std::vector<u8>(40, 0x02)}), kRaw},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.glyphs == kRaw) {
      swftest::ExpectKeptAsBytes({48, c.body});
      continue;
    }
    auto read = ReadTag({48, c.body}, 6);
    auto* font = As<CSwfDefineFont2>(read);
    EXPECT_LE(font->GetGlyphs().size(), c.glyphs);
    EXPECT_LE(font->GetKerning().size(), 1u);
    ExpectStableRewrite(48, c.body, 6);
  }

  // DefineFont: a first offset that announces 32767 glyphs in a body of 30
  // bytes, each glyph its offset and a byte of outline.
  swftest::ExpectKeptAsBytes({10, Concat({Bytes({1, 0, 0xFE, 0xFF}), std::vector<u8>(28, 0x10)})});
}

namespace {

// The outline of glyph i as written: one edge along x of a length of its
// own, so that glyphs read from the wrong bytes do not pass for others.
std::vector<u8> Outline(size_t i) {
  std::unique_ptr<CSwfShape> glyph(EmptyGlyph());
  glyph->AddLineX(s32(100 * (i + 1)));
  CSwfBitWriter writer(6);
  glyph->Write(writer);
  writer.FlushBits();
  return writer.GetBytes();
}

// Where the glyphs of a font lie: `padding` zero bytes behind each outline
// and `gap` more before DefineFont2's code table; `change` alters the
// offsets as stored (DefineFont2's code-table offset last).
struct GlyphLayout {
  size_t glyphs = 3;
  size_t padding = 0;
  size_t gap = 0;
  std::function<void(std::vector<u32>&)> change;
};

void AppendU16(std::vector<u8>& out, u32 value) {
  out.push_back(u8(value));
  out.push_back(u8(value >> 8));
}

// The outlines of the layout, and where each starts (and the end last),
// counted from the start of the glyph area.
std::vector<u8> GlyphArea(const GlyphLayout& layout, std::vector<u32>& starts) {
  std::vector<u8> area;
  for (size_t i = 0; i < layout.glyphs; ++i) {
    starts.push_back(u32(area.size()));
    area = Concat(area, Outline(i));
    area.resize(area.size() + layout.padding, 0);
  }
  area.resize(area.size() + layout.gap, 0);
  starts.push_back(u32(area.size()));
  return area;
}

// A DefineFont (id 4) of the layout's glyphs.
std::vector<u8> DefineFontBody(const GlyphLayout& layout) {
  std::vector<u32> starts;
  const std::vector<u8> area = GlyphArea(layout, starts);
  std::vector<u32> offsets(starts.begin(), starts.end() - 1);
  for (u32& offset : offsets) offset += u32(2 * layout.glyphs);
  if (layout.change) layout.change(offsets);
  std::vector<u8> body = Bytes({4, 0});
  for (u32 offset : offsets) AppendU16(body, offset);
  return Concat(body, area);
}

// A DefineFont2 (id 4, name "F", 2-byte offsets and codes, a layout with
// one kerning pair) of the layout's glyphs, codes 'a' and on.
std::vector<u8> DefineFont2Body(const GlyphLayout& layout) {
  std::vector<u32> starts;
  const std::vector<u8> area = GlyphArea(layout, starts);
  const size_t n = layout.glyphs;
  const u32 table = u32(2 * (n + 1));
  std::vector<u32> offsets(starts);
  for (u32& offset : offsets) offset += table;
  if (layout.change) layout.change(offsets);
  std::vector<u8> body = Bytes({4, 0, kFont2HasLayout | kFont2WideCodes, 0, 1, 'F'});
  AppendU16(body, u32(n));
  for (u32 offset : offsets) AppendU16(body, offset);
  body = Concat(body, area);
  for (size_t i = 0; i < n; ++i) AppendU16(body, u32('a' + i));
  for (u32 metric : {900, 200, 10}) AppendU16(body, metric);
  for (size_t i = 0; i < n; ++i) AppendU16(body, u32(500 + i));
  for (size_t i = 0; i < n; ++i) body.insert(body.end(), {0x08, 0x00});
  AppendU16(body, 1);
  for (u32 value : {u32('a'), u32('b'), u32(0xFFF0)}) AppendU16(body, value);
  return body;
}

}  // namespace

// Glyphs are read where the offset table points: a font whose outlines
// have padding behind them holds what the same font without it holds,
// and is written back without it. Offsets that disagree with the body
// (glyphs sharing, overlapping or out of order, offsets outside the glyph
// area, a code table inside the last outline or past the body) keep the
// tag as its bytes: never a font of other glyphs.
TEST(SwfFontTags, GlyphsAreReadWhereTheirOffsetsPoint) {
  const auto swapFirstTwo = [](std::vector<u32>& offsets) { std::swap(offsets[0], offsets[1]); };
  const auto shareFirst = [](std::vector<u32>& offsets) { offsets[1] = offsets[0]; };
  const auto intoFirst = [](std::vector<u32>& offsets) { offsets[1] -= 1; };
  const auto lastPastBody = [](std::vector<u32>& offsets) { offsets[2] = 0xFFF0; };
  const auto intoTable = [](std::vector<u32>& offsets) { offsets[0] -= 2; };
  const auto codesInLastGlyph = [](std::vector<u32>& offsets) { offsets.back() -= 1; };
  const auto codesPastBody = [](std::vector<u32>& offsets) { offsets.back() = 0xFFF0; };
  // 1000 glyphs that share one outline, behind a table of 2000 bytes.
  std::vector<u8> shared = Bytes({4, 0});
  for (int i = 0; i < 1000; ++i) AppendU16(shared, 2000);
  shared = Concat(shared, Outline(0));

  struct Case {
    const char* name;
    u16 code;
    std::vector<u8> body;
    bool kept;  // as its bytes; else read as the font without padding
  };
  const Case cases[] = {
      {"DefineFont, a zero byte behind each outline", 10, DefineFontBody({3, 1, 0, {}}), false},
      {"DefineFont, padding behind the last outline", 10, DefineFontBody({3, 0, 5, {}}), false},
      {"DefineFont, glyphs that share one outline", 10, shared, true},
      {"DefineFont, glyphs out of order", 10, DefineFontBody({3, 0, 0, swapFirstTwo}), true},
      {"DefineFont, a glyph inside the one before it", 10, DefineFontBody({3, 0, 0, intoFirst}), true},
      {"DefineFont, an offset past the body", 10, DefineFontBody({3, 0, 0, lastPastBody}), true},
      {"DefineFont2, a zero byte behind each outline", 48, DefineFont2Body({3, 1, 0, {}}), false},
      {"DefineFont2, a gap before the code table", 48, DefineFont2Body({3, 0, 3, {}}), false},
      {"DefineFont2, glyphs that share one outline", 48, DefineFont2Body({3, 0, 0, shareFirst}), true},
      {"DefineFont2, a glyph inside the one before it", 48, DefineFont2Body({3, 0, 0, intoFirst}), true},
      {"DefineFont2, glyphs out of order", 48, DefineFont2Body({3, 0, 0, swapFirstTwo}), true},
      {"DefineFont2, a first offset inside the table", 48, DefineFont2Body({3, 0, 0, intoTable}), true},
      {"DefineFont2, a code table inside the last outline", 48, DefineFont2Body({3, 0, 0, codesInLastGlyph}), true},
      {"DefineFont2, a code table past the body", 48, DefineFont2Body({3, 0, 0, codesPastBody}), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.kept) {
      swftest::ExpectKeptAsBytes({c.code, c.body});
      continue;
    }
    const std::vector<u8> plain = c.code == 10 ? DefineFontBody({}) : DefineFont2Body({});
    auto read = ReadTag({c.code, c.body});
    auto expected = ReadTag({c.code, plain});
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(dynamic_cast<CSwfUnknownTag*>(read.get()), nullptr) << "read with its class";
    EXPECT_EQ(WrittenBody(read.get()), WrittenBody(expected.get()));
    EXPECT_EQ(WrittenBody(read.get()), plain) << "the outlines, codes and layout of the font without padding";
  }
}

// Parts that the body cuts short, or counts of more records than it holds,
// keep the font as its bytes: never codes, bounds, outlines or kerning
// pairs made up of zeros, nor a count lowered in silence.
TEST(SwfFontTags, PartsTheBodyCutsShortKeepTheFontAsItsBytes) {
  // Five glyphs with wide codes and no layout: 10 bytes of codes at the end.
  const std::vector<u8> fiveCodes = Font2Body(kFont2WideCodes, {'A', 'B', 'C', 'D', 'E'});
  // Three outlines with padding behind each; the offset table starts at 8,
  // its fourth entry the code table's offset.
  const std::vector<u8> padded = DefineFont2Body({3, 5, 0, {}});
  const size_t codeTable = 8 + (padded[14] | (padded[15] << 8));
  const std::vector<u8> laidOut = DefineFont2Body({});
  std::vector<u8> moreKerning = laidOut;
  moreKerning[moreKerning.size() - 8] = 2;  // two pairs announced, one there
  const std::vector<u8> twoPairs =
      Font2Body(kFont2HasLayout | kFont2WideCodes, {'a', 'b'}, {{'a', 'b', 3}, {'b', 'a', -3}});
  const std::vector<u8> font = DefineFontBody({});
  auto cut = [](const std::vector<u8>& body, size_t bytes) {
    return std::vector<u8>(body.begin(), body.end() - long(bytes));
  };
  struct Case {
    const char* name;
    u16 code;
    std::vector<u8> body;
  };
  const Case cases[] = {
      {"DefineFont2, a code table at the body's end", 48, cut(padded, padded.size() - codeTable)},
      {"DefineFont2, a code table cut by the body", 48, cut(fiveCodes, 4)},
      // The kerning count and pair (8 bytes), then half of the last bounds.
      {"DefineFont2, a layout cut by the body", 48, cut(laidOut, 9)},
      {"DefineFont2, a kerning count larger than its pairs", 48, moreKerning},
      {"DefineFont2, its last kerning pair cut", 48, cut(twoPairs, 2)},
      {"DefineFont, its last outline cut", 10, cut(font, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    swftest::ExpectKeptAsBytes({c.code, c.body});
  }
  // Whole, the same bodies are read with their classes.
  for (const auto& [code, body] : {std::pair{u16(48), fiveCodes}, std::pair{u16(48), padded},
                                   std::pair{u16(48), laidOut}, std::pair{u16(48), twoPairs},
                                   std::pair{u16(10), font}}) {
    auto read = ReadTag({code, body});
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(dynamic_cast<CSwfUnknownTag*>(read.get()), nullptr) << code;
  }
  auto whole = ReadTag({48, fiveCodes});
  EXPECT_EQ(As<CSwfDefineFont2>(whole)->GetCodeTable(), (std::vector<u16>{'A', 'B', 'C', 'D', 'E'}));
}

namespace {

// A glyph outline as a movie may hold it: the widths (one fill bit), eight
// straight edges of (-4, -4) in 3-bit fields, the end record; 15 bytes.
// Written back, each edge takes the 4-bit fields of the bit-count rule: 17
// bytes.
std::vector<u8> NarrowOutline() {
  CSwfBitWriter bits(6);
  bits.WriteU8(0x10);
  for (int i = 0; i < 8; ++i) {
    bits.WriteBits(1, 1);  // an edge
    bits.WriteBits(1, 1);  // straight
    bits.WriteBits(1, 4);  // 3-bit fields
    bits.WriteBits(1, 1);  // a general line
    bits.WriteBits(4, 3);  // -4
    bits.WriteBits(4, 3);  // -4
  }
  bits.WriteBits(0, 6);
  bits.FlushBits();
  return bits.GetBytes();
}

}  // namespace

TEST(SwfFontTags, AFontThatWouldNotFitItsOffsetsOnceWrittenIsKeptAsItsBytes) {
  // 3600 glyphs: the last one starts at 61185, within what a 16-bit offset
  // reaches; with the outlines re-encoded it would start at 68383.
  const std::vector<u8> outline = NarrowOutline();
  ASSERT_EQ(outline.size(), 15u);
  constexpr u32 kGlyphs = 3600;
  std::vector<u8> body = Bytes({4, 0});
  for (u32 i = 0; i < kGlyphs; ++i) AppendU16(body, 2 * kGlyphs + u32(outline.size()) * i);
  for (u32 i = 0; i < kGlyphs; ++i) body.insert(body.end(), outline.begin(), outline.end());
  std::string codes;
  for (u32 i = 0; i < kGlyphs; ++i) codes += char('a' + i % 26);
  CSwfDefineFontInfo info(4, "Narrow", codes, 0);
  const std::vector<u8> movie = swftest::BuildMovie({{10, body}, {13, WrittenBody(&info)}, {1, {}}, {0, {}}});

  // One outline alone reads and grows as said.
  auto single = ReadTag({10, Concat({Bytes({4, 0, 2, 0}), outline})});
  const std::vector<u8> grown = WrittenBody(single.get());
  ASSERT_EQ(grown.size(), 4u + 17u);

  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  EXPECT_EQ(reader.GetTagsKeptRaw(), 1u);
  EXPECT_NE(dynamic_cast<CSwfUnknownTag*>(reader.GetTags()[0]), nullptr);
  CSwfBitWriter writer(reader.GetVersion());
  ASSERT_GT(reader.WriteMovie(writer), 0u);
  reader.DeleteTags(true);
  EXPECT_EQ(writer.GetBytes(), movie) << "every glyph, as read";

  // With one glyph fewer than would overflow, the font is read and written
  // with every glyph (3450 glyphs end at 3450 * 2 + 3449 * 17 = 65533).
  std::vector<u8> fitting = Bytes({4, 0});
  constexpr u32 kFitting = 3450;
  for (u32 i = 0; i < kFitting; ++i) AppendU16(fitting, 2 * kFitting + u32(outline.size()) * i);
  for (u32 i = 0; i < kFitting; ++i) fitting.insert(fitting.end(), outline.begin(), outline.end());
  auto read = ReadTag({10, fitting});
  auto* fits = As<CSwfDefineFont>(read);
  EXPECT_EQ(fits->GetGlyphs().size(), kFitting);
  const std::vector<u8> written = WrittenBody(fits);
  EXPECT_EQ(written.size(), 2u + 2 * kFitting + 17 * kFitting);
  // A reader that is not ours finds every glyph, the last one included,
  // with its edges, in what we write.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const auto values = swftest::IndependentValues(swftest::BuildMovie({{10, written}, {0, {}}}));
  EXPECT_EQ(values.at("tags.0.glyphs.length"), std::to_string(kFitting));
  const std::string last = "tags.0.glyphs." + std::to_string(kFitting - 1) + ".records.";
  EXPECT_EQ(values.at(last + "length"), "8");
  EXPECT_EQ(values.at(last + "7.delta.x"), "-4");
  EXPECT_EQ(values.at(last + "7.delta.y"), "-4");
}

// A font inside a sprite whose offsets disagree is kept as its bytes there;
// the sprite and the font behind it are read, and the movie comes back whole.
TEST(SwfFontTags, AFontInsideASpriteIsKeptAsItsBytesThere) {
  const std::vector<u8> sharing = DefineFont2Body({3, 0, 0, [](std::vector<u32>& offsets) { offsets[2] = offsets[1]; }});
  std::vector<u8> inner = swftest::BuildMovie({{48, sharing}, {10, DefineFontBody({})}, {1, {}}, {0, {}}});
  // The tags without the movie's 21-byte header.
  inner.erase(inner.begin(), inner.begin() + 21);
  const std::vector<u8> sprite = Concat(Bytes({7, 0, 1, 0}), inner);
  const std::vector<u8> movie = swftest::BuildMovie({{kSwfDefineSpriteCode, sprite, true}, {1, {}}, {0, {}}});
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  EXPECT_EQ(reader.GetTagsKeptRaw(), 1u);
  auto* read = dynamic_cast<CSwfDefineSprite*>(reader.GetTags()[0]);
  ASSERT_NE(read, nullptr);
  const std::vector<CSwfTag*> tags = read->GetTags();
  ASSERT_EQ(swftest::Codes(tags), (std::vector<u16>{48, 10, 1, 0}));
  EXPECT_NE(dynamic_cast<CSwfUnknownTag*>(tags[0]), nullptr);
  auto* font = dynamic_cast<CSwfDefineFont*>(tags[1]);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->GetGlyphs().size(), 3u);
  CSwfBitWriter writer(reader.GetVersion());
  ASSERT_GT(reader.WriteMovie(writer), 0u);
  reader.DeleteTags(true);
  EXPECT_EQ(writer.GetBytes(), movie);
}
