// Test entry point: gives the process a private temporary root.
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "platform/bundle.h"
#include "platform/gestalt.h"
#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace gbtest {
std::string& MutableTestRoot();
}

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;
}

typedef std::map<std::string, std::string> Environment;

Environment CurrentEnvironment() {
  Environment variables;
  for (char** entry = environ; *entry; ++entry) {
    std::string text(*entry);
    size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  return variables;
}

// Puts back, after every test, the process-wide state of the host layer that
// tests change: the environment (and with it the root folders and the time
// zone), the Gestalt table, the bundle location with its string tables, and
// the current directory. A test thus meets the same process whatever ran
// before it, alone or with the whole suite.
class HostStateRestorer : public testing::EmptyTestEventListener {
 public:
  HostStateRestorer() : environment_(CurrentEnvironment()) {
    char* folder = getcwd(nullptr, 0);
    if (folder) directory_ = folder;
    std::free(folder);
  }

  void OnTestEnd(const testing::TestInfo&) override {
    Environment now = CurrentEnvironment();
    for (const auto& variable : now)
      if (!environment_.count(variable.first)) unsetenv(variable.first.c_str());
    for (const auto& variable : environment_) {
      auto current = now.find(variable.first);
      if (current == now.end() || current->second != variable.second)
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
    }
    tzset();
    plat::ReloadRoots();
    plat::ResetGestaltTable();
    plat::SetApplicationBundle("");
    plat::ReloadBundleStrings();
    if (!directory_.empty() && chdir(directory_.c_str()) != 0) std::perror("chdir");
  }

 private:
  Environment environment_;
  std::string directory_;
};

}  // namespace

int main(int argc, char** argv) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/gbtest.XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  std::string root = pattern + "/";
  gbtest::MutableTestRoot() = root;
  for (const char* sub : {"home", "tmp", "config", "data"}) mkdir((root + sub).c_str(), 0700);
  setenv("HOME", (root + "home").c_str(), 1);
  setenv("TMPDIR", (root + "tmp").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root + "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (root + "cache").c_str(), 1);
  plat::ReloadRoots();

  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new HostStateRestorer);
  int result = RUN_ALL_TESTS();

  if (!std::getenv("GLIMMERBOX_KEEP_TEST_ROOT"))
    nftw(pattern.c_str(), RemoveEntry, 32, FTW_DEPTH | FTW_PHYS);
  return result;
}
