// File type and creator, and the Finder information of files and folders.
//
// The records here are the system's view of the 32 bytes of Finder
// information that the host layer keeps beside each item (see
// platform/finder_info.h). The functions take file-system references of
// existing items and answer false when the item cannot be reached, when a
// reference no longer names the item it was made for, or when the
// information cannot be stored.
#pragma once

#include "platform/catalog.h"
#include "platform/file_refs.h"
#include "platform/finder_info.h"
#include "platform/mac_types.h"
#include "platform/qd_types.h"

// The type and creator given to a file when it is made, with its invisible
// and locked flags. Creator and type are "????" until set.
struct CFileTypeCreator {
  CFileTypeCreator();
  CFileTypeCreator(OSType creatorCode, OSType typeCode);

  OSType creator;
  OSType type;
  u8 invisible;
  u8 locked;
};

// A file's Finder information. Reading fills every field; writing changes
// only the fields named in the mask.
struct CFinderFileInfo {
  enum : u32 { kType = 1, kCreator = 2, kFinderFlags = 4, kLocation = 8, kReserved = 16 };

  u32 fieldMask = 0;
  OSType fileType = 0;
  OSType fileCreator = 0;
  u16 finderFlags = 0;
  Point location;
  u16 reservedField = 0;

  void ReadFrom(const plat::FinderInfoBytes& bytes);
  void WriteMaskedTo(plat::FinderInfoBytes* bytes) const;
};

// A folder's Finder information. Reading fills every field including the
// reserved word; writing changes only the masked fields, never that word.
struct CFinderFolderInfo {
  enum : u32 { kWindowBounds = 1, kFinderFlags = 2, kLocation = 4 };

  u32 fieldMask = 0;
  u16 finderFlags = 0;
  Rect windowBounds;
  Point location;
  u16 reservedField = 0;

  void ReadFrom(const plat::FinderInfoBytes& bytes);
  void WriteMaskedTo(plat::FinderInfoBytes* bytes) const;
};

// Finder flags the system sets.
enum : u16 {
  kFinderHasBundle = plat::kHasBundleFlag,
  kFinderInvisible = plat::kIsInvisibleFlag,
};

// Fills every field of `info` (its mask is left as it is).
[[nodiscard]] bool GetFsRefFinderInfo(const FSRef* ref, CFinderFileInfo* info);
[[nodiscard]] bool GetFsRefTypeCreator(const FSRef* ref, OSType* creatorOut, OSType* typeOut);
[[nodiscard]] bool SetFsRefInvisible(const FSRef* ref, bool on);
[[nodiscard]] bool SetFsRefTypeCreator(const FSRef* ref, OSType creator, OSType type);
// Replaces the masked fields.
[[nodiscard]] bool SetFsRefFinderInfo(const FSRef* ref, const CFinderFileInfo* info);
[[nodiscard]] bool SetFsRefLocked(const FSRef* ref, bool on);
// Stores the node id and, when asked, whether a resource fork of the item is
// open; reports nothing (both are left alone when the item cannot be read).
void GetFsRefNodeId(const FSRef* ref, u32* nodeIdOut, bool* resourceOpenOut);
// The item's {folder, name}.
[[nodiscard]] bool GetFsRefSpec(const FSRef* ref, FSSpec* specOut);
// As GetFsRefSpec, except that a volume's root folder gives the empty spec.
[[nodiscard]] bool GetFsSpecForFsRef(const FSRef* ref, FSSpec* specOut);

// noErr when the reference still names the item it was made for (whose
// catalog information goes to `info` when given).
[[nodiscard]] OSErr CheckFsRef(const FSRef* ref, plat::CatalogInfo* info = nullptr);

// Reads or writes the raw Finder information of a reference's item after
// checking that the reference still names it.
[[nodiscard]] OSErr ReadFsRefFinderBytes(const FSRef* ref, plat::FinderInfoBytes* bytes);
[[nodiscard]] OSErr WriteFsRefFinderBytes(const FSRef* ref, const plat::FinderInfoBytes& bytes);
