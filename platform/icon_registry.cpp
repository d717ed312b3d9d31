#include "platform/icon_registry.h"

#include <map>
#include <memory>
#include <utility>

#include "platform/byte_order.h"

struct OpaqueIconRef {
  std::vector<u8> data;
};

namespace {

typedef std::pair<OSType, OSType> Key;

std::map<Key, std::unique_ptr<OpaqueIconRef>>& Registry() {
  static std::map<Key, std::unique_ptr<OpaqueIconRef>> registry;
  return registry;
}

}  // namespace

OSErr UnregisterIconRef(OSType creator, OSType iconType) {
  return Registry().erase(Key(creator, iconType)) ? OSErr(noErr) : OSErr(noSuchIconErr);
}

namespace plat {

bool IsIconFamilyData(const std::vector<u8>& data) {
  if (data.size() < 8 || GetBig32(data.data()) != FourCC("icns") || GetBig32(data.data() + 4) != data.size())
    return false;
  size_t at = 8;
  while (at < data.size()) {
    if (data.size() - at < 8) return false;
    const u32 length = GetBig32(data.data() + at + 4);
    if (length < 8 || length > data.size() - at) return false;
    at += length;
  }
  return true;
}

OSErr RegisterIconFamily(OSType creator, OSType iconType, const std::vector<u8>& data, IconRef* icon) {
  if (icon) *icon = nullptr;
  if (!IsIconFamilyData(data)) return invalidIconRefErr;
  auto registered = std::make_unique<OpaqueIconRef>();
  registered->data = data;
  IconRef made = registered.get();
  Registry()[Key(creator, iconType)] = std::move(registered);
  if (icon) *icon = made;
  return noErr;
}

IconRef FindIconRef(OSType creator, OSType iconType) {
  auto found = Registry().find(Key(creator, iconType));
  return found == Registry().end() ? nullptr : found->second.get();
}

const std::vector<u8>* IconFamilyData(IconRef icon) {
  for (const auto& entry : Registry())
    if (entry.second.get() == icon) return &entry.second->data;
  return nullptr;
}

}  // namespace plat
