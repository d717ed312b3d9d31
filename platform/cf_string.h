// An immutable, reference-counted string of UTF-16 units standing in for
// CoreFoundation's CFString, with the few calls the system makes of it.
//
// Creation returns null when the bytes are not valid in the given encoding;
// conversions out report a character the target encoding cannot hold (or
// replace it by the loss byte where the call takes one). Null string
// arguments are treated as empty strings rather than crashing.
#pragma once

#include <string>

#include "platform/cf_type.h"
#include "platform/text_encoding.h"

namespace plat {

class CFStringObject final : public CFObject {
 public:
  explicit CFStringObject(std::u16string units) : units_(std::move(units)) {}
  const std::u16string& Units() const { return units_; }

 private:
  std::u16string units_;
};

}  // namespace plat

typedef const plat::CFStringObject* CFStringRef;

typedef CFOptionFlags CFStringCompareFlags;
enum : CFStringCompareFlags {
  kCFCompareCaseInsensitive = 1,  // ASCII letters compare without case
  kCFCompareNumerically = 64,     // runs of digits compare by their value
};

[[nodiscard]] CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding);
[[nodiscard]] CFStringRef CFStringCreateWithPascalString(CFAllocatorRef allocator, ConstStr255Param text,
                                           CFStringEncoding encoding);
[[nodiscard]] CFStringRef CFStringCreateWithBytes(CFAllocatorRef allocator, const UInt8* bytes, CFIndex count,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
[[nodiscard]] CFStringRef CFStringCreateWithCharacters(CFAllocatorRef allocator, const UniChar* units, CFIndex count);

CFIndex CFStringGetLength(CFStringRef string);
// Copies the units of the range (clamped to the string) into `buffer`.
void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer);

// The whole string as a zero-terminated text; false when it does not fit
// (terminator included) or holds a character the encoding lacks. On
// failure the buffer holds an empty text.
[[nodiscard]] Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// The same as a Pascal string (length byte first, at most 255 bytes).
[[nodiscard]] Boolean CFStringGetPascalString(CFStringRef string, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding);

// Converts the units of `range` into `buffer` (or only measures when the
// buffer is null). A character the encoding lacks becomes `lossByte`, or
// ends the conversion when `lossByte` is 0; the conversion also ends where
// the next character does not fit. Returns the number of units converted
// and stores the bytes produced in `usedBufferLength` (when given). With
// `isExternalRepresentation`, UTF-16 output starts with a byte-order mark.
CFIndex CFStringGetBytes(CFStringRef string, CFRange range, CFStringEncoding encoding, UInt8 lossByte,
                         Boolean isExternalRepresentation, UInt8* buffer, CFIndex maxBufferLength,
                         CFIndex* usedBufferLength);

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options);

namespace plat {

// Conveniences for the host layer itself.
[[nodiscard]] CFStringRef CreateString(std::u16string units);
// The units of a string; empty for null.
const std::u16string& StringUnits(CFStringRef string);
// A string from UTF-8 text; null when the text is not valid UTF-8.
[[nodiscard]] CFStringRef CreateStringFromUtf8(const std::string& utf8);
// The string as UTF-8; false for a lone surrogate.
[[nodiscard]] bool StringToUtf8(CFStringRef string, std::string& utf8);

}  // namespace plat
