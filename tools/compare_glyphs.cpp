// Draws the glyphs of an SWF font beside FreeType's rendering of the same
// characters, for a person to look at:
//
//   gb_compare_glyphs <output folder> [<characters> [<family> [<pixels per em>]]]
//
// The characters (UTF-8, Mac Roman ones only; "Glimmerbox&@" by default) in
// the family (DejaVu Sans by default) go through the engine's font
// collection into "glyphs.swf" in the output folder, which is read back with
// the engine's reader. For each character a PNG file "<n>-U+<code>.png"
// shows, left to right, FreeType's rendering, the glyph shape of the movie
// filled by FreeType's outline rasteriser, and their difference (red where
// only FreeType has ink, green where only the movie's glyph has). One line a
// character reports the largest and the mean difference of a pixel.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "foundation/font.h"
#include "platform/text_encoding.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_file_writer.h"
#include "swf/swf_font_collection.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_reader.h"
#include "tests/swf/swf_glyph_raster.h"

namespace {

constexpr u8 kVersion = 8;

// The glyph of a character in a font read back (Unicode codes in movies of
// version 6 and later).
const CSwfShape* GlyphOf(const CSwfDefineFont2& font, char c) {
  const u16 wanted = font.HasWideCodeTable() ? plat::MacRomanToUnicode(u8(c)) : u8(c);
  const std::vector<u16>& codes = font.GetCodeTable();
  for (size_t i = 0; i < codes.size() && i < font.GetGlyphs().size(); ++i)
    if (codes[i] == wanted) return font.GetGlyphs()[i].get();
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 5) {
    std::fprintf(stderr, "usage: %s <output folder> [<characters> [<family> [<pixels per em>]]]\n", argv[0]);
    return 2;
  }
  std::string folder = argv[1];
  if (folder.back() != '/') folder += '/';
  std::string characters;
  if (!plat::Utf8ToMacRoman(argc > 2 ? argv[2] : "Glimmerbox&@", characters) || characters.empty()) {
    std::fprintf(stderr, "%s: the characters must be Mac Roman ones\n", argv[0]);
    return 2;
  }
  const std::string family = argc > 3 ? argv[3] : "DejaVu Sans";
  const int pixels = argc > 4 ? std::atoi(argv[4]) : 64;
  if (pixels < 8 || pixels > 1024) {
    std::fprintf(stderr, "%s: pixels per em from 8 to 1024\n", argv[0]);
    return 2;
  }

  CFontStyle style;
  std::string macRomanFamily;
  if (!plat::Utf8ToMacRoman(family, macRomanFamily) || !style.SetFamilyByName(macRomanFamily.c_str())) {
    std::fprintf(stderr, "%s: no font family \"%s\"\n", argv[0], family.c_str());
    return 1;
  }

  // The font goes through the engine as a text's would.
  const std::string movie = folder + "glyphs.swf";
  CFontCollection fonts;
  fonts.AddFont(style, characters.c_str(), 0);
  u16 nextId = 0;
  CSwfFileWriter writer(false);
  writer.SetParams(8000, 8000, 12.0f, kVersion);
  if (!fonts.PrepareFontTags(&writer, &nextId) || !writer.Open(CPathName(movie), true) ||
      fonts.EmitFontTag(style, writer) == 0 || writer.WriteTag(new CSwfEnd, false) == 0 || writer.Close() == 0) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], movie.c_str());
    return 1;
  }
  CSwfReader reader;
  if (!reader.LoadFile(CPathName(movie), true, 0, true) || reader.GetTags().empty()) {
    std::fprintf(stderr, "%s: cannot read %s back\n", argv[0], movie.c_str());
    return 1;
  }
  auto* font = dynamic_cast<CSwfDefineFont2*>(reader.GetTags().front());
  if (!font) {
    std::fprintf(stderr, "%s: %s holds no DefineFont2\n", argv[0], movie.c_str());
    reader.DeleteTags(true);
    return 1;
  }

  const int size = pixels * 3 / 2 + 8, originX = pixels / 4, originY = pixels * 9 / 8;
  int status = 0, index = 0;
  for (const char c : characters) {
    const unsigned code = plat::MacRomanToUnicode(u8(c));
    char name[64];
    std::snprintf(name, sizeof name, "%d-U+%04X.png", ++index, code);
    swftest::GreyImage theirs, ours;
    const CSwfShape* glyph = GlyphOf(*font, c);
    if (!glyph || !swftest::RenderCharacter(style, c, pixels, size, size, originX, originY, &theirs) ||
        !swftest::RasteriseGlyphShape(*glyph, pixels, size, size, originX, originY, &ours) ||
        !swftest::WriteComparisonPng(theirs, ours, folder + name)) {
      std::fprintf(stderr, "U+%04X: cannot draw\n", code);
      status = 1;
      continue;
    }
    const swftest::ImageDifference difference = swftest::CompareImages(theirs, ours);
    std::printf("U+%04X %s: largest difference %d, mean %.2f, %d pixels far apart\n", code, name,
                difference.largest, difference.mean, difference.farApart);
  }
  reader.DeleteTags(true);
  return status;
}
