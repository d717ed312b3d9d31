#include "foundation/folder_iterator.h"

#include <strings.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/folder_iteration.h"
#include "platform/host_paths.h"
#include "platform/text_encoding.h"

namespace {

struct IterationState {
  plat::FolderListing listing;
  std::string pattern;
  // The first item passed over for its name, as a path with '?' for what
  // Mac Roman cannot hold; empty when none was.
  std::string passedOver;
};

IterationState& State() {
  static IterationState state;
  return state;
}

[[nodiscard]] bool IsHostFolder(const std::string& hostPath) {
  struct stat info;
  return lstat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The next item of the listing that still exists and has a Mac Roman name;
// the first whose name has none is remembered.
[[nodiscard]] bool NextItem(IterationState& state, CPathName& item, bool* isFolder) {
  plat::FolderListing& listing = state.listing;
  std::string name;
  while (listing.Next(&name) == noErr) {
    std::string macName;
    if (!plat::FromHostPath(name, macName)) {
      if (state.passedOver.empty())
        state.passedOver = plat::Utf8ToMacRomanLossy(plat::JoinHostPath(listing.Folder(), name));
      continue;
    }
    FSRef ref;
    if (plat::MakeFsRef(plat::JoinHostPath(listing.Folder(), name), &ref) != noErr) continue;
    CPathName path(nullptr);
    if (!path.SetFromFsRef(&ref)) continue;
    item = path;
    if (isFolder) *isFolder = IsHostFolder(ref.path);
    return true;
  }
  return false;
}

}  // namespace

bool GetFirstFolderItem(const CPathName& folder, CPathName& item, bool* isFolder, const char* pattern) {
  IterationState& state = State();
  state.listing.Close();
  state.pattern = pattern ? std::string(pattern).substr(0, 255) : std::string();
  state.passedOver.clear();
  FSRef ref;
  if (!folder.GetFsRef(&ref) || state.listing.Open(ref.path) != noErr) return false;
  return NextItem(state, item, isFolder);
}

bool GetNextFolderItem(CPathName& item, bool* isFolder) { return NextItem(State(), item, isFolder); }

bool EndFolderIteration() {
  State().listing.Close();
  return true;
}

bool GetPassedOverFolderItem(CPathName& item) {
  const std::string& passedOver = State().passedOver;
  if (passedOver.empty()) return false;
  item = CPathName(passedOver);
  return true;
}

bool FindItemInFolderTree(const char* name, const CPathName& folder, CPathName& found) {
  FSRef root;
  if (!name || !folder.GetFsRef(&root)) return false;
  // One listing per level; a folder is entered as soon as it is met.
  std::vector<plat::FolderListing> levels(1);
  if (levels.back().Open(root.path) != noErr) return false;
  while (!levels.empty()) {
    std::string entry;
    if (levels.back().Next(&entry) != noErr) {
      levels.pop_back();
      continue;
    }
    std::string hostPath = plat::JoinHostPath(levels.back().Folder(), entry);
    if (IsHostFolder(hostPath)) {
      plat::FolderListing inner;
      if (inner.Open(hostPath) == noErr) levels.push_back(std::move(inner));
      continue;
    }
    std::string itemName;
    if (!plat::FromHostPath(entry, itemName) || strcasecmp(itemName.c_str(), name) != 0) continue;
    FSRef ref;
    CPathName path(nullptr);
    if (plat::MakeFsRef(hostPath, &ref) != noErr || !path.SetFromFsRef(&ref)) continue;
    found = path;
    return true;
  }
  return false;
}
