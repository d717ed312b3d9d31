// Fonts of the host layer: families, metrics, outlines and glyph images.
//
// A font is asked for by family name (UTF-8), size in points and QuickDraw
// face bits (platform/qd_types.h). Fontconfig finds the font file for the
// family with the bold and italic bits; condense and extend narrow and widen
// the glyphs by an x-scale (kCondenseScale, kExtendScale); underline,
// outline and shadow do not change the metrics. FreeType reads the font at
// 72 dpi, so one point is one pixel; metrics are unhinted.
//
// Metrics, family look-ups and outlines come from a replaceable FontSource,
// so that arithmetic on top of them can be tested on exact values. Glyph
// images for drawing always come from the installed fonts.
//
// Family numbers stand in for the Font Manager's: a table of our own gives
// each family a number the first time it is looked up; the numbers hold for
// the rest of the run. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/mac_types.h"
#include "platform/qd_types.h"

namespace plat {

constexpr double kCondenseScale = 0.8;
constexpr double kExtendScale = 1.2;

struct FontRequest {
  std::string family;  // UTF-8
  double size = 12;    // points
  UInt16 face = 0;     // kFaceBold, kFaceItalic, ...
};

// Line metrics in pixels; the descent is positive below the baseline and the
// leading is the gap between lines, not part of ascent + descent.
struct FontLineMetrics {
  double ascent = 0;
  double descent = 0;
  double leading = 0;
};

// One character's metrics in pixels. The bounds are the outline's box with
// y pointing down (top < bottom for a glyph that rises above the baseline's
// row), all 0 for a glyph without contours such as the space.
struct CharMetrics {
  double advance = 0;
  double leftSideBearing = 0;
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

struct PathPoint {
  float x = 0;
  float y = 0;
};

// Receives a glyph's outline as quadratic contours: NewPath, then segments
// whose first point is the end of the previous one, then ClosePath.
class QuadraticPathSink {
 public:
  virtual ~QuadraticPathSink() = default;
  virtual void NewPath() = 0;
  virtual void LineTo(const PathPoint& from, const PathPoint& to) = 0;
  virtual void CurveTo(const PathPoint& from, const PathPoint& control, const PathPoint& to) = 0;
  virtual void ClosePath() = 0;
};

// Cubic segments become quadratic ones within this distance (in the
// outline's units) of the cubic.
constexpr double kCubicTolerance = 0.5;

// Approximates the cubic segment p0, c1, c2, p3 by quadratic segments that
// continue from p0: appends each one's control point and end point to `out`.
void CubicToQuadratics(const PathPoint& p0, const PathPoint& c1, const PathPoint& c2,
                       const PathPoint& p3, std::vector<PathPoint>* out);

class FontSource {
 public:
  virtual ~FontSource() = default;
  // True when the family exists (names compare ignoring ASCII case); gives
  // the family's own spelling of its name.
  [[nodiscard]] virtual bool FindFamily(const std::string& name, std::string* familyName) = 0;
  virtual std::string SystemFamily() = 0;
  [[nodiscard]] virtual bool LineMetrics(const FontRequest& font, FontLineMetrics* metrics) = 0;
  // False when the font itself has no glyph for the character.
  [[nodiscard]] virtual bool OutlineMetrics(const FontRequest& font, UInt32 character, CharMetrics* metrics) = 0;
  // The advance in pixels, taken from another font that has the character
  // when the requested one lacks it; false when no font has it.
  [[nodiscard]] virtual bool IdealAdvance(const FontRequest& font, UInt32 character, double* advance) = 0;
  // The character's outline in a 1024-unit em square (the request's size is
  // not used), y pointing down, with its advance in the same units; a
  // character without contours delivers no path. Falls back to another font
  // like IdealAdvance; false when no font has the character.
  [[nodiscard]] virtual bool QuadraticPaths(const FontRequest& font, UInt32 character, QuadraticPathSink& sink,
                              double* advanceEm) = 0;
};

// The source in use: the installed fonts unless a test has set another.
FontSource& CurrentFontSource();
// Makes `source` current (null restores the installed fonts); returns the
// previous one, or null when that was the installed fonts. Not owned.
FontSource* SetFontSource(FontSource* source);

// The installed fonts' source, whatever is current.
FontSource& InstalledFontSource();

// The font file (and face index in it) the installed fonts use for a request.
[[nodiscard]] bool FontFileFor(const FontRequest& font, std::string* path, int* faceIndex);

constexpr SInt16 kInvalidFontFamily = -1;

// The number of the system font's family.
SInt16 SystemFontFamily();
// The family's number, kInvalidFontFamily when the current source has no
// such family. Numbers 0 and 1 also name the system font.
SInt16 FontFamilyFromName(const std::string& name);
// The family's name (UTF-8); false for a number the table does not hold.
[[nodiscard]] bool FontFamilyName(SInt16 family, std::string* name);

// An anti-aliased image of one glyph: coverage bytes (0..255), `width` per
// row; `left` and `top` place its top-left corner relative to the pen on the
// baseline (top is negative above the baseline).
struct GlyphImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<UInt8> coverage;
};

// Renders one character for drawing (installed fonts, with fallback) and
// gives its advance in pixels; false when no font has the character.
[[nodiscard]] bool RenderGlyph(const FontRequest& font, UInt32 character, GlyphImage* image, double* advance);
// The sum of the characters' advances in pixels (characters no font has count 0).
double MeasureText(const FontRequest& font, const std::vector<UInt32>& characters);

}  // namespace plat
