#include "swf/swf_shape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// Edges are split into pieces of at most this many twips along each axis,
// which leaves room for the rounding of split curves below the 17-bit limit.
constexpr s64 kEdgePiece = 60000;

u32 Magnitude(s32 value) { return value < 0 ? 0u - u32(value) : u32(value); }

bool FitsSigned(s64 value, u32 bits) {
  if (bits >= 64) return true;
  const s64 high = (s64(1) << (bits - 1)) - 1;
  return value >= -high - 1 && value <= high;
}

// The width of signed fields sharing one width field by the bit-count rule,
// at most maxBits (a value such as -65536 needs 18 bits by that rule but
// fits 17 exactly; CanWrite refuses values that fit no width).
u32 SignedWidth(std::initializer_list<s32> values, u32 maxBits) {
  u32 largest = 0;
  for (s32 value : values) largest = std::max(largest, Magnitude(value));
  return std::min(CountBitsNeeded(largest, true), maxBits);
}

// The width of a style index field that must hold `value`.
u32 IndexWidth(u32 value) { return std::min(CountBitsNeeded(value, false), kSwfMaxStyleIndexBits); }

void WriteSigned(CSwfBitWriter& writer, s32 value, u32 bits) { writer.WriteBits(u32(value), bits); }

// Bits left in the reader's window.
u64 BitsLeft(const CSwfReader& reader) {
  return u64(reader.GetRemaining()) * 8 - reader.GetBitPosition();
}

// Bytes read since `start`, a partly read last byte counted.
u32 ConsumedSince(const CSwfReader& reader, u32 start) {
  return reader.GetPosition() - start + (reader.GetBitPosition() ? 1 : 0);
}

template <typename Array>
bool ArrayFits(const std::unique_ptr<Array>& array, u8 extended) {
  if (!array) return true;
  return array->styles.size() <= (extended ? Array::kMaxExtendedCount : Array::kMaxShortCount);
}

template <typename Array>
u32 CountWidth(const std::unique_ptr<Array>& array, u8 extended) {
  if (!array) return 0;
  const size_t limit = extended ? Array::kMaxExtendedCount : Array::kMaxShortCount;
  return IndexWidth(u32(std::min(array->styles.size(), limit)));
}

}  // namespace

// ---- style change ----

CSwfStyleChangeRecord::CSwfStyleChangeRecord(u8 stateFlags, CSwfShape* owner)
    : shape(owner), flags(stateFlags) {
  if (shape) alpha = shape->alpha;
}

CSwfStyleChangeRecord::CSwfStyleChangeRecord(s32 moveX, s32 moveY, CSwfShape* owner) {
  Init(moveX, moveY, owner);
}

CSwfStyleChangeRecord::CSwfStyleChangeRecord(const CSwfStyleChangeRecord& other)
    : CSwfShapeRecord(other),
      moveDeltaX(other.moveDeltaX),
      moveDeltaY(other.moveDeltaY),
      fillStyle0(other.fillStyle0),
      fillStyle1(other.fillStyle1),
      lineStyle(other.lineStyle),
      numFillBits(other.numFillBits),
      numLineBits(other.numLineBits),
      newFillBits(other.newFillBits),
      newLineBits(other.newLineBits),
      shape(other.shape),
      fillStyles(CopySwfRecord(other.fillStyles)),
      lineStyles(CopySwfRecord(other.lineStyles)),
      flags(other.flags) {}

std::unique_ptr<CSwfShapeRecord> CSwfStyleChangeRecord::Clone() const {
  auto copy = std::make_unique<CSwfStyleChangeRecord>(*this);
  copy->shape = nullptr;
  return copy;
}

void CSwfStyleChangeRecord::Init(s32 moveX, s32 moveY, CSwfShape* owner) {
  moveDeltaX = moveX;
  moveDeltaY = moveY;
  shape = owner;
  if (shape) {
    alpha = shape->alpha;
    numFillBits = shape->currentFillBits;
    numLineBits = shape->currentLineBits;
  }
  fillStyle0 = fillStyle1 = lineStyle = 0;
  fillStyles.reset();
  lineStyles.reset();
}

void CSwfStyleChangeRecord::SetFillStyle(u16 index, int side) {
  if (side != 0) {
    fillStyle1 = index;
  } else {
    fillStyle0 = index;
  }
}

void CSwfStyleChangeRecord::UpdateFlags() {
  flags = 0;
  if (fillStyles || lineStyles) flags |= kSwfStateNewStyles;
  if (lineStyle != 0) flags |= kSwfStateLineStyle;
  if (fillStyle1 != 0) flags |= kSwfStateFillStyle1;
  if (fillStyle0 != 0) flags |= kSwfStateFillStyle0;
  if (moveDeltaX != 0 || moveDeltaY != 0) flags |= kSwfStateMoveTo;
}

u32 CSwfStyleChangeRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  const u16 fillBits = shape ? shape->currentFillBits : 15;
  const u16 lineBits = shape ? shape->currentLineBits : 15;
  const u8 colors = shape ? shape->alpha : 1;
  alpha = colors;
  numFillBits = fillBits;
  numLineBits = lineBits;
  moveDeltaX = moveDeltaY = 0;
  fillStyle0 = fillStyle1 = lineStyle = 0;
  fillStyles.reset();
  lineStyles.reset();
  if (flags & kSwfStateMoveTo) {
    const u16 bits = u16(reader.ReadBits(5, false));
    moveDeltaX = s32(reader.ReadBits(bits, true));
    moveDeltaY = s32(reader.ReadBits(bits, true));
  }
  if (flags & kSwfStateFillStyle0) fillStyle0 = u16(reader.ReadBits(fillBits, false));
  if (flags & kSwfStateFillStyle1) fillStyle1 = u16(reader.ReadBits(fillBits, false));
  if (flags & kSwfStateLineStyle) lineStyle = u16(reader.ReadBits(lineBits, false));
  if (flags & kSwfStateNewStyles) {
    const u8 extended = shape ? shape->extendedStyleCounts : 1;
    fillStyles = std::make_unique<CSwfFillStyleArray>(colors);
    fillStyles->extendedCount = extended;
    fillStyles->Read(reader);
    lineStyles = std::make_unique<CSwfLineStyleArray>(colors);
    lineStyles->extendedCount = extended;
    lineStyles->Read(reader);
    newFillBits = u16(reader.ReadBits(4, false));
    newLineBits = u16(reader.ReadBits(4, false));
    if (shape) {
      shape->currentFillBits = u8(newFillBits);
      shape->currentLineBits = u8(newLineBits);
    }
  }
  return ConsumedSince(reader, start);
}

u32 CSwfStyleChangeRecord::NewStylesFillBits() const {
  return CountWidth(fillStyles, fillStyles ? fillStyles->extendedCount : 1);
}

u32 CSwfStyleChangeRecord::NewStylesLineBits() const {
  return CountWidth(lineStyles, lineStyles ? lineStyles->extendedCount : 1);
}

bool CSwfStyleChangeRecord::CanWrite() const {
  if ((flags & kSwfStateMoveTo) &&
      (!FitsSigned(moveDeltaX, kSwfMaxMoveBits) || !FitsSigned(moveDeltaY, kSwfMaxMoveBits)))
    return false;
  for (u16 index : {fillStyle0, fillStyle1, lineStyle}) {
    if (CountBitsNeeded(index, false) > kSwfMaxStyleIndexBits) return false;
  }
  if (!(flags & kSwfStateNewStyles)) return true;
  return (!fillStyles || fillStyles->CanWrite()) && (!lineStyles || lineStyles->CanWrite());
}

u32 CSwfStyleChangeRecord::Write(CSwfBitWriter& writer) {
  u32 fillBits = numFillBits;
  u32 lineBits = numLineBits;
  u8 colors = alpha;
  u8 extended = 1;
  if (shape) {
    fillBits = shape->currentFillBits;
    lineBits = shape->currentLineBits;
    colors = shape->alpha;
    extended = shape->extendedStyleCounts;
  }
  if (flags == 0 || !CanWrite()) return 0;
  const u32 written = WriteWithBits(writer, fillBits, lineBits, 0, 0, colors, extended);
  if (shape && (flags & kSwfStateNewStyles)) {
    shape->currentFillBits = u8(newFillBits);
    shape->currentLineBits = u8(newLineBits);
  }
  return written;
}

u32 CSwfStyleChangeRecord::WriteWithBits(CSwfBitWriter& writer, u32 fillBits, u32 lineBits,
                                         u32 newFill, u32 newLine, u8 alphaColors,
                                         u8 extendedCounts) {
  const u32 before = writer.GetByteCount();
  alpha = alphaColors;
  numFillBits = u16(fillBits);
  numLineBits = u16(lineBits);
  writer.WriteBits(flags & 0x1F, 6);
  if (flags & kSwfStateMoveTo) {
    const u32 bits = SignedWidth({moveDeltaX, moveDeltaY}, kSwfMaxMoveBits);
    writer.WriteBits(bits, 5);
    WriteSigned(writer, moveDeltaX, bits);
    WriteSigned(writer, moveDeltaY, bits);
  }
  if (flags & kSwfStateFillStyle0) writer.WriteBits(fillStyle0, fillBits);
  if (flags & kSwfStateFillStyle1) writer.WriteBits(fillStyle1, fillBits);
  if (flags & kSwfStateLineStyle) writer.WriteBits(lineStyle, lineBits);
  if (flags & kSwfStateNewStyles) {
    if (fillStyles) {
      fillStyles->alpha = alphaColors;
      fillStyles->extendedCount = extendedCounts;
      fillStyles->Write(writer);
    } else {
      writer.WriteU8(0);
    }
    if (lineStyles) {
      lineStyles->alpha = alphaColors;
      lineStyles->extendedCount = extendedCounts;
      lineStyles->Write(writer);
    } else {
      writer.WriteU8(0);
    }
    newFillBits = u16(std::max(newFill, NewStylesFillBits()));
    newLineBits = u16(std::max(newLine, NewStylesLineBits()));
    writer.WriteBits(newFillBits, 4);
    writer.WriteBits(newLineBits, 4);
  }
  return writer.GetByteCount() - before;
}

// ---- edges ----

u32 CSwfStraightEdgeRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  numBitsField = reader.ReadBits(4, false);
  const u16 bits = u16(numBitsField + 2);
  deltaX = deltaY = 0;
  if (reader.ReadBits(1, false)) {
    lineKind = kSwfGeneralLine;
    deltaX = s32(reader.ReadBits(bits, true));
    deltaY = s32(reader.ReadBits(bits, true));
  } else if (reader.ReadBits(1, false)) {
    lineKind = kSwfVerticalLine;
    deltaY = s32(reader.ReadBits(bits, true));
  } else {
    lineKind = kSwfHorizontalLine;
    deltaX = s32(reader.ReadBits(bits, true));
  }
  return ConsumedSince(reader, start);
}

bool CSwfStraightEdgeRecord::CanWrite() const {
  const bool x = lineKind != kSwfVerticalLine;
  const bool y = lineKind != kSwfHorizontalLine;
  return (!x || FitsSigned(deltaX, kSwfMaxEdgeBits)) && (!y || FitsSigned(deltaY, kSwfMaxEdgeBits));
}

u32 CSwfStraightEdgeRecord::Write(CSwfBitWriter& writer) {
  if (!CanWrite()) return 0;
  const u32 before = writer.GetByteCount();
  const u32 bits = std::max(2u, SignedWidth({deltaX, deltaY}, kSwfMaxEdgeBits));
  writer.WriteBits(3, 2);
  writer.WriteBits(bits - 2, 4);
  if (lineKind == kSwfHorizontalLine) {
    writer.WriteBits(0, 2);
    WriteSigned(writer, deltaX, bits);
  } else if (lineKind == kSwfVerticalLine) {
    writer.WriteBits(1, 2);
    WriteSigned(writer, deltaY, bits);
  } else {
    writer.WriteBits(1, 1);
    WriteSigned(writer, deltaX, bits);
    WriteSigned(writer, deltaY, bits);
  }
  return writer.GetByteCount() - before;
}

std::unique_ptr<CSwfShapeRecord> CSwfStraightEdgeRecord::Clone() const {
  return std::make_unique<CSwfStraightEdgeRecord>(*this);
}

u32 CSwfCurvedEdgeRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  numBitsField = reader.ReadBits(4, false);
  const u16 bits = u16(numBitsField + 2);
  controlDeltaX = s32(reader.ReadBits(bits, true));
  controlDeltaY = s32(reader.ReadBits(bits, true));
  anchorDeltaX = s32(reader.ReadBits(bits, true));
  anchorDeltaY = s32(reader.ReadBits(bits, true));
  return ConsumedSince(reader, start);
}

bool CSwfCurvedEdgeRecord::CanWrite() const {
  for (s32 value : {controlDeltaX, controlDeltaY, anchorDeltaX, anchorDeltaY}) {
    if (!FitsSigned(value, kSwfMaxEdgeBits)) return false;
  }
  return true;
}

u32 CSwfCurvedEdgeRecord::Write(CSwfBitWriter& writer) {
  if (!CanWrite()) return 0;
  const u32 before = writer.GetByteCount();
  const u32 bits = std::max(
      2u, SignedWidth({controlDeltaX, controlDeltaY, anchorDeltaX, anchorDeltaY}, kSwfMaxEdgeBits));
  writer.WriteBits(2, 2);
  writer.WriteBits(bits - 2, 4);
  for (s32 value : {controlDeltaX, controlDeltaY, anchorDeltaX, anchorDeltaY})
    WriteSigned(writer, value, bits);
  return writer.GetByteCount() - before;
}

std::unique_ptr<CSwfShapeRecord> CSwfCurvedEdgeRecord::Clone() const {
  return std::make_unique<CSwfCurvedEdgeRecord>(*this);
}

u32 CSwfEndShapeRecord::Write(CSwfBitWriter& writer) {
  const u32 before = writer.GetByteCount();
  writer.WriteBits(0, 6);
  return writer.GetByteCount() - before;
}

std::unique_ptr<CSwfShapeRecord> CSwfEndShapeRecord::Clone() const {
  return std::make_unique<CSwfEndShapeRecord>(*this);
}

// ---- shape ----

CSwfShape::CSwfShape(const CSwfShape& other)
    : CSwfRecord(),
      fillBits(other.fillBits),
      lineBits(other.lineBits),
      alpha(other.alpha),
      extendedStyleCounts(other.extendedStyleCounts),
      currentFillBits(other.currentFillBits),
      currentLineBits(other.currentLineBits) {
  CopyRecords(other);
}

void CSwfShape::SetBits(u8 fill, u8 line) {
  fillBits = currentFillBits = fill;
  lineBits = currentLineBits = line;
}

void CSwfShape::Clear() { records.clear(); }

void CSwfShape::CopyRecords(const CSwfShape& other) {
  if (&other == this) return;
  records.clear();
  for (const auto& record : other.records) {
    std::unique_ptr<CSwfShapeRecord> copy = record->Clone();
    if (auto* change = dynamic_cast<CSwfStyleChangeRecord*>(copy.get())) change->shape = this;
    records.push_back(std::move(copy));
  }
}

void CSwfShape::AddRecord(CSwfShapeRecord* record) { AddRecord(std::unique_ptr<CSwfShapeRecord>(record)); }

void CSwfShape::AddRecord(std::unique_ptr<CSwfShapeRecord> record) {
  if (!record) return;
  record->alpha = alpha;
  if (auto* change = dynamic_cast<CSwfStyleChangeRecord*>(record.get())) change->shape = this;
  records.push_back(std::move(record));
}

void CSwfShape::AddLinePieces(s32 dx, s32 dy, u8 kind) {
  const s64 span = std::max(std::llabs(dx), std::llabs(dy));
  const s64 pieces = std::max<s64>(1, (span + kEdgePiece - 1) / kEdgePiece);
  s64 lastX = 0, lastY = 0;
  for (s64 i = 1; i <= pieces; ++i) {
    // The end of piece i, rounded to the nearest twip; the last is the end itself.
    const s64 x = s64(std::llround(double(dx) * double(i) / double(pieces)));
    const s64 y = s64(std::llround(double(dy) * double(i) / double(pieces)));
    AddRecord(std::make_unique<CSwfStraightEdgeRecord>(s32(x - lastX), s32(y - lastY), kind));
    lastX = x;
    lastY = y;
  }
}

void CSwfShape::AddLine(s32 dx, s32 dy) { AddLinePieces(dx, dy, kSwfGeneralLine); }

void CSwfShape::AddLineX(s32 dx) { AddLinePieces(dx, 0, kSwfHorizontalLine); }

void CSwfShape::AddLineY(s32 dy) { AddLinePieces(0, dy, kSwfVerticalLine); }

namespace {

struct Point {
  double x, y;
};

// Appends the quadratic curve from p0 through control c to a (coordinates
// from the start of the whole curve), halving it until every piece fits;
// (atX, atY) is the current point in whole twips.
void AddCurvePieces(CSwfShape& shape, Point p0, Point c, Point a, s64& atX, s64& atY) {
  const double reach = std::max({std::fabs(c.x - p0.x), std::fabs(c.y - p0.y),
                                 std::fabs(a.x - c.x), std::fabs(a.y - c.y)});
  if (reach <= double(kEdgePiece)) {
    const s64 cx = std::llround(c.x), cy = std::llround(c.y);
    const s64 ax = std::llround(a.x), ay = std::llround(a.y);
    shape.AddRecord(
        std::make_unique<CSwfCurvedEdgeRecord>(s32(cx - atX), s32(cy - atY), s32(ax - cx), s32(ay - cy)));
    atX = ax;
    atY = ay;
    return;
  }
  const Point left{(p0.x + c.x) / 2, (p0.y + c.y) / 2};
  const Point right{(c.x + a.x) / 2, (c.y + a.y) / 2};
  const Point middle{(left.x + right.x) / 2, (left.y + right.y) / 2};
  AddCurvePieces(shape, p0, left, middle, atX, atY);
  AddCurvePieces(shape, middle, right, a, atX, atY);
}

}  // namespace

void CSwfShape::AddCurve(s32 controlX, s32 controlY, s32 anchorX, s32 anchorY) {
  s64 atX = 0, atY = 0;
  const Point control{double(controlX), double(controlY)};
  const Point anchor{double(controlX) + anchorX, double(controlY) + anchorY};
  AddCurvePieces(*this, {0, 0}, control, anchor, atX, atY);
}

bool CSwfShape::PlanRuns(u32 firstFillBits, u32 firstLineBits, std::vector<Run>& runs) const {
  // The index widths of each run of records: a run ends with a record that
  // brings new styles (its own indices still belong to the run before).
  runs.clear();
  Run run{std::min(firstFillBits, kSwfMaxStyleIndexBits), std::min(firstLineBits, kSwfMaxStyleIndexBits)};
  for (const auto& record : records) {
    const u8 type = record->GetType();
    if (type == kSwfEndShapeRecord) break;
    if (!record->CanWrite()) return false;
    if (type != kSwfStyleChangeRecord) continue;
    const auto& change = static_cast<const CSwfStyleChangeRecord&>(*record);
    if (change.flags & kSwfStateFillStyle0) run.fill = std::max(run.fill, IndexWidth(change.fillStyle0));
    if (change.flags & kSwfStateFillStyle1) run.fill = std::max(run.fill, IndexWidth(change.fillStyle1));
    if (change.flags & kSwfStateLineStyle) run.line = std::max(run.line, IndexWidth(change.lineStyle));
    if (change.flags & kSwfStateNewStyles) {
      if (!ArrayFits(change.fillStyles, extendedStyleCounts) ||
          !ArrayFits(change.lineStyles, extendedStyleCounts))
        return false;
      runs.push_back(run);
      run = {CountWidth(change.fillStyles, extendedStyleCounts),
             CountWidth(change.lineStyles, extendedStyleCounts)};
    }
  }
  runs.push_back(run);
  return true;
}

bool CSwfShape::CanWrite() const {
  std::vector<Run> runs;
  return PlanRuns(0, 0, runs);
}

u32 CSwfShape::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  records.clear();
  fillBits = u8(reader.ReadBits(4, false));
  lineBits = u8(reader.ReadBits(4, false));
  currentFillBits = fillBits;
  currentLineBits = lineBits;
  // Every record but the end takes more than 6 bits; fewer left end the
  // shape: zeros are an end record the body cut short, but a bit set there
  // starts a record the body cut short.
  for (;;) {
    if (const u64 left = BitsLeft(reader); left < 6) {
      if (left > 0 && reader.ReadBits(u16(left), false) != 0) reader.SetBodyDisagrees();
      break;
    }
    std::unique_ptr<CSwfShapeRecord> record;
    if (reader.ReadBits(1, false)) {
      if (reader.ReadBits(1, false)) {
        record = std::make_unique<CSwfStraightEdgeRecord>();
      } else {
        record = std::make_unique<CSwfCurvedEdgeRecord>();
      }
      record->alpha = alpha;
    } else {
      const u8 flags = u8(reader.ReadBits(5, false));
      if (flags == 0) break;
      record = std::make_unique<CSwfStyleChangeRecord>(flags, this);
    }
    record->Read(reader);
    EmplaceCharged(records, std::move(record));
  }
  auto end = std::make_unique<CSwfEndShapeRecord>();
  end->alpha = alpha;
  EmplaceCharged(records, std::move(end));
  reader.AlignByte();
  currentFillBits = fillBits;
  currentLineBits = lineBits;
  return reader.GetPosition() - start;
}

u32 CSwfShape::Write(CSwfBitWriter& writer) {
  std::vector<Run> runs;
  if (!PlanRuns(fillBits, lineBits, runs)) return 0;
  return WriteRecords(writer, runs);
}

u32 CSwfShape::WriteRecords(CSwfBitWriter& writer, const std::vector<Run>& runs) {
  const u32 before = writer.GetByteCount();
  size_t at = 0;
  currentFillBits = u8(runs[0].fill);
  currentLineBits = u8(runs[0].line);
  writer.WriteBits(runs[0].fill, 4);
  writer.WriteBits(runs[0].line, 4);
  for (const auto& record : records) {
    const u8 type = record->GetType();
    if (type == kSwfEndShapeRecord) break;
    record->alpha = alpha;
    if (type != kSwfStyleChangeRecord) {
      record->Write(writer);
      continue;
    }
    auto& change = static_cast<CSwfStyleChangeRecord&>(*record);
    if (change.flags == 0) continue;  // no change at all; it would read as the end
    const bool newStyles = (change.flags & kSwfStateNewStyles) != 0;
    const Run next = newStyles ? runs[at + 1] : Run{0, 0};
    change.WriteWithBits(writer, runs[at].fill, runs[at].line, next.fill, next.line, alpha,
                         extendedStyleCounts);
    if (newStyles) {
      ++at;
      currentFillBits = u8(runs[at].fill);
      currentLineBits = u8(runs[at].line);
    }
  }
  CSwfEndShapeRecord().Write(writer);
  return writer.GetByteCount() - before;
}

void CSwfShape::OffsetBitmapIds(u16 delta) {
  for (const auto& record : records) {
    if (record->GetType() != kSwfStyleChangeRecord) continue;
    auto& change = static_cast<CSwfStyleChangeRecord&>(*record);
    if (change.fillStyles) change.fillStyles->OffsetBitmapIds(delta);
  }
}

// ---- shape with style ----

CSwfShapeWithStyle::CSwfShapeWithStyle(const CSwfShapeWithStyle& other)
    : CSwfShape(other), fillStyles(CopySwfRecord(other.fillStyles)), lineStyles(CopySwfRecord(other.lineStyles)) {}

void CSwfShapeWithStyle::Clear() {
  CSwfShape::Clear();
  fillStyles.reset();
  lineStyles.reset();
}

bool CSwfShapeWithStyle::CanWrite() const {
  return ArrayFits(fillStyles, extendedStyleCounts) && ArrayFits(lineStyles, extendedStyleCounts) &&
         CSwfShape::CanWrite();
}

void CSwfShapeWithStyle::OffsetBitmapIds(u16 delta) {
  if (fillStyles) fillStyles->OffsetBitmapIds(delta);
  CSwfShape::OffsetBitmapIds(delta);
}

u32 CSwfShapeWithStyle::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  fillStyles = std::make_unique<CSwfFillStyleArray>(alpha);
  fillStyles->extendedCount = extendedStyleCounts;
  fillStyles->Read(reader);
  lineStyles = std::make_unique<CSwfLineStyleArray>(alpha);
  lineStyles->extendedCount = extendedStyleCounts;
  lineStyles->Read(reader);
  CSwfShape::Read(reader);
  return reader.GetPosition() - start;
}

u32 CSwfShapeWithStyle::Write(CSwfBitWriter& writer) {
  if (!ArrayFits(fillStyles, extendedStyleCounts) || !ArrayFits(lineStyles, extendedStyleCounts))
    return 0;
  // The first run's widths are at least those of the counts.
  std::vector<Run> runs;
  if (!PlanRuns(CountWidth(fillStyles, extendedStyleCounts),
                CountWidth(lineStyles, extendedStyleCounts), runs))
    return 0;
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  auto writeArray = [&](auto& array) {
    if (!array) {
      writer.WriteU8(0);
      return;
    }
    array->alpha = alpha;
    array->extendedCount = extendedStyleCounts;
    array->Write(writer);
  };
  writeArray(fillStyles);
  writeArray(lineStyles);
  fillBits = u8(runs[0].fill);
  lineBits = u8(runs[0].line);
  WriteRecords(writer, runs);
  return writer.GetByteCount() - before;
}
