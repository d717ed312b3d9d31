#include "foundation/file_bytes.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>

#include "foundation/file_layer.h"
#include "foundation/path_name.h"
#include "platform/file_ops.h"
#include "platform/text_encoding.h"

bool IsRegularFile(const CPathName& path) {
  const std::string absolute = path.GetAbsolutePath(0);
  struct stat info;
  return !absolute.empty() && stat(plat::ToHostPath(absolute).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool ReadWholeFile(const CPathName& path, std::vector<u8>& bytes, u64 limit) {
  bytes.clear();
  const std::string absolute = path.GetAbsolutePath(0);
  if (absolute.empty()) return false;
  const size_t maxBytes = limit < u64(SIZE_MAX) ? size_t(limit) : SIZE_MAX;
  return plat::ReadRegularFile(plat::ToHostPath(absolute), maxBytes, &bytes, nullptr);
}

bool WriteWholeFile(const CPathName& path, const void* data, size_t n, bool replace) {
  if (!data && n > 0) return false;
  if (!CreateFileWithTypeCreator(path, nullptr, replace)) return false;
  FILE* file = path.OpenStdioFile("wb");
  if (!file) return false;
  const bool written = n == 0 || std::fwrite(data, 1, n, file) == n;
  return std::fclose(file) == 0 && written;
}
