#include "tests/swf/swf_glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>

#include "foundation/font.h"
#include "foundation/path_name.h"
#include "foundation/png_image.h"
#include "platform/fonts.h"
#include "platform/text_encoding.h"
#include "swf/swf_shape.h"

namespace swftest {
namespace {

using ContourEnd = std::remove_pointer_t<decltype(FT_Outline::contours)>;

// An outline collected point by point in FreeType's form.
struct OutlineBuilder {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<ContourEnd> ends;
  size_t contourStart = 0;
  bool open = false;

  void Close() {
    if (open && points.size() > contourStart + 1) ends.push_back(ContourEnd(points.size() - 1));
    if (open && points.size() == contourStart + 1) {  // a lone move draws nothing
      points.pop_back();
      tags.pop_back();
    }
    open = false;
  }
  void Start(const FT_Vector& point) {
    Close();
    contourStart = points.size();
    Add(point, FT_CURVE_TAG_ON);
    open = true;
  }
  void Add(const FT_Vector& point, char tag) {
    points.push_back(point);
    tags.push_back(tag);
  }
};

}  // namespace

int GreyImage::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return pixels[size_t(y) * size_t(width) + size_t(x)];
}

long GreyImage::Ink() const {
  long ink = 0;
  for (u8 value : pixels) ink += value;
  return ink;
}

bool RasteriseGlyphShape(const CSwfShape& shape, int pixelsPerEm, int width, int height, int originX,
                         int originY, GreyImage* image) {
  *image = GreyImage();
  image->width = width;
  image->height = height;
  image->pixels.assign(size_t(width) * size_t(height), 0);

  // Em units (y down) to 26.6 pixels of FreeType's bitmap, whose origin is
  // its bottom-left corner (y up).
  auto place = [&](s64 x, s64 y) {
    FT_Vector point;
    point.x = FT_Pos(std::llround(double(x) * pixelsPerEm * 64.0 / 1024.0)) + FT_Pos(originX) * 64;
    point.y = FT_Pos(std::llround(-double(y) * pixelsPerEm * 64.0 / 1024.0)) + FT_Pos(height - originY) * 64;
    return point;
  };

  OutlineBuilder builder;
  s64 x = 0, y = 0;
  for (const auto& record : shape.records) {
    switch (record->GetType()) {
      case kSwfStyleChangeRecord: {
        const auto& change = static_cast<const CSwfStyleChangeRecord&>(*record);
        if (change.flags & kSwfStateMoveTo) {
          x = change.moveDeltaX;
          y = change.moveDeltaY;
          builder.Start(place(x, y));
        }
        break;
      }
      case kSwfStraightEdgeRecord: {
        const auto& edge = static_cast<const CSwfStraightEdgeRecord&>(*record);
        if (!builder.open) builder.Start(place(x, y));
        if (edge.lineKind != kSwfVerticalLine) x += edge.deltaX;
        if (edge.lineKind != kSwfHorizontalLine) y += edge.deltaY;
        builder.Add(place(x, y), FT_CURVE_TAG_ON);
        break;
      }
      case kSwfCurvedEdgeRecord: {
        const auto& edge = static_cast<const CSwfCurvedEdgeRecord&>(*record);
        if (!builder.open) builder.Start(place(x, y));
        x += edge.controlDeltaX;
        y += edge.controlDeltaY;
        builder.Add(place(x, y), FT_CURVE_TAG_CONIC);
        x += edge.anchorDeltaX;
        y += edge.anchorDeltaY;
        builder.Add(place(x, y), FT_CURVE_TAG_ON);
        break;
      }
      default:
        break;
    }
  }
  builder.Close();
  if (builder.ends.empty()) return true;  // nothing to fill: an empty image
  if (builder.points.size() > 32767) return false;

  FT_Outline outline = {};
  outline.n_points = decltype(outline.n_points)(builder.points.size());
  outline.n_contours = decltype(outline.n_contours)(builder.ends.size());
  outline.points = builder.points.data();
  outline.tags = reinterpret_cast<decltype(outline.tags)>(builder.tags.data());
  outline.contours = builder.ends.data();
  outline.flags = FT_OUTLINE_NONE;

  FT_Bitmap bitmap = {};
  bitmap.rows = unsigned(height);
  bitmap.width = unsigned(width);
  bitmap.pitch = width;
  bitmap.buffer = image->pixels.data();
  bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
  bitmap.num_grays = 256;

  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return false;
  const bool ok = FT_Outline_Get_Bitmap(library, &outline, &bitmap) == 0;
  FT_Done_FreeType(library);
  return ok;
}

bool RenderCharacter(const CFont& font, char c, int pixelsPerEm, int width, int height, int originX,
                     int originY, GreyImage* image) {
  *image = GreyImage();
  image->width = width;
  image->height = height;
  image->pixels.assign(size_t(width) * size_t(height), 0);
  plat::FontRequest request;
  if (!plat::FontFamilyName(SInt16(font.GetFamilyId()), &request.family)) return false;
  request.size = pixelsPerEm;
  request.face = font.GetFace();
  plat::GlyphImage glyph;
  double advance = 0;
  if (!plat::RenderGlyph(request, plat::MacRomanToUnicode(u8(c)), &glyph, &advance)) return false;
  for (int row = 0; row < glyph.height; ++row) {
    for (int column = 0; column < glyph.width; ++column) {
      const int px = originX + glyph.left + column, py = originY + glyph.top + row;
      if (px < 0 || py < 0 || px >= width || py >= height) continue;
      image->pixels[size_t(py) * size_t(width) + size_t(px)] =
          glyph.coverage[size_t(row) * size_t(glyph.width) + size_t(column)];
    }
  }
  return true;
}

ImageDifference CompareImages(const GreyImage& a, const GreyImage& b) {
  ImageDifference difference;
  long total = 0, inked = 0;
  const int width = std::max(a.width, b.width), height = std::max(a.height, b.height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int one = a.At(x, y), other = b.At(x, y);
      if (one == 0 && other == 0) continue;
      const int apart = std::abs(one - other);
      ++inked;
      total += apart;
      difference.largest = std::max(difference.largest, apart);
      if (apart > 64) ++difference.farApart;
    }
  }
  difference.mean = inked ? double(total) / double(inked) : 0;
  return difference;
}

bool WriteComparisonPng(const GreyImage& a, const GreyImage& b, const std::string& path) {
  const int gap = 4;
  const int panel = std::max(a.width, b.width), height = std::max(a.height, b.height);
  const int width = 3 * panel + 2 * gap;
  std::vector<u8> rgb(size_t(width) * size_t(height) * 3, 255);
  auto set = [&](int x, int y, u8 r, u8 g, u8 bl) {
    u8* pixel = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    pixel[0] = r;
    pixel[1] = g;
    pixel[2] = bl;
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < panel; ++x) {
      const int one = a.At(x, y), other = b.At(x, y);
      set(x, y, u8(255 - one), u8(255 - one), u8(255 - one));
      set(panel + gap + x, y, u8(255 - other), u8(255 - other), u8(255 - other));
      // Both: black; a alone: red; b alone: green.
      const int both = std::min(one, other);
      set(2 * (panel + gap) + x, y, u8(255 - both - std::max(0, other - one)),
          u8(255 - both - std::max(0, one - other)), u8(255 - std::max(one, other)));
    }
  }
  return SaveRgbAsPngFile(u32(width), u32(height), 24, rgb.data(), CPathName(path), nullptr, 0);
}

}  // namespace swftest
