#include "platform/fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace plat {
namespace {

// A font file as fontconfig chose it, with the synthetic changes it asks for
// when the family lacks the requested face.
struct FontFile {
  std::string path;
  int index = 0;
  bool embolden = false;
  FcMatrix matrix{1, 0, 0, 1};
};

std::string Lowered(const std::string& text) {
  std::string lowered = text;
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return lowered;
}

double XScaleOf(UInt16 face) {
  double scale = 1.0;
  if (face & kFaceCondense) scale *= kCondenseScale;
  if (face & kFaceExtend) scale *= kExtendScale;
  return scale;
}

class FontLibrary {
 public:
  ~FontLibrary() {
    for (auto& entry : faces_)
      if (entry.second) FT_Done_Face(entry.second);
    if (library_) FT_Done_FreeType(library_);
    if (config_) FcConfigDestroy(config_);
  }

  FcConfig* Config() {
    if (!config_ && !configTried_) {
      configTried_ = true;
      config_ = FcInitLoadConfigAndFonts();
    }
    return config_;
  }

  // A pattern for the family with the weight and slant of the face bits,
  // ready for matching.
  FcPattern* RequestPattern(const std::string& family, UInt16 face) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, (face & kFaceBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, (face & kFaceItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddInteger(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(Config(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
  }

  [[nodiscard]] static bool FileOfPattern(FcPattern* font, FontFile* out) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    out->path = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) out->index = index;
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(font, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
      out->embolden = embolden == FcTrue;
    FcMatrix* matrix = nullptr;
    if (FcPatternGetMatrix(font, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix)
      out->matrix = *matrix;
    return true;
  }

  // The best file for the family and face; the family names of that font go
  // to `families` when asked.
  [[nodiscard]] bool Match(const std::string& family, UInt16 face, FontFile* out,
             std::vector<std::string>* families = nullptr) {
    if (!Config()) return false;
    std::string key = Lowered(family) + '\n' + char('0' + (face & (kFaceBold | kFaceItalic)));
    if (!families) {
      auto cached = matches_.find(key);
      if (cached != matches_.end()) {
        *out = cached->second;
        return !out->path.empty();
      }
    }
    FcPattern* pattern = RequestPattern(family, face);
    if (!pattern) return false;
    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(Config(), pattern, &result);
    FcPatternDestroy(pattern);
    FontFile file;
    bool found = font && FileOfPattern(font, &file);
    if (found && families) {
      FcChar8* name = nullptr;
      for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        families->push_back(reinterpret_cast<const char*>(name));
    }
    if (font) FcPatternDestroy(font);
    matches_[key] = found ? file : FontFile();
    *out = file;
    return found;
  }

  // A font that has the character, preferring the requested family and face.
  [[nodiscard]] bool MatchForCharacter(const std::string& family, UInt16 face, UInt32 character, FontFile* out) {
    if (!Config()) return false;
    std::string key = Lowered(family) + '\n' + char('0' + (face & (kFaceBold | kFaceItalic))) +
                      '\n' + std::to_string(character);
    auto cached = fallbacks_.find(key);
    if (cached != fallbacks_.end()) {
      *out = cached->second;
      return !out->path.empty();
    }
    FontFile file;
    bool found = false;
    if (FcPattern* pattern = RequestPattern(family, face)) {
      FcResult result = FcResultNoMatch;
      FcFontSet* fonts = FcFontSort(Config(), pattern, FcFalse, nullptr, &result);
      for (int i = 0; fonts && i < fonts->nfont && !found; ++i) {
        FcCharSet* characters = nullptr;
        if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &characters) != FcResultMatch ||
            !FcCharSetHasChar(characters, character))
          continue;
        FcPattern* font = FcFontRenderPrepare(Config(), pattern, fonts->fonts[i]);
        if (font) {
          found = FileOfPattern(font, &file);
          FcPatternDestroy(font);
        }
      }
      if (fonts) FcFontSetDestroy(fonts);
      FcPatternDestroy(pattern);
    }
    fallbacks_[key] = found ? file : FontFile();
    *out = file;
    return found;
  }

  FT_Face Face(const FontFile& file) {
    std::string key = file.path + '\n' + std::to_string(file.index);
    auto cached = faces_.find(key);
    if (cached != faces_.end()) return cached->second;
    FT_Face face = nullptr;
    if (!library_ && FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    if (!library_ || FT_New_Face(library_, file.path.c_str(), file.index, &face) != 0 ||
        !FT_IS_SCALABLE(face)) {
      if (face) FT_Done_Face(face);
      face = nullptr;
    }
    faces_[key] = face;
    return face;
  }

 private:
  FcConfig* config_ = nullptr;
  bool configTried_ = false;
  FT_Library library_ = nullptr;
  std::map<std::string, FontFile> matches_;
  std::map<std::string, FontFile> fallbacks_;
  std::map<std::string, FT_Face> faces_;
};

FontLibrary& Library() {
  static FontLibrary library;
  return library;
}

// One glyph loaded as an unhinted outline at a size in pixels, with the face's
// synthetic changes and the x-scale applied.
struct LoadedGlyph {
  FT_GlyphSlot slot = nullptr;
  double advance = 0;  // pixels
};

[[nodiscard]] bool LoadGlyph(const FontFile& file, double size, UInt16 faceBits, UInt32 character,
               LoadedGlyph* out) {
  FT_Face face = Library().Face(file);
  if (!face || size <= 0 || size > 16384) return false;
  FT_UInt glyph = FT_Get_Char_Index(face, character);
  if (glyph == 0) return false;
  if (FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(size * 64)), 72, 72) != 0) return false;
  double xScale = XScaleOf(faceBits);
  FT_Matrix matrix;
  matrix.xx = FT_Fixed(std::lround(file.matrix.xx * xScale * 65536));
  matrix.xy = FT_Fixed(std::lround(file.matrix.xy * xScale * 65536));
  matrix.yx = FT_Fixed(std::lround(file.matrix.yx * 65536));
  matrix.yy = FT_Fixed(std::lround(file.matrix.yy * 65536));
  FT_Set_Transform(face, &matrix, nullptr);
  FT_Error error = FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
  FT_Set_Transform(face, nullptr, nullptr);
  if (error != 0 || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  out->slot = face->glyph;
  out->advance = double(face->glyph->linearHoriAdvance) / 65536.0 * file.matrix.xx * xScale;
  if (file.embolden) {
    FT_Pos strength = FT_Pos(std::lround(size * 64 / 24));
    FT_Outline_EmboldenXY(&out->slot->outline, strength, strength);
    out->advance += double(strength) / 64.0;
  }
  return true;
}

PathPoint Midpoint(const PathPoint& a, const PathPoint& b) {
  PathPoint middle;
  middle.x = float((double(a.x) + b.x) / 2);
  middle.y = float((double(a.y) + b.y) / 2);
  return middle;
}

void SplitCubic(const PathPoint& p0, const PathPoint& c1, const PathPoint& c2, const PathPoint& p3,
                int depth, std::vector<PathPoint>* out) {
  // The distance between a cubic and the quadratic through its ends with
  // control (3 c1 - p0 + 3 c2 - p3) / 4 is at most sqrt(3) / 36 times
  // |p0 - 3 c1 + 3 c2 - p3|.
  double ex = double(p0.x) - 3.0 * c1.x + 3.0 * c2.x - p3.x;
  double ey = double(p0.y) - 3.0 * c1.y + 3.0 * c2.y - p3.y;
  double error = std::sqrt(3.0) / 36.0 * std::sqrt(ex * ex + ey * ey);
  if (error <= kCubicTolerance || depth >= 10) {
    PathPoint control;
    control.x = float((3.0 * c1.x - p0.x + 3.0 * c2.x - p3.x) / 4.0);
    control.y = float((3.0 * c1.y - p0.y + 3.0 * c2.y - p3.y) / 4.0);
    out->push_back(control);
    out->push_back(p3);
    return;
  }
  PathPoint a = Midpoint(p0, c1), b = Midpoint(c1, c2), c = Midpoint(c2, p3);
  PathPoint d = Midpoint(a, b), e = Midpoint(b, c), centre = Midpoint(d, e);
  SplitCubic(p0, a, d, centre, depth + 1, out);
  SplitCubic(centre, e, c, p3, depth + 1, out);
}

// Turns FreeType's contours (y up, 26.6) into quadratic paths (y down).
class PathConverter {
 public:
  explicit PathConverter(QuadraticPathSink& sink) : sink_(sink) {}

  void Finish() {
    if (open_) sink_.ClosePath();
    open_ = false;
  }

  static int MoveTo(const FT_Vector* to, void* user) {
    auto* self = static_cast<PathConverter*>(user);
    self->Finish();
    self->current_ = Convert(to);
    return 0;
  }

  static int LineTo(const FT_Vector* to, void* user) {
    auto* self = static_cast<PathConverter*>(user);
    PathPoint end = Convert(to);
    if (end.x == self->current_.x && end.y == self->current_.y) return 0;
    self->Open();
    self->sink_.LineTo(self->current_, end);
    self->current_ = end;
    return 0;
  }

  static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* self = static_cast<PathConverter*>(user);
    self->Curve(Convert(control), Convert(to));
    return 0;
  }

  static int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
                     void* user) {
    auto* self = static_cast<PathConverter*>(user);
    std::vector<PathPoint> quadratics;
    CubicToQuadratics(self->current_, Convert(control1), Convert(control2), Convert(to),
                      &quadratics);
    for (size_t i = 0; i + 1 < quadratics.size(); i += 2)
      self->Curve(quadratics[i], quadratics[i + 1]);
    return 0;
  }

 private:
  static PathPoint Convert(const FT_Vector* point) {
    PathPoint converted;
    converted.x = float(double(point->x) / 64.0);
    converted.y = float(-double(point->y) / 64.0);
    return converted;
  }

  void Open() {
    if (!open_) sink_.NewPath();
    open_ = true;
  }

  void Curve(const PathPoint& control, const PathPoint& end) {
    Open();
    sink_.CurveTo(current_, control, end);
    current_ = end;
  }

  QuadraticPathSink& sink_;
  PathPoint current_;
  bool open_ = false;
};

class InstalledFonts : public FontSource {
 public:
  [[nodiscard]] bool FindFamily(const std::string& name, std::string* familyName) override {
    if (name.empty()) return false;
    FontFile file;
    std::vector<std::string> families;
    if (!Library().Match(name, 0, &file, &families)) return false;
    for (const std::string& family : families) {
      if (strcasecmp(family.c_str(), name.c_str()) == 0) {
        if (familyName) *familyName = family;
        return true;
      }
    }
    return false;
  }

  std::string SystemFamily() override {
    FontFile file;
    std::vector<std::string> families;
    if (Library().Match("sans-serif", 0, &file, &families) && !families.empty())
      return families.front();
    return "DejaVu Sans";
  }

  [[nodiscard]] bool LineMetrics(const FontRequest& font, FontLineMetrics* metrics) override {
    FontFile file;
    if (!Library().Match(font.family, font.face, &file)) return false;
    FT_Face face = Library().Face(file);
    if (!face || face->units_per_EM == 0) return false;
    double scale = font.size / face->units_per_EM;
    metrics->ascent = face->ascender * scale;
    metrics->descent = -face->descender * scale;
    double gap = double(face->height) - (double(face->ascender) - face->descender);
    metrics->leading = gap > 0 ? gap * scale : 0;
    return true;
  }

  [[nodiscard]] bool OutlineMetrics(const FontRequest& font, UInt32 character, CharMetrics* metrics) override {
    FontFile file;
    LoadedGlyph glyph;
    if (!Library().Match(font.family, font.face, &file) ||
        !LoadGlyph(file, font.size, font.face, character, &glyph))
      return false;
    *metrics = CharMetrics();
    metrics->advance = glyph.advance;
    if (glyph.slot->outline.n_points > 0) {
      FT_BBox box;
      FT_Outline_Get_BBox(&glyph.slot->outline, &box);
      metrics->left = double(box.xMin) / 64.0;
      metrics->right = double(box.xMax) / 64.0;
      metrics->top = -double(box.yMax) / 64.0;
      metrics->bottom = -double(box.yMin) / 64.0;
      metrics->leftSideBearing = metrics->left;
    }
    return true;
  }

  [[nodiscard]] bool IdealAdvance(const FontRequest& font, UInt32 character, double* advance) override {
    LoadedGlyph glyph;
    if (!LoadWithFallback(font, font.size, character, &glyph)) return false;
    *advance = glyph.advance;
    return true;
  }

  [[nodiscard]] bool QuadraticPaths(const FontRequest& font, UInt32 character, QuadraticPathSink& sink,
                      double* advanceEm) override {
    LoadedGlyph glyph;
    if (!LoadWithFallback(font, 1024, character, &glyph)) return false;
    if (advanceEm) *advanceEm = glyph.advance;
    PathConverter converter(sink);
    FT_Outline_Funcs functions = {};
    functions.move_to = &PathConverter::MoveTo;
    functions.line_to = &PathConverter::LineTo;
    functions.conic_to = &PathConverter::ConicTo;
    functions.cubic_to = &PathConverter::CubicTo;
    bool ok = FT_Outline_Decompose(&glyph.slot->outline, &functions, &converter) == 0;
    converter.Finish();
    return ok;
  }

  [[nodiscard]] static bool LoadWithFallback(const FontRequest& font, double size, UInt32 character,
                               LoadedGlyph* glyph) {
    FontFile file;
    if (Library().Match(font.family, font.face, &file) &&
        LoadGlyph(file, size, font.face, character, glyph))
      return true;
    return Library().MatchForCharacter(font.family, font.face, character, &file) &&
           LoadGlyph(file, size, font.face, character, glyph);
  }
};

}  // namespace

void CubicToQuadratics(const PathPoint& p0, const PathPoint& c1, const PathPoint& c2,
                       const PathPoint& p3, std::vector<PathPoint>* out) {
  SplitCubic(p0, c1, c2, p3, 0, out);
}

namespace {

InstalledFonts& Installed() {
  static InstalledFonts fonts;
  return fonts;
}

FontSource*& CurrentSlot() {
  static FontSource* current = nullptr;
  return current;
}

// The family-number table: number 256 + i is names[i].
struct FamilyTable {
  static constexpr SInt16 kFirst = 256;
  std::vector<std::string> names;
};

FamilyTable& Families() {
  static FamilyTable table;
  return table;
}

SInt16 NumberOf(const std::string& familyName) {
  FamilyTable& table = Families();
  for (size_t i = 0; i < table.names.size(); ++i)
    if (strcasecmp(table.names[i].c_str(), familyName.c_str()) == 0)
      return SInt16(FamilyTable::kFirst + SInt16(i));
  if (table.names.size() >= size_t(32767 - FamilyTable::kFirst)) return kInvalidFontFamily;
  table.names.push_back(familyName);
  return SInt16(FamilyTable::kFirst + SInt16(table.names.size() - 1));
}

}  // namespace

FontSource& CurrentFontSource() {
  FontSource* current = CurrentSlot();
  return current ? *current : Installed();
}

FontSource* SetFontSource(FontSource* source) {
  FontSource* previous = CurrentSlot();
  CurrentSlot() = source;
  return previous;
}

FontSource& InstalledFontSource() { return Installed(); }

bool FontFileFor(const FontRequest& font, std::string* path, int* faceIndex) {
  FontFile file;
  if (!Library().Match(font.family, font.face, &file)) return false;
  if (path) *path = file.path;
  if (faceIndex) *faceIndex = file.index;
  return true;
}

SInt16 SystemFontFamily() { return NumberOf(CurrentFontSource().SystemFamily()); }

SInt16 FontFamilyFromName(const std::string& name) {
  std::string familyName;
  if (!CurrentFontSource().FindFamily(name, &familyName)) return kInvalidFontFamily;
  return NumberOf(familyName);
}

bool FontFamilyName(SInt16 family, std::string* name) {
  if (family == 0 || family == 1) family = SystemFontFamily();
  const FamilyTable& table = Families();
  if (family < FamilyTable::kFirst || size_t(family - FamilyTable::kFirst) >= table.names.size())
    return false;
  *name = table.names[size_t(family - FamilyTable::kFirst)];
  return true;
}

bool RenderGlyph(const FontRequest& font, UInt32 character, GlyphImage* image, double* advance) {
  LoadedGlyph glyph;
  if (!InstalledFonts::LoadWithFallback(font, font.size, character, &glyph)) return false;
  *advance = glyph.advance;
  *image = GlyphImage();
  if (glyph.slot->outline.n_points == 0) return true;
  if (FT_Render_Glyph(glyph.slot, FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bitmap = glyph.slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.pitch < 0) return false;
  image->left = glyph.slot->bitmap_left;
  image->top = -glyph.slot->bitmap_top;
  image->width = int(bitmap.width);
  image->height = int(bitmap.rows);
  image->coverage.resize(size_t(bitmap.width) * bitmap.rows);
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const unsigned char* source = bitmap.buffer + size_t(row) * unsigned(bitmap.pitch);
    std::copy(source, source + bitmap.width, image->coverage.begin() + long(row) * bitmap.width);
  }
  return true;
}

double MeasureText(const FontRequest& font, const std::vector<UInt32>& characters) {
  double width = 0;
  for (UInt32 character : characters) {
    LoadedGlyph glyph;
    if (InstalledFonts::LoadWithFallback(font, font.size, character, &glyph)) width += glyph.advance;
  }
  return width;
}

}  // namespace plat
