#include "authoring/byte_vectors.h"

#include <algorithm>

namespace {

[[nodiscard]] bool RangeInside(size_t size, size_t offset, size_t n) { return offset <= size && n <= size - offset; }

}  // namespace

bool CopyBytes(const std::vector<u8>& src, size_t srcOffset, std::vector<u8>& dst, size_t dstOffset,
               size_t n) {
  if (!RangeInside(src.size(), srcOffset, n) || !RangeInside(dst.size(), dstOffset, n)) return false;
  // Forward, as one vector may be both source and destination.
  for (size_t i = 0; i < n; ++i) dst[dstOffset + i] = src[srcOffset + i];
  return true;
}

bool CopyWords(const std::vector<u32>& src, size_t srcIndex, std::vector<u32>& dst, size_t dstIndex,
               size_t n) {
  if (!RangeInside(src.size(), srcIndex, n) || !RangeInside(dst.size(), dstIndex, n)) return false;
  for (size_t i = 0; i < n; ++i) dst[dstIndex + i] = src[srcIndex + i];
  return true;
}

void FillBytes(std::vector<u8>& v, size_t from, size_t to, u8 value) {
  if (v.empty()) return;
  to = std::min(to, v.size() - 1);
  for (size_t i = from; i <= to; ++i) v[i] = value;
}

void FillAll(std::vector<u8>& v, u8 value) { std::fill(v.begin(), v.end(), value); }
