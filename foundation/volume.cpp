#include "foundation/volume.h"

#include "platform/text_encoding.h"
#include "platform/volumes.h"

namespace {

std::string MacRomanName(const plat::VolumeInfo& volume) {
  std::string name;
  return plat::Utf8ToMacRoman(volume.name, name) ? name : std::string();
}

}  // namespace

u32 CVolume::CountVolumes() { return u32(plat::ListVolumes().size()); }

std::vector<u32> CVolume::ListVolumeIndexes() {
  std::vector<u32> indexes;
  for (const plat::VolumeInfo& volume : plat::ListVolumes()) indexes.push_back(volume.index);
  return indexes;
}

bool CVolume::GetSizesByRefNum(s16 volumeRefNum, u64* totalOut, u64* freeOut) {
  plat::VolumeInfo volume;
  if (plat::GetVolumeByRefNum(volumeRefNum, &volume) != noErr) return false;
  if (!totalOut && !freeOut) return true;
  return plat::GetVolumeSizes(volume, totalOut, freeOut) == noErr;
}

bool CVolume::Adopt(OSErr found, const plat::VolumeInfo& volume) {
  if (found != noErr) return false;
  index_ = volume.index;
  name_ = MacRomanName(volume);
  return true;
}

bool CVolume::SetIndex(u32 index) {
  plat::VolumeInfo volume;
  OSErr found = plat::GetVolumeByIndex(index, &volume);
  return Adopt(found, volume);
}

bool CVolume::SetFromRefNum(s16 volumeRefNum) {
  plat::VolumeInfo volume;
  OSErr found = plat::GetVolumeByRefNum(volumeRefNum, &volume);
  return Adopt(found, volume);
}

bool CVolume::SetFromName(const char* name) {
  std::string wanted = name ? name : "";
  for (const plat::VolumeInfo& volume : plat::ListVolumes()) {
    std::string own = MacRomanName(volume);
    if (!wanted.empty() && (own.empty() || own != wanted)) continue;
    return Adopt(noErr, volume);
  }
  return false;
}

bool CVolume::GetSizes(u64* totalOut, u64* freeOut) const {
  plat::VolumeInfo volume;
  return plat::GetVolumeByIndex(index_, &volume) == noErr &&
         plat::GetVolumeSizes(volume, totalOut, freeOut) == noErr;
}

bool CVolume::GetSizesKb(u64* totalOut, u64* freeOut) const {
  u64 total = 0, free = 0;
  if (!GetSizes(&total, &free)) return false;
  if (totalOut) *totalOut = total >> 10;
  if (freeOut) *freeOut = free >> 10;
  return true;
}

bool CVolume::GetScaledSizes(double kilobytesPerUnit, double* totalOut, double* freeOut) const {
  u64 total = 0, free = 0;
  if (!GetSizesKb(&total, &free)) return false;
  if (totalOut) *totalOut = double(total) / kilobytesPerUnit;
  if (freeOut) *freeOut = double(free) / kilobytesPerUnit;
  return true;
}

bool CVolume::GetSizesMb(double* totalOut, double* freeOut) const {
  return GetScaledSizes(1024.0, totalOut, freeOut);
}

bool CVolume::GetSizesGb(double* totalOut, double* freeOut) const {
  return GetScaledSizes(1048576.0, totalOut, freeOut);
}

std::string CVolume::GetName() const {
  plat::VolumeInfo volume;
  return plat::GetVolumeByIndex(index_, &volume) == noErr ? MacRomanName(volume) : std::string();
}
