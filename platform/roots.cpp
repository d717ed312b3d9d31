#include "platform/roots.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#ifndef GB_BUILD_BUNDLE
#define GB_BUILD_BUNDLE ""
#endif

namespace plat {
namespace {

struct Roots {
  bool loaded = false;
  std::string home, temp, preferences, dataHome, bundle, bundleOverride, rootVolume;
  std::string systemDomain, localDomain, networkDomain, classicDomain;
};

Roots& State() {
  static Roots roots;
  return roots;
}

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : std::string();
}

std::string FindHome() {
  std::string home = FromEnvironment("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) home = entry->pw_dir;
  }
  if (home.empty()) home = "/";
  return WithTrailingSlash(home);
}

// The bundle holding the running executable when it sits in X.app/Contents/MacOS.
std::string BundleOfExecutable() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return std::string();
  std::string path(buffer, size_t(length));
  const std::string marker = "/Contents/MacOS/";
  size_t at = path.rfind(marker);
  if (at == std::string::npos || path.find('/', at + marker.size()) != std::string::npos)
    return std::string();
  return path.substr(0, at + 1);
}

void Load(Roots& roots) {
  roots.home = FindHome();
  std::string temp = FromEnvironment("TMPDIR");
  roots.temp = WithTrailingSlash(temp.empty() ? std::string("/tmp") : temp);
  std::string config = FromEnvironment("XDG_CONFIG_HOME");
  roots.preferences = WithTrailingSlash(config.empty() ? roots.home + ".config" : config);
  std::string data = FromEnvironment("XDG_DATA_HOME");
  roots.dataHome = WithTrailingSlash(data.empty() ? roots.home + ".local/share" : data);
  std::string bundle = FromEnvironment("GLIMMERBOX_BUNDLE");
  if (bundle.empty()) bundle = BundleOfExecutable();
  if (bundle.empty()) bundle = GB_BUILD_BUNDLE;
  roots.bundle = WithTrailingSlash(bundle);
  roots.rootVolume = FromEnvironment("GLIMMERBOX_ROOT_VOLUME");
  if (roots.rootVolume.empty()) roots.rootVolume = "Macintosh HD";
  roots.systemDomain = WithTrailingSlash(FromEnvironment("GLIMMERBOX_SYSTEM_DOMAIN"));
  roots.localDomain = WithTrailingSlash(FromEnvironment("GLIMMERBOX_LOCAL_DOMAIN"));
  roots.networkDomain = WithTrailingSlash(FromEnvironment("GLIMMERBOX_NETWORK_DOMAIN"));
  roots.classicDomain = WithTrailingSlash(FromEnvironment("GLIMMERBOX_CLASSIC_DOMAIN"));
  roots.loaded = true;
}

Roots& Loaded() {
  Roots& roots = State();
  if (!roots.loaded) Load(roots);
  return roots;
}

}  // namespace

std::string WithTrailingSlash(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + "/";
}

const std::string& HomeFolder() { return Loaded().home; }
const std::string& TemporaryRoot() { return Loaded().temp; }
const std::string& PreferencesRoot() { return Loaded().preferences; }
const std::string& DataHomeRoot() { return Loaded().dataHome; }
const std::string& SystemDomainRoot() { return Loaded().systemDomain; }
const std::string& LocalDomainRoot() { return Loaded().localDomain; }
const std::string& NetworkDomainRoot() { return Loaded().networkDomain; }
const std::string& ClassicDomainRoot() { return Loaded().classicDomain; }

const std::string& ApplicationBundle() {
  Roots& roots = Loaded();
  return roots.bundleOverride.empty() ? roots.bundle : roots.bundleOverride;
}

const std::string& RootVolumeName() { return Loaded().rootVolume; }

void ReloadRoots() { Load(State()); }

void SetApplicationBundle(const std::string& folder) {
  State().bundleOverride = WithTrailingSlash(folder);
}

}  // namespace plat
