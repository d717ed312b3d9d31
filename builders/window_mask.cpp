#include "builders/window_mask.h"

#include <algorithm>
#include <limits>

#include "builders/archive_file.h"
#include "builders/region.h"
#include "foundation/bitmap_image.h"

namespace {

// The most rectangles whose block size still fits the block's words.
constexpr u64 kMaxMaskRects = (u64(std::numeric_limits<u32>::max()) - kRegionDataHeaderSize) / 16;

}  // namespace

void DeleteMaskRects(std::vector<MaskRect>& rects) { rects.clear(); }

bool BuildWindowMaskRegion(std::vector<MaskRect>& rects, const CBitmapImage& image, u8 keyRed, u8 keyGreen,
                           u8 keyBlue, std::vector<u8>& block) {
  rects.clear();
  block.clear();
  const u64 width = image.GetWidth();
  const u64 height = image.GetHeight();
  const u64 stride = image.GetBytesPerPixel();
  // Every pixel must lie inside the bitmap's buffer.
  if (stride < 3 || width * height * stride > image.GetByteSize() || width > u64(std::numeric_limits<s32>::max()) ||
      height > u64(std::numeric_limits<s32>::max()) || (width * height > 0 && !image.GetPixels()))
    return false;

  const u8* row = image.GetPixels();
  for (u64 y = 0; y < height; ++y, row += width * stride) {
    u64 x = 0;
    while (x < width) {
      auto isKey = [&](u64 at) {
        const u8* pixel = row + at * stride;
        return pixel[0] == keyRed && pixel[1] == keyGreen && pixel[2] == keyBlue;
      };
      while (x < width && isKey(x)) ++x;
      if (x == width) break;
      const u64 start = x;
      while (x < width && !isKey(x)) ++x;
      const MaskRect run = {s32(start), s32(y), s32(x), s32(y + 1)};
      // Only a rectangle that ends on this row grows: rows with nothing in
      // between stay out of the shape.
      if (!rects.empty() && rects.back().left == run.left && rects.back().right == run.right &&
          rects.back().bottom == run.top) {
        rects.back().bottom = run.bottom;
      } else {
        if (rects.size() >= kMaxMaskRects) {
          rects.clear();
          return false;
        }
        rects.push_back(run);
      }
    }
  }

  MaskRect bounds = {65535, 65535, 0, 0};
  for (const MaskRect& r : rects) {
    bounds.left = std::min(bounds.left, r.left);
    bounds.top = std::min(bounds.top, r.top);
    bounds.right = std::max(bounds.right, r.right);
    bounds.bottom = std::max(bounds.bottom, r.bottom);
  }
  const u32 count = u32(rects.size());
  block.resize(kRegionDataHeaderSize + size_t(count) * 16);
  const u32 header[] = {kRegionDataHeaderSize, 1,           count,            count * 16,
                        u32(bounds.left),      u32(bounds.top), u32(bounds.right), u32(bounds.bottom)};
  u8* out = block.data();
  for (u32 word : header) {
    PutArchiveWord(out, word);
    out += 4;
  }
  for (const MaskRect& r : rects) {
    for (s32 edge : {r.left, r.top, r.right, r.bottom}) {
      PutArchiveWord(out, u32(edge));
      out += 4;
    }
  }
  return true;
}
