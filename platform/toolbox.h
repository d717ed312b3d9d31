// Toolbox start-up calls, the cursor and the tick count of the headless
// window system.
#pragma once

#include "platform/mac_types.h"

typedef UInt32 ThemeCursor;
enum : ThemeCursor {
  kThemeArrowCursor = 0,
  kThemeWatchCursor = 7,
};

void MoreMasterPointers(UInt32 count);
void InitCursor();
[[nodiscard]] OSStatus SetThemeCursor(ThemeCursor cursor);
[[nodiscard]] OSStatus RegisterAppearanceClient();
[[nodiscard]] OSStatus UnregisterAppearanceClient();
// Sixtieths of a second since the process started.
UInt32 TickCount();

namespace plat {
ThemeCursor CurrentCursor();
[[nodiscard]] bool IsAppearanceClient();
}  // namespace plat
