// The shape of a projector window taken from a picture: every pixel that is
// not the key colour belongs to the window. The shape is a list of
// rectangles, packed as a region data block (region.h) for the Windows
// player.
#pragma once

#include <vector>

#include "platform/mac_types.h"

class CBitmapImage;

// Right and bottom are exclusive.
struct MaskRect {
  s32 left = 0, top = 0, right = 0, bottom = 0;
};

// Scans the picture row by row from the top, each row from the left (the
// first three bytes of a pixel are R, G, B): a run of pixels that are not
// the key colour becomes the rectangle (start, y, end, y + 1), unless the
// rectangle made last has the same left and right edges and ends at y:
// that one then grows down by the row. A shape whose rows are one run of
// one width so becomes one tall rectangle; rows with several runs give a
// rectangle per run and row; rows with nothing in between are never
// covered.
//
// `rects` receives the rectangles, `block` the region data block: the
// header, the bounding rectangle (left and top 65535, right and bottom 0
// when there is none, else the bounds of all) and the rectangles in list
// order. False, both emptied, for a picture without pixels of at least 24
// bits, or one whose shape has more rectangles than a block can count.
[[nodiscard]] bool BuildWindowMaskRegion(std::vector<MaskRect>& rects, const CBitmapImage& image, u8 keyRed,
                                         u8 keyGreen, u8 keyBlue, std::vector<u8>& block);
// Empties the list.
void DeleteMaskRects(std::vector<MaskRect>& rects);
