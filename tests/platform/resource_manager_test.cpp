#include "platform/resource_manager.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/memory_handles.h"
#include "platform/resource_map.h"

namespace {

using Bytes = std::vector<u8>;

Bytes Image(std::initializer_list<std::pair<ResID, Bytes>> resources, ResType type = FourCC("DATA")) {
  plat::ResourceMap map;
  for (const auto& resource : resources) {
    plat::ResourceEntry entry;
    entry.type = type;
    entry.id = resource.first;
    entry.data = resource.second;
    map.Set(entry);
  }
  Bytes image;
  map.Serialize(image);
  return image;
}

TEST(ResourceManager, HandlesBelongToTheirFileUntilReleasedOrDetached) {
  const size_t before = plat::OpenResourceFileCount();
  const SInt16 file = plat::OpenResourceImage(Image({{1, {1, 2}}, {2, {3}}}), nullptr);
  ASSERT_GE(file, 0);
  EXPECT_EQ(CurResFile(), file);

  Handle first = Get1Resource(FourCC("DATA"), 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(plat::HandleBytes(first), Bytes({1, 2}));
  EXPECT_EQ(Get1Resource(FourCC("DATA"), 1), first);  // the same handle while loaded
  ReleaseResource(first);
  EXPECT_EQ(ResError(), noErr);
  Handle again = Get1Resource(FourCC("DATA"), 1);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(plat::HandleBytes(again), Bytes({1, 2}));

  Handle detached = Get1Resource(FourCC("DATA"), 2);
  DetachResource(detached);
  EXPECT_EQ(ResError(), noErr);
  ReleaseResource(detached);  // no longer a resource
  EXPECT_EQ(ResError(), resNotFound);

  EXPECT_EQ(Get1Resource(FourCC("DATA"), 3), nullptr);
  EXPECT_EQ(ResError(), resNotFound);

  CloseResFile(file);  // frees `again`, not the detached handle
  EXPECT_EQ(plat::OpenResourceFileCount(), before);
  EXPECT_EQ(plat::HandleBytes(detached), Bytes({3}));
  DisposeHandle(detached);
}

TEST(ResourceManager, GetResourceSearchesTheChainFromTheCurrentFile) {
  const SInt16 older = plat::OpenResourceImage(Image({{1, {'o'}}, {2, {'o'}}}), nullptr);
  const SInt16 newer = plat::OpenResourceImage(Image({{1, {'n'}}}), nullptr);
  ASSERT_GE(older, 0);
  ASSERT_GE(newer, 0);
  EXPECT_EQ(plat::HandleBytes(GetResource(FourCC("DATA"), 1)), Bytes({'n'}));
  EXPECT_EQ(plat::HandleBytes(GetResource(FourCC("DATA"), 2)), Bytes({'o'}));
  EXPECT_EQ(Get1Resource(FourCC("DATA"), 2), nullptr);
  UseResFile(older);
  EXPECT_EQ(plat::HandleBytes(GetResource(FourCC("DATA"), 1)), Bytes({'o'}));
  UseResFile(9999);
  EXPECT_EQ(ResError(), resFNotFound);
  EXPECT_EQ(CurResFile(), older);
  CloseResFile(older);
  EXPECT_EQ(CurResFile(), newer);
  CloseResFile(newer);
  EXPECT_EQ(GetResource(FourCC("DATA"), 1), nullptr);
}

TEST(ResourceManager, WritableFilesStoreTheirChanges) {
  Bytes stored;
  int stores = 0;
  auto store = [&](const Bytes& image) {
    stored = image;
    ++stores;
    return true;
  };
  const SInt16 file = plat::OpenResourceImage({}, store);
  ASSERT_GE(file, 0);
  const unsigned char name[] = {4, 's', 'i', 'z', 'e'};
  AddResource(plat::NewHandleFromBytes("\x58\x80", 2), FourCC("SIZE"), -1, name);
  ASSERT_EQ(ResError(), noErr);
  UpdateResFile(file);
  EXPECT_EQ(stores, 1);

  Handle size = Get1Resource(FourCC("SIZE"), -1);
  ASSERT_NE(size, nullptr);
  (*size)[0] = 0x18;
  ChangedResource(size);
  CloseResFile(file);
  EXPECT_EQ(stores, 2);

  plat::ResourceMap map;
  ASSERT_TRUE(map.Parse(stored));
  const plat::ResourceEntry* entry = map.Find(FourCC("SIZE"), -1);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->data, Bytes({0x18, 0x80}));
  EXPECT_EQ(entry->name, "size");

  // Nothing changed: closing stores nothing.
  const SInt16 unchanged = plat::OpenResourceImage(stored, store);
  CloseResFile(unchanged);
  EXPECT_EQ(stores, 2);
}

TEST(ResourceManager, ReadOnlyAndDamagedFilesRefuseChanges) {
  Bytes damaged = Image({{1, {1}}});
  damaged.resize(damaged.size() - 3);
  EXPECT_EQ(plat::OpenResourceImage(damaged, nullptr), -1);
  EXPECT_EQ(ResError(), mapReadErr);

  const SInt16 file = plat::OpenResourceImage(Image({{1, {1}}}), nullptr);
  Handle mine = NewHandle(1);
  AddResource(mine, FourCC("DATA"), 5, nullptr);
  EXPECT_EQ(ResError(), addResFailed);
  DisposeHandle(mine);
  Handle resource = Get1Resource(FourCC("DATA"), 1);
  ChangedResource(resource);
  EXPECT_EQ(ResError(), wrPermErr);
  RemoveResource(resource);
  EXPECT_EQ(ResError(), rmvResFailed);
  CloseResFile(file);
}

}  // namespace
