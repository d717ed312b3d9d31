#include "platform/cf_string.h"

#include <algorithm>
#include <cstring>

namespace {

// The range clamped to the string's units.
void ClampRange(const std::u16string& units, CFRange range, size_t* begin, size_t* end) {
  size_t size = units.size();
  size_t from = range.location < 0 ? 0 : std::min(size, size_t(range.location));
  size_t length = range.length < 0 ? 0 : size_t(range.length);
  *begin = from;
  *end = from + std::min(length, size - from);
}

[[nodiscard]] bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t FoldCase(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

// Compares the digit runs starting at a[i] and b[j] by value and moves past them.
int CompareNumbers(const std::u16string& a, size_t& i, const std::u16string& b, size_t& j) {
  while (i < a.size() && a[i] == u'0' && i + 1 < a.size() && IsDigit(a[i + 1])) ++i;
  while (j < b.size() && b[j] == u'0' && j + 1 < b.size() && IsDigit(b[j + 1])) ++j;
  size_t startA = i, startB = j;
  while (i < a.size() && IsDigit(a[i])) ++i;
  while (j < b.size() && IsDigit(b[j])) ++j;
  size_t lengthA = i - startA, lengthB = j - startB;
  if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
  for (size_t k = 0; k < lengthA; ++k) {
    if (a[startA + k] != b[startB + k]) return a[startA + k] < b[startB + k] ? -1 : 1;
  }
  return 0;
}

}  // namespace

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex count,
                                    CFStringEncoding encoding, Boolean) {
  if (count < 0 || (count > 0 && !bytes)) return nullptr;
  std::u16string units;
  if (!plat::DecodeText(bytes, size_t(count), encoding, units)) return nullptr;
  return plat::CreateString(std::move(units));
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding) {
  if (!text) return nullptr;
  return CFStringCreateWithBytes(allocator, reinterpret_cast<const UInt8*>(text), CFIndex(std::strlen(text)),
                                 encoding, false);
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef allocator, ConstStr255Param text,
                                           CFStringEncoding encoding) {
  if (!text) return nullptr;
  return CFStringCreateWithBytes(allocator, text + 1, text[0], encoding, false);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* units, CFIndex count) {
  if (count < 0 || (count > 0 && !units)) return nullptr;
  return plat::CreateString(std::u16string(units, units + count));
}

CFIndex CFStringGetLength(CFStringRef string) { return CFIndex(plat::StringUnits(string).size()); }

void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer) {
  const std::u16string& units = plat::StringUnits(string);
  size_t begin, end;
  ClampRange(units, range, &begin, &end);
  if (buffer) std::copy(units.data() + begin, units.data() + end, buffer);
}

CFIndex CFStringGetBytes(CFStringRef string, CFRange range, CFStringEncoding encoding, UInt8 lossByte,
                         Boolean isExternalRepresentation, UInt8* buffer, CFIndex maxBufferLength,
                         CFIndex* usedBufferLength) {
  const std::u16string& units = plat::StringUnits(string);
  size_t begin, end;
  ClampRange(units, range, &begin, &end);
  size_t room = buffer ? size_t(std::max<CFIndex>(maxBufferLength, 0)) : SIZE_MAX;
  size_t used = 0;
  auto put = [&](const u8* bytes, size_t length) {
    if (room - used < length) return false;
    if (buffer) std::memcpy(buffer + used, bytes, length);
    used += length;
    return true;
  };
  if (!plat::IsKnownEncoding(encoding)) begin = end;
  if (isExternalRepresentation && encoding == kCFStringEncodingUTF16 && begin < end) {
    const u8 mark[2] = {0xFF, 0xFE};
    if (!put(mark, 2)) end = begin;
  }
  size_t i = begin;
  while (i < end) {
    u32 c = units[i];
    size_t width = 1;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < end && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      width = 2;
    }
    u8 encoded[4];
    size_t length = plat::EncodeCodePoint(c, encoding, encoded);
    if (length == 0) {
      if (lossByte == 0) break;
      length = plat::EncodeCodePoint(lossByte, encoding, encoded);
      if (length == 0) break;
    }
    if (!put(encoded, length)) break;
    i += width;
  }
  if (usedBufferLength) *usedBufferLength = CFIndex(used);
  return CFIndex(i - begin);
}

Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  if (!buffer || bufferSize <= 0) return false;
  CFIndex length = CFStringGetLength(string);
  CFIndex used = 0;
  CFIndex converted = CFStringGetBytes(string, CFRangeMake(0, length), encoding, 0, false,
                                       reinterpret_cast<UInt8*>(buffer), bufferSize - 1, &used);
  if (converted != length) {
    buffer[0] = 0;
    return false;
  }
  buffer[used] = 0;
  return true;
}

Boolean CFStringGetPascalString(CFStringRef string, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding) {
  if (!buffer || bufferSize <= 0) return false;
  CFIndex length = CFStringGetLength(string);
  CFIndex used = 0;
  CFIndex room = std::min<CFIndex>(bufferSize - 1, 255);
  CFIndex converted =
      CFStringGetBytes(string, CFRangeMake(0, length), encoding, 0, false, buffer + 1, room, &used);
  if (converted != length) {
    buffer[0] = 0;
    return false;
  }
  buffer[0] = UInt8(used);
  return true;
}

CFComparisonResult CFStringCompare(CFStringRef stringA, CFStringRef stringB, CFStringCompareFlags options) {
  const std::u16string& a = plat::StringUnits(stringA);
  const std::u16string& b = plat::StringUnits(stringB);
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if ((options & kCFCompareNumerically) && IsDigit(a[i]) && IsDigit(b[j])) {
      int order = CompareNumbers(a, i, b, j);
      if (order != 0) return order < 0 ? kCFCompareLessThan : kCFCompareGreaterThan;
      continue;
    }
    char16_t x = a[i], y = b[j];
    if (options & kCFCompareCaseInsensitive) x = FoldCase(x), y = FoldCase(y);
    if (x != y) return x < y ? kCFCompareLessThan : kCFCompareGreaterThan;
    ++i, ++j;
  }
  if (i < a.size()) return kCFCompareGreaterThan;
  if (j < b.size()) return kCFCompareLessThan;
  return kCFCompareEqualTo;
}

namespace plat {

CFStringRef CreateString(std::u16string units) { return new CFStringObject(std::move(units)); }

const std::u16string& StringUnits(CFStringRef string) {
  static const std::u16string empty;
  return string ? string->Units() : empty;
}

CFStringRef CreateStringFromUtf8(const std::string& utf8) {
  return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                 CFIndex(utf8.size()), kCFStringEncodingUTF8, false);
}

bool StringToUtf8(CFStringRef string, std::string& utf8) {
  return EncodeText(StringUnits(string), kCFStringEncodingUTF8, utf8);
}

}  // namespace plat
