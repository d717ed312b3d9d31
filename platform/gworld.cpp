#include "platform/gworld.h"

#include "platform/fonts.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

struct GrafPort {
  bool hasPixels = false;
  PixMap pixMap;
  std::unique_ptr<UInt8[]> storage;
  Rect bounds;
  RGBColor foreColor;  // black
  RGBColor backColor{0xFFFF, 0xFFFF, 0xFFFF};
  Point pen;
  SInt16 textFont = 0;
  SInt16 textSize = 0;
  UInt16 textFace = 0;
};

namespace {

// The largest pixel buffer a world may have.
constexpr size_t kMaxWorldBytes = size_t(1) << 30;

GrafPort& ScreenPort() {
  static GrafPort screen;
  return screen;
}

CGrafPtr& CurrentPort() {
  static CGrafPtr current = &ScreenPort();
  return current;
}

int BytesPerPixel(const PixMap& map) { return map.pixelSize == 32 ? 4 : 1; }

int Width(const Rect& r) { return int(r.right) - int(r.left); }
int Height(const Rect& r) { return int(r.bottom) - int(r.top); }

UInt8 Grey(const RGBColor& color) {
  unsigned level = (unsigned(color.red >> 8) * 299 + unsigned(color.green >> 8) * 587 +
                    unsigned(color.blue >> 8) * 114 + 500) /
                   1000;
  return UInt8(std::min(level, 255u));
}

RGBColor ClassicColor(SInt32 color, bool* known) {
  RGBColor rgb;
  *known = true;
  if (color == whiteColor) {
    rgb.red = rgb.green = rgb.blue = 0xFFFF;
  } else if (color != blackColor) {
    *known = false;
  }
  return rgb;
}

}  // namespace

OSErr NewGWorld(GWorldPtr* world, SInt16 pixelDepth, const Rect* bounds) {
  if (!world) return paramErr;
  *world = nullptr;
  if (!bounds) return paramErr;
  SInt16 pixelSize;
  if (pixelDepth == 24 || pixelDepth == 32) {
    pixelSize = 32;
  } else if (pixelDepth == 8) {
    pixelSize = 8;
  } else {
    return cDepthErr;
  }
  int width = Width(*bounds), height = Height(*bounds);
  if (width <= 0 || height <= 0) return paramErr;
  size_t bytesPerPixel = pixelSize == 32 ? 4 : 1;
  // Rows are padded to 16 bytes, as the system's own offscreen worlds are.
  size_t rowBytes = (size_t(width) * bytesPerPixel + 15) / 16 * 16;
  if (rowBytes * size_t(height) > kMaxWorldBytes) return paramErr;
  auto port = std::unique_ptr<GrafPort>(new (std::nothrow) GrafPort);
  if (!port) return memFullErr;
  port->storage.reset(new (std::nothrow) UInt8[rowBytes * size_t(height)]());
  if (!port->storage) return memFullErr;
  port->hasPixels = true;
  port->bounds = *bounds;
  port->pixMap.baseAddr = port->storage.get();
  port->pixMap.rowBytes = SInt32(rowBytes);
  port->pixMap.bounds = *bounds;
  port->pixMap.pixelSize = pixelSize;
  *world = port.release();
  return noErr;
}

void DisposeGWorld(GWorldPtr world) { DisposePort(world); }

CGrafPtr CreateNewPort() { return new (std::nothrow) GrafPort; }

void DisposePort(CGrafPtr port) {
  if (!port || port == &ScreenPort()) return;
  if (CurrentPort() == port) CurrentPort() = &ScreenPort();
  delete port;
}

void GetGWorld(CGrafPtr* port) {
  if (port) *port = CurrentPort();
}

void SetGWorld(CGrafPtr port) { CurrentPort() = port ? port : &ScreenPort(); }

PixMapPtr GetGWorldPixMap(GWorldPtr world) {
  return world && world->hasPixels ? &world->pixMap : nullptr;
}

UInt8* GetPixBaseAddr(PixMapPtr pixels) { return pixels ? pixels->baseAddr : nullptr; }

SInt32 GetPixRowBytes(PixMapPtr pixels) { return pixels ? pixels->rowBytes : 0; }

Boolean LockPixels(PixMapPtr pixels) { return pixels != nullptr; }

void UnlockPixels(PixMapPtr) {}

Rect* GetPortBounds(CGrafPtr port, Rect* bounds) {
  if (!bounds) return nullptr;
  *bounds = port ? port->bounds : Rect();
  return bounds;
}

const PixMap* GetPortBitMapForCopyBits(CGrafPtr port) { return GetGWorldPixMap(port); }

OSErr CopyBits(const PixMap* source, const PixMap* destination, const Rect* sourceRect,
               const Rect* destinationRect, SInt16 mode, const void* maskRegion) {
  if (!source || !destination || !sourceRect || !destinationRect) return paramErr;
  if (mode != srcCopy || maskRegion) return paramErr;
  if (source->pixelSize != destination->pixelSize) return cDepthErr;
  int sourceWidth = Width(*sourceRect), sourceHeight = Height(*sourceRect);
  int destinationWidth = Width(*destinationRect), destinationHeight = Height(*destinationRect);
  if (sourceWidth <= 0 || sourceHeight <= 0 || destinationWidth <= 0 || destinationHeight <= 0)
    return noErr;
  const int bytes = BytesPerPixel(*source);
  // The destination pixels that lie inside the destination map.
  int top = std::max(int(destinationRect->top), int(destination->bounds.top));
  int bottom = std::min(int(destinationRect->bottom), int(destination->bounds.bottom));
  int left = std::max(int(destinationRect->left), int(destination->bounds.left));
  int right = std::min(int(destinationRect->right), int(destination->bounds.right));
  if (top >= bottom || left >= right) return noErr;

  // Copying within one map reads from a snapshot, so that overlapping
  // rectangles do not read pixels already written.
  std::vector<UInt8> snapshot;
  const UInt8* sourceBase = source->baseAddr;
  if (source->baseAddr == destination->baseAddr) {
    size_t size = size_t(source->rowBytes) * size_t(Height(source->bounds));
    snapshot.assign(source->baseAddr, source->baseAddr + size);
    sourceBase = snapshot.data();
  }

  std::vector<int> columns(size_t(right - left));
  for (int x = left; x < right; ++x) {
    long offset = long(x - destinationRect->left) * sourceWidth / destinationWidth;
    columns[size_t(x - left)] = int(sourceRect->left + offset);
  }
  for (int y = top; y < bottom; ++y) {
    int sourceY =
        int(sourceRect->top + long(y - destinationRect->top) * sourceHeight / destinationHeight);
    if (sourceY < source->bounds.top || sourceY >= source->bounds.bottom) continue;
    const UInt8* sourceRow =
        sourceBase + size_t(sourceY - source->bounds.top) * size_t(source->rowBytes);
    UInt8* destinationRow = destination->baseAddr +
                            size_t(y - destination->bounds.top) * size_t(destination->rowBytes);
    for (int x = left; x < right; ++x) {
      int sourceX = columns[size_t(x - left)];
      if (sourceX < source->bounds.left || sourceX >= source->bounds.right) continue;
      std::memcpy(destinationRow + size_t(x - destination->bounds.left) * bytes,
                  sourceRow + size_t(sourceX - source->bounds.left) * bytes, size_t(bytes));
    }
  }
  return noErr;
}

void SetCPixel(SInt16 h, SInt16 v, const RGBColor* color) {
  GrafPort* port = CurrentPort();
  if (!color || !port->hasPixels) return;
  const PixMap& map = port->pixMap;
  if (h < map.bounds.left || h >= map.bounds.right || v < map.bounds.top || v >= map.bounds.bottom)
    return;
  UInt8* row = map.baseAddr + size_t(v - map.bounds.top) * size_t(map.rowBytes);
  if (map.pixelSize == 32) {
    UInt8* pixel = row + size_t(h - map.bounds.left) * 4;
    pixel[0] = 0xFF;
    pixel[1] = UInt8(color->red >> 8);
    pixel[2] = UInt8(color->green >> 8);
    pixel[3] = UInt8(color->blue >> 8);
  } else {
    row[h - map.bounds.left] = Grey(*color);
  }
}

void RGBForeColor(const RGBColor* color) {
  if (color) CurrentPort()->foreColor = *color;
}

void RGBBackColor(const RGBColor* color) {
  if (color) CurrentPort()->backColor = *color;
}

void GetForeColor(RGBColor* color) {
  if (color) *color = CurrentPort()->foreColor;
}

void GetBackColor(RGBColor* color) {
  if (color) *color = CurrentPort()->backColor;
}

void ForeColor(SInt32 color) {
  bool known;
  RGBColor rgb = ClassicColor(color, &known);
  if (known) CurrentPort()->foreColor = rgb;
}

void BackColor(SInt32 color) {
  bool known;
  RGBColor rgb = ClassicColor(color, &known);
  if (known) CurrentPort()->backColor = rgb;
}

void MoveTo(SInt16 h, SInt16 v) {
  CurrentPort()->pen.h = h;
  CurrentPort()->pen.v = v;
}

void GetPen(Point* pen) {
  if (pen) *pen = CurrentPort()->pen;
}

void TextFont(SInt16 family) { CurrentPort()->textFont = family; }
void TextSize(SInt16 size) { CurrentPort()->textSize = size; }
void TextFace(UInt16 face) { CurrentPort()->textFace = face; }

void GetPortTextState(CGrafPtr port, SInt16* family, SInt16* size, UInt16* face) {
  if (!port) port = CurrentPort();
  if (family) *family = port->textFont;
  if (size) *size = port->textSize;
  if (face) *face = port->textFace;
}

namespace {

plat::FontRequest PortFont(const GrafPort& port) {
  plat::FontRequest request;
  // A family the table does not hold draws in the system font; without a
  // name for that either, the font layer's default face is used.
  if (!plat::FontFamilyName(port.textFont, &request.family) &&
      !plat::FontFamilyName(plat::SystemFontFamily(), &request.family))
    request.family.clear();
  request.size = port.textSize > 0 ? port.textSize : 12;
  request.face = port.textFace;
  return request;
}

std::vector<UInt32> Characters(const void* text, SInt16 first, SInt16 count) {
  std::vector<UInt32> characters;
  if (!text || first < 0 || count <= 0) return characters;
  const UInt8* bytes = static_cast<const UInt8*>(text) + first;
  for (SInt16 i = 0; i < count; ++i) characters.push_back(plat::MacRomanToUnicode(bytes[i]));
  return characters;
}

UInt8 Blend(UInt8 under, UInt8 over, unsigned coverage) {
  return UInt8((unsigned(under) * (255 - coverage) + unsigned(over) * coverage + 127) / 255);
}

// Lays a glyph's coverage over the port's pixels in the foreground colour.
void PaintGlyph(GrafPort& port, const plat::GlyphImage& glyph, int originX, int originY) {
  const PixMap& map = port.pixMap;
  const RGBColor& fore = port.foreColor;
  const UInt8 red = UInt8(fore.red >> 8), green = UInt8(fore.green >> 8), blue = UInt8(fore.blue >> 8);
  const UInt8 grey = Grey(fore);
  for (int row = 0; row < glyph.height; ++row) {
    int v = originY + glyph.top + row;
    if (v < map.bounds.top || v >= map.bounds.bottom) continue;
    UInt8* line = map.baseAddr + size_t(v - map.bounds.top) * size_t(map.rowBytes);
    for (int column = 0; column < glyph.width; ++column) {
      int h = originX + glyph.left + column;
      unsigned coverage = glyph.coverage[size_t(row) * size_t(glyph.width) + size_t(column)];
      if (coverage == 0 || h < map.bounds.left || h >= map.bounds.right) continue;
      if (map.pixelSize == 32) {
        UInt8* pixel = line + size_t(h - map.bounds.left) * 4;
        pixel[0] = Blend(pixel[0], 0xFF, coverage);
        pixel[1] = Blend(pixel[1], red, coverage);
        pixel[2] = Blend(pixel[2], green, coverage);
        pixel[3] = Blend(pixel[3], blue, coverage);
      } else {
        line[h - map.bounds.left] = Blend(line[h - map.bounds.left], grey, coverage);
      }
    }
  }
}

}  // namespace

void DrawText(const void* text, SInt16 first, SInt16 count) {
  GrafPort& port = *CurrentPort();
  std::vector<UInt32> characters = Characters(text, first, count);
  if (characters.empty()) return;
  plat::FontRequest font = PortFont(port);
  double pen = 0;
  for (UInt32 character : characters) {
    plat::GlyphImage glyph;
    double advance = 0;
    if (!plat::RenderGlyph(font, character, &glyph, &advance)) continue;
    if (port.hasPixels) PaintGlyph(port, glyph, port.pen.h + int(std::lround(pen)), port.pen.v);
    pen += advance;
  }
  port.pen.h = SInt16(std::clamp(long(port.pen.h) + std::lround(pen), -32768L, 32767L));
}

SInt16 TextWidth(const void* text, SInt16 first, SInt16 count) {
  std::vector<UInt32> characters = Characters(text, first, count);
  if (characters.empty()) return 0;
  long width = std::lround(plat::MeasureText(PortFont(*CurrentPort()), characters));
  return SInt16(std::min(width, 32767L));
}
