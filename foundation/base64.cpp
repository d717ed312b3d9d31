#include "foundation/base64.h"

#include <cstddef>
#include <string>

#include "foundation/file_bytes.h"
#include "platform/base64.h"

bool EncodeBase64(std::vector<u8>& out, const void* data, size_t n) {
  out.clear();
  if (!data && n > 0) return false;
  const std::string text = plat::EncodeBase64(data, n);
  out.assign(text.begin(), text.end());
  return true;
}

bool DecodeBase64(std::vector<u8>& out, const char* text, size_t n) {
  return plat::DecodeBase64(text, n, &out);
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
    lines.insert(lines.end(), encoded.begin() + std::ptrdiff_t(at), encoded.begin() + std::ptrdiff_t(end));
    lines.push_back('\r');
    lines.push_back('\n');
  }
  return WriteWholeFile(destination, lines.data(), lines.size());
}

bool DecodeBase64File(const CPathName& source, const CPathName& destination) {
  std::vector<u8> decoded;
  return DecodeBase64FromFile(decoded, source) && WriteWholeFile(destination, decoded.data(), decoded.size());
}
