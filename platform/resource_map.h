// The classic resource-fork format, read from and written to a byte image.
//
// Layout (all numbers big-endian):
//   header   u32 data offset, u32 map offset, u32 data length, u32 map length
//   data     per resource: u32 length, then its bytes
//   map      16 reserved bytes, u32 reserved, u16 reserved, u16 attributes,
//            u16 offset of the type list, u16 offset of the name list (both
//            from the map's start); the type list: u16 type count - 1, then
//            per type u32 type, u16 resource count - 1, u16 offset of its
//            reference list (from the type list's start); a reference is
//            u16 id, u16 name offset (0xFFFF: none), u8 attributes, u24 data
//            offset (from the data's start), u32 reserved; names are a length
//            byte and that many bytes.
// Every offset, count and length read is checked against the image, so a
// damaged fork is refused as a whole instead of being half read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/mac_types.h"

namespace plat {

struct ResourceEntry {
  ResType type = 0;
  ResID id = 0;
  u8 attributes = 0;
  bool named = false;
  std::string name;  // Mac Roman bytes, at most 255
  std::vector<u8> data;
};

class ResourceMap {
 public:
  // Reads a fork image; an empty image is an empty map. False, with the map
  // left empty, when the image is not a sound resource fork.
  [[nodiscard]] bool Parse(const u8* image, size_t size);
  [[nodiscard]] bool Parse(const std::vector<u8>& image) { return Parse(image.data(), image.size()); }

  // The fork image of the map, types and ids in ascending order; false when
  // the resources do not fit the format (data beyond 16 MiB, a map beyond
  // 64 KiB).
  bool Serialize(std::vector<u8>& image) const;

  [[nodiscard]] const ResourceEntry* Find(ResType type, ResID id) const;
  [[nodiscard]] const ResourceEntry* FindNamed(ResType type, const std::string& name) const;
  // Adds the resource or replaces the one of its type and id; false for a
  // name longer than 255 bytes.
  bool Set(const ResourceEntry& entry);
  [[nodiscard]] bool Remove(ResType type, ResID id);
  void Clear();

  const std::vector<ResourceEntry>& Entries() const { return entries_; }
  u16 Attributes() const { return attributes_; }
  void SetAttributes(u16 attributes) { attributes_ = attributes; }

 private:
  std::vector<ResourceEntry> entries_;
  u16 attributes_ = 0;
};

}  // namespace plat
