// CPathList: an owning list of paths (the extra files of a movie, the items
// of a folder tree).
#pragma once

#include <vector>

#include "foundation/path_name.h"

class CPathList {
 public:
  CPathList() = default;
  CPathList(const CPathList& other);
  CPathList& operator=(const CPathList& other);
  ~CPathList();

  // Appends a new path holding the absolute form of `path` (SetFullPath);
  // returns it.
  CPathName* AddCopy(const CPathName& path);
  // Deletes the entry; false when the list does not hold it.
  [[nodiscard]] bool Remove(CPathName* path);
  // False, nothing changed, for an index outside 0..count-1.
  [[nodiscard]] bool RemoveAt(int index);
  void DeleteAll();
  // By GetName(false), ignoring case; equal names keep their order.
  void SortByName();
  void SortByNameDescending();

  int GetCount() const { return int(paths_.size()); }
  // Null for an index outside 0..count-1.
  CPathName* GetAt(int index) const;

 private:
  std::vector<CPathName*> paths_;
};
