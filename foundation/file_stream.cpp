#include "foundation/file_stream.h"

#include "foundation/file_bytes.h"
#include "foundation/path_name.h"
#include "foundation/small_services.h"

CFileStream::CFileStream() : streamWord_(GetDefaultStreamFlags()) {}

CFileStream::~CFileStream() {
  if (is_open()) {
    flush();
    close();
  }
}

bool CFileStream::Open(const CPathName& path, std::ios::openmode mode) {
  streamWord_ = GetDefaultStreamFlags();
  if (is_open()) close();
  clear();
  if (path.Exists() && !IsRegularFile(path)) return false;
  return path.OpenFileStream(*this, mode);
}

s64 CFileStream::GetSize() { return s64(tellp()); }
