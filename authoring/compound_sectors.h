// The sector layer of the compound-file writer: where every part of the file
// goes, the allocation tables (FAT, mini FAT, DIFAT) and the header.
//
// The file is version 3 of the published compound-file format: 512-byte
// sectors, 64-byte mini sectors, streams shorter than 4096 bytes in the mini
// stream. Sectors follow the header in this order, each part one contiguous
// run: the streams of 4096 bytes or more (in stream order), the directory,
// the mini stream, the mini FAT, the FAT, the DIFAT. The FAT marks its own
// sectors 0xFFFFFFFD and the DIFAT's 0xFFFFFFFC; every other run is an
// ordinary chain ending in 0xFFFFFFFE.
#pragma once

#include <vector>

#include "platform/mac_types.h"

namespace cfb {

constexpr u32 kSectorSize = 512;
constexpr u32 kMiniSectorSize = 64;
constexpr u32 kMiniStreamCutoff = 4096;
constexpr u32 kEntrySize = 128;
constexpr u32 kEntriesPerSector = kSectorSize / kEntrySize;
constexpr u32 kMiniSectorsPerSector = kSectorSize / kMiniSectorSize;
constexpr u32 kHeaderDifatSlots = 109;
constexpr u32 kFatEntriesPerSector = kSectorSize / 4;
constexpr u32 kDifatEntriesPerSector = kSectorSize / 4 - 1;
constexpr u16 kMinorVersion = 59;
constexpr u16 kMajorVersion = 3;

constexpr u32 kFreeSector = 0xFFFFFFFF;
constexpr u32 kEndOfChain = 0xFFFFFFFE;
constexpr u32 kFatSector = 0xFFFFFFFD;
constexpr u32 kDifatSector = 0xFFFFFFFC;
constexpr u32 kMaxRegularSector = 0xFFFFFFFA;
constexpr u32 kNoEntry = 0xFFFFFFFF;
// A stream's size is a 32-bit field in version 3.
constexpr u64 kMaxStreamSize = 0xFFFFFFFFu;

// A table of sector numbers, grown one run at a time.
class CAllocationTable {
 public:
  // Appends a chain of n entries (each pointing to the next, the last ending
  // the chain) and returns its first entry: the table's size before. n = 0
  // appends nothing.
  u32 AllocateRun(u32 n);
  // Appends n entries all holding `mark`; returns the first.
  u32 AllocateMarked(u32 n, u32 mark);

  u32 GetCount() const { return u32(entries_.size()); }
  const std::vector<u32>& GetEntries() const { return entries_; }

 private:
  std::vector<u32> entries_;
};

// Where everything goes. Sector numbers count from 0, the sector n at file
// offset 512 x (n + 1).
struct CSectorPlan {
  // Per stream, in stream order: its first sector, its first mini sector in
  // the mini stream (size < 4096), or kEndOfChain for an empty stream.
  std::vector<u32> streamStarts;
  CAllocationTable fat;
  CAllocationTable miniFat;
  u32 directoryStart = kEndOfChain;
  u32 directorySectors = 0;
  // Mini sectors, padded with empty ones to whole sectors.
  u32 miniSectors = 0;
  u32 miniStreamStart = kEndOfChain;
  u32 miniStreamSectors = 0;
  u32 miniFatStart = kEndOfChain;
  u32 miniFatSectors = 0;
  u32 fatStart = kEndOfChain;
  u32 fatSectors = 0;
  u32 difatStart = kEndOfChain;
  u32 difatSectors = 0;

  u64 GetMiniStreamSize() const { return u64(miniSectors) * kMiniSectorSize; }
  u32 GetSectorCount() const { return fat.GetCount(); }
};

// A stream shorter than 4096 bytes goes into the mini stream.
[[nodiscard]] inline bool IsSmallStream(u64 size) { return size < kMiniStreamCutoff; }

// Plans a file of `entryCount` directory entries (the root counted) and
// streams of the given sizes. False when it cannot be written: a stream of
// 4 GiB or more, or more sectors, mini sectors or entries than the format
// can number.
[[nodiscard]] bool PlanSectors(const std::vector<u64>& streamSizes, u64 entryCount, CSectorPlan& plan);

// The 512-byte header of a planned file.
std::vector<u8> BuildHeader(const CSectorPlan& plan);
// A table's entries 128 to a sector over `sectorCount` sectors, the rest
// free (0xFFFFFFFF).
std::vector<u8> BuildTableSectors(const std::vector<u32>& entries, u32 sectorCount);
// The DIFAT sectors: the FAT's sector numbers beyond the header's 109, 127
// to a sector, each sector closed by the number of the next (kEndOfChain in
// the last).
std::vector<u8> BuildDifatSectors(const CSectorPlan& plan);

// Little-endian words into a byte buffer (which must hold them).
void PutU16(std::vector<u8>& buffer, size_t offset, u16 value);
void PutU32(std::vector<u8>& buffer, size_t offset, u32 value);

}  // namespace cfb
