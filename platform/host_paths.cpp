#include "platform/host_paths.h"

namespace plat {

void SplitHostPath(const std::string& path, std::string* folder, std::string* name) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  size_t slash = end == 0 ? std::string::npos : path.rfind('/', end - 1);
  if (slash == std::string::npos) {
    folder->assign(1, '.');
    name->assign(path, 0, end);
  } else {
    folder->assign(path, 0, slash == 0 ? 1 : slash);
    name->assign(path, slash + 1, end - slash - 1);
  }
}

std::string HostParentFolder(const std::string& path) {
  std::string folder, name;
  SplitHostPath(path, &folder, &name);
  return folder;
}

std::string HostItemName(const std::string& path) {
  std::string folder, name;
  SplitHostPath(path, &folder, &name);
  return name;
}

std::string JoinHostPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsSingleName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

bool IsContainedName(const std::string& name) {
  if (name.empty() || name[0] == '/') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace plat
