// Process-wide values and small arithmetic used across the foundation.
#pragma once

#include "platform/mac_types.h"

// The word each file stream records when it is opened: the encoding number
// of UTF-8 (0x08000100) for the whole run.
u32 GetDefaultStreamFlags();

// The C library's rand().
int GetRandom();

// The signed distance of (x, y) from the line through (x1, y1) and (x2, y2):
// positive on the left of the direction from the first point to the second.
// When the two points are equal it is the (unsigned) distance to that point.
double ComputePointLineDistance(double x, double y, double x1, double y1, double x2, double y2);
