// Glyph shapes of SWF fonts turned back into pixels, beside FreeType's own
// rendering of the same characters, so that the geometry of a written font
// can be checked (and looked at: the tool gb_compare_glyphs writes both as
// PNG files).
//
// Both renderings are anti-aliased grey images (0 empty, 255 covered) with
// the pen on the baseline at (originX, originY), y growing downward.
#pragma once

#include <string>
#include <vector>

#include "platform/mac_types.h"

class CFont;
class CSwfShape;

namespace swftest {

struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<u8> pixels;  // rows from the top

  // 0 outside the image.
  int At(int x, int y) const;
  // The sum of all coverage values.
  long Ink() const;
};

// Fills the glyph shape (1024 units to the em, y down, as a DefineFont2
// holds it) at pixelsPerEm pixels to the em with FreeType's outline
// rasteriser, into a new width x height image. False when the shape holds
// no outline FreeType takes or the rasteriser fails.
bool RasteriseGlyphShape(const CSwfShape& shape, int pixelsPerEm, int width, int height, int originX,
                         int originY, GreyImage* image);

// FreeType's rendering of the character (a Mac Roman byte) of the font at
// pixelsPerEm, into a new image like the one above; false when no installed
// font has it.
bool RenderCharacter(const CFont& font, char c, int pixelsPerEm, int width, int height, int originX,
                     int originY, GreyImage* image);

struct ImageDifference {
  int largest = 0;     // the largest difference of one pixel
  double mean = 0;     // the mean difference over the pixels with ink in either image
  int farApart = 0;    // pixels that differ by more than a quarter of full coverage
};

// Compares two images of the same size.
ImageDifference CompareImages(const GreyImage& a, const GreyImage& b);

// Writes the images side by side as one RGB PNG file: a, b, and their
// difference (red where only a has ink, green where only b has).
bool WriteComparisonPng(const GreyImage& a, const GreyImage& b, const std::string& path);

}  // namespace swftest
