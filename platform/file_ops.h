// Item operations of the host layer that the file operations and the copy
// engine build on: kinds of items, symbolic links, owners and modes, and
// setting an item aside under a free name.
//
// Creating, deleting, renaming and moving with the sidecar carried along are
// in forks.h; these add what those do not cover. Paths are host (UTF-8)
// paths.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/mac_types.h"

namespace plat {

// What an item is, without following a link.
enum class ItemKind { missing, file, folder, link, special };
ItemKind GetItemKind(const std::string& hostPath);
// True for a folder with nothing in it (not even a sidecar).
[[nodiscard]] bool IsEmptyFolder(const std::string& hostPath);

// Reads a whole regular file of at most `maxBytes` bytes into `out` (left as
// it was on failure); a file that shrinks while it is read is taken as far as
// it goes. False with errno in `*fileError` (EFBIG when too large, EISDIR or
// EINVAL for items that are not regular files). The open does not block, so
// a pipe in place of the file cannot stall it.
[[nodiscard]] bool ReadRegularFile(const std::string& hostPath, size_t maxBytes, std::string* out, int* fileError);
[[nodiscard]] bool ReadRegularFile(const std::string& hostPath, size_t maxBytes, std::vector<UInt8>* out,
                     int* fileError);

// The relative path that leads from the folder `fromFolder` to `to`; both
// are canonical absolute paths ("b", "../c/d", "." for the folder itself).
std::string RelativeHostPath(const std::string& fromFolder, const std::string& to);
// Makes a symbolic link at `linkPath` (which must not exist: dupFNErr) that
// leads to `target` by a path relative to the link's folder. Both are
// canonical absolute paths.
[[nodiscard]] OSErr CreateRelativeLink(const std::string& linkPath, const std::string& target);
// Makes `to` a symbolic link holding the same text as the link `from`.
[[nodiscard]] OSErr CopyLinkItem(const std::string& from, const std::string& to);

// Gives an item an owner, a group and a mode (the permission bits of
// `mode`). An owner that this process may not give (EPERM) is passed over,
// and the set-user and set-group bits are then dropped; a link keeps the
// mode it has (Linux has none for links).
[[nodiscard]] OSErr SetOwnerAndMode(const std::string& hostPath, uid_t user, gid_t group, mode_t mode);

// The item a path leads to when its last name is a symbolic link, or a
// chain of them (each link's text taken from the link's own folder), in
// canonical form: `*target` receives it, or the path itself when it is no
// link. fnfErr (or dirNFErr) when the chain leads to nothing, and an error
// when it goes round or runs longer than the system follows.
[[nodiscard]] OSErr FollowLinkChain(const std::string& hostPath, std::string* target);

// Renames an item, with its sidecar, to a free hidden name in its own folder
// (".DeleteMe", ".DeleteMe__", ".DeleteMe__0" ...), so that it can be
// restored or deleted later; the new path goes to `asidePath`.
[[nodiscard]] OSErr SetItemAside(const std::string& hostPath, std::string* asidePath);

}  // namespace plat
