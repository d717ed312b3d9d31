// Fuzz target of the window-mask builder and the region library: bitmaps
// of any size up to 64 x 64 and any pixels. The mask's rectangles cover
// exactly the pixels that are not the key colour, its block counts them,
// and the region built from them by union, subtraction and exclusive-or
// covers the same pixels.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "builders/archive_file.h"
#include "builders/region.h"
#include "builders/window_mask.h"
#include "foundation/bitmap_image.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr u32 kMaxSide = 64;

std::vector<bool> Cover(const std::vector<RegionRect>& rects, u32 width, u32 height) {
  std::vector<bool> pixels(size_t(width) * height);
  for (const RegionRect& r : rects) {
    if (r.x1 < 0 || r.y1 < 0 || r.x2 > s32(width) || r.y2 > s32(height) || r.x1 >= r.x2 || r.y1 >= r.y2)
      __builtin_trap();
    for (s32 y = r.y1; y < r.y2; ++y)
      for (s32 x = r.x1; x < r.x2; ++x) {
        const size_t at = size_t(y) * width + size_t(x);
        pixels[at] = true;
      }
  }
  return pixels;
}

}  // namespace

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const u32 width = 1 + data[0] % kMaxSide;
  const u32 height = 1 + data[1] % kMaxSide;
  const u16 bits = data[2] & 1 ? 32 : 24;
  const u8 key[3] = {data[3], data[4], data[5]};
  data += 6;
  size -= 6;
  CBitmapImage image;
  if (!image.Create(width, height, bits, nullptr, false)) __builtin_trap();
  // The pixels from the input; where it ends, the key colour.
  const u32 stride = bits / 8;
  std::vector<bool> inside(size_t(width) * height);
  for (size_t i = 0; i < inside.size(); ++i) {
    u8* pixel = image.GetPixels() + i * stride;
    for (u32 b = 0; b < stride; ++b) {
      const size_t at = i * stride + b;
      pixel[b] = at < size ? data[at] : (b < 3 ? key[b] : 0);
    }
    inside[i] = pixel[0] != key[0] || pixel[1] != key[1] || pixel[2] != key[2];
  }

  std::vector<MaskRect> rects;
  std::vector<u8> block;
  if (!BuildWindowMaskRegion(rects, image, key[0], key[1], key[2], block)) __builtin_trap();
  if (block.size() != 32 + 16 * rects.size() || GetArchiveWord(block.data() + 8) != rects.size()) __builtin_trap();
  std::vector<RegionRect> asRegion;
  for (const MaskRect& r : rects) asRegion.push_back({r.left, r.top, r.right, r.bottom});
  // The rectangles do not overlap: each pixel is counted once.
  size_t area = 0;
  for (const RegionRect& r : asRegion) area += size_t(r.x2 - r.x1) * size_t(r.y2 - r.y1);
  size_t insideCount = 0;
  for (bool in : inside) insideCount += in;
  if (area != insideCount || Cover(asRegion, width, height) != inside) __builtin_trap();

  // The same shape as a region: union of the rectangles, then subtracted
  // from the whole picture and taken as exclusive-or with it.
  CRegion shape;
  for (const RegionRect& r : asRegion) {
    std::unique_ptr<CRegion> one = CreateRectRgn(r.x1, r.y1, r.x2, r.y2);
    UnionRegion(shape, shape, *one);
  }
  if (Cover(shape.rects, width, height) != inside) __builtin_trap();
  std::unique_ptr<CRegion> whole = CreateRectRgn(0, 0, s32(width), s32(height));
  CRegion outside, either;
  SubtractRegion(outside, *whole, shape);
  XorRegion(either, *whole, shape);
  const std::vector<bool> out = Cover(outside.rects, width, height);
  if (Cover(either.rects, width, height) != out) __builtin_trap();
  for (size_t i = 0; i < inside.size(); ++i)
    if (out[i] == inside[i]) __builtin_trap();
  const u32 needed = GetRegionData(&shape, 0, nullptr);
  std::vector<u8> data2(needed);
  if (needed != 32 + 16 * shape.rects.size() || GetRegionData(&shape, needed, data2.data()) != needed) __builtin_trap();
  return 0;
}
