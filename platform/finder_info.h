// Finder information and the lock flag of the host layer.
//
// The 32 bytes of Finder information live in the extended attribute
// "user.com.apple.FinderInfo" in the Mac's big-endian layout:
//   files:   type(4) creator(4) flags(2) location v,h(2+2) reserved(2),
//            then 16 bytes of extended information;
//   folders: window bounds top,left,bottom,right(4x2) flags(2)
//            location v,h(2+2) reserved(2), then 16 bytes.
// A missing attribute, or a file system without extended attributes, reads
// as zeros; writing on such a file system fails and leaves the item as it was.
// Linux keeps no user attributes on symbolic links: the Finder information
// of a link (an alias file) lives in the link's own AppleDouble sidecar
// "._name" instead (see forks.h), never on its target. A link cannot be
// locked.
//
// The lock flag is the layer's own, kept in the attribute
// "user.com.glimmerbox.Locked" beside the Finder information (mode bits
// cannot serve: root ignores them). A locked item refuses write-opens of its
// forks, deletion, renaming and moving with fLckdErr; the operations of the
// layer call RefuseIfLocked before they change an item.
//
// Paths are host (UTF-8) paths.
#pragma once

#include <string>

#include "platform/mac_types.h"

namespace plat {

constexpr size_t kFinderInfoSize = 32;
extern const char kFinderInfoAttribute[];  // "user.com.apple.FinderInfo"
extern const char kLockedAttribute[];      // "user.com.glimmerbox.Locked"

// The raw record with accessors for the fields of both layouts.
struct FinderInfoBytes {
  UInt8 bytes[kFinderInfoSize] = {};

  UInt16 Word(size_t offset) const;
  void SetWord(size_t offset, UInt16 value);
  UInt32 Long(size_t offset) const;
  void SetLong(size_t offset, UInt32 value);

  // File layout.
  OSType FileType() const { return Long(0); }
  void SetFileType(OSType type) { SetLong(0, type); }
  OSType FileCreator() const { return Long(4); }
  void SetFileCreator(OSType creator) { SetLong(4, creator); }
  UInt16 FileFlags() const { return Word(8); }
  void SetFileFlags(UInt16 flags) { SetWord(8, flags); }
  // Folder layout: the flags come after the window bounds.
  UInt16 FolderFlags() const { return Word(8); }
  void SetFolderFlags(UInt16 flags) { SetWord(8, flags); }
};

// Byte offsets of the fields (files | folders).
enum : size_t {
  kFileTypeOffset = 0,
  kFileCreatorOffset = 4,
  kFileFlagsOffset = 8,
  kFileLocationOffset = 10,
  kFileReservedOffset = 14,
  kFolderBoundsOffset = 0,
  kFolderFlagsOffset = 8,
  kFolderLocationOffset = 10,
  kFolderReservedOffset = 14,
};

// Finder flags the system uses.
enum : UInt16 {
  kIsAliasFlag = 0x8000,
  kIsInvisibleFlag = 0x4000,
  kHasBundleFlag = 0x2000,
};

// fnfErr when the item is missing; a missing attribute gives zeros.
[[nodiscard]] OSErr ReadFinderInfo(const std::string& hostPath, FinderInfoBytes* out);
// fnfErr when the item is missing; an error (the item unchanged) when the
// file system refuses the attribute.
[[nodiscard]] OSErr WriteFinderInfo(const std::string& hostPath, const FinderInfoBytes& info);

// False for a missing item or one without the flag.
[[nodiscard]] bool IsLocked(const std::string& hostPath);
[[nodiscard]] OSErr SetLocked(const std::string& hostPath, bool locked);
// fLckdErr when the item is locked, else noErr (also for a missing item:
// the operation itself reports that).
[[nodiscard]] OSErr RefuseIfLocked(const std::string& hostPath);

}  // namespace plat
