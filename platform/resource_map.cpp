#include "platform/resource_map.h"

#include <algorithm>
#include <utility>

#include "platform/byte_order.h"

namespace plat {
namespace {

constexpr size_t kHeaderSize = 16;
constexpr size_t kDataStart = 256;  // header, system area and application area
constexpr size_t kMapHeaderSize = 28;
constexpr size_t kTypeEntrySize = 8;
constexpr size_t kReferenceSize = 12;
constexpr u32 kMaxDataOffset = 0xFFFFFF;
constexpr u16 kNoName = 0xFFFF;

// True when [offset, offset + length) lies inside [0, limit).
[[nodiscard]] bool Inside(u64 offset, u64 length, u64 limit) { return offset <= limit && length <= limit - offset; }

[[nodiscard]] bool Before(const ResourceEntry& a, const ResourceEntry& b) {
  return a.type != b.type ? a.type < b.type : a.id < b.id;
}

}  // namespace

bool ResourceMap::Parse(const u8* image, size_t size) {
  Clear();
  if (size == 0) return true;
  if (!image || size < kHeaderSize) return false;
  const u32 dataOffset = GetBig32(image), mapOffset = GetBig32(image + 4);
  const u32 dataLength = GetBig32(image + 8), mapLength = GetBig32(image + 12);
  if (!Inside(dataOffset, dataLength, size) || !Inside(mapOffset, mapLength, size)) return false;
  if (mapLength < kMapHeaderSize + 2) return false;
  const u8* map = image + mapOffset;
  const u8* data = image + dataOffset;
  const u32 typeListOffset = GetBig16(map + 24), nameListOffset = GetBig16(map + 26);
  if (!Inside(typeListOffset, 2, mapLength) || nameListOffset > mapLength) return false;
  const u8* typeList = map + typeListOffset;
  const u32 typeCount = (GetBig16(typeList) + 1) & 0xFFFF;  // 0xFFFF stands for no types
  if (!Inside(u64(typeListOffset) + 2, u64(typeCount) * kTypeEntrySize, mapLength)) return false;

  struct Block {
    u32 at, length;
    size_t entry;
  };
  std::vector<ResourceEntry> entries;
  std::vector<Block> blocks;
  for (u32 t = 0; t < typeCount; ++t) {
    const u8* typeEntry = typeList + 2 + t * kTypeEntrySize;
    const ResType type = GetBig32(typeEntry);
    const u32 count = GetBig16(typeEntry + 4) + 1;
    const u64 referenceOffset = u64(typeListOffset) + GetBig16(typeEntry + 6);
    if (!Inside(referenceOffset, u64(count) * kReferenceSize, mapLength)) return false;
    for (u32 r = 0; r < count; ++r) {
      const u8* reference = map + referenceOffset + r * kReferenceSize;
      ResourceEntry entry;
      entry.type = type;
      entry.id = ResID(GetBig16(reference));
      entry.attributes = reference[4];
      const u32 nameOffset = GetBig16(reference + 2);
      if (nameOffset != kNoName) {
        const u64 at = u64(nameListOffset) + nameOffset;
        if (!Inside(at, 1, mapLength) || !Inside(at + 1, map[at], mapLength)) return false;
        entry.named = true;
        entry.name.assign(reinterpret_cast<const char*>(map + at + 1), map[at]);
      }
      const u32 at = GetBig24(reference + 5);
      if (!Inside(at, 4, dataLength)) return false;
      const u32 length = GetBig32(data + at);
      if (!Inside(u64(at) + 4, length, dataLength)) return false;
      blocks.push_back({at, length, entries.size()});
      entries.push_back(std::move(entry));
    }
  }
  // Honest forks never share data between resources; refusing overlap also
  // bounds what a hostile map can make us copy by the fork's size.
  std::sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) { return a.at < b.at; });
  for (size_t i = 1; i < blocks.size(); ++i)
    if (u64(blocks[i - 1].at) + 4 + blocks[i - 1].length > blocks[i].at) return false;
  for (const Block& block : blocks)
    entries[block.entry].data.assign(data + block.at + 4, data + block.at + 4 + block.length);
  std::sort(entries.begin(), entries.end(), Before);
  for (size_t i = 1; i < entries.size(); ++i) {
    if (entries[i - 1].type == entries[i].type && entries[i - 1].id == entries[i].id) return false;
  }
  entries_ = std::move(entries);
  attributes_ = u16(GetBig16(map + 22));
  return true;
}

bool ResourceMap::Serialize(std::vector<u8>& image) const {
  std::vector<u8> out(kDataStart, 0);
  // Data area, remembering each resource's offset in it.
  std::vector<u32> offsets;
  offsets.reserve(entries_.size());
  for (const ResourceEntry& entry : entries_) {
    const size_t at = out.size() - kDataStart;
    if (at > kMaxDataOffset || entry.data.size() > 0xFFFFFFFFu - 4) return false;
    offsets.push_back(u32(at));
    AppendBig32(out, u32(entry.data.size()));
    out.insert(out.end(), entry.data.begin(), entry.data.end());
  }
  const u64 dataLength = out.size() - kDataStart;
  if (dataLength > 0xFFFFFFFFu) return false;

  // Types in ascending order with their first entry and count (entries are sorted).
  std::vector<std::pair<size_t, size_t>> types;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (types.empty() || entries_[types.back().first].type != entries_[i].type)
      types.push_back({i, 0});
    ++types.back().second;
  }
  if (types.size() > 0x10000) return false;
  for (const auto& type : types)
    if (type.second > 0x10000) return false;

  const size_t mapStart = out.size();
  std::vector<u8> map(kMapHeaderSize, 0);
  map[22] = u8(attributes_ >> 8);
  map[23] = u8(attributes_);
  map[24] = 0;
  map[25] = u8(kMapHeaderSize);
  AppendBig16(map, u32(types.size()) - 1);  // 0xFFFF for an empty map
  size_t referenceOffset = 2 + types.size() * kTypeEntrySize;
  for (const auto& type : types) {
    if (referenceOffset > 0xFFFF) return false;
    AppendBig32(map, entries_[type.first].type);
    AppendBig16(map, u32(type.second) - 1);
    AppendBig16(map, u32(referenceOffset));
    referenceOffset += type.second * kReferenceSize;
  }
  std::vector<u8> names;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const ResourceEntry& entry = entries_[i];
    AppendBig16(map, u16(entry.id));
    if (entry.named) {
      if (names.size() >= kNoName || entry.name.size() > 255) return false;
      AppendBig16(map, u32(names.size()));
      names.push_back(u8(entry.name.size()));
      names.insert(names.end(), entry.name.begin(), entry.name.end());
    } else {
      AppendBig16(map, kNoName);
    }
    map.push_back(entry.attributes);
    AppendBig24(map, offsets[i]);
    AppendBig32(map, 0);
  }
  if (map.size() > 0xFFFF) return false;
  map[26] = u8(map.size() >> 8);
  map[27] = u8(map.size());
  map.insert(map.end(), names.begin(), names.end());
  out.insert(out.end(), map.begin(), map.end());

  PutBig32(&out[0], u32(kDataStart));
  PutBig32(&out[4], u32(mapStart));
  PutBig32(&out[8], u32(dataLength));
  PutBig32(&out[12], u32(map.size()));
  std::copy(out.data(), out.data() + kHeaderSize, out.data() + mapStart);  // the header's copy
  image = std::move(out);
  return true;
}

const ResourceEntry* ResourceMap::Find(ResType type, ResID id) const {
  for (const ResourceEntry& entry : entries_)
    if (entry.type == type && entry.id == id) return &entry;
  return nullptr;
}

const ResourceEntry* ResourceMap::FindNamed(ResType type, const std::string& name) const {
  for (const ResourceEntry& entry : entries_)
    if (entry.type == type && entry.named && entry.name == name) return &entry;
  return nullptr;
}

bool ResourceMap::Set(const ResourceEntry& entry) {
  if (entry.name.size() > 255) return false;
  auto at = std::lower_bound(entries_.begin(), entries_.end(), entry, Before);
  if (at != entries_.end() && at->type == entry.type && at->id == entry.id)
    *at = entry;
  else
    entries_.insert(at, entry);
  return true;
}

bool ResourceMap::Remove(ResType type, ResID id) {
  for (auto at = entries_.begin(); at != entries_.end(); ++at) {
    if (at->type == type && at->id == id) {
      entries_.erase(at);
      return true;
    }
  }
  return false;
}

void ResourceMap::Clear() {
  entries_.clear();
  attributes_ = 0;
}

}  // namespace plat
