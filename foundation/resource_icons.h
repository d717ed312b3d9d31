// Icons registered from the icon families ('icns') of "main.rsrc".
#pragma once

#include "platform/icon_registry.h"
#include "platform/mac_types.h"

// Registers the icon family 'icns' `resourceId` of "main.rsrc" with type
// 'TEMP' and `creator`; a creator of 0 is replaced by a unique one, which
// `creator` then holds. False when the resource is missing or no icon family.
[[nodiscard]] bool RegisterResourceIcon(ResID resourceId, OSType& creator, IconRef* icon);
// Releases the icon registered with `creator`; false when there is none.
[[nodiscard]] bool UnregisterResourceIcon(OSType creator);
