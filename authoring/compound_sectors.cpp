#include "authoring/compound_sectors.h"

#include <algorithm>

namespace cfb {

namespace {

constexpr u8 kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

u64 CeilDiv(u64 value, u64 divisor) { return (value + divisor - 1) / divisor; }

// Sector and mini sector numbers stop below the special values.
[[nodiscard]] bool FitsSectorNumbers(u64 count) { return count <= u64(kMaxRegularSector) + 1; }

}  // namespace

void PutU16(std::vector<u8>& buffer, size_t offset, u16 value) {
  buffer[offset] = u8(value);
  buffer[offset + 1] = u8(value >> 8);
}

void PutU32(std::vector<u8>& buffer, size_t offset, u32 value) {
  for (int i = 0; i < 4; ++i) buffer[offset + size_t(i)] = u8(value >> (8 * i));
}

u32 CAllocationTable::AllocateRun(u32 n) {
  const u32 start = GetCount();
  for (u32 i = 1; i < n; ++i) entries_.push_back(start + i);
  if (n > 0) entries_.push_back(kEndOfChain);
  return start;
}

u32 CAllocationTable::AllocateMarked(u32 n, u32 mark) {
  const u32 start = GetCount();
  entries_.insert(entries_.end(), n, mark);
  return start;
}

bool PlanSectors(const std::vector<u64>& streamSizes, u64 entryCount, CSectorPlan& plan) {
  plan = CSectorPlan();
  if (entryCount == 0 || entryCount > u64(kMaxRegularSector) + 1) return false;

  // First the counts, so that nothing is allocated for a file that cannot
  // be written.
  u64 largeSectors = 0, miniSectors = 0;
  for (u64 size : streamSizes) {
    if (size > kMaxStreamSize) return false;
    if (IsSmallStream(size))
      miniSectors += CeilDiv(size, kMiniSectorSize);
    else
      largeSectors += CeilDiv(size, kSectorSize);
  }
  const u64 paddedMiniSectors = CeilDiv(miniSectors, kMiniSectorsPerSector) * kMiniSectorsPerSector;
  // The root entry holds the mini stream's size in 32 bits.
  if (paddedMiniSectors * kMiniSectorSize > kMaxStreamSize) return false;
  const u64 directorySectors = CeilDiv(entryCount, kEntriesPerSector);
  const u64 miniStreamSectors = paddedMiniSectors / kMiniSectorsPerSector;
  const u64 miniFatSectors = CeilDiv(miniSectors, kFatEntriesPerSector);
  const u64 allocated = largeSectors + directorySectors + miniStreamSectors + miniFatSectors;

  // The FAT has to describe its own sectors and the DIFAT's too.
  u64 fatSectors = 0, difatSectors = 0;
  for (;;) {
    const u64 fat = CeilDiv(fatSectors + difatSectors + allocated, kFatEntriesPerSector);
    const u64 difat = fat <= kHeaderDifatSlots ? 0 : CeilDiv(fat - kHeaderDifatSlots, kDifatEntriesPerSector);
    if (fat == fatSectors && difat == difatSectors) break;
    fatSectors = fat;
    difatSectors = difat;
  }
  if (!FitsSectorNumbers(allocated + fatSectors + difatSectors)) return false;

  // The mini stream: each small stream's run of mini sectors, in order.
  plan.streamStarts.assign(streamSizes.size(), kEndOfChain);
  for (size_t i = 0; i < streamSizes.size(); ++i) {
    const u64 size = streamSizes[i];
    if (IsSmallStream(size) && size > 0) plan.streamStarts[i] = plan.miniFat.AllocateRun(u32(CeilDiv(size, kMiniSectorSize)));
  }
  plan.miniSectors = u32(paddedMiniSectors);

  // Ordinary sectors, one run each.
  for (size_t i = 0; i < streamSizes.size(); ++i) {
    const u64 size = streamSizes[i];
    if (!IsSmallStream(size)) plan.streamStarts[i] = plan.fat.AllocateRun(u32(CeilDiv(size, kSectorSize)));
  }
  plan.directorySectors = u32(directorySectors);
  plan.directoryStart = plan.fat.AllocateRun(plan.directorySectors);
  plan.miniStreamSectors = u32(miniStreamSectors);
  if (plan.miniStreamSectors > 0) plan.miniStreamStart = plan.fat.AllocateRun(plan.miniStreamSectors);
  plan.miniFatSectors = u32(miniFatSectors);
  if (plan.miniFatSectors > 0) plan.miniFatStart = plan.fat.AllocateRun(plan.miniFatSectors);
  plan.fatSectors = u32(fatSectors);
  plan.fatStart = plan.fat.AllocateMarked(plan.fatSectors, kFatSector);
  plan.difatSectors = u32(difatSectors);
  if (plan.difatSectors > 0) plan.difatStart = plan.fat.AllocateMarked(plan.difatSectors, kDifatSector);
  return true;
}

std::vector<u8> BuildHeader(const CSectorPlan& plan) {
  std::vector<u8> header(kSectorSize, 0xFF);
  for (size_t i = 0; i < sizeof kSignature; ++i) header[i] = kSignature[i];
  for (size_t i = 8; i < 24; ++i) header[i] = 0;  // class id
  PutU16(header, 24, kMinorVersion);
  PutU16(header, 26, kMajorVersion);
  PutU16(header, 28, 0xFFFE);                     // byte order
  PutU16(header, 30, 9);                          // sector shift
  PutU32(header, 32, 6);                          // mini sector shift, reserved
  PutU32(header, 36, 0);                          // reserved
  PutU32(header, 40, 0);                          // directory sectors: none in version 3
  PutU32(header, 44, plan.fatSectors);
  PutU32(header, 48, plan.directoryStart);
  PutU32(header, 52, 0);                          // transaction signature
  PutU32(header, 56, kMiniStreamCutoff);
  PutU32(header, 60, plan.miniFatStart);
  PutU32(header, 64, plan.miniFatSectors);
  PutU32(header, 68, plan.difatStart);
  PutU32(header, 72, plan.difatSectors);
  for (u32 i = 0; i < kHeaderDifatSlots; ++i)
    PutU32(header, 76 + 4 * size_t(i), i < plan.fatSectors ? plan.fatStart + i : kFreeSector);
  return header;
}

std::vector<u8> BuildTableSectors(const std::vector<u32>& entries, u32 sectorCount) {
  std::vector<u8> bytes(size_t(sectorCount) * kSectorSize, 0xFF);
  const size_t count = std::min(entries.size(), size_t(sectorCount) * kFatEntriesPerSector);
  for (size_t i = 0; i < count; ++i) PutU32(bytes, 4 * i, entries[i]);
  return bytes;
}

std::vector<u8> BuildDifatSectors(const CSectorPlan& plan) {
  std::vector<u8> bytes(size_t(plan.difatSectors) * kSectorSize, 0xFF);
  u32 fatIndex = kHeaderDifatSlots;
  for (u32 sector = 0; sector < plan.difatSectors; ++sector) {
    const size_t base = size_t(sector) * kSectorSize;
    for (u32 slot = 0; slot < kDifatEntriesPerSector && fatIndex < plan.fatSectors; ++slot, ++fatIndex)
      PutU32(bytes, base + 4 * size_t(slot), plan.fatStart + fatIndex);
    const bool last = sector + 1 == plan.difatSectors;
    PutU32(bytes, base + kSectorSize - 4, last ? kEndOfChain : plan.difatStart + sector + 1);
  }
  return bytes;
}

}  // namespace cfb
