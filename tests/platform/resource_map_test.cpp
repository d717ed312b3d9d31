#include "platform/resource_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<u8>;

u32 Be32(const Bytes& b, size_t at) {
  return u32(b[at]) << 24 | u32(b[at + 1]) << 16 | u32(b[at + 2]) << 8 | b[at + 3];
}
u16 Be16(const Bytes& b, size_t at) { return u16(b[at] << 8 | b[at + 1]); }

plat::ResourceEntry Entry(ResType type, ResID id, const Bytes& data, const char* name = nullptr) {
  plat::ResourceEntry entry;
  entry.type = type;
  entry.id = id;
  entry.data = data;
  if (name) {
    entry.named = true;
    entry.name = name;
  }
  return entry;
}

plat::ResourceMap SampleMap() {
  plat::ResourceMap map;
  map.Set(Entry(FourCC("GfXX"), 128, {1, 2, 3}, "splash"));
  map.Set(Entry(FourCC("MxAl"), 1000, {}));
  map.Set(Entry(FourCC("GfXX"), -5, {9}));
  map.Set(Entry(FourCC("icns"), 128, Bytes(300, 0xAB), "app"));
  map.SetAttributes(0x0080);
  return map;
}

TEST(ResourceMap, RoundTripsTypesIdsNamesAndData) {
  plat::ResourceMap map = SampleMap();
  Bytes image;
  ASSERT_TRUE(map.Serialize(image));
  // The classic layout: data at 256, the header repeated at the map's start.
  EXPECT_EQ(Be32(image, 0), 256u);
  const u32 mapOffset = Be32(image, 4);
  EXPECT_EQ(mapOffset, 256u + Be32(image, 8));
  EXPECT_EQ(mapOffset + Be32(image, 12), image.size());
  EXPECT_EQ(Bytes(image.begin(), image.begin() + 16), Bytes(image.begin() + mapOffset, image.begin() + mapOffset + 16));
  EXPECT_EQ(Be16(image, mapOffset + 24), 28);
  EXPECT_EQ(Be16(image, mapOffset + 28), 2);  // three types, stored as count - 1

  plat::ResourceMap read;
  ASSERT_TRUE(read.Parse(image));
  ASSERT_EQ(read.Entries().size(), 4u);
  EXPECT_EQ(read.Attributes(), 0x0080);
  const plat::ResourceEntry* splash = read.Find(FourCC("GfXX"), 128);
  ASSERT_NE(splash, nullptr);
  EXPECT_EQ(splash->data, Bytes({1, 2, 3}));
  EXPECT_TRUE(splash->named);
  EXPECT_EQ(splash->name, "splash");
  EXPECT_EQ(read.FindNamed(FourCC("icns"), "app")->data.size(), 300u);
  EXPECT_EQ(read.Find(FourCC("GfXX"), -5)->data, Bytes({9}));
  EXPECT_TRUE(read.Find(FourCC("MxAl"), 1000)->data.empty());
  EXPECT_FALSE(read.Find(FourCC("MxAl"), 1000)->named);
  EXPECT_EQ(read.Find(FourCC("MxAl"), 1001), nullptr);

  // Writing what was read gives the same bytes.
  Bytes again;
  ASSERT_TRUE(read.Serialize(again));
  EXPECT_EQ(again, image);
}

TEST(ResourceMap, EmptyForksAndEditing) {
  plat::ResourceMap map;
  ASSERT_TRUE(map.Parse(nullptr, 0));
  Bytes image;
  ASSERT_TRUE(map.Serialize(image));
  plat::ResourceMap read;
  ASSERT_TRUE(read.Parse(image));
  EXPECT_TRUE(read.Entries().empty());

  read.Set(Entry(FourCC("SIZE"), -1, {0x58, 0x80}));
  read.Set(Entry(FourCC("SIZE"), -1, {0x00}));  // replaces
  EXPECT_EQ(read.Entries().size(), 1u);
  EXPECT_EQ(read.Find(FourCC("SIZE"), -1)->data, Bytes({0}));
  EXPECT_FALSE(read.Set(Entry(FourCC("STR "), 1, {}, std::string(256, 'n').c_str())));
  EXPECT_TRUE(read.Remove(FourCC("SIZE"), -1));
  EXPECT_FALSE(read.Remove(FourCC("SIZE"), -1));
}

TEST(ResourceMap, DamagedMapsAreRefusedWhole) {
  Bytes good;
  ASSERT_TRUE(SampleMap().Serialize(good));
  const u32 mapOffset = Be32(good, 4);
  const size_t typeList = mapOffset + 28;
  const size_t firstType = typeList + 2;
  const size_t firstReference = typeList + Be16(good, firstType + 6);

  auto patched = [&](size_t at, std::initializer_list<u8> bytes) {
    Bytes image = good;
    size_t i = at;
    for (u8 b : bytes) image[i++] = b;
    return image;
  };
  struct Case {
    const char* what;
    Bytes image;
  };
  const Case cases[] = {
      {"shorter than the header", Bytes(good.begin(), good.begin() + 10)},
      {"cut before the map's end", Bytes(good.begin(), good.end() - 1)},
      {"data length past the end", patched(8, {0x7F, 0xFF, 0xFF, 0xFF})},
      {"map offset past the end", patched(4, {0xFF, 0xFF, 0xFF, 0xF0})},
      {"map too short", patched(12, {0, 0, 0, 4})},
      {"type list outside the map", patched(mapOffset + 24, {0xFF, 0xF0})},
      {"name list outside the map", patched(mapOffset + 26, {0xFF, 0xF0})},
      {"too many types", patched(typeList, {0x40, 0x00})},
      {"too many resources", patched(firstType + 4, {0x7F, 0xFF})},
      {"reference list outside the map", patched(firstType + 6, {0xFF, 0xF0})},
      {"data offset past the data", patched(firstReference + 5, {0xFF, 0xFF, 0xF0})},
      {"name offset past the names", patched(firstReference + 2, {0x7F, 0x00})},
      {"resource length past the data", patched(256, {0x7F, 0xFF, 0xFF, 0xFF})},
      {"two references to one block", patched(firstReference + 12 + 5, {0, 0, 0})},
  };
  for (const Case& c : cases) {
    plat::ResourceMap map = SampleMap();
    EXPECT_FALSE(map.Parse(c.image)) << c.what;
    EXPECT_TRUE(map.Entries().empty()) << c.what;
  }
}

TEST(ResourceMap, RefusesDuplicateReferences) {
  // Two types with the same code and id in one map.
  Bytes image;
  plat::ResourceMap map;
  map.Set(Entry(FourCC("AAAA"), 1, {1}));
  map.Set(Entry(FourCC("BBBB"), 1, {2}));
  ASSERT_TRUE(map.Serialize(image));
  const size_t typeList = Be32(image, 4) + 28;
  for (int i = 0; i < 4; ++i) image[typeList + 2 + 8 + i] = 'A';
  plat::ResourceMap read;
  EXPECT_FALSE(read.Parse(image));
}

}  // namespace

namespace {

TEST(ResourceMap, SurvivesRandomlyDamagedImages) {
  Bytes good;
  ASSERT_TRUE(SampleMap().Serialize(good));
  u32 state = 12345;
  auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 8; };
  size_t accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes image = good;
    const int flips = 1 + int(next() % 4);
    for (int i = 0; i < flips; ++i) image[next() % image.size()] = u8(next());
    if (round % 5 == 0) image.resize(next() % image.size());
    plat::ResourceMap map;
    if (!map.Parse(image)) {
      EXPECT_TRUE(map.Entries().empty());
      continue;
    }
    ++accepted;
    size_t total = 0;
    for (const plat::ResourceEntry& entry : map.Entries()) total += entry.data.size();
    EXPECT_LE(total, image.size());
    Bytes again;
    EXPECT_TRUE(map.Serialize(again));
  }
  EXPECT_GT(accepted, 0u);  // flips in unused bytes leave a sound map
}

}  // namespace
