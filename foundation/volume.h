// CVolume: one mounted volume, addressed by its index (1-based).
//
// Sizes are in bytes unless the name says otherwise. Names are Mac Roman; a
// volume whose name has no Mac Roman form answers "".
#pragma once

#include <string>
#include <vector>

#include "platform/mac_types.h"
#include "platform/volumes.h"

class CVolume {
 public:
  static u32 CountVolumes();
  static std::vector<u32> ListVolumeIndexes();
  // Either pointer may be null.
  [[nodiscard]] static bool GetSizesByRefNum(s16 volumeRefNum, u64* totalOut, u64* freeOut);

  // Each is false, the volume unchanged, when no volume matches.
  [[nodiscard]] bool SetIndex(u32 index);
  [[nodiscard]] bool SetFromRefNum(s16 volumeRefNum);
  // The first volume of that name; an empty name takes the first volume.
  [[nodiscard]] bool SetFromName(const char* name);

  [[nodiscard]] bool GetSizes(u64* totalOut, u64* freeOut) const;
  [[nodiscard]] bool GetSizesKb(u64* totalOut, u64* freeOut) const;
  [[nodiscard]] bool GetSizesMb(double* totalOut, double* freeOut) const;
  [[nodiscard]] bool GetSizesGb(double* totalOut, double* freeOut) const;
  // "" on error.
  std::string GetName() const;
  u32 GetIndex() const { return index_; }

 private:
  [[nodiscard]] bool Adopt(OSErr found, const plat::VolumeInfo& volume);
  [[nodiscard]] bool GetScaledSizes(double kilobytesPerUnit, double* totalOut, double* freeOut) const;

  std::string name_;
  u32 index_ = 0;
};
