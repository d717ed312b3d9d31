// Display names of keyboard keys by virtual key code, and the key code a
// keyboard event carries.
#pragma once

#include <cstddef>

#include "platform/carbon_events.h"
#include "platform/mac_types.h"

// The virtual key code of a keyboard event (its 32-bit 'kcod' parameter);
// 0 for a null event or one without a key code of that type and size.
u32 GetKeyCodeParameter(EventRef event);

// Writes the name of the key into `out` (at most capacity - 1 bytes and a
// zero): a fixed name for the special keys ("Return", "F1", "Left Arrow" ...),
// else the character the key gives on a US layout ("" for a code that gives
// none). False when capacity is 0 or the name had to be cut to fit.
[[nodiscard]] bool GetKeyName(u32 keyCode, char* out, size_t capacity);
