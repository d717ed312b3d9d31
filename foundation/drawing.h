// Offscreen drawing surfaces and text drawing in the current port.
#pragma once

#include <cstddef>

#include "platform/gworld.h"
#include "platform/mac_types.h"

// A world of (0, 0, width, height) at the depth (8, 24 or 32) with black
// foreground and white background; the current port is kept. False, and
// *world null, on error.
[[nodiscard]] bool NewOffscreenGWorld(GWorldPtr* world, int width, int height, int depth);
// Disposes the world and clears the caller's pointer; true.
bool DisposeOffscreenGWorld(GWorldPtr* world);

// Sets the world's pixels from a buffer of width x height pixels: depth 24
// reads R, G, B bytes, depth 1 one byte per pixel (non-zero white, zero
// black). Pixels beyond the world are left out. False for another depth or
// a missing buffer or world.
[[nodiscard]] bool PlotPixelsToGWorld(const u8* pixels, int width, int height, int depth, GWorldPtr world);

// A picture of the resource chain: a 'PICT' resource whose bytes are a PNG
// or JPEG file. The handle belongs to its resource file.
typedef Handle PicHandle;

// The 'PICT' resource `id` of the current resource chain; false when missing.
[[nodiscard]] bool LoadPicture(ResID id, PicHandle* picture);
// Draws the picture at its own size into the current port (32-bit pixels)
// with its top-left corner at (x, y), clipped to the port; false when it is
// not a picture or the port has no such pixels.
[[nodiscard]] bool DrawPictureAt(PicHandle* picture, int x, int y);

// Draws n Mac Roman bytes with the pen at (x, y) on the baseline.
void DrawTextAt(const char* text, size_t n, int x, int y);
// The width of the text; with flag bit 0 also draws it horizontally centred
// in the rectangle, on the baseline of its top edge.
int DrawTextCentered(const char* text, size_t n, const Rect* rect, u32 flags);
