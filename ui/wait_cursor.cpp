#include "ui/wait_cursor.h"

// A cursor that cannot be set leaves the one shown: nothing else depends on it.
CWaitCursor::CWaitCursor() : previous_(plat::CurrentCursor()) { static_cast<void>(SetThemeCursor(kThemeWatchCursor)); }

CWaitCursor::~CWaitCursor() { static_cast<void>(SetThemeCursor(previous_)); }
