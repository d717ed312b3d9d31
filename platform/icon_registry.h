// Registered icons of the host layer (Icon Services' icon references).
//
// An icon is an icon family ("icns" data) registered under a creator and a
// type; its IconRef stays valid until that pair is unregistered. Main thread
// only.
#pragma once

#include <vector>

#include "platform/mac_types.h"

typedef struct OpaqueIconRef* IconRef;

// Frees the icon registered under the pair; noSuchIconErr when there is none.
[[nodiscard]] OSErr UnregisterIconRef(OSType creator, OSType iconType);

namespace plat {

// True for icon family data: "icns", its length, then members of a type and
// a length each that fill it exactly.
[[nodiscard]] bool IsIconFamilyData(const std::vector<u8>& data);

// Registers icon family data under the pair, replacing an icon registered
// there before; invalidIconRefErr for data that is not an icon family.
[[nodiscard]] OSErr RegisterIconFamily(OSType creator, OSType iconType, const std::vector<u8>& data, IconRef* icon);

// The registered icon of the pair; null when there is none.
[[nodiscard]] IconRef FindIconRef(OSType creator, OSType iconType);
// The icon family data of a registered icon; null for an unknown reference.
const std::vector<u8>* IconFamilyData(IconRef icon);

}  // namespace plat
