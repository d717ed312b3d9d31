// The base of the host layer's reference-counted objects (strings, URLs,
// and whatever later stands in for other CoreFoundation types).
//
// An object is made with one reference; CFRetain adds one, CFRelease drops
// one and deletes the object with the last. Null references are ignored.
#pragma once

#include <atomic>

#include "platform/mac_types.h"

typedef long CFIndex;
typedef unsigned long CFOptionFlags;

struct CFRange {
  CFIndex location;
  CFIndex length;
};

inline CFRange CFRangeMake(CFIndex location, CFIndex length) { return CFRange{location, length}; }

enum CFComparisonResult : CFIndex {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1,
};

// Allocators are accepted for the familiar signatures and ignored.
typedef const void* CFAllocatorRef;
inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

namespace plat {

class CFObject {
 public:
  CFObject() = default;
  CFObject(const CFObject&) = delete;
  CFObject& operator=(const CFObject&) = delete;

  void Retain() const { references_.fetch_add(1, std::memory_order_relaxed); }
  // Drops one reference and deletes the object with the last one.
  void Release() const {
    if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
  CFIndex RetainCount() const { return references_.load(std::memory_order_relaxed); }

 protected:
  virtual ~CFObject() = default;

 private:
  mutable std::atomic<CFIndex> references_{1};
};

}  // namespace plat

typedef const plat::CFObject* CFTypeRef;

inline CFTypeRef CFRetain(CFTypeRef object) {
  if (object) object->Retain();
  return object;
}

inline void CFRelease(CFTypeRef object) {
  if (object) object->Release();
}

inline CFIndex CFGetRetainCount(CFTypeRef object) { return object ? object->RetainCount() : 0; }
