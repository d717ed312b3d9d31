#include "platform/forks.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <vector>

#include "platform/byte_order.h"
#include "platform/finder_info.h"
#include "platform/host_paths.h"
#include "platform/file_refs.h"

namespace plat {
namespace {

// AppleDouble: magic, version, 16 filler bytes, entry count, then entries of
// {id, offset, length}; all words big-endian.
constexpr UInt32 kAppleDoubleMagic = 0x00051607;
constexpr UInt32 kAppleDoubleVersion = 0x00020000;
constexpr UInt32 kResourceForkEntry = 2;
constexpr UInt32 kFinderInfoEntry = 9;
constexpr UInt64 kHeaderSize = 26;
constexpr UInt64 kEntrySize = 12;
constexpr UInt16 kMaxEntries = 64;

struct Entry {
  UInt32 id = 0, offset = 0, length = 0;
};

struct OpenForkRecord {
  int fd = -1;  // -1 for a resource fork without a sidecar, opened to read
  ForkKind kind = ForkKind::data;
  bool canRead = false, canWrite = false;
  UInt64 base = 0;         // where the fork's bytes start in the file
  UInt64 lengthField = 0;  // resource forks: offset of the entry's length word
  UInt64 length = 0;       // resource forks: the fork's length
  size_t entryCount = 0;   // resource forks: entries of the sidecar
  UInt64 mark = 0;
  std::string sidecar;
  dev_t device = 0;  // the file the fork belongs to
  ino_t inode = 0;
};

struct ForkTable {
  std::map<SInt16, OpenForkRecord> forks;
  SInt16 next = 1;
};

ForkTable& Table() {
  static ForkTable table;
  return table;
}

[[nodiscard]] OpenForkRecord* Find(SInt16 refNum) {
  auto found = Table().forks.find(refNum);
  return found == Table().forks.end() ? nullptr : &found->second;
}

[[nodiscard]] bool ReadAll(int fd, void* buffer, UInt64 count, UInt64 offset) {
  UInt8* bytes = static_cast<UInt8*>(buffer);
  while (count > 0) {
    ssize_t got = pread(fd, bytes, count, off_t(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    count -= UInt64(got);
    offset += UInt64(got);
  }
  return true;
}

[[nodiscard]] bool WriteAll(int fd, const void* buffer, UInt64 count, UInt64 offset) {
  const UInt8* bytes = static_cast<const UInt8*>(buffer);
  while (count > 0) {
    ssize_t put = pwrite(fd, bytes, count, off_t(offset));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    count -= UInt64(put);
    offset += UInt64(put);
  }
  return true;
}

// Reads and checks the entry table of a sidecar: every entry must lie inside
// the file and after the table.
[[nodiscard]] bool ParseSidecar(int fd, std::vector<Entry>* entries) {
  struct stat info;
  if (fstat(fd, &info) != 0) return false;
  UInt64 size = UInt64(info.st_size);
  UInt8 header[kHeaderSize];
  if (size < kHeaderSize || !ReadAll(fd, header, kHeaderSize, 0)) return false;
  UInt32 version = GetBig32(header + 4);
  if (GetBig32(header) != kAppleDoubleMagic || (version != kAppleDoubleVersion && version != 0x00010000))
    return false;
  UInt16 count = UInt16(GetBig16(header + 24));
  UInt64 tableEnd = kHeaderSize + UInt64(count) * kEntrySize;
  if (count > kMaxEntries || tableEnd > size) return false;
  std::vector<UInt8> table(count * kEntrySize);
  if (count > 0 && !ReadAll(fd, table.data(), table.size(), kHeaderSize)) return false;
  entries->clear();
  for (UInt16 i = 0; i < count; ++i) {
    Entry entry{GetBig32(&table[i * kEntrySize]), GetBig32(&table[i * kEntrySize + 4]),
                GetBig32(&table[i * kEntrySize + 8])};
    if (entry.offset < tableEnd || UInt64(entry.offset) + entry.length > size) return false;
    entries->push_back(entry);
  }
  return true;
}

// Rewrites a sidecar so that its resource fork (when it has one) is the last
// entry and may grow; the other entries keep their bytes. An entry `add`
// that is missing is added with `addLength` zero bytes.
[[nodiscard]] bool RewriteSidecar(int fd, std::vector<Entry>* entries, UInt32 add, UInt32 addLength) {
  std::vector<Entry> others;
  std::vector<std::vector<UInt8>> data;
  std::vector<UInt8> resource;
  bool hasResource = false, hasAdded = false;
  for (const Entry& entry : *entries) {
    // The first resource entry is the fork, as readers find it; a second
    // one is dropped, so that it cannot take the fork's place.
    if (entry.id == kResourceForkEntry && hasResource) continue;
    std::vector<UInt8> bytes(entry.length);
    if (entry.length > 0 && !ReadAll(fd, bytes.data(), entry.length, entry.offset)) return false;
    if (entry.id == add && bytes.size() < addLength) bytes.resize(addLength, 0);
    hasAdded |= entry.id == add;
    if (entry.id == kResourceForkEntry) {
      hasResource = true;
      resource = std::move(bytes);
    } else {
      others.push_back(entry);
      data.push_back(std::move(bytes));
    }
  }
  if (!hasAdded && add == kResourceForkEntry) {
    hasResource = true;
  } else if (!hasAdded) {
    others.push_back(Entry{add, 0, addLength});
    data.emplace_back(addLength, 0);
  }
  std::vector<Entry> layout = others;
  if (hasResource) layout.push_back(Entry{kResourceForkEntry, 0, UInt32(resource.size())});
  if (layout.size() > kMaxEntries) return false;
  UInt64 offset = kHeaderSize + layout.size() * kEntrySize;
  std::vector<UInt8> file(offset, 0);
  PutBig32(&file[0], kAppleDoubleMagic);
  PutBig32(&file[4], kAppleDoubleVersion);
  PutBig16(&file[24], UInt32(layout.size()));
  for (size_t i = 0; i < layout.size(); ++i) {
    const std::vector<UInt8>& bytes = i < others.size() ? data[i] : resource;
    layout[i].offset = UInt32(offset);
    layout[i].length = UInt32(bytes.size());
    PutBig32(&file[kHeaderSize + i * kEntrySize], layout[i].id);
    PutBig32(&file[kHeaderSize + i * kEntrySize + 4], layout[i].offset);
    PutBig32(&file[kHeaderSize + i * kEntrySize + 8], layout[i].length);
    file.insert(file.end(), bytes.begin(), bytes.end());
    offset += bytes.size();
  }
  if (!WriteAll(fd, file.data(), file.size(), 0) || ftruncate(fd, off_t(file.size())) != 0)
    return false;
  *entries = layout;
  return true;
}

// The resource entry of a sidecar opened for writing, made the last entry:
// one that may grow and shrink without touching the bytes of any other
// entry, so every other entry must end before it starts (entries of a
// foreign sidecar may overlap).
[[nodiscard]] bool PrepareForWriting(int fd, std::vector<Entry>* entries, size_t* index) {
  auto isResource = [](const Entry& entry) { return entry.id == kResourceForkEntry; };
  auto found = std::find_if(entries->begin(), entries->end(), isResource);
  bool last = found != entries->end();
  if (last) {
    for (const Entry& entry : *entries)
      if (&entry != &*found && UInt64(entry.offset) + entry.length > found->offset) last = false;
  }
  if (!last && !RewriteSidecar(fd, entries, kResourceForkEntry, 0)) return false;
  found = std::find_if(entries->begin(), entries->end(), isResource);
  *index = size_t(found - entries->begin());
  return true;
}

// A sidecar holding one empty entry of `length` bytes.
[[nodiscard]] bool WriteNewSidecar(int fd, UInt32 id, UInt32 length) {
  std::vector<UInt8> file(kHeaderSize + kEntrySize + length, 0);
  PutBig32(&file[0], kAppleDoubleMagic);
  PutBig32(&file[4], kAppleDoubleVersion);
  file[25] = 1;
  PutBig32(&file[kHeaderSize], id);
  PutBig32(&file[kHeaderSize + 4], UInt32(kHeaderSize + kEntrySize));
  PutBig32(&file[kHeaderSize + 8], length);
  return WriteAll(fd, file.data(), file.size(), 0);
}

[[nodiscard]] OSErr LastError() { return ErrnoToOSErr(errno); }

SInt16 Register(OpenForkRecord record) {
  ForkTable& table = Table();
  while (table.forks.count(table.next) || table.next <= 0)
    table.next = table.next <= 0 ? SInt16(1) : SInt16(table.next + 1);
  SInt16 refNum = table.next;
  table.next = refNum == 0x7FFF ? SInt16(1) : SInt16(refNum + 1);
  table.forks[refNum] = std::move(record);
  return refNum;
}

[[nodiscard]] OSErr OpenDataFork(const std::string& hostPath, OpenForkRecord* record) {
  // Non-blocking, so that a FIFO is refused instead of waiting for a writer.
  int flags = (record->canWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK;
  int fd = open(hostPath.c_str(), flags);
  if (fd < 0) return LastError();
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return notAFileErr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  record->fd = fd;
  return noErr;
}

[[nodiscard]] OSErr OpenResourceFork(const std::string& hostPath, OpenForkRecord* record) {
  struct stat item;
  if (stat(hostPath.c_str(), &item) != 0) return LastError();
  if (!S_ISREG(item.st_mode)) return notAFileErr;
  record->sidecar = SidecarPath(hostPath);
  int flags = (record->canWrite ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC | O_NOFOLLOW;
  int fd = open(record->sidecar.c_str(), flags, item.st_mode & 0666);
  if (fd < 0) {
    if (errno == ENOENT && !record->canWrite) return noErr;  // an empty resource fork
    return LastError();
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return ioErr;
  }
  if (info.st_size == 0 && record->canWrite && !WriteNewSidecar(fd, kResourceForkEntry, 0)) {
    close(fd);
    return ioErr;
  }
  std::vector<Entry> entries;
  size_t index = 0;
  bool ready = ParseSidecar(fd, &entries);
  if (ready && record->canWrite) {
    ready = PrepareForWriting(fd, &entries, &index);
  } else if (ready) {
    auto found = std::find_if(entries.begin(), entries.end(),
                              [](const Entry& entry) { return entry.id == kResourceForkEntry; });
    index = size_t(found - entries.begin());
  }
  if (!ready) {
    close(fd);
    return ioErr;
  }
  record->fd = fd;
  record->entryCount = entries.size();
  if (index < entries.size()) {
    record->base = entries[index].offset;
    record->length = entries[index].length;
    record->lengthField = kHeaderSize + index * kEntrySize + 8;
  }
  return noErr;
}

UInt64 ForkLength(const OpenForkRecord& fork) {
  if (fork.kind == ForkKind::resource) return fork.length;
  struct stat info;
  return fstat(fork.fd, &info) == 0 ? UInt64(info.st_size) : 0;
}

[[nodiscard]] bool StoreResourceLength(OpenForkRecord& fork, UInt64 length) {
  UInt8 word[4];
  PutBig32(word, UInt32(length));
  if (!WriteAll(fork.fd, word, 4, fork.lengthField)) return false;
  fork.length = length;
  return true;
}

}  // namespace

std::string SidecarPath(const std::string& hostPath) {
  if (hostPath.empty() || hostPath.back() == '/') return std::string();
  std::string parent, name;
  SplitHostPath(hostPath, &parent, &name);
  if (name.empty()) return std::string();
  return JoinHostPath(parent, "._" + name);
}

bool IsHiddenSidecar(const std::string& hostFolder, const std::string& name) {
  if (name.size() <= 2 || name.compare(0, 2, "._") != 0) return false;
  struct stat info;
  return lstat(JoinHostPath(hostFolder, name.substr(2)).c_str(), &info) == 0;
}

OSErr OpenFork(const std::string& hostPath, ForkKind kind, SInt8 permission, SInt16* refNum) {
  if (!refNum || permission < fsCurPerm || permission > fsRdWrPerm) return paramErr;
  OpenForkRecord record;
  record.kind = kind;
  record.canRead = permission != fsWrPerm;
  record.canWrite = permission == fsWrPerm || permission == fsRdWrPerm;
  struct stat item;
  if (lstat(hostPath.c_str(), &item) != 0) return LastError();
  if (record.canWrite) {
    if (OSErr locked = RefuseIfLocked(hostPath); locked != noErr) return locked;
  }
  OSErr result = kind == ForkKind::data ? OpenDataFork(hostPath, &record)
                                        : OpenResourceFork(hostPath, &record);
  if (result != noErr) return result;
  if (stat(hostPath.c_str(), &item) == 0) {
    record.device = item.st_dev;
    record.inode = item.st_ino;
  }
  *refNum = Register(std::move(record));
  return noErr;
}

OSErr CloseFork(SInt16 refNum) {
  OpenForkRecord* fork = Find(refNum);
  if (!fork) return rfNumErr;
  OSErr result = noErr;
  if (fork->fd >= 0) {
    bool removeSidecar = fork->kind == ForkKind::resource && fork->canWrite && fork->length == 0 &&
                         fork->entryCount == 1;
    if (close(fork->fd) != 0) result = ioErr;
    if (removeSidecar) unlink(fork->sidecar.c_str());
  }
  Table().forks.erase(refNum);
  return result;
}

OSErr ReadFork(SInt16 refNum, UInt64 count, void* buffer, UInt64* actual) {
  if (actual) *actual = 0;
  OpenForkRecord* fork = Find(refNum);
  if (!fork) return rfNumErr;
  if (!fork->canRead) return permErr;
  if (count > 0 && !buffer) return paramErr;
  UInt64 moved = 0;
  OSErr result = noErr;
  if (fork->fd >= 0) {
    UInt8* bytes = static_cast<UInt8*>(buffer);
    UInt64 limit = count;
    if (fork->kind == ForkKind::resource)
      limit = fork->mark >= fork->length ? 0 : std::min(count, fork->length - fork->mark);
    while (moved < limit) {
      ssize_t got = pread(fork->fd, bytes + moved, limit - moved, off_t(fork->base + fork->mark + moved));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) result = ioErr;
      if (got <= 0) break;
      moved += UInt64(got);
    }
  }
  fork->mark += moved;
  if (actual) *actual = moved;
  if (result == noErr && moved < count) result = eofErr;
  return result;
}

OSErr WriteFork(SInt16 refNum, UInt64 count, const void* buffer, UInt64* actual) {
  if (actual) *actual = 0;
  OpenForkRecord* fork = Find(refNum);
  if (!fork) return rfNumErr;
  if (!fork->canWrite) return wrPermErr;
  if (count == 0) return noErr;
  if (!buffer) return paramErr;
  UInt64 end = fork->mark + count;
  if (fork->kind == ForkKind::resource && (end < count || fork->base + end > 0xFFFFFFFFu))
    return dskFulErr;  // an AppleDouble entry holds at most 4 GB
  if (!WriteAll(fork->fd, buffer, count, fork->base + fork->mark))
    return errno == ENOSPC || errno == EDQUOT ? OSErr(dskFulErr) : OSErr(ioErr);
  fork->mark = end;
  if (fork->kind == ForkKind::resource && end > fork->length && !StoreResourceLength(*fork, end))
    return ioErr;
  if (actual) *actual = count;
  return noErr;
}

OSErr SetForkPosition(SInt16 refNum, UInt16 mode, SInt64 offset) {
  OpenForkRecord* fork = Find(refNum);
  if (!fork) return rfNumErr;
  SInt64 size = SInt64(ForkLength(*fork));
  SInt64 mark = SInt64(fork->mark);
  switch (mode) {
    case fsAtMark: return noErr;
    case fsFromStart: mark = offset; break;
    case fsFromLEOF: mark = size + offset; break;
    case fsFromMark: mark += offset; break;
    default: return paramErr;
  }
  if (mark < 0) return posErr;
  if (mark > size) {
    fork->mark = UInt64(size);
    return eofErr;
  }
  fork->mark = UInt64(mark);
  return noErr;
}

OSErr GetForkPosition(SInt16 refNum, SInt64* position) {
  OpenForkRecord* fork = Find(refNum);
  if (!fork) return rfNumErr;
  if (position) *position = SInt64(fork->mark);
  return noErr;
}

OSErr GetForkSize(SInt16 refNum, SInt64* size) {
  OpenForkRecord* fork = Find(refNum);
  if (!fork) return rfNumErr;
  if (size) *size = SInt64(ForkLength(*fork));
  return noErr;
}

OSErr SetForkSize(SInt16 refNum, SInt64 size) {
  OpenForkRecord* fork = Find(refNum);
  if (!fork) return rfNumErr;
  if (!fork->canWrite) return wrPermErr;
  if (size < 0) return paramErr;
  if (fork->kind == ForkKind::resource && fork->base + UInt64(size) > 0xFFFFFFFFu) return dskFulErr;
  if (ftruncate(fork->fd, off_t(fork->base + UInt64(size))) != 0) return LastError();
  if (fork->kind == ForkKind::resource && !StoreResourceLength(*fork, UInt64(size))) return ioErr;
  fork->mark = std::min(fork->mark, UInt64(size));
  return noErr;
}

bool IsForkOpen(SInt16 refNum) { return Find(refNum) != nullptr; }

bool IsResourceForkOpen(dev_t device, ino_t inode) {
  for (const auto& [refNum, fork] : Table().forks)
    if (fork.kind == ForkKind::resource && fork.device == device && fork.inode == inode) return true;
  return false;
}

UInt64 ResourceForkSize(const std::string& hostPath) {
  struct stat item;
  if (stat(hostPath.c_str(), &item) != 0 || !S_ISREG(item.st_mode)) return 0;
  int fd = open(SidecarPath(hostPath).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return 0;
  std::vector<Entry> entries;
  UInt64 size = 0;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ParseSidecar(fd, &entries)) {
    // The first resource entry is the fork, as for every other reader of it.
    auto found = std::find_if(entries.begin(), entries.end(),
                              [](const Entry& entry) { return entry.id == kResourceForkEntry; });
    if (found != entries.end()) size = found->length;
  }
  close(fd);
  return size;
}

bool ReadSidecarFinderInfo(const std::string& hostPath, UInt8* bytes) {
  std::string sidecar = SidecarPath(hostPath);
  int fd = sidecar.empty() ? -1 : open(sidecar.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  std::vector<Entry> entries;
  bool found = false;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ParseSidecar(fd, &entries)) {
    for (const Entry& entry : entries) {
      if (entry.id != kFinderInfoEntry) continue;
      UInt64 length = std::min<UInt64>(entry.length, kFinderInfoSize);
      std::fill(bytes, bytes + kFinderInfoSize, 0);
      found = ReadAll(fd, bytes, length, entry.offset);
      break;
    }
  }
  close(fd);
  return found;
}

OSErr WriteSidecarFinderInfo(const std::string& hostPath, const UInt8* bytes) {
  std::string sidecar = SidecarPath(hostPath);
  if (sidecar.empty()) return paramErr;
  bool empty = std::all_of(bytes, bytes + kFinderInfoSize, [](UInt8 b) { return b == 0; });
  struct stat existing;
  if (empty && lstat(sidecar.c_str(), &existing) != 0 && errno == ENOENT) return noErr;
  int fd = open(sidecar.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
  if (fd < 0) return LastError();
  OSErr result = ioErr;
  std::vector<Entry> entries;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    bool ready = info.st_size == 0 ? WriteNewSidecar(fd, kFinderInfoEntry, kFinderInfoSize) &&
                                         ParseSidecar(fd, &entries)
                                   : ParseSidecar(fd, &entries);
    auto isFinderInfo = [](const Entry& entry) {
      return entry.id == kFinderInfoEntry && entry.length >= kFinderInfoSize;
    };
    if (ready && std::none_of(entries.begin(), entries.end(), isFinderInfo))
      ready = RewriteSidecar(fd, &entries, kFinderInfoEntry, kFinderInfoSize);
    auto found = std::find_if(entries.begin(), entries.end(), isFinderInfo);
    if (ready && found != entries.end() && WriteAll(fd, bytes, kFinderInfoSize, found->offset))
      result = noErr;
  }
  if (close(fd) != 0 && result == noErr) result = ioErr;
  return result;
}

OSErr DeleteItem(const std::string& hostPath) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return LastError();
  if (OSErr locked = RefuseIfLocked(hostPath); locked != noErr) return locked;
  if (S_ISDIR(info.st_mode)) return rmdir(hostPath.c_str()) == 0 ? OSErr(noErr) : LastError();
  if (unlink(hostPath.c_str()) != 0) return LastError();
  unlink(SidecarPath(hostPath).c_str());
  return noErr;
}

namespace {

// Moves an item to a path that must not exist, then carries its sidecar
// along (or clears a stale one at the destination). Rolls back the move when
// the sidecar cannot follow.
[[nodiscard]] OSErr MoveWithSidecar(const std::string& from, const std::string& to) {
  struct stat info;
  if (lstat(from.c_str(), &info) != 0) return LastError();
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return LastError();
    // A file system without no-replace renames (or a folder moved into
    // itself, which the plain rename reports): check, then rename.
    struct stat existing;
    if (lstat(to.c_str(), &existing) == 0) return dupFNErr;
    if (rename(from.c_str(), to.c_str()) != 0) return errno == EINVAL ? OSErr(badMovErr) : LastError();
  }
  if (S_ISDIR(info.st_mode)) return noErr;
  std::string fromSidecar = SidecarPath(from), toSidecar = SidecarPath(to);
  struct stat sidecar;
  if (lstat(fromSidecar.c_str(), &sidecar) != 0) {
    unlink(toSidecar.c_str());
    return noErr;
  }
  if (rename(fromSidecar.c_str(), toSidecar.c_str()) == 0) return noErr;
  OSErr result = LastError();
  rename(to.c_str(), from.c_str());
  return result;
}

}  // namespace

OSErr RenameItem(const std::string& hostPath, const std::string& newName) {
  if (!IsSingleName(newName)) return bdNamErr;
  std::string parent, name;
  SplitHostPath(hostPath, &parent, &name);
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return LastError();
  if (newName == name) return noErr;
  if (OSErr locked = RefuseIfLocked(hostPath); locked != noErr) return locked;
  return MoveWithSidecar(hostPath, JoinHostPath(parent, newName));
}

OSErr MoveItemToFolder(const std::string& hostPath, const std::string& hostFolder) {
  struct stat item, folder, parentInfo;
  if (lstat(hostPath.c_str(), &item) != 0) return LastError();
  if (stat(hostFolder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) return dirNFErr;
  std::string parent, name;
  SplitHostPath(hostPath, &parent, &name);
  if (stat(parent.c_str(), &parentInfo) == 0 && parentInfo.st_dev == folder.st_dev &&
      parentInfo.st_ino == folder.st_ino)
    return noErr;  // already there
  if (OSErr locked = RefuseIfLocked(hostPath); locked != noErr) return locked;
  if (item.st_dev != folder.st_dev) return diffVolErr;
  return MoveWithSidecar(hostPath, JoinHostPath(hostFolder, name));
}

OSErr CopySidecar(const std::string& from, const std::string& to) {
  std::string fromSidecar = SidecarPath(from), toSidecar = SidecarPath(to);
  if (fromSidecar.empty() || toSidecar.empty()) return paramErr;
  int source = open(fromSidecar.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (source < 0) {
    if (errno != ENOENT) return LastError();
    if (unlink(toSidecar.c_str()) != 0 && errno != ENOENT) return LastError();
    return noErr;
  }
  struct stat info;
  if (fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(source);
    return ioErr;
  }
  unlink(toSidecar.c_str());
  int target = open(toSidecar.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                    info.st_mode & 0666);
  if (target < 0) {
    OSErr result = LastError();
    close(source);
    return result;
  }
  std::vector<UInt8> buffer(size_t(64) * 1024);
  OSErr result = noErr;
  for (UInt64 offset = 0;;) {
    ssize_t got = pread(source, buffer.data(), buffer.size(), off_t(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) result = ioErr;
    if (got <= 0) break;
    if (!WriteAll(target, buffer.data(), UInt64(got), offset)) {
      result = errno == ENOSPC || errno == EDQUOT ? OSErr(dskFulErr) : OSErr(ioErr);
      break;
    }
    offset += UInt64(got);
  }
  close(source);
  if (close(target) != 0 && result == noErr) result = ioErr;
  if (result != noErr) unlink(toSidecar.c_str());
  return result;
}

namespace {

// Deletes everything inside a folder and, with `removeFolder`, the folder.
// Depth first without recursion: a folder is deleted once its listing is
// used up. Links are deleted as links, never entered; locked items are
// unlocked on the way.
[[nodiscard]] OSErr DeleteBelow(const std::string& hostFolder, bool removeFolder) {
  struct Level {
    std::string path;
    std::vector<std::string> names;
    size_t next = 0;
  };
  std::vector<Level> levels;
  auto enter = [&levels](const std::string& folder, bool unlock) -> OSErr {
    if (unlock && IsLocked(folder)) {
      if (OSErr result = SetLocked(folder, false); result != noErr) return result;
    }
    DIR* listing = opendir(folder.c_str());
    if (!listing) return LastError();
    Level level{folder, {}, 0};
    while (const dirent* entry = readdir(listing)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") level.names.push_back(name);
    }
    closedir(listing);
    std::sort(level.names.begin(), level.names.end());
    levels.push_back(std::move(level));
    return noErr;
  };
  // A folder that is kept keeps its lock; its items can be deleted anyway.
  if (OSErr result = enter(hostFolder, removeFolder); result != noErr) return result;
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.names.size()) {
      std::string folder = level.path;
      levels.pop_back();
      if ((removeFolder || !levels.empty()) && rmdir(folder.c_str()) != 0) return LastError();
      continue;
    }
    std::string item = JoinHostPath(level.path, level.names[level.next++]);
    struct stat child;
    if (lstat(item.c_str(), &child) != 0) {
      if (errno == ENOENT) continue;  // a sidecar that went with its file
      return LastError();
    }
    if (S_ISDIR(child.st_mode)) {
      if (OSErr result = enter(item, true); result != noErr) return result;
      continue;
    }
    if (IsLocked(item)) {
      if (OSErr result = SetLocked(item, false); result != noErr) return result;
    }
    if (OSErr result = DeleteItem(item); result != noErr) return result;
  }
  return noErr;
}

}  // namespace

OSErr DeleteTree(const std::string& hostPath) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return LastError();
  if (!S_ISDIR(info.st_mode)) {
    if (OSErr result = SetLocked(hostPath, false); result != noErr && IsLocked(hostPath))
      return result;
    return DeleteItem(hostPath);
  }
  return DeleteBelow(hostPath, true);
}

OSErr DeleteFolderContents(const std::string& hostFolder) {
  struct stat info;
  if (lstat(hostFolder.c_str(), &info) != 0) return LastError();
  if (!S_ISDIR(info.st_mode)) return dirNFErr;
  return DeleteBelow(hostFolder, false);
}

}  // namespace plat
