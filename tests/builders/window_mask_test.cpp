#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/region.h"
#include "builders/window_mask.h"
#include "foundation/bitmap_image.h"
#include "tests/builders/archive_test_support.h"

namespace {

using gbtest::Bytes;
using gbtest::WordAt;

// A 24-bit picture drawn from text rows: '#' is black, '.' white.
void DrawRows(CBitmapImage& image, const std::vector<std::string>& rows) {
  const u32 width = rows.empty() ? 0 : u32(rows[0].size());
  ASSERT_TRUE(image.Create(width, u32(rows.size()), 24, nullptr, false));
  u8* pixel = image.GetPixels();
  for (const std::string& row : rows) {
    ASSERT_EQ(row.size(), width);
    for (char c : row) {
      std::memset(pixel, c == '#' ? 0 : 255, 3);
      pixel += 3;
    }
  }
}

struct Box {
  s32 left, top, right, bottom;
};

// The words of a region data block after its header: the bounds, then the
// rectangles.
std::vector<Box> BlockRects(const Bytes& block, Box* bounds) {
  std::vector<Box> rects;
  auto box = [&](size_t at) {
    return Box{s32(WordAt(block, at)), s32(WordAt(block, at + 4)), s32(WordAt(block, at + 8)),
               s32(WordAt(block, at + 12))};
  };
  if (bounds) *bounds = box(16);
  for (size_t at = 32; at + 16 <= block.size(); at += 16) rects.push_back(box(at));
  return rects;
}

bool operator==(const Box& a, const Box& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<Box> Boxes(const std::vector<MaskRect>& rects) {
  std::vector<Box> boxes;
  boxes.reserve(rects.size());
  for (const MaskRect& r : rects) boxes.push_back({r.left, r.top, r.right, r.bottom});
  return boxes;
}

TEST(WindowMask, PicturesGiveTheirRegionDataBlocks) {
  struct Case {
    const char* what;
    std::vector<std::string> rows;
    std::vector<Box> rects;
    Box bounds;
  };
  const Case cases[] = {
      {"all white", {"....", "....", "....", "...."}, {}, {65535, 65535, 0, 0}},
      {"all black", {"##########", "##########", "##########", "##########", "##########"}, {{0, 0, 10, 5}},
       {0, 0, 10, 5}},
      // Rows of two runs give a rectangle per run and row.
      {"ring",
       {"#####", "#...#", "#...#", "#####"},
       {{0, 0, 5, 1}, {0, 1, 1, 2}, {4, 1, 5, 2}, {0, 2, 1, 3}, {4, 2, 5, 3}, {0, 3, 5, 4}},
       {0, 0, 5, 4}},
      // A single run of the last rectangle's span extends it.
      {"fork", {"#..#", "...#", "...#"}, {{0, 0, 1, 1}, {3, 0, 4, 3}}, {0, 0, 4, 3}},
      // Rows with nothing in between keep their gap.
      {"gap", {".##.", "....", ".##."}, {{1, 0, 3, 1}, {1, 2, 3, 3}}, {1, 0, 3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CBitmapImage image;
    ASSERT_NO_FATAL_FAILURE(DrawRows(image, c.rows));
    std::vector<MaskRect> rects;
    Bytes block;
    ASSERT_TRUE(BuildWindowMaskRegion(rects, image, 255, 255, 255, block));
    ASSERT_EQ(block.size(), 32 + 16 * c.rects.size());
    EXPECT_EQ(WordAt(block, 0), 32u);
    EXPECT_EQ(WordAt(block, 4), 1u);
    EXPECT_EQ(WordAt(block, 8), c.rects.size());
    EXPECT_EQ(WordAt(block, 12), 16 * c.rects.size());
    Box bounds;
    EXPECT_EQ(BlockRects(block, &bounds), c.rects);
    EXPECT_EQ(bounds, c.bounds);
    EXPECT_EQ(Boxes(rects), c.rects);
    DeleteMaskRects(rects);
    EXPECT_TRUE(rects.empty());
  }
}

TEST(WindowMask, TheRectanglesCoverExactlyThePixelsThatAreNotTheKey) {
  std::mt19937 random(7);
  const u8 key[3] = {10, 20, 30};
  for (int round = 0; round < 40; ++round) {
    const u32 width = 1 + random() % 23;
    const u32 height = 1 + random() % 17;
    // 32-bit pixels too: only the first three bytes are compared.
    const u16 bits = round % 2 ? 32 : 24;
    const u32 stride = bits / 8;
    CBitmapImage image;
    ASSERT_TRUE(image.Create(width, height, bits, nullptr, false));
    std::vector<bool> inside(size_t(width) * height);
    for (u32 i = 0; i < width * height; ++i) {
      u8* pixel = image.GetPixels() + size_t(i) * stride;
      std::memcpy(pixel, key, 3);
      if (stride == 4) pixel[3] = u8(random());
      // A pixel that differs from the key in one byte only is inside.
      if (random() % 3 == 0) {
        pixel[random() % 3] ^= 1;
        inside[i] = true;
      }
    }
    std::vector<MaskRect> rects;
    Bytes block;
    ASSERT_TRUE(BuildWindowMaskRegion(rects, image, key[0], key[1], key[2], block));
    std::vector<int> cover(size_t(width) * height, 0);
    for (const MaskRect& r : rects) {
      ASSERT_LT(r.left, r.right);
      ASSERT_LT(r.top, r.bottom);
      for (s32 y = r.top; y < r.bottom; ++y)
        for (s32 x = r.left; x < r.right; ++x) ++cover[size_t(y) * width + size_t(x)];
    }
    for (u32 i = 0; i < width * height; ++i) ASSERT_EQ(cover[i], inside[i] ? 1 : 0) << "pixel " << i;
  }
}

TEST(WindowMask, APictureWithoutColourPixelsIsRefused) {
  CBitmapImage grey;
  ASSERT_TRUE(grey.Create(4, 4, 8, nullptr, false));
  std::memset(grey.GetPixels(), 0, 16);
  CBitmapImage empty;
  for (const CBitmapImage* image : {&grey, &empty}) {
    std::vector<MaskRect> rects{{1, 2, 3, 4}};
    Bytes block{1, 2, 3};
    EXPECT_FALSE(BuildWindowMaskRegion(rects, *image, 255, 255, 255, block));
    EXPECT_TRUE(rects.empty());
    EXPECT_TRUE(block.empty());
  }
}

// ---------------------------------------------------------------------------
// The region library

// The pixels of the region within a 48 x 48 field.
std::vector<bool> Pixels(const CRegion& region) {
  std::vector<bool> pixels(size_t(48) * 48);
  for (const RegionRect& r : region.rects)
    for (s32 y = std::max(r.y1, 0); y < std::min(r.y2, 48); ++y)
      for (s32 x = std::max(r.x1, 0); x < std::min(r.x2, 48); ++x) pixels[size_t(y) * 48 + size_t(x)] = true;
  return pixels;
}

// The bands are sorted and coalesced, their spans sorted and apart, and the
// extents bound them exactly.
void ExpectBanded(const CRegion& region) {
  const std::vector<RegionRect>& rects = region.rects;
  for (size_t i = 0; i < rects.size(); ++i) {
    ASSERT_LT(rects[i].x1, rects[i].x2);
    ASSERT_LT(rects[i].y1, rects[i].y2);
    if (i == 0) continue;
    const RegionRect& a = rects[i - 1];
    const RegionRect& b = rects[i];
    if (a.y1 == b.y1) {
      ASSERT_EQ(a.y2, b.y2);
      ASSERT_LT(a.x2, b.x1) << "spans of one band overlap or touch";
    } else {
      ASSERT_LE(a.y2, b.y1) << "bands overlap";
    }
  }
  // Two touching bands never have the same spans.
  size_t start = 0;
  std::vector<std::pair<size_t, size_t>> bands;
  for (size_t i = 1; i <= rects.size(); ++i)
    if (i == rects.size() || rects[i].y1 != rects[start].y1) {
      bands.push_back({start, i});
      start = i;
    }
  for (size_t b = 1; b < bands.size(); ++b) {
    const auto [p0, p1] = bands[b - 1];
    const auto [c0, c1] = bands[b];
    if (rects[p0].y2 != rects[c0].y1 || p1 - p0 != c1 - c0) continue;
    bool same = true;
    for (size_t k = 0; k < p1 - p0; ++k)
      same = same && rects[p0 + k].x1 == rects[c0 + k].x1 && rects[p0 + k].x2 == rects[c0 + k].x2;
    ASSERT_FALSE(same) << "bands " << b - 1 << " and " << b << " were not merged";
  }
  RegionRect bounds;
  if (!rects.empty()) {
    bounds = rects[0];
    for (const RegionRect& r : rects) {
      bounds.x1 = std::min(bounds.x1, r.x1);
      bounds.y1 = std::min(bounds.y1, r.y1);
      bounds.x2 = std::max(bounds.x2, r.x2);
      bounds.y2 = std::max(bounds.y2, r.y2);
    }
  }
  EXPECT_EQ(region.extents.x1, bounds.x1);
  EXPECT_EQ(region.extents.y1, bounds.y1);
  EXPECT_EQ(region.extents.x2, bounds.x2);
  EXPECT_EQ(region.extents.y2, bounds.y2);
}

// A region of random overlapping rectangles inside the field.
std::unique_ptr<CRegion> RandomRegion(std::mt19937& random, int count) {
  std::unique_ptr<CRegion> region = CreateRegion(4);
  for (int i = 0; i < count; ++i) {
    const s32 x = s32(random() % 40), y = s32(random() % 40);
    std::unique_ptr<CRegion> rect = CreateRectRgn(x, y, x + 1 + s32(random() % 12), y + 1 + s32(random() % 12));
    UnionRegion(*region, *region, *rect);
  }
  return region;
}

TEST(RegionLibrary, UnionSubtractAndXorAgreeWithThePixels) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    std::unique_ptr<CRegion> a = RandomRegion(random, 1 + round % 5);
    std::unique_ptr<CRegion> b = RandomRegion(random, 1 + round % 4);
    ASSERT_NO_FATAL_FAILURE(ExpectBanded(*a));
    const std::vector<bool> pa = Pixels(*a), pb = Pixels(*b);

    CRegion joined, cut, either;
    UnionRegion(joined, *a, *b);
    SubtractRegion(cut, *a, *b);
    XorRegion(either, *a, *b);
    const std::vector<bool> pj = Pixels(joined), pc = Pixels(cut), pe = Pixels(either);
    for (size_t i = 0; i < pa.size(); ++i) {
      ASSERT_EQ(pj[i], pa[i] || pb[i]) << "union, pixel " << i;
      ASSERT_EQ(pc[i], pa[i] && !pb[i]) << "subtraction, pixel " << i;
      ASSERT_EQ(pe[i], pa[i] != pb[i]) << "exclusive-or, pixel " << i;
    }
    ASSERT_NO_FATAL_FAILURE(ExpectBanded(joined));
    ASSERT_NO_FATAL_FAILURE(ExpectBanded(cut));
    ASSERT_NO_FATAL_FAILURE(ExpectBanded(either));
  }
}

TEST(RegionLibrary, OverlappingRectanglesCombineIntoBands) {
  std::unique_ptr<CRegion> a = CreateRectRgn(0, 0, 10, 10);
  std::unique_ptr<CRegion> b = CreateRectRgn(5, 5, 15, 15);
  CRegion out;
  UnionRegion(out, *a, *b);
  const std::vector<std::vector<s32>> joined = {{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}};
  ASSERT_EQ(out.GetCount(), joined.size());
  for (size_t i = 0; i < joined.size(); ++i)
    EXPECT_EQ((std::vector<s32>{out.rects[i].x1, out.rects[i].y1, out.rects[i].x2, out.rects[i].y2}), joined[i]);
  EXPECT_EQ((std::vector<s32>{out.extents.x1, out.extents.y1, out.extents.x2, out.extents.y2}),
            (std::vector<s32>{0, 0, 15, 15}));

  // A rectangle containing the other is the union; one inside a hole is not.
  std::unique_ptr<CRegion> inner = CreateRectRgn(2, 2, 4, 4);
  UnionRegion(out, *a, *inner);
  EXPECT_EQ(out.GetCount(), 1u);
  SubtractRegion(out, *a, *inner);
  EXPECT_EQ(out.GetCount(), 4u);  // above, left, right, below the hole
  UnionRegion(out, out, *inner);
  ASSERT_EQ(out.GetCount(), 1u);
  EXPECT_EQ(out.rects[0].x2, 10);

  // Regions that do not meet subtract to the first one.
  std::unique_ptr<CRegion> far = CreateRectRgn(30, 30, 31, 31);
  SubtractRegion(out, *a, *far);
  EXPECT_EQ(out.GetCount(), 1u);
  XorRegion(out, *a, *a);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(out.extents.x2, 0);
}

TEST(RegionLibrary, RectangularRegionsAndTheirData) {
  // Edges are put in order; a rectangle without area makes the region empty.
  std::unique_ptr<CRegion> region = CreateRectRgn(10, 8, 2, 4);
  ASSERT_EQ(region->GetCount(), 1u);
  EXPECT_EQ(region->rects[0].x1, 2);
  EXPECT_EQ(region->rects[0].y1, 4);
  EXPECT_EQ(region->extents.x2, 10);
  EXPECT_TRUE(SetRectRgn(region.get(), 3, 3, 3, 9));
  EXPECT_TRUE(region->IsEmpty());
  EXPECT_EQ(region->extents.x1, 0);
  EXPECT_FALSE(SetRectRgn(nullptr, 0, 0, 1, 1));

  ASSERT_TRUE(SetRectRgn(region.get(), 1, 2, 5, 7));
  EXPECT_EQ(GetRegionData(region.get(), 0, nullptr), 48u);
  Bytes block(48, 0xAA);
  EXPECT_EQ(GetRegionData(region.get(), 47, block.data()), 0u);
  EXPECT_EQ(block[0], 0xAA);  // nothing written into a buffer too small
  EXPECT_EQ(GetRegionData(region.get(), 48, block.data()), 48u);
  const std::vector<u32> words = {32, 1, 1, 16, 1, 2, 5, 7, 1, 2, 5, 7};
  for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(WordAt(block, i * 4), words[i]) << "word " << i;
  EXPECT_EQ(GetRegionData(nullptr, 48, block.data()), 0u);
}

TEST(RegionLibrary, CombineCopiesOrTakesTheExclusiveOr) {
  std::unique_ptr<CRegion> a = CreateRectRgn(0, 0, 4, 4);
  std::unique_ptr<CRegion> b = CreateRectRgn(2, 0, 6, 4);
  std::unique_ptr<CRegion> out = CreateRegion(0);
  EXPECT_EQ(CombineRgn(out.get(), a.get(), nullptr, kRgnCopy), kComplexRegion);
  EXPECT_EQ(out->GetCount(), 1u);
  EXPECT_EQ(CombineRgn(out.get(), a.get(), b.get(), kRgnXor), kComplexRegion);
  ASSERT_EQ(out->GetCount(), 2u);
  EXPECT_EQ(out->rects[0].x2, 2);
  EXPECT_EQ(out->rects[1].x1, 4);
  // Other modes change nothing.
  EXPECT_EQ(CombineRgn(out.get(), a.get(), b.get(), 1), kComplexRegion);
  EXPECT_EQ(out->GetCount(), 2u);
  EXPECT_EQ(CombineRgn(out.get(), a.get(), a.get(), kRgnXor), kNullRegion);
  EXPECT_EQ(CombineRgn(nullptr, a.get(), b.get(), kRgnCopy), kRgnError);
  EXPECT_EQ(CombineRgn(out.get(), a.get(), nullptr, kRgnXor), kRgnError);
  // The destination may be a source.
  EXPECT_EQ(CombineRgn(a.get(), a.get(), b.get(), kRgnXor), kComplexRegion);
  EXPECT_EQ(a->GetCount(), 2u);
}

}  // namespace
