#include "foundation/crc32.h"

#include <array>
#include <cstring>

namespace {

constexpr std::array<u32, 256> MakeTable() {
  std::array<u32, 256> table{};
  for (u32 i = 0; i < 256; ++i) {
    u32 value = i;
    for (int bit = 0; bit < 8; ++bit) value = value & 1 ? 0xEDB88320u ^ (value >> 1) : value >> 1;
    table[i] = value;
  }
  return table;
}

constexpr std::array<u32, 256> kTable = MakeTable();

}  // namespace

bool ComputeCrc32(const void* data, size_t n, u32& crcOut) {
  if (!data && n > 0) return false;
  const u8* bytes = static_cast<const u8*>(data);
  u32 crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) crc = kTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  crcOut = crc ^ 0xFFFFFFFFu;
  return true;
}

bool ComputeStringCrc32(const char* text, u32& crcOut) {
  if (!text) return false;
  return ComputeCrc32(text, std::strlen(text), crcOut);
}
