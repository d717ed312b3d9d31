// Catalog information of the host layer, and the dates it carries.
//
// Catalog information comes from lstat/statx: the item itself, so a
// symbolic link reports on the link. Dates are UTCDateTime values (seconds
// since 1904-01-01 UTC in 48 bits, and 1/65536 fractions); the creation
// date is the file system's birth time where it keeps one, else the
// modification date. Linux cannot set a creation date: SetCatalogDates
// leaves it as it is, which is not an error.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/file_refs.h"
#include "platform/finder_info.h"
#include "platform/mac_types.h"

struct UTCDateTime {
  UInt16 highSeconds = 0;
  UInt32 lowSeconds = 0;
  UInt16 fraction = 0;
};

// Seconds since 2001-01-01 00:00:00 UTC.
typedef double CFAbsoluteTime;

// Node flags of catalog information.
enum : UInt16 {
  kFSNodeLockedMask = 0x0001,
  kFSNodeResOpenMask = 0x0004,
  kFSNodeIsDirectoryMask = 0x0010,
};

namespace plat {

// The node id of a volume's root folder.
constexpr UInt32 kRootFolderNodeId = 2;

struct CatalogInfo {
  UInt16 nodeFlags = 0;  // folder, locked
  bool isSymbolicLink = false;
  bool isRegularFile = false;
  dev_t device = 0;
  ino_t inode = 0;
  UInt32 nodeId = 0;       // kRootFolderNodeId for a volume's root, else the inode's low bits
  UInt32 parentNodeId = 0;
  UTCDateTime createDate, contentModDate, attributeModDate, accessDate;
  UInt64 dataLogicalSize = 0, dataPhysicalSize = 0;
  UInt64 resourceLogicalSize = 0, resourcePhysicalSize = 0;
  mode_t mode = 0;
  uid_t user = 0;
  gid_t group = 0;
  FinderInfoBytes finderInfo;
};

// fnfErr for a missing item, dirNFErr when a folder on the way is missing.
[[nodiscard]] OSErr GetCatalogInfo(const std::string& hostPath, CatalogInfo* out);
// As above for a reference; fnfErr also when the item at the reference's
// path is no longer the item it was made for (device and inode differ).
[[nodiscard]] OSErr GetCatalogInfo(const FSRef& ref, CatalogInfo* out);

// Sets the modification and access dates of the item itself (null: keep).
// A creation date cannot be set on Linux and is ignored.
[[nodiscard]] OSErr SetCatalogDates(const std::string& hostPath, const UTCDateTime* createDate,
                      const UTCDateTime* contentModDate, const UTCDateTime* accessDate);

// Date conversions. Times before 1904 become 1904-01-01.
UTCDateTime UnixToUtcDateTime(SInt64 seconds, UInt32 nanoseconds);
void UtcDateTimeToUnix(const UTCDateTime& date, SInt64* seconds, UInt32* nanoseconds);
CFAbsoluteTime UtcDateTimeToAbsoluteTime(const UTCDateTime& date);
UTCDateTime AbsoluteTimeToUtcDateTime(CFAbsoluteTime time);
CFAbsoluteTime UnixToAbsoluteTime(double unixSeconds);
double AbsoluteTimeToUnix(CFAbsoluteTime time);
// The current time.
CFAbsoluteTime CurrentAbsoluteTime();

}  // namespace plat
