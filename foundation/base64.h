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

// Empties `out` and appends the text of n bytes, without line breaks or a
// terminating zero; false for null data (with n > 0).
bool EncodeBase64(std::vector<u8>& out, const void* data, size_t n);
// Empties `out` and appends the bytes that n characters of text decode to;
// false for null text or text that is not base64.
bool DecodeBase64(std::vector<u8>& out, const char* text, size_t n);
