#include "platform/catalog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>

#include <cerrno>
#include <cmath>

#include "platform/forks.h"
#include "platform/host_paths.h"
#include "platform/file_refs.h"

namespace plat {
namespace {

// Seconds from 1904-01-01 to 1970-01-01, and from 1970-01-01 to 2001-01-01.
constexpr SInt64 kMacEpochOffset = 2082844800;
constexpr double kAbsoluteEpochOffset = 978307200.0;
constexpr SInt64 kLargestMacSeconds = (SInt64(1) << 48) - 1;

UTCDateTime FromTimestamp(const struct statx_timestamp& stamp) {
  return UnixToUtcDateTime(stamp.tv_sec, stamp.tv_nsec);
}

UInt32 NodeIdOf(const std::string& hostPath, dev_t device, ino_t inode, UInt32* parentId) {
  struct stat parent;
  std::string parentPath = HostParentFolder(hostPath);
  bool haveParent = stat(parentPath.c_str(), &parent) == 0;
  bool isRoot = hostPath == "/" || (haveParent && parent.st_dev != device);
  if (parentId) {
    *parentId = 0;
    if (haveParent && !isRoot) {
      struct stat grandParent;
      bool parentIsRoot = parentPath == "/" ||
                          (stat(HostParentFolder(parentPath).c_str(), &grandParent) == 0 &&
                           grandParent.st_dev != parent.st_dev);
      *parentId = parentIsRoot ? kRootFolderNodeId : UInt32(parent.st_ino);
    }
  }
  return isRoot ? kRootFolderNodeId : UInt32(inode);
}

}  // namespace

OSErr GetCatalogInfo(const std::string& hostPath, CatalogInfo* out) {
  struct statx info;
  unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
  if (statx(AT_FDCWD, hostPath.c_str(), AT_SYMLINK_NOFOLLOW, mask, &info) != 0)
    return ErrnoToOSErr(errno);
  CatalogInfo result;
  result.isSymbolicLink = S_ISLNK(info.stx_mode);
  result.isRegularFile = S_ISREG(info.stx_mode);
  if (S_ISDIR(info.stx_mode)) result.nodeFlags |= kFSNodeIsDirectoryMask;
  if (IsLocked(hostPath)) result.nodeFlags |= kFSNodeLockedMask;
  result.device = makedev(info.stx_dev_major, info.stx_dev_minor);
  result.inode = ino_t(info.stx_ino);
  if (IsResourceForkOpen(result.device, result.inode)) result.nodeFlags |= kFSNodeResOpenMask;
  result.nodeId = NodeIdOf(hostPath, result.device, result.inode, &result.parentNodeId);
  result.contentModDate = FromTimestamp(info.stx_mtime);
  result.attributeModDate = FromTimestamp(info.stx_ctime);
  result.accessDate = FromTimestamp(info.stx_atime);
  result.createDate = (info.stx_mask & STATX_BTIME) ? FromTimestamp(info.stx_btime)
                                                    : result.contentModDate;
  if (!S_ISDIR(info.stx_mode)) {
    result.dataLogicalSize = info.stx_size;
    result.dataPhysicalSize = UInt64(info.stx_blocks) * 512;
    result.resourceLogicalSize = ResourceForkSize(hostPath);
    result.resourcePhysicalSize = result.resourceLogicalSize;
  }
  result.mode = info.stx_mode;
  result.user = info.stx_uid;
  result.group = info.stx_gid;
  if (OSErr finder = ReadFinderInfo(hostPath, &result.finderInfo); finder != noErr) return finder;
  *out = result;
  return noErr;
}

OSErr GetCatalogInfo(const FSRef& ref, CatalogInfo* out) {
  if (ref.path.empty()) return errFSBadFSRef;
  CatalogInfo info;
  if (OSErr result = GetCatalogInfo(ref.path, &info); result != noErr) return result;
  if (info.device != ref.device || info.inode != ref.inode) return fnfErr;
  *out = info;
  return noErr;
}

OSErr SetCatalogDates(const std::string& hostPath, const UTCDateTime*,
                      const UTCDateTime* contentModDate, const UTCDateTime* accessDate) {
  struct timespec times[2];
  const UTCDateTime* dates[2] = {accessDate, contentModDate};
  for (int i = 0; i < 2; ++i) {
    if (!dates[i]) {
      times[i].tv_sec = 0;
      times[i].tv_nsec = UTIME_OMIT;
      continue;
    }
    SInt64 seconds = 0;
    UInt32 nanoseconds = 0;
    UtcDateTimeToUnix(*dates[i], &seconds, &nanoseconds);
    times[i].tv_sec = time_t(seconds);
    times[i].tv_nsec = long(nanoseconds);
  }
  if (utimensat(AT_FDCWD, hostPath.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
    return ErrnoToOSErr(errno);
  return noErr;
}

UTCDateTime UnixToUtcDateTime(SInt64 seconds, UInt32 nanoseconds) {
  UTCDateTime date;
  if (seconds < -kMacEpochOffset) return date;
  SInt64 macSeconds = seconds + kMacEpochOffset;
  if (macSeconds > kLargestMacSeconds) macSeconds = kLargestMacSeconds;
  date.highSeconds = UInt16(UInt64(macSeconds) >> 32);
  date.lowSeconds = UInt32(UInt64(macSeconds));
  date.fraction = UInt16((UInt64(nanoseconds % 1000000000u) << 16) / 1000000000u);
  return date;
}

void UtcDateTimeToUnix(const UTCDateTime& date, SInt64* seconds, UInt32* nanoseconds) {
  SInt64 macSeconds = (SInt64(date.highSeconds) << 32) | date.lowSeconds;
  if (seconds) *seconds = macSeconds - kMacEpochOffset;
  // Round up so that a date read back converts to the same fraction.
  if (nanoseconds) *nanoseconds = UInt32((UInt64(date.fraction) * 1000000000u + 65535) >> 16);
}

CFAbsoluteTime UtcDateTimeToAbsoluteTime(const UTCDateTime& date) {
  SInt64 seconds = 0;
  UInt32 nanoseconds = 0;
  UtcDateTimeToUnix(date, &seconds, &nanoseconds);
  return UnixToAbsoluteTime(double(seconds) + nanoseconds / 1e9);
}

UTCDateTime AbsoluteTimeToUtcDateTime(CFAbsoluteTime time) {
  double unixSeconds = AbsoluteTimeToUnix(time);
  if (!std::isfinite(unixSeconds)) return unixSeconds > 0 ? UnixToUtcDateTime(kLargestMacSeconds, 0)
                                                          : UTCDateTime();
  double whole = std::floor(unixSeconds);
  if (whole > double(kLargestMacSeconds)) whole = double(kLargestMacSeconds);
  if (whole < double(-kMacEpochOffset)) return UTCDateTime();
  return UnixToUtcDateTime(SInt64(whole), UInt32((unixSeconds - whole) * 1e9));
}

CFAbsoluteTime UnixToAbsoluteTime(double unixSeconds) { return unixSeconds - kAbsoluteEpochOffset; }

double AbsoluteTimeToUnix(CFAbsoluteTime time) { return time + kAbsoluteEpochOffset; }

CFAbsoluteTime CurrentAbsoluteTime() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return UnixToAbsoluteTime(double(now.tv_sec) + double(now.tv_nsec) / 1e9);
}

}  // namespace plat
