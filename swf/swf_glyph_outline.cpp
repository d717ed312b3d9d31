#include "swf/swf_glyph_outline.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/font.h"
#include "platform/text_encoding.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_shape_tags.h"

namespace {

// Outline coordinates are kept within this magnitude, so that the delta
// between any two points fits an edge record (17 bits with sign).
constexpr s32 kMaxCoordinate = 32767;

// A path coordinate as a whole number of units, truncated toward zero.
s32 Truncated(float value) {
  if (std::isnan(value)) return 0;
  if (value >= float(kMaxCoordinate)) return kMaxCoordinate;
  if (value <= -float(kMaxCoordinate)) return -kMaxCoordinate;
  return s32(value);
}

s16 ClampToS16(s32 value) { return s16(std::clamp<s32>(value, -32768, 32767)); }

// The extreme a quadratic curve reaches along one axis between its end
// points p0 and p2, pulled toward p1; false when it reaches no further than
// its end points.
bool CurveExtreme(double p0, double p1, double p2, double* extreme) {
  const double denominator = p0 - 2 * p1 + p2;
  if (denominator == 0) return false;
  const double t = (p0 - p1) / denominator;
  if (!(t > 0 && t < 1)) return false;
  *extreme = (1 - t) * (1 - t) * p0 + 2 * t * (1 - t) * p1 + t * t * p2;
  return true;
}

}  // namespace

// ---- outline ----

CGlyphOutline::CGlyphOutline() = default;

CGlyphOutline::~CGlyphOutline() = default;

bool CGlyphOutline::SetStyle(const CFont& font) {
  plat::FontRequest request;
  if (!plat::FontFamilyName(SInt16(font.GetFamilyId()), &request.family)) return false;
  request.size = font.GetSize();
  request.face = font.GetFace();
  style = request;
  return true;
}

void CGlyphOutline::ClearOutline() {
  current.reset();
  contours.clear();
  maxX = minX = maxY = minY = 0;
  hasBounds = false;
  pointCount = 0;
  contourStart = true;
  idealAdvance = 0;
}

bool CGlyphOutline::LoadCharOutline(char c) {
  ClearOutline();
  if (!style) return false;
  double advance = 0;
  const bool loaded = plat::CurrentFontSource().QuadraticPaths(
      *style, plat::MacRomanToUnicode(u8(c)), *this, &advance);
  EndContour();
  if (!loaded) {
    ClearOutline();
    return false;
  }
  idealAdvance = advance;
  return true;
}

int CGlyphOutline::GetAdvance() const {
  if (!(std::fabs(idealAdvance) < 1e9)) return 0;
  return int(idealAdvance);
}

void CGlyphOutline::BeginContour() {
  EndContour();
  current.emplace();
  contourStart = true;
}

void CGlyphOutline::StartSegment(const plat::PathPoint& p1) {
  // A segment with no open contour to continue starts one.
  if (contourStart || !current || current->empty()) {
    contourStart = false;
    AddPoint(Truncated(p1.x), Truncated(p1.y), true);
  }
}

void CGlyphOutline::AddLine(const plat::PathPoint& p1, const plat::PathPoint& p2) {
  StartSegment(p1);
  AddPoint(Truncated(p2.x), Truncated(p2.y), true);
}

void CGlyphOutline::AddCurve(const plat::PathPoint& p1, const plat::PathPoint& control,
                             const plat::PathPoint& p2) {
  StartSegment(p1);
  const CGlyphPoint from = current->back();
  AddPoint(Truncated(control.x), Truncated(control.y), false);
  AddPoint(Truncated(p2.x), Truncated(p2.y), true);
  const CGlyphPoint& to = current->back();
  WidenByCurve(from, (*current)[current->size() - 2], to);
}

void CGlyphOutline::EndContour() {
  if (current && !current->empty()) contours.push_back(std::move(*current));
  current.reset();
}

void CGlyphOutline::AddPoint(s32 x, s32 y, bool onCurve) {
  if (!current) current.emplace();
  CGlyphPoint point;
  point.x = x;
  point.y = -y;
  point.onCurve = onCurve ? 1 : 0;
  current->push_back(point);
  ++pointCount;
  if (onCurve) Widen(point.x, point.y);
}

void CGlyphOutline::Widen(s32 x, s32 y) {
  if (!hasBounds) {
    minX = maxX = x;
    minY = maxY = y;
    hasBounds = true;
    return;
  }
  minX = std::min(minX, x);
  maxX = std::max(maxX, x);
  minY = std::min(minY, y);
  maxY = std::max(maxY, y);
}

void CGlyphOutline::WidenByCurve(const CGlyphPoint& from, const CGlyphPoint& control,
                                 const CGlyphPoint& to) {
  double extreme = 0;
  if (CurveExtreme(from.x, control.x, to.x, &extreme)) {
    Widen(s32(std::floor(extreme)), from.y);
    Widen(s32(std::ceil(extreme)), from.y);
  }
  if (CurveExtreme(from.y, control.y, to.y, &extreme)) {
    Widen(from.x, s32(std::floor(extreme)));
    Widen(from.x, s32(std::ceil(extreme)));
  }
}

// ---- shape records ----

void AddStraightEdge(CSwfShapeRecordList& records, s32 x1, s32 y1, s32 x2, s32 y2) {
  const s32 dx = x2 - x1, dy = y2 - y1;
  if (dx == 0)
    records.push_back(std::make_unique<CSwfStraightEdgeRecord>(0, dy, kSwfVerticalLine));
  else if (dy != 0)
    records.push_back(std::make_unique<CSwfStraightEdgeRecord>(dx, dy, kSwfGeneralLine));
  else
    records.push_back(std::make_unique<CSwfStraightEdgeRecord>(dx, 0, kSwfHorizontalLine));
}

void AddCurvedEdge(CSwfShapeRecordList& records, s32 x1, s32 y1, s32 cx, s32 cy, s32 ax, s32 ay) {
  records.push_back(std::make_unique<CSwfCurvedEdgeRecord>(cx - x1, y1 - cy, ax - cx, cy - ay));
}

bool BuildGlyphShapeRecords(CSwfShapeRecordList& records, const CFont& font, char c,
                            CSwfRect& bounds) {
  records.clear();
  CFont em(font);
  em.SetSize(1024);
  CGlyphOutline outline;
  if (!outline.SetStyle(em) || !outline.LoadCharOutline(c)) return false;

  if (outline.GetContours().empty() || outline.GetAdvance() == 0) {
    bounds.Set(0, 0, 0, 0, false);
    records.push_back(std::make_unique<CSwfEndShapeRecord>());
    return true;
  }
  // SWF coordinates are the stored ones with y negated back.
  bounds.Set(outline.GetMinX(), -outline.GetMaxY(), outline.GetMaxX(), -outline.GetMinY(), false);

  for (const CGlyphContour& contour : outline.GetContours()) {
    if (contour.empty()) continue;
    const CGlyphPoint& first = contour.front();
    // Every contour starts afresh: a move to its first point, filled by
    // fill style 1; glyphs have no line styles (0 bits, index 0).
    auto move = std::make_unique<CSwfStyleChangeRecord>(first.x, -first.y, nullptr);
    move->SetFillStyle(1, 1);
    move->SetLineStyle(0);
    move->numFillBits = 1;
    move->numLineBits = 0;
    move->SetFlags(kSwfStateMoveTo | kSwfStateFillStyle1 | kSwfStateLineStyle);
    records.push_back(std::move(move));

    CGlyphPoint cur = first;
    size_t i = 1;
    while (i < contour.size()) {
      const CGlyphPoint& point = contour[i];
      if (point.onCurve) {
        AddStraightEdge(records, cur.x, -cur.y, point.x, -point.y);
        cur = point;
        i += 1;
        continue;
      }
      // A control point is followed by its anchor; one left without is dropped.
      if (i + 1 >= contour.size()) break;
      const CGlyphPoint& anchor = contour[i + 1];
      AddCurvedEdge(records, cur.x, cur.y, point.x, point.y, anchor.x, anchor.y);
      cur = anchor;
      i += 2;
    }
  }
  records.push_back(std::make_unique<CSwfEndShapeRecord>());
  return true;
}

namespace {

// The records of one character as a glyph shape (1 fill-index bit, no line
// bits), `scratch` emptied; `bounds` receives the glyph's bounds.
std::unique_ptr<CSwfShape> BuildGlyphShape(CSwfShapeRecordList& scratch, const CFont& font, char c,
                                           CSwfRect& bounds) {
  auto shape = std::make_unique<CSwfShape>(1);
  shape->SetBits(1, 0);
  bounds.Set(0, 0, 0, 0, false);
  if (BuildGlyphShapeRecords(scratch, font, c, bounds)) {
    for (auto& record : scratch)
      if (record) shape->AddRecord(record.release());
  }
  scratch.clear();
  return shape;
}

// The character's advance in em units from a fresh outline of the font.
int IdealAdvanceOf(const CFont& em, char c) {
  CGlyphOutline outline;
  if (!outline.SetStyle(em) || !outline.LoadCharOutline(c)) return 0;
  return outline.GetAdvance();
}

}  // namespace

CSwfDefineFont2* BuildDefineFont2(CSwfShapeRecordList& scratch, const CFont& font, const char* chars,
                                  u16 fontId, bool appendIdToName) {
  if (!chars) return nullptr;
  CFont em(font);
  em.SetSize(1024);
  auto tag = std::make_unique<CSwfDefineFont2>(em.GetName(), fontId, u8(kFont2Ansi | kFont2HasLayout));
  if (appendIdToName && !tag->SetAppendIdToName(true)) return nullptr;

  // Advances are divided by 1024 / the font's height in em units; a height
  // above 1024 units (ascent and descent rounded apart) or of 0 divides by 1.
  const int heightEm = font.GetHeightEm();
  const int scale = heightEm > 0 ? std::max(1, 1024 / heightEm) : 1;

  for (const char* p = chars; *p; ++p) {
    const char c = *p;
    auto bounds = std::make_unique<CSwfRect>();
    std::unique_ptr<CSwfShape> shape = BuildGlyphShape(scratch, font, c, *bounds);

    const int idealAdvance = IdealAdvanceOf(em, c);
    // A character the font lacks (drawn from another font) has no outline
    // advance of its own: its ideal advance stands for both.
    const int outlineAdvance =
        em.GetCharBoundsWidth(c) >= 0 ? em.GetCharOutlineAdvanceEm(c) : idealAdvance;
    const s16 sum = ClampToS16(outlineAdvance + idealAdvance);
    const s16 advance = s16(ClampToS16(s32(std::trunc(float(sum) / float(scale)))) / 2);

    if (!tag->AddGlyph(shape.release(), u8(c), advance, bounds.release())) {
      // A shape that could not be written gives way to an empty glyph; a
      // font that is full takes no more.
      auto empty = std::make_unique<CSwfShape>(1);
      empty->SetBits(1, 0);
      if (!tag->AddGlyph(empty.release(), u8(c), advance, nullptr)) return nullptr;  // bounds 0, 0, 0, 0
    }
  }

  tag->SetMetrics(ClampToS16(em.GetAscentEm() + 512), ClampToS16(em.GetDescentEm()),
                  ClampToS16(em.GetLeadingEm()));
  u8 flags = tag->GetFlags();
  if (em.IsItalic()) flags |= kFont2Italic;
  if (em.IsBold()) flags |= kFont2Bold;
  tag->SetFlags(flags);
  return tag.release();
}

CSwfDefineFont* BuildDefineFont(CSwfShapeRecordList& scratch, const CFont& font, const char* chars,
                                u16 fontId) {
  if (!chars) return nullptr;
  const size_t count = std::strlen(chars);
  std::vector<std::unique_ptr<CSwfShape>> glyphs;
  std::vector<u32> offsets;
  u64 offset = 2 * u64(count);
  for (size_t i = 0; i < count; ++i) {
    CSwfRect bounds;
    std::unique_ptr<CSwfShape> shape = BuildGlyphShape(scratch, font, chars[i], bounds);
    if (i == 0) offsets.push_back(u32(offset));
    if (i + 1 < count) {
      CSwfBitWriter sized(4);
      shape->Write(sized);
      sized.FlushBits();
      offset += sized.GetByteCount();
      if (offset > 0xFFFF) return nullptr;
      offsets.push_back(u32(offset));
    }
    glyphs.push_back(std::move(shape));
  }
  auto tag = std::make_unique<CSwfDefineFont>();
  if (!tag->Set(offsets, std::move(glyphs), fontId, false)) return nullptr;
  return tag.release();
}

CSwfDefineShape* CreateDefineShape(u16 id) {
  auto shape = std::make_unique<CSwfDefineShape>();
  shape->SetCharacterId(id);
  return shape.release();
}
