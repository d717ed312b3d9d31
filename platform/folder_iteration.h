// Folder listings of the host layer.
//
// A listing holds the names of a folder's items in byte order of their
// names, so that every walk of a tree is repeatable. "." and "..", and the
// resource-fork sidecars of items that exist (see forks.h), are left out.
// The names are read when the listing opens: items added later are not
// seen, items deleted since come back as names that no longer exist (the
// caller's catalog read tells). A symbolic link is listed as an item and is
// never opened as a folder. Paths and names are host (UTF-8) text.
#pragma once

#include <string>
#include <vector>

#include "platform/mac_types.h"

namespace plat {

class FolderListing {
 public:
  // fnfErr for a missing folder, dirNFErr when the path names something
  // other than a folder (a file, or a symbolic link even to a folder).
  [[nodiscard]] OSErr Open(const std::string& hostFolder);
  // The next name, or errFSNoMoreItems at the end (also when not open).
  [[nodiscard]] OSErr Next(std::string* name);
  void Close();

  [[nodiscard]] bool IsOpen() const { return open_; }
  // The folder's path as given to Open, ending in "/".
  const std::string& Folder() const { return folder_; }

 private:
  bool open_ = false;
  std::string folder_;
  std::vector<std::string> names_;
  size_t next_ = 0;
};

}  // namespace plat
