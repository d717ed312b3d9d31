#include "foundation/fork_file.h"

#include "foundation/file_layer.h"
#include "platform/catalog.h"
#include "platform/forks.h"
#include "platform/host_paths.h"

CForkFile::CForkFile() = default;

CForkFile::~CForkFile() {
  // A fork its owner left open is closed here, where a failure has nobody to go to.
  if (forkRef_ != 0) static_cast<void>(plat::CloseFork(SInt16(forkRef_)));
  CFRelease(url_);
}

bool CForkFile::SetPath(const CPathName& path) {
  CFURLRef url = path.CopyUrl();
  CFRelease(url_);
  url_ = url;
  status_ = url ? OSErr(noErr) : OSErr(kUrlPartMissingErr);
  return true;
}

bool CForkFile::GetRef(FSRef* ref) { return GetFsRefForUrl(ref, url_, &status_); }

bool CForkFile::SetUrlFromRef(const FSRef& ref) {
  CFURLRef url = CFURLCreateFromFSRef(kCFAllocatorDefault, &ref);
  if (!url) return false;
  CFRelease(url_);
  url_ = url;
  return true;
}

void CForkFile::ForgetLocation() {
  CFRelease(url_);
  url_ = nullptr;
}

bool CForkFile::Create() { return CreateFileAtUrl(nullptr, url_, kFSCatInfoNone, nullptr, &status_); }

bool CForkFile::OpenFork(bool resource, int permission) {
  SInt8 access;
  if (permission & kRead) {
    access = fsRdPerm;
  } else if (permission & kWrite) {
    access = fsWrPerm;
  } else if (permission & kReadWrite) {
    access = fsRdWrPerm;
  } else {
    return false;
  }
  FSRef ref;
  if (!GetRef(&ref)) return false;
  // A fork still open is closed first; how that went is overwritten by the
  // status of the fork opened now.
  if (forkRef_ != 0) static_cast<void>(CloseFork());
  SInt16 refNum = 0;
  status_ = plat::OpenFork(ref.path, resource ? plat::ForkKind::resource : plat::ForkKind::data, access,
                           &refNum);
  if (status_ != noErr) return false;
  forkRef_ = u16(refNum);
  resourceOpen_ = resource;
  return true;
}

bool CForkFile::OpenDataFork(int permission) { return OpenFork(false, permission); }

bool CForkFile::OpenResourceFork(int permission) { return OpenFork(true, permission); }

bool CForkFile::CloseFork() {
  if (forkRef_ == 0) return false;
  status_ = plat::CloseFork(SInt16(forkRef_));
  forkRef_ = 0;
  resourceOpen_ = false;
  return status_ == noErr;
}

size_t CForkFile::ReadFork(void* buffer, size_t count) {
  UInt64 moved = 0;
  status_ = plat::ReadFork(SInt16(forkRef_), count, buffer, &moved);
  return size_t(moved);
}

size_t CForkFile::WriteFork(const void* buffer, size_t count) {
  UInt64 moved = 0;
  status_ = plat::WriteFork(SInt16(forkRef_), count, buffer, &moved);
  return size_t(moved);
}

bool CForkFile::SetForkPosition(s32 offset, int origin) {
  UInt16 mode = origin == kFromStart ? fsFromStart : origin == kFromEnd ? fsFromLEOF : fsFromMark;
  status_ = plat::SetForkPosition(SInt16(forkRef_), mode, SInt64(offset));
  return status_ == noErr;
}

s64 CForkFile::GetForkPosition() {
  SInt64 position = 0;
  status_ = plat::GetForkPosition(SInt16(forkRef_), &position);
  return status_ == noErr ? position : 0;
}

s64 CForkFile::GetDataForkSize() {
  SInt64 size = 0;
  if (forkRef_ != 0 && !resourceOpen_) {
    status_ = plat::GetForkSize(SInt16(forkRef_), &size);
    return status_ == noErr ? size : 0;
  }
  // Opened for this call alone, leaving any open resource fork as it is.
  FSRef ref;
  if (!GetRef(&ref)) return 0;
  SInt16 refNum = 0;
  status_ = plat::OpenFork(ref.path, plat::ForkKind::data, fsRdPerm, &refNum);
  if (status_ != noErr) return 0;
  status_ = plat::GetForkSize(refNum, &size);
  // Closing a fork that was only opened to ask its size loses nothing.
  static_cast<void>(plat::CloseFork(refNum));
  return status_ == noErr ? size : 0;
}

bool CForkFile::ReadFinderBytes(plat::FinderInfoBytes* bytes) {
  FSRef ref;
  if (!GetRef(&ref)) return false;
  status_ = ReadFsRefFinderBytes(&ref, bytes);
  return status_ == noErr;
}

bool CForkFile::WriteFinderBytes(const plat::FinderInfoBytes& bytes) {
  FSRef ref;
  if (!GetRef(&ref)) return false;
  status_ = WriteFsRefFinderBytes(&ref, bytes);
  return status_ == noErr;
}

OSType CForkFile::GetFileType() {
  plat::FinderInfoBytes bytes;
  return ReadFinderBytes(&bytes) ? bytes.FileType() : 0;
}

OSType CForkFile::GetFileCreator() {
  plat::FinderInfoBytes bytes;
  return ReadFinderBytes(&bytes) ? bytes.FileCreator() : 0;
}

bool CForkFile::GetCatalogDate(UTCDateTime plat::CatalogInfo::*field, CDateTime& date) {
  FSRef ref;
  plat::CatalogInfo info;
  if (!GetRef(&ref) || (status_ = plat::GetCatalogInfo(ref, &info)) != noErr) return false;
  date.SetFromUtcDateTime(info.*field);
  return true;
}

bool CForkFile::GetCreationDate(CDateTime& date) {
  return GetCatalogDate(&plat::CatalogInfo::createDate, date);
}

bool CForkFile::GetModificationDate(CDateTime& date) {
  return GetCatalogDate(&plat::CatalogInfo::contentModDate, date);
}

bool CForkFile::GetFinderFileInfo(CFinderFileInfo* info) { return ReadInfo(info); }

bool CForkFile::SetFinderFileInfo(const CFinderFileInfo* info) { return WriteInfo(info); }

bool CForkFile::GetFinderFolderInfo(CFinderFolderInfo* info) { return ReadInfo(info); }

bool CForkFile::SetFinderFolderInfo(const CFinderFolderInfo* info) { return WriteInfo(info); }

bool CForkFile::SetHasBundleFlag() {
  plat::FinderInfoBytes bytes;
  if (!ReadFinderBytes(&bytes)) return false;
  bytes.SetFileFlags(UInt16(bytes.FileFlags() | kFinderHasBundle));
  return WriteFinderBytes(bytes);
}

bool CForkFile::MoveToFolder(const FSRef* folderRef) {
  FSRef ref;
  if (!GetRef(&ref)) return false;
  plat::CatalogInfo folder;
  status_ = CheckFsRef(folderRef, &folder);
  if (status_ == noErr && !(folder.nodeFlags & kFSNodeIsDirectoryMask)) status_ = dirNFErr;
  if (status_ == noErr) status_ = plat::MoveItemToFolder(ref.path, folderRef->path);
  if (status_ != noErr) return false;
  FSRef moved;
  if (plat::MakeFsRef(plat::JoinHostPath(folderRef->path, plat::HostItemName(ref.path)), &moved) != noErr ||
      !SetUrlFromRef(moved))
    ForgetLocation();
  return true;
}

bool CForkFile::MoveToFolderUrl(CFURLRef folderUrl) {
  FSRef folder;
  if (!GetFsRefForUrl(&folder, folderUrl, &status_)) return false;
  return MoveToFolder(&folder);
}

bool CForkFile::Delete() {
  FSRef ref;
  if (!GetRef(&ref)) return false;
  status_ = plat::DeleteItem(ref.path);
  return status_ == noErr;
}

bool CForkFile::Rename(const char* name) {
  FSRef ref;
  std::string host;
  if (!GetRef(&ref)) return false;
  if (!ToHostItemName(name, &host)) {
    status_ = bdNamErr;
    return false;
  }
  status_ = plat::RenameItem(ref.path, host);
  if (status_ != noErr) return false;
  FSRef renamed;
  if (plat::MakeFsRef(plat::JoinHostPath(plat::HostParentFolder(ref.path), host), &renamed) != noErr ||
      !SetUrlFromRef(renamed))
    ForgetLocation();
  return true;
}

FILE* CForkFile::OpenStdioFile(const char* mode) {
  FSRef ref;
  return GetRef(&ref) ? OpenStdioFileForFsRef(&ref, mode) : nullptr;
}

bool CForkFile::OpenFileStream(std::fstream& stream, std::ios::openmode mode) {
  FSRef ref;
  return GetRef(&ref) && OpenFileStreamForFsRef(&ref, stream, mode);
}
