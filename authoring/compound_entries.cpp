#include "authoring/compound_entries.h"

#include <algorithm>
#include <cstring>

#include "authoring/compound_sectors.h"
#include "foundation/cf_string_holder.h"
#include "platform/text_encoding.h"

namespace {

// The simple upper case of the letters a name in Mac Roman can hold.
char16_t UpperUnit(char16_t unit) {
  if (unit >= u'a' && unit <= u'z') return char16_t(unit - 0x20);
  if (unit >= 0x00E0 && unit <= 0x00FE && unit != 0x00F7) return char16_t(unit - 0x20);
  switch (unit) {
    case 0x00B5: return 0x039C;  // micro sign
    case 0x00FF: return 0x0178;
    case 0x0131: return u'I';    // dotless i
    case 0x0153: return 0x0152;
    case 0x0192: return 0x0191;
    case 0x03C0: return 0x03A0;  // pi
    default: return unit;
  }
}

// Builds the subtree of sorted[lo, hi): the middle entry on top, so that the
// two sides differ by one entry at most. Entries below the last full level
// (depth `fullLevels` and deeper) are red, the others black: every path
// then passes the same number of black entries and no red entry has a red
// child.
u32 LinkRange(const std::vector<CCompoundEntry*>& sorted, size_t lo, size_t hi, u32 depth, u32 fullLevels) {
  if (lo >= hi) return cfb::kNoEntry;
  const size_t middle = lo + (hi - lo) / 2;
  CCompoundEntry* entry = sorted[middle];
  entry->leftSibling = LinkRange(sorted, lo, middle, depth + 1, fullLevels);
  entry->rightSibling = LinkRange(sorted, middle + 1, hi, depth + 1, fullLevels);
  entry->color = depth >= fullLevels ? 0 : 1;
  return entry->index;
}

}  // namespace

int CompareEntryNames(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    const char16_t x = UpperUnit(a[i]), y = UpperUnit(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool MakeEntryName(const char* text, std::u16string& name) {
  name.clear();
  if (!text || !*text) return false;
  std::u16string units;
  if (!plat::DecodeText(reinterpret_cast<const u8*>(text), std::strlen(text), GetTextEncoding(), units))
    return false;
  if (units.size() > CCompoundEntry::kMaxNameUnits) return false;
  for (char16_t unit : units)
    if (unit == u'/' || unit == u'\\' || unit == u':' || unit == u'!' || unit == 0) return false;
  name = std::move(units);
  return true;
}

CCompoundEntry* CCompoundStorage::FindChild(const std::u16string& name) const {
  for (CCompoundEntry* entry : children_)
    if (CompareEntryNames(entry->GetName(), name) == 0) return entry;
  return nullptr;
}

void CCompoundStorage::LinkChildren() {
  std::vector<CCompoundEntry*> sorted = children_;
  std::sort(sorted.begin(), sorted.end(), [](const CCompoundEntry* a, const CCompoundEntry* b) {
    return CompareEntryNames(a->GetName(), b->GetName()) < 0;
  });
  // The number of completely filled levels of a tree of n entries.
  u32 fullLevels = 0;
  while ((u64(2) << fullLevels) - 1 <= sorted.size()) ++fullLevels;
  child = LinkRange(sorted, 0, sorted.size(), 0, fullLevels);
}

void BuildDirectoryEntry(const CCompoundEntry* entry, std::vector<u8>& buffer, size_t offset) {
  std::fill(buffer.begin() + std::ptrdiff_t(offset), buffer.begin() + std::ptrdiff_t(offset + cfb::kEntrySize), 0);
  cfb::PutU32(buffer, offset + 68, cfb::kNoEntry);
  cfb::PutU32(buffer, offset + 72, cfb::kNoEntry);
  cfb::PutU32(buffer, offset + 76, cfb::kNoEntry);
  if (!entry) return;  // unused: all zero but the three links

  const std::u16string& name = entry->GetName();
  for (size_t i = 0; i < name.size(); ++i) cfb::PutU16(buffer, offset + 2 * i, name[i]);
  cfb::PutU16(buffer, offset + 64, u16((name.size() + 1) * 2));
  buffer[offset + 66] = u8(entry->GetType());
  buffer[offset + 67] = entry->color;
  cfb::PutU32(buffer, offset + 68, entry->leftSibling);
  cfb::PutU32(buffer, offset + 72, entry->rightSibling);
  cfb::PutU32(buffer, offset + 76, entry->child);
  std::copy(std::begin(entry->classId), std::end(entry->classId), buffer.begin() + std::ptrdiff_t(offset + 80));
  // State bits and the four time words stay 0.
  cfb::PutU32(buffer, offset + 116, entry->startSector);
  cfb::PutU32(buffer, offset + 120, u32(entry->size));
}
