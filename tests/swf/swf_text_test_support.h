// Fonts for the tests of glyph outlines, the font collection and text
// blocks: an installed font (DejaVu Sans) for real outlines, and a font of
// our own with exact numbers for the layout arithmetic.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/font.h"
#include "platform/fonts.h"

namespace swftest {

// Sets the font to DejaVu Sans at that size; a failure names the Debian
// package that installs the font.
testing::AssertionResult UseDejaVuSans(CFont& font, int size);

// "Boxes": a font whose numbers are exact. At size s a character is u(c)
// units wide, one unit being s / 16 pixels: the blanks and 'i' 4 units, 'W'
// 12, every other character 8. So at 16 points a character is u(c) pixels
// wide, 64 u(c) em units, 20 u(c) twips. Ascent 3/4 and descent 1/4 of the
// size (or the line metrics set). Each glyph but the blanks' is a box
// rising 700 units above the baseline, one unit in from each side, except
// 'o' (two boxes, one inside the other) and 'c' (a box whose first segment
// is a curve bulging 100 units below the baseline). The character 0x2022
// (Mac Roman 0xA5, the bullet) has no glyph of its own: it comes from
// another font, with an advance of 6 units and a box outline.
class BoxFontSource : public plat::FontSource {
 public:
  bool FindFamily(const std::string& name, std::string* familyName) override;
  std::string SystemFamily() override { return "Boxes"; }
  bool LineMetrics(const plat::FontRequest& font, plat::FontLineMetrics* metrics) override;
  bool OutlineMetrics(const plat::FontRequest& font, UInt32 character, plat::CharMetrics* metrics) override;
  bool IdealAdvance(const plat::FontRequest& font, UInt32 character, double* advance) override;
  bool QuadraticPaths(const plat::FontRequest& font, UInt32 character, plat::QuadraticPathSink& sink,
                      double* advanceEm) override;

  static int Units(UInt32 character);

  // Line metrics in fractions of the size, when set (else 3/4 and 1/4).
  bool fixedLine = false;
  plat::FontLineMetrics line;
};

// Makes the box font current for a test (and "Boxes" the system font).
struct BoxFonts : testing::Test {
  void SetUp() override { plat::SetFontSource(&source); }
  void TearDown() override { plat::SetFontSource(nullptr); }
  // The box font at that size.
  CFont Font(int size) const;
  BoxFontSource source;
};

// A fresh path for a movie file in the test root.
std::string NewMoviePath(const std::string& name);

}  // namespace swftest
