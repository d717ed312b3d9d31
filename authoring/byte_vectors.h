// Copying and filling parts of byte and word vectors, with their bounds
// checked: nothing is ever read or written outside a vector.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/mac_types.h"

// Copies n bytes from src[srcOffset] on to dst[dstOffset] on; false, and
// nothing copied, when either range does not lie inside its vector.
[[nodiscard]] bool CopyBytes(const std::vector<u8>& src, size_t srcOffset, std::vector<u8>& dst,
                             size_t dstOffset, size_t n);
// The same for 32-bit words, indices counted in words.
[[nodiscard]] bool CopyWords(const std::vector<u32>& src, size_t srcIndex, std::vector<u32>& dst,
                             size_t dstIndex, size_t n);
// Sets v[from] to v[to] inclusive; `to` is cut to the last byte of the vector,
// so nothing beyond the end is touched (and nothing at all when from > to).
void FillBytes(std::vector<u8>& v, size_t from, size_t to, u8 value);
void FillAll(std::vector<u8>& v, u8 value);
