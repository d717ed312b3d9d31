// Pictures made in memory for the image tests, written directly with libpng
// and libjpeg so that every colour type and option can be produced.
#pragma once

#include <png.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace gbtest {

struct PngSpec {
  uint32_t width = 1;
  uint32_t height = 1;
  int colorType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  // Rows in the file's own sample layout (16-bit samples big-endian, bit
  // depths below 8 packed), without filter bytes; missing rows are zero.
  std::vector<uint8_t> rows;
  std::vector<png_color> palette;
  std::vector<uint8_t> paletteAlpha;        // tRNS of a palette picture
  std::optional<png_color_16> transparent;  // tRNS of a grey or RGB picture
  std::optional<png_color_16> background;   // bKGD
  double gamma = 0;                         // gAMA when non-zero
  bool interlaced = false;
};

std::vector<uint8_t> MakePng(const PngSpec& spec);

// A JPEG of `components` samples per pixel in `colorSpace` (JCS_RGB,
// JCS_GRAYSCALE, JCS_CMYK); CMYK pictures get the Adobe marker and must be
// given inverted ink values, as Adobe's programs store them. Progressive
// pictures have libjpeg's usual scans.
std::vector<uint8_t> MakeJpeg(uint32_t width, uint32_t height, int components, int colorSpace,
                              const std::vector<uint8_t>& samples, int quality = 95, bool progressive = false);

// width x height pixels of `bytes` channels whose values vary smoothly with
// the position (channel c of pixel (x, y) is 30 c + 4 x + 3 y, up to 255).
std::vector<uint8_t> SmoothPixels(uint32_t width, uint32_t height, int bytes);

}  // namespace gbtest
