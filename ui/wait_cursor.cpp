#include "ui/wait_cursor.h"

CWaitCursor::CWaitCursor() : previous_(plat::CurrentCursor()) { SetThemeCursor(kThemeWatchCursor); }

CWaitCursor::~CWaitCursor() { SetThemeCursor(previous_); }
