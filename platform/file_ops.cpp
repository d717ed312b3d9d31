#include "platform/file_ops.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/file_refs.h"
#include "platform/forks.h"
#include "platform/host_paths.h"

namespace plat {
namespace {

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

template <typename Bytes>
[[nodiscard]] bool ReadRegularFileInto(const std::string& hostPath, size_t maxBytes, Bytes* out, int* fileError) {
  int error = 0;
  // Non-blocking, so that a FIFO in place of the file cannot stall the open.
  int fd = open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) {
    error = errno;
  } else if (S_ISDIR(info.st_mode)) {
    error = EISDIR;
  } else if (!S_ISREG(info.st_mode)) {
    error = EINVAL;
  } else if (uint64_t(info.st_size) > maxBytes) {
    error = EFBIG;
  } else {
    Bytes bytes;
    bytes.resize(size_t(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = errno;
        break;
      }
      if (n == 0) break;  // the file shrank while being read
      done += size_t(n);
    }
    bytes.resize(done);
    if (!error) out->swap(bytes);
  }
  if (fd >= 0) close(fd);
  if (fileError) *fileError = error;
  return error == 0;
}

}  // namespace

ItemKind GetItemKind(const std::string& hostPath) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return ItemKind::missing;
  if (S_ISREG(info.st_mode)) return ItemKind::file;
  if (S_ISDIR(info.st_mode)) return ItemKind::folder;
  if (S_ISLNK(info.st_mode)) return ItemKind::link;
  return ItemKind::special;
}

bool IsEmptyFolder(const std::string& hostPath) {
  if (GetItemKind(hostPath) != ItemKind::folder) return false;
  DIR* folder = opendir(hostPath.c_str());
  if (!folder) return false;
  bool empty = true;
  while (const dirent* entry = readdir(folder)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") {
      empty = false;
      break;
    }
  }
  closedir(folder);
  return empty;
}

bool ReadRegularFile(const std::string& hostPath, size_t maxBytes, std::string* out, int* fileError) {
  return ReadRegularFileInto(hostPath, maxBytes, out, fileError);
}

bool ReadRegularFile(const std::string& hostPath, size_t maxBytes, std::vector<UInt8>* out,
                     int* fileError) {
  return ReadRegularFileInto(hostPath, maxBytes, out, fileError);
}

std::string RelativeHostPath(const std::string& fromFolder, const std::string& to) {
  std::vector<std::string> from = Components(fromFolder), target = Components(to);
  size_t common = 0;
  while (common < from.size() && common < target.size() && from[common] == target[common]) ++common;
  std::string relative;
  for (size_t i = common; i < from.size(); ++i) relative += "../";
  for (size_t i = common; i < target.size(); ++i) relative += target[i] + "/";
  if (relative.empty()) return ".";
  relative.pop_back();
  return relative;
}

OSErr CreateRelativeLink(const std::string& linkPath, const std::string& target) {
  std::string text = RelativeHostPath(HostParentFolder(linkPath), target);
  if (symlink(text.c_str(), linkPath.c_str()) != 0) return ErrnoToOSErr(errno);
  return noErr;
}

namespace {

// The text of the link at `hostPath`.
[[nodiscard]] OSErr ReadLinkText(const std::string& hostPath, const struct stat& info, std::string* out) {
  std::vector<char> text(size_t(info.st_size > 0 ? info.st_size : 255) + 1);
  for (;;) {
    ssize_t length = readlink(hostPath.c_str(), text.data(), text.size());
    if (length < 0) return ErrnoToOSErr(errno);
    if (size_t(length) < text.size()) {
      text.resize(size_t(length));
      break;
    }
    if (text.size() > 65536) return ioErr;  // a link text grows without end
    text.resize(text.size() * 2);
  }
  out->assign(text.begin(), text.end());
  return noErr;
}

// As many links as the system follows in one path before it gives up (ELOOP).
constexpr int kMaxLinksFollowed = 40;

}  // namespace

OSErr CopyLinkItem(const std::string& from, const std::string& to) {
  struct stat info;
  if (lstat(from.c_str(), &info) != 0) return ErrnoToOSErr(errno);
  if (!S_ISLNK(info.st_mode)) return paramErr;
  std::string target;
  if (OSErr result = ReadLinkText(from, info, &target); result != noErr) return result;
  if (symlink(target.c_str(), to.c_str()) != 0) return ErrnoToOSErr(errno);
  return noErr;
}

OSErr FollowLinkChain(const std::string& hostPath, std::string* target) {
  if (!target || hostPath.empty()) return paramErr;
  std::string current = hostPath;
  for (int followed = 0;; ++followed) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0) return ErrnoToOSErr(errno);
    if (!S_ISLNK(info.st_mode)) break;
    if (followed == kMaxLinksFollowed) return ErrnoToOSErr(ELOOP);
    std::string text;
    if (OSErr result = ReadLinkText(current, info, &text); result != noErr) return result;
    if (text.empty()) return fnfErr;
    current = text[0] == '/' ? text : JoinHostPath(HostParentFolder(current), text);
  }
  // The item in its folder as the system names that folder.
  char* folder = realpath(HostParentFolder(current).c_str(), nullptr);
  if (!folder) return ErrnoToOSErr(errno);
  *target = JoinHostPath(folder, HostItemName(current));
  std::free(folder);
  return noErr;
}

OSErr SetOwnerAndMode(const std::string& hostPath, uid_t user, gid_t group, mode_t mode) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return ErrnoToOSErr(errno);
  mode &= 07777;
  if ((info.st_uid != user || info.st_gid != group) && lchown(hostPath.c_str(), user, group) != 0) {
    if (errno != EPERM) return ErrnoToOSErr(errno);
    // Set-id bits on an item that keeps our own owner would hand our rights out.
    mode &= ~mode_t(S_ISUID | S_ISGID);
  }
  if (S_ISLNK(info.st_mode)) return noErr;
  if (chmod(hostPath.c_str(), mode) != 0) return ErrnoToOSErr(errno);
  return noErr;
}

OSErr SetItemAside(const std::string& hostPath, std::string* asidePath) {
  std::string folder = HostParentFolder(hostPath);
  for (int n = -2; n < 1000; ++n) {
    std::string name = n == -2 ? ".DeleteMe" : n == -1 ? ".DeleteMe__" : ".DeleteMe__" + std::to_string(n);
    OSErr result = RenameItem(hostPath, name);
    if (result == dupFNErr) continue;
    if (result == noErr && asidePath) *asidePath = JoinHostPath(folder, name);
    return result;
  }
  return dupFNErr;
}

}  // namespace plat
