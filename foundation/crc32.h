// CRC-32 as zlib and PNG compute it: reflected polynomial 0xEDB88320,
// initial value and final XOR 0xFFFFFFFF.
#pragma once

#include <cstddef>

#include "platform/mac_types.h"

// The checksum of n bytes (0 for n = 0); false, crcOut untouched, for null data
// with n > 0.
bool ComputeCrc32(const void* data, size_t n, u32& crcOut);
// The checksum of a C string's bytes without its terminating zero.
bool ComputeStringCrc32(const char* text, u32& crcOut);
