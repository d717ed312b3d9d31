#include "platform/toolbox.h"

#include <chrono>

namespace plat {

namespace {
ThemeCursor gCursor = kThemeArrowCursor;
bool gAppearanceClient = false;
const auto gStart = std::chrono::steady_clock::now();
}  // namespace

ThemeCursor CurrentCursor() { return gCursor; }
bool IsAppearanceClient() { return gAppearanceClient; }

}  // namespace plat

void MoreMasterPointers(UInt32) {}

void InitCursor() { plat::gCursor = kThemeArrowCursor; }

OSStatus SetThemeCursor(ThemeCursor cursor) {
  plat::gCursor = cursor;
  return noErr;
}

OSStatus RegisterAppearanceClient() {
  plat::gAppearanceClient = true;
  return noErr;
}

OSStatus UnregisterAppearanceClient() {
  plat::gAppearanceClient = false;
  return noErr;
}

UInt32 TickCount() {
  const auto elapsed = std::chrono::steady_clock::now() - plat::gStart;
  return UInt32(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() * 60 / 1000);
}
