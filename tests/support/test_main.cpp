// Test entry point: gives the process a private temporary root.
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

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
  int result = RUN_ALL_TESTS();

  if (!std::getenv("GLIMMERBOX_KEEP_TEST_ROOT"))
    nftw(pattern.c_str(), RemoveEntry, 32, FTW_DEPTH | FTW_PHYS);
  return result;
}
