// Base64 with the standard alphabet and '=' padding (RFC 4648).
//
// The decoder skips white space (so line-broken text decodes) and refuses
// anything else outside the alphabet, misplaced padding and a final group of
// a single character: bad text gives false and an empty buffer, never wrong
// bytes.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/mac_types.h"

class CPathName;

// Empties `out` and appends the text of n bytes, without line breaks or a
// terminating zero; false for null data (with n > 0).
[[nodiscard]] bool EncodeBase64(std::vector<u8>& out, const void* data, size_t n);
// Empties `out` and appends the bytes that n characters of text decode to;
// false for null text or text that is not base64.
[[nodiscard]] bool DecodeBase64(std::vector<u8>& out, const char* text, size_t n);

// The same over the whole content of a file; false when it cannot be read.
[[nodiscard]] bool EncodeBase64FromFile(std::vector<u8>& out, const CPathName& path);
[[nodiscard]] bool DecodeBase64FromFile(std::vector<u8>& out, const CPathName& path);

// File to file. The encoder ends each line of lineLength / 4 groups (one group
// when lineLength is under 4) and the last line with "\r\n"; an empty file
// gives an empty file. The decoder writes nothing when the source is not
// base64. False when a file cannot be read or written.
[[nodiscard]] bool EncodeBase64File(const CPathName& source, const CPathName& destination, size_t lineLength);
[[nodiscard]] bool DecodeBase64File(const CPathName& source, const CPathName& destination);
