#include "platform/file_refs.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/host_paths.h"

namespace plat {
namespace {

// The canonical form of an existing folder or item, all links resolved.
[[nodiscard]] bool RealPath(const std::string& path, std::string& out) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return false;
  out = resolved;
  std::free(resolved);
  return true;
}

// After a failed look-up of a path's folder or of the item itself.
[[nodiscard]] OSErr FolderError(int error) { return error == ENOENT || error == ENOTDIR ? OSErr(dirNFErr) : ErrnoToOSErr(error); }
[[nodiscard]] OSErr ItemError(int error) { return error == ENOTDIR ? OSErr(dirNFErr) : ErrnoToOSErr(error); }

}  // namespace

OSErr MakeFsRef(const std::string& hostPath, FSRef* out) {
  if (!out) return paramErr;
  ClearFsRef(out);
  if (hostPath.empty() || hostPath.find('\0') != std::string::npos) return paramErr;

  // Trailing separators do not change which item is meant.
  std::string path = hostPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();

  size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string canonical;
  if (path == "/" || name == "." || name == "..") {
    if (!RealPath(path, canonical)) return ItemError(errno);
  } else {
    std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string folder;
    struct stat info;
    if (!RealPath(parent, folder)) return FolderError(errno);
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return dirNFErr;
    canonical = folder == "/" ? "/" + name : folder + "/" + name;
  }

  struct stat info;
  if (lstat(canonical.c_str(), &info) != 0) return ItemError(errno);
  out->path = canonical;
  out->device = info.st_dev;
  out->inode = info.st_ino;
  return noErr;
}

bool IsValidFsRef(const FSRef& ref) { return !ref.path.empty(); }

bool SameFsRef(const FSRef& a, const FSRef& b) {
  return IsValidFsRef(a) && IsValidFsRef(b) && a.device == b.device && a.inode == b.inode;
}

void ClearFsRef(FSRef* ref) {
  if (!ref) return;
  ref->path.clear();
  ref->device = 0;
  ref->inode = 0;
}

OSErr MakeFsSpec(const FSRef& parent, const std::string& name, FSSpec* out) {
  if (!out) return paramErr;
  *out = FSSpec();
  if (!IsValidFsRef(parent)) return paramErr;
  // A name is one component: no separator, no NUL, not a walk up or sideways.
  if (!IsSingleName(name)) return bdNamErr;
  struct stat info;
  if (stat(parent.path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return dirNFErr;
  out->parent = parent.path;
  out->name = name;
  return noErr;
}

OSErr FsRefFromSpec(const FSSpec& spec, FSRef* out) {
  if (!out) return paramErr;
  ClearFsRef(out);
  if (spec.parent.empty() || spec.name.empty()) return paramErr;
  if (spec.name.find('/') != std::string::npos) return bdNamErr;
  return MakeFsRef(spec.parent == "/" ? "/" + spec.name : spec.parent + "/" + spec.name, out);
}

OSErr ErrnoToOSErr(int error) {
  switch (error) {
    case 0: return noErr;
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EEXIST: return dupFNErr;
    case EACCES:
    case EPERM: return permErr;
    case EROFS: return wPrErr;
    case ENOSPC:
    case EDQUOT: return dskFulErr;
    case EBUSY:
    case ENOTEMPTY: return fBsyErr;
    case EISDIR: return notAFileErr;
    case ENAMETOOLONG: return errFSNameTooLong;
    case EINVAL: return paramErr;
    case ENOMEM: return memFullErr;
    case EXDEV: return diffVolErr;
    case EMFILE:
    case ENFILE: return tmfoErr;
    default: return ioErr;
  }
}

}  // namespace plat
