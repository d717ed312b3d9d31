#include "tests/builders/archive_test_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>

#include "foundation/finder_info.h"
#include "foundation/path_name.h"
#include "platform/forks.h"
#include "tests/support/test_support.h"

namespace gbtest {

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

void AppendWord(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void AppendBlob(Bytes& out, const Bytes& blob) {
  out.insert(out.end(), blob.begin(), blob.end());
  AppendWord(out, uint32_t(blob.size()));
}

void AppendString(Bytes& out, const std::string& text) { AppendBlob(out, ToBytes(text)); }

void AppendRecord(Bytes& out, uint32_t type, const Bytes& fields) {
  out.insert(out.end(), fields.begin(), fields.end());
  AppendWord(out, uint32_t(fields.size()));
  AppendWord(out, type);
}

void AppendTrailer(Bytes& out) {
  out.insert(out.end(), {0xFF, 0xEE, uint8_t('O'), uint8_t('x')});
}

uint32_t WordAt(const Bytes& bytes, size_t offset) {
  return uint32_t(bytes[offset]) | (uint32_t(bytes[offset + 1]) << 8) | (uint32_t(bytes[offset + 2]) << 16) |
         (uint32_t(bytes[offset + 3]) << 24);
}

bool WalkArchive(const Bytes& archive, std::vector<ArchiveRecord>& records) {
  records.clear();
  const Bytes trailer = {0xFF, 0xEE, 'O', 'x'};
  if (archive.size() < 4 || !std::equal(trailer.begin(), trailer.end(), archive.end() - 4)) return false;
  size_t end = archive.size() - 4;
  while (end >= 8) {
    uint32_t type = WordAt(archive, end - 4);
    uint32_t size = WordAt(archive, end - 8);
    size_t whole = size + (type == 8 ? 8 : 0);
    if (whole > end - 8) return false;
    records.push_back({type, size, end - 8 - whole});
    end = end - 8 - whole;
    if (type == 0) return true;
  }
  return false;
}

Bytes ZlibCompress(const Bytes& bytes) {
  uLongf length = compressBound(uLong(bytes.size()));
  Bytes out(length);
  static const uint8_t nothing = 0;
  compress(out.data(), &length, bytes.empty() ? &nothing : bytes.data(), uLong(bytes.size()));
  out.resize(length);
  return out;
}

std::string FreshWorkSubfolder() {
  static int runs = 0;
  const std::string name = "archive-tests-" + std::to_string(++runs);
  if (!CPathName::CreateWorkFolder(name.c_str())) return std::string();
  CPathName probe(nullptr);
  if (!probe.SetInWorkFolder("x", true)) return std::string();
  return probe.GetParentFolder(true);
}

namespace {

void Collect(const std::string& folder, const std::string& prefix, std::vector<std::pair<std::string, Bytes>>& out) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string path = folder + name;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) continue;
    if (S_ISLNK(info.st_mode)) {
      char target[4096];
      ssize_t n = readlink(path.c_str(), target, sizeof target);
      out.emplace_back(prefix + name, ToBytes("->" + std::string(target, size_t(std::max<ssize_t>(n, 0)))));
    } else if (S_ISDIR(info.st_mode)) {
      out.emplace_back(prefix + name + "/", Bytes());
      Collect(path + "/", prefix + name + "/", out);
    } else {
      out.emplace_back(prefix + name, ReadFile(path));
    }
  }
}

}  // namespace

std::vector<std::pair<std::string, Bytes>> TreeContents(const std::string& folder) {
  std::vector<std::pair<std::string, Bytes>> out;
  Collect(folder, "", out);
  return out;
}

bool SetFileInfo(const std::string& path, uint32_t type, uint32_t creator, uint16_t flags) {
  FSRef ref;
  CFinderFileInfo info;
  info.fieldMask = CFinderFileInfo::kType | CFinderFileInfo::kCreator | CFinderFileInfo::kFinderFlags;
  info.fileType = type;
  info.fileCreator = creator;
  info.finderFlags = flags;
  return plat::MakeFsRef(path, &ref) == noErr && SetFsRefFinderInfo(&ref, &info);
}

bool GetFileInfo(const std::string& path, uint32_t* type, uint32_t* creator, uint16_t* flags) {
  FSRef ref;
  CFinderFileInfo info;
  if (plat::MakeFsRef(path, &ref) != noErr || !GetFsRefFinderInfo(&ref, &info)) return false;
  *type = info.fileType;
  *creator = info.fileCreator;
  *flags = info.finderFlags;
  return true;
}

bool SetFolderFlags(const std::string& path, uint16_t flags) {
  FSRef ref;
  plat::FinderInfoBytes bytes;
  if (plat::MakeFsRef(path, &ref) != noErr || ReadFsRefFinderBytes(&ref, &bytes) != noErr) return false;
  CFinderFolderInfo info;
  info.fieldMask = CFinderFolderInfo::kFinderFlags;
  info.finderFlags = flags;
  info.WriteMaskedTo(&bytes);
  return WriteFsRefFinderBytes(&ref, bytes) == noErr;
}

uint16_t GetFolderFlags(const std::string& path) {
  FSRef ref;
  plat::FinderInfoBytes bytes;
  if (plat::MakeFsRef(path, &ref) != noErr || ReadFsRefFinderBytes(&ref, &bytes) != noErr) return 0xFFFF;
  CFinderFolderInfo info;
  info.ReadFrom(bytes);
  return info.finderFlags;
}

bool WriteResourceFork(const std::string& path, const Bytes& bytes) {
  SInt16 fork = 0;
  if (plat::OpenFork(path, plat::ForkKind::resource, fsWrPerm, &fork) != noErr) return false;
  UInt64 actual = 0;
  bool ok = plat::WriteFork(fork, bytes.size(), bytes.data(), &actual) == noErr && actual == bytes.size();
  return plat::CloseFork(fork) == noErr && ok;
}

Bytes ReadResourceFork(const std::string& path) {
  SInt16 fork = 0;
  if (plat::OpenFork(path, plat::ForkKind::resource, fsRdPerm, &fork) != noErr) return Bytes();
  SInt64 size = 0;
  Bytes bytes;
  UInt64 actual = 0;
  OSErr error = plat::GetForkSize(fork, &size);
  if (error == noErr && size > 0) {
    bytes.resize(size_t(size));
    error = plat::ReadFork(fork, bytes.size(), bytes.data(), &actual);
  }
  // A fork that cannot be read whole reads as nothing.
  const OSErr closed = plat::CloseFork(fork);
  if (error != noErr || closed != noErr) return Bytes();
  bytes.resize(size_t(actual));
  return bytes;
}

}  // namespace gbtest
