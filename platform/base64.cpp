#include "platform/base64.h"

#include <array>

namespace plat {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr int32_t kWhiteSpace = -2;
constexpr int32_t kPadding = -3;
constexpr int32_t kInvalid = -1;

constexpr std::array<int32_t, 256> MakeTable() {
  std::array<int32_t, 256> table{};
  for (int32_t& value : table) value = kInvalid;
  for (int32_t i = 0; i < 64; ++i) table[uint8_t(kAlphabet[i])] = i;
  for (char c : {' ', '\t', '\r', '\n', '\f', '\v'}) table[uint8_t(c)] = kWhiteSpace;
  table[uint8_t('=')] = kPadding;
  return table;
}

constexpr std::array<int32_t, 256> kValues = MakeTable();

// Appends the bytes of a group of `count` (2..4) sextets.
void EmitGroup(std::vector<uint8_t>& out, const uint32_t (&group)[4], int count) {
  out.push_back(uint8_t(group[0] << 2 | group[1] >> 4));
  if (count > 2) out.push_back(uint8_t(group[1] << 4 | group[2] >> 2));
  if (count > 3) out.push_back(uint8_t(group[2] << 6 | group[3]));
}

}  // namespace

std::string EncodeBase64(const void* data, size_t n) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  std::string out;
  if (!bytes) return out;
  out.reserve((n + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t word = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) out += kAlphabet[word >> shift & 63];
  }
  if (i < n) {
    const bool two = i + 1 < n;
    const uint32_t word = uint32_t(bytes[i]) << 16 | (two ? uint32_t(bytes[i + 1]) << 8 : 0);
    out += kAlphabet[word >> 18 & 63];
    out += kAlphabet[word >> 12 & 63];
    out += two ? kAlphabet[word >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

bool DecodeBase64(const char* text, size_t n, std::vector<uint8_t>* out) {
  out->clear();
  if (!text && n > 0) return false;
  out->reserve(n / 4 * 3 + 3);
  uint32_t group[4] = {0, 0, 0, 0};
  int count = 0;       // sextets in the current group
  int padding = 0;     // '=' seen in the current group
  bool ended = false;  // a padded group closed the text: only white space may follow
  for (size_t i = 0; i < n; ++i) {
    const int32_t value = kValues[uint8_t(text[i])];
    if (value == kWhiteSpace) continue;
    if (value == kInvalid || ended) {
      out->clear();
      return false;
    }
    if (value == kPadding) {
      // Padding completes a group of two or three characters, nothing else.
      if (count + padding < 2) {
        out->clear();
        return false;
      }
      if (++padding + count == 4) ended = true;
      continue;
    }
    if (padding > 0) {
      out->clear();
      return false;
    }
    group[count++] = uint32_t(value);
    if (count == 4) {
      EmitGroup(*out, group, 4);
      count = 0;
    }
  }
  if (count + padding != 0 && count + padding != 4) {
    // Unpadded final groups of two or three characters are accepted.
    if (padding > 0 || count < 2) {
      out->clear();
      return false;
    }
  }
  if (count >= 2) EmitGroup(*out, group, count);
  return true;
}

}  // namespace plat
