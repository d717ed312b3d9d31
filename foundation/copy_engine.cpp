#include "foundation/copy_engine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <list>
#include <map>
#include <new>
#include <utility>
#include <vector>

#include "foundation/cf_string_holder.h"
#include "foundation/file_operations.h"
#include "foundation/finder_info.h"
#include "foundation/path_name.h"
#include "platform/file_ops.h"
#include "platform/finder_info.h"
#include "platform/folder_iteration.h"
#include "platform/forks.h"
#include "platform/host_paths.h"
#include "platform/text_encoding.h"

namespace {

constexpr OSType kBusyFileType = FourCC("bzy ");
constexpr u16 kHasBeenInitedFlag = 0x0100;

[[nodiscard]] bool IsZero(const plat::FinderInfoBytes& info) {
  return std::all_of(std::begin(info.bytes), std::end(info.bytes), [](u8 b) { return b == 0; });
}

// The source's Finder information as a copy gets it.
plat::FinderInfoBytes CopiedFinderInfo(const plat::CatalogInfo& info) {
  plat::FinderInfoBytes finder = info.finderInfo;
  finder.SetFileFlags(u16(finder.FileFlags() & ~kHasBeenInitedFlag));  // same word for folders
  return finder;
}

FSRef RefOf(const std::string& hostPath, const plat::CatalogInfo& info) {
  FSRef ref;
  ref.path = hostPath;
  ref.device = info.device;
  ref.inode = info.inode;
  return ref;
}

[[nodiscard]] bool SameItem(const struct stat& a, dev_t device, ino_t inode) {
  return a.st_dev == device && a.st_ino == inode;
}

// Whether the item (device, inode) is `hostPath` or one of the folders
// above it, up to the root.
[[nodiscard]] bool IsAtOrAbove(dev_t device, ino_t inode, std::string hostPath) {
  for (;;) {
    struct stat info;
    if (lstat(hostPath.c_str(), &info) == 0 && SameItem(info, device, inode)) return true;
    if (hostPath == "/" || hostPath.empty() || hostPath == ".") return false;
    hostPath = plat::HostParentFolder(hostPath);
  }
}

// Where a link leads: the canonical host path of the item at its end, and
// that item's catalog information. fnfErr when it leads to nothing,
// copyLoopErr when it leads round a loop of links.
[[nodiscard]] OSErr FollowLink(const std::string& hostPath, std::string* target, plat::CatalogInfo* info) {
  char* resolved = realpath(hostPath.c_str(), nullptr);
  if (!resolved) {
    const int error = errno;
    if (error == ELOOP) return copyLoopErr;
    return error == ENOENT || error == ENOTDIR ? OSErr(fnfErr) : plat::ErrnoToOSErr(error);
  }
  *target = resolved;
  std::free(resolved);
  return plat::GetCatalogInfo(*target, info);
}

constexpr size_t kNoFolder = size_t(-1);

// The folders a walk that follows links has entered, each with the folder
// of the walk it lies in (a link leads anywhere, so that is not always the
// folder above it on the disk).
class CFollowedFolders {
 public:
  // Enters the folder at `path` from the entered folder `above` (kNoFolder
  // for the top); its number goes to `entered`. copyLoopErr when it was
  // reached through a link and is, or holds, a folder the walk is in, or
  // when it has been entered kMaxFolderCopies times already.
  [[nodiscard]] OSErr Enter(const std::string& path, const plat::CatalogInfo& info, bool throughLink, size_t above,
                            size_t* entered) {
    if (throughLink)
      for (size_t at = above; at != kNoFolder; at = folders_[at].above)
        if (IsAtOrAbove(info.device, info.inode, folders_[at].path)) return copyLoopErr;
    if (++copies_[{info.device, info.inode}] > kMaxFolderCopies) return copyLoopErr;
    folders_.push_back({path, above});
    *entered = folders_.size() - 1;
    return noErr;
  }

 private:
  struct Folder {
    std::string path;  // canonical host path
    size_t above;
  };
  std::vector<Folder> folders_;
  std::map<std::pair<dev_t, ino_t>, int> copies_;
};

// Dates, owner, group, permissions and the lock of the source, put on a
// finished copy (the lock last: it refuses further changes).
[[nodiscard]] OSErr FinishCopy(const std::string& hostPath, const plat::CatalogInfo& source) {
  OSErr result = plat::SetOwnerAndMode(hostPath, source.user, source.group, source.mode);
  if (result == noErr)
    result = plat::SetCatalogDates(hostPath, nullptr, &source.contentModDate, &source.accessDate);
  if (result == noErr && (source.nodeFlags & kFSNodeLockedMask) && !source.isSymbolicLink)
    result = plat::SetLocked(hostPath, true);
  return result;
}

// Removes what a failed copy step made. The step's own failure is the one
// reported: a leftover that cannot be removed tells the caller nothing more.
void RemoveFailedCopy(const std::string& hostPath) { static_cast<void>(plat::DeleteTree(hostPath)); }

[[nodiscard]] OSErr CopyLink(const FSRef& source, const plat::CatalogInfo& info, const std::string& hostPath,
               CopyParameters& parameters) {
  OSErr result = plat::CopyLinkItem(source.path, hostPath);
  if (result != noErr) return result;
  plat::FinderInfoBytes finder = CopiedFinderInfo(info);
  if (!IsZero(finder)) result = plat::WriteFinderInfo(hostPath, finder);
  if (result == noErr && !parameters.dropFolder) result = FinishCopy(hostPath, info);
  if (result != noErr) RemoveFailedCopy(hostPath);
  return result;
}

// The file copy step: a file, or a link, named `name` in the folder.
[[nodiscard]] OSErr CopyFileItem(const FSRef& source, const plat::CatalogInfo& info, const std::string& folder,
                   const std::string& name, CopyParameters& parameters, FSRef* newRef) {
  std::string hostPath = plat::JoinHostPath(folder, name);
  OSErr result = noErr;
  if (info.isSymbolicLink) {
    result = CopyLink(source, info, hostPath, parameters);
  } else if (!info.isRegularFile) {
    return notAFileErr;
  } else {
    int fd = open(hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return plat::ErrnoToOSErr(errno);  // dupFNErr: the item there is not touched
    if (fchmod(fd, (info.mode | 0600) & 07777) != 0) result = plat::ErrnoToOSErr(errno);
    close(fd);

    // Outside a drop folder the copy is marked busy until its forks are in.
    plat::FinderInfoBytes finder = CopiedFinderInfo(info);
    plat::FinderInfoBytes creation = finder;
    if (!parameters.dropFolder) creation.SetFileType(kBusyFileType);
    bool keepFinder = !IsZero(finder);
    bool marked = false;
    if (result == noErr) {
      // A volume without Finder information can still take a copy that has none.
      OSErr written = plat::WriteFinderInfo(hostPath, creation);
      marked = written == noErr;
      if (!marked && keepFinder) result = written;
    }
    FSRef copy;
    if (result == noErr) result = plat::MakeFsRef(hostPath, &copy);
    if (result == noErr) result = CopyAllForks(&source, &copy, parameters);
    if (result == noErr && !parameters.dropFolder) {
      if (marked) result = plat::WriteFinderInfo(hostPath, finder);
      if (result == noErr) result = FinishCopy(hostPath, info);
    }
    if (result != noErr) RemoveFailedCopy(hostPath);
  }
  if (result == noErr && newRef) result = plat::MakeFsRef(hostPath, newRef);
  return result;
}

struct WorkEntry {
  std::string source;  // canonical host paths
  std::string copy;
  size_t followed = kNoFolder;  // its number among the folders entered, when links are followed
};

// A folder copied after the loop test: the walk of its tree, then the
// folders' own dates and permissions, deepest first.
[[nodiscard]] OSErr CopyFolder(const FSRef& source, const plat::CatalogInfo& info, const FSRef& folder,
                 const std::string& name, CopyParameters& parameters, FSRef* top) {
  CFollowedFolders followed;
  size_t first = kNoFolder;
  OSErr result = parameters.followLinks ? followed.Enter(source.path, info, false, kNoFolder, &first) : OSErr(noErr);
  if (result == noErr) result = CreateFolderCopy(&source, &folder, info, name, parameters, top);
  if (result != noErr) return result;
  std::list<WorkEntry> work{{source.path, top->path, first}};
  std::vector<std::pair<std::string, plat::CatalogInfo>> folders{{top->path, info}};
  plat::FolderListing listing;
  for (auto entry = work.begin(); entry != work.end() && result == noErr; ++entry) {
    if ((result = listing.Open(entry->source)) != noErr) break;
    FSRef into;
    into.path = entry->copy;
    std::list<WorkEntry> subfolders;
    std::string child;
    while (result == noErr && listing.Next(&child) == noErr) {
      std::string from = plat::JoinHostPath(entry->source, child);
      plat::CatalogInfo item;
      result = plat::GetCatalogInfo(from, &item);
      if (result == fnfErr) {
        result = noErr;  // gone since the folder was read
        continue;
      }
      if (result != noErr) break;
      // A link that is followed is copied as what it leads to, under its own name.
      std::string itemPath = from;
      const bool throughLink = parameters.followLinks && item.isSymbolicLink;
      if (throughLink && (result = FollowLink(from, &itemPath, &item)) != noErr) break;
      FSRef itemRef = RefOf(itemPath, item);
      if (item.nodeFlags & kFSNodeIsDirectoryMask) {
        size_t entered = kNoFolder;
        if (parameters.followLinks) {
          result = followed.Enter(itemPath, item, throughLink, entry->followed, &entered);
          // A folder that holds the copy would be copied into itself.
          if (result == noErr && throughLink && IsAtOrAbove(item.device, item.inode, entry->copy)) result = copyLoopErr;
          if (result != noErr) break;
        }
        FSRef made;
        result = CreateFolderCopy(&itemRef, &into, item, child, parameters, &made);
        if (result == noErr) {
          subfolders.push_back({itemPath, made.path, entered});
          folders.emplace_back(made.path, item);
        }
      } else {
        result = CopyFileItem(itemRef, item, entry->copy, child, parameters, nullptr);
      }
    }
    listing.Close();
    work.splice(std::next(entry), subfolders);
  }
  if (result == noErr && !parameters.dropFolder) {
    for (auto made = folders.rbegin(); made != folders.rend() && result == noErr; ++made)
      result = FinishCopy(made->first, made->second);
  }
  if (result != noErr) RemoveFailedCopy(top->path);
  return result;
}

// The copy's name in host form: the new name when one is given, else the source's.
[[nodiscard]] OSErr CopyName(const FSRef& source, const HFSUniStr255* newName, std::string* name) {
  if (newName && newName->length > 0) {
    if (newName->length > 255) return errFSNameTooLong;
    std::u16string units(reinterpret_cast<const char16_t*>(newName->unicode), newName->length);
    if (!plat::EncodeText(units, kCFStringEncodingUTF8, *name)) return bdNamErr;
  } else {
    *name = plat::HostItemName(source.path);
  }
  return plat::IsSingleName(*name) ? OSErr(noErr) : OSErr(bdNamErr);
}

}  // namespace

u32 CopyBufferSize(const CopyVolumeGrade& source, const CopyVolumeGrade* destination) {
  auto forVolume = [](const CopyVolumeGrade& volume) -> u32 {
    if (volume.parameterBytes < 18 || volume.grade >= 0) return kCopyBufferDefault;
    u64 size = (u64(-s64(volume.grade)) / 4) & ~u64(511);
    return u32(std::clamp<u64>(size, kCopyBufferMinimum, kCopyBufferMaximum));
  };
  u32 size = forVolume(source);
  return destination ? std::min(size, forVolume(*destination)) : size;
}

bool IsDropFolderMode(mode_t mode) { return (mode & 07) == 03; }

OSErr CopyForkContents(s16 sourceFork, s16 destinationFork, CopyParameters& parameters, u64 length) {
  if (!parameters.buffer || parameters.bufferSize == 0) return paramErr;
  s64 start = 0;
  if (OSErr result = plat::GetForkPosition(destinationFork, &start); result != noErr) return result;
  for (u64 done = 0; done < length;) {
    u64 chunk = std::min<u64>(parameters.bufferSize, length - done);
    u64 moved = 0;
    OSErr result = plat::ReadFork(sourceFork, chunk, parameters.buffer.get(), &moved);
    if (result == noErr && moved != chunk) result = eofErr;
    if (result != noErr) return result;
    result = plat::WriteFork(destinationFork, chunk, parameters.buffer.get(), &moved);
    if (result == noErr && moved != chunk) result = ioErr;
    if (result != noErr) return result;
    done += chunk;
  }
  // A destination that held more before ends where the copied bytes end.
  s64 size = 0;
  if (OSErr result = plat::GetForkSize(destinationFork, &size); result != noErr) return result;
  if (u64(size) != u64(start) + length) return plat::SetForkSize(destinationFork, start + s64(length));
  return noErr;
}

OSErr CopyAllForks(const FSRef* source, const FSRef* destination, CopyParameters& parameters) {
  plat::CatalogInfo info, target;
  if (OSErr result = CheckFsRef(source, &info); result != noErr) return result;
  if (OSErr result = CheckFsRef(destination, &target); result != noErr) return result;
  bool sourceFolder = info.nodeFlags & kFSNodeIsDirectoryMask;
  bool targetFolder = target.nodeFlags & kFSNodeIsDirectoryMask;
  if (sourceFolder && targetFolder) return noErr;
  if (!info.isRegularFile || !target.isRegularFile) return notAFileErr;

  struct Fork {
    plat::ForkKind kind;
    u64 size;
    s16 destination = 0;
  };
  Fork forks[] = {{plat::ForkKind::data, info.dataLogicalSize}, {plat::ForkKind::resource, info.resourceLogicalSize}};
  auto openDestination = [&](Fork& fork) {
    return plat::OpenFork(destination->path, fork.kind, fsWrPerm, &fork.destination);
  };
  auto copyInto = [&](Fork& fork) {
    s16 from = 0;
    OSErr result = plat::OpenFork(source->path, fork.kind, fsRdPerm, &from);
    if (result != noErr) return result;
    result = CopyForkContents(from, fork.destination, parameters, fork.size);
    // Closing a fork that was only read loses nothing: its bytes are in.
    static_cast<void>(plat::CloseFork(from));
    return result;
  };
  auto closeDestination = [](Fork& fork, OSErr result) {
    if (fork.destination == 0) return result;
    OSErr closed = plat::CloseFork(fork.destination);
    fork.destination = 0;
    return result != noErr ? result : closed;
  };

  OSErr result = noErr;
  if (!parameters.dropFolder) {
    // One fork at a time; an empty fork stays as the new file has it.
    for (Fork& fork : forks) {
      if (fork.size == 0) continue;
      result = openDestination(fork);
      if (result == noErr) result = copyInto(fork);
      result = closeDestination(fork, result);
      if (result != noErr) break;
    }
    return result;
  }
  // A drop folder may not let a file be opened again once it is written
  // and closed: every destination fork is opened before any data is read.
  for (Fork& fork : forks)
    if (result == noErr && fork.size > 0) result = openDestination(fork);
  for (Fork& fork : forks)
    if (result == noErr && fork.size > 0) result = copyInto(fork);
  for (Fork& fork : forks) result = closeDestination(fork, result);
  return result;
}

OSErr CreateFolderCopy(const FSRef* source, const FSRef* destinationFolder, const plat::CatalogInfo& info,
                       const std::string& name, CopyParameters& parameters, FSRef* newRef) {
  if (!source || !destinationFolder) return paramErr;
  if (!plat::IsSingleName(name)) return bdNamErr;
  std::string hostPath = plat::JoinHostPath(destinationFolder->path, name);
  if (mkdir(hostPath.c_str(), 0700) != 0) return plat::ErrnoToOSErr(errno);
  OSErr result = chmod(hostPath.c_str(), (info.mode | 0700) & 07777) == 0 ? OSErr(noErr)
                                                                          : plat::ErrnoToOSErr(errno);
  plat::FinderInfoBytes finder = CopiedFinderInfo(info);
  if (result == noErr && !IsZero(finder)) result = plat::WriteFinderInfo(hostPath, finder);
  FSRef made;
  if (result == noErr) result = plat::MakeFsRef(hostPath, &made);
  if (result == noErr) result = CopyAllForks(source, &made, parameters);
  if (result != noErr) {
    RemoveFailedCopy(hostPath);
    return result;
  }
  if (newRef) *newRef = made;
  return noErr;
}

OSErr CopyObject(const FSRef* source, const FSRef* destinationFolder, bool replace,
                 const HFSUniStr255* newName, FSRef* newRef, CopyLinks links) {
  if (!source || !destinationFolder) return paramErr;
  plat::CatalogInfo info;
  if (OSErr result = CheckFsRef(source, &info); result != noErr) return result;
  std::string name;
  if (OSErr result = CopyName(*source, newName, &name); result != noErr) return result;
  // A link that is followed is copied as what it leads to, under its own name.
  FSRef from = *source;
  if (links == CopyLinks::kFollow && info.isSymbolicLink) {
    if (OSErr result = FollowLink(source->path, &from.path, &info); result != noErr) return result;
    from = RefOf(from.path, info);
  }

  CopyParameters parameters;
  parameters.replace = replace;
  parameters.followLinks = links == CopyLinks::kFollow;
  parameters.bufferSize = CopyBufferSize(CopyVolumeGrade(), nullptr);
  parameters.buffer.reset(new (std::nothrow) u8[parameters.bufferSize]);
  if (!parameters.buffer) return memFullErr;

  // The destination: a folder, also when reached through a link.
  if (OSErr result = CheckFsRef(destinationFolder); result != noErr) return result;
  char* resolved = realpath(destinationFolder->path.c_str(), nullptr);
  FSRef folder;
  struct stat folderInfo;
  if (resolved) folder.path = resolved;
  std::free(resolved);
  if (folder.path.empty() || stat(folder.path.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
    return errFSNotAFolder;
  folder.device = folderInfo.st_dev;
  folder.inode = folderInfo.st_ino;
  parameters.dropFolder = IsDropFolderMode(folderInfo.st_mode);

  bool isFolder = info.nodeFlags & kFSNodeIsDirectoryMask;
  if (isFolder && IsAtOrAbove(info.device, info.inode, folder.path)) return copyLoopErr;

  std::string target = plat::JoinHostPath(folder.path, name);
  std::string aside;
  struct stat existing;
  if (lstat(target.c_str(), &existing) == 0) {
    if (SameItem(existing, info.device, info.inode) || !replace) return dupFNErr;
    if (S_ISDIR(existing.st_mode) && (IsAtOrAbove(existing.st_dev, existing.st_ino, source->path) ||
                                      IsAtOrAbove(existing.st_dev, existing.st_ino, from.path)))
      return copyLoopErr;
    if (OSErr result = plat::SetItemAside(target, &aside); result != noErr) return result;
  }

  FSRef copy;
  OSErr result = isFolder ? CopyFolder(from, info, folder, name, parameters, &copy)
                          : CopyFileItem(from, info, folder.path, name, parameters, &copy);
  if (!aside.empty()) {
    if (result == noErr) {
      FSRef setAside;
      result = plat::MakeFsRef(aside, &setAside);
      if (result == noErr) result = DeleteObjectUnlocked(&setAside);
    } else {
      // The copy's own failure is the one reported; an item set aside that
      // cannot be put back stays under its aside name, never deleted.
      static_cast<void>(plat::RenameItem(aside, name));
    }
  }
  if (result == noErr && newRef) *newRef = copy;
  return result;
}

OSErr CheckLinksToFollow(const FSRef* source, std::string* failedPath) {
  if (!source) return paramErr;
  std::string unused;
  std::string& failed = failedPath ? *failedPath : unused;
  failed = source->path;
  plat::CatalogInfo info;
  std::string path = source->path;
  OSErr result = CheckFsRef(source, &info);
  if (result == noErr && info.isSymbolicLink) result = FollowLink(source->path, &path, &info);
  if (result != noErr) return result;
  if (!(info.nodeFlags & kFSNodeIsDirectoryMask)) return info.isRegularFile ? OSErr(noErr) : OSErr(notAFileErr);

  // The folders still to be read, each with its number among those
  // entered, the next last: the copy's order, depth first.
  CFollowedFolders followed;
  std::vector<std::pair<std::string, size_t>> pending(1, {path, kNoFolder});
  if ((result = followed.Enter(path, info, false, kNoFolder, &pending.back().second)) != noErr) return result;
  plat::FolderListing listing;
  while (!pending.empty()) {
    const auto [folder, number] = pending.back();
    pending.pop_back();
    const size_t below = pending.size();
    failed = folder;
    if ((result = listing.Open(folder)) != noErr) return result;
    std::string child;
    while (result == noErr && listing.Next(&child) == noErr) {
      const std::string from = plat::JoinHostPath(folder, child);
      failed = from;
      plat::CatalogInfo item;
      if ((result = plat::GetCatalogInfo(from, &item)) == fnfErr) {
        result = noErr;  // gone since the folder was read
        continue;
      }
      std::string itemPath = from;
      const bool throughLink = result == noErr && item.isSymbolicLink;
      if (throughLink) result = FollowLink(from, &itemPath, &item);
      if (result != noErr) break;
      if (item.nodeFlags & kFSNodeIsDirectoryMask) {
        size_t entered = kNoFolder;
        if ((result = followed.Enter(itemPath, item, throughLink, number, &entered)) == noErr)
          pending.emplace_back(itemPath, entered);
      } else if (!item.isRegularFile) {
        result = notAFileErr;
      }
    }
    listing.Close();
    if (result != noErr) return result;
    std::reverse(pending.begin() + std::ptrdiff_t(below), pending.end());
  }
  return noErr;
}

namespace {

// CopyTo, keeping links or following them.
[[nodiscard]] bool CopyPathTo(const CPathName& item, const CPathName& destinationFolder, const char* newName,
                              bool replace, CPathName* copyOut, OSErr* error, CopyLinks links) {
  OSErr ignored = noErr;
  OSErr& result = error ? *error : ignored;
  FSRef source, folder;
  if (!item.GetFsRef(&source, &result)) return false;
  if (!destinationFolder.GetFsRef(&folder, &result)) {
    if (result == fnfErr || result == dirNFErr) result = errFSNotAFolder;
    return false;
  }
  HFSUniStr255 name{};
  bool named = false;
  if (newName && *newName) {
    CCFString text(newName);
    if (text.GetLength() > 255) {
      result = errFSNameTooLong;  // a shortened name would name another item
      return false;
    }
    named = text.GetHfsUniStr255(&name);
  }
  FSRef copy;
  result = CopyObject(&source, &folder, replace, named ? &name : nullptr, &copy, links);
  if (result != noErr) return false;
  // The copy is made; a path that cannot be held leaves the caller's empty.
  if (copyOut && !copyOut->SetFromFsRef(&copy)) *copyOut = CPathName(nullptr);
  return true;
}

}  // namespace

bool CPathName::CopyTo(const CPathName& destinationFolder, const char* newName, bool replace,
                       CPathName* copyOut, OSErr* error) const {
  return CopyPathTo(*this, destinationFolder, newName, replace, copyOut, error, CopyLinks::kKeep);
}

bool CPathName::CopyFollowingLinks(const CPathName& destinationFolder, const char* newName, bool replace,
                                   CPathName* copyOut, OSErr* error) const {
  return CopyPathTo(*this, destinationFolder, newName, replace, copyOut, error, CopyLinks::kFollow);
}
