#include "foundation/drawing.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "foundation/quicktime_media.h"
#include "platform/memory_handles.h"
#include "platform/resource_manager.h"

namespace {

SInt16 TextCount(size_t n) { return SInt16(n > 32767 ? 32767 : n); }

}  // namespace

bool NewOffscreenGWorld(GWorldPtr* world, int width, int height, int depth) {
  if (!world) return false;
  *world = nullptr;
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return false;
  Rect bounds = MakeRect(0, 0, SInt16(width), SInt16(height));
  if (NewGWorld(world, SInt16(depth), &bounds) != noErr) return false;
  CGrafPtr saved;
  GetGWorld(&saved);
  SetGWorld(*world);
  ForeColor(blackColor);
  BackColor(whiteColor);
  RGBColor black, white;
  white.red = white.green = white.blue = 0xFFFF;
  RGBForeColor(&black);
  RGBBackColor(&white);
  SetGWorld(saved);
  return true;
}

bool DisposeOffscreenGWorld(GWorldPtr* world) {
  if (world) {
    DisposeGWorld(*world);
    *world = nullptr;
  }
  return true;
}

bool PlotPixelsToGWorld(const u8* pixels, int width, int height, int depth, GWorldPtr world) {
  if (!pixels || !world || (depth != 24 && depth != 1) || width <= 0 || height <= 0) return false;
  Rect bounds;
  GetPortBounds(world, &bounds);
  const int columns = std::min(width, bounds.right - bounds.left);
  const int rows = std::min(height, bounds.bottom - bounds.top);
  const size_t bytes = depth == 24 ? 3 : 1;
  CGrafPtr saved;
  GetGWorld(&saved);
  SetGWorld(world);
  for (int y = 0; y < rows; ++y) {
    const u8* in = pixels + size_t(y) * size_t(width) * bytes;
    for (int x = 0; x < columns; ++x, in += bytes) {
      RGBColor color;
      if (depth == 24) {
        color.red = u16(in[0] * 257);
        color.green = u16(in[1] * 257);
        color.blue = u16(in[2] * 257);
      } else if (*in) {
        color.red = color.green = color.blue = 0xFFFF;
      }
      SetCPixel(SInt16(bounds.left + x), SInt16(bounds.top + y), &color);
    }
  }
  SetGWorld(saved);
  return true;
}

void DrawTextAt(const char* text, size_t n, int x, int y) {
  MoveTo(SInt16(x), SInt16(y));
  DrawText(text, 0, TextCount(n));
}

int DrawTextCentered(const char* text, size_t n, const Rect* rect, u32 flags) {
  int width = TextWidth(text, 0, TextCount(n));
  if ((flags & 1) && rect) {
    MoveTo(SInt16(rect->left + (rect->right - rect->left - width) / 2), rect->top);
    DrawText(text, 0, TextCount(n));
  }
  return width;
}

bool LoadPicture(ResID id, PicHandle* picture) {
  if (!picture) return false;
  *picture = GetResource(FourCC("PICT"), id);
  return *picture != nullptr;
}

bool DrawPictureAt(PicHandle* picture, int x, int y) {
  if (!picture || !*picture) return false;
  std::vector<u8> bytes = plat::HandleBytes(*picture);
  std::unique_ptr<CBitmapImage> image = DecodePicture(bytes.data(), bytes.size());
  CGrafPtr port;
  GetGWorld(&port);
  Rect bounds;
  GetPortBounds(port, &bounds);
  return image && image->DrawToGWorld(port, x - bounds.left, y - bounds.top);
}
