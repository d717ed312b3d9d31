// The DefineShape tags: a character id, the bounds and a shape with styles.
// DefineShape3 carries RGBA colours; DefineShape holds at most 255 styles
// an array (its counts have no escape).
#pragma once

#include <memory>

#include "swf/swf_shape.h"

enum : u16 {
  kSwfDefineShapeCode = 2,
  kSwfDefineShape2Code = 22,
  kSwfDefineShape3Code = 32,
};

class CSwfDefineShape : public CSwfCharacterTag {
 public:
  CSwfDefineShape() = default;
  CSwfDefineShape(const CSwfDefineShape&) = delete;
  CSwfDefineShape& operator=(const CSwfDefineShape&) = delete;

  // The id, the bounds and the shape.
  u32 Read(CSwfReader& reader) override;
  // The tag; nothing (and 0) when the shape holds values that its bit
  // fields cannot (see CSwfShape).
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineShapeCode; }
  // The id, and the bitmap fills' ids (65535 stays).
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  // Deletes the bounds and the shape.
  virtual void Clear();
  // A deep copy of the id, the bounds and the shape.
  virtual void CopyFrom(const CSwfDefineShape& other);

  // Ready-made figures. Each replaces the bounds and the shape; the fill
  // and line style (either may be null; each is taken over) become the
  // single entry of their arrays. Long edges are split as they must be.
  // A rectangle from (x, y), drawn clockwise.
  void SetRectangle(s32 x, s32 y, s32 width, s32 height, CSwfFillStyle* fill, CSwfLineStyle* line);
  // A circle round the origin, of four curves.
  void SetCircle(s32 radius, CSwfFillStyle* fill, CSwfLineStyle* line);
  // One straight edge of (width, height), centred on the origin along x.
  void SetLine(s32 width, s32 height, CSwfFillStyle* fill, CSwfLineStyle* line);

  // Each takes ownership, deleting the previous one.
  void SetShape(CSwfShapeWithStyle* shape);
  void SetBounds(CSwfRect* bounds);
  CSwfShapeWithStyle* GetShape() const { return m_shape.get(); }
  CSwfRect* GetBounds() const { return m_bounds.get(); }
  // Whether the tag can be written (see Write).
  bool CanWrite() const { return !m_shape || m_shape->CanWrite(); }

 private:
  // Replaces the shape with a new one of this tag's colour form, the two
  // styles as its arrays; returns it (it belongs to the tag).
  CSwfShapeWithStyle* NewFigure(CSwfFillStyle* fill, CSwfLineStyle* line);

  std::unique_ptr<CSwfShapeWithStyle> m_shape;
  std::unique_ptr<CSwfRect> m_bounds;
};

class CSwfDefineShape2 : public CSwfDefineShape {
 public:
  u16 GetCode() const override { return kSwfDefineShape2Code; }
};

class CSwfDefineShape3 : public CSwfDefineShape2 {
 public:
  u16 GetCode() const override { return kSwfDefineShape3Code; }
};

// The first DefineShape, DefineShape2 or DefineShape3 tag of the movie held
// by the bundle resource 'xDAS' `id` (the caller owns it), or null.
[[nodiscard]] CSwfDefineShape* LoadShapeFromResource(ResID id);
