#include "builders/region.h"

#include <algorithm>
#include <limits>

#include "builders/archive_file.h"

namespace {

using Rects = std::vector<RegionRect>;

// What the band walk does with a stretch of rows [top, bottom): covered by
// bands of both regions, or by a band of one region only.
using OverlapHandler = void (*)(Rects& out, const RegionRect* a, const RegionRect* aEnd, const RegionRect* b,
                                const RegionRect* bEnd, s32 top, s32 bottom);
using NonOverlapHandler = void (*)(Rects& out, const RegionRect* band, const RegionRect* bandEnd, s32 top,
                                   s32 bottom);

// The index just after the band that starts at `at`.
size_t BandEnd(const Rects& rects, size_t at) {
  size_t end = at;
  while (end < rects.size() && rects[end].y1 == rects[at].y1) ++end;
  return end;
}

// Merges the band that starts at `current` (the last band of `out`) into
// the band that starts at `previous` when the two touch and have the same
// spans. Returns where the last band of `out` starts afterwards.
size_t Coalesce(Rects& out, size_t previous, size_t current) {
  const size_t previousCount = current - previous;
  if (previousCount == 0 || previousCount != out.size() - current) return current;
  if (out[previous].y2 != out[current].y1) return current;
  for (size_t i = 0; i < previousCount; ++i)
    if (out[previous + i].x1 != out[current + i].x1 || out[previous + i].x2 != out[current + i].x2) return current;
  const s32 bottom = out[current].y2;
  for (size_t i = previous; i < current; ++i) out[i].y2 = bottom;
  out.resize(current);
  return previous;
}

// The rows of `a` and `b` from the top down, band by band: each stretch
// covered by both goes to `overlap`, each covered by one region only to
// that region's handler (none: the stretch gives nothing).
void BandWalk(Rects& out, const CRegion& a, const CRegion& b, OverlapHandler overlap, NonOverlapHandler onlyA,
              NonOverlapHandler onlyB) {
  out.clear();
  out.reserve(std::max(a.rects.size(), b.rects.size()) * 2);
  const Rects& r1 = a.rects;
  const Rects& r2 = b.rects;
  size_t i1 = 0;
  size_t i2 = 0;
  size_t lastBand = 0;
  // The bottom of the rows handled so far.
  s32 handled = std::min(a.extents.y1, b.extents.y1);
  auto emit = [&](NonOverlapHandler handler, const Rects& rects, size_t begin, size_t end, s32 top, s32 bottom) {
    if (!handler || top >= bottom) return;
    const size_t start = out.size();
    handler(out, rects.data() + begin, rects.data() + end, top, bottom);
    if (out.size() > start) lastBand = Coalesce(out, lastBand, start);
  };

  while (i1 < r1.size() && i2 < r2.size()) {
    const size_t e1 = BandEnd(r1, i1);
    const size_t e2 = BandEnd(r2, i2);
    s32 overlapTop;
    if (r1[i1].y1 < r2[i2].y1) {
      emit(onlyA, r1, i1, e1, std::max(r1[i1].y1, handled), std::min(r1[i1].y2, r2[i2].y1));
      overlapTop = r2[i2].y1;
    } else if (r2[i2].y1 < r1[i1].y1) {
      emit(onlyB, r2, i2, e2, std::max(r2[i2].y1, handled), std::min(r2[i2].y2, r1[i1].y1));
      overlapTop = r1[i1].y1;
    } else {
      overlapTop = r1[i1].y1;
    }
    handled = std::min(r1[i1].y2, r2[i2].y2);
    if (handled > overlapTop) {
      const size_t start = out.size();
      overlap(out, r1.data() + i1, r1.data() + e1, r2.data() + i2, r2.data() + e2, overlapTop, handled);
      if (out.size() > start) lastBand = Coalesce(out, lastBand, start);
    }
    if (r1[i1].y2 == handled) i1 = e1;
    if (r2[i2].y2 == handled) i2 = e2;
  }
  for (; i1 < r1.size(); i1 = BandEnd(r1, i1))
    emit(onlyA, r1, i1, BandEnd(r1, i1), std::max(r1[i1].y1, handled), r1[i1].y2);
  for (; i2 < r2.size(); i2 = BandEnd(r2, i2))
    emit(onlyB, r2, i2, BandEnd(r2, i2), std::max(r2[i2].y1, handled), r2[i2].y2);
}

// A band's spans over the stretch as they are.
void CopyBand(Rects& out, const RegionRect* band, const RegionRect* bandEnd, s32 top, s32 bottom) {
  for (const RegionRect* r = band; r < bandEnd; ++r) out.push_back({r->x1, top, r->x2, bottom});
}

// The spans of both bands merged, spans that overlap or touch made one.
void UnionOverlap(Rects& out, const RegionRect* a, const RegionRect* aEnd, const RegionRect* b,
                  const RegionRect* bEnd, s32 top, s32 bottom) {
  const size_t start = out.size();
  auto add = [&](const RegionRect& span) {
    if (out.size() > start && out.back().x2 >= span.x1) {
      out.back().x2 = std::max(out.back().x2, span.x2);
    } else {
      out.push_back({span.x1, top, span.x2, bottom});
    }
  };
  while (a < aEnd || b < bEnd) {
    if (b >= bEnd || (a < aEnd && a->x1 <= b->x1)) {
      add(*a++);
    } else {
      add(*b++);
    }
  }
}

// The spans of `a` without those of `b`.
void SubtractOverlap(Rects& out, const RegionRect* a, const RegionRect* aEnd, const RegionRect* b,
                     const RegionRect* bEnd, s32 top, s32 bottom) {
  for (; a < aEnd; ++a) {
    s32 left = a->x1;
    // Spans of `b` wholly to the left of this span are left of every later one too.
    while (b < bEnd && b->x2 <= left) ++b;
    for (const RegionRect* cut = b; cut < bEnd && cut->x1 < a->x2 && left < a->x2; ++cut) {
      if (cut->x1 > left) out.push_back({left, top, cut->x1, bottom});
      left = std::max(left, cut->x2);
    }
    if (left < a->x2) out.push_back({left, top, a->x2, bottom});
  }
}

RegionRect BoundsOf(const Rects& rects) {
  if (rects.empty()) return RegionRect();
  RegionRect bounds = rects.front();
  for (const RegionRect& r : rects) {
    bounds.x1 = std::min(bounds.x1, r.x1);
    bounds.y1 = std::min(bounds.y1, r.y1);
    bounds.x2 = std::max(bounds.x2, r.x2);
    bounds.y2 = std::max(bounds.y2, r.y2);
  }
  return bounds;
}

[[nodiscard]] bool Contains(const RegionRect& outer, const RegionRect& inner) {
  return outer.x1 <= inner.x1 && outer.y1 <= inner.y1 && outer.x2 >= inner.x2 && outer.y2 >= inner.y2;
}

[[nodiscard]] bool Overlaps(const RegionRect& a, const RegionRect& b) {
  return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

}  // namespace

std::unique_ptr<CRegion> CreateRegion(u32 capacity) {
  auto region = std::make_unique<CRegion>();
  region->rects.reserve(capacity);
  return region;
}

std::unique_ptr<CRegion> CreateRectRgn(s32 left, s32 top, s32 right, s32 bottom) {
  std::unique_ptr<CRegion> region = CreateRegion(2);
  SetRectRgn(region.get(), left, top, right, bottom);
  return region;
}

bool SetRectRgn(CRegion* region, s32 left, s32 top, s32 right, s32 bottom) {
  if (!region) return false;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  region->rects.clear();
  region->extents = RegionRect();
  if (left == right || top == bottom) return true;
  region->extents = {left, top, right, bottom};
  region->rects.push_back(region->extents);
  return true;
}

u32 GetRegionData(const CRegion* region, u32 bufferSize, u8* buffer) {
  if (!region) return 0;
  const u64 count = region->rects.size();
  const u64 needed = count * 16 + kRegionDataHeaderSize;
  if (needed > std::numeric_limits<u32>::max()) return 0;
  if (!buffer) return u32(needed);
  if (bufferSize < needed) return 0;
  const RegionRect& bounds = region->extents;
  const u32 header[] = {kRegionDataHeaderSize, 1, u32(count), u32(count * 16),
                        u32(bounds.x1),        u32(bounds.y1), u32(bounds.x2), u32(bounds.y2)};
  u8* out = buffer;
  for (u32 word : header) {
    PutArchiveWord(out, word);
    out += 4;
  }
  for (const RegionRect& r : region->rects) {
    for (s32 edge : {r.x1, r.y1, r.x2, r.y2}) {
      PutArchiveWord(out, u32(edge));
      out += 4;
    }
  }
  return u32(needed);
}

int CombineRgn(CRegion* destination, const CRegion* source1, const CRegion* source2, int mode) {
  if (!destination) return kRgnError;
  if (mode == kRgnCopy) {
    if (!source1) return kRgnError;
    CopyRegion(*destination, *source1);
  } else if (mode == kRgnXor) {
    if (!source1 || !source2) return kRgnError;
    XorRegion(*destination, *source1, *source2);
  }
  return destination->IsEmpty() ? kNullRegion : kComplexRegion;
}

void CopyRegion(CRegion& destination, const CRegion& source) {
  if (&destination == &source) return;
  destination.rects = source.rects;
  destination.extents = source.extents;
}

void UnionRegion(CRegion& destination, const CRegion& a, const CRegion& b) {
  if (a.IsEmpty()) return CopyRegion(destination, b);
  if (b.IsEmpty()) return CopyRegion(destination, a);
  if (a.rects.size() == 1 && Contains(a.extents, b.extents)) return CopyRegion(destination, a);
  if (b.rects.size() == 1 && Contains(b.extents, a.extents)) return CopyRegion(destination, b);
  Rects out;
  BandWalk(out, a, b, UnionOverlap, CopyBand, CopyBand);
  const RegionRect bounds = {std::min(a.extents.x1, b.extents.x1), std::min(a.extents.y1, b.extents.y1),
                             std::max(a.extents.x2, b.extents.x2), std::max(a.extents.y2, b.extents.y2)};
  destination.rects = std::move(out);
  destination.extents = bounds;
}

void SubtractRegion(CRegion& destination, const CRegion& a, const CRegion& b) {
  if (a.IsEmpty() || b.IsEmpty() || !Overlaps(a.extents, b.extents)) return CopyRegion(destination, a);
  Rects out;
  BandWalk(out, a, b, SubtractOverlap, CopyBand, nullptr);
  destination.extents = BoundsOf(out);
  destination.rects = std::move(out);
}

void XorRegion(CRegion& destination, const CRegion& a, const CRegion& b) {
  CRegion onlyA;
  CRegion onlyB;
  SubtractRegion(onlyA, a, b);
  SubtractRegion(onlyB, b, a);
  UnionRegion(destination, onlyA, onlyB);
}
