// Fuzz target of the resource map and resource files (a ".rsrc" file, the
// bundle's "main.rsrc", resource forks): any bytes parse as a map or are
// refused as a whole; a map that parses serialises and parses again to the
// same resources; and the resource file opened on the same bytes finds
// exactly the resources the map holds.
//
// Seeds: maps our serialiser writes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "foundation/resource_file.h"
#include "platform/memory_handles.h"
#include "platform/resource_map.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool SameEntries(const plat::ResourceMap& a, const plat::ResourceMap& b) {
  if (a.Entries().size() != b.Entries().size() || a.Attributes() != b.Attributes()) return false;
  for (const plat::ResourceEntry& entry : a.Entries()) {
    const plat::ResourceEntry* other = b.Find(entry.type, entry.id);
    if (!other || other->attributes != entry.attributes || other->named != entry.named ||
        other->name != entry.name || other->data != entry.data)
      return false;
  }
  return true;
}

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  plat::ResourceMap map;
  plat::ResourceEntry entry;
  entry.type = FourCC("GfXX");
  entry.id = 128;
  entry.data = {1, 2, 3, 4, 5};
  map.Set(entry);
  entry.type = FourCC("icns");
  entry.named = true;
  entry.name = "Application";
  entry.attributes = 0x20;
  entry.data.assign(300, 0xAB);
  map.Set(entry);
  entry.id = -16455;
  entry.named = false;
  entry.data.clear();
  map.Set(entry);
  map.SetAttributes(0x0080);
  std::vector<u8> image;
  gbfuzz::Check(map.Serialize(image), "a sample map cannot be serialised");
  seeds.Add(image);
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  plat::ResourceMap map;
  const bool parsed = map.Parse(data, size);
  if (parsed) {
    std::vector<u8> image;
    if (map.Serialize(image)) {
      plat::ResourceMap again;
      gbfuzz::Check(again.Parse(image), "a serialised map does not parse");
      gbfuzz::Check(SameEntries(map, again), "a serialised map parses to other resources");
      std::vector<u8> twice;
      gbfuzz::Check(again.Serialize(twice) && twice == image, "a map does not serialise the same twice");
    }
  }

  // The same bytes as a ".rsrc" file (an empty file is no resource file).
  static const std::string folder = gbfuzz::SandboxFolder("work");
  gbfuzz::WriteHostFile(folder + "file.rsrc", data, size);
  CResourceFile file;
  const bool opened = file.Open(CPathName(folder + "file.rsrc"));
  gbfuzz::Check(opened == (parsed && size > 0), "the resource file and the map disagree on the bytes");
  if (!opened) return 0;
  for (const plat::ResourceEntry& entry : map.Entries()) {
    Handle resource = nullptr;
    long length = 0;
    gbfuzz::Check(file.GetResource(entry.type, entry.id, &resource, &length) && resource,
                  "a resource of the map is not in the resource file");
    gbfuzz::Check(size_t(length) == entry.data.size() &&
                      (length == 0 || std::equal(entry.data.begin(), entry.data.end(), reinterpret_cast<u8*>(*resource))),
                  "a resource of the file differs from the map's");
  }
  file.Close();
  return 0;
}
