#include "platform/fonts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

plat::FontRequest Request(UInt16 face = 0, double size = 12, const char* family = "DejaVu Sans") {
  plat::FontRequest request;
  request.family = family;
  request.size = size;
  request.face = face;
  return request;
}

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

TEST(Fonts, FaceBitsChooseTheFontFile) {
  struct Case {
    UInt16 face;
    const char* file;
  } cases[] = {
      {0, "DejaVuSans.ttf"},
      {plat::kFaceBold, "DejaVuSans-Bold.ttf"},
      {plat::kFaceItalic, "DejaVuSans-Oblique.ttf"},
      {plat::kFaceBold | plat::kFaceItalic, "DejaVuSans-BoldOblique.ttf"},
      // Condense, extend and underline change no file.
      {plat::kFaceCondense | plat::kFaceUnderline, "DejaVuSans.ttf"},
  };
  for (const Case& c : cases) {
    std::string path;
    int index = -1;
    ASSERT_TRUE(plat::FontFileFor(Request(c.face), &path, &index)) << c.face;
    EXPECT_EQ(FileName(path), c.file) << c.face;
    EXPECT_EQ(index, 0);
  }
}

TEST(Fonts, FamiliesAreFoundByNameIgnoringCase) {
  plat::FontSource& fonts = plat::InstalledFontSource();
  std::string name;
  EXPECT_TRUE(fonts.FindFamily("dejavu SANS", &name));
  EXPECT_EQ(name, "DejaVu Sans");
  EXPECT_TRUE(fonts.FindFamily("DejaVu Serif", &name));
  EXPECT_EQ(name, "DejaVu Serif");
  // Fontconfig would substitute these; they are not families.
  for (const char* missing : {"No Such Family 7", "sans-serif", ""})
    EXPECT_FALSE(fonts.FindFamily(missing, &name)) << missing;
  EXPECT_FALSE(fonts.SystemFamily().empty());
}

TEST(Fonts, FamilyNumbersAreStableForTheRun) {
  SInt16 sans = plat::FontFamilyFromName("DejaVu Sans");
  ASSERT_NE(sans, plat::kInvalidFontFamily);
  EXPECT_EQ(plat::FontFamilyFromName("DEJAVU sans"), sans);
  SInt16 serif = plat::FontFamilyFromName("DejaVu Serif");
  EXPECT_NE(serif, sans);
  std::string name;
  ASSERT_TRUE(plat::FontFamilyName(serif, &name));
  EXPECT_EQ(name, "DejaVu Serif");
  EXPECT_EQ(plat::FontFamilyFromName("No Such Family 7"), plat::kInvalidFontFamily);
  EXPECT_FALSE(plat::FontFamilyName(12000, &name));
  EXPECT_FALSE(plat::FontFamilyName(-1, &name));

  std::string system, zero;
  ASSERT_TRUE(plat::FontFamilyName(plat::SystemFontFamily(), &system));
  ASSERT_TRUE(plat::FontFamilyName(0, &zero));
  EXPECT_EQ(zero, system);
  EXPECT_EQ(plat::FontFamilyFromName(system), plat::SystemFontFamily());
}

TEST(Fonts, LineMetricsScaleWithTheSize) {
  // DejaVu Sans: 2048 units to the em, ascender 1901, descender -483, no line gap.
  plat::FontLineMetrics metrics;
  ASSERT_TRUE(plat::InstalledFontSource().LineMetrics(Request(0, 12), &metrics));
  EXPECT_NEAR(metrics.ascent, 1901.0 * 12 / 2048, 1e-9);
  EXPECT_NEAR(metrics.descent, 483.0 * 12 / 2048, 1e-9);
  EXPECT_NEAR(metrics.leading, 0, 1e-9);
  plat::FontLineMetrics large;
  ASSERT_TRUE(plat::InstalledFontSource().LineMetrics(Request(plat::kFaceExtend, 48), &large));
  EXPECT_NEAR(large.ascent, metrics.ascent * 4, 1e-9);
}

TEST(Fonts, CharacterMetricsAreUnhintedAndScaled) {
  plat::FontSource& fonts = plat::InstalledFontSource();
  plat::CharMetrics h, extended, condensed, bold, space;
  ASSERT_TRUE(fonts.OutlineMetrics(Request(0, 100), 'H', &h));
  EXPECT_GT(h.advance, 0);
  EXPECT_GT(h.leftSideBearing, 0);
  EXPECT_EQ(h.leftSideBearing, h.left);
  EXPECT_LT(h.top, 0);  // rises above the baseline
  EXPECT_NEAR(h.bottom, 0, 1e-9);
  EXPECT_LT(h.right, h.advance);

  ASSERT_TRUE(fonts.OutlineMetrics(Request(plat::kFaceExtend, 100), 'H', &extended));
  ASSERT_TRUE(fonts.OutlineMetrics(Request(plat::kFaceCondense, 100), 'H', &condensed));
  EXPECT_NEAR(extended.advance, h.advance * plat::kExtendScale, 1e-6);
  EXPECT_NEAR(condensed.advance, h.advance * plat::kCondenseScale, 1e-6);
  EXPECT_NEAR(extended.right - extended.left, (h.right - h.left) * plat::kExtendScale, 0.05);
  EXPECT_NEAR(extended.top, h.top, 1e-9);

  ASSERT_TRUE(fonts.OutlineMetrics(Request(plat::kFaceBold, 100), 'H', &bold));
  EXPECT_GT(bold.advance, h.advance);

  ASSERT_TRUE(fonts.OutlineMetrics(Request(0, 100), ' ', &space));
  EXPECT_GT(space.advance, 0);
  EXPECT_EQ(space.left, 0);
  EXPECT_EQ(space.right, 0);
  EXPECT_EQ(space.leftSideBearing, 0);

  // A character the font lacks has no outline metrics; one that no font has
  // has no advance either.
  plat::CharMetrics missing;
  EXPECT_FALSE(fonts.OutlineMetrics(Request(), 0x4E2D, &missing));
  double advance = 0;
  EXPECT_FALSE(fonts.IdealAdvance(Request(), 0x10FFFD, &advance));
  ASSERT_TRUE(fonts.IdealAdvance(Request(0, 100), 'H', &advance));
  EXPECT_DOUBLE_EQ(advance, h.advance);
}

// Records the outline calls and checks that they form closed contours.
class RecordingSink : public plat::QuadraticPathSink {
 public:
  void NewPath() override {
    EXPECT_FALSE(open);
    open = true;
    ++contours;
    first = true;
  }
  void LineTo(const plat::PathPoint& from, const plat::PathPoint& to) override {
    Segment(from, to);
    ++lines;
  }
  void CurveTo(const plat::PathPoint& from, const plat::PathPoint&, const plat::PathPoint& to) override {
    Segment(from, to);
    ++curves;
  }
  void ClosePath() override {
    EXPECT_TRUE(open);
    EXPECT_NEAR(last.x, start.x, 1e-3);
    EXPECT_NEAR(last.y, start.y, 1e-3);
    open = false;
  }

  int contours = 0, lines = 0, curves = 0;
  float minY = 1e9f, maxY = -1e9f, maxX = -1e9f;
  bool open = false;

 private:
  void Segment(const plat::PathPoint& from, const plat::PathPoint& to) {
    EXPECT_TRUE(open);
    if (first) {
      start = from;
      first = false;
    } else {
      EXPECT_EQ(from.x, last.x);
      EXPECT_EQ(from.y, last.y);
    }
    last = to;
    minY = std::min(minY, to.y);
    maxY = std::max(maxY, to.y);
    maxX = std::max(maxX, to.x);
  }
  bool first = true;
  plat::PathPoint start, last;
};

TEST(Fonts, QuadraticOutlinesInAThousandTwentyFourUnitEm) {
  plat::FontSource& fonts = plat::InstalledFontSource();
  RecordingSink o;
  double advance = 0;
  // The request's size does not matter.
  ASSERT_TRUE(fonts.QuadraticPaths(Request(0, 7), 'o', o, &advance));
  EXPECT_EQ(o.contours, 2);
  EXPECT_GT(o.curves, 4);
  EXPECT_FALSE(o.open);
  double idealAt1024 = 0;
  ASSERT_TRUE(fonts.IdealAdvance(Request(0, 1024), 'o', &idealAt1024));
  EXPECT_NEAR(advance, idealAt1024, 1e-9);
  // y points down: the letter lies above the baseline, x-height about 0.55 em.
  EXPECT_LT(o.minY, -500);
  EXPECT_GT(o.minY, -620);
  EXPECT_LT(o.maxY, 30);
  EXPECT_LT(o.maxX, advance);

  RecordingSink l;
  ASSERT_TRUE(fonts.QuadraticPaths(Request(), 'l', l, nullptr));
  EXPECT_EQ(l.contours, 1);
  EXPECT_EQ(l.curves, 0);
  EXPECT_EQ(l.lines, 4);

  RecordingSink space;
  ASSERT_TRUE(fonts.QuadraticPaths(Request(), ' ', space, &advance));
  EXPECT_EQ(space.contours, 0);
  EXPECT_GT(advance, 0);

  RecordingSink none;
  EXPECT_FALSE(fonts.QuadraticPaths(Request(), 0x10FFFD, none, &advance));
}

TEST(Fonts, CubicSegmentsBecomeCloseQuadratics) {
  struct Case {
    plat::PathPoint p0, c1, c2, p3;
  } cases[] = {
      {{0, 0}, {0, -500}, {1000, -500}, {1000, 0}},  // a wide arch
      {{0, 0}, {1000, 0}, {0, 1000}, {1000, 1000}},  // an S bend
      {{0, 0}, {1, 1}, {2, 2}, {3, 3}},              // a line: one segment
  };
  auto cubic = [](const Case& c, double t, bool x) {
    double a = x ? c.p0.x : c.p0.y, b = x ? c.c1.x : c.c1.y, d = x ? c.c2.x : c.c2.y,
           e = x ? c.p3.x : c.p3.y, u = 1 - t;
    return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * d + t * t * t * e;
  };
  for (const Case& c : cases) {
    std::vector<plat::PathPoint> out;
    plat::CubicToQuadratics(c.p0, c.c1, c.c2, c.p3, &out);
    ASSERT_GE(out.size(), 2u);
    ASSERT_EQ(out.size() % 2, 0u);
    EXPECT_EQ(out.back().x, c.p3.x);
    EXPECT_EQ(out.back().y, c.p3.y);
    // Every point of every quadratic lies near the cubic.
    plat::PathPoint from = c.p0;
    for (size_t i = 0; i < out.size(); i += 2) {
      for (double t = 0; t <= 1.0; t += 0.125) {
        double u = 1 - t;
        double x = u * u * from.x + 2 * u * t * out[i].x + t * t * out[i + 1].x;
        double y = u * u * from.y + 2 * u * t * out[i].y + t * t * out[i + 1].y;
        double best = 1e9;
        for (double s = 0; s <= 1.0; s += 1.0 / 4096)
          best = std::min(best, std::hypot(cubic(c, s, true) - x, cubic(c, s, false) - y));
        EXPECT_LT(best, plat::kCubicTolerance + 0.3);
      }
      from = out[i + 1];
    }
  }
  std::vector<plat::PathPoint> line;
  plat::CubicToQuadratics({0, 0}, {1, 1}, {2, 2}, {3, 3}, &line);
  EXPECT_EQ(line.size(), 2u);
}

// A source with exact values.
class ExactSource : public plat::FontSource {
 public:
  bool FindFamily(const std::string& name, std::string* familyName) override {
    if (name != "Exact") return false;
    *familyName = name;
    return true;
  }
  std::string SystemFamily() override { return "Exact"; }
  bool LineMetrics(const plat::FontRequest&, plat::FontLineMetrics* metrics) override {
    metrics->ascent = 9.6;
    metrics->descent = 2.4;
    return true;
  }
  bool OutlineMetrics(const plat::FontRequest&, UInt32, plat::CharMetrics*) override { return false; }
  bool IdealAdvance(const plat::FontRequest&, UInt32, double*) override { return false; }
  bool QuadraticPaths(const plat::FontRequest&, UInt32, plat::QuadraticPathSink&, double*) override {
    return false;
  }
};

TEST(Fonts, TheSourceCanBeReplaced) {
  ExactSource exact;
  EXPECT_EQ(plat::SetFontSource(&exact), nullptr);
  EXPECT_EQ(&plat::CurrentFontSource(), &exact);
  EXPECT_NE(plat::FontFamilyFromName("Exact"), plat::kInvalidFontFamily);
  EXPECT_EQ(plat::FontFamilyFromName("DejaVu Sans"), plat::kInvalidFontFamily);
  plat::FontLineMetrics metrics;
  ASSERT_TRUE(plat::CurrentFontSource().LineMetrics(Request(), &metrics));
  EXPECT_EQ(metrics.ascent, 9.6);
  EXPECT_EQ(plat::SetFontSource(nullptr), &exact);
  EXPECT_EQ(&plat::CurrentFontSource(), &plat::InstalledFontSource());
}

TEST(Fonts, GlyphImagesForDrawing) {
  plat::GlyphImage image;
  double advance = 0;
  ASSERT_TRUE(plat::RenderGlyph(Request(0, 20), 'H', &image, &advance));
  EXPECT_GT(image.width, 8);
  EXPECT_GT(image.height, 10);
  EXPECT_LT(image.top, -10);  // above the baseline
  ASSERT_EQ(image.coverage.size(), size_t(image.width) * size_t(image.height));
  int full = 0;
  for (UInt8 c : image.coverage) full += c == 255;
  EXPECT_GT(full, 20);  // the stems are solid
  plat::CharMetrics h;
  ASSERT_TRUE(plat::InstalledFontSource().OutlineMetrics(Request(0, 20), 'H', &h));
  EXPECT_DOUBLE_EQ(advance, h.advance);
  EXPECT_DOUBLE_EQ(plat::MeasureText(Request(0, 20), {'H', 'H', 0x10FFFD}), 2 * h.advance);

  ASSERT_TRUE(plat::RenderGlyph(Request(0, 20), ' ', &image, &advance));
  EXPECT_EQ(image.width, 0);
  EXPECT_TRUE(image.coverage.empty());
  EXPECT_FALSE(plat::RenderGlyph(Request(0, 20), 0x10FFFD, &image, &advance));
}

}  // namespace
