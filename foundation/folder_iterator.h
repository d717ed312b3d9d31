// Walking folders: the one process-wide folder iteration of the builders,
// and the search of a folder tree for a file by name.
//
// Items come in name order (see platform/folder_iteration.h); a symbolic
// link is an item of its own and never counts as a folder. Items whose
// names have no Mac Roman form cannot be named by a path and are passed
// over; the iteration remembers the first of them, so that a walk that must
// take every item can refuse the folder rather than leave it out. One
// iteration at a time, on the main thread.
#pragma once

#include "foundation/path_name.h"

// Starts a new iteration of `folder`, ending any earlier one, and gives its
// first item. `pattern` is kept but does not filter. False when the folder
// cannot be read or is empty.
[[nodiscard]] bool GetFirstFolderItem(const CPathName& folder, CPathName& item, bool* isFolder, const char* pattern);
// The next item; false at the end or without an iteration.
[[nodiscard]] bool GetNextFolderItem(CPathName& item, bool* isFolder);
// Ends the iteration; true (also when none was running).
bool EndFolderIteration();
// The first item that the iteration running, or the last one, passed over
// because its name has no Mac Roman form: its path with '?' for each
// character that Mac Roman cannot hold. False when it passed over none.
[[nodiscard]] bool GetPassedOverFolderItem(CPathName& item);

// Depth first, in name order: the first file (any item but a folder) below
// `folder` whose name equals `name` ignoring case. Leaves the process-wide
// iteration alone.
[[nodiscard]] bool FindItemInFolderTree(const char* name, const CPathName& folder, CPathName& found);
