// A colour ramp of stops that renders itself into a rectangle of 32-bit
// pixels (A, R, G, B with A = 255), radially from the rectangle's centre or
// linearly along a direction.
//
// Colours are 0x00BBGGRR words (red in the low byte); stop positions are
// kept within 0..1. A ramp whose length (the rectangle's width times the
// scale) is 0 or less draws nothing, and so does a gradient without stops.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/gworld.h"
#include "platform/mac_types.h"

struct CGradientStop {
  float position = 0;  // 0.0 to 1.0
  u32 color = 0;       // 0x00BBGGRR
};

class CGradient {
 public:
  // Black at 0.0 and white at 1.0, radial.
  CGradient();
  ~CGradient();
  CGradient(const CGradient&) = delete;
  CGradient& operator=(const CGradient&) = delete;

  // Recolours the stop at exactly that position (clamped to 0..1), or adds a
  // new one; returns it.
  CGradientStop* SetStop(float position, u32 color);
  // Adds a stop with the colour the ramp has there; returns it.
  CGradientStop* InsertStopAt(float position);
  // Removes the stop while more than two remain and returns the stop before
  // it (the first stop when it was the first). With two stops, or a stop that
  // is not this gradient's, nothing is removed and the first stop is returned.
  CGradientStop* RemoveStop(CGradientStop* stop);
  // Replaces every stop by `start` at 0.0 and `end` at 1.0.
  void SetColors(u32 start, u32 end);
  void Assign(const CGradient& other);
  void ClearStops();
  void SortStops();

  size_t GetStopCount() const { return stops.size(); }
  CGradientStop* GetStop(size_t index) const { return index < stops.size() ? stops[index] : nullptr; }
  [[nodiscard]] bool IsLinear() const { return linear != 0; }
  void SetLinear(bool on) { linear = on ? 1 : 0; }

  // Renders into `rect` of a buffer whose pixel (x, y) is at
  // base + y * rowBytes + x * 4: radially from the centre unless the gradient
  // is linear or `forceLinear` is set, then from left to right.
  void FillBuffer(u8* base, s32 rowBytes, const Rect& rect, bool forceLinear) const;
  // The same into a 32-bit offscreen world (rect in port coordinates);
  // pixels outside the world are not touched. False without such a world.
  [[nodiscard]] bool FillGWorld(GWorldPtr world, const Rect& rect, bool forceLinear) const;

  // A ramp of (width x scale) entries by distance from (left + ox, top + oy).
  void RenderRadial(u8* base, s32 rowBytes, const Rect& rect, int ox, int oy, float scale) const;
  // A ramp of (width x scale) entries along the direction `angleDegrees`
  // (0: left to right), by distance from the line through (left + ox, top + oy).
  void RenderLinear(u8* base, s32 rowBytes, const Rect& rect, float angleDegrees, float scale,
                    int ox, int oy) const;

  // The colours of a ramp of `length` entries (empty for length <= 0 or no stops).
  std::vector<u32> BuildRamp(int length) const;

 private:
  // A new stop, kept in order of position.
  CGradientStop* AddStop(float position, u32 color);
  // The renderers with the part of `rect` that may be written.
  void Radial(u8* base, s32 rowBytes, const Rect& rect, const Rect& clip, int ox, int oy,
              float scale) const;
  void Linear(u8* base, s32 rowBytes, const Rect& rect, const Rect& clip, float angleDegrees,
              float scale, int ox, int oy) const;
  void Fill(u8* base, s32 rowBytes, const Rect& rect, const Rect& clip, bool forceLinear) const;

  std::vector<CGradientStop*> stops;
  u8 linear;
};
