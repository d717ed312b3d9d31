// QuickDraw's geometry and colour records, as the drawing code uses them.
#pragma once

#include "platform/mac_types.h"

// A rectangle in pixel coordinates; right and bottom are exclusive.
struct Rect {
  SInt16 top = 0;
  SInt16 left = 0;
  SInt16 bottom = 0;
  SInt16 right = 0;
};

struct Point {
  SInt16 v = 0;
  SInt16 h = 0;
};

// 16-bit colour channels: an 8-bit value times 257.
struct RGBColor {
  UInt16 red = 0;
  UInt16 green = 0;
  UInt16 blue = 0;
};

namespace plat {

// QuickDraw text face bits.
enum FaceBits : UInt16 {
  kFaceBold = 1,
  kFaceItalic = 2,
  kFaceUnderline = 4,
  kFaceOutline = 8,
  kFaceShadow = 16,
  kFaceCondense = 32,
  kFaceExtend = 64,
};

}  // namespace plat

inline Rect MakeRect(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
  Rect rect;
  rect.left = left;
  rect.top = top;
  rect.right = right;
  rect.bottom = bottom;
  return rect;
}
