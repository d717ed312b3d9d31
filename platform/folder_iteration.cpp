#include "platform/folder_iteration.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/forks.h"
#include "platform/file_refs.h"

namespace plat {

OSErr FolderListing::Open(const std::string& hostFolder) {
  Close();
  if (hostFolder.empty()) return fnfErr;
  std::string path = hostFolder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno == ELOOP ? OSErr(dirNFErr) : ErrnoToOSErr(errno);
  DIR* folder = fdopendir(fd);
  if (!folder) {
    OSErr result = ErrnoToOSErr(errno);
    close(fd);
    return result;
  }
  folder_ = path == "/" ? path : path + "/";
  names_.clear();
  int readError = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(folder);
    if (!entry) {
      readError = errno;
      break;
    }
    std::string name = entry->d_name;
    if (name == "." || name == ".." || IsHiddenSidecar(folder_, name)) continue;
    names_.push_back(std::move(name));
  }
  OSErr result = ErrnoToOSErr(readError);
  closedir(folder);
  if (result != noErr) {
    names_.clear();
    return result;
  }
  std::sort(names_.begin(), names_.end());
  next_ = 0;
  open_ = true;
  return noErr;
}

OSErr FolderListing::Next(std::string* name) {
  if (!open_ || next_ >= names_.size()) return errFSNoMoreItems;
  *name = names_[next_++];
  return noErr;
}

void FolderListing::Close() {
  open_ = false;
  names_.clear();
  next_ = 0;
}

}  // namespace plat
