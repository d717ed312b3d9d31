#include "foundation/gradient_fill.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "foundation/small_services.h"

namespace {

float ClampPosition(float position) {
  if (!(position > 0.0f)) return 0.0f;  // also NaN
  return position > 1.0f ? 1.0f : position;
}

// Adds 0.5 and truncates, as the ramp arithmetic does throughout: the values
// rounded (distances, positions 0..1 of a positive length) are never negative.
int Round(float value) { return int(std::floor(value + 0.5f)); }

int Channel(u32 color, int index) { return int((color >> (8 * index)) & 0xFF); }

// The red, green and blue differences from one colour to another; returns
// the largest of their sizes (the number of steps between the colours).
int ChannelDifferences(u32 from, u32 to, int differences[3]) {
  int steps = 0;
  for (int c = 0; c < 3; ++c) {
    differences[c] = Channel(to, c) - Channel(from, c);
    steps = std::max(steps, std::abs(differences[c]));
  }
  return steps;
}

u32 MakeColor(int red, int green, int blue) {
  return u32(red & 0xFF) | (u32(green & 0xFF) << 8) | (u32(blue & 0xFF) << 16);
}

void PutPixel(u8* base, s32 rowBytes, int x, int y, u32 color) {
  u8* pixel = base + long(y) * rowBytes + long(x) * 4;
  pixel[0] = 0xFF;
  pixel[1] = u8(Channel(color, 0));
  pixel[2] = u8(Channel(color, 1));
  pixel[3] = u8(Channel(color, 2));
}

Rect Intersection(const Rect& a, const Rect& b) {
  Rect r;
  r.left = std::max(a.left, b.left);
  r.top = std::max(a.top, b.top);
  r.right = std::min(a.right, b.right);
  r.bottom = std::min(a.bottom, b.bottom);
  return r;
}

}  // namespace

CGradient::CGradient() : linear(0) {
  SetStop(0.0f, 0x000000);
  SetStop(1.0f, 0xFFFFFF);
}

CGradient::~CGradient() { ClearStops(); }

void CGradient::ClearStops() {
  for (CGradientStop* stop : stops) delete stop;
  stops.clear();
}

void CGradient::SortStops() {
  std::stable_sort(stops.begin(), stops.end(),
                   [](const CGradientStop* a, const CGradientStop* b) { return a->position < b->position; });
}

CGradientStop* CGradient::AddStop(float position, u32 color) {
  auto* stop = new CGradientStop;
  stop->position = position;
  stop->color = color;
  stops.push_back(stop);
  SortStops();
  return stop;
}

CGradientStop* CGradient::SetStop(float position, u32 color) {
  position = ClampPosition(position);
  for (CGradientStop* stop : stops) {
    if (stop->position == position) {
      stop->color = color;
      return stop;
    }
  }
  return AddStop(position, color);
}

CGradientStop* CGradient::InsertStopAt(float position) {
  position = ClampPosition(position);
  u32 color = 0;
  if (!stops.empty()) {
    if (position <= stops.front()->position) {
      color = stops.front()->color;
    } else if (position >= stops.back()->position) {
      color = stops.back()->color;
    } else {
      size_t after = 1;
      while (stops[after]->position <= position) ++after;
      const CGradientStop& from = *stops[after - 1];
      const CGradientStop& to = *stops[after];
      int differences[3];
      int n = ChannelDifferences(from.color, to.color, differences);
      color = from.color;
      if (n > 0) {
        float t = (position - from.position) / (to.position - from.position) * float(n);
        int channels[3];
        for (int c = 0; c < 3; ++c)
          channels[c] = Channel(from.color, c) + int(float(differences[c]) / float(n) * t);
        color = MakeColor(channels[0], channels[1], channels[2]);
      }
    }
  }
  return AddStop(position, color);
}

CGradientStop* CGradient::RemoveStop(CGradientStop* stop) {
  if (stops.empty()) return nullptr;
  auto found = std::find(stops.begin(), stops.end(), stop);
  if (stops.size() <= 2 || found == stops.end()) return stops.front();
  size_t index = size_t(found - stops.begin());
  delete *found;
  stops.erase(found);
  return stops[index == 0 ? 0 : index - 1];
}

void CGradient::SetColors(u32 start, u32 end) {
  ClearStops();
  SetStop(0.0f, start);
  SetStop(1.0f, end);
}

void CGradient::Assign(const CGradient& other) {
  if (&other == this) return;
  ClearStops();
  linear = other.linear;
  for (const CGradientStop* stop : other.stops) stops.push_back(new CGradientStop(*stop));
}

std::vector<u32> CGradient::BuildRamp(int length) const {
  if (length <= 0 || stops.empty()) return {};
  std::vector<u32> ramp(size_t(length), stops.back()->color);
  auto fill = [&](int from, int to, u32 color) {  // entries from..to - 1
    from = std::max(from, 0);
    to = std::min(to, length);
    for (int i = from; i < to; ++i) ramp[size_t(i)] = color;
  };
  const float scaled = float(length);
  int p = Round(scaled * stops.front()->position);
  fill(0, p, stops.front()->color);
  for (size_t i = 0; i + 1 < stops.size(); ++i) {
    const CGradientStop& from = *stops[i];
    const CGradientStop& to = *stops[i + 1];
    int q = Round(scaled * to.position);
    int differences[3];
    int n = ChannelDifferences(from.color, to.color, differences);
    if (n < 1) {
      fill(p, q, from.color);
    } else {
      float step = float(q - p) / float(n);
      float increments[3], channels[3];
      for (int c = 0; c < 3; ++c) {
        increments[c] = float(differences[c]) / float(n);
        channels[c] = float(Channel(from.color, c));
      }
      for (int k = 0; k < n; ++k) {
        u32 color = MakeColor(int(channels[0]), int(channels[1]), int(channels[2]));
        fill(p + Round(float(k) * step), p + Round(float(k + 1) * step), color);
        for (int c = 0; c < 3; ++c) channels[c] += increments[c];
      }
    }
    p = q;
  }
  // What lies beyond the last stop keeps the last colour, as the ramp started.
  return ramp;
}

void CGradient::Radial(u8* base, s32 rowBytes, const Rect& rect, const Rect& clip, int ox, int oy,
                       float scale) const {
  int length = int(float(rect.right - rect.left) * scale);
  std::vector<u32> ramp = BuildRamp(length);
  if (ramp.empty()) return;
  ramp.front() = stops.front()->color;
  ramp.back() = stops.back()->color;
  const int cx = rect.left + ox, cy = rect.top + oy;
  for (int y = clip.top; y < clip.bottom; ++y) {
    for (int x = clip.left; x < clip.right; ++x) {
      float dx = float(cx - x), dy = float(cy - y);
      int d = Round(std::sqrt(dx * dx + dy * dy));
      PutPixel(base, rowBytes, x, y, ramp[size_t(std::min(d, length - 1))]);
    }
  }
}

void CGradient::Linear(u8* base, s32 rowBytes, const Rect& rect, const Rect& clip,
                       float angleDegrees, float scale, int ox, int oy) const {
  int length = int(float(rect.right - rect.left) * scale);
  std::vector<u32> ramp = BuildRamp(length);
  if (ramp.empty()) return;
  const double px = rect.left + ox, py = rect.top + oy;
  // The slope is kept in single precision but taken in double: at 0 degrees
  // the angle lies just short of the pole, so the ramp runs left to right.
  const float slope = float(std::tan(-(double(angleDegrees) + 90.0) * 0.017453292519943295));
  const double qx = px + 100.0, qy = py - 100.0 * double(slope);
  for (int y = clip.top; y < clip.bottom; ++y) {
    for (int x = clip.left; x < clip.right; ++x) {
      double d = ComputePointLineDistance(x, y, px, py, qx, qy);
      long v = long(std::trunc(-(d + 0.5)));
      long index = angleDegrees > 0 ? -v : v;
      index = std::clamp(index, 0L, long(length - 1));
      PutPixel(base, rowBytes, x, y, ramp[size_t(index)]);
    }
  }
}

void CGradient::RenderRadial(u8* base, s32 rowBytes, const Rect& rect, int ox, int oy,
                             float scale) const {
  if (base) Radial(base, rowBytes, rect, rect, ox, oy, scale);
}

void CGradient::RenderLinear(u8* base, s32 rowBytes, const Rect& rect, float angleDegrees,
                             float scale, int ox, int oy) const {
  if (base) Linear(base, rowBytes, rect, rect, angleDegrees, scale, ox, oy);
}

void CGradient::Fill(u8* base, s32 rowBytes, const Rect& rect, const Rect& clip,
                     bool forceLinear) const {
  if (!linear && !forceLinear)
    Radial(base, rowBytes, rect, clip, (rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2,
           0.5f);
  else
    Linear(base, rowBytes, rect, clip, 0.0f, 1.0f, 0, 0);
}

void CGradient::FillBuffer(u8* base, s32 rowBytes, const Rect& rect, bool forceLinear) const {
  if (base) Fill(base, rowBytes, rect, rect, forceLinear);
}

bool CGradient::FillGWorld(GWorldPtr world, const Rect& rect, bool forceLinear) const {
  PixMapPtr map = GetGWorldPixMap(world);
  if (!map || map->pixelSize != 32) return false;
  LockPixels(map);
  // The buffer's origin is the port's top-left corner.
  const Rect& bounds = map->bounds;
  Rect local = rect, clip = Intersection(rect, bounds);
  local.left = SInt16(rect.left - bounds.left);
  local.right = SInt16(rect.right - bounds.left);
  local.top = SInt16(rect.top - bounds.top);
  local.bottom = SInt16(rect.bottom - bounds.top);
  clip.left = SInt16(clip.left - bounds.left);
  clip.right = SInt16(clip.right - bounds.left);
  clip.top = SInt16(clip.top - bounds.top);
  clip.bottom = SInt16(clip.bottom - bounds.top);
  if (clip.left < clip.right && clip.top < clip.bottom)
    Fill(GetPixBaseAddr(map), GetPixRowBytes(map), local, clip, forceLinear);
  UnlockPixels(map);
  return true;
}
