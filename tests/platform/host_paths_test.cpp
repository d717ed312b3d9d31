#include "platform/host_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HostPaths, NamesThatStayInTheirFolder) {
  struct Case {
    std::string name;
    bool single;     // one item's name
    bool contained;  // a relative path that stays inside
  };
  const Case cases[] = {
      {"a.txt", true, true},
      {".hidden", true, true},
      {"...", true, true},
      {"", false, false},
      {".", false, true},
      {"..", false, false},
      {"a/b", false, true},
      {"a/../b", false, false},
      {"../b", false, false},
      {"a/..", false, false},
      {"/etc", false, false},
      {std::string("a\0b", 3), false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plat::IsSingleName(c.name), c.single) << c.name;
    EXPECT_EQ(plat::IsContainedName(c.name), c.contained) << c.name;
  }
}

}  // namespace
