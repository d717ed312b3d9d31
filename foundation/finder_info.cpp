#include "foundation/finder_info.h"

CFileTypeCreator::CFileTypeCreator()
    : creator(FourCC("????")), type(FourCC("????")), invisible(0), locked(0) {}

CFileTypeCreator::CFileTypeCreator(OSType creatorCode, OSType typeCode)
    : creator(creatorCode), type(typeCode), invisible(0), locked(0) {}

namespace {

Point PointAt(const plat::FinderInfoBytes& bytes, size_t offset) {
  Point point;
  point.v = SInt16(bytes.Word(offset));
  point.h = SInt16(bytes.Word(offset + 2));
  return point;
}

void PutPoint(plat::FinderInfoBytes* bytes, size_t offset, const Point& point) {
  bytes->SetWord(offset, UInt16(point.v));
  bytes->SetWord(offset + 2, UInt16(point.h));
}

}  // namespace

void CFinderFileInfo::ReadFrom(const plat::FinderInfoBytes& bytes) {
  fileType = bytes.FileType();
  fileCreator = bytes.FileCreator();
  finderFlags = bytes.FileFlags();
  location = PointAt(bytes, plat::kFileLocationOffset);
  reservedField = bytes.Word(plat::kFileReservedOffset);
}

void CFinderFileInfo::WriteMaskedTo(plat::FinderInfoBytes* bytes) const {
  if (fieldMask & kType) bytes->SetFileType(fileType);
  if (fieldMask & kCreator) bytes->SetFileCreator(fileCreator);
  if (fieldMask & kFinderFlags) bytes->SetFileFlags(finderFlags);
  if (fieldMask & kLocation) PutPoint(bytes, plat::kFileLocationOffset, location);
  if (fieldMask & kReserved) bytes->SetWord(plat::kFileReservedOffset, reservedField);
}

void CFinderFolderInfo::ReadFrom(const plat::FinderInfoBytes& bytes) {
  windowBounds.top = SInt16(bytes.Word(plat::kFolderBoundsOffset));
  windowBounds.left = SInt16(bytes.Word(plat::kFolderBoundsOffset + 2));
  windowBounds.bottom = SInt16(bytes.Word(plat::kFolderBoundsOffset + 4));
  windowBounds.right = SInt16(bytes.Word(plat::kFolderBoundsOffset + 6));
  finderFlags = bytes.FolderFlags();
  location = PointAt(bytes, plat::kFolderLocationOffset);
  reservedField = bytes.Word(plat::kFolderReservedOffset);
}

void CFinderFolderInfo::WriteMaskedTo(plat::FinderInfoBytes* bytes) const {
  if (fieldMask & kWindowBounds) {
    bytes->SetWord(plat::kFolderBoundsOffset, UInt16(windowBounds.top));
    bytes->SetWord(plat::kFolderBoundsOffset + 2, UInt16(windowBounds.left));
    bytes->SetWord(plat::kFolderBoundsOffset + 4, UInt16(windowBounds.bottom));
    bytes->SetWord(plat::kFolderBoundsOffset + 6, UInt16(windowBounds.right));
  }
  if (fieldMask & kFinderFlags) bytes->SetFolderFlags(finderFlags);
  if (fieldMask & kLocation) PutPoint(bytes, plat::kFolderLocationOffset, location);
}

namespace {

template <typename Change>
[[nodiscard]] bool ChangeFinderBytes(const FSRef* ref, Change change) {
  plat::FinderInfoBytes bytes;
  if (ReadFsRefFinderBytes(ref, &bytes) != noErr) return false;
  change(&bytes);
  return plat::WriteFinderInfo(ref->path, bytes) == noErr;
}

}  // namespace

OSErr CheckFsRef(const FSRef* ref, plat::CatalogInfo* info) {
  if (!ref) return paramErr;
  plat::CatalogInfo catalog;
  OSErr result = plat::GetCatalogInfo(*ref, &catalog);
  if (result == noErr && info) *info = catalog;
  return result;
}

OSErr ReadFsRefFinderBytes(const FSRef* ref, plat::FinderInfoBytes* bytes) {
  if (OSErr result = CheckFsRef(ref); result != noErr) return result;
  return plat::ReadFinderInfo(ref->path, bytes);
}

OSErr WriteFsRefFinderBytes(const FSRef* ref, const plat::FinderInfoBytes& bytes) {
  if (OSErr result = CheckFsRef(ref); result != noErr) return result;
  return plat::WriteFinderInfo(ref->path, bytes);
}

bool GetFsRefFinderInfo(const FSRef* ref, CFinderFileInfo* info) {
  plat::FinderInfoBytes bytes;
  if (!info || ReadFsRefFinderBytes(ref, &bytes) != noErr) return false;
  info->ReadFrom(bytes);
  return true;
}

bool GetFsRefTypeCreator(const FSRef* ref, OSType* creatorOut, OSType* typeOut) {
  CFinderFileInfo info;
  if (!GetFsRefFinderInfo(ref, &info)) return false;
  if (creatorOut) *creatorOut = info.fileCreator;
  if (typeOut) *typeOut = info.fileType;
  return true;
}

bool SetFsRefInvisible(const FSRef* ref, bool on) {
  return ChangeFinderBytes(ref, [on](plat::FinderInfoBytes* bytes) {
    UInt16 flags = bytes->FileFlags();
    bytes->SetFileFlags(on ? UInt16(flags | kFinderInvisible) : UInt16(flags & ~kFinderInvisible));
  });
}

bool SetFsRefTypeCreator(const FSRef* ref, OSType creator, OSType type) {
  return ChangeFinderBytes(ref, [creator, type](plat::FinderInfoBytes* bytes) {
    bytes->SetFileType(type);
    bytes->SetFileCreator(creator);
  });
}

bool SetFsRefFinderInfo(const FSRef* ref, const CFinderFileInfo* info) {
  if (!info) return false;
  return ChangeFinderBytes(ref, [info](plat::FinderInfoBytes* bytes) { info->WriteMaskedTo(bytes); });
}

bool SetFsRefLocked(const FSRef* ref, bool on) {
  return CheckFsRef(ref) == noErr && plat::SetLocked(ref->path, on) == noErr;
}

void GetFsRefNodeId(const FSRef* ref, u32* nodeIdOut, bool* resourceOpenOut) {
  plat::CatalogInfo info;
  if (CheckFsRef(ref, &info) != noErr) return;
  if (nodeIdOut) *nodeIdOut = info.nodeId;
  if (resourceOpenOut) *resourceOpenOut = (info.nodeFlags & kFSNodeResOpenMask) != 0;
}

bool GetFsRefSpec(const FSRef* ref, FSSpec* specOut) {
  if (!specOut || CheckFsRef(ref) != noErr) return false;
  if (ref->path == "/") {
    // The root is named by nothing inside a folder.
    *specOut = FSSpec();
    return false;
  }
  size_t slash = ref->path.rfind('/');
  FSRef parent;
  if (plat::MakeFsRef(slash == 0 ? "/" : ref->path.substr(0, slash), &parent) != noErr) return false;
  return plat::MakeFsSpec(parent, ref->path.substr(slash + 1), specOut) == noErr;
}

bool GetFsSpecForFsRef(const FSRef* ref, FSSpec* specOut) {
  plat::CatalogInfo info;
  if (!specOut || CheckFsRef(ref, &info) != noErr) return false;
  if (info.nodeId == plat::kRootFolderNodeId) {
    *specOut = FSSpec();
    return true;
  }
  return GetFsRefSpec(ref, specOut);
}
