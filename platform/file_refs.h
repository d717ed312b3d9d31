// File references of the host layer.
//
// An FSRef names an existing item by its canonical absolute host path (UTF-8)
// together with its device and inode numbers; two references name the same
// item when device and inode agree. The final component is not resolved, so
// a reference to a symbolic link names the link itself. An empty FSRef
// (empty path, zero numbers) names nothing.
//
// An FSSpec is {parent folder, name}: the parent must exist, the item need
// not, which is the form used to create items.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/mac_types.h"

struct FSRef {
  std::string path;  // canonical absolute host path; "/" for the root
  dev_t device = 0;
  ino_t inode = 0;
};

struct FSSpec {
  std::string parent;  // canonical host path of the parent folder; "" for an empty spec
  std::string name;    // host (UTF-8) name of the item in that folder
};

namespace plat {

// Makes a reference to an existing item. fnfErr when the item is missing,
// dirNFErr when a folder on the way is missing or is not a folder.
[[nodiscard]] OSErr MakeFsRef(const std::string& hostPath, FSRef* out);

[[nodiscard]] bool IsValidFsRef(const FSRef& ref);
[[nodiscard]] bool SameFsRef(const FSRef& a, const FSRef& b);
void ClearFsRef(FSRef* ref);

// The FSSpec of `name` inside the folder `parent`; dirNFErr when parent is not a folder.
[[nodiscard]] OSErr MakeFsSpec(const FSRef& parent, const std::string& name, FSSpec* out);
// The reference of an existing spec's item (fnfErr when it does not exist).
[[nodiscard]] OSErr FsRefFromSpec(const FSSpec& spec, FSRef* out);

// Maps an errno value to the result code callers test for.
[[nodiscard]] OSErr ErrnoToOSErr(int error);

}  // namespace plat
