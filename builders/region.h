// A small region library with the Windows region calls the projector's
// Windows player knows: rectangular regions, their region data, and
// combining two regions.
//
// A region is a list of rectangles in y-x bands: sorted by top edge, then by
// left edge; the rectangles of one band share their top and bottom, do not
// overlap and do not touch; two bands that touch and have the same spans
// are one band. Right and bottom edges are exclusive. An empty region has
// no rectangles and the extents (0, 0, 0, 0).
//
// The region data block (as GetRegionData writes it, words little-endian,
// as on the machines that read it):
//   0   header size: 32
//   4   type: 1 (rectangles)
//   8   n, the number of rectangles
//   12  the size of the rectangle part: n x 16
//   16  the bounding rectangle: left, top, right, bottom
//   32  the rectangles, each left, top, right, bottom
#pragma once

#include <memory>
#include <vector>

#include "platform/mac_types.h"

struct RegionRect {
  s32 x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct CRegion {
  std::vector<RegionRect> rects;
  RegionRect extents;

  u32 GetCount() const { return u32(rects.size()); }
  [[nodiscard]] bool IsEmpty() const { return rects.empty(); }
};

// Modes of CombineRgn and its results.
enum : int { kRgnXor = 3, kRgnCopy = 5 };
enum : int { kRgnError = 0, kNullRegion = 1, kComplexRegion = 2 };

// The size of the header of a region data block.
constexpr u32 kRegionDataHeaderSize = 32;

// A region holding one rectangle (or none when it has no area).
[[nodiscard]] std::unique_ptr<CRegion> CreateRectRgn(s32 left, s32 top, s32 right, s32 bottom);
// Orders each pair of edges; a rectangle without area empties the region,
// any other becomes its one rectangle and its extents. False only for a
// null region.
bool SetRectRgn(CRegion* region, s32 left, s32 top, s32 right, s32 bottom);
// The size of the region's data block. With a buffer of at least that size
// the block is written into it; a smaller buffer gets nothing and the result
// is 0. 0 also for a null region, or one too large for a block.
[[nodiscard]] u32 GetRegionData(const CRegion* region, u32 bufferSize, u8* buffer);
// kRgnCopy stores a copy of `source1`, kRgnXor the exclusive-or of both
// sources; any other mode changes nothing. kNullRegion when the
// destination is empty afterwards, kComplexRegion when it holds
// rectangles, kRgnError when a region the mode needs is null.
[[nodiscard]] int CombineRgn(CRegion* destination, const CRegion* source1, const CRegion* source2, int mode);

// The operations behind CombineRgn. The destination may be either source.
void UnionRegion(CRegion& destination, const CRegion& a, const CRegion& b);
void SubtractRegion(CRegion& destination, const CRegion& a, const CRegion& b);
void XorRegion(CRegion& destination, const CRegion& a, const CRegion& b);
void CopyRegion(CRegion& destination, const CRegion& source);
// An empty region with room for `capacity` rectangles.
[[nodiscard]] std::unique_ptr<CRegion> CreateRegion(u32 capacity);
