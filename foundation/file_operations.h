// File and folder operations on file-system references: deleting whole
// trees, and the 'SIZE' resource by spec. The operations on paths (create,
// delete, rename, move, unique and backup names, alias files, launching)
// are CPathName's, declared in path_name.h and built in
// file_operations.cpp.
//
// Tree deletion unlocks locked items on its way, deletes links as links
// (never following them), carries each file's sidecar along, and stops at
// the first error, leaving what it has not reached.
#pragma once

#include "foundation/path_name.h"
#include "platform/file_refs.h"
#include "platform/mac_types.h"

// Deletes a folder with everything in it; dirNFErr when the item is not a
// folder (nothing is deleted then).
[[nodiscard]] OSErr DeleteFolderTree(const FSRef* folder);
// Deletes a file, a link or a folder with everything in it; paramErr for a
// null reference.
[[nodiscard]] OSErr DeleteObjectUnlocked(const FSRef* item);
// Deletes everything inside a folder and keeps the folder.
[[nodiscard]] OSErr DeleteFolderContents(const FSRef* folder);

// The 'SIZE' resource -1 of the file a spec names (see CPathName::SetSizeResource).
[[nodiscard]] bool SetSizeResource(const FSSpec* spec, u32 preferred, u32 minimum);

// A file of the user's saved whole: the new content is written into a file
// beside the file it replaces and then put in that file's place, so that a
// save that fails leaves the file as it was. A path that is a symbolic link
// (or a chain of them) saves the file the link leads to and the link stays,
// and the new file keeps the owner and mode of the file it replaces. A new
// content that is not put in place is deleted with the object.
class CFileReplacement {
 public:
  CFileReplacement() = default;
  ~CFileReplacement();
  CFileReplacement(const CFileReplacement&) = delete;
  CFileReplacement& operator=(const CFileReplacement&) = delete;

  // Finds the file that a save of `path` replaces (or makes) and makes an
  // empty file of a free name beside it for the new content (GetTemporary;
  // writers replace it). False when the path is empty or names a folder
  // (also through a link), when it is a link that leads nowhere or goes
  // round, or when no file can be made beside it.
  [[nodiscard]] bool Begin(const CPathName& path);
  // Where the new content is to be written.
  const CPathName& GetTemporary() const { return temporary_; }
  // The file that is replaced (or made).
  const CPathName& GetTarget() const { return target_; }
  // Puts the new content in place of the file, with that file's owner and
  // mode; false, the new content deleted and the file untouched, when that
  // fails.
  [[nodiscard]] bool Commit();

 private:
  CPathName target_{nullptr};
  CPathName temporary_{nullptr};
};
