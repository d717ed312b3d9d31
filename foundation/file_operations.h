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
