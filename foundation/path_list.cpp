#include "foundation/path_list.h"

#include <strings.h>

#include <algorithm>
#include <string>
#include <utility>

CPathList::CPathList(const CPathList& other) {
  for (const CPathName* path : other.paths_) paths_.push_back(new CPathName(*path));
}

CPathList& CPathList::operator=(const CPathList& other) {
  if (this == &other) return *this;
  CPathList copy(other);
  std::swap(paths_, copy.paths_);
  return *this;
}

CPathList::~CPathList() { DeleteAll(); }

CPathName* CPathList::AddCopy(const CPathName& path) {
  CPathName* copy = new CPathName(nullptr);
  copy->SetFullPath(path);
  paths_.push_back(copy);
  return copy;
}

bool CPathList::Remove(CPathName* path) {
  auto found = std::find(paths_.begin(), paths_.end(), path);
  if (found == paths_.end()) return false;
  delete *found;
  paths_.erase(found);
  return true;
}

bool CPathList::RemoveAt(int index) {
  if (index < 0 || index >= GetCount()) return false;
  delete paths_[size_t(index)];
  paths_.erase(paths_.begin() + index);
  return true;
}

void CPathList::DeleteAll() {
  for (CPathName* path : paths_) delete path;
  paths_.clear();
}

namespace {

// Names are read once per entry: each may ask the disk for its catalog name.
void SortPaths(std::vector<CPathName*>& paths, bool descending) {
  std::vector<std::pair<std::string, CPathName*>> named;
  named.reserve(paths.size());
  for (CPathName* path : paths) named.emplace_back(path->GetName(false), path);
  std::stable_sort(named.begin(), named.end(), [descending](const auto& a, const auto& b) {
    int order = strcasecmp(a.first.c_str(), b.first.c_str());
    return descending ? order > 0 : order < 0;
  });
  for (size_t i = 0; i < named.size(); ++i) paths[i] = named[i].second;
}

}  // namespace

void CPathList::SortByName() { SortPaths(paths_, false); }

void CPathList::SortByNameDescending() { SortPaths(paths_, true); }

CPathName* CPathList::GetAt(int index) const {
  return index < 0 || index >= GetCount() ? nullptr : paths_[size_t(index)];
}
