// Display names of keyboard keys by virtual key code.
#pragma once

#include <cstddef>

#include "platform/mac_types.h"

// Writes the name of the key into `out` (at most capacity - 1 bytes and a
// zero): a fixed name for the special keys ("Return", "F1", "Left Arrow" ...),
// else the character the key gives on a US layout ("" for a code that gives
// none). False when capacity is 0 or the name had to be cut to fit.
bool GetKeyName(u32 keyCode, char* out, size_t capacity);
