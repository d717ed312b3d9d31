// Text encodings of the host layer.
//
// Texts inside the system are Mac Roman bytes; strings objects hold UTF-16
// units; the host (file names, the terminal, the environment) speaks UTF-8.
// This module converts between them. Mac Roman uses a 256-entry table of our
// own; a character without a Mac Roman form is never replaced silently: the
// conversions report it.
#pragma once

#include <string>

#include "platform/mac_types.h"

typedef UInt32 CFStringEncoding;

enum : CFStringEncoding {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingUnicode = 0x0100,  // UTF-16 in host byte order (a byte-order mark is honoured)
  kCFStringEncodingUTF16 = 0x0100,
  kCFStringEncodingUTF8 = 0x08000100,
  kCFStringEncodingUTF32LE = 0x1c000100,
};

namespace plat {

// The Unicode character of a Mac Roman byte.
UniChar MacRomanToUnicode(u8 byte);
// The Mac Roman byte of a Unicode code point; false when it has none.
[[nodiscard]] bool UnicodeToMacRoman(u32 codePoint, u8* byte);

// The Mac Roman byte of the upper-case (lower-case) form of the byte's
// character by Unicode's simple case mapping (one character for one, as the
// file systems fold names); the byte itself when the character has no such
// form, or one that Mac Roman cannot hold. So 'e' acute and 'E' acute map
// to each other, dotless i maps up to 'I', and sharp s and the ligatures fi
// and fl stay as they are.
u8 MacRomanToUpper(u8 byte);
u8 MacRomanToLower(u8 byte);

// True for the encodings the layer knows.
[[nodiscard]] bool IsKnownEncoding(CFStringEncoding encoding);

// Decodes bytes in an encoding into UTF-16 units (appended to `units`).
// False for malformed input or an unknown encoding; `units` is then unchanged.
[[nodiscard]] bool DecodeText(const u8* bytes, size_t count, CFStringEncoding encoding, std::u16string& units);

// The length of the UTF-8 character that `p` (`n` bytes) begins with, its
// code point into `c`; 0 when the bytes begin none (a bad lead byte, a cut
// or over-long sequence, a surrogate, a value beyond U+10FFFF).
size_t DecodeUtf8Character(const u8* p, size_t n, u32* c);

// Decodes UTF-16 bytes in the given byte order (no byte-order mark handling).
[[nodiscard]] bool DecodeUtf16(const u8* bytes, size_t count, bool bigEndian, std::u16string& units);

// Encodes one code point (a lone surrogate unit arrives as itself) into `out`
// (room for 4 bytes). Returns the byte count, 0 when the encoding cannot
// hold the character.
size_t EncodeCodePoint(u32 codePoint, CFStringEncoding encoding, u8* out);

// Encodes UTF-16 units; false (and `bytes` untouched) when a character has
// no form in the encoding.
[[nodiscard]] bool EncodeText(const std::u16string& units, CFStringEncoding encoding, std::string& bytes);

// Host boundary: Mac Roman <-> UTF-8.
std::string MacRomanToUtf8(const std::string& macRoman);
// False, and `out` untouched, when the text is not valid UTF-8 or holds a
// character that Mac Roman cannot hold.
[[nodiscard]] bool Utf8ToMacRoman(const std::string& utf8, std::string& out);
// UTF-8 text read from a document, as Mac Roman: a character that Mac Roman
// cannot hold becomes '?' (and `lost`, when given, is set; it is left alone
// otherwise). Bytes that are not valid UTF-8 are taken to be Mac Roman
// already and come back as they are.
std::string Utf8ToMacRomanLossy(const std::string& utf8, bool* lost = nullptr);
// Whether the bytes are valid UTF-8.
[[nodiscard]] bool IsValidUtf8(const std::string& bytes);

// Paths: every path the system holds is Mac Roman, every host call takes UTF-8.
inline std::string ToHostPath(const std::string& macRomanPath) { return MacRomanToUtf8(macRomanPath); }
[[nodiscard]] inline bool FromHostPath(const std::string& hostPath, std::string& macRomanPath) {
  return Utf8ToMacRoman(hostPath, macRomanPath);
}

}  // namespace plat
