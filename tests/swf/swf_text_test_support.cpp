#include "tests/swf/swf_text_test_support.h"

#include <strings.h>

#include "tests/support/test_support.h"

namespace swftest {

testing::AssertionResult UseDejaVuSans(CFont& font, int size) {
  if (!font.SetFamilyByName("DejaVu Sans"))
    return testing::AssertionFailure()
           << "the font DejaVu Sans is not installed: install the Debian package fonts-dejavu-core "
              "(scripts/setup does)";
  font.SetSize(size);
  font.SetFace(0);
  return testing::AssertionSuccess();
}

bool BoxFontSource::FindFamily(const std::string& name, std::string* familyName) {
  if (strcasecmp(name.c_str(), "Boxes") != 0) return false;
  if (familyName) *familyName = "Boxes";
  return true;
}

bool BoxFontSource::LineMetrics(const plat::FontRequest& font, plat::FontLineMetrics* metrics) {
  if (fixedLine) {
    *metrics = line;
    return true;
  }
  metrics->ascent = font.size * 0.75;
  metrics->descent = font.size * 0.25;
  metrics->leading = 0;
  return true;
}

int BoxFontSource::Units(UInt32 character) {
  switch (character) {
    case ' ':
    case '\t':
    case 'i':
      return 4;
    case 'W':
      return 12;
    case 0x2022:
      return 6;
    default:
      return 8;
  }
}

bool BoxFontSource::OutlineMetrics(const plat::FontRequest& font, UInt32 character, plat::CharMetrics* metrics) {
  if (character == 0x2022 || character == 0) return false;  // not in this font
  *metrics = plat::CharMetrics();
  metrics->advance = Units(character) * font.size / 16.0;
  if (character == ' ' || character == '\t') return true;
  metrics->left = metrics->leftSideBearing = 0;
  metrics->right = metrics->advance;
  metrics->top = -font.size * 700.0 / 1024.0;
  return true;
}

bool BoxFontSource::IdealAdvance(const plat::FontRequest& font, UInt32 character, double* advance) {
  if (character == 0) return false;
  *advance = Units(character) * font.size / 16.0;
  return true;
}

bool BoxFontSource::QuadraticPaths(const plat::FontRequest&, UInt32 character, plat::QuadraticPathSink& sink,
                                   double* advanceEm) {
  if (character == 0) return false;
  const float width = float(Units(character) * 64);
  if (advanceEm) *advanceEm = width;
  if (character == ' ' || character == '\t') return true;
  auto box = [&sink](float left, float top, float right, float bottom) {
    sink.NewPath();
    sink.LineTo({left, bottom}, {left, top});
    sink.LineTo({left, top}, {right, top});
    sink.LineTo({right, top}, {right, bottom});
    sink.LineTo({right, bottom}, {left, bottom});
    sink.ClosePath();
  };
  if (character == 'c') {
    // Starts with a curve under the baseline, then closes as a box.
    sink.NewPath();
    sink.CurveTo({1, 0}, {width / 2, 200}, {width - 1, 0});
    sink.LineTo({width - 1, 0}, {width - 1, -700});
    sink.LineTo({width - 1, -700}, {1, -700});
    sink.LineTo({1, -700}, {1, 0});
    sink.ClosePath();
    return true;
  }
  box(1, -700, width - 1, 0);
  if (character == 'o') box(100, -600, width - 100, -100);
  return true;
}

CFont BoxFonts::Font(int size) const {
  CFont font;
  EXPECT_TRUE(font.SetFamilyByName("Boxes"));
  font.SetSize(size);
  return font;
}

std::string NewMoviePath(const std::string& name) {
  static int folders = 0;
  return gbtest::MakeTempFolder("text" + std::to_string(++folders)) + name;
}

}  // namespace swftest
