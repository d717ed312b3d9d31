#include "foundation/path_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> Names(const CPathList& list) {
  std::vector<std::string> names;
  names.reserve(size_t(list.GetCount()));
  for (int i = 0; i < list.GetCount(); ++i) names.push_back(list.GetAt(i)->GetLastComponent());
  return names;
}

TEST(PathList, OwnsAbsoluteCopies) {
  CPathList list;
  CPathName* first = list.AddCopy(CPathName("/x/a.swf"));
  list.AddCopy(CPathName("relative.swf"));
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(first->GetString(), "/x/a.swf");
  EXPECT_EQ(list.GetAt(1)->GetString(), CPathName("relative.swf").GetAbsolutePath(0));
  EXPECT_EQ(list.GetAt(2), nullptr);
  EXPECT_EQ(list.GetAt(-1), nullptr);

  CPathList copy(list);
  ASSERT_EQ(copy.GetCount(), 2);
  EXPECT_NE(copy.GetAt(0), first);
  CPathName stranger("/x/a.swf");
  EXPECT_FALSE(list.Remove(&stranger));
  EXPECT_FALSE(list.Remove(copy.GetAt(0)));  // held by the other list
  EXPECT_TRUE(list.Remove(first));
  EXPECT_EQ(list.GetCount(), 1);

  EXPECT_FALSE(list.RemoveAt(1));
  EXPECT_FALSE(list.RemoveAt(-1));
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_TRUE(list.RemoveAt(0));
  EXPECT_EQ(list.GetCount(), 0);
  copy = list;
  EXPECT_EQ(copy.GetCount(), 0);
}

TEST(PathList, SortsByNameIgnoringCase) {
  CPathList list;
  for (const char* path : {"/z/b", "/y/A", "/x/c", "/w/a"}) list.AddCopy(CPathName(path));
  list.SortByName();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "a", "b", "c"}));  // equal names keep their order
  list.SortByNameDescending();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "b", "A", "a"}));
  list.DeleteAll();
  EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
