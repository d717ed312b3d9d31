#include "foundation/file_layer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_ops.h"
#include "platform/folder_iteration.h"
#include "platform/forks.h"
#include "platform/host_paths.h"
#include "platform/text_encoding.h"

namespace {

[[nodiscard]] bool IsFolderRef(const FSRef* ref) {
  plat::CatalogInfo info;
  return CheckFsRef(ref, &info) == noErr && (info.nodeFlags & kFSNodeIsDirectoryMask);
}

[[nodiscard]] bool IsWriteMode(const char* mode) {
  return std::strpbrk(mode, "wa+") != nullptr;
}

[[nodiscard]] bool IsWriteMode(std::ios::openmode mode) {
  return (mode & (std::ios::out | std::ios::app | std::ios::trunc)) != 0;
}

// Only regular files (also through a link) open as files: a folder or a
// FIFO would give a stream that fails or blocks.
[[nodiscard]] bool OpensAsFile(const FSRef* ref, bool writing) {
  if (CheckFsRef(ref) != noErr) return false;
  struct stat info;
  if (stat(ref->path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return !writing || plat::RefuseIfLocked(ref->path) == noErr;
}

template <typename Stream>
[[nodiscard]] bool OpenStream(const FSRef* ref, Stream& stream, std::ios::openmode mode) {
  if (!OpensAsFile(ref, IsWriteMode(mode))) return false;
  stream.open(ref->path, mode);
  return stream.is_open();
}

// The text after the last '.' of the name at [start, end) is replaced.
void ReplaceExtension(std::string& text, size_t start, const char* extension) {
  std::string ext = extension ? extension : "";
  size_t end = text.size();
  size_t dot = text.rfind('.', end == 0 ? 0 : end - 1);
  if (dot != std::string::npos && dot >= start) {
    text.erase(ext.empty() ? dot : dot + 1);
    text += ext;
  } else if (!ext.empty()) {
    text += "." + ext;
  }
}

}  // namespace

bool ToHostItemName(const char* name, std::string* host) {
  if (!name) return false;
  std::string text(name);
  if (!plat::IsSingleName(text)) return false;
  *host = plat::ToHostPath(text);
  return true;
}

bool DeleteFsRef(const FSRef* ref) {
  return CheckFsRef(ref) == noErr && plat::DeleteItem(ref->path) == noErr;
}

bool MoveFsRef(const FSRef* ref, const FSRef* folderRef) {
  return CheckFsRef(ref) == noErr && IsFolderRef(folderRef) &&
         plat::MoveItemToFolder(ref->path, folderRef->path) == noErr;
}

bool RenameFsRef(const FSRef* ref, const char* name) {
  std::string host;
  return ToHostItemName(name, &host) && CheckFsRef(ref) == noErr &&
         plat::RenameItem(ref->path, host) == noErr;
}

bool RenameFileAtPath(const CPathName& path, const char* name) {
  FSRef ref;
  return path.GetFsRef(&ref) && RenameFsRef(&ref, name);
}

bool CreateFileAtUrl(FSRef* refOut, CFURLRef url, u32 whichInfo, const plat::CatalogInfo* info,
                     OSErr* status) {
  OSErr ignored;
  OSErr& result = status ? *status : ignored;
  result = kUrlPartMissingErr;
  if (!url || url->Path().empty() || url->Path() == "/" || !url->IsAbsolute()) return false;
  std::string parentPath, name;
  plat::SplitHostPath(url->Path(), &parentPath, &name);
  FSRef parent;
  if (!plat::IsSingleName(name)) return false;
  if ((result = plat::MakeFsRef(parentPath, &parent)) != noErr) {
    if (result == fnfErr) result = dirNFErr;  // the folder to hold it is missing
    return false;
  }
  struct stat folder;
  if (stat(parent.path.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    result = dirNFErr;
    return false;
  }
  std::string path = plat::JoinHostPath(parent.path, name);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    result = plat::ErrnoToOSErr(errno);
    return false;
  }
  close(fd);
  result = noErr;
  if (info && (whichInfo & kFSCatInfoFinderInfo)) result = plat::WriteFinderInfo(path, info->finderInfo);
  if (result == noErr && info && (whichInfo & kFSCatInfoNodeFlags) &&
      (info->nodeFlags & kFSNodeLockedMask))
    result = plat::SetLocked(path, true);
  FSRef ref;
  if (result == noErr) result = plat::MakeFsRef(path, &ref);
  if (result != noErr) {
    unlink(path.c_str());  // a file without its information is not the file asked for
    return false;
  }
  if (refOut) *refOut = ref;
  return true;
}

bool GetFsRefForUrl(FSRef* refOut, CFURLRef url, OSErr* status) {
  OSErr ignored;
  OSErr& result = status ? *status : ignored;
  result = kUrlPartMissingErr;
  if (!url || url->Path().empty() || !url->IsAbsolute()) return false;
  FSRef ref;
  if (url->Path() == "/") {
    result = plat::MakeFsRef("/", &ref);
  } else {
    std::string parentPath, name;
    plat::SplitHostPath(url->Path(), &parentPath, &name);
    FSRef parent;
    if (name.empty()) return false;
    result = plat::MakeFsRef(parentPath, &parent);
    if (result == noErr) result = plat::MakeFsRef(plat::JoinHostPath(parent.path, name), &ref);
  }
  if (result != noErr) return false;
  if (refOut) *refOut = ref;
  return true;
}

bool GetFsRefForPathString(const CPathName& path, FSRef* refOut) {
  FSRef ref;
  if (path.IsEmpty() || !path.GetFsRef(&ref)) return false;
  if (refOut) *refOut = ref;
  return true;
}

bool GetFsRefOfExistingPath(const CPathName& path, FSRef* refOut) {
  return GetFsRefForPathString(path, refOut);
}

FILE* OpenStdioFileForFsRef(const FSRef* ref, const char* mode) {
  if (!mode || !OpensAsFile(ref, IsWriteMode(mode))) return nullptr;
  return std::fopen(ref->path.c_str(), mode);
}

FILE* OpenStdioFileAtPath(const CPathName& path, const char* mode) {
  FSRef ref;
  return GetFsRefForPathString(path, &ref) ? OpenStdioFileForFsRef(&ref, mode) : nullptr;
}

bool OpenInputFileStream(const FSRef* ref, std::ifstream& stream, std::ios::openmode mode) {
  return OpenStream(ref, stream, mode | std::ios::in);
}

bool OpenOutputFileStream(const FSRef* ref, std::ofstream& stream, std::ios::openmode mode) {
  return OpenStream(ref, stream, mode | std::ios::out);
}

bool OpenFileStreamForFsRef(const FSRef* ref, std::fstream& stream, std::ios::openmode mode) {
  return OpenStream(ref, stream, mode);
}

bool OpenFileStreamAtPath(const CPathName& path, std::fstream& stream, std::ios::openmode mode) {
  FSRef ref;
  return GetFsRefForPathString(path, &ref) && OpenFileStreamForFsRef(&ref, stream, mode);
}

bool MovePathToFolderRef(const CPathName& path, const FSRef* folderRef) {
  FSRef ref;
  return GetFsRefForPathString(path, &ref) && MoveFsRef(&ref, folderRef);
}

bool MovePathToFolder(const CPathName& path, const FSRef* folderRef) {
  return MovePathToFolderRef(path, folderRef);
}

bool DeletePath(const CPathName& path) {
  FSRef ref;
  return GetFsRefForPathString(path, &ref) && DeleteFsRef(&ref);
}

std::string GetFsRefPathString(const FSRef* ref, bool asFolder) {
  if (CheckFsRef(ref) != noErr) return std::string();
  CPathName path(ref);
  int style = GetOutputPathStyle();
  std::string text = path.GetAbsolutePath(style);
  if (text.empty() || !asFolder) return text;
  char separator = style == kCFURLHFSPathStyle ? ':' : style == kCFURLWindowsPathStyle ? '\\' : '/';
  while (!text.empty() && text.back() == separator) text.pop_back();
  return text + separator;
}

bool SetPascalNameExtension(unsigned char* name, const char* extension) {
  if (!name) return false;
  std::string text(reinterpret_cast<const char*>(name + 1), name[0]);
  ReplaceExtension(text, 0, extension);
  if (text.size() > 255) return false;
  // A Pascal string: the length byte, then the characters with no terminator.
  name[0] = UInt8(text.size());
  std::copy(text.begin(), text.end(), name + 1);
  return true;
}

void SetPathStringExtension(std::string& path, const char* extension) {
  // Only the separator of the path's own form counts: a POSIX name's own ':'
  // belongs to the name.
  const char separator = CPathName(path).GetPathStyle() == kCFURLHFSPathStyle ? ':' : '/';
  size_t end = path.size();
  while (end > 0 && path[end - 1] == separator) --end;
  std::string trailing = path.substr(end);
  std::string text = path.substr(0, end);
  const size_t at = text.rfind(separator);
  ReplaceExtension(text, at == std::string::npos ? 0 : at + 1, extension);
  path = text + trailing;
}

bool CreateFileWithTypeCreator(const CPathName& path, const CFileTypeCreator* tc, bool replace) {
  CFileTypeCreator defaults;
  const CFileTypeCreator& record = tc ? *tc : defaults;
  if (path.IsEmpty() || path.IsFolderPath()) return false;
  FSRef existing;
  if (path.GetFsRef(&existing)) {
    // Only a file or a link makes way for the new file, never a folder.
    if (!replace || plat::GetItemKind(existing.path) == plat::ItemKind::folder || !DeleteFsRef(&existing))
      return false;
  }
  CFURLRef url = path.CreateUrl();
  if (!url) return false;
  plat::CatalogInfo info;
  info.finderInfo.SetFileType(record.type);
  info.finderInfo.SetFileCreator(record.creator);
  if (record.invisible) info.finderInfo.SetFileFlags(kFinderInvisible);
  if (record.locked) info.nodeFlags |= kFSNodeLockedMask;
  bool created = CreateFileAtUrl(nullptr, url, kFSCatInfoFinderInfo | kFSCatInfoNodeFlags, &info);
  CFRelease(url);
  return created;
}

bool CreateFileInFolder(const char* name, const FSRef* folderRef, CPathName* pathOut,
                        const CFileTypeCreator* tc, bool replace) {
  std::string host;
  if (!ToHostItemName(name, &host) || !IsFolderRef(folderRef)) return false;
  CPathName folder(folderRef);
  if (folder.IsEmpty()) return false;
  CPathName file;
  file.CombineFolderAndName(name, folder);
  if (!CreateFileWithTypeCreator(file, tc, replace)) return false;
  if (pathOut) *pathOut = file;
  return true;
}

bool CreateFolderInFsRef(const char* name, const FSRef* folderRef, FSRef* newRefOut) {
  std::string host;
  if (!ToHostItemName(name, &host) || CheckFsRef(folderRef) != noErr) return false;
  std::string path = plat::JoinHostPath(folderRef->path, host);
  if (mkdir(path.c_str(), 0777) != 0) {
    struct stat info;
    if (errno != EEXIST || lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  }
  FSRef ref;
  if (plat::MakeFsRef(path, &ref) != noErr) return false;
  if (newRefOut) *newRefOut = ref;
  return true;
}

bool CreateFolderAtPath(const char* name, const CPathName& folderPath, FSRef* newRefOut) {
  FSRef folder;
  return GetFsRefForPathString(folderPath, &folder) && CreateFolderInFsRef(name, &folder, newRefOut);
}

bool CreateFolderInParent(const CPathName& path, FSRef* newRefOut) {
  CPathName absolute(path.GetAbsolutePath(0));
  FSRef parent;
  if (absolute.IsEmpty() || !absolute.GetParentFsRef(&parent)) return false;
  std::string name = absolute.GetLastComponent();
  return CreateFolderInFsRef(name.c_str(), &parent, newRefOut);
}

u64 GetFolderTreeSize(const FSRef* folderRef) {
  if (!IsFolderRef(folderRef)) return 0;
  u64 total = 0;
  std::vector<std::string> pending{folderRef->path};
  plat::FolderListing listing;
  while (!pending.empty()) {
    std::string folder = std::move(pending.back());
    pending.pop_back();
    if (listing.Open(folder) != noErr) continue;
    std::string name;
    while (listing.Next(&name) == noErr) {
      std::string item = plat::JoinHostPath(folder, name);
      struct stat info;
      if (lstat(item.c_str(), &info) != 0) continue;
      if (S_ISDIR(info.st_mode)) {
        pending.push_back(item);
      } else {
        total += u64(info.st_size);
      }
    }
    listing.Close();
  }
  return total;
}

bool GetPathFromFullHfsPath(const char* hfsPath, CPathName* pathOut) {
  if (!hfsPath || !pathOut) return false;
  CPathName hfs(hfsPath);
  FSRef ref;
  if (hfs.GetPathStyle() != kCFURLHFSPathStyle || !hfs.GetFsRef(&ref)) return false;
  CPathName resolved(&ref);
  std::string text = resolved.GetAbsolutePath(GetOutputPathStyle());
  if (text.empty()) return false;
  pathOut->SetPath(text.c_str());
  return true;
}
