// Well-known folders of the host layer, found by domain and folder type.
//
// The user's domain (all from roots.h):
//   'desk' Desktop            $HOME/Desktop/
//   'docs' Documents          $HOME/Documents/
//   'asup' Application Support  the data home (XDG_DATA_HOME, ~/.local/share)
//   'pref', 'sprf' Preferences  the preferences folder (XDG_CONFIG_HOME, ~/.config)
//   'apps' Applications       $HOME/Applications/
//   'dlib' Library            $HOME/Library/ (the domain's Library folder)
//   'temp' temporary items    a folder of this user's own under TMPDIR,
//                             "TemporaryItems-<uid>", mode 0700; refused
//                             (permErr) when it is a symbolic link, not a
//                             folder, or belongs to another user
// Other domains: the domain's configured root (roots.h) followed by the
// folder's usual name ("Application Support/", "Preferences/", ...);
// nsvErr when the domain has no root. Unknown folder types: fnfErr.
// Folders end in "/" and are host (UTF-8) paths.
#pragma once

#include <string>

#include "platform/mac_types.h"

enum : SInt16 {
  kSystemDomain = -32766,
  kLocalDomain = -32765,
  kNetworkDomain = -32764,
  kUserDomain = -32763,
  kClassicDomain = -32762,
};

enum : OSType {
  kDesktopFolderType = FourCC("desk"),
  kDocumentsFolderType = FourCC("docs"),
  kApplicationSupportFolderType = FourCC("asup"),
  kPreferencesFolderType = FourCC("pref"),
  kSystemPreferencesFolderType = FourCC("sprf"),
  kTemporaryFolderType = FourCC("temp"),
  kApplicationsFolderType = FourCC("apps"),
  kDomainLibraryFolderType = FourCC("dlib"),
};

namespace plat {

// The folder; with `create`, a missing folder (and missing folders above
// it) is made. fnfErr when it is missing and not to be made.
[[nodiscard]] OSErr FindFolder(SInt16 domain, OSType type, bool create, std::string* hostFolder);

}  // namespace plat
