#include "foundation/resource_icons.h"

#include <vector>

#include "foundation/resource_file.h"
#include "platform/memory_handles.h"

namespace {

constexpr OSType kIconType = FourCC("TEMP");

// 'gb' followed by two digits or capitals that no registered icon uses.
OSType UniqueCreator() {
  static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (int high = 0; high < 36; ++high)
    for (int low = 0; low < 36; ++low) {
      const OSType candidate = OSType('g') << 24 | OSType('b') << 16 | OSType(u8(digits[high])) << 8 | u8(digits[low]);
      if (!plat::FindIconRef(candidate, kIconType)) return candidate;
    }
  return 0;
}

}  // namespace

bool RegisterResourceIcon(ResID resourceId, OSType& creator, IconRef* icon) {
  if (icon) *icon = nullptr;
  Handle family = nullptr;
  if (!LoadMainResource(FourCC("icns"), resourceId, &family)) return false;
  const std::vector<u8> data = plat::HandleBytes(family);
  ReleaseMainResource(&family);
  const OSType chosen = creator != 0 ? creator : UniqueCreator();
  if (chosen == 0 || plat::RegisterIconFamily(chosen, kIconType, data, icon) != noErr) return false;
  creator = chosen;
  return true;
}

bool UnregisterResourceIcon(OSType creator) { return UnregisterIconRef(creator, kIconType) == noErr; }
