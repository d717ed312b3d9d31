#include "foundation/file_operations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "foundation/file_layer.h"
#include "foundation/finder_info.h"
#include "platform/byte_order.h"
#include "platform/catalog.h"
#include "platform/file_ops.h"
#include "platform/finder_info.h"
#include "platform/forks.h"
#include "platform/host_paths.h"
#include "platform/launcher.h"
#include "platform/memory_handles.h"
#include "platform/resource_manager.h"
#include "platform/resource_map.h"
#include "platform/system_info.h"

namespace {

// A path that names nothing (the item, or a folder on its way, is missing).
[[nodiscard]] bool IsMissing(OSErr error) { return error == fnfErr || error == dirNFErr; }

// Re-reads a path from the item now at `hostPath`.
[[nodiscard]] OSErr Reread(CPathName& path, const std::string& hostPath) {
  FSRef ref;
  OSErr result = plat::MakeFsRef(hostPath, &ref);
  if (result == noErr && !path.SetFromFsRef(&ref)) result = bdNamErr;
  return result;
}

// Whether an existing item can make way for another of its name: files,
// links and empty folders can; a folder with contents cannot.
[[nodiscard]] bool CanBeReplaced(const std::string& hostPath) {
  plat::ItemKind kind = plat::GetItemKind(hostPath);
  return kind != plat::ItemKind::folder || plat::IsEmptyFolder(hostPath);
}

// A file of that path with `tc`'s codes (and flags when `withFlags`): an
// existing file is replaced only with `replace`, a folder never.
[[nodiscard]] bool CreateTypedFile(const CPathName& path, const CFileTypeCreator* tc, bool replace, bool withFlags) {
  CFileTypeCreator codes = tc ? *tc : CFileTypeCreator();
  if (!withFlags) codes.invisible = codes.locked = 0;
  return CreateFileWithTypeCreator(path, &codes, replace);
}

// The pid of a serial number that names a process; 0 otherwise.
pid_t PidOf(const ProcessSerialNumber* process) {
  if (!process || process->highLongOfPSN != 0 || process->lowLongOfPSN > u32(INT_MAX)) return 0;
  return pid_t(process->lowLongOfPSN);
}

}  // namespace

// ---------------------------------------------------------------------------
// Deleting trees

OSErr DeleteFolderTree(const FSRef* folder) {
  plat::CatalogInfo info;
  if (OSErr result = CheckFsRef(folder, &info); result != noErr) return result;
  if (!(info.nodeFlags & kFSNodeIsDirectoryMask)) return dirNFErr;
  return plat::DeleteTree(folder->path);
}

OSErr DeleteObjectUnlocked(const FSRef* item) {
  if (!item) return paramErr;
  if (OSErr result = CheckFsRef(item); result != noErr) return result;
  return plat::DeleteTree(item->path);
}

OSErr DeleteFolderContents(const FSRef* folder) {
  plat::CatalogInfo info;
  if (OSErr result = CheckFsRef(folder, &info); result != noErr) return result;
  if (!(info.nodeFlags & kFSNodeIsDirectoryMask)) return dirNFErr;
  return plat::DeleteFolderContents(folder->path);
}

// ---------------------------------------------------------------------------
// Creating

bool CPathName::CreateFolder() {
  FSRef ref;
  bool exists = false;
  OSErr error = noErr;
  if (GetCreationFsRef(&ref, &exists, &error) && exists) {
    struct stat info;
    error = stat(ref.path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? noErr : dupFNErr;
  } else if (error == noErr) {
    std::string name;
    std::string made;
    if (!ToHostItemName(GetName(false).c_str(), &name)) {
      error = bdNamErr;
    } else if (made = plat::JoinHostPath(ref.path, name); mkdir(made.c_str(), 0777) != 0) {
      error = plat::ErrnoToOSErr(errno);
    } else {
      error = Reread(*this, made);
    }
  }
  SetLastPathError(error);
  return error == noErr;
}

bool CPathName::CreateFile(const CFileTypeCreator* tc, bool replace) {
  return CreateTypedFile(*this, tc, replace, true);
}

bool CPathName::CreateResourceFile(const CFileTypeCreator* tc, bool replace) {
  if (!CreateTypedFile(*this, tc, replace, false)) return false;
  FSRef ref;
  std::vector<u8> emptyMap;
  if (GetFsRef(&ref) && plat::ResourceMap().Serialize(emptyMap) &&
      plat::WriteForkImage(ref.path, plat::ForkKind::data, emptyMap) == noErr)
    return true;
  // The file without its map is no resource file: it goes again, as far as it can.
  if (plat::IsValidFsRef(ref)) static_cast<void>(plat::DeleteItem(ref.path));
  return false;
}

bool CPathName::CreateAliasFile(const CPathName& aliasPath) const {
  FSRef item;
  plat::CatalogInfo info;
  FSSpec spec;
  if (!GetFsRef(&item) || CheckFsRef(&item, &info) != noErr || !aliasPath.GetFsSpec(&spec)) return false;
  std::string link = plat::JoinHostPath(spec.parent, spec.name);
  struct stat existing;
  if (lstat(link.c_str(), &existing) == 0) {
    // Never the item itself, never a folder or anything but a file or link.
    bool replaceable = S_ISREG(existing.st_mode) || S_ISLNK(existing.st_mode);
    bool isItem = existing.st_dev == info.device && existing.st_ino == info.inode;
    if (!replaceable || isItem || plat::DeleteItem(link) != noErr) return false;
  }
  // The alias carries the item's file information with only the alias flag;
  // a folder has no file type, so its alias keeps "????".
  plat::FinderInfoBytes alias;
  bool isFolder = info.nodeFlags & kFSNodeIsDirectoryMask;
  if (!isFolder) std::copy(info.finderInfo.bytes, info.finderInfo.bytes + 16, alias.bytes);
  OSType type = isFolder ? FourCC("????") : alias.FileType();
  alias.SetFileType(type == FourCC("APPL") ? FourCC("adrp") : type);
  if (isFolder) alias.SetFileCreator(FourCC("????"));
  alias.SetFileFlags(plat::kIsAliasFlag);
  if (plat::CreateRelativeLink(link, item.path) != noErr) return false;
  if (plat::WriteFinderInfo(link, alias) == noErr) return true;
  // A link without its alias flag is no alias file: it goes again, as far as it can.
  static_cast<void>(plat::DeleteItem(link));
  return false;
}

bool CPathName::SetSizeResource(u32 preferred, u32 minimum) const {
  FSSpec spec;
  return GetFsSpec(&spec) && ::SetSizeResource(&spec, preferred, minimum);
}

bool SetSizeResource(const FSSpec* spec, u32 preferred, u32 minimum) {
  if (!spec) return false;
  const SInt16 previous = CurResFile();
  const SInt16 file = FSpOpenResFile(spec, fsRdWrPerm);
  if (file < 0) return false;
  // The flags word comes first, then the preferred and the minimum size; a
  // resource too short to hold both is left alone.
  bool changed = false;
  Handle size = Get1Resource(FourCC("SIZE"), -1);
  if (size && GetHandleSize(size) >= 10) {
    u8* bytes = reinterpret_cast<u8*>(*size);
    plat::PutBig32(bytes + 2, preferred);
    plat::PutBig32(bytes + 6, minimum);
    ChangedResource(size);
    changed = ResError() == noErr;
  }
  CloseResFile(file);  // stores the changed resource
  const bool stored = changed && ResError() == noErr;
  if (previous >= 0) UseResFile(previous);
  return stored;
}

// ---------------------------------------------------------------------------
// Deleting

bool CPathName::Delete(bool unlinkFolder) const {
  FSRef ref;
  OSErr error = noErr;
  if (!GetFsRef(&ref, &error)) {
    if (IsMissing(error)) return true;
    SetLastPathError(error);
    return false;
  }
  error = plat::DeleteItem(ref.path);
  if (error == fBsyErr && unlinkFolder)
    error = unlink(ref.path.c_str()) == 0 ? OSErr(noErr) : plat::ErrnoToOSErr(errno);
  SetLastPathError(error);
  return error == noErr;
}

bool CPathName::DeleteRecursive(bool recursive) const {
  FSRef ref;
  if (!GetFsRef(&ref)) return false;
  OSErr error = plat::DeleteItem(ref.path);
  if (error == fBsyErr && recursive) error = DeleteFolderTree(&ref);
  return error == noErr;
}

// ---------------------------------------------------------------------------
// Renaming and moving

bool CPathName::Rename(const char* newName, OSErr* error) {
  std::string name;
  if (!ToHostItemName(newName, &name)) return Report(bdNamErr, error);
  FSRef ref;
  OSErr result = noErr;
  if (!GetFsRef(&ref, &result)) return Report(result, error);
  std::string target = plat::JoinHostPath(plat::HostParentFolder(ref.path), name);
  result = plat::RenameItem(ref.path, name);
  if (result == dupFNErr) {
    // The item of that name makes way: set aside first, so that it can come
    // back when the rename fails, deleted once the rename is done.
    if (!CanBeReplaced(target)) return Report(fBsyErr, error);
    std::string aside;
    if ((result = plat::SetItemAside(target, &aside)) != noErr) return Report(result, error);
    result = plat::RenameItem(ref.path, name);
    if (result != noErr) {
      // The rename's failure is the one reported; an item that cannot come
      // back stays under its aside name, never deleted.
      static_cast<void>(plat::RenameItem(aside, name));
      return Report(result, error);
    }
    result = plat::DeleteItem(aside);
  }
  if (result == noErr) result = Reread(*this, target);
  return Report(result, error);
}

bool CPathName::MoveTo(const CPathName& destination, OSErr* error) {
  FSRef ref, place;
  OSErr result = noErr;
  if (!GetFsRef(&ref, &result)) return Report(result, error);
  if (!destination.GetFsRef(&place, &result))
    return Report(IsMissing(result) ? OSErr(errFSNotAFolder) : result, error);
  struct stat info;
  std::string folder = place.path;
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) folder = plat::HostParentFolder(place.path);
  result = plat::MoveItemToFolder(ref.path, folder);
  if (result == noErr) result = Reread(*this, plat::JoinHostPath(folder, plat::HostItemName(ref.path)));
  return Report(result, error);
}

// ---------------------------------------------------------------------------
// Unique and backup names

bool CPathName::MakeUniqueName(const CPathName& model) {
  std::string absolute = model.GetAbsolutePath(0);
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  CPathName candidate(absolute);
  if (absolute.empty() || absolute == "/") return false;
  std::string base = candidate.GetName(true), extension = candidate.GetNameExtension(true);
  for (int n = -1; n < 1000; ++n) {
    std::string name = base + "__";
    if (n >= 0) name += std::to_string(n);
    name += extension;
    candidate.SetFileName(name.c_str());
    if (!candidate.Exists()) {
      *this = candidate;
      return true;
    }
  }
  return false;
}

bool CPathName::RenameToBackup(const CPathName& source, bool replace) {
  CPathName original(source.GetAbsolutePath(0));
  if (!original.Exists()) return false;
  std::string name = original.GetName(false) + "~";
  CPathName backup(original.GetParentFolder(true));
  backup.SetFileName(name.c_str());
  if (backup.Exists() && (!replace || !backup.Delete(false))) return false;
  CPathName renamed(original);
  if (!renamed.Rename(name.c_str())) return false;
  *this = renamed;
  return true;
}

// ---------------------------------------------------------------------------
// Programs

bool CPathName::OpenInFinder() const {
  FSRef ref;
  return GetFsRef(&ref) && plat::Launch({"xdg-open", ref.path});
}

bool CPathName::OpenWithApplication(const CPathName& application) const {
  FSRef item, app;
  std::string program;
  return GetFsRef(&item) && application.GetFsRef(&app) &&
         plat::FindApplicationExecutable(app.path, &program) && plat::Launch({program, item.path});
}

bool CPathName::LaunchApplication(ProcessSerialNumber* process) const {
  if (process) *process = ProcessSerialNumber();
  FSRef app;
  std::string program;
  pid_t pid = 0;
  if (!GetFsRef(&app) || !plat::FindApplicationExecutable(app.path, &program) ||
      !plat::Launch({program}, &pid))
    return false;
  if (process) process->lowLongOfPSN = u32(pid);
  return true;
}

bool CPathName::LaunchOrOpen(ProcessSerialNumber* process) const {
  return LaunchApplication(process) || OpenInFinder();
}

bool CPathName::QuitApplicationProcess(const ProcessSerialNumber* process) const {
  pid_t pid = PidOf(process);
  FSRef app;
  std::string started;
  struct stat mine, theirs;
  if (pid <= 0 || !GetFsRef(&app) || !plat::GetProcessApplication(pid, &started) ||
      stat(app.path.c_str(), &mine) != 0 || stat(started.c_str(), &theirs) != 0 ||
      mine.st_dev != theirs.st_dev || mine.st_ino != theirs.st_ino)
    return false;
  return plat::TerminateProcess(pid);
}

bool CPathName::OpenDataForkForReading(s16* refNum) const {
  FSRef ref;
  return refNum && GetFsRef(&ref) && plat::OpenFork(ref.path, plat::ForkKind::data, fsRdPerm, refNum) == noErr;
}

// ---------------------------------------------------------------------------
// Replacing a file whole

CFileReplacement::~CFileReplacement() {
  if (!temporary_.IsEmpty()) temporary_.Delete();
}

bool CFileReplacement::Begin(const CPathName& path) {
  if (!temporary_.IsEmpty()) temporary_.Delete();
  target_ = temporary_ = CPathName(nullptr);
  if (path.IsEmpty() || path.IsFolderPath()) return false;
  const std::string host = plat::ToHostPath(path.GetAbsolutePath(0));
  if (host.empty()) return false;
  std::string target = host;
  const plat::ItemKind kind = plat::GetItemKind(host);
  if (kind == plat::ItemKind::link && plat::FollowLinkChain(host, &target) != noErr) return false;
  // Only a file makes way for the new one (or nothing is there yet).
  const plat::ItemKind targetKind = plat::GetItemKind(target);
  if (targetKind != plat::ItemKind::file && targetKind != plat::ItemKind::missing) return false;
  std::string held;
  if (!plat::FromHostPath(target, held)) return false;
  CPathName file(held);
  CPathName temporary(nullptr);
  // Made here, so that what goes with the object is this save's own file.
  if (!temporary.MakeUniqueName(file) || !temporary.CreateFile(nullptr, false)) return false;
  target_ = file;
  temporary_ = temporary;
  return true;
}

bool CFileReplacement::Commit() {
  if (temporary_.IsEmpty()) return false;
  const std::string target = plat::ToHostPath(target_.GetString());
  const std::string temporary = plat::ToHostPath(temporary_.GetString());
  struct stat replaced;
  bool done = true;
  if (lstat(target.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode))
    done = plat::SetOwnerAndMode(temporary, replaced.st_uid, replaced.st_gid, replaced.st_mode) == noErr;
  if (done) done = temporary_.Rename(target_.GetLastComponent().c_str());
  // Put in place, the new content is the file; else it goes.
  if (done) temporary_ = CPathName(nullptr);
  return done;
}
