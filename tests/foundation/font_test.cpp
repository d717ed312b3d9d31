#include "foundation/font.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fonts.h"

namespace {

TEST(Font, StartsAsTheSystemFontAtTwelvePoints) {
  CFont font;
  EXPECT_EQ(font.GetFamilyId(), plat::SystemFontFamily());
  EXPECT_EQ(font.GetSize(), 12);
  EXPECT_EQ(font.GetFace(), 0);
  std::string system;
  ASSERT_TRUE(plat::FontFamilyName(plat::SystemFontFamily(), &system));
  EXPECT_EQ(font.GetName(), system);
  // The port follows the font.
  font.SetSize(30);
  font.SetBold(true);
  SInt16 family = 0, size = 0;
  UInt16 face = 0;
  GetPortTextState(font.GetPort(), &family, &size, &face);
  EXPECT_EQ(family, font.GetFamilyId());
  EXPECT_EQ(size, 30);
  EXPECT_EQ(face, plat::kFaceBold);
}

TEST(Font, StyleNames) {
  struct Case {
    u16 face;
    const char* name;
  } cases[] = {
      {0, "Regular"}, {1, "Bold"}, {3, "Bold Italic"}, {96, "Condense Extend"},
      {127, "Bold Italic Underline Outline Shadow Condense Extend"}, {20, "Underline Shadow"},
  };
  CFont font;
  for (const Case& c : cases) {
    font.SetFace(c.face);
    EXPECT_EQ(font.GetStyleName(), c.name) << c.face;
  }
  font.SetFace(0);
  font.SetItalic(true);
  EXPECT_TRUE(font.IsItalic());
  EXPECT_FALSE(font.IsBold());
  font.SetItalic(false);
  EXPECT_EQ(font.GetFace(), 0);
}

TEST(Font, FamiliesByNameAndComparisons) {
  CFont a;
  ASSERT_TRUE(a.SetFamilyByName("dejavu serif"));
  EXPECT_STREQ(a.GetName(), "DejaVu Serif");  // the family's own spelling
  s32 serif = a.GetFamilyId();
  EXPECT_FALSE(a.SetFamilyByName("No Such Family 7"));
  EXPECT_FALSE(a.SetFamilyByName(""));
  EXPECT_EQ(a.GetFamilyId(), serif);
  EXPECT_STREQ(a.GetName(), "DejaVu Serif");

  CFont b(a);
  EXPECT_NE(b.GetPort(), a.GetPort());
  b.SetSize(24);
  EXPECT_TRUE(a.IsSameFace(b));  // sizes differ
  b.SetBold(true);
  EXPECT_FALSE(a.IsSameFace(b));

  CFont c;
  c.Assign(a);
  EXPECT_FALSE(c.Update(a));  // identical: no change
  EXPECT_STREQ(c.GetName(), "DejaVu Serif");
  EXPECT_TRUE(c.Update(b));
  EXPECT_EQ(c.GetSize(), 24);
  EXPECT_TRUE(c.IsBold());

  const s32 record[5] = {18, 0, 0, 0, plat::kFaceItalic};
  CFont d;
  EXPECT_TRUE(d.SetFromRecord("DejaVu Sans", record));
  EXPECT_EQ(d.GetSize(), 18);
  EXPECT_TRUE(d.IsItalic());
  EXPECT_STREQ(d.GetName(), "DejaVu Sans");
  EXPECT_FALSE(d.SetFromRecord("No Such Family 7", record));
  EXPECT_FALSE(d.SetFromRecord("DejaVu Sans", nullptr));

  d.SetFamilyId(12000);  // not in the table
  EXPECT_STREQ(d.GetName(), "");
}

// Exact numbers for the arithmetic; records the characters asked for.
class ExactSource : public plat::FontSource {
 public:
  bool FindFamily(const std::string& name, std::string* familyName) override {
    *familyName = name;
    return name == "Exact";
  }
  std::string SystemFamily() override { return "Exact"; }
  bool LineMetrics(const plat::FontRequest&, plat::FontLineMetrics* metrics) override {
    *metrics = line;
    return true;
  }
  bool OutlineMetrics(const plat::FontRequest&, UInt32 character, plat::CharMetrics* metrics) override {
    asked.push_back(character);
    if (character != 'a' && character != 0xE4) return false;
    metrics->advance = 7.6;
    metrics->leftSideBearing = metrics->left = 0.4;
    metrics->right = 6.2;
    return true;
  }
  bool IdealAdvance(const plat::FontRequest&, UInt32 character, double* advance) override {
    if (character != 'z') return false;
    *advance = 5.9;
    return true;
  }
  bool QuadraticPaths(const plat::FontRequest&, UInt32, plat::QuadraticPathSink&, double*) override {
    return false;
  }
  plat::FontLineMetrics line{9.6, 2.4, 1.4};
  std::vector<UInt32> asked;
};

struct ExactFonts : testing::Test {
  void SetUp() override { plat::SetFontSource(&source); }
  void TearDown() override { plat::SetFontSource(nullptr); }
  ExactSource source;
};

TEST_F(ExactFonts, LineMetricsInPixelsAndEmUnits) {
  CFont font;
  ASSERT_STREQ(font.GetName(), "Exact");
  EXPECT_EQ(font.GetAscent(), 10);
  EXPECT_EQ(font.GetDescent(), 2);
  EXPECT_EQ(font.GetLeading(), 1);
  EXPECT_EQ(font.GetHeight(), 12);
  EXPECT_EQ(font.GetAscentEm(), 853);  // 10 x 1024 / 12, truncated
  EXPECT_EQ(font.GetDescentEm(), 170);
  EXPECT_EQ(font.GetLeadingEm(), 85);
  EXPECT_EQ(font.GetHeightEm(), 1024);

  // Ascent and descent rounded apart can exceed their rounded sum.
  source.line = {9.5, 2.5, 0};
  EXPECT_EQ(font.GetHeight(), 12);
  EXPECT_EQ(font.GetHeightEm(), 1109);  // (10 + 3) x 1024 / 12

  source.line = {0.2, 0.2, 0};
  EXPECT_EQ(font.GetHeight(), 0);
  EXPECT_EQ(font.GetAscentEm(), 0);
  EXPECT_EQ(font.GetHeightEm(), 0);
}

TEST_F(ExactFonts, CharacterMetrics) {
  CFont font;
  EXPECT_EQ(font.GetCharBoundsWidth('a'), 7);  // floor 0.4 .. ceil 6.2
  EXPECT_EQ(font.GetCharLeftSideBearing('a'), 0);
  EXPECT_EQ(font.GetCharRightSideBearing('a'), 1);  // 8 - 0 - 7
  EXPECT_EQ(font.GetCharOutlineAdvance('a'), 8);
  EXPECT_EQ(font.GetCharOutlineAdvanceEm('a'), 682);  // 8 x 1024 / 12
  EXPECT_EQ(font.GetCharAdvance('a'), 8);
  EXPECT_EQ(font.GetCharAdvanceEm('a'), 682);

  // Without an outline: the ideal advance, truncated.
  EXPECT_EQ(font.GetCharBoundsWidth('z'), -1);
  EXPECT_EQ(font.GetCharLeftSideBearing('z'), 0);
  EXPECT_EQ(font.GetCharRightSideBearing('z'), 0);
  EXPECT_EQ(font.GetCharAdvance('z'), 5);
  EXPECT_EQ(font.GetCharAdvanceEm('z'), 426);
  EXPECT_EQ(font.GetCharAdvance('q'), 0);  // no font has it

  // Characters are Mac Roman: 0x8A is a-diaeresis.
  source.asked.clear();
  EXPECT_EQ(font.GetCharBoundsWidth(char(0x8A)), 7);
  ASSERT_FALSE(source.asked.empty());
  EXPECT_EQ(source.asked.front(), 0xE4u);

  font.SetSize(0);
  EXPECT_EQ(font.GetCharOutlineAdvanceEm('a'), 0);
  EXPECT_EQ(font.GetCharAdvanceEm('a'), 0);
}

TEST(Font, InstalledFontMetrics) {
  CFont font;
  ASSERT_TRUE(font.SetFamilyByName("DejaVu Sans"));
  // 2048 units to the em, ascender 1901, descender 483: 11.14 and 2.83 pixels.
  EXPECT_EQ(font.GetAscent(), 11);
  EXPECT_EQ(font.GetDescent(), 3);
  EXPECT_EQ(font.GetHeight(), 14);
  EXPECT_EQ(font.GetAscentEm(), 804);
  font.SetSize(100);
  EXPECT_GT(font.GetCharAdvance('W'), font.GetCharAdvance('i'));
  EXPECT_EQ(font.GetCharAdvance(' '), font.GetCharOutlineAdvance(' '));
  EXPECT_EQ(font.GetCharBoundsWidth(' '), 0);
  EXPECT_GT(font.GetCharAdvance(' '), 20);
  int plain = font.GetCharAdvance('m');
  font.SetFace(plat::kFaceExtend);
  EXPECT_GT(font.GetCharAdvance('m'), plain);
}

TEST(Font, NamesAreTransliteratedToMacRoman) {
  char name[256] = "kept";
  EXPECT_TRUE(TransliterateFontName("Caf\xC3\xA9 Sans", name));
  EXPECT_STREQ(name, "Caf\x8E Sans");
  EXPECT_FALSE(TransliterateFontName("\xE4\xB8\xAD\xE6\x96\x87", name));  // no Mac Roman form
  EXPECT_FALSE(TransliterateFontName("", name));
  EXPECT_FALSE(TransliterateFontName(std::string(300, 'x'), name));
  EXPECT_STREQ(name, "Caf\x8E Sans");
  EXPECT_TRUE(UseFontPanel());
}

}  // namespace
