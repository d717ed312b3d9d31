#include "foundation/file_bytes.h"

#include <sys/stat.h>

#include <cstdio>

#include "foundation/file_layer.h"
#include "foundation/path_name.h"
#include "platform/text_encoding.h"

bool IsRegularFile(const CPathName& path) {
  const std::string absolute = path.GetAbsolutePath(0);
  struct stat info;
  return !absolute.empty() && stat(plat::ToHostPath(absolute).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool ReadWholeFile(const CPathName& path, std::vector<u8>& bytes, u64 limit) {
  bytes.clear();
  if (!IsRegularFile(path)) return false;
  FILE* file = path.OpenStdioFile("rb");
  if (!file) return false;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(file) : -1;
  ok = size >= 0 && u64(size) <= limit && std::fseek(file, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(size_t(size));
    ok = size == 0 || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // A file that grew while it was read is taken as it was measured.
  }
  std::fclose(file);
  if (!ok) bytes.clear();
  return ok;
}

bool WriteWholeFile(const CPathName& path, const void* data, size_t n, bool replace) {
  if (!data && n > 0) return false;
  if (!CreateFileWithTypeCreator(path, nullptr, replace)) return false;
  FILE* file = path.OpenStdioFile("wb");
  if (!file) return false;
  const bool written = n == 0 || std::fwrite(data, 1, n, file) == n;
  return std::fclose(file) == 0 && written;
}
