#include "tests/foundation/image_fixtures.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <algorithm>

#include <jpeglib.h>

namespace gbtest {
namespace {

void AppendToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

}  // namespace

std::vector<uint8_t> MakePng(const PngSpec& spec) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendToVector, NoFlush);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty())
    png_set_PLTE(png, info, spec.palette.data(), int(spec.palette.size()));
  if (!spec.paletteAlpha.empty())
    png_set_tRNS(png, info, spec.paletteAlpha.data(), int(spec.paletteAlpha.size()), nullptr);
  if (spec.transparent) {
    png_color_16 color = *spec.transparent;
    png_set_tRNS(png, info, nullptr, 0, &color);
  }
  if (spec.background) {
    png_color_16 color = *spec.background;
    png_set_bKGD(png, info, &color);
  }
  if (spec.gamma > 0) png_set_gAMA(png, info, spec.gamma);
  png_write_info(png, info);
  size_t rowBytes = png_get_rowbytes(png, info);
  // Rows the fixture leaves out are zero.
  std::vector<uint8_t> samples = spec.rows;
  samples.resize(std::max(samples.size(), rowBytes * spec.height));
  std::vector<png_bytep> rows(spec.height);
  for (uint32_t y = 0; y < spec.height; ++y) rows[y] = samples.data() + y * rowBytes;
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<uint8_t> MakeJpeg(uint32_t width, uint32_t height, int components, int colorSpace,
                              const std::vector<uint8_t>& samples, int quality, bool progressive) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = J_COLOR_SPACE(colorSpace);
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  for (uint32_t y = 0; y < height; ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(y) * width * components);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> SmoothPixels(uint32_t width, uint32_t height, int bytes) {
  std::vector<uint8_t> pixels(size_t(width) * height * bytes);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      for (int c = 0; c < bytes; ++c)
        pixels[(size_t(y) * width + x) * bytes + c] = uint8_t(std::min(255u, 30 * unsigned(c) + 4 * x + 3 * y));
  return pixels;
}

}  // namespace gbtest
