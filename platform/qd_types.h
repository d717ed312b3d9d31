// QuickDraw geometry and colour records of the host layer.
//
// Rectangles and points are in pixels with y growing downwards; a window's
// content rectangle is in global (screen) coordinates, a control's bounds in
// its window's local coordinates.
#pragma once

#include "platform/mac_types.h"

struct Point {
  SInt16 v = 0;
  SInt16 h = 0;
};

struct Rect {
  SInt16 top = 0;
  SInt16 left = 0;
  SInt16 bottom = 0;
  SInt16 right = 0;
};

// 16-bit colour channels (an 8-bit channel times 257).
struct RGBColor {
  UInt16 red = 0;
  UInt16 green = 0;
  UInt16 blue = 0;
};

inline bool operator==(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}
inline bool operator==(const Point& a, const Point& b) { return a.v == b.v && a.h == b.h; }

inline Rect MakeRect(int top, int left, int bottom, int right) {
  Rect r;
  r.top = SInt16(top);
  r.left = SInt16(left);
  r.bottom = SInt16(bottom);
  r.right = SInt16(right);
  return r;
}
