#include "foundation/resource_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "foundation/resource_icons.h"
#include "platform/finder_info.h"
#include "platform/memory_handles.h"
#include "platform/resource_manager.h"
#include "platform/resource_map.h"
#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<u8>;

const Bytes kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

Bytes Image(ResType type, ResID id, const Bytes& data) {
  plat::ResourceMap map;
  plat::ResourceEntry entry;
  entry.type = type;
  entry.id = id;
  entry.data = data;
  map.Set(entry);
  Bytes image;
  map.Serialize(image);
  return image;
}

TEST(ResourceFile, OpensADataForkResourceFileAndRefusesDamagedOnes) {
  const std::string folder = gbtest::MakeTempFolder("rsrc");
  Bytes image = Image(FourCC("DATA"), 7, {4, 5, 6});
  ASSERT_TRUE(gbtest::WriteFile(folder + "good.rsrc", image));
  image.resize(image.size() - 5);
  ASSERT_TRUE(gbtest::WriteFile(folder + "cut.rsrc", image));
  ASSERT_TRUE(gbtest::WriteFile(folder + "text.rsrc", std::string("not a resource file at all")));

  const size_t openBefore = plat::OpenResourceFileCount();
  CResourceFile file;
  ASSERT_TRUE(file.Open(CPathName(folder + "good.rsrc")));
  Handle resource = nullptr;
  long size = 0;
  ASSERT_TRUE(file.GetResource(FourCC("DATA"), 7, &resource, &size));
  EXPECT_EQ(size, 3);
  EXPECT_EQ(plat::HandleBytes(resource), Bytes({4, 5, 6}));
  EXPECT_FALSE(file.GetResource(FourCC("DATA"), 8, &resource, &size));
  EXPECT_EQ(resource, nullptr);
  file.Close();
  EXPECT_EQ(plat::OpenResourceFileCount(), openBefore);

  for (const char* name : {"cut.rsrc", "text.rsrc", "missing.rsrc"}) {
    EXPECT_FALSE(file.Open(CPathName(folder + name))) << name;
    EXPECT_FALSE(file.IsOpen()) << name;
  }
  EXPECT_EQ(plat::OpenResourceFileCount(), openBefore);
}

TEST(MainResource, TheBundleHoldsTheSplashPictureAndTheIcon) {
  const size_t openBefore = plat::OpenResourceFileCount();
  Handle picture = nullptr;
  long size = 0;
  ASSERT_TRUE(LoadMainResource(FourCC("GfXX"), 128, &picture, &size));
  EXPECT_GT(size, 1000);
  const Bytes bytes = plat::HandleBytes(picture);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), kPngSignature);
  // No file stays open for the call; the handle is the caller's.
  EXPECT_EQ(plat::OpenResourceFileCount(), openBefore);
  ReleaseMainResource(&picture);
  EXPECT_EQ(picture, nullptr);

  Handle missing = nullptr;
  EXPECT_FALSE(LoadMainResource(FourCC("GfXX"), 9999, &missing, &size));
  EXPECT_EQ(missing, nullptr);
}

TEST(MainResource, TheCachedFileIsOpenedOnce) {
  CloseMainResourceFile();
  const size_t openBefore = plat::OpenResourceFileCount();
  Handle first = nullptr, second = nullptr;
  ASSERT_TRUE(GetMainResourceCached(FourCC("GfXX"), 128, &first));
  ASSERT_TRUE(GetMainResourceCached(FourCC("icns"), 128, &second));
  EXPECT_EQ(plat::OpenResourceFileCount(), openBefore + 1);
  Handle again = nullptr;
  ASSERT_TRUE(GetMainResourceCached(FourCC("GfXX"), 128, &again));
  EXPECT_EQ(again, first);
  ReleaseMainResource(&first);
  ASSERT_TRUE(GetMainResourceCached(FourCC("GfXX"), 128, &first));
  EXPECT_GT(GetHandleSize(first), 1000);
  CloseMainResourceFile();
  EXPECT_EQ(plat::OpenResourceFileCount(), openBefore);

  // Without a bundle resource file the open fails, and the next call tries again.
  const std::string empty = gbtest::MakeTempFolder("nobundle.app/Contents/Resources");
  plat::SetApplicationBundle(gbtest::TestRoot() + "nobundle.app");
  EXPECT_FALSE(GetMainResourceCached(FourCC("GfXX"), 128, &first));
  EXPECT_EQ(first, nullptr);
  plat::SetApplicationBundle("");
  EXPECT_TRUE(GetMainResourceCached(FourCC("GfXX"), 128, &first));
  CloseMainResourceFile();
}

TEST(ResourceIcons, RegisterFromTheBundleByCreator) {
  OSType creator = FourCC("GbTs");
  IconRef icon = nullptr;
  ASSERT_TRUE(RegisterResourceIcon(128, creator, &icon));
  EXPECT_EQ(creator, FourCC("GbTs"));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(plat::FindIconRef(creator, FourCC("TEMP")), icon);
  const std::vector<u8>* data = plat::IconFamilyData(icon);
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(plat::IsIconFamilyData(*data));

  OSType unique1 = 0, unique2 = 0;
  ASSERT_TRUE(RegisterResourceIcon(128, unique1, nullptr));
  ASSERT_TRUE(RegisterResourceIcon(128, unique2, nullptr));
  EXPECT_NE(unique1, 0u);
  EXPECT_NE(unique1, unique2);

  for (OSType c : {creator, unique1, unique2}) EXPECT_TRUE(UnregisterResourceIcon(c));
  EXPECT_FALSE(UnregisterResourceIcon(creator));
  EXPECT_EQ(plat::FindIconRef(creator, FourCC("TEMP")), nullptr);

  // A missing resource, or one that is no icon family, registers nothing.
  OSType other = 0;
  EXPECT_FALSE(RegisterResourceIcon(1, other, &icon));
  EXPECT_EQ(icon, nullptr);
  EXPECT_FALSE(plat::IsIconFamilyData({'i', 'c', 'n', 's', 0, 0, 0, 20, 'i', 'c', '0', '7', 0, 0, 0, 40}));
  EXPECT_EQ(plat::RegisterIconFamily(FourCC("GbXx"), FourCC("TEMP"), {1, 2, 3}, &icon), invalidIconRefErr);
}

}  // namespace

namespace {

TEST(ResourceFork, CreateAddAndReadBackThroughTheSidecar) {
  const std::string folder = gbtest::MakeTempFolder("forks");
  ASSERT_TRUE(gbtest::WriteFile(folder + "tool", std::string("data fork bytes")));
  FSSpec spec{folder.substr(0, folder.size() - 1), "tool"};
  FSSpec fresh{spec.parent, "fresh"};

  // A file without a resource fork has no resource map to open.
  EXPECT_EQ(FSpOpenResFile(&spec, fsRdPerm), -1);
  EXPECT_EQ(ResError(), eofErr);
  FSpCreateResFile(&spec, FourCC("GbTs"), FourCC("APPL"), 0);
  ASSERT_EQ(ResError(), noErr);
  FSpCreateResFile(&spec, FourCC("GbTs"), FourCC("APPL"), 0);
  EXPECT_EQ(ResError(), dupFNErr);
  FSpCreateResFile(&fresh, FourCC("GbTs"), FourCC("APPL"), 0);
  ASSERT_EQ(ResError(), noErr);
  EXPECT_TRUE(gbtest::FileExists(folder + "fresh"));

  const SInt16 file = FSpOpenResFile(&spec, fsRdWrPerm);
  ASSERT_GE(file, 0);
  AddResource(plat::NewHandleFromBytes("\x00\x00\x00\x10", 4), FourCC("SIZE"), -1, nullptr);
  ASSERT_EQ(ResError(), noErr);
  CloseResFile(file);
  ASSERT_EQ(ResError(), noErr);
  // The data fork is untouched; the resource fork is read first.
  EXPECT_EQ(gbtest::ReadTextFile(folder + "tool"), "data fork bytes");
  CResourceFile reader;
  ASSERT_TRUE(reader.Open(CPathName(folder + "tool")));
  Handle size = nullptr;
  ASSERT_TRUE(reader.GetResource(FourCC("SIZE"), -1, &size));
  EXPECT_EQ(plat::HandleBytes(size), Bytes({0, 0, 0, 0x10}));
  reader.Close();

  // A locked file opens for reading only.
  ASSERT_EQ(plat::SetLocked(folder + "tool", true), noErr);
  EXPECT_EQ(FSpOpenResFile(&spec, fsRdWrPerm), -1);
  EXPECT_EQ(ResError(), fLckdErr);
  const SInt16 readOnly = FSpOpenResFile(&spec, fsRdPerm);
  EXPECT_GE(readOnly, 0);
  CloseResFile(readOnly);
  ASSERT_EQ(plat::SetLocked(folder + "tool", false), noErr);

  FSSpec missing{spec.parent, "missing"};
  EXPECT_EQ(FSpOpenResFile(&missing, fsRdPerm), -1);
  EXPECT_EQ(ResError(), fnfErr);
}

}  // namespace
