// A strict reader of the compound files the writer makes, for the tests and
// the fuzz target: it checks the header, every allocation table and chain,
// the directory tree (order and red-black colouring) and gives back every
// storage and stream.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace cfbtest {

struct CompoundContents {
  // Streams and storages by path ("Storage/Stream", UTF-8), root not named.
  std::map<std::string, std::vector<uint8_t>> streams;
  std::set<std::string> storages;
  // Per storage path ("" for the root): its children's names (UTF-8) in the
  // order of the directory's tree, left to right.
  std::map<std::string, std::vector<std::string>> childNames;
  // Header fields.
  uint16_t minorVersion = 0;
  uint32_t fatSectors = 0;
  uint32_t directoryStart = 0;
  uint32_t miniFatStart = 0;
  uint32_t miniFatSectors = 0;
  uint32_t difatStart = 0;
  uint32_t difatSectors = 0;
  std::vector<uint32_t> fatSectorNumbers;  // from the header and the DIFAT
  // The whole FAT and the root entry.
  std::vector<uint32_t> fat;
  uint32_t rootStart = 0;
  uint32_t rootSize = 0;
  // Per stream path: its starting sector (or mini sector).
  std::map<std::string, uint32_t> starts;
  uint32_t directoryEntries = 0;  // used entries, the root counted
};

// False, with the first fault in `error`, for anything a careful reader
// would refuse.
bool ReadCompoundFile(const std::vector<uint8_t>& file, CompoundContents& out, std::string& error);

}  // namespace cfbtest
