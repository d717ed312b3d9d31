// The process's root folders, read from the environment.
//
// Every folder of the user that the system touches is found from here, so
// that tests and continuous integration can run in temporary folders:
//   HOME             the user's home folder (default: the password database)
//   TMPDIR           where the per-user temporary items live (default /tmp)
//   XDG_CONFIG_HOME  the preferences folder (default ~/.config)
//   XDG_DATA_HOME    application support (default ~/.local/share)
//   GLIMMERBOX_BUNDLE  the application bundle (default: found from the
//                      executable, else the bundle of the build tree)
//   GLIMMERBOX_ROOT_VOLUME  the name of the volume that holds "/"
//                      (default "Macintosh HD")
//   GLIMMERBOX_SYSTEM_DOMAIN, GLIMMERBOX_LOCAL_DOMAIN,
//   GLIMMERBOX_NETWORK_DOMAIN, GLIMMERBOX_CLASSIC_DOMAIN
//                    the roots of the folder domains other than the user's
//                    (default: none, the domain has no folders)
// All paths are host paths (UTF-8); folder paths end in "/".
#pragma once

#include <string>

namespace plat {

const std::string& HomeFolder();
const std::string& TemporaryRoot();
const std::string& PreferencesRoot();
const std::string& DataHomeRoot();
const std::string& ApplicationBundle();
// The root volume's name (UTF-8): the first component of colon paths to "/".
const std::string& RootVolumeName();
const std::string& SystemDomainRoot();
const std::string& LocalDomainRoot();
const std::string& NetworkDomainRoot();
const std::string& ClassicDomainRoot();

// Re-reads the environment (tests change it).
void ReloadRoots();

// Overrides the bundle location for the rest of the run ("" restores the default).
void SetApplicationBundle(const std::string& folder);

// Adds one trailing '/' to a non-empty folder path that lacks it.
std::string WithTrailingSlash(const std::string& folder);

}  // namespace plat
