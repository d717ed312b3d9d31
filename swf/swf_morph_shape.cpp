#include "swf/swf_morph_shape.h"

#include <algorithm>
#include <cmath>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// Sides longer than this are split (as the shape builders split edges).
constexpr u64 kSidePiece = 60000;

template <typename Record>
std::unique_ptr<Record> CopyOf(const std::unique_ptr<Record>& record) {
  return record ? std::make_unique<Record>(*record) : nullptr;
}

std::unique_ptr<CSwfRgba> ReadRgba(CSwfReader& reader) {
  auto color = std::make_unique<CSwfRgba>(0, 0, 0, 255);
  color->Read(reader);
  return color;
}

std::unique_ptr<CSwfMatrix> ReadMatrix(CSwfReader& reader) {
  auto matrix = std::make_unique<CSwfMatrix>();
  matrix->Read(reader);
  reader.AlignByte();
  return matrix;
}

void WriteRgba(CSwfBitWriter& writer, const std::unique_ptr<CSwfRgba>& color) {
  WriteSwfColor(writer, color.get(), true);
}

void WriteMatrix(CSwfBitWriter& writer, const std::unique_ptr<CSwfMatrix>& matrix) {
  CSwfMatrix identity;
  (matrix ? *matrix : identity).Write(writer);
  writer.FlushBits();
}

std::unique_ptr<CSwfRgba> OpaqueColor(u32 color) {
  return std::make_unique<CSwfRgba>(u8(color), u8(color >> 8), u8(color >> 16), 255);
}

s32 Clamped(s64 value) { return s32(std::clamp<s64>(value, INT32_MIN, INT32_MAX)); }

u32 PiecesFor(s32 length) {
  const u64 span = u64(std::llabs(s64(length)));
  return u32(std::max<u64>(1, (span + kSidePiece - 1) / kSidePiece));
}

// One side of `length` along x or y in `pieces` edges, ending exactly on it.
void AddSide(CSwfShape& shape, s32 length, bool alongX, u32 pieces) {
  s64 last = 0;
  for (u32 i = 1; i <= pieces; ++i) {
    const s64 at = std::llround(double(length) * double(i) / double(pieces));
    const s32 delta = s32(at - last);
    shape.AddRecord(alongX ? std::make_unique<CSwfStraightEdgeRecord>(delta, 0, kSwfHorizontalLine)
                           : std::make_unique<CSwfStraightEdgeRecord>(0, delta, kSwfVerticalLine));
    last = at;
  }
}

}  // namespace

// ---- gradient ----

CSwfMorphGradRecord::CSwfMorphGradRecord(const CSwfMorphGradRecord& other)
    : CSwfRecord(),
      startRatio(other.startRatio),
      startColor(CopyOf(other.startColor)),
      endRatio(other.endRatio),
      endColor(CopyOf(other.endColor)) {}

u32 CSwfMorphGradRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  startRatio = reader.ReadU8();
  startColor = ReadRgba(reader);
  endRatio = reader.ReadU8();
  endColor = ReadRgba(reader);
  return reader.GetPosition() - start;
}

u32 CSwfMorphGradRecord::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.WriteU8(startRatio);
  WriteRgba(writer, startColor);
  writer.WriteU8(endRatio);
  WriteRgba(writer, endColor);
  return writer.GetByteCount() - before;
}

CSwfMorphGradient::CSwfMorphGradient(const CSwfMorphGradient& other) : CSwfRecord() {
  for (const auto& record : other.m_records)
    m_records.push_back(std::make_unique<CSwfMorphGradRecord>(*record));
}

u32 CSwfMorphGradient::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  const u8 count = reader.ReadU8();
  for (u32 i = 0; i < count && reader.HoldsMoreRecords(); ++i) {
    auto record = std::make_unique<CSwfMorphGradRecord>();
    record->Read(reader);
    EmplaceCharged(m_records, std::move(record));
  }
  return reader.GetPosition() - start;
}

u32 CSwfMorphGradient::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.WriteU8(u8(m_records.size()));
  for (const auto& record : m_records) record->Write(writer);
  return writer.GetByteCount() - before;
}

bool CSwfMorphGradient::AddRecord(CSwfMorphGradRecord* record) {
  std::unique_ptr<CSwfMorphGradRecord> owned(record);
  if (!owned || m_records.size() >= kMaxRecords) return false;
  m_records.push_back(std::move(owned));
  return true;
}

// ---- styles ----

CSwfMorphFillStyle::CSwfMorphFillStyle(u32 fromColor, u32 toColor)
    : startColor(OpaqueColor(fromColor)), endColor(OpaqueColor(toColor)) {}

CSwfMorphFillStyle::CSwfMorphFillStyle(const CSwfMorphFillStyle& other)
    : CSwfRecord(),
      type(other.type),
      startColor(CopyOf(other.startColor)),
      endColor(CopyOf(other.endColor)),
      gradient(CopyOf(other.gradient)),
      startMatrix(CopyOf(other.startMatrix)),
      endMatrix(CopyOf(other.endMatrix)),
      bitmapId(other.bitmapId) {}

u32 CSwfMorphFillStyle::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  startColor.reset();
  endColor.reset();
  gradient.reset();
  startMatrix.reset();
  endMatrix.reset();
  bitmapId = 0;
  type = reader.ReadU8();
  if (type == kSwfSolidFill) {
    startColor = ReadRgba(reader);
    endColor = ReadRgba(reader);
  } else if (IsSwfGradientFill(type)) {
    startMatrix = ReadMatrix(reader);
    endMatrix = ReadMatrix(reader);
    gradient = std::make_unique<CSwfMorphGradient>();
    gradient->Read(reader);
  } else if (IsSwfBitmapFill(type)) {
    bitmapId = reader.ReadU16();
    startMatrix = ReadMatrix(reader);
    endMatrix = ReadMatrix(reader);
  } else {
    // A kind whose fields are unknown: what follows cannot be read.
    reader.SetBodyDisagrees();
  }
  return reader.GetPosition() - start;
}

u32 CSwfMorphFillStyle::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.WriteU8(type);
  if (type == kSwfSolidFill) {
    WriteRgba(writer, startColor);
    WriteRgba(writer, endColor);
  } else if (IsSwfGradientFill(type)) {
    WriteMatrix(writer, startMatrix);
    WriteMatrix(writer, endMatrix);
    CSwfMorphGradient empty;
    (gradient ? *gradient : empty).Write(writer);
  } else if (IsSwfBitmapFill(type)) {
    writer.WriteU16(bitmapId);
    WriteMatrix(writer, startMatrix);
    WriteMatrix(writer, endMatrix);
  }
  return writer.GetByteCount() - before;
}

CSwfMorphLineStyle::CSwfMorphLineStyle(const CSwfMorphLineStyle& other)
    : CSwfRecord(),
      startWidth(other.startWidth),
      endWidth(other.endWidth),
      startColor(CopyOf(other.startColor)),
      endColor(CopyOf(other.endColor)) {}

u32 CSwfMorphLineStyle::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  startWidth = reader.ReadU16();
  endWidth = reader.ReadU16();
  startColor = ReadRgba(reader);
  endColor = ReadRgba(reader);
  return reader.GetPosition() - start;
}

u32 CSwfMorphLineStyle::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.WriteU16(startWidth);
  writer.WriteU16(endWidth);
  WriteRgba(writer, startColor);
  WriteRgba(writer, endColor);
  return writer.GetByteCount() - before;
}

template <typename Style>
CSwfMorphStyleArray<Style>::CSwfMorphStyleArray(const CSwfMorphStyleArray& other) : CSwfRecord() {
  for (const auto& style : other.styles) styles.push_back(std::make_unique<Style>(*style));
}

template <typename Style>
u32 CSwfMorphStyleArray<Style>::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  styles.clear();
  u32 count = reader.ReadU8();
  if (count == 0xFF) count = reader.ReadU16();
  for (u32 i = 0; i < count && reader.HoldsMoreRecords(); ++i) {
    auto style = std::make_unique<Style>();
    style->Read(reader);
    EmplaceCharged(styles, std::move(style));
  }
  return reader.GetPosition() - start;
}

template <typename Style>
u16 CSwfMorphStyleArray<Style>::GetCount() const {
  return u16(std::min(styles.size(), kMaxCount));
}

template <typename Style>
u32 CSwfMorphStyleArray<Style>::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  const u16 count = GetCount();
  if (count < 255) {
    writer.WriteU8(u8(count));
  } else {
    writer.WriteU8(0xFF);
    writer.WriteU16(count);
  }
  for (u32 i = 0; i < count; ++i) styles[i]->Write(writer);
  return writer.GetByteCount() - before;
}

template class CSwfMorphStyleArray<CSwfMorphFillStyle>;
template class CSwfMorphStyleArray<CSwfMorphLineStyle>;

// ---- the tag ----

void CSwfDefineMorphShape::Clear() {
  m_startBounds.reset();
  m_endBounds.reset();
  m_offset = 0;
  m_fillStyles.reset();
  m_lineStyles.reset();
  m_startEdges.reset();
  m_endEdges.reset();
  m_startRectangle.reset();
  m_endRectangle.reset();
}

void CSwfDefineMorphShape::Reset() {
  Clear();
  m_characterId = 0;
}

u32 CSwfDefineMorphShape::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  SetCharacterId(reader.ReadU16());
  m_startBounds = std::make_unique<CSwfRect>();
  m_startBounds->Read(reader);
  m_endBounds = std::make_unique<CSwfRect>();
  m_endBounds->Read(reader);
  m_offset = reader.ReadU32();
  // The end edges lie where the offset points, counted from behind it: at
  // the end of the start part (styles and start edges, read to their end
  // record), or further on inside the body (bytes between are padding). An
  // offset back into the start part, or at or past the end of the body,
  // disagrees with the body.
  const u64 endEdges = u64(reader.GetPosition()) + m_offset;
  const u32 end = reader.GetWindowEnd();
  m_fillStyles = std::make_unique<CSwfMorphFillStyleArray>();
  m_fillStyles->Read(reader);
  m_lineStyles = std::make_unique<CSwfMorphLineStyleArray>();
  m_lineStyles->Read(reader);
  m_startEdges = std::make_unique<CSwfShape>(1);
  m_startEdges->Read(reader);
  if (endEdges != reader.GetPosition() && (endEdges < reader.GetPosition() || endEdges >= end)) {
    reader.SetBodyDisagrees();
    return reader.GetPosition() - start;
  }
  reader.Seek(u32(endEdges));
  m_endEdges = std::make_unique<CSwfShape>(1);
  m_endEdges->Read(reader);
  return reader.GetPosition() - start;
}

bool CSwfDefineMorphShape::CanWrite() const {
  return (!m_fillStyles || m_fillStyles->CanWrite()) && (!m_lineStyles || m_lineStyles->CanWrite()) &&
         (!m_startEdges || m_startEdges->CanWrite()) && (!m_endEdges || m_endEdges->CanWrite());
}

u32 CSwfDefineMorphShape::Write(CSwfBitWriter& writer) {
  if ((m_fillStyles && !m_fillStyles->CanWrite()) || (m_lineStyles && !m_lineStyles->CanWrite()))
    return 0;
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  CSwfRect empty;
  (m_startBounds ? *m_startBounds : empty).Write(body);
  (m_endBounds ? *m_endBounds : empty).Write(body);

  CSwfBitWriter startPart(writer.GetVersion());
  CSwfMorphFillStyleArray noFills;
  CSwfMorphLineStyleArray noLines;
  (m_fillStyles ? *m_fillStyles : noFills).Write(startPart);
  (m_lineStyles ? *m_lineStyles : noLines).Write(startPart);
  CSwfShape noEdges(1);
  CSwfShape& startEdges = m_startEdges ? *m_startEdges : noEdges;
  startEdges.alpha = 1;
  if (startEdges.Write(startPart) == 0) return 0;  // refused: a value fits no field
  startPart.FlushBits();

  body.WriteU32(startPart.GetByteCount());
  body.AppendWriter(startPart);
  CSwfShape& endEdges = m_endEdges ? *m_endEdges : noEdges;
  endEdges.alpha = 1;
  if (endEdges.Write(body) == 0) return 0;
  body.FlushBits();
  return writer.WriteTag(*this, body);
}

void CSwfDefineMorphShape::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
  if (m_fillStyles) {
    for (const auto& style : m_fillStyles->styles) {
      if (IsSwfBitmapFill(style->type) && style->bitmapId < kSwfNoBitmap)
        style->bitmapId = u16(style->bitmapId + idDelta);
    }
  }
  if (m_startEdges) m_startEdges->OffsetBitmapIds(idDelta);
  if (m_endEdges) m_endEdges->OffsetBitmapIds(idDelta);
}

void CSwfDefineMorphShape::SetStartBounds(CSwfRect* bounds) {
  if (bounds != m_startBounds.get()) m_startBounds.reset(bounds);
}

void CSwfDefineMorphShape::SetEndBounds(CSwfRect* bounds) {
  if (bounds != m_endBounds.get()) m_endBounds.reset(bounds);
}

void CSwfDefineMorphShape::SetStartEdges(CSwfShape* edges) {
  if (edges == m_startEdges.get()) return;
  m_startEdges.reset(edges);
  m_startRectangle.reset();
}

void CSwfDefineMorphShape::SetEndEdges(CSwfShape* edges) {
  if (edges == m_endEdges.get()) return;
  m_endEdges.reset(edges);
  m_endRectangle.reset();
}

void CSwfDefineMorphShape::SetFillStyles(CSwfMorphFillStyleArray* styles) {
  if (styles != m_fillStyles.get()) m_fillStyles.reset(styles);
}

void CSwfDefineMorphShape::SetLineStyles(CSwfMorphLineStyleArray* styles) {
  if (styles != m_lineStyles.get()) m_lineStyles.reset(styles);
}

void CSwfDefineMorphShape::BuildRectangle(const Rectangle& figure, bool isStart,
                                          const u32 (&pieces)[4]) {
  auto edges = std::make_unique<CSwfShape>(1);
  edges->SetFillBits(1);
  edges->SetLineBits(1);
  auto move = std::make_unique<CSwfStyleChangeRecord>(figure.x, figure.y, edges.get());
  if (figure.fill) move->SetFillStyle(1, 1);
  if (figure.line) move->SetLineStyle(1);
  move->SetFlags(u8(kSwfStateMoveTo | (figure.fill ? kSwfStateFillStyle1 : 0) |
                    (figure.line ? kSwfStateLineStyle : 0)));
  edges->AddRecord(std::move(move));
  AddSide(*edges, figure.width, true, pieces[0]);
  AddSide(*edges, figure.height, false, pieces[1]);
  AddSide(*edges, Clamped(-s64(figure.width)), true, pieces[2]);
  AddSide(*edges, Clamped(-s64(figure.height)), false, pieces[3]);
  edges->AddRecord(std::make_unique<CSwfEndShapeRecord>());
  if (isStart) {
    m_startEdges = std::move(edges);
    m_startRectangle = figure;
  } else {
    m_endEdges = std::move(edges);
    m_endRectangle = figure;
  }
}

void CSwfDefineMorphShape::SetRectangle(s32 x, s32 y, s32 width, s32 height,
                                        CSwfMorphFillStyle* fill, CSwfMorphLineStyle* line,
                                        bool isStart) {
  std::unique_ptr<CSwfMorphFillStyle> fillStyle(fill);
  std::unique_ptr<CSwfMorphLineStyle> lineStyle(line);
  auto bounds = std::make_unique<CSwfRect>();
  bounds->Set(x, y, Clamped(s64(x) + width), Clamped(s64(y) + height), false);
  const Rectangle figure{x, y, width, height, fill != nullptr, line != nullptr};
  if (isStart) {
    m_startBounds = std::move(bounds);
    if (!m_fillStyles) m_fillStyles = std::make_unique<CSwfMorphFillStyleArray>();
    if (!m_lineStyles) m_lineStyles = std::make_unique<CSwfMorphLineStyleArray>();
    if (fillStyle) m_fillStyles->Add(fillStyle.release());
    if (lineStyle) m_lineStyles->Add(lineStyle.release());
  } else {
    m_endBounds = std::move(bounds);
  }
  // Each side in as many pieces as the longer of its two states needs.
  const std::optional<Rectangle> other = isStart ? m_endRectangle : m_startRectangle;
  u32 pieces[4];
  for (int side = 0; side < 4; ++side) {
    const bool alongX = side % 2 == 0;
    pieces[side] = PiecesFor(alongX ? width : height);
    if (other) pieces[side] = std::max(pieces[side], PiecesFor(alongX ? other->width : other->height));
  }
  BuildRectangle(figure, isStart, pieces);
  if (other) BuildRectangle(*other, !isStart, pieces);
}
