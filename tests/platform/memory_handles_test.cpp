#include "platform/memory_handles.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(MemoryHandles, SizeAndResizeKeepTheBytes) {
  Handle handle = plat::NewHandleFromBytes("abc", 3);
  ASSERT_NE(handle, nullptr);
  ASSERT_NE(*handle, nullptr);
  EXPECT_EQ(GetHandleSize(handle), 3);
  SetHandleSize(handle, 5);
  EXPECT_EQ(MemError(), noErr);
  EXPECT_EQ(plat::HandleBytes(handle), (std::vector<u8>{'a', 'b', 'c', 0, 0}));
  SetHandleSize(handle, 1);
  EXPECT_EQ(plat::HandleBytes(handle), (std::vector<u8>{'a'}));
  SetHandleSize(handle, -1);
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(GetHandleSize(handle), 1);
  DisposeHandle(handle);

  Handle empty = NewHandleClear(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_NE(*empty, nullptr);
  EXPECT_EQ(GetHandleSize(empty), 0);
  DisposeHandle(empty);

  EXPECT_EQ(NewHandle(-4), nullptr);
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(GetHandleSize(nullptr), 0);
  EXPECT_EQ(MemError(), nilHandleErr);
  DisposeHandle(nullptr);
}

}  // namespace
