#include "swf/swf_text_block.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "swf/swf_file_writer.h"
#include "swf/swf_font_collection.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_text_tags.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_font_text_values.h"
#include "tests/swf/swf_test_movies.h"
#include "tests/swf/swf_text_test_support.h"

namespace {

// Text blocks in the box font at 16 points: a character is 8 pixels wide
// (160 twips), a blank or an i 4, a W 12; a line advances 16 pixels.
struct TextBlocks : swftest::BoxFonts {
  void SetUp() override {
    BoxFonts::SetUp();
    block.SetFont(Font(16));
    block.SetColor(0x0000FF);
    block.SetBounds(Rect{0, 0, 100, 200});
  }

  // Collects `collected` (the text itself when null) in the block's font
  // and colour, prepares the font and builds the text into a new movie.
  std::unique_ptr<CSwfDefineText2> Build(const char* text, const char* collected = nullptr) {
    block.SetText(text);
    fonts.DeleteAllFonts();
    fonts.AddFont(StyleOf(block.GetFont(), block.GetColor()), collected ? collected : text, 0);
    nextId = 0;
    EXPECT_TRUE(fonts.PrepareFontTags(nullptr, &nextId));
    path = swftest::NewMoviePath("text.swf");
    writer = std::make_unique<CSwfFileWriter>(false);
    writer->SetParams(8000, 8000, 12.0f, 8);
    EXPECT_TRUE(writer->Open(CPathName(path), true));
    return std::unique_ptr<CSwfDefineText2>(block.BuildTextTags(fonts, *writer, &nextId));
  }

  static CFontStyle StyleOf(const CFont& font, u32 color) {
    CFontStyle style;
    style.CFont::Assign(font);
    style.color = color;
    return style;
  }

  // Each line the text places, as "x,y:characters" in pixels.
  std::vector<std::string> Placed(const CSwfDefineText2& text) const {
    std::vector<std::string> lines;
    const std::string& chars = fonts.GetFonts().front()->chars;
    for (const auto& record : text.GetRecords()) {
      if (record->IsStyleRecord()) {
        const auto& style = static_cast<const CSwfTextStyleRecord&>(*record);
        lines.push_back(std::to_string(style.GetXOffset() / 20) + "," + std::to_string(style.GetYOffset() / 20) +
                        ":");
        continue;
      }
      for (const CSwfGlyphEntry& entry : static_cast<const CSwfTextGlyphRecord&>(*record).GetEntries())
        lines.back() += entry.glyphIndex < chars.size() ? chars[entry.glyphIndex] : '?';
    }
    return lines;
  }

  static std::vector<s32> Advances(const CSwfDefineText2& text) {
    std::vector<s32> advances;
    for (const auto& record : text.GetRecords())
      if (!record->IsStyleRecord())
        for (const CSwfGlyphEntry& entry : static_cast<const CSwfTextGlyphRecord&>(*record).GetEntries())
          advances.push_back(entry.advance);
    return advances;
  }

  // The codes of the tags written so far (the movie is closed).
  std::vector<u16> WrittenCodes() {
    EXPECT_NE(writer->Close(), 0u);
    std::vector<u16> codes;
    for (const swftest::RawTag& tag : swftest::SplitTags(gbtest::ReadFile(path))) codes.push_back(tag.code);
    return codes;
  }

  CSwfTextBlock block;
  CFontCollection fonts;
  u16 nextId = 0;
  std::string path;
  std::unique_ptr<CSwfFileWriter> writer;
};

TEST_F(TextBlocks, LayoutExamples) {
  struct Case {
    const char* name;
    const char* text;
    s16 width, height;
    int alignment, topBottom;
    bool wrap;
    std::vector<std::string> lines;
  } cases[] = {
      // CR LF is two breaks: B's baseline two line advances below A's.
      {"breaks", "A\r\nB", 200, 100, 0, 0, true, {"0,16:A", "0,48:B"}},
      {"leading breaks", "\n\nAB", 200, 100, 0, 0, true, {"0,48:AB"}},
      {"closing break", "A\n", 200, 100, 0, 0, true, {"0,16:A"}},
      // Two words, each wider than the block: two lines, the blank taken
      // out of the first line's width, so centring uses the word alone.
      {"wrap", "AAAA BBBB", 20, 100, 1, 0, true, {"-6,16:AAAA ", "-6,32:BBBB"}},
      {"no wrap", "AAAA BBBB", 20, 100, 1, 0, false, {"-24,16:AAAA BBBB"}},
      {"wrap where it fits", "AA AA AA", 40, 100, 0, 0, true, {"0,16:AA AA ", "0,32:AA"}},
      // Blanks that make the line too wide move the next word on.
      {"blanks too wide", "AA       BB", 40, 100, 0, 0, true, {"0,16:AA       ", "0,32:BB"}},
      {"tab", "A\tB", 10, 100, 0, 0, true, {"0,16:A\t", "0,32:B"}},
      // Bytes of 0x80 and above are letters, never blanks: one word.
      {"high bytes", "AA\xCA\x80\xA0\x85" "AA", 20, 100, 0, 0, true, {"0,16:AA\xCA\x80\xA0\x85" "AA"}},
      {"right", "AB", 200, 100, 2, 0, true, {"184,16:AB"}},
      {"centre, odd", "AiB", 201, 100, 1, 0, true, {"90,16:AiB"}},
      {"other alignment", "AB\nC", 200, 100, 7, 0, true, {"0,16:AB", "0,32:C"}},
      // Three lines of a 16-point font in a 240-pixel block: 16 + 120 - 24.
      {"middle", "A\nB\nC", 200, 240, 0, 1, true, {"0,112:A", "0,128:B", "0,144:C"}},
      {"bottom", "A\nB", 200, 100, 0, 2, true, {"0,84:A", "0,100:B"}},
      {"empty", "", 200, 100, 0, 0, true, {}},
  };
  for (const Case& c : cases) {
    block.SetBounds(Rect{0, 0, c.height, c.width});
    block.SetAlignment(c.alignment);
    block.SetTopBottomAlignment(c.topBottom);
    block.SetWordWrap(c.wrap);
    std::unique_ptr<CSwfDefineText2> text = Build(c.text);
    ASSERT_NE(text, nullptr) << c.name;
    EXPECT_EQ(Placed(*text), c.lines) << c.name;
    EXPECT_EQ(text->GetCharacterId(), 2) << c.name;  // the font is 1
    EXPECT_EQ(nextId, 2) << c.name;
    EXPECT_EQ(text->GetBounds()->xMax, c.width * 20) << c.name;
    EXPECT_EQ(text->GetBounds()->yMax, c.height * 20) << c.name;
    EXPECT_EQ(WrittenCodes(), (std::vector<u16>{kSwfDefineFont2Code})) << c.name;
  }
}

TEST_F(TextBlocks, OnlyTheFirstRecordCarriesFontColourAndHeight) {
  std::unique_ptr<CSwfDefineText2> text = Build("AB\nC");
  ASSERT_NE(text, nullptr);
  ASSERT_EQ(text->GetRecords().size(), 4u);
  const auto& first = static_cast<const CSwfTextStyleRecord&>(*text->GetRecords()[0]);
  EXPECT_EQ(first.GetFlags(), kTextStyleRecord | kTextStyleHasFont | kTextStyleHasColor | kTextStyleHasXOffset |
                                  kTextStyleHasYOffset);
  EXPECT_EQ(first.GetFontId(), 1);
  EXPECT_EQ(first.GetTextHeight(), 320);
  ASSERT_NE(first.GetColor(), nullptr);
  EXPECT_EQ(first.GetColor()->red, 255);
  EXPECT_EQ(first.GetColor()->blue, 0);
  const auto& second = static_cast<const CSwfTextStyleRecord&>(*text->GetRecords()[2]);
  EXPECT_EQ(second.GetFlags(), kTextStyleRecord | kTextStyleHasXOffset | kTextStyleHasYOffset);
  EXPECT_EQ(Advances(*text), (std::vector<s32>{160, 160, 160}));
  EXPECT_EQ(text->GetMatrix()->hasScale, 0);
}

TEST_F(TextBlocks, JustificationAndSpacing) {
  // Two blanks and 10 pixels to spare: each blank grows by 5 pixels, 100 twips.
  block.SetBounds(Rect{0, 0, 100, 42});
  block.SetAlignment(CSwfTextBlock::kAlignJustify);
  std::unique_ptr<CSwfDefineText2> text = Build("A A A");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(Placed(*text), (std::vector<std::string>{"0,16:A A A"}));
  EXPECT_EQ(Advances(*text), (std::vector<s32>{160, 180, 160, 180, 160}));

  // Letter spacing widens every character, line spacing every line advance.
  block.SetAlignment(CSwfTextBlock::kAlignLeft);
  block.SetBounds(Rect{0, 0, 100, 200});
  block.SetLetterSpacing(2);
  block.SetLineSpacing(4);
  text = Build("AB\n\nC");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(Placed(*text), (std::vector<std::string>{"0,16:AB", "0,56:C"}));
  EXPECT_EQ(Advances(*text), (std::vector<s32>{200, 200, 200}));
  ASSERT_FALSE(block.GetLines().empty());
  EXPECT_EQ(block.GetLines()[0].width, 20);

  // Margins move left-aligned lines in and narrow the wrap.
  block.SetLetterSpacing(0);
  block.SetLineSpacing(0);
  block.SetMargins(10, 20, 0, 0);
  block.SetBounds(Rect{0, 0, 100, 50});
  text = Build("AA AA");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(Placed(*text), (std::vector<std::string>{"10,16:AA ", "10,32:AA"}));
}

TEST_F(TextBlocks, LinesOfTheLayout) {
  block.SetBounds(Rect{0, 0, 100, 20});
  block.SetText("AAAAAA BB");
  // The widest line, wrapped ones included.
  EXPECT_EQ(block.LayoutLines(), 48);
  ASSERT_EQ(block.GetLines().size(), 2u);
  const CTextLine& first = block.GetLines()[0];
  EXPECT_EQ(first.runWidths, (std::vector<s32>{48, 4}));
  EXPECT_EQ(first.width, 48);
  EXPECT_EQ(first.charCount, 7);
  EXPECT_EQ(first.blankCount, 0);
  EXPECT_EQ(block.GetLines()[1].width, 16);

  block.SetText("A\r\nB  ");
  EXPECT_EQ(block.LayoutLines(), 16);
  ASSERT_EQ(block.GetLines().size(), 3u);
  EXPECT_EQ(block.GetLines()[0].charCount, 2);
  EXPECT_EQ(block.GetLines()[1].charCount, 1);
  EXPECT_EQ(block.GetLines()[2].charCount, 3);
  EXPECT_EQ(block.GetLines()[2].blankCount, 2);

  // A block narrower than nothing still puts each word on a line, with no
  // empty lines between.
  block.SetBounds(Rect{0, 30, 100, 20});
  block.SetText("A B");
  block.LayoutLines();
  EXPECT_EQ(block.GetLines().size(), 2u);

  block.SetText("");
  EXPECT_EQ(block.LayoutLines(), 0);
  ASSERT_EQ(block.GetLines().size(), 1u);
  EXPECT_EQ(block.GetLines()[0].charCount, 0);
}

TEST_F(TextBlocks, ALineOfMoreThan255GlyphsGoesOnInFurtherRecords) {
  block.SetWordWrap(false);
  const std::string line(300, 'A');
  std::unique_ptr<CSwfDefineText2> text = Build((line + "\nB").c_str());
  ASSERT_NE(text, nullptr);
  const auto& records = text->GetRecords();
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(static_cast<const CSwfTextGlyphRecord&>(*records[1]).GetEntries().size(), 255u);
  EXPECT_EQ(static_cast<const CSwfTextStyleRecord&>(*records[2]).GetFlags(), kTextStyleRecord);
  EXPECT_EQ(static_cast<const CSwfTextGlyphRecord&>(*records[3]).GetEntries().size(), 45u);
  EXPECT_EQ(Placed(*text), (std::vector<std::string>{"0,16:" + line.substr(0, 255), "0,0:" + line.substr(255),
                                                     "0,32:B"}));
  // Written and read back, it holds the same records.
  const std::unique_ptr<CSwfTag> read =
      swftest::ReadTag({kSwfDefineText2Code, swftest::WrittenBody(text.get(), 8)}, 8);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(swftest::DescribeFontOrText(read.get(), 8), swftest::DescribeFontOrText(text.get(), 8));
}

TEST_F(TextBlocks, TextsThatCannotBeBuiltAreRefused) {
  struct Case {
    const char* name;
    const char* text;
    const char* collected;
    s16 width, height;
    int alignment, topBottom, size;
  } cases[] = {
      {"a character the font lacks", "ABC", "AB", 200, 100, 0, 0, 16},
      // Baselines and starts beyond 1638 pixels do not fit signed 16-bit twips.
      {"baseline too low", "A", nullptr, 200, 2000, 0, 2, 16},
      {"start too far right", "A", nullptr, 2000, 100, 2, 0, 16},
      {"start too far left", "AAAA", nullptr, -3300, 100, 1, 0, 16},
      {"no height", "A", nullptr, 200, 100, 0, 0, 0},
      {"a height beyond 16 bits", "A", nullptr, 200, 100, 0, 0, 3300},
  };
  for (const Case& c : cases) {
    block.SetBounds(Rect{0, 0, c.height, c.width});
    block.SetAlignment(c.alignment);
    block.SetTopBottomAlignment(c.topBottom);
    CFont font = Font(16);
    font.SetSize(c.size);
    block.SetFont(font);
    EXPECT_EQ(Build(c.text, c.collected), nullptr) << c.name;
    EXPECT_EQ(nextId, 1) << c.name;  // no id taken
    EXPECT_EQ(WrittenCodes(), std::vector<u16>{}) << c.name;  // not even the font
  }
  block.SetFont(Font(16));
  block.SetBounds(Rect{0, 0, 100, 200});
  block.SetAlignment(0);
  block.SetTopBottomAlignment(0);

  // A style the collection does not know: no text pointing at font 0.
  block.SetText("AB");
  fonts.DeleteAllFonts();
  fonts.AddFont(StyleOf(block.GetFont(), 0x00FF00), "AB", 0);
  u16 id = 0;
  ASSERT_TRUE(fonts.PrepareFontTags(nullptr, &id));
  EXPECT_EQ(block.BuildTextTags(fonts, *writer, &id), nullptr);
  EXPECT_EQ(id, 1);

  // No ids left.
  std::unique_ptr<CSwfDefineText2> text = Build("A");
  ASSERT_NE(text, nullptr);
  u16 last = 0xFFFF;
  EXPECT_EQ(block.BuildTextTags(fonts, *writer, &last), nullptr);
  EXPECT_EQ(block.BuildTextTags(fonts, *writer, nullptr), nullptr);
}

TEST_F(TextBlocks, MeasuredLinesAndTheEditText) {
  block.SetBounds(Rect{5, 10, 100, 200});
  block.SetAlignment(CSwfTextBlock::kAlignRight);
  block.SetText("AB\nABC");
  std::vector<int> widths;
  int x = 0, y = 0;
  EXPECT_EQ(block.MeasureLines(&x, &y, widths), 2);
  EXPECT_EQ(widths, (std::vector<int>{320, 480}));
  EXPECT_EQ(x, 200 - 320);
  EXPECT_EQ(y, 100);
  block.SetAlignment(CSwfTextBlock::kAlignCenter);
  block.MeasureLines(&x, &y, widths);
  EXPECT_EQ(x, 200 - 160);
  EXPECT_EQ(block.GetTextWidth(), 24);

  // The edit text: centred, one line spacing of 1 pixel.
  block.SetLineSpacing(1);
  ASSERT_NE(Build("AB\nABC"), nullptr);
  std::unique_ptr<CSwfDefineEditText> edit(block.BuildEditTextTag(fonts, *writer));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetCharacterId(), 0);
  EXPECT_EQ(edit->GetInitialText(), "AB\nABC");
  EXPECT_EQ(edit->GetFontId(), 1);
  EXPECT_EQ(edit->GetFontHeight(), 320);
  EXPECT_EQ(edit->GetAlign(), 2);
  EXPECT_EQ(edit->GetLeading(), 20);
  EXPECT_EQ(edit->GetVariableName(), "");
  EXPECT_EQ(edit->GetFlags(), kEditTextHasText | kEditTextHasTextColor | kEditTextHasFont | kEditTextHasLayout |
                                  kEditTextReadOnly | kEditTextNoSelect | kEditTextUseOutlines);
  // Width 480 twips; height (20 + 320) x 2 lines below one line above.
  EXPECT_EQ(edit->GetBounds()->xMin, -240);
  EXPECT_EQ(edit->GetBounds()->xMax, 240);
  EXPECT_EQ(edit->GetBounds()->yMin, -320);
  EXPECT_EQ(edit->GetBounds()->yMax, 1000);
  ASSERT_NE(edit->GetColor(), nullptr);
  EXPECT_EQ(edit->GetColor()->red, 255);

  block.SetColor(0x00FF00);  // a colour the collection does not know
  EXPECT_EQ(block.BuildEditTextTag(fonts, *writer), nullptr);
}

}  // namespace
