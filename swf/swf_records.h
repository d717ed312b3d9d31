// The value records every SWF tag is built from: colours, the rectangle, the
// transform matrix and the colour transforms, with the rule that decides how
// many bits a packed field gets.
//
// Colours passed as one integer are 0x00BBGGRR (red in the low byte).
// Distances are in twips (1/20 pixel).
#pragma once

#include "swf/swf_record.h"

// The number of significant bits of value (0 for 0), plus one when isSigned.
// Writers pass the largest magnitude among the fields that share one width.
u32 CountBitsNeeded(u32 value, bool isSigned);

class CSwfRgb : public CSwfRecord {
 public:
  CSwfRgb(u8 r = 0, u8 g = 0, u8 b = 0) : red(r), green(g), blue(b) {}
  CSwfRgb(const CSwfRgb&) = default;
  CSwfRgb& operator=(const CSwfRgb&) = default;

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  // Copies red, green and blue (an alpha byte of this record stays).
  virtual void CopyFrom(const CSwfRgb& other);
  void Set(u8 r, u8 g, u8 b);

  u8 red, green, blue;
};

class CSwfRgba : public CSwfRgb {
 public:
  CSwfRgba(u8 r = 0, u8 g = 0, u8 b = 0, u8 a = 255) : CSwfRgb(r, g, b), alpha(a) {}
  CSwfRgba(const CSwfRgba&) = default;
  CSwfRgba& operator=(const CSwfRgba&) = default;

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Set(u8 r, u8 g, u8 b, u8 a);

  u8 alpha;
};

class CSwfRect : public CSwfRecord {
 public:
  CSwfRect() = default;
  CSwfRect(const CSwfRect&) = default;
  CSwfRect& operator=(const CSwfRect&) = default;

  // Note the argument order: both minima first. With inPixels each value is
  // multiplied by 20.
  void Set(s32 xMinimum, s32 yMinimum, s32 xMaximum, s32 yMaximum, bool inPixels);
  // A 5-bit width, the four signed fields, then the reader moves to the next byte.
  u32 Read(CSwfReader& reader) override;
  // The narrowest width that holds all four fields, padded to a byte.
  u32 Write(CSwfBitWriter& writer) override;

  s32 xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

class CSwfMatrix : public CSwfRecord {
 public:
  CSwfMatrix() = default;
  CSwfMatrix(const CSwfMatrix&) = default;
  CSwfMatrix& operator=(const CSwfMatrix&) = default;

  u32 Read(CSwfReader& reader) override;
  // Scale, rotate and translate parts, each with its own width; the last
  // byte is left open for the caller to close.
  u32 Write(CSwfBitWriter& writer) override;

  // Scale and rotate terms are 16.16 fixed point (65536 = 1.0).
  s32 scaleX = 0, scaleY = 0, rotateSkew0 = 0, rotateSkew1 = 0;
  s32 translateX = 0, translateY = 0;
  u8 hasScale = 0, hasRotate = 0;
};

// A new matrix (the caller owns it) from a translation, scale factors and
// rotation angles in degrees.
[[nodiscard]] CSwfMatrix* CreateSwfMatrix(s32 translateX, s32 translateY, double scaleX,
                                          double scaleY, double rotateX, double rotateY);

class CSwfCxform : public CSwfRecord {
 public:
  CSwfCxform() { CSwfCxform::Reset(); }
  CSwfCxform(const CSwfCxform&) = default;
  CSwfCxform& operator=(const CSwfCxform&) = default;

  u32 Read(CSwfReader& reader) override;
  // The width comes from the largest of all terms and is at most 15 bits.
  u32 Write(CSwfBitWriter& writer) override;
  virtual void Reset();
  virtual void SetMultiplyTerms(s32 r, s32 g, s32 b);
  virtual void SetSolidColor(u32 color);
  virtual void SetColorScale(double value);
  virtual void SetMultiplyColor(u32 color);

  // Multiply terms are 8.8 fixed point (256 = 1.0).
  s32 redMultTerm, greenMultTerm, blueMultTerm;
  s32 redAddTerm, greenAddTerm, blueAddTerm;
  u8 hasAddTerms, hasMultTerms;

 protected:
  // The shared layout of both forms; the alpha terms are null for this one.
  u32 ReadTerms(CSwfReader& reader, s32* alphaMult, s32* alphaAdd);
  u32 WriteTerms(CSwfBitWriter& writer, const s32* alphaMult, const s32* alphaAdd) const;
};

class CSwfCxformWithAlpha : public CSwfCxform {
 public:
  CSwfCxformWithAlpha() { CSwfCxformWithAlpha::Reset(); }
  CSwfCxformWithAlpha(const CSwfCxformWithAlpha&) = default;
  CSwfCxformWithAlpha& operator=(const CSwfCxformWithAlpha&) = default;

  // Read without multiply terms, the record is written back with explicit
  // 256 terms.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  void SetSolidColor(u32 color) override;
  void SetColorScale(double value) override;
  void SetMultiplyColor(u32 color) override;
  void SetAlphaMultiply(s32 alpha, bool setColorTermsTo256);

  s32 alphaMultTerm, alphaAddTerm;
};
