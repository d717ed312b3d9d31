// Installing the items of an install script: each install item finds its
// folder on the user's machine, and its folders and files are made there
// from the data files among the running bundle's resources.
//
// An item that is replaced is first set aside under a hidden name; it is
// deleted once its replacement is complete and gets its name back when the
// replacement fails, so a failed install loses nothing that was there.
// Links are never followed: a link where a folder or file is to go is
// replaced as a link, and nothing is written through it.
#include <cstdio>
#include <string>
#include <vector>

#include "builders/install_items.h"
#include "builders/installer_archive.h"
#include "foundation/file_bytes.h"
#include "foundation/file_layer.h"
#include "foundation/finder_info.h"
#include "platform/file_ops.h"
#include "platform/forks.h"
#include "platform/host_paths.h"
#include "platform/folder_domains.h"
#include "platform/text_encoding.h"

namespace {

struct ProgressHook {
  InstallProgressHook hook = nullptr;
  bool enabled = false;
  u32 userWord = 0;
} progressHook;

void CallHook(const CInstallItem& item) {
  if (progressHook.enabled && progressHook.hook) progressHook.hook(item, progressHook.userWord);
}

std::string HostPathOf(const CPathName& path) { return plat::ToHostPath(path.GetAbsolutePath(0)); }

// The folder of an install item. Applications and screen savers go to the
// domain's Applications and Library folders, the desktop location to the
// desktop; the other locations name no folder. The user's own folders are
// made when missing; other domains have folders only where their root is
// configured.
[[nodiscard]] bool FindItemFolder(u32 domain, u32 location, CPathName& folder) {
  OSType type = 0;
  switch (location) {
    case CInstallItem::kApplication: type = kApplicationsFolderType; break;
    case CInstallItem::kScreenSaver: type = kDomainLibraryFolderType; break;
    case CInstallItem::kDesktop: type = kDesktopFolderType; break;
    default: return false;
  }
  // Domain numbers 0 to 4 are the folder domains' indexes; others mean the user's.
  folder = CPathName::GetSpecialFolder(type, domain <= CInstallItem::kClassic ? int(domain) : 2);
  return !folder.IsEmpty();
}

// The path of an item named `name` in the target folder, and its host form.
[[nodiscard]] bool PlaceInTarget(const std::string& name, const CPathName& target, CPathName& path, std::string& host) {
  if (!IsInstallableName(name) || !path.SetInFolder(name.c_str(), target)) return false;
  host = HostPathOf(path);
  return true;
}

// A data file among the bundle's resources, read whole and inflated when asked.
[[nodiscard]] bool LoadDataFile(const std::string& name, bool inflate, std::vector<u8>& bytes) {
  CPathName path(nullptr);
  if (!IsInstallableName(name) || !path.SetToBundleResource(name.c_str()) || !ReadWholeFile(path, bytes))
    return false;
  if (!inflate) return true;
  std::vector<u8> inflated;
  if (!UncompressBuffer(bytes.data(), bytes.size(), inflated)) return false;
  bytes.swap(inflated);
  return true;
}

// Keeps an existing item aside while its replacement is made.
class CReplacedItem {
 public:
  explicit CReplacedItem(const std::string& hostPath) : path_(hostPath) {}
  ~CReplacedItem() {
    if (!begun_ || committed_) return;
    // The replacement failed: whatever was made goes, the old item comes
    // back. What cannot be undone stays as it is (the old item under its
    // aside name, never deleted): a destructor has nobody to tell.
    if (plat::GetItemKind(path_) != plat::ItemKind::missing && plat::DeleteTree(path_) != noErr) return;
    if (!aside_.empty()) static_cast<void>(plat::RenameItem(aside_, plat::HostItemName(path_)));
  }
  CReplacedItem(const CReplacedItem&) = delete;
  CReplacedItem& operator=(const CReplacedItem&) = delete;

  // Moves the item out of the way (true when there was none).
  [[nodiscard]] bool SetAside() {
    if (plat::GetItemKind(path_) != plat::ItemKind::missing && plat::SetItemAside(path_, &aside_) != noErr)
      return false;
    begun_ = true;
    return true;
  }
  // The replacement is complete: the old item is deleted.
  void Commit() {
    // The replacement is in place either way; an old item that cannot be
    // deleted stays under its aside name.
    if (!aside_.empty()) static_cast<void>(plat::DeleteTree(aside_));
    committed_ = true;
  }

 private:
  std::string path_;
  std::string aside_;
  bool begun_ = false;
  bool committed_ = false;
};

}  // namespace

void SetInstallProgressHook(InstallProgressHook hook, bool enabled, u32 userWord) {
  progressHook.hook = hook;
  progressHook.enabled = enabled;
  progressHook.userWord = userWord;
}

bool CInstallItem::InstallChildren(const CPathName& folder) {
  for (const auto& child : children)
    if (!child->Install(folder)) return false;
  return true;
}

bool CInstallItem::Install(const CPathName&) {
  CPathName folder(nullptr);
  if (!FindItemFolder(domain, location, folder)) return false;
  if (location == kScreenSaver) {
    CPathName savers(nullptr);
    if (!savers.SetInFolder("Screen Savers", folder) || !savers.CreateFolder()) return false;
    savers.AddTrailingSlash();
    folder = savers;
  }
  bool installed = InstallChildren(folder);
  CallHook(*this);
  return installed;
}

bool CInstallFolder::Install(const CPathName& target) {
  CPathName path(nullptr);
  std::string host;
  if (!PlaceInTarget(name, target, path, host)) return false;
  const plat::ItemKind existing = plat::GetItemKind(host);
  if (replace == kNever && existing != plat::ItemKind::missing) {
    // Only a real folder takes the children in place of a new one.
    if (existing != plat::ItemKind::folder) return false;
    path.AddTrailingSlash();
    bool installed = InstallChildren(path);
    CallHook(*this);
    return installed;
  }
  CReplacedItem old(host);
  if (!old.SetAside() || !path.CreateFolder()) return false;
  FSRef ref;
  plat::FinderInfoBytes bytes;
  CFinderFolderInfo info;
  info.fieldMask = CFinderFolderInfo::kFinderFlags;
  info.finderFlags = finderFlags;
  if (!path.GetFsRef(&ref) || ReadFsRefFinderBytes(&ref, &bytes) != noErr) return false;
  info.WriteMaskedTo(&bytes);
  if (WriteFsRefFinderBytes(&ref, bytes) != noErr) return false;
  path.AddTrailingSlash();
  if (!InstallChildren(path)) return false;
  old.Commit();
  CallHook(*this);
  return true;
}

bool CInstallFile::Install(const CPathName& target) {
  CPathName path(nullptr);
  std::string host;
  if (!PlaceInTarget(name, target, path, host)) return false;
  if (replace == kNever && plat::GetItemKind(host) != plat::ItemKind::missing) {
    CallHook(*this);
    return true;
  }
  // The data comes first, so that data that is missing or damaged leaves
  // what is installed alone.
  std::vector<u8> data;
  std::vector<u8> resource;
  if (hasDataFork && !LoadDataFile(dataForkFileName, compressed, data)) return false;
  if (hasResourceFork && !LoadDataFile(resourceForkFileName, true, resource)) return false;
  CReplacedItem old(host);
  if (!old.SetAside()) return false;
  if (!InstallForks(path, hasDataFork ? &data : nullptr, hasResourceFork ? &resource : nullptr)) return false;
  old.Commit();
  CallHook(*this);
  return true;
}

bool CInstallFile::InstallForks(const CPathName& path, const std::vector<u8>* data,
                                const std::vector<u8>* resource) const {
  CFileTypeCreator typeCreator(creator, fileType);
  if (!CreateFileWithTypeCreator(path, &typeCreator, false)) return false;
  const std::string host = HostPathOf(path);
  if (data && !data->empty()) {
    FILE* file = std::fopen(host.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(data->data(), 1, data->size(), file) == data->size();
    if (std::fclose(file) != 0 || !written) return false;
  }
  if (resource && !resource->empty()) {
    SInt16 fork = 0;
    if (plat::OpenFork(host, plat::ForkKind::resource, fsWrPerm, &fork) != noErr) return false;
    UInt64 actual = 0;
    const bool written = plat::WriteFork(fork, resource->size(), resource->data(), &actual) == noErr &&
                         actual == resource->size();
    if (plat::CloseFork(fork) != noErr || !written) return false;
  }
  FSRef ref;
  CFinderFileInfo info;
  info.fieldMask = CFinderFileInfo::kType | CFinderFileInfo::kCreator | CFinderFileInfo::kFinderFlags;
  info.fileType = fileType;
  info.fileCreator = creator;
  info.finderFlags = finderFlags;
  return path.GetFsRef(&ref) && SetFsRefFinderInfo(&ref, &info);
}
