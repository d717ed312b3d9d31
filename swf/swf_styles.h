// Fill and line styles and their arrays, as shapes hold them.
//
// The same classes serve DefineShape, DefineShape2 and DefineShape3: the
// `alpha` flag selects RGBA colours (DefineShape3) instead of RGB. An array
// writes the count of the styles it holds, so its count field and its
// styles never disagree. The escape for 255 or more styles (0xFF, then a
// u16) belongs to DefineShape2 and later; an array with `extendedCount` off
// (DefineShape) reads a count byte of 255 as 255 styles and holds at most 255.
#pragma once

#include <memory>
#include <vector>

#include "swf/swf_gradient.h"

// Fill style types.
enum : u8 {
  kSwfSolidFill = 0x00,
  kSwfLinearGradientFill = 0x10,
  kSwfRadialGradientFill = 0x12,
  kSwfRepeatingBitmapFill = 0x40,
  kSwfClippedBitmapFill = 0x41,
  kSwfRepeatingHardBitmapFill = 0x42,
  kSwfClippedHardBitmapFill = 0x43,
};

// The bitmap id that names no bitmap; it is never shifted.
constexpr u16 kSwfNoBitmap = 65535;

inline bool IsSwfGradientFill(u8 type) {
  return type == kSwfLinearGradientFill || type == kSwfRadialGradientFill;
}
inline bool IsSwfBitmapFill(u8 type) {
  return type >= kSwfRepeatingBitmapFill && type <= kSwfClippedHardBitmapFill;
}

class CSwfFillStyle : public CSwfRecord {
 public:
  explicit CSwfFillStyle(u8 alphaColors = 0) : alpha(alphaColors) {}
  // A solid fill of a 0x00BBGGRR colour (opaque with alpha colours).
  CSwfFillStyle(u8 alphaColors, u32 solidColor);
  CSwfFillStyle(const CSwfFillStyle& other);
  CSwfFillStyle& operator=(const CSwfFillStyle& other);

  // The type byte, then what the type carries: a colour (solid), a matrix
  // and a gradient (gradients), a bitmap id and a matrix (bitmaps); an
  // unknown type carries nothing more.
  u32 Read(CSwfReader& reader) override;
  // The same layout; a missing part is written as its default (black, the
  // identity matrix, an empty gradient).
  u32 Write(CSwfBitWriter& writer) override;

  // With `delta` added to a bitmap fill's id (65535 stays).
  void OffsetBitmapId(u16 delta);

  u8 alpha;
  u8 type = kSwfSolidFill;
  std::unique_ptr<CSwfRgb> color;
  std::unique_ptr<CSwfGradient> gradient;
  std::unique_ptr<CSwfMatrix> matrix;
  u16 bitmapId = 0;
};

class CSwfLineStyle : public CSwfRecord {
 public:
  explicit CSwfLineStyle(u8 alphaColors = 0) : alpha(alphaColors) {}
  // Takes ownership of the colour.
  CSwfLineStyle(u16 lineWidth, CSwfRgb* lineColor, u8 alphaColors)
      : width(lineWidth), color(lineColor), alpha(alphaColors) {}
  CSwfLineStyle(const CSwfLineStyle& other);
  CSwfLineStyle& operator=(const CSwfLineStyle& other);

  // The u16 width in twips, then the colour.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;

  u16 width = 0;
  std::unique_ptr<CSwfRgb> color;
  u8 alpha;
};

// The shared work of both arrays.
template <typename Style>
class CSwfStyleArray : public CSwfRecord {
 public:
  // The most styles a count can announce, with and without the escape.
  static constexpr size_t kMaxExtendedCount = 65535;
  static constexpr size_t kMaxShortCount = 255;

  explicit CSwfStyleArray(u8 alphaColors = 0) : alpha(alphaColors) {}
  CSwfStyleArray(const CSwfStyleArray& other) : CSwfRecord() { *this = other; }
  CSwfStyleArray& operator=(const CSwfStyleArray& other);

  // The count (with the escape when extendedCount is on), then the styles,
  // each with this array's alpha setting; reading stops early at the end of
  // the data, and the array holds the styles that were there.
  u32 Read(CSwfReader& reader) override;
  // The count of the styles held and the styles (at most the count allows:
  // see CanWrite), each in this array's colour form.
  u32 Write(CSwfBitWriter& writer) override;

  void Clear() { styles.clear(); }
  // Takes ownership and appends.
  void Add(Style* style) { styles.emplace_back(style); }
  // The count that is written.
  u16 GetCount() const;
  // Whether every style fits the count field.
  bool CanWrite() const;
  size_t GetMaxCount() const { return extendedCount ? kMaxExtendedCount : kMaxShortCount; }

  // Style indices in shape records are 1-based into this (0 = no style).
  std::vector<std::unique_ptr<Style>> styles;
  u8 alpha;
  u8 extendedCount = 1;
};

class CSwfFillStyleArray : public CSwfStyleArray<CSwfFillStyle> {
 public:
  using CSwfStyleArray::CSwfStyleArray;
  void OffsetBitmapIds(u16 delta);
};

class CSwfLineStyleArray : public CSwfStyleArray<CSwfLineStyle> {
 public:
  using CSwfStyleArray::CSwfStyleArray;
};
