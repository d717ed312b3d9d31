// Graphics ports and offscreen graphics worlds of the host layer.
//
// A port carries the drawing state QuickDraw keeps per port: foreground and
// background colours, the pen position and the text font, size and face. An
// offscreen world is a port with a pixel map of its own: rows of 32-bit
// pixels A, R, G, B (alpha in the first byte) or of 8-bit pixels, `rowBytes`
// apart (the rows are padded, so callers must step by the row bytes). A port
// made with CreateNewPort has no pixel map; text measuring works on it,
// drawing does nothing.
//
// Coordinates are the port's own: the pixel at (h, v) lies in the row
// v - bounds.top and the column h - bounds.left. One port is current at a
// time (GetGWorld/SetGWorld); at start-up that is a screen port without
// pixels. Everything here runs on the main thread only.
#pragma once

#include "platform/mac_types.h"
#include "platform/qd_types.h"

struct GrafPort;
typedef GrafPort* CGrafPtr;
typedef CGrafPtr GWorldPtr;

struct PixMap {
  UInt8* baseAddr = nullptr;
  SInt32 rowBytes = 0;
  Rect bounds;
  SInt16 pixelSize = 0;  // 32 (A, R, G, B) or 8 bits per pixel
};
typedef PixMap* PixMapPtr;

// Transfer mode of CopyBits: the source replaces the destination.
enum : SInt16 { srcCopy = 0 };

// The classic colour constants of ForeColor and BackColor that are supported.
enum : SInt32 {
  blackColor = 33,
  whiteColor = 30,
};

// A world over `bounds` with the given depth: 24 and 32 give 32-bit pixels,
// 8 gives one byte per pixel; other depths fail with cDepthErr, an empty or
// oversized rectangle with paramErr, a failed allocation with memFullErr.
// The pixels start as zero bytes.
[[nodiscard]] OSErr NewGWorld(GWorldPtr* world, SInt16 pixelDepth, const Rect* bounds);
void DisposeGWorld(GWorldPtr world);

[[nodiscard]] CGrafPtr CreateNewPort();
void DisposePort(CGrafPtr port);

// The current port; SetGWorld(nullptr) makes the screen port current.
void GetGWorld(CGrafPtr* port);
void SetGWorld(CGrafPtr port);

// The pixel map of a world; null for a port without pixels.
PixMapPtr GetGWorldPixMap(GWorldPtr world);
UInt8* GetPixBaseAddr(PixMapPtr pixels);
SInt32 GetPixRowBytes(PixMapPtr pixels);
// Pixels never move here: locking always succeeds.
Boolean LockPixels(PixMapPtr pixels);
void UnlockPixels(PixMapPtr pixels);

Rect* GetPortBounds(CGrafPtr port, Rect* bounds);
const PixMap* GetPortBitMapForCopyBits(CGrafPtr port);

// Copies the source rectangle into the destination rectangle, scaling to the
// nearest pixel, clipped to both pixel maps. Both maps must have the same
// pixel size (cDepthErr otherwise); only srcCopy is supported (paramErr for
// other modes); the mask region must be null (paramErr otherwise).
[[nodiscard]] OSErr CopyBits(const PixMap* source, const PixMap* destination, const Rect* sourceRect,
               const Rect* destinationRect, SInt16 mode, const void* maskRegion);

// Sets one pixel of the current port (nothing outside its pixels); 32-bit
// pixels become opaque (A = 0xFF), 8-bit pixels take the colour's grey level.
void SetCPixel(SInt16 h, SInt16 v, const RGBColor* color);

void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);
// blackColor or whiteColor; other values are ignored.
void ForeColor(SInt32 color);
void BackColor(SInt32 color);

void MoveTo(SInt16 h, SInt16 v);
void GetPen(Point* pen);

// Text state of the current port: family number (platform/fonts.h), size in
// points (0 means 12) and face bits.
void TextFont(SInt16 family);
void TextSize(SInt16 size);
void TextFace(UInt16 face);
void GetPortTextState(CGrafPtr port, SInt16* family, SInt16* size, UInt16* face);

// Draws `count` Mac Roman bytes from text + first with the port's font in
// the foreground colour, the pen on the baseline, and moves the pen by the
// text's width. Glyphs are anti-aliased; underline, outline and shadow are
// not drawn.
void DrawText(const void* text, SInt16 first, SInt16 count);
// The width in whole pixels of those bytes in the current port's font.
SInt16 TextWidth(const void* text, SInt16 first, SInt16 count);
