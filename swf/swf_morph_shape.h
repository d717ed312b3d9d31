// The DefineMorphShape tag: a shape that changes from its start edges to
// its end edges, with styles that carry a start and an end value each.
//
// Colours of morph styles are always RGBA; the edges are plain shapes with
// alpha colours. Every bitmap fill type (0x40 to 0x43) carries a bitmap id
// and two matrices. The start part (styles and start edges) is read to its
// end record, and the end edges where their offset points: behind the
// start part, or further on inside the body. An offset back into the start
// part, or at or past the end of the body, disagrees with the body, and the
// tag loop keeps such a tag as its raw bytes. Written, the offset is that
// of the end edges actually written.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "swf/swf_shape.h"

enum : u16 { kSwfDefineMorphShapeCode = 46 };

class CSwfMorphGradRecord : public CSwfRecord {
 public:
  CSwfMorphGradRecord() = default;
  // Takes ownership of the colours.
  CSwfMorphGradRecord(u8 fromRatio, CSwfRgba* fromColor, u8 toRatio, CSwfRgba* toColor)
      : startRatio(fromRatio), startColor(fromColor), endRatio(toRatio), endColor(toColor) {}
  CSwfMorphGradRecord(const CSwfMorphGradRecord& other);
  CSwfMorphGradRecord& operator=(const CSwfMorphGradRecord&) = delete;

  // Start ratio, start colour, end ratio, end colour (missing colours are
  // written as opaque black).
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;

  u8 startRatio = 0;
  std::unique_ptr<CSwfRgba> startColor;
  u8 endRatio = 0;
  std::unique_ptr<CSwfRgba> endColor;
};

class CSwfMorphGradient : public CSwfRecord {
 public:
  // The count is one byte.
  static constexpr size_t kMaxRecords = 255;

  CSwfMorphGradient() = default;
  CSwfMorphGradient(const CSwfMorphGradient& other);
  CSwfMorphGradient& operator=(const CSwfMorphGradient&) = delete;

  // A count byte and the records, stopping early at the end of the data.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;

  void Clear() { m_records.clear(); }
  // Takes ownership and appends; a full gradient refuses (false) and
  // deletes the record.
  [[nodiscard]] bool AddRecord(CSwfMorphGradRecord* record);
  const std::vector<std::unique_ptr<CSwfMorphGradRecord>>& GetRecords() const { return m_records; }

 private:
  std::vector<std::unique_ptr<CSwfMorphGradRecord>> m_records;
};

class CSwfMorphFillStyle : public CSwfRecord {
 public:
  CSwfMorphFillStyle() = default;
  // A solid fill from one 0x00BBGGRR colour to another, both opaque.
  CSwfMorphFillStyle(u32 fromColor, u32 toColor);
  CSwfMorphFillStyle(const CSwfMorphFillStyle& other);
  CSwfMorphFillStyle& operator=(const CSwfMorphFillStyle&) = delete;

  // The type byte, then two colours (solid), two matrices and a gradient
  // (gradients), or a bitmap id and two matrices (bitmaps); an unknown type
  // carries nothing more.
  u32 Read(CSwfReader& reader) override;
  // The same layout, missing parts written as their defaults.
  u32 Write(CSwfBitWriter& writer) override;

  u8 type = kSwfSolidFill;
  std::unique_ptr<CSwfRgba> startColor, endColor;
  std::unique_ptr<CSwfMorphGradient> gradient;
  std::unique_ptr<CSwfMatrix> startMatrix, endMatrix;
  u16 bitmapId = 0;
};

class CSwfMorphLineStyle : public CSwfRecord {
 public:
  CSwfMorphLineStyle() = default;
  // Takes ownership of the colours.
  CSwfMorphLineStyle(u16 fromWidth, CSwfRgba* fromColor, u16 toWidth, CSwfRgba* toColor)
      : startWidth(fromWidth), endWidth(toWidth), startColor(fromColor), endColor(toColor) {}
  CSwfMorphLineStyle(const CSwfMorphLineStyle& other);
  CSwfMorphLineStyle& operator=(const CSwfMorphLineStyle&) = delete;

  // Start width, end width, start colour, end colour.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;

  u16 startWidth = 0, endWidth = 0;
  std::unique_ptr<CSwfRgba> startColor, endColor;
};

// The shared work of both morph arrays: a count byte with the escape for
// 255 and more (0xFF, then a u16), then the styles.
template <typename Style>
class CSwfMorphStyleArray : public CSwfRecord {
 public:
  static constexpr size_t kMaxCount = 65535;

  CSwfMorphStyleArray() = default;
  CSwfMorphStyleArray(const CSwfMorphStyleArray& other);
  CSwfMorphStyleArray& operator=(const CSwfMorphStyleArray&) = delete;

  // Stops early at the end of the data, holding the styles that were there.
  u32 Read(CSwfReader& reader) override;
  // The count of the styles held, then the styles (at most kMaxCount).
  u32 Write(CSwfBitWriter& writer) override;

  void Clear() { styles.clear(); }
  // Takes ownership and appends.
  void Add(Style* style) { styles.emplace_back(style); }
  u16 GetCount() const;
  bool CanWrite() const { return styles.size() <= kMaxCount; }

  std::vector<std::unique_ptr<Style>> styles;
};

using CSwfMorphFillStyleArray = CSwfMorphStyleArray<CSwfMorphFillStyle>;
using CSwfMorphLineStyleArray = CSwfMorphStyleArray<CSwfMorphLineStyle>;

class CSwfDefineMorphShape : public CSwfCharacterTag {
 public:
  CSwfDefineMorphShape() = default;
  CSwfDefineMorphShape(const CSwfDefineMorphShape&) = delete;
  CSwfDefineMorphShape& operator=(const CSwfDefineMorphShape&) = delete;

  u32 Read(CSwfReader& reader) override;
  // Nothing (and 0) when an edge or array holds values its fields cannot.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineMorphShapeCode; }
  // The id, the bitmap fills of the styles and those of new styles in the
  // edges (65535 stays).
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  // Deletes every part.
  virtual void Clear();
  bool CanWrite() const;

  // Each deletes the object it replaces and takes ownership of the new one.
  void SetStartBounds(CSwfRect* bounds);
  void SetEndBounds(CSwfRect* bounds);
  void SetStartEdges(CSwfShape* edges);
  void SetEndEdges(CSwfShape* edges);
  void SetFillStyles(CSwfMorphFillStyleArray* styles);
  void SetLineStyles(CSwfMorphLineStyleArray* styles);

  // A rectangle from (x, y) as the start or the end state. For the start
  // state the styles given (either may be null; each is taken over) are
  // appended to the arrays, made when missing; for the end state they only
  // say which style indices the edges name, and are deleted. Sides too long
  // for one edge are split, into as many pieces in both states when both
  // are rectangles made here, so that every start edge has its end edge.
  void SetRectangle(s32 x, s32 y, s32 width, s32 height, CSwfMorphFillStyle* fill,
                    CSwfMorphLineStyle* line, bool isStart);

  CSwfRect* GetStartBounds() const { return m_startBounds.get(); }
  CSwfRect* GetEndBounds() const { return m_endBounds.get(); }
  CSwfShape* GetStartEdges() const { return m_startEdges.get(); }
  CSwfShape* GetEndEdges() const { return m_endEdges.get(); }
  CSwfMorphFillStyleArray* GetFillStyles() const { return m_fillStyles.get(); }
  CSwfMorphLineStyleArray* GetLineStyles() const { return m_lineStyles.get(); }
  // The offset of the end edges as read.
  u32 GetOffset() const { return m_offset; }

 private:
  struct Rectangle {
    s32 x, y, width, height;
    bool fill, line;
  };
  // Replaces the edges of a state with the rectangle, each side split into
  // the given numbers of pieces.
  void BuildRectangle(const Rectangle& figure, bool isStart, const u32 (&pieces)[4]);

  std::unique_ptr<CSwfRect> m_startBounds, m_endBounds;
  u32 m_offset = 0;
  std::unique_ptr<CSwfMorphFillStyleArray> m_fillStyles;
  std::unique_ptr<CSwfMorphLineStyleArray> m_lineStyles;
  std::unique_ptr<CSwfShape> m_startEdges, m_endEdges;
  // The rectangles SetRectangle made of the present edges.
  std::optional<Rectangle> m_startRectangle, m_endRectangle;
};
