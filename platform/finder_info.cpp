#include "platform/finder_info.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/byte_order.h"
#include "platform/file_refs.h"
#include "platform/forks.h"

namespace plat {

const char kFinderInfoAttribute[] = "user.com.apple.FinderInfo";
const char kLockedAttribute[] = "user.com.glimmerbox.Locked";

UInt16 FinderInfoBytes::Word(size_t offset) const { return UInt16(GetBig16(&bytes[offset])); }

void FinderInfoBytes::SetWord(size_t offset, UInt16 value) { PutBig16(&bytes[offset], value); }

UInt32 FinderInfoBytes::Long(size_t offset) const { return GetBig32(&bytes[offset]); }

void FinderInfoBytes::SetLong(size_t offset, UInt32 value) { PutBig32(&bytes[offset], value); }

namespace {

[[nodiscard]] OSErr ItemResult(const std::string& hostPath, bool* isLink = nullptr) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return ErrnoToOSErr(errno);
  if (isLink) *isLink = S_ISLNK(info.st_mode);
  return noErr;
}

// Reads an attribute of any length; false when it is absent or unreadable.
[[nodiscard]] bool ReadAttribute(const std::string& hostPath, const char* name, std::vector<UInt8>* value) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    ssize_t size = lgetxattr(hostPath.c_str(), name, nullptr, 0);
    if (size < 0) return false;
    value->assign(size_t(size), 0);
    if (size == 0) return true;
    ssize_t read = lgetxattr(hostPath.c_str(), name, value->data(), value->size());
    if (read >= 0) {
      value->resize(size_t(read));
      return true;
    }
    if (errno != ERANGE) return false;  // grew between the two calls: ask again
  }
  return false;
}

}  // namespace

OSErr ReadFinderInfo(const std::string& hostPath, FinderInfoBytes* out) {
  bool isLink = false;
  if (OSErr result = ItemResult(hostPath, &isLink); result != noErr) return result;
  *out = FinderInfoBytes();
  if (isLink) {
    if (!ReadSidecarFinderInfo(hostPath, out->bytes)) *out = FinderInfoBytes();
    return noErr;
  }
  std::vector<UInt8> value;
  if (ReadAttribute(hostPath, kFinderInfoAttribute, &value))
    std::memcpy(out->bytes, value.data(), std::min(value.size(), kFinderInfoSize));
  return noErr;
}

OSErr WriteFinderInfo(const std::string& hostPath, const FinderInfoBytes& info) {
  bool isLink = false;
  if (OSErr result = ItemResult(hostPath, &isLink); result != noErr) return result;
  if (isLink) return WriteSidecarFinderInfo(hostPath, info.bytes);
  if (lsetxattr(hostPath.c_str(), kFinderInfoAttribute, info.bytes, kFinderInfoSize, 0) != 0)
    return ErrnoToOSErr(errno);
  return noErr;
}

bool IsLocked(const std::string& hostPath) {
  std::vector<UInt8> value;
  return ReadAttribute(hostPath, kLockedAttribute, &value) && !value.empty() && value[0] != 0;
}

OSErr SetLocked(const std::string& hostPath, bool locked) {
  if (OSErr result = ItemResult(hostPath); result != noErr) return result;
  if (locked) {
    const UInt8 on = 1;
    if (lsetxattr(hostPath.c_str(), kLockedAttribute, &on, 1, 0) != 0) return ErrnoToOSErr(errno);
    return noErr;
  }
  if (lremovexattr(hostPath.c_str(), kLockedAttribute) != 0 && errno != ENODATA &&
      errno != ENOTSUP)
    return ErrnoToOSErr(errno);
  return noErr;
}

OSErr RefuseIfLocked(const std::string& hostPath) {
  return IsLocked(hostPath) ? fLckdErr : noErr;
}

}  // namespace plat
