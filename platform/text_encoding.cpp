#include "platform/text_encoding.h"

#include <array>

namespace plat {
namespace {

// Unicode characters of the Mac Roman bytes 0x80 to 0xFF (0x00 to 0x7F are ASCII).
constexpr UniChar kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // A8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // B0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // B8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // D0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // E8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // F8
};

[[nodiscard]] bool IsSurrogate(u32 c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendCodePoint(u32 c, std::u16string& units) {
  if (c < 0x10000) {
    units.push_back(char16_t(c));
  } else {
    c -= 0x10000;
    units.push_back(char16_t(0xD800 + (c >> 10)));
    units.push_back(char16_t(0xDC00 + (c & 0x3FF)));
  }
}

[[nodiscard]] bool DecodeUtf8(const u8* p, size_t n, std::u16string& units) {
  size_t i = 0;
  while (i < n) {
    u32 c = 0;
    const size_t length = DecodeUtf8Character(p + i, n - i, &c);
    if (length == 0) return false;
    AppendCodePoint(c, units);
    i += length;
  }
  return true;
}

[[nodiscard]] bool DecodeUtf32Le(const u8* p, size_t n, std::u16string& units) {
  if (n % 4 != 0) return false;
  for (size_t i = 0; i < n; i += 4) {
    u32 c = u32(p[i]) | (u32(p[i + 1]) << 8) | (u32(p[i + 2]) << 16) | (u32(p[i + 3]) << 24);
    if (c > 0x10FFFF) return false;
    // Surrogate values pass as the units they are, so that wide strings made
    // one unit per character come back unchanged.
    AppendCodePoint(c, units);
  }
  return true;
}

// Unicode's simple case mappings of the characters in the blocks Mac Roman
// takes its letters from: Basic Latin, Latin-1 Supplement, Latin
// Extended-A, the f with hook of Latin Extended-B and the Greek letters
// from U+0391 to U+03CB. Any other character maps to itself.
constexpr u32 MapLatinExtendedA(u32 c, bool upper) {
  switch (c) {
    case 0x0130: return upper ? c : u32('i');  // I with dot above
    case 0x0131: return upper ? u32('I') : c;  // dotless i
    case 0x0138:                              // kra
    case 0x0149: return c;                    // n preceded by apostrophe
    case 0x0178: return upper ? c : 0x00FF;   // Y with diaeresis
    case 0x017F: return upper ? u32('S') : c;  // long s
    default: break;
  }
  // Pairs of a capital and its small letter: the capital on the even code
  // point, except from U+0139 to U+0148 and from U+0179 on.
  const bool oddCapitals = (c >= 0x0139 && c <= 0x0148) || c >= 0x0179;
  const bool capital = (c % 2 == 1) == oddCapitals;
  if (upper) return capital ? c : c - 1;
  return capital ? c + 1 : c;
}

constexpr u32 SimpleUppercase(u32 c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c == 0x00B5) return 0x039C;  // micro sign: Greek capital mu
  if (c >= 0x00E0 && c <= 0x00FE && c != 0x00F7) return c - 0x20;
  if (c == 0x00FF) return 0x0178;
  if (c >= 0x0100 && c <= 0x017F) return MapLatinExtendedA(c, true);
  if (c == 0x0192) return 0x0191;
  if (c == 0x03C2) return 0x03A3;  // final sigma
  if (c >= 0x03B1 && c <= 0x03CB) return c - 0x20;
  return c;
}

constexpr u32 SimpleLowercase(u32 c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return c + 0x20;
  if (c >= 0x0100 && c <= 0x017F) return MapLatinExtendedA(c, false);
  if (c == 0x0191) return 0x0192;
  if (c >= 0x0391 && c <= 0x03AB && c != 0x03A2) return c + 0x20;
  return c;
}

constexpr UniChar MacRomanCharacter(u8 byte) { return byte < 0x80 ? UniChar(byte) : kMacRomanHigh[byte - 0x80]; }

// For every Mac Roman byte, the byte of its character's mapping, or the
// byte itself when Mac Roman cannot hold the mapping.
constexpr std::array<u8, 256> MacRomanCaseTable(u32 (*map)(u32)) {
  std::array<u8, 256> table{};
  for (size_t byte = 0; byte < 256; ++byte) {
    const u32 mapped = map(MacRomanCharacter(u8(byte)));
    table[byte] = u8(byte);
    for (size_t other = 0; other < 256; ++other)
      if (MacRomanCharacter(u8(other)) == mapped) table[byte] = u8(other);
  }
  return table;
}

constexpr std::array<u8, 256> kMacRomanUpper = MacRomanCaseTable(SimpleUppercase);
constexpr std::array<u8, 256> kMacRomanLower = MacRomanCaseTable(SimpleLowercase);

}  // namespace

size_t DecodeUtf8Character(const u8* p, size_t n, u32* c) {
  if (n == 0) return 0;
  const u8 lead = p[0];
  size_t extra = 0;
  u32 value = 0, minimum = 0;
  if (lead < 0x80) {
    *c = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    value = lead & 0x1F, extra = 1, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    value = lead & 0x0F, extra = 2, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    value = lead & 0x07, extra = 3, minimum = 0x10000;
  } else {
    return 0;
  }
  if (n <= extra) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (p[k] & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *c = value;
  return extra + 1;
}

u8 MacRomanToUpper(u8 byte) { return kMacRomanUpper[byte]; }
u8 MacRomanToLower(u8 byte) { return kMacRomanLower[byte]; }

UniChar MacRomanToUnicode(u8 byte) { return byte < 0x80 ? UniChar(byte) : kMacRomanHigh[byte - 0x80]; }

bool UnicodeToMacRoman(u32 codePoint, u8* byte) {
  if (codePoint < 0x80) {
    *byte = u8(codePoint);
    return true;
  }
  for (size_t i = 0; i < 128; ++i) {
    if (kMacRomanHigh[i] == codePoint) {
      *byte = u8(0x80 + i);
      return true;
    }
  }
  return false;
}

bool IsKnownEncoding(CFStringEncoding encoding) {
  return encoding == kCFStringEncodingMacRoman || encoding == kCFStringEncodingUTF16 ||
         encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingUTF32LE;
}

bool DecodeUtf16(const u8* bytes, size_t count, bool bigEndian, std::u16string& units) {
  if (count % 2 != 0) return false;
  units.reserve(units.size() + count / 2);
  for (size_t i = 0; i < count; i += 2) {
    units.push_back(bigEndian ? char16_t((bytes[i] << 8) | bytes[i + 1])
                              : char16_t(bytes[i] | (bytes[i + 1] << 8)));
  }
  return true;
}

bool DecodeText(const u8* bytes, size_t count, CFStringEncoding encoding, std::u16string& units) {
  std::u16string decoded;
  bool ok = false;
  switch (encoding) {
    case kCFStringEncodingMacRoman:
      decoded.reserve(count);
      for (size_t i = 0; i < count; ++i) decoded.push_back(char16_t(MacRomanToUnicode(bytes[i])));
      ok = true;
      break;
    case kCFStringEncodingUTF8:
      ok = DecodeUtf8(bytes, count, decoded);
      break;
    case kCFStringEncodingUTF16: {
      bool bigEndian = false;  // host order
      if (count >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        bigEndian = true, bytes += 2, count -= 2;
      } else if (count >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bytes += 2, count -= 2;
      }
      ok = DecodeUtf16(bytes, count, bigEndian, decoded);
      break;
    }
    case kCFStringEncodingUTF32LE:
      ok = DecodeUtf32Le(bytes, count, decoded);
      break;
    default:
      break;
  }
  if (ok) units += decoded;
  return ok;
}

size_t EncodeCodePoint(u32 c, CFStringEncoding encoding, u8* out) {
  switch (encoding) {
    case kCFStringEncodingMacRoman:
      return UnicodeToMacRoman(c, out) ? 1 : 0;
    case kCFStringEncodingUTF8:
      if (IsSurrogate(c) || c > 0x10FFFF) return 0;
      if (c < 0x80) {
        out[0] = u8(c);
        return 1;
      }
      if (c < 0x800) {
        out[0] = u8(0xC0 | (c >> 6)), out[1] = u8(0x80 | (c & 0x3F));
        return 2;
      }
      if (c < 0x10000) {
        out[0] = u8(0xE0 | (c >> 12)), out[1] = u8(0x80 | ((c >> 6) & 0x3F));
        out[2] = u8(0x80 | (c & 0x3F));
        return 3;
      }
      out[0] = u8(0xF0 | (c >> 18)), out[1] = u8(0x80 | ((c >> 12) & 0x3F));
      out[2] = u8(0x80 | ((c >> 6) & 0x3F)), out[3] = u8(0x80 | (c & 0x3F));
      return 4;
    case kCFStringEncodingUTF16:
      if (c > 0x10FFFF) return 0;
      if (c < 0x10000) {
        out[0] = u8(c), out[1] = u8(c >> 8);
        return 2;
      } else {
        u32 v = c - 0x10000;
        u32 high = 0xD800 + (v >> 10), low = 0xDC00 + (v & 0x3FF);
        out[0] = u8(high), out[1] = u8(high >> 8), out[2] = u8(low), out[3] = u8(low >> 8);
        return 4;
      }
    case kCFStringEncodingUTF32LE:
      if (IsSurrogate(c) || c > 0x10FFFF) return 0;
      out[0] = u8(c), out[1] = u8(c >> 8), out[2] = u8(c >> 16), out[3] = u8(c >> 24);
      return 4;
    default:
      return 0;
  }
}

bool EncodeText(const std::u16string& units, CFStringEncoding encoding, std::string& bytes) {
  std::string encoded;
  encoded.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    u32 c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    u8 buffer[4];
    size_t length = EncodeCodePoint(c, encoding, buffer);
    if (length == 0) return false;
    encoded.append(reinterpret_cast<const char*>(buffer), length);
  }
  bytes = std::move(encoded);
  return true;
}

std::string MacRomanToUtf8(const std::string& macRoman) {
  std::string out;
  out.reserve(macRoman.size());
  for (unsigned char byte : macRoman) {
    u8 buffer[4];
    size_t length = EncodeCodePoint(MacRomanToUnicode(byte), kCFStringEncodingUTF8, buffer);
    out.append(reinterpret_cast<const char*>(buffer), length);
  }
  return out;
}

bool Utf8ToMacRoman(const std::string& utf8, std::string& out) {
  std::u16string units;
  if (!DecodeText(reinterpret_cast<const u8*>(utf8.data()), utf8.size(), kCFStringEncodingUTF8, units))
    return false;
  return EncodeText(units, kCFStringEncodingMacRoman, out);
}

bool IsValidUtf8(const std::string& bytes) {
  std::u16string units;
  return DecodeText(reinterpret_cast<const u8*>(bytes.data()), bytes.size(), kCFStringEncodingUTF8, units);
}

std::string Utf8ToMacRomanLossy(const std::string& utf8, bool* lost) {
  std::u16string units;
  if (!DecodeText(reinterpret_cast<const u8*>(utf8.data()), utf8.size(), kCFStringEncodingUTF8, units))
    return utf8;
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    u32 c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    u8 byte = '?';
    if (!UnicodeToMacRoman(c, &byte)) {
      byte = '?';
      if (lost) *lost = true;
    }
    out += char(byte);
  }
  return out;
}

}  // namespace plat
