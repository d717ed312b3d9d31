// Volumes of the host layer.
//
// The volumes are the root file system (always index 1, named by the
// configured root volume name) followed by the other mounted disks and
// network shares of the mount table, in table order, each device once.
// Pseudo file systems (proc, sysfs, tmpfs, cgroups, ...) are not volumes.
// A volume's reference number is -(99 + index): the root volume is -100.
// Sizes come from statvfs. Paths and names are host (UTF-8) text.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/mac_types.h"

namespace plat {

struct VolumeInfo {
  UInt32 index = 0;       // 1-based
  SInt16 refNum = 0;
  std::string name;       // the root volume's configured name, else the mount point's last component
  std::string mountPoint; // ends in "/"
  std::string fileSystem;
  dev_t device = 0;
};

std::vector<VolumeInfo> ListVolumes();
// nsvErr for an index past the end (or 0).
[[nodiscard]] OSErr GetVolumeByIndex(UInt32 index, VolumeInfo* out);
[[nodiscard]] OSErr GetVolumeByRefNum(SInt16 refNum, VolumeInfo* out);
// The volume holding an existing item (by device; the root volume when the
// item's device is none of the listed ones).
[[nodiscard]] OSErr GetVolumeOfItem(const std::string& hostPath, VolumeInfo* out);
// Either pointer may be null.
[[nodiscard]] OSErr GetVolumeSizes(const VolumeInfo& volume, UInt64* totalBytes, UInt64* freeBytes);

// Reads another mount table ("" restores /proc/self/mounts); for tests.
void SetMountTable(const std::string& path);

}  // namespace plat
