// Shapes: the shape records (style changes, straight and curved edges, the
// end), the plain shape of font glyphs and morph edges, and the shape with
// its fill and line styles that the DefineShape tags carry.
//
// Reading follows the published layout; the record loop also ends at the
// end of the data, and a shape read always ends in an end record.
//
// Writing takes every width from what is written: the style-index widths
// of each run of records from the style count in force and the largest
// index the run uses (so an index is never cut to fewer bits than it
// needs), edge and move widths by the bit-count rule. The same shape
// therefore writes the same bytes however often it is written. Values that
// no width field can hold are refused, never written wrapped: an edge delta
// beyond 17 bits with sign, a move beyond 31, a style index above 32767, an
// array with more styles than its count can announce. The shape then writes
// nothing and Write returns 0 (CanWrite tells beforehand). The edge builders
// (AddLine, AddCurve and their kin) split long edges so that every piece fits.
#pragma once

#include <memory>
#include <vector>

#include "swf/swf_styles.h"

class CSwfShape;

// GetType() of the shape records.
enum : u8 {
  kSwfStyleChangeRecord = 1,
  kSwfStraightEdgeRecord = 2,
  kSwfCurvedEdgeRecord = 3,
  kSwfEndShapeRecord = 4,
};

// The five state flags of a style-change record.
enum : u8 {
  kSwfStateNewStyles = 0x10,
  kSwfStateLineStyle = 0x08,
  kSwfStateFillStyle1 = 0x04,
  kSwfStateFillStyle0 = 0x02,
  kSwfStateMoveTo = 0x01,
};

// The kinds of straight edge.
enum : u8 {
  kSwfGeneralLine = 0,
  kSwfHorizontalLine = 1,  // along x only
  kSwfVerticalLine = 2,    // along y only
};

// The widest fields: edge deltas (a 4-bit width field holding the width
// less 2), moves (a 5-bit width field) and style indices (4 bits).
constexpr u32 kSwfMaxEdgeBits = 17;
constexpr u32 kSwfMaxMoveBits = 31;
constexpr u32 kSwfMaxStyleIndexBits = 15;

class CSwfShapeRecord : public CSwfRecord {
 public:
  virtual u8 GetType() const = 0;
  virtual void CopyBase(const CSwfShapeRecord& other) { alpha = other.alpha; }
  // A deep copy, bound to no shape.
  virtual std::unique_ptr<CSwfShapeRecord> Clone() const = 0;
  // Whether every value fits its bit field.
  virtual bool CanWrite() const { return true; }

  // 1 in shapes with RGBA colours (DefineShape3, fonts and morph shapes).
  u8 alpha = 0;
};

using CSwfShapeRecordList = std::vector<std::unique_ptr<CSwfShapeRecord>>;

class CSwfStyleChangeRecord : public CSwfShapeRecord {
 public:
  // As the reader makes them: the flags read, bound to the shape (may be null).
  explicit CSwfStyleChangeRecord(u8 stateFlags = 0, CSwfShape* owner = nullptr);
  // Runs Init.
  CSwfStyleChangeRecord(s32 moveX, s32 moveY, CSwfShape* owner);
  // A deep copy bound to the same shape.
  CSwfStyleChangeRecord(const CSwfStyleChangeRecord& other);
  CSwfStyleChangeRecord& operator=(const CSwfStyleChangeRecord&) = delete;

  // The fields the flags announce. The index widths and the colour form
  // come from the bound shape (15, 15 and RGBA without one); new styles
  // make their widths the shape's current widths.
  u32 Read(CSwfReader& reader) override;
  // Standalone: the index widths are the bound shape's current widths (the
  // record's own without a shape); new styles take the widths of their
  // counts and become the shape's current widths. A record without flags
  // would read as the end record, so it writes nothing.
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetType() const override { return kSwfStyleChangeRecord; }
  std::unique_ptr<CSwfShapeRecord> Clone() const override;
  bool CanWrite() const override;

  // The move deltas, the shape bound (its current widths taken), no style
  // indices, no new styles. The flags stay as they are.
  void Init(s32 moveX, s32 moveY, CSwfShape* owner);
  // fillStyle1 when side is not 0, else fillStyle0.
  void SetFillStyle(u16 index, int side);
  void SetLineStyle(u16 index) { lineStyle = index; }
  void SetFlags(u8 stateFlags) { flags = stateFlags; }
  // The flags from the content: new styles when either array is present,
  // each style index that is not 0, a move when either delta is not 0.
  void UpdateFlags();
  // The work of Write with the widths given: the indices in fillBits and
  // lineBits; after new styles (written as empty arrays when the record
  // holds none), the widths newFillBits and newLineBits, raised to what the
  // arrays' counts need.
  u32 WriteWithBits(CSwfBitWriter& writer, u32 fillBits, u32 lineBits, u32 newFill, u32 newLine,
                    u8 alphaColors, u8 extendedCounts);
  // The widths the new styles need: those of their counts (0 for a missing array).
  u32 NewStylesFillBits() const;
  u32 NewStylesLineBits() const;

  // Moves are absolute, in twips.
  s32 moveDeltaX = 0, moveDeltaY = 0;
  u16 fillStyle0 = 0, fillStyle1 = 0, lineStyle = 0;
  // The widths of the three indices, as last read or written.
  u16 numFillBits = 0, numLineBits = 0;
  // The widths written after the new styles, as last read or written.
  u16 newFillBits = 0, newLineBits = 0;
  CSwfShape* shape = nullptr;  // not owned
  std::unique_ptr<CSwfFillStyleArray> fillStyles;
  std::unique_ptr<CSwfLineStyleArray> lineStyles;
  u8 flags = 0;
};

class CSwfStraightEdgeRecord : public CSwfShapeRecord {
 public:
  CSwfStraightEdgeRecord(s32 dx = 0, s32 dy = 0, u8 kind = kSwfGeneralLine)
      : lineKind(kind), deltaX(dx), deltaY(dy) {}

  u32 Read(CSwfReader& reader) override;
  // The width holds both deltas (at least 2 bits); a horizontal or vertical
  // edge writes its one delta.
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetType() const override { return kSwfStraightEdgeRecord; }
  std::unique_ptr<CSwfShapeRecord> Clone() const override;
  bool CanWrite() const override;

  u8 lineKind;
  s32 deltaX, deltaY;
  u32 numBitsField = 0;  // as read
};

class CSwfCurvedEdgeRecord : public CSwfShapeRecord {
 public:
  CSwfCurvedEdgeRecord(s32 controlX = 0, s32 controlY = 0, s32 anchorX = 0, s32 anchorY = 0)
      : controlDeltaX(controlX), controlDeltaY(controlY), anchorDeltaX(anchorX), anchorDeltaY(anchorY) {}

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetType() const override { return kSwfCurvedEdgeRecord; }
  std::unique_ptr<CSwfShapeRecord> Clone() const override;
  bool CanWrite() const override;

  // The control point from the current point, the anchor from the control point.
  s32 controlDeltaX, controlDeltaY, anchorDeltaX, anchorDeltaY;
  u32 numBitsField = 0;  // as read
};

class CSwfEndShapeRecord : public CSwfShapeRecord {
 public:
  // Six zero bits.
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetType() const override { return kSwfEndShapeRecord; }
  std::unique_ptr<CSwfShapeRecord> Clone() const override;
};

// A shape without styles of its own: font glyphs and morph edges.
class CSwfShape : public CSwfRecord {
 public:
  explicit CSwfShape(u8 alphaColors = 0) : alpha(alphaColors) {}
  // A deep copy; its style-change records are bound to the copy.
  CSwfShape(const CSwfShape& other);
  CSwfShape& operator=(const CSwfShape&) = delete;

  // The two widths and the records up to the end record (or the end of the
  // data); an end record is always appended and the reader aligned.
  u32 Read(CSwfReader& reader) override;
  // The widths (the stored ones, raised where an index of the first run
  // needs more) and the records up to the first end record, closed by an
  // end record. Nothing when CanWrite is false. Not padded to a byte.
  u32 Write(CSwfBitWriter& writer) override;
  // Sets the written and the current widths.
  virtual void SetBits(u8 fill, u8 line);
  // Deletes the records.
  virtual void Clear();
  // Replaces the records with deep copies of the other shape's.
  virtual void CopyRecords(const CSwfShape& other);
  // Whether every value of the shape fits its bit field.
  virtual bool CanWrite() const;
  // Adds delta to the bitmap fills of new styles (65535 stays).
  virtual void OffsetBitmapIds(u16 delta);

  // Takes ownership and appends; style-change records are bound to this
  // shape and every record takes its alpha. A null record is ignored.
  void AddRecord(CSwfShapeRecord* record);
  void AddRecord(std::unique_ptr<CSwfShapeRecord> record);
  // Edges from the current point; each is split into several edges when a
  // delta exceeds what an edge can hold, ending on the same point.
  void AddCurve(s32 controlX, s32 controlY, s32 anchorX, s32 anchorY);
  void AddLine(s32 dx, s32 dy);
  void AddLineX(s32 dx);
  void AddLineY(s32 dy);
  void SetFillBits(u8 n) { fillBits = currentFillBits = n; }
  void SetLineBits(u8 n) { lineBits = currentLineBits = n; }

  CSwfShapeRecordList records;
  u8 fillBits = 0, lineBits = 0;
  u8 alpha;
  // Whether style counts of new styles may use the escape for 255 and more
  // (DefineShape2 and later, morph shapes).
  u8 extendedStyleCounts = 1;
  // The widths in force for the next style-change record, while reading
  // and while writing.
  u8 currentFillBits = 0, currentLineBits = 0;

 protected:
  // The index widths of a run of records (from the start or from a record
  // that brings new styles up to the next such record).
  struct Run {
    u32 fill, line;
  };
  // The widths of every run, the first at least those given; false when a
  // value of the records fits no field.
  [[nodiscard]] bool PlanRuns(u32 firstFillBits, u32 firstLineBits, std::vector<Run>& runs) const;
  // The 4-bit widths of the first run, then the records and an end record.
  u32 WriteRecords(CSwfBitWriter& writer, const std::vector<Run>& runs);

 private:
  void AddLinePieces(s32 dx, s32 dy, u8 kind);
};

// The shape of the DefineShape tags: its fill and line style arrays first.
class CSwfShapeWithStyle : public CSwfShape {
 public:
  explicit CSwfShapeWithStyle(u8 alphaColors = 0) : CSwfShape(alphaColors) {}
  CSwfShapeWithStyle(const CSwfShapeWithStyle& other);
  CSwfShapeWithStyle& operator=(const CSwfShapeWithStyle&) = delete;

  // The two arrays (with this shape's alpha), then the shape.
  u32 Read(CSwfReader& reader) override;
  // The arrays (a missing one as the byte 0), the widths their counts need
  // (raised where an index of the first run needs more; stored as fillBits
  // and lineBits), then the records. Nothing when CanWrite is false.
  u32 Write(CSwfBitWriter& writer) override;
  // Also deletes the arrays.
  void Clear() override;
  bool CanWrite() const override;
  void OffsetBitmapIds(u16 delta) override;

  std::unique_ptr<CSwfFillStyleArray> fillStyles;
  std::unique_ptr<CSwfLineStyleArray> lineStyles;
};
