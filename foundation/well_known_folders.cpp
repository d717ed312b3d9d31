#include "foundation/path_name.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "foundation/cf_string_holder.h"
#include "foundation/system_queries.h"
#include "platform/bundle.h"
#include "platform/forks.h"
#include "platform/host_paths.h"
#include "platform/roots.h"
#include "platform/folder_domains.h"
#include "platform/text_encoding.h"

namespace {

struct FolderState {
  std::string workSubfolder;
  // The folder holding the bundle, found once for the bundle location it
  // was found from (the host's location can be set to another bundle).
  std::string applicationFolderBundle;
  CPathName applicationFolder{nullptr};
};

FolderState& Folders() {
  static FolderState state;
  return state;
}

SInt16 DomainOfIndex(int index) {
  switch (index) {
    case 0: return kSystemDomain;
    case 1: return kLocalDomain;
    case 3: return kNetworkDomain;
    case 4: return kClassicDomain;
    default: return kUserDomain;
  }
}

// A host folder as a path; empty when its name has no Mac Roman form.
CPathName FromHostFolder(const std::string& hostFolder) {
  std::string text;
  if (hostFolder.empty() || !plat::FromHostPath(hostFolder, text)) return CPathName(nullptr);
  CPathName folder(text);
  folder.AddTrailingSlash();
  return folder;
}

[[nodiscard]] OSErr FindFolder(SInt16 domain, OSType type, CPathName* out) {
  std::string host;
  OSErr error = plat::FindFolder(domain, type, true, &host);
  if (error != noErr) return error;
  *out = FromHostFolder(host);
  return out->IsEmpty() ? OSErr(bdNamErr) : OSErr(noErr);
}

[[nodiscard]] bool PutInFolder(CPathName& path, const CPathName& folder, const char* name) {
  if (folder.IsEmpty() || !name || !plat::IsContainedName(name)) return false;
  path.CombineFolderAndName(name, folder);
  return true;
}

// The running program's folder.
CPathName ProcessFolder() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return CPathName(nullptr);
  return FromHostFolder(plat::HostParentFolder(std::string(buffer, size_t(length))));
}

}  // namespace

CPathName CPathName::GetSpecialFolder(OSType type, int domainIndex) {
  CPathName folder(nullptr);
  if (FindFolder(DomainOfIndex(domainIndex), type, &folder) != noErr) return CPathName(nullptr);
  return folder;
}

CPathName CPathName::GetApplicationSupportFolder(int domainIndex) {
  return GetSpecialFolder(kApplicationSupportFolderType, domainIndex);
}

CPathName CPathName::GetDocumentsFolder() { return GetSpecialFolder(kDocumentsFolderType, 2); }

CPathName CPathName::GetDesktopFolder() { return GetSpecialFolder(kDesktopFolderType, 2); }

CPathName CPathName::GetWorkFolder() {
  CPathName folder(nullptr);
  OSErr error;
  if (IsMacOsX()) {
    error = FindFolder(kUserDomain, kTemporaryFolderType, &folder);
  } else {
    error = FindFolder(kUserDomain, kPreferencesFolderType, &folder);
    if (error != noErr) error = FindFolder(kUserDomain, kSystemPreferencesFolderType, &folder);
  }
  SetLastPathError(error);
  if (error != noErr) folder = CPathName(nullptr);
  return folder;
}

CPathName CPathName::GetApplicationFolder() {
  CPathName bundle = GetApplicationBundle();
  if (bundle.IsEmpty()) return bundle;
  return CPathName(bundle.GetParentFolder(true));
}

CPathName CPathName::GetResourcesFolder() {
  CPathName languages(nullptr);
  if (!languages.SetToBundleResource("English.lproj")) return languages;
  return CPathName(languages.GetParentFolder(true));
}

bool CPathName::SetToBundleResource(const char* name) {
  if (!name || !*name) return false;
  CCFString resource(name);
  if (!resource.GetRef()) return false;
  CFURLRef url = CFBundleCopyResourceURL(CFBundleGetMainBundle(), resource.GetRef(), nullptr, nullptr);
  bool found = url && SetFromUrl(url);
  CFRelease(url);
  return found;
}

bool CPathName::SetNextToApplication(const char* name, bool useProcessFile) {
  FolderState& state = Folders();
  CPathName folder(nullptr);
  if (useProcessFile) {
    folder = ProcessFolder();
  } else {
    const std::string& bundle = plat::ApplicationBundle();
    if (state.applicationFolder.IsEmpty() || state.applicationFolderBundle != bundle) {
      state.applicationFolder = GetApplicationFolder();
      state.applicationFolderBundle = bundle;
    }
    folder = state.applicationFolder;
  }
  return PutInFolder(*this, folder, name);
}

bool CPathName::SetInSpecialFolder(const char* name, OSType type, int domainIndex) {
  return PutInFolder(*this, GetSpecialFolder(type, domainIndex), name);
}

bool CPathName::SetInApplicationSupport(const char* name, int domainIndex) {
  return PutInFolder(*this, GetApplicationSupportFolder(domainIndex), name);
}

bool CPathName::SetInDocuments(const char* name) { return PutInFolder(*this, GetDocumentsFolder(), name); }

bool CPathName::SetOnDesktop(const char* name) { return PutInFolder(*this, GetDesktopFolder(), name); }

bool CPathName::SetInFolder(const char* name, const CPathName& folder) {
  CPathName absolute(folder.GetAbsolutePath(0));
  return PutInFolder(*this, absolute, name);
}

bool CPathName::SetInFolderRef(const char* name, const FSRef* folder) {
  CPathName folderPath(nullptr);
  if (!folder || !folderPath.SetFromFsRef(folder)) return false;
  return PutInFolder(*this, folderPath, name);
}

bool CPathName::SetInWorkFolder(const char* name, bool inAppSubfolder) {
  CPathName folder = GetWorkFolder();
  const std::string& subfolder = Folders().workSubfolder;
  if (!folder.IsEmpty() && inAppSubfolder && !subfolder.empty()) {
    folder.CombineFolderAndName(subfolder.c_str(), CPathName(folder));
    folder.AddTrailingSlash();
  }
  return PutInFolder(*this, folder, name);
}

bool CPathName::CreateWorkFolder(const char* subfolderName) {
  if (!subfolderName || !plat::IsSingleName(subfolderName)) {
    SetLastPathError(bdNamErr);
    return false;
  }
  Folders().workSubfolder = subfolderName;
  FSRef work;
  CPathName folder = GetWorkFolder();
  if (folder.IsEmpty()) return false;
  OSErr error = noErr;
  if (folder.GetFsRef(&work, &error)) {
    std::string host = plat::JoinHostPath(work.path, plat::ToHostPath(subfolderName));
    if (mkdir(host.c_str(), 0700) != 0 && errno != EEXIST) error = plat::ErrnoToOSErr(errno);
    struct stat info;
    if (error == noErr && (lstat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) error = dupFNErr;
  }
  SetLastPathError(error);
  return error == noErr;
}

bool CPathName::DeleteWorkFolder() {
  const std::string& subfolder = Folders().workSubfolder;
  if (subfolder.empty()) return true;
  CPathName folder = GetWorkFolder();
  if (folder.IsEmpty()) return false;
  CPathName path(nullptr);
  path.CombineFolderAndName(subfolder.c_str(), folder);
  FSRef ref;
  OSErr error = noErr;
  if (!path.GetFsRef(&ref, &error)) return error == fnfErr;
  return plat::DeleteTree(ref.path) == noErr;
}

bool CPathName::GetParentPath(CPathName& out) const {
  CPathName absolute(GetAbsolutePath(0));
  out = CPathName(absolute.IsEmpty() ? std::string() : absolute.GetParentFolder(true));
  return !out.IsEmpty() && out.IsFolder();
}

CPathName CPathName::GetApplicationBundle() {
  CPathName bundle(nullptr);
  CFURLRef url = CFBundleCopyBundleURL(CFBundleGetMainBundle());
  // The bundle's canonical reference when it exists, else the folder it is meant to be.
  FSRef ref;
  CFURLRef canonical = CFURLGetFSRef(url, &ref) ? CFURLCreateFromFSRef(kCFAllocatorDefault, &ref) : nullptr;
  if (!bundle.SetFromUrl(canonical) && !bundle.SetFromUrl(url)) bundle = CPathName(nullptr);
  CFRelease(canonical);
  CFRelease(url);
  if (!bundle.IsEmpty()) bundle.AddTrailingSlash();
  return bundle;
}
