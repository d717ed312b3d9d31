// Base64 with the standard alphabet and '=' padding (RFC 4648), shared by the
// property-list files of the host layer and the foundation's codec.
//
// The decoder skips white space (so line-broken text decodes) and refuses
// anything else outside the alphabet, misplaced padding and a final group of
// a single character: bad text gives false, never wrong bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// The text of n bytes, without line breaks.
std::string EncodeBase64(const void* data, size_t n);
// The bytes that n characters of text decode to, in `out` (emptied first,
// and left empty when the text is not base64).
[[nodiscard]] bool DecodeBase64(const char* text, size_t n, std::vector<uint8_t>* out);

}  // namespace plat
