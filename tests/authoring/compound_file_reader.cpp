#include "tests/authoring/compound_file_reader.h"

#include <algorithm>
#include <functional>

#include "authoring/compound_entries.h"
#include "platform/text_encoding.h"

namespace cfbtest {

namespace {

constexpr uint32_t kSector = 512, kMini = 64, kCutoff = 4096;
constexpr uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatMark = 0xFFFFFFFD, kDifatMark = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

struct Entry {
  std::u16string name;
  uint8_t type = 0, color = 0;
  uint32_t left = 0, right = 0, child = 0, start = 0, size = 0, sizeHigh = 0;
  bool reached = false;
};

class Reader {
 public:
  Reader(const std::vector<uint8_t>& file, CompoundContents& out) : file_(file), out_(out) {}

  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  const std::string& Error() const { return error_; }

  bool Read();

 private:
  bool ReadHeader();
  bool ReadFat();
  // The sectors of a chain in `table`; each may be claimed only once.
  bool Chain(const std::vector<uint32_t>& table, uint32_t start, uint32_t limit, std::vector<bool>& claimed,
             std::vector<uint32_t>& sectors, const std::string& what);
  bool ReadDirectory();
  bool Walk(uint32_t index, const std::string& prefix, int depth);
  // Checks the red-black tree under `index`; its black height in `height`.
  bool CheckTree(uint32_t index, int depth, int& height, std::vector<uint32_t>& inOrder);
  bool ReadStream(const Entry& entry, const std::string& path);
  std::vector<uint8_t> Sector(uint32_t n) const {
    const size_t at = size_t(n + 1) * kSector;
    return std::vector<uint8_t>(file_.begin() + std::ptrdiff_t(at), file_.begin() + std::ptrdiff_t(at + kSector));
  }

  const std::vector<uint8_t>& file_;
  CompoundContents& out_;
  std::string error_;
  uint32_t sectorCount_ = 0;
  std::vector<uint32_t> fat_, miniFat_;
  std::vector<bool> claimed_, miniClaimed_;
  std::vector<Entry> entries_;
  std::vector<uint8_t> miniStream_;
};

bool Reader::Read() {
  return ReadHeader() && ReadFat() && ReadDirectory();
}

bool Reader::ReadHeader() {
  if (file_.size() < kSector || file_.size() % kSector != 0) return Fail("the file is not whole sectors");
  const uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (!std::equal(signature, signature + 8, file_.begin())) return Fail("bad signature");
  for (size_t i = 8; i < 24; ++i)
    if (file_[i] != 0) return Fail("header class id not zero");
  out_.minorVersion = U16(file_, 24);
  if (U16(file_, 26) != 3) return Fail("major version not 3");
  if (U16(file_, 28) != 0xFFFE) return Fail("bad byte order");
  if (U16(file_, 30) != 9 || U16(file_, 32) != 6) return Fail("bad sector shifts");
  for (size_t i = 34; i < 44; ++i)
    if (file_[i] != 0) return Fail("reserved header bytes not zero");
  if (U32(file_, 52) != 0) return Fail("transaction signature not zero");
  if (U32(file_, 56) != kCutoff) return Fail("bad mini stream cutoff");
  out_.fatSectors = U32(file_, 44);
  out_.directoryStart = U32(file_, 48);
  out_.miniFatStart = U32(file_, 60);
  out_.miniFatSectors = U32(file_, 64);
  out_.difatStart = U32(file_, 68);
  out_.difatSectors = U32(file_, 72);
  sectorCount_ = uint32_t(file_.size() / kSector - 1);
  return true;
}

bool Reader::ReadFat() {
  const uint32_t fatCount = out_.fatSectors;
  if (fatCount == 0 || fatCount > sectorCount_) return Fail("bad FAT sector count");
  std::vector<uint32_t>& numbers = out_.fatSectorNumbers;
  for (uint32_t i = 0; i < 109; ++i) {
    const uint32_t slot = U32(file_, 76 + 4 * size_t(i));
    if (i < fatCount)
      numbers.push_back(slot);
    else if (slot != kFree)
      return Fail("unused header DIFAT slot not free");
  }
  std::vector<uint32_t> difatSectors;
  if (fatCount <= 109) {
    if (out_.difatStart != kEnd || out_.difatSectors != 0) return Fail("DIFAT without need");
  } else {
    uint32_t next = out_.difatStart;
    for (uint32_t n = 0; n < out_.difatSectors; ++n) {
      if (next >= sectorCount_) return Fail("DIFAT sector out of range");
      difatSectors.push_back(next);
      const std::vector<uint8_t> sector = Sector(next);
      for (uint32_t slot = 0; slot < 127; ++slot) {
        const uint32_t value = U32(sector, 4 * size_t(slot));
        if (numbers.size() < fatCount)
          numbers.push_back(value);
        else if (value != kFree)
          return Fail("unused DIFAT slot not free");
      }
      next = U32(sector, 508);
    }
    if (next != kEnd) return Fail("DIFAT chain does not end");
    if (numbers.size() != fatCount) return Fail("DIFAT too short");
  }
  for (uint32_t number : numbers) {
    if (number >= sectorCount_) return Fail("FAT sector out of range");
    const std::vector<uint8_t> sector = Sector(number);
    for (size_t i = 0; i < kSector; i += 4) fat_.push_back(U32(sector, i));
  }
  if (fat_.size() < sectorCount_) return Fail("the FAT does not cover the file");
  for (size_t i = sectorCount_; i < fat_.size(); ++i)
    if (fat_[i] != kFree) return Fail("FAT entry past the file not free");
  claimed_.assign(sectorCount_, false);
  for (uint32_t number : numbers) {
    if (fat_[number] != kFatMark) return Fail("FAT sector not marked");
    if (claimed_[number]) return Fail("FAT sector listed twice");
    claimed_[number] = true;
  }
  for (uint32_t number : difatSectors) {
    if (fat_[number] != kDifatMark) return Fail("DIFAT sector not marked");
    if (claimed_[number]) return Fail("DIFAT sector listed twice");
    claimed_[number] = true;
  }
  for (uint32_t i = 0; i < sectorCount_; ++i)
    if ((fat_[i] == kFatMark || fat_[i] == kDifatMark) && !claimed_[i]) return Fail("stray FAT or DIFAT mark");
  out_.fat = fat_;
  return true;
}

bool Reader::Chain(const std::vector<uint32_t>& table, uint32_t start, uint32_t limit, std::vector<bool>& claimed,
                   std::vector<uint32_t>& sectors, const std::string& what) {
  sectors.clear();
  uint32_t at = start;
  while (at != kEnd) {
    if (at >= limit || at >= table.size()) return Fail(what + ": chain leaves the table");
    if (claimed[at]) return Fail(what + ": sector used twice");
    claimed[at] = true;
    sectors.push_back(at);
    at = table[at];
  }
  return true;
}

bool Reader::ReadDirectory() {
  std::vector<uint32_t> sectors;
  if (!Chain(fat_, out_.directoryStart, sectorCount_, claimed_, sectors, "directory")) return false;
  if (sectors.empty()) return Fail("no directory");
  for (uint32_t sector : sectors) {
    const std::vector<uint8_t> bytes = Sector(sector);
    for (size_t at = 0; at < kSector; at += 128) {
      Entry entry;
      const uint16_t nameLength = U16(bytes, at + 64);
      entry.type = bytes[at + 66];
      entry.color = bytes[at + 67];
      entry.left = U32(bytes, at + 68);
      entry.right = U32(bytes, at + 72);
      entry.child = U32(bytes, at + 76);
      entry.start = U32(bytes, at + 116);
      entry.size = U32(bytes, at + 120);
      entry.sizeHigh = U32(bytes, at + 124);
      if (entry.type == 0) {
        for (size_t i = 0; i < 128; ++i) {
          const bool link = i >= 68 && i < 80;
          if (bytes[at + i] != (link ? 0xFF : 0)) return Fail("unused entry not blank");
        }
      } else {
        if (nameLength < 4 || nameLength > 64 || nameLength % 2 != 0) return Fail("bad name length");
        for (size_t i = 0; i + 1 < nameLength / 2u; ++i) entry.name.push_back(char16_t(U16(bytes, at + 2 * i)));
        if (U16(bytes, at + nameLength - 2) != 0) return Fail("name without its terminating zero");
        for (size_t i = nameLength; i < 64; ++i)
          if (bytes[at + i] != 0) return Fail("bytes after the name");
        if (entry.sizeHigh != 0) return Fail("size above 32 bits");
        for (size_t i = 96; i < 116; ++i)
          if (bytes[at + i] != 0) return Fail("state bits or times set");
      }
      entries_.push_back(entry);
    }
  }
  Entry& root = entries_[0];
  if (root.type != 5 || root.name != u"Root Entry") return Fail("entry 0 is not the root");
  if (root.left != kNoStream || root.right != kNoStream || root.color != 1) return Fail("root with siblings");
  out_.rootStart = root.start;
  out_.rootSize = root.size;

  // The mini FAT and the mini stream.
  std::vector<uint32_t> miniFatSectors;
  if (!Chain(fat_, out_.miniFatStart, sectorCount_, claimed_, miniFatSectors, "mini FAT")) return false;
  if (miniFatSectors.size() != out_.miniFatSectors) return Fail("mini FAT count differs");
  for (uint32_t sector : miniFatSectors) {
    const std::vector<uint8_t> bytes = Sector(sector);
    for (size_t i = 0; i < kSector; i += 4) miniFat_.push_back(U32(bytes, i));
  }
  std::vector<uint32_t> miniSectors;
  if (!Chain(fat_, root.start, sectorCount_, claimed_, miniSectors, "mini stream")) return false;
  if (uint64_t(miniSectors.size()) * kSector < root.size || (root.size + kSector - 1) / kSector != miniSectors.size())
    return Fail("mini stream size differs from its chain");
  for (uint32_t sector : miniSectors) {
    const std::vector<uint8_t> bytes = Sector(sector);
    miniStream_.insert(miniStream_.end(), bytes.begin(), bytes.end());
  }
  if (miniFat_.size() * kMini < root.size) return Fail("mini FAT shorter than the mini stream");
  miniClaimed_.assign(miniFat_.size(), false);

  entries_[0].reached = true;
  if (!Walk(0, "", 0)) return false;
  for (const Entry& entry : entries_) {
    if (entry.type != 0 && !entry.reached) return Fail("entry outside the tree");
    if (entry.type != 0) ++out_.directoryEntries;
  }
  // Everything the FAT uses belongs to some chain.
  for (uint32_t i = 0; i < sectorCount_; ++i)
    if (fat_[i] != kFree && !claimed_[i]) return Fail("sector in use by no chain");
  for (size_t i = 0; i < miniFat_.size(); ++i)
    if (miniFat_[i] != kFree && !miniClaimed_[i]) return Fail("mini sector in use by no stream");
  return true;
}

bool Reader::CheckTree(uint32_t index, int depth, int& height, std::vector<uint32_t>& inOrder) {
  if (index == kNoStream) {
    height = 1;
    return true;
  }
  if (depth > 64 || index >= entries_.size()) return Fail("bad sibling link");
  Entry& entry = entries_[index];
  if (entry.reached) return Fail("entry linked twice");
  if (entry.type != 1 && entry.type != 2) return Fail("child of bad type");
  if (entry.color > 1) return Fail("bad colour");
  entry.reached = true;
  int leftHeight = 0, rightHeight = 0;
  if (!CheckTree(entry.left, depth + 1, leftHeight, inOrder)) return false;
  inOrder.push_back(index);
  if (!CheckTree(entry.right, depth + 1, rightHeight, inOrder)) return false;
  if (leftHeight != rightHeight) return Fail("black heights differ");
  if (entry.color == 0) {
    for (uint32_t side : {entry.left, entry.right})
      if (side != kNoStream && entries_[side].color == 0) return Fail("red entry with a red child");
  }
  height = leftHeight + (entry.color == 1 ? 1 : 0);
  return true;
}

bool Reader::Walk(uint32_t index, const std::string& prefix, int depth) {
  if (depth > 64) return Fail("storages too deep");
  const uint32_t top = entries_[index].child;
  if (top != kNoStream && top < entries_.size() && entries_[top].color != 1) return Fail("red tree root");
  int height = 0;
  std::vector<uint32_t> inOrder;
  if (!CheckTree(top, 0, height, inOrder)) return false;
  for (size_t i = 1; i < inOrder.size(); ++i)
    if (CompareEntryNames(entries_[inOrder[i - 1]].name, entries_[inOrder[i]].name) >= 0)
      return Fail("siblings out of order");
  std::vector<std::string>& childNames = out_.childNames[prefix.empty() ? prefix : prefix.substr(0, prefix.size() - 1)];
  for (uint32_t child : inOrder) {
    const Entry entry = entries_[child];
    std::string name;
    if (!plat::EncodeText(entry.name, kCFStringEncodingUTF8, name)) return Fail("name not encodable");
    childNames.push_back(name);
    const std::string path = prefix + name;
    if (entry.type == 1) {
      if (entry.start != 0 || entry.size != 0) return Fail("storage with a start or size");
      out_.storages.insert(path);
      if (!Walk(child, path + "/", depth + 1)) return false;
    } else {
      if (entry.child != kNoStream) return Fail("stream with children");
      if (!ReadStream(entry, path)) return false;
    }
  }
  return true;
}

bool Reader::ReadStream(const Entry& entry, const std::string& path) {
  out_.starts[path] = entry.start;
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> sectors;
  if (entry.size == 0) {
    if (entry.start != kEnd) return Fail(path + ": empty stream with a start");
  } else if (entry.size < kCutoff) {
    if (!Chain(miniFat_, entry.start, uint32_t(miniStream_.size() / kMini), miniClaimed_, sectors, path))
      return false;
    if (sectors.size() != (entry.size + kMini - 1) / kMini) return Fail(path + ": mini chain length");
    for (uint32_t sector : sectors)
      bytes.insert(bytes.end(), miniStream_.begin() + std::ptrdiff_t(size_t(sector) * kMini),
                   miniStream_.begin() + std::ptrdiff_t(size_t(sector + 1) * kMini));
  } else {
    if (!Chain(fat_, entry.start, sectorCount_, claimed_, sectors, path)) return false;
    if (sectors.size() != (uint64_t(entry.size) + kSector - 1) / kSector) return Fail(path + ": chain length");
    for (uint32_t sector : sectors) {
      const size_t at = size_t(sector + 1) * kSector;
      bytes.insert(bytes.end(), file_.begin() + std::ptrdiff_t(at), file_.begin() + std::ptrdiff_t(at + kSector));
    }
  }
  bytes.resize(entry.size);
  out_.streams[path] = std::move(bytes);
  return true;
}

}  // namespace

bool ReadCompoundFile(const std::vector<uint8_t>& file, CompoundContents& out, std::string& error) {
  out = CompoundContents();
  Reader reader(file, out);
  const bool ok = reader.Read();
  error = reader.Error();
  return ok;
}

}  // namespace cfbtest
