#include "swf/swf_shape_tags.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_resource_movies.h"

namespace {

s32 Clamped(s64 value) { return s32(std::clamp<s64>(value, INT32_MIN, INT32_MAX)); }

std::unique_ptr<CSwfRect> NewBounds(s64 xMin, s64 yMin, s64 xMax, s64 yMax) {
  auto bounds = std::make_unique<CSwfRect>();
  bounds->Set(Clamped(xMin), Clamped(yMin), Clamped(xMax), Clamped(yMax), false);
  return bounds;
}

}  // namespace

u32 CSwfDefineShape::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  SetCharacterId(reader.ReadU16());
  m_bounds = std::make_unique<CSwfRect>();
  m_bounds->Read(reader);
  m_shape = std::make_unique<CSwfShapeWithStyle>(GetCode() == kSwfDefineShape3Code ? 1 : 0);
  m_shape->extendedStyleCounts = GetCode() != kSwfDefineShapeCode;
  m_shape->Read(reader);
  return reader.GetPosition() - start;
}

u32 CSwfDefineShape::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  CSwfRect empty;
  (m_bounds ? *m_bounds : empty).Write(body);
  CSwfShapeWithStyle none;
  CSwfShapeWithStyle& shape = m_shape ? *m_shape : none;
  shape.alpha = GetCode() == kSwfDefineShape3Code ? 1 : 0;
  shape.extendedStyleCounts = GetCode() != kSwfDefineShapeCode;
  if (shape.Write(body) == 0) return 0;  // refused: a value fits no field
  body.FlushBits();
  return writer.WriteTag(*this, body);
}

void CSwfDefineShape::Reset() {
  Clear();
  m_characterId = 0;
}

void CSwfDefineShape::Clear() {
  m_shape.reset();
  m_bounds.reset();
}

void CSwfDefineShape::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
  if (m_shape) m_shape->OffsetBitmapIds(idDelta);
}

void CSwfDefineShape::CopyFrom(const CSwfDefineShape& other) {
  if (&other == this) return;
  m_characterId = other.m_characterId;
  m_bounds = other.m_bounds ? std::make_unique<CSwfRect>(*other.m_bounds) : nullptr;
  m_shape = other.m_shape ? std::make_unique<CSwfShapeWithStyle>(*other.m_shape) : nullptr;
}

void CSwfDefineShape::SetShape(CSwfShapeWithStyle* shape) {
  if (shape != m_shape.get()) m_shape.reset(shape);
}

void CSwfDefineShape::SetBounds(CSwfRect* bounds) {
  if (bounds != m_bounds.get()) m_bounds.reset(bounds);
}

CSwfShapeWithStyle* CSwfDefineShape::NewFigure(CSwfFillStyle* fill, CSwfLineStyle* line) {
  const u8 alpha = GetCode() == kSwfDefineShape3Code ? 1 : 0;
  m_shape = std::make_unique<CSwfShapeWithStyle>(alpha);
  CSwfShapeWithStyle* shape = m_shape.get();
  shape->extendedStyleCounts = GetCode() != kSwfDefineShapeCode;
  shape->fillStyles = std::make_unique<CSwfFillStyleArray>(alpha);
  shape->lineStyles = std::make_unique<CSwfLineStyleArray>(alpha);
  if (fill) shape->fillStyles->Add(fill);
  if (line) shape->lineStyles->Add(line);
  shape->SetBits(15, 15);
  return shape;
}

void CSwfDefineShape::SetRectangle(s32 x, s32 y, s32 width, s32 height, CSwfFillStyle* fill,
                                   CSwfLineStyle* line) {
  m_bounds = NewBounds(x, y, s64(x) + width, s64(y) + height);
  CSwfShapeWithStyle* shape = NewFigure(fill, line);
  auto start = std::make_unique<CSwfStyleChangeRecord>(x, y, shape);
  start->SetFillStyle(fill ? 1 : 0, 1);
  start->SetLineStyle(line ? 1 : 0);
  start->UpdateFlags();
  start->flags |= kSwfStateMoveTo;  // the pen starts at (x, y) even when that is the origin
  shape->AddRecord(std::move(start));
  shape->AddLineX(width);
  shape->AddLineY(height);
  shape->AddLineX(Clamped(-s64(width)));
  shape->AddLineY(Clamped(-s64(height)));
  shape->AddRecord(std::make_unique<CSwfEndShapeRecord>());
}

void CSwfDefineShape::SetCircle(s32 radius, CSwfFillStyle* fill, CSwfLineStyle* line) {
  const s32 r = std::max(radius, -INT32_MAX);
  m_bounds = NewBounds(-s64(r), -s64(r), r, r);
  CSwfShapeWithStyle* shape = NewFigure(fill, line);
  auto start = std::make_unique<CSwfStyleChangeRecord>(0, r, shape);
  start->SetFillStyle(fill ? 1 : 0, 1);
  start->SetLineStyle(line ? 1 : 0);
  start->UpdateFlags();
  start->flags |= kSwfStateMoveTo;
  shape->AddRecord(std::move(start));
  shape->AddCurve(-r, 0, 0, -r);
  shape->AddCurve(0, -r, r, 0);
  shape->AddCurve(r, 0, 0, r);
  shape->AddCurve(0, r, -r, 0);
  shape->AddRecord(std::make_unique<CSwfEndShapeRecord>());
}

void CSwfDefineShape::SetLine(s32 width, s32 height, CSwfFillStyle* fill, CSwfLineStyle* line) {
  const s64 halfX = width < 1 ? 40 : width;
  const s64 halfY = height <= 0 ? 40 : height;
  m_bounds = NewBounds(-halfX, -halfY, halfX, halfY);
  CSwfShapeWithStyle* shape = NewFigure(fill, line);
  auto start = std::make_unique<CSwfStyleChangeRecord>(Clamped(-s64(width >> 1)), 0, shape);
  if (fill) {
    start->SetFillStyle(1, 0);
    start->SetFillStyle(1, 1);
  }
  start->SetLineStyle(line ? 1 : 0);
  start->UpdateFlags();
  start->flags |= kSwfStateMoveTo;
  shape->AddRecord(std::move(start));
  if (width != 0 && height != 0) {
    shape->AddLine(width, height);
  } else if (height == 0) {
    shape->AddLineX(width);
  } else {
    shape->AddLineY(height);
  }
  shape->AddRecord(std::make_unique<CSwfEndShapeRecord>());
}

CSwfDefineShape* LoadShapeFromResource(ResID id) {
  std::unique_ptr<CSwfTag> shape = TakeTagFromResourceMovie(
      FourCC("xDAS"), id, {kSwfDefineShapeCode, kSwfDefineShape2Code, kSwfDefineShape3Code});
  return static_cast<CSwfDefineShape*>(shape.release());
}
