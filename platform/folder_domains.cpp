#include "platform/folder_domains.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_refs.h"
#include "platform/roots.h"

namespace plat {
namespace {

// Makes every missing folder of the path with the given mode.
[[nodiscard]] OSErr MakeFolders(const std::string& folder, mode_t mode) {
  for (size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    std::string partial = folder.substr(0, i);
    struct stat info;
    if (stat(partial.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) return dirNFErr;
      continue;
    }
    if (mkdir(partial.c_str(), mode) != 0 && errno != EEXIST) return ErrnoToOSErr(errno);
  }
  return noErr;
}

[[nodiscard]] OSErr Existing(const std::string& folder, bool create, mode_t mode) {
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode) ? OSErr(noErr) : OSErr(dirNFErr);
  if (errno != ENOENT) return ErrnoToOSErr(errno);
  return create ? MakeFolders(folder, mode) : OSErr(fnfErr);
}

// The user's temporary-items folder must be a real folder of this user that
// nobody else can enter: anything else under a shared TMPDIR could be a trap.
[[nodiscard]] OSErr TemporaryItems(bool create, std::string* out) {
  const std::string& root = TemporaryRoot();
  std::string folder = root + "TemporaryItems-" + std::to_string(geteuid()) + "/";
  std::string path = folder.substr(0, folder.size() - 1);
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return ErrnoToOSErr(errno);
    if (!create) return fnfErr;
    if (OSErr result = MakeFolders(root, 0700); result != noErr) return result;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return ErrnoToOSErr(errno);
    if (lstat(path.c_str(), &info) != 0) return ErrnoToOSErr(errno);
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return permErr;
  if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) return permErr;
  *out = folder;
  return noErr;
}

const char* UsualName(OSType type) {
  switch (type) {
    case kDesktopFolderType: return "Desktop/";
    case kDocumentsFolderType: return "Documents/";
    case kApplicationSupportFolderType: return "Application Support/";
    case kPreferencesFolderType:
    case kSystemPreferencesFolderType: return "Preferences/";
    case kTemporaryFolderType: return "Temporary Items/";
    case kApplicationsFolderType: return "Applications/";
    case kDomainLibraryFolderType: return "Library/";
    default: return nullptr;
  }
}

}  // namespace

OSErr FindFolder(SInt16 domain, OSType type, bool create, std::string* hostFolder) {
  if (!hostFolder) return paramErr;
  const char* name = UsualName(type);
  if (!name) return fnfErr;
  std::string folder;
  mode_t mode = 0755;
  if (domain == kUserDomain) {
    switch (type) {
      case kTemporaryFolderType: return TemporaryItems(create, hostFolder);
      case kApplicationSupportFolderType: folder = DataHomeRoot(); mode = 0700; break;
      case kPreferencesFolderType:
      case kSystemPreferencesFolderType: folder = PreferencesRoot(); mode = 0700; break;
      default: folder = HomeFolder() + name; break;
    }
  } else {
    const std::string* root = nullptr;
    switch (domain) {
      case kSystemDomain: root = &SystemDomainRoot(); break;
      case kLocalDomain: root = &LocalDomainRoot(); break;
      case kNetworkDomain: root = &NetworkDomainRoot(); break;
      case kClassicDomain: root = &ClassicDomainRoot(); break;
      default: return nsvErr;
    }
    if (root->empty()) return nsvErr;
    folder = *root + name;
  }
  if (OSErr result = Existing(folder, create, mode); result != noErr) return result;
  *hostFolder = folder;
  return noErr;
}

}  // namespace plat
