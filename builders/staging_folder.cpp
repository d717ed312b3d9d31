#include "builders/staging_folder.h"

#include <stdlib.h>

#include <string>

#include "platform/forks.h"
#include "platform/host_paths.h"
#include "platform/text_encoding.h"

bool CStagingFolder::Create() {
  Remove();
  // The application's subfolder, or the work folder itself when that has gone.
  std::string host;
  for (bool inAppSubfolder : {true, false}) {
    CPathName probe(nullptr);
    if (!probe.SetInWorkFolder("staging", inAppSubfolder)) continue;
    host = plat::JoinHostPath(plat::HostParentFolder(plat::ToHostPath(probe.GetAbsolutePath(0))),
                              ".glimmerbox-build-XXXXXX");
    if (mkdtemp(host.data())) break;
    host.clear();
  }
  std::string macRoman;
  if (host.empty()) return false;
  if (!plat::FromHostPath(host, macRoman)) {
    plat::DeleteTree(host);
    return false;
  }
  path_ = CPathName(macRoman);
  path_.AddTrailingSlash();
  return true;
}

bool CStagingFolder::PathOf(const char* name, CPathName& path) const {
  return !path_.IsEmpty() && plat::IsSingleName(name ? name : "") && path.SetInFolder(name, path_);
}

bool CStagingFolder::Remove() {
  if (path_.IsEmpty()) return true;
  CPathName folder = path_;
  folder.RemoveTrailingSeparator();
  const std::string host = plat::ToHostPath(folder.GetAbsolutePath(0));
  const bool removed = plat::DeleteTree(host) == noErr;
  if (removed) path_ = CPathName(nullptr);
  return removed;
}
