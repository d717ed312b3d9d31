// Characters of system fonts as SWF glyph shapes, and whole font tags built
// from them.
//
// CGlyphOutline takes one character's outline from the host's font layer
// (platform/fonts.h): quadratic contours in a 1024-unit em square with y
// pointing down, so that one unit of the outline is one unit of the SWF
// font's em square. Points are kept truncated to whole units with y negated
// (the "stored" form); the SWF coordinates are (x, -y) of the stored values.
//
// The outline's bounds are its true extremes: the on-curve points and the
// furthest reach of each curve (a curve's control point only counts as far
// as the curve goes toward it). A character without contours (a space) has
// bounds (0, 0, 0, 0).
//
// BuildDefineFont2 turns a font and a character string into a DefineFont2:
// one glyph per byte of the string, in that order, with the byte as its code
// (Mac Roman; the tag converts it for movies of version 6 and later), the
// glyph's advance in em units and its bounds. Coordinates are kept within
// what an edge record holds, so every glyph shape can be written.
#pragma once

#include <optional>
#include <vector>

#include "platform/fonts.h"
#include "swf/swf_shape.h"

class CFont;
class CSwfDefineFont;
class CSwfDefineFont2;
class CSwfDefineShape;
class CSwfRect;

// One point of a contour in the stored form.
struct CGlyphPoint {
  s32 x = 0;
  s32 y = 0;
  u8 onCurve = 1;  // 0 for the control point of a curve
};

using CGlyphContour = std::vector<CGlyphPoint>;

class CGlyphOutline : public plat::QuadraticPathSink {
 public:
  // No contours, no font.
  CGlyphOutline();
  ~CGlyphOutline() override;
  CGlyphOutline(const CGlyphOutline&) = delete;
  CGlyphOutline& operator=(const CGlyphOutline&) = delete;

  // The font whose characters the next loads take (its family, face bits
  // and size); false when the family is not one the font table knows.
  [[nodiscard]] bool SetStyle(const CFont& font);
  // Replaces the outline with the character's (a Mac Roman byte); true when
  // the font layer delivered it, false (and no contours) when no font has
  // the character or no style is set.
  [[nodiscard]] bool LoadCharOutline(char c);
  // The character's advance in em units, truncated toward zero.
  int GetAdvance() const;

  // Path building, as the font layer calls it: a contour opens, receives
  // segments whose first point continues the previous one (the first
  // segment also adds its start point) and closes.
  void BeginContour();
  void AddLine(const plat::PathPoint& p1, const plat::PathPoint& p2);
  void AddCurve(const plat::PathPoint& p1, const plat::PathPoint& control, const plat::PathPoint& p2);
  void EndContour();
  // Adds the point (x, -y) to the open contour (opening one when none is).
  // An on-curve point widens the bounds; a control point does not.
  void AddPoint(s32 x, s32 y, bool onCurve);

  const std::vector<CGlyphContour>& GetContours() const { return contours; }
  int GetPointCount() const { return pointCount; }
  // Bounds of the stored values; meaningful when there are contours.
  s32 GetMinX() const { return minX; }
  s32 GetMaxX() const { return maxX; }
  s32 GetMinY() const { return minY; }
  s32 GetMaxY() const { return maxY; }

  // The font layer's call-backs.
  void NewPath() override { BeginContour(); }
  void LineTo(const plat::PathPoint& from, const plat::PathPoint& to) override { AddLine(from, to); }
  void CurveTo(const plat::PathPoint& from, const plat::PathPoint& control,
               const plat::PathPoint& to) override {
    AddCurve(from, control, to);
  }
  void ClosePath() override { EndContour(); }

 private:
  void ClearOutline();
  // Adds a segment's start point when it opens a contour.
  void StartSegment(const plat::PathPoint& p1);
  void Widen(s32 x, s32 y);
  // Widens the bounds to the furthest reach of the curve from the stored
  // point `from` through `control` to `to`.
  void WidenByCurve(const CGlyphPoint& from, const CGlyphPoint& control, const CGlyphPoint& to);

  std::optional<CGlyphContour> current;
  std::vector<CGlyphContour> contours;
  s32 maxX = 0, minX = 0, maxY = 0, minY = 0;
  bool hasBounds = false;
  int pointCount = 0;
  bool contourStart = true;
  std::optional<plat::FontRequest> style;
  // The character's advance in em units, as the font layer gave it.
  double idealAdvance = 0;
};

// The character's glyph as shape records in em units: for each contour a
// style-change record that moves to its first point with fill style 1,
// then its edges; an end record closes the list. `records` is emptied
// first. A character without contours, or without an advance, gets the end
// record alone and bounds (0, 0, 0, 0). False, the records empty and
// `bounds` untouched, when no font has the character.
[[nodiscard]] bool BuildGlyphShapeRecords(CSwfShapeRecordList& records, const CFont& font, char c,
                                          CSwfRect& bounds);

// A DefineFont2 with id fontId holding a glyph for every byte of `chars`
// (up to its terminating zero), named after the font's family (the id
// appended when appendIdToName), ANSI, with the font's layout, bold and
// italic flags. `scratch` is working space for the glyphs' records. A
// character no font has gets an empty glyph. The caller owns the tag; null
// when chars is null or holds more characters than a font can.
[[nodiscard]] CSwfDefineFont2* BuildDefineFont2(CSwfShapeRecordList& scratch, const CFont& font,
                                                const char* chars, u16 fontId, bool appendIdToName);

// The older DefineFont with id fontId and one glyph per byte of `chars`,
// with its offset table. The caller owns the tag; null when chars is null or
// the glyphs do not fit the table's 16-bit offsets.
[[nodiscard]] CSwfDefineFont* BuildDefineFont(CSwfShapeRecordList& scratch, const CFont& font,
                                              const char* chars, u16 fontId);

// One edge record from (x1, y1) to (x2, y2) in SWF coordinates: vertical
// when dx is 0 (even when dy is 0 too), horizontal when only dy is 0, else
// general.
void AddStraightEdge(CSwfShapeRecordList& records, s32 x1, s32 y1, s32 x2, s32 y2);
// One curved edge from (x1, y1) through the control point (cx, cy) to the
// anchor (ax, ay), all in the stored form (y negated).
void AddCurvedEdge(CSwfShapeRecordList& records, s32 x1, s32 y1, s32 cx, s32 cy, s32 ax, s32 ay);

// A new, empty DefineShape with that id; the caller owns it.
[[nodiscard]] CSwfDefineShape* CreateDefineShape(u16 id);
