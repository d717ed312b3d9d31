#include "foundation/base64.h"

#include <array>

#include "foundation/file_bytes.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr s32 kWhiteSpace = -2;
constexpr s32 kPadding = -3;
constexpr s32 kInvalid = -1;

constexpr std::array<s32, 256> MakeTable() {
  std::array<s32, 256> table{};
  for (s32& value : table) value = kInvalid;
  for (s32 i = 0; i < 64; ++i) table[u8(kAlphabet[i])] = i;
  for (char c : {' ', '\t', '\r', '\n', '\f', '\v'}) table[u8(c)] = kWhiteSpace;
  table[u8('=')] = kPadding;
  return table;
}

constexpr std::array<s32, 256> kValues = MakeTable();

// Appends the bytes of a group of `count` (2..4) sextets.
void EmitGroup(std::vector<u8>& out, const u32 (&group)[4], int count) {
  out.push_back(u8(group[0] << 2 | group[1] >> 4));
  if (count > 2) out.push_back(u8(group[1] << 4 | group[2] >> 2));
  if (count > 3) out.push_back(u8(group[2] << 6 | group[3]));
}

}  // namespace

bool EncodeBase64(std::vector<u8>& out, const void* data, size_t n) {
  if (!data && n > 0) return false;
  const u8* bytes = static_cast<const u8*>(data);
  out.clear();
  out.reserve((n + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const u32 word = u32(bytes[i]) << 16 | u32(bytes[i + 1]) << 8 | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) out.push_back(u8(kAlphabet[word >> shift & 63]));
  }
  if (i < n) {
    const bool two = i + 1 < n;
    const u32 word = u32(bytes[i]) << 16 | (two ? u32(bytes[i + 1]) << 8 : 0);
    out.push_back(u8(kAlphabet[word >> 18 & 63]));
    out.push_back(u8(kAlphabet[word >> 12 & 63]));
    out.push_back(two ? u8(kAlphabet[word >> 6 & 63]) : u8('='));
    out.push_back(u8('='));
  }
  return true;
}

bool DecodeBase64(std::vector<u8>& out, const char* text, size_t n) {
  if (!text && n > 0) return false;
  out.clear();
  out.reserve(n / 4 * 3 + 3);
  u32 group[4] = {0, 0, 0, 0};
  int count = 0;     // sextets in the current group
  int padding = 0;   // '=' seen in the current group
  bool ended = false;  // a padded group closed the text: only white space may follow
  for (size_t i = 0; i < n; ++i) {
    const s32 value = kValues[u8(text[i])];
    if (value == kWhiteSpace) continue;
    if (value == kInvalid || ended) {
      out.clear();
      return false;
    }
    if (value == kPadding) {
      // Padding completes a group of two or three characters, nothing else.
      if (count + padding < 2) {
        out.clear();
        return false;
      }
      if (++padding + count == 4) ended = true;
      continue;
    }
    if (padding > 0) {
      out.clear();
      return false;
    }
    group[count++] = u32(value);
    if (count == 4) {
      EmitGroup(out, group, 4);
      count = 0;
    }
  }
  if (count + padding != 0 && count + padding != 4) {
    // Unpadded final groups of two or three characters are accepted.
    if (padding > 0 || count < 2) {
      out.clear();
      return false;
    }
  }
  if (count >= 2) EmitGroup(out, group, count);
  return true;
}

bool EncodeBase64FromFile(std::vector<u8>& out, const CPathName& path) {
  std::vector<u8> bytes;
  return ReadWholeFile(path, bytes) && EncodeBase64(out, bytes.data(), bytes.size());
}

bool DecodeBase64FromFile(std::vector<u8>& out, const CPathName& path) {
  std::vector<u8> text;
  return ReadWholeFile(path, text) &&
         DecodeBase64(out, reinterpret_cast<const char*>(text.data()), text.size());
}

bool EncodeBase64File(const CPathName& source, const CPathName& destination, size_t lineLength) {
  std::vector<u8> encoded;
  if (!EncodeBase64FromFile(encoded, source)) return false;
  const size_t lineChars = (lineLength / 4 > 0 ? lineLength / 4 : 1) * 4;
  std::vector<u8> lines;
  lines.reserve(encoded.size() + encoded.size() / lineChars * 2 + 2);
  for (size_t at = 0; at < encoded.size(); at += lineChars) {
    const size_t end = at + lineChars < encoded.size() ? at + lineChars : encoded.size();
    lines.insert(lines.end(), encoded.begin() + at, encoded.begin() + end);
    lines.push_back('\r');
    lines.push_back('\n');
  }
  return WriteWholeFile(destination, lines.data(), lines.size());
}

bool DecodeBase64File(const CPathName& source, const CPathName& destination) {
  std::vector<u8> decoded;
  return DecodeBase64FromFile(decoded, source) && WriteWholeFile(destination, decoded.data(), decoded.size());
}
