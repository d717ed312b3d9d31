#include "platform/volumes.h"

#include <mntent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_refs.h"
#include "platform/host_paths.h"
#include "platform/roots.h"

namespace plat {
namespace {

std::string& MountTable() {
  static std::string path;
  return path;
}

[[nodiscard]] bool IsNetworkFileSystem(const std::string& type) {
  static const char* const kTypes[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "afs", "sshfs"};
  for (const char* known : kTypes)
    if (type == known) return true;
  return type.compare(0, 10, "fuse.sshfs") == 0;
}

}  // namespace

void SetMountTable(const std::string& path) { MountTable() = path; }

std::vector<VolumeInfo> ListVolumes() {
  std::vector<VolumeInfo> volumes;
  VolumeInfo root;
  struct stat info;
  root.name = RootVolumeName();
  root.mountPoint.assign(1, '/');
  if (stat("/", &info) == 0) root.device = info.st_dev;
  volumes.push_back(root);

  std::string table = MountTable().empty() ? std::string("/proc/self/mounts") : MountTable();
  if (FILE* file = setmntent(table.c_str(), "r")) {
    struct mntent entry;
    char buffer[4096];
    while (getmntent_r(file, &entry, buffer, sizeof buffer)) {
      std::string device = entry.mnt_fsname, mountPoint = entry.mnt_dir, type = entry.mnt_type;
      bool disk = device.compare(0, 5, "/dev/") == 0 && type != "devtmpfs";
      if (!disk && !IsNetworkFileSystem(type)) continue;
      if (mountPoint == "/") {
        volumes[0].fileSystem = type;
        continue;
      }
      if (stat(mountPoint.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
      bool seen = false;
      for (const VolumeInfo& known : volumes) seen = seen || known.device == info.st_dev;
      if (seen) continue;
      VolumeInfo volume;
      volume.name = HostItemName(mountPoint);
      volume.mountPoint = WithTrailingSlash(mountPoint);
      volume.fileSystem = type;
      volume.device = info.st_dev;
      volumes.push_back(volume);
    }
    endmntent(file);
  }
  for (size_t i = 0; i < volumes.size(); ++i) {
    volumes[i].index = UInt32(i + 1);
    volumes[i].refNum = SInt16(-99 - SInt32(i + 1));
  }
  return volumes;
}

OSErr GetVolumeByIndex(UInt32 index, VolumeInfo* out) {
  std::vector<VolumeInfo> volumes = ListVolumes();
  if (index == 0 || index > volumes.size()) return nsvErr;
  if (out) *out = volumes[index - 1];
  return noErr;
}

OSErr GetVolumeByRefNum(SInt16 refNum, VolumeInfo* out) {
  for (const VolumeInfo& volume : ListVolumes()) {
    if (volume.refNum != refNum) continue;
    if (out) *out = volume;
    return noErr;
  }
  return nsvErr;
}

OSErr GetVolumeOfItem(const std::string& hostPath, VolumeInfo* out) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return ErrnoToOSErr(errno);
  std::vector<VolumeInfo> volumes = ListVolumes();
  const VolumeInfo* match = &volumes[0];
  for (const VolumeInfo& volume : volumes)
    if (volume.device == info.st_dev) match = &volume;
  if (out) *out = *match;
  return noErr;
}

OSErr GetVolumeSizes(const VolumeInfo& volume, UInt64* totalBytes, UInt64* freeBytes) {
  struct statvfs info;
  if (volume.mountPoint.empty() || statvfs(volume.mountPoint.c_str(), &info) != 0) return nsvErr;
  UInt64 unit = info.f_frsize ? info.f_frsize : info.f_bsize;
  if (totalBytes) *totalBytes = UInt64(info.f_blocks) * unit;
  if (freeBytes) *freeBytes = UInt64(info.f_bavail) * unit;
  return noErr;
}

}  // namespace plat
